#pragma once
// Categories: adding, deleting and switching, and the category submenus.
// The command handlers must not rely on wnd being a memo: the main window
// passes the tray menu's category commands on with its own handle.
#include <windows.h>

namespace dz {
void OnAddCategory(HWND wnd);                   // 403
void OnDeleteCategory(HWND wnd);                // 525
void OnSwitchCategory(HWND wnd, WPARAM cmd);    // 40020..40029
// Rebuilds a "カゴテリの変更" submenu (tray popup position 4, memo popup
// position 13) from the category list.
void OnCategoryInitMenu(HMENU submenu);
}  // namespace dz

using dz::OnCategoryInitMenu;
