// Calvenor.exe driven as a user would, through its real windows, dialogs
// and shortcuts; what its commands do in detail is tested in-process.
#include "E2eTest.h"
// After windows.h, which it needs.
#include <shlobj.h>

using namespace e2e;
using Strings = std::vector<std::string>;

namespace {

const char kLayerClass[] = "OstrevanWindow";

// A file's path in the code page, or its short form where the code page
// lacks a character of it; as the test sees it.
std::string Ansi(const std::wstring& path) {
  wchar_t shortPath[MAX_PATH] = L"";
  const std::wstring named = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH) ? shortPath : path;
  char ansi[MAX_PATH * 2] = "";
  WideCharToMultiByte(CP_ACP, 0, named.c_str(), -1, ansi, sizeof ansi, nullptr, nullptr);
  return ansi;
}
std::wstring Wide(const std::string& ansi) {
  wchar_t wide[MAX_PATH * 2] = L"";
  MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, wide, MAX_PATH * 2);
  return wide;
}

// A shortcut file as the shell writes one, its fields in UTF-16.
void WriteShortcut(const std::wstring& path, const std::wstring& target, const std::wstring& arguments,
                   const std::wstring& folder = {}) {
  CoInitialize(nullptr);
  IShellLinkW* link = nullptr;
  IPersistFile* file = nullptr;
  CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, reinterpret_cast<void**>(&link));
  if (link) link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
  if (file) {
    link->SetPath(target.c_str());
    link->SetArguments(arguments.c_str());
    link->SetWorkingDirectory(folder.c_str());
    EXPECT_HRESULT_SUCCEEDED(file->Save(path.c_str(), TRUE));
    file->Release();
  }
  EXPECT_TRUE(file) << "no shell link object";
  if (link) link->Release();
  CoUninitialize();
}

class Editing : public E2eTest {
 protected:
  // Starts the editor (on the file, if any) and waits for its main window and tree.
  void StartEditor(const std::string& file) {
    editor_ = Process(file.empty() ? Strings{Program("Calvenor")} : Strings{Program("Calvenor"), file});
    main_ = WaitWindow(editor_.Id(), kLayerClass, sjis("Morvath Ostrevan - メニューエディタ"));
    tree_ = WaitChild(main_, "SysTreeView32");
  }
  // The number of entries the tree shows.
  size_t Count() { return size_t(SendTimeout(tree_, TVM_GETCOUNT, 0, 0)); }

  // The panel as a user sees it: the six fields top to bottom (name, icon
  // file, icon number, target, options, folder), the size list after the
  // toolbar's, and the small picture buttons (icon browse, icon clear,
  // target browse, folder browse).
  struct Panel {
    std::vector<HWND> fields, buttons;
    HWND sizes = nullptr;
  };
  Panel FindPanel() {
    Panel p;
    for (HWND c : Descendants(main_)) {
      RECT r;
      GetClientRect(c, &r);
      if (ClassName(c) == "Edit") p.fields.push_back(c);
      if (ClassName(c) == "ComboBox") p.sizes = c;
      if (ClassName(c) == kLayerClass && r.right == 23 && r.bottom == 22) p.buttons.push_back(c);
    }
    if (p.fields.size() != 6 || p.buttons.size() != 4)
      throw Failure("the panel has " + std::to_string(p.fields.size()) + " fields and " +
                    std::to_string(p.buttons.size()) + " picture buttons, not 6 and 4");
    return p;
  }
  // The window that has the editor's keyboard focus.
  HWND Focused() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(main_, nullptr), &info) ? info.hwndFocus : nullptr;
  }
  // The editor in front with the focus in `control`, as a click gives it.
  void Focus(HWND control, POINT at = {4, 4}) {
    ForegroundWindow(main_);
    Click(control, at);
    if (!WaitUntil([&] { return Focused() == control && GetForegroundWindow() == main_; }))
      throw Failure("the focus went to a " + ClassName(Focused()) + " in a " + ClassName(GetParent(Focused())) +
                    ", not to the " + ClassName(control) + "; in front: " + utf8(Text(GetForegroundWindow())));
  }
  // A command of the menu bar, as picked with the mouse.
  void Command(const Strings& utf8Path) {
    Strings path;
    for (const auto& caption : utf8Path) path.push_back(sjis(caption));
    PostMessageA(main_, WM_COMMAND, WPARAM(MenuBarCommand(main_, path)), 0);
  }
  // The question before changes are given up; fails unless it asks that.
  HWND SaveQuestion() {
    const MessageBoxView box = WaitMessageBox(editor_.Id(), sjis("確認"));
    EXPECT_EQ(utf8(box.text), "変更を保存しますか？");
    return box.dialog;
  }
  // The name typed into a file dialog of that caption, and Enter.
  void ChooseFile(const std::string& utf8Caption, const std::string& path) {
    const HWND dialog = WaitWindow(editor_.Id(), "#32770", sjis(utf8Caption));
    const HWND name = WaitChild(dialog, "Edit");
    SetText(name, path);
    PostKeys(name, {VK_RETURN});
    WaitGone(dialog);
  }
  // Part 0 (the file) and part 1 (the mark of unsaved changes) of the status bar.
  std::string Status(int part) { return utf8(StatusText(WaitChild(main_, STATUSCLASSNAMEA), part)); }

  // An editor a test opened closes at its end; changes a failed test left
  // behind are let go.
  void TearDown() override {
    if (main_ && IsWindow(main_)) {
      PostMessageA(main_, WM_CLOSE, 0, 0);
      std::vector<HWND> asked;
      if (WaitUntil([&] { return !IsWindow(main_) || !(asked = TopWindows(editor_.Id(), "#32770")).empty(); }) &&
          !asked.empty())
        PressButton(asked[0], IDNO);
      EXPECT_EQ(editor_.ExitCode(), 0u);
    }
    E2eTest::TearDown();
  }

  Process editor_;
  HWND main_ = nullptr;
  HWND tree_ = nullptr;
};

TEST_F(Editing, AHandWrittenMenuIsShownEditedThroughThePanelAndTheSystemsDialogsAndSaved) {
  // The launcher's program file, under a Japanese name, is the icon file.
  const std::string icons = temp_.File(sjis("ランチャ.exe"));
  ASSERT_TRUE(CopyFileA(Program("Ostrevan").c_str(), icons.c_str(), FALSE));
  const std::string work = temp_.File(sjis("作業"));
  ASSERT_TRUE(CreateDirectoryA(work.c_str(), nullptr));
  const std::string tail =
      "ツール<none,0>\r\n\r\n"
      "\tエディタ<C:\\windows\\notepad.exe,0>[C:\\Work]\r\n"
      "\t\"C:\\Program Files\\Editor\\edit.exe\" -n readme.txt\r\n"
      "\t\r\n\t\r\n"
      "\tマイ コンピュータ\r\n\tC:\\windows\\explorer.exe ::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\r\n"
      "メモ帳{MAXIMIZE}\r\nC:\\windows\\notepad.exe\r\n";
  const std::string file = Menu("Notepad\r\nC:\\windows\\notepad.exe\r\nOld\r\n" + utf8(icons) + "\r\n" + tail);
  StartEditor(file);
  Await([&] { return Count() == 7; }, "the seven entries");

  // Right click on the first entry, Delete: down five times passes the
  // submenu and the separators.
  Click(tree_, FirstTreeItemPoint(tree_), true);
  const HWND popup = WaitPopupMenu(editor_.Id());
  EXPECT_EQ(PopupTexts(popup), (Strings{sjis("項目(&I)"), sjis("特殊な項目(&P)"), sjis("セパレータ(&S)"), "-",
                                        sjis("サブメニュー(&M)"), "-", sjis("削除(&D)")}));
  PostKeys(popup, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
  Await([&] { return TopWindows(editor_.Id(), "#32768").empty(); }, "the popup to close");
  Await([&] { return Count() == 6; }, "the entry deleted");

  const Panel panel = FindPanel();
  const std::vector<HWND>&fields = panel.fields, &buttons = panel.buttons;
  const auto shows = [&](size_t field, const std::string& text) {
    return WaitUntil([&] { return Text(fields[field]) == text; });
  };
  // The deleted entry's place went to the next one, which may be selected
  // already: a click on its caption would open it for editing, Home does not.
  RECT below;
  GetClientRect(tree_, &below);
  Focus(tree_, POINT{4, below.bottom - 4});
  TypeKeys({VK_HOME});
  ASSERT_TRUE(shows(0, "Old"));
  EXPECT_EQ(Text(fields[3]), icons);

  // Without an icon file, the icon picker (the shell's, or the editor's own
  // where the shell has none) starts on the target.
  Click(buttons[0], POINT{11, 11});
  HWND picker = nullptr;
  Await([&] {
    for (HWND w : TopWindows(editor_.Id()))
      if (ClassName(w) == "#32770" || Text(w) == sjis("アイコンの変更")) picker = w;
    return picker != nullptr;
  }, "the icon picker");
  const HWND pickerFile = WaitChild(picker, "Edit");
  EXPECT_TRUE(WaitUntil([&] { return Text(pickerFile) == icons; })) << utf8(Text(pickerFile));
  HWND iconList = nullptr;
  for (HWND c : Descendants(picker))
    if (ClassName(c) == "SysListView32" || ClassName(c) == "ListBox") iconList = c;
  ASSERT_NE(iconList, nullptr);
  PostKeys(iconList, {VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RETURN});
  WaitGone(picker);
  EXPECT_TRUE(shows(1, icons));
  EXPECT_TRUE(shows(2, "3"));

  SetText(fields[0], sjis("新しい名前"));

  SetText(fields[3], ProbePath());
  SetText(fields[4], "--opt a");
  SetText(fields[5], work);
  PostKeys(panel.sizes, {VK_DOWN, VK_DOWN});
  EXPECT_TRUE(WaitUntil([&] { return Text(panel.sizes) == sjis("最大化"); }));

  // Ctrl+S as the user types it. Typed keys go to the focused window of the
  // foreground thread: the editor comes to the front and the tree takes the
  // focus from a click below its rows, which hands over what the fields hold
  // (what the panel does for each kind of entry is tested in-process).
  Focus(tree_, POINT{4, below.bottom - 4});
  TypeKeys({'S'}, VK_CONTROL);
  // The rest in the writer's form, which the file already has.
  const std::string saved =
      sjis("新しい名前<") + icons + ",3>[" + work + "]{MAXIMIZE}\r\n" + ProbePath() + " --opt a\r\n" + sjis(tail);
  EXPECT_TRUE(WaitUntil([&] { return ReadBytes(file) == saved; })) << "after Ctrl+S: " << utf8(ReadBytes(file));
}

TEST_F(Editing, NothingTypedIsLostNorAChangeGivenUpUnasked) {
  const std::string file = Menu("A\r\na.exe\r\n"), other = temp_.File("other.txt");
  StartEditor(file);
  const Panel panel = FindPanel();
  const auto saved = [&](const std::string& path, const std::string& text) {
    return WaitUntil([&] { return ReadBytes(path) == text && Status(0) == utf8(path) && Status(1).empty(); });
  };
  EXPECT_TRUE(saved(file, "A\r\na.exe\r\n")) << "the file, and no mark";

  // A name typed is marked; the close box asks, and Cancel keeps it all.
  Click(tree_, FirstTreeItemPoint(tree_));
  Focus(panel.fields[0]);
  TypeKeys({VK_END, 'X'});
  Await([&] { return Status(1) == "変更あり"; }, "the mark of a change");
  PostMessageA(main_, WM_SYSCOMMAND, SC_CLOSE, 0);
  PressButton(SaveQuestion(), IDCANCEL);

  // Each save takes what is still being typed: an icon file (Ctrl+S), a
  // new entry's caption (Save As).
  Focus(panel.fields[1]);
  SetText(panel.fields[1], "C:\\i.ico");
  TypeKeys({'S'}, VK_CONTROL);
  EXPECT_TRUE(saved(file, "Ax<C:\\i.ico,0>\r\na.exe\r\n")) << ReadBytes(file);
  Focus(panel.fields[2]);
  TypeKeys({VK_END, VK_BACK, '3'});
  // A command, posted, would overtake typed keys still queued.
  Await([&] { return Text(panel.fields[2]) == "3"; }, "the number typed");
  Command({"編集(&E)", "メニュー追加(&M)", "項目(&I)"});
  Await([&] { return Focused() && GetParent(Focused()) == tree_; }, "the new caption open");
  TypeKeys({'N'});
  Await([&] { return Text(Focused()) == "n"; }, "the caption typed");
  Command({"ファイル(&F)", "保存(&S)", "別名で保存(&A)"});
  ChooseFile("メニュー情報ファイルを保存", other);
  EXPECT_TRUE(saved(other, "n\r\n\r\nAx<C:\\i.ico,3>\r\na.exe\r\n")) << ReadBytes(other);

  // Unchanged, New asks nothing; changed, Exit asks, and Yes saves.
  Command({"ファイル(&F)", "新規作成(&N)"});
  Await([&] { return Count() == 0; }, "the tree emptied");
  Command({"編集(&E)", "メニュー追加(&M)", "セパレータ(&S)"});
  Command({"ファイル(&F)", "終了(&X)"});
  PressButton(SaveQuestion(), IDYES);
  EXPECT_EQ(editor_.ExitCode(), 0u);
  EXPECT_EQ(ReadBytes(other), "\r\n\r\n");

  // A save that fails keeps the editor open with its changes; No lets them go.
  StartEditor(other);
  Command({"編集(&E)", "メニュー追加(&M)", "セパレータ(&S)"});
  ASSERT_TRUE(SetFileAttributesA(other.c_str(), FILE_ATTRIBUTE_READONLY));
  PostMessageA(main_, WM_CLOSE, 0, 0);
  PressButton(SaveQuestion(), IDYES);
  PressButton(WaitMessageBox(editor_.Id(), sjis("Ostrevan メニューエディタ")).dialog, IDOK);
  EXPECT_TRUE(WaitUntil([&] { return TopWindows(editor_.Id(), "#32770").empty() && Status(1) == "変更あり"; }));
  SetFileAttributesA(other.c_str(), FILE_ATTRIBUTE_NORMAL);
  PostMessageA(main_, WM_CLOSE, 0, 0);
  PressButton(SaveQuestion(), IDNO);
  EXPECT_EQ(editor_.ExitCode(), 0u);
  main_ = nullptr;
  EXPECT_EQ(ReadBytes(other), "\r\n\r\n");
}

TEST_F(Editing, AFileReadInPartIsReplacedOnlyAfterNewOrTheUsersOwnChoice) {
  // What was read before the fault, in a submenu too, is whole.
  const std::string kept = "A\r\na.exe\r\nB\r\n\r\n\tC\r\n\tc.exe\r\n", broken = kept + "\tD<d.ico\r\nd.exe\r\n";
  const std::string file = Menu(broken, "broken.txt");
  StartEditor("");
  const auto open = [&] {
    WriteBytes(file, broken);
    Command({"ファイル(&F)", "開く(&O)"});
    ChooseFile("メニュー情報ファイルを開く", file);
    PressButton(WaitMessageBox(editor_.Id(), sjis("Ostrevan メニューエディタ")).dialog, IDOK);
    Await([&] { return Count() == 3 && TopWindows(editor_.Id(), "#32770").empty(); }, "what was read before the fault");
  };
  open();

  // Saving would lose the entries after the fault: refused, and said so.
  Command({"ファイル(&F)", "保存(&S)", "保存(&S)"});
  const MessageBoxView refused = WaitMessageBox(editor_.Id(), sjis("Ostrevan メニューエディタ"));
  EXPECT_NE(refused.text.find(sjis("最後まで読めなかった")), std::string::npos) << utf8(refused.text);
  PressButton(refused.dialog, IDOK);
  EXPECT_EQ(ReadBytes(file), broken);

  // A path longer than any program here can open is refused in Save As,
  // whose dialog stays for another name.
  Command({"ファイル(&F)", "保存(&S)", "別名で保存(&A)"});
  const HWND dialog = WaitWindow(editor_.Id(), "#32770", sjis("メニュー情報ファイルを保存"));
  ForegroundWindow(dialog);
  const std::string tooLong = temp_.File(std::string(150, 'd') + "\\" + std::string(150, 'e') + "\\m.txt");
  TypeText(Wide(tooLong));
  TypeKeys({VK_RETURN});
  const MessageBoxView tooLongBox = WaitMessageBox(editor_.Id(), sjis("警告"));
  EXPECT_EQ(tooLongBox.text, sjis("「") + tooLong + sjis("」は長すぎるため、使えません。\r\nフォルダとファイルの名前は、合わせて 259 文字までです。"));
  PressButton(tooLongBox.dialog, IDOK);
  WaitGone(tooLongBox.dialog);
  // The file chosen there, under another spelling of its name, is the
  // user's to replace; so it is after New.
  ChooseFile("メニュー情報ファイルを保存", file.substr(0, file.rfind('\\')) + "\\BROKEN.TXT");
  EXPECT_TRUE(WaitUntil([&] { return ReadBytes(file) == kept; })) << ReadBytes(file);
  open();
  Command({"ファイル(&F)", "新規作成(&N)"});
  Command({"編集(&E)", "メニュー追加(&M)", "セパレータ(&S)"});
  Command({"ファイル(&F)", "保存(&S)", "保存(&S)"});
  EXPECT_TRUE(WaitUntil([&] { return ReadBytes(file) == "\r\n\r\n"; })) << ReadBytes(file);
}

TEST_F(Editing, DroppedFilesAndFoldersBecomeEntriesAndNothingIsSavedThatTheFileCannotReadBack) {
  const std::wstring folder = Wide(temp_.Path()) + L"\\", korean = L"\xD55C\xAE00";
  const std::wstring program = folder + korean + L".exe", document = folder + L"\xD83D\xDE42.txt";
  ASSERT_TRUE(CopyFileW(Wide(Program("Ostrevan")).c_str(), program.c_str(), FALSE));
  HANDLE made = CreateFileW(document.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(made, INVALID_HANDLE_VALUE);
  CloseHandle(made);
  const std::string links = temp_.File("Links"), papers = temp_.File(sjis("資料")), old = temp_.File("[old]");
  for (const std::string& made : {links, papers, old}) ASSERT_TRUE(CreateDirectoryA(made.c_str(), nullptr));
  WriteShortcut(folder + L"TOOL.LNK", program, L"-x \"a b.txt\"", Wide(temp_.Path()));
  WriteShortcut(folder + korean + L".lnk", Wide(ProbePath()), L"");
  WriteShortcut(folder + L"args.lnk", Wide(ProbePath()), L"-x " + korean);
  WriteShortcut(folder + L"gone.lnk", folder + korean + L"\\a.exe", L"");
  WriteShortcut(folder + L"lines.lnk", Wide(ProbePath()), L"-a\r\n-b");
  WriteShortcut(folder + L"work.lnk", Wide(ProbePath()), L"", Wide(old));
  const auto name = [](const std::string& path) {
    const std::string file = path.substr(path.rfind('\\') + 1);
    return file.substr(0, file.rfind('.'));
  };
  const std::string refused = "には、この環境の文字（シフト JIS）で表せない文字があるため、取り込めません。";
  const std::string marks = "には、作業フォルダに使えない記号（[ ] < > { }）があるため、取り込めません。";

  const std::string file = Menu("A\r\na.exe\r\n");
  StartEditor(file);
  const Panel panel = FindPanel();
  enum Way { kDropped, kDroppedWithCtrl, kTypedOption, kTypedFolder, kTypedCaption };
  const struct {
    Way way;
    std::vector<std::wstring> input;  // the files dropped, or the text typed
    std::string message;              // UTF-8; none: the entry is taken
    std::string lines;                // what the entry adds to the file
  } cases[] = {
      {kDropped, {program, document}, "同時には、一つのファイルしか取り込めません。",
       name(Ansi(program)) + "\r\n" + Ansi(program) + "\r\n"},
      {kDropped, {document}, "", name(Ansi(document)) + "\r\n" + Ansi(document) + "\r\n"},
      // A folder is an item; dropped with Ctrl held, a submenu of its contents.
      {kDropped, {Wide(links)}, "", "Links\r\n" + links + "\r\n"},
      {kDroppedWithCtrl, {Wide(papers)}, "", sjis("資料[") + papers + "]\r\n\r\n"},
      // A caption is only shown; a name that is all extension, or none, stays whole.
      {kDropped, {folder + L"a[1].txt"}, "", sjis("a［1］\r\n") + temp_.File("a[1].txt") + "\r\n"},
      {kDropped, {folder + L".gitconfig"}, "", ".gitconfig\r\n" + temp_.File(".gitconfig") + "\r\n"},
      {kDropped, {L"C:\\"}, "", "C:\\\r\nC:\\\r\n"},
      // A folder goes into a mark, which its name would end; options keep to their line.
      {kDroppedWithCtrl, {Wide(old)}, "フォルダ「" + utf8(old) + "」" + marks, ""},
      {kDropped, {folder + L"work.lnk"}, "ショートカット「work.lnk」の作業フォルダ「" + utf8(old) + "」" + marks, ""},
      {kDropped, {folder + L"lines.lnk"}, "", "lines\r\n" + ProbePath() + " -a  -b\r\n"},
      {kDropped, {folder + L"TOOL.LNK"}, "", "TOOL[" + temp_.Path() + "]\r\n" + Ansi(program) + " -x \"a b.txt\"\r\n"},
      // A good target keeps its shortcut whatever the shortcut's own name.
      {kDropped, {folder + korean + L".lnk"}, "", name(Ansi(folder + korean + L".lnk")) + "\r\n" + ProbePath() + "\r\n"},
      {kDropped, {folder + L"args.lnk"}, "ショートカット「args.lnk」のオプション「-x ？？」" + refused, ""},
      {kDropped, {folder + L"gone.lnk"}, "ショートカット「gone.lnk」のリンク先「" + utf8(temp_.Path()) + "\\？？\\a.exe」" + refused, ""},
      // What the code page holds stays; nothing stands in for the rest.
      {kTypedOption, {L"a" + korean}, "「オプション」には、この環境の文字（シフト JIS）で表せない文字は入力できません。", ""},
      {kTypedFolder, {L"["}, "「作業フォルダ」には、次の記号は使えません：[ ] < > { }", ""},
      {kTypedCaption, {L"b" + korean}, "「A」の新しい名前には、この環境の文字（シフト JIS）で表せない文字は使えません。", ""},
      {kTypedCaption, {L"b[c"}, "「A」の新しい名前には、次の記号は使えません：[ ] < > { }", ""},
  };
  std::string first = "A\r\na.exe\r\n", added;
  for (const auto& c : cases) {
    const std::string& row = c.message.empty() ? c.lines : c.message;
    if (c.way == kDropped) {
      DropFiles(main_, c.input);
    } else if (c.way == kDroppedWithCtrl) {
      // Held until the drop is taken; the editor asks the key's state then.
      ForegroundWindow(main_);
      const size_t before = Count();
      HeldKey ctrl(VK_CONTROL);
      DropFiles(main_, c.input);
      Await([&] { return Count() == before + 1 || !TopWindows(editor_.Id(), "#32770").empty(); }, "the folder taken");
    } else if (c.way == kTypedOption || c.way == kTypedFolder) {
      Click(tree_, FirstTreeItemPoint(tree_));
      Focus(panel.fields[c.way == kTypedOption ? 4 : 5]);
      TypeKeys({VK_END});
      TypeText(c.input[0]);
    } else {
      // A click on the caption of the selected entry opens it for editing.
      Focus(tree_, FirstTreeItemPoint(tree_));
      Await([&] { return Focused() && GetParent(Focused()) == tree_; }, "the caption open");
      TypeText(c.input[0]);
      TypeKeys({VK_RETURN});
    }
    if (!c.message.empty()) {
      const MessageBoxView box = WaitMessageBox(editor_.Id(), sjis(c.input.size() > 1 ? "情報" : "警告"));
      EXPECT_EQ(utf8(box.text), c.message);
      PressButton(box.dialog, IDOK);
      WaitGone(box.dialog);
    }
    added += c.lines;
    if (c.way == kTypedOption) {
      EXPECT_TRUE(WaitUntil([&] { return Text(panel.fields[4]) == "a"; })) << Text(panel.fields[4]);
      first = "A\r\na.exe a\r\n";
    }
    Command({"ファイル(&F)", "保存(&S)", "保存(&S)"});
    EXPECT_TRUE(WaitUntil([&] { return ReadBytes(file) == first + added; })) << row << ":\n" << ReadBytes(file);
  }
  EXPECT_EQ(ReadBytes(file).find('?'), std::string::npos);
}

}  // namespace
