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
// Brings the memos on screen in line with the category file, when another
// program changed it since the table last followed it (or always, with
// evenUnchanged): memos are matched by identity; new ones get windows,
// gone ones lose them, moved ones move, the rest repaint. While a dialog or
// message box of the program is open nothing changes (unless evenInDialog)
// and false is returned: the caller tries again once it is closed.
bool FollowCategoryFile(bool evenUnchanged = false, bool evenInDialog = false);
// Writes the current category to Memo.dat and to the category file what
// changed here since it was read: placements and offsets of memos moved or
// scrolled, custom colours (one file replacement each). Does nothing before the
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
// Rebuilds the "削除したメモを戻す" submenu from the current category's
// bin: its newest memos, or one greyed item when it is empty.
void OnRestoreInitMenu(HMENU submenu);
// IDC_RESTORE_FIRST + slot: the kept memo comes back as the next memo.
void OnRestoreMemo(HWND main, int slot);
// Rebuilds a "カゴテリの変更" submenu (tray popup position 6, memo and
// browser popup position 13) from the category list.
void OnCategoryInitMenu(HMENU submenu);
}  // namespace dz
