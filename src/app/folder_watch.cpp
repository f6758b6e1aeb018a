#include "app/folder_watch.h"

#include <atomic>

#include "win/path.h"

namespace dz {

namespace {

struct Watch {
  std::wstring dir;
  HANDLE stop = nullptr;
  HANDLE ready = nullptr;
  HANDLE thread = nullptr;
  bool watching = false;  // set by the thread before ready
  HWND wnd = nullptr;
  UINT msg = 0;
  // A burst of changes (a file written beside and renamed over, a backup)
  // posts one message, not one per change.
  std::atomic<bool> posted{false};
};
Watch g_watch;

constexpr DWORD kWatchFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                               FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;

HANDLE WatchFolder(const std::wstring& dir) {
  return FindFirstChangeNotificationW(ExtendedPath(dir).c_str(), FALSE, kWatchFilter);
}

DWORD WINAPI WatchThread(LPVOID) {
  // The notifications are asked for on this thread: under Wine a change is
  // delivered to the thread that asked, and only once that thread runs.
  // The base folder and the data folder each on their own: Wine does not
  // report changes that its own programs make in a subfolder of a watched
  // tree.
  HANDLE base = WatchFolder(g_watch.dir);
  HANDLE data = WatchFolder(g_watch.dir + L"\\data");
  g_watch.watching = base != INVALID_HANDLE_VALUE;
  SetEvent(g_watch.ready);
  if (!g_watch.watching) return 0;
  for (;;) {
    HANDLE handles[3] = {g_watch.stop, base, data};
    const DWORD count = data != INVALID_HANDLE_VALUE ? 3 : 2;
    const DWORD woke = WaitForMultipleObjects(count, handles, FALSE, INFINITE);
    if (woke != WAIT_OBJECT_0 + 1 && woke != WAIT_OBJECT_0 + 2) break;
    if (!g_watch.posted.exchange(true)) PostMessageW(g_watch.wnd, g_watch.msg, 0, 0);
    if (woke == WAIT_OBJECT_0 + 1 && !FindNextChangeNotification(base)) break;
    if (woke == WAIT_OBJECT_0 + 2 && !FindNextChangeNotification(data)) {
      FindCloseChangeNotification(data);  // the folder went: watched again once it is back
      data = INVALID_HANDLE_VALUE;
    }
    // The data folder comes with the first memo saved, or back after
    // another program replaced it.
    if (woke == WAIT_OBJECT_0 + 1 && data == INVALID_HANDLE_VALUE) data = WatchFolder(g_watch.dir + L"\\data");
  }
  FindCloseChangeNotification(base);
  if (data != INVALID_HANDLE_VALUE) FindCloseChangeNotification(data);
  return 0;
}

}  // namespace

bool StartFolderWatch(const std::wstring& dir, HWND wnd, UINT msg) {
  StopFolderWatch();
  g_watch.dir = dir;
  g_watch.wnd = wnd;
  g_watch.msg = msg;
  g_watch.posted = false;
  g_watch.watching = false;
  g_watch.stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_watch.ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  // It only waits: a small stack is plenty.
  if (g_watch.stop && g_watch.ready)
    g_watch.thread = CreateThread(nullptr, 64 * 1024, WatchThread, nullptr, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (g_watch.thread) WaitForSingleObject(g_watch.ready, INFINITE);
  if (!g_watch.watching) {
    StopFolderWatch();
    return false;
  }
  return true;
}

void StopFolderWatch() {
  if (g_watch.thread) {
    SetEvent(g_watch.stop);
    WaitForSingleObject(g_watch.thread, INFINITE);
    CloseHandle(g_watch.thread);
  }
  if (g_watch.stop) CloseHandle(g_watch.stop);
  if (g_watch.ready) CloseHandle(g_watch.ready);
  g_watch.stop = g_watch.ready = g_watch.thread = nullptr;
}

void FolderChangeTaken() { g_watch.posted = false; }

}  // namespace dz
