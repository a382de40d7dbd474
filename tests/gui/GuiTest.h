// What the component layer's tests start from: the application and a form
// that owns whatever a test makes.
#pragma once
#include <gtest/gtest.h>

#include <type_traits>

#include "Forms.h"

class GuiTest : public testing::Test {
 protected:
  // A T owned by the form; a control stands on `parent`.
  template <class T>
  T* Make(gui::TWinControl* parent = nullptr) {
    auto* made = new T(&form);
    if constexpr (std::is_base_of_v<gui::TWinControl, T>) made->SetParent(parent);
    return made;
  }
  static LONG FontHeightOf(gui::TWinControl* control) {
    LOGFONTA lf{};
    const auto font = reinterpret_cast<HFONT>(SendMessageA(control->Handle(), WM_GETFONT, 0, 0));
    return GetObjectA(font, sizeof lf, &lf) ? lf.lfHeight : 0;
  }
  gui::TApplication app;
  gui::TForm form{nullptr};
};
