// The main window's file commands: start-up and close with the settings
// kept in the registry, New, Open, Save and Save As, files dropped from the
// shell, and the shortcuts that start the launcher on the file.
#include "Registry.h"
#include "ShellApi.h"
#include "SysUtils.h"
#include "Text.h"
#include "unitMain.h"

using namespace gui;
using menufile::EntryKind;

namespace {

const char kSettingsKey[] = "Software\\MORVATH\\Ostrevan\\Calvenor";
const char kMenuFilter[] = "メニュー情報ファイル（*.*）|*.*";

// A folder of the shell, as the shell keeps it for the user; empty when it
// is not known.
std::string ShellFolder(const char* name) {
  return TRegIniFile("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer").ReadString("Shell Folders", name, "");
}

// Where each of the two shortcut commands puts its shortcut, and what it says.
struct ShortcutPlace {
  const char* shellFolder;
  const char* below;  // the shortcut's folder below the shell folder
  const char* question;
  const char* unknown;  // when the shell folder is not known
  // The folder is made when it is missing, as the shell makes it for the
  // first shortcut put there.
  bool make;
};

const ShortcutPlace kQuickLaunch{
    "AppData", "\\Microsoft\\Internet Explorer\\Quick Launch\\", "ツールバーにショートカットを作成します。",
    "クイック起動のフォルダが分からないため、ショートカットを作成できません。", true};
const ShortcutPlace kDesktop{
    "Desktop", "\\", "デスクトップにショートカットを作成します。",
    "デスクトップのフォルダが分からないため、ショートカットを作成できません。", false};

// Makes the folder with every level above it that is missing.
void MakeFolder(std::string folder) {
  using Fn = int(WINAPI*)(HWND, LPCSTR, const SECURITY_ATTRIBUTES*);
  static const auto make = reinterpret_cast<Fn>(reinterpret_cast<void*>(Shell32Proc("SHCreateDirectoryExA")));
  folder.pop_back();  // the trailing backslash, which no double-byte character ends in here
  const int result = make ? make(nullptr, folder.c_str(), nullptr) : int(ERROR_PROC_NOT_FOUND);
  if (result != ERROR_SUCCESS && result != ERROR_ALREADY_EXISTS && result != ERROR_FILE_EXISTS)
    throw Exception("フォルダ「" + folder + "」を作成できません。\r\n" + base::SystemErrorText(DWORD(result)));
}

void CreateLauncherShortcut(TSubject& subject, const ShortcutPlace& place) {
  // Without its folder the shortcut would land in whatever folder is current.
  const std::string folder = ShellFolder(place.shellFolder);
  if (folder.empty()) {
    Application->MessageBox(place.unknown, "警告", MB_ICONSTOP | MB_OK);
    return;
  }
  if (Application->MessageBox(place.question, "確認", MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return;
  const std::string name = ChangeFileExt(ExtractFileName(subject.FileName), "");
  if (place.make) MakeFolder(folder + place.below);
  // A shortcut that could not be written is reported by the error box.
  subject.CreateShortcut(name, folder + place.below + name + ".lnk");
}

}  // namespace

void TformMain::FormShow(TObject*) {
  if (startedUp_) return;
  startedUp_ = true;
  const std::string folder = ExtractFilePath(GetModuleFileNameString());
  {
    const TRegIniFile settings(kSettingsKey);
    Subject->MenuFile = settings.ReadString("Folders", "MenuFile", folder + "*.*");
    Subject->ExePath = settings.ReadString("Folders", "ExePath", folder + "*.exe");
  }
  Subject->EditorPosition =
      TRegIniFile(menufile::kLauncherKey).ReadString("", menufile::kEditorPositionValue, menufile::kEditorPositions[0]);
  // Letter case counts, as it does for the launcher: "Top" is no position.
  int position = 2;
  for (int i = 0; i < 2; ++i)
    if (Subject->EditorPosition == menufile::kEditorPositions[i]) position = i;
  cmbbEditorPosition->SetItemIndex(position);

  const std::string fileName = ParamStr(1);
  if (!fileName.empty()) {
    Subject->FileName = fileName;
    UpdateShortcutCommands();
    try {
      Subject->LoadTree(*TreeView);
    } catch (const EFOpenError& e) {
      // A file that is not there, or that another program holds, is no
      // strange menu: the user hears which file, and the system's reason.
      Application->MessageBox(e.what(), "警告", MB_ICONSTOP | MB_OK);
      Application->Terminate();
    } catch (...) {
      Application->MessageBox("メニュー情報ファイルがヘンです～。", "警告", MB_ICONSTOP | MB_OK);
      Application->Terminate();
    }
  }
  ShowFileState();
  gui::DragAcceptFiles(Handle(), true);
}

bool TformMain::FormCloseQuery(TObject*) {
  // An editor ended by a start that failed has nothing of the user's.
  return Application->Terminated() || MayDiscard();
}

void TformMain::FormClose(TObject*) {
  // An editor ended by a start that failed leaves the settings as they were.
  if (Application->Terminated()) return;
  // Each value is written even when another could not be; the user hears
  // once why they will be missing next time.
  std::string failure;
  const auto write = [&failure](const char* key, const char* section, const char* ident, const std::string& value) {
    try {
      TRegIniFile(key).WriteString(section, ident, value);
    } catch (const std::exception& e) {
      if (failure.empty()) failure = e.what();
    }
  };
  write(kSettingsKey, "Folders", "MenuFile", Subject->MenuFile);
  write(kSettingsKey, "Folders", "ExePath", Subject->ExePath);
  const int position = cmbbEditorPosition->ItemIndex();
  // The list's entries stand in the order of the words.
  write(menufile::kLauncherKey, "", menufile::kEditorPositionValue,
        menufile::kEditorPositions[position == 0 || position == 1 ? position : 2]);
  if (!failure.empty())
    Application->MessageBox("設定を保存できませんでした。\r\n" + failure, "警告", MB_ICONSTOP | MB_OK);
}

// --- the document and its file ---------------------------------------------------

void TformMain::Changed() {
  if (Subject->Modified) return;
  Subject->Modified = true;
  ShowFileState();
}

void TformMain::ShowFileState() {
  StatusBar->SetPanelText(0, Subject->FileName.empty() ? "無題" : Subject->FileName, true);
  StatusBar->SetPanelText(1, Subject->Modified ? "変更あり" : "");
}

void TformMain::TakeEdits() {
  if (TreeView->IsEditing()) TreeView->EndEditing();
  // The fields are stored when the focus leaves them, which a menu command
  // or a toolbar button does not make it do.
  if (PanelRecord()) StoreIconFields(CurrentNode);
}

bool TformMain::MayDiscard() {
  TakeEdits();
  if (!Subject->Modified) return true;
  switch (Application->MessageBox("変更を保存しますか？", "確認", MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
      try {
        return Save(false);
      } catch (const std::exception& e) {
        // Reported here: the document stays, and the command that asked
        // does not go on.
        Application->ShowException(e);
        return false;
      }
    case IDNO:
      return true;
    default:
      return false;
  }
}

bool TformMain::Save(bool askName) {
  TakeEdits();
  const std::string previousName = Subject->FileName;
  const std::optional<TFileIdentity> previousUnread = Subject->UnreadFile;
  if (askName || Subject->FileName.empty()) {
    SaveDialog->Filter = kMenuFilter;
    SaveDialog->Title = "メニュー情報ファイルを保存";
    if (!SaveDialog->Execute()) return false;
    Subject->FileName = SaveDialog->FileName;
    // Chosen by the user to be written: a file this editor could not read
    // whole is his to replace.
    if (Subject->UnreadFile && FileIdentity(Subject->FileName) == Subject->UnreadFile) Subject->UnreadFile.reset();
  }
  try {
    Subject->SaveTree(*TreeView);
  } catch (...) {
    // The document takes the new name only once it is written there: a
    // later save or a shortcut would otherwise go to a file never written.
    Subject->FileName = previousName;
    Subject->UnreadFile = previousUnread;
    throw;
  }
  UpdateShortcutCommands();
  ShowFileState();
  return true;
}

void TformMain::ClearDocument() {
  TreeView->SetSelected(nullptr);
  TreeView->Items()->Clear();
  // No node is left to show a picture of the list.
  ilstLaunch->Clear();
  ResetPanel();
}

void TformMain::MainMenu_FNClick(TObject*) {
  if (!MayDiscard()) return;
  ClearDocument();
  // A new menu, which may go wherever the user saves it.
  Subject->UnreadFile.reset();
  Subject->Modified = false;
  ShowFileState();
}

void TformMain::MainMenu_FOClick(TObject*) {
  if (!MayDiscard()) return;
  OpenDialog->Filter = kMenuFilter;
  OpenDialog->Title = "メニュー情報ファイルを開く";
  OpenDialog->FileName = Subject->FileName.empty() ? Subject->MenuFile : Subject->FileName;
  if (!OpenDialog->Execute()) return;
  Subject->MenuFile = OpenDialog->FileName;
  Subject->FileName = OpenDialog->FileName;
  ClearDocument();
  UpdateShortcutCommands();
  // Whatever the load manages, the status bar names the file it came from.
  Subject->Modified = false;
  ShowFileState();
  Subject->LoadTree(*TreeView);
}

void TformMain::MainMenu_FSSClick(TObject*) { Save(false); }

void TformMain::MainMenu_FSAClick(TObject*) { Save(true); }

// --- files dropped from the shell ----------------------------------------------------

LRESULT TformMain::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DROPFILES) {
    // Ctrl as the user holds it now: the shell's message says nothing of it.
    HandleDroppedFiles(reinterpret_cast<HDROP>(wParam), GetAsyncKeyState(VK_CONTROL) < 0);
    return 0;
  }
  return TForm::WndProc(msg, wParam, lParam);
}

namespace {

// The programs keep names in the code page; a dropped name or shortcut
// field it cannot hold is refused, never kept with a "?" in its place.
void RefuseDrop(const std::string& what) {
  Application->MessageBox(what + "には、この環境の文字（シフト JIS）で表せない文字があるため、取り込めません。", "警告",
                          MB_ICONSTOP | MB_OK);
}

bool IsShortcutFile(const std::wstring& path) {
  return path.size() >= 4 && lstrcmpiW(path.c_str() + path.size() - 4, L".lnk") == 0;
}

// A dropped file's caption: its name without the extension, the whole name
// where that leaves nothing (".gitconfig"), the path where the name is
// nothing (a drive); an empty name would save the item as a separator. The
// caption is only shown, so mark characters, which a name cannot hold, give
// way to their full-width forms.
std::string DroppedCaption(const std::string& path) {
  std::string name = ChangeFileExt(ExtractFileName(path), "");
  if (name.empty()) name = ExtractFileName(path);
  if (name.empty()) name = path;
  std::wstring wide = AnsiToWide(name);
  const std::string_view marks = menufile::UnwritableChars(menufile::NameLineField::ItemName);
  for (wchar_t& c : wide)
    if (c < 0x80 && marks.find(char(c)) != std::string_view::npos) c = wchar_t(c + (L'［' - L'['));
  std::string caption;
  return WideToAnsiExact(wide, caption) ? caption : name;
}

}  // namespace

void TformMain::HandleDroppedFiles(HDROP Drop, bool asFolderMenu) {
  const TDropHandle drop(Drop);
  if (DroppedFileCount(Drop) != 1)
    Application->MessageBox("同時には、一つのファイルしか取り込めません。", "情報", MB_ICONINFORMATION | MB_OK);
  const std::wstring dropped = DroppedFileName(Drop, 0);
  if (dropped.empty()) return;
  // A name the code page lacks characters of is taken by its short form,
  // which also gives the caption.
  const std::string path = AnsiPath(dropped);
  const std::string shown = ShownName(dropped.substr(dropped.find_last_of(L"\\:") + 1));
  if (path.empty()) return RefuseDrop("「" + shown + "」の名前");

  auto record = std::make_unique<TRecord>();
  record->ItemName = DroppedCaption(path);
  record->Kind = EntryKind::Item;
  const DWORD attributes = GetFileAttributesW(dropped.c_str());
  if (asFolderMenu && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    if (!FieldTakes(menufile::NameLineField::WorkFolder, path, "フォルダ「" + path + "」", "取り込めません。")) return;
    // Ctrl held: a submenu that shows the folder's contents, named as the
    // folder is (a drive by its root).
    const std::string name = ExtractFileName(path);
    record->ItemName = name.empty() ? path : name;
    record->Kind = EntryKind::Submenu;
    record->WorkFolder = path;
    AddEntry(std::move(record), LauncherPicture(kSubmenuIcon));
    return;
  }
  if (IsShortcutFile(dropped)) {
    TShortcutInfo link = Subject->ReadShortcut(dropped);
    // Arguments have no short form; a target or a folder that is there has.
    // A "?" in a target is a character the shell itself lost: no path has one.
    const std::string target = AnsiPath(link.Target), folder = AnsiPath(link.WorkFolder);
    const std::string named = "ショートカット「" + shown + "」の";
    if ((target.empty() && !link.Target.empty()) || link.Target.find(L'?') != std::wstring::npos)
      return RefuseDrop(named + "リンク先「" + ShownName(link.Target) + "」");
    // The options end their line in the menu file: a line break in them
    // would start another.
    for (wchar_t& c : link.Arguments)
      if (c < L' ') c = L' ';
    if (!WideToAnsiExact(link.Arguments, record->CmdLine))
      return RefuseDrop(named + "オプション「" + ShownName(link.Arguments) + "」");
    if (folder.empty() && !link.WorkFolder.empty())
      return RefuseDrop(named + "作業フォルダ「" + ShownName(link.WorkFolder) + "」");
    if (!FieldTakes(menufile::NameLineField::WorkFolder, folder, named + "作業フォルダ「" + folder + "」", "取り込めません。"))
      return;
    record->ExeName = target;
    record->WorkFolder = folder;
  } else {
    record->ExeName = path;
  }
  // Its own first icon, else the one Explorer shows for it (a document's
  // type, a folder).
  const TNodePicture picture{.File = record->ExeName, .Index = 0, .FileIsTarget = true};
  // Where Add item puts its entry, but neither selected nor opened for
  // editing: the user goes on where he was.
  AddEntry(std::move(record), picture);
}

// --- shortcuts that start the launcher --------------------------------------------

void TformMain::UpdateShortcutCommands() {
  MainMenu_IT->SetEnabled(!ShellFolder(kQuickLaunch.shellFolder).empty());
  MainMenu_ID->SetEnabled(true);
}

void TformMain::MainMenu_ITClick(TObject*) { CreateLauncherShortcut(*Subject, kQuickLaunch); }

void TformMain::MainMenu_IDClick(TObject*) { CreateLauncherShortcut(*Subject, kDesktop); }

