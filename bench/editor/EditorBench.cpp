// Time for Calvenor.exe to open, show and save a menu of 5,000 entries,
// against the floor: a minimal program that fills a tree view with as many
// plain nodes and shows it. A second floor makes the editor's whole window
// in plain Win32 and fills its tree the same way: against it, what the
// windows themselves cost drops out and the layer's and the editor's own work
// is left. All run here, in turn, so the ratios hold on a noisy machine.
//
//   editor_bench.exe <folder with Calvenor.exe and FloorTree.exe> [runs]
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "../BenchStart.h"
#include "Driver.h"
#include "TestText.h"

namespace {

constexpr int kEntries = 5000;

struct Run {
  double shown = -1;  // start to a responsive window whose tree holds every node
  double saved = -1;  // the save command, start to finish
};

// Starts the program, waits until its main window answers messages with the
// tree full, optionally saves through the File menu, and ends it.
Run Measure(const std::string& commandLine, const char* mainClass, int nodes, bool save) {
  Run run;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string cmd = commandLine;
  const double start = Now();
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return run;
  HWND window = nullptr;
  HWND tree = nullptr;
  while (Now() - start < 60000 && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
    const auto shown = e2e::TopWindows(pi.dwProcessId, mainClass);
    window = shown.empty() ? nullptr : shown[0];
    if (window) {
      // Answered only once the program is back in its message loop.
      DWORD_PTR ignored = 0;
      SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &ignored);
      tree = FindWindowExA(window, nullptr, WC_TREEVIEWA, nullptr);
      if (tree && int(SendMessageA(tree, TVM_GETCOUNT, 0, 0)) == nodes) {
        // And once it has painted what it shows.
        SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &ignored);
        run.shown = Now() - start;
        break;
      }
    }
    Sleep(1);
  }
  if (run.shown > 0 && save) {
    try {
      const UINT id = e2e::MenuBarCommand(window, {sjis("ファイル(&F)"), sjis("保存(&S)"), sjis("保存(&S)")});
      const double before = Now();
      DWORD_PTR ignored = 0;
      if (SendMessageTimeoutA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0, SMTO_NORMAL, 60000, &ignored))
        run.saved = Now() - before;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "editor_bench: %s\n", e.what());
    }
  }
  EndProgram(pi, 0);
  return run;
}

// Programs with icons, a separator every tenth entry, a submenu every
// hundredth holding the entries up to the next one, as real menus are laid out.
void WriteMenu(const std::string& path) {
  static const char* const targets[] = {
      "C:\\windows\\notepad.exe", "C:\\windows\\regedit.exe", "C:\\windows\\system32\\winemine.exe",
      "C:\\windows\\system32\\cmd.exe", "C:\\windows\\explorer.exe"};
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (int k = 0; k < kEntries; ++k) {
    const char* tab = k % 100 == 0 || k < 100 ? "" : "\t";
    if (k % 100 == 0 && k > 0) {
      out << "Folder " << k << "<none,0>\r\n\r\n";
    } else if (k % 10 == 9) {
      out << tab << "\r\n" << tab << "\r\n";
    } else {
      out << tab << sjis("プログラム ") << k << "\r\n" << tab << targets[k % 5] << " /x\r\n";
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  const BenchStart start = StartBench(argc, argv, "editor_bench", 5, {"Calvenor.exe", "FloorTree.exe"});
  const std::string& bin = start.bin;
  const int runs = start.runs;
  const std::string& temp = start.temp;
  const std::string menu = temp + "calvenor-bench.txt";
  WriteMenu(menu);
  const std::string editor = "\"" + bin + "\\Calvenor.exe\" \"" + menu + "\"";
  const std::string floor = "\"" + bin + "\\FloorTree.exe\" " + std::to_string(kEntries);
  const std::string floorWindow = floor + " window";

  std::vector<double> floorMs, windowMs, shownMs, savedMs, totalMs;
  Measure(editor, "OstrevanWindow", kEntries, false);  // warm the disk
  for (int r = 0; r < runs; ++r) {
    const Run fl = Measure(floor, "FloorTree", kEntries, false);
    const Run fw = Measure(floorWindow, "FloorTree", kEntries, false);
    const Run ed = Measure(editor, "OstrevanWindow", kEntries, true);
    floorMs.push_back(fl.shown);
    windowMs.push_back(fw.shown);
    shownMs.push_back(ed.shown);
    savedMs.push_back(ed.saved);
    totalMs.push_back(ed.shown > 0 && ed.saved > 0 ? ed.shown + ed.saved : -1);
  }
  const double f = Median(floorMs), w = Median(windowMs), s = Median(shownMs), v = Median(savedMs),
               t = Median(totalMs);
  DeleteFileA(menu.c_str());
  const auto missed = [](const std::vector<double>& v) {
    return std::any_of(v.begin(), v.end(), [](double ms) { return ms <= 0; });
  };
  if (missed(floorMs) || missed(windowMs) || missed(totalMs)) {
    std::fprintf(stderr, "editor_bench: FAILED: a run measured nothing (floor %s, window floor %s, editor %s)\n",
                 missed(floorMs) ? "missed" : "ok", missed(windowMs) ? "missed" : "ok",
                 missed(totalMs) ? "missed" : "ok");
    return 1;
  }
  std::printf("%d entries, median of %d runs\n", kEntries, runs);
  std::printf("%-34s %10.1f ms\n", "floor: tree of plain nodes shown", f);
  std::printf("%-34s %10.1f ms\n", "floor: the editor's window, plain", w);
  std::printf("%-34s %10.1f ms\n", "editor: menu loaded and shown", s);
  std::printf("%-34s %10.1f ms\n", "editor: saved", v);
  std::printf("%-34s %10.1f ms\n", "editor: loaded, shown and saved", t);
  std::printf("%-34s %10.2f   (goal: 1.15 or less)\n", "ratio editor / floor", t / f);
  std::printf("%-34s %10.2f\n", "ratio editor / its window, plain", t / w);
  return 0;
}
