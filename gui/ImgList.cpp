// The image list's persistence is declared only where IStream is known.
#include <objidl.h>

#include "ImgList.h"

#include <algorithm>
#include <cstring>

namespace gui {

namespace {

constexpr UINT kListFlags = ILC_COLOR32 | ILC_MASK;

// Just enough of a stream over memory for the image list's own persistence,
// so that no COM library is loaded to get one.
class MemoryStream final : public IStream {
 public:
  explicit MemoryStream(std::string_view data = {}) : data_(data) {}
  const std::string& Data() const { return data_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IStream) ||
        IsEqualIID(riid, IID_ISequentialStream)) {
      *out = static_cast<IStream*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // Lives on the stack; the image list never keeps the stream.
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG size, ULONG* read) override {
    const size_t n = std::min<size_t>(size, data_.size() - std::min(pos_, data_.size()));
    if (n) std::memcpy(buffer, data_.data() + pos_, n);
    pos_ += n;
    if (read) *read = ULONG(n);
    return n == size ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG size, ULONG* written) override {
    if (pos_ > data_.size()) data_.resize(pos_);
    data_.replace(pos_, std::min<size_t>(size, data_.size() - pos_),
                  static_cast<const char*>(buffer), size);
    pos_ += size;
    if (written) *written = size;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPos) override {
    int64_t base = origin == STREAM_SEEK_SET ? 0
                   : origin == STREAM_SEEK_CUR ? int64_t(pos_)
                                               : int64_t(data_.size());
    const int64_t target = base + move.QuadPart;
    if (target < 0) return STG_E_INVALIDFUNCTION;
    pos_ = size_t(target);
    if (newPos) newPos->QuadPart = pos_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override {
    std::memset(stat, 0, sizeof *stat);
    stat->type = STGTY_STREAM;
    stat->cbSize.QuadPart = data_.size();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

 private:
  std::string data_;
  size_t pos_ = 0;
};

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

TImageList::TImageList(TComponent* AOwner, int width, int height)
    : TComponent(AOwner), width_(width), height_(height),
      handle_(ImageList_Create(width, height, kListFlags, 4, 16)) {
  if (handle_.Empty()) throw EOSError::LastError("ImageList_Create");
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

int TImageList::Count() const { return ImageList_GetImageCount(Handle()); }

int TImageList::AddIcon(const TIcon& icon) {
  if (icon.Empty()) return -1;
  const int index = ImageList_AddIcon(Handle(), icon.Handle());
  if (index < 0) throw Exception("イメージリストにアイコンを追加できません。");
  return index;
}

int TImageList::AddMasked(HBITMAP strip, TColor key) {
  const int index = strip ? ImageList_AddMasked(Handle(), strip, ColorToRGB(key)) : -1;
  if (index < 0) throw Exception("イメージリストに画像を追加できません。");
  return index;
}

int TImageList::AddMasked(const char* resource, TColor key) {
  // The list keeps copies of the pictures; the strip goes at once.
  const TBitmap strip(static_cast<HBITMAP>(
      LoadImageA(GetModuleHandleA(nullptr), resource, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (strip.Empty()) throw Exception("イメージリストに画像を追加できません。");
  return AddMasked(strip.Handle(), key);
}

void TImageList::SetCount(int count) {
  if (count < 0 || !ImageList_SetImageCount(Handle(), UINT(count)))
    throw Exception("イメージリストの大きさを変えられません。");
}

void TImageList::CopyImage(int destination, int source) {
  const int count = Count();
  if (destination < 0 || destination >= count || source < 0 || source >= count)
    throw EListError("イメージのインデックスが範囲を超えています。");
  // ILCF_MOVE leaves the source as it is: the image then stands twice.
  if (!ImageList_Copy(Handle(), destination, Handle(), source, ILCF_MOVE))
    throw Exception("イメージをコピーできません。");
}

void TImageList::ReplaceIcon(int index, const TIcon& icon) {
  if (index < 0 || index >= Count()) throw EListError("イメージのインデックスが範囲を超えています。");
  if (icon.Empty()) {
    // A blank picture keeps the numbers of every later image valid.
    HDC screen = GetDC(nullptr);
    HBITMAP image = CreateCompatibleBitmap(screen, width_, height_);
    HBITMAP mask = CreateBitmap(width_, height_, 1, 1, nullptr);
    ReleaseDC(nullptr, screen);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, mask);
    PatBlt(dc, 0, 0, width_, height_, WHITENESS);
    SelectObject(dc, old);
    DeleteDC(dc);
    ImageList_Replace(Handle(), index, image, mask);
    DeleteObject(image);
    DeleteObject(mask);
    return;
  }
  if (ImageList_ReplaceIcon(Handle(), index, icon.Handle()) < 0)
    throw Exception("イメージリストにアイコンを追加できません。");
}

TIcon TImageList::GetIcon(int index) const {
  if (index < 0 || index >= Count()) return TIcon();
  return TIcon(ImageList_GetIcon(Handle(), index, ILD_TRANSPARENT));
}

void TImageList::Clear() { ImageList_RemoveAll(Handle()); }

void TImageList::Draw(HDC dc, int x, int y, int index, bool enabled) const {
  if (index < 0 || index >= Count()) return;
  IMAGELISTDRAWPARAMS p{};
  p.cbSize = sizeof p;
  p.himl = Handle();
  p.i = index;
  p.hdcDst = dc;
  p.x = x;
  p.y = y;
  p.rgbBk = CLR_NONE;
  p.rgbFg = CLR_DEFAULT;
  p.fStyle = ILD_TRANSPARENT;
  if (!enabled) p.fState = ILS_SATURATE;
  ImageList_DrawIndirect(&p);
}

std::string TImageList::WriteData() const {
  MemoryStream stream;
  if (!ImageList_Write(Handle(), &stream)) throw Exception("イメージリストを書き出せません。");
  return stream.Data();
}

bool TImageList::ReadData(std::string_view data) {
  MemoryStream stream(data);
  HIMAGELIST read = ImageList_Read(&stream);
  if (!read) return false;
  int w = 0, h = 0;
  if (!ImageList_GetIconSize(read, &w, &h) || w != width_ || h != height_) {
    ImageList_Destroy(read);
    return false;
  }
  // The new list is shown everywhere before the old one goes.
  TImageListHandle old = std::exchange(handle_, TImageListHandle(read));
  Changed();
  return true;
}

}  // namespace gui
