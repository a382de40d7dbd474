#include "TreeView.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "Forms.h"
#include "Menus.h"
#include "SysUtils.h"

namespace gui {

namespace {

// Posted to the control itself: a new name was refused (refusedCaption_).
constexpr UINT kRefusedName = WM_APP + 0x110;

[[noreturn]] void ThrowNodeIndex(int index) {
  throw EListError("リスト インデックスが範囲を超えています (" + std::to_string(index) + ")");
}

// The control takes -1 as "ask me later"; a node without a picture says so
// with the value the control keeps blank.
int ItemImage(int index) { return index < 0 ? I_IMAGENONE : index; }

}  // namespace

// --- TTreeNode ------------------------------------------------------------------

TTreeView* TTreeNode::TreeView() const { return owner_->owner_; }

void TTreeNode::UpdateItem(TVITEMA& item) {
  TTreeView* tree = TreeView();
  if (!item_ || !tree->HandleAllocated()) return;
  item.hItem = item_;
  SendMessageA(tree->Handle(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
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

int TTreeNode::Level() const {
  int level = 0;
  for (const TTreeNode* p = parent_; p; p = p->parent_) ++level;
  return level;
}

TTreeNode* TTreeNode::Item(int index) const {
  if (index < 0 || index >= Count()) ThrowNodeIndex(index);
  return children_[size_t(index)];
}

int TTreeNode::Index() const {
  const auto& siblings = owner_->SiblingsOf(this);
  return int(std::find(siblings.begin(), siblings.end(), this) - siblings.begin());
}

TTreeNode* TTreeNode::GetNextSibling() const {
  const auto& siblings = owner_->SiblingsOf(this);
  const size_t i = size_t(Index()) + 1;
  return i < siblings.size() ? siblings[i] : nullptr;
}

TTreeNode* TTreeNode::GetPrevSibling() const {
  const auto& siblings = owner_->SiblingsOf(this);
  const int i = Index();
  return i > 0 ? siblings[size_t(i - 1)] : nullptr;
}

TTreeNode* TTreeNode::GetNextVisible() const {
  owner_->Flush();
  TTreeView* tree = TreeView();
  if (!item_ || !tree->HandleAllocated()) return nullptr;
  return owner_->FromItemId(reinterpret_cast<HTREEITEM>(SendMessageA(
      tree->Handle(), TVM_GETNEXTITEM, TVGN_NEXTVISIBLE, reinterpret_cast<LPARAM>(item_))));
}

TTreeNode* TTreeNode::GetPrevVisible() const {
  owner_->Flush();
  TTreeView* tree = TreeView();
  if (!item_ || !tree->HandleAllocated()) return nullptr;
  return owner_->FromItemId(reinterpret_cast<HTREEITEM>(SendMessageA(
      tree->Handle(), TVM_GETNEXTITEM, TVGN_PREVIOUSVISIBLE, reinterpret_cast<LPARAM>(item_))));
}

int TTreeNode::AbsoluteIndex() const {
  const auto& order = owner_->Order();
  return int(std::find(order.begin(), order.end(), this) - order.begin());
}

bool TTreeNode::HasAsParent(const TTreeNode* node) const {
  if (!node) return false;
  for (const TTreeNode* p = parent_; p; p = p->parent_)
    if (p == node) return true;
  return false;
}

bool TTreeNode::Selected() const { return TreeView()->Selected() == this; }

void TTreeNode::SetSelected(bool selected) {
  TTreeView* tree = TreeView();
  if (selected) tree->SetSelected(this);
  else if (tree->Selected() == this) tree->SetSelected(nullptr);
}

bool TTreeNode::Expanded() const {
  TTreeView* tree = TreeView();
  if (!item_ || !tree->HandleAllocated()) return expanded_;
  return (SendMessageA(tree->Handle(), TVM_GETITEMSTATE, WPARAM(item_), TVIS_EXPANDED) &
          TVIS_EXPANDED) != 0;
}

void TTreeNode::Expand(bool recurse) {
  expanded_ = true;
  TTreeView* tree = TreeView();
  if (item_ && tree->HandleAllocated())
    SendMessageA(tree->Handle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item_));
  if (recurse)
    for (TTreeNode* c : children_) c->Expand(true);
}

void TTreeNode::Collapse() {
  expanded_ = false;
  TTreeView* tree = TreeView();
  if (item_ && tree->HandleAllocated())
    SendMessageA(tree->Handle(), TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(item_));
}

void TTreeNode::MakeVisible() {
  owner_->Flush();
  TTreeView* tree = TreeView();
  if (item_ && tree->HandleAllocated())
    SendMessageA(tree->Handle(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item_));
}

bool TTreeNode::MoveTo(TTreeNode* destination, TNodeAttachMode mode) {
  owner_->Flush();
  if (!destination || destination == this || destination->HasAsParent(this)) return false;
  if (destination->owner_ != owner_) return false;
  TTreeView* tree = TreeView();
  TTreeNodes* nodes = owner_;

  // The control cannot move an item: the subtree's items are dropped and
  // made again at the new place. The selection and the drop highlight are put
  // back afterwards; the round trip is no change the user made, so it is
  // not reported.
  TTreeNode* selected = tree->Selected();
  const bool selectionInside = selected && (selected == this || selected->HasAsParent(this));
  const bool targetInside =
      tree->dropTarget_ && (tree->dropTarget_ == this || tree->dropTarget_->HasAsParent(this));
  ++tree->quietSelection_;
  try {
    if (item_ && tree->HandleAllocated()) {
      nodes->ForgetItems(this);
      // ForgetItems cleared the handles; the control still holds the items.
    }
    nodes->Unlink(this);
    TTreeNode* newParent = mode == naAddChild ? destination : destination->parent_;
    std::vector<TTreeNode*>& siblings = newParent ? newParent->children_ : nodes->roots_;
    size_t position = siblings.size();
    if (mode == naInsert)
      position = size_t(std::find(siblings.begin(), siblings.end(), destination) - siblings.begin());
    siblings.insert(siblings.begin() + std::ptrdiff_t(position), this);
    parent_ = newParent;
    nodes->Changed();
    if (tree->HandleAllocated()) nodes->CreateItems(this);
    if (selectionInside) tree->SetSelected(selected);
    if (targetInside) tree->SetDropTarget(tree->dropTarget_);
  } catch (...) {
    --tree->quietSelection_;
    throw;
  }
  --tree->quietSelection_;
  return true;
}

void TTreeNode::Delete() {
  owner_->Flush();
  TTreeNodes* nodes = owner_;
  TTreeView* tree = TreeView();
  // The control lets go of its items first; while it moves the selection
  // away, every node is still there for the events to look at.
  TTreeNode* selected = tree->Selected();
  const int reports = tree->changeReports_;
  if (item_ && tree->HandleAllocated())
    SendMessageA(tree->Handle(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item_));
  nodes->Unlink(this);
  // A failing handler must not keep the unlinked nodes from going: they
  // would be lost to the tree and still counted.
  std::exception_ptr failure;
  try {
    tree->ReportSilentChange(selected, reports);
  } catch (...) {
    failure = std::current_exception();
  }
  try {
    nodes->DestroyNodes(this);
  } catch (...) {
    if (!failure) failure = std::current_exception();
  }
  if (failure) std::rethrow_exception(failure);
}

void TTreeNode::EditText() {
  owner_->Flush();
  TTreeView* tree = TreeView();
  if (!item_ || !tree->HandleAllocated()) return;
  // Editing a caption selects its node, as the control documents; doing it
  // here makes every system agree and reports the selection as usual.
  tree->SetSelected(this);
  SetFocus(tree->Handle());
  SendMessageA(tree->Handle(), TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(item_));
}

RECT TTreeNode::DisplayRect(bool textOnly) const {
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

// --- TTreeNodes -----------------------------------------------------------------

TTreeNodes::~TTreeNodes() {
  std::vector<TTreeNode*> stack(roots_.begin(), roots_.end());
  while (!stack.empty()) {
    TTreeNode* n = stack.back();
    stack.pop_back();
    stack.insert(stack.end(), n->children_.begin(), n->children_.end());
    delete n;
  }
}

std::vector<TTreeNode*>& TTreeNodes::SiblingsOf(const TTreeNode* node) {
  return node->parent_ ? node->parent_->children_ : roots_;
}

const std::vector<TTreeNode*>& TTreeNodes::Order() const {
  if (order_.size() != size_t(count_)) {
    order_.clear();
    order_.reserve(size_t(count_));
    // Depth-first without recursion, so a deep tree cannot exhaust the stack.
    std::vector<std::pair<const std::vector<TTreeNode*>*, size_t>> stack{{&roots_, 0}};
    while (!stack.empty()) {
      auto& [list, i] = stack.back();
      if (i >= list->size()) {
        stack.pop_back();
        continue;
      }
      TTreeNode* node = (*list)[i++];
      order_.push_back(node);
      if (!node->children_.empty()) stack.push_back({&node->children_, 0});
    }
  }
  return order_;
}

TTreeNode* TTreeNodes::GetNodeFromIndex(int index) const {
  if (index < 0 || index >= count_) ThrowNodeIndex(index);
  return Order()[size_t(index)];
}

TTreeNode* TTreeNodes::FromItemId(HTREEITEM item) const {
  if (!item || !owner_->HandleAllocated()) return nullptr;
  TVITEMA tv{};
  tv.mask = TVIF_PARAM;
  tv.hItem = item;
  if (!SendMessageA(owner_->handle_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv))) return nullptr;
  return reinterpret_cast<TTreeNode*>(tv.lParam);
}

TTreeNode* TTreeNodes::InsertNode(TTreeNode* parent, size_t position, const std::string& text,
                                  std::unique_ptr<TObject> data) {
  std::vector<TTreeNode*>& siblings = parent ? parent->children_ : roots_;
  position = std::min(position, siblings.size());
  auto* node = new TTreeNode(this);
  node->parent_ = parent;
  node->text_ = text;
  node->data_ = std::move(data);
  siblings.insert(siblings.begin() + std::ptrdiff_t(position), node);
  ++count_;
  Changed();
  if (owner_->HandleAllocated() && updateCount_ > 0) {
    // Made together when the update ends, each in one step with its
    // caption and pictures.
    deferred_ = true;
  } else if (owner_->HandleAllocated()) {
    try {
      CreateItems(node);
    } catch (...) {
      Unlink(node);
      --count_;
      delete node;
      throw;
    }
  }
  return node;
}

TTreeNode* TTreeNodes::Add(TTreeNode* sibling, const std::string& text) {
  return AddObject(sibling, text, nullptr);
}

TTreeNode* TTreeNodes::AddObject(TTreeNode* sibling, const std::string& text,
                                 std::unique_ptr<TObject> data) {
  TTreeNode* parent = sibling ? sibling->parent_ : nullptr;
  return InsertNode(parent, SIZE_MAX, text, std::move(data));
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, const std::string& text) {
  return AddChildObject(parent, text, nullptr);
}

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* parent, const std::string& text,
                                      std::unique_ptr<TObject> data) {
  return InsertNode(parent, SIZE_MAX, text, std::move(data));
}

TTreeNode* TTreeNodes::Insert(TTreeNode* sibling, const std::string& text) {
  return InsertObject(sibling, text, nullptr);
}

TTreeNode* TTreeNodes::InsertObject(TTreeNode* sibling, const std::string& text,
                                    std::unique_ptr<TObject> data) {
  if (!sibling) return InsertNode(nullptr, SIZE_MAX, text, std::move(data));
  return InsertNode(sibling->parent_, size_t(sibling->Index()), text, std::move(data));
}

void TTreeNodes::Unlink(TTreeNode* node) {
  auto& siblings = SiblingsOf(node);
  siblings.erase(std::remove(siblings.begin(), siblings.end(), node), siblings.end());
  Changed();
}

HTREEITEM TTreeNodes::CreateItem(TTreeNode* node, HTREEITEM after) const {
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
  return node->item_;
}

void TTreeNodes::CreateSubtree(TTreeNode* node, HTREEITEM after) const {
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

void TTreeNodes::Flush() const {
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

void TTreeNodes::ForgetItems(TTreeNode* node) {
  // Remember what only the control knew, then let it drop the items.
  std::vector<TTreeNode*> subtree{node};
  for (size_t i = 0; i < subtree.size(); ++i) {
    TTreeNode* n = subtree[i];
    n->expanded_ = n->Expanded();
    subtree.insert(subtree.end(), n->children_.begin(), n->children_.end());
  }
  HTREEITEM item = node->item_;
  for (TTreeNode* n : subtree) n->item_ = nullptr;
  SendMessageA(owner_->handle_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
}

void TTreeNodes::DestroyNodes(TTreeNode* node) {
  // Every node of the subtree is reported (children before their parent)
  // while all of them still exist, then all of them go.
  std::vector<TTreeNode*> doomed;
  std::vector<TTreeNode*> stack{node};
  while (!stack.empty()) {
    TTreeNode* n = stack.back();
    stack.pop_back();
    doomed.push_back(n);
    for (TTreeNode* c : n->children_) stack.push_back(c);
  }
  TTreeView* tree = owner_;
  for (TTreeNode* n : doomed)
    if (tree->dropTarget_ == n) tree->dropTarget_ = nullptr;
  count_ -= int(doomed.size());
  Changed();
  std::exception_ptr failure;
  for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) {
    if (!tree->OnDeletion) break;
    try {
      tree->OnDeletion(tree, *it);
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
  }
  for (TTreeNode* n : doomed) delete n;
  if (failure) std::rethrow_exception(failure);
}

void TTreeNodes::Clear() {
  if (roots_.empty()) return;
  BeginUpdate();
  TTreeNode* selected = owner_->Selected();
  const int reports = owner_->changeReports_;
  if (owner_->HandleAllocated())
    SendMessageA(owner_->handle_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  std::vector<TTreeNode*> roots;
  roots.swap(roots_);
  deferred_ = false;
  Changed();
  std::exception_ptr failure;
  try {
    owner_->ReportSilentChange(selected, reports);
  } catch (...) {
    failure = std::current_exception();
  }
  for (TTreeNode* root : roots) {
    try {
      DestroyNodes(root);
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
  }
  EndUpdate();
  if (failure) std::rethrow_exception(failure);
}

void TTreeNodes::BeginUpdate() {
  if (updateCount_++ == 0 && owner_->HandleAllocated())
    SendMessageA(owner_->handle_, WM_SETREDRAW, FALSE, 0);
}

void TTreeNodes::EndUpdate() {
  if (updateCount_ == 0) return;
  if (--updateCount_ == 0 && owner_->HandleAllocated()) {
    // The control paints again whether or not every item could be made.
    std::exception_ptr failure;
    try {
      Flush();
    } catch (...) {
      failure = std::current_exception();
    }
    SendMessageA(owner_->handle_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(owner_->handle_, nullptr, TRUE);
    if (failure) std::rethrow_exception(failure);
  }
}

// --- TTreeView -------------------------------------------------------------------

TTreeView::TTreeView(TComponent* AOwner) : TSubclassedControl(AOwner), items_(this) {
  SetColor(clWindow);
}

TTreeView::~TTreeView() {
  if (dragging_) {
    dragging_ = false;
    if (GetCapture() == handle_) ReleaseCapture();
  }
  // The nodes go without being reported (whoever wanted to hear of them is
  // being destroyed as well, as a rule); their objects go with them.
  OnDeletion = nullptr;
  OnChanging = nullptr;
  OnChange = nullptr;
  DestroyHandle();
}

void TTreeView::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.className = WC_TREEVIEWA;
  params.style |= WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | TVS_HASBUTTONS | TVS_HASLINES |
                  TVS_LINESATROOT | TVS_SHOWSELALWAYS;
  if (!readOnly_) params.style |= TVS_EDITLABELS;
  if (dragMode_ != dmAutomatic) params.style |= TVS_DISABLEDRAGDROP;
  params.exStyle |= WS_EX_CLIENTEDGE;
}

void TTreeView::CreateWnd() {
  TSubclassedControl::CreateWnd();
  SendMessageA(handle_, TVM_SETINDENT, WPARAM(Scale(indent_)), 0);
  ApplyImages();
  items_.BeginUpdate();
  items_.deferred_ = true;
  items_.EndUpdate();
}

void TTreeView::DestroyWnd() {
  // The control's items go with the window; the nodes stay, to be shown
  // again by the next one.
  for (TTreeNode* node : items_.Order()) {
    node->expanded_ = node->Expanded();
    node->item_ = nullptr;
  }
  background_ = CLR_NONE;
}

void TTreeView::ReportChange(TTreeNode* node) {
  // Not every way of moving the selection announces it first (a control
  // that moves it off a deleted item may only say that it moved): the coming
  // change is reported all the same, before the change.
  if (!std::exchange(changingReported_, false) && OnChanging) {
    bool allow = true;
    OnChanging(this, node, allow);
  }
  ++changeReports_;
  if (OnChange) OnChange(this, node);
}

void TTreeView::ReportSilentChange(TTreeNode* before, int reportsBefore) {
  // Some controls drop the selection with its item and say nothing at all.
  if (changeReports_ == reportsBefore && Selected() != before) ReportChange(Selected());
}

void TTreeView::SetImages(TImageList* images) {
  images_.SetList(images);
}

void TTreeView::ApplyImages() {
  if (handle_)
    SendMessageA(handle_, TVM_SETIMAGELIST, TVSIL_NORMAL,
                 reinterpret_cast<LPARAM>(images_.Handle()));
}

void TTreeView::SetIndent(int units) {
  indent_ = units;
  if (handle_) SendMessageA(handle_, TVM_SETINDENT, WPARAM(Scale(indent_)), 0);
}

void TTreeView::DpiChanged() { SetIndent(indent_); }

void TTreeView::SetReadOnly(bool readOnly) {
  ChangeStyle([&] { readOnly_ = readOnly; });
}

void TTreeView::SetDragMode(TDragMode mode) {
  ChangeStyle([&] { dragMode_ = mode; });
}

TTreeNode* TTreeView::Selected() const {
  if (!handle_) return nullptr;
  auto item = reinterpret_cast<HTREEITEM>(SendMessageA(handle_, TVM_GETNEXTITEM, TVGN_CARET, 0));
  return items_.FromItemId(item);
}

void TTreeView::SetSelected(TTreeNode* node) {
  items_.Flush();
  if (!handle_) return;
  SendMessageA(handle_, TVM_SELECTITEM, TVGN_CARET,
               reinterpret_cast<LPARAM>(node ? node->item_ : nullptr));
}

void TTreeView::SetDropTarget(TTreeNode* node) {
  items_.Flush();
  dropTarget_ = node;
  if (handle_)
    SendMessageA(handle_, TVM_SELECTITEM, TVGN_DROPHILITE,
                 reinterpret_cast<LPARAM>(node ? node->item_ : nullptr));
}

TTreeNode* TTreeView::TopItem() const {
  items_.Flush();
  if (!handle_) return nullptr;
  return items_.FromItemId(
      reinterpret_cast<HTREEITEM>(SendMessageA(handle_, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0)));
}

void TTreeView::SetTopItem(TTreeNode* node) {
  items_.Flush();
  if (!handle_ || !node || !node->item_) return;
  SendMessageA(handle_, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(node->item_));
  // Some controls will not make the very first row the top one this way;
  // scrolling line by line gets there, or as far as the control can go.
  TTreeNode* top = TopItem();
  if (top == node || !top) return;
  const bool up = node->AbsoluteIndex() < top->AbsoluteIndex();
  for (int guard = 0; guard < items_.Count(); ++guard) {
    SendMessageA(handle_, WM_VSCROLL, up ? SB_LINEUP : SB_LINEDOWN, 0);
    TTreeNode* now = TopItem();
    if (now == node || now == top) return;
    if (up != (node->AbsoluteIndex() < now->AbsoluteIndex())) return;
    top = now;
  }
}

TTreeNode* TTreeView::GetNodeAt(int x, int y) const {
  items_.Flush();
  if (!handle_) return nullptr;
  TVHITTESTINFO hit{};
  hit.pt = POINT{x, y};
  SendMessageA(handle_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  return items_.FromItemId(hit.hItem);
}

THitTests TTreeView::GetHitTestInfoAt(int x, int y) const {
  items_.Flush();
  if (!handle_) return htNowhere;
  TVHITTESTINFO hit{};
  hit.pt = POINT{x, y};
  SendMessageA(handle_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  const UINT f = hit.flags;
  THitTests result = 0;
  if (f & TVHT_ABOVE) result |= htAbove;
  if (f & TVHT_BELOW) result |= htBelow;
  if (f & TVHT_NOWHERE) result |= htNowhere;
  if (f & TVHT_ONITEM) result |= htOnItem;
  if (f & TVHT_ONITEMBUTTON) result |= htOnButton;
  if (f & TVHT_ONITEMICON) result |= htOnIcon;
  if (f & TVHT_ONITEMINDENT) result |= htOnIndent;
  if (f & TVHT_ONITEMLABEL) result |= htOnLabel;
  if (f & TVHT_ONITEMRIGHT) result |= htOnRight;
  if (f & TVHT_ONITEMSTATEICON) result |= htOnStateIcon;
  if (f & TVHT_TOLEFT) result |= htToLeft;
  if (f & TVHT_TORIGHT) result |= htToRight;
  return result;
}

bool TTreeView::IsEditing() const {
  return handle_ && SendMessageA(handle_, TVM_GETEDITCONTROL, 0, 0) != 0;
}

void TTreeView::EndEditing() {
  if (handle_) SendMessageA(handle_, TVM_ENDEDITLABELNOW, FALSE, 0);
}

void TTreeView::BeginDrag() {
  if (dragging_) return;
  dragging_ = true;
  dragInside_ = false;
  dragAccepted_ = false;
  SetCapture(Handle());
  POINT p;
  GetCursorPos(&p);
  ScreenToClient(handle_, &p);
  DragMove(p.x, p.y);
}

void TTreeView::DragTo(int x, int y) {
  if (dragging_) DragMove(x, y);
}

void TTreeView::DragMove(int x, int y) {
  dragX_ = x;
  dragY_ = y;
  RECT client;
  GetClientRect(handle_, &client);
  const bool inside = PtInRect(&client, POINT{x, y}) != 0;
  bool accept = false;
  if (inside) {
    const TDragState state = dragInside_ ? dsDragMove : dsDragEnter;
    dragInside_ = true;
    TTreeNode* under = GetNodeAt(x, y);
    if (under != dropTarget_) SetDropTarget(under);
    if (OnDragOver) OnDragOver(this, this, x, y, state, accept);
  } else if (dragInside_) {
    dragInside_ = false;
    SetDropTarget(nullptr);
    if (OnDragOver) OnDragOver(this, this, x, y, dsDragLeave, accept);
    accept = false;
  }
  dragAccepted_ = accept;
  SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(accept ? IDC_ARROW : IDC_NO)));
}

void TTreeView::EndDrag(bool drop) {
  if (!dragging_) return;
  dragging_ = false;
  if (GetCapture() == handle_) ReleaseCapture();
  const bool dropped = drop && dragInside_ && dragAccepted_;
  dragInside_ = false;
  dragAccepted_ = false;
  const int x = dragX_, y = dragY_;
  std::exception_ptr failure;
  if (dropped && OnDragDrop) {
    try {
      OnDragDrop(this, this, x, y);
    } catch (...) {
      failure = std::current_exception();
    }
  }
  SetDropTarget(nullptr);
  if (OnEndDrag) OnEndDrag(this, dropped ? this : nullptr, x, y);
  if (failure) std::rethrow_exception(failure);
}

LRESULT TTreeView::CNNotify(NMHDR* header) {
  switch (header->code) {
    case TVN_SELCHANGINGA:
    case TVN_SELCHANGINGW: {
      if (quietSelection_) return 0;
      auto* nm = reinterpret_cast<NMTREEVIEWA*>(header);
      bool allow = true;
      if (OnChanging) OnChanging(this, items_.FromItemId(nm->itemNew.hItem), allow);
      changingReported_ = allow;
      return allow ? 0 : 1;
    }
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW: {
      if (quietSelection_) return 0;
      auto* nm = reinterpret_cast<NMTREEVIEWA*>(header);
      ReportChange(items_.FromItemId(nm->itemNew.hItem));
      return 0;
    }
    case TVN_BEGINLABELEDITA:
    case TVN_BEGINLABELEDITW: {
      auto* nm = reinterpret_cast<NMTVDISPINFOA*>(header);
      TTreeNode* node = items_.FromItemId(nm->item.hItem);
      bool allow = !readOnly_ && node;
      if (allow && OnEditing) OnEditing(this, node, allow);
      return allow ? 0 : 1;
    }
    case TVN_ENDLABELEDITA: {
      auto* nm = reinterpret_cast<NMTVDISPINFOA*>(header);
      TTreeNode* node = items_.FromItemId(nm->item.hItem);
      // A null text means the edit was cancelled.
      if (!node || !nm->item.pszText) return 0;
      std::string text = nm->item.pszText;
      // The notice carries the text in the code page, with a "?" for each
      // character it lacks; the field, still there, has the text as typed.
      if (HWND field = reinterpret_cast<HWND>(SendMessageA(handle_, TVM_GETEDITCONTROL, 0, 0))) {
        std::wstring typed(size_t(GetWindowTextLengthW(field)) + 1, L'\0');
        typed.resize(size_t(std::max(GetWindowTextW(field, typed.data(), int(typed.size())), 0)));
        if (!WideToAnsiExact(typed, text)) {
          if (!refusedCaption_) PostMessageA(handle_, kRefusedName, 0, 0);
          refusedCaption_ = node->Text();
          return 0;
        }
      }
      if (OnEdited) OnEdited(this, node, text);
      node->SetText(text);
      return 0;
    }
    case TVN_BEGINDRAGA:
    case TVN_BEGINDRAGW:
    case TVN_BEGINRDRAGA:
    case TVN_BEGINRDRAGW: {
      if (dragMode_ != dmAutomatic || dragging_) return 0;
      auto* nm = reinterpret_cast<NMTREEVIEWA*>(header);
      // What is dragged is what is selected.
      if (TTreeNode* node = items_.FromItemId(nm->itemNew.hItem)) SetSelected(node);
      BeginDrag();
      return 0;
    }
    case NM_RCLICK: {
      // The control swallows the button's release in its own loop; where the
      // button went down is where it came up.
      const POINT p = rightClick_;
      if (OnMouseUp) {
        unsigned shift = 0;
        if (GetKeyState(VK_SHIFT) < 0) shift |= 1;
        if (GetKeyState(VK_CONTROL) < 0) shift |= 2;
        OnMouseUp(this, mbRight, shift, p.x, p.y);
      }
      if (!PopupMenu || !PopupMenu->AutoPopup) return 0;
      // Not every control follows the click with a context-menu message, so
      // the menu opens here, once.
      POINT screen = p;
      ClientToScreen(handle_, &screen);
      contextShown_ = true;
      PopupMenu->Popup(screen.x, screen.y);
      return 1;
    }
    default:
      return 0;
  }
}

LRESULT TTreeView::SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case kRefusedName: {
      const std::string caption = std::exchange(refusedCaption_, std::nullopt).value_or("");
      Application->MessageBox("「" + caption + "」の新しい名前には、この環境の文字（シフト JIS）で表せない文字は使えません。",
                              "警告", MB_ICONSTOP | MB_OK);
      return 0;
    }
    case WM_PAINT: {
      // The colour is read when painting, as every control reads it.
      const COLORREF color = ColorToRGB(EffectiveColor());
      if (color != background_) {
        background_ = color;
        SendMessageA(handle_, TVM_SETBKCOLOR, 0, LPARAM(color));
      }
      break;
    }
    case WM_MOUSEMOVE:
      if (dragging_) {
        DragMove(short(LOWORD(lParam)), short(HIWORD(lParam)));
        return 0;
      }
      break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      if (dragging_) {
        DragMove(short(LOWORD(lParam)), short(HIWORD(lParam)));
        EndDrag(true);
        return 0;
      }
      break;
    case WM_KEYDOWN:
      if (dragging_ && wParam == VK_ESCAPE) {
        EndDrag(false);
        return 0;
      }
      break;
    case WM_CAPTURECHANGED:
      if (dragging_ && reinterpret_cast<HWND>(lParam) != handle_) EndDrag(false);
      break;
    case WM_CANCELMODE:
      EndDrag(false);
      break;
    case WM_SETCURSOR:
      if (dragging_) return TRUE;
      break;
    case WM_RBUTTONDOWN:
      rightClick_ = POINT{short(LOWORD(lParam)), short(HIWORD(lParam))};
      contextShown_ = false;
      break;
    case WM_CONTEXTMENU:
      if (contextShown_ && lParam != -1) {
        contextShown_ = false;
        return 0;
      }
      if (PopupMenu && PopupMenu->AutoPopup) {
        int x = short(LOWORD(lParam)), y = short(HIWORD(lParam));
        if (lParam == -1) {
          // From the keyboard: below the selected row, or the corner.
          POINT p{4, 4};
          if (TTreeNode* node = Selected()) {
            const RECT r = node->DisplayRect(true);
            p = POINT{r.left, r.bottom};
          }
          ClientToScreen(handle_, &p);
          x = p.x;
          y = p.y;
        }
        PopupMenu->Popup(x, y);
        return 0;
      }
      break;
    default:
      break;
  }
  return TSubclassedControl::SubclassProc(msg, wParam, lParam);
}

}  // namespace gui
