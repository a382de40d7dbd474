// How the driver asks e2eHook.dll, loaded into a target process, for a menu
// that only exists inside that process (Wine keeps menus process-private).
//
// The driver creates a shared memory block and an event named after the
// target's process id, hooks the target's thread (WH_GETMESSAGE) and posts
// the request message to a window of it: wParam the HMENU, or 0 and lParam
// the window whose menu bar to read. The hook writes one line per item,
// depth TAB id TAB caption ("-" for a separator), then sets the event.
//
// The layout request (kLayoutMessageName, lParam a window) is answered the
// same way with one line per descendant of the window (see ReadLayout in
// Driver.h): handle, parent, class, visible, the window rectangle on the
// screen, the room for its text, the size its text takes in its own font,
// the side of the images it shows, then its text; TAB between fields.
#pragma once

#include <string>

namespace e2e::hook {

constexpr const char* kDllName = "e2eHook.dll";
constexpr const char* kProcName = "E2eGetMessageHook";
constexpr const char* kMessageName = "OstrevanE2eReadMenu";
constexpr const char* kLayoutMessageName = "OstrevanE2eReadLayout";
constexpr unsigned kMappingSize = 256 * 1024;

inline std::string MappingName(unsigned long pid) { return "OstrevanE2eMenu." + std::to_string(pid); }
inline std::string EventName(unsigned long pid) { return "OstrevanE2eMenuDone." + std::to_string(pid); }

}  // namespace e2e::hook
