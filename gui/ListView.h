// A list of pictures with short captions, in rows that wrap, one of which
// the user selects (the list view control in its icon view).
#pragma once

#include <string>
#include <vector>

#include "Controls.h"
#include "ImgList.h"

namespace gui {

class TListView : public TWinControl {
 public:
  explicit TListView(TComponent* AOwner);
  // The pictures the items show by number; not owned, and let go of when
  // the list goes.
  void SetImages(TImageList* images);
  // The room each item takes in its row, picture and caption (96-dpi
  // units); the system's default is made for large icons.
  void SetIconSpacing(int width, int height);
  void Clear();
  void AddItem(const std::string& caption, int imageIndex);
  int ItemCount() const { return int(items_.size()); }
  // The selected item; -1 when there is none.
  int ItemIndex() const;
  // Selects the item (none for an index outside the list), gives it the
  // focus mark and scrolls it into view.
  void SetItemIndex(int index);
  TNotifyEvent OnDblClick;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void ColorChanged() override;
  void DpiChanged() override { SetIconSpacing(spacingX_, spacingY_); }
  LRESULT CNNotify(NMHDR* header) override;

 private:
  void InsertItem(int index);
  void ApplyImages();
  struct Item {
    std::string caption;
    int image;
  };
  std::vector<Item> items_;
  TChangeLink images_{[this] { ApplyImages(); }};
  int itemIndex_ = -1;
  int spacingX_ = 0, spacingY_ = 0;
};

}  // namespace gui
