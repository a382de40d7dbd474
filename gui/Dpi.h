// Dots per inch. Windows are designed in 96-dpi units (a pixel at 100 %)
// and drawn at the DPI of the screen they are on; this is where the layer
// learns that DPI and turns units into pixels.
//
// The newer functions that know a window's or a DPI's own metrics are looked
// up at run time; a system without them has one DPI for everything, which
// the classic calls already answer. Nothing here loads a library.
#pragma once

#include <windows.h>

// Sent to a window moved to a screen of another DPI (Windows 8.1 on), with
// the new DPI and the rectangle the system suggests.
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace gui {

// The DPI that layouts, font heights and picture sizes are given in.
constexpr int kDesignDpi = 96;

// The system's DPI (its main screen's), as this program is told it.
int SystemDpi();
// The DPI a window is drawn at: the DPI of its screen where the system tells
// it (Windows 10 1607 on), else the system's.
int WindowDpi(HWND window);
// The DPI of the screen at a point of the screen, learnt from a hidden
// top-level window the caller owns, which is moved there. Asks no other
// library than the window functions do.
int DpiAtPoint(HWND hiddenWindow, POINT at);

// `units` of 96 dpi in pixels at `dpi`, rounded to the nearest pixel.
inline int ScaleToDpi(int units, int dpi) { return MulDiv(units, dpi, kDesignDpi); }
// Back from pixels at `dpi` to 96-dpi units.
inline int UnscaleFromDpi(int pixels, int dpi) { return MulDiv(pixels, kDesignDpi, dpi); }

// The side of a small icon (the menus', the trees') at a DPI: 16 at 96,
// 20 at 120, 24 at 144, 32 at 192.
int SmallIconSize(int dpi);

// GetSystemMetrics for a DPI; where the system has no such call, its own
// value scaled from the system's DPI.
int SystemMetricForDpi(int index, int dpi);
// The window rectangle that holds `client` with this frame at a DPI.
RECT WindowRectForClient(const RECT& client, DWORD style, bool menu, DWORD exStyle, int dpi);

}  // namespace gui
