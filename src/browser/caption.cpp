// The strip a memo in browser mode paints above its browser.
#include <objidl.h>  // gdiplus.h needs it with WIN32_LEAN_AND_MEAN
#include <algorithm>
// The GDI+ headers use min and max, which NOMINMAX takes away.
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include "browser/browser.h"
#include "browser/host.h"
#include "core/keys.h"
#include "memo/memo_table.h"
#include "res/resource.h"
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

struct Caption {
  HFONT font = nullptr;
  HICON icon = nullptr;  // shared: never destroyed
};
Caption g_caption;

void FillGradient(HDC dc, int width) {
  using namespace Gdiplus;
  using namespace Gdiplus::DllExports;
  GpGraphics* graphics = nullptr;
  if (GdipCreateFromHDC(dc, &graphics) != Ok) return;
  const RectF area(0.0f, 0.0f, static_cast<REAL>(width), static_cast<REAL>(kCaptionStripHeight));
  GpLineGradient* brush = nullptr;
  if (GdipCreateLineBrushFromRect(&area, kStripLeft, kStripRight, LinearGradientModeHorizontal, WrapModeTile,
                                  &brush) == Ok) {
    GdipFillRectangleI(graphics, brush, 0, 0, width, kCaptionStripHeight);
    GdipDeleteBrush(brush);
  }
  GdipDeleteGraphics(graphics);
}
}  // namespace

void CreateCaptionResources() {
  if (!g_caption.font) {
    g_caption.font = CreateFontW(kCaptionFontHeight, 0, 0, 0, 0, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, 0, 0, 0, 0,
                                 Widen(kDefaultFace).c_str());
  }
  if (!g_caption.icon) g_caption.icon = LoadIconW(TheProcess().inst, MAKEINTRESOURCEW(IDI_APP));
}

void ReleaseCaptionResources() {
  if (g_caption.font) DeleteObject(g_caption.font);
  g_caption = Caption{};
}

void PaintCaptionStrip(HDC dc, const RECT& client) {
  const int width = client.right - client.left;
  if (width <= 0) return;  // a zero-wide gradient has no direction
  // Drawn off screen and copied in one go: painted straight to the window,
  // the gradient would show for a moment without its icon and text.
  HDC mem = CreateCompatibleDC(dc);
  HBITMAP bits = mem ? CreateCompatibleBitmap(dc, width, kCaptionStripHeight) : nullptr;
  HDC target = bits ? mem : dc;
  HGDIOBJ oldBits = bits ? SelectObject(mem, bits) : nullptr;
  FillGradient(target, width);
  if (g_caption.icon) DrawIconEx(target, 0, 0, g_caption.icon, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
  HGDIOBJ oldFont = g_caption.font ? SelectObject(target, g_caption.font) : nullptr;
  const int oldMode = SetBkMode(target, TRANSPARENT);
  const COLORREF oldColor = SetTextColor(target, RGB(255, 255, 255));
  TextOutW(target, kIconSize + 1, 1, kCaptionText, static_cast<int>(wcslen(kCaptionText)));
  SetTextColor(target, oldColor);
  SetBkMode(target, oldMode);
  if (oldFont) SelectObject(target, oldFont);
  if (bits) {
    BitBlt(dc, 0, 0, width, kCaptionStripHeight, mem, 0, 0, SRCCOPY);
    SelectObject(mem, oldBits);
    DeleteObject(bits);
  }
  if (mem) DeleteDC(mem);
}

}  // namespace dz
