#pragma once
#include <windows.h>

namespace dz {
// WM_COMMAND of the main window (tray menu, and 400/405/406 sent on by memos).
void OnMainCommand(HWND main, WPARAM wParam, LPARAM lParam);
}  // namespace dz
