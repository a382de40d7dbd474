#include <gtest/gtest.h>

#include "Forms.h"
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

  // Deleting an item takes its children along and leaves its parent.
  const UINT command = c->Command();
  EXPECT_EQ(TMenuItem::FromCommand(command), c);
  delete a;
  EXPECT_EQ(top->Count(), 1);
  EXPECT_EQ(TMenuItem::FromCommand(command), nullptr);
  EXPECT_EQ(owner.ComponentCount(), 3) << "menu, b and the loose item of the failed insert";
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

TEST(MenuItem, ClickRunsTheHandlerOnlyWhenEnabled) {
  TApplication app;
  TMenuItem item(nullptr);
  int clicks = 0;
  item.OnClick = [&](TObject* sender) {
    EXPECT_EQ(sender, &item);
    ++clicks;
  };
  item.Click();
  item.SetEnabled(false);
  item.Click();
  EXPECT_EQ(clicks, 1);
}
