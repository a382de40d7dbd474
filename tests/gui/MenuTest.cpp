#include "GuiTest.h"
#include "Menus.h"
#include "ShellMenu.h"

using namespace gui;

namespace {
// Steps run one per tick of a timer inside the loop of a menu that shows,
// each once its condition holds; a menu still open after ten seconds is
// ended, so that a test never hangs on it.
struct Steps {
  using List = std::vector<std::pair<std::function<bool()>, std::function<void()>>>;
  explicit Steps(List list) : steps(std::move(list)) { current = this; }
  ~Steps() { KillTimer(nullptr, timer); }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (++current->ticks > 100) EndMenu();
    if (current->next < current->steps.size() && current->steps[current->next].first())
      current->steps[current->next++].second();
  }
  List steps;
  size_t next = 0;
  int ticks = 0;
  UINT_PTR timer = SetTimer(nullptr, 0, 100, Tick);
  static inline Steps* current = nullptr;
};

void PostKeys(HWND window, std::initializer_list<WORD> keys) {
  for (const WORD key : keys) PostMessageW(window, WM_KEYDOWN, key, 0);
}

// A menu that a popup window shows on the screen now, other than `except`; null when none.
HMENU ShownMenu(HMENU except = nullptr) {
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32768", nullptr)) != nullptr;) {
    const auto shown = reinterpret_cast<HMENU>(SendMessageW(w, MN_GETHMENU, 0, 0));
    if (IsWindowVisible(w) && shown != except) return shown;
  }
  return nullptr;
}

class Popup : public GuiTest {
 protected:
  template <class Text>
  TMenuItem* Item(TMenuItem* parent, const Text* caption) {
    auto* item = Make<TMenuItem>();
    if constexpr (std::is_same_v<Text, char>) item->SetCaption(caption);
    else item->SetCaptionW(caption);
    parent->Add(item);
    return item;
  }
  // Shows the menu, typing the keys into it; the item picked, or null.
  TMenuItem* Pick(std::initializer_list<WORD> keys = {}) {
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
  TPopupMenu& menu = *Make<TPopupMenu>();
  const TPopupOwner window{POINT{100, 100}};
};
}  // namespace

TEST_F(GuiTest, AnItemStandsInOneMenuAndItsCommandNumberIsNotTakenAgainAtOnce) {
  auto* menu = Make<TPopupMenu>();
  auto* a = Make<TMenuItem>();
  auto* c = Make<TMenuItem>();
  menu->Items()->Add(a);
  a->Add(c);
  EXPECT_THROW(menu->Items()->Add(c), EMenuError);
  const UINT command = a->Command();
  delete a;
  EXPECT_EQ(TMenuItem::FromCommand(command), nullptr);
  EXPECT_EQ(c->Parent(), nullptr) << "deleting its parent only takes it out of the menu";
  EXPECT_NE(Make<TMenuItem>()->Command(), command) << "a pick still queued for it must find nothing";
  menu->Handle();
  delete menu;
  EXPECT_EQ(form.ComponentCount(), 2) << "the items outlive their menu";
}

TEST_F(GuiTest, AFormRecreatedGetsItsMenuBarAndAShortcutSetOnABuiltMenuTakesEffect) {
  auto* menu = Make<TMainMenu>();
  auto* open = Make<TMenuItem>();
  menu->Items()->Add(open);
  form.SetMenu(menu);
  form.DestroyHandle();
  EXPECT_TRUE(IsMenu(GetMenu(form.Handle()))) << "a recreated window gets a live menu bar";
  open->SetShortCut(ShortCut('S', scCtrl));
  EXPECT_EQ(CopyAcceleratorTableA(menu->Accelerators(), nullptr, 0), 1);
}

TEST_F(GuiTest, AMenuNestedDeeperThanAnyoneNestsIsRefusedNotTakenDownWithTheStack) {
  auto* menu = Make<TPopupMenu>();
  TMenuItem* deepest = menu->Items();
  for (int level = 0; level < 10000; ++level) {
    auto* item = Make<TMenuItem>();
    item->SetCaption("S");
    deepest->Add(item);
    deepest = item;
  }
  EXPECT_THROW(menu->Handle(), EMenuError);
}

TEST_F(Popup, AKeyWithoutAMarkChoosesTheItemItsCaptionBeginsWith) {
  for (const char* caption : {"Alpha", "beta", "-", "Bravo", "Charlie", "\x93\xfa\x96\x7b"})  // the last: 日本
    Item(menu.Items(), caption);
  for (const wchar_t* caption : {L"\u00fcber", L"-", L"x\u2603"}) Item(menu.Items(), caption);
  menu.Items()->Items(4)->SetEnabled(false);
  const struct { char key; int index; WORD answer; } cases[] = {
      {'a', 0, MNC_EXECUTE},     // the one such item, in any letter case
      {'B', 1, MNC_SELECT},      // of several, the first, for the system to step on
      {'C', 0, MNC_IGNORE},      // disabled
      {'\x93', 0, MNC_IGNORE},   // half a double-byte character
      {'-', 7, MNC_EXECUTE},     // a wide caption, never a separator
      {'X', 8, MNC_EXECUTE},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TMenu::HandleMenuChar(MAKEWPARAM(c.key, MF_POPUP), LPARAM(menu.Handle())), MAKELRESULT(c.index, c.answer))
        << c.key;
  }
  // The shell's menu, over ours, holds its own data with its items.
  const base::UniqueHandle<MenuTraits> shell(CreatePopupMenu());
  std::string junk(256, 'A');
  const MENUITEMINFOA data{sizeof data, MIIM_DATA | MIIM_STRING, 0, 0, 1, nullptr, nullptr, nullptr,
                           ULONG_PTR(junk.data()), junk.data(), 0, nullptr};
  InsertMenuItemA(shell.Handle(), 0, TRUE, &data);
  EXPECT_EQ(TMenu::HandleMenuChar(MAKEWPARAM('A', MF_POPUP), LPARAM(shell.Handle())), MAKELRESULT(0, MNC_IGNORE));
}

TEST_F(Popup, SubmenusFilledAsTheyOpenShowWhatTheyGotAndItsPicksWork) {
  std::string opened;
  TMenuItem* folder = Item(menu.Items(), L"Folder");
  folder->SetFillOnPopup(true);
  folder->OnPopup = [&](TObject*) {
    opened += "folder ";
    if (folder->Count()) return;
    Item(folder, L"\u00fc\u2603");
    TMenuItem* deeper = Item(folder, L"Deeper");
    deeper->SetFillOnPopup(true);
    deeper->OnPopup = [&, deeper](TObject*) {
      opened += "deeper ";
      if (!deeper->Count()) Item(deeper, L"X");
    };
  };
  // Right opens a submenu with its first item selected.
  TMenuItem* picked = Pick({VK_DOWN, VK_RIGHT, VK_DOWN, VK_RIGHT, VK_RETURN});
  ASSERT_NE(picked, nullptr);
  EXPECT_EQ(picked->CaptionW(), L"X");
  // Shown again (a Shift-pick), it holds each item once.
  picked = Pick({VK_DOWN, VK_RIGHT, VK_RETURN});
  ASSERT_NE(picked, nullptr);
  EXPECT_EQ(picked->CaptionW(), L"\u00fc\u2603");
  EXPECT_EQ(opened, "folder deeper folder ");
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu.Handle(), 0)), 2);
}

TEST_F(Popup, ARightClickShowsTheShellsMenuOverThePopupWhichEscapedReturnsToIt) {
  for (const wchar_t* caption : {L"Alpha", L"Bravo", L"Charlie"}) Item(menu.Items(), caption);
  const std::wstring file = L"C:\\windows\\win.ini";
  TMenuItem* rightClicked = nullptr;
  bool picked = true;
  menu.OnItemRightClick = [&](TMenuItem* item, POINT at) {
    rightClicked = item;
    picked = ShowShellContextMenu(window.Handle(), file, at);
    return picked;
  };
  // A right click through the system's input, as a user's, once the popup
  // shows; back in the popup, whatever the pointer highlights, a letter picks.
  RECT r{};
  int commands = -1;
  const Steps steps({{[&] { return ShownMenu() == menu.Handle() && GetMenuItemRect(nullptr, menu.Handle(), 1, &r); },
                      [&] {
                        INPUT input[3] = {};
                        for (INPUT& i : input) i.type = INPUT_MOUSE;
                        input[0].mi = {MulDiv((r.left + r.right) / 2, 65536, GetSystemMetrics(SM_CXSCREEN)),
                                       MulDiv((r.top + r.bottom) / 2, 65536, GetSystemMetrics(SM_CYSCREEN)), 0,
                                       MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 0, 0};
                        input[1].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
                        input[2].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
                        SendInput(3, input, sizeof(INPUT));
                      }},
                     {[&] { return ShownMenu(menu.Handle()) != nullptr; },
                      [&] {
                        commands = GetMenuItemCount(ShownMenu(menu.Handle()));
                        PostKeys(window.Handle(), {VK_ESCAPE});
                      }},
                     {[&] { return rightClicked && ShownMenu() == menu.Handle() && !ShownMenu(menu.Handle()); },
                      [&] { PostKeys(window.Handle(), {'A'}); }}});
  TMenuItem* chosen = Pick();
  ASSERT_NE(rightClicked, nullptr);
  EXPECT_EQ(rightClicked->CaptionW(), L"Bravo");
  EXPECT_GT(commands, 3);
  EXPECT_FALSE(picked) << "escaped";
  ASSERT_NE(chosen, nullptr) << "the right click picked nothing, and the popup came back";
  EXPECT_EQ(chosen->CaptionW(), L"Alpha");
  EXPECT_FALSE(ShowShellContextMenu(window.Handle(), file + L".missing", POINT{100, 100}));
  FinishShellWork();
}
