// Popup menus while they show: their loop, right clicks on their items, the
// menu messages of the windows that own them, and a foreign menu shown over
// one.
#include <algorithm>
#include <utility>

#include "Forms.h"
#include "Menus.h"

namespace gui {

namespace {

// A right click on a popup item waits here for the popup's owner to take it
// up (see TPopupMenu::Popup): the message that brings it there is posted.
constexpr UINT kRightClickMessage = WM_APP + 0x101;
TPopupMenu* tracking = nullptr;
HWND trackingOwner = nullptr;
bool trackingEntered = false;  // the system's menu loop began: the popup showed
struct PendingRightClick {
  UINT command = 0;
  POINT at{};
} pendingRightClick;

TForeignMenuMessages* foreignMenu = nullptr;

// Wide letters compared as the menu compares keys: ignoring case.
wchar_t FoldWide(wchar_t c) {
  CharUpperBuffW(&c, 1);
  return c;
}

// The item of the tracked popup under a point of the screen, if any.
TMenuItem* PopupItemAt(POINT at) {
  const HWND window = WindowFromPoint(at);
  wchar_t className[16] = {};
  if (!window || !GetClassNameW(window, className, 16) || lstrcmpW(className, L"#32768") != 0) return nullptr;
  const auto menu = reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0));
  const int index = menu ? MenuItemFromPoint(nullptr, menu, at) : -1;
  MENUITEMINFOW mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_ID | MIIM_FTYPE;
  if (index < 0 || !GetMenuItemInfoW(menu, UINT(index), TRUE, &mii) || (mii.fType & MFT_SEPARATOR)) return nullptr;
  TMenuItem* item = TMenuItem::FromCommand(mii.wID);
  return item && tracking && item->Menu() == tracking ? item : nullptr;
}

// Sees every message of a popup's loop before the loop does (WH_MSGFILTER):
// the right button over an item is kept from the menu, which would pick the
// item, and its release is reported to the popup's owner. Windows reports it
// itself (WM_MENURBUTTONUP) only when the right button does not pick items,
// and Wine never does.
LRESULT CALLBACK RightButtonFilter(int code, WPARAM wParam, LPARAM lParam) {
  const auto* msg = reinterpret_cast<const MSG*>(lParam);
  if (code == MSGF_MENU && tracking &&
      (msg->message == WM_RBUTTONDOWN || msg->message == WM_RBUTTONDBLCLK || msg->message == WM_RBUTTONUP)) {
    if (TMenuItem* item = PopupItemAt(msg->pt)) {
      // While the shell's menu for one item shows, a right click on another
      // is no second one: that would stack a menu on it.
      if (msg->message == WM_RBUTTONUP && !foreignMenu) {
        pendingRightClick = {item->Command(), msg->pt};
        PostMessageW(trackingOwner, kRightClickMessage, item->Command(), 0);
      }
      return TRUE;
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

LRESULT TMenu::HandleMenuChar(WPARAM wParam, LPARAM lParam) {
  const auto menu = reinterpret_cast<HMENU>(lParam);
  // The shell's menu shown over ours keeps data of its own with its items.
  if (!ItemOfSubmenu(menu)) return MAKELRESULT(0, MNC_IGNORE);
  const auto fold = [](unsigned char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : char(c); };
  const char key = fold(static_cast<unsigned char>(LOWORD(wParam)));
  // The key as a wide character, for wide captions: the window that asks is
  // an ANSI one, and a byte of the code page is one character of it.
  wchar_t wideKey = 0;
  const char keyByte = char(LOWORD(wParam));
  if (!IsDBCSLeadByte(BYTE(keyByte)) && MultiByteToWideChar(CP_ACP, 0, &keyByte, 1, &wideKey, 1) == 1)
    wideKey = FoldWide(wideKey);
  std::vector<int> matches;
  int selected = -1;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_DATA;
    if (!GetMenuItemInfoA(menu, UINT(i), TRUE, &mii)) continue;
    if (mii.fState & MFS_HILITE) selected = i;
    const auto* item = reinterpret_cast<const TMenuItem*>(mii.dwItemData);
    if (!item || (mii.fType & MFT_SEPARATOR) || (mii.fState & MFS_DISABLED)) continue;
    // A double-byte character is not one key.
    const std::string& caption = item->Caption();
    if (item->HasWideCaption()) {
      const std::wstring& wide = item->CaptionW();
      if (!wide.empty() && wideKey && FoldWide(wide[0]) == wideKey) matches.push_back(i);
    } else if (!caption.empty() && !IsDBCSLeadByte(BYTE(caption[0])) && fold(BYTE(caption[0])) == key) {
      matches.push_back(i);
    }
  }
  if (matches.empty()) return MAKELRESULT(0, MNC_IGNORE);
  if (matches.size() == 1) return MAKELRESULT(matches[0], MNC_EXECUTE);
  const auto next = std::upper_bound(matches.begin(), matches.end(), selected);
  return MAKELRESULT(next == matches.end() ? matches[0] : *next, MNC_SELECT);
}

bool TMenu::HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  return HandleNotify(window, msg, wParam, lParam, result) ||
         ((msg == WM_MEASUREITEM || msg == WM_DRAWITEM) && HandleOwnerDraw(msg, wParam, lParam, result));
}

bool TMenu::HandleNotify(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  const auto foreign = [&] { return foreignMenu && foreignMenu->handler_(msg, wParam, lParam, result); };
  try {
    switch (msg) {
      case WM_INITMENUPOPUP: {
        TMenuItem* item = ItemOfSubmenu(reinterpret_cast<HMENU>(wParam));
        if (!item || !item->Menu()) return foreign();
        if (item->OnPopup) item->OnPopup(item);
        // What was added meanwhile goes into the menu the system is about to
        // show: the menu keeps its handle while it shows.
        if (item->stale_) item->FillSubmenu(reinterpret_cast<HMENU>(wParam), item->Level() + 1);
        result = 0;
        return true;
      }
      case WM_MEASUREITEM:
      case WM_DRAWITEM: {
        const bool measure = msg == WM_MEASUREITEM;
        const auto* mis = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
        const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if ((measure ? mis->CtlType : dis->CtlType) != ODT_MENU) return false;
        TMenuItem* item = TMenuItem::FromCommand(measure ? mis->itemID : dis->itemID);
        if (!item || !item->Menu()) return foreign();
        if (!measure && item->OnFindImage) {
          const auto find = std::move(item->OnFindImage);
          item->OnFindImage = nullptr;
          // The menu on the screen draws the image it is told, and already
          // keeps the room for one: no new menu is needed.
          const int image = find(item);
          if (image >= 0) item->imageIndex_ = image;
        }
        return false;  // drawn by HandleOwnerDraw
      }
      case WM_ENTERMENULOOP:
        trackingEntered = true;
        return false;
      case WM_MENUCHAR: {
        TMenuItem* item = ItemOfSubmenu(reinterpret_cast<HMENU>(lParam));
        return item && item->Menu() ? false : foreign();
      }
      case kRightClickMessage: {
        TPopupMenu* popup = tracking;
        TMenuItem* item = TMenuItem::FromCommand(UINT(wParam));
        result = 0;
        if (!popup || !item || item->Menu() != popup || pendingRightClick.command != UINT(wParam) ||
            !popup->OnItemRightClick)
          return true;
        pendingRightClick.command = 0;
        const bool done = popup->OnItemRightClick(item, pendingRightClick.at);
        // A menu shown over the popup may have ended the popup's loop too
        // (Wine's loop ends at its next message once a menu over it ended).
        GUITHREADINFO gui{};
        gui.cbSize = sizeof gui;
        const bool stillTracking = GetGUIThreadInfo(0, &gui) && (gui.flags & GUI_INMENUMODE);
        if (done) {
          EndMenu();
        } else if (!stillTracking) {
          popup->reopen_ = true;
        }
        if (!stillTracking) PostMessageW(window, WM_NULL, 0, 0);
        return true;
      }
      default:
        return false;
    }
  } catch (...) {
    EndMenu();
    result = 0;
    HandleWindowException();
    return true;
  }
}

TForeignMenuMessages::TForeignMenuMessages(Handler handler)
    : handler_(std::move(handler)), previous_(std::exchange(foreignMenu, this)) {}

TForeignMenuMessages::~TForeignMenuMessages() { foreignMenu = previous_; }

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}

HMENU TPopupMenu::CreateMenuHandle() const { return CreatePopupMenu(); }

bool TPopupMenu::Popup(int x, int y, HWND owner) {
  if (!owner) owner = Application->Handle();
  UINT flags = TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD;
  if (!Animate) flags |= TPM_NOANIMATION;
  HMENU menu = Handle();
  // While it shows, the right button goes to OnItemRightClick and its menu
  // keeps its handle; both hold for one popup at a time, the latest.
  struct Showing {
    TPopupMenu& popup;
    TPopupMenu* const outer = tracking;
    const HWND outerOwner = trackingOwner;
    const bool outerEntered = trackingEntered;
    HHOOK hook = nullptr;
    Showing(TPopupMenu& p, HWND owner) : popup(p) {
      pendingRightClick = {};
      tracking = &popup;
      trackingOwner = owner;
      popup.showing_ = true;
      if (popup.OnItemRightClick)
        hook = SetWindowsHookExW(WH_MSGFILTER, RightButtonFilter, nullptr, GetCurrentThreadId());
    }
    ~Showing() {
      if (hook) UnhookWindowsHookEx(hook);
      tracking = outer;
      trackingOwner = outerOwner;
      trackingEntered = outerEntered;
      popup.showing_ = false;
      if (std::exchange(popup.changedWhileShowing_, false)) popup.Changed();
    }
  } showing(*this, owner);
  UINT command;
  do {
    reopen_ = false;
    // No command is either no pick or a popup that never showed, which
    // leaves an error code; so may the handlers run while it showed (a
    // folder's listing ends on "no more files").
    trackingEntered = false;
    SetLastError(ERROR_SUCCESS);
    command = UINT(TrackPopupMenuEx(menu, flags, x, y, owner, nullptr));
    if (!command && !trackingEntered && GetLastError() != ERROR_SUCCESS) throw EOSError::LastError();
  } while (!command && reopen_);
  if (command) PostMessageA(Application->Handle(), WM_MENU_PICK, command, 0);
  return command != 0;
}

// --- TPopupOwner -------------------------------------------------------------------

namespace {
LRESULT CALLBACK PopupOwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (TMenu::HandleMessage(hwnd, msg, wParam, lParam, result)) return result;
  switch (msg) {
    case WM_MENUCHAR:
      return TMenu::HandleMenuChar(wParam, lParam);
    case WM_ACTIVATE:
      // Another window taking the front closes the popup, as under Windows;
      // Wine leaves it open unless the X focus moves too.
      if (LOWORD(wParam) == WA_INACTIVE) EndMenu();
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      ValidateRect(hwnd, nullptr);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}
}  // namespace

TPopupOwner::TPopupOwner(POINT at) {
  static const char kClass[] = "OstrevanPopupOwner";
  RegisterWindowClass(kClass, PopupOwnerProc);
  window_.SetHandle(CreateWindowExA(WS_EX_TOOLWINDOW, kClass, "", WS_POPUP, at.x, at.y, 1, 1, nullptr, nullptr,
                                    GetModuleHandleA(nullptr), nullptr));
  if (window_.Empty()) throw EOSError::LastError("ウィンドウを作成できません。");
  ShowWindow(window_.Handle(), SW_SHOWNOACTIVATE);
}

void TPopupOwner::TakeForeground() const {
  // What the X server reported since the window last looked goes first:
  // Wine turns a stale loss of focus into the end of the next popup. Then
  // Wine's X driver asks X for the focus with the time of the thread's last
  // message, and X ignores a request older than its last change of focus:
  // after a pick that time is the pick's, and a program started since may
  // have taken the focus later. A message taken now makes it current.
  const HWND hwnd = window_.Handle();
  PostMessageA(hwnd, WM_NULL, 0, 0);
  MSG msg;
  // Only once the queue is empty does the driver read X's news.
  while (PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  SetForegroundWindow(hwnd);
}

void TPopupOwner::MoveTo(POINT at) const {
  SetWindowPos(window_.Handle(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace gui
