#pragma once
// The one window procedure of every memo window.
#include <windows.h>

namespace dz {
LRESULT CALLBACK MemoWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Registers the memo window class; false on failure.
bool RegisterMemoClass(HINSTANCE inst);
}  // namespace dz
