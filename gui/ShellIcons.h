// The icons Explorer shows for files, folders and shell locations: a
// document's type, a folder, "My Computer". The shell is asked only here,
// and only when a caller needs such an icon; a program whose entries all
// have icons of their own never loads it for them.
#pragma once

#include <string>

#include "Graphics.h"

namespace gui {

// The icon Explorer shows for a file or folder, or for a shell location
// named by its parsing name ("::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"),
// `size` pixels square. Empty when the shell knows none (a name that is not
// there).
TIcon ExplorerIcon(const std::string& name, int size);

}  // namespace gui
