// Start-to-popup time of the launcher against the floor program, for menus of
// 10, 100 and 1,000 entries, in cache and in build mode. Everything is
// measured in the same run, so the ratios hold on a noisy machine.
//
//   launcher_bench.exe <folder with Ostrevan.exe and FloorPopup.exe> [runs]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Found {
  DWORD pid;
  bool visible;
};

BOOL CALLBACK FindPopup(HWND hwnd, LPARAM param) {
  auto* found = reinterpret_cast<Found*>(param);
  char cls[16] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == found->pid && std::string(cls) == "#32768" && IsWindowVisible(hwnd)) {
    found->visible = true;
    return FALSE;
  }
  return TRUE;
}

// Milliseconds from process creation until its popup menu is on screen; the
// process is ended right after. Negative when no popup came within 20 s.
double TimeToPopup(const std::string& commandLine) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string cmd = commandLine;
  LARGE_INTEGER freq, start, now;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&start);
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return -1;
  double ms = -1;
  for (;;) {
    Found found{pi.dwProcessId, false};
    EnumWindows(FindPopup, reinterpret_cast<LPARAM>(&found));
    QueryPerformanceCounter(&now);
    const double elapsed = double(now.QuadPart - start.QuadPart) * 1000.0 / double(freq.QuadPart);
    if (found.visible) {
      ms = elapsed;
      break;
    }
    if (elapsed > 20000 || WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
    Sleep(1);
  }
  TerminateProcess(pi.hProcess, 0);
  WaitForSingleObject(pi.hProcess, 5000);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return ms;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? -1 : v[v.size() / 2];
}

// A menu of programs that have icons, with a separator every tenth entry and
// a submenu every hundredth, the way real menus are laid out.
void WriteMenu(const std::string& path, int entries) {
  static const char* const targets[] = {
      "C:\\windows\\notepad.exe", "C:\\windows\\regedit.exe", "C:\\windows\\system32\\winemine.exe",
      "C:\\windows\\system32\\cmd.exe", "C:\\windows\\explorer.exe"};
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (int k = 0; k < entries; ++k) {
    if (k % 100 == 99) {
      out << "Folder " << k << "\r\n\r\n";
    } else if (k % 10 == 9) {
      out << (k % 100 > 90 ? "\t" : "") << "\r\n" << (k % 100 > 90 ? "\t" : "") << "\r\n";
    } else {
      out << "Program " << k << "\r\n" << targets[k % 5] << " /x\r\n";
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: launcher_bench <bin folder> [runs]\n");
    return 2;
  }
  const std::string bin = argv[1];
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);

  std::printf("%-8s %12s %12s %12s %10s %10s\n", "entries", "floor ms", "cache ms", "build ms",
              "cache/flr", "build/flr");
  int status = 0;
  for (int entries : {10, 100, 1000}) {
    const std::string menu = std::string(temp) + "ostrevan-bench-" + std::to_string(entries) + ".txt";
    const std::string cache = menu.substr(0, menu.size() - 4) + ".tmp";
    WriteMenu(menu, entries);
    const std::string launcher = "\"" + bin + "\\Ostrevan.exe\" \"" + menu + "\"";
    const std::string floor = "\"" + bin + "\\FloorPopup.exe\" " + std::to_string(entries);

    std::vector<double> floorMs, cacheMs, buildMs;
    TimeToPopup(launcher);  // warm the disk and write the cache once
    for (int r = 0; r < runs; ++r) {
      floorMs.push_back(TimeToPopup(floor));
      cacheMs.push_back(TimeToPopup(launcher));
      DeleteFileA(cache.c_str());
      buildMs.push_back(TimeToPopup(launcher));
    }
    const double f = Median(floorMs), c = Median(cacheMs), b = Median(buildMs);
    if (f <= 0 || c <= 0 || b <= 0) status = 1;
    std::printf("%-8d %12.1f %12.1f %12.1f %10.2f %10.2f\n", entries, f, c, b, c / f, b / f);
    std::fflush(stdout);
    DeleteFileA(menu.c_str());
    DeleteFileA(cache.c_str());
  }
  return status;
}
