#include "unitMain.h"

#include <map>
#include <optional>
#include <stdexcept>
#include <utility>

#include "MenuCache.h"
#include "MenuFile.h"
#include "Registry.h"
#include "ShellApi.h"
#include "ShellMenu.h"
#include "StartupTrace.h"
#include "SysUtils.h"
#include "Text.h"

using namespace gui;

TformMain* formMain = nullptr;

namespace {

const char kWarning[] = "警告";
const char kEditorCaption[] = "メニューエディタ";

// A caption longer than this is shown cut short, so that the popup stays on
// the screen (and within what the system's menus can draw); the file keeps
// the whole name.
constexpr size_t kMaxCaptionBytes = 60;

// Gives each entry the image of its icon in the menu's image list, taken
// from its file at the list's size. Each distinct picture is extracted,
// converted and added once, and every entry that shows it shares that
// image: a menu of a hundred programs from one folder opens each program
// file once and holds a handful of images.
class IconPlacer {
 public:
  IconPlacer(TImageList& list, const menufile::MenuNames& names) : list_(list), names_(names), shell_(list) {}

  // The image of the icon an entry shows (IconOf, names as written).
  int Of(const menufile::EntryIcon& written) {
    const menufile::EntryIcon icon = names_.Resolved(written);
    int image = icon.Location.empty() ? -1 : Shell(icon.Location);
    if (image < 0 && !icon.File.empty()) image = shell_.IconImage(AnsiToWide(icon.File), icon.Index);
    // A document, a folder, a shell location: what Explorer shows for it.
    // The shell is loaded only for such an entry: a program without icons
    // shows the launcher's page, as Explorer shows its own blank program.
    if (image < 0 && icon.FileIsTarget && !menufile::IsProgramName(icon.File) && names_.IsThere(icon.File)) image = Shell(icon.File);
    if (image < 0 && icon.Fallback != menufile::kNoIcon) image = Launcher(icon.Fallback);
    return image;
  }

  int Launcher(int n) {
    auto it = launcher_.find(n);
    if (it != launcher_.end()) return it->second;
    const TIcon icon = LauncherIcon(n, list_.Width());
    if (icon.Empty()) throw Exception("ランチャのアイコンを取り出せません。");
    return launcher_[n] = list_.AddIcon(icon);
  }

 private:
  // Asked once per name: the shell reads the file (some ms each).
  int Shell(const std::string& name) {
    auto [it, fresh] = shellImages_.try_emplace(name, -1);
    if (fresh) it->second = shell_.FileImage(AnsiToWide(name));
    return it->second;
  }

  TImageList& list_;
  const menufile::MenuNames& names_;
  // The files' icons and the shell's pictures, in one store: a program
  // named both as an icon file and as a target is read once.
  TShellIcons shell_;
  std::map<int, int> launcher_;
  std::map<std::string, int> shellImages_;
};

// The pick the popup has just posted, carried out as the message loop would.
void CarryOutPick() {
  MSG msg;
  while (PeekMessageA(&msg, Application->Handle(), WM_MENU_PICK, WM_MENU_PICK, PM_REMOVE))
    Application->ProcessMessage(msg);
}

// Waits, a little, until the program a pick started (if any) is ready for
// input and the window in front has had its way with the window system, so
// that the popup brought back after the pick takes the front from it and
// is not covered by it.
void WaitUntilReady(HANDLE started) {
  if (started) WaitForInputIdle(started, 5000);
  // Once the front window's program has answered a message, what it asked of
  // the window system has left it.
  const HWND front = GetForegroundWindow();
  DWORD pid = 0;
  GetWindowThreadProcessId(front, &pid);
  DWORD_PTR answer;
  if (front && pid != GetCurrentProcessId())
    SendMessageTimeoutA(front, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer);
}

void Warn(const std::string& text) {
  Application->MessageBox(text, kWarning, MB_ICONSTOP | MB_OK);
}

// The text cut short after `maxBytes` bytes (never inside a character).
std::string Shortened(const std::string& text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  size_t end = 0;
  for (;;) {
    const size_t len = base::CharLength(text, end);
    if (end + len > maxBytes) break;
    end += len;
  }
  return text.substr(0, end) + "…";
}

std::string ShownCaption(const std::string& name) { return Shortened(name, kMaxCaptionBytes); }

size_t Characters(const std::string& text) { return AnsiToWide(text).size(); }

// A scheme before a colon ("http:", "mailto:", "shell:"), not a drive letter.
bool IsUrl(const std::string& target) {
  auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  auto schemeChar = [&](char c) { return letter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'; };
  size_t i = 0;
  while (i < target.size() && schemeChar(target[i])) ++i;
  return i >= 2 && letter(target[0]) && i < target.size() && target[i] == ':';
}

// Why the system cannot start this at all; empty when it can be asked to.
// Windows refuses a start in a folder that is not there, where the shell
// under Wine would start the program in the launcher's own folder; and a
// name longer than the system takes is refused here rather than handed on
// (the shell under Wine fails inside on one).
std::string WhyNotStartable(const std::string& file, const std::string& parameters, const std::string& folder) {
  const size_t limit = IsUrl(file) ? 2083 : MAX_PATH - 1;  // the longest address a browser takes
  if (Characters(file) > limit || Characters(folder) > MAX_PATH - 1 ||
      Characters(file) + Characters(parameters) + 3 > 32767)
    return base::SystemErrorText(ERROR_FILENAME_EXCED_RANGE);
  if (!folder.empty()) {
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
      return "作業フォルダ「" + Shortened(folder, 200) + "」がありません。";
  }
  return {};
}

// Asks the shell to open what a pick names (as administrator: its "runas"),
// keeping the program it started in `started`. A target it cannot start is
// reported, by `name` and with the system's reason; the user's own refusal
// of the elevation prompt is none. The pick itself goes on.
void Open(const std::string& file, const std::string& parameters, const std::string& folder, int show,
          const std::string& name, bool asAdministrator, base::KernelHandle& started) {
  std::string cannot = WhyNotStartable(file, parameters, folder);
  if (cannot.empty() && asAdministrator) {
    const DWORD error = ShellExecuteWide(Application->Handle(), L"runas", AnsiToWide(file), AnsiToWide(parameters),
                                         AnsiToWide(folder), show, &started);
    if (error == ERROR_SUCCESS || error == ERROR_CANCELLED) return;
    cannot = base::SystemErrorText(error);
  }
  const INT_PTR result =
      cannot.empty() ? ShellExecute(Application->Handle(), "open", file, parameters, folder, show, &started) : 0;
  if (result <= 32)
    Warn("「" + Shortened(name, 200) + "」を開けません。\n" + (cannot.empty() ? ShellExecuteErrorText(result) : cannot));
}

std::string Quoted(const std::string& text) {
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted += '"';
  quoted += text;
  quoted += '"';
  return quoted;
}

int ShowStateFor(int32_t windowState) {
  switch (windowState) {
    case menufile::wsMinimized:
      return SW_SHOWMINIMIZED;
    case menufile::wsMaximized:
      return SW_SHOWMAXIMIZED;
    default:
      return SW_SHOW;
  }
}

}  // namespace

TIcon LauncherIcon(int n, int size) {
  static const char* const kGroups[] = {"MAINICON", "Z00", "Z01", "Z02", "Z10", "Z20", "ZZZ"};
  if (n < 0 || n >= int(std::size(kGroups))) return TIcon();
  // The program's own icon groups, the same ones the shell numbers 0 to 6 in
  // its program file, without loading the shell to get them.
  return ProgramIconAt(kGroups[n], size);
}

TformMain::TformMain(TComponent* AOwner) : TForm(AOwner) {
  SetCaption("Morvath Ostrevan のバージョン情報");
  SetBorderStyle(bsDialog);
  SetBorderIcons(0);
  SetColor(clBtnFace);
  Font.SetName("ＭＳ Ｐゴシック");
  Font.SetCharset(SHIFTJIS_CHARSET);
  Font.SetHeight(12);
  SetBounds(315, 101, 0, 0);
  SetClientSize(506, 65);

  bttnOk = new TButton(this);
  bttnOk->Name = "bttnOk";
  bttnOk->SetParent(this);
  bttnOk->SetBounds(412, 4, 93, 21);
  bttnOk->SetCaption("OK");
  bttnOk->SetDefault(true);
  bttnOk->Anchors = akTop | akRight;
  bttnOk->OnClick = [this](TObject* s) { bttnOkClick(s); };

  Panel1 = new TPanel(this);
  Panel1->Name = "Panel1";
  Panel1->SetParent(this);
  Panel1->SetBounds(4, 4, 405, 57);
  Panel1->SetBevelInner(bvRaised);
  Panel1->SetBevelOuter(bvLowered);

  Label1 = new TLabel(this);
  Label1->Name = "Label1";
  Label1->SetParent(Panel1);
  Label1->SetBounds(56, 8, 193, 22);
  Label1->SetCaption("Morvath Ostrevan 1.3");
  Label1->SetParentFont(false);
  Label1->Font.SetName("Arial");
  Label1->Font.SetCharset(ANSI_CHARSET);
  Label1->Font.SetHeight(19);
  Label1->Font.SetColor(clBlack);
  Label1->SetTransparent(true);

  Label2 = new TLabel(this);
  Label2->Name = "Label2";
  Label2->SetParent(Panel1);
  Label2->SetBounds(260, 12, 58, 16);
  Label2->SetCaption("Release 4");
  Label2->SetParentFont(false);
  Label2->Font.SetName("Arial");
  Label2->Font.SetCharset(ANSI_CHARSET);
  Label2->Font.SetHeight(13);
  Label2->SetTransparent(true);

  Image1 = new TImage(this);
  Image1->Name = "Image1";
  Image1->SetParent(Panel1);
  Image1->SetBounds(12, 12, 32, 32);

  bttnCreateShortCut = new TButton(this);
  bttnCreateShortCut->Name = "bttnCreateShortCut";
  bttnCreateShortCut->SetParent(this);
  bttnCreateShortCut->SetBounds(412, 28, 93, 21);
  bttnCreateShortCut->SetCaption(kEditorCaption);
  bttnCreateShortCut->Anchors = akTop | akRight;
  // Fonts differ from system to system: the caption is shown whole.
  bttnCreateShortCut->SetGrowToCaption(true);
  bttnCreateShortCut->OnClick = [this](TObject* s) { bttnCreateShortCutClick(s); };

  pmnuLaunch = new TPopupMenu(this);
  pmnuLaunch->Name = "pmnuLaunch";
  pmnuLaunch->AutoPopup = false;

  ilstLaunch = new TImageList(this);
  ilstLaunch->Name = "ilstLaunch";
  pmnuLaunch->SetImages(ilstLaunch);

  OnCreate = [this](TObject* s) { FormCreate(s); };
  OnPaint = [this](TObject* s) { FormPaint(s); };

  MenuFileName = ParamStr(1);
}

void TformMain::FormCreate(TObject*) {
  StartupStep("form made");
  if (MenuFileName.empty()) {
    // The picture is loaded only for the version window: the popup, the
    // usual case, never shows it.
    versionWindow_ = true;
    ShowProgramIcon();
    SetBounds((Screen->Width() - Width()) / 2, (Screen->Height() - Height()) / 2, Width(), Height());
    Show();
    return;
  }
  // Taken before the file is read: a save during the build then makes the
  // next start build again. It also says whether there is a file at all.
  const MenuFileStamp stamp = StampOf(MenuFileName);
  if (stamp.attributes == INVALID_FILE_ATTRIBUTES || (stamp.attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    Warn("指定されたメニュー情報ファイルが見つかりません～。");
    Application->Terminate();
    return;
  }

  // The popup's keys come to a window of ours on the screen, whoever had
  // them before; should none be made, the popup still takes the mouse. It
  // stands where the popup opens, so its DPI is that screen's: the icons
  // are drawn for it, and a cache made for another size is made anew.
  POINT cursor{};
  GetCursorPos(&cursor);
  std::optional<TPopupOwner> owner;
  try {
    owner.emplace(cursor);
  } catch (const Exception&) {
  }
  const int iconSize = SmallIconSize(owner ? WindowDpi(owner->Handle()) : SystemDpi());
  ilstLaunch->SetSize(iconSize, iconSize);
  popupOwner_ = owner ? owner->Handle() : nullptr;
  StartupStep("popup owner");

  try {
    MenuLines = base::LoadLines(MenuFileName);
  } catch (const std::exception&) {
    Warn("メニュー情報ファイルがヘンです～。");
    Application->Terminate();
    return;
  }
  stamp_ = stamp;
  stamp_.names = NamesKeyOf(MenuFileName, MenuLines);
  StartupStep("menu file read");

  // A save while the popup's owner was made may have given the lines read
  // another text than the one the cache was made for.
  const MenuFileStamp afterRead = StampOf(MenuFileName);
  const bool savedMeanwhile = afterRead.size != stamp.size || afterRead.lastWrite != stamp.lastWrite;
  const bool fromCache = !savedMeanwhile && ReadMenuCache(MenuFileName, stamp_, *ilstLaunch, ImageOfEntry);
  StartupStep(fromCache ? "cache read" : "no current cache");

  try {
    if (!BuildLaunchMenu(fromCache)) return;
  } catch (const Exception& e) {
    // The component layer's failures are the system refusing the popup, not
    // a fault of the file.
    Warn("メニューを表示できません。\n" + e.Message());
    Application->Terminate();
    return;
  } catch (const std::exception&) {
    Warn("メニュー情報ファイルがヘンです～。");
    Application->Terminate();
    return;
  }

  // Where the pointer is once the menu is made.
  const POINT atStart = cursor;
  GetCursorPos(&cursor);
  if (owner) {
    if (cursor.x != atStart.x || cursor.y != atStart.y) {
      owner->MoveTo(cursor);
      // The icons are drawn for the screen the popup was to open on.
      if (SmallIconSize(WindowDpi(owner->Handle())) != iconSize) owner->MoveTo(cursor = atStart);
    }
    owner->TakeForeground();
  } else {
    SetForegroundWindow(Application->Handle());
  }
  StartupStep("foreground");
  // Never past the left edge of the pointer's screen, which for a screen
  // left of the main one is not at 0: the popup would open on another.
  MONITORINFO screen{};
  screen.cbSize = sizeof screen;
  GetMonitorInfoA(MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST), &screen);
  const int x = int(std::max(cursor.x - 50, screen.rcMonitor.left));
  const int y = cursor.y;

  // In build mode the cache is written once the popup is on the screen: a
  // timer's tick comes only when the popup's own loop has nothing else to do.
  // A popup closed before that writes it after.
  cachePending_ = !fromCache;
  TTimer afterShow(nullptr);
  if (cachePending_) {
    afterShow.OnTimer = [&](TObject*) {
      afterShow.SetEnabled(false);
      WriteCacheOnce();
    };
    afterShow.SetInterval(1);
  }

  // Ctrl+Shift at a pick starts it as administrator, and ends the popup.
  const auto adminPick = [this] { return AsAdministrator = GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_SHIFT) < 0; };
  try {
    bool picked = pmnuLaunch->Popup(x, y, popupOwner_);
    pmnuLaunch->Animate = false;
    // Shift held at a pick brings the popup back for the next one, once the
    // pick is carried out and what it started is ready, in front of that.
    // A popup closed without a pick (Escape, a click elsewhere, another
    // window taking the foreground) is the end.
    while (picked && GetKeyState(VK_SHIFT) < 0 && !adminPick()) {
      CarryOutPick();
      WaitUntilReady(Started.Handle());
      Started.SetHandle(nullptr);
      // Under Wine the started program's request for the X focus can reach
      // the X server after ours, however long we waited: Wine then makes the
      // desktop the foreground window and ends the popup at once. Then it is
      // shown again, a few times at most.
      for (int tries = 1;; ++tries) {
        // Wine stamps a request for the X focus with a clock that lags the X
        // server's (by some 16 ms, more on a busy machine), and X ignores a
        // request older than its last change of focus: one made sooner after
        // the other program's would be lost, and the popup would get no key.
        Sleep(tries == 1 ? 50 : 250);
        if (owner) owner->TakeForeground();
        picked = pmnuLaunch->Popup(x, y, popupOwner_);
        if (picked || tries == 3 || GetForegroundWindow() != GetDesktopWindow()) break;
      }
    }
  } catch (const Exception& e) {
    Warn("メニューを表示できません。\n" + e.Message());
  }
  WriteCacheOnce();

  SetLeft(-5000);
  Application->Terminate();
}

void TformMain::WriteCacheOnce() {
  if (!std::exchange(cachePending_, false)) return;
  WriteMenuCache(MenuFileName, stamp_, *ilstLaunch, ImageOfEntry);
  StartupStep("cache written");
}

bool TformMain::BuildLaunchMenu(bool fromCache) {
  const int count = int(MenuLines.size());
  if (count % 2 != 0) {
    Warn("メニューファイルの行数がおかしいです。");
    Application->Terminate();
    return false;
  }

  const size_t entries = size_t(count / 2);
  const menufile::RememberingFileSystem files;
  const menufile::MenuNames names(MenuFileName, files);
  IconPlacer icons(*ilstLaunch, names);
  // A cache made for this file names an image for every entry and the
  // editor's; one that does not leaves the entries without, and the editor's
  // icon is added.
  const bool editorCached = fromCache && ImageOfEntry.size() == entries + 1;
  if (!fromCache) ImageOfEntry.clear();
  ImageOfEntry.resize(entries + 1, -1);
  Entries.clear();
  entryItems_.clear();
  menufile::MenuReader reader(MenuLines, menufile::LevelRule::Launcher);
  for (menufile::MenuEntry entry; reader.Next(entry);) {
    const int k = reader.Index();
    auto* item = new TMenuItem(this);
    item->Name = "pmnuLaunch_" + IntToStr(k);
    item->Tag = k;
    // A separator shows no image.
    if (entry.Kind == menufile::EntryKind::Separator) {
      item->SetCaption("-");
    } else {
      item->SetCaption(ShownCaption(entry.ItemName));
      if (entry.Kind == menufile::EntryKind::Item) item->OnClick = [this](TObject* s) { LaunchItemClick(s); };
      if (!fromCache) ImageOfEntry[size_t(k)] = icons.Of(menufile::IconOf(entry, menufile::IconColumn::Launcher));
      item->SetImageIndex(ImageOfEntry[size_t(k)]);
    }
    // A submenu with a folder shows it, read when it opens.
    if (entry.Kind == menufile::EntryKind::Submenu && !entry.WorkFolder.empty()) {
      if (!folders_) {
        folders_ = std::make_unique<TFolderMenus>(this, ilstLaunch);
        folders_->OnPick = [this](TFolderMenuItem* picked) {
          OpenFolderEntry(picked->Path(), AsAdministrator, Started);
        };
      }
      folders_->Attach(item, AnsiToWide(names.Folder(entry.WorkFolder)));
      item->OnPopup = [this, fill = item->OnPopup](TObject* sender) {
        WriteCacheOnce();
        fill(sender);
      };
    }
    (entry.Parent < 0 ? pmnuLaunch->Items() : entryItems_[size_t(entry.Parent)])->Add(item);
    entryItems_.push_back(item);
    Entries.push_back(std::move(entry));
  }
  StartupStep("entries made");

  auto* separator = new TMenuItem(this);
  separator->Name = "pmnuLaunch_B";
  separator->SetCaption("-");

  auto* editor = new TMenuItem(this);
  editor->Name = "pmnuLaunch_L";
  editor->SetCaption(kEditorCaption);
  editor->OnClick = [this](TObject* s) { EditorItemClick(s); };
  if (!editorCached) ImageOfEntry[entries] = icons.Launcher(menufile::kEditorIcon);
  editor->SetImageIndex(ImageOfEntry[entries]);

  const std::string position =
      TRegIniFile(menufile::kLauncherKey).ReadString("", menufile::kEditorPositionValue, menufile::kEditorPositions[0]);
  TMenuItem* top = pmnuLaunch->Items();
  if (position == menufile::kEditorPositions[0]) {
    top->Add(separator);
    top->Add(editor);
  } else if (position == menufile::kEditorPositions[1]) {
    top->Insert(0, separator);
    top->Insert(0, editor);
  } else {
    delete separator;
    delete editor;
  }
  StartupStep("editor entry placed");
  pmnuLaunch->OnItemRightClick = [this](TMenuItem* item, POINT at) { return ItemRightClick(item, at); };

  // The system's menu is made now, so that a refusal is reported here.
  pmnuLaunch->Handle();
  StartupStep("system menu made");
  return true;
}

void TformMain::LaunchItemClick(TObject* Sender) {
  const size_t k = size_t(static_cast<TMenuItem*>(Sender)->Tag);
  const menufile::MenuEntry& entry = Entries[k];
  const menufile::MenuNames names(MenuFileName);
  const std::string program = names.Target(entry.ExeName);
  // An address or a shell location has no folder: "http:" is none, and the
  // start would be refused for its missing working folder.
  const bool located = IsUrl(program) || menufile::IsShellLocation(program);
  const std::string folder = !entry.WorkFolder.empty() ? names.Folder(entry.WorkFolder)
                             : located                 ? std::string()
                                                       : ExtractFilePath(program);
  // The editor lets users pick a minimised or maximised start; honour it.
  const int show = ShowStateFor(entry.WindowState);
  // A target line that names no program (an unclosed quote) is named whole.
  Open(program, names.Options(entry.CmdLine), folder, show,
       program.empty() ? std::string(menufile::Trim(MenuLines[2 * k + 1])) : program, AsAdministrator, Started);
}

void TformMain::EditorItemClick(TObject*) {
  const std::string editor = ExtractFilePath(GetModuleFileNameString()) + "Calvenor.exe";
  Open(Quoted(editor), Quoted(MenuFileName), "", SW_SHOW, editor, AsAdministrator, Started);
}

bool TformMain::ItemRightClick(TMenuItem* item, POINT at) {
  std::wstring target, parameters, folder;
  if (const auto* listed = dynamic_cast<const TFolderMenuItem*>(item)) {
    target = listed->Path();
  } else {
    // The entry's target as a pick starts it; a submenu's folder.
    const size_t k = size_t(item->Tag);
    if (k >= entryItems_.size() || entryItems_[k] != item) return false;  // the editor's entry
    const menufile::MenuEntry& entry = Entries[k];
    const menufile::MenuNames names(MenuFileName);
    std::string name;
    if (entry.Kind == menufile::EntryKind::Item) {
      name = names.Resolved(menufile::IconOf(entry, menufile::IconColumn::Launcher)).Location;
      if (name.empty()) {
        // Its commands start the program as a pick does: with its options,
        // in its working folder.
        name = names.Target(entry.ExeName);
        parameters = AnsiToWide(names.Options(entry.CmdLine));
        if (!entry.WorkFolder.empty()) folder = AnsiToWide(names.Folder(entry.WorkFolder));
      }
    } else if (entry.Kind == menufile::EntryKind::Submenu && !entry.WorkFolder.empty()) {
      name = names.Folder(entry.WorkFolder);
    }
    target = AnsiToWide(name);
    // The shell takes full paths only; an address or a location stays.
    if (!target.empty() && target.find(L':') == std::wstring::npos && target[0] != L'\\') {
      wchar_t full[MAX_PATH];
      const DWORD n = GetFullPathNameW(target.c_str(), MAX_PATH, full, nullptr);
      if (n > 0 && n < MAX_PATH) target = full;
    }
  }
  return !target.empty() &&
         ShowShellContextMenu(popupOwner_ ? popupOwner_ : Application->Handle(), target, at, parameters, folder);
}

void TformMain::FormPaint(TObject*) { ShowWindow(Application->Handle(), SW_HIDE); }

void TformMain::ShowProgramIcon() { Image1->SetIcon(LauncherIcon(menufile::kProgramIcon, Image1->Width())); }

void TformMain::DpiChanged() {
  TForm::DpiChanged();
  if (versionWindow_) ShowProgramIcon();
}

void TformMain::bttnOkClick(TObject*) { Close(); }

LRESULT TformMain::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  // Escape, as the dialog manager reports it (there is no Cancel button
  // with the system's number), does what OK does, as in any dialog.
  if (msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL && lParam == 0) {
    bttnOkClick(bttnOk);
    return 0;
  }
  return TForm::WndProc(msg, wParam, lParam);
}

void TformMain::bttnCreateShortCutClick(TObject*) {
  ShellExecute(Handle(), "open", "Calvenor.exe", "", "", SW_SHOW);
}
