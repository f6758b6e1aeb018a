#pragma once
#include <windows.h>

namespace dz {
// Starts the one-second alignment timer.
void StartMinuteClock(HWND main);
void StopMinuteClock(HWND main);
// WM_TIMER of the main window.
void OnMainTimer(HWND main, UINT_PTR id);
}  // namespace dz
