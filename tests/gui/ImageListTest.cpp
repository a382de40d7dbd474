#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "Forms.h"
#include "ImgList.h"
#include "Pixels.h"
#include "ShellApi.h"

using namespace gui;

namespace {

// A 16 x 16 icon of one solid colour with one transparent corner pixel.
TIcon SolidIcon(COLORREF color) {
  BYTE andBits[16 * 2 * 16] = {};
  andBits[0] = 0x80;  // top-left pixel transparent
  std::vector<DWORD> xorBits(16 * 16, 0xFF000000 | (GetRValue(color) << 16) |
                                          (GetGValue(color) << 8) | GetBValue(color));
  xorBits[0] = 0;
  ICONINFO info{};
  info.fIcon = TRUE;
  const TBitmap mask(CreateBitmap(16, 16, 1, 1, andBits)), colour(CreateBitmap(16, 16, 1, 32, xorBits.data()));
  info.hbmMask = mask.Handle();
  info.hbmColor = colour.Handle();
  return TIcon(CreateIconIndirect(&info));
}

// The image as the list draws it (for menus and buttons), which comctl32's
// copy for the common controls must show alike.
std::vector<uint32_t> Pixels(const TImageList& list, int index, bool enabled = true) {
  const auto drawn =
      RenderPixels(list.Width(), [&](HDC dc) { list.Draw(dc, 0, 0, index, enabled); });
  if (enabled) {
    EXPECT_EQ(drawn, ImagePixels(list.Handle(), index, list.Width())) << "image " << index;
  }
  return drawn;
}
}  // namespace

TEST(ImageList, WrittenDataRestoresTheSameImagesAndNothingElseIsTaken) {
  TApplication app;
  TImageList list(nullptr);
  const COLORREF colors[] = {RGB(255, 0, 0), RGB(0, 128, 0), RGB(0, 0, 255), RGB(10, 20, 30)};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(list.AddIcon(SolidIcon(colors[i])), i);
  EXPECT_EQ(list.AddIcon(TIcon()), -1) << "an empty icon adds nothing";

  // Reserved slots filled, copied and blanked, as a cache's list is made.
  list.SetCount(6);
  list.ReplaceIcon(4, SolidIcon(colors[2]));
  list.CopyImage(5, 0);
  list.ReplaceIcon(4, TIcon());
  EXPECT_EQ(Pixels(list, 4)[17], 0xFFFFFFu) << "an empty icon leaves a blank image";
  EXPECT_EQ(Pixels(list, 5), Pixels(list, 0)) << "transparency included";
  EXPECT_THROW(list.CopyImage(6, 0), EListError);
  list.SetCount(4);

  const std::string data = list.WriteData();
  TImageList restored(nullptr);
  ASSERT_TRUE(restored.ReadData(data));
  ASSERT_EQ(restored.Count(), 4);
  for (int i = 0; i < 4; ++i) {
    const auto pixels = Pixels(restored, i);
    EXPECT_EQ(pixels, Pixels(list, i)) << "image " << i;
    EXPECT_EQ(pixels[0], 0xFFFFFFu) << "the transparent corner stays transparent";
    EXPECT_EQ(pixels[17], uint32_t((GetRValue(colors[i]) << 16) | (GetGValue(colors[i]) << 8) |
                                GetBValue(colors[i])));
  }

  const uint32_t grey = Pixels(restored, 0, false)[17];
  EXPECT_TRUE((grey & 0xFF) == ((grey >> 8) & 0xFF) && (grey & 0xFF) == (grey >> 16) && grey != 0xFFFFFF)
      << "a disabled image is drawn in grey: " << std::hex << grey;

  // An icon of another size is scaled to the list's.
  TImageList big(nullptr, 32, 32);
  big.AddIcon(SolidIcon(RGB(1, 2, 3)));
  EXPECT_EQ(Pixels(big, 0)[32 * 16 + 16], 0x010203u);
  // Data that is no image list of this size leaves the list as it was.
  for (const std::string& bad : {std::string(), std::string("garbage"), data.substr(0, data.size() / 2),
                                 data.substr(0, 20), big.WriteData()}) {
    EXPECT_FALSE(restored.ReadData(bad)) << bad.size() << " bytes";
    EXPECT_EQ(restored.Count(), 4);
  }
}

// Each size is drawn from the picture made for it, else from the nearest
// larger one, else from the largest, and the list's own drawing shows what
// comctl32's copy shows, soft edges of scaled pictures included.
TEST(ImageList, EverySizeComesFromThePictureDrawnForItOrTheNearestLargerOne) {
  TApplication app;
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string iconFile = self;
  iconFile.replace(iconFile.find_last_of('\\') + 1, std::string::npos, "two-sizes.ico");
  const uint32_t red = 0xFF0000, blue = 0x0000FF, green = 0x00A000, yellow = 0xFFC800;
  const struct {
    int size;
    uint32_t icon, strip[2];
  } table[] = {{16, red, {red, green}}, {20, blue, {blue, yellow}}, {24, blue, {blue, yellow}},
               {32, blue, {blue, yellow}}, {48, blue, {blue, yellow}}};
  // One list for the strips, sized again for each row as for a form that
  // moves from screen to screen.
  TImageList glyphs(nullptr);
  glyphs.Handle();
  for (const auto& row : table) {
    SCOPED_TRACE(row.size);
    const size_t centre = size_t(row.size) * size_t(row.size / 2) + size_t(row.size / 2);
    // From a program's resources and from an icon file.
    for (const std::string& file : {std::string(self), iconFile}) {
      TImageList list(nullptr, row.size, row.size);
      const TIcon icon = ExtractIconAt(file, 0, row.size);
      EXPECT_EQ(TIconInfo(icon.Handle()).Size().cx, row.size) << "an icon of the size asked for";
      list.Handle();  // comctl32's copy takes each image as it comes
      ASSERT_EQ(list.AddIcon(icon), 0);
      const auto pixels = Pixels(list, 0);
      EXPECT_EQ(pixels[centre], row.icon) << file;
      // The one-pixel clear border only partly covers a pixel of 20 or 24.
      if (row.size % 16 == 0) {
        EXPECT_EQ(pixels[0], 0xFFFFFFu) << "the clear border stays clear";
      }
    }
    glyphs.SetSize(row.size, row.size);
    ASSERT_EQ(glyphs.AddMasked("GLYPHS", RGB(255, 0, 255)), 0);
    ASSERT_EQ(glyphs.Count(), 2);
    for (int k = 0; k < 2; ++k) {
      const auto pixels = Pixels(glyphs, k);
      EXPECT_EQ(pixels[centre], row.strip[k]);
      EXPECT_EQ(pixels[0], 0xFFFFFFu) << "the key colour is transparent";
    }
  }
}
