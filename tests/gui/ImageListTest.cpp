#include "GuiTest.h"
#include "ImgList.h"
#include "Pixels.h"
#include "ShellApi.h"
#include "SysUtils.h"

using namespace gui;

namespace {
// A 16 x 16 icon of one colour (0xRRGGBB) with a transparent top-left pixel.
TIcon SolidIcon(uint32_t rgb) {
  BYTE mask[32] = {0x80};
  std::vector<DWORD> colour(16 * 16, 0xFF000000 | rgb);
  colour[0] = 0;
  return TIcon(CreateIcon(nullptr, 16, 16, 1, 32, mask, reinterpret_cast<const BYTE*>(colour.data())));
}

// The image as the list draws it (for menus and buttons), which comctl32's
// copy for the common controls must show alike.
std::vector<uint32_t> Pixels(const TImageList& list, int index) {
  const auto drawn = RenderPixels(list.Width(), [&](HDC dc) { list.Draw(dc, 0, 0, index); });
  EXPECT_EQ(drawn, ImagePixels(list.Handle(), index, list.Width())) << "image " << index;
  return drawn;
}
}  // namespace

TEST_F(GuiTest, WrittenImageListDataRestoresTheSameImagesAndNothingElseIsTaken) {
  TImageList list(nullptr);
  const uint32_t colours[] = {0xFF0000, 0x008000, 0x0000FF, 0x0A141E};
  for (const uint32_t c : colours) list.AddIcon(SolidIcon(c));
  EXPECT_EQ(list.AddIcon(TIcon()), -1) << "an empty icon adds nothing";
  EXPECT_THROW(list.CopyImage(4, 0), EListError);
  const std::string data = list.WriteData();
  TImageList restored(nullptr);
  ASSERT_TRUE(restored.ReadData(data));
  ASSERT_EQ(restored.Count(), 4);
  for (int i = 0; i < 4; ++i) {
    const auto pixels = Pixels(restored, i);
    EXPECT_EQ(pixels, Pixels(list, i)) << "image " << i;
    EXPECT_EQ(pixels[0], 0xFFFFFFu) << "the transparent corner stays transparent";
    EXPECT_EQ(pixels[17], colours[i]);
  }

  // An icon of another size is scaled to the list's.
  TImageList big(nullptr, 32, 32);
  big.AddIcon(SolidIcon(0x010203));
  EXPECT_EQ(Pixels(big, 0)[32 * 16 + 16], 0x010203u);
  // Data that is no image list of this size leaves the list as it was.
  for (const std::string& bad : {std::string(), std::string("garbage"), data.substr(0, data.size() / 2),
                                 data.substr(0, 20), big.WriteData()}) {
    EXPECT_FALSE(restored.ReadData(bad)) << bad.size() << " bytes";
    EXPECT_EQ(restored.Count(), 4);
  }
}

// Each size is drawn from the picture made for it, else from the nearest
// larger one, else from the largest: the icon and the first glyph are red at
// 16 pixels and blue above; the second glyph green at 16 and yellow above.
TEST_F(GuiTest, EveryImageSizeComesFromThePictureDrawnForItOrTheNearestLargerOne) {
  const std::string self = GetModuleFileNameString(), iconFile = ExtractFilePath(self) + "two-sizes.ico";
  // One list for the strips, sized again for each size as for a form that
  // moves from screen to screen.
  TImageList glyphs(nullptr);
  glyphs.Handle();
  for (const int size : {16, 20, 24, 32, 48}) {
    SCOPED_TRACE(size);
    const uint32_t colours[2] = {size == 16 ? 0xFF0000u : 0x0000FFu, size == 16 ? 0x00A000u : 0xFFC800u};
    const size_t centre = size_t(size) * size_t(size / 2) + size_t(size / 2);
    // From a program's resources and from an icon file.
    for (const std::string& file : {self, iconFile}) {
      TImageList list(nullptr, size, size);
      const TIcon icon = ExtractIconAt(file, 0, size);
      EXPECT_EQ(TIconInfo(icon.Handle()).Size().cx, size) << "an icon of the size asked for";
      list.Handle();  // comctl32's copy takes each image as it comes
      ASSERT_EQ(list.AddIcon(icon), 0);
      const auto pixels = Pixels(list, 0);
      EXPECT_EQ(pixels[centre], colours[0]) << file;
      // The one-pixel clear border only partly covers a pixel of 20 or 24.
      if (size % 16 == 0) {
        EXPECT_EQ(pixels[0], 0xFFFFFFu) << "the clear border stays clear";
      }
    }
    glyphs.SetSize(size, size);
    ASSERT_EQ(glyphs.AddMasked("GLYPHS", RGB(255, 0, 255)), 0);
    ASSERT_EQ(glyphs.Count(), 2);
    for (int k = 0; k < 2; ++k) {
      const auto pixels = Pixels(glyphs, k);
      EXPECT_EQ(pixels[centre], colours[k]);
      EXPECT_EQ(pixels[0], 0xFFFFFFu) << "the key colour is transparent";
    }
  }
}
