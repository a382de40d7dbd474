// Start-to-popup time of the launcher against the floor program, for menus of
// 10, 100 and 1,000 entries, in cache and in build mode, at 96 and 144 dpi
// (the floor at the same DPI as the launcher it is held against). Everything is
// measured in the same run, so the ratios hold on a noisy machine; then the
// same starts once more with the start-up trace on, for where the time goes.
//
//   launcher_bench.exe <folder with Ostrevan.exe and FloorPopup.exe> [runs]
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../BenchStart.h"
#include "StartupTrace.h"

namespace {

struct Found {
  DWORD pid;
  HWND popup;
};

BOOL CALLBACK FindPopup(HWND hwnd, LPARAM param) {
  auto* found = reinterpret_cast<Found*>(param);
  char cls[16] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == found->pid && std::string(cls) == "#32768" && IsWindowVisible(hwnd)) {
    found->popup = hwnd;
    return FALSE;
  }
  return TRUE;
}

// Milliseconds from starting the program until its popup menu is on screen;
// negative when no popup came within 20 s. `sinceCreation` gets the same
// moment by the clock of the start-up trace. The popup is then closed with
// Escape, as a user would, so that the launcher finishes its work (a cache it
// writes once the popup shows) and ends by itself.
double TimeToPopup(const std::string& commandLine, double* sinceCreation = nullptr) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string cmd = commandLine;
  const double start = Now();
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return -1;
  double ms = -1;
  for (;;) {
    Found found{pi.dwProcessId, nullptr};
    EnumWindows(FindPopup, reinterpret_cast<LPARAM>(&found));
    const double elapsed = Now() - start;
    if (found.popup) {
      ms = elapsed;
      if (sinceCreation) {
        const double shown = MillisecondsSinceCreation(pi.hProcess);
        if (shown >= 0) *sinceCreation = shown;
      }
      PostMessageA(found.popup, WM_KEYDOWN, VK_ESCAPE, 0);
      break;
    }
    if (elapsed > 20000 || WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
    Sleep(1);
  }
  EndProgram(pi, 5000);
  return ms;
}

// A menu of programs that have icons, with a separator every tenth entry and
// a submenu every hundredth, the way real menus are laid out; every other
// submenu shows a folder too (read only when it opens).
void WriteMenu(const std::string& path, int entries) {
  static const char* const targets[] = {
      "C:\\windows\\notepad.exe", "C:\\windows\\regedit.exe", "C:\\windows\\system32\\winemine.exe",
      "C:\\windows\\system32\\cmd.exe", "C:\\windows\\explorer.exe"};
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (int k = 0; k < entries; ++k) {
    if (k % 100 == 99) {
      out << "Folder " << k << (k % 200 == 99 ? "[C:\\windows]" : "") << "\r\n\r\n";
    } else if (k % 10 == 9) {
      out << (k % 100 > 90 ? "\t" : "") << "\r\n" << (k % 100 > 90 ? "\t" : "") << "\r\n";
    } else {
      out << "Program " << k << "\r\n" << targets[k % 5] << " /x\r\n";
    }
  }
}

// The steps a traced start wrote: milliseconds since process creation, by name.
std::vector<std::pair<std::string, double>> ReadTrace(const std::string& path) {
  std::vector<std::pair<std::string, double>> steps;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    double ms = 0;
    std::string name;
    if (fields >> ms && std::getline(fields >> std::ws, name)) steps.emplace_back(name, ms);
  }
  return steps;
}

const char* const kPrograms[] = {"floor", "cache", "build"};
// 100 % and 150 %: the launcher's icons, and so its cache, grow with the DPI.
const int kDpis[] = {96, 144};

// One program's traced starts: the times of each step, by name.
using Traced = std::map<std::string, std::vector<double>>;
const char kShown[] = "popup on screen";

void PrintBreakdown(int dpi, int entries, const Traced (&traced)[3]) {
  // Steps in the order they happen: those of the launcher with its cache,
  // then any other program's step right after the step it follows there.
  std::vector<std::string> order;
  for (int p : {1, 2, 0}) {
    std::vector<std::pair<double, std::string>> steps;
    for (const auto& [name, times] : traced[p]) steps.emplace_back(Median(times), name);
    std::sort(steps.begin(), steps.end());
    auto at = order.begin();
    for (const auto& step : steps) {
      auto found = std::find(order.begin(), order.end(), step.second);
      at = found != order.end() ? found + 1 : order.insert(at, step.second) + 1;
    }
  }

  std::printf("\nwhere the time goes, %d entries at %d dpi: median ms since process creation, and\n"
              "(+ms) since the step before\n",
              entries, dpi);
  std::printf("%-26s", "step");
  for (const char* p : kPrograms) std::printf(" %17s", p);
  std::printf("\n");
  double previous[3] = {0, 0, 0};
  auto cell = [&](int p, double at) {
    std::printf(" %8.1f (%+6.1f)", at, at - previous[p]);
    previous[p] = at;
  };
  for (const std::string& name : order) {
    std::printf("%-26s", name.c_str());
    for (int p = 0; p < 3; ++p) {
      auto it = traced[p].find(name);
      if (it == traced[p].end())
        std::printf(" %17s", "");
      else
        cell(p, Median(it->second));
    }
    std::printf("\n");
  }
}

}  // namespace

int main(int argc, char** argv) {
  const BenchStart start = StartBench(argc, argv, "launcher_bench", 7, {"Ostrevan.exe", "FloorPopup.exe"});
  const std::string& bin = start.bin;
  const int runs = start.runs;
  const std::string& temp = start.temp;
  const std::string tracePath = temp + "ostrevan-bench-trace.txt";

  // Wine reads the DPI as a program starts: each start takes the value set
  // before it. The test bed's own value comes back at the end.
  const char kDesktop[] = "Control Panel\\Desktop";
  DWORD ownDpi = 0, ownSize = sizeof ownDpi;
  const bool hadDpi = RegGetValueA(HKEY_CURRENT_USER, kDesktop, "LogPixels", RRF_RT_REG_DWORD, nullptr, &ownDpi,
                                   &ownSize) == ERROR_SUCCESS;
  const auto setDpi = [&](DWORD dpi) {
    RegSetKeyValueA(HKEY_CURRENT_USER, kDesktop, "LogPixels", REG_DWORD, &dpi, sizeof dpi);
  };

  std::printf(
      "start to popup on screen, median of %d runs in ms; the launcher against the floor\n"
      "(FloorPopup.exe: a bare Win32 popup of as many plain items) started in the same round\n"
      "at the same DPI, as a ratio and as the median difference; cache: icon cache current,\n"
      "build: no cache. Each round starts all three at every DPI, one DPI after the other.\n\n",
      runs);
  std::printf("%-8s %5s %9s %9s %9s %10s %10s %10s %10s\n", "entries", "dpi", "floor", "cache", "build",
              "cache/flr", "build/flr", "cache-flr", "build-flr");
  int status = 0;
  std::map<std::pair<int, int>, Traced[3]> traces;  // by DPI and entries
  for (int entries : {10, 100, 1000}) {
    // A menu file of its own for each DPI, so that each keeps its cache.
    struct Screen {
      int dpi;
      std::string menu, cache, launcher;
      std::vector<double> times[3], cacheDiff, buildDiff;
    };
    std::vector<Screen> screens;
    for (int dpi : kDpis) {
      Screen& screen = screens.emplace_back();
      screen.dpi = dpi;
      screen.menu = temp + "ostrevan-bench-" + std::to_string(entries) + "-" + std::to_string(dpi) + ".txt";
      screen.cache = screen.menu.substr(0, screen.menu.size() - 4) + ".tmp";
      screen.launcher = "\"" + bin + "\\Ostrevan.exe\" \"" + screen.menu + "\"";
      WriteMenu(screen.menu, entries);
    }
    const std::string floor = "\"" + bin + "\\FloorPopup.exe\" " + std::to_string(entries);

    // One start at the screen's DPI: the floor, the launcher with its cache,
    // or without (it leaves the cache for the next round).
    auto start = [&](const Screen& screen, int program, double* sinceCreation = nullptr) {
      setDpi(DWORD(screen.dpi));
      if (program == 2) DeleteFileA(screen.cache.c_str());
      return TimeToPopup(program == 0 ? floor : screen.launcher, sinceCreation);
    };

    for (Screen& screen : screens) start(screen, 1);  // warm the disk and write the cache once
    for (int r = 0; r < runs; ++r)
      for (Screen& screen : screens) {
        double ms[3];
        for (int p = 0; p < 3; ++p) screen.times[p].push_back(ms[p] = start(screen, p));
        screen.cacheDiff.push_back(ms[1] - ms[0]);
        screen.buildDiff.push_back(ms[2] - ms[0]);
      }
    for (const Screen& screen : screens) {
      const auto& times = screen.times;
      const double f = Median(times[0]), c = Median(times[1]), b = Median(times[2]);
      // A start that never showed its popup counts as no figure at all: a
      // ratio of nothing to nothing would read as a result.
      const auto missed = [](const std::vector<double>& v) {
        return std::any_of(v.begin(), v.end(), [](double ms) { return ms <= 0; });
      };
      if (missed(times[0]) || missed(times[1]) || missed(times[2])) {
        status = 1;
        std::printf("%-8d %5d FAILED: a start showed no popup within 20 s (floor %s, cache %s, build %s)\n", entries,
                    screen.dpi, missed(times[0]) ? "missed" : "ok", missed(times[1]) ? "missed" : "ok",
                    missed(times[2]) ? "missed" : "ok");
        continue;
      }
      std::printf("%-8d %5d %9.1f %9.1f %9.1f %10.2f %10.2f %10.1f %10.1f\n", entries, screen.dpi, f, c, b, c / f,
                  b / f, Median(screen.cacheDiff), Median(screen.buildDiff));
    }
    std::fflush(stdout);

    // The same rounds with the trace on: its writes cost a little, so these
    // are kept apart from the figures above.
    SetEnvironmentVariableA("OSTREVAN_STARTUP_TRACE", tracePath.c_str());
    for (int r = 0; r < runs; ++r)
      for (const Screen& screen : screens) {
        Traced(&traced)[3] = traces[{screen.dpi, entries}];
        for (int p = 0; p < 3; ++p) {
          DeleteFileA(tracePath.c_str());
          double shown = -1;
          start(screen, p, &shown);
          if (shown >= 0) traced[p][kShown].push_back(shown);  // no popup: no figure
          for (const auto& [name, ms] : ReadTrace(tracePath)) traced[p][name].push_back(ms);
        }
      }
    SetEnvironmentVariableA("OSTREVAN_STARTUP_TRACE", nullptr);
    DeleteFileA(tracePath.c_str());
    for (const Screen& screen : screens) {
      DeleteFileA(screen.menu.c_str());
      DeleteFileA(screen.cache.c_str());
    }
  }
  if (hadDpi) setDpi(ownDpi);
  else RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktop, "LogPixels");
  for (const auto& [at, traced] : traces) PrintBreakdown(at.first, at.second, traced);
  if (status) std::fprintf(stderr, "launcher_bench: FAILED: some starts measured nothing\n");
  return status;
}
