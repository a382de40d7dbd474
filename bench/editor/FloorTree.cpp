// The floors for the editor's benchmark. `FloorTree.exe N`: a window with a
// tree view filled with N plain nodes (text only) while it does not paint,
// shown, then an ordinary message loop. `FloorTree.exe N window`: the same
// tree in the editor's main window as a plain Win32 program writes it, with
// no layer in between: the same windows of the same classes and styles in
// the same places and font (menu bar, toolbar with its list of choices,
// status bar, tree with pictures, the bar between tree and panel, the
// panel's groups, captions, fields, picture, buttons and list), its
// captions in plain letters. What it costs to make and show so many windows
// is then the same for both programs; what the editor needs beyond it is the
// layer's and its own work.
//
// FLOOR_WITHOUT names parts of the editor's window to leave out, to see what
// each costs: menu, toolbar, status, pictures, bar, groups (the panel's two
// groups with all they hold), captions (with the icon's preview), fields,
// buttons, lists. `FLOOR_WITHOUT=fields,lists bench/run-editor`
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

HINSTANCE instance;
HFONT font;

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void Register(const char* name, WNDPROC proc) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  RegisterClassA(&wc);
}

// The groups of the panel draw their edges; the bar, the buttons and the
// panel itself only erase.
LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    if (GetWindowLongPtrA(hwnd, GWLP_USERDATA)) DrawEdge(dc, &r, BDR_SUNKENOUTER | BDR_RAISEDINNER, BF_RECT);
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// Whether FLOOR_WITHOUT leaves the part out.
bool Without(const char* part) {
  const char* parts = std::getenv("FLOOR_WITHOUT");
  return parts && std::strstr(parts, part);
}

HWND Child(HWND parent, const char* cls, const char* text, DWORD style, DWORD exStyle, int x, int y, int w, int h) {
  const DWORD always = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  HWND hwnd = CreateWindowExA(exStyle, cls, text, always | style, x, y, w, h, parent, nullptr, instance, nullptr);
  SendMessageA(hwnd, WM_SETFONT, WPARAM(font), FALSE);
  return hwnd;
}

HWND List(HWND parent, int x, int y, int w, const char* const* choices, int count) {
  if (Without("lists")) return nullptr;
  HWND box = Child(parent, "COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, x, y, w, 200);
  for (int i = 0; i < count; ++i) SendMessageA(box, CB_ADDSTRING, 0, LPARAM(choices[i]));
  SendMessageA(box, CB_SETCURSEL, 0, 0);
  return box;
}

// A list of `count` blank pictures, given to comctl32 as one strip.
HIMAGELIST Pictures(int count) {
  HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, count, 4);
  HDC screen = GetDC(nullptr);
  HBITMAP strip = CreateCompatibleBitmap(screen, 16 * count, 16);
  ReleaseDC(nullptr, screen);
  ImageList_Add(list, strip, nullptr);
  DeleteObject(strip);
  return list;
}

HMENU MenuBar() {
  HMENU bar = CreateMenu();
  const char* const tops[] = {"File", "Edit", "Icons", "Help"};
  for (const char* top : tops) {
    HMENU sub = CreatePopupMenu();
    for (int i = 0; i < 4; ++i) AppendMenuA(sub, MF_STRING, UINT_PTR(100 + i), "Command");
    AppendMenuA(bar, MF_POPUP, UINT_PTR(sub), top);
  }
  return bar;
}

// A group of captioned rows; `buttons` marks the rows with a button after
// their field (bit 0 the first row).
void Group(HWND parent, int top, int rows, unsigned buttons) {
  HWND group = Child(parent, "FloorPanel", "", 0, WS_EX_CONTROLPARENT, 4, top, 360, rows * 28 + 9);
  SetWindowLongPtrA(group, GWLP_USERDATA, 1);
  for (int row = 0; row < rows; ++row) {
    const int y = 8 + 28 * row;
    if (!Without("captions")) Child(group, "STATIC", "Caption", SS_NOPREFIX | SS_LEFTNOWORDWRAP, 0, 8, y + 4, 72, 13);
    if (rows == 4 && row == 3) {
      const char* const sizes[] = {"Normal", "Minimized", "Maximized"};
      List(group, 80, y, 272, sizes, 3);
      continue;
    }
    if (!Without("fields")) Child(group, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 80, y, 220, 20);
    if (buttons & (1u << row) && !Without("buttons")) Child(group, "FloorPanel", "", WS_TABSTOP, 0, 328, y - 1, 23, 22);
  }
  if (rows == 2) {
    if (!Without("captions")) Child(group, "STATIC", "", SS_NOTIFY | SS_ICON | SS_REALSIZECONTROL, 0, 60, 38, 16, 16);
    if (!Without("fields")) Child(group, "EDIT", "0", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 280, 36, 21, 20);
    if (!Without("buttons")) Child(group, "FloorPanel", "", WS_TABSTOP, 0, 303, 35, 23, 22);
  }
}

void Toolbar(HWND main) {
  HWND toolbar = Child(main, TOOLBARCLASSNAMEA, "",
                       CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN | TBSTYLE_TOOLTIPS | TBSTYLE_FLAT |
                           TBSTYLE_TRANSPARENT,
                       WS_EX_CONTROLPARENT, 0, 0, 632, 24);
  SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageA(toolbar, TB_SETIMAGELIST, 0, LPARAM(Pictures(6)));
  TBBUTTON buttons[5]{};
  for (int i = 0, picture = 0; i < 5; ++i) {
    const bool gap = i == 1 || i == 4;
    buttons[i].iBitmap = gap ? 0 : picture++;
    buttons[i].idCommand = 200 + i;
    buttons[i].fsState = TBSTATE_ENABLED;
    buttons[i].fsStyle = gap ? BTNS_SEP : BTNS_BUTTON;
  }
  SendMessageA(toolbar, TB_ADDBUTTONS, 5, LPARAM(buttons));
  const char* const positions[] = {"Insert the editor last", "Insert the editor first", "Do not insert the editor"};
  List(toolbar, 100, 0, 276, positions, 3);
}

// The editor's main window, every control in its place; returns its tree.
HWND EditorWindow(HWND& main) {
  font = CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, "MS UI Gothic");
  Register("FloorPanel", PanelProc);
  main = CreateWindowExA(WS_EX_CONTROLPARENT, "FloorTree", "FloorWindow", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                         100, 100, 648, 310, nullptr, Without("menu") ? nullptr : MenuBar(), instance, nullptr);
  if (!Without("toolbar")) Toolbar(main);
  if (!Without("status")) {
    HWND status = Child(main, STATUSCLASSNAMEA, "", CCS_NORESIZE | CCS_NOPARENTALIGN | SBARS_SIZEGRIP, 0, 0, 257,
                        632, 19);
    int parts[] = {552, -1};
    SendMessageA(status, SB_SETPARTS, 2, LPARAM(parts));
  }

  HWND tree = Child(main, WC_TREEVIEWA, "",
                    WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                        TVS_SHOWSELALWAYS | TVS_EDITLABELS,
                    WS_EX_CLIENTEDGE, 0, 24, 265, 233);
  SendMessageA(tree, TVM_SETINDENT, 19, 0);
  if (!Without("pictures")) SendMessageA(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, LPARAM(Pictures(1)));
  if (!Without("bar")) Child(main, "FloorPanel", "", 0, 0, 265, 24, 3, 233);
  HWND panel = Child(main, "FloorPanel", "", 0, WS_EX_CONTROLPARENT, 268, 24, 364, 233);
  if (!Without("groups")) {
    Group(panel, 0, 2, 0b10);
    Group(panel, 68, 4, 0b101);
  }
  return tree;
}

// A window with nothing but the tree.
HWND TreeWindow(HWND& main) {
  main = CreateWindowExA(0, "FloorTree", "FloorTree", WS_OVERLAPPEDWINDOW, 100, 100, 640, 300, nullptr, nullptr,
                         instance, nullptr);
  return CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
                         WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT, 0, 0, 265, 260,
                         main, nullptr, instance, nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR cmdLine, int) {
  instance = hInstance;
  const int count = std::atoi(cmdLine);
  const bool editorWindow = std::strstr(cmdLine, "window") != nullptr;
  InitCommonControls();
  Register("FloorTree", MainProc);
  HWND main = nullptr;
  HWND tree = editorWindow ? EditorWindow(main) : TreeWindow(main);

  char text[32];
  TVINSERTSTRUCTA ins{};
  ins.hParent = TVI_ROOT;
  ins.hInsertAfter = TVI_LAST;
  ins.item.mask = TVIF_TEXT | (editorWindow ? TVIF_IMAGE | TVIF_SELECTEDIMAGE : 0);
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
    if (editorWindow && IsDialogMessageA(main, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
