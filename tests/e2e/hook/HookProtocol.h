// How the driver asks e2eHook.dll, loaded into a target, for what only the
// target can read (Wine keeps menus, fonts and GDI handles private): it
// makes a shared memory block and an event named after the target's process
// id, hooks the target's thread (WH_GETMESSAGE) and posts a request to a
// window of it; the hook fills the block with an Answer and sets the event.
// kMenuRequest: wParam the HMENU, or 0 and lParam the window with the menu
// bar; a record per item, depth first. kLayoutRequest: lParam a window; a
// record per descendant.
#pragma once

#include <windows.h>

#include <string>

namespace e2e::hook {

constexpr const char* kDllName = "e2eHook.dll";
constexpr const char* kProcName = "E2eGetMessageHook";
constexpr const char* kMenuRequest = "OstrevanE2eReadMenu";
constexpr const char* kLayoutRequest = "OstrevanE2eReadLayout";
constexpr unsigned kMappingSize = 256 * 1024;

struct MenuRecord {
  int depth;
  UINT id;
  char caption[512];  // "-" for a separator
};

struct ControlRecord {
  HWND parent;
  char className[64], text[512];
  BOOL visible;
  RECT rect;  // on the screen
  // The room the control gives its text (a drop-down list: its closed box
  // beside the button) and what the text takes in the control's own font (a
  // label that breaks lines: broken at its width; a list: its longest
  // choice); both 0 for controls without such text.
  SIZE room, needed;
  int imageSide;  // of the images it shows: a tree's or toolbar's list, a picture
};

template <class Record>
struct Answer {
  int count;
  Record records[(kMappingSize - 16) / sizeof(Record)];
};

inline std::string MappingName(unsigned long pid) { return "OstrevanE2eMenu." + std::to_string(pid); }
inline std::string EventName(unsigned long pid) { return "OstrevanE2eMenuDone." + std::to_string(pid); }

}  // namespace e2e::hook
