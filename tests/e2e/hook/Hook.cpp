// Runs inside the program under test, loaded there by Wine when the driver's
// WH_GETMESSAGE hook first fires in its thread; see HookProtocol.h.
#include <windows.h>

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

void Answer(WPARAM menuHandle, LPARAM window) {
  const DWORD pid = GetCurrentProcessId();
  const HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, e2e::hook::MappingName(pid).c_str());
  const HANDLE done = OpenEventA(EVENT_MODIFY_STATE, FALSE, e2e::hook::EventName(pid).c_str());
  const HMENU menu = menuHandle ? HMENU(menuHandle) : GetMenu(HWND(window));
  std::string out;
  if (menu && IsMenu(menu)) Dump(menu, 0, out);
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
  // Only when the message is taken out of the queue, so each request is
  // answered once however often the target peeks at it.
  const MSG* msg = reinterpret_cast<const MSG*>(lp);
  if (code == HC_ACTION && wp == PM_REMOVE && msg->message == request) Answer(msg->wParam, msg->lParam);
  return CallNextHookEx(nullptr, code, wp, lp);
}
