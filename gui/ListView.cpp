#include "ListView.h"

#include <commctrl.h>

namespace gui {

TListView::TListView(TComponent* AOwner) : TWinControl(AOwner) { SetColor(clWindow); }

void TListView::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.className = WC_LISTVIEWA;
  // The view shows the image list but does not own it.
  params.style |= WS_TABSTOP | LVS_ICON | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_AUTOARRANGE |
                  LVS_SHAREIMAGELISTS;
  params.exStyle |= WS_EX_CLIENTEDGE;
}

void TListView::SetIconSpacing(int width, int height) {
  spacingX_ = width;
  spacingY_ = height;
  if (HandleAllocated() && width > 0 && height > 0)
    SendMessageA(handle_, LVM_SETICONSPACING, 0, MAKELPARAM(Scale(width), Scale(height)));
}

void TListView::CreateWnd() {
  SetIconSpacing(spacingX_, spacingY_);
  ColorChanged();
  ApplyImages();
  for (int i = 0; i < ItemCount(); ++i) InsertItem(i);
  SetItemIndex(itemIndex_);
}

void TListView::ColorChanged() {
  SendMessageA(handle_, LVM_SETBKCOLOR, 0, LPARAM(ColorToRGB(EffectiveColor())));
  Invalidate();
}

void TListView::SetImages(TImageList* images) {
  images_.SetList(images);
}

void TListView::ApplyImages() {
  if (HandleAllocated())
    SendMessageA(handle_, LVM_SETIMAGELIST, LVSIL_NORMAL,
                 LPARAM(images_.Handle()));
}

void TListView::InsertItem(int index) {
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.iItem = index;
  item.pszText = const_cast<char*>(items_[size_t(index)].caption.c_str());
  item.iImage = items_[size_t(index)].image;
  SendMessageA(handle_, LVM_INSERTITEMA, 0, LPARAM(&item));
}

void TListView::Clear() {
  items_.clear();
  itemIndex_ = -1;
  if (HandleAllocated()) SendMessageA(handle_, LVM_DELETEALLITEMS, 0, 0);
}

void TListView::AddItem(const std::string& caption, int imageIndex) {
  items_.push_back({caption, imageIndex});
  if (HandleAllocated()) InsertItem(ItemCount() - 1);
}

int TListView::ItemIndex() const {
  if (!HandleAllocated()) return itemIndex_;
  return int(SendMessageA(handle_, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
}

void TListView::SetItemIndex(int index) {
  itemIndex_ = (index >= 0 && index < ItemCount()) ? index : -1;
  if (!HandleAllocated()) return;
  LVITEMA state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(handle_, LVM_SETITEMSTATE, WPARAM(-1), LPARAM(&state));
  if (itemIndex_ < 0) return;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(handle_, LVM_SETITEMSTATE, WPARAM(itemIndex_), LPARAM(&state));
  SendMessageA(handle_, LVM_ENSUREVISIBLE, WPARAM(itemIndex_), FALSE);
}

LRESULT TListView::CNNotify(NMHDR* header) {
  if (header->code == NM_DBLCLK && OnDblClick) OnDblClick(this);
  return 0;
}

}  // namespace gui
