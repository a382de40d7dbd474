#include <gtest/gtest.h>

#include "Forms.h"
#include "ImgList.h"
#include "Menus.h"
#include "ShellMenu.h"
#include "SysUtils.h"
#include "TestFiles.h"

using namespace gui;

namespace {
// Steps run one per tick of a timer inside the loop of a menu that shows,
// each once its condition holds; a menu still open after ten seconds is
// ended, so that a test never hangs on it.
struct Steps {
  using Step = std::pair<std::function<bool()>, std::function<void()>>;
  explicit Steps(std::vector<Step> list) : steps(std::move(list)), timer(SetTimer(nullptr, 0, 100, Tick)) {
    current = this;
  }
  ~Steps() {
    KillTimer(nullptr, timer);
    current = nullptr;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (++current->ticks > 100) EndMenu();
    if (current->next < current->steps.size() && current->steps[current->next].first())
      current->steps[current->next++].second();
  }
  std::vector<Step> steps;
  size_t next = 0;
  int ticks = 0;
  UINT_PTR timer;
  static inline Steps* current = nullptr;
};

void PostKeys(HWND window, std::initializer_list<WORD> keys) {
  for (const WORD key : keys) PostMessageW(window, WM_KEYDOWN, key, 0);
}

// A right click through the system's input, as a user's, at a point of the screen.
void RightClickAt(POINT at) {
  INPUT input[3] = {};
  for (INPUT& i : input) i.type = INPUT_MOUSE;
  input[0].mi.dx = MulDiv(at.x, 65536, GetSystemMetrics(SM_CXSCREEN));
  input[0].mi.dy = MulDiv(at.y, 65536, GetSystemMetrics(SM_CYSCREEN));
  input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  input[1].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
  input[2].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
  SendInput(3, input, sizeof(INPUT));
}

// Shows the menu, typing the keys into it, and takes up its pick; the pick's
// item, or null.
TMenuItem* PopupAndPick(TApplication& app, TPopupMenu& menu, const TPopupOwner& window,
                        std::initializer_list<WORD> keys = {}) {
  TMenuItem* picked = nullptr;
  window.TakeForeground();
  PostKeys(window.Handle(), keys);
  if (menu.Popup(100, 100, window.Handle())) {
    MSG msg;
    while (PeekMessageA(&msg, app.Handle(), WM_MENU_PICK, WM_MENU_PICK, PM_REMOVE))
      picked = TMenuItem::FromCommand(UINT(msg.wParam));
  }
  return picked;
}
}  // namespace

TEST(MenuItem, AnItemBelongsToItsOwnerAloneAndItsNumberIsNotTakenAtOnce) {
  TApplication app;
  TComponent owner(nullptr);
  auto* menu = new TPopupMenu(&owner);
  auto* a = new TMenuItem(&owner);
  auto* c = new TMenuItem(&owner);
  menu->Items()->Add(a);
  a->Add(c);
  EXPECT_THROW(menu->Items()->Add(c), EMenuError) << "an item stands in one place only";
  // Deleting its parent only takes it out of the menu.
  const UINT command = a->Command();
  delete a;
  EXPECT_EQ(TMenuItem::FromCommand(command), nullptr);
  EXPECT_EQ(c->Parent(), nullptr);
  EXPECT_NE((new TMenuItem(&owner))->Command(), command) << "a pick still queued for it must find nothing";
  menu->Handle();
  delete menu;
  EXPECT_EQ(owner.ComponentCount(), 2) << "the items outlive their menu";
}

TEST(MainMenu, AFormRecreatedOrDestroyedWithItsMenuBarLeavesOneOwnerPerHandle) {
  TApplication app;
  const long menus = base::UniqueHandle<MenuTraits>::Live();
  auto* form = new TForm(&app);
  auto* menu = new TMainMenu(form);
  auto* file = new TMenuItem(form);
  menu->Items()->Add(file);
  auto* open = new TMenuItem(form);
  file->Add(open);
  TImageList images(nullptr);
  form->SetMenu(menu);
  const HMENU bar = GetMenu(form->Handle());
  ASSERT_TRUE(IsMenu(bar));
  form->DestroyHandle();
  const HWND second = form->Handle();
  EXPECT_TRUE(IsMenu(GetMenu(second))) << "a recreated window gets a live menu bar";
  form->SetMenu(nullptr);
  EXPECT_EQ(GetMenu(second), nullptr) << "a menu set on a live form changes at once";
  form->SetMenu(menu);
  // Images and shortcuts set on a built menu take effect.
  open->SetImageIndex(0);
  menu->SetImages(&images);
  open->SetShortCut(ShortCut('S', scCtrl));
  const HMENU rebuilt = GetMenu(second);
  EXPECT_EQ(CopyAcceleratorTableA(menu->Accelerators(), nullptr, 0), 1);
  MENUITEMINFOA mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_BITMAP;
  ASSERT_TRUE(GetMenuItemInfoA(GetSubMenu(rebuilt, 0), 0, TRUE, &mii));
  EXPECT_EQ(mii.hbmpItem, HBMMENU_CALLBACK);
  delete form;
  EXPECT_FALSE(IsMenu(bar));
  EXPECT_FALSE(IsMenu(rebuilt));
  EXPECT_EQ(base::UniqueHandle<MenuTraits>::Live(), menus);
}

TEST(PopupMenu, AKeyWithoutAMarkChoosesTheItemItsCaptionBeginsWith) {
  TApplication app;
  TComponent owner(nullptr);
  TPopupMenu menu(&owner);
  for (const char* caption : {"Alpha", "beta", "-", "Bravo", "Charlie", "\x93\xfa\x96\x7b"}) {  // the last: 日本
    auto* item = new TMenuItem(&owner);
    item->SetCaption(caption);
    item->SetEnabled(std::string(caption) != "Charlie");
    menu.Items()->Add(item);
  }
  // Wide captions (names the code page lacks) answer as well; "-" is one.
  for (const wchar_t* caption : {L"\u00fcber", L"-", L"x\u2603"}) {
    auto* item = new TMenuItem(&owner);
    item->SetCaptionW(caption);
    menu.Items()->Add(item);
  }
  const HMENU handle = menu.Handle();
  const auto answer = [&](char key) { return TMenu::HandleMenuChar(MAKEWPARAM(key, MF_POPUP), LPARAM(handle)); };
  EXPECT_EQ(answer('a'), MAKELRESULT(0, MNC_EXECUTE)) << "one such item: chosen, in any letter case";
  // Of several, the one after the item selected; then round again.
  EXPECT_EQ(answer('B'), MAKELRESULT(1, MNC_SELECT));
  MENUITEMINFOA mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_STATE;
  mii.fState = MFS_HILITE;
  SetMenuItemInfoA(handle, 3, TRUE, &mii);
  EXPECT_EQ(answer('b'), MAKELRESULT(1, MNC_SELECT));
  // A disabled item, a separator and half a double-byte character are no choice.
  for (const char key : {'C', '\x93'}) EXPECT_EQ(answer(key), MAKELRESULT(0, MNC_IGNORE)) << key;
  EXPECT_EQ(answer('-'), MAKELRESULT(7, MNC_EXECUTE)) << "the wide item, not the separator";
  EXPECT_EQ(answer('X'), MAKELRESULT(8, MNC_EXECUTE));
}

TEST(PopupMenu, SubmenusFilledAsTheyOpenShowWhatTheyGotAndItsPicksWork) {
  TApplication app;
  TComponent owner(nullptr);
  TPopupMenu menu(&owner);
  const TPopupOwner window(POINT{100, 100});
  const auto add = [&](TMenuItem* parent, const wchar_t* caption) {
    auto* item = new TMenuItem(&owner);
    item->SetCaptionW(caption);
    parent->Add(item);
    return item;
  };
  std::string opened;
  add(menu.Items(), L"A");
  TMenuItem* folder = add(menu.Items(), L"Folder");
  folder->SetFillOnPopup(true);
  folder->OnPopup = [&](TObject*) {
    opened += "folder ";
    if (folder->Count()) return;
    add(folder, L"\u00fc\u2603");
    TMenuItem* deeper = add(folder, L"Deeper");
    deeper->SetFillOnPopup(true);
    deeper->OnPopup = [&, deeper](TObject*) {
      opened += "deeper ";
      if (!deeper->Count()) add(deeper, L"X");
    };
  };
  // Right opens a submenu with its first item selected.
  TMenuItem* picked =
      PopupAndPick(app, menu, window, {VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RIGHT, VK_RETURN});
  ASSERT_NE(picked, nullptr);
  EXPECT_EQ(picked->CaptionW(), L"X");
  // Shown again (a Shift-pick), it holds each item once.
  picked = PopupAndPick(app, menu, window, {VK_DOWN, VK_DOWN, VK_RIGHT, VK_RETURN});
  ASSERT_NE(picked, nullptr);
  EXPECT_EQ(picked->CaptionW(), L"\u00fc\u2603");
  EXPECT_EQ(opened, "folder deeper folder ");
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu.Handle(), 1)), 2);
}

TEST(PopupMenu, ARightClickGoesToItsEventAndAMenuOverThePopupEscapedReturnsToIt) {
  TApplication app;
  TComponent owner(nullptr);
  TPopupMenu menu(&owner);
  const TPopupOwner window(POINT{100, 100});
  for (const char* caption : {"Alpha", "Bravo", "Charlie"}) {
    auto* item = new TMenuItem(&owner);
    item->SetCaption(caption);
    menu.Items()->Add(item);
  }
  TMenuItem* rightClicked = nullptr;
  UINT chosenOver = 1;
  menu.OnItemRightClick = [&](TMenuItem* item, POINT at) {
    rightClicked = item;
    const HMENU over = CreatePopupMenu();
    AppendMenuW(over, MF_STRING, 0xF001, L"Over");
    PostKeys(window.Handle(), {VK_ESCAPE});
    chosenOver = UINT(TrackPopupMenuEx(over, TPM_RECURSE | TPM_RETURNCMD, at.x, at.y, window.Handle(), nullptr));
    DestroyMenu(over);
    return false;
  };
  const Steps steps({{[] { return true; },
                      [&] {
                        RECT r{};
                        GetMenuItemRect(nullptr, menu.Handle(), 1, &r);
                        RightClickAt(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
                      }},
                     // Back in the popup, the first item is picked.
                     {[&] { return rightClicked != nullptr; },
                      [&] { PostKeys(window.Handle(), {VK_DOWN, VK_RETURN}); }}});
  TMenuItem* picked = PopupAndPick(app, menu, window);
  ASSERT_NE(rightClicked, nullptr);
  EXPECT_EQ(rightClicked->Caption(), "Bravo");
  EXPECT_EQ(chosenOver, 0u);
  ASSERT_NE(picked, nullptr) << "the right click picked nothing, and the popup came back";
  EXPECT_EQ(picked->Caption(), "Alpha");
}

TEST(ShellContextMenu, ShowsTheShellsCommandsForAFileAndNoneForAMissingOne) {
  TApplication app;
  const TPopupOwner window(POINT{100, 100});
  TempFolder folder;
  WriteBytes(folder.File("a.txt"), "text");
  const std::wstring file = AnsiToWide(folder.File("a.txt"));
  int commands = -1;
  const Steps steps({{[] { return FindWindowW(L"#32768", nullptr) != nullptr; },
                      [&] {
                        const HWND shown = FindWindowW(L"#32768", nullptr);
                        commands = GetMenuItemCount(reinterpret_cast<HMENU>(SendMessageW(shown, MN_GETHMENU, 0, 0)));
                        PostKeys(window.Handle(), {VK_ESCAPE});
                      }}});
  window.TakeForeground();
  EXPECT_FALSE(ShowShellContextMenu(window.Handle(), file, POINT{100, 100})) << "escaped";
  EXPECT_GT(commands, 3);
  EXPECT_FALSE(ShowShellContextMenu(window.Handle(), file + L".missing", POINT{100, 100}));
  FinishShellWork();
}
