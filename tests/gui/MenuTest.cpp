#include <gtest/gtest.h>

#include "Forms.h"
#include "ImgList.h"
#include "Menus.h"

using namespace gui;

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
  for (const char key : {'C', '-', '\x93'}) EXPECT_EQ(answer(key), MAKELRESULT(0, MNC_IGNORE)) << key;
}
