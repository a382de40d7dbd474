// Runs inside the program under test, loaded there by Wine when the driver's
// WH_GETMESSAGE hook first fires in its thread; see HookProtocol.h.
#include <windows.h>

#include <cstdio>
#include <string>

#include "HookProtocol.h"

namespace {

constexpr int kMaxDepth = 16;  // menus can't loop, but a bad handle must not recurse forever

void Escaped(std::string& out, const char* s) {
  for (; *s; ++s) {
    const unsigned char c = static_cast<unsigned char>(*s);
    if (c < 0x20 || c == '%') {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    } else {
      out += char(c);
    }
  }
}

void Dump(HMENU menu, int depth, std::string& out) {
  const int n = GetMenuItemCount(menu);
  for (int i = 0; i < n; ++i) {
    char text[1024] = "";
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    mii.dwTypeData = text;
    mii.cch = sizeof text - 1;
    if (!GetMenuItemInfoA(menu, UINT(i), TRUE, &mii)) continue;
    text[sizeof text - 1] = '\0';
    const char kind = (mii.fType & MFT_SEPARATOR) ? 'S' : mii.hSubMenu ? 'P' : 'C';
    char head[64];
    std::snprintf(head, sizeof head, "%d\t%c\t%u\t%x\t", depth, kind, mii.wID, mii.fState);
    out += head;
    Escaped(out, (mii.fType & MFT_SEPARATOR) ? "" : text);
    out += '\n';
    if (mii.hSubMenu && depth < kMaxDepth) Dump(mii.hSubMenu, depth + 1, out);
  }
}

void Answer(WPARAM menuHandle, LPARAM window) {
  const DWORD pid = GetCurrentProcessId();
  HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, e2e::hook::MappingName(pid).c_str());
  HANDLE done = OpenEventA(EVENT_MODIFY_STATE, FALSE, e2e::hook::EventName(pid).c_str());
  if (!mapping || !done) {
    if (mapping) CloseHandle(mapping);
    if (done) CloseHandle(done);
    return;
  }
  HMENU menu = menuHandle ? HMENU(menuHandle) : GetMenu(HWND(window));
  std::string out;
  if (!menu || !IsMenu(menu))
    out = "error: no menu there";
  else
    Dump(menu, 0, out);
  if (out.size() >= e2e::hook::kMappingSize) out = "error: the menu is too large";
  if (void* view = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, e2e::hook::kMappingSize)) {
    char* dst = static_cast<char*>(view);
    out.copy(dst, out.size());
    dst[out.size()] = '\0';
    UnmapViewOfFile(view);
  }
  SetEvent(done);
  CloseHandle(done);
  CloseHandle(mapping);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK E2eGetMessageHook(int code, WPARAM wp, LPARAM lp) {
  static const UINT request = RegisterWindowMessageA(e2e::hook::kMessageName);
  // Only when the message is taken out of the queue, so each request is
  // answered once however often the target peeks at it.
  if (code == HC_ACTION && wp == PM_REMOVE) {
    const MSG* msg = reinterpret_cast<const MSG*>(lp);
    if (msg->message == request) Answer(msg->wParam, msg->lParam);
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}
