// What an image looks like, drawn on white, for comparing pictures in tests.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <vector>

// What `draw` leaves on a white square of `size` pixels.
std::vector<uint32_t> RenderPixels(int size, const std::function<void(HDC)>& draw);
std::vector<uint32_t> ImagePixels(HIMAGELIST list, int index, int size = 16);
std::vector<uint32_t> IconPixels(HICON icon, int size = 16);
