#include "app/folder_watch.h"

#include "win/path.h"

namespace dz {

namespace {

struct Watch {
  HANDLE change = INVALID_HANDLE_VALUE;
  HANDLE stop = nullptr;
  HANDLE thread = nullptr;
  HWND wnd = nullptr;
  UINT msg = 0;
  volatile LONG posted = 0;
};
Watch g_watch;

DWORD WINAPI WatchThread(void*) {
  const HANDLE waits[] = {g_watch.stop, g_watch.change};
  while (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
    if (InterlockedExchange(&g_watch.posted, 1) == 0) PostMessageW(g_watch.wnd, g_watch.msg, 0, 0);
    if (!FindNextChangeNotification(g_watch.change)) break;
  }
  return 0;
}

}  // namespace

bool StartFolderWatch(HWND wnd, UINT msg, const std::wstring& dir) {
  g_watch.wnd = wnd;
  g_watch.msg = msg;
  // The data folder and the backup folder are below the base directory.
  g_watch.change = FindFirstChangeNotificationW(ExtendedPath(dir).c_str(), TRUE,
                                                FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE);
  if (g_watch.change == INVALID_HANDLE_VALUE) return false;
  g_watch.stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_watch.thread = g_watch.stop ? CreateThread(nullptr, 0, WatchThread, nullptr, 0, nullptr) : nullptr;
  if (!g_watch.thread) {
    StopFolderWatch();
    return false;
  }
  return true;
}

void FolderChangeTaken() { InterlockedExchange(&g_watch.posted, 0); }

void StopFolderWatch() {
  if (g_watch.thread) {
    SetEvent(g_watch.stop);
    WaitForSingleObject(g_watch.thread, INFINITE);
    CloseHandle(g_watch.thread);
  }
  if (g_watch.stop) CloseHandle(g_watch.stop);
  if (g_watch.change != INVALID_HANDLE_VALUE) FindCloseChangeNotification(g_watch.change);
  g_watch.change = INVALID_HANDLE_VALUE;
  g_watch.stop = g_watch.thread = nullptr;
  g_watch.posted = 0;
}

}  // namespace dz
