#pragma once
// Process-wide state owned by the main window: everything that exists once.
#include <windows.h>
#include <unknwn.h>
#include <shellapi.h>

#include <string>

#include "core/clock.h"

namespace dz {

using AtlAxGetControlFn = HRESULT(WINAPI*)(HWND host, IUnknown** control);

struct App {
  HINSTANCE inst = nullptr;
  HWND main = nullptr;
  ULONG_PTR gdiplusToken = 0;
  std::string baseDir;       // UTF-8, no trailing backslash
  std::string categoryName;  // CP932 bytes as stored in the application file
  SYSTEMTIME clock = {};     // the clock record: what live expressions read
  MinuteClock minuteClock;
  HMODULE richEdit = nullptr;  // null when RICHED32.dll is missing: edit mode does nothing
  HMODULE atl = nullptr;       // null when atl.dll is missing: the browser does nothing
  AtlAxGetControlFn atlAxGetControl = nullptr;
  HMENU trayBar = nullptr, trayMenu = nullptr;    // IDM_TRAY and its first popup
  HMENU childBar = nullptr, childMenu = nullptr;  // IDM_CHILD and its first popup
  HMENU browsBar = nullptr, browsMenu = nullptr;  // IDM_BROWS and its first popup
  HFONT captionFont = nullptr;
  HICON icon = nullptr;
  NOTIFYICONDATAW tray = {};
  bool trayAdded = false;
  // Set once the memos were loaded; until then shutdown must not save over
  // the category file.
  bool memosLoaded = false;
};

App& TheApp();

// The clock record as live expressions read it.
ClockFields ClockNow();
// Reads the local time into the clock record.
void RefreshClock();

}  // namespace dz

using dz::App;
using dz::ClockNow;
using dz::RefreshClock;
using dz::TheApp;
