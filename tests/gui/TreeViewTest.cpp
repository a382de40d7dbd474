// The tree view's own nodes against the real control: deep trees, the order
// of the selection's announcements, properties set on the live control, and
// the objects the nodes own.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "TreeView.h"
#include "Forms.h"
#include "ImgList.h"

using namespace gui;

namespace {

class TreeViewTest : public testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(&app);
    tree = new TTreeView(form);
    tree->SetBounds(0, 0, 200, 300);
    tree->SetParent(form);
    tree->Handle();
  }

  TApplication app;
  TForm* form;
  TTreeView* tree;
};

}  // namespace

TEST_F(TreeViewTest, AVeryDeepTreeIsMadeAndFreedWithoutRecursion) {
  TTreeNodes* nodes = tree->Items();
  nodes->BeginUpdate();
  TTreeNode* n = nullptr;
  for (int i = 0; i < 3000; ++i) n = nodes->AddChild(n, "n");
  nodes->EndUpdate();
  EXPECT_EQ(n->Level(), 2999);
  EXPECT_EQ(nodes->GetNodeFromIndex(2999), n);
}

TEST_F(TreeViewTest, EveryWayTheSelectionMovesIsAnnouncedBeforeTheMove) {
  TTreeNodes* nodes = tree->Items();
  TTreeNode* a = nodes->Add(nullptr, "a");
  TTreeNode* b = nodes->Add(nullptr, "b");
  TTreeNode* c = nodes->Add(nullptr, "c");
  nodes->Add(nullptr, "d");
  tree->SetDragMode(dmAutomatic);
  HWND h = tree->Handle();
  std::string log;
  auto name = [](TTreeNode* n) { return n ? n->Text() : std::string("-"); };
  tree->OnChanging = [&](TObject*, TTreeNode* n, bool&) { log.append("?").append(name(n)).append(" "); };
  tree->OnChange = [&](TObject*, TTreeNode* n) { log.append("!").append(name(n)).append(" "); };
  auto moves = [&](const std::function<void()>& act) {
    log.clear();
    act();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    return log;
  };
  auto middle = [](TTreeNode* n) {
    const RECT r = n->DisplayRect(true);
    return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  };

  EXPECT_EQ(moves([&] { tree->SetSelected(b); }), "?b !b ");
  EXPECT_EQ(moves([&] { SendMessageA(h, WM_KEYDOWN, VK_DOWN, 0); }), "?c !c ");
  EXPECT_EQ(moves([&] {
              PostMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, middle(a));
              PostMessageA(h, WM_LBUTTONUP, 0, middle(a));
            }),
            "?a !a ");
  // A drag takes the node it starts on along as the selection.
  EXPECT_EQ(moves([&] {
              PostMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, middle(c));
              PostMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, middle(a));
              PostMessageA(h, WM_LBUTTONUP, 0, middle(a));
            }),
            "?c !c ");
  EXPECT_FALSE(tree->Dragging());
  // The selected node goes: its neighbour is selected, or none at all.
  EXPECT_EQ(moves([&] { c->Delete(); }), "?d !d ");
  EXPECT_EQ(moves([&] { nodes->GetNodeFromIndex(2)->Delete(); }), "?b !b ");
  EXPECT_EQ(moves([&] { b->Delete(); }), "?a !a ");
  EXPECT_EQ(moves([&] { a->Delete(); }), "?- !- ");
  nodes->Add(nullptr, "e");
  EXPECT_EQ(moves([&] { tree->SetSelected(nodes->GetFirstNode()); }), "?e !e ");
  EXPECT_EQ(moves([&] { nodes->Clear(); }), "?- !- ");
}

TEST_F(TreeViewTest, PropertiesSetOnTheLiveControlTakeEffect) {
  TImageList list(nullptr);
  tree->SetImages(&list);
  tree->SetIndent(31);
  tree->SetReadOnly(true);
  tree->SetDragMode(dmAutomatic);
  HWND h = tree->Handle();
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageA(h, TVM_GETIMAGELIST, TVSIL_NORMAL, 0)), list.Handle());
  EXPECT_EQ(SendMessageA(h, TVM_GETINDENT, 0, 0), 31);
  EXPECT_EQ(GetWindowLongA(h, GWL_STYLE) & (TVS_EDITLABELS | TVS_DISABLEDRAGDROP), 0);

  // Images read from bytes come under a new handle, which the tree follows.
  TImageList other(nullptr);
  ASSERT_TRUE(list.ReadData(other.WriteData()));
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageA(h, TVM_GETIMAGELIST, TVSIL_NORMAL, 0)), list.Handle());
}

TEST(TreeNodes, ObjectsGoWithTheirNodesHoweverTheTreeGoes) {
  struct Counted : TObject {
    explicit Counted(int& n) : freed(n) {}
    ~Counted() override { ++freed; }
    int& freed;
  };
  TApplication app;
  int freed = 0;
  auto* form = new TForm(&app);
  auto* tree = new TTreeView(form);
  tree->SetParent(form);
  form->Handle();
  TTreeNode* a = tree->Items()->AddObject(nullptr, "a", std::make_unique<Counted>(freed));
  tree->Items()->AddChildObject(a, "a1", std::make_unique<Counted>(freed));
  tree->Items()->AddObject(nullptr, "b", std::make_unique<Counted>(freed))->Delete();
  EXPECT_EQ(freed, 1);
  delete form;
  EXPECT_EQ(freed, 3) << "a tree destroyed with its nodes frees their objects";
}
