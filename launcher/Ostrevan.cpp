// The launcher: started with a menu file, it shows that menu at the mouse,
// starts the pick and ends. Without an argument it shows its version window.
#include <windows.h>

#include "Forms.h"
#include "ShellMenu.h"
#include "StartupTrace.h"
#include "unitMain.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  StartupStep("entry (libraries loaded)");
  gui::TApplication app;
  try {
    app.Initialize();
    StartupStep("application window");
    app.SetTitle("ランチャ");
    app.CreateForm(formMain);
    app.ShowMainForm = false;
    app.Run();
  } catch (const std::exception& e) {
    app.ShowException(e);
  }
  // A command of the shell's menu may still be at work for us.
  gui::FinishShellWork();
  return 0;
}
