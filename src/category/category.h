#pragma once
// Categories: the memos of the current category (loading, saving,
// unloading), adding, deleting and switching, and the category submenus.
// The command handlers must not rely on wnd being a memo: the main window
// passes the tray menu's category commands on with its own handle.
#include <windows.h>

namespace dz {
// Reads the current category file and creates every memo window.
void LoadMemoTable();
// Writes the current category to Memo.dat and the table and placements to
// the category file (one file replacement each). Does nothing before the
// memos were loaded, so an abandoned start-up never writes over the file.
void SaveMemoTable();
// Destroys every memo window in number order (each records its browser
// state while it still has its number), releases the fonts and empties the
// table.
void DestroyAllMemos();

void OnAddCategory(HWND wnd);                   // IDC_ADD_CATEGORY
void OnDeleteCategory(HWND wnd);                // IDC_DELETE_CATEGORY
void OnSwitchCategory(HWND wnd, WPARAM cmd);    // IDC_CATEGORY_FIRST..IDC_CATEGORY_LAST
// Rebuilds a "カゴテリの変更" submenu (tray popup position 4, memo popup
// position 13) from the category list.
void OnCategoryInitMenu(HMENU submenu);
}  // namespace dz
