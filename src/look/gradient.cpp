// Gradient backgrounds: two colours along one of four directions.
#include "core/keys.h"
#include "look/background.h"
#include "look/gdip.h"
#include "look/look.h"
#include "memo/memo_table.h"
#include "store/settings_access.h"

namespace dz {

void PaintGradient(HDC dc, HWND memo, HWND sizeWindow) {
  const int n = MemoNumberFromWindow(memo);
  if (n < 0) return;
  RECT rc;
  GetClientRect(sizeWindow ? sizeWindow : memo, &rc);
  // GDI+ makes no brush over an empty rectangle.
  if (rc.right <= 0 || rc.bottom <= 0) return;
  SettingsFile& cat = CategoryFile();
  const COLORREF start = static_cast<COLORREF>(cat.ReadInt(kSecMemos, MemoKey(n, "Color2"), 0));
  const COLORREF end = static_cast<COLORREF>(cat.ReadInt(kSecMemos, MemoKey(n, "Color3"), 0));
  const int mode = GradientMode(cat.ReadInt(kSecMemos, MemoKey(n, "GradMode"), 0));

  GdipGraphics g = GraphicsOn(dc);
  if (!g) return;
  const Gdiplus::GpRect area(0, 0, rc.right, rc.bottom);
  // Mirrored rather than repeated beyond the rectangle: a repeating brush
  // leaves pixels of the end colour along the start edge of a diagonal.
  Gdiplus::GpLineGradient* line = nullptr;
  if (gdip::GdipCreateLineBrushFromRectI(&area, OpaqueArgb(start), OpaqueArgb(end),
                                         static_cast<Gdiplus::LinearGradientMode>(mode), Gdiplus::WrapModeTileFlipXY,
                                         &line) != Gdiplus::Ok)
    return;
  GdipBrush brush(line);
  gdip::GdipFillRectangle(g.get(), brush.get(), 0.0f, 0.0f, static_cast<Gdiplus::REAL>(rc.right),
                          static_cast<Gdiplus::REAL>(rc.bottom));
}

}  // namespace dz
