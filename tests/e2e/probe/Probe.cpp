// The program that end-to-end tests name as the target of menu entries. It
// writes down how it was started, so a test can check what the launcher
// asked the shell for, and ends at once without showing anything.
//
// One record per start is appended to the file named by OSTREVAN_PROBE_LOG:
// key=value lines, then an empty line. Values are the raw bytes the program
// got (Shift-JIS), with '%', CR, LF and other control bytes written as %XX,
// so every record is exactly its lines. Shift-JIS trail bytes are never below
// 0x40, so the escape cannot split a double-byte character.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Escape(const char* s) {
  std::string out;
  for (; *s; ++s) {
    const unsigned char c = static_cast<unsigned char>(*s);
    if (c < 0x20 || c == '%' || c == 0x7F) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    } else {
      out += char(c);
    }
  }
  return out;
}

void Add(std::string& record, const char* key, const std::string& value) {
  record += key;
  record += '=';
  record += Escape(value.c_str());
  record += "\r\n";
}

// The command line after the program name, split the way the C runtime and
// the programs of this project split it: a quoted name runs to the next
// quote, an unquoted one to the first blank; blanks after it are skipped.
const char* ArgumentTail(const char* line) {
  const char* p = line;
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') p = CharNextA(p);
    if (*p == '"') ++p;
  } else {
    while (*p && *p != ' ' && *p != '\t') p = CharNextA(p);
  }
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

std::string Number(unsigned long n) { return std::to_string(n); }

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char logPath[MAX_PATH];
  const DWORD n = GetEnvironmentVariableA("OSTREVAN_PROBE_LOG", logPath, sizeof logPath);
  if (n == 0 || n >= sizeof logPath) return 0;

  STARTUPINFOA si{};
  si.cb = sizeof si;
  GetStartupInfoA(&si);
  char cwd[MAX_PATH] = "";
  const DWORD cwdLen = GetCurrentDirectoryA(sizeof cwd, cwd);
  if (cwdLen == 0 || cwdLen >= sizeof cwd) cwd[0] = '\0';
  char module[MAX_PATH] = "";
  const DWORD modLen = GetModuleFileNameA(nullptr, module, sizeof module);
  if (modLen == 0 || modLen >= sizeof module) module[0] = '\0';
  const char* line = GetCommandLineA();

  std::string record;
  Add(record, "cmdline", line);
  Add(record, "args", ArgumentTail(line));
  Add(record, "argc", Number(__argc > 0 ? __argc - 1 : 0));
  for (int i = 1; i < __argc; ++i) Add(record, ("arg" + Number(i)).c_str(), __argv[i]);
  Add(record, "cwd", cwd);
  Add(record, "show", Number(si.wShowWindow));
  Add(record, "module", module);
  record += "\r\n";

  // Two probes started in quick succession must not interleave: the record
  // goes out in one appending write, and a named mutex keeps a reader that
  // polls the file from ever seeing half of one.
  const HANDLE lock = CreateMutexA(nullptr, FALSE, "OstrevanProbeLog");
  const bool locked = lock && WaitForSingleObject(lock, 10000) != WAIT_TIMEOUT;
  const HANDLE file = CreateFileA(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  int rc = 1;
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    if (WriteFile(file, record.data(), DWORD(record.size()), &written, nullptr) &&
        written == record.size())
      rc = 0;
    CloseHandle(file);
  }
  if (locked) ReleaseMutex(lock);
  if (lock) CloseHandle(lock);
  return rc;
}
