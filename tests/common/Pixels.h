// What an image looks like, drawn on white, for comparing pictures in tests.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <vector>

std::vector<uint32_t> ImagePixels(HIMAGELIST list, int index, int size = 16);
std::vector<uint32_t> IconPixels(HICON icon, int size = 16);
