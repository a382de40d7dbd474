#include "unitMain.h"

#include <windows.h>

#include <vector>

#include "Dialogs.h"
#include "ShellApi.h"
#include "unitAbout.h"

using namespace gui;
using menufile::EntryKind;

TformMain* formMain = nullptr;

namespace {

// A menu entry with its caption, picture and command.
TMenuItem* NewItem(TComponent* owner, TMenuItem* parent, const std::string& caption,
                   TNotifyEvent onClick = {}, int image = -1) {
  auto* item = new TMenuItem(owner);
  item->SetCaption(caption);
  item->SetImageIndex(image);
  item->OnClick = std::move(onClick);
  parent->Add(item);
  return item;
}

TToolButton* NewToolButton(TComponent* owner, TToolBar* bar, TToolButtonStyle style,
                           const std::string& caption = {}, int image = -1,
                           TNotifyEvent onClick = {}) {
  auto* button = new TToolButton(owner);
  button->SetStyle(style);
  button->Caption = caption;
  button->SetImageIndex(image);
  button->OnClick = std::move(onClick);
  bar->AddButton(button);
  return button;
}

// The three shell folders the special-items menu offers, by the clicked
// entry's tag.
struct SpecialItem {
  const char* caption;
  const char* cmdLine;
  const char* iconFile;
  int iconIndex;
};
const SpecialItem kSpecialItems[] = {
    {"マイ コンピュータ", "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", "Explorer.exe", 0},
    {"マイ ネットワーク", "::{208D2C60-3AEA-1069-A2D7-08002B30309D}", "shell32.dll", 17},
    {"マイ ドキュメント", "::{450D8FBA-AD25-11D0-98A8-0800361B1103}", "MYDOCS.DLL", 0},
};

}  // namespace

TformMain::TformMain(TComponent* AOwner) : TForm(AOwner), Subject(std::make_unique<TSubject>()) {
  SetCaption("Morvath Ostrevan - メニューエディタ");
  Position = poScreenCenter;
  SetShowInTaskbar(true);
  MinWidth = 512;
  MinHeight = 279;
  Font.SetName("MS UI Gothic");
  Font.SetHeight(12);
  Font.SetCharset(SHIFTJIS_CHARSET);
  OnShow = [this](TObject* s) { FormShow(s); };
  OnCloseQuery = [this](TObject* s) { return FormCloseQuery(s); };
  OnClose = [this](TObject* s) { FormClose(s); };

  ilstMainMenu = new TImageList(this, IconSize(), IconSize());
  ilstMainMenu->AddMasked("MAINMENUGLYPHS", kGlyphKey);
  ilstLaunch = new TImageList(this, IconSize(), IconSize());

  gui::TPopupMenu* pmnuTreeView = CreateMenus();
  // --- window layout
  SetClientSize(632, 233);

  auto* ToolBar1 = new TToolBar(this);
  ToolBar1->SetImages(ilstMainMenu);
  ToolBar1->SetHeight(24);
  ToolBar1->SetAlign(alTop);
  ToolBar1->SetParent(this);
  NewToolButton(this, ToolBar1, tbsButton, "新規作成", 0, [this](TObject* s) { MainMenu_FNClick(s); });
  NewToolButton(this, ToolBar1, tbsSeparator);
  NewToolButton(this, ToolBar1, tbsButton, "開く", 1, [this](TObject* s) { MainMenu_FOClick(s); });
  NewToolButton(this, ToolBar1, tbsButton, "保存", 2, [this](TObject* s) { MainMenu_FSSClick(s); });
  NewToolButton(this, ToolBar1, tbsSeparator);
  cmbbEditorPosition = new TComboBox(this);
  cmbbEditorPosition->SetBounds(0, 0, 276, 200);
  cmbbEditorPosition->AddItem("メニューエディタをランチャの最下行に挿入する");
  cmbbEditorPosition->AddItem("メニューエディタをランチャの最上行に挿入する");
  cmbbEditorPosition->AddItem("メニューエディタをランチャに挿入しない");
  cmbbEditorPosition->SetItemIndex(0);
  // Wider where the longest choice would be cut short in the font.
  cmbbEditorPosition->SetGrowToCaption(true);
  ToolBar1->AddControl(cmbbEditorPosition);

  // The file's path in what the mark of unsaved changes leaves.
  StatusBar = new TStatusBar(this);
  StatusBar->SetPanelWidths({-1, 80});
  StatusBar->SetHeight(19);
  StatusBar->SetAlign(alBottom);
  StatusBar->SetParent(this);

  TreeView = new TTreeView(this);
  TreeView->SetWidth(265);
  TreeView->SetAlign(alLeft);
  TreeView->SetIndent(19);
  TreeView->SetImages(ilstLaunch);
  TreeView->PopupMenu = pmnuTreeView;
  TreeView->SetDragMode(dmAutomatic);
  TreeView->OnChanging = [this](TObject* s, TTreeNode* n, bool& a) { TreeViewChanging(s, n, a); };
  TreeView->OnChange = [this](TObject* s, TTreeNode* n) { TreeViewChange(s, n); };
  TreeView->OnDeletion = [this](TObject* s, TTreeNode* n) { TreeViewDeletion(s, n); };
  TreeView->OnMouseUp = [this](TObject* s, TMouseButton b, unsigned sh, int x, int y) {
    TreeViewMouseUp(s, b, sh, x, y);
  };
  TreeView->OnEditing = [this](TObject* s, TTreeNode* n, bool& a) { TreeViewEditing(s, n, a); };
  TreeView->OnEdited = [this](TObject* s, TTreeNode* n, std::string& t) { TreeViewEdited(s, n, t); };
  TreeView->RefusedChars = menufile::UnwritableChars(menufile::NameLineField::ItemName);
  TreeView->OnDragOver = [this](TObject* s, TObject* src, int x, int y, TDragState st, bool& a) {
    TreeViewDragOver(s, src, x, y, st, a);
  };
  TreeView->OnDragDrop = [this](TObject* s, TObject* src, int x, int y) { TreeViewDragDrop(s, src, x, y); };
  TreeView->OnEndDrag = [this](TObject* s, TObject* t, int x, int y) { TreeViewEndDrag(s, t, x, y); };
  TreeView->SetParent(this);

  Splitter1 = new TSplitter(this);
  Splitter1->SetWidth(3);
  Splitter1->SetLeft(265);
  Splitter1->SetParent(this);

  CreatePanel();
  // The tree may take the window's width only as far as the panel keeps
  // every field in sight.
  Splitter1->MinRest = PanelMinWidth();

  Timer = new TTimer(this);
  Timer->SetEnabled(false);
  Timer->SetInterval(600);
  Timer->OnTimer = [this](TObject* s) { TimerTimer(s); };

  // Shared by the link-target browse button and the Open command.
  OpenDialog = new TOpenDialog(this);
  OpenDialog->Options = ofHideReadOnly | ofPathMustExist | ofFileMustExist | ofEnableSizing;
  SaveDialog = new TSaveDialog(this);
  FolderDialog = new TFolderDialog(this);
  IconDialog = new TIconDialog(this);
}

TformMain::~TformMain() {
  // The controls' events call into this form: the window and the controls
  // go while all the form holds is still there. A drag in progress ends
  // with the tree's window, without a word to anyone.
  DestroyHandle();
  DestroyComponents();
}

TPopupMenu* TformMain::CreateMenus() {
  auto* MainMenu = new TMainMenu(this);
  MainMenu->SetImages(ilstMainMenu);
  TMenuItem* root = MainMenu->Items();
  TMenuItem* MainMenu_F = NewItem(this, root, "ファイル(&F)");
  NewItem(this, MainMenu_F, "新規作成(&N)", [this](TObject* s) { MainMenu_FNClick(s); }, 0);
  NewItem(this, MainMenu_F, "-");
  NewItem(this, MainMenu_F, "開く(&O)", [this](TObject* s) { MainMenu_FOClick(s); }, 1);
  TMenuItem* MainMenu_FS = NewItem(this, MainMenu_F, "保存(&S)", {}, 2);
  NewItem(this, MainMenu_FS, "保存(&S)", [this](TObject* s) { MainMenu_FSSClick(s); }, 2)->SetShortCut(ShortCut('S', scCtrl));
  NewItem(this, MainMenu_FS, "別名で保存(&A)", [this](TObject* s) { MainMenu_FSAClick(s); });
  NewItem(this, MainMenu_F, "-");
  NewItem(this, MainMenu_F, "終了(&X)", [this](TObject* s) { MainMenu_FXClick(s); });
  TMenuItem* MainMenu_EM = NewItem(this, NewItem(this, root, "編集(&E)"), "メニュー追加(&M)");
  NewItem(this, MainMenu_EM, "項目(&I)", [this](TObject* s) { pmnuTreeView_IClick(s); }, 3);
  NewItem(this, MainMenu_EM, "セパレータ(&S)", [this](TObject* s) { pmnuTreeView_SClick(s); }, 4);
  NewItem(this, MainMenu_EM, "-");
  NewItem(this, MainMenu_EM, "サブメニュー(&M)", [this](TObject* s) { pmnuTreeView_MClick(s); }, 5);
  TMenuItem* MainMenu_I = NewItem(this, root, "アイコン(&I)");
  MainMenu_IT = NewItem(this, MainMenu_I, "ツールバー(&T)", [this](TObject* s) { MainMenu_ITClick(s); });
  MainMenu_IT->SetEnabled(false);
  MainMenu_ID = NewItem(this, MainMenu_I, "デスクトップ(&D)", [this](TObject* s) { MainMenu_IDClick(s); });
  MainMenu_ID->SetEnabled(false);
  NewItem(this, NewItem(this, root, "ヘルプ(&H)"), "バージョン情報(&A)", [this](TObject* s) { MainMenu_HAClick(s); });
  SetMenu(MainMenu);

  // The tree's context menu; the special items' tags choose their row.
  auto* pmnuTreeView = new TPopupMenu(this);
  TMenuItem* proot = pmnuTreeView->Items();
  NewItem(this, proot, "項目(&I)", [this](TObject* s) { pmnuTreeView_IClick(s); });
  TMenuItem* pmnuTreeView_P = NewItem(this, proot, "特殊な項目(&P)");
  for (int tag = 0; tag < int(std::size(kSpecialItems)); ++tag)
    NewItem(this, pmnuTreeView_P, kSpecialItems[tag].caption, [this](TObject* s) { pmnuTreeView_PClick(s); })->Tag = tag;
  NewItem(this, proot, "セパレータ(&S)", [this](TObject* s) { pmnuTreeView_SClick(s); });
  NewItem(this, proot, "-");
  NewItem(this, proot, "サブメニュー(&M)", [this](TObject* s) { pmnuTreeView_MClick(s); });
  NewItem(this, proot, "-");
  NewItem(this, proot, "削除(&D)", [this](TObject* s) { pmnuTreeView_DClick(s); });
  return pmnuTreeView;
}

void TformMain::DpiChanged() {
  TForm::DpiChanged();
  ilstMainMenu->SetSize(IconSize(), IconSize());
  ilstMainMenu->AddMasked("MAINMENUGLYPHS", kGlyphKey);
  ilstPanelButtons->SetSize(IconSize(), IconSize());
  ilstPanelButtons->AddMasked("PANELBUTTONS", kGlyphKey);
  RetakePictures();
  LayoutPanel();
  Splitter1->MinRest = PanelMinWidth();
}

SIZE TformMain::MinClientSize() {
  // The panel's two groups (189 high) between the toolbar and the status
  // bar, with the row of air the window is designed with.
  const int tree = UnscaleFromDpi(TreeView->Width(), Dpi()) + 1;
  return SIZE{tree + 3 + PanelMinWidth(), 24 + 190 + 19};
}

void TformMain::RetakePictures() {
  const int count = ilstLaunch->Count();
  ilstLaunch->SetSize(IconSize(), IconSize());
  ilstLaunch->SetCount(count);
  // Each distinct picture is taken once; further nodes showing it get a copy.
  TPictureTaker taker(IconSize(), Subject->Names());
  std::map<const TIcon*, int> taken;
  std::vector<bool> set(size_t(count), false);
  TTreeNodes* nodes = TreeView->Items();
  for (int i = 0; i < nodes->Count(); ++i) {
    TTreeNode* node = nodes->Item(i);
    const int image = node->ImageIndex();
    const TRecord* record = RecordOf(node);
    if (image < 0 || image >= count || set[size_t(image)] || !record) continue;
    const auto given = pictures_.find(node);
    const TIcon& icon = taker.Take(given != pictures_.end() ? given->second : RecordPicture(*record));
    if (const auto drawn = taken.find(&icon); drawn != taken.end()) {
      ilstLaunch->CopyImage(image, drawn->second);
    } else {
      ilstLaunch->ReplaceIcon(image, icon);
      taken.emplace(&icon, image);
    }
    set[size_t(image)] = true;
  }
  // Images no node shows any more are blank, as comctl32 may leave them.
  for (int image = 0; image < count; ++image)
    if (!set[size_t(image)]) ilstLaunch->ReplaceIcon(image, TIcon());
  ShowPreview(previewImage_);
}

// --- commands -----------------------------------------------------------------

void TformMain::MainMenu_FXClick(TObject*) { Close(); }

void TformMain::MainMenu_HAClick(TObject*) { formAbout->ShowModal(); }

// --- tree commands ---------------------------------------------------------------

namespace {
std::unique_ptr<TRecord> NewRecord(const std::string& name, EntryKind kind) {
  auto record = std::make_unique<TRecord>();
  record->ItemName = name;
  record->Kind = kind;
  return record;
}
}  // namespace

TTreeNode* TformMain::AddEntry(std::unique_ptr<TRecord> record, const TNodePicture& picture) {
  const std::string caption = record->ItemName;
  TTreeNode* node = TreeView->Items()->InsertObject(TreeView->Selected(), caption, std::move(record));
  pictures_[node] = picture;
  const int image = ilstLaunch->AddIcon(TakePicture(picture, IconSize(), Subject->Names()));
  node->SetImageIndex(image);
  node->SetSelectedIndex(image);
  Changed();
  return node;
}

void TformMain::pmnuTreeView_IClick(TObject*) {
  AddEntry(NewRecord("新しい項目", EntryKind::Item), LauncherPicture(kItemIcon))->EditText();
}

void TformMain::pmnuTreeView_SClick(TObject*) {
  AddEntry(NewRecord(kSeparatorCaption, EntryKind::Separator), LauncherPicture(kNoIcon));
}

void TformMain::pmnuTreeView_MClick(TObject*) {
  AddEntry(NewRecord("新しいサブメニュー", EntryKind::Submenu), LauncherPicture(kSubmenuIcon))->EditText();
}

void TformMain::pmnuTreeView_PClick(TObject* Sender) {
  const int tag = static_cast<TComponent*>(Sender)->Tag;
  if (tag < 0 || tag > 2) return;
  const SpecialItem& row = kSpecialItems[tag];
  auto record = NewRecord(row.caption, EntryKind::Item);
  record->ExeName = "Explorer.exe";
  record->CmdLine = row.cmdLine;
  AddEntry(std::move(record), IconFilePicture(row.iconFile, row.iconIndex));
}

void TformMain::pmnuTreeView_DClick(TObject*) {
  if (TTreeNode* node = TreeView->Selected()) {
    node->Delete();
    Changed();
  }
}

void TformMain::TreeViewDeletion(TObject*, TTreeNode* Node) {
  // The tree reports each node of a deleted subtree once, while it still
  // exists; its record goes with it, and nothing may keep pointing at either.
  if (CurrentNode == Node) CurrentNode = nullptr;
  pictures_.erase(Node);
}

void TformMain::TreeViewMouseUp(TObject*, TMouseButton Button, unsigned, int X, int Y) {
  if (Button != mbRight) return;
  if (!(TreeView->GetHitTestInfoAt(X, Y) & (htOnLabel | htOnIcon))) return;
  if (TTreeNode* node = TreeView->GetNodeAt(X, Y)) TreeView->SetSelected(node);
}

void TformMain::TreeViewEditing(TObject*, TTreeNode* Node, bool& AllowEdit) {
  const TRecord* record = RecordOf(Node);
  AllowEdit = record && record->Kind != EntryKind::Separator;
}

void TformMain::TreeViewEdited(TObject*, TTreeNode* Node, std::string& S) {
  // The name typed in the tree is the name that is saved, and the one the
  // panel shows: the panel's field is stored again when the selection moves.
  TRecord* record = RecordOf(Node);
  if (record && record->ItemName != S) {
    record->ItemName = S;
    Changed();
  }
  if (Node == CurrentNode) editItemName->SetText(S);
}

// --- drag and drop ---------------------------------------------------------------

void TformMain::TreeViewDragOver(TObject*, TObject*, int, int, TDragState State, bool& Accept) {
  Accept = true;
  ScrollDirection = 0;
  if (State == dsDragLeave) TreeView->SetDropTarget(nullptr);
  if ((State == dsDragEnter || State == dsDragMove) && TreeView->DropTarget()) {
    const RECT row = TreeView->DropTarget()->DisplayRect(false);
    const int rowHeight = row.bottom - row.top;
    if (TreeView->ClientHeight() - 3 * rowHeight < row.bottom) ScrollDirection = 2;
    else if (3 * rowHeight > row.top) ScrollDirection = 1;
  }
  Timer->SetEnabled(ScrollDirection != 0);
}

void TformMain::TimerTimer(TObject*) {
  TTreeNode* top = TreeView->TopItem();
  if (TreeView->Dragging() && TreeView->DropTarget() && top) {
    TTreeNode* next = ScrollDirection == 1   ? top->GetPrevVisible()
                      : ScrollDirection == 2 ? top->GetNextVisible()
                                             : nullptr;
    if (next) {
      TreeView->SetTopItem(next);
      if (TreeView->TopItem() == next) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(TreeView->Handle(), &p);
        TreeView->SetDropTarget(TreeView->GetNodeAt(p.x, p.y));
        TreeView->Repaint();
        return;
      }
    }
  }
  Timer->SetEnabled(false);
}

void TformMain::TreeViewEndDrag(TObject*, TObject*, int, int) { Timer->SetEnabled(false); }

void TformMain::TreeViewDragDrop(TObject*, TObject* Source, int X, int Y) {
  if (Source != TreeView) return;
  TTreeNode* dragged = TreeView->Selected();
  if (!dragged) return;
  TTreeNodes* nodes = TreeView->Items();
  TTreeNode* target = TreeView->GetNodeAt(X, Y);
  bool moved = false;
  if (!target) {
    // Below the last row: the end of the list that holds the last entry of
    // the whole tree, however deep that list lies.
    if (nodes->Count() > 0) moved = dragged->MoveTo(nodes->GetNodeFromIndex(nodes->Count() - 1), naAdd);
  } else if (const TRecord* record = RecordOf(target)) {
    switch (record->Kind) {
      case EntryKind::Item:
        moved = dragged->MoveTo(target, naInsert);
        break;
      case EntryKind::Separator:
        break;
      case EntryKind::Submenu: {
        const THitTests hit = TreeView->GetHitTestInfoAt(X, Y);
        if (hit & htOnLabel) moved = dragged->MoveTo(target, naAddChild);
        else if (hit & htOnIcon) moved = dragged->MoveTo(target, naInsert);
        else if (hit & htOnIndent) moved = dragged->MoveTo(target, naAdd);
        else if (hit & (htOnButton | htOnRight)) break;
        else moved = dragged->MoveTo(target, naInsert);
        break;
      }
    }
  }
  if (moved) Changed();
}
