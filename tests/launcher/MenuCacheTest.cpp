#include <gtest/gtest.h>
#include <windows.h>

#include "Forms.h"
#include "MenuCache.h"
#include "TestFiles.h"
#include "unitMain.h"

using namespace gui;

namespace {

class MenuCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(menu_, "A\r\na.exe\r\n");
    for (int n : {1, 2, 6}) list_.AddIcon(LauncherIcon(n, 16));
  }
  void TearDown() override {
    SetFileAttributesA(menu_.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(menu_.c_str());
    DeleteFileA(cache_.c_str());
  }

  bool ReadBack(TImageList& into) { return ReadMenuCache(menu_, StampOf(menu_), into, images_); }

  TApplication app_;
  TImageList list_{nullptr};
  const std::vector<int32_t> written_{2, -1, 0, 1};
  std::vector<int32_t> images_;
  const std::string menu_ = "cache test menu.txt";
  const std::string cache_ = "cache test menu.tmp";
};

}  // namespace

TEST(CacheIsCurrent, AnyWriteSinceTheBuildMakesItStale) {
  const MenuFileStamp built{0x80, 10, 1000};
  auto with = [](uint32_t attributes, uint64_t size = 10, uint64_t time = 1000) {
    return MenuFileStamp{attributes, size, time};
  };
  for (bool flagKept : {true, false}) {
    EXPECT_TRUE(CacheIsCurrent(flagKept, built, with(0x80)));
    EXPECT_TRUE(CacheIsCurrent(flagKept, built, with(0x01 | 0x02))) << "read-only and hidden";
    EXPECT_FALSE(CacheIsCurrent(flagKept, built, with(0x80, 11))) << "a backup tool cleared the flag";
    EXPECT_FALSE(CacheIsCurrent(flagKept, built, with(0x80, 10, 1001))) << "same size, another time";
    EXPECT_FALSE(CacheIsCurrent(flagKept, built, with(0xFFFFFFFF))) << "cannot tell";
    EXPECT_FALSE(CacheIsCurrent(flagKept, built, MenuFileStamp{0x80, 10, 1000, 1})) << "names lead elsewhere";
  }
  // Where the flag is kept, a write sets it, whatever stands beside it.
  for (uint32_t written : {0x20u, 0x21u, 0x22u, 0x820u, 0x2020u})
    EXPECT_FALSE(CacheIsCurrent(true, built, with(written))) << std::hex << written;
  EXPECT_TRUE(CacheIsCurrent(false, built, with(0x21))) << "where it is not kept it says nothing";
}

TEST(NamesKeyOf, ChangesWhenTheMenusNamesLeadElsewhere) {
  SetEnvironmentVariableA("NAMES_KEY_A", "one");
  const std::vector<std::string> lines{"A<%NAMES_KEY_A%\\a.ico,0>", "%NAMES_KEY_B%\\x.exe 100%"};
  const uint64_t key = NamesKeyOf("menus\\menu.txt", lines);
  EXPECT_NE(NamesKeyOf("other\\menu.txt", lines), key) << "the menu file moved";
  SetEnvironmentVariableA("NAMES_KEY_UNNAMED", "x");
  EXPECT_EQ(NamesKeyOf("menus\\menu.txt", lines), key) << "a variable the menu does not name";
  for (const char* name : {"NAMES_KEY_B", "NAMES_KEY_A"}) {
    SetEnvironmentVariableA(name, "two");
    EXPECT_NE(NamesKeyOf("menus\\menu.txt", lines), key) << name;
  }
}

TEST_F(MenuCacheTest, ACacheReadsBackWholeAndOnlyForTheMenuFileAsItWasRead) {
  const MenuFileStamp read = StampOf(menu_);
  ASSERT_TRUE(WriteMenuCache(menu_, read, list_, written_));
  TImageList restored(nullptr);
  ASSERT_TRUE(ReadBack(restored));
  EXPECT_EQ(restored.Count(), 3);
  EXPECT_EQ(images_, written_);

  const std::string good = ReadBytes(cache_);
  std::string flipped = good;
  flipped[flipped.size() / 2] ^= 0x40;
  std::string longer = good + "x";
  // A count of numbers whose size wraps to 0 in 32 bits; the payload still checks out.
  std::string huge = good;
  huge.replace(12, 4, std::string("\0\0\0\x40", 4));
  for (const std::string& bad : {std::string(), good.substr(0, 10), good.substr(0, good.size() - 1),
                                 flipped, longer, huge, std::string(4096, '\xff')}) {
    WriteBytes(cache_, bad);
    TImageList into(nullptr);
    EXPECT_FALSE(ReadBack(into)) << bad.size() << " bytes";
    EXPECT_EQ(into.Count(), 0);
  }

  // A save of the menu file while the cache was being built from the file as
  // it was read: the next start builds again.
  DeleteFileA(cache_.c_str());  // the broken one is nobody's cache to replace
  Sleep(20);
  WriteBytes(menu_, "B\r\nb.exe\r\n");
  ASSERT_TRUE(WriteMenuCache(menu_, read, list_, written_));
  TImageList stale(nullptr);
  EXPECT_FALSE(ReadBack(stale));
}

TEST_F(MenuCacheTest, WhereNoCacheCanBeWrittenNothingIsChanged) {
  // A folder or a file of the user's in the cache's place: no cache, so the
  // menu file is not marked as built either.
  const DWORD before = GetFileAttributesA(menu_.c_str());
  TImageList into(nullptr);
  ASSERT_TRUE(CreateDirectoryA(cache_.c_str(), nullptr));
  EXPECT_FALSE(WriteMenuCache(menu_, StampOf(menu_), list_, written_));
  EXPECT_EQ(GetFileAttributesA(menu_.c_str()), before);
  EXPECT_FALSE(ReadBack(into));
  RemoveDirectoryA(cache_.c_str());
  const std::string users = "Other menu\r\nother.exe\r\n" + std::string(100, 'x');
  WriteBytes(cache_, users);
  EXPECT_FALSE(WriteMenuCache(menu_, StampOf(menu_), list_, written_));
  EXPECT_EQ(ReadBytes(cache_), users);
  EXPECT_EQ(GetFileAttributesA(menu_.c_str()), before);
  // An empty file is no one's content.
  WriteBytes(cache_, "");
  EXPECT_TRUE(WriteMenuCache(menu_, StampOf(menu_), list_, written_));

  // A menu file named like its own cache is never written over.
  for (const std::string name : {"cache test menu.tmp", "cache test menu.TMP"}) {
    WriteBytes(name, "X\r\nx.exe\r\n");
    EXPECT_FALSE(WriteMenuCache(name, StampOf(name), list_, written_));
    EXPECT_EQ(ReadBytes(name), "X\r\nx.exe\r\n");
    EXPECT_FALSE(ReadMenuCache(name, StampOf(name), into, images_));
    DeleteFileA(name.c_str());
  }
}

// A menu file may sit on a share used by 32- and 64-bit launchers alike: the
// cache is fixed-width, and the image list inside it must come out of either
// launcher as the same bytes, which either reads back.
TEST_F(MenuCacheTest, ACacheIsTheSameWhicheverWidthWroteIt) {
  HRSRC found = FindResourceA(nullptr, "CACHE_PAYLOAD", MAKEINTRESOURCEA(10) /* RT_RCDATA */);
  ASSERT_NE(found, nullptr);
  const std::string fixture(static_cast<const char*>(LockResource(LoadResource(nullptr, found))),
                            SizeofResource(nullptr, found));

  const std::string written = list_.WriteData();
  if (written != fixture) WriteBytes("cache-payload.actual", written);
  EXPECT_EQ(written, fixture) << "this build's bytes are in cache-payload.actual";

  TImageList read(nullptr);
  ASSERT_TRUE(read.ReadData(fixture));
  EXPECT_EQ(read.Count(), 3);
  EXPECT_EQ(read.WriteData(), fixture);
}
