#include "Driver.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

#include "HookProtocol.h"
#include "TestText.h"

namespace e2e {

namespace {

[[noreturn]] void Fail(const std::string& what) { throw Failure(what); }

std::string Hex(const void* p) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%p", p);
  return buf;
}

// Messages to another process never wait longer than this: a target stuck in
// a modal loop or hung must fail the test, not freeze it.
constexpr UINT kSendTimeoutMs = 3000;

LRESULT SendTimeout(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG | SMTO_BLOCK, kSendTimeoutMs,
                           &result))
    Fail("window " + Hex(hwnd) + " did not answer message " + std::to_string(msg));
  return LRESULT(result);
}

// ---- The processes that live Process objects started.

struct Started {
  HANDLE job;
  HANDLE process;
  DWORD pid;
};

std::mutex g_startedLock;
std::vector<Started> g_started;

// Every process in a job, so that windows of programs the target started
// show up in failure messages too.
std::vector<DWORD> JobProcessIds(HANDLE job) {
  struct List {
    JOBOBJECT_BASIC_PROCESS_ID_LIST head;
    ULONG_PTR more[63];
  } list{};
  list.head.NumberOfAssignedProcesses = 64;
  std::vector<DWORD> ids;
  if (QueryInformationJobObject(job, JobObjectBasicProcessIdList, &list, sizeof list, nullptr)) {
    const DWORD n = std::min<DWORD>(list.head.NumberOfProcessIdsInList, 64);
    for (DWORD i = 0; i < n; ++i) ids.push_back(DWORD(list.head.ProcessIdList[i]));
  }
  return ids;
}

// Sets the variables in this process's environment, which a program started
// meanwhile inherits; gives back what they replaced (none: not set).
using Variables = std::vector<std::pair<std::string, std::optional<std::string>>>;
Variables SetVariables(const Variables& variables) {
  Variables previous;
  for (const auto& [name, value] : variables) {
    char old[32768];
    const DWORD n = GetEnvironmentVariableA(name.c_str(), old, sizeof old);
    previous.emplace_back(name, n && n < sizeof old ? std::optional<std::string>(old) : std::nullopt);
    SetEnvironmentVariableA(name.c_str(), value ? value->c_str() : nullptr);
  }
  return previous;
}

// ---- Unix side of the test bed, for the X server's view of the keyboard.

using UnixSpawn = LONG(WINAPI*)(char* const argv[], int wait);

UnixSpawn UnixSpawner() {
  static const UnixSpawn spawn = reinterpret_cast<UnixSpawn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "__wine_unix_spawnvp")));
  return spawn;
}

// Runs xdotool with the arguments and waits for it; false if it could not.
bool XdoTool(std::vector<std::string> args) {
  const UnixSpawn spawn = UnixSpawner();
  if (!spawn) return false;  // not under Wine: there is no X server to agree with
  args.insert(args.begin(), "xdotool");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const bool ok = spawn(argv.data(), TRUE) == 0;
  static std::atomic<bool> warned{false};
  if (!ok && !warned.exchange(true))
    std::fputs("e2e: xdotool failed; held keys and the pointer are not what X thinks\n", stderr);
  return ok;
}

const char* XKeyName(UINT vk) {
  switch (vk) {
    case VK_SHIFT: case VK_LSHIFT: return "Shift_L";
    case VK_RSHIFT: return "Shift_R";
    case VK_CONTROL: case VK_LCONTROL: return "Control_L";
    case VK_RCONTROL: return "Control_R";
    case VK_MENU: case VK_LMENU: return "Alt_L";
    case VK_RMENU: return "Alt_R";
    default: return nullptr;
  }
}

bool ExtendedKey(UINT vk) {
  switch (vk) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
    case VK_INSERT: case VK_DELETE: case VK_HOME: case VK_END:
    case VK_PRIOR: case VK_NEXT: case VK_RCONTROL: case VK_RMENU:
      return true;
    default:
      return false;
  }
}

INPUT KeyInput(UINT vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = WORD(vk);
  in.ki.wScan = WORD(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (ExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
  return in;
}

void SendInputs(std::vector<INPUT> inputs) {
  if (inputs.empty()) return;
  const UINT sent = SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
  if (sent != inputs.size()) Fail("SendInput took " + std::to_string(sent) + " of " +
                                  std::to_string(inputs.size()) + " key events");
}

LPARAM KeyLParam(UINT vk, bool up) {
  const UINT scan = MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
  LPARAM lp = 1 | LPARAM(scan & 0xFF) << 16;
  if (ExtendedKey(vk)) lp |= LPARAM(1) << 24;
  if (up) lp |= LPARAM(3) << 30;  // previous state down, transition up
  return lp;
}

void Post(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (!PostMessageA(hwnd, msg, wp, lp))
    Fail("could not post message " + std::to_string(msg) + " to window " + Hex(hwnd));
}

// ---- Menus read from inside the target (e2eHook.dll).

std::string Unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size()) {
      const char hex[3] = {s[i + 1], s[i + 2], 0};
      char* end = nullptr;
      const long v = std::strtol(hex, &end, 16);
      if (end == hex + 2) {
        out += char(v);
        i += 2;
        continue;
      }
    }
    out += s[i];
  }
  return out;
}

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t at = s.find(sep, start);
    parts.push_back(s.substr(start, at - start));
    if (at == std::string::npos) break;
    start = at + 1;
  }
  return parts;
}

std::vector<MenuItem> ParseMenu(const std::string& text) {
  std::vector<MenuItem> root;
  std::vector<std::vector<MenuItem>*> levels{&root};
  for (const auto& line : Split(text, '\n')) {
    if (line.empty()) continue;
    const auto f = Split(line, '\t');
    if (f.size() != 5) Fail("bad menu line from the hook: " + utf8(line));
    const size_t depth = std::strtoul(f[0].c_str(), nullptr, 10);
    if (depth + 1 > levels.size()) Fail("menu lines out of order");
    levels.resize(depth + 1);
    MenuItem item;
    item.kind = f[1] == "S" ? MenuItem::Separator : f[1] == "P" ? MenuItem::Submenu : MenuItem::Command;
    item.id = UINT(std::strtoul(f[2].c_str(), nullptr, 10));
    item.state = UINT(std::strtoul(f[3].c_str(), nullptr, 16));
    item.text = Unescape(f[4]);
    levels.back()->push_back(std::move(item));
    if (levels.back()->back().kind == MenuItem::Submenu) levels.push_back(&levels.back()->back().items);
  }
  return root;
}

// `window` is where the request goes: any window of the target's thread that
// outlives the request.
std::vector<MenuItem> ReadMenuInside(HWND window, WPARAM menu, LPARAM bar) {
  static HMODULE hook = LoadLibraryA(BesideTest(hook::kDllName).c_str());
  if (!hook) Fail("cannot load " + BesideTest(hook::kDllName));
  const auto proc = reinterpret_cast<HOOKPROC>(
      reinterpret_cast<void*>(GetProcAddress(hook, hook::kProcName)));
  if (!proc) Fail("the hook DLL lacks its procedure");
  const DWORD pid = ProcessOf(window);
  const HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                            hook::kMappingSize, hook::MappingName(pid).c_str());
  const HANDLE done = CreateEventA(nullptr, FALSE, FALSE, hook::EventName(pid).c_str());
  char* view = mapping ? static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0))
                       : nullptr;
  HHOOK installed = nullptr;
  std::string text;
  bool answered = false;
  if (view && done) {
    view[0] = '\0';
    installed = SetWindowsHookExA(WH_GETMESSAGE, proc, hook, ThreadOf(window));
    if (installed && PostMessageA(window, RegisterWindowMessageA(hook::kMessageName), menu, bar)) {
      answered = WaitForSingleObject(done, 5000) == WAIT_OBJECT_0;
      if (answered) text.assign(view, strnlen(view, hook::kMappingSize));
    }
  }
  if (installed) UnhookWindowsHookEx(installed);
  if (view) UnmapViewOfFile(view);
  if (done) CloseHandle(done);
  if (mapping) CloseHandle(mapping);
  if (!installed) Fail("could not hook the thread of window " + Hex(window));
  if (!answered) Fail("the target did not answer the menu request (is its thread busy?)");
  if (text.rfind("error", 0) == 0) Fail("menu request: " + text);
  return ParseMenu(text);
}

}  // namespace

bool WaitUntil(const std::function<bool()>& pred, Duration timeout, Duration every) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (pred()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(every);
  }
}

// ---- Files and command lines

std::string BesideTest(const std::string& fileName) {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n == 0 || n >= sizeof path) Fail("cannot tell where the test program is");
  std::string dir(path, n);
  dir.resize(dir.find_last_of("\\/") + 1);
  return dir + fileName;
}

std::string DosPath(const std::string& path) {
  if (path.empty() || path[0] != '/') return path;
  using ToDos = WCHAR*(CDECL*)(const char*);
  const auto toDos = reinterpret_cast<ToDos>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
  if (!toDos) Fail("no Wine here to translate " + path);
  WCHAR* wide = toDos(path.c_str());
  if (!wide) Fail("no Windows path for " + path);
  const int n = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  std::string out(size_t(n > 0 ? n : 1), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, -1, out.data(), n, nullptr, nullptr);
  HeapFree(GetProcessHeap(), 0, wide);
  out.resize(std::strlen(out.c_str()));
  return out;
}

std::string Quote(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string out = "\"";
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
    } else if (c == '"') {
      out.append(backslashes * 2 + 1, '\\');
      backslashes = 0;
    } else {
      out.append(backslashes, '\\');
      backslashes = 0;
    }
    if (c != '\\') out += c;
  }
  out.append(backslashes * 2, '\\');
  return out + "\"";
}

std::string ReadBytes(const std::string& path) {
  const HANDLE f = CreateFileA(path.c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) Fail("cannot read " + utf8(path));
  std::string bytes;
  char buf[65536];
  DWORD got = 0;
  while (::ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) bytes.append(buf, got);
  CloseHandle(f);
  return bytes;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  const HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) Fail("cannot write " + utf8(path));
  DWORD written = 0;
  const BOOL ok = ::WriteFile(f, bytes.data(), DWORD(bytes.size()), &written, nullptr);
  CloseHandle(f);
  if (!ok || written != bytes.size()) Fail("short write to " + utf8(path));
}

namespace {
void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA fd;
  const HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = dir + "\\" + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(dir.c_str());
}
}  // namespace

TempFolder::TempFolder(const std::string& tag) {
  char temp[MAX_PATH];
  const DWORD n = GetTempPathA(sizeof temp, temp);
  if (n == 0 || n >= sizeof temp) Fail("no temporary folder");
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string path = std::string(temp) + "ostrevan-" + tag + "-" +
                             std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(counter++);
    if (CreateDirectoryA(path.c_str(), nullptr)) {
      path_ = path;
      return;
    }
  }
  Fail("cannot create a temporary folder");
}

TempFolder::~TempFolder() { RemoveTree(path_); }

// ---- Processes

Process Process::Start(const std::string& commandLine, const Options& options) {
  Process p;
  p.job_ = CreateJobObjectA(nullptr, nullptr);
  if (!p.job_) Fail("cannot create a job object");
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  // Should the test program itself die, its programs die with it.
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(p.job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);

  STARTUPINFOA si{};
  si.cb = sizeof si;
  if (options.show) {
    si.dwFlags |= STARTF_USESHOWWINDOW;
    si.wShowWindow = *options.show;
  }
  PROCESS_INFORMATION pi{};
  std::string line = commandLine;
  const Variables previous = SetVariables(Variables(options.environment.begin(), options.environment.end()));
  // Suspended until it is in the job, so that nothing it starts escapes.
  const BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                                      options.folder.empty() ? nullptr : options.folder.c_str(), &si, &pi);
  const DWORD err = GetLastError();
  SetVariables(previous);
  if (!started) Fail("cannot start " + utf8(commandLine) + " (error " + std::to_string(err) + ")");
  if (!AssignProcessToJobObject(p.job_, pi.hProcess)) {
    TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    Fail("cannot put " + utf8(commandLine) + " into a job");
  }
  p.process_ = pi.hProcess;
  p.id_ = pi.dwProcessId;
  {
    std::lock_guard<std::mutex> lock(g_startedLock);
    g_started.push_back({p.job_, p.process_, p.id_});
  }
  ResumeThread(pi.hThread);
  CloseHandle(pi.hThread);
  return p;
}

Process::Process(Process&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)),
      job_(std::exchange(other.job_, nullptr)),
      id_(std::exchange(other.id_, 0)) {}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Kill();
    process_ = std::exchange(other.process_, nullptr);
    job_ = std::exchange(other.job_, nullptr);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

Process::~Process() { Kill(); }

bool Process::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

bool Process::WaitExit(Duration timeout) const {
  if (!process_) return true;
  return WaitForSingleObject(process_, DWORD(timeout.count())) == WAIT_OBJECT_0;
}

DWORD Process::ExitCode() const {
  if (Running()) Fail("process " + std::to_string(id_) + " is still running");
  DWORD code = 0;
  if (!process_ || !GetExitCodeProcess(process_, &code)) Fail("no exit code");
  return code;
}

DWORD Process::ExitCodeWithin(Duration timeout) const {
  if (!WaitExit(timeout))
    Fail("process " + std::to_string(id_) + " did not end within " +
         std::to_string(timeout.count()) + " ms; its windows:\n" + DescribeWindows({id_}));
  return ExitCode();
}

void Process::Kill() {
  if (!process_) return;
  {
    std::lock_guard<std::mutex> lock(g_startedLock);
    g_started.erase(std::remove_if(g_started.begin(), g_started.end(),
                                   [&](const Started& s) { return s.process == process_; }),
                    g_started.end());
  }
  TerminateJobObject(job_, 0xDEAD);
  WaitForSingleObject(process_, 5000);
  CloseHandle(job_);
  CloseHandle(process_);
  job_ = process_ = nullptr;
}

void KillAll() {
  std::lock_guard<std::mutex> lock(g_startedLock);
  for (const auto& s : g_started) TerminateJobObject(s.job, 0xDEAD);
  for (const auto& s : g_started) WaitForSingleObject(s.process, 5000);
}

// ---- Watchdog

struct Watchdog::State {
  std::mutex lock;
  std::condition_variable wake;
  bool disarmed = false;
  std::atomic<bool> fired{false};
  std::thread thread;
};

Watchdog::Watchdog(std::chrono::seconds limit, std::string what) : state_(new State) {
  State* s = state_;
  s->thread = std::thread([s, limit, what = std::move(what)] {
    std::unique_lock<std::mutex> lock(s->lock);
    if (s->wake.wait_for(lock, limit, [s] { return s->disarmed; })) return;
    s->fired = true;
    lock.unlock();
    std::string report = "\n*** e2e watchdog: " + what + " ran longer than " +
                         std::to_string(limit.count()) + " s; killing every program it started.\n";
    report += "Windows open at that moment:\n" + DescribeAllWindows();
    std::fputs(report.c_str(), stderr);
    std::fflush(stderr);
    ReleaseModifiers();
    KillAll();
    // Killing the programs ends whatever the test waited on; a test that is
    // still stuck after that is ended with the test program.
    lock.lock();
    if (s->wake.wait_for(lock, 15s, [s] { return s->disarmed; })) return;
    std::fputs("*** e2e watchdog: the test is still stuck; ending the test program.\n", stderr);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
  });
}

Watchdog::~Watchdog() {
  {
    std::lock_guard<std::mutex> lock(state_->lock);
    state_->disarmed = true;
  }
  state_->wake.notify_all();
  state_->thread.join();
  delete state_;
}

bool Watchdog::Fired() const { return state_->fired; }

// ---- Windows

std::string ClassName(HWND hwnd) {
  char buf[256];
  const int n = GetClassNameA(hwnd, buf, sizeof buf);
  return std::string(buf, size_t(n > 0 ? n : 0));
}

std::string Text(HWND hwnd) {
  const LRESULT len = SendTimeout(hwnd, WM_GETTEXTLENGTH, 0, 0);
  std::string buf(size_t(len) + 2, '\0');
  const LRESULT got = SendTimeout(hwnd, WM_GETTEXT, WPARAM(buf.size()), LPARAM(buf.data()));
  buf.resize(std::min(size_t(got), std::strlen(buf.c_str())));
  return buf;
}

void SetText(HWND hwnd, const std::string& text) {
  SendTimeout(hwnd, WM_SETTEXT, 0, LPARAM(text.c_str()));
}

DWORD ProcessOf(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  return pid;
}

DWORD ThreadOf(HWND hwnd) { return GetWindowThreadProcessId(hwnd, nullptr); }
int ControlId(HWND hwnd) { return GetDlgCtrlID(hwnd); }
bool Visible(HWND hwnd) { return IsWindow(hwnd) && IsWindowVisible(hwnd); }

RECT ScreenRect(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

namespace {
struct WindowsOf {
  DWORD pid;
  std::vector<HWND> out;
};

BOOL CALLBACK CollectWindowOf(HWND h, LPARAM lp) {
  auto* c = reinterpret_cast<WindowsOf*>(lp);
  if (ProcessOf(h) == c->pid) c->out.push_back(h);
  return TRUE;
}

BOOL CALLBACK CollectWindow(HWND h, LPARAM lp) {
  reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
  return TRUE;
}
}  // namespace

std::vector<HWND> TopWindows(DWORD pid) {
  WindowsOf ctx{pid, {}};
  EnumWindows(CollectWindowOf, LPARAM(&ctx));
  return ctx.out;
}

namespace {
// The caption of a window of another process without sending it a message:
// top-level captions are kept by the window manager side.
std::string Caption(HWND hwnd) {
  char buf[1024];
  const int n = GetWindowTextA(hwnd, buf, sizeof buf);
  return std::string(buf, size_t(n > 0 ? n : 0));
}

std::string CaptionPart(const std::optional<std::string>& caption) {
  return caption ? " captioned \"" + utf8(*caption) + "\"" : std::string();
}
}  // namespace

HWND WaitWindow(DWORD pid, const std::string& className, const std::optional<std::string>& caption,
                Duration timeout) {
  HWND found = nullptr;
  auto find = [&] {
    for (HWND h : TopWindows(pid))
      if (IsWindowVisible(h) && (className.empty() || ClassName(h) == className) &&
          (!caption || Caption(h) == *caption))
        return found = h;
    return found = nullptr;
  };
  if (WaitUntil([&] { return find() != nullptr; }, timeout)) return found;
  Fail("no visible window of class \"" + className + "\"" + CaptionPart(caption) +
       " of process " + std::to_string(pid) + " within " + std::to_string(timeout.count()) +
       " ms; its windows:\n" + DescribeWindows({pid}));
}

void WaitGone(HWND hwnd, Duration timeout) {
  if (!WaitUntil([&] { return !Visible(hwnd); }, timeout))
    Fail("window " + Hex(hwnd) + " (" + ClassName(hwnd) + ", \"" + utf8(Caption(hwnd)) +
         "\") is still there after " + std::to_string(timeout.count()) + " ms");
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> out;
  EnumChildWindows(parent, CollectWindow, LPARAM(&out));
  return out;
}

HWND WaitChild(HWND parent, const std::string& className, int id, Duration timeout) {
  HWND found = nullptr;
  auto find = [&] {
    for (HWND h : Descendants(parent))
      if ((className.empty() || ClassName(h) == className) && (id == -1 || ControlId(h) == id))
        return found = h;
    return found = nullptr;
  };
  if (WaitUntil([&] { return find() != nullptr; }, timeout)) return found;
  Fail("window " + Hex(parent) + " has no child of class \"" + className + "\" and id " +
       std::to_string(id) + " after " + std::to_string(timeout.count()) + " ms");
}

std::string DescribeWindows(const std::vector<DWORD>& pids) {
  std::string out;
  for (DWORD pid : pids) {
    for (HWND h : TopWindows(pid)) {
      const bool visible = IsWindowVisible(h);
      const std::string cls = ClassName(h);
      if (!visible && cls == "IME") continue;
      RECT r = ScreenRect(h);
      out += "  pid " + std::to_string(pid) + " " + Hex(h) + " " + cls + " \"" +
             utf8(Caption(h)) + "\"" + (visible ? "" : " (hidden)") + " at " +
             std::to_string(r.left) + "," + std::to_string(r.top) + " size " +
             std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top) + "\n";
      if (visible && cls == "#32770") {
        for (HWND c : Descendants(h)) {
          const std::string text = utf8(Caption(c));
          if (!text.empty()) out += "      " + ClassName(c) + " \"" + text + "\"\n";
        }
      }
    }
  }
  return out.empty() ? "  (none)\n" : out;
}

std::string DescribeAllWindows() {
  std::vector<DWORD> pids;
  {
    std::lock_guard<std::mutex> lock(g_startedLock);
    for (const auto& s : g_started) {
      pids.push_back(s.pid);
      for (DWORD id : JobProcessIds(s.job))
        if (std::find(pids.begin(), pids.end(), id) == pids.end()) pids.push_back(id);
    }
  }
  return DescribeWindows(pids);
}

void ForegroundWindow(HWND hwnd) {
  auto inForeground = [hwnd] {
    const HWND fg = GetForegroundWindow();
    return fg && ThreadOf(fg) == ThreadOf(hwnd);
  };
  if (inForeground()) return;
  SetForegroundWindow(hwnd);
  if (!WaitUntil(inForeground, 3s))
    Fail("window " + Hex(hwnd) + " did not come to the foreground");
}

// ---- Message boxes

MessageBoxView WaitMessageBox(DWORD pid, const std::optional<std::string>& caption, Duration timeout) {
  const HWND dialog = WaitWindow(pid, "#32770", caption, timeout);
  MessageBoxView view;
  view.dialog = dialog;
  view.caption = Caption(dialog);
  // A message box's text is the static control 0xFFFF; other dialogs get
  // their first static with text.
  HWND text = GetDlgItem(dialog, 0xFFFF);
  for (HWND c : Descendants(dialog)) {
    const std::string cls = ClassName(c);
    if (cls == "Button") view.buttons.emplace_back(ControlId(c), Text(c));
    if (!text && cls == "Static" && !(GetWindowLongA(c, GWL_STYLE) & SS_ICON) && !Text(c).empty())
      text = c;
  }
  if (text) view.text = Text(text);
  return view;
}

void PressButton(HWND dialog, int id) {
  const HWND button = GetDlgItem(dialog, id);
  if (!button) Fail("dialog " + Hex(dialog) + " has no button " + std::to_string(id));
  // Posted, as a click is: the dialog may open another modal window in turn.
  Post(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(button));
}

// ---- Keyboard and mouse

void Keyboard::Input(std::initializer_list<UINT> chord) {
  // Downs in order, ups in reverse: Ctrl goes down first and up last.
  const size_t n = chord.size();
  std::vector<INPUT> in(2 * n);
  size_t i = 0;
  for (UINT vk : chord) {
    in[i] = KeyInput(vk, false);
    in[2 * n - 1 - i] = KeyInput(vk, true);
    ++i;
  }
  SendInputs(in);
}

void Keyboard::InputKeys(const std::vector<UINT>& keys) {
  std::vector<INPUT> in;
  for (UINT vk : keys) {
    in.push_back(KeyInput(vk, false));
    in.push_back(KeyInput(vk, true));
  }
  SendInputs(in);
}

void Keyboard::Post(HWND target, UINT vk) {
  e2e::Post(target, WM_KEYDOWN, vk, KeyLParam(vk, false));
  // The key may have closed its window already (Escape or Enter in a popup);
  // then there is nothing left to release it in.
  PostMessageA(target, WM_KEYUP, vk, KeyLParam(vk, true));
}

void Keyboard::PostKeys(HWND target, const std::vector<UINT>& keys) {
  for (UINT vk : keys) Post(target, vk);
}

HeldKey::HeldKey(UINT vk) : vk_(vk) {
  if (const char* x = XKeyName(vk)) XdoTool({"keydown", x});
  SendInputs({KeyInput(vk, false)});
  down_ = true;
  WaitUntil([&] { return GetAsyncKeyState(int(vk)) < 0; }, 1s);
}

HeldKey::~HeldKey() { Release(); }

void HeldKey::Release() {
  if (!down_) return;
  down_ = false;
  if (const char* x = XKeyName(vk_)) XdoTool({"keyup", x});
  INPUT up = KeyInput(vk_, true);
  SendInput(1, &up, sizeof up);
  WaitUntil([&] { return GetAsyncKeyState(int(vk_)) >= 0; }, 1s);
}

void ReleaseModifiers() {
  static const UINT keys[] = {VK_SHIFT, VK_CONTROL, VK_MENU};
  bool anyDown = false;
  for (UINT vk : keys) anyDown = anyDown || GetAsyncKeyState(int(vk)) < 0;
  // The X side may still be down after a test that was killed mid-hold,
  // even when Wine has forgotten; telling X costs one short run of xdotool.
  XdoTool({"keyup", "Shift_L", "Shift_R", "Control_L", "Control_R", "Alt_L", "Alt_R"});
  if (anyDown) {
    std::vector<INPUT> in;
    for (UINT vk : keys)
      if (GetAsyncKeyState(int(vk)) < 0) in.push_back(KeyInput(vk, true));
    SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
  }
}

void Click(HWND hwnd, POINT p) {
  const LPARAM at = MAKELPARAM(p.x, p.y);
  Post(hwnd, WM_MOUSEMOVE, 0, at);
  Post(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
  Post(hwnd, WM_LBUTTONUP, 0, at);
}

void RightClick(HWND hwnd, POINT p) {
  const LPARAM at = MAKELPARAM(p.x, p.y);
  Post(hwnd, WM_MOUSEMOVE, 0, at);
  Post(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, at);
  Post(hwnd, WM_RBUTTONUP, 0, at);
}

void PostCommand(HWND hwnd, int id) { Post(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

// ---- Popup menus

std::vector<HWND> PopupMenus(DWORD pid) {
  std::vector<HWND> out;
  for (HWND h : TopWindows(pid))
    if (IsWindowVisible(h) && ClassName(h) == "#32768") out.push_back(h);
  return out;
}

void MovePointer(POINT p) {
  // While a menu is open its program holds the X pointer grab, and Wine's
  // SetCursorPos gives up without a grab of its own; X moves it anyway.
  if (!XdoTool({"mousemove", std::to_string(p.x), std::to_string(p.y)})) SetCursorPos(p.x, p.y);
  POINT now{};
  if (!WaitUntil([&] { return GetCursorPos(&now) && now.x == p.x && now.y == p.y; }, 2s))
    Fail("the pointer did not move to " + std::to_string(p.x) + "," + std::to_string(p.y));
}

HWND WaitPopupMenu(DWORD pid, size_t depth, Duration timeout) {
  std::vector<HWND> shown;
  if (WaitUntil([&] { return (shown = PopupMenus(pid)).size() == depth; }, timeout))
    return shown.front();
  Fail("process " + std::to_string(pid) + " shows " + std::to_string(shown.size()) +
       " popup menu levels, not " + std::to_string(depth) + ", after " +
       std::to_string(timeout.count()) + " ms; its windows:\n" + DescribeWindows({pid}));
}

void PostMenuKeys(DWORD pid, const std::vector<UINT>& keys) {
  const auto shown = PopupMenus(pid);
  if (shown.empty()) Fail("process " + std::to_string(pid) + " shows no popup menu");
  Keyboard::PostKeys(shown.back(), keys);
}

HWND WaitNewPopupMenu(DWORD pid, HWND previous, Duration timeout) {
  std::vector<HWND> shown;
  // Wine makes a new window for every popup, so a handle other than the old
  // one is a popup shown again, however quickly it followed.
  if (WaitUntil([&] { return (shown = PopupMenus(pid)).size() == 1 && shown.front() != previous; },
                timeout))
    return shown.front();
  Fail("process " + std::to_string(pid) + " did not show its popup again within " +
       std::to_string(timeout.count()) + " ms; its windows:\n" + DescribeWindows({pid}));
}

void WaitNoPopupMenu(DWORD pid, Duration timeout) {
  if (!WaitUntil([&] { return PopupMenus(pid).empty(); }, timeout))
    Fail("process " + std::to_string(pid) + " still shows a popup menu after " +
         std::to_string(timeout.count()) + " ms");
}

std::vector<MenuItem> ReadPopupMenu(HWND popup) {
  const auto menu = WPARAM(SendTimeout(popup, MN_GETHMENU, 0, 0));
  if (!menu) Fail("popup window " + Hex(popup) + " has no menu");
  // To the first level, which lasts as long as the menu (see PostMenuKeys).
  const auto shown = PopupMenus(ProcessOf(popup));
  return ReadMenuInside(shown.empty() ? popup : shown.back(), menu, 0);
}

std::vector<MenuItem> ReadMenuBar(HWND window) { return ReadMenuInside(window, 0, LPARAM(window)); }

UINT MenuBarCommand(HWND window, const std::vector<std::string>& path) {
  std::vector<MenuItem> items = ReadMenuBar(window);
  for (size_t i = 0; i < path.size(); ++i) {
    auto it = std::find_if(items.begin(), items.end(), [&](const MenuItem& m) { return m.text == path[i]; });
    if (it == items.end()) Fail("no menu entry " + utf8(path[i]));
    if (i + 1 == path.size()) return it->id;
    std::vector<MenuItem> inner = it->items;  // `it` points into `items`
    items = std::move(inner);
  }
  return 0;
}

std::vector<std::string> Texts(const std::vector<MenuItem>& items) {
  std::vector<std::string> out;
  for (const auto& i : items) out.push_back(i.kind == MenuItem::Separator ? "-" : i.text);
  return out;
}

// ---- Tree views

HTREEITEM TreeItem(HWND tree, UINT how, HTREEITEM item) {
  return HTREEITEM(SendTimeout(tree, TVM_GETNEXTITEM, how, LPARAM(item)));
}

POINT TreeItemPoint(HWND tree, HTREEITEM item) {
  // The rectangle goes through the tree's own memory: the message takes the
  // item in its first bytes and gives the rectangle back there.
  const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE,
                                     FALSE, ProcessOf(tree));
  if (!process) Fail("cannot open the process of tree view " + Hex(tree));
  void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  RECT r{};
  std::memcpy(&r, &item, sizeof item);
  const bool shown = remote && WriteProcessMemory(process, remote, &r, sizeof r, nullptr) &&
                     SendTimeout(tree, TVM_GETITEMRECT, TRUE, LPARAM(remote)) &&
                     ReadProcessMemory(process, remote, &r, sizeof r, nullptr);
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  if (!shown) Fail("tree item " + Hex(item) + " is not shown");
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// ---- Probe log

std::string ProbeRecord::Get(const std::string& key) const {
  const auto it = values.find(key);
  return it == values.end() ? std::string() : it->second;
}

std::vector<std::string> ProbeRecord::argv() const {
  std::vector<std::string> out;
  const int n = std::atoi(Get("argc").c_str());
  for (int i = 1; i <= n; ++i) out.push_back(Get("arg" + std::to_string(i)));
  return out;
}

int ProbeRecord::show() const { return std::atoi(Get("show").c_str()); }

namespace {
std::vector<ProbeRecord> ParseProbeLog(const std::string& text) {
  std::vector<ProbeRecord> records;
  ProbeRecord current;
  size_t start = 0;
  // Only complete records count: each ends with an empty line.
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    if (end == std::string::npos) break;
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) {
      if (!current.values.empty()) records.push_back(std::move(current));
      current = ProbeRecord{};
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string::npos) Fail("probe log line without '=': " + utf8(line));
    current.values[line.substr(0, eq)] = Unescape(line.substr(eq + 1));
  }
  return records;
}
}  // namespace

ProbeLog::ProbeLog(const std::string& folder) : path_(folder + "\\probe.log") {}

std::pair<std::string, std::string> ProbeLog::Variable() const { return {"OSTREVAN_PROBE_LOG", path_}; }

std::vector<ProbeRecord> ProbeLog::Records() const {
  if (GetFileAttributesA(path_.c_str()) == INVALID_FILE_ATTRIBUTES) return {};
  // The probes write under this lock; reading under it never sees half a record.
  const HANDLE lock = CreateMutexA(nullptr, FALSE, "OstrevanProbeLog");
  const bool locked = lock && WaitForSingleObject(lock, 5000) != WAIT_TIMEOUT;
  std::string text;
  try {
    text = ReadBytes(path_);
  } catch (...) {
    if (locked) ReleaseMutex(lock);
    if (lock) CloseHandle(lock);
    throw;
  }
  if (locked) ReleaseMutex(lock);
  if (lock) CloseHandle(lock);
  return ParseProbeLog(text);
}

std::vector<ProbeRecord> ProbeLog::WaitRecords(size_t n, Duration timeout) const {
  std::vector<ProbeRecord> records;
  if (WaitUntil([&] { return (records = Records()).size() >= n; }, timeout, 50ms)) return records;
  Fail("the probe log has " + std::to_string(records.size()) + " records, not " +
       std::to_string(n) + ", after " + std::to_string(timeout.count()) + " ms");
}

bool ProbeLog::StaysAt(size_t n, Duration time) const {
  return !WaitUntil([&] { return Records().size() > n; }, time, 50ms);
}

std::string ProbePath() { return BesideTest("Probe.exe"); }

std::string Program(const std::string& target) {
  char path[MAX_PATH * 2];
  const DWORD n = GetEnvironmentVariableA(("E2E_PROGRAM_" + target).c_str(), path, sizeof path);
  if (n > 0 && n < sizeof path) return DosPath(path);
  const std::string beside = BesideTest(target + ".exe");
  if (GetFileAttributesA(beside.c_str()) == INVALID_FILE_ATTRIBUTES)
    Fail("no program " + target + ": not registered with the test, nor at " + utf8(beside));
  return beside;
}

}  // namespace e2e
