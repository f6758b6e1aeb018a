#pragma once
// Tells the main window when a file under the base directory appears, is
// renamed or is written: a sync service puts its conflict copies there
// while the program runs. The system's change notifications wake it; while
// nothing changes it never runs.
#include <windows.h>

#include <string>

namespace dz {

// Posts msg to wnd after a change. A message not yet taken (see
// FolderChangeTaken) is not posted twice.
bool StartFolderWatch(HWND wnd, UINT msg, const std::wstring& dir);
// The main window took the message: the next change posts again.
void FolderChangeTaken();
void StopFolderWatch();

}  // namespace dz
