// Drives the real programs under Wine the way a user would: starts them,
// finds their windows, answers their message boxes, picks from their popup
// menus, reads and clicks their tree views, and checks what they started.
//
// All text is in the programs' own code page (Shift-JIS): pass sjis("...")
// for Japanese captions. Failures throw e2e::Failure with a UTF-8 message
// that also lists the windows the processes had open, so a test that waits in
// vain says what was on the screen instead.
//
// What works under Wine and what does not, found by trying, is in README.md
// beside this file.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

using namespace std::chrono_literals;
using Duration = std::chrono::milliseconds;

struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Polls until pred() holds or the time is up; true when it held.
bool WaitUntil(const std::function<bool()>& pred, Duration timeout, Duration every = 20ms);

// ---- Files and command lines

// A file in the folder of the running test program (Probe.exe, the hook).
std::string BesideTest(const std::string& fileName);
// The Windows path for a host path such as CMake's $<TARGET_FILE:...>;
// Windows paths come back unchanged.
std::string DosPath(const std::string& path);
// One command-line argument, quoted the way the C runtime splits them.
std::string Quote(const std::string& arg);
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

// A new empty folder under %TEMP%, removed with its contents when destroyed.
class TempFolder {
 public:
  explicit TempFolder(const std::string& tag = "e2e");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// ---- Processes

using Environment = std::vector<std::pair<std::string, std::string>>;

// A started program with everything it starts in turn (one job object).
// Destroying it kills them all, so a failing test leaves nothing behind.
class Process {
 public:
  struct Options {
    std::string folder;      // working folder; empty: the test's
    Environment environment; // added to (or replacing in) the test's own
    std::optional<WORD> show;  // STARTUPINFO wShowWindow, if any
  };
  static Process Start(const std::string& commandLine, const Options& options);
  static Process Start(const std::string& commandLine) { return Start(commandLine, Options{}); }

  Process() = default;
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process();

  DWORD Id() const { return id_; }
  HANDLE Handle() const { return process_; }
  bool Running() const;
  // True once the program has ended, false on time-out.
  bool WaitExit(Duration timeout) const;
  // The exit code; throws if the program is still running.
  DWORD ExitCode() const;
  // Waits for the end and returns the exit code; throws on time-out.
  DWORD ExitCodeWithin(Duration timeout) const;
  // Ends the program and everything it started.
  void Kill();

 private:
  HANDLE process_ = nullptr;
  HANDLE job_ = nullptr;
  DWORD id_ = 0;
};

// Kills everything every live Process started (the watchdog uses it).
void KillAll();

// If the test outlives its limit: report the open windows, release held keys,
// kill every started program (so a modal window can't hold the test), mark
// the test failed, and if it still has not finished a few seconds later end
// the test program with exit code 3. Destroying the watchdog disarms it.
class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds limit, std::string what = "the test");
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;
  // Whether this watchdog has fired.
  bool Fired() const;

 private:
  struct State;
  State* state_;
};

// ---- Windows

std::string ClassName(HWND hwnd);
std::string Text(HWND hwnd);  // WM_GETTEXT, with a time-out against hung targets
void SetText(HWND hwnd, const std::string& text);  // as pasted: the control reports the change
DWORD ProcessOf(HWND hwnd);
DWORD ThreadOf(HWND hwnd);
int ControlId(HWND hwnd);
bool Visible(HWND hwnd);
RECT ScreenRect(HWND hwnd);

// Top-level windows of a process, top of the z-order first.
std::vector<HWND> TopWindows(DWORD pid);
// Waits for a visible top-level window of the process with that class
// (empty: any) and, if given, exactly that caption.
HWND WaitWindow(DWORD pid, const std::string& className,
                const std::optional<std::string>& caption = std::nullopt, Duration timeout = 10s);
// Waits until the window is gone or hidden.
void WaitGone(HWND hwnd, Duration timeout = 10s);
// Every window of the given processes with class, caption and visibility,
// as UTF-8 lines, for failure messages; and of every process a live
// Process started.
std::string DescribeWindows(const std::vector<DWORD>& pids);
std::string DescribeAllWindows();
// All descendants of a window, in depth-first order.
std::vector<HWND> Descendants(HWND parent);
// Waits for a descendant with that class (empty: any) and id (-1: any).
HWND WaitChild(HWND parent, const std::string& className, int id = -1, Duration timeout = 10s);


// Makes the window's thread the foreground one, as the user's click would.
void ForegroundWindow(HWND hwnd);

// ---- Message boxes and dialogs

struct MessageBoxView {
  HWND dialog = nullptr;
  std::string caption;
  std::string text;
  std::vector<std::pair<int, std::string>> buttons;  // id, text
};

// The next visible dialog (#32770) of the process with that caption (any if
// not given) and what it shows.
MessageBoxView WaitMessageBox(DWORD pid, const std::optional<std::string>& caption = std::nullopt,
                              Duration timeout = 10s);
// Presses a button of a dialog by its id (IDOK, IDCANCEL, IDYES, IDNO, ...).
void PressButton(HWND dialog, int id);

// ---- Keyboard and mouse

// The two routes don't mix: a target takes posted messages before hardware
// ones, so a key posted right after Input() can overtake it (and a Ctrl
// release still in the queue turns a posted Delete into Ctrl+Delete).
namespace Keyboard {
// Hardware-like keys (SendInput) for the foreground thread, as a user types.
// A chord holds the modifiers around the key: Input({VK_CONTROL, 'N'}).
void Input(std::initializer_list<UINT> chord);
void InputKeys(const std::vector<UINT>& keys);  // one key after the other
// Keys posted as WM_KEYDOWN/WM_KEYUP to one window: no foreground needed,
// but the target's GetKeyState sees no change.
void Post(HWND target, UINT vk);
void PostKeys(HWND target, const std::vector<UINT>& keys);
}  // namespace Keyboard

// Holds a key down (Shift, Ctrl) for the whole desktop until destroyed.
class HeldKey {
 public:
  explicit HeldKey(UINT vk);
  ~HeldKey();
  void Release();
  HeldKey(const HeldKey&) = delete;
  HeldKey& operator=(const HeldKey&) = delete;

 private:
  UINT vk_;
  bool down_ = false;
};
// Lets go of every modifier, in X and in Wine: a test killed while holding
// Shift must not leave it down for the next one.
void ReleaseModifiers();

// Mouse buttons posted at client coordinates of a window.
void Click(HWND hwnd, POINT client);
void RightClick(HWND hwnd, POINT client);

// A menu or accelerator command, posted as the menu would post it.
void PostCommand(HWND hwnd, int id);

// ---- Popup menus and menu bars

// Visible popup menu windows of the process, deepest submenu first.
std::vector<HWND> PopupMenus(DWORD pid);
// Waits until the process shows exactly `depth` popup levels (1: the popup,
// 2: with one submenu open, ...) and returns the deepest.
HWND WaitPopupMenu(DWORD pid, size_t depth = 1, Duration timeout = 10s);
// Keys for the open popup menu of the process, posted as WM_KEYDOWN/KEYUP
// to its first level, the one window that lasts as long as the menu: a key
// posted to a submenu that the key itself closes would take the next key
// down with it (see above).
void PostMenuKeys(DWORD pid, const std::vector<UINT>& keys);
// Waits for a popup shown anew after `previous` closed (a program that shows
// its popup again after a pick), and returns it.
HWND WaitNewPopupMenu(DWORD pid, HWND previous, Duration timeout = 10s);
// Moves the mouse pointer (where the launcher's popup will open).
void MovePointer(POINT screen);
// Waits until no popup of the process is visible.
void WaitNoPopupMenu(DWORD pid, Duration timeout = 10s);

struct MenuItem {
  enum Kind { Command, Separator, Submenu } kind = Command;
  std::string text;  // with the tab and accelerator text, as stored
  UINT id = 0;
  UINT state = 0;  // MFS_CHECKED, MFS_GRAYED, MFS_HILITE, MFS_DEFAULT
  std::vector<MenuItem> items;  // of a submenu
};
// The items of a visible popup menu window (with its submenus), read inside
// the target process.
std::vector<MenuItem> ReadPopupMenu(HWND popup);
// The menu bar of a top-level window.
std::vector<MenuItem> ReadMenuBar(HWND window);
// The command of a menu-bar entry, by the captions on the way to it.
UINT MenuBarCommand(HWND window, const std::vector<std::string>& path);
// The texts of a menu's items in order, separators as "-", for comparisons.
std::vector<std::string> Texts(const std::vector<MenuItem>& items);

// ---- Tree views of other processes

// The item `how` (TVGN_ROOT, TVGN_NEXT, TVGN_CHILD, TVGN_CARET) from `item`.
HTREEITEM TreeItem(HWND tree, UINT how, HTREEITEM item = nullptr);
// The middle of the item's caption in client coordinates, read inside the
// tree's process; throws when the item is not shown.
POINT TreeItemPoint(HWND tree, HTREEITEM item);

// ---- What Probe.exe recorded

struct ProbeRecord {
  std::map<std::string, std::string> values;  // unescaped
  std::string Get(const std::string& key) const;  // "" if missing
  std::string commandLine() const { return Get("cmdline"); }
  std::string arguments() const { return Get("args"); }  // raw, after the name
  std::vector<std::string> argv() const;                  // as the C runtime split them
  std::string folder() const { return Get("cwd"); }
  std::string module() const { return Get("module"); }
  int show() const;              // wShowWindow
};

// A probe log: a file name, the environment to pass it on, and its records.
class ProbeLog {
 public:
  // A log file (not yet there) in the folder.
  explicit ProbeLog(const std::string& folder);
  const std::string& Path() const { return path_; }
  // OSTREVAN_PROBE_LOG=path, to put into Process::Options::environment.
  std::pair<std::string, std::string> Variable() const;
  std::vector<ProbeRecord> Records() const;
  // Waits until at least n records are there and returns them all.
  std::vector<ProbeRecord> WaitRecords(size_t n, Duration timeout = 10s) const;
  // Checks that no more than n records come within the time.
  bool StaysAt(size_t n, Duration time) const;

 private:
  std::string path_;
};

// Probe.exe beside the tests.
std::string ProbePath();
// The Windows path of a program the test was registered with (add_e2e_test
// PROGRAMS, which passes it as E2E_PROGRAM_<target>), else of one beside
// the test program.
std::string Program(const std::string& target);

}  // namespace e2e
