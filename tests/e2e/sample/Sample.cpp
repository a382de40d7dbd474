// A stand-in for the real programs, small enough to trust, on which the
// end-to-end driver proves itself before it drives the launcher and the
// editor. It does what they do in the ways that matter to a driver:
//
//   E2eSample.exe popup PROGRAM FOLDER   the launcher in miniature: a hidden
//       owner made foreground, a popup with a submenu at the mouse, the pick
//       posted as WM_COMMAND and started with ShellExecuteA, the popup shown
//       again while Shift is down. Exit code: the number of programs started.
//   E2eSample.exe message                one message box; exit code: the button.
//   E2eSample.exe tree                   a window with a tree view, a menu bar
//       and accelerators, like the editor.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdlib>
#include <cstring>

namespace {

enum : UINT {
  kOpenProbe = 101,
  kToolProbe = 102,
  kDeepProbe = 103,
  kNothing = 104,
  kAddItem = 201,
  kDeleteItem = 202,
  kRenameItem = 203,
  kTreeId = 100,
};

const char* g_program = "";
const char* g_folder = "";
int g_started = 0;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND) {
    const char* params = nullptr;
    int show = SW_SHOWNORMAL;
    switch (LOWORD(wp)) {
      case kOpenProbe: params = "一 \"二 三\""; break;
      case kToolProbe: params = "tool"; show = SW_SHOWMAXIMIZED; break;
      case kDeepProbe: params = "deep"; show = SW_SHOWMINNOACTIVE; break;
      default: return 0;
    }
    // The launcher does not look at the result either.
    ShellExecuteA(hwnd, nullptr, g_program, params, g_folder, show);
    ++g_started;
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

HMENU BuildMenu() {
  HMENU deep = CreatePopupMenu();
  AppendMenuA(deep, MF_STRING, kDeepProbe, "深い項目");
  HMENU tools = CreatePopupMenu();
  AppendMenuA(tools, MF_STRING, kToolProbe, "道具");
  AppendMenuA(tools, MF_POPUP, UINT_PTR(deep), "その他");
  HMENU root = CreatePopupMenu();
  AppendMenuA(root, MF_STRING, kOpenProbe, "プローブを開く");
  AppendMenuA(root, MF_POPUP, UINT_PTR(tools), "ツール");
  AppendMenuA(root, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(root, MF_STRING, kNothing, "何もしない");
  return root;
}

int RunPopup(HINSTANCE inst) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = OwnerProc;
  wc.hInstance = inst;
  wc.lpszClassName = "E2eSampleOwner";
  RegisterClassA(&wc);
  // Never shown, as the launcher's form in its menu branch.
  HWND owner = CreateWindowExA(0, wc.lpszClassName, "E2eSample", WS_OVERLAPPEDWINDOW, 0, 0,
                               100, 100, nullptr, nullptr, inst, nullptr);
  HMENU menu = BuildMenu();
  POINT at{};
  GetCursorPos(&at);
  at.x = at.x > 50 ? at.x - 50 : 0;
  // Without this the popup does not close when the user clicks elsewhere.
  SetForegroundWindow(owner);
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, owner, nullptr);
  while (GetKeyState(VK_SHIFT) < 0)
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, owner, nullptr);
  // The quit request is taken up only after the posted pick has run.
  PostQuitMessage(0);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  DestroyMenu(menu);
  DestroyWindow(owner);
  return g_started;
}

HTREEITEM AddItem(HWND tree, HTREEITEM parent, const char* text) {
  TVINSERTSTRUCTA ins{};
  ins.hParent = parent;
  ins.hInsertAfter = TVI_LAST;
  ins.item.mask = TVIF_TEXT;
  ins.item.pszText = const_cast<char*>(text);
  return HTREEITEM(SendMessageA(tree, TVM_INSERTITEMA, 0, LPARAM(&ins)));
}

LRESULT CALLBACK TreeWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  HWND tree = GetDlgItem(hwnd, kTreeId);
  switch (msg) {
    case WM_CREATE: {
      tree = CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
                             WS_CHILD | WS_VISIBLE | TVS_HASLINES | TVS_HASBUTTONS |
                                 TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_EDITLABELS,
                             0, 0, 0, 0, hwnd, HMENU(kTreeId), nullptr, nullptr);
      HTREEITEM root = AddItem(tree, TVI_ROOT, "ルート");
      AddItem(tree, root, "項目一");
      HTREEITEM folder = AddItem(tree, root, "フォルダ");
      AddItem(tree, folder, "項目二");
      AddItem(tree, root, "項目三");
      AddItem(tree, TVI_ROOT, "別のルート");
      TreeView_Expand(tree, root, TVE_EXPAND);
      TreeView_SelectItem(tree, root);
      return 0;
    }
    case WM_SIZE:
      MoveWindow(tree, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
      return 0;
    case WM_SETFOCUS:
      SetFocus(tree);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wp) == kAddItem) {
        HTREEITEM parent = TreeView_GetSelection(tree);
        HTREEITEM item = AddItem(tree, parent ? parent : TVI_ROOT, "新しい項目");
        TreeView_SelectItem(tree, item);
      } else if (LOWORD(wp) == kDeleteItem) {
        if (HTREEITEM item = TreeView_GetSelection(tree)) TreeView_DeleteItem(tree, item);
      } else if (LOWORD(wp) == kRenameItem) {
        if (HTREEITEM item = TreeView_GetSelection(tree)) TreeView_EditLabel(tree, item);
      }
      return 0;
    case WM_NOTIFY:
      // Every new name is taken.
      if (reinterpret_cast<NMHDR*>(lp)->code == TVN_ENDLABELEDITA)
        return reinterpret_cast<NMTVDISPINFOA*>(lp)->item.pszText != nullptr;
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

int RunTree(HINSTANCE inst) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  WNDCLASSA wc{};
  wc.lpfnWndProc = TreeWindowProc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = HBRUSH(COLOR_WINDOW + 1);
  wc.lpszClassName = "E2eSampleTree";
  RegisterClassA(&wc);

  HMENU edit = CreatePopupMenu();
  AppendMenuA(edit, MF_STRING, kAddItem, "追加(&A)\tCtrl+N");
  AppendMenuA(edit, MF_STRING, kDeleteItem, "削除(&D)\tDel");
  AppendMenuA(edit, MF_STRING, kRenameItem, "名前の変更(&R)\tF2");
  HMENU bar = CreateMenu();
  AppendMenuA(bar, MF_POPUP, UINT_PTR(edit), "編集(&E)");
  ACCEL keys[] = {{FCONTROL | FVIRTKEY, 'N', kAddItem},
                  {FVIRTKEY, VK_DELETE, kDeleteItem},
                  {FVIRTKEY, VK_F2, kRenameItem}};
  HACCEL accel = CreateAcceleratorTableA(keys, 3);

  HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "ツリーの見本", WS_OVERLAPPEDWINDOW,
                              100, 100, 400, 300, nullptr, bar, inst, nullptr);
  ShowWindow(hwnd, SW_SHOWNORMAL);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (TranslateAcceleratorA(hwnd, accel, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  DestroyAcceleratorTable(accel);
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int) {
  const char* mode = __argc > 1 ? __argv[1] : "";
  if (std::strcmp(mode, "popup") == 0 && __argc > 3) {
    g_program = __argv[2];
    g_folder = __argv[3];
    return RunPopup(inst);
  }
  if (std::strcmp(mode, "message") == 0)
    return MessageBoxA(nullptr, "メニュー情報ファイルがヘンです～。", "警告",
                       MB_YESNOCANCEL | MB_ICONSTOP);
  if (std::strcmp(mode, "tree") == 0) return RunTree(inst);
  return 2;
}
