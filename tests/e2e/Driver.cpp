#include "Driver.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <mutex>
#include <thread>

#include "HookProtocol.h"
#include "Pixels.h"
#include "TestFiles.h"
#include "TestText.h"

namespace e2e {

namespace {

using Owned = std::unique_ptr<void, decltype(&CloseHandle)>;

[[noreturn]] void Fail(const std::string& what) { throw Failure(what); }

std::string Handle(const void* p) { return std::to_string(reinterpret_cast<uintptr_t>(p)); }

void Post(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (!PostMessageA(hwnd, msg, wp, lp)) Fail("could not post message " + std::to_string(msg) + " to " + Handle(hwnd));
}

std::string BesideTest(const std::string& fileName) {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string dir(path, n < sizeof path ? n : 0);
  return dir.substr(0, dir.find_last_of('\\') + 1) + fileName;
}

// The fields of text between separators, an empty last one too.
std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> fields;
  for (size_t from = 0;;) {
    const size_t end = text.find(separator, from);
    fields.push_back(text.substr(from, end - from));
    if (end == std::string::npos) return fields;
    from = end + 1;
  }
}

// The jobs of the live Process objects, with their processes.
std::mutex g_lock;
std::vector<std::pair<HANDLE, HANDLE>> g_started;

// The X server's view of the keyboard and the pointer, through xdotool run
// by ntdll's __wine_unix_spawnvp; false when it could not run.
bool XdoTool(std::vector<std::string> args) {
  using UnixSpawn = LONG(WINAPI*)(char* const argv[], int wait);
  static const auto spawn = reinterpret_cast<UnixSpawn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "__wine_unix_spawnvp")));
  if (!spawn) return false;  // not under Wine: there is no X server to agree with
  args.insert(args.begin(), "xdotool");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return spawn(argv.data(), TRUE) == 0;
}

bool Extended(UINT vk) { return (vk >= VK_PRIOR && vk <= VK_DOWN) || vk == VK_INSERT || vk == VK_DELETE; }

INPUT KeyInput(UINT vk, bool up, WCHAR unicode = 0) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = WORD(vk);
  in.ki.wScan = unicode ? unicode : WORD(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (Extended(vk) ? KEYEVENTF_EXTENDEDKEY : 0) |
                  (unicode ? KEYEVENTF_UNICODE : 0);
  return in;
}

void SendInputs(std::vector<INPUT> in) {
  if (SendInput(UINT(in.size()), in.data(), sizeof(INPUT)) != in.size()) Fail("SendInput took not every key");
}

// Runs `use` on a copy of the bytes in the window's program (Wine carries no
// structure across processes), then copies them back, or leaves them there.
void InTarget(HWND hwnd, void* data, size_t size, const std::function<void(void*)>& use, bool leave = false) {
  const Owned process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, ProcessOf(hwnd)),
                      &CloseHandle);
  void* remote = process ? VirtualAllocEx(process.get(), nullptr, size, MEM_COMMIT, PAGE_READWRITE) : nullptr;
  if (!remote || !WriteProcessMemory(process.get(), remote, data, size, nullptr))
    Fail("cannot place data in the memory of window " + Handle(hwnd) + "'s program");
  use(remote);
  if (leave) return;
  const bool back = ReadProcessMemory(process.get(), remote, data, size, nullptr);
  VirtualFreeEx(process.get(), remote, 0, MEM_RELEASE);
  if (!back) Fail("cannot read back data from window " + Handle(hwnd) + "'s program");
}

LRESULT SendInTarget(HWND hwnd, UINT msg, WPARAM wp, void* data, size_t size) {
  LRESULT result = 0;
  InTarget(hwnd, data, size, [&](void* remote) { result = SendTimeout(hwnd, msg, wp, LPARAM(remote)); });
  return result;
}

// e2eHook.dll's answer to a request (HookProtocol.h), read inside the target
// by the thread of `window`, which takes all that was queued before.
template <class Record>
std::vector<Record> AskHook(HWND window, const char* request, WPARAM wp, LPARAM lp) {
  static const HMODULE dll = LoadLibraryA(BesideTest(hook::kDllName).c_str());
  const auto proc = dll ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(dll, hook::kProcName)))
                        : nullptr;
  if (!proc) Fail("cannot load the hook " + BesideTest(hook::kDllName));
  const DWORD pid = ProcessOf(window);
  const Owned mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, hook::kMappingSize,
                                         hook::MappingName(pid).c_str()),
                      &CloseHandle);
  const Owned done(CreateEventA(nullptr, FALSE, FALSE, hook::EventName(pid).c_str()), &CloseHandle);
  const std::unique_ptr<void, decltype(&UnmapViewOfFile)> view(
      mapping ? MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, 0) : nullptr, &UnmapViewOfFile);
  const std::unique_ptr<HHOOK__, decltype(&UnhookWindowsHookEx)> hooked(
      view && done ? SetWindowsHookExA(WH_GETMESSAGE, proc, dll, GetWindowThreadProcessId(window, nullptr)) : nullptr,
      &UnhookWindowsHookEx);
  if (!hooked || !PostMessageA(window, RegisterWindowMessageA(request), wp, lp) ||
      WaitForSingleObject(done.get(), 5000) != WAIT_OBJECT_0)
    Fail("the thread of window " + Handle(window) + " did not answer the request " + request);
  const auto& answer = *static_cast<const hook::Answer<Record>*>(view.get());
  return {answer.records, answer.records + std::clamp(answer.count, 0, int(std::size(answer.records)))};
}

BOOL CALLBACK Collect(HWND h, LPARAM windows) {
  reinterpret_cast<std::vector<HWND>*>(windows)->push_back(h);
  return TRUE;
}

std::vector<HWND> TopLevel() {
  std::vector<HWND> all;
  EnumWindows(Collect, LPARAM(&all));
  return all;
}

// A class name, or a caption read without a message: the target may be busy.
std::string WindowString(HWND hwnd, int(WINAPI* get)(HWND, LPSTR, int)) {
  char buf[1024];
  return std::string(buf, size_t(std::max(get(hwnd, buf, sizeof buf), 0)));
}
std::string Caption(HWND hwnd) { return WindowString(hwnd, GetWindowTextA); }

HWND WaitFor(const std::function<std::vector<HWND>()>& windows, const std::function<bool(HWND)>& fits,
             const std::string& what) {
  HWND found = nullptr;
  Await([&] {
    for (HWND h : windows())
      if (fits(h)) return (found = h) != nullptr;
    return false;
  }, what);
  return found;
}

}  // namespace

LRESULT SendTimeout(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG | SMTO_BLOCK, 3000, &result))
    Fail("window " + Handle(hwnd) + " did not answer message " + std::to_string(msg));
  return LRESULT(result);
}

bool WaitUntil(const std::function<bool()>& pred, Duration timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!pred()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

void Await(const std::function<bool()>& pred, const std::string& what, Duration timeout) {
  if (!WaitUntil(pred, timeout))
    Fail("waited " + std::to_string(timeout.count()) + " ms in vain for " + what + "; open windows:\n" +
         DescribeWindows());
}

std::string Program(const std::string& target) {
  // CMake names it by its host path, which Wine turns into a Windows one.
  using ToDos = WCHAR*(CDECL*)(const char*);
  static const auto toDos = reinterpret_cast<ToDos>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
  const char* path = std::getenv(("E2E_PROGRAM_" + target).c_str());
  if (path && path[0] != '/') return path;  // a Windows path already
  WCHAR* wide = path && toDos ? toDos(path) : nullptr;
  if (!wide) Fail(target + " is not registered with this test, or has no Windows path");
  char dos[MAX_PATH * 2] = "";
  WideCharToMultiByte(CP_ACP, 0, wide, -1, dos, sizeof dos - 1, nullptr, nullptr);
  HeapFree(GetProcessHeap(), 0, wide);
  return dos;
}

std::string ProbePath() { return BesideTest("Probe.exe"); }

Process::Process(const std::vector<std::string>& argv, const std::string& folder) {
  std::string commandLine;
  for (const auto& arg : argv) {
    // Quoted as it is: whole only without a quote or a backslash at its end.
    if (arg.find('"') != std::string::npos || (!arg.empty() && arg.back() == '\\'))
      Fail("an argument the quoting cannot carry: " + arg);
    commandLine += (commandLine.empty() ? "\"" : " \"") + arg + "\"";
  }
  job_ = CreateJobObjectA(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  // Should the test program itself die, its programs die with it.
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  // Suspended until it is in the job, so that nothing it starts escapes.
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &si, &pi)) {
    const DWORD error = GetLastError();
    CloseHandle(std::exchange(job_, nullptr));
    Fail("cannot start " + utf8(commandLine) + " (error " + std::to_string(error) + ")");
  }
  process_ = pi.hProcess;
  id_ = pi.dwProcessId;
  {
    std::lock_guard<std::mutex> lock(g_lock);
    g_started.emplace_back(job_, process_);
  }
  const bool inJob = AssignProcessToJobObject(job_, process_);
  if (!inJob) TerminateProcess(process_, 1);
  ResumeThread(pi.hThread);
  CloseHandle(pi.hThread);
  if (!inJob) Kill(), Fail("cannot put " + utf8(commandLine) + " into a job");
}

Process& Process::operator=(Process&& other) noexcept {
  std::swap(process_, other.process_);
  std::swap(job_, other.job_);
  std::swap(id_, other.id_);
  return *this;
}

DWORD Process::ExitCode(Duration timeout) const {
  DWORD code = 0;
  if (!process_ || WaitForSingleObject(process_, DWORD(timeout.count())) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(process_, &code))
    Fail("process " + std::to_string(id_) + " did not end within " + std::to_string(timeout.count()) +
         " ms; open windows:\n" + DescribeWindows());
  return code;
}

DWORD Process::Started() const {
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION job{};
  if (!QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &job, sizeof job, nullptr))
    Fail("cannot ask the job of process " + std::to_string(id_));
  return job.TotalProcesses - 1;
}

void Process::Kill() {
  if (!process_) return;
  {
    std::lock_guard<std::mutex> lock(g_lock);
    g_started.erase(std::find(g_started.begin(), g_started.end(), std::make_pair(job_, process_)));
  }
  TerminateJobObject(job_, 0xDEAD);
  WaitForSingleObject(process_, 5000);
  CloseHandle(job_);
  CloseHandle(process_);
  job_ = process_ = nullptr;
}

void KillAll() {
  std::lock_guard<std::mutex> lock(g_lock);
  for (const auto& [job, process] : g_started) TerminateJobObject(job, 0xDEAD);
  for (const auto& [job, process] : g_started) WaitForSingleObject(process, 5000);
}

std::string ClassName(HWND hwnd) { return WindowString(hwnd, GetClassNameA); }

std::string Text(HWND hwnd) {
  std::string buf(size_t(SendTimeout(hwnd, WM_GETTEXTLENGTH, 0, 0)) + 2, '\0');
  SendTimeout(hwnd, WM_GETTEXT, WPARAM(buf.size()), LPARAM(buf.data()));
  return buf.c_str();
}

void SetText(HWND hwnd, const std::string& text) { SendTimeout(hwnd, WM_SETTEXT, 0, LPARAM(text.c_str())); }

DWORD ProcessOf(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  return pid;
}

RECT ScreenRect(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

std::vector<HWND> TopWindows(DWORD pid, const std::string& className) {
  std::vector<HWND> all = TopLevel();
  std::erase_if(all, [&](HWND h) {
    return ProcessOf(h) != pid || !IsWindowVisible(h) || (!className.empty() && ClassName(h) != className);
  });
  return all;
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> out;
  EnumChildWindows(parent, Collect, LPARAM(&out));
  return out;
}

HWND WaitWindow(DWORD pid, const std::string& className, const std::string& caption) {
  return WaitFor([&] { return TopWindows(pid, className); }, [&](HWND h) { return Caption(h) == caption; },
                 "a window of class \"" + className + "\" captioned \"" + utf8(caption) + "\"");
}

HWND WaitChild(HWND parent, const std::string& className) {
  return WaitFor([&] { return Descendants(parent); }, [&](HWND h) { return ClassName(h) == className; },
                 "a child of class \"" + className + "\" in " + Handle(parent));
}

void WaitGone(HWND hwnd) {
  Await([&] { return !IsWindowVisible(hwnd); }, "window " + Handle(hwnd) + " \"" + utf8(Caption(hwnd)) + "\" to go");
}

std::string DescribeWindows() {
  std::string out;
  for (HWND h : TopLevel()) {
    if (!IsWindowVisible(h) || ProcessOf(h) == GetCurrentProcessId()) continue;
    const RECT r = ScreenRect(h);
    out += "  pid " + std::to_string(ProcessOf(h)) + " " + Handle(h) + " " + ClassName(h) + " \"" + utf8(Caption(h)) +
           "\" at " + std::to_string(r.left) + "," + std::to_string(r.top) + " size " +
           std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top) + "\n";
    // What a dialog says.
    for (HWND c : ClassName(h) == "#32770" ? Descendants(h) : std::vector<HWND>{})
      if (!Caption(c).empty()) out += "      " + ClassName(c) + " \"" + utf8(Caption(c)) + "\"\n";
  }
  return out.empty() ? "  (none)\n" : out;
}

void ForegroundWindow(HWND hwnd) {
  // Wine lets another process make a window the foreground one.
  SetForegroundWindow(hwnd);
  Await([hwnd] { return GetForegroundWindow() == hwnd; }, "window " + Handle(hwnd) + " in the foreground", 3s);
}

MessageBoxView WaitMessageBox(DWORD pid, const std::string& caption) {
  MessageBoxView box{WaitWindow(pid, "#32770", caption), {}};
  // A message box's text is its static control 0xFFFF.
  if (HWND text = GetDlgItem(box.dialog, 0xFFFF)) box.text = Text(text);
  return box;
}

void PressButton(HWND dialog, int id) {
  // Posted, as a click is: the dialog may open another modal window in turn.
  Post(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(dialog, id)));
}

void TypeKeys(const std::vector<UINT>& keys, UINT modifier) {
  std::optional<HeldKey> held;
  if (modifier) held.emplace(modifier);
  std::vector<INPUT> in;
  for (UINT vk : keys) in.insert(in.end(), {KeyInput(vk, false), KeyInput(vk, true)});
  SendInputs(in);
}

void TypeKeysInX(const std::vector<UINT>& keys) {
  static const std::pair<UINT, const char*> named[] = {{VK_DOWN, "Down"},   {VK_UP, "Up"},         {VK_LEFT, "Left"},
                                                       {VK_RIGHT, "Right"}, {VK_RETURN, "Return"}, {VK_ESCAPE, "Escape"}};
  std::vector<std::string> args{"key"};
  for (UINT vk : keys) {
    const auto it = std::find_if(std::begin(named), std::end(named), [vk](const auto& n) { return n.first == vk; });
    if (it != std::end(named)) args.push_back(it->second);
    // Letters as X names them: the small one, so that no Shift is added.
    else if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) args.push_back(std::string(1, char(vk | 0x20)));
    else Fail("no X name for key " + std::to_string(vk));
  }
  if (!XdoTool(args)) Fail("xdotool could not type the keys");
}

void TypeText(const std::wstring& text) {
  std::vector<INPUT> in;
  for (wchar_t unit : text) in.insert(in.end(), {KeyInput(0, false, unit), KeyInput(0, true, unit)});
  SendInputs(in);
}

void DropFiles(HWND window, const std::vector<std::wstring>& paths) {
  // The names in UTF-16 after the header, each ended, and an empty one.
  const DROPFILES header{sizeof header, {}, FALSE, TRUE};
  std::wstring block(sizeof header / sizeof(wchar_t), L'\0');
  std::memcpy(block.data(), &header, sizeof header);
  for (const auto& path : paths) block.append(path).push_back(L'\0');
  block.push_back(L'\0');
  // Left to the target, which cannot free it: it lives as long as the program.
  const auto post = [&](void* remote) { Post(window, WM_DROPFILES, WPARAM(remote), 0); };
  InTarget(window, block.data(), block.size() * sizeof(wchar_t), post, true);
}

void PostKeys(HWND target, const std::vector<UINT>& keys) {
  for (UINT vk : keys) {
    const LPARAM scan = LPARAM(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC) & 0xFF) << 16 | LPARAM(Extended(vk)) << 24;
    Post(target, WM_KEYDOWN, vk, 1 | scan);
    // The key may have closed its window (Escape in a popup): no release then.
    PostMessageA(target, WM_KEYUP, vk, 1 | scan | LPARAM(3) << 30);
  }
}

// The key goes to X too (Wine drops a modifier X does not hold), and to Wine
// once the foreground thread has read what X said before: see README.md.
void HeldKey::Press(bool up) {
  const auto settle = [] {
    const HWND front = GetForegroundWindow();
    if (front && ProcessOf(front) != GetCurrentProcessId()) try {
        AskHook<hook::MenuRecord>(front, hook::kMenuRequest, 0, 0);  // only the round trip: no menu to read
      } catch (const Failure&) {  // it ended: nothing left to agree with
      }
  };
  settle();
  XdoTool({up ? "keyup" : "keydown", vk_ == VK_SHIFT ? "Shift_L" : vk_ == VK_CONTROL ? "Control_L" : "Alt_L"});
  settle();
  SendInputs({KeyInput(vk_, up)});
  WaitUntil([&] { return (GetAsyncKeyState(int(vk_)) < 0) != up; }, 1s);
}

void ReleaseModifiers() {
  // X may still hold one a killed test held, even when Wine has forgotten.
  XdoTool({"keyup", "Shift_L", "Shift_R", "Control_L", "Control_R", "Alt_L", "Alt_R"});
  for (UINT vk : {VK_SHIFT, VK_CONTROL, VK_MENU})
    if (GetAsyncKeyState(int(vk)) < 0) SendInputs({KeyInput(vk, true)});
}

void Click(HWND hwnd, POINT p, bool right) {
  const LPARAM at = MAKELPARAM(p.x, p.y);
  Post(hwnd, WM_MOUSEMOVE, 0, at);
  Post(hwnd, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, at);
  Post(hwnd, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, at);
}

void MovePointer(POINT p) {
  // Wine's SetCursorPos gives up while another program's menu holds the grab.
  if (!XdoTool({"mousemove", std::to_string(p.x), std::to_string(p.y)})) SetCursorPos(p.x, p.y);
  POINT now{};
  Await([&] { return GetCursorPos(&now) && now.x == p.x && now.y == p.y; },
        "the pointer at " + std::to_string(p.x) + "," + std::to_string(p.y), 2s);
}

void ClickInX(POINT p, int button) {
  if (!XdoTool({"mousemove", std::to_string(p.x), std::to_string(p.y), "click", std::to_string(button)}))
    Fail("xdotool could not click at " + std::to_string(p.x) + "," + std::to_string(p.y));
}

HWND WaitPopupMenu(DWORD pid, HWND previous) {
  std::vector<HWND> shown;
  Await([&] { return (shown = TopWindows(pid, "#32768")).size() == 1 && shown[0] != previous; },
        std::string(previous ? "the popup shown again" : "the popup") + " of process " + std::to_string(pid));
  return shown[0];
}

std::vector<std::string> PopupTexts(HWND popup) {
  std::vector<std::string> texts;
  const auto menu = WPARAM(SendTimeout(popup, MN_GETHMENU, 0, 0));
  for (const auto& item : AskHook<hook::MenuRecord>(popup, hook::kMenuRequest, menu, 0))
    if (item.depth == 0) texts.push_back(item.caption);
  return texts;
}

UINT MenuBarCommand(HWND window, const std::vector<std::string>& path) {
  size_t depth = 0;
  for (const auto& item : AskHook<hook::MenuRecord>(window, hook::kMenuRequest, 0, LPARAM(window))) {
    if (size_t(item.depth) < depth) break;  // out of the entry on the way, without the next one
    // A shortcut's text follows the caption after a tab.
    const std::string caption(item.caption, std::strcspn(item.caption, "\t"));
    if (size_t(item.depth) == depth && caption == path[depth] && ++depth == path.size()) return item.id;
  }
  Fail("no menu entry " + utf8(path[std::min(depth, path.size() - 1)]));
}

std::vector<ControlView> ReadLayout(HWND window) {
  return AskHook<ControlView>(window, hook::kLayoutRequest, 0, LPARAM(window));
}

POINT FirstTreeItemPoint(HWND tree) {
  // The item goes in the rectangle's first bytes; the rectangle comes back.
  const auto item = HTREEITEM(SendTimeout(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  RECT r{};
  std::memcpy(&r, &item, sizeof item);
  if (!item || !SendInTarget(tree, TVM_GETITEMRECT, TRUE, &r, sizeof r))
    Fail("the first item of tree " + Handle(tree) + " is not shown");
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

std::string StatusText(HWND bar, int part) {
  char text[1024] = "";
  SendInTarget(bar, SB_GETTEXTA, WPARAM(part), text, sizeof text - 1);
  return text;
}

std::vector<COLORREF> ScreenPixels(HWND hwnd, RECT client) {
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
  const int width = client.right - client.left, height = client.bottom - client.top;
  if (width <= 0 || height <= 0) return {};
  // Copied in one go: the screen asked pixel by pixel is slow under Wine.
  const auto pixels = RenderPixels(width, height, [&](HDC dc) {
    const HDC screen = GetDC(nullptr);
    BitBlt(dc, 0, 0, width, height, screen, client.left, client.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
  });
  return {pixels.begin(), pixels.end()};
}

ProbeLog::ProbeLog(const std::string& folder) : path_(folder + "\\probe.log") {
  SetEnvironmentVariableA("OSTREVAN_PROBE_LOG", path_.c_str());
}

std::vector<ProbeRecord> ProbeLog::WaitRecords(size_t n) const {
  std::vector<ProbeRecord> records;
  // Read under the probes' lock, so that no record is read half written.
  const Owned lock(CreateMutexA(nullptr, FALSE, "OstrevanProbeLog"), &CloseHandle);
  Await([&] {
    const bool locked = lock && WaitForSingleObject(lock.get(), 5000) != WAIT_TIMEOUT;
    const std::string text = ReadBytes(path_);
    if (locked) ReleaseMutex(lock.get());
    records.clear();
    for (const std::string& line : Split(text, '\n')) {
      const auto f = Split(line.substr(0, line.size() - 1), '\x1f');  // without its CR; see Probe.cpp
      if (f.size() >= 4) records.push_back({f[0], f[1], f[3], {f.begin() + 4, f.end()}, std::stoi(f[2])});
    }
    return records.size() >= n;
  }, std::to_string(n) + " probe records");
  return records;
}

}  // namespace e2e
