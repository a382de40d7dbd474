// The main window's property panel: the record of the selected node, shown
// and edited in place. There is no OK button: the record follows the panel
// as it is typed, and takes the whole panel again when the selection moves.
#include <algorithm>
#include <cstring>
#include <utility>

#include "ShellApi.h"
#include "SysUtils.h"
#include "unitMain.h"

using namespace gui;
using menufile::EntryKind;

namespace {

// The design of the panel, in 96-dpi units relative to each group: fields
// start at kFieldLeft, their captions at kLabelLeft; the groups are as wide
// as the panel and stretch with it, and so do the fields, while what stands
// right of a field keeps its distance to the group's right edge.
constexpr int kGroupWidth = 360;
constexpr int kLabelLeft = 8;
constexpr int kFieldLeft = 80;
// The room a caption leaves before its field, and the narrowest a field
// that stretches may become.
constexpr int kLabelGap = 4;
constexpr int kMinFieldWidth = 40;
// The icon row: the preview stands before its field, and the icon number
// and the two buttons after it, within this distance of the group's edge.
constexpr int kPreviewSide = 16;
constexpr int kIconFileRight = 83;

TPanel* NewGroup(TComponent* owner, TWinControl* parent, int top, int height) {
  auto* panel = new TPanel(owner);
  panel->SetBevelInner(bvRaised);
  panel->SetBevelOuter(bvLowered);
  panel->SetBounds(4, top, kGroupWidth, height);
  panel->Anchors = akLeft | akTop | akRight;
  panel->SetParent(parent);
  return panel;
}

// A caption left of its row; rows are 20 high, one line of text 12. The
// icon's caption leaves room for the preview beside it.
TLabel* NewLabel(TComponent* owner, TWinControl* group, const char* caption, int row, int width = 72) {
  auto* label = new TLabel(owner);
  label->SetCaption(caption);
  label->SetBounds(kLabelLeft, row + 4, width, 13);
  label->SetParent(group);
  return label;
}

// A field that stretches with its group; LayoutPanel places it.
TEdit* NewEdit(TComponent* owner, TWinControl* group, TNotifyEvent onChange) {
  auto* edit = new TEdit(owner);
  edit->Anchors = akLeft | akTop | akRight;
  edit->OnChange = std::move(onChange);
  edit->SetParent(group);
  return edit;
}

// Controls right of a field keep their distance to the group's right edge.
void HoldRight(TWinControl* control) { control->Anchors = akTop | akRight; }

TSpeedButton* NewButton(TComponent* owner, TWinControl* group, int left, int row,
                        TImageList* glyphs, int glyph, TNotifyEvent onClick) {
  auto* button = new TSpeedButton(owner);
  button->SetBounds(left, row - 1, 23, 22);
  HoldRight(button);
  button->SetGlyph(glyphs, glyph);
  button->OnClick = std::move(onClick);
  button->SetParent(group);
  return button;
}

// The units a caption takes in its label's font, rounded up.
int UnitsOf(TWinControl* control, int pixels) { return (pixels * kDesignDpi + control->Dpi() - 1) / control->Dpi(); }
int CaptionUnits(TLabel* label) { return UnitsOf(label, label->TextExtent(label->Caption(), DT_SINGLELINE).cx); }

// A path field's text as the record keeps it: without the pair of quotes
// around it that the shell's "Copy as path" adds, which the target line would
// double and the folder mark keep as part of the name.
std::string PathText(TEdit* field) {
  const std::string text = field->Text();
  const bool quoted = text.size() >= 2 && text.front() == '"' && text.back() == '"';
  return quoted ? text.substr(1, text.size() - 2) : text;
}

// A field that can be used has the window's colour; one that cannot is
// greyed on the colour of the panel.
void SetUsable(TWinControl* control, bool usable) {
  control->SetColor(usable ? clWindow : clBtnFace);
  control->SetEnabled(usable);
}

}  // namespace

void TformMain::CreatePanel() {
  ilstPanelButtons = new TImageList(this, IconSize(), IconSize());
  ilstPanelButtons->AddMasked("PANELBUTTONS", kGlyphKey);
  const int kBrowse = 0, kClear = 1;
  auto change = [this](TObject* s) { EditChange(s); };
  auto exit = [this](TObject* s) { editIconFileNameExit(s); };

  auto* Panel3 = new TPanel(this);
  Panel3->SetBevelOuter(bvNone);
  Panel3->SetAlign(alClient);
  Panel3->SetParent(this);

  TPanel* panlGeneral = NewGroup(this, Panel3, 0, 65);
  Label1 = NewLabel(this, panlGeneral, "項目名：", 8);
  editItemName = NewEdit(this, panlGeneral, change);
  Label2 = NewLabel(this, panlGeneral, "アイコン：", 36, 50);
  imageIcon = new TImage(this);
  imageIcon->SetBounds(60, 38, 16, 16);
  imageIcon->SetParent(panlGeneral);
  editIconFileName = NewEdit(this, panlGeneral, change);
  editIconFileName->OnExit = exit;
  editIconIndex = NewEdit(this, panlGeneral, change);
  editIconIndex->SetBounds(280, 36, 21, 20);
  HoldRight(editIconIndex);
  editIconIndex->OnExit = exit;
  editIconIndex->SetText("0");
  sbtnOpenIconFile = NewButton(this, panlGeneral, 303, 36, ilstPanelButtons, kBrowse,
                               [this](TObject* s) { sbtnOpenIconFileClick(s); });
  sbtnIconClear = NewButton(this, panlGeneral, 328, 36, ilstPanelButtons, kClear,
                            [this](TObject* s) { sbtnIconClearClick(s); });

  TPanel* panlOptional = NewGroup(this, Panel3, 68, 121);
  Label3 = NewLabel(this, panlOptional, "リンク先：", 8);
  editExeName = NewEdit(this, panlOptional, change);
  sbtnOpenExeName = NewButton(this, panlOptional, 328, 8, ilstPanelButtons, kBrowse,
                              [this](TObject* s) { sbtnOpenExeNameClick(s); });
  Label4 = NewLabel(this, panlOptional, "オプション：", 36);
  editCmdLine = NewEdit(this, panlOptional, change);
  Label5 = NewLabel(this, panlOptional, "作業フォルダ：", 64);
  editWorkFolder = NewEdit(this, panlOptional, change);
  sbtnOpenWorkFolder = NewButton(this, panlOptional, 328, 64, ilstPanelButtons, kBrowse,
                                 [this](TObject* s) { sbtnOpenWorkFolderClick(s); });
  Label6 = NewLabel(this, panlOptional, "実行時の大きさ：", 92);
  Label6->SetWordWrap(true);
  Label6->SetBounds(kLabelLeft, 89, 72, 27);
  // As many lines as the caption takes in the font.
  Label6->SetGrowToCaption(true);
  cmbbWindowState = new TComboBox(this);
  cmbbWindowState->Anchors = akLeft | akTop | akRight;
  for (const char* state : {"通常のウィンドウ", "最小化", "最大化"}) cmbbWindowState->AddItem(state);
  cmbbWindowState->OnChange = change;
  cmbbWindowState->SetParent(panlOptional);
  LayoutPanel();

  // How a refused character names each field.
  for (auto [field, name] : {std::pair{editItemName, "項目名"}, {editIconFileName, "アイコンのファイル"},
                             {editIconIndex, "アイコンの番号"}, {editExeName, "リンク先"}, {editCmdLine, "オプション"},
                             {editWorkFolder, "作業フォルダ"}})
    field->FieldName = name;
  // What the menu file would not read back as part of the field.
  using menufile::NameLineField;
  editItemName->RefusedChars = menufile::UnwritableChars(NameLineField::ItemName);
  editIconFileName->RefusedChars = menufile::UnwritableChars(NameLineField::IconFileName);
  editWorkFolder->RefusedChars = menufile::UnwritableChars(NameLineField::WorkFolder);

  // Nothing to edit until a node is chosen; the list shows no entry yet.
  SetPanelRows(false, false, false);
  cmbbWindowState->SetItemIndex(-1);
}

namespace {
// Where each field stands: its row, its height, and how far its right edge
// stays from the group's (96-dpi units).
struct FieldPlace {
  TWinControl* control;
  int top, right, height;
};
}  // namespace

void TformMain::LayoutPanel() {
  // The field column starts where the widest caption ends, with air before
  // its field; the icon's caption has the preview between it and its field.
  int column = kFieldLeft;
  for (TLabel* label : {Label1, Label3, Label4, Label5})
    column = std::max(column, kLabelLeft + CaptionUnits(label) + kLabelGap);
  const int preview = kPreviewSide + kLabelGap;
  column = std::max(column, kLabelLeft + CaptionUnits(Label2) + kLabelGap + preview);
  for (TLabel* label : {Label1, Label3, Label4, Label5}) label->SetWidth(column - kLabelLeft);
  imageIcon->SetLeft(column - preview);
  Label2->SetWidth(column - preview - 2 - kLabelLeft);
  // The size caption breaks into lines that keep their distance to the list.
  Label6->SetWidth(std::max(72, column - kLabelLeft - kLabelGap));
  const FieldPlace fields[] = {{editItemName, 8, 8, 20},  {editIconFileName, 36, kIconFileRight, 20},
                               {editExeName, 8, 35, 20},  {editCmdLine, 36, 8, 20},
                               {editWorkFolder, 64, 35, 20}, {cmbbWindowState, 92, 8, 120}};
  for (const FieldPlace& f : fields) f.control->SetBounds(column, f.top, kGroupWidth - f.right - column, f.height);
  fieldColumn_ = column;
}

int TformMain::PanelMinWidth() {
  // The icon row holds the most beside its field; the size list needs its
  // longest choice whole.
  const int list = UnitsOf(cmbbWindowState, cmbbWindowState->ChoicesWidth());
  return 4 + fieldColumn_ + std::max(kMinFieldWidth + kIconFileRight, list + 8);
}

void TformMain::SetPanelRows(bool nameAndIcon, bool link, bool folder) {
  for (TLabel* label : {Label1, Label2}) label->SetEnabled(nameAndIcon);
  for (TLabel* label : {Label3, Label4, Label6}) label->SetEnabled(link);
  Label5->SetEnabled(folder);
  for (TEdit* field : {editItemName, editIconFileName, editIconIndex}) SetUsable(field, nameAndIcon);
  for (TEdit* field : {editExeName, editCmdLine}) SetUsable(field, link);
  SetUsable(editWorkFolder, folder);
  SetUsable(cmbbWindowState, link);
  sbtnOpenIconFile->SetEnabled(nameAndIcon);
  sbtnIconClear->SetEnabled(nameAndIcon);
  sbtnOpenExeName->SetEnabled(link);
  sbtnOpenWorkFolder->SetEnabled(folder);
}

namespace {
const char kFolderHint[] = "作業フォルダの中身をサブメニューに表示します";
}  // namespace

void TformMain::ShowFolderHint(bool shown) {
  if (!shown) {
    StatusBar->SetPanelWidths({-1, 80});
    return;
  }
  // As wide as the words take in the bar's font, and the panel's borders.
  const HDC dc = GetDC(StatusBar->Handle());
  const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(StatusBar->Handle(), WM_GETFONT, 0, 0)));
  SIZE extent{};
  GetTextExtentPoint32A(dc, kFolderHint, int(strlen(kFolderHint)), &extent);
  SelectObject(dc, old);
  ReleaseDC(StatusBar->Handle(), dc);
  // Widths are in units: the size grip's room too, as the system gives it at 96 dpi.
  StatusBar->SetPanelWidths(
      {-1, 80, UnitsOf(StatusBar, extent.cx) + 16 + SystemMetricForDpi(SM_CXVSCROLL, kDesignDpi)});
  StatusBar->SetPanelText(2, kFolderHint);
}

void TformMain::ResetPanel() {
  // The panel no longer speaks for a node, so emptying it copies nothing.
  CurrentNode = nullptr;
  SetPanelRows(false, false, false);
  ShowFolderHint(false);
  ShowPreview(-1);
  for (TEdit* field : {editItemName, editIconFileName, editIconIndex, editExeName, editCmdLine, editWorkFolder})
    field->SetText("");
  cmbbWindowState->SetItemIndex(0);
}

void TformMain::ShowPreview(int image) {
  previewImage_ = image;
  imageIcon->SetIcon(ilstLaunch->GetIcon(image));
}

void TformMain::SetNodeIcon(TTreeNode* node, const TNodePicture& picture) {
  pictures_[node] = picture;
  const TIcon icon = TakePicture(picture, IconSize(), Subject->Names());
  // In place, so that every other node keeps its image number, where the
  // image is the node's alone; nodes a load gave one picture share its
  // image, and a node that leaves them, or had no picture, gets its own.
  int image = node->ImageIndex();
  if (image < 0 || image >= ilstLaunch->Count() || ImageShared(node, image)) {
    image = ilstLaunch->Count();
    ilstLaunch->SetCount(image + 1);
  }
  ilstLaunch->ReplaceIcon(image, icon);
  node->SetImageIndex(image);
  node->SetSelectedIndex(image);
  TreeView->Invalidate();
  if (node == CurrentNode) ShowPreview(image);
}

bool TformMain::ImageShared(const TTreeNode* node, int image) {
  TTreeNodes* nodes = TreeView->Items();
  for (int i = 0; i < nodes->Count(); ++i) {
    const TTreeNode* other = nodes->Item(i);
    if (other != node && other->ImageIndex() == image) return true;
  }
  return false;
}

void TformMain::StoreIconFields(TTreeNode* node) {
  TRecord* record = RecordOf(node);
  if (!record) return;
  const std::string file = editIconFileName->Text();
  const int32_t index = StrToIntDef(editIconIndex->Text(), 0);
  // The focus leaves the fields also when the selection moves on to another
  // node and they show that node's record: settings that did not change keep
  // the picture the node has, which may be a default one.
  if (file == record->IconFileName && index == record->IconIndex) return;
  record->IconFileName = file;
  record->IconIndex = index;
  Changed();
  // No default stands in here: what the settings name is what shows.
  SetNodeIcon(node, IconFilePicture(file, index));
}

void TformMain::TreeViewChanging(TObject*, TTreeNode*, bool&) {
  TRecord* record = RecordOf(CurrentNode);
  if (!record) return;
  const menufile::Entry before = *record;
  record->ItemName = editItemName->Text();
  StoreIconFields(CurrentNode);
  record->ExeName = PathText(editExeName);
  record->CmdLine = editCmdLine->Text();
  record->WorkFolder = PathText(editWorkFolder);
  record->WindowState = std::max(0, cmbbWindowState->ItemIndex());
  CurrentNode->SetText(record->ItemName);
  if (!(*record == before)) Changed();
}

void TformMain::TreeViewChange(TObject*, TTreeNode* Node) {
  CurrentNode = TreeView->Selected() ? Node : nullptr;
  const TRecord* record = RecordOf(CurrentNode);
  if (!record) return;
  const EntryKind kind = record->Kind;
  if (kind != EntryKind::Item && kind != EntryKind::Separator && kind != EntryKind::Submenu) return;
  const bool item = kind == EntryKind::Item;
  const bool separator = kind == EntryKind::Separator;
  const bool submenu = kind == EntryKind::Submenu;
  SetPanelRows(!separator, item, !separator);
  ShowFolderHint(submenu);
  // Each text set here is copied back into the record by EditChange; the
  // values come from a copy, and are the record's own, so nothing changes
  // but the fields a separator or submenu does not use, which are emptied.
  const menufile::Entry shown = *record;
  editItemName->SetText(separator ? kSeparatorCaption : shown.ItemName);
  editIconFileName->SetText(separator ? "" : shown.IconFileName);
  editIconIndex->SetText(separator ? "" : IntToStr(shown.IconIndex));
  ShowPreview(separator ? -1 : CurrentNode->ImageIndex());
  editExeName->SetText(item ? shown.ExeName : "");
  editCmdLine->SetText(item ? shown.CmdLine : "");
  editWorkFolder->SetText(separator ? "" : shown.WorkFolder);
  cmbbWindowState->SetItemIndex(item ? shown.WindowState : 0);
}

void TformMain::EditChange(TObject* Sender) {
  TRecord* record = RecordOf(CurrentNode);
  if (!record) return;
  const menufile::Entry before = *record;
  // The icon fields are stored when the focus leaves them.
  if (Sender == editItemName) record->ItemName = editItemName->Text();
  else if (Sender == editExeName) record->ExeName = PathText(editExeName);
  else if (Sender == editCmdLine) record->CmdLine = editCmdLine->Text();
  else if (Sender == editWorkFolder) record->WorkFolder = PathText(editWorkFolder);
  else if (Sender == cmbbWindowState) record->WindowState = std::max(0, cmbbWindowState->ItemIndex());
  CurrentNode->SetText(record->ItemName);
  if (*record == before) return;
  // An item that names no icon file shows its target's icon (or, for
  // Explorer, its options' shell location's): a new target, a new picture.
  const TNodePicture picture = RecordPicture(*record);
  if (!(picture == menufile::IconOf(before, menufile::IconColumn::Editor))) SetNodeIcon(CurrentNode, picture);
  Changed();
}

TRecord* TformMain::PanelRecord() { return CurrentNode == TreeView->Selected() ? RecordOf(CurrentNode) : nullptr; }

void TformMain::editIconFileNameExit(TObject*) {
  if (PanelRecord()) StoreIconFields(CurrentNode);
}

void TformMain::sbtnOpenIconFileClick(TObject*) {
  TTreeNode* node = CurrentNode;
  TRecord* record = PanelRecord();
  if (!record) return;
  // The button leaves the focus where it is: what the fields show now is
  // stored first, as if the focus had left them.
  StoreIconFields(node);
  // The picker opens the file the name leads to; the name stays as the user
  // wrote it while he keeps to that file.
  const bool own = !record->IconFileName.empty();
  const std::string written = own ? record->IconFileName : record->ExeName;
  const menufile::MenuNames names = Subject->Names();
  const std::string offered = own ? names.IconFile(written) : names.Target(written);
  IconDialog->FileName = offered;
  if (!IconDialog->Execute()) return;
  const std::string chosen = IconDialog->FileName == offered ? written : IconDialog->FileName;
  if (record->IconFileName != chosen || record->IconIndex != IconDialog->IconIndex) Changed();
  record->IconFileName = chosen;
  record->IconIndex = IconDialog->IconIndex;
  editIconFileName->SetText(record->IconFileName);
  editIconIndex->SetText(IntToStr(record->IconIndex));
  SetNodeIcon(node, IconFilePicture(record->IconFileName, record->IconIndex));
}

void TformMain::sbtnIconClearClick(TObject*) {
  if (Application->MessageBox("アイコンに関する設定を消します。", "確認", MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
    return;
  TTreeNode* node = CurrentNode;
  TRecord* record = PanelRecord();
  if (!record) return;
  if (!record->IconFileName.empty() || record->IconIndex != 0) Changed();
  record->IconFileName.clear();
  record->IconIndex = 0;
  editIconFileName->SetText("");
  editIconIndex->SetText("0");
  SetNodeIcon(node, RecordPicture(*record));
}

void TformMain::sbtnOpenWorkFolderClick(TObject*) {
  const TRecord* record = PanelRecord();
  if (!record) return;
  FolderDialog->Title = record->Kind == EntryKind::Submenu ? "中身を表示するフォルダを指定する" : "作業フォルダを指定する";
  // As with the target: where the name leads, kept as written if chosen again.
  const std::string typed = PathText(editWorkFolder);
  const std::string offered = Subject->Names().Folder(typed);
  FolderDialog->FolderName = offered;
  if (!FolderDialog->Execute()) return;
  const std::string& chosen = FolderDialog->FolderName;
  if (chosen != offered || typed.empty())
    if (FieldTakes(menufile::NameLineField::WorkFolder, chosen, "フォルダ「" + chosen + "」", "選べません。"))
      editWorkFolder->SetText(chosen);
}

void TformMain::sbtnOpenExeNameClick(TObject*) {
  TRecord* record = PanelRecord();
  if (!record) return;
  OpenDialog->Filter = "実行ファイル（*.exe）|*.exe|全てのファイル（*.*）|*.*";
  OpenDialog->Title = "実行ファイルの場所を指定する";
  // The dialog opens where the target leads; the target stays as the user
  // wrote it when he confirms that same file.
  const std::string typed = PathText(editExeName);
  const std::string offered = typed.empty() ? Subject->ExePath : Subject->Names().Target(typed);
  OpenDialog->FileName = offered;
  if (!OpenDialog->Execute()) return;
  Subject->ExePath = OpenDialog->FileName;
  // The field hands the new target to the record, as typing it would.
  if (OpenDialog->FileName != offered || typed.empty()) editExeName->SetText(OpenDialog->FileName);
}
