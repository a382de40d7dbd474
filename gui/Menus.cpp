#include "Menus.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <utility>

#include "Forms.h"
#include "ImgList.h"
#include "SysUtils.h"

namespace gui {

namespace {

// Command numbers fit the 16 bits that WM_COMMAND carries. They are handed
// out in turn, round again past the last, skipping those still in use: a
// pick already queued for an item that went finds no item, rather than one
// made since under the same number.
constexpr UINT kFirstCommand = 0x0100;
constexpr UINT kLastCommand = 0xEFFF;

struct CommandTable {
  std::unordered_map<UINT, TMenuItem*> items;
  UINT next = kFirstCommand;

  UINT Allocate(TMenuItem* item) {
    if (items.size() > kLastCommand - kFirstCommand) throw EMenuError("メニュー項目が多すぎます。");
    while (items.count(next)) next = next == kLastCommand ? kFirstCommand : next + 1;
    const UINT command = next;
    next = next == kLastCommand ? kFirstCommand : next + 1;
    items[command] = item;
    return command;
  }
  void Release(UINT command) { items.erase(command); }
};

CommandTable& Commands() {
  static CommandTable table;
  return table;
}

void CollectShortCuts(const TMenuItem& parent, std::vector<ACCEL>& table) {
  for (int i = 0; i < parent.Count(); ++i) {
    const TMenuItem& item = *parent.Items(i);
    CollectShortCuts(item, table);
    const TShortCut keys = item.ShortCut();
    if (keys.Empty()) continue;
    ACCEL a{};
    a.fVirt = BYTE(FVIRTKEY | ((keys.shift & scCtrl) ? FCONTROL : 0) |
                   ((keys.shift & scShift) ? FSHIFT : 0) | ((keys.shift & scAlt) ? FALT : 0));
    a.key = keys.key;
    a.cmd = WORD(item.Command());
    table.push_back(a);
  }
}

// The items of this layer never show check marks. A menu whose items show
// images leaves out the check-mark column, so that each caption starts
// after the image and the gap measured with it (a system that puts images
// in the check-mark column may start the caption on top of a wide image);
// a menu without images keeps the system's usual margin.
void SetMenuStyle(HMENU menu, bool images) {
  MENUINFO info{};
  info.cbSize = sizeof info;
  info.fMask = MIM_STYLE;
  info.dwStyle = images ? MNS_NOCHECK : MNS_CHECKORBMP;
  SetMenuInfo(menu, &info);
}

bool ShowsImages(const std::vector<TMenuItem*>& items) {
  return std::any_of(items.begin(), items.end(), [](const TMenuItem* item) {
    const TMenu* menu = item->Menu();
    return !item->IsLine() && item->ImageIndex() >= 0 && menu && menu->Images();
  });
}

// A submenu of this layer's carries this mark with the command number of
// its item in the low word (command numbers fit in 16 bits): a menu message
// names the submenu, and a foreign menu (the shell's) carries none of it.
constexpr ULONG_PTR kSubmenuMark = 0x4F530000;

void MarkSubmenu(HMENU menu, UINT command) {
  MENUINFO info{};
  info.cbSize = sizeof info;
  info.fMask = MIM_MENUDATA;
  info.dwMenuData = kSubmenuMark | command;
  SetMenuInfo(menu, &info);
}

// The item whose submenu (or the menu whose top level) this is; null for a
// menu that is not this layer's.
TMenuItem* ItemOfSubmenu(HMENU menu) {
  MENUINFO info{};
  info.cbSize = sizeof info;
  info.fMask = MIM_MENUDATA;
  if (!menu || !GetMenuInfo(menu, &info) || (info.dwMenuData & ~ULONG_PTR(0xFFFF)) != kSubmenuMark) return nullptr;
  return TMenuItem::FromCommand(UINT(info.dwMenuData & 0xFFFF));
}

// A right click on a popup item waits here for the popup's owner to take it
// up (see TPopupMenu::Popup): the message that brings it there is posted.
constexpr UINT kRightClickMessage = WM_APP + 0x101;
TPopupMenu* tracking = nullptr;
HWND trackingOwner = nullptr;
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
      if (msg->message == WM_RBUTTONUP) {
        pendingRightClick = {item->Command(), msg->pt};
        PostMessageW(trackingOwner, kRightClickMessage, item->Command(), 0);
      }
      return TRUE;
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

[[noreturn]] void ThrowIndexError(int index) {
  throw EMenuError("メニューのインデックスが範囲を超えています (" + std::to_string(index) + ")");
}

}  // namespace

int MenuImageGap(const TImageList& images) { return std::max(2, images.Width() / 4); }

std::string TShortCut::Text() const {
  std::string text;
  if (shift & scCtrl) text += "Ctrl+";
  if (shift & scShift) text += "Shift+";
  if (shift & scAlt) text += "Alt+";
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) {
    text += char(key);
  } else {
    char name[32] = {};
    GetKeyNameTextA(LONG(MapVirtualKeyA(key, MAPVK_VK_TO_VSC)) << 16, name, sizeof name);
    text += name;
  }
  return text;
}

// --- TMenuItem -----------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), command_(Commands().Allocate(this)) {}

TMenuItem::~TMenuItem() {
  // The items below belong to their owners; they only lose their place.
  for (TMenuItem* child : items_) child->parent_ = nullptr;
  if (parent_) parent_->Remove(this);
  Commands().Release(command_);
}

TMenu* TMenuItem::Menu() const {
  const TMenuItem* top = this;
  while (top->parent_) top = top->parent_;
  return top->rootOf_;
}

void TMenuItem::Changed(const TMenuItem* list) {
  for (const TMenuItem* at = list; at; at = at->parent_)
    if (at->fillOnPopup_) {
      at->stale_ = true;
      return;
    }
  if (list)
    if (TMenu* menu = list->Menu()) menu->Changed();
}

int TMenuItem::Level() const {
  int level = 0;
  for (const TMenuItem* at = this; at->parent_; at = at->parent_) ++level;
  return level;
}

void TMenuItem::SetCaption(const std::string& caption) {
  caption_ = caption;
  wide_ = false;
  wideCaption_.clear();
  Changed();
}

void TMenuItem::SetCaptionW(const std::wstring& caption) {
  wideCaption_ = caption;
  wide_ = true;
  // For whoever reads the caption in the code page; never written to a file.
  caption_ = ShownName(caption);
  Changed();
}

void TMenuItem::SetFillOnPopup(bool fill) {
  if (fillOnPopup_ == fill) return;
  fillOnPopup_ = fill;
  Changed();
}

void TMenuItem::SetImageIndex(int index) {
  imageIndex_ = index;
  Changed();
}

void TMenuItem::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  // A live menu only needs the state of one entry changed, not a rebuild.
  TMenu* menu = Menu();
  if (menu && !menu->handle_.Empty())
    EnableMenuItem(menu->handle_.Handle(), command_, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void TMenuItem::SetShortCut(TShortCut shortCut) {
  shortCut_ = shortCut;
  Changed();
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (index < 0 || index > Count()) ThrowIndexError(index);
  if (item->parent_) throw EMenuError("メニュー項目はすでに使われています。");
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
  Changed(this);
}

void TMenuItem::Remove(TMenuItem* item) {
  auto it = std::find(items_.begin(), items_.end(), item);
  if (it == items_.end()) return;
  items_.erase(it);
  item->parent_ = nullptr;
  Changed(this);
}

TMenuItem* TMenuItem::Items(int index) const {
  if (index < 0 || index >= Count()) ThrowIndexError(index);
  return items_[size_t(index)];
}

int TMenuItem::MenuIndex() const {
  if (!parent_) return -1;
  const auto& siblings = parent_->items_;
  return int(std::find(siblings.begin(), siblings.end(), this) - siblings.begin());
}

void TMenuItem::Click() {
  if (enabled_ && OnClick) OnClick(this);
}

TMenuItem* TMenuItem::FromCommand(UINT command) {
  const auto& items = Commands().items;
  auto it = items.find(command);
  return it == items.end() ? nullptr : it->second;
}

void TMenuItem::AppendTo(HMENU menu, int level) const {
  MENUITEMINFOA mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_DATA;
  mii.wID = command_;
  mii.dwItemData = reinterpret_cast<ULONG_PTR>(this);
  mii.fState = enabled_ ? MFS_ENABLED : MFS_GRAYED;
  std::string text;
  std::wstring wideText;
  if (IsLine()) {
    mii.fType = MFT_SEPARATOR;
  } else {
    mii.fMask |= MIIM_STRING | MIIM_BITMAP;
    text = caption_;
    if (!shortCut_.Empty()) text.append("\t").append(shortCut_.Text());
    mii.dwTypeData = text.data();
    if (wide_) {
      wideText = wideCaption_;
      if (!shortCut_.Empty()) wideText.append(L"\t").append(AnsiToWide(shortCut_.Text()));
    }
    const TMenu* owner = Menu();
    if (imageIndex_ >= 0 && owner && owner->Images()) mii.hbmpItem = HBMMENU_CALLBACK;
  }
  base::UniqueHandle<MenuTraits> submenu;
  if (!items_.empty() || fillOnPopup_) {
    submenu.SetHandle(CreatePopupMenu());
    if (submenu.Empty()) throw EOSError::LastError("メニューを作成できません。");
    MarkSubmenu(submenu.Handle(), command_);
    FillSubmenu(submenu.Handle(), level + 1);
    mii.fMask |= MIIM_SUBMENU;
    mii.hSubMenu = submenu.Handle();
  }
  // The system refuses submenus nested deeper than it takes, without an
  // error code; a menu silently missing them would open as an empty box.
  bool inserted;
  if (wide_) {
    // The same fields: only the text differs in type.
    MENUITEMINFOW wii;
    static_assert(sizeof wii == sizeof mii);
    memcpy(&wii, &mii, sizeof wii);
    wii.dwTypeData = wideText.data();
    inserted = InsertMenuItemW(menu, UINT(GetMenuItemCount(menu)), TRUE, &wii);
  } else {
    inserted = InsertMenuItemA(menu, UINT(GetMenuItemCount(menu)), TRUE, &mii);
  }
  if (!inserted)
    throw EMenuError("「" + caption_ + "」（" + std::to_string(level) +
                     " 階層目）をメニューに入れられません。\nサブメニューの階層が深すぎるか、"
                     "システムの資源が足りません。");
  submenu.Release();  // the menu holds it now
}

void TMenuItem::FillSubmenu(HMENU menu, int level) const {
  while (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
  stale_ = false;
  for (const TMenuItem* child : items_) child->AppendTo(menu, level);
  SetMenuStyle(menu, ShowsImages(items_));
}

// --- TMenu -----------------------------------------------------------------------

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), items_(new TMenuItem(nullptr)) {
  items_->rootOf_ = this;
}

TMenu::~TMenu() {
  // The items stay with their owner; they only lose their menu.
  items_->rootOf_ = nullptr;
  while (items_->Count() > 0) items_->Remove(items_->Items(items_->Count() - 1));
  delete items_;
}

void TMenu::SetImages(TImageList* images) {
  images_.SetList(images);
}

void TMenu::Changed() {
  accel_.SetHandle(nullptr);
  accelBuilt_ = false;
  if (handle_.Empty()) return;
  if (showing_) {
    changedWhileShowing_ = true;
    return;
  }
  HWND window = BarWindow();
  if (!window) {
    handle_.SetHandle(nullptr);  // a popup is made again when next shown
    return;
  }
  // A menu bar is replaced in its window by a whole new one; the old one
  // goes only after the window let go of it, and stays where no new one
  // could be made.
  base::UniqueHandle<MenuTraits> made = MakeHandle();
  SetMenu(window, made.Handle());
  const auto old = std::exchange(handle_, std::move(made));
  DrawMenuBar(window);
}

base::UniqueHandle<MenuTraits> TMenu::MakeHandle() const {
  // Made whole before it is kept: a refused item leaves no half menu.
  base::UniqueHandle<MenuTraits> menu(CreateMenuHandle());
  if (menu.Empty()) throw EOSError::LastError("メニューを作成できません。");
  MarkSubmenu(menu.Handle(), items_->command_);
  items_->FillSubmenu(menu.Handle(), 1);
  return menu;
}

HMENU TMenu::Handle() {
  if (handle_.Empty()) handle_ = MakeHandle();
  return handle_.Handle();
}

HACCEL TMenu::Accelerators() {
  if (!accelBuilt_) {
    std::vector<ACCEL> table;
    CollectShortCuts(*items_, table);
    if (!table.empty()) accel_.SetHandle(CreateAcceleratorTableA(table.data(), int(table.size())));
    accelBuilt_ = true;
  }
  return accel_.Handle();
}

bool TMenu::HandleOwnerDraw(UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
  if (msg == WM_MEASUREITEM) {
    auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (mis->CtlType != ODT_MENU) return false;
    TMenuItem* item = TMenuItem::FromCommand(mis->itemID);
    TMenu* menu = item ? item->Menu() : nullptr;
    const TImageList* images = menu ? menu->Images() : nullptr;
    if (!images) return false;
    // The image at the list's size and the gap the caption keeps from it,
    // a quarter of the image (4 pixels at 100 %).
    mis->itemWidth = UINT(images->Width() + MenuImageGap(*images));
    mis->itemHeight = UINT(images->Height());
    result = TRUE;
    return true;
  }
  if (msg == WM_DRAWITEM) {
    auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    if (dis->CtlType != ODT_MENU) return false;
    TMenuItem* item = TMenuItem::FromCommand(dis->itemID);
    TMenu* menu = item ? item->Menu() : nullptr;
    const TImageList* images = menu ? menu->Images() : nullptr;
    if (!images) return false;
    const int h = dis->rcItem.bottom - dis->rcItem.top;
    images->Draw(dis->hDC, dis->rcItem.left, dis->rcItem.top + (h - images->Height()) / 2,
                 item->ImageIndex(), item->Enabled() && !(dis->itemState & ODS_GRAYED));
    result = TRUE;
    return true;
  }
  return false;
}

LRESULT TMenu::HandleMenuChar(WPARAM wParam, LPARAM lParam) {
  const auto menu = reinterpret_cast<HMENU>(lParam);
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

// --- TPopupMenu / TMainMenu ----------------------------------------------------------

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
      popup.showing_ = false;
      if (std::exchange(popup.changedWhileShowing_, false)) popup.Changed();
    }
  } showing(*this, owner);
  UINT command;
  do {
    reopen_ = false;
    // No command is either no pick or a popup that never showed; only the
    // latter leaves an error code.
    SetLastError(ERROR_SUCCESS);
    command = UINT(TrackPopupMenuEx(menu, flags, x, y, owner, nullptr));
    if (!command && GetLastError() != ERROR_SUCCESS) throw EOSError::LastError();
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

TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}

TMainMenu::~TMainMenu() {
  if (form_) form_->SetMenu(nullptr);
}

HMENU TMainMenu::CreateMenuHandle() const { return CreateMenu(); }

HWND TMainMenu::BarWindow() const {
  return form_ && form_->HandleAllocated() ? form_->Handle() : nullptr;
}

}  // namespace gui
