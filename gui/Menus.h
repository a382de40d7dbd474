// Menu items, popup menus and main menus, with a small image per item.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "Classes.h"
#include "Handle.h"
#include "ImgList.h"

namespace gui {

class TForm;
class TMenu;

struct MenuTraits {
  using Handle = HMENU;
  static void Close(HMENU h) { DestroyMenu(h); }
};
struct AcceleratorTraits {
  using Handle = HACCEL;
  static void Close(HACCEL h) { DestroyAcceleratorTable(h); }
};
struct WindowTraits {
  using Handle = HWND;
  static void Close(HWND h) { DestroyWindow(h); }
};

// A key with modifiers, e.g. ShortCut('S', scCtrl).
enum TShiftState : unsigned { scShift = 1, scCtrl = 2, scAlt = 4 };
struct TShortCut {
  WORD key = 0;
  unsigned shift = 0;
  bool Empty() const { return key == 0; }
  std::string Text() const;  // "Ctrl+S"
};
inline TShortCut ShortCut(WORD key, unsigned shift) { return {key, shift}; }

// One entry of a menu. A caption of exactly "-" draws as a separator line.
// Items are components: their owner, and nobody else, frees them. A parent
// item only lists the items below it; whichever of them goes first leaves
// the other's list.
class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  // A caption in UTF-16, for text the code page may lack (names from the
  // file system); Caption() then holds it in the code page, each character
  // it lacks as "?". Never a separator line.
  void SetCaptionW(const std::wstring& caption);
  const std::wstring& CaptionW() const { return wideCaption_; }
  bool HasWideCaption() const { return wide_; }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int index);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut shortCut);
  TNotifyEvent OnClick;

  // Runs each time the item's submenu is about to open, before it shows.
  TNotifyEvent OnPopup;
  // The item shows a submenu even while it has no items, to be filled by
  // OnPopup: what is added below it then, also into a menu on the screen,
  // shows in its submenu when it opens (the rest of the menu stays as the
  // system has it). Items added to it keep their command numbers for as
  // long as they live.
  void SetFillOnPopup(bool fill);
  bool FillOnPopup() const { return fillOnPopup_; }
  // Asked once for the image, when the item is first drawn: a picture that
  // is slow to find is found only for the items the user gets to see. Until
  // then the item shows ImageIndex(), which must be an image (>= 0) for the
  // item to keep the room for one.
  std::function<int(TMenuItem* Sender)> OnFindImage;

  void Add(TMenuItem* item);
  // Throws EMenuError for a position outside 0 .. Count.
  void Insert(int index, TMenuItem* item);
  void Remove(TMenuItem* item);
  int Count() const { return int(items_.size()); }
  // Throws EMenuError for a position outside 0 .. Count - 1.
  TMenuItem* Items(int index) const;
  TMenuItem* Parent() const { return parent_; }
  int MenuIndex() const;
  bool IsLine() const { return !wide_ && caption_ == "-"; }

  void Click();
  UINT Command() const { return command_; }
  static TMenuItem* FromCommand(UINT command);

  // The menu this item belongs to, through its parents; null when loose.
  TMenu* Menu() const;

 private:
  friend class TMenu;
  // Something shown in the submenu of `list` (this item's parent for the
  // item itself) changed: the submenu filled on popup that holds it is made
  // again when it next opens, any other change rebuilds the menu.
  void Changed(const TMenuItem* list);
  void Changed() { Changed(parent_); }
  // Makes the system submenu `menu` hold this item's items anew, at `level`.
  void FillSubmenu(HMENU menu, int level) const;
  int Level() const;
  // Adds this item (and its submenu) to the system menu; `level` counts from
  // 1 at the top. Throws when the system refuses it.
  void AppendTo(HMENU menu, int level) const;

  std::string caption_;
  int imageIndex_ = -1;
  bool enabled_ = true;
  TShortCut shortCut_;
  std::wstring wideCaption_;
  bool wide_ = false;
  bool fillOnPopup_ = false;
  mutable bool stale_ = false;  // filled on popup, and changed since its submenu was made
  TMenuItem* parent_ = nullptr;
  TMenu* rootOf_ = nullptr;  // set on a menu's invisible root item
  std::vector<TMenuItem*> items_;
  UINT command_;
};

class TMenu : public TComponent {
 public:
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;

  // The invisible root whose children are the menu's top level.
  TMenuItem* Items() const { return items_; }
  TImageList* Images() const { return images_.List(); }
  void SetImages(TImageList* images);

  // The system menu, rebuilt after the items changed. The menu owns it,
  // also while a window shows it as its menu bar. Throws when the system
  // refuses an item (nesting deeper than it takes, no resources left).
  HMENU Handle();
  // Keyboard shortcuts of the items, for the message loop.
  HACCEL Accelerators();

  // Every menu message a window that shows this layer's menus passes here
  // before anything else: HandleNotify, then the items' images drawn. True
  // when the message was taken, with its result.
  static bool HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // Draws the items' images.
  static bool HandleOwnerDraw(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // A key that no item's accelerator mark answers (WM_MENUCHAR) chooses the
  // item whose caption begins with it, ignoring letter case; of several, the
  // one after the item selected is selected.
  static LRESULT HandleMenuChar(WPARAM wParam, LPARAM lParam);
  // The menu messages a window that shows this layer's menus passes here
  // before anything else: submenus filled as they open, right clicks on
  // popup items, and a foreign menu shown over a popup (see
  // TForeignMenuMessages). True when the message was taken, with its result.
  static bool HandleNotify(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

 protected:
  virtual HMENU CreateMenuHandle() const = 0;
  // The window that shows this menu as its menu bar, if any.
  virtual HWND BarWindow() const { return nullptr; }

 private:
  friend class TMenuItem;
  friend class TPopupMenu;
  void Changed();
  base::UniqueHandle<MenuTraits> MakeHandle() const;
  // The item whose submenu (or the menu whose top level) this is; null for
  // a menu that is not this layer's.
  static TMenuItem* ItemOfSubmenu(HMENU menu);
  TMenuItem* items_;
  // While the system shows the menu its handle stays; a change that needs a
  // new one makes it after the menu has closed.
  bool showing_ = false;
  bool changedWhileShowing_ = false;
  TChangeLink images_{[this] { Changed(); }};
  base::UniqueHandle<MenuTraits> handle_;
  base::UniqueHandle<AcceleratorTraits> accel_;
  bool accelBuilt_ = false;
};

class TPopupMenu : public TMenu {
 public:
  explicit TPopupMenu(TComponent* AOwner);
  // Shows the menu with its top-left corner at (x, y) and returns when it has
  // closed: true when an item was picked. The pick is not carried out here:
  // it is posted to the application and runs when the message loop takes it
  // up. `owner` (default: the application window) takes the menu's messages.
  // Throws when the system could not show the menu.
  bool Popup(int x, int y, HWND owner = nullptr);
  // Switch the opening animation off for later shows.
  bool Animate = true;
  // Whether the control it belongs to opens it on a right click.
  bool AutoPopup = true;
  // A right click on an item while the menu shows, at `at` on the screen
  // (without it a right click picks the item, as a left click does). True
  // when it carried something out: the menu then closes, with no pick.
  // False returns to the menu: on a system that closed it meanwhile (Wine
  // ends a popup when a menu shown over it ends), Popup shows it again.
  std::function<bool(TMenuItem* Item, POINT at)> OnItemRightClick;

 protected:
  HMENU CreateMenuHandle() const override;

 private:
  friend class TMenu;
  bool reopen_ = false;
};

// While one lives, the menu messages that reach the windows showing this
// layer's menus (WM_INITMENUPOPUP, WM_MEASUREITEM, WM_DRAWITEM, WM_MENUCHAR)
// and are not for this layer's items go to `handler` first: a menu of
// someone else's (the shell's) shown over a popup and owned by its window,
// as the system wants a menu over a menu. The handler says whether it took
// the message, and its result.
class TForeignMenuMessages {
 public:
  using Handler = std::function<bool(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)>;
  explicit TForeignMenuMessages(Handler handler);
  ~TForeignMenuMessages();
  TForeignMenuMessages(const TForeignMenuMessages&) = delete;
  TForeignMenuMessages& operator=(const TForeignMenuMessages&) = delete;

 private:
  friend class TMenu;
  Handler handler_;
  TForeignMenuMessages* previous_;
};

// A window of one pixel for a program that shows a popup menu with no
// window of its own on the screen: made the foreground window before the
// popup, it brings the popup the keyboard, whoever had it before. The window
// system gives the keyboard focus only to a window on the screen: under
// Wine a popup owned by the hidden application window gets no key once
// another program had the focus. It has no taskbar button and draws
// nothing, and stands at the mouse pointer's tip, which covers it.
class TPopupOwner {
 public:
  // Throws EOSError when the window cannot be made.
  explicit TPopupOwner(POINT at);
  HWND Handle() const { return window_.Handle(); }
  // Makes it the foreground window, so that the next popup takes the keys.
  void TakeForeground() const;
  // Stands at another point (the pointer moved on).
  void MoveTo(POINT at) const;

 private:
  base::UniqueHandle<WindowTraits> window_;
};

// A form's menu bar; TForm::SetMenu puts it on the form.
class TMainMenu : public TMenu {
 public:
  explicit TMainMenu(TComponent* AOwner);
  ~TMainMenu() override;

 protected:
  HMENU CreateMenuHandle() const override;
  HWND BarWindow() const override;

 private:
  friend class TForm;
  TForm* form_ = nullptr;
};

// The room a menu leaves between an item's image and its caption.
int MenuImageGap(const TImageList& images);

}  // namespace gui
