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

using GdipImage = std::unique_ptr<Gdiplus::GpImage, GdipImageRelease>;
using GdipBitmap = std::unique_ptr<Gdiplus::GpBitmap, GdiplusBitmapRelease>;
using GdipGraphics = std::unique_ptr<Gdiplus::GpGraphics, GdipGraphicsRelease>;
using GdipBrush = std::unique_ptr<Gdiplus::GpBrush, GdipBrushRelease>;

// A graphics object drawing into dc; null when GDI+ cannot make one.
inline GdipGraphics GraphicsOn(HDC dc) {
  Gdiplus::GpGraphics* g = nullptr;
  if (gdip::GdipCreateFromHDC(dc, &g) != Gdiplus::Ok) return nullptr;
  return GdipGraphics(g);
}

// The opaque GDI+ colour of a COLORREF (0x00BBGGRR).
inline Gdiplus::ARGB OpaqueArgb(COLORREF c) {
  return 0xFF000000u | (static_cast<uint32_t>(GetRValue(c)) << 16) | (static_cast<uint32_t>(GetGValue(c)) << 8) |
         GetBValue(c);
}

}  // namespace dz
