// The main window made and destroyed again and again in one run, as the
// editor does once it opens files: each time, every window, menu, font,
// image list and picture it held goes with it.
#include <set>

#include "EditorFixture.h"

using namespace gui;

namespace {
BOOL CALLBACK Collect(HWND hwnd, LPARAM windows) {
  reinterpret_cast<std::vector<HWND>*>(windows)->push_back(hwnd);
  return TRUE;
}

// What the layer's owning handles hold right now.
long OwnedHandles() {
  return TFontHandle::Live() + TBrushHandle::Live() + TIcon::Live() + TBitmap::Live() +
         TImageListHandle::Live() + base::UniqueHandle<MenuTraits>::Live() +
         base::UniqueHandle<AcceleratorTraits>::Live();
}
}  // namespace

TEST_F(EditorTest, TheMainWindowMadeAndDestroyedAgainAndAgainLeavesNothingBehind) {
  const std::string file = WriteMenu("menu.txt", "A\r\na.exe\r\nS\r\n\r\n\ts1\r\n\ts1.exe\r\n\r\n\r\n");
  ui.reset();
  form.reset();
  const long owned = OwnedHandles();
  for (int round = 0; round < 300; ++round) {
    form = std::make_unique<TformMain>(nullptr);
    ui = std::make_unique<TformMainSeam>(*form);
    form->OnShow = nullptr;
    std::vector<HWND> windows{form->Handle()};
    Load(file);
    ASSERT_EQ(Nodes().Count(), 4);
    EnumChildWindows(windows[0], Collect, reinterpret_cast<LPARAM>(&windows));
    std::set<HGDIOBJ> fonts;
    for (HWND w : windows) fonts.insert(reinterpret_cast<HGDIOBJ>(SendMessageA(w, WM_GETFONT, 0, 0)));
    fonts.erase(nullptr);
    const HMENU menus[] = {GetMenu(windows[0]), Tree().PopupMenu->Handle()};
    ui.reset();
    form.reset();
    for (HWND w : windows) ASSERT_FALSE(IsWindow(w)) << "round " << round;
    for (HMENU m : menus) ASSERT_FALSE(IsMenu(m)) << "round " << round;
    for (HGDIOBJ f : fonts) ASSERT_EQ(GetObjectType(f), 0u) << "round " << round;
    ASSERT_EQ(OwnedHandles(), owned) << "round " << round;
  }
}
