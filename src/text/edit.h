#pragma once
// Edit mode: a rich-edit control laid over a memo.
#include <windows.h>

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
// The editor window, or null.
HWND Editor();
// The memo's client area is now w x h: an editor on it follows.
void OnEditorParentSize(HWND memo, int w, int h);
// The memo's font is about to be replaced by font: an editor on it takes
// the new one while the old one still exists.
void OnEditorParentFont(HWND memo, HFONT font);
}  // namespace dz
