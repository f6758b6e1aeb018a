#pragma once
// Memo text to and from files, the clipboard and dropped files.
#include <windows.h>
#include <shellapi.h>

namespace dz {
void OnInsertFile(HWND memo, bool atStart);           // 503, 504
void OnSaveMemoText(HWND memo);                       // 508
void OnCopyMemoText(HWND memo);                       // 520
void OnInsertClipboardText(HWND memo, bool atStart);  // 521, 522
void OnDropFiles(HWND memo, HDROP drop);              // WM_DROPFILES; releases drop
}  // namespace dz

using dz::OnCopyMemoText;
using dz::OnDropFiles;
using dz::OnInsertClipboardText;
using dz::OnInsertFile;
using dz::OnSaveMemoText;
