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

// The precise clock came with Windows 8; imported by name, it would keep the
// launcher from starting on anything older, traced or not.
void Now(FILETIME* now) {
  using Clock = void(WINAPI*)(FILETIME*);
  static const Clock precise = reinterpret_cast<Clock>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
  (precise ? precise : GetSystemTimeAsFileTime)(now);
}

}  // namespace

double MillisecondsSinceCreation(HANDLE process) {
  FILETIME created, exited, kernel, user, now;
  Now(&now);
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
  return Milliseconds(now) - Milliseconds(created);
}

void StartupStep(const char* step) {
  FILE* file = TraceFile();
  if (!file) return;
  std::fprintf(file, "%.2f %s\n", MillisecondsSinceCreation(GetCurrentProcess()), step);
  std::fflush(file);
}
