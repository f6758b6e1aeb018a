#include "look/paint.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "browser/browser.h"
#include "core/display_text.h"
#include "core/dpi.h"
#include "core/keys.h"
#include "core/limits.h"
#include "core/number.h"
#include "look/look.h"
#include "memo/memo_table.h"
#include "store/settings_access.h"
#include "win/process.h"
#include "win/text.h"

namespace dz {

namespace {
// -offset without overflow for a hand-edited extreme offset.
int Negated(int32_t offset) {
  return offset == std::numeric_limits<int32_t>::min() ? std::numeric_limits<int32_t>::max() : -offset;
}

int SaturatedAdd(LONG a, int b) {
  const int64_t sum = static_cast<int64_t>(a) + b;
  return static_cast<int>(std::clamp<int64_t>(sum, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

void PaintNothing(HWND memo) {
  // A window that belongs to no memo (one still being created or just
  // replaced) still validates its area, or WM_PAINT would come back at once.
  PAINTSTRUCT ps;
  BeginPaint(memo, &ps);
  EndPaint(memo, &ps);
}

void PaintBrowserMode(HWND memo, int32_t dpi) {
  RECT rc;
  GetClientRect(memo, &rc);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(memo, &ps);
  PaintCaptionStrip(dc, rc, dpi);
  EndPaint(memo, &ps);
}
// What the desktop shows at the memo's place. Without a wallpaper the
// desktop is its solid colour, which is filled directly: some systems'
// PaintDesktop paints white into windows of other processes than the
// desktop's own when there is no wallpaper to draw.
void PaintDesktopUnder(HDC dc, const RECT& r) {
  FillRect(dc, &r, GetSysColorBrush(COLOR_DESKTOP));
  wchar_t wallpaper[MAX_PATH] = L"";
  if (SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, wallpaper, 0) && wallpaper[0] != L'\0')
    PaintDesktop(dc);
}
}  // namespace

void PaintSolid(HDC dc, const RECT& rc, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  HGDIOBJ old = SelectObject(dc, brush);
  Rectangle(dc, rc.left - 1, rc.top - 1, rc.right + 1, rc.bottom + 1);
  SelectObject(dc, old);
  DeleteObject(brush);
}

void OnMemoPaint(HWND memo) {
  const int n = MemoNumberFromWindow(memo);
  if (n < 0) {
    PaintNothing(memo);
    return;
  }
  if (InBrowserMode(n)) {
    PaintBrowserMode(memo, Memos()[n].dpi);
    return;
  }
  SettingsFile& cat = CategoryFile();
  // All keys of one paint (the background's too) from one look at the file.
  SettingsHold hold(cat);
  const COLORREF textColor = static_cast<COLORREF>(cat.ReadInt(kSecMemos, MemoKey(n, "FontColor"), 0));
  std::wstring text =
      Widen(BuildDisplayText(cat.Read(kSecMemos, MemoKey(n, "Text"), "", kMaxTextChars), ClockNow()));

  RECT r;
  GetClientRect(memo, &r);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(memo, &ps);
  SetBkMode(dc, TRANSPARENT);

  const std::string back = cat.Read(kSecMemos, MemoKey(n, "Back"), "3");
  switch (ParseInt(back)) {
    case kBackTransparent: PaintDesktopUnder(dc, r); break;
    case kBackSolid:
      PaintSolid(dc, r, static_cast<COLORREF>(cat.ReadInt(kSecMemos, MemoKey(n, "Color1"), 0)));
      break;
    case kBackGradient: PaintGradient(dc, memo); break;
    default: PaintPicture(dc, back, memo); break;
  }

  const Memo& m = Memos()[n];
  HGDIOBJ oldFont = m.font ? SelectObject(dc, m.font) : nullptr;
  SetTextColor(dc, textColor);
  if (!text.empty()) {
    // The text starts at the scrolled origin and is clipped to the client
    // area: lines below it are neither measured nor drawn, which is most of
    // a long memo's text.
    r.left = SaturatedAdd(r.left, Negated(ToPixels(m.hOffset, m.dpi)));
    r.top = SaturatedAdd(r.top, Negated(ToPixels(m.vOffset, m.dpi)));
    DrawTextExW(dc, &text[0], static_cast<int>(text.size()), &r, DT_EXPANDTABS, nullptr);
  }
  // The font goes back out of the device context so that a font replaced
  // or released later is never still selected.
  if (oldFont) SelectObject(dc, oldFont);
  EndPaint(memo, &ps);
}

}  // namespace dz
