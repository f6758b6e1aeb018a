#pragma once
// Memo text to and from files, the clipboard and dropped files.
#include <windows.h>
#include <shellapi.h>

namespace dz {
void OnInsertFile(HWND memo, bool atStart);           // IDC_INSERT_FILE_START, IDC_INSERT_FILE_END
void OnSaveMemoText(HWND memo);                       // IDC_SAVE_MEMO
void OnCopyMemoText(HWND memo);                       // IDC_COPY_TEXT
void OnInsertClipboardText(HWND memo, bool atStart);  // IDC_INSERT_CLIP_START, IDC_INSERT_CLIP_END
void OnDropFiles(HWND memo, HDROP drop);              // WM_DROPFILES; releases drop
}  // namespace dz
