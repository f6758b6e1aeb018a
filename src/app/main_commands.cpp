#include "app/main_commands.h"

#include <shellapi.h>

#include "app/find_dialog.h"
#include "app/memo_proc.h"
#include "category/category.h"
#include "core/limits.h"
#include "memo/memo_table.h"
#include "memo/memo_window.h"
#include "res/resource.h"
#include "res/version.h"
#include "win/message.h"
#include "win/process.h"

namespace dz {

namespace {

void OnAddMemo(HWND main) {
  if (!EnsureMemosLoaded()) return;
  if (Memos().count >= kMaxMemos) {
    MessageBoxJ(main, kTooManyMemos, nullptr, MB_OK);
    return;
  }
  if (!CreateMemo("")) MessageBoxJ(main, kMemoNotAdded, nullptr, MB_OK);
}

void OnAbout(HWND main) {
  HICON icon = static_cast<HICON>(LoadImageW(TheProcess().inst, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, 32, 32, 0));
  ShellAboutW(main, L"Dereziz#Dereziz/ver." DEREZIZ_VERSION_W, L"Dereziz ― デスクトップに貼る付せんメモ", icon);
  if (icon) DestroyIcon(icon);
}

}  // namespace

void OnMainCommand(HWND main, WPARAM wParam, LPARAM lParam) {
  // The whole parameter, not just its low word, names a category item.
  if (wParam >= IDC_CATEGORY_FIRST && wParam <= IDC_CATEGORY_LAST) {
    MemoWndProc(main, WM_COMMAND, wParam, lParam);
    return;
  }
  if (wParam >= IDC_RESTORE_FIRST && wParam <= IDC_RESTORE_LAST) {
    OnRestoreMemo(main, static_cast<int>(wParam - IDC_RESTORE_FIRST));
    return;
  }
  switch (LOWORD(wParam)) {
    case IDC_ADD_MEMO: OnAddMemo(main); break;
    case IDC_SHOW_ALL: ShowAllMemos(); break;
    case IDC_HIDE_ALL: HideAllMemos(); break;
    case IDC_FIND: OpenFindDialog(main); break;
    case IDC_ADD_CATEGORY: MemoWndProc(main, WM_COMMAND, wParam, lParam); break;
    case IDC_ABOUT: OnAbout(main); break;
    case IDC_EXIT: SendMessageW(main, WM_CLOSE, 0, 0); break;
    default: break;
  }
}

}  // namespace dz
