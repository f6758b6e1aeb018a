#pragma once
// Edit mode: a rich-edit control laid over a memo.
#include <windows.h>

namespace dz {
// Opens the editor on a memo (double click, command 502). Does nothing for a
// window that is not a memo, a memo in browser mode, or when the rich-edit
// library is missing.
void OpenEditor(HWND memo);
// Ends edit mode, writing the escaped text, if an editor exists.
void CommitEditor();
// The editor window, or null.
HWND Editor();
// The editor's memo was resized to a client area of w x h.
void OnEditorResize(int w, int h);
}  // namespace dz

using dz::CommitEditor;
using dz::Editor;
using dz::OnEditorResize;
using dz::OpenEditor;
