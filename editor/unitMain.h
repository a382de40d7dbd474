// The editor's main window: the menu as a tree on the left, the property
// panel of the selected entry on the right, the commands that shape the tree.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "Buttons.h"
#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "FileDialogs.h"
#include "Forms.h"
#include "IconDialog.h"
#include "ImgList.h"
#include "ShellApi.h"
#include "Menus.h"
#include "StdCtrls.h"
#include "TreeView.h"
#include "unitRecord.h"
#include "unitSubject.h"

// The colour that is transparent in the editor's glyph strips.
constexpr gui::TColor kGlyphKey = RGB(255, 0, 255);

class TformMain : public gui::TForm {
 public:
  explicit TformMain(gui::TComponent* AOwner);
  ~TformMain() override;

  // The document, which lives as long as the window.
  std::unique_ptr<TSubject> Subject;
  // The node whose record the property panel shows; never a node that is gone.
  gui::TTreeNode* CurrentNode = nullptr;
  // Automatic scrolling while an entry is dragged: 0 none, 1 up, 2 down.
  uint8_t ScrollDirection = 0;

  // Start-up, close and the file commands. Those that give the document up
  // (New, Open, close) ask first whether to save its changes.
  void FormShow(gui::TObject* Sender);
  bool FormCloseQuery(gui::TObject* Sender);
  void FormClose(gui::TObject* Sender);
  void MainMenu_FNClick(gui::TObject* Sender);
  void MainMenu_FOClick(gui::TObject* Sender);
  void MainMenu_FSSClick(gui::TObject* Sender);
  void MainMenu_FSAClick(gui::TObject* Sender);
  // A dropped folder becomes a submenu that shows its contents when
  // `asFolderMenu` (Ctrl held), else an item, as a dropped file does.
  void HandleDroppedFiles(HDROP Drop, bool asFolderMenu = false);
  // The two shortcut commands, usable once the file has a name and where
  // the shell names their folder.
  void UpdateShortcutCommands();
  void MainMenu_ITClick(gui::TObject* Sender);
  void MainMenu_IDClick(gui::TObject* Sender);
  void MainMenu_FXClick(gui::TObject* Sender);
  void MainMenu_HAClick(gui::TObject* Sender);
  void pmnuTreeView_IClick(gui::TObject* Sender);
  void pmnuTreeView_SClick(gui::TObject* Sender);
  void pmnuTreeView_MClick(gui::TObject* Sender);
  void pmnuTreeView_PClick(gui::TObject* Sender);
  void pmnuTreeView_DClick(gui::TObject* Sender);
  void TreeViewChanging(gui::TObject* Sender, gui::TTreeNode* Node, bool& AllowChange);
  void TreeViewChange(gui::TObject* Sender, gui::TTreeNode* Node);
  void TreeViewDeletion(gui::TObject* Sender, gui::TTreeNode* Node);
  void TreeViewMouseUp(gui::TObject* Sender, gui::TMouseButton Button, unsigned Shift, int X, int Y);
  void TreeViewEditing(gui::TObject* Sender, gui::TTreeNode* Node, bool& AllowEdit);
  void TreeViewEdited(gui::TObject* Sender, gui::TTreeNode* Node, std::string& S);
  void TreeViewDragOver(gui::TObject* Sender, gui::TObject* Source, int X, int Y,
                        gui::TDragState State, bool& Accept);
  void TreeViewDragDrop(gui::TObject* Sender, gui::TObject* Source, int X, int Y);
  void TreeViewEndDrag(gui::TObject* Sender, gui::TObject* Target, int X, int Y);
  void TimerTimer(gui::TObject* Sender);

  // The property panel.
  void EditChange(gui::TObject* Sender);
  void editIconFileNameExit(gui::TObject* Sender);
  void sbtnOpenIconFileClick(gui::TObject* Sender);
  void sbtnIconClearClick(gui::TObject* Sender);
  void sbtnOpenExeNameClick(gui::TObject* Sender);
  // The folder row's chooser: an item's working folder, or the folder whose
  // contents a submenu shows.
  void sbtnOpenWorkFolderClick(gui::TObject* Sender);
  // Back to the state of a new window: no current node, nothing usable,
  // every field empty, the list on its first entry.
  void ResetPanel();

 protected:
  // The form's dispatch: files dropped from the shell go to
  // HandleDroppedFiles, everything else as usual.
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // On a screen of another DPI: the glyphs and the nodes' pictures are
  // taken again at the small-icon size there, and the panel's columns are
  // measured again in the font of that size.
  void DpiChanged() override;
  // The tree as wide as it is now beside a panel whose every field still
  // shows, and the panel's full height.
  SIZE MinClientSize() override;

 private:
  // The test seam reaches the widgets by name; nothing else outside does.
  friend class TformMainSeam;

  gui::TImageList* ilstMainMenu;
  gui::TImageList* ilstLaunch;
  gui::TImageList* ilstPanelButtons;
  gui::TComboBox* cmbbEditorPosition;
  gui::TStatusBar* StatusBar;
  gui::TTreeView* TreeView;
  gui::TSplitter* Splitter1;
  gui::TLabel* Label1;
  gui::TEdit* editItemName;
  gui::TLabel* Label2;
  gui::TImage* imageIcon;
  gui::TEdit* editIconFileName;
  gui::TEdit* editIconIndex;
  gui::TSpeedButton* sbtnOpenIconFile;
  gui::TSpeedButton* sbtnIconClear;
  gui::TLabel* Label3;
  gui::TEdit* editExeName;
  gui::TSpeedButton* sbtnOpenExeName;
  gui::TLabel* Label4;
  gui::TEdit* editCmdLine;
  gui::TLabel* Label5;
  gui::TEdit* editWorkFolder;
  gui::TSpeedButton* sbtnOpenWorkFolder;
  gui::TLabel* Label6;
  gui::TComboBox* cmbbWindowState;
  gui::TTimer* Timer;
  gui::TOpenDialog* OpenDialog;
  gui::TSaveDialog* SaveDialog;
  gui::TFolderDialog* FolderDialog;
  TIconDialog* IconDialog;
  // The shortcut commands, usable once the file has a name.
  gui::TMenuItem* MainMenu_IT;
  gui::TMenuItem* MainMenu_ID;

  // A change the user made to the document, which the status bar shows
  // until it is saved.
  void Changed();
  // The status bar: the file's path, and a mark while changes are unsaved.
  void ShowFileState();
  // Takes in what is still being typed: a caption open in the tree, icon
  // fields the focus has not left.
  void TakeEdits();
  // Before the document is given up: true once its changes are saved or the
  // user has let them go; false when he cancels or the save fails.
  bool MayDiscard();
  // Writes the document to its file, asking for a name first when it has
  // none or `askName` says so; false when the user cancelled. A failure to
  // write throws.
  bool Save(bool askName);
  // Empties the tree and the panel for a document without entries.
  void ClearDocument();
  gui::TTreeNode* AddEntry(std::unique_ptr<TRecord> record, const TNodePicture& picture);
  // The main menu, and the tree's context menu, which it returns.
  gui::TPopupMenu* CreateMenus();
  void CreatePanel();
  // Places the panel's fields after the widest of their captions, as the
  // captions measure in the panel's font.
  void LayoutPanel();
  // The panel's narrowest width (96-dpi units) at which every field shows.
  int PanelMinWidth();
  // Which rows can be used: name and icon, link target with options and
  // size, and the folder (an item's and a submenu's).
  void SetPanelRows(bool nameAndIcon, bool link, bool folder);
  // The status bar's word on the folder row while a submenu is shown.
  void ShowFolderHint(bool shown);
  void ShowPreview(int image);
  void StoreIconFields(gui::TTreeNode* node);
  // The record the panel shows, while its node is still the selected one.
  TRecord* PanelRecord();
  void SetNodeIcon(gui::TTreeNode* node, const TNodePicture& picture);
  // Whether a node other than `node` shows that image.
  bool ImageShared(const gui::TTreeNode* node, int image);
  // Every node's picture taken again at the size of ilstLaunch, each in the
  // image it had.
  void RetakePictures();
  // The small-icon size of the window's DPI, which the tree, the menus and
  // the panel's buttons show.
  int IconSize() const { return gui::SmallIconSize(Dpi()); }
  bool startedUp_ = false;
  // Where the picture of each node came from, for nodes given theirs since
  // the load (a loaded node shows its record's picture).
  std::map<const gui::TTreeNode*, TNodePicture> pictures_;
  // The image the panel's preview shows; -1 for none.
  int previewImage_ = -1;
  // Where the panel's fields start (96-dpi units), after their captions.
  int fieldColumn_ = 80;
};

extern TformMain* formMain;
