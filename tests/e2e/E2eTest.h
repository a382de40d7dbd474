// The base of every end-to-end test: a watchdog per test, no modifier key
// left down by an earlier test, the mouse in the middle of the screen, and
// nothing left running afterwards.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "Driver.h"

namespace e2e {

class E2eTest : public ::testing::Test {
 protected:
  // How long one test may take before the watchdog ends it.
  virtual std::chrono::seconds Limit() const { return std::chrono::seconds(60); }

  void SetUp() override {
    ReleaseModifiers();
    // Popups open at the mouse: every test starts with it in the same place.
    MovePointer(POINT{GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2});
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    watchdog_ = std::make_unique<Watchdog>(
        Limit(), std::string(info->test_suite_name()) + "." + info->name());
  }

  void TearDown() override {
    const bool fired = watchdog_->Fired();
    watchdog_.reset();
    KillAll();
    ReleaseModifiers();
    if (fired) ADD_FAILURE() << "the watchdog ended this test after " << Limit().count() << " s";
  }

 private:
  std::unique_ptr<Watchdog> watchdog_;
};

}  // namespace e2e
