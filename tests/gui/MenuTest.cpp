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
  std::vector<std::pair<std::function<bool()>, std::function<void()>>> steps;
  size_t next = 0;
  int ticks = 0;
  static Steps*& Current() {
    static Steps* current = nullptr;
    return current;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    Steps& s = *Current();
    if (++s.ticks > 100) EndMenu();
    if (s.next < s.steps.size() && s.steps[s.next].first()) s.steps[s.next++].second();
  }
  explicit Steps(decltype(steps) list) : steps(std::move(list)) {
    Current() = this;
    timer = SetTimer(nullptr, 0, 100, Tick);
  }
  ~Steps() {
    KillTimer(nullptr, timer);
    Current() = nullptr;
  }
  UINT_PTR timer;
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

TEST(MenuItem, TreeOperationsAndTheirFailures) {
  TApplication app;
  TComponent owner(nullptr);
  TPopupMenu menu(&owner);
  auto* a = new TMenuItem(&owner);
  auto* b = new TMenuItem(&owner);
  auto* c = new TMenuItem(&owner);
  TMenuItem* top = menu.Items();
  top->Add(a);
  top->Insert(0, b);
  a->Add(c);
  EXPECT_EQ(top->Items(0), b);
  EXPECT_EQ(top->Items(1), a);
  EXPECT_EQ(c->Parent(), a);
  EXPECT_EQ(c->Menu(), &menu);
  EXPECT_EQ(a->MenuIndex(), 1);

  EXPECT_THROW(b->Items(0), EMenuError) << "an item without children has no item 0";
  EXPECT_THROW(top->Items(2), EMenuError);
  EXPECT_THROW(top->Insert(3, new TMenuItem(&owner)), EMenuError);
  EXPECT_THROW(top->Add(c), EMenuError) << "an item stands in one place only";

  // An item belongs to its owner alone: deleting its parent only takes it
  // out of the menu.
  const UINT command = a->Command();
  delete a;
  EXPECT_EQ(top->Count(), 1);
  EXPECT_EQ(TMenuItem::FromCommand(command), nullptr);
  EXPECT_EQ(c->Parent(), nullptr);
  EXPECT_EQ(c->Menu(), nullptr);
  EXPECT_EQ(owner.ComponentCount(), 4) << "menu, b, c and the loose item of the failed insert";
}

TEST(MenuItem, TheOwnerFreesWhatIsLeftWhicheverGoesFirst) {
  TApplication app;
  auto* owner = new TComponent(nullptr);
  TPopupMenu* menu = new TPopupMenu(owner);
  auto* parent = new TMenuItem(owner);
  auto* child = new TMenuItem(owner);
  menu->Items()->Add(parent);
  parent->Add(child);
  const UINT childCommand = child->Command();
  menu->Handle();  // a built menu, as after a popup
  delete menu;      // the items outlive their menu
  EXPECT_EQ(parent->Menu(), nullptr);
  EXPECT_EQ(parent->Count(), 1);
  delete owner;  // and go with their owner, each once
  EXPECT_EQ(TMenuItem::FromCommand(childCommand), nullptr);
}

TEST(MainMenu, AFormRecreatedOrDestroyedWithItsMenuBarLeavesOneOwnerPerHandle) {
  TApplication app;
  const long menus = base::UniqueHandle<MenuTraits>::Live();
  auto* form = new TForm(&app);
  auto* menu = new TMainMenu(form);
  auto* file = new TMenuItem(form);
  file->SetCaption("File");
  menu->Items()->Add(file);
  auto* open = new TMenuItem(form);
  open->SetCaption("Open");
  file->Add(open);
  form->SetMenu(menu);
  const HWND first = form->Handle();
  const HMENU bar = GetMenu(first);
  ASSERT_TRUE(IsMenu(bar));

  form->DestroyHandle();
  const HWND second = form->Handle();
  EXPECT_TRUE(IsMenu(GetMenu(second))) << "a recreated window gets a live menu bar";
  EXPECT_EQ(GetMenuItemCount(GetMenu(second)), 1);
  form->SetMenu(nullptr);
  EXPECT_EQ(GetMenu(second), nullptr) << "a menu set on a live form changes at once";
  form->SetMenu(menu);
  open->SetCaption("Open...");
  const HMENU rebuilt = GetMenu(second);
  EXPECT_TRUE(IsMenu(rebuilt));

  delete form;
  EXPECT_FALSE(IsMenu(bar));
  EXPECT_FALSE(IsMenu(rebuilt));
  EXPECT_EQ(base::UniqueHandle<MenuTraits>::Live(), menus);
}

TEST(Menu, ImagesAndShortCutsSetOnABuiltMenuTakeEffect) {
  TApplication app;
  TComponent owner(nullptr);
  TImageList images(&owner);
  TMainMenu menu(&owner);
  auto* item = new TMenuItem(&owner);
  item->SetCaption("Save");
  item->SetImageIndex(0);
  menu.Items()->Add(item);
  menu.Handle();
  EXPECT_EQ(menu.Accelerators(), nullptr);
  menu.SetImages(&images);
  item->SetShortCut(ShortCut('S', scCtrl));
  ASSERT_NE(menu.Accelerators(), nullptr);
  EXPECT_EQ(CopyAcceleratorTableA(menu.Accelerators(), nullptr, 0), 1);
  MENUITEMINFOA mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_BITMAP;
  ASSERT_TRUE(GetMenuItemInfoA(menu.Handle(), 0, TRUE, &mii));
  EXPECT_EQ(mii.hbmpItem, HBMMENU_CALLBACK);
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
