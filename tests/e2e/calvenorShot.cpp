// Opens a window of the editor for a picture (tools/screenshot --driver):
//   calvenorShot about     the version window, from the help menu
//   calvenorShot splash    the version window and its picture
//   calvenorShot context   the tree's context menu on its first item
//   calvenorShot file      the File menu of the menu bar
//   calvenorShot select N  the tree's Nth entry (counted down the outline)
//                          with its property panel
// Waits for the editor's main window on the desktop it runs in, does that,
// and ends: 0 when it could, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Driver.h"
#include "TestText.h"

using namespace e2e;

namespace {

HWND FindEditor() {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        found = FindWindowA("OstrevanWindow", sjis("Morvath Ostrevan - メニューエディタ").c_str());
        return found && IsWindowVisible(found);
      },
      20s);
  return found;
}

}  // namespace

int main(int argc, char** argv) {
  const char* what = argc > 1 ? argv[1] : "about";
  try {
    const HWND main = FindEditor();
    if (!main) return 1;
    const DWORD pid = ProcessOf(main);
    if (std::strcmp(what, "context") == 0) {
      const HWND tree = WaitChild(main, "SysTreeView32");
      WaitUntil([&] { return TreeItem(tree, TVGN_ROOT) != nullptr; }, 10s);
      RightClick(tree, TreeItemPoint(tree, TreeItem(tree, TVGN_ROOT)));
      WaitPopupMenu(pid);
      return 0;
    }
    if (std::strcmp(what, "select") == 0) {
      const HWND tree = WaitChild(main, "SysTreeView32");
      WaitUntil([&] { return TreeItem(tree, TVGN_ROOT) != nullptr; }, 10s);
      HTREEITEM item = TreeItem(tree, TVGN_ROOT);
      for (int n = argc > 2 ? std::atoi(argv[2]) : 0; n > 0 && item; --n) item = TreeItem(tree, TVGN_NEXTVISIBLE, item);
      if (!item) return 1;
      Click(tree, TreeItemPoint(tree, item));
      return 0;
    }
    if (std::strcmp(what, "file") == 0) {
      PostMessageA(main, WM_SYSCOMMAND, SC_KEYMENU, 'f');
      WaitPopupMenu(pid);
      return 0;
    }
    PostCommand(main, int(MenuBarCommand(main, {sjis("ヘルプ(&H)"), sjis("バージョン情報(&A)")})));
    const HWND about = WaitWindow(pid, "OstrevanWindow", sjis("バージョン情報"));
    if (std::strcmp(what, "splash") == 0) {
      for (HWND c : Descendants(about))
        if ((GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) Click(c, POINT{10, 10});
      WaitWindow(pid, "OstrevanWindow", sjis("ちょっと待っててね☆"));
    }
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "calvenorShot: %s\n", e.what());
    return 1;
  }
}
