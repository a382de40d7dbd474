// The control's items kept in step with the tree's nodes: the one place that
// gives a node its item, takes it away, and tells the control what changed.
#include <algorithm>
#include <cstring>

#include "TreeView.h"

namespace gui {

namespace {

// The control takes -1 as "ask me later"; a node without a picture says so
// with the value the control keeps blank.
int ItemImage(int index) { return index < 0 ? I_IMAGENONE : index; }

}  // namespace

// --- What a node tells its item -----------------------------------------------------

void TTreeNode::UpdateItem(TVITEMA& item) {
  TTreeView* tree = TreeView();
  if (!item_ || !tree->HandleAllocated()) return;
  item.hItem = item_;
  SendMessageA(tree->Handle(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

LRESULT TTreeNode::SendToItem(UINT msg, WPARAM wParam) {
  owner_->Flush();
  TTreeView* tree = TreeView();
  if (!item_ || !tree->HandleAllocated()) return 0;
  return SendMessageA(tree->Handle(), msg, wParam, reinterpret_cast<LPARAM>(item_));
}

void TTreeNode::SetText(const std::string& text) {
  text_ = text;
  TVITEMA item{};
  item.mask = TVIF_TEXT;
  item.pszText = text_.data();
  UpdateItem(item);
}

void TTreeNode::SetImageIndex(int index) {
  imageIndex_ = index;
  TVITEMA item{};
  item.mask = TVIF_IMAGE;
  item.iImage = ItemImage(index);
  UpdateItem(item);
}

void TTreeNode::SetSelectedIndex(int index) {
  selectedIndex_ = index;
  TVITEMA item{};
  item.mask = TVIF_SELECTEDIMAGE;
  item.iSelectedImage = ItemImage(index);
  UpdateItem(item);
}

TTreeNode* TTreeNode::GetNextVisible() {
  owner_->Flush();
  return item_ ? TreeView()->Related(TVGN_NEXTVISIBLE, item_) : nullptr;
}

TTreeNode* TTreeNode::GetPrevVisible() {
  owner_->Flush();
  return item_ ? TreeView()->Related(TVGN_PREVIOUSVISIBLE, item_) : nullptr;
}

bool TTreeNode::Expanded() const {
  TTreeView* tree = TreeView();
  if (!item_ || !tree->HandleAllocated()) return expanded_;
  return (SendMessageA(tree->Handle(), TVM_GETITEMSTATE, WPARAM(item_), TVIS_EXPANDED) &
          TVIS_EXPANDED) != 0;
}

void TTreeNode::Expand(bool recurse) {
  expanded_ = true;
  SendToItem(TVM_EXPAND, TVE_EXPAND);
  if (recurse)
    for (TTreeNode* c : children_) c->Expand(true);
}

void TTreeNode::Collapse() {
  expanded_ = false;
  SendToItem(TVM_EXPAND, TVE_COLLAPSE);
}

void TTreeNode::MakeVisible() { SendToItem(TVM_ENSUREVISIBLE, 0); }

void TTreeNode::EditText() {
  owner_->Flush();
  TTreeView* tree = TreeView();
  if (!item_ || !tree->HandleAllocated()) return;
  // Editing a caption selects its node, as the control documents; doing it
  // here makes every system agree and reports the selection as usual.
  tree->SetSelected(this);
  SetFocus(tree->Handle());
  SendToItem(TVM_EDITLABELA, 0);
}

RECT TTreeNode::DisplayRect(bool textOnly) {
  owner_->Flush();
  RECT r{};
  TTreeView* tree = TreeView();
  if (!item_ || !tree->HandleAllocated()) return r;
  // The message takes the item in the rectangle's first bytes.
  std::memcpy(&r, &item_, sizeof item_);
  if (!SendMessageA(tree->Handle(), TVM_GETITEMRECT, textOnly, reinterpret_cast<LPARAM>(&r)))
    r = RECT{};
  return r;
}

// --- Items made and dropped ---------------------------------------------------------

TTreeNode* TTreeNodes::FromItem(HTREEITEM item) const {
  if (!item || !owner_->HandleAllocated()) return nullptr;
  TVITEMA tv{};
  tv.mask = TVIF_PARAM;
  tv.hItem = item;
  if (!SendMessageA(owner_->handle_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv))) return nullptr;
  return reinterpret_cast<TTreeNode*>(tv.lParam);
}

void TTreeNodes::CreateItem(TTreeNode* node, HTREEITEM after) {
  TVINSERTSTRUCTA ins{};
  ins.hParent = node->parent_ ? node->parent_->item_ : TVI_ROOT;
  ins.hInsertAfter = after;
  ins.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  ins.item.pszText = node->text_.data();
  ins.item.iImage = ItemImage(node->imageIndex_);
  ins.item.iSelectedImage = ItemImage(node->selectedIndex_);
  ins.item.lParam = reinterpret_cast<LPARAM>(node);
  // A load makes thousands of these at once.
  node->item_ = reinterpret_cast<HTREEITEM>(owner_->ControlProc(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
  if (!node->item_) throw EOSError("ツリーに項目を追加できません。");
}

void TTreeNodes::CreateSubtree(TTreeNode* node, HTREEITEM after) {
  // Parents before children and children in order, without recursion: a
  // deep menu must not exhaust the stack. Below the subtree's top every item
  // is new, so each simply goes last among its siblings.
  std::vector<TTreeNode*> open;
  std::vector<TTreeNode*> stack{node};
  while (!stack.empty()) {
    TTreeNode* n = stack.back();
    stack.pop_back();
    CreateItem(n, n == node ? after : TVI_LAST);
    if (n->expanded_ && !n->children_.empty()) open.push_back(n);
    for (auto it = n->children_.rbegin(); it != n->children_.rend(); ++it) stack.push_back(*it);
  }
  for (TTreeNode* n : open)
    SendMessageA(owner_->handle_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(n->item_));
}

void TTreeNodes::CreateItems(TTreeNode* node) {
  const auto& siblings = SiblingsOf(node);
  const auto at = std::find(siblings.begin(), siblings.end(), node);
  CreateSubtree(node, at == siblings.begin() ? TVI_FIRST : (*(at - 1))->item_);
}

void TTreeNodes::Flush() {
  if (!deferred_ || !owner_->HandleAllocated()) return;
  deferred_ = false;
  // Every list in turn, keeping the item before each node at hand, so the
  // whole tree is walked once.
  std::vector<const std::vector<TTreeNode*>*> lists{&roots_};
  while (!lists.empty()) {
    const std::vector<TTreeNode*>* list = lists.back();
    lists.pop_back();
    HTREEITEM previous = TVI_FIRST;
    for (TTreeNode* n : *list) {
      if (!n->item_) CreateSubtree(n, previous);
      else if (!n->children_.empty()) lists.push_back(&n->children_);
      previous = n->item_;
    }
  }
}

void TTreeNodes::DropItems(TTreeNode* node, bool keepExpanded) {
  const std::vector<TTreeNode*> subtree = node ? std::vector<TTreeNode*>{node} : roots_;
  HTREEITEM item = node ? node->item_ : TVI_ROOT;
  if (!node) deferred_ = false;
  if (!item || !owner_->HandleAllocated()) return;
  std::vector<TTreeNode*> all = subtree;
  for (size_t i = 0; i < all.size(); ++i) {
    TTreeNode* n = all[i];
    if (keepExpanded) n->expanded_ = n->Expanded();
    all.insert(all.end(), n->children_.begin(), n->children_.end());
  }
  for (TTreeNode* n : all) n->item_ = nullptr;
  SendMessageA(owner_->handle_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
}

void TTreeNodes::ForgetItems() {
  for (TTreeNode* node : Order()) {
    node->expanded_ = node->Expanded();
    node->item_ = nullptr;
  }
}

}  // namespace gui
