#pragma once
#include <windows.h>

namespace dz {
void AddTrayIcon(HWND main);
void RemoveTrayIcon();
// The tray callback message; mouseMsg is its lParam.
void OnTrayCallback(HWND main, UINT mouseMsg);
}  // namespace dz
