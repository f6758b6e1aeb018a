#pragma once
// What the application itself owns: GDI+, the minute clock, the menus and
// the tray icon. What every subsystem reads (the instance, the main window,
// the clock record) is in win/process.h.
#include <windows.h>
#include <shellapi.h>

#include "core/clock.h"

namespace dz {

struct App {
  ULONG_PTR gdiplusToken = 0;
  MinuteClock minuteClock;
  HMENU trayBar = nullptr, trayMenu = nullptr;    // IDM_TRAY and its first popup
  HMENU childBar = nullptr, childMenu = nullptr;  // IDM_CHILD and its first popup
  HMENU browsBar = nullptr, browsMenu = nullptr;  // IDM_BROWS and its first popup
  NOTIFYICONDATAW tray = {};
};

App& TheApp();

}  // namespace dz
