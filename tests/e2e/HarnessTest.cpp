// The driver proves itself on E2eSample.exe, a launcher and editor in
// miniature, before other tests trust it with the real programs.
#include <gtest/gtest.h>

#include <algorithm>

#include "Driver.h"
#include "E2eTest.h"
#include "TestText.h"

using namespace e2e;
using Strings = std::vector<std::string>;

namespace {

// Command ids of the sample's tree window.
constexpr int kAddItem = 201;

std::string Sample() { return Program("E2eSample"); }

class Popup : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    // A folder name with a blank and double-byte characters, as users have.
    folder_ = temp_.File(sjis("作業 フォルダ"));
    ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr));
  }

  // The sample's popup, started the way a launcher is started.
  Process StartPopup() {
    Process::Options options;
    options.environment = {log_.Variable()};
    return Process::Start(Quote(Sample()) + " popup " + Quote(ProbePath()) + " " + Quote(folder_),
                          options);
  }

  TempFolder temp_{"harness"};
  ProbeLog log_{temp_.Path()};
  std::string folder_;
};

TEST_F(Popup, KeyboardPickStartsTheTargetAsTheShellWasAsked) {
  Process sample = StartPopup();
  const HWND popup = WaitPopupMenu(sample.Id());

  const auto items = ReadPopupMenu(popup);
  EXPECT_EQ(Texts(items), (Strings{sjis("プローブを開く"), sjis("ツール"), "-", sjis("何もしない")}));
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[1].kind, MenuItem::Submenu);
  EXPECT_EQ(Texts(items[1].items), (Strings{sjis("道具"), sjis("その他")}));
  EXPECT_FALSE(items[0].Highlighted()) << "nothing is selected before the first key";

  PostMenuKeys(sample.Id(), {VK_DOWN});
  ASSERT_TRUE(WaitUntil([&] { return ReadPopupMenu(popup)[0].Highlighted(); }, 5s));
  PostMenuKeys(sample.Id(), {VK_RETURN});

  EXPECT_EQ(sample.ExitCodeWithin(10s), 1u) << "one program started";
  const auto records = log_.WaitRecords(1);
  ASSERT_EQ(records.size(), 1u);
  const ProbeRecord& r = records[0];
  EXPECT_EQ(r.arguments(), sjis("一 \"二 三\"")) << "the parameters arrive unchanged";
  EXPECT_EQ(r.argv(), (Strings{sjis("一"), sjis("二 三")}));
  EXPECT_EQ(r.folder(), folder_);
  EXPECT_EQ(r.show(), SW_SHOWNORMAL);
  EXPECT_TRUE(r.showGiven());
  EXPECT_EQ(lstrcmpiA(r.module().c_str(), ProbePath().c_str()), 0) << utf8(r.module());
  EXPECT_EQ(r.parentPid(), sample.Id()) << "started by the sample itself";
  EXPECT_TRUE(log_.StaysAt(1, 300ms));
}

TEST_F(Popup, SubmenusOpenWithRightAndCloseWithEscape) {
  Process sample = StartPopup();
  const HWND popup = WaitPopupMenu(sample.Id());
  PostMenuKeys(sample.Id(), {VK_DOWN, VK_DOWN, VK_RIGHT});
  const HWND tools = WaitPopupMenu(sample.Id(), 2);
  EXPECT_NE(tools, popup);
  const auto toolItems = ReadPopupMenu(tools);
  EXPECT_EQ(Texts(toolItems), (Strings{sjis("道具"), sjis("その他")}));
  EXPECT_TRUE(toolItems[0].Highlighted()) << "Right selects the submenu's first item";

  PostMenuKeys(sample.Id(), {VK_DOWN, VK_RIGHT});
  const HWND deep = WaitPopupMenu(sample.Id(), 3);
  EXPECT_EQ(Texts(ReadPopupMenu(deep)), Strings{sjis("深い項目")});
  PostMenuKeys(sample.Id(), {VK_ESCAPE});
  WaitPopupMenu(sample.Id(), 2);
  PostMenuKeys(sample.Id(), {VK_LEFT});
  WaitPopupMenu(sample.Id(), 1);
  PostMenuKeys(sample.Id(), {VK_RIGHT, VK_DOWN, VK_RIGHT, VK_RETURN});

  EXPECT_EQ(sample.ExitCodeWithin(10s), 1u);
  const auto records = log_.WaitRecords(1);
  EXPECT_EQ(records[0].argv(), Strings{"deep"});
  EXPECT_EQ(records[0].show(), SW_SHOWMINNOACTIVE);
}

TEST_F(Popup, EscapeClosesThePopupAndStartsNothing) {
  Process sample = StartPopup();
  WaitPopupMenu(sample.Id());
  PostMenuKeys(sample.Id(), {VK_ESCAPE});
  EXPECT_EQ(sample.ExitCodeWithin(10s), 0u);
  EXPECT_TRUE(log_.StaysAt(0, 500ms));
}

// A user's keys go to the foreground thread; the sample made its hidden
// owner the foreground window, as the launcher does.
TEST_F(Popup, HardwareKeysReachThePopupOfTheForegroundThread) {
  Process sample = StartPopup();
  const HWND popup = WaitPopupMenu(sample.Id());
  ASSERT_TRUE(InForeground(popup)) << "the owner did not take the foreground";
  Keyboard::InputKeys({VK_DOWN, VK_DOWN, VK_RIGHT, VK_RETURN});
  EXPECT_EQ(sample.ExitCodeWithin(10s), 1u);
  const auto records = log_.WaitRecords(1);
  EXPECT_EQ(records[0].argv(), Strings{"tool"});
  EXPECT_EQ(records[0].show(), SW_SHOWMAXIMIZED);
}

TEST_F(Popup, HoldingShiftShowsThePopupAgainAfterEachPick) {
  Process sample = StartPopup();
  HWND popup = WaitPopupMenu(sample.Id());
  {
    HeldKey shift(VK_SHIFT);
    Keyboard::InputKeys({VK_DOWN, VK_RETURN});
    popup = WaitNewPopupMenu(sample.Id(), popup);
    // As slow as a user: long enough for Wine to take in the X events of the
    // new popup, which once let go of a Shift that only Wine knew about.
    Sleep(300);
    Keyboard::InputKeys({VK_DOWN, VK_DOWN, VK_RIGHT, VK_RETURN});
    popup = WaitNewPopupMenu(sample.Id(), popup);
  }
  // Released: the next close is the last.
  Keyboard::InputKeys({VK_ESCAPE});
  EXPECT_EQ(sample.ExitCodeWithin(10s), 2u) << "both picks were carried out";
  const auto records = log_.WaitRecords(2);
  ASSERT_EQ(records.size(), 2u);
  // The two probes may start in either order.
  Strings args{records[0].arguments(), records[1].arguments()};
  std::sort(args.begin(), args.end());
  Strings expected{sjis("一 \"二 三\""), "tool"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(args, expected);
}

TEST_F(Popup, TheShiftRepeatEndsWhenShiftIsReleasedBeforeThePick) {
  Process sample = StartPopup();
  HWND popup = WaitPopupMenu(sample.Id());
  {
    HeldKey shift(VK_SHIFT);
    Keyboard::InputKeys({VK_DOWN, VK_RETURN});
    popup = WaitNewPopupMenu(sample.Id(), popup);
  }
  Keyboard::InputKeys({VK_DOWN, VK_RETURN});
  EXPECT_EQ(sample.ExitCodeWithin(10s), 2u);
  EXPECT_EQ(log_.WaitRecords(2).size(), 2u);
}

class Dialogs : public E2eTest {};

TEST_F(Dialogs, MessageBoxIsReadAndAnswered) {
  Process sample = Process::Start(Quote(Sample()) + " message");
  const MessageBoxView box = WaitMessageBox(sample.Id(), sjis("警告"));
  EXPECT_EQ(box.text, sjis("メニュー情報ファイルがヘンです～。"));
  EXPECT_TRUE(box.HasButton(IDYES));
  EXPECT_TRUE(box.HasButton(IDNO));
  EXPECT_TRUE(box.HasButton(IDCANCEL));
  PressButton(box.dialog, IDNO);
  EXPECT_EQ(sample.ExitCodeWithin(10s), DWORD(IDNO));
}

TEST_F(Dialogs, WaitingForACaptionThatNeverComesFailsWithWhatIsShown) {
  Process sample = Process::Start(Quote(Sample()) + " message");
  WaitMessageBox(sample.Id(), sjis("警告"));
  try {
    WaitMessageBox(sample.Id(), sjis("エラー"), 300ms);
    FAIL() << "no such message box";
  } catch (const Failure& e) {
    EXPECT_NE(std::string(e.what()).find("警告"), std::string::npos)
        << "the message names the window that is open: " << e.what();
  }
}

class Tree : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    sample_ = Process::Start(Quote(Sample()) + " tree");
    window_ = WaitWindow(sample_.Id(), "E2eSampleTree", sjis("ツリーの見本"));
    tree_ = std::make_unique<RemoteTree>(FindChild(window_, WC_TREEVIEWA));
  }

  Process sample_;
  HWND window_ = nullptr;
  std::unique_ptr<RemoteTree> tree_;
};

TEST_F(Tree, ReadsEveryItemOfAnotherProcess) {
  EXPECT_EQ(tree_->Outline(), (Strings{sjis("ルート"), sjis("  項目一"), sjis("  フォルダ"),
                                       sjis("    項目二"), sjis("  項目三"), sjis("別のルート")}))
      << "collapsed branches too";
  const auto items = tree_->Items();
  EXPECT_TRUE(items[0].expanded);
  EXPECT_TRUE(items[0].selected);
  EXPECT_FALSE(items[2].expanded);
  EXPECT_TRUE(items[2].hasChildren);
  EXPECT_EQ(tree_->Selected(), items[0].handle);
}

TEST_F(Tree, ClicksAndKeysMoveTheSelection) {
  const HTREEITEM third = tree_->Find(sjis("項目三"));
  ASSERT_TRUE(third);
  tree_->ClickItem(third);
  EXPECT_TRUE(WaitUntil([&] { return tree_->Selected() == third; }, 5s));
  Keyboard::Post(tree_->Window(), VK_DOWN);
  EXPECT_TRUE(WaitUntil([&] { return tree_->Selected() == tree_->Find(sjis("別のルート")); }, 5s));
}

TEST_F(Tree, CommandsAndAcceleratorsReachTheWindow) {
  tree_->Select(tree_->Find(sjis("別のルート")));
  PostCommand(window_, kAddItem);
  ASSERT_TRUE(WaitUntil([&] { return tree_->Items().size() == 7; }, 5s));
  EXPECT_EQ(tree_->Outline().back(), sjis("  新しい項目")) << "added under the selection";

  // A key without modifiers works posted, accelerator included.
  Keyboard::Post(tree_->Window(), VK_DELETE);
  ASSERT_TRUE(WaitUntil([&] { return tree_->Items().size() == 6; }, 5s));

  // Ctrl+N needs the Ctrl key state, so it goes in as hardware input. (Keys
  // posted after it could overtake the Ctrl release: this comes last.)
  ForegroundWindow(window_);
  Keyboard::Input({VK_CONTROL, 'N'});
  ASSERT_TRUE(WaitUntil([&] { return tree_->Items().size() == 7; }, 5s));
  EXPECT_EQ(tree_->Outline().back(), sjis("  新しい項目"));
}

TEST_F(Tree, ItemsAreRenamedByTypingDoubleByteText) {
  tree_->ClickItem(tree_->Find(sjis("項目一")));
  Keyboard::Post(tree_->Window(), VK_F2);
  HWND edit = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (edit = tree_->EditControl()) != nullptr; }, 5s));
  PostMessageA(edit, EM_SETSEL, 0, -1);
  Keyboard::PostChars(edit, sjis("新名 A1"));
  ASSERT_TRUE(WaitUntil([&] { return Text(edit) == sjis("新名 A1"); }, 5s)) << utf8(Text(edit));
  Keyboard::Post(edit, VK_RETURN);
  EXPECT_TRUE(WaitUntil([&] { return tree_->Outline()[1] == sjis("  新名 A1"); }, 5s));
}

TEST_F(Tree, MenuBarIsReadFromInsideTheProgram) {
  const auto bar = ReadMenuBar(window_);
  ASSERT_EQ(Texts(bar), Strings{sjis("編集(&E)")});
  EXPECT_EQ(Texts(bar[0].items), (Strings{sjis("追加(&A)\tCtrl+N"), sjis("削除(&D)\tDel"),
                                          sjis("名前の変更(&R)\tF2")}));
  EXPECT_EQ(bar[0].items[0].id, UINT(kAddItem));
}

class Processes : public E2eTest {};

TEST_F(Processes, KillingAProgramEndsWhatItStarted) {
  // cmd starts the sample and ends; the sample stays, in cmd's job.
  Process cmd = Process::Start("cmd.exe /c start \"\" " + Quote(Sample()) + " tree");
  HWND window = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (window = FindWindowA("E2eSampleTree", nullptr)) != nullptr; }, 10s));
  const DWORD started = ProcessOf(window);
  EXPECT_NE(started, cmd.Id());
  cmd.Kill();
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(window); }, 5s)) << "the sample outlived the kill";
  const HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, started);
  if (h) {
    EXPECT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
    CloseHandle(h);
  }
}

TEST_F(Processes, EnvironmentAndFolderReachTheProgram) {
  TempFolder temp("env");
  ProbeLog log(temp.Path());
  Process::Options options;
  options.folder = temp.Path();
  options.environment = {log.Variable(), {"E2E_UNUSED", "x"}};
  options.show = SW_SHOWMINIMIZED;
  Process probe = Process::Start(Quote(ProbePath()) + " a\\\\b \"c d\"", options);
  EXPECT_EQ(probe.ExitCodeWithin(10s), 0u);
  const auto r = log.WaitRecords(1).at(0);
  EXPECT_EQ(r.argv(), (Strings{"a\\\\b", "c d"}));
  EXPECT_EQ(r.arguments(), "a\\\\b \"c d\"");
  EXPECT_EQ(r.folder(), temp.Path());
  EXPECT_EQ(r.show(), SW_SHOWMINIMIZED);
  EXPECT_EQ(r.pid(), probe.Id());
}

TEST_F(Processes, ProbesStartedTogetherWriteWholeRecords) {
  TempFolder temp("together");
  ProbeLog log(temp.Path());
  Process::Options options;
  options.environment = {log.Variable()};
  std::vector<Process> probes;
  std::vector<std::string> expected;
  for (int i = 0; i < 8; ++i) {
    // Long enough that one record takes more than a few bytes to write.
    expected.push_back(std::string(3000, char('a' + i)));
    probes.push_back(Process::Start(Quote(ProbePath()) + " " + expected.back(), options));
  }
  for (auto& p : probes) EXPECT_EQ(p.ExitCodeWithin(10s), 0u);
  std::vector<std::string> got;
  for (const auto& r : log.WaitRecords(8)) got.push_back(r.arguments());
  std::sort(got.begin(), got.end());
  EXPECT_EQ(got, expected);
}

// The watchdog is what keeps a test from sitting in front of a modal window
// until CTest gives up on it.
TEST_F(Processes, TheWatchdogKillsAProgramStuckInAMessageBox) {
  Process sample = Process::Start(Quote(Sample()) + " message");
  WaitMessageBox(sample.Id());
  std::fputs("(the watchdog report below is expected)\n", stderr);
  Watchdog dog(std::chrono::seconds(1), "a deliberately stuck wait");
  EXPECT_TRUE(sample.WaitExit(10s));
  EXPECT_TRUE(dog.Fired());
  EXPECT_EQ(sample.ExitCode(), 0xDEADu);
}

}  // namespace
