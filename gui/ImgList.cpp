#include "ImgList.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "Dpi.h"

namespace gui {

namespace {

constexpr char kDataMagic[4] = {'I', 'L', '3', '2'};
struct DataHeader {
  char magic[4];
  uint32_t width, height, count;
};
static_assert(sizeof(DataHeader) == 16, "the list's bytes have one layout in every build");

BITMAPINFO TopDown32(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// The rows of a bitmap as 32-bit pixels; false when GDI cannot read it.
bool ReadBits(HBITMAP bitmap, int width, int height, uint32_t* out) {
  BITMAPINFO info = TopDown32(width, height);
  const TMemoryDc screen;
  return GetDIBits(screen.Handle(), bitmap, 0, UINT(height), out, &info, DIB_RGB_COLORS) == height;
}

// The weights by which `to` pixels in a row take from `from` pixels: the
// share of each source pixel a target pixel covers when shrinking (no
// detail is skipped), a linear blend of the two nearest when growing.
struct Tap {
  int first;
  std::vector<float> weights;
};
std::vector<Tap> Taps(int from, int to) {
  auto taps = std::vector<Tap>(size_t(to));
  const double step = double(from) / to;
  for (int i = 0; i < to; ++i) {
    Tap& tap = taps[size_t(i)];
    if (from >= to) {
      const double a = i * step, b = a + step;
      tap.first = int(a);
      for (int j = tap.first; j < from && j < b; ++j)
        tap.weights.push_back(float((std::min<double>(j + 1, b) - std::max<double>(j, a)) / step));
    } else {
      const double c = std::max(0.0, (i + 0.5) * step - 0.5);
      tap.first = std::min(int(c), from - 1);
      const float t = float(c - tap.first);
      tap.weights = {1 - t};
      if (tap.first + 1 < from) tap.weights.push_back(t);
    }
  }
  return taps;
}

// Sharp edges come from the mask, not from a neighbour's colour: the colour
// is carried premultiplied by alpha through the filter.
std::vector<uint32_t> ScalePixels(const uint32_t* from, int width, int height, int toWidth, int toHeight) {
  using Channels = std::array<float, 4>;
  std::vector<Channels> source(size_t(width) * size_t(height));
  for (size_t i = 0; i < source.size(); ++i) {
    const uint32_t p = from[i];
    const float a = float(p >> 24) / 255;
    source[i] = {float((p >> 16) & 0xFF) * a, float((p >> 8) & 0xFF) * a, float(p & 0xFF) * a, a};
  }
  const auto columns = Taps(width, toWidth), rows = Taps(height, toHeight);
  std::vector<Channels> across(size_t(toWidth) * size_t(height), Channels{});
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < toWidth; ++x) {
      Channels& sum = across[size_t(y) * size_t(toWidth) + size_t(x)];
      const Tap& tap = columns[size_t(x)];
      for (size_t k = 0; k < tap.weights.size(); ++k)
        for (int c = 0; c < 4; ++c)
          sum[size_t(c)] += tap.weights[k] * source[size_t(y) * size_t(width) + size_t(tap.first) + k][size_t(c)];
    }
  std::vector<uint32_t> out(size_t(toWidth) * size_t(toHeight));
  for (int y = 0; y < toHeight; ++y)
    for (int x = 0; x < toWidth; ++x) {
      Channels sum{};
      const Tap& tap = rows[size_t(y)];
      for (size_t k = 0; k < tap.weights.size(); ++k)
        for (int c = 0; c < 4; ++c)
          sum[size_t(c)] += tap.weights[k] * across[(size_t(tap.first) + k) * size_t(toWidth) + size_t(x)][size_t(c)];
      const auto byte = [](float v) { return uint32_t(std::clamp(v + 0.5f, 0.0f, 255.0f)); };
      const uint32_t a = byte(sum[3] * 255);
      out[size_t(y) * size_t(toWidth) + size_t(x)] =
          a ? (a << 24) | byte(sum[0] / sum[3]) << 16 | byte(sum[1] / sum[3]) << 8 | byte(sum[2] / sum[3]) : 0;
    }
  return out;
}

// A 32-bit picture keeps its own alpha; an older one is opaque where its
// mask is clear. A monochrome icon's mask holds its AND half above its XOR
// half. Pixels that would invert the screen cannot be kept and stay clear.
// An icon of another size is read at its own and scaled smoothly.
bool ReadIcon(HICON icon, int width, int height, uint32_t* out) {
  const TIconInfo info(icon);
  const TBitmap& color = info.color;
  const TBitmap& mask = info.mask;
  const SIZE own = info.Size();
  if (own.cx <= 0 || own.cy <= 0) return false;
  if (own.cx != width || own.cy != height) {
    if (own.cx > 1024 || own.cy > 1024) return false;
    std::vector<uint32_t> pixels(size_t(own.cx) * size_t(own.cy));
    if (!ReadIcon(icon, own.cx, own.cy, pixels.data())) return false;
    const auto scaled = ScalePixels(pixels.data(), own.cx, own.cy, width, height);
    std::copy(scaled.begin(), scaled.end(), out);
    return true;
  }
  const size_t area = size_t(width) * size_t(height);
  if (color) {
    if (!ReadBits(color.Handle(), width, height, out)) return false;
    if (std::any_of(out, out + area, [](uint32_t p) { return p >> 24; })) {
      for (size_t i = 0; i < area; ++i)
        if (!(out[i] >> 24)) out[i] = 0;
      return true;
    }
  }
  std::vector<uint32_t> andXor(color ? area : 2 * area);
  if (!ReadBits(mask.Handle(), width, color ? height : 2 * height, andXor.data())) return false;
  for (size_t i = 0; i < area; ++i) {
    if (andXor[i] & 0xFFFFFF) out[i] = 0;
    else if (color) out[i] |= 0xFF000000;
    else out[i] = (andXor[area + i] & 0xFFFFFF) ? 0xFFFFFFFF : 0xFF000000;
  }
  return true;
}

// A 32-bit icon of the pixels, its mask clear wherever a pixel is opaque at all.
TIcon MakeIcon(const uint32_t* pixels, int width, int height) {
  const BITMAPINFO info = TopDown32(width, height);
  void* bits = nullptr;
  const TBitmap color(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!color) return TIcon();
  std::memcpy(bits, pixels, size_t(width) * size_t(height) * sizeof *pixels);
  const size_t stride = size_t(width + 15) / 16 * 2;  // monochrome rows end on a word
  std::vector<BYTE> maskBits(stride * size_t(height), 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (!(pixels[size_t(y) * size_t(width) + size_t(x)] >> 24))
        maskBits[size_t(y) * stride + size_t(x) / 8] |= BYTE(0x80 >> (x % 8));
  const TBitmap mask(CreateBitmap(width, height, 1, 1, maskBits.data()));
  if (!mask) return TIcon();
  ICONINFO iconInfo{TRUE, 0, 0, mask.Handle(), color.Handle()};
  return TIcon(CreateIconIndirect(&iconInfo));
}

}  // namespace

HIMAGELIST TChangeLink::Handle() const { return list_ ? list_->Handle() : nullptr; }

void TChangeLink::SetList(TImageList* list) {
  if (list_ == list) return;
  Detach();
  list_ = list;
  if (list_) list_->links_.push_back(this);
  if (changed_) changed_();
}

void TChangeLink::Detach() {
  if (!list_) return;
  auto& links = list_->links_;
  links.erase(std::remove(links.begin(), links.end(), this), links.end());
  list_ = nullptr;
}

namespace {
void CheckSize(int width, int height) {
  if (width <= 0 || height <= 0 || width > 256 || height > 256)
    throw EListError("イメージの大きさが正しくありません。");
}
}  // namespace

TImageList::TImageList(TComponent* AOwner, int width, int height)
    : TComponent(AOwner), width_(width), height_(height) {
  CheckSize(width, height);
}

void TImageList::SetSize(int width, int height) {
  CheckSize(width, height);
  if (width == width_ && height == height_) {
    Clear();
    return;
  }
  width_ = width;
  height_ = height;
  pixels_.clear();
  // Controls showing the old list take the new one before the old one goes.
  const TImageListHandle old = std::exchange(handle_, TImageListHandle());
  Changed();
}

TImageList::~TImageList() {
  // Whoever shows the images lets go of them while they still exist.
  while (!links_.empty()) {
    TChangeLink* link = links_.back();
    links_.pop_back();
    link->list_ = nullptr;
    if (link->changed_) link->changed_();
  }
}

void TImageList::Changed() {
  for (TChangeLink* link : std::vector<TChangeLink*>(links_))
    if (link->changed_) link->changed_();
}

HIMAGELIST TImageList::Handle() const {
  if (!handle_) handle_ = MakeHandle(pixels_);
  return handle_.Handle();
}

namespace {
// Puts `count` images into comctl32's list as one strip of bitmaps, the
// first at `index` (or appended where index is the list's count): comctl32
// takes bitmaps in a fraction of the time it takes icons.
bool PutImages(HIMAGELIST list, int index, const uint32_t* pixels, int count, int width, int height) {
  const int stripWidth = width * count;
  const BITMAPINFO info = TopDown32(stripWidth, height);
  void* bits = nullptr;
  const TBitmap color(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!color) return false;
  auto* to = static_cast<uint32_t*>(bits);
  const size_t stride = size_t(stripWidth + 15) / 16 * 2;  // monochrome rows end on a word
  std::vector<BYTE> maskBits(stride * size_t(height), 0);
  for (int k = 0; k < count; ++k)
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const uint32_t p = pixels[(size_t(k) * size_t(height) + size_t(y)) * size_t(width) + size_t(x)];
        const size_t column = size_t(k) * size_t(width) + size_t(x);
        to[size_t(y) * size_t(stripWidth) + column] = p;
        if (!(p >> 24)) maskBits[size_t(y) * stride + column / 8] |= BYTE(0x80 >> (column % 8));
      }
  const TBitmap mask(CreateBitmap(stripWidth, height, 1, 1, maskBits.data()));
  if (!mask) return false;
  if (index < ImageList_GetImageCount(list))
    return count == 1 && ImageList_Replace(list, index, color.Handle(), mask.Handle());
  return ImageList_Add(list, color.Handle(), mask.Handle()) == index;
}

// Strips of a bounded width, however long the list.
constexpr int kStripImages = 64;

// Images `index` to `index + count` of `images` (whole images of
// width x height, one after the other) into comctl32's list: a replaced
// image goes alone, new ones in strips.
void PutRange(HIMAGELIST list, const uint32_t* images, int index, int count, int width, int height) {
  const size_t area = size_t(width) * size_t(height);
  for (int done = 0; done < count;) {
    const int at = index + done;
    const int n = at < ImageList_GetImageCount(list) ? 1 : std::min(count - done, kStripImages);
    if (!PutImages(list, at, images + size_t(at) * area, n, width, height))
      throw Exception("イメージリストにアイコンを追加できません。");
    done += n;
  }
}
}  // namespace

TImageListHandle TImageList::MakeHandle(const std::vector<Pixel>& pixels) const {
  const int count = int(pixels.size() / Area());
  TImageListHandle made(ImageList_Create(width_, height_, ILC_COLOR32 | ILC_MASK, std::max(count, 4), 16));
  if (!made) throw EOSError::LastError("イメージリストを作成できません。");
  PutRange(made.Handle(), pixels.data(), 0, count, width_, height_);
  return made;
}

void TImageList::MirrorImages(int index, int count) const {
  if (handle_) PutRange(handle_.Handle(), pixels_.data(), index, count, width_, height_);
}

void TImageList::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) throw EListError("イメージのインデックスが範囲を超えています。");
}

int TImageList::Append(const std::vector<Pixel>& images) {
  const int first = Count();
  pixels_.insert(pixels_.end(), images.begin(), images.end());
  try {
    MirrorImages(first, Count() - first);
  } catch (...) {
    // Neither copy keeps part of what was refused.
    pixels_.resize(size_t(first) * Area());
    if (handle_) ImageList_SetImageCount(handle_.Handle(), UINT(first));
    throw;
  }
  return first;
}

TIcon ResizedIcon(HICON icon, int width, int height) {
  if (!icon || width <= 0 || height <= 0 || width > 256 || height > 256) return TIcon();
  std::vector<uint32_t> pixels(size_t(width) * size_t(height));
  if (!ReadIcon(icon, width, height, pixels.data())) return TIcon();
  return MakeIcon(pixels.data(), width, height);
}

TBitmap ResizedBitmap(HBITMAP bitmap, int width, int height) {
  BITMAP shape{};
  if (!bitmap || !GetObjectA(bitmap, sizeof shape, &shape) || shape.bmWidth <= 0 || shape.bmHeight <= 0 ||
      width <= 0 || height <= 0 || shape.bmWidth > 4096 || shape.bmHeight > 4096 || width > 4096 || height > 4096)
    return TBitmap();
  std::vector<uint32_t> own(size_t(shape.bmWidth) * size_t(shape.bmHeight));
  if (!ReadBits(bitmap, shape.bmWidth, shape.bmHeight, own.data())) return TBitmap();
  for (uint32_t& p : own) p |= 0xFF000000;
  const std::vector<uint32_t> scaled = ScalePixels(own.data(), shape.bmWidth, shape.bmHeight, width, height);
  const BITMAPINFO info = TopDown32(width, height);
  void* bits = nullptr;
  TBitmap result(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (result) std::copy(scaled.begin(), scaled.end(), static_cast<uint32_t*>(bits));
  return result;
}

int TImageList::AddIcon(const TIcon& icon) {
  if (icon.Empty()) return -1;
  std::vector<Pixel> image(Area());
  if (!ReadIcon(icon.Handle(), width_, height_, image.data()))
    throw Exception("イメージリストにアイコンを追加できません。");
  return Append(image);
}

int TImageList::AddMasked(HBITMAP strip, TColor key) {
  BITMAP shape{};
  if (!strip || !GetObjectA(strip, sizeof shape, &shape) || shape.bmHeight <= 0 || shape.bmWidth < shape.bmHeight)
    throw Exception("イメージリストに画像を追加できません。");
  std::vector<Pixel> bits(size_t(shape.bmWidth) * size_t(shape.bmHeight));
  if (!ReadBits(strip, shape.bmWidth, shape.bmHeight, bits.data()))
    throw Exception("イメージリストに画像を追加できません。");
  const COLORREF rgb = ColorToRGB(key);
  const Pixel transparent = (Pixel(GetRValue(rgb)) << 16) | (Pixel(GetGValue(rgb)) << 8) | GetBValue(rgb);
  // Square pictures side by side, as high as the strip; a strip drawn for
  // another size is scaled to the list's.
  const int side = shape.bmHeight, count = shape.bmWidth / side;
  std::vector<Pixel> picture(size_t(side) * size_t(side));
  std::vector<Pixel> images;
  images.reserve(size_t(count) * Area());
  for (int k = 0; k < count; ++k) {
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x) {
        const Pixel p = bits[size_t(y) * size_t(shape.bmWidth) + size_t(k * side + x)] & 0xFFFFFF;
        picture[size_t(y) * size_t(side) + size_t(x)] = p == transparent ? 0 : p | 0xFF000000;
      }
    if (side == width_ && side == height_) images.insert(images.end(), picture.begin(), picture.end());
    else for (Pixel p : ScalePixels(picture.data(), side, side, width_, height_)) images.push_back(p);
  }
  return Append(images);
}

int TImageList::AddMasked(const char* resource, TColor key) {
  // The strip drawn for the list's size, else the nearest larger one, else
  // the largest there is: "NAME" is the 16-pixel strip, "NAME24" one of
  // 24 pixels, and so on.
  const HMODULE module = GetModuleHandleA(nullptr);
  std::string name = resource;
  int best = 0;
  for (int side : {16, 20, 24, 32, 40, 48, 64}) {
    const std::string candidate = side == 16 ? std::string(resource) : resource + std::to_string(side);
    if (!FindResourceA(module, candidate.c_str(), RT_BITMAP)) continue;
    if (best < std::max(width_, height_)) {
      best = side;
      name = candidate;
    }
  }
  // The list keeps copies of the pictures; the strip goes at once.
  const TBitmap strip(static_cast<HBITMAP>(LoadImageA(module, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (strip.Empty()) throw Exception("イメージリストに画像を追加できません。");
  return AddMasked(strip.Handle(), key);
}

void TImageList::SetCount(int count) {
  if (count < 0) throw Exception("イメージリストの大きさを変えられません。");
  // In one step in comctl32's copy too, which leaves the new slots as it likes.
  if (handle_ && !ImageList_SetImageCount(handle_.Handle(), UINT(count)))
    throw Exception("イメージリストの大きさを変えられません。");
  pixels_.resize(size_t(count) * Area(), 0);
}

void TImageList::CopyImage(int destination, int source) {
  CheckIndex(destination);
  CheckIndex(source);
  std::copy_n(Image(source), Area(), Image(destination));
  // ILCF_MOVE leaves the source as it is: the image then stands twice.
  if (handle_ && !ImageList_Copy(handle_.Handle(), destination, handle_.Handle(), source, ILCF_MOVE))
    throw Exception("イメージをコピーできません。");
}

void TImageList::ReplaceIcon(int index, const TIcon& icon) {
  CheckIndex(index);
  std::vector<Pixel> image(Area(), 0);
  // A blank picture keeps the numbers of every later image valid.
  if (icon && !ReadIcon(icon.Handle(), width_, height_, image.data()))
    throw Exception("イメージリストにアイコンを追加できません。");
  std::copy(image.begin(), image.end(), Image(index));
  MirrorImages(index, 1);
}

TIcon TImageList::GetIcon(int index) const {
  if (index < 0 || index >= Count()) return TIcon();
  return MakeIcon(Image(index), width_, height_);
}

void TImageList::Clear() {
  pixels_.clear();
  if (handle_) ImageList_RemoveAll(handle_.Handle());
}

void TImageList::Draw(HDC dc, int x, int y, int index, bool enabled) const {
  if (index < 0 || index >= Count()) return;
  const BITMAPINFO info = TopDown32(width_, height_);
  void* bits = nullptr;
  const TBitmap picture(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!picture) return;
  // Alpha blending takes its colours premultiplied.
  const Pixel* from = Image(index);
  auto* to = static_cast<Pixel*>(bits);
  for (size_t i = 0; i < Area(); ++i) {
    const Pixel p = from[i], a = p >> 24;
    Pixel r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    if (!enabled) r = g = b = (r * 77 + g * 150 + b * 29) >> 8;
    to[i] = (a << 24) | (r * a / 255) << 16 | (g * a / 255) << 8 | (b * a / 255);
  }
  const TMemoryDc source;
  const HGDIOBJ old = SelectObject(source.Handle(), picture.Handle());
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  GdiAlphaBlend(dc, x, y, width_, height_, source.Handle(), 0, 0, width_, height_, blend);
  SelectObject(source.Handle(), old);
}

std::string TImageList::WriteData() const {
  DataHeader header{};
  std::memcpy(header.magic, kDataMagic, sizeof kDataMagic);
  header.width = uint32_t(width_);
  header.height = uint32_t(height_);
  header.count = uint32_t(Count());
  std::string data(reinterpret_cast<const char*>(&header), sizeof header);
  data.append(reinterpret_cast<const char*>(pixels_.data()), pixels_.size() * sizeof(Pixel));
  return data;
}

bool TImageList::ReadData(std::string_view data) {
  DataHeader header{};
  if (data.size() < sizeof header) return false;
  std::memcpy(&header, data.data(), sizeof header);
  const size_t imageBytes = Area() * sizeof(Pixel);
  if (std::memcmp(header.magic, kDataMagic, sizeof kDataMagic) != 0 ||
      header.width != uint32_t(width_) || header.height != uint32_t(height_) ||
      (data.size() - sizeof header) % imageBytes != 0 ||
      (data.size() - sizeof header) / imageBytes != header.count)
    return false;
  std::vector<Pixel> pixels(size_t(header.count) * Area());
  if (header.count) std::memcpy(pixels.data(), data.data() + sizeof header, data.size() - sizeof header);
  // comctl32's copy, when controls show one, is made whole before anything
  // changes: a refusal leaves them the list they show.
  TImageListHandle made = handle_ ? MakeHandle(pixels) : TImageListHandle();
  pixels_ = std::move(pixels);
  // Controls showing the old list take the new one before the old one goes.
  const TImageListHandle old = std::exchange(handle_, std::move(made));
  Changed();
  return true;
}

}  // namespace gui
