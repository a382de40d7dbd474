// The main window's file commands: start-up and close with the settings
// kept in the registry, New, Open, Save and Save As, files dropped from the
// shell, and the shortcuts that start the launcher on the file.
#include "Registry.h"
#include "ShellApi.h"
#include "SysUtils.h"
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
};

const ShortcutPlace kQuickLaunch{
    "AppData", "\\Microsoft\\Internet Explorer\\Quick Launch\\", "ツールバーにショートカットを作成します。",
    "クイック起動のフォルダが分からないため、ショートカットを作成できません。"};
const ShortcutPlace kDesktop{
    "Desktop", "\\", "デスクトップにショートカットを作成します。",
    "デスクトップのフォルダが分からないため、ショートカットを作成できません。"};

void CreateLauncherShortcut(TSubject& subject, const ShortcutPlace& place) {
  // Without its folder the shortcut would land in whatever folder is current.
  const std::string folder = ShellFolder(place.shellFolder);
  if (folder.empty()) {
    Application->MessageBox(place.unknown, "警告", MB_ICONSTOP | MB_OK);
    return;
  }
  if (Application->MessageBox(place.question, "確認", MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return;
  const std::string name = ChangeFileExt(ExtractFileName(subject.FileName), "");
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
    } catch (...) {
      Application->MessageBox("メニュー情報ファイルがヘンです～。", "警告", MB_ICONSTOP | MB_OK);
      Application->Terminate();
    }
  }
  gui::DragAcceptFiles(Handle(), true);
}

void TformMain::FormClose(TObject*) {
  // An editor ended by a start that failed leaves the settings as they were.
  if (Application->Terminated()) return;
  {
    TRegIniFile settings(kSettingsKey);
    settings.WriteString("Folders", "MenuFile", Subject->MenuFile);
    settings.WriteString("Folders", "ExePath", Subject->ExePath);
  }
  const int position = cmbbEditorPosition->ItemIndex();
  // The list's entries stand in the order of the words.
  TRegIniFile(menufile::kLauncherKey)
      .WriteString("", menufile::kEditorPositionValue, menufile::kEditorPositions[position == 0 || position == 1 ? position : 2]);
}

void TformMain::MainMenu_FNClick(TObject*) {
  TreeView->SetSelected(nullptr);
  TreeView->Items()->Clear();
  // No node is left to show a picture of the list.
  ilstLaunch->Clear();
  ResetPanel();
}

void TformMain::MainMenu_FOClick(TObject*) {
  OpenDialog->Filter = kMenuFilter;
  OpenDialog->Title = "メニュー情報ファイルを開く";
  OpenDialog->FileName = Subject->FileName.empty() ? Subject->MenuFile : Subject->FileName;
  if (!OpenDialog->Execute()) return;
  Subject->MenuFile = OpenDialog->FileName;
  Subject->FileName = OpenDialog->FileName;
  MainMenu_FNClick(nullptr);
  UpdateShortcutCommands();
  Subject->LoadTree(*TreeView);
}

void TformMain::MainMenu_FSSClick(TObject*) {
  if (Subject->FileName.empty()) return MainMenu_FSAClick(nullptr);
  UpdateShortcutCommands();
  Subject->SaveTree(*TreeView);
}

void TformMain::MainMenu_FSAClick(TObject*) {
  SaveDialog->Filter = kMenuFilter;
  SaveDialog->Title = "メニュー情報ファイルを保存";
  if (!SaveDialog->Execute()) return;
  Subject->FileName = SaveDialog->FileName;
  UpdateShortcutCommands();
  Subject->SaveTree(*TreeView);
}

// --- files dropped from the shell ----------------------------------------------------

LRESULT TformMain::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DROPFILES) {
    HandleDroppedFiles(reinterpret_cast<HDROP>(wParam));
    return 0;
  }
  return TForm::WndProc(msg, wParam, lParam);
}

void TformMain::HandleDroppedFiles(HDROP Drop) {
  const TDropHandle drop(Drop);
  if (DroppedFileCount(Drop) != 1)
    Application->MessageBox("同時には、一つのファイルしか取り込めません。", "情報", MB_ICONINFORMATION | MB_OK);
  const std::string path = DroppedFileName(Drop, 0);
  if (path.empty()) return;

  auto record = std::make_unique<TRecord>();
  record->ItemName = ChangeFileExt(ExtractFileName(path), "");
  record->Kind = EntryKind::Item;
  if (LowerCaseAscii(ExtractFileExt(path)) == ".lnk") {
    const TShortcutInfo link = Subject->ReadShortcut(path);
    record->ExeName = link.Target;
    record->CmdLine = link.Arguments;
    record->WorkFolder = link.WorkFolder;
  } else {
    record->ExeName = path;
  }
  const TIcon icon = ExtractSmallIcon(record->ExeName, 0);
  // Where Add item puts its entry, but neither selected nor opened for
  // editing: the user goes on where he was.
  AddEntry(std::move(record), icon);
}

// --- shortcuts that start the launcher --------------------------------------------

void TformMain::UpdateShortcutCommands() {
  MainMenu_IT->SetEnabled(!ShellFolder(kQuickLaunch.shellFolder).empty());
  MainMenu_ID->SetEnabled(true);
}

void TformMain::MainMenu_ITClick(TObject*) { CreateLauncherShortcut(*Subject, kQuickLaunch); }

void TformMain::MainMenu_IDClick(TObject*) { CreateLauncherShortcut(*Subject, kDesktop); }

