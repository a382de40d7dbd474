#include "Dpi.h"

#include <algorithm>

namespace gui {

namespace {

// An export of user32, which every program here has loaded already; null
// on systems that predate it.
template <class Fn>
Fn User32Proc(const char* name) {
  static const HMODULE user32 = GetModuleHandleA("user32.dll");
  return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDesignDpi;
}

}  // namespace

int SystemDpi() {
  using Fn = UINT(WINAPI*)();
  static const Fn forSystem = User32Proc<Fn>("GetDpiForSystem");
  const int dpi = forSystem ? int(forSystem()) : ScreenDpi();
  return dpi > 0 ? dpi : kDesignDpi;
}

int WindowDpi(HWND window) {
  using Fn = UINT(WINAPI*)(HWND);
  static const Fn forWindow = User32Proc<Fn>("GetDpiForWindow");
  const int dpi = forWindow && window ? int(forWindow(window)) : 0;
  return dpi > 0 ? dpi : SystemDpi();
}

int DpiAtPoint(HWND hiddenWindow, POINT at) {
  // A top-level window takes the DPI of the screen it is moved onto.
  SetWindowPos(hiddenWindow, nullptr, at.x, at.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
  return WindowDpi(hiddenWindow);
}

int SmallIconSize(int dpi) { return std::max(16, ScaleToDpi(16, dpi)); }

int SystemMetricForDpi(int index, int dpi) {
  using Fn = int(WINAPI*)(int, UINT);
  static const Fn forDpi = User32Proc<Fn>("GetSystemMetricsForDpi");
  if (forDpi) return forDpi(index, UINT(dpi));
  return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

RECT WindowRectForClient(const RECT& client, DWORD style, bool menu, DWORD exStyle, int dpi) {
  using Fn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const Fn forDpi = User32Proc<Fn>("AdjustWindowRectExForDpi");
  RECT r = client;
  if (!forDpi || !forDpi(&r, style, menu, exStyle, UINT(dpi))) {
    // The frame at the system's DPI, the only one such a system has.
    r = client;
    AdjustWindowRectEx(&r, style, menu, exStyle);
  }
  return r;
}

}  // namespace gui
