// The file commands, the settings kept between runs and what counts as a
// change, against the real registry functions and drop handles.
#include <functional>

#include "EditorFixture.h"
#include "SysUtils.h"
#include "Text.h"
// After windows.h, which they need.
#include <sddl.h>
#include <shlobj.h>

using namespace gui;

namespace {

const char kSettings[] = "Software\\MORVATH\\Ostrevan\\Calvenor\\Folders";
const char kLauncher[] = "Software\\MORVATH\\Ostrevan";
const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// A string value; "-" when there is none.
std::string Value(const char* key, const char* name) {
  char data[1024] = "";
  DWORD size = sizeof data - 1;
  return RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, data, &size) ? "-" : data;
}
void SetValue(const char* key, const char* name, const std::string& value) {
  RegSetKeyValueA(HKEY_CURRENT_USER, key, name, REG_SZ, value.c_str(), DWORD(value.size() + 1));
}

// A drop handle as the shell makes one, for files named in the ANSI code page.
HDROP DropOf(const std::vector<std::string>& paths) {
  std::string names;
  for (const std::string& p : paths) names.append(p).push_back('\0');
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() + 1);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  memcpy(drop + 1, names.data(), names.size());
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

// What a shortcut starts, with which arguments and icon.
std::string ShortcutOf(const std::string& path) {
  char target[MAX_PATH] = "", arguments[1024] = "", icon[MAX_PATH] = "";
  int number = -1;
  CoInitialize(nullptr);
  IShellLinkA* link = nullptr;
  IPersistFile* file = nullptr;
  CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, reinterpret_cast<void**>(&link));
  if (link && SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Load(AnsiToWide(path).c_str(), STGM_READ))) {
    link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
    link->GetArguments(arguments, sizeof arguments);
    link->GetIconLocation(icon, MAX_PATH, &number);
  }
  if (file) file->Release();
  if (link) link->Release();
  CoUninitialize();
  return std::string(target) + "|" + arguments + "|" + icon + "," + std::to_string(number);
}

// A disk whose write fails half way, as a full disk or a share that went
// away make it fail.
DWORD failure = 0;
BOOL WINAPI FailingWrite(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED) {
  WriteFile(file, data, size / 2, written, nullptr);
  SetLastError(failure);
  return failure == ERROR_DISK_FULL;  // a full disk writes short, without an error
}

class FilesTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    SetValue(kShellFolders, "AppData", Path("AppData"));
    SetValue(kShellFolders, "Desktop", Path("Desktop"));
  }
  void TearDown() override {
    base::SetFileWriter(nullptr);
    EditorTest::TearDown();
  }
  // Answers the next file dialogs with these paths ("" cancels), and notes
  // what each offered.
  void Choose(std::vector<std::string> paths) {
    chooser = [this, paths](TComponent& dialog) mutable {
      auto& files = dynamic_cast<TOpenDialog&>(dialog);
      offered.push_back(std::string(dynamic_cast<TSaveDialog*>(&files) ? "save " : "open ") + utf8(files.Title) +
                        " " + utf8(files.Filter) + " " + files.FileName);
      EXPECT_FALSE(paths.empty()) << "an unexpected dialog";
      const std::string pick = paths.empty() ? "" : paths.front();
      if (!paths.empty()) paths.erase(paths.begin());
      files.FileName = pick.empty() ? files.FileName : pick;
      return !pick.empty();
    };
  }
  std::string Commands() {
    return std::string(MenuEntry({"アイコン(&I)", "ツールバー(&T)"})->Enabled() ? "T" : "-") + (MenuEntry({"アイコン(&I)", "デスクトップ(&D)"})->Enabled() ? "D" : "-");
  }
  std::vector<std::string> offered;
};

}  // namespace

TEST_F(FilesTest, SettingsStartFromTheEditorsFolderAndAreWrittenOnEveryClose) {
  const std::string folder = ExtractFilePath(GetModuleFileNameString());
  Choose({""});
  Command({"ファイル(&F)", "開く(&O)"});
  EXPECT_EQ(offered, std::vector<std::string>{"open メニュー情報ファイルを開く メニュー情報ファイル（*.*）|*.* " + folder + "*.*"});
  EXPECT_EQ(Value(kSettings, "MenuFile"), "-") << "nothing written before the close";
  // The end of the Windows session asks what a close asks, and writes what it writes.
  form->pmnuTreeView_SClick(nullptr);
  answer = IDCANCEL;
  EXPECT_EQ(SendMessageA(form->Handle(), WM_QUERYENDSESSION, 0, 0), FALSE);
  EXPECT_EQ(utf8(boxes.at(0).text), "変更を保存しますか？");
  SendMessageA(form->Handle(), WM_ENDSESSION, TRUE, 0);
  boxes.clear();
  EXPECT_EQ(Value(kSettings, "MenuFile"), folder + "*.*");
  EXPECT_EQ(Value(kSettings, "ExePath"), folder + "*.exe");
  EXPECT_EQ(Value(kLauncher, "EditorPosition"), "bottom");

  // What was stored is what the editor starts with; an editor ended by a
  // failed start writes nothing.
  SetValue(kSettings, "MenuFile", "C:\\menus\\a.txt");
  Start(Path("missing.txt"));
  EXPECT_EQ(form->Subject->MenuFile, "C:\\menus\\a.txt");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, sjis("「") + Path("missing.txt") + sjis("」を読めません。\n") +
                               base::SystemErrorText(ERROR_FILE_NOT_FOUND));
  EXPECT_TRUE(app->Terminated());
  ui->cmbbEditorPosition->SetItemIndex(1);
  form->Close();
  EXPECT_EQ(Value(kLauncher, "EditorPosition"), "bottom");
}

TEST_F(FilesTest, SaveAsksOnlyWithoutANameAndAnEmptyFileIsANewMenu) {
  // No name yet: Save asks for one, and a cancel changes nothing.
  form->pmnuTreeView_SClick(nullptr);
  Choose({"", Path("none\\named.txt"), Path("named.txt")});
  Command({"ファイル(&F)", "保存(&S)", "保存(&S)"});
  EXPECT_EQ(offered, std::vector<std::string>{"save メニュー情報ファイルを保存 メニュー情報ファイル（*.*）|*.* "});
  EXPECT_EQ(Commands(), "--") << "no file yet";
  // Nor after a save that could not write there, which leaves it unnamed.
  Command({"ファイル(&F)", "保存(&S)", "保存(&S)"});
  EXPECT_EQ(std::pair(boxes.size(), Commands()), std::pair(size_t(1), std::string("--")));
  boxes.clear();
  Command({"ファイル(&F)", "保存(&S)", "保存(&S)"});
  EXPECT_EQ(ReadUtf8(Path("named.txt")), "\r\n\r\n");
  EXPECT_EQ(Commands(), "TD");

  Start(WriteMenu("menu.txt", ""));
  EXPECT_EQ(Commands(), "TD");
  EXPECT_TRUE(boxes.empty()) << "an empty file is a new menu";
}

TEST_F(FilesTest, AFailedSaveLeavesTheFileWholeAndReportsItsCauseOnce) {
  const std::string file = WriteMenu("menu.txt", "A\r\na.exe\r\n");
  form->Subject->FileName = file;
  form->pmnuTreeView_SClick(nullptr);
  // Wine run as root writes into read-only files, but the attribute shows.
  for (DWORD cause : {DWORD(ERROR_ACCESS_DENIED), DWORD(ERROR_NETNAME_DELETED), DWORD(ERROR_DISK_FULL)}) {
    boxes.clear();
    failure = cause;
    base::SetFileWriter(cause == ERROR_ACCESS_DENIED ? nullptr : FailingWrite);
    SetFileAttributesA(file.c_str(), cause == ERROR_ACCESS_DENIED ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
    Command({"ファイル(&F)", "保存(&S)", "保存(&S)"});
    EXPECT_EQ(ReadUtf8(file), "A\r\na.exe\r\n") << cause;
    ASSERT_EQ(boxes.size(), 1u) << cause;
    EXPECT_EQ(boxes[0].text, sjis("「") + file + sjis("」に保存できません。\n") + base::SystemErrorText(cause));
  }
  WIN32_FIND_DATAA found;
  EXPECT_EQ(FindFirstFileA(Path("*.new").c_str(), &found), INVALID_HANDLE_VALUE) << "nothing left beside it";
  base::SetFileWriter(nullptr);
  Command({"ファイル(&F)", "保存(&S)", "保存(&S)"});
  EXPECT_EQ(ReadUtf8(file), "\r\n\r\n");
  EXPECT_EQ(GetFileAttributesA(file.c_str()), DWORD(FILE_ATTRIBUTE_ARCHIVE)) << "the launcher's sign to build again";
  SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_HIDDEN);
  Command({"ファイル(&F)", "保存(&S)", "保存(&S)"});
  EXPECT_EQ(GetFileAttributesA(file.c_str()), DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE)) << "a hidden file stays so";
}

TEST_F(FilesTest, EveryChangeTheUserCanMakeIsUnsavedUntilSavedAndNothingElseIs) {
  ui->fields[0]->Handle();
  const std::string menu = "A\r\na.exe\r\n\r\n\r\nS<Ostrevan.exe,4>\r\n\r\n\tchild\r\n\tc.exe\r\n";
  chooser = [](TComponent& dialog) {
    auto& icons = dynamic_cast<TIconDialog&>(dialog);
    icons.FileName = "Ostrevan.exe";
    icons.IconIndex = 6;
    return true;
  };
  WriteMenu("dropped.txt", "");
  const std::vector<std::pair<const char*, std::function<void()>>> changes{
      {"a typed target", [&] { ui->fields[3]->SetText("b.exe"); }},
      {"an icon number left", [&] { SetAndLeave(ui->fields[2], "2"); }},
      {"a caption edited in place",
       [&] {
         Find("A")->EditText();
         SetWindowTextA(reinterpret_cast<HWND>(SendMessageA(Tree().Handle(), TVM_GETEDITCONTROL, 0, 0)), "B");
         Tree().EndEditing();
       }},
      {"a special item", [&] { Special(1)->Click(); }},
      {"a deleted entry", [&] { form->pmnuTreeView_DClick(nullptr); }},
      {"a dropped file",
       [&] { SendMessageA(form->Handle(), WM_DROPFILES, WPARAM(DropOf({Path("dropped.txt")})), 0); }},
      {"an icon chosen", [&] { ui->buttons[0]->Click(); }},
      {"the icon cleared", [&] {
         Select("S");
         ui->buttons[1]->Click();
       }},
  };
  for (const auto& [change, make] : changes) {
    Nodes().Clear();
    Load(WriteMenu("menu.txt", menu));
    // Going through every entry and back, and saving, changes nothing.
    for (const char* caption : {"A", "━━━━━━━━", "S", "child", "A"}) Select(caption);
    SetAndLeave(ui->fields[1], "");
    ui->buttons[1]->Click();
    EXPECT_FALSE(form->Subject->Modified) << change;
    make();
    EXPECT_TRUE(form->Subject->Modified) << change;
    Command({"ファイル(&F)", "保存(&S)", "保存(&S)"});
    EXPECT_FALSE(form->Subject->Modified) << change;
  }

}

TEST_F(FilesTest, ShortcutsStartTheLauncherOnTheMenuByItsFullPathAndSettingsOnlyReadableAreRead) {
  // A launcher key the user may read but not change.
  SetValue(kLauncher, "EditorPosition", "top");
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kLauncher, 0, READ_CONTROL | WRITE_DAC, &key), ERROR_SUCCESS);
  const auto allow = [key](const char* sddl) {
    PSECURITY_DESCRIPTOR dacl = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &dacl, nullptr);
    EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, dacl), ERROR_SUCCESS);
    LocalFree(dacl);
  };
  allow("D:P(A;;KR;;;WD)");
  // Started on a name relative to the current folder, as typed there.
  const std::string menu = WriteMenu("tools.txt", "A\r\na.exe\r\n");
  char current[MAX_PATH] = "";
  GetCurrentDirectoryA(MAX_PATH, current);
  SetCurrentDirectoryA(ExtractFilePath(menu).c_str());
  Start("tools.txt");
  EXPECT_EQ(ui->cmbbEditorPosition->ItemIndex(), 1) << "read";

  // A quick-launch folder the shell has not made yet is made; the shortcut
  // starts the launcher beside the editor, in whatever folder the shell
  // likes, so the menu is named in full. A desktop that is not there is
  // reported with the system's reason; one the shell does not name, so.
  Command({"アイコン(&I)", "ツールバー(&T)"});
  const std::string launcher = ExtractFilePath(GetModuleFileNameString()) + "Ostrevan.exe";
  EXPECT_EQ(ShortcutOf(Path("AppData\\Microsoft\\Internet Explorer\\Quick Launch\\tools.lnk")),
            launcher + "|\"" + menu + "\"|" + launcher + ",6");
  Command({"アイコン(&I)", "デスクトップ(&D)"});
  SetValue(kShellFolders, "Desktop", "");
  Command({"アイコン(&I)", "デスクトップ(&D)"});
  SetCurrentDirectoryA(current);
  // The failed writes at the close are said once, with the reason.
  form->Close();
  allow("D:P(A;;KA;;;WD)");
  RegCloseKey(key);
  ASSERT_EQ(boxes.size(), 5u);
  EXPECT_EQ(boxes[2].text.rfind(sjis("ショートカット「") + Path("Desktop\\tools.lnk") + sjis("」を作成できません。\r\n") +
                                     base::SystemErrorText(ERROR_PATH_NOT_FOUND), 0), 0u) << boxes[2].text;
  EXPECT_EQ(utf8(boxes[3].text), "デスクトップのフォルダが分からないため、ショートカットを作成できません。");
  EXPECT_EQ(utf8(boxes[4].text).rfind("設定を保存できませんでした。\r\n", 0), 0u) << boxes[4].text;
  EXPECT_NE(boxes[4].text.find(base::SystemErrorText(ERROR_ACCESS_DENIED)), std::string::npos) << boxes[4].text;
}
