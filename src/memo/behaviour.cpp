// Moving, sizing, activation, scrolling, dragging and the mouse buttons of a memo.
#include "app/app.h"
#include "browser/browser.h"
#include "category/category.h"
#include "core/keys.h"
#include "core/scroll.h"
#include "look/look.h"
#include "memo/memo_handlers.h"
#include "store/memo_table.h"
#include "store/settings_access.h"
#include "text/edit.h"

namespace dz {

namespace {
constexpr int kCaptionStripHeight = 16;
constexpr int kCategorySubmenuPos = 13;  // in the memo and the browser menu

void Scroll(HWND memo, int32_t& offset, ScrollDir dir) {
  ScrollResult r = ScrollStep(offset, dir);
  offset = r.offset;
  if (r.repaint) InvalidateRect(memo, nullptr, FALSE);
}
}  // namespace

void OnMemoMove(HWND memo) {
  int n = MemoNumberFromWindow(memo);
  if (n < 0) return;
  // Only a transparent memo shows what lies under it, which changed.
  if (CategoryFile().ReadInt(kSecMemos, MemoKey(n, "Back"), 3) == 3) InvalidateRect(memo, nullptr, TRUE);
}

void OnMemoSize(HWND memo, int width, int height) {
  int n = MemoNumberFromWindow(memo);
  if (n < 0) return;
  HWND host = Memos().browser[n];
  if (host && IsWindow(host)) MoveWindow(host, 0, kCaptionStripHeight, width, height - kCaptionStripHeight, TRUE);
  HWND editor = Editor();
  if (editor && GetParent(editor) == memo) OnEditorResize(width, height);
}

void OnMemoActivate(HWND, WORD state) {
  if (state == WA_INACTIVE) CommitEditor();
}

void OnMemoKeyDown(HWND memo, WPARAM vk) {
  int n = MemoNumberFromWindow(memo);
  if (n < 0) return;
  MemoTable& m = Memos();
  switch (vk) {
    case VK_DOWN: Scroll(memo, m.vOffset[n], ScrollDir::Forward); break;
    case VK_UP: Scroll(memo, m.vOffset[n], ScrollDir::Back); break;
    case VK_RIGHT: Scroll(memo, m.hOffset[n], ScrollDir::Forward); break;
    case VK_LEFT: Scroll(memo, m.hOffset[n], ScrollDir::Back); break;
    default: break;
  }
}

void OnMemoWheel(HWND memo, WORD highWord) {
  int n = MemoNumberFromWindow(memo);
  if (n < 0) return;
  switch (WheelDirection(highWord)) {
    case WheelMove::Back: Scroll(memo, Memos().vOffset[n], ScrollDir::Back); break;
    case WheelMove::Forward: Scroll(memo, Memos().vOffset[n], ScrollDir::Forward); break;
    case WheelMove::None: break;
  }
}

void OnMemoLButtonDown(HWND memo, LPARAM lParam) {
  // Pressing anywhere drags the memo as if it were a title bar. The
  // non-client message carries screen coordinates.
  POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  ClientToScreen(memo, &pt);
  PostMessageW(memo, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(pt.x, pt.y));
}

void OnMemoDoubleClick(HWND memo) {
  int n = MemoNumberFromWindow(memo);
  if (n < 0 || InBrowserMode(n)) return;
  OpenEditor(memo);
}

void OnMemoRButtonDown(HWND memo) {
  POINT pt;
  GetCursorPos(&pt);
  SetForegroundWindow(memo);
  int n = MemoNumberFromWindow(memo);
  if (n < 0) return;
  const App& app = TheApp();
  HMENU menu = InBrowserMode(n) ? app.browsMenu : app.childMenu;
  TrackPopupMenu(menu, 0, pt.x, pt.y, 0, memo, nullptr);
}

void OnMemoInitMenu(HWND memo, HMENU menu) {
  if (MemoNumberFromWindow(memo) < 0) return;
  const App& app = TheApp();
  OnLookInitMenu(memo, menu);
  // The browser menu's category submenu gets the same list as the memo
  // menu's, so its items switch categories too.
  OnCategoryInitMenu(GetSubMenu(app.childMenu, kCategorySubmenuPos));
  OnCategoryInitMenu(GetSubMenu(app.browsMenu, kCategorySubmenuPos));
  OnLinksInitMenu(memo, menu);
}

}  // namespace dz
