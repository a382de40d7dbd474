#include "Pixels.h"

std::vector<uint32_t> RenderPixels(int width, int height, const std::function<void(HDC)>& draw) {
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof bi.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const HDC dc = CreateCompatibleDC(nullptr);
  const HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = SelectObject(dc, bmp);
  PatBlt(dc, 0, 0, width, height, WHITENESS);
  draw(dc);
  GdiFlush();
  const auto* first = static_cast<const uint32_t*>(bits);
  std::vector<uint32_t> pixels(first, first + size_t(width) * size_t(height));
  for (auto& p : pixels) p &= 0xFFFFFF;
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  return pixels;
}

std::vector<uint32_t> ImagePixels(HIMAGELIST list, int index, int size) {
  return RenderPixels(size, [&](HDC dc) { ImageList_Draw(list, index, dc, 0, 0, ILD_TRANSPARENT); });
}

std::vector<uint32_t> IconPixels(HICON icon, int size) {
  return RenderPixels(size, [&](HDC dc) { DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL); });
}
