#pragma once
// GDI+ flat interface for the look subsystem: the header and owners that
// release what a paint or a save makes, whatever way the function leaves.
#include <windows.h>
#include <objidl.h>  // gdiplus.h needs it with WIN32_LEAN_AND_MEAN
#include <gdiplus.h>

#include <cstdint>
#include <memory>

#include "memo/memo_table.h"

namespace dz {

namespace gdip = Gdiplus::DllExports;

struct GdipImageRelease {
  void operator()(Gdiplus::GpImage* image) const {
    if (image) gdip::GdipDisposeImage(image);
  }
};
struct GdipGraphicsRelease {
  void operator()(Gdiplus::GpGraphics* g) const {
    if (g) gdip::GdipDeleteGraphics(g);
  }
};
struct GdipBrushRelease {
  void operator()(Gdiplus::GpBrush* brush) const {
    if (brush) gdip::GdipDeleteBrush(brush);
  }
};

struct GdipAttributesRelease {
  void operator()(Gdiplus::GpImageAttributes* a) const {
    if (a) gdip::GdipDisposeImageAttributes(a);
  }
};

using GdipImage = std::unique_ptr<Gdiplus::GpImage, GdipImageRelease>;
using GdipBitmap = std::unique_ptr<Gdiplus::GpBitmap, GdiplusBitmapRelease>;
using GdipGraphics = std::unique_ptr<Gdiplus::GpGraphics, GdipGraphicsRelease>;
using GdipBrush = std::unique_ptr<Gdiplus::GpBrush, GdipBrushRelease>;
using GdipAttributes = std::unique_ptr<Gdiplus::GpImageAttributes, GdipAttributesRelease>;

// A graphics object drawing into dc; null when GDI+ cannot make one.
inline GdipGraphics GraphicsOn(HDC dc) {
  Gdiplus::GpGraphics* g = nullptr;
  if (gdip::GdipCreateFromHDC(dc, &g) != Gdiplus::Ok) return nullptr;
  return GdipGraphics(g);
}

// Draws image (width x height pixels) stretched over (0, 0, w, h) of g.
// Pixel centres are placed half a pixel in and the picture's edge pixels
// are repeated outward, so the stretched picture reaches every edge in its
// own colours instead of fading out towards them. False when nothing was drawn.
inline bool DrawStretchedImage(Gdiplus::GpGraphics* g, Gdiplus::GpImage* image, UINT width, UINT height, INT w,
                               INT h) {
  Gdiplus::GpImageAttributes* raw = nullptr;
  if (gdip::GdipCreateImageAttributes(&raw) != Gdiplus::Ok) return false;
  GdipAttributes attributes(raw);
  gdip::GdipSetImageAttributesWrapMode(attributes.get(), Gdiplus::WrapModeTileFlipXY, 0, FALSE);
  gdip::GdipSetPixelOffsetMode(g, Gdiplus::PixelOffsetModeHalf);
  return gdip::GdipDrawImageRectRectI(g, image, 0, 0, w, h, 0, 0, static_cast<INT>(width), static_cast<INT>(height),
                                      Gdiplus::UnitPixel, attributes.get(), nullptr, nullptr) == Gdiplus::Ok;
}

// The opaque GDI+ colour of a COLORREF (0x00BBGGRR).
inline Gdiplus::ARGB OpaqueArgb(COLORREF c) {
  return 0xFF000000u | (static_cast<uint32_t>(GetRValue(c)) << 16) | (static_cast<uint32_t>(GetGValue(c)) << 8) |
         GetBValue(c);
}

}  // namespace dz
