// What the benchmark drivers share. First what each does at its start: its
// arguments ("<bin folder> [runs]"), the programs it compares found in that
// folder, and the temporary folder for its files. A run that cannot measure
// ends here, loudly, so that no ratio is ever printed for nothing. Then the
// clock, the ending of a measured program and the median of the runs.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

struct BenchStart {
  std::string bin;   // the folder of the programs measured
  int runs;
  std::string temp;  // the system's temporary folder, with its backslash
};

inline BenchStart StartBench(int argc, char** argv, const char* name, int defaultRuns,
                             std::initializer_list<const char*> programs) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <bin folder> [runs]\n", name);
    std::exit(2);
  }
  BenchStart start{argv[1], argc > 2 ? std::max(1, std::atoi(argv[2])) : defaultRuns, {}};
  for (const char* program : programs) {
    if (GetFileAttributesA((start.bin + "\\" + program).c_str()) == INVALID_FILE_ATTRIBUTES) {
      std::fprintf(stderr, "%s: FAILED: no %s in %s\n", name, program, start.bin.c_str());
      std::exit(1);
    }
  }
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  start.temp = temp;
  return start;
}

// Milliseconds on the precise clock.
inline double Now() {
  static const LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return double(now.QuadPart) * 1000.0 / double(freq.QuadPart);
}

// Gives a measured program `grace` ms to end by itself, then ends it.
inline void EndProgram(PROCESS_INFORMATION& pi, DWORD grace) {
  if (WaitForSingleObject(pi.hProcess, grace) != WAIT_OBJECT_0) {
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 5000);
  }
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
}

// The median of the runs; -1 for none.
inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? -1 : v[v.size() / 2];
}
