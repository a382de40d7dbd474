// Opening a folder submenu of 1,000 files: the launcher, from its start
// until the folder's submenu is on the screen (its popup opened, then the
// submenu opened by Down and Right typed through the X server as soon as the
// popup shows, as a user's keys), against FloorFolder.exe, which shows the
// same folder's entries as a popup of plain items, from its start until that
// popup is on the screen. Both measured in the same rounds; the launcher
// with its icon cache current (the folder's pictures are never cached).
//
//   folder_bench.exe <folder with Ostrevan.exe and FloorFolder.exe> [runs]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "../BenchStart.h"

namespace {

struct Popups {
  DWORD pid;
  std::vector<HWND> shown;
};

BOOL CALLBACK CollectPopup(HWND hwnd, LPARAM param) {
  auto* popups = reinterpret_cast<Popups*>(param);
  char cls[16] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == popups->pid && std::string(cls) == "#32768" && IsWindowVisible(hwnd)) popups->shown.push_back(hwnd);
  return TRUE;
}

std::vector<HWND> PopupsOf(DWORD pid) {
  Popups popups{pid, {}};
  EnumWindows(CollectPopup, reinterpret_cast<LPARAM>(&popups));
  return popups.shown;
}

// Keys typed on the X server's keyboard (xdotool through Wine's spawn of a
// Unix program), as the end-to-end tests type them.
bool TypeInX(const char* keys) {
  using UnixSpawn = LONG(WINAPI*)(char* const argv[], int wait);
  static const auto spawn = reinterpret_cast<UnixSpawn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "__wine_unix_spawnvp")));
  if (!spawn) return false;
  std::string tool = "xdotool", key = "key", list = keys;
  std::vector<char*> argv{tool.data(), key.data()};
  std::vector<std::string> words;
  for (size_t at = 0; at < list.size();) {
    const size_t end = std::min(list.find(' ', at), list.size());
    words.push_back(list.substr(at, end - at));
    at = end + 1;
  }
  for (auto& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  return spawn(argv.data(), TRUE) == 0;
}

// Milliseconds from the start until `levels` popups of the program are on
// the screen; with two, the keys that open the submenu are typed as soon as
// the first shows. Negative when they never came within 20 s. The program
// is then closed with Escape (and ended, should it not end by itself).
double TimeToLevels(const std::string& commandLine, int levels) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string cmd = commandLine;
  const double start = Now();
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
  double ms = -1;
  bool typed = false;
  for (;;) {
    const std::vector<HWND> shown = PopupsOf(pi.dwProcessId);
    const double elapsed = Now() - start;
    if (int(shown.size()) >= levels) {
      ms = elapsed;
      for (int i = 0; i < levels; ++i) PostMessageA(shown.back(), WM_KEYDOWN, VK_ESCAPE, 0);
      break;
    }
    if (!typed && shown.size() == 1 && levels > 1) typed = TypeInX("Down Right");
    if (elapsed > 20000 || WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
    Sleep(1);
  }
  EndProgram(pi, 5000);
  return ms;
}

// 1,000 files of four types, a tenth of them programs with icons of their own.
void FillFolder(const std::string& folder) {
  CreateDirectoryA(folder.c_str(), nullptr);
  static const char* const kTypes[] = {".txt", ".bmp", ".html"};
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  for (int i = 0; i < 1000; ++i) {
    const std::string name = folder + "\\file " + std::to_string(i);
    if (i % 10 == 0)
      CopyFileA((std::string(windows) + "\\notepad.exe").c_str(), (name + ".exe").c_str(), FALSE);
    else
      std::ofstream(name + kTypes[i % 3], std::ios::binary) << "x";
  }
}

void EmptyFolder(const std::string& folder) {
  WIN32_FIND_DATAA data;
  const HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do DeleteFileA((folder + "\\" + data.cFileName).c_str());
    while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(folder.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const BenchStart start = StartBench(argc, argv, "folder_bench", 7, {"Ostrevan.exe", "FloorFolder.exe"});
  const std::string& bin = start.bin;
  const int runs = start.runs;
  const std::string& temp = start.temp;
  const std::string folder = temp + "ostrevan-bench-folder";
  const std::string menu = temp + "ostrevan-bench-folder.txt";
  FillFolder(folder);
  std::ofstream(menu, std::ios::binary) << "Folder[" << folder << "]\r\n\r\n";
  const std::string launcher = "\"" + bin + "\\Ostrevan.exe\" \"" + menu + "\"";
  const std::string floor = "\"" + bin + "\\FloorFolder.exe\" \"" + folder + "\"";

  std::printf(
      "start until the folder's entries are on the screen, median of %d runs in ms: the launcher's\n"
      "folder submenu (its popup, then Down and Right typed in X) against FloorFolder.exe (the folder\n"
      "as a popup of plain items), 1,000 files, started in the same rounds; popup: the launcher's\n"
      "first popup alone.\n\n",
      runs);
  TimeToLevels(launcher, 2);  // warm the disk and write the cache once
  std::vector<double> floors, popups, submenus, differences;
  for (int r = 0; r < runs; ++r) {
    const double f = TimeToLevels(floor, 1), p = TimeToLevels(launcher, 1), s = TimeToLevels(launcher, 2);
    floors.push_back(f);
    popups.push_back(p);
    submenus.push_back(s);
    differences.push_back(s - f);
  }
  int status = 0;
  const auto missed = [](const std::vector<double>& v) {
    return std::any_of(v.begin(), v.end(), [](double ms) { return ms <= 0; });
  };
  if (missed(floors) || missed(popups) || missed(submenus)) {
    std::printf("FAILED: a start showed no popup within 20 s\n");
    status = 1;
  } else {
    const double f = Median(floors), s = Median(submenus);
    std::printf("%9s %9s %9s %10s %10s\n", "floor", "popup", "submenu", "submenu/flr", "submenu-flr");
    std::printf("%9.1f %9.1f %9.1f %10.2f %10.1f\n", f, Median(popups), s, s / f, Median(differences));
  }
  EmptyFolder(folder);
  DeleteFileA(menu.c_str());
  DeleteFileA((menu.substr(0, menu.size() - 4) + ".tmp").c_str());
  return status;
}
