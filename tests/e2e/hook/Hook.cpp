// Runs inside the program under test, loaded there by Wine when the driver's
// WH_GETMESSAGE hook first fires in its thread; see HookProtocol.h.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string_view>

#include "HookProtocol.h"

namespace {

using namespace e2e::hook;

void Dump(HMENU menu, int depth, Answer<MenuRecord>& out) {
  // Menus can't loop, but a bad handle must not recurse forever.
  for (int i = 0, n = depth < 16 ? GetMenuItemCount(menu) : 0; i < n && out.count < int(std::size(out.records)); ++i) {
    MenuRecord& r = out.records[out.count];
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    mii.dwTypeData = r.caption;
    mii.cch = sizeof r.caption - 1;
    if (!GetMenuItemInfoA(menu, UINT(i), TRUE, &mii)) continue;
    if (mii.fType & MFT_SEPARATOR) std::strcpy(r.caption, "-");
    r.depth = depth;
    r.id = mii.wID;
    ++out.count;
    if (mii.hSubMenu) Dump(mii.hSubMenu, depth + 1, out);
  }
}

// The size `text` takes in the window's font, as DrawText lays it out:
// broken into lines at `width` where the control breaks it.
SIZE TextSize(HWND window, const char* text, bool wrap, int width) {
  HDC dc = GetDC(window);
  const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(window, WM_GETFONT, 0, 0)));
  RECT r{0, 0, wrap ? width : 1, 0};
  DrawTextA(dc, text, -1, &r, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (wrap ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

int ImageSide(HIMAGELIST list) {
  int cx = 0, cy = 0;
  return list && ImageList_GetIconSize(list, &cx, &cy) ? cx : 0;
}

BOOL CALLBACK DescribeChild(HWND h, LPARAM param) {
  auto& out = *reinterpret_cast<Answer<ControlRecord>*>(param);
  if (out.count >= int(std::size(out.records))) return FALSE;
  ControlRecord& r = out.records[out.count++] = {};
  GetClassNameA(h, r.className, sizeof r.className);
  GetWindowTextA(h, r.text, sizeof r.text);
  r.parent = GetParent(h);
  r.visible = IsWindowVisible(h);
  GetWindowRect(h, &r.rect);
  RECT c;
  GetClientRect(h, &c);
  r.room = SIZE{c.right, c.bottom};
  const std::string_view cls = r.className;
  const LONG type = GetWindowLongA(h, GWL_STYLE) & SS_TYPEMASK;
  const bool wraps = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
  if (cls == "Static" && r.text[0] && (wraps || type == SS_LEFTNOWORDWRAP)) {
    r.needed = TextSize(h, r.text, wraps, c.right);
  } else if (cls == "Button" && r.text[0]) {
    r.needed = TextSize(h, r.text, false, 0);
    // The button's edges and the air the system keeps inside them.
    r.room.cx -= 2 * GetSystemMetrics(SM_CXEDGE) + 2;
    r.room.cy -= 2 * GetSystemMetrics(SM_CYEDGE);
  } else if (cls == "ComboBox") {
    // The closed box shows the chosen text beside its button.
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(h, &info))
      r.room = SIZE{info.rcItem.right - info.rcItem.left, info.rcItem.bottom - info.rcItem.top};
    for (int i = 0, n = int(SendMessageA(h, CB_GETCOUNT, 0, 0)); i < n; ++i) {
      char item[1024] = "";
      if (SendMessageA(h, CB_GETLBTEXTLEN, WPARAM(i), 0) >= LRESULT(sizeof item)) continue;
      SendMessageA(h, CB_GETLBTEXT, WPARAM(i), LPARAM(item));
      const SIZE s = TextSize(h, item, false, 0);
      r.needed = SIZE{std::max(r.needed.cx, s.cx), std::max(r.needed.cy, s.cy)};
    }
  } else if (cls == WC_TREEVIEWA) {
    r.imageSide = ImageSide(reinterpret_cast<HIMAGELIST>(SendMessageA(h, TVM_GETIMAGELIST, TVSIL_NORMAL, 0)));
  } else if (cls == TOOLBARCLASSNAMEA) {
    r.imageSide = ImageSide(reinterpret_cast<HIMAGELIST>(SendMessageA(h, TB_GETIMAGELIST, 0, 0)));
  } else if (cls == "Static" && type == SS_ICON) {
    ICONINFO info{};
    const HICON icon = reinterpret_cast<HICON>(SendMessageA(h, STM_GETICON, 0, 0));
    if (icon && GetIconInfo(icon, &info)) {
      BITMAP shape{};
      GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof shape, &shape);
      r.imageSide = shape.bmWidth;
      if (info.hbmColor) DeleteObject(info.hbmColor);
      if (info.hbmMask) DeleteObject(info.hbmMask);
    }
  }
  return TRUE;
}

void Respond(WPARAM menu, LPARAM window, bool layout) {
  const DWORD pid = GetCurrentProcessId();
  const HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, MappingName(pid).c_str());
  const HANDLE done = OpenEventA(EVENT_MODIFY_STATE, FALSE, EventName(pid).c_str());
  if (void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0) : nullptr) {
    if (layout) {
      EnumChildWindows(HWND(window), DescribeChild, LPARAM(view));
    } else if (const HMENU m = menu ? HMENU(menu) : GetMenu(HWND(window)); m && IsMenu(m)) {
      Dump(m, 0, *static_cast<Answer<MenuRecord>*>(view));
    }
    UnmapViewOfFile(view);
  }
  if (done) SetEvent(done), CloseHandle(done);
  if (mapping) CloseHandle(mapping);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK E2eGetMessageHook(int code, WPARAM wp, LPARAM lp) {
  static const UINT menu = RegisterWindowMessageA(kMenuRequest), layout = RegisterWindowMessageA(kLayoutRequest);
  // Only when the message is taken out of the queue, so each request is
  // answered once however often the target peeks at it.
  const MSG* msg = reinterpret_cast<const MSG*>(lp);
  if (code == HC_ACTION && wp == PM_REMOVE && (msg->message == menu || msg->message == layout))
    Respond(msg->wParam, msg->lParam, msg->message == layout);
  return CallNextHookEx(nullptr, code, wp, lp);
}
