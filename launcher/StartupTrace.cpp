#include "StartupTrace.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>

namespace {

double Milliseconds(const FILETIME& t) {
  return double((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
}

FILE* TraceFile() {
  static FILE* const file = [] {
    char path[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA("OSTREVAN_STARTUP_TRACE", path, sizeof path);
    return n > 0 && n < sizeof path ? std::fopen(path, "a") : nullptr;
  }();
  return file;
}

}  // namespace

void StartupStep(const char* step) {
  FILE* file = TraceFile();
  if (!file) return;
  FILETIME created, exited, kernel, user, now;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  GetSystemTimePreciseAsFileTime(&now);
  std::fprintf(file, "%.2f %s\n", Milliseconds(now) - Milliseconds(created), step);
  std::fflush(file);
}
