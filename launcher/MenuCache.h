// The icon cache beside a menu file: the menu's path with the extension
// ".tmp", holding the popup's image list and which image each entry shows, so
// that a start with an unchanged menu file opens no icon file at all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ImgList.h"

// What the launcher knows of the menu file when it decides on the cache.
struct MenuFileStamp {
  uint32_t attributes = 0xFFFFFFFF;  // all ones when unreadable
  uint64_t size = 0;
  uint64_t lastWrite = 0;
  // Where the menu's names led when it was read (NamesKeyOf).
  uint64_t names = 0;
};
MenuFileStamp StampOf(const std::string& menuFileName);

// What the icons of a menu depend on besides its text: the menu file's
// folder and the current folder (relative names are looked for in both),
// PATH, and the variables its %NAME% references name. A cache holds while
// these are as they were.
uint64_t NamesKeyOf(const std::string& menuFileName, const std::vector<std::string>& lines);

std::string MenuCachePath(const std::string& menuFileName);

// Whether a cache made when the menu file looked like `built` still holds for
// the file as it is `now`: its size, last-write time and names are unchanged and,
// where the file system keeps the archive flag, the flag is not set (every
// write sets it, whatever other attributes stand beside it). An unreadable
// file never matches.
bool CacheIsCurrent(bool archiveFlagKept, const MenuFileStamp& built, const MenuFileStamp& now);

// Fills the list and the image numbers of the entries from the cache when
// the cache exists, is intact, is current for the menu file as `stamp`
// describes it, and holds images of the list's size (a cache made on a
// screen of another DPI is made anew). False (and both untouched) otherwise.
bool ReadMenuCache(const std::string& menuFileName, const MenuFileStamp& stamp,
                   gui::TImageList& list, std::vector<int32_t>& imageOfEntry);

// Writes the cache, recording `stamp` (taken before the menu file was read,
// so that a save during the build makes the next start build again), and
// clears the menu file's archive flag, leaving its other attributes alone.
// Never writes over the menu file itself (a menu named *.tmp has no cache)
// nor over any other file that is neither empty nor a cache of ours (the
// user's own "menu.tmp"), and leaves the flag as it was when the cache could
// not be written, so a stale cache is never taken for a fresh one. False
// when nothing was written.
bool WriteMenuCache(const std::string& menuFileName, const MenuFileStamp& stamp,
                    const gui::TImageList& list, const std::vector<int32_t>& imageOfEntry);
