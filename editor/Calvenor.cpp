// The menu editor: opens with its main window, and with the menu file named
// on its command line when there is one.
#include <windows.h>

#include "Forms.h"
#include "unitAbout.h"
#include "unitMain.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  gui::TApplication app;
  try {
    app.Initialize();
    app.SetTitle("Ostrevan メニューエディタ");
    app.CreateForm(formMain);
    app.CreateForm(formAbout);
    app.Run();
  } catch (const std::exception& e) {
    app.ShowException(e);
  }
  return 0;
}
