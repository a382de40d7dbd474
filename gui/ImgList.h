// A list of small images of one size, drawn by index.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "Classes.h"
#include "Graphics.h"

namespace gui {

class TImageList;

// How whoever shows a list's images (a tree, a toolbar, a menu) keeps up with
// the list: it hears when it is given another list, when the list's images
// come under a new handle, and when the list goes (List() is null by then).
class TChangeLink {
 public:
  explicit TChangeLink(std::function<void()> changed) : changed_(std::move(changed)) {}
  // Its owner is going: it hears nothing more.
  ~TChangeLink() { Detach(); }
  TChangeLink(const TChangeLink&) = delete;
  TChangeLink& operator=(const TChangeLink&) = delete;

  TImageList* List() const { return list_; }
  // The list's comctl32 handle; null without a list.
  HIMAGELIST Handle() const;
  void SetList(TImageList* list);

 private:
  friend class TImageList;
  void Detach();
  TImageList* list_ = nullptr;
  std::function<void()> changed_;
};

struct ImageListTraits {
  using Handle = HIMAGELIST;
  static void Close(HIMAGELIST h) { ImageList_Destroy(h); }
};
using TImageListHandle = base::UniqueHandle<ImageListTraits>;

// A list of small images of one size. The list keeps the pictures itself
// and draws them with GDI, so a program that only draws them (a menu) never
// loads comctl32; the common controls get comctl32's own list through
// Handle(), made on their first call and kept in step from then on.
class TImageList : public TComponent {
 public:
  explicit TImageList(TComponent* AOwner, int width = 16, int height = 16);
  ~TImageList() override;

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Empties the list and makes it hold pictures of another size (a form
  // moved to a screen of another DPI fills it again); whoever shows it takes
  // the new, empty list at once.
  void SetSize(int width, int height);
  int Count() const { return int(pixels_.size() / Area()); }
  // comctl32's list of the same images, for the common controls. It is made
  // on the first call, and made anew (with a new handle) when ReadData reads
  // a whole new list. Throws when comctl32 refuses it.
  HIMAGELIST Handle() const;

  // Appends a copy of the icon (scaled to the list's size) and returns its
  // number; -1 for an empty icon. Throws when the icon cannot be read.
  int AddIcon(const TIcon& icon);
  // Appends a strip of square pictures side by side, as high as the bitmap
  // (as many as its width holds), each scaled smoothly to the list's size
  // when it was drawn for another; pixels of the key colour become
  // transparent. Returns the number of the first new image.
  int AddMasked(HBITMAP strip, TColor key);
  // The same for a bitmap of the program's resources: `resource` names the
  // strip of 16-pixel pictures, and `resource` followed by a size ("NAME24")
  // one drawn for that size. The strip drawn for the list's size is taken,
  // else the nearest larger one, else the largest there is.
  int AddMasked(const char* resource, TColor key);
  // Puts a copy of the icon in place of image index (an empty icon leaves a
  // blank image); throws for an index outside the list.
  void ReplaceIcon(int index, const TIcon& icon);
  // Grows (with blank images) or shrinks the list to `count` images at once.
  // Slots reserved so are set before a control shows them: comctl32's copy
  // leaves them as it likes.
  void SetCount(int count);
  // Image `source` again at `destination`.
  void CopyImage(int destination, int source);
  // A new icon made from image index; empty when there is no such image.
  TIcon GetIcon(int index) const;
  void Clear();
  // Draws image index with its transparency; a disabled image in grey.
  void Draw(HDC dc, int x, int y, int index, bool enabled = true) const;

  // The whole list as bytes that ReadData turns back into the same images in
  // the same order: the same bytes from a 32- and a 64-bit program.
  std::string WriteData() const;
  // Replaces the list by what WriteData wrote; false (and the list unchanged)
  // when the bytes are not such a list of this size.
  bool ReadData(std::string_view data);

 private:
  friend class TChangeLink;
  using Pixel = uint32_t;  // 0xAARRGGBB, alpha not premultiplied
  size_t Area() const { return size_t(width_) * size_t(height_); }
  Pixel* Image(int index) { return pixels_.data() + size_t(index) * Area(); }
  const Pixel* Image(int index) const { return pixels_.data() + size_t(index) * Area(); }
  void CheckIndex(int index) const;
  // Appends whole images to both copies and returns the number of the first;
  // on a refusal neither copy keeps any of them.
  int Append(const std::vector<Pixel>& images);
  // comctl32's list, when there is one, takes `count` images from `index`
  // on (appended where they are new) from the pixels.
  void MirrorImages(int index, int count) const;
  void Changed();
  // comctl32's list of these pixels; throws when comctl32 refuses it.
  TImageListHandle MakeHandle(const std::vector<Pixel>& pixels) const;
  int width_, height_;
  // The images one after the other, each row by row from the top.
  std::vector<Pixel> pixels_;
  mutable TImageListHandle handle_;
  std::vector<TChangeLink*> links_;
};

// A copy of the icon at another size, its picture scaled smoothly; empty
// when the icon cannot be read.
TIcon ResizedIcon(HICON icon, int width, int height);
// A copy of an opaque picture at another size, scaled smoothly; empty when
// the bitmap cannot be read.
TBitmap ResizedBitmap(HBITMAP bitmap, int width, int height);

}  // namespace gui
