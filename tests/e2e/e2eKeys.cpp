// Presses keys in the popup menu of whatever program shows one, for pictures
// of submenus (tools/screenshot --driver). Usage:
//   e2eKeys KEY...    KEY: down up left right enter esc
// Waits up to 10 s for a visible popup menu, posts the keys to it one after
// the other, and ends: 0 when it found a popup, 1 otherwise.
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>

#include "Driver.h"

int main(int argc, char** argv) {
  const std::string names[] = {"down", "up", "left", "right", "enter", "esc"};
  const UINT vks[] = {VK_DOWN, VK_UP, VK_LEFT, VK_RIGHT, VK_RETURN, VK_ESCAPE};
  std::vector<UINT> keys;
  for (int i = 1; i < argc; ++i) {
    const auto name = std::find(std::begin(names), std::end(names), argv[i]);
    if (name == std::end(names)) return std::fprintf(stderr, "e2eKeys: unknown key %s\n", argv[i]), 2;
    keys.push_back(vks[name - names]);
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
