#pragma once
// Tells the main window when anything in the base folder or its data
// folder changes (Memo.dat, the category files, the category folders),
// whoever changed it. A thread of its own waits on the system's change notification and
// posts one message; while nothing changes nothing runs.
#include <windows.h>

#include <string>

namespace dz {
// Starts watching dir and dir\data; msg is posted to wnd after a change, once until the
// handler calls FolderChangeTaken. False when the folder cannot be watched
// (the program then runs as before, seeing changes at its next read).
bool StartFolderWatch(const std::wstring& dir, HWND wnd, UINT msg);
void StopFolderWatch();
// The posted message was taken: the next change posts again.
void FolderChangeTaken();
}  // namespace dz
