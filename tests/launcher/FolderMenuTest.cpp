#include <gtest/gtest.h>
#include <windows.h>

#include "Dialogs.h"
#include "FolderMenu.h"
#include "Forms.h"
#include "SysUtils.h"
#include "TestFiles.h"
#include "TestText.h"

using namespace gui;

namespace {

// A folder as Explorer would show it: two subfolders, files whose names the
// code page lacks, numbers, shortcuts, and hidden and system files.
class FolderMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const wchar_t* name : {L"b dir", L"A dir", L"A dir\\inner.txt", L"hidden dir", L"file10.txt", L"file9.txt",
                                L"File2.txt", L"app.lnk", L"site.URL", L"\u00fc\u2603.txt", L"a & b.txt", L"Zebra.txt",
                                L"hidden.txt", L"system.txt"}) {
      const std::wstring path = Path(name);
      if (wcsstr(name, L"dir") && !wcschr(name, L'\\'))
        CreateDirectoryW(path.c_str(), nullptr);
      else
        CloseHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    }
    // A program with icons of its own: this one carries the launcher's.
    CopyFileA(GetModuleFileNameString().c_str(), temp_.File("A dir\\prog.exe").c_str(), TRUE);
    SetFileAttributesW(Path(L"hidden dir").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW(Path(L"hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW(Path(L"system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM);
  }
  std::wstring Path(const std::wstring& name = L"") const {
    return AnsiToWide(temp_.Path()) + (name.empty() ? L"" : L"\\" + name);
  }
  // The texts of a menu on the screen, "|" between them; greyed ones in ().
  static std::wstring Shown(HMENU menu) {
    std::wstring out;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      wchar_t text[128] = {};
      GetMenuStringW(menu, UINT(i), text, 128, MF_BYPOSITION);
      out += (i ? L"|" : L"") + std::wstring(text);
    }
    return out;
  }
  static HMENU Open(HMENU menu, int index) {
    const HMENU submenu = GetSubMenu(menu, index);
    LRESULT result;
    TMenu::HandleNotify(nullptr, WM_INITMENUPOPUP, WPARAM(submenu), index, result);
    return submenu;
  }
  TempFolder temp_{"folder"};
};

// (What the launcher shows of a folder, opened level by level and picked,
// empty, hidden or missing, is its end-to-end test's.)
TEST_F(FolderMenuTest, ASubmenuIsFilledOnceWithAGreyedCountOfWhatIsLeftOutAndFindsOwnPicturesWhenDrawn) {
  TApplication app;
  TComponent owner(nullptr);
  TPopupMenu menu(&owner);
  TImageList images(&owner);
  menu.SetImages(&images);
  TFolderMenus folders(&owner, &images);
  folders.Limit = 9;
  auto* links = new TMenuItem(&owner);
  menu.Items()->Add(links);
  folders.Attach(links, Path());
  const HMENU shown = Open(menu.Handle(), 0);
  EXPECT_EQ(Shown(shown), L"A dir|b dir|a && b.txt|app|File2.txt|file9.txt|file10.txt|site|\u00fc\u2603.txt|" +
                              AnsiToWide(sjis("(ほか 1 個)")));
  EXPECT_EQ(GetMenuState(shown, 9, MF_BYPOSITION) & MF_GRAYED, UINT(MF_GRAYED));
  EXPECT_EQ(Shown(Open(menu.Handle(), 0)), Shown(shown)) << "read once";

  // Every entry shows a picture; a program's own is found when it is drawn.
  Open(shown, 0);
  TMenuItem* document = links->Items(0)->Items(0);
  TMenuItem* program = links->Items(0)->Items(1);
  for (TMenuItem* item : {document, program}) EXPECT_GE(item->ImageIndex(), 0);
  ASSERT_TRUE(program->OnFindImage);
  DRAWITEMSTRUCT draw{};
  draw.CtlType = ODT_MENU;
  draw.itemID = program->Command();
  LRESULT result;
  TMenu::HandleNotify(nullptr, WM_DRAWITEM, 0, LPARAM(&draw), result);
  EXPECT_FALSE(program->OnFindImage);
  EXPECT_NE(program->ImageIndex(), document->ImageIndex());
}

TEST_F(FolderMenuTest, AnEntryThatCannotBeStartedIsNamedWithTheReason) {
  TApplication app;
  std::string shown;
  const MessageBoxResponder previous = SetMessageBoxResponder([&](const MessageBoxRequest& r) {
    shown = utf8(r.text);
    return IDOK;
  });
  base::KernelHandle started;
  EXPECT_FALSE(OpenFolderEntry(Path(L"gone\u2603.txt"), false, started));
  SetMessageBoxResponder(previous);
  EXPECT_EQ(shown.rfind("「" + utf8(temp_.Path()) + "\\gone？.txt」を開けません。\n", 0), 0u) << shown;
  EXPECT_GT(shown.size(), shown.find('\n') + 1) << "with the system's reason";
}

}  // namespace
