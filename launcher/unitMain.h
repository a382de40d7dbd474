// The launcher's one form: owner of the popup menu and its icons, and, when
// the launcher is started without a menu file, its version window.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ExtCtrls.h"
#include "FolderMenu.h"
#include "Forms.h"
#include "Handle.h"
#include "ImgList.h"
#include "MenuCache.h"
#include "MenuFile.h"
#include "Menus.h"
#include "StdCtrls.h"

class TformMain : public gui::TForm {
 public:
  explicit TformMain(gui::TComponent* AOwner);

  gui::TButton* bttnOk;
  gui::TPanel* Panel1;
  gui::TLabel* Label1;
  gui::TLabel* Label2;
  gui::TImage* Image1;
  gui::TButton* bttnCreateShortCut;
  gui::TPopupMenu* pmnuLaunch;
  gui::TImageList* ilstLaunch;

  void FormCreate(gui::TObject* Sender);
  void FormPaint(gui::TObject* Sender);
  void bttnOkClick(gui::TObject* Sender);
  void bttnCreateShortCutClick(gui::TObject* Sender);
  void LaunchItemClick(gui::TObject* Sender);
  void EditorItemClick(gui::TObject* Sender);

  // Fills pmnuLaunch from MenuLines and, unless ilstLaunch was just read
  // from the cache, ilstLaunch with one icon per entry, and makes the popup
  // ready to show. False after the line count warning. Throws on a file it
  // cannot make a menu of, and a gui::Exception when the system refuses the
  // popup (too many entries, nesting deeper than its menus take).
  bool BuildLaunchMenu(bool fromCache);

  // The menu file: program argument 1 as the runtime delivered it.
  std::string MenuFileName;
  // The image each entry shows (-1: none), then the editor entry's: found
  // while building, or read with the cache. Entries showing the same icon
  // share its image.
  std::vector<int32_t> ImageOfEntry;
  // The lines the popup is made from, and its entries as read from them. A
  // pick takes its entry from here: the file may have been saved since, and
  // the user picked what the popup showed.
  std::vector<std::string> MenuLines;
  std::vector<menufile::MenuEntry> Entries;
  // Whether the pick being carried out was made with Ctrl and Shift held:
  // it starts as administrator, as on the taskbar.
  bool AsAdministrator = false;
  // The program the last pick started, when the shell started one: a popup
  // brought back after a pick waits, a little, until it is ready for input.
  base::KernelHandle Started;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void DpiChanged() override;

 private:
  // The version window's picture, drawn for the size its place has now.
  void ShowProgramIcon();
  // What a right click on an item shows: the shell's menu of its target.
  bool ItemRightClick(gui::TMenuItem* item, POINT at);
  // The cache, once: before a folder submenu adds its pictures to the list,
  // which the cache must not hold (a folder's contents change).
  void WriteCacheOnce();
  bool versionWindow_ = false;
  bool cachePending_ = false;
  MenuFileStamp stamp_;
  HWND popupOwner_ = nullptr;
  std::vector<gui::TMenuItem*> entryItems_;  // by entry number
  std::unique_ptr<TFolderMenus> folders_;
};

extern TformMain* formMain;

// Icon n of the launcher's own icon set (0 to 6), `size` pixels square:
// the picture drawn for that size, else the next larger one scaled down.
// Empty for any other number.
gui::TIcon LauncherIcon(int n, int size);
