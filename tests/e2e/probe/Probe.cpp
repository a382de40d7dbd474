// The program that end-to-end tests name as the target of menu entries. It
// appends how it was started to the file OSTREVAN_PROBE_LOG names and ends
// at once, showing nothing: one line of fields split by 0x1F (command line,
// folder, show state, program file, then each argument as the C runtime
// split them) ending in CR LF, in the raw bytes it got. With the argument
// "/window" it is a program the user works in instead: it shows a window of
// class and caption "Probe" in the show state it was given until closed.
#include <windows.h>

#include <string>

namespace {
LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(hwnd, msg, wp, lp);
}

int ShowWindowUntilClosed(HINSTANCE instance, int show) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hbrBackground = HBRUSH(COLOR_WINDOW + 1);
  wc.lpszClassName = "Probe";
  RegisterClassA(&wc);
  ShowWindow(CreateWindowA("Probe", "Probe", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 400, 300, nullptr,
                           nullptr, instance, nullptr),
             show);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}

// Appends this start's record to the log; false when it could not.
bool WriteRecord() {
  char log[MAX_PATH], cwd[MAX_PATH] = "", module[MAX_PATH] = "";
  const DWORD n = GetEnvironmentVariableA("OSTREVAN_PROBE_LOG", log, sizeof log);
  if (n == 0 || n >= sizeof log) return true;  // no log asked for
  STARTUPINFOA si{};
  GetStartupInfoA(&si);
  GetCurrentDirectoryA(sizeof cwd, cwd);
  GetModuleFileNameA(nullptr, module, sizeof module);
  std::string record = std::string(GetCommandLineA()) + '\x1f' + cwd + '\x1f' + std::to_string(si.wShowWindow) +
                       '\x1f' + module;
  for (int i = 1; i < __argc; ++i) record += std::string(1, '\x1f') + __argv[i];
  record += "\r\n";
  // Probes started together append a record each, in one write, under a
  // lock the driver's reader takes too: nobody ever sees half of one.
  const HANDLE lock = CreateMutexA(nullptr, FALSE, "OstrevanProbeLog");
  const bool locked = lock && WaitForSingleObject(lock, 10000) != WAIT_TIMEOUT;
  const HANDLE file = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  const bool ok = file != INVALID_HANDLE_VALUE &&
                  WriteFile(file, record.data(), DWORD(record.size()), &written, nullptr) && written == record.size();
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (locked) ReleaseMutex(lock);
  if (lock) CloseHandle(lock);
  return ok;
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  if (__argc > 1 && std::string(__argv[1]) == "/window") return ShowWindowUntilClosed(instance, show);
  return WriteRecord() ? 0 : 1;
}
