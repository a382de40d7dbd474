// Presses keys in a popup menu of whatever program shows one, for pictures
// of submenus (tools/screenshot --driver). Usage:
//   e2eKeys [--timeout SECONDS] KEY...    KEY: down up left right enter esc
// Waits for a visible popup menu on the desktop it runs in, posts the keys to
// it one after the other, and ends: 0 when it found a popup, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Driver.h"

namespace {

UINT KeyCode(const char* name) {
  static const struct {
    const char* name;
    UINT vk;
  } keys[] = {{"down", VK_DOWN}, {"up", VK_UP},         {"left", VK_LEFT},
              {"right", VK_RIGHT}, {"enter", VK_RETURN}, {"esc", VK_ESCAPE}};
  for (const auto& k : keys)
    if (std::strcmp(name, k.name) == 0) return k.vk;
  return 0;
}

// The last visible popup in z-order: the first level, which lasts as long as
// the menu, so that no key goes to a submenu that an earlier key closed.
BOOL CALLBACK FindPopup(HWND h, LPARAM lp) {
  if (IsWindowVisible(h) && e2e::ClassName(h) == "#32768") *reinterpret_cast<HWND*>(lp) = h;
  return TRUE;
}

HWND ShownPopup() {
  HWND found = nullptr;
  EnumWindows(FindPopup, LPARAM(&found));
  return found;
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = 10;
  std::vector<UINT> keys;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--timeout") == 0 && i + 1 < argc) {
      seconds = std::atoi(argv[++i]);
    } else if (UINT vk = KeyCode(argv[i])) {
      keys.push_back(vk);
    } else {
      std::fprintf(stderr, "e2eKeys: unknown key %s\n", argv[i]);
      return 2;
    }
  }
  HWND popup = nullptr;
  if (!e2e::WaitUntil([&] { return (popup = ShownPopup()) != nullptr; }, std::chrono::seconds(seconds))) {
    std::fputs("e2eKeys: no popup menu showed up\n", stderr);
    return 1;
  }
  for (UINT vk : keys) {
    e2e::Keyboard::Post(popup, vk);
    Sleep(150);
  }
  return 0;
}
