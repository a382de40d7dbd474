// Drives the real programs under Wine the way a user would: starts them,
// finds their windows, answers their message boxes, picks from their popup
// menus, clicks their tree views, and checks what they started.
//
// All text is in the programs' own code page (Shift-JIS): pass sjis("...")
// for Japanese captions. Every wait is bounded; one in vain throws
// e2e::Failure naming what was awaited and the windows that were open
// instead. What works under Wine and what does not is in README.md.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <functional>
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

// Polls until pred() holds; false when the time ran out first.
bool WaitUntil(const std::function<bool()>& pred, Duration timeout = 10s);
// The same, failing with `what` and the open windows when the time runs out.
void Await(const std::function<bool()>& pred, const std::string& what, Duration timeout = 10s);

// The Windows path of a program the test was registered with (add_e2e_test
// PROGRAMS), and of Probe.exe beside the tests.
std::string Program(const std::string& target);
std::string ProbePath();

// A started program with everything it starts in turn (one job object);
// destroying it kills them all, so a failing test leaves nothing behind. It
// inherits the test's environment.
class Process {
 public:
  Process() = default;
  // The program and its arguments, each quoted, in `folder` (empty: the test's).
  explicit Process(const std::vector<std::string>& argv, const std::string& folder = {});
  Process(Process&& other) noexcept { *this = std::move(other); }
  // The process given up dies with `other`.
  Process& operator=(Process&& other) noexcept;
  ~Process() { Kill(); }
  DWORD Id() const { return id_; }
  // Waits for the end and gives the exit code; fails on time-out.
  DWORD ExitCode(Duration timeout = 10s) const;
  // How many programs it has started in turn, directly or not, so far.
  DWORD Started() const;
  void Kill();

 private:
  HANDLE process_ = nullptr, job_ = nullptr;
  DWORD id_ = 0;
};

// Kills everything every live Process started (the watchdog does).
void KillAll();

std::string ClassName(HWND hwnd);
std::string Text(HWND hwnd);  // WM_GETTEXT, with a time-out against hung targets
void SetText(HWND hwnd, const std::string& text);  // as pasted: the control reports the change
// A message to another process's window that never waits long: a target
// stuck in a modal loop or hung fails the test (Failure), never freezes it.
LRESULT SendTimeout(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
DWORD ProcessOf(HWND hwnd);
RECT ScreenRect(HWND hwnd);
// The visible top-level windows of a process with that class (empty: any),
// top of the z-order first; a window's descendants, depth first.
std::vector<HWND> TopWindows(DWORD pid, const std::string& className = {});
std::vector<HWND> Descendants(HWND parent);
// The first of those windows with exactly that caption.
HWND WaitWindow(DWORD pid, const std::string& className, const std::string& caption);
HWND WaitChild(HWND parent, const std::string& className);
void WaitGone(HWND hwnd);
// The visible windows of other processes, for failure messages, in UTF-8.
std::string DescribeWindows();
// Makes the window the foreground one, as the user's click would.
void ForegroundWindow(HWND hwnd);

struct MessageBoxView {
  HWND dialog = nullptr;
  std::string text;
};
MessageBoxView WaitMessageBox(DWORD pid, const std::string& caption);
// Presses a dialog's button by its id (IDOK, IDCANCEL, ...), as a click.
void PressButton(HWND dialog, int id);

// Two routes for keys that don't mix: a target takes posted messages before
// hardware ones, so a posted key can overtake a typed one.
// Typed keys (SendInput) for the foreground thread, `modifier` (if any)
// held around them.
void TypeKeys(const std::vector<UINT>& keys, UINT modifier = 0);
// Keys typed on the X server's keyboard (XTest, as `xdotool key` types
// them): they reach the window that has X's keyboard focus, as a user's
// keys do, which Wine's foreground alone does not bring. Arrows, Enter,
// Escape, letters and digits.
void TypeKeysInX(const std::vector<UINT>& keys);
// Keys posted as WM_KEYDOWN/WM_KEYUP to one window: no foreground needed,
// but the target's GetKeyState sees no change.
void PostKeys(HWND target, const std::vector<UINT>& keys);
// Text typed (SendInput) by a keyboard that has every character, as an input
// method types it: the foreground thread gets each UTF-16 unit as it is.
void TypeText(const std::wstring& text);

// Holds a modifier down, in X and in Wine, while it lives.
class HeldKey {
 public:
  explicit HeldKey(UINT vk) : vk_(vk) { Press(false); }
  ~HeldKey() { Press(true); }
  HeldKey(const HeldKey&) = delete;
  HeldKey& operator=(const HeldKey&) = delete;

 private:
  void Press(bool up);
  UINT vk_;
};
// Lets go of every modifier: a test killed while holding one must not leave
// it down for the next.
void ReleaseModifiers();

// Files dropped on a window as the shell drops them: the names in UTF-16 in
// a DROPFILES block in the target's memory, and WM_DROPFILES.
void DropFiles(HWND window, const std::vector<std::wstring>& paths);

// Mouse buttons posted at client coordinates.
void Click(HWND hwnd, POINT client, bool right = false);
// Moves the pointer (where the launcher's popup opens).
void MovePointer(POINT screen);
// A click of the left button through the X server, as the user's, with the
// pointer moved there (and left there).
void ClickInX(POINT screen);

// Waits until the process shows its popup, one level and not `previous`
// (Wine makes a new window for each popup shown again).
HWND WaitPopupMenu(DWORD pid, HWND previous = nullptr);
// The captions of a visible popup's items, separators as "-", read inside
// the target; reading also lets its thread take what was queued before.
std::vector<std::string> PopupTexts(HWND popup);
// The command of a menu-bar entry, by the captions on the way to it.
UINT MenuBarCommand(HWND window, const std::vector<std::string>& path);

// A window of another process as that process sees it, read inside it.
struct ControlView {
  HWND hwnd = nullptr, parent = nullptr;
  std::string className, text;
  bool visible = false;
  RECT rect{};  // on the screen
  // The room the control gives its text (a drop-down list: its closed box
  // beside the button) and what the text takes in the control's own font (a
  // label that breaks lines: broken at its width; a list: its longest
  // choice); both 0 for controls without such text.
  SIZE room{}, needed{};
  // The side of the images it shows: a tree's or toolbar's list, a picture.
  int imageSide = 0;
};
// Every descendant of the window, depth first.
std::vector<ControlView> ReadLayout(HWND window);

// The middle of the caption of another process's tree view's first item,
// in client coordinates; fails when it is not shown.
POINT FirstTreeItemPoint(HWND tree);

// Messages that fill a structure (RECT, text) for another process's
// control: Wine does not carry it across, so it is placed in the control's
// own memory. The rectangle goes in as `in` (some messages read a field).
RECT AskRect(HWND control, UINT msg, WPARAM wp, RECT in = {});
// Part `part` of a status bar.
std::string StatusText(HWND bar, int part);
// The colours of the window's client rectangle as the screen shows them.
std::vector<COLORREF> ScreenPixels(HWND hwnd, RECT client);

struct ProbeRecord {
  std::string commandLine, folder, module;
  std::vector<std::string> argv;  // as the C runtime split them, without the program
  int show = -1;                  // STARTUPINFO wShowWindow
};

// The log in the folder that every Probe.exe started from now on appends a
// record to (the test's environment names it).
class ProbeLog {
 public:
  explicit ProbeLog(const std::string& folder);
  // Waits until at least n records are there and returns them all.
  std::vector<ProbeRecord> WaitRecords(size_t n) const;

 private:
  std::string path_;
};

// A click of the right button through the X server, the pointer left there.
void RightClickInX(POINT screen);

}  // namespace e2e
