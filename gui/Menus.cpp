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

// Far deeper than anyone nests a menu, and far short of what the stack holds.
constexpr int kDeepestSubmenu = 100;

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

}  // namespace

TMenuItem* TMenu::ItemOfSubmenu(HMENU menu) {
  MENUINFO info{};
  info.cbSize = sizeof info;
  info.fMask = MIM_MENUDATA;
  if (!menu || !GetMenuInfo(menu, &info) || (info.dwMenuData & ~ULONG_PTR(0xFFFF)) != kSubmenuMark) return nullptr;
  return TMenuItem::FromCommand(UINT(info.dwMenuData & 0xFFFF));
}

namespace {

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
  const auto refused = [&] {
    return EMenuError("「" + caption_ + "」（" + std::to_string(level) +
                      " 階層目）をメニューに入れられません。\nサブメニューの階層が深すぎるか、"
                      "システムの資源が足りません。");
  };
  base::UniqueHandle<MenuTraits> submenu;
  if (!items_.empty() || fillOnPopup_) {
    // Each level is made on the stack before the system may refuse it: a
    // file nested thousands deep would end the program with no word.
    if (level >= kDeepestSubmenu) throw refused();
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
  if (!inserted) throw refused();
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

// --- TMainMenu ----------------------------------------------------------------------

TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}

TMainMenu::~TMainMenu() {
  if (form_) form_->SetMenu(nullptr);
}

HMENU TMainMenu::CreateMenuHandle() const { return CreateMenu(); }

HWND TMainMenu::BarWindow() const {
  return form_ && form_->HandleAllocated() ? form_->Handle() : nullptr;
}

}  // namespace gui
