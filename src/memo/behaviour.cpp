// Moving, scrolling and dragging a memo.
#include "memo/behaviour.h"

#include "core/keys.h"
#include "core/scroll.h"
#include "memo/memo_table.h"
#include "store/settings_access.h"

namespace dz {

namespace {
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
  if (CategoryFile().ReadInt(kSecMemos, MemoKey(n, "Back"), kBackTransparent) == kBackTransparent)
    InvalidateRect(memo, nullptr, TRUE);
}

void FitBrowserHost(int n, int width, int height) {
  if (!InBrowserMode(n)) return;
  const int strip = CaptionStripPixels(Memos()[n].dpi);
  MoveWindow(Memos()[n].browser, 0, strip, width, height - strip, TRUE);
}

void OnMemoKeyDown(HWND memo, WPARAM vk) {
  int n = MemoNumberFromWindow(memo);
  if (n < 0) return;
  Memo& m = Memos()[n];
  switch (vk) {
    case VK_DOWN: Scroll(memo, m.vOffset, ScrollDir::Forward); break;
    case VK_UP: Scroll(memo, m.vOffset, ScrollDir::Back); break;
    case VK_RIGHT: Scroll(memo, m.hOffset, ScrollDir::Forward); break;
    case VK_LEFT: Scroll(memo, m.hOffset, ScrollDir::Back); break;
    default: break;
  }
}

void OnMemoWheel(HWND memo, WORD highWord) {
  int n = MemoNumberFromWindow(memo);
  if (n < 0) return;
  switch (WheelDirection(highWord)) {
    case WheelMove::Back: Scroll(memo, Memos()[n].vOffset, ScrollDir::Back); break;
    case WheelMove::Forward: Scroll(memo, Memos()[n].vOffset, ScrollDir::Forward); break;
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

}  // namespace dz
