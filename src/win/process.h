#pragma once
// What every subsystem reads of the running process. The application
// (src/app) fills it at start and owns it; everyone else only reads it,
// except the clock record, which the time insertion of edit mode refreshes.
#include <windows.h>

#include "core/clock.h"

namespace dz {

struct Process {
  HINSTANCE inst = nullptr;
  // The hidden main window: owner of most message boxes and of what the
  // program puts on the clipboard.
  HWND main = nullptr;
  SYSTEMTIME clock = {};  // the clock record: what live expressions read
};

Process& TheProcess();

// The clock record as live expressions read it.
ClockFields ClockNow();
// Reads the local time into the clock record.
void RefreshClock();

}  // namespace dz
