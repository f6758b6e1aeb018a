#include "look/look.h"

#include "core/keys.h"
#include "memo/paint.h"
#include "store/memo_table.h"
#include "store/settings_access.h"

// Style, font and background commands are not built yet: they do nothing so
// far. Until gradients and pictures exist, both paint the solid colour of
// background kind 1 so that such a memo still shows a background.
namespace dz {
void OnMakeDefaultStyle(HWND) {}
void OnToggleTopmost(HWND) {}
void OnToggleFrame(HWND) {}
void OnChangeFont(HWND) {}
void OnBackTransparent(HWND) {}
void OnBackSolid(HWND) {}
void OnBackGradient(HWND) {}
void OnBackPictureFile(HWND) {}
void OnBackClipboard(HWND) {}
void OnSaveBackPicture(HWND) {}
void OnCopyMemoBitmap(HWND) {}
void OnBitmapTimer(HWND) {}
void OnLookInitMenu(HWND, HMENU) {}

static void PaintColor1(HDC dc, HWND memo, HWND sizeWindow) {
  int n = MemoNumberFromWindow(memo);
  if (n < 0) return;
  RECT rc;
  GetClientRect(sizeWindow ? sizeWindow : memo, &rc);
  PaintSolid(dc, rc, static_cast<COLORREF>(CategoryFile().ReadInt(kSecMemos, MemoKey(n, "Color1"), 0)));
}

void PaintGradient(HDC dc, HWND memo, HWND sizeWindow) { PaintColor1(dc, memo, sizeWindow); }
void PaintPicture(HDC dc, const std::string&, HWND memo) { PaintColor1(dc, memo, nullptr); }
}  // namespace dz
