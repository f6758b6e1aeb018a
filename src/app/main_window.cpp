#include "app/main_window.h"

#include <string>

#include "app/app.h"
#include "app/hotkeys.h"
#include "app/folder_watch.h"
#include "app/main_commands.h"
#include "app/memo_proc.h"
#include "app/minute_clock.h"
#include "app/single_instance.h"
#include "app/tray.h"
#include "browser/browser.h"
#include "category/category.h"
#include "category/conflicts.h"
#include "memo/memo_window.h"
#include "res/resource.h"
#include "store/settings_access.h"
#include "text/edit.h"
#include "win/path.h"
#include "win/process.h"
#include "win/text.h"
#include "win/message.h"

namespace dz {

namespace {

constexpr int kTrayRestoreSubmenuPos = 3;
constexpr int kTrayCategorySubmenuPos = 6;
// Posted at the end of start-up: the notice about the start category is
// shown once the memos are up and the message loop runs.
constexpr UINT kShowStartNotice = WM_APP + 1;
std::string g_startNotice;
// Where the end of a session leaves an editor's text the category file
// cannot hold, and the key of Memo.dat that names it until the next start.
constexpr wchar_t kUnsavedFolder[] = L"\\unsaved";
constexpr char kUnsavedSection[] = "Unsaved";
constexpr char kUnsavedKey[] = "File";
// Posted when a settings file could not be written for the first time in
// this run; the notice never opens inside whatever was writing (a paint,
// a dialog).
constexpr UINT kWriteFailed = WM_APP + 2;
UINT g_taskbarCreated = 0;  // sent when the shell (and its tray) restarts
constexpr UINT_PTR kAddTrayIcon = WM_APP + 3;  // timer: the icon once start-up has painted
// Posted by the folder watch when something in the base folder changed.
constexpr UINT kFolderChanged = WM_APP + 21;
// Timer: a change that came while a dialog was open is taken in after it.
constexpr UINT_PTR kFollowLater = WM_APP + 22;

// The notice about folded conflict copies; held back while another box is
// open (the timer asks again).
constexpr UINT_PTR kConflictNotice = WM_APP + 23;
std::string g_conflictNotice;

void ShowConflictNotice(HWND main) {
  if (MessageBoxOpen()) {
    SetTimer(main, kConflictNotice, 250, nullptr);
    return;
  }
  KillTimer(main, kConflictNotice);
  std::string text;
  text.swap(g_conflictNotice);
  if (!text.empty()) Tell(text.c_str());
}

void FollowLater(HWND main) {
  KillTimer(main, kFollowLater);
  if (!FollowCategoryFile()) SetTimer(main, kFollowLater, 500, nullptr);
}

// Everything that follows changes other programs make to the settings
// folder starts here; the program's own writes come by as well and are
// recognised as such by the settings engine. Conflict copies a sync service
// left are folded in first, so that what they add is followed with the rest.
void OnFolderChanged(HWND main) {
  FolderChangeTaken();
  const std::string notice = FoldConflictCopies();
  if (!notice.empty()) {
    if (!g_conflictNotice.empty()) g_conflictNotice += "\n\n";
    g_conflictNotice += notice;
    ShowConflictNotice(main);
  }
  FollowLater(main);
}

void OnWriteFailed(HWND main) {
  // Not inside another box: the user answers one question at a time, and
  // whoever opened that box must see it close before anything else.
  if (MessageBoxOpen()) {
    SetTimer(main, kWriteFailed, 250, nullptr);
    return;
  }
  KillTimer(main, kWriteFailed);
  for (const std::string& path : TakeNewWriteFailures()) {
    const std::string text = "次のファイルに保存できませんでした。\n" + path +
                             "\n\n読み取り専用になっていないか、ディスクに空きがあるかを確かめてください。"
                             "保存できるようになるまで、このファイルへの変更は保存されません。";
    Tell(text.c_str());
  }
}

void LoadMenus() {
  App& app = TheApp();
  const HINSTANCE inst = TheProcess().inst;
  app.trayBar = LoadMenuW(inst, MAKEINTRESOURCEW(IDM_TRAY));
  app.trayMenu = GetSubMenu(app.trayBar, 0);
  app.childBar = LoadMenuW(inst, MAKEINTRESOURCEW(IDM_CHILD));
  app.childMenu = GetSubMenu(app.childBar, 0);
  app.browsBar = LoadMenuW(inst, MAKEINTRESOURCEW(IDM_BROWS));
  app.browsMenu = GetSubMenu(app.browsBar, 0);
}

// Returns false when start-up must be abandoned.
// The program ends whatever the editor holds, and no box is answered now:
// text that the category file cannot hold goes into a file of its own,
// named to the user at the next start.
void OnSessionEnd(HWND hwnd) {
  const std::wstring dir = BaseDirectory() + L"\\backup";
  const std::wstring name = Widen(CurrentCategory()) + L"-" + TimeStamp() + L".txt";
  CreateDirectoryW(ExtendedPath(dir).c_str(), nullptr);
  CreateDirectoryW(ExtendedPath(dir + kUnsavedFolder).c_str(), nullptr);
  if (KeepUnstorableEditorText(dir + kUnsavedFolder + L"\\" + name))
    AppFile().Write(kUnsavedSection, kUnsavedKey, Narrow(name));
  DestroyWindow(hwnd);
}

// A text kept at the last end of session is named once.
std::string UnsavedTextNotice() {
  const std::string name = AppFile().Read(kUnsavedSection, kUnsavedKey, "");
  if (name.empty()) return std::string();
  AppFile().Remove(kUnsavedSection, kUnsavedKey);
  return "前回 Windows が終了したとき、編集中のメモに保存できない文字があったため、そのテキストを次のファイルに残しました。\n" +
         NarrowUtf8(BaseDirectory() + L"\\backup" + kUnsavedFolder + L"\\" + Widen(name));
}

bool OnMainCreate(HWND hwnd) {
  TheProcess().main = hwnd;
  // The whole folder, however long: a cut or empty one would put the
  // settings at the drive's root.
  std::wstring dir(GetCurrentDirectoryW(0, nullptr), L'\0');
  DWORD len = dir.empty() ? 0 : GetCurrentDirectoryW(static_cast<DWORD>(dir.size()), &dir[0]);
  if (len == 0 || len >= dir.size()) {
    MessageBoxJ(nullptr, "作業フォルダーを調べられないため、Dereziz を起動できません。", "Dereziz", MB_OK | MB_ICONERROR);
    return false;
  }
  dir.resize(len);
  while (dir.size() > 3 && dir.back() == L'\\') dir.pop_back();
  SetBaseDirectory(NarrowUtf8(dir));
  SetWriteFailureListener([] { PostMessageW(TheProcess().main, kWriteFailed, 0, 0); });
  g_startNotice = OpenStartCategory();
  const std::string unsaved = UnsavedTextNotice();
  if (!unsaved.empty()) g_startNotice += (g_startNotice.empty() ? "" : "\n\n") + unsaved;
  // Before the memos are loaded, so that the memos folded in come with them.
  const std::string folded = FoldConflictCopies();
  if (!folded.empty()) g_startNotice += (g_startNotice.empty() ? "" : "\n\n") + folded;
  RefreshClock();
  StartMinuteClock(hwnd);
  LoadEditorLibraries();
  LoadBrowserLibrary();
  LoadMenus();
  if (!RegisterMemoClass(TheProcess().inst)) return false;
  if (!LoadMemoTable()) {
    if (!g_startNotice.empty()) g_startNotice += "\n\n";
    g_startNotice += UnreadableCategoryMessage();
  }
  const std::string hotkeys = RegisterHotkeys(hwnd);
  if (!hotkeys.empty()) g_startNotice += (g_startNotice.empty() ? "" : "\n\n") + hotkeys;
  // The icon comes once the memos are painted (a timer is handled only when
  // no window waits for its paint): adding it waits on the shell, which sets
  // up its notification area for the first icon of a session, a tenth of a
  // second on Wine's own desktop.
  SetTimer(hwnd, kAddTrayIcon, USER_TIMER_MINIMUM, nullptr);
  StartFolderWatch(BaseDirectory(), hwnd, kFolderChanged);
  if (!g_startNotice.empty()) PostMessageW(hwnd, kShowStartNotice, 0, 0);
  return true;
}

void OnMainClose(HWND hwnd) {
  // Text that cannot be stored stays in its editor, and the program with it.
  if (!CommitEditor()) return;
  if (MessageBoxJ(hwnd, "終了してもよろしいですか", "終了確認", MB_OKCANCEL | MB_ICONQUESTION) == IDOK) {
    DestroyWindow(hwnd);
  }
}

void OnMainDestroy(HWND hwnd) {
  App& app = TheApp();
  PublishMainWindow(nullptr);
  UnregisterHotkeys(hwnd);
  StopFolderWatch();
  KillTimer(hwnd, kFollowLater);
  StopMinuteClock(hwnd);
  // Placements are read from the windows, so this comes before they go.
  SaveMemoTable();
  RemoveTrayIcon();
  DestroyAllMemos();
  // Destroying a menu bar destroys its popups with it.
  if (app.childBar) DestroyMenu(app.childBar);
  if (app.trayBar) DestroyMenu(app.trayBar);
  if (app.browsBar) DestroyMenu(app.browsBar);
  app.childBar = app.childMenu = app.trayBar = app.trayMenu = app.browsBar = app.browsMenu = nullptr;
  FreeEditorLibraries();
  FreeBrowserLibrary();
  PostQuitMessage(0);
}

}  // namespace

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: return OnMainCreate(hwnd) ? 0 : -1;
    case WM_TIMER:
      if (wParam == kAddTrayIcon) {
        KillTimer(hwnd, kAddTrayIcon);
        AddTrayIcon(hwnd);
        return 0;
      }
      if (wParam == kWriteFailed) {
        OnWriteFailed(hwnd);
        return 0;
      }
      if (wParam == kConflictNotice) {
        ShowConflictNotice(hwnd);
        return 0;
      }
      if (wParam == kFollowLater) {
        FollowLater(hwnd);
        return 0;
      }
      OnMainTimer(hwnd, wParam);
      return 0;
    case WM_TRAY_CALLBACK: OnTrayCallback(hwnd, static_cast<UINT>(lParam)); return 0;
    case WM_INITMENU:
      OnCategoryInitMenu(GetSubMenu(TheApp().trayMenu, kTrayCategorySubmenuPos));
      OnRestoreInitMenu(GetSubMenu(TheApp().trayMenu, kTrayRestoreSubmenuPos));
      return 0;
    case WM_COMMAND: OnMainCommand(hwnd, wParam, lParam); return 0;
    case WM_HOTKEY: OnHotkey(hwnd, wParam); return 0;
    case WM_CLOSE: OnMainClose(hwnd); return 0;
    case WM_DISPLAYCHANGE: BringAllMemosWithinReach(); return 0;
    case WM_SETTINGCHANGE:
      if (wParam == SPI_SETWORKAREA) BringAllMemosWithinReach();
      return 0;
    case kWriteFailed: OnWriteFailed(hwnd); return 0;
    case kFolderChanged: OnFolderChanged(hwnd); return 0;
    case kShowStartNotice:
      Tell(g_startNotice.c_str());
      g_startNotice.clear();
      return 0;
    case WM_ENDSESSION:
      if (wParam) OnSessionEnd(hwnd);
      return 0;
    case WM_DESTROY: OnMainDestroy(hwnd); return 0;
    default:
      if (msg == g_taskbarCreated && msg != 0) {
        AddTrayIcon(hwnd);
        return 0;
      }
      if (msg == ComeForwardMessage() && msg != 0) return OnComeForward();
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

bool RegisterMainClass(HINSTANCE inst) {
  g_taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = MainWndProc;
  wc.hInstance = inst;
  wc.hIcon = LoadIconW(inst, MAKEINTRESOURCEW(IDI_APP));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = CreateSolidBrush(RGB(125, 125, 125));
  wc.lpszMenuName = nullptr;
  wc.lpszClassName = kMainClass;
  return RegisterClassExW(&wc) != 0;
}

HWND CreateMainWindow(HINSTANCE inst) {
  // Topmost from its creation, so it is so before anything else of the
  // start-up can be seen (the memos come inside it).
  return CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kMainClass, L"Dereziz", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                         CW_USEDEFAULT, CW_USEDEFAULT, 200, 200, nullptr, nullptr, inst, nullptr);
}

}  // namespace dz
