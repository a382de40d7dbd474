// The base of every end-to-end test: a folder of its own, no modifier key
// left down, the mouse in the middle of the screen, nothing left running
// afterwards, and a watchdog: past its limit a test gets the open windows
// reported, all it started killed (so no modal window holds it) and a
// failure; still stuck 15 s later, the test program ends with exit code 3.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <future>
#include <thread>

#include "Driver.h"
#include "TestFiles.h"
#include "TestText.h"

namespace e2e {

// The prefix's DPI, which every Wine program reads as it starts (a test that
// sets it holds every Wine test's lock); 96, as the test bed starts, however
// the test ends.
struct PrefixDpi {
  explicit PrefixDpi(DWORD dpi) { Set(dpi); }
  ~PrefixDpi() { Set(96); }
  static void Set(DWORD dpi) {
    EXPECT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", REG_DWORD, &dpi, sizeof dpi), 0)
        << "cannot set the prefix's LogPixels";
  }
};

class E2eTest : public ::testing::Test {
 protected:
  static constexpr std::chrono::seconds kLimit{90};  // for one test

  void SetUp() override {
    ReleaseModifiers();
    // Popups open at the mouse: every test starts with it in the same place.
    MovePointer(POINT{GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2});
    watchdog_ = std::thread([this, limit = kLimit, done = done_.get_future()] {
      if (done.wait_for(limit) == std::future_status::ready) return;
      fired_ = true;
      std::fprintf(stderr, "\n*** e2e watchdog: the test ran longer than %d s; open windows:\n%s", int(limit.count()),
                   DescribeWindows().c_str());
      ReleaseModifiers();
      KillAll();
      if (done.wait_for(std::chrono::seconds(15)) == std::future_status::ready) return;
      std::fputs("*** e2e watchdog: the test is still stuck; ending the test program.\n", stderr);
      std::fflush(stderr);
      TerminateProcess(GetCurrentProcess(), 3);
    });
  }

  void TearDown() override {
    done_.set_value();
    if (watchdog_.joinable()) watchdog_.join();
    KillAll();
    ReleaseModifiers();
    if (fired_) ADD_FAILURE() << "the watchdog ended this test after " << kLimit.count() << " s";
  }

  // Writes a menu file from UTF-8 text (stored as Shift-JIS) and gives its path.
  std::string Menu(const std::string& text, const std::string& name = "menu file.txt") {
    return temp_.WriteSjis(name, text);
  }

  TempFolder temp_{"e2e"};

 private:
  std::thread watchdog_;
  std::promise<void> done_;
  std::atomic<bool> fired_{false};
};

}  // namespace e2e
