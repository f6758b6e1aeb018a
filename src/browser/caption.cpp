// The strip a memo in browser mode paints above its browser.
#include <objidl.h>  // gdiplus.h needs it with WIN32_LEAN_AND_MEAN
#include <algorithm>
// The GDI+ headers use min and max, which NOMINMAX takes away.
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include <vector>

#include "browser/browser.h"
#include "browser/host.h"
#include "core/dpi.h"
#include "core/keys.h"
#include "memo/memo_table.h"
#include "res/resource.h"
#include "win/dpi.h"
#include "win/process.h"
#include "win/text.h"

namespace dz {

namespace {
constexpr int kCaptionFontHeight = 14;
constexpr int kIconSize = 16;
constexpr wchar_t kCaptionText[] = L"Dereziz's Browser";
// Black at the left edge to red at the right, both opaque.
constexpr Gdiplus::ARGB kStripLeft = 0xFF000000;
constexpr Gdiplus::ARGB kStripRight = 0xFFFF0000;

// The font and icon of the strip at one scale. Memos on monitors of
// different scales each get theirs; there are seldom more than two.
struct Caption {
  int32_t dpi = 0;
  HFONT font = nullptr;
  HICON icon = nullptr;
};
std::vector<Caption> g_captions;

void FillGradient(HDC dc, int width, int height) {
  using namespace Gdiplus;
  using namespace Gdiplus::DllExports;
  GpGraphics* graphics = nullptr;
  if (GdipCreateFromHDC(dc, &graphics) != Ok) return;
  const RectF area(0.0f, 0.0f, static_cast<REAL>(width), static_cast<REAL>(height));
  GpLineGradient* brush = nullptr;
  if (GdipCreateLineBrushFromRect(&area, kStripLeft, kStripRight, LinearGradientModeHorizontal, WrapModeTile,
                                  &brush) == Ok) {
    GdipFillRectangleI(graphics, brush, 0, 0, width, height);
    GdipDeleteBrush(brush);
  }
  GdipDeleteGraphics(graphics);
}

const Caption& CaptionAt(int32_t dpi) {
  for (const Caption& c : g_captions)
    if (c.dpi == dpi) return c;
  Caption c;
  c.dpi = dpi;
  c.font = CreateFontW(ToPixels(kCaptionFontHeight, dpi), 0, 0, 0, 0, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, 0, 0,
                       0, 0, Widen(kDefaultFace).c_str());
  // The icon's own image for the size where it has one: scaled from
  // another it would blur.
  const int size = ToPixels(kIconSize, dpi);
  c.icon = static_cast<HICON>(LoadImageW(TheProcess().inst, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, size, size, 0));
  g_captions.push_back(c);
  return g_captions.back();
}
}  // namespace

void CreateCaptionResources() { CaptionAt(SystemDpi()); }

void ReleaseCaptionResources() {
  for (const Caption& c : g_captions) {
    if (c.font) DeleteObject(c.font);
    if (c.icon) DestroyIcon(c.icon);
  }
  g_captions.clear();
}

void PaintCaptionStrip(HDC dc, const RECT& client, int32_t dpi) {
  const int width = client.right - client.left;
  if (width <= 0) return;  // a zero-wide gradient has no direction
  const Caption& caption = CaptionAt(dpi);
  const int height = CaptionStripPixels(dpi), icon = ToPixels(kIconSize, dpi);
  // Drawn off screen and copied in one go: painted straight to the window,
  // the gradient would show for a moment without its icon and text.
  HDC mem = CreateCompatibleDC(dc);
  HBITMAP bits = mem ? CreateCompatibleBitmap(dc, width, height) : nullptr;
  HDC target = bits ? mem : dc;
  HGDIOBJ oldBits = bits ? SelectObject(mem, bits) : nullptr;
  FillGradient(target, width, height);
  if (caption.icon) DrawIconEx(target, 0, 0, caption.icon, icon, icon, 0, nullptr, DI_NORMAL);
  HGDIOBJ oldFont = caption.font ? SelectObject(target, caption.font) : nullptr;
  const int oldMode = SetBkMode(target, TRANSPARENT);
  const COLORREF oldColor = SetTextColor(target, RGB(255, 255, 255));
  TextOutW(target, icon + ToPixels(1, dpi), ToPixels(1, dpi), kCaptionText, static_cast<int>(wcslen(kCaptionText)));
  SetTextColor(target, oldColor);
  SetBkMode(target, oldMode);
  if (oldFont) SelectObject(target, oldFont);
  if (bits) {
    BitBlt(dc, 0, 0, width, height, mem, 0, 0, SRCCOPY);
    SelectObject(mem, oldBits);
    DeleteObject(bits);
  }
  if (mem) DeleteDC(mem);
}

}  // namespace dz
