#pragma once
#include <windows.h>

namespace dz {
inline constexpr wchar_t kMainClass[] = L"MEMOWnd";
bool RegisterMainClass(HINSTANCE inst);
// Creates the hidden, topmost main window; its creation loads everything.
// Null when start-up was abandoned.
HWND CreateMainWindow(HINSTANCE inst);
LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
}  // namespace dz
