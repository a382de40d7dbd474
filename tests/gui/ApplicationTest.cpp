#include <gtest/gtest.h>

#include <vector>

#include "Dialogs.h"
#include "Forms.h"
#include "Menus.h"

using namespace gui;

namespace {
std::vector<std::string> boxes;
int Answer(const MessageBoxRequest& r) {
  boxes.push_back(r.caption + "|" + r.text);
  return IDOK;
}
}  // namespace

TEST(Application, TerminateEndsTheLoopOnlyAfterWhatIsQueued) {
  TApplication app;
  app.Initialize();
  app.SetTitle("Title");
  auto* item = new TMenuItem(&app);
  int picks = 0;
  item->OnClick = [&](TObject*) {
    ++picks;
    // A message box after the termination request still waits for its answer.
    app.MessageBox("after", "Box", MB_OK);
  };
  // As the popup does: the pick is posted, then the end is requested.
  PostMessageA(app.Handle(), WM_MENU_PICK, item->Command(), 0);
  PostMessageA(app.Handle(), WM_MENU_PICK, item->Command(), 0);
  app.Terminate();
  boxes.clear();
  const auto previous = SetMessageBoxResponder(Answer);
  app.Run();
  SetMessageBoxResponder(previous);
  EXPECT_EQ(picks, 2);
  EXPECT_EQ(boxes, (std::vector<std::string>{"Box|after", "Box|after"}));
}
