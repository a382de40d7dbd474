// What an image looks like, drawn on white, for comparing pictures in tests.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <vector>

// What `draw` leaves on white, row by row, as 0xRRGGBB.
std::vector<uint32_t> RenderPixels(int width, int height, const std::function<void(HDC)>& draw);
inline std::vector<uint32_t> RenderPixels(int size, const std::function<void(HDC)>& draw) {
  return RenderPixels(size, size, draw);
}
std::vector<uint32_t> ImagePixels(HIMAGELIST list, int index, int size = 16);
std::vector<uint32_t> IconPixels(HICON icon, int size = 16);
