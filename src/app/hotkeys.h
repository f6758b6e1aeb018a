#pragma once
// The program's hotkeys (Memo.dat, section "Hotkey"), held by the main
// window from start to exit.
#include <windows.h>

#include <string>

namespace dz {
// Registers every hotkey that is on. Returns what the user must be told
// (UTF-8): hotkeys another program holds, values that are no hotkey; empty
// when there is nothing to tell.
std::string RegisterHotkeys(HWND main);
void UnregisterHotkeys(HWND main);
// WM_HOTKEY of the main window.
void OnHotkey(HWND main, WPARAM id);
}  // namespace dz
