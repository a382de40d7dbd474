// Where the launcher's start-up time goes. With OSTREVAN_STARTUP_TRACE naming
// a file, every step appends a line to it: the milliseconds since the process
// was created, a blank, the step's name. The benchmark sets it; without it a
// step costs nothing but a test of a flag.
#pragma once

#include <windows.h>

void StartupStep(const char* step);

// Milliseconds from the creation of the process until now, by the clock the
// steps use; negative when the system cannot say.
double MillisecondsSinceCreation(HANDLE process);
