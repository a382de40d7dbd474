// The main window's tree commands and the drop table, driven against the
// real tree control.
#include "EditorFixture.h"

using namespace gui;
using menufile::EntryKind;

namespace {

class TreeCommandsTest : public EditorTest {
 protected:
  // A, a separator, submenu S with s1 and s2, B, submenu T holding
  // submenu t1 with u1; everything open.
  void LoadSample() {
    Load(WriteMenu("sample.txt", "A\r\na.exe\r\n\r\n\r\nS\r\n\r\n\ts1\r\n\ts1.exe\r\n\ts2\r\n\ts2.exe\r\n"
                                 "B\r\nb.exe\r\nT\r\n\r\n\tt1\r\n\t\r\n\t\tu1\r\n\t\tu1.exe\r\n"));
    for (TTreeNode* n : Nodes().TopLevel()) n->Expand(true);
  }
  void Drop(const char* dragged, POINT at) {
    Select(dragged);
    form->TreeViewDragDrop(&Tree(), &Tree(), at.x, at.y);
  }
};

}  // namespace

TEST_F(TreeCommandsTest, SpecialItemsStartTheExplorerOnAShellFolder) {
  std::string saved;
  for (TMenuItem* entry : {Special(0), Special(1), Special(2)}) {
    Tree().SetSelected(nullptr);
    entry->Click();
    const TRecord* r = RecordOf(Nodes().TopLevel().back());
    EXPECT_EQ(r->CmdLine.substr(0, 3), "::{") << "a shell folder";
    EXPECT_FALSE(Tree().IsEditing());
    saved += utf8(entry->Caption()) + "\r\nExplorer.exe " + r->CmdLine + "\r\n";
  }
  // The Explorer's own icon, or none where it has none.
  TTreeNode* first = Nodes().GetNodeFromIndex(0);
  EXPECT_EQ(first->ImageIndex() < 0 ? std::vector<uint32_t>{} : NodePicture(first),
            FilePicture("Explorer.exe", 0));
  EXPECT_EQ(SaveToUtf8("out.txt"), saved);
}

TEST_F(TreeCommandsTest, DeleteTakesTheSubtreeAndItsRecordsAndNothingPointsAtThem) {
  LoadSample();
  Tree().SetSelected(nullptr);
  form->pmnuTreeView_DClick(nullptr);
  EXPECT_EQ(Nodes().Count(), 9) << "nothing selected, nothing deleted";

  // The window's current node lies inside the deleted submenu.
  Select("T");
  form->CurrentNode = Find("u1");
  int deletions = 0;
  const auto free = Tree().OnDeletion;
  Tree().OnDeletion = [&](TObject* s, TTreeNode* n) { ++deletions; free(s, n); };
  form->pmnuTreeView_DClick(nullptr);
  Tree().OnDeletion = free;
  EXPECT_EQ(Shape(), "A, ━━━━━━━━, S[s1, s2], B");
  EXPECT_EQ(deletions, 3) << "T, t1 and u1 each reported once";
  ASSERT_NE(form->CurrentNode, nullptr) << "the selection moved on, and so did the current node";
  EXPECT_EQ(form->CurrentNode, Tree().Selected());
}

TEST_F(TreeCommandsTest, DropsFollowTheTableOfRowsAndParts) {
  LoadSample();
  // Onto an item, any part: before it; onto a separator: nothing. Onto a
  // submenu's caption: its last child; its icon: before it; the indent left
  // of it: the end of the list that holds it; its expand button, or right of
  // its caption: nothing. Onto itself, or a submenu into its own subtree: nothing.
  const char* const last = "━━━━━━━━, S[s1, s2], T[B, t1[u1], A]";
  for (const auto& [dragged, onto, part, shape] :
       {std::tuple{"B", "A", htOnRight, "B, A, ━━━━━━━━, S[s1, s2], T[t1[u1]]"},
        {"A", "s2", htOnLabel, "B, ━━━━━━━━, S[s1, A, s2], T[t1[u1]]"},
        {"A", "━━━━━━━━", htOnLabel, "B, ━━━━━━━━, S[s1, A, s2], T[t1[u1]]"},
        {"B", "S", htOnLabel, "━━━━━━━━, S[s1, A, s2, B], T[t1[u1]]"},
        {"B", "t1", htOnIcon, "━━━━━━━━, S[s1, A, s2], T[B, t1[u1]]"},
        {"A", "t1", htOnIndent, last},
        {"A", "S", htOnButton, last},
        {"A", "S", htOnRight, last},
        {"S", "S", htOnLabel, last},
        {"T", "t1", htOnLabel, last},
        {"T", "u1", htOnLabel, last}}) {
    // A move is a change of the document; a refused one is none.
    form->Subject->Modified = false;
    const std::string before = Shape();
    Drop(dragged, PointOn(Find(onto), part));
    EXPECT_EQ(Shape(), shape) << dragged << " onto " << onto << " " << part;
    EXPECT_EQ(form->Subject->Modified, Shape() != before) << dragged << " onto " << onto << " " << part;
  }
}

TEST_F(TreeCommandsTest, MovedNodesKeepTheirRecordsPicturesChildrenAndSelection) {
  LoadSample();
  // Below the last row: the end of the deepest last list.
  const RECT last = Find("u1")->DisplayRect(false);
  ASSERT_LT(last.bottom + 5, Tree().ClientHeight());
  Drop("A", POINT{30, last.bottom + 5});
  EXPECT_EQ(Shape(), "━━━━━━━━, S[s1, s2], B, T[t1[u1, A]]");

  // With the mouse, onto a submenu's caption.
  const POINT from = PointOn(Find("B"), htOnLabel), to = PointOn(Find("S"), htOnLabel);
  const HWND tree = Tree().Handle();
  PostMessageA(tree, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
  PostMessageA(tree, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(from.x, from.y - 12));
  PostMessageA(tree, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
  PostMessageA(tree, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
  Pump();
  EXPECT_EQ(Shape(), "━━━━━━━━, S[s1, s2, B], T[t1[u1, A]]");
  EXPECT_FALSE(Tree().Dragging());

  TTreeNode* t = Find("T");
  TRecord* record = RecordOf(t);
  const int image = t->ImageIndex();
  Find("t1")->Collapse();
  Drop("T", PointOn(Find("S"), htOnIcon));
  EXPECT_EQ(Shape(), "━━━━━━━━, T[t1[u1, A]], S[s1, s2, B]");
  EXPECT_EQ(std::tuple(Find("T"), Tree().Selected(), RecordOf(t)), std::tuple(t, t, record));
  EXPECT_EQ(std::pair(t->ImageIndex(), t->SelectedIndex()), std::pair(image, image));
  EXPECT_TRUE(t->Expanded());
  EXPECT_FALSE(Find("t1")->Expanded()) << "open and closed submenus stay so";

  // A drop with nothing selected does nothing.
  const POINT p = PointOn(Find("B"), htOnLabel);
  Tree().SetSelected(nullptr);
  form->TreeViewDragDrop(&Tree(), &Tree(), p.x, p.y);
  EXPECT_EQ(Shape(), "━━━━━━━━, T[t1[u1, A]], S[s1, s2, B]");
}
