// The tree's nodes: their shape, order and objects. What the control shows
// of them is kept in step in TreeItems.cpp.
#include <algorithm>
#include <utility>

#include "TreeView.h"

namespace gui {

namespace {

[[noreturn]] void ThrowNodeIndex(int index) {
  throw EListError("リスト インデックスが範囲を超えています (" + std::to_string(index) + ")");
}

}  // namespace

// --- TTreeNode ------------------------------------------------------------------

TTreeView* TTreeNode::TreeView() const { return owner_->owner_; }

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
  TFirstFailure failure;
  failure.Run([&] {
    nodes->DropItems(this, true);
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
  });
  --tree->quietSelection_;
  failure.Rethrow();
  return true;
}

void TTreeNode::Delete() {
  TTreeNodes* nodes = owner_;
  nodes->Flush();
  TTreeView* tree = TreeView();
  // The control lets go of its items first; while it moves the selection
  // away, every node is still there for the events to look at.
  TTreeNode* selected = tree->Selected();
  const int reports = tree->changeReports_;
  nodes->DropItems(this, false);
  nodes->Unlink(this);
  // Uncounted at once: the events below see the tree as it stands.
  const std::vector<TTreeNode*> doomed = TTreeNodes::Subtree(this);
  nodes->count_ -= int(doomed.size());
  // A failing handler must not keep the unlinked nodes from going: they
  // would be lost to the tree and still counted.
  TFirstFailure failure;
  failure.Run([&] { tree->ReportSilentChange(selected, reports); });
  failure.Run([&] { nodes->DestroyNodes(doomed); });
  failure.Rethrow();
}

// --- TTreeNodes -----------------------------------------------------------------

TTreeNodes::~TTreeNodes() {
  for (TTreeNode* root : roots_)
    for (TTreeNode* n : Subtree(root)) delete n;
}

std::vector<TTreeNode*>& TTreeNodes::SiblingsOf(const TTreeNode* node) {
  return node->parent_ ? node->parent_->children_ : roots_;
}

const std::vector<TTreeNode*>& TTreeNodes::Order() {
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

TTreeNode* TTreeNodes::GetNodeFromIndex(int index) {
  if (index < 0 || index >= count_) ThrowNodeIndex(index);
  return Order()[size_t(index)];
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

std::vector<TTreeNode*> TTreeNodes::Subtree(TTreeNode* node) {
  std::vector<TTreeNode*> subtree{node};
  for (size_t i = 0; i < subtree.size(); ++i)
    subtree.insert(subtree.end(), subtree[i]->children_.begin(), subtree[i]->children_.end());
  return subtree;
}

void TTreeNodes::DestroyNodes(const std::vector<TTreeNode*>& doomed) {
  // Every node is reported (children before their parent) while all of
  // them still exist, then all of them go.
  TTreeView* tree = owner_;
  for (TTreeNode* n : doomed)
    if (tree->dropTarget_ == n) tree->dropTarget_ = nullptr;
  TFirstFailure failure;
  for (auto it = doomed.rbegin(); it != doomed.rend() && tree->OnDeletion; ++it)
    failure.Run([&] { tree->OnDeletion(tree, *it); });
  for (TTreeNode* n : doomed) delete n;
  failure.Rethrow();
}

void TTreeNodes::Clear() {
  if (roots_.empty()) return;
  BeginUpdate();
  TTreeNode* selected = owner_->Selected();
  const int reports = owner_->changeReports_;
  DropItems(nullptr, false);
  std::vector<TTreeNode*> roots;
  roots.swap(roots_);
  count_ = 0;
  Changed();
  TFirstFailure failure;
  failure.Run([&] { owner_->ReportSilentChange(selected, reports); });
  for (TTreeNode* root : roots) failure.Run([&] { DestroyNodes(Subtree(root)); });
  failure.Run([&] { EndUpdate(); });
  failure.Rethrow();
}

void TTreeNodes::BeginUpdate() {
  if (updateCount_++ == 0 && owner_->HandleAllocated())
    SendMessageA(owner_->handle_, WM_SETREDRAW, FALSE, 0);
}

void TTreeNodes::EndUpdate() {
  if (updateCount_ == 0) return;
  if (--updateCount_ == 0 && owner_->HandleAllocated()) {
    // The control paints again whether or not every item could be made.
    TFirstFailure failure;
    failure.Run([&] { Flush(); });
    SendMessageA(owner_->handle_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(owner_->handle_, nullptr, TRUE);
    failure.Rethrow();
  }
}

}  // namespace gui
