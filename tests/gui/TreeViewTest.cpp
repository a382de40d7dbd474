// The tree view's own nodes against the real control: the control shows
// exactly what the nodes say, however they were made or moved.
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
    tree->OnDeletion = [this](TObject*, TTreeNode* n) { deleted += n->Text() + " "; };
  }

  // What the control itself holds, captions with children in brackets.
  std::string ControlShape(HTREEITEM first = nullptr) {
    HWND h = tree->Handle();
    std::string out;
    HTREEITEM item = first ? first : reinterpret_cast<HTREEITEM>(SendMessageA(h, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    for (; item; item = reinterpret_cast<HTREEITEM>(SendMessageA(h, TVM_GETNEXTITEM, TVGN_NEXT, LPARAM(item)))) {
      char text[64] = {};
      TVITEMA tv{};
      tv.mask = TVIF_TEXT | TVIF_IMAGE;
      tv.hItem = item;
      tv.pszText = text;
      tv.cchTextMax = sizeof text;
      SendMessageA(h, TVM_GETITEMA, 0, LPARAM(&tv));
      std::string entry = out.empty() ? "" : ", ";
      entry.append(text);
      if (tv.iImage >= 0) entry.append("#").append(std::to_string(tv.iImage));
      auto child = reinterpret_cast<HTREEITEM>(SendMessageA(h, TVM_GETNEXTITEM, TVGN_CHILD, LPARAM(item)));
      if (child) entry.append("[").append(ControlShape(child)).append("]");
      out.append(entry);
    }
    return out;
  }

  TApplication app;
  TForm* form;
  TTreeView* tree;
  std::string deleted;
};

}  // namespace

TEST_F(TreeViewTest, NodesMadeDuringAnUpdateReachTheControlInOrder) {
  TTreeNodes* nodes = tree->Items();
  TTreeNode* b = nodes->Add(nullptr, "b");
  nodes->BeginUpdate();
  TTreeNode* a = nodes->Insert(b, "a");
  TTreeNode* c = nodes->Add(b, "c");
  TTreeNode* c1 = nodes->AddChild(c, "c1");
  c1->SetImageIndex(4);
  nodes->AddChild(c1, "c11");
  nodes->AddChild(b, "b1");
  EXPECT_EQ(ControlShape(), "b") << "not yet";
  nodes->EndUpdate();
  EXPECT_EQ(ControlShape(), "a, b[b1], c[c1#4[c11]]");
  EXPECT_EQ(nodes->Count(), 7 - 1);
  EXPECT_EQ(nodes->GetNodeFromIndex(0), a);
  EXPECT_EQ(nodes->GetNodeFromIndex(5)->Text(), "c11");
  EXPECT_EQ(c1->Level(), 1);
  EXPECT_EQ(c1->Parent(), c);
  EXPECT_THROW(nodes->GetNodeFromIndex(6), EListError);
  EXPECT_THROW(nodes->GetNodeFromIndex(-1), EListError);

  // Asking the control about a node makes it there at once.
  nodes->BeginUpdate();
  TTreeNode* d = nodes->Add(nullptr, "d");
  tree->SetSelected(d);
  EXPECT_EQ(tree->Selected(), d);
  nodes->EndUpdate();
  EXPECT_EQ(ControlShape(), "a, b[b1], c[c1#4[c11]], d");
}

TEST_F(TreeViewTest, MovesTakeTheSubtreeAlongAndRefuseToGoIntoItself) {
  TTreeNodes* nodes = tree->Items();
  TTreeNode* a = nodes->Add(nullptr, "a");
  TTreeNode* b = nodes->Add(nullptr, "b");
  TTreeNode* b1 = nodes->AddChild(b, "b1");
  TTreeNode* b11 = nodes->AddChild(b1, "b11");
  TTreeNode* c = nodes->Add(nullptr, "c");
  b->Expand(true);
  tree->SetSelected(b11);
  int changes = 0;
  tree->OnChange = [&](TObject*, TTreeNode*) { ++changes; };

  EXPECT_TRUE(b->MoveTo(a, naInsert));
  EXPECT_EQ(ControlShape(), "b[b1[b11]], a, c");
  EXPECT_TRUE(b->MoveTo(c, naAddChild));
  EXPECT_EQ(ControlShape(), "a, c[b[b1[b11]]]");
  EXPECT_TRUE(a->MoveTo(b11, naAdd));
  EXPECT_EQ(ControlShape(), "c[b[b1[b11, a]]]");
  EXPECT_FALSE(b->MoveTo(b11, naAddChild));
  EXPECT_FALSE(b->MoveTo(b, naInsert));
  EXPECT_FALSE(c->MoveTo(a, naAdd));
  EXPECT_EQ(ControlShape(), "c[b[b1[b11, a]]]");
  EXPECT_EQ(tree->Selected(), b11) << "the selection moved along";
  EXPECT_EQ(changes, 0) << "and no selection change was reported";
  EXPECT_TRUE(b1->Expanded());
  EXPECT_EQ(a->AbsoluteIndex(), 4);
  EXPECT_EQ(a->Level(), 3);
}

TEST_F(TreeViewTest, DeletingReportsEachNodeOnceWhileItStillExists) {
  TTreeNodes* nodes = tree->Items();
  TTreeNode* a = nodes->Add(nullptr, "a");
  TTreeNode* b = nodes->Add(nullptr, "b");
  nodes->AddChild(b, "b1");
  nodes->AddChild(nodes->AddChild(b, "b2"), "b21");
  tree->SetSelected(nodes->GetNodeFromIndex(4));
  std::string seenWhenChanged;
  tree->OnChange = [&](TObject*, TTreeNode* n) { seenWhenChanged += n ? n->Text() : "-"; };
  b->Delete();
  EXPECT_EQ(deleted, "b1 b21 b2 b ") << "children before their parent";
  EXPECT_EQ(nodes->Count(), 1);
  EXPECT_EQ(ControlShape(), "a");
  EXPECT_EQ(tree->Selected(), a) << "the selection moved to what is left";
  EXPECT_EQ(seenWhenChanged, "a") << "and was reported while every node was still there";
  deleted.clear();
  nodes->Clear();
  EXPECT_EQ(deleted, "a ");
  EXPECT_EQ(ControlShape(), "");
}

TEST_F(TreeViewTest, AVeryDeepTreeIsMadeAndFreedWithoutRecursion) {
  TTreeNodes* nodes = tree->Items();
  nodes->BeginUpdate();
  TTreeNode* n = nullptr;
  for (int i = 0; i < 3000; ++i) n = nodes->AddChild(n, "n");
  nodes->EndUpdate();
  EXPECT_EQ(n->Level(), 2999);
  EXPECT_EQ(nodes->GetNodeFromIndex(2999), n);
  tree->OnDeletion = nullptr;
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
