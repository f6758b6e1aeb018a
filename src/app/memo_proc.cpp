// The memo window procedure: each message is unpacked here and handed to the
// subsystem that owns it.
#include "app/memo_proc.h"

#include "app/app.h"
#include "browser/browser.h"
#include "category/category.h"
#include "look/look.h"
#include "look/paint.h"
#include "memo/behaviour.h"
#include "memo/links.h"
#include "memo/memo_table.h"
#include "memo/memo_window.h"
#include "res/resource.h"
#include "store/settings_access.h"
#include "text/edit.h"
#include "text/textio.h"
#include "win/process.h"

namespace dz {

namespace {

constexpr int kCategorySubmenuPos = 13;  // in the memo and the browser menu

// Commands of the memo and browser menus. Handlers find the memo number
// themselves; the category commands also arrive here with the main window
// (passed on from the tray menu).
void OnMemoCommand(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  // Commands act on memo numbers: the table takes in what other programs
  // changed first. Their memo may have gone with it.
  FollowCategoryFile();
  if (!IsWindow(hwnd)) return;
  switch (id) {
    case IDC_ADD_MEMO:
    case IDC_ABOUT:
    case IDC_EXIT: SendMessageW(TheProcess().main, WM_COMMAND, wParam, lParam); break;
    case IDC_SHOW_ALL: ShowAllMemos(); break;
    case IDC_HIDE_ALL: HideAllMemos(); break;
    case IDC_DELETE_MEMO: OnDeleteMemoCommand(hwnd); break;
    case IDC_HIDE_MEMO: OnHideMemo(hwnd); break;
    case IDC_EDIT_MEMO: SendMessageW(hwnd, WM_LBUTTONDBLCLK, 0, 0); break;

    case IDC_ADD_CATEGORY: OnAddCategory(hwnd); break;
    case IDC_DELETE_CATEGORY: OnDeleteCategory(hwnd); break;

    case IDC_MAKE_DEFAULT: OnMakeDefaultStyle(hwnd); break;
    case IDC_TOPMOST: OnToggleTopmost(hwnd); break;
    case IDC_FRAME: OnToggleFrame(hwnd); break;
    case IDC_FONT: OnChangeFont(hwnd); break;
    case IDC_BACK_TRANSPARENT: OnBackTransparent(hwnd); break;
    case IDC_BACK_SOLID: OnBackSolid(hwnd); break;
    case IDC_BACK_GRADIENT: OnBackGradient(hwnd); break;
    case IDC_BACK_PICTURE: OnBackPictureFile(hwnd); break;
    case IDC_BACK_CLIPBOARD: OnBackClipboard(hwnd); break;
    case IDC_SAVE_BACK_PICTURE: OnSaveBackPicture(hwnd); break;
    case IDC_COPY_BITMAP: OnCopyMemoBitmap(hwnd); break;

    case IDC_INSERT_FILE_START: OnInsertFile(hwnd, true); break;
    case IDC_INSERT_FILE_END: OnInsertFile(hwnd, false); break;
    case IDC_SAVE_MEMO: OnSaveMemoText(hwnd); break;
    case IDC_COPY_TEXT: OnCopyMemoText(hwnd); break;
    case IDC_INSERT_CLIP_START: OnInsertClipboardText(hwnd, true); break;
    case IDC_INSERT_CLIP_END: OnInsertClipboardText(hwnd, false); break;

    case IDC_BROWSER_CLOSE: OnCloseBrowser(hwnd); break;
    case IDC_BROWSER_HOME: OnBrowserHome(hwnd); break;
    case IDC_BROWSER_GO_URL: OnBrowserGoToUrl(hwnd); break;
    case IDC_BROWSER_URL_START: OnInsertPageUrl(hwnd, true); break;
    case IDC_BROWSER_URL_END: OnInsertPageUrl(hwnd, false); break;

    default:
      if (id >= IDC_CATEGORY_FIRST && id <= IDC_CATEGORY_LAST) {
        OnSwitchCategory(hwnd, wParam);
      } else if (id >= IDC_LINK_FIRST && id <= IDC_LINK_LAST) {
        OnOpenLink(hwnd, id - IDC_LINK_FIRST);
      } else if (id >= IDC_BROWSE_LINK_FIRST && id <= IDC_BROWSE_LINK_LAST) {
        OnOpenLinkInBrowser(hwnd, id - IDC_BROWSE_LINK_FIRST);
      }
      break;
  }
}

void OnMemoSize(HWND memo, int width, int height) {
  int n = MemoNumberFromWindow(memo);
  if (n < 0) return;
  FitBrowserHost(n, width, height);
  OnEditorParentSize(memo, width, height);
}

// The memo went to a monitor of another scale (or the scale changed): it
// takes the rectangle the system suggests, which keeps its size in units,
// and its font is built again for the new scale. The browser host and the
// editor follow the new size through WM_SIZE.
void OnMemoDpiChanged(HWND memo, int32_t dpi, const RECT& suggested) {
  const int n = MemoNumberFromWindow(memo);
  if (n >= 0) {
    Memos()[n].dpi = dpi;
    HFONT font = CreateMemoFont(ReadFont(CategoryFile(), n), dpi);
    OnEditorParentFont(memo, font);
    ReplaceMemoFont(n, font);
  }
  SetWindowPos(memo, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(memo, nullptr, TRUE);
}

void OnMemoActivate(HWND memo, WORD state) {
  if (state == WA_INACTIVE) CommitEditorOn(memo);
}

void OnMemoDoubleClick(HWND memo) {
  FollowCategoryFile();
  int n = MemoNumberFromWindow(memo);
  if (n < 0 || InBrowserMode(n)) return;
  OpenEditor(memo);
}

void OnMemoRButtonDown(HWND memo) {
  POINT pt;
  GetCursorPos(&pt);
  SetForegroundWindow(memo);
  FollowCategoryFile();
  int n = MemoNumberFromWindow(memo);
  if (n < 0) return;
  const App& app = TheApp();
  HMENU menu = InBrowserMode(n) ? app.browsMenu : app.childMenu;
  TrackPopupMenu(menu, 0, pt.x, pt.y, 0, memo, nullptr);
}

// A memo's paint covers its whole face (a background of any kind, or the
// caption strip above a browser that covers the rest): erasing first would
// fill it twice and flash the class's white in between. A window without a
// memo paints nothing and is erased as usual.
bool OnMemoEraseBackground(HWND memo) { return MemoNumberFromWindow(memo) >= 0; }

void OnMemoInitMenu(HWND memo) {
  if (MemoNumberFromWindow(memo) < 0) return;
  const App& app = TheApp();
  // Both stored menus are prepared, whichever of them is opening.
  OnLookInitMenu(memo, app.childMenu, app.browsMenu);
  // The browser menu's category submenu gets the same list as the memo
  // menu's, so its items switch categories too.
  OnCategoryInitMenu(GetSubMenu(app.childMenu, kCategorySubmenuPos));
  OnCategoryInitMenu(GetSubMenu(app.browsMenu, kCategorySubmenuPos));
  OnLinksInitMenu(memo, app.childMenu);
}

}  // namespace

LRESULT CALLBACK MemoWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_DESTROY: OnMemoDestroy(hwnd); return 0;
    case WM_MOVE: OnMemoMove(hwnd); return 0;
    case WM_SIZE: OnMemoSize(hwnd, LOWORD(lParam), HIWORD(lParam)); return 0;
    case WM_DPICHANGED:
      OnMemoDpiChanged(hwnd, LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_ACTIVATE: OnMemoActivate(hwnd, LOWORD(wParam)); return 0;
    case WM_CLOSE: OnMemoClose(hwnd); return 0;
    case WM_KEYDOWN: OnMemoKeyDown(hwnd, wParam); return 0;
    case WM_MOUSEWHEEL: OnMemoWheel(hwnd, HIWORD(wParam)); return 0;
    case WM_LBUTTONDOWN: OnMemoLButtonDown(hwnd, lParam); return 0;
    case WM_LBUTTONDBLCLK: OnMemoDoubleClick(hwnd); return 0;
    case WM_RBUTTONDOWN: OnMemoRButtonDown(hwnd); return 0;
    case WM_ERASEBKGND: return OnMemoEraseBackground(hwnd) ? 1 : DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_PAINT: OnMemoPaint(hwnd); return 0;
    case WM_TIMER:
      if (wParam == IDT_BITMAP_COPY) OnBitmapTimer(hwnd);
      return 0;
    case WM_INITMENU: OnMemoInitMenu(hwnd); return 0;
    case WM_DROPFILES: OnDropFiles(hwnd, reinterpret_cast<HDROP>(wParam)); return 0;
    case WM_COMMAND: OnMemoCommand(hwnd, wParam, lParam); return 0;
    case kPictureNoticeMessage: OnPictureNotice(); return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

bool RegisterMemoClass(HINSTANCE inst) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = MemoWndProc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = kMemoClass;
  return RegisterClassExW(&wc) != 0;
}

}  // namespace dz
