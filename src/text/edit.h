#pragma once
// Edit mode: a rich-edit control laid over a memo.
#include <windows.h>

#include <string>

namespace dz {
// Loaded at start and freed at exit; the editor windows need them.
void LoadEditorLibraries();
void FreeEditorLibraries();
// Opens the editor on a memo (double click, IDC_EDIT_MEMO). Does nothing
// for a window that is not a memo, a memo in browser mode, or when no
// rich-edit library could be loaded.
void OpenEditor(HWND memo);
// Ends edit mode, writing the escaped text, if an editor exists. When the
// text cannot be written the user is told and the editor stays open with
// it: false then.
bool CommitEditor();
// The same, but only when the editor lies on memo: a memo that loses the
// activation ends its own edit, not one just opened on another memo.
bool CommitEditorOn(HWND memo);
// Forgets the editor without writing its text: its memo is going with a
// category that is being deleted.
void AbandonEditor();
// At the end of the Windows session, when the program ends whatever the
// editor holds and nobody answers a box: a changed text that the category
// file cannot hold (characters outside Shift_JIS) is written to `file`
// (UTF-16 with a byte order mark) and the editor forgotten. True when it
// was; false when there was no such text or the file could not be written.
bool KeepUnstorableEditorText(const std::wstring& file);
// The editor window, or null.
HWND Editor();
// The memo's client area is now w x h: an editor on it follows.
void OnEditorParentSize(HWND memo, int w, int h);
// The memo's font is about to be replaced by font: an editor on it takes
// the new one while the old one still exists.
void OnEditorParentFont(HWND memo, HFONT font);
}  // namespace dz
