// The tree view's own nodes against the real control: deep trees, the order
// of the selection's announcements, properties set on the live control, and
// the objects the nodes own.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "Forms.h"
#include "ImgList.h"
#include "TreeView.h"

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

struct Counted : TObject {
  explicit Counted(int& n) : freed(n) {}
  ~Counted() override { ++freed; }
  int& freed;
};

// Counts the changes asked of one item of the control once it is being freed.
struct ItemWatch {
  HTREEITEM item;
  bool freed = false;
  int uses = 0;
};
LRESULT CALLBACK CountFreedItemUse(HWND h, UINT msg, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR data) {
  auto* watch = reinterpret_cast<ItemWatch*>(data);
  if (msg == TVM_DELETEITEM && HTREEITEM(l) == watch->item) watch->freed = true;
  if (msg == TVM_SETITEMA && watch->freed && reinterpret_cast<TVITEMA*>(l)->hItem == watch->item) ++watch->uses;
  return DefSubclassProc(h, msg, w, l);
}
}  // namespace

TEST_F(TreeViewTest, DeepTreesAreMadeWithoutRecursionAndTheirObjectsGoWithThem) {
  int freed = 0;
  TTreeNodes* nodes = tree->Items();
  nodes->BeginUpdate();
  TTreeNode* n = nullptr;
  for (int i = 0; i < 3000; ++i) n = nodes->AddChildObject(n, "n", std::make_unique<Counted>(freed));
  nodes->EndUpdate();
  EXPECT_EQ(n->Level(), 2999);
  EXPECT_EQ(nodes->GetNodeFromIndex(2999), n);
  nodes->AddObject(nullptr, "b", std::make_unique<Counted>(freed))->Delete();
  EXPECT_EQ(freed, 1);
  delete form;
  EXPECT_EQ(freed, 3001) << "a tree destroyed with its nodes frees their objects";
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
  // The handler writes to the node the selection leaves, as an editor keeps
  // what was typed for it: a node that is going no longer has an item.
  tree->OnChanging = [&](TObject*, TTreeNode* n, bool&) {
    if (TTreeNode* old = tree->Selected()) old->SetText(old->Text());
    log.append("?").append(name(n)).append(" ");
  };
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
  auto click = [&](TTreeNode* from, TTreeNode* to) {
    PostMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, middle(from));
    if (from != to) PostMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, middle(to));
    PostMessageA(h, WM_LBUTTONUP, 0, middle(to));
  };
  // Deleting the selected node, while watching for any use of its freed item.
  auto deleting = [&](TTreeNode* node) {
    ItemWatch watch{HTREEITEM(SendMessageA(h, TVM_GETNEXTITEM, TVGN_CARET, 0))};
    SetWindowSubclass(h, CountFreedItemUse, 7, DWORD_PTR(&watch));
    const std::string result = moves([&] { node->Delete(); });
    RemoveWindowSubclass(h, CountFreedItemUse, 7);
    EXPECT_EQ(watch.uses, 0) << "the freed item was named";
    return result;
  };

  EXPECT_EQ(moves([&] { tree->SetSelected(b); }), "?b !b ");
  EXPECT_EQ(moves([&] { SendMessageA(h, WM_KEYDOWN, VK_DOWN, 0); }), "?c !c ");
  EXPECT_EQ(moves([&] { click(a, a); }), "?a !a ");
  // A drag takes the node it starts on along as the selection.
  EXPECT_EQ(moves([&] { click(c, a); }), "?c !c ");
  EXPECT_FALSE(tree->Dragging());
  // The selected node goes: its neighbour is selected, or none at all.
  EXPECT_EQ(deleting(c), "?d !d ");
  EXPECT_EQ(deleting(nodes->GetNodeFromIndex(2)), "?b !b ");
  EXPECT_EQ(deleting(b), "?a !a ");
  EXPECT_EQ(deleting(a), "?- !- ");
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
