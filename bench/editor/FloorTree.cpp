// The floor for the editor's benchmark: a window with a tree view filled with
// N plain nodes (text only) while it does not paint, shown, then an ordinary
// message loop.
//   FloorTree.exe N
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>

static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int) {
  const int count = std::atoi(cmdLine);
  InitCommonControls();
  WNDCLASSA wc{};
  wc.lpfnWndProc = WndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "FloorTree";
  RegisterClassA(&wc);
  HWND main = CreateWindowExA(0, "FloorTree", "FloorTree", WS_OVERLAPPEDWINDOW, 100, 100, 640, 300,
                              nullptr, nullptr, instance, nullptr);
  HWND tree = CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
                              WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT,
                              0, 0, 265, 260, main, nullptr, instance, nullptr);
  char text[32];
  TVINSERTSTRUCTA ins{};
  ins.hParent = TVI_ROOT;
  ins.hInsertAfter = TVI_LAST;
  ins.item.mask = TVIF_TEXT;
  ins.item.pszText = text;
  // Filled without painting in between, as any program fills a long list.
  SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
  for (int i = 0; i < count; ++i) {
    std::snprintf(text, sizeof text, "Node %d", i);
    SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins));
  }
  SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
  ShowWindow(main, SW_SHOW);
  UpdateWindow(main);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
