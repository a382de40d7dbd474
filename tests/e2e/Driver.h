// Drives the real programs under Wine the way a user would (README.md says
// what works there and why). Text is in the programs' code page: sjis("...")
// for Japanese. Every wait is bounded; one in vain throws e2e::Failure naming
// what was awaited and the windows open instead.
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

#include "hook/HookProtocol.h"

namespace e2e {

using namespace std::chrono_literals;
using Duration = std::chrono::milliseconds;

struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Polls until pred() holds; false when the time ran out first. Await fails
// instead, with `what` and the open windows.
bool WaitUntil(const std::function<bool()>& pred, Duration timeout = 10s);
void Await(const std::function<bool()>& pred, const std::string& what, Duration timeout = 10s);

// The Windows path of a program the test was registered with (add_e2e_test
// PROGRAMS), and of Probe.exe beside the tests.
std::string Program(const std::string& target);
std::string ProbePath();

// A started program with all it starts in turn (one job); its end kills them.
class Process {
 public:
  Process() = default;
  // The program and its arguments, each quoted, in `folder` (empty: the test's).
  explicit Process(const std::vector<std::string>& argv, const std::string& folder = {});
  Process(Process&& other) noexcept { *this = std::move(other); }
  Process& operator=(Process&& other) noexcept;  // the one given up dies with `other`
  ~Process() { Kill(); }
  DWORD Id() const { return id_; }
  DWORD ExitCode(Duration timeout = 10s) const;  // waits for the end
  DWORD Started() const;                         // how many programs it started, directly or not
  void Kill();

 private:
  HANDLE process_ = nullptr, job_ = nullptr;
  DWORD id_ = 0;
};

// Kills everything every live Process started (the watchdog does).
void KillAll();

std::string ClassName(HWND hwnd);
std::string Text(HWND hwnd);                        // WM_GETTEXT, bounded like SendTimeout
void SetText(HWND hwnd, const std::string& text);  // as pasted: the control reports the change
// A message that fails the test, never freezes it, when the target is stuck.
LRESULT SendTimeout(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
DWORD ProcessOf(HWND hwnd);
RECT ScreenRect(HWND hwnd);
// A process's visible top-level windows of that class (empty: any), top
// first; a window's descendants, depth first.
std::vector<HWND> TopWindows(DWORD pid, const std::string& className = {});
std::vector<HWND> Descendants(HWND parent);
// The first of those with that caption, or class.
HWND WaitWindow(DWORD pid, const std::string& className, const std::string& caption);
HWND WaitChild(HWND parent, const std::string& className);
void WaitGone(HWND hwnd);
std::string DescribeWindows();         // other processes' windows, for failures
void ForegroundWindow(HWND hwnd);     // as the user's click would

struct MessageBoxView {
  HWND dialog = nullptr;
  std::string text;
};
MessageBoxView WaitMessageBox(DWORD pid, const std::string& caption);
void PressButton(HWND dialog, int id);  // IDOK, IDCANCEL, ... as a click

// Keys go three ways that don't mix (posted ones overtake typed ones):
// typed (SendInput) for the foreground thread, `modifier` held around them;
// typed on the X server's keyboard (XTest), for the window with X's focus,
// as a user's keys (arrows, Enter, Escape, letters, digits); posted to one
// window, unseen by GetKeyState. TypeText types each UTF-16 unit as it is.
void TypeKeys(const std::vector<UINT>& keys, UINT modifier = 0);
void TypeKeysInX(const std::vector<UINT>& keys);
void PostKeys(HWND target, const std::vector<UINT>& keys);
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
// Lets go of every modifier, in case a killed test left one down.
void ReleaseModifiers();
// Files dropped on a window as the shell drops them (WM_DROPFILES).
void DropFiles(HWND window, const std::vector<std::wstring>& paths);
// Buttons posted at client coordinates; the pointer moved (where popups
// open); a click through X (button 1 left, 3 right), as the user's, leaving
// the pointer there.
void Click(HWND hwnd, POINT client, bool right = false);
void MovePointer(POINT screen);
void ClickInX(POINT screen, int button = 1);

// The process's popup, one level and not `previous` (shown again, it is a
// new window).
HWND WaitPopupMenu(DWORD pid, HWND previous = nullptr);
// The captions of a visible popup's items, separators as "-", read inside
// the target; reading also lets its thread take what was queued before.
std::vector<std::string> PopupTexts(HWND popup);
// The command of a menu-bar entry, by the captions on the way to it.
UINT MenuBarCommand(HWND window, const std::vector<std::string>& path);

// Every descendant of the window as its process sees it, depth first.
using ControlView = hook::ControlRecord;
std::vector<ControlView> ReadLayout(HWND window);

// Another process's tree view's first caption's middle (client coordinates);
// part `part` of a status bar.
POINT FirstTreeItemPoint(HWND tree);
std::string StatusText(HWND bar, int part);
std::vector<COLORREF> ScreenPixels(HWND hwnd, RECT client);  // as the screen shows them

struct ProbeRecord {
  std::string commandLine, folder, module;
  std::vector<std::string> argv;  // as the C runtime split them, without the program
  int show = -1;                  // STARTUPINFO wShowWindow
};

// The log in the folder that every Probe.exe started from now on appends to.
class ProbeLog {
 public:
  explicit ProbeLog(const std::string& folder);
  std::vector<ProbeRecord> WaitRecords(size_t n) const;  // all, once there are n

 private:
  std::string path_;
};

}  // namespace e2e
