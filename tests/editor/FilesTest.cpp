// The file commands, the settings kept between runs, files dropped from the
// shell and the launcher's shortcuts, against the real registry functions,
// drop handles and shell links.
#include <shlobj.h>

#include <atomic>
#include <fstream>
#include <thread>
#include <tuple>

#include "EditorFixture.h"
#include "ShellApi.h"
#include "SysUtils.h"
#include "TestText.h"

using namespace gui;

namespace {

const char kSettings[] = "Software\\MORVATH\\Ostrevan\\Calvenor\\Folders";
const char kLauncher[] = "Software\\MORVATH\\Ostrevan";
const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// A string value; "-" when there is none.
std::string Value(const char* key, const char* name) {
  char data[1024] = "";
  DWORD size = sizeof data - 1;
  if (RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS) return "-";
  return data;
}
void SetValue(const char* key, const char* name, const std::string& value) {
  RegSetKeyValueA(HKEY_CURRENT_USER, key, name, REG_SZ, value.c_str(), DWORD(value.size() + 1));
}

// The shell's objects, created and released within one test step.
struct Com {
  Com() { CoInitialize(nullptr); }
  ~Com() { CoUninitialize(); }
};
template <class I>
struct Ref {
  I* p = nullptr;
  ~Ref() {
    if (p) p->Release();
  }
  I* operator->() const { return p; }
};

void WriteLink(const std::string& path, const std::string& target, const std::string& arguments,
               const std::string& folder) {
  Com com;
  Ref<IShellLinkA> link;
  Ref<IPersistFile> file;
  ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                            reinterpret_cast<void**>(&link.p)));
  link->SetPath(target.c_str());
  link->SetArguments(arguments.c_str());
  link->SetWorkingDirectory(folder.c_str());
  ASSERT_HRESULT_SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p)));
  ASSERT_HRESULT_SUCCEEDED(file->Save(std::wstring(path.begin(), path.end()).c_str(), TRUE));
}

// What a shortcut file holds, as the shell reads it back: target, arguments,
// description, icon file and number.
std::string ReadLink(const std::string& path) {
  if (!FileExists(path)) return "no shortcut";
  Com com;
  Ref<IShellLinkA> link;
  Ref<IPersistFile> file;
  CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, reinterpret_cast<void**>(&link.p));
  link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p));
  WCHAR wide[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
  if (FAILED(file->Load(wide, STGM_READ))) return "unreadable";
  char target[MAX_PATH] = "", arguments[1024] = "", description[1024] = "", icon[MAX_PATH] = "";
  int number = -1;
  link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
  link->GetArguments(arguments, sizeof arguments);
  link->GetDescription(description, sizeof description);
  link->GetIconLocation(icon, MAX_PATH, &number);
  return std::string(target) + "|" + arguments + "|" + description + "|" + icon + "," + std::to_string(number);
}

// A drop handle as the shell makes one, for files named in the ANSI code page.
HDROP DropOf(const std::vector<std::string>& paths) {
  std::string names;
  for (const std::string& p : paths) names.append(p).push_back('\0');
  names.push_back('\0');
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size());
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size());
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

// Files whose write fails half way: what a disk that runs full or a share
// that goes away do to a save.
DWORD failure = 0;
BOOL WINAPI FailingWrite(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED) {
  WriteFile(file, data, size / 2, written, nullptr);
  if (failure == ERROR_DISK_FULL) return TRUE;  // short, and no error set
  SetLastError(failure);
  return FALSE;
}

class FilesTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    quickLaunch_ = Path("AppData\\Microsoft\\Internet Explorer\\Quick Launch\\");
    SHCreateDirectoryExA(nullptr, quickLaunch_.c_str(), nullptr);
    CreateDirectoryA(Path("Desktop").c_str(), nullptr);
    SetValue(kShellFolders, "AppData", Path("AppData"));
    SetValue(kShellFolders, "Desktop", Path("Desktop"));
  }
  void TearDown() override {
    base::SetFileWriter(nullptr);
    EditorTest::TearDown();
  }
  // A command as the menu bar or a shortcut key gives it.
  void Command(TMenuItem* entry) { SendMessageA(form->Handle(), WM_COMMAND, entry->Command(), 0); }
  // A toolbar button's click, as the toolbar reports it.
  void ToolbarClick(int index) {
    HWND bar = form->ToolBar1->Handle();
    TBBUTTON button{};
    ASSERT_TRUE(SendMessageA(bar, TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&button)));
    SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(button.idCommand, BN_CLICKED), reinterpret_cast<LPARAM>(bar));
  }
  // Answers the next file dialogs with these paths ("" cancels), and keeps
  // what each offered.
  void Choose(std::vector<std::string> paths) {
    chooser = [this, paths](TComponent& dialog) mutable {
      auto& files = dynamic_cast<TOpenDialog&>(dialog);
      offered.emplace_back(files);
      if (paths.empty()) {
        ADD_FAILURE() << "an unexpected dialog";
        return false;
      }
      const std::string pick = paths.front();
      paths.erase(paths.begin());
      files.FileName = pick.empty() ? files.FileName : pick;
      return !pick.empty();
    };
  }
  std::string Commands() {
    return std::string(form->MainMenu_IT->Enabled() ? "T" : "-") + (form->MainMenu_ID->Enabled() ? "D" : "-");
  }

  struct Offer {
    Offer(const TOpenDialog& d)
        : save(dynamic_cast<const TSaveDialog*>(&d) != nullptr), filter(utf8(d.Filter)), title(utf8(d.Title)),
          fileName(d.FileName), options(d.Options) {}
    bool save;
    std::string filter, title, fileName;
    unsigned options;
  };
  std::vector<Offer> offered;
  std::string quickLaunch_;
};

}  // namespace

TEST_F(FilesTest, SettingsStartFromTheEditorsFolderAndAreWrittenOnEveryClose) {
  const std::string folder = ExtractFilePath(GetModuleFileNameString());
  EXPECT_EQ(form->Subject->MenuFile, folder + "*.*");
  EXPECT_EQ(form->Subject->ExePath, folder + "*.exe");
  EXPECT_EQ(form->cmbbEditorPosition->ItemIndex(), 0);
  EXPECT_EQ(Value(kSettings, "MenuFile"), "-") << "nothing written before the close";
  Choose({""});
  ToolbarClick(2);  // Open
  ASSERT_EQ(offered.size(), 1u);
  EXPECT_EQ(offered[0].fileName, folder + "*.*");
  EXPECT_EQ(offered[0].filter, "メニュー情報ファイル（*.*）|*.*");
  EXPECT_EQ(offered[0].title, "メニュー情報ファイルを開く");
  Command(form->MainMenu_FX);
  EXPECT_EQ(Value(kSettings, "MenuFile"), folder + "*.*");
  EXPECT_EQ(Value(kSettings, "ExePath"), folder + "*.exe");
  EXPECT_EQ(Value(kLauncher, "EditorPosition"), "bottom");

  // The position is read letter for letter, as the launcher reads it.
  for (const auto& [stored, position, written] : {std::tuple{"top", 1, "top"}, {"Top", 2, "none"}, {"", 2, "none"}}) {
    SetValue(kLauncher, "EditorPosition", stored);
    NewForm();
    Start();
    EXPECT_EQ(form->cmbbEditorPosition->ItemIndex(), position) << stored;
    form->Close();
    EXPECT_EQ(Value(kLauncher, "EditorPosition"), written) << stored;
  }

  // What the user chose is remembered; an editor ended by a failed start
  // writes nothing.
  SetValue(kSettings, "MenuFile", "C:\\menus\\a.txt");
  NewForm();
  Start(Path("missing.txt"));
  EXPECT_EQ(form->Subject->MenuFile, "C:\\menus\\a.txt");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(utf8(boxes[0].text), "メニュー情報ファイルがヘンです～。");
  EXPECT_TRUE(app->Terminated());
  form->cmbbEditorPosition->SetItemIndex(1);
  form->Close();
  EXPECT_EQ(Value(kLauncher, "EditorPosition"), "none");
}

TEST_F(FilesTest, NewThenSaveWritesTheEmptyMenuToTheOpenFileAndAnEmptyFileOpensEmpty) {
  EXPECT_EQ(Commands(), "--") << "no file yet";
  const std::string file = WriteMenu("menu.txt", "A\r\na.exe\r\nB\r\nb.exe\r\n");
  Choose({file});
  Command(form->MainMenu_FO);
  EXPECT_EQ(Shape(), "A, B");
  EXPECT_EQ(form->Subject->FileName, file);
  EXPECT_EQ(form->Subject->MenuFile, file);
  EXPECT_EQ(Commands(), "TD");
  Tree().SetSelected(Find("B"));

  ToolbarClick(0);  // New
  EXPECT_EQ(Nodes().Count(), 0);
  EXPECT_EQ(form->CurrentNode, nullptr);
  EXPECT_EQ(form->editItemName->Text(), "") << "the panel is reset";
  EXPECT_FALSE(form->editItemName->Enabled());
  EXPECT_EQ(form->ilstLaunch->Count(), 0);
  EXPECT_EQ(Commands(), "TD");
  Command(form->MainMenu_FSS);
  EXPECT_EQ(ReadUtf8(file), "") << "saved without a dialog";
  EXPECT_EQ(offered.size(), 1u);

  // An empty file is a new menu, at start-up as after Open.
  Choose({file});
  Command(form->MainMenu_FO);
  EXPECT_EQ(offered[1].fileName, file) << "the dialog starts on the open file";
  NewForm();
  Start(file);
  EXPECT_EQ(Nodes().Count(), 0);
  EXPECT_TRUE(boxes.empty());
  EXPECT_FALSE(app->Terminated());
  form->pmnuTreeView_SClick(nullptr);
  Command(form->MainMenu_FSS);
  EXPECT_EQ(ReadUtf8(file), "\r\n\r\n");

  // A file that cannot be read: the error box, and the editor goes on.
  Choose({Path("gone.txt")});
  Command(form->MainMenu_FO);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, sjis("Ostrevan メニューエディタ"));
  EXPECT_FALSE(app->Terminated());
}

TEST_F(FilesTest, SaveWithoutANameAsksForOneAndCancelChangesNothing) {
  form->pmnuTreeView_SClick(nullptr);
  Choose({"", Path("named.txt"), Path("other.txt")});
  Command(form->MainMenu_FSS);
  ASSERT_EQ(offered.size(), 1u);
  EXPECT_TRUE(offered[0].save);
  EXPECT_EQ(offered[0].filter, "メニュー情報ファイル（*.*）|*.*");
  EXPECT_EQ(offered[0].title, "メニュー情報ファイルを保存");
  EXPECT_EQ(offered[0].fileName, "");
  EXPECT_EQ(offered[0].options, unsigned(ofHideReadOnly | ofEnableSizing)) << "no question before replacing";
  EXPECT_EQ(form->Subject->FileName, "");
  EXPECT_EQ(Commands(), "--");

  ToolbarClick(3);  // Save
  EXPECT_EQ(form->Subject->FileName, Path("named.txt"));
  EXPECT_EQ(ReadUtf8(Path("named.txt")), "\r\n\r\n");
  EXPECT_EQ(Commands(), "TD");
  Command(form->MainMenu_FSA);
  EXPECT_EQ(ReadUtf8(Path("other.txt")), "\r\n\r\n");
  EXPECT_EQ(offered.size(), 3u);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(FilesTest, AFailedSaveLeavesTheFileWholeAndReportsItsCauseOnce) {
  const std::string file = WriteMenu("menu.txt", "A\r\na.exe\r\n");
  form->Subject->FileName = file;
  form->pmnuTreeView_SClick(nullptr);
  const struct {
    DWORD failure;
    bool readOnly;
    DWORD cause;
  } cases[] = {{0, true, ERROR_ACCESS_DENIED}, {ERROR_NETNAME_DELETED, false, ERROR_NETNAME_DELETED},
               {ERROR_DISK_FULL, false, ERROR_DISK_FULL}};
  for (const auto& c : cases) {
    boxes.clear();
    failure = c.failure;
    base::SetFileWriter(c.failure ? FailingWrite : nullptr);
    SetFileAttributesA(file.c_str(), c.readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
    Command(form->MainMenu_FSS);
    EXPECT_EQ(ReadUtf8(file), "A\r\na.exe\r\n") << c.cause;
    ASSERT_EQ(boxes.size(), 1u) << c.cause;
    EXPECT_EQ(boxes[0].text, file + ": " + base::SystemErrorText(c.cause));
    EXPECT_EQ(boxes[0].caption, sjis("Ostrevan メニューエディタ"));
  }
  WIN32_FIND_DATAA found;
  EXPECT_EQ(FindFirstFileA(Path("*.new").c_str(), &found), INVALID_HANDLE_VALUE) << "nothing left beside it";

  base::SetFileWriter(nullptr);
  SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
  Command(form->MainMenu_FSS);
  EXPECT_EQ(ReadUtf8(file), "\r\n\r\n");
  EXPECT_EQ(GetFileAttributesA(file.c_str()), DWORD(FILE_ATTRIBUTE_ARCHIVE)) << "the launcher's sign to build again";
}

TEST_F(FilesTest, ALauncherReadingDuringSavesSeesTheOldOrTheNewMenuWhole) {
  std::vector<std::string> big, small;
  for (int i = 0; i < 2000; ++i) big.insert(big.end(), {"entry " + std::to_string(i), "C:\\tools\\program.exe"});
  small.assign(big.begin(), big.begin() + 1000);
  const std::string file = Path("menu.txt");
  base::SaveLines(file, big);
  std::atomic<bool> saving{true};
  std::atomic<int> reads{0}, torn{0};
  std::thread launcher([&] {
    for (; saving; Sleep(1)) {
      try {
        const size_t lines = base::LoadLines(file).size();  // as the launcher reads it
        torn += lines != big.size() && lines != small.size();
        ++reads;
      } catch (const std::exception&) {
        ++torn;
      }
    }
  });
  int failed = 0;
  for (int round = 0; round < 40; ++round) {
    try {
      base::SaveLines(file, round % 2 ? big : small);  // as the document saves it
    } catch (const std::exception&) {
      ++failed;
    }
  }
  saving = false;
  launcher.join();
  EXPECT_GT(reads, 0);
  EXPECT_EQ(torn, 0);
  EXPECT_EQ(failed, 0) << "a reader holds the file only for a moment";
}

TEST_F(FilesTest, DroppedFilesAndShortcutsBecomeItemsWhereAddItemPutsThem) {
  EXPECT_TRUE(GetWindowLongA(form->Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  Load(WriteMenu("menu.txt", "A\r\na.exe\r\nB\r\nb.exe\r\n"));
  Tree().SetSelected(Find("B"));
  const std::string program = Path("Long Folder Name\\Program Name.exe");
  CreateDirectoryA(Path("Long Folder Name").c_str(), nullptr);
  ASSERT_TRUE(CopyFileA((ExtractFilePath(GetModuleFileNameString()) + "Ostrevan.exe").c_str(), program.c_str(), FALSE));
  // The shell hands out the target's short form (Wine the long one): either
  // names the program.
  auto shortForm = [](const std::string& path) {
    char found[MAX_PATH] = "";
    GetShortPathNameA(path.c_str(), found, MAX_PATH);
    return std::string(found);
  };
  WriteLink(Path("Notepad.lnk"), program, "-x \"a b.txt\"", "C:\\Work");
  ASSERT_TRUE(CopyFileA(Path("Notepad.lnk").c_str(), Path("TOOL.LNK").c_str(), FALSE));
  WriteMenu("Report.Final.doc", "report");

  auto drop = [&](const std::vector<std::string>& paths) {
    HDROP handle = DropOf(paths);
    SendMessageA(form->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(handle), 0);
    EXPECT_EQ(GlobalSize(handle), 0u) << "the drop is let go";
  };
  drop({Path("Notepad.lnk")});
  drop({Path("Report.Final.doc"), Path("Notepad.lnk")});
  drop({Path("TOOL.LNK")});
  EXPECT_EQ(Shape(), "A, Notepad, Report.Final, TOOL, B");
  EXPECT_EQ(Tree().Selected(), Find("B")) << "not selected";
  EXPECT_FALSE(Tree().IsEditing());
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(utf8(boxes[0].text), "同時には、一つのファイルしか取り込めません。");
  EXPECT_EQ(utf8(boxes[0].caption), "情報");
  EXPECT_EQ(boxes[0].flags, UINT(MB_ICONINFORMATION | MB_OK));

  for (const char* name : {"Notepad", "TOOL"}) {
    const TRecord* link = RecordFor(name);
    EXPECT_EQ(shortForm(link->ExeName), shortForm(program)) << name;
    EXPECT_EQ(link->CmdLine, "-x \"a b.txt\"");
    EXPECT_EQ(link->WorkFolder, "C:\\Work");
    EXPECT_EQ(link->Kind, menufile::EntryKind::Item);
    EXPECT_EQ(NodePicture(*form, Find(name)), FilePicture(program, 0));
  }
  const TRecord* document = RecordFor("Report.Final");
  EXPECT_EQ(document->ExeName, Path("Report.Final.doc"));
  EXPECT_EQ(document->CmdLine + document->WorkFolder + document->IconFileName, "");
  EXPECT_EQ(Find("Report.Final")->ImageIndex(), -1) << "a document without icons shows none";
}

TEST_F(FilesTest, ShortcutsStartTheLauncherBesideTheEditorOnTheQuotedFile) {
  // The menu on drive D:, which the prefix gets for this test.
  using Spawn = LONG(WINAPI*)(char* const argv[], int wait);
  using UnixName = char*(CDECL*)(LPCWSTR);
  const auto spawn = reinterpret_cast<Spawn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "__wine_unix_spawnvp")));
  const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!spawn || !unixName || GetDriveTypeA("D:\\") != DRIVE_NO_ROOT_DIR) GTEST_SKIP() << "no free drive D: to map";
  const std::string folder = Path("");
  std::string devices = unixName(L"C:\\"), drive = unixName(std::wstring(folder.begin(), folder.end()).c_str());
  devices.replace(devices.size() - 3, 3, "d:");
  char ln[] = "ln", rm[] = "rm", options[] = "-s";
  char* mapDrive[] = {ln, options, drive.data(), devices.data(), nullptr};
  char* unmapDrive[] = {rm, devices.data(), nullptr};
  ASSERT_EQ(spawn(mapDrive, TRUE), 0);
  CreateDirectoryA("D:\\My Menus", nullptr);
  const std::string file = "D:\\My Menus\\tools.txt";
  std::ofstream(file) << "A\r\na.exe\r\n";

  Choose({file, ""});
  Command(form->MainMenu_FO);
  const std::string launcher = ExtractFilePath(GetModuleFileNameString()) + "Ostrevan.exe";
  const std::string expected = launcher + "|\"D:\\My Menus\\tools.txt\"|tools|" + launcher + ",6";
  for (auto [command, lnk] : {std::pair{form->MainMenu_IT, quickLaunch_ + "tools.lnk"}, {form->MainMenu_ID, Path("Desktop\\tools.lnk")}}) {
    answer = IDCANCEL;
    boxes.clear();
    Command(command);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, sjis("確認"));
    EXPECT_EQ(boxes[0].flags, UINT(MB_OKCANCEL | MB_ICONQUESTION));
    EXPECT_EQ(ReadLink(lnk), "no shortcut") << "cancelled";
    answer = IDOK;
    Command(command);
    EXPECT_EQ(ReadLink(lnk), expected);
  }
  EXPECT_EQ(utf8(boxes[0].text), "デスクトップにショートカットを作成します。");
  spawn(unmapDrive, TRUE);

  // Several dots: the last extension goes. Without AppData the toolbar
  // command is unusable; without Desktop the command says so.
  form->Subject->FileName = Path("my.menu.txt");
  RegDeleteKeyValueA(HKEY_CURRENT_USER, kShellFolders, "AppData");
  Command(form->MainMenu_FSS);
  EXPECT_EQ(Commands(), "-D");
  Command(form->MainMenu_ID);
  EXPECT_EQ(ReadLink(Path("Desktop\\my.menu.lnk")).substr(launcher.size()), "|\"" + Path("my.menu.txt") + "\"|my.menu|" + launcher + ",6");
  SetValue(kShellFolders, "Desktop", "");
  boxes.clear();
  Command(form->MainMenu_ID);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(utf8(boxes[0].text), "デスクトップのフォルダが分からないため、ショートカットを作成できません。");
  EXPECT_EQ(boxes[0].caption, sjis("警告"));

  // A shortcut that cannot be written is reported.
  SetValue(kShellFolders, "Desktop", Path("no such folder"));
  boxes.clear();
  Command(form->MainMenu_ID);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].caption, sjis("Ostrevan メニューエディタ"));
  EXPECT_NE(boxes[1].text.find(Path("no such folder\\my.menu.lnk")), std::string::npos) << utf8(boxes[1].text);
}
