// Presses keys in the popup menu of whatever program shows one, for pictures
// of submenus (tools/screenshot --driver). Usage:
//   e2eKeys KEY...    KEY: down up left right enter esc, or shift: Shift is
//                     held for the keys after it
// Waits up to 10 s for a visible popup menu, types the keys on the X
// server's keyboard one by one, so that each submenu is drawn before the
// next, and ends: 0 when it found a popup, 1 otherwise.
#include <cstdio>
#include <map>
#include <optional>
#include <string>

#include "Driver.h"

int main(int argc, char** argv) {
  const std::map<std::string, UINT> vks{{"down", VK_DOWN},   {"up", VK_UP},        {"left", VK_LEFT},
                                        {"right", VK_RIGHT}, {"enter", VK_RETURN}, {"esc", VK_ESCAPE}, {"shift", 0}};
  for (int i = 1; i < argc; ++i)
    if (!vks.count(argv[i])) return std::fprintf(stderr, "e2eKeys: unknown key %s\n", argv[i]), 2;
  // Any program's visible popup: a hidden menu window may stand before it.
  if (!e2e::WaitUntil([] {
        HWND h = nullptr;
        while ((h = FindWindowExA(nullptr, h, "#32768", nullptr)) && !IsWindowVisible(h)) {}
        return h != nullptr;
      }))
    return std::fputs("e2eKeys: no popup menu showed up\n", stderr), 1;
  std::optional<e2e::HeldKey> shift;
  for (int i = 1; i < argc; ++i) {
    if (vks.at(argv[i])) e2e::TypeKeysInX({vks.at(argv[i])});
    else shift.emplace(VK_SHIFT);
    Sleep(150);
  }
  return 0;
}
