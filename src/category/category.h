#pragma once
// Categories: the memos of the current category (loading, saving,
// unloading), adding, deleting and switching, and the category submenus.
// The command handlers must not rely on wnd being a memo: the main window
// passes the tray menu's category commands on with its own handle.
#include <windows.h>

#include <string>

namespace dz {
// Start-up: makes "NowCagoteri" of Memo.dat the current category. A stored
// name that cannot be a file name in the data folder is not used: "data1"
// is opened instead and the returned notice (UTF-8) tells the user so;
// empty when the stored name was used.
std::string OpenStartCategory();

// Reads the current category file and creates every memo window. False
// (and nothing loaded) when the file exists but stays unreadable for a
// while; until it is loaded nothing is written to it.
bool LoadMemoTable();
// True when the memos are loaded, loading them now if their file has become
// readable; otherwise tells the user (UnreadableCategoryMessage) and false.
bool EnsureMemosLoaded();
std::string UnreadableCategoryMessage();
// Memos the category file holds beyond the table (appended to it while the
// program runs) get their windows.
void ShowAppendedMemos();
// Writes the current category to Memo.dat and the table and placements to
// the category file (one file replacement each). Does nothing before the
// memos were loaded, so an abandoned start-up never writes over the file.
// False when a file could not be written.
bool SaveMemoTable();
// Destroys every memo window in number order, releases the fonts and
// empties the table. With recordState each window records its browser
// state (and an open editor its text) while it still has its number;
// without it nothing is written, so a deleted category's file stays deleted.
void DestroyAllMemos(bool recordState = true);

void OnAddCategory(HWND wnd);                   // IDC_ADD_CATEGORY
void OnDeleteCategory(HWND wnd);                // IDC_DELETE_CATEGORY
void OnSwitchCategory(HWND wnd, WPARAM cmd);    // IDC_CATEGORY_FIRST..IDC_CATEGORY_LAST
// Rebuilds a "カゴテリの変更" submenu (tray popup position 4, memo and
// browser popup position 13) from the category list.
void OnCategoryInitMenu(HMENU submenu);
}  // namespace dz
