// Ostrevan.exe driven as a user drives it: started with a menu file, its
// popup picked with the keyboard, and what it started checked through the
// probe program named in the menu. Calvenor.exe joins it on the menu files
// both refuse.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "E2eTest.h"
#include "Pixels.h"

using namespace e2e;
using namespace std::string_literals;
using Strings = std::vector<std::string>;

namespace {

// Empty: no setting.
void SetEditorPosition(const std::string& value) {
  if (value.empty()) RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\MORVATH\\Ostrevan", "EditorPosition");
  else
    RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\MORVATH\\Ostrevan", "EditorPosition", REG_SZ, value.c_str(),
                    DWORD(value.size() + 1));
}

uint64_t LastWrite(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  return uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
}

bool SamePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// An icon file holding, for each size, a 32-bit picture filled with one colour.
std::string SolidIcons(const std::vector<std::pair<int, uint32_t>>& pictures) {
  const auto bytes = [](auto value) { return std::string(reinterpret_cast<const char*>(&value), sizeof value); };
  std::string directory = bytes(uint16_t(0)) + bytes(uint16_t(1)) + bytes(uint16_t(pictures.size()));
  std::string images;
  for (const auto& [size, colour] : pictures) {
    // As high as the colours and the mask together.
    const BITMAPINFOHEADER header{sizeof header, size, 2 * size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::string image = bytes(header);
    for (int i = 0; i < size * size; ++i) image += bytes(uint32_t(0xFF000000 | colour));
    image.append(size_t((size + 31) / 32 * 4 * size), '\0');
    directory += bytes(uint8_t(size)) + bytes(uint8_t(size)) + bytes(uint16_t(0)) + bytes(uint16_t(1)) +
                 bytes(uint16_t(32)) + bytes(uint32_t(image.size())) +
                 bytes(uint32_t(6 + 16 * pictures.size() + images.size()));
    images += image;
  }
  return directory + images;
}

// Whether the picture (of `size` pixels square) is somewhere in the pixels
// of an area `width` wide.
bool Shows(const std::vector<COLORREF>& area, int width, const std::vector<uint32_t>& picture, int size) {
  const int height = width > 0 ? int(area.size()) / width : 0;
  const auto alike = [](uint32_t a, uint32_t b) {
    for (int shift : {0, 8, 16})
      if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 8) return false;
    return true;
  };
  for (int y = 0; y + size <= height; ++y)
    for (int x = 0; x + size <= width; ++x) {
      bool all = true;
      for (int i = 0; all && i < size * size; ++i)
        all = alike(area[size_t((y + i / size) * width + x + i % size)], picture[size_t(i)]);
      if (all) return true;
    }
  return false;
}

class Launcher : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    SetEditorPosition("bottom");
    // A copy of the probe under a name with a blank, in a folder with one.
    ASSERT_TRUE(CreateDirectoryA(programDir_.c_str(), nullptr));
    ASSERT_TRUE(CopyFileA(ProbePath().c_str(), tool_.c_str(), FALSE));
    other_ = Process({ProbePath(), "/window"});
    otherWindow_ = WaitWindow(other_.Id(), "Probe", "Probe");
  }

  void TearDown() override {
    E2eTest::TearDown();
    SetEditorPosition("bottom");
  }

  // The launcher on the menu file, started while another program's window
  // is in front (clicked, as the user clicks the window they work in before
  // the launcher's shortcut), its popup handed to `look`, then these keys
  // typed.
  Process Pick(const std::string& menu, const std::vector<UINT>& keys, const std::function<void(HWND)>& look = {},
               const std::string& launcher = Program("Ostrevan")) {
    POINT pointer{};
    GetCursorPos(&pointer);
    const RECT r = ScreenRect(otherWindow_);
    ClickInX(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    Await([&] { return GetForegroundWindow() == otherWindow_; }, "the other program in front", 3s);
    MovePointer(pointer);
    Process p({launcher, menu}, temp_.Path());
    const HWND popup = WaitPopupMenu(p.Id());
    if (look) look(popup);
    if (!keys.empty()) TypeKeysInX(keys);
    return p;
  }

  ProbeLog log_{temp_.Path()};
  const std::string programDir_ = temp_.File(sjis("プログラム dir"));
  const std::string tool_ = programDir_ + "\\probe tool.exe";
  Process other_;
  HWND otherWindow_ = nullptr;
};

}  // namespace

TEST_F(Launcher, APickStartsWhatThePopupShowedWithItsOptionsFolderAndWindowSize) {
  // A bare program name is found through PATH, in a submenu too.
  const std::string bin = temp_.File("bin");
  ASSERT_TRUE(CreateDirectoryA(bin.c_str(), nullptr));
  ASSERT_TRUE(CopyFileA(ProbePath().c_str(), (bin + "\\pathprobe.exe").c_str(), FALSE));
  char path[4096];
  GetEnvironmentVariableA("PATH", path, sizeof path);
  SetEnvironmentVariableA("PATH", (temp_.File("nothing") + ";" + bin + ";" + path).c_str());
  const std::string all =
      "Marked folder<none,0>[" + utf8(temp_.Path()) + "]\r\n"
      "\t\"" + utf8(tool_) + "\" -a \"b c\"\r\n"  // indentation never reaches the program
      "Own folder<none,0>{MAXIMIZE}\r\n"
      + utf8(ProbePath()) + "  two  blanks\r\n"
      "Empty folder mark<none,0>[]{minimize}\r\n"
      "\"" + utf8(tool_) + "\"\r\n"
      "Tools<none,0>\r\n\r\n\t\r\n\t\r\n\tFound on PATH\r\n\tpathprobe.exe -p\r\n";
  for (const auto& [name, value] : {std::pair{"E2E_BIN", bin}, {"E2E_TOOLS", programDir_}, {"E2E_VALUE", sjis("値 value")}})
    SetEnvironmentVariableA(name, value.c_str());
  const std::string portableMenu = sjis("プログラム dir\\portable.txt");
  const std::string portable = "Beside<probe tool.exe,0>\r\n\"probe tool.exe\" beside\r\n"
                               "Named<none,0>[%E2E_BIN%]\r\n\"%E2E_TOOLS%\\probe tool.exe\" \"%E2E_VALUE%\"\r\n";
  // An address starts the program its scheme names, in no folder of its own.
  const std::string handler = "\"" + ProbePath() + "\" \"%1\"";
  RegSetKeyValueA(HKEY_CLASSES_ROOT, "e2eprobe", "URL Protocol", REG_SZ, "", 1);
  RegSetKeyValueA(HKEY_CLASSES_ROOT, "e2eprobe\\shell\\open\\command", nullptr, REG_SZ,
                  handler.c_str(), DWORD(handler.size() + 1));
  const std::string address = "Web<none,0>\r\ne2eprobe:page\r\n";
  const std::string a = "A<none,0>\r\n\"" + utf8(tool_) + "\" a\r\n";
  const std::string b = "B<none,0>\r\n\"" + utf8(tool_) + "\" b\r\n";

  const std::string probeDir = ProbePath().substr(0, ProbePath().rfind('\\'));
  // Keys typed as the user types them, into the popup of a launcher started
  // from another program's window. A case on the file of the case before
  // starts from the cache that one made.
  const struct {
    std::string menu, saved;  // saved: the file as saved again while the popup is open
    bool cached;
    std::vector<UINT> keys;
    std::string module, folder;
    Strings argv;
    int show;
    std::string where = "menu file.txt";
  } cases[] = {
      {all, "", false, {VK_DOWN, VK_RETURN}, tool_, temp_.Path(), {"-a", "b c"}, SW_SHOW},
      // An entry's first letter picks it; the window size chosen in the editor.
      {all, "", true, {'E'}, tool_, programDir_, {}, SW_SHOWMINIMIZED},
      // No folder mark: the program's own folder.
      {all, "", true, {VK_DOWN, VK_DOWN, VK_RETURN}, ProbePath(), probeDir, {"two", "blanks"}, SW_SHOWMAXIMIZED},
      // From the bottom: the editor, Tools, where a letter picks again.
      {all, "", true, {VK_UP, VK_UP, VK_RIGHT, 'F'}, bin + "\\pathprobe.exe", bin, {"-p"}, SW_SHOW},
      // Swapped, then cut short: the user picked what the popup showed.
      {a + b, b + a, false, {VK_DOWN, VK_RETURN}, tool_, programDir_, {"a"}, SW_SHOW},
      {a + b, a, false, {VK_DOWN, VK_DOWN, VK_RETURN}, tool_, programDir_, {"b"}, SW_SHOW},
      // A menu that travels with its programs: names beside it, and the
      // environment's, wherever the launcher runs.
      {portable, "", false, {VK_DOWN, VK_RETURN}, tool_, programDir_, {"beside"}, SW_SHOW, portableMenu},
      {portable, "", true, {VK_DOWN, VK_DOWN, VK_RETURN}, tool_, bin, {sjis("値 value")}, SW_SHOW, portableMenu},
      {address, "", false, {VK_DOWN, VK_RETURN}, ProbePath(), temp_.Path(), {"e2eprobe:page"}, SW_SHOW},
  };
  // One after the other, so the records come in this order; what each
  // launcher started lives as long as its process object.
  std::vector<Process> launchers;
  std::string menu, written;
  for (size_t i = 0; i < std::size(cases); ++i) {
    if (cases[i].menu != written) menu = Menu(written = cases[i].menu, cases[i].where);
    const std::string cache = menu.substr(0, menu.size() - 4) + ".tmp";
    const uint64_t cacheWritten = LastWrite(cache);
    const auto save = [&](HWND) {
      if (!cases[i].saved.empty()) WriteBytes(menu, sjis(written = cases[i].saved));
    };
    EXPECT_EQ(launchers.emplace_back(Pick(menu, cases[i].keys, save)).ExitCode(), 0u);
    EXPECT_EQ(LastWrite(cache) == cacheWritten, cases[i].cached) << i;
    const ProbeRecord r = log_.WaitRecords(i + 1).at(i);
    EXPECT_TRUE(SamePath(r.module, cases[i].module)) << i << ": " << utf8(r.module);
    EXPECT_EQ(r.argv, cases[i].argv) << i;
    EXPECT_TRUE(SamePath(r.folder, cases[i].folder)) << i << ": " << utf8(r.folder);
    EXPECT_EQ(r.show, cases[i].show) << i;
    if (i == 2) {  // the second blank after the program stays
      EXPECT_TRUE(r.commandLine.ends_with("  two  blanks")) << r.commandLine;
    }
  }
  SetEnvironmentVariableA("PATH", path);
  RegDeleteTreeA(HKEY_CLASSES_ROOT, "e2eprobe");
}

TEST_F(Launcher, TheEditorStartsFromTheLaunchersFolderThroughItsEntryOrItsVersionWindow) {
  const std::string appDir = temp_.File("app dir");
  ASSERT_TRUE(CreateDirectoryA(appDir.c_str(), nullptr));
  const std::string launcher = appDir + "\\Ostrevan.exe", editor = appDir + "\\Calvenor.exe";
  ASSERT_TRUE(CopyFileA(Program("Ostrevan").c_str(), launcher.c_str(), FALSE));
  ASSERT_TRUE(CopyFileA(ProbePath().c_str(), editor.c_str(), FALSE));
  const std::string menu = Menu("A<none,0>\r\na.exe\r\nB<none,0>\r\nb.exe\r\n", "my menus.txt");

  // Where the editor put its entry (at the end without a setting, an
  // unknown one: nowhere); the popup opens 50 pixels left of the
  // mouse, never off the screen.
  const struct {
    const char* position;
    Strings texts;
    int mouseX, left;
  } cases[] = {
      {"", {"A", "B", "-", sjis("メニューエディタ")}, 300, 250},
      {"top", {sjis("メニューエディタ"), "-", "A", "B"}, 51, 1},
      {"Top", {"A", "B"}, 30, 0},
  };
  std::vector<Process> launchers;
  for (const auto& c : cases) {
    SetEditorPosition(c.position);
    MovePointer(POINT{c.mouseX, 200});
    const bool pick = c.position == std::string("top");
    Process& p = launchers.emplace_back(Pick(menu, pick ? std::vector<UINT>{VK_DOWN, VK_RETURN} : std::vector<UINT>{VK_ESCAPE},
                                             [&](HWND popup) {
                                               EXPECT_EQ(PopupTexts(popup), c.texts) << c.position;
                                               EXPECT_EQ(ScreenRect(popup).left, c.left) << "mouse at " << c.mouseX;
                                               EXPECT_EQ(ScreenRect(popup).top, 200);
                                             }, launcher));
    EXPECT_EQ(p.ExitCode(), 0u);
    EXPECT_EQ(p.Started(), pick ? 1u : 0u) << "Escape starts nothing";
  }
  auto records = log_.WaitRecords(1);
  EXPECT_TRUE(SamePath(records[0].module, editor));
  EXPECT_EQ(records[0].argv, Strings{menu}) << "the whole path arrives as one argument";

  // Without a menu file: the version window. Its editor button names the
  // editor without a folder, for the shell to find beside the launcher,
  // which here is also its current folder. Enter presses OK, and Escape does
  // what OK does: the window closes and the launcher ends.
  for (const UINT key : {VK_RETURN, VK_ESCAPE}) {
    Process p({launcher}, appDir);
    const HWND window = WaitWindow(p.Id(), "", sjis("Morvath Ostrevan のバージョン情報"));
    if (key == VK_RETURN) {
      const RECT r = ScreenRect(window);
      EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2);
      EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2);
      EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & WS_SYSMENU, 0) << "no system menu, no close box";
      HWND editorButton = nullptr;
      for (HWND child : Descendants(window))
        if (Text(child) == sjis("メニューエディタ")) editorButton = child;
      ASSERT_NE(editorButton, nullptr);
      PressButton(window, GetDlgCtrlID(editorButton));
      records = log_.WaitRecords(2);
      EXPECT_TRUE(SamePath(records[1].module, editor));
      EXPECT_TRUE(records[1].argv.empty());
      EXPECT_TRUE(IsWindowVisible(window)) << "the version window stays";
    }
    ForegroundWindow(window);
    TypeKeys({key});
    EXPECT_EQ(p.ExitCode(), 0u) << key;
  }
}

TEST_F(Launcher, WhatEitherProgramCannotReadAndTheLauncherCannotShowOrStartIsReportedOnce) {
  std::string deep, many;
  for (int level = 0; level < 200; ++level) deep += std::string(size_t(level), '\t') + "S\r\n\r\n";
  for (int k = 0; k < 100000; ++k) many += "E<none,0>\r\nx\r\n";
  const std::string strange = "メニュー情報ファイルがヘンです～。";
  const std::string refused = "メニューを表示できません。\n";
  const struct {
    std::string text;     // none: no file at all
    std::string message;  // ending in a line break: the system's reason follows
    std::string editor = {};  // the editor's message, for files it refuses too
  } cases[] = {
      // (The editor names a file it cannot open, with the reason: its own tests.)
      {"", "指定されたメニュー情報ファイルが見つかりません～。"},
      {"A\r\na.exe\r\nB\r\n", "メニューファイルの行数がおかしいです。", "メニューファイルの行数がおかしいです。"},
      {"A\r\na.exe\r\nB<x.ico,0\r\nb.exe\r\n", strange, strange},
      {"A\r\n\r\n\t\tB\r\nb.exe\r\n", strange},
      // Nothing after a NUL may go unseen, nor be lost by a save.
      {"A\r\na.exe\r\nB\0<none,0>\r\nb.exe\r\n"s, strange, strange},
      // What the system refuses is not the file's fault.
      {deep, refused},
      {many, refused + "メニュー項目が多すぎます。"},
  };
  for (const auto& c : cases) {
    const std::string menu = c.text.empty() ? temp_.File(std::string(300, 'x') + ".txt") : Menu(c.text);
    const DWORD attributes = GetFileAttributesA(menu.c_str());
    for (const auto& [program, expected] : {std::pair{"Ostrevan", c.message}, {"Calvenor", c.editor}}) {
      if (expected.empty()) continue;
      Process p({Program(program), menu}, temp_.Path());
      const MessageBoxView box = WaitMessageBox(p.Id(), sjis("警告"));
      const std::string message = sjis(expected);
      EXPECT_EQ(message.back() == '\n' ? box.text.substr(0, message.size()) : box.text, message) << program;
      EXPECT_TRUE(TopWindows(p.Id(), "#32768").empty());
      PressButton(box.dialog, IDOK);
      EXPECT_EQ(p.ExitCode(), 0u) << program << ": one message, then the end";
      // Nothing cached, nothing changed, nothing made.
      EXPECT_EQ(GetFileAttributesA((menu.substr(0, menu.size() - 4) + ".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
      EXPECT_EQ(GetFileAttributesA(menu.c_str()), attributes);
      EXPECT_EQ(ReadBytes(menu), sjis(c.text)) << program;
    }
  }

  // A name of a megabyte is shown cut short, on the screen.
  EXPECT_EQ(Pick(Menu(std::string(1 << 20, 'W') + "\r\na.exe\r\n"), {VK_ESCAPE}, [](HWND popup) {
    const std::string caption = PopupTexts(popup).at(0);
    EXPECT_LT(caption.size(), 100u);
    EXPECT_TRUE(caption.ends_with(sjis("…")));
    EXPECT_LE(ScreenRect(popup).right - ScreenRect(popup).left, GetSystemMetrics(SM_CXSCREEN));
  }).ExitCode(), 0u);

  // A start the system cannot make is named, with the reason, and nothing
  // starts: a target the shell cannot find, one longer than the system takes
  // (the shell under Wine failed inside on it), a working folder that is not
  // there (the program would have started in the launcher's folder).
  const std::string missing = temp_.File("no such program.exe");
  const std::string longer = temp_.File(std::string(1000, 'L') + ".exe");
  const std::string nowhere = temp_.File("no such folder");
  char tooLong[256] = "";
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_FILENAME_EXCED_RANGE, 0,
                 tooLong, sizeof tooLong, nullptr);
  const struct {
    std::string entry, named, reason;  // reason: empty when the system's own
  } starts[] = {
      {"Gone<none,0>\r\n\"" + utf8(missing) + "\"\r\n", missing, ""},
      {"Long<none,0>\r\n\"" + utf8(longer) + "\"\r\n", longer.substr(0, 200) + sjis("…"),
       std::string(tooLong, strcspn(tooLong, "\r\n"))},
      {"Nowhere<none,0>[" + utf8(nowhere) + "]\r\n\"" + utf8(ProbePath()) + "\"\r\n", ProbePath(),
       sjis("作業フォルダ「") + nowhere + sjis("」がありません。")},
  };
  for (const auto& start : starts) {
    Process p = Pick(Menu(start.entry), {VK_DOWN, VK_RETURN});
    const MessageBoxView box = WaitMessageBox(p.Id(), sjis("警告"));
    const std::string named = sjis("「") + start.named + sjis("」を開けません。\n");
    EXPECT_EQ(box.text.rfind(named, 0), 0u) << utf8(box.text);
    const std::string reason = box.text.substr(std::min(named.size(), box.text.size()));
    EXPECT_EQ(start.reason.empty() ? reason.size() > 4 : reason == start.reason, true) << utf8(reason);
    PressButton(box.dialog, IDOK);
    EXPECT_EQ(p.ExitCode(), 0u);
    EXPECT_EQ(p.Started(), 0u) << utf8(start.named);
  }
}

TEST_F(Launcher, TheIconsAreDrawnForTheScreensDpiAndCachedOncePerSize) {
  // An icon file with a picture of one colour of its own for each size.
  const std::string icons = temp_.File("sizes.ico");
  const uint32_t red = 0xFF0000, green = 0x00C000, blue = 0x0000FF, magenta = 0xFF00FF;
  WriteBytes(icons, SolidIcons({{16, red}, {24, green}, {32, blue}, {48, magenta}}));
  const std::string menu = Menu("A<" + utf8(icons) + ",0>\r\na.exe\r\nB\r\n\r\n\tC<none,0>\r\nc.exe\r\n");
  const std::string cache = temp_.File("menu file.tmp");

  // The user's read-only, hidden file stays so: the archive flag is all the
  // launcher may change.
  const DWORD own = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
  ASSERT_TRUE(SetFileAttributesA(menu.c_str(), own | FILE_ATTRIBUTE_ARCHIVE));
  // Each DPI's small icons, from the picture drawn for that size or the
  // next larger one; the first start at a DPI builds the cache for that
  // size, the next shows it unchanged.
  const struct {
    int dpi, size;
    uint32_t colour;
  } rows[] = {{96, 16, red}, {120, 20, green}, {144, 24, green}, {192, 32, blue}};
  // Menu files and the editor name the launcher's icons by number: 0 to 6.
  EXPECT_EQ(ExtractIconExA(Program("Ostrevan").c_str(), -1, nullptr, nullptr, 0), 7u);
  for (const auto& row : rows) {
    const PrefixDpi dpi(DWORD(row.dpi));
    // The editor entry's icon as the file has it for the size, on the
    // popup's white.
    HICON icon = nullptr;
    PrivateExtractIconsA(Program("Ostrevan").c_str(), 6, row.size, row.size, &icon, nullptr, 1, 0);
    const auto editorIcon = IconPixels(icon, row.size);
    DestroyIcon(icon);
    for (const bool cached : {false, true}) {
      SCOPED_TRACE(std::to_string(row.dpi) + (cached ? " dpi, from the cache" : " dpi, built"));
      const uint64_t before = LastWrite(cache);
      Sleep(50);
      EXPECT_EQ(Pick(menu, {VK_ESCAPE}, [&](HWND popup) {
        EXPECT_EQ(PopupTexts(popup), (Strings{"A", "B", "-", sjis("メニューエディタ")}));
        RECT client{};
        GetClientRect(popup, &client);
        std::vector<COLORREF> shown;
        const auto found = [&] {
          shown = ScreenPixels(popup, client);
          return Shows(shown, client.right, editorIcon, row.size);
        };
        EXPECT_TRUE(WaitUntil(found, 3s)) << "the editor's icon of " << row.size << " pixels";
        const auto square = [&](int side) {
          return Shows(shown, client.right, std::vector<uint32_t>(size_t(side * side), row.colour), side);
        };
        EXPECT_TRUE(square(row.size) && !square(row.size + 1)) << "the file's picture for the size";
      }).ExitCode(), 0u);
      EXPECT_EQ(LastWrite(cache) == before, cached);
      EXPECT_EQ(GetFileAttributesA(menu.c_str()) & own, own);
    }
  }
}

TEST_F(Launcher, AShiftPickBringsThePopupBackInFrontOfWhatItStartedAndAnyCloseWithoutAPickIsTheEnd) {
  // The first entry starts a program whose maximised window takes the front.
  const std::string menu = Menu("Window<none,0>{MAXIMIZE}\r\n\"" + utf8(ProbePath()) + "\" /window\r\nTwo<none,0>\r\n\"" +
                                utf8(tool_) + "\" 2\r\n");
  enum How { kPickWithoutShift, kEscape, kClickElsewhere, kAnotherWindowComesUp };
  for (const How how : {kPickWithoutShift, kEscape, kClickElsewhere, kAnotherWindowComesUp}) {
    HWND popup = nullptr;
    Process p = Pick(menu, {}, [&](HWND shown) { popup = shown; });
    const RECT first = ScreenRect(popup);
    std::optional<HeldKey> shift(std::in_place, VK_SHIFT);
    Process late;
    TypeKeysInX({VK_DOWN, VK_RETURN});
    // The pick is carried out first: its window is there, on top of the
    // other program's, when the popup is back, in front of it, with the
    // keyboard. (Under Wine the popup may be shown twice: see unitMain.cpp.)
    RECT again{};
    Await([&] {
      const auto shown = TopWindows(p.Id(), "#32768");
      again = shown.size() == 1 && shown[0] != popup ? ScreenRect(shown[0]) : RECT{};
      return again.right > again.left && ProcessOf(GetForegroundWindow()) == p.Id() &&
             WindowFromPoint(POINT{(again.left + again.right) / 2, (again.top + again.bottom) / 2}) == shown[0];
    }, "the popup back in front, with the keyboard");
    const HWND started = FindWindowA("Probe", nullptr);
    EXPECT_TRUE(started != otherWindow_ && IsZoomed(started)) << how;
    EXPECT_EQ(std::make_pair(again.left, again.top), std::make_pair(first.left, first.top)) << "at the same place";
    switch (how) {
      case kPickWithoutShift:
        shift.reset();
        TypeKeysInX({VK_DOWN, VK_DOWN, VK_RETURN});
        EXPECT_EQ(log_.WaitRecords(1).at(0).argv, Strings{"2"});
        break;
      case kEscape:  // Shift still held, here and below: no pick, no popup again
        TypeKeysInX({VK_ESCAPE});
        break;
      case kClickElsewhere:
        ClickInX(POINT{again.right + 100, again.bottom + 100});
        break;
      case kAnotherWindowComesUp:  // as when a program started slowly shows its window
        late = Process({ProbePath(), "/window"});
        break;
    }
    EXPECT_EQ(p.ExitCode(), 0u) << how << ": the popup closed, the launcher ends";
    EXPECT_EQ(p.Started(), how == kPickWithoutShift ? 2u : 1u) << how;
  }
}

// (Wine's shell opens only folders from its menu, and the test bed knows no
// program for a folder: its file's properties are shown instead.)
TEST_F(Launcher, AFolderSubmenuListsTheFolderAsExplorerDoesAndTheShellsMenuAndCtrlShiftStartThroughTheShell) {
  const std::string links = temp_.File("links");
  for (const std::string& dir : {links, links + "\\B sub", links + "\\a sub"})
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
  for (const char* file : {"file10.txt", "file9.txt", "a & b.txt", "site.url", "hidden.txt", "a sub\\hidden"})
    WriteBytes(links + "\\" + file, "");
  // A folder of hidden files only is as empty as one without any.
  for (const char* file : {"hidden.txt", "a sub\\hidden"})
    SetFileAttributesA((links + "\\" + file).c_str(), FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(CopyFileA(ProbePath().c_str(), (links + "\\B sub\\inner.exe").c_str(), FALSE));
  const std::string menu = Menu("Tool<none,0>\r\n\"" + utf8(tool_) + "\" -x\r\n"
                                "Links<none,0>[" + utf8(links) + "]\r\n\r\n\tOwn<none,0>\r\n\tx.exe\r\n"
                                "Missing[" + utf8(temp_.File("missing")) + "]\r\n\r\n");
  // The last popup a process opened, once it shows that many: the one
  // furthest right (the order of windows may lag under Wine).
  const auto level = [](const Process& p, size_t depth) {
    std::vector<HWND> shown;
    Await([&] { return (shown = TopWindows(p.Id(), "#32768")).size() == depth; }, "popup level " + std::to_string(depth));
    return *std::max_element(shown.begin(), shown.end(),
                             [](HWND a, HWND b) { return ScreenRect(a).left < ScreenRect(b).left; });
  };

  // A right click on an entry: the shell's menu of its target, over the popup.
  HWND popup = nullptr;
  Process p = Pick(menu, {}, [&](HWND shown) { popup = shown; });
  const RECT r = ScreenRect(popup);
  for (const UINT key : {UINT(VK_ESCAPE), UINT('P')}) {
    ClickInX(POINT{r.left + 30, r.top + 10}, 3);
    const Strings commands = PopupTexts(level(p, 2));
    EXPECT_NE(std::find(commands.begin(), commands.end(), sjis("開く(&O)")), commands.end());
    TypeKeysInX({key});
    if (key == VK_ESCAPE) popup = WaitPopupMenu(p.Id(), popup);  // back to the popup
  }
  std::vector<HWND> dialogs;
  Await([&] { return !(dialogs = TopWindows(p.Id(), "#32770")).empty(); }, "the properties");
  bool named = false;
  for (HWND child : Descendants(dialogs[0])) named = named || Text(child) == "probe tool.exe";
  EXPECT_TRUE(named) << "of the entry's target";
  PressButton(dialogs[0], IDCANCEL);
  EXPECT_EQ(p.ExitCode(), 0u);

  // The folder, each level read as it opens.
  Process folder = Pick(menu, {VK_DOWN, VK_DOWN, VK_RIGHT});
  EXPECT_EQ(PopupTexts(level(folder, 2)),
            (Strings{"Own", "-", "a sub", "B sub", "a && b.txt", "file9.txt", "file10.txt", "site"}));
  TypeKeysInX({VK_DOWN, VK_RIGHT});
  EXPECT_EQ(PopupTexts(level(folder, 3)), Strings{sjis("(空)")});
  TypeKeysInX({VK_LEFT, VK_DOWN, VK_RIGHT});
  EXPECT_EQ(PopupTexts(level(folder, 3)), Strings{"inner.exe"}) << "a nested folder, read as it opens";
  TypeKeysInX({VK_RETURN});
  const ProbeRecord started = log_.WaitRecords(1).at(0);
  EXPECT_TRUE(SamePath(started.module, links + "\\B sub\\inner.exe")) << started.module;
  EXPECT_TRUE(SamePath(started.folder, links + "\\B sub")) << started.folder;
  EXPECT_EQ(folder.ExitCode(), 0u);

  Process missing = Pick(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT});
  EXPECT_EQ(PopupTexts(level(missing, 2)), Strings{sjis("(フォルダを開けません)")});
  TypeKeysInX({VK_ESCAPE, VK_ESCAPE});
  EXPECT_EQ(missing.ExitCode(), 0u);
  EXPECT_EQ(missing.Started(), 0u);

  // Ctrl+Shift+click starts it as administrator (as "open" under Wine), and
  // the popup does not come back.
  Process admin = Pick(menu, {}, [&](HWND shown) { popup = shown; });
  const HeldKey shift(VK_SHIFT), ctrl(VK_CONTROL);
  ClickInX(POINT{ScreenRect(popup).left + 30, ScreenRect(popup).top + 10});
  EXPECT_EQ(log_.WaitRecords(2).at(1).argv, Strings{"-x"});
  EXPECT_EQ(admin.ExitCode(), 0u);
}
