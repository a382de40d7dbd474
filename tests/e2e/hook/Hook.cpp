// Runs inside the program under test, loaded there by Wine when the driver's
// WH_GETMESSAGE hook first fires in its thread; see HookProtocol.h.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>

#include "HookProtocol.h"

namespace {

void Dump(HMENU menu, int depth, std::string& out) {
  // Menus can't loop, but a bad handle must not recurse forever.
  for (int i = 0, n = depth < 16 ? GetMenuItemCount(menu) : 0; i < n; ++i) {
    char text[1024] = "";
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    mii.dwTypeData = text;
    mii.cch = sizeof text - 1;
    if (!GetMenuItemInfoA(menu, UINT(i), TRUE, &mii)) continue;
    out += std::to_string(depth) + '\t' + std::to_string(mii.wID) + '\t' +
           ((mii.fType & MFT_SEPARATOR) ? "-" : text) + '\n';
    if (mii.hSubMenu) Dump(mii.hSubMenu, depth + 1, out);
  }
}

// The size `text` takes in the window's font, as DrawText lays it out:
// broken into lines at `width` where the control breaks it.
SIZE TextSize(HWND window, const std::string& text, bool wrap, int width) {
  HDC dc = GetDC(window);
  const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(window, WM_GETFONT, 0, 0)));
  RECT r{0, 0, wrap ? width : 1, 0};
  DrawTextA(dc, text.c_str(), int(text.size()), &r,
            DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (wrap ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

int ImageSide(HIMAGELIST list) {
  int cx = 0, cy = 0;
  return list && ImageList_GetIconSize(list, &cx, &cy) ? cx : 0;
}

BOOL CALLBACK DescribeChild(HWND h, LPARAM param) {
  auto& out = *reinterpret_cast<std::string*>(param);
  char name[64] = "", text[1024] = "";
  GetClassNameA(h, name, sizeof name);
  GetWindowTextA(h, text, sizeof text);
  const std::string cls = name;
  const LONG style = GetWindowLongA(h, GWL_STYLE);
  RECT w, c;
  GetWindowRect(h, &w);
  GetClientRect(h, &c);
  SIZE room{c.right, c.bottom}, need{0, 0};
  int images = 0;
  const LONG type = style & SS_TYPEMASK;
  const bool wraps = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
  if (cls == "Static" && text[0] && (wraps || type == SS_LEFTNOWORDWRAP)) {
    need = TextSize(h, text, wraps, c.right);
  } else if (cls == "Button" && text[0]) {
    need = TextSize(h, text, false, 0);
    // The button's edges and the air the system keeps inside them.
    room.cx -= 2 * GetSystemMetrics(SM_CXEDGE) + 2;
    room.cy -= 2 * GetSystemMetrics(SM_CYEDGE);
  } else if (cls == "ComboBox") {
    // The closed box shows the chosen text beside its button.
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(h, &info)) room = SIZE{info.rcItem.right - info.rcItem.left, info.rcItem.bottom - info.rcItem.top};
    for (int i = 0, n = int(SendMessageA(h, CB_GETCOUNT, 0, 0)); i < n; ++i) {
      char item[1024] = "";
      if (SendMessageA(h, CB_GETLBTEXTLEN, WPARAM(i), 0) >= LRESULT(sizeof item)) continue;
      SendMessageA(h, CB_GETLBTEXT, WPARAM(i), LPARAM(item));
      const SIZE s = TextSize(h, item, false, 0);
      need = SIZE{std::max(need.cx, s.cx), std::max(need.cy, s.cy)};
    }
  } else if (cls == WC_TREEVIEWA) {
    images = ImageSide(reinterpret_cast<HIMAGELIST>(SendMessageA(h, TVM_GETIMAGELIST, TVSIL_NORMAL, 0)));
  } else if (cls == TOOLBARCLASSNAMEA) {
    images = ImageSide(reinterpret_cast<HIMAGELIST>(SendMessageA(h, TB_GETIMAGELIST, 0, 0)));
  } else if (cls == "Static" && type == SS_ICON) {
    ICONINFO info{};
    const HICON icon = reinterpret_cast<HICON>(SendMessageA(h, STM_GETICON, 0, 0));
    if (icon && GetIconInfo(icon, &info)) {
      BITMAP shape{};
      GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof shape, &shape);
      images = shape.bmWidth;
      if (info.hbmColor) DeleteObject(info.hbmColor);
      if (info.hbmMask) DeleteObject(info.hbmMask);
    }
  }
  const auto n = [](long long v) { return std::to_string(v); };
  out += n(reinterpret_cast<LONG_PTR>(h)) + '\t' + n(reinterpret_cast<LONG_PTR>(GetParent(h))) + '\t' +
         cls + '\t' + (IsWindowVisible(h) ? "1" : "0") + '\t' + n(w.left) + ' ' + n(w.top) + ' ' + n(w.right) + ' ' +
         n(w.bottom) + '\t' + n(room.cx) + ' ' + n(room.cy) + '\t' + n(need.cx) + ' ' + n(need.cy) + '\t' +
         n(images) + '\t' + text + '\n';
  return TRUE;
}

void Answer(WPARAM menuHandle, LPARAM window, bool layout) {
  const DWORD pid = GetCurrentProcessId();
  const HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, e2e::hook::MappingName(pid).c_str());
  const HANDLE done = OpenEventA(EVENT_MODIFY_STATE, FALSE, e2e::hook::EventName(pid).c_str());
  const HMENU menu = layout ? nullptr : menuHandle ? HMENU(menuHandle) : GetMenu(HWND(window));
  std::string out;
  if (layout) EnumChildWindows(HWND(window), DescribeChild, reinterpret_cast<LPARAM>(&out));
  else if (menu && IsMenu(menu)) Dump(menu, 0, out);
  out = out.substr(0, e2e::hook::kMappingSize - 1);
  if (char* view = mapping ? static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0)) : nullptr) {
    out.copy(view, out.size());
    view[out.size()] = '\0';
    UnmapViewOfFile(view);
  }
  if (done) SetEvent(done);
  if (done) CloseHandle(done);
  if (mapping) CloseHandle(mapping);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK E2eGetMessageHook(int code, WPARAM wp, LPARAM lp) {
  static const UINT request = RegisterWindowMessageA(e2e::hook::kMessageName);
  static const UINT layout = RegisterWindowMessageA(e2e::hook::kLayoutMessageName);
  // Only when the message is taken out of the queue, so each request is
  // answered once however often the target peeks at it.
  const MSG* msg = reinterpret_cast<const MSG*>(lp);
  if (code == HC_ACTION && wp == PM_REMOVE && (msg->message == request || msg->message == layout))
    Answer(msg->wParam, msg->lParam, msg->message == layout);
  return CallNextHookEx(nullptr, code, wp, lp);
}
