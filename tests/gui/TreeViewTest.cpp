#include "GuiTest.h"

#include <commctrl.h>

#include <functional>

#include "ImgList.h"
#include "TreeView.h"

using namespace gui;

namespace {
class TreeView : public GuiTest {
 protected:
  TTreeView* tree = Make<TTreeView>(&form);
};

struct Counted : TObject {
  explicit Counted(int& n) : freed(n) {}
  ~Counted() override { ++freed; }
  int& freed;
};

// Counts the changes asked of the control's selected item once it is being freed.
struct ItemWatch {
  HTREEITEM item;
  bool freed = false;
  int uses = 0;
  static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR data) {
    auto& watch = *reinterpret_cast<ItemWatch*>(data);
    if (msg == TVM_DELETEITEM && HTREEITEM(l) == watch.item) watch.freed = true;
    if (msg == TVM_SETITEMA && watch.freed && reinterpret_cast<TVITEMA*>(l)->hItem == watch.item) ++watch.uses;
    return DefSubclassProc(h, msg, w, l);
  }
};
}  // namespace

TEST_F(TreeView, DeepTreesAreMadeWithoutRecursionAndTheirObjectsGoWithThem) {
  int freed = 0;
  tree->Handle();
  TTreeNodes* nodes = tree->Items();
  nodes->BeginUpdate();
  TTreeNode* n = nullptr;
  for (int i = 0; i < 3000; ++i) n = nodes->AddChildObject(n, "n", std::make_unique<Counted>(freed));
  nodes->EndUpdate();
  EXPECT_EQ(n->Level(), 2999);
  EXPECT_EQ(nodes->GetNodeFromIndex(2999), n);
  nodes->AddObject(nullptr, "b", std::make_unique<Counted>(freed))->Delete();
  EXPECT_EQ(freed, 1);
  delete tree;
  EXPECT_EQ(freed, 3001) << "a tree destroyed with its nodes frees their objects";
}

TEST_F(TreeView, EveryWayTheSelectionMovesIsAnnouncedBeforeTheMoveAndNoFreedItemIsNamed) {
  TTreeNodes* nodes = tree->Items();
  TTreeNode* a = nodes->Add(nullptr, "a");
  TTreeNode* b = nodes->Add(nullptr, "b");
  TTreeNode* c = nodes->Add(nullptr, "c");
  nodes->Add(nullptr, "d");
  const HWND h = tree->Handle();
  std::string log;
  const auto note = [&](char mark, TTreeNode* n) {
    log.append(1, mark).append(n ? n->Text() : "-").append(" ");
    int roots = 0;
    for (TTreeNode* r = nodes->GetFirstNode(); r; r = r->GetNextSibling()) ++roots;
    EXPECT_EQ(nodes->Count(), roots) << "counted as the tree stands, at " << log;
  };
  // The handler writes to the node the selection leaves, as an editor keeps
  // what was typed for it: a node that is going no longer has an item.
  tree->OnChanging = [&](TObject*, TTreeNode* n, bool&) {
    if (TTreeNode* old = tree->Selected()) old->SetText(old->Text());
    note('?', n);
  };
  tree->OnChange = [&](TObject*, TTreeNode* n) { note('!', n); };
  // What one act announces, while any use of the selection's freed item is counted.
  const auto moves = [&](const std::function<void()>& act) {
    log.clear();
    ItemWatch watch{HTREEITEM(SendMessageA(h, TVM_GETNEXTITEM, TVGN_CARET, 0))};
    SetWindowSubclass(h, ItemWatch::Proc, 7, DWORD_PTR(&watch));
    act();
    RemoveWindowSubclass(h, ItemWatch::Proc, 7);
    EXPECT_EQ(watch.uses, 0) << "the freed item was named";
    return log;
  };
  EXPECT_EQ(moves([&] { tree->SetSelected(b); }), "?b !b ");
  EXPECT_EQ(moves([&] { SendMessageA(h, WM_KEYDOWN, VK_DOWN, 0); }), "?c !c ");
  // The selected node goes: its neighbour is selected, or none at all.
  EXPECT_EQ(moves([&] { c->Delete(); }), "?d !d ");
  EXPECT_EQ(moves([&] { nodes->GetNodeFromIndex(2)->Delete(); }), "?b !b ");
  EXPECT_EQ(moves([&] { b->Delete(); }), "?a !a ");
  EXPECT_EQ(moves([&] { a->Delete(); }), "?- !- ");
  nodes->Add(nullptr, "e");
  EXPECT_EQ(moves([&] { tree->SetSelected(nodes->GetFirstNode()); }), "?e !e ");
  EXPECT_EQ(moves([&] { nodes->Clear(); }), "?- !- ");
}

TEST_F(TreeView, ImagesReadFromBytesComeUnderANewHandleWhichTheTreeFollows) {
  TImageList list(nullptr), other(nullptr);
  tree->SetImages(&list);
  ASSERT_TRUE(list.ReadData(other.WriteData()));
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageA(tree->Handle(), TVM_GETIMAGELIST, TVSIL_NORMAL, 0)),
            list.Handle());
}
