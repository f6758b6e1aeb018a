#pragma once
#include <windows.h>

namespace dz {
// WM_COMMAND of the main window: the tray menu, and IDC_ADD_MEMO, IDC_ABOUT
// and IDC_EXIT sent on by memos.
void OnMainCommand(HWND main, WPARAM wParam, LPARAM lParam);
}  // namespace dz
