// Backgrounds, pictures and the memo as a bitmap.
#include "core/keys.h"
#include "look/look.h"
#include "look/paint.h"
#include "memo/memo_table.h"
#include "store/settings_access.h"

namespace dz {

// Not built yet: these commands do nothing so far.
void OnBackTransparent(HWND) {}
void OnBackSolid(HWND) {}
void OnBackGradient(HWND) {}
void OnBackPictureFile(HWND) {}
void OnBackClipboard(HWND) {}
void OnSaveBackPicture(HWND) {}
void OnCopyMemoBitmap(HWND) {}
void OnBitmapTimer(HWND) {}

namespace {
// Until gradients and pictures exist, both paint the solid colour so that
// such a memo still shows a background.
void PaintColor1(HDC dc, HWND memo, HWND sizeWindow) {
  int n = MemoNumberFromWindow(memo);
  if (n < 0) return;
  RECT rc;
  GetClientRect(sizeWindow ? sizeWindow : memo, &rc);
  PaintSolid(dc, rc, static_cast<COLORREF>(CategoryFile().ReadInt(kSecMemos, MemoKey(n, "Color1"), 0)));
}
}  // namespace

void PaintGradient(HDC dc, HWND memo, HWND sizeWindow) { PaintColor1(dc, memo, sizeWindow); }
void PaintPicture(HDC dc, const std::string&, HWND memo) { PaintColor1(dc, memo, nullptr); }

}  // namespace dz
