// The tree view and its nodes: the nodes are the tree's own objects, and the
// control shows them.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Controls.h"
#include "ImgList.h"

namespace gui {

class TPopupMenu;
class TTreeNodes;
class TTreeView;

// Where a moved node goes, relative to the destination node.
enum TNodeAttachMode {
  naInsert,    // before the destination, at its level
  naAddChild,  // as the destination's last child
  naAdd,       // as the last node of the destination's list
};

// One row of the tree. The tree's nodes are objects of their own that mirror
// the control's items; the control only shows them, so every question about
// the tree's shape is answered without asking the window.
class TTreeNode {
 public:
  TTreeNode(const TTreeNode&) = delete;
  TTreeNode& operator=(const TTreeNode&) = delete;

  TTreeView* TreeView() const;

  const std::string& Text() const { return text_; }
  void SetText(const std::string& text);
  // The object the node carries; the node owns it and frees it when the node
  // goes, however the node or its tree goes.
  TObject* Data() const { return data_.get(); }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int index);
  int SelectedIndex() const { return selectedIndex_; }
  void SetSelectedIndex(int index);

  TTreeNode* Parent() const { return parent_; }
  // 0 for a top-level node.
  int Level() const;
  int Count() const { return int(children_.size()); }
  // Throws EListError for a position outside 0 .. Count - 1.
  TTreeNode* Item(int index) const;
  TTreeNode* GetFirstChild() const { return children_.empty() ? nullptr : children_.front(); }
  TTreeNode* GetNextSibling() const;
  // The row shown below or above this one (children of collapsed nodes are
  // not shown); null at either end or while the node is not in the control.
  TTreeNode* GetNextVisible();
  TTreeNode* GetPrevVisible();
  // Position among its siblings.
  int Index() const;

  bool Selected() const;
  void SetSelected(bool selected);
  bool Expanded() const;
  void Expand(bool recurse = false);
  void Collapse();
  void MakeVisible();

  // Moves the node with everything below it. A move onto the node itself or
  // into its own subtree is refused and changes nothing; the return value
  // tells whether the node moved. The node keeps its text, data, images and
  // children, and its selection.
  bool MoveTo(TTreeNode* destination, TNodeAttachMode mode);
  // Removes the node and everything below it; the tree reports each of them
  // to OnDeletion first. The object is gone afterwards.
  void Delete();
  // Opens the caption for in-place editing.
  void EditText();
  // The row (textOnly false) or the caption's box, in the tree's client
  // coordinates; empty when the node is not shown.
  RECT DisplayRect(bool textOnly);

 private:
  friend class TTreeNodes;
  friend class TTreeView;
  explicit TTreeNode(TTreeNodes* owner) : owner_(owner) {}
  ~TTreeNode() = default;
  // True when node is this node's parent, grandparent, ...
  bool HasAsParent(const TTreeNode* node) const;
  // Position in the tree's depth-first order.
  int AbsoluteIndex() const;
  // Hands the fields set in `item` to the control, once the node is in it.
  void UpdateItem(TVITEMA& item);
  // Sends a message about the node's item, once the node is in the control;
  // 0 when it is not.
  LRESULT SendToItem(UINT msg, WPARAM wParam);

  TTreeNodes* owner_;
  TTreeNode* parent_ = nullptr;
  std::vector<TTreeNode*> children_;
  HTREEITEM item_ = nullptr;  // written by TreeItems.cpp alone
  std::string text_;
  std::unique_ptr<TObject> data_;
  int imageIndex_ = -1;
  int selectedIndex_ = -1;
  bool expanded_ = false;  // kept while the node is out of the control
};

// The nodes of one tree view.
class TTreeNodes {
 public:
  explicit TTreeNodes(TTreeView* owner) : owner_(owner) {}
  ~TTreeNodes();
  TTreeNodes(const TTreeNodes&) = delete;
  TTreeNodes& operator=(const TTreeNodes&) = delete;

  int Count() const { return count_; }

  // A node as the last sibling of the given one (no node: the top level).
  // The ...Object forms give the new node its object; should the node not
  // come about, the object goes as well.
  TTreeNode* Add(TTreeNode* sibling, const std::string& text);
  TTreeNode* AddObject(TTreeNode* sibling, const std::string& text, std::unique_ptr<TObject> data);
  // A node as the last child of the given one (no node: the top level).
  TTreeNode* AddChild(TTreeNode* parent, const std::string& text);
  TTreeNode* AddChildObject(TTreeNode* parent, const std::string& text, std::unique_ptr<TObject> data);
  // A node before the given one, at its level (no node: last of the top level).
  TTreeNode* InsertObject(TTreeNode* sibling, const std::string& text, std::unique_ptr<TObject> data);

  // The node at that position of the depth-first order; throws EListError
  // for a position outside 0 .. Count - 1.
  TTreeNode* GetNodeFromIndex(int index);
  TTreeNode* Item(int index) { return GetNodeFromIndex(index); }
  TTreeNode* GetFirstNode() const { return roots_.empty() ? nullptr : roots_.front(); }
  const std::vector<TTreeNode*>& TopLevel() const { return roots_; }

  // Removes every node, reporting each to OnDeletion.
  void Clear();

  // Stops the control from painting while many nodes change; nodes added
  // meanwhile reach the control when the last update ends (or sooner, when
  // something asks the control about them).
  void BeginUpdate();
  void EndUpdate();

 private:
  friend class TTreeNode;
  friend class TTreeView;
  TTreeNode* InsertNode(TTreeNode* parent, size_t position, const std::string& text,
                        std::unique_ptr<TObject> data);
  std::vector<TTreeNode*>& SiblingsOf(const TTreeNode* node);
  void Unlink(TTreeNode* node);
  TTreeNode* FromItem(HTREEITEM item) const;
  static std::vector<TTreeNode*> Subtree(TTreeNode* node);  // the node, then its descendants, parents first
  void DestroyNodes(const std::vector<TTreeNode*>& doomed);  // reports and frees a subtree
  void Changed() { order_.clear(); }
  const std::vector<TTreeNode*>& Order();

  // Keeping the control's items in step with the nodes (TreeItems.cpp).
  void CreateItem(TTreeNode* node, HTREEITEM after);
  void CreateSubtree(TTreeNode* node, HTREEITEM after);
  void CreateItems(TTreeNode* node);  // the control's items for a subtree
  void Flush();                       // items for the nodes still without
  // The control lets go of the items of a subtree (of every node without
  // one), each node knowing it has none before the control hears of it:
  // whatever the control's notices run meanwhile never names a freed item.
  // `keepExpanded`: the nodes remember whether they were open, to be shown
  // so again.
  void DropItems(TTreeNode* node, bool keepExpanded);
  // The window went with its items: the nodes keep what only it knew.
  void ForgetItems();

  TTreeView* owner_;
  std::vector<TTreeNode*> roots_;
  int count_ = 0;
  int updateCount_ = 0;
  bool deferred_ = false;            // nodes wait for their items until the update ends
  std::vector<TTreeNode*> order_;    // depth-first, rebuilt on demand
};

// Parts of a row that a point can hit.
enum THitTest : unsigned {
  htAbove = 1 << 0,
  htBelow = 1 << 1,
  htNowhere = 1 << 2,
  htOnItem = 1 << 3,  // on the icon, the caption or the state icon
  htOnButton = 1 << 4,
  htOnIcon = 1 << 5,
  htOnIndent = 1 << 6,
  htOnLabel = 1 << 7,
  htOnRight = 1 << 8,
  htOnStateIcon = 1 << 9,
  htToLeft = 1 << 10,
  htToRight = 1 << 11,
};
using THitTests = unsigned;

enum TDragMode { dmManual, dmAutomatic };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
enum TMouseButton { mbLeft, mbRight, mbMiddle };

using TTVChangingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowChange)>;
using TTVChangedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVEditingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowEdit)>;
using TTVEditedEvent = std::function<void(TObject* Sender, TTreeNode* Node, std::string& S)>;
using TTVExpandedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, unsigned Shift, int X, int Y)>;
using TDragOverEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y,
                                          TDragState State, bool& Accept)>;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, int X, int Y)>;

class TTreeView : public TSubclassedControl {
 public:
  explicit TTreeView(TComponent* AOwner);
  ~TTreeView() override;

  TTreeNodes* Items() { return &items_; }

  // Each of these shows at once on a live control.
  TImageList* Images() const { return images_.List(); }
  void SetImages(TImageList* images);
  void SetIndent(int units);
  // False: captions can be edited in place.
  void SetReadOnly(bool readOnly);
  // ASCII characters a caption edited in place may not hold: such a new
  // name is refused with a message, and the node keeps its old one.
  std::string RefusedChars;
  void SetDragMode(TDragMode mode);
  // Opens on a right click when it pops up by itself (AutoPopup); the tree
  // lets go of it when the menu goes first.
  TLink<TPopupMenu> PopupMenu;

  TTreeNode* Selected() const;
  void SetSelected(TTreeNode* node);
  TTreeNode* DropTarget() const { return dropTarget_; }
  void SetDropTarget(TTreeNode* node);
  // The first row shown at the top of the client area.
  TTreeNode* TopItem();
  void SetTopItem(TTreeNode* node);
  // The node whose row holds the point (client coordinates), if any.
  TTreeNode* GetNodeAt(int x, int y);
  THitTests GetHitTestInfoAt(int x, int y);
  // True while a node's caption is open for editing.
  bool IsEditing() const;
  // Closes the caption being edited, taking what was typed as Enter does.
  void EndEditing();

  // Drag and drop within the tree. BeginDrag starts at once (automatic
  // dragging starts it when the control reports a drag of the selected
  // node); the mouse then drives it until a button is released or Escape is
  // pressed. EndDrag finishes it: with drop true at the current position.
  void BeginDrag();
  void EndDrag(bool drop);
  bool Dragging() const { return dragging_; }
  // Moves the drag to a point in client coordinates, as the mouse would.
  void DragTo(int x, int y);

  TTVChangingEvent OnChanging;
  TTVChangedEvent OnChange;
  TTVEditingEvent OnEditing;
  TTVEditedEvent OnEdited;
  TTVChangedEvent OnDeletion;  // the node still has its data when this runs
  TMouseEvent OnMouseUp;
  TDragOverEvent OnDragOver;
  TDragDropEvent OnDragDrop;
  TEndDragEvent OnEndDrag;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void DpiChanged() override;
  LRESULT CNNotify(NMHDR* header) override;
  LRESULT SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  friend class TTreeNode;
  friend class TTreeNodes;
  void DragMove(int x, int y);
  // The window goes (or the control): a drag ends with no word to anyone.
  void DropDrag();
  // The node of the item in `relation` (TVGN_*) to `from`, if any.
  TTreeNode* Related(UINT relation, HTREEITEM from = nullptr) const;
  HTREEITEM HitItem(int x, int y, UINT* flags);
  void ApplyImages();
  // OnChange for a selection that moved, with OnChanging first if nobody
  // announced the move.
  void ReportChange(TTreeNode* node);
  // After items went: reports a selection the control moved without a word.
  void ReportSilentChange(TTreeNode* before, int reportsBefore);

  TTreeNodes items_;
  TChangeLink images_{[this] { ApplyImages(); }};
  int indent_ = 19;
  bool readOnly_ = false;
  TDragMode dragMode_ = dmManual;
  COLORREF background_ = CLR_NONE;  // the colour the control was last given
  TTreeNode* dropTarget_ = nullptr;
  bool dragging_ = false;
  bool dragInside_ = false;
  bool dragAccepted_ = false;
  int dragX_ = 0, dragY_ = 0;
  POINT rightClick_{};         // where the right button last went down
  bool contextShown_ = false;  // the menu already opened for that click
  // Why a new name was refused, told once the control has ended the editing
  // (a message box meanwhile would end it again from within).
  std::optional<std::string> refusal_;
  // Set while the layer itself moves the selection (a node's move), so the
  // events report only what the user or the program asked for.
  int quietSelection_ = 0;
  bool changingReported_ = false;  // OnChanging ran for the change under way
  int changeReports_ = 0;          // how many changes were reported so far
};

}  // namespace gui
