// Presses keys in the popup menu of whatever program shows one, for pictures
// of submenus (tools/screenshot --driver). Usage:
//   e2eKeys KEY...    KEY: down up left right enter esc
// Waits up to 10 s for a visible popup menu, posts the keys to it one after
// the other, and ends: 0 when it found a popup, 1 otherwise.
#include <cstdio>
#include <cstring>

#include "Driver.h"

int main(int argc, char** argv) {
  static const struct {
    const char* name;
    UINT vk;
  } names[] = {{"down", VK_DOWN}, {"up", VK_UP}, {"left", VK_LEFT}, {"right", VK_RIGHT}, {"enter", VK_RETURN}, {"esc", VK_ESCAPE}};
  std::vector<UINT> keys;
  for (int i = 1; i < argc; ++i) {
    keys.push_back(0);
    for (const auto& n : names)
      if (std::strcmp(argv[i], n.name) == 0) keys.back() = n.vk;
    if (!keys.back()) return std::fprintf(stderr, "e2eKeys: unknown key %s\n", argv[i]), 2;
  }
  HWND popup = nullptr;
  if (!e2e::WaitUntil([&] { return (popup = FindWindowA("#32768", nullptr)) && IsWindowVisible(popup); })) {
    std::fputs("e2eKeys: no popup menu showed up\n", stderr);
    return 1;
  }
  // One by one, so that each submenu is drawn before the next key.
  for (UINT vk : keys) {
    e2e::PostMenuKeys(e2e::ProcessOf(popup), {vk});
    Sleep(150);
  }
  return 0;
}
