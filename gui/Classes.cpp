#include "Classes.h"

#include <windows.h>

#include <algorithm>

#include "Text.h"

namespace gui {

EOSError EOSError::LastError(const std::string& context) {
  const std::string msg = base::SystemErrorText(GetLastError());
  return EOSError(context.empty() ? msg : context + "\r\n" + msg);
}

TComponent::TComponent(TComponent* AOwner) : owner_(AOwner) {
  if (owner_) owner_->components_.push_back(this);
}

void TComponent::DestroyComponents() {
  // Last created goes first, so a component never outlives one it relies on.
  while (!components_.empty()) {
    TComponent* c = components_.back();
    components_.pop_back();
    c->owner_ = nullptr;
    delete c;
  }
}

TComponent::~TComponent() {
  // Whoever holds it without owning it lets go first.
  while (!links_.empty()) {
    TComponentLink* link = links_.back();
    links_.pop_back();
    link->target_ = nullptr;
    if (link->gone_) link->gone_();
  }
  DestroyComponents();
  if (owner_) {
    auto& list = owner_->components_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
}

void TComponentLink::Set(TComponent* component) {
  if (component == target_) return;
  if (target_) {
    auto& links = target_->links_;
    links.erase(std::remove(links.begin(), links.end(), this), links.end());
  }
  target_ = component;
  if (target_) target_->links_.push_back(this);
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount())
    throw EListError("リスト インデックスが範囲を超えています (" + std::to_string(index) + ")");
  return components_[size_t(index)];
}

const std::string& TStringList::Strings(int index) const {
  if (index < 0 || index >= Count())
    throw EListError("リスト インデックスが範囲を超えています (" + std::to_string(index) + ")");
  return lines_[size_t(index)];
}

void TStringList::LoadFromFile(const std::string& fileName) {
  try {
    lines_ = base::LoadLines(fileName);
  } catch (const base::FileContentError& e) {
    throw Exception(e.what());
  } catch (const base::FileError& e) {
    throw EFOpenError(e.what());
  }
}

void TStringList::SaveToFile(const std::string& fileName) const {
  try {
    base::SaveLines(fileName, lines_);
  } catch (const base::FileError& e) {
    throw Exception(e.what());
  }
}

}  // namespace gui
