#include "MenuCache.h"

#include <windows.h>

#include <cstring>

#include "Handle.h"
#include "MenuFile.h"
#include "SysUtils.h"

namespace {

constexpr char kMagic[8] = {'O', 'S', 'T', 'R', 'V', 'C', '0', '4'};
// What every cache this launcher ever wrote begins with, whatever its version.
constexpr size_t kFamily = 6;
constexpr uint32_t kArchiveFlagKept = 1;
// A cache is a few kilobytes per hundred entries; anything far beyond is not one.
constexpr uint32_t kMaxPayload = 64u * 1024 * 1024;

#pragma pack(push, 1)
struct Header {
  char magic[8];
  uint32_t flags;
  uint32_t entryImages;  // numbers before the image list in the payload
  uint64_t menuSize;
  uint64_t menuLastWrite;
  uint32_t payloadSize;
  uint32_t payloadHash;
  uint64_t names;
};
#pragma pack(pop)
// Fixed widths only: 32- and 64-bit launchers read each other's caches.
static_assert(sizeof(Header) == 48);

uint32_t Fnv1a(const char* data, size_t size) {
  uint32_t h = 2166136261u;
  for (size_t i = 0; i < size; ++i) h = (h ^ uint8_t(data[i])) * 16777619u;
  return h;
}

using File = base::KernelHandle;

// A menu file whose own extension is ".tmp" is its own cache name.
bool HasOwnCache(const std::string& menuFileName) {
  return gui::LowerCaseAscii(gui::ExtractFileExt(menuFileName)) != ".tmp";
}

// Two names for one file (a short name, another spelling) are told apart by
// the file system's own identity of the file, not by comparing names.
bool SameFile(HANDLE a, const std::string& otherName) {
  File other(CreateFileA(otherName.c_str(), FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr));
  if (!other) return false;
  BY_HANDLE_FILE_INFORMATION ia{}, ib{};
  if (!GetFileInformationByHandle(a, &ia) || !GetFileInformationByHandle(other.Handle(), &ib))
    return true;  // cannot tell: do not risk the menu file
  return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
         ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

// The attributes that can be set on a file; the others (compressed,
// encrypted, ...) are the file system's to keep.
DWORD Settable(DWORD attributes) {
  attributes &= FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED |
                FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_TEMPORARY;
  return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

// The cache's name may be a file of the user's (a menu saved as "menu.tmp"
// beside "menu.txt"): only nothing, an empty file or a cache of ours is
// written over.
bool MayOverwrite(HANDLE file) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size)) return false;
  if (size.QuadPart == 0) return true;
  char start[kFamily];
  DWORD got = 0;
  return size.QuadPart >= LONGLONG(sizeof(Header)) && ReadFile(file, start, kFamily, &got, nullptr) &&
         got == kFamily && std::memcmp(start, kMagic, kFamily) == 0;
}

bool WriteAll(HANDLE file, const void* data, size_t size) {
  DWORD written = 0;
  return WriteFile(file, data, DWORD(size), &written, nullptr) && written == size;
}

}  // namespace

MenuFileStamp StampOf(const std::string& menuFileName) {
  MenuFileStamp stamp;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (GetFileAttributesExA(menuFileName.c_str(), GetFileExInfoStandard, &data)) {
    stamp.attributes = data.dwFileAttributes;
    stamp.size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.lastWrite =
        (uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
  }
  return stamp;
}

uint64_t NamesKeyOf(const std::string& menuFileName, const std::vector<std::string>& lines) {
  const menufile::FileSystem& fs = menufile::SystemFileSystem();
  char full[MAX_PATH * 2] = "", current[MAX_PATH * 2] = "";
  char* name = nullptr;
  GetFullPathNameA(menuFileName.c_str(), sizeof full, full, &name);
  if (name) *name = '\0';
  GetCurrentDirectoryA(sizeof current, current);
  std::string key = std::string(full) + '\n' + current + '\n' + fs.Variable("PATH").value_or("") + '\n';
  // Every text between two '%' may be a reference ('%' is never the second
  // byte of a character).
  for (const std::string& line : lines)
    for (size_t open = line.find('%'), close; open != std::string::npos; open = close) {
      if ((close = line.find('%', open + 1)) == std::string::npos) break;
      const std::string variable = line.substr(open + 1, close - open - 1);
      if (variable.empty()) continue;
      const std::optional<std::string> value = fs.Variable(variable);
      key += variable + (value ? "=" + *value : "\x01") + '\n';
    }
  uint64_t h = 14695981039346656037ull;
  for (const char c : key) h = (h ^ uint8_t(c)) * 1099511628211ull;
  return h;
}

std::string MenuCachePath(const std::string& menuFileName) {
  return gui::ChangeFileExt(menuFileName, ".tmp");
}

bool CacheIsCurrent(bool archiveFlagKept, const MenuFileStamp& built, const MenuFileStamp& now) {
  if (now.attributes == INVALID_FILE_ATTRIBUTES) return false;
  if (now.size != built.size || now.lastWrite != built.lastWrite || now.names != built.names) return false;
  // Every write sets the flag, whatever other attributes stand beside it.
  return !(archiveFlagKept && (now.attributes & FILE_ATTRIBUTE_ARCHIVE));
}

bool ReadMenuCache(const std::string& menuFileName, const MenuFileStamp& stamp,
                   gui::TImageList& list, std::vector<int32_t>& imageOfEntry) {
  if (!HasOwnCache(menuFileName)) return false;
  File file(CreateFileA(MenuCachePath(menuFileName).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return false;

  Header header{};
  DWORD got = 0;
  if (!ReadFile(file.Handle(), &header, sizeof header, &got, nullptr) || got != sizeof header ||
      std::memcmp(header.magic, kMagic, sizeof kMagic) != 0 || header.payloadSize > kMaxPayload)
    return false;

  MenuFileStamp built;
  built.size = header.menuSize;
  built.lastWrite = header.menuLastWrite;
  built.names = header.names;
  if (!CacheIsCurrent(header.flags & kArchiveFlagKept, built, stamp)) return false;

  std::string payload(header.payloadSize, '\0');
  if (!payload.empty() &&
      (!ReadFile(file.Handle(), payload.data(), DWORD(payload.size()), &got, nullptr) ||
       got != payload.size()))
    return false;
  char extra;
  if (ReadFile(file.Handle(), &extra, 1, &got, nullptr) && got != 0) return false;
  if (Fnv1a(payload.data(), payload.size()) != header.payloadHash) return false;
  // Counted before multiplying: in a 32-bit launcher a damaged count could
  // wrap around to a small size.
  if (header.entryImages > payload.size() / sizeof(int32_t)) return false;
  const size_t numbers = header.entryImages * sizeof(int32_t);
  if (!list.ReadData(std::string_view(payload).substr(numbers))) return false;
  imageOfEntry.resize(header.entryImages);
  if (numbers) std::memcpy(imageOfEntry.data(), payload.data(), numbers);
  return true;
}

bool WriteMenuCache(const std::string& menuFileName, const MenuFileStamp& stamp,
                    const gui::TImageList& list, const std::vector<int32_t>& imageOfEntry) {
  if (!HasOwnCache(menuFileName)) return false;
  // Fixed-width numbers in the machine's (little-endian) order, then the list.
  std::string payload;
  if (!imageOfEntry.empty())
    payload.assign(reinterpret_cast<const char*>(imageOfEntry.data()),
                   imageOfEntry.size() * sizeof(int32_t));
  try {
    payload += list.WriteData();
  } catch (const std::exception&) {
    return false;
  }
  if (payload.size() > kMaxPayload) return false;

  File file(CreateFileA(MenuCachePath(menuFileName).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || SameFile(file.Handle(), menuFileName) || !MayOverwrite(file.Handle())) return false;

  // The archive flag alone is cleared, first, so that the cache can record
  // whether this file system keeps it cleared at all; the user's other
  // attributes (read-only, hidden, ...) stay as they are.
  const DWORD oldAttributes = GetFileAttributesA(menuFileName.c_str());
  const bool cleared = oldAttributes != INVALID_FILE_ATTRIBUTES &&
                       (oldAttributes & FILE_ATTRIBUTE_ARCHIVE) &&
                       SetFileAttributesA(menuFileName.c_str(),
                                          Settable(oldAttributes & ~FILE_ATTRIBUTE_ARCHIVE));
  const DWORD now = GetFileAttributesA(menuFileName.c_str());
  const bool flagKept = now != INVALID_FILE_ATTRIBUTES && !(now & FILE_ATTRIBUTE_ARCHIVE);

  Header header{};
  std::memcpy(header.magic, kMagic, sizeof kMagic);
  header.flags = flagKept ? kArchiveFlagKept : 0;
  header.entryImages = uint32_t(imageOfEntry.size());
  header.menuSize = stamp.size;
  header.menuLastWrite = stamp.lastWrite;
  header.names = stamp.names;
  header.payloadSize = uint32_t(payload.size());
  header.payloadHash = Fnv1a(payload.data(), payload.size());

  const bool ok = SetFilePointer(file.Handle(), 0, nullptr, FILE_BEGIN) == 0 &&
                  SetEndOfFile(file.Handle()) && WriteAll(file.Handle(), &header, sizeof header) &&
                  WriteAll(file.Handle(), payload.data(), payload.size());
  if (!ok) {
    // Whatever is left of the cache is unreadable (short or failing its
    // checksum); the menu file keeps saying it was written.
    if (cleared) SetFileAttributesA(menuFileName.c_str(), Settable(oldAttributes));
    return false;
  }
  return true;
}
