#include "core/dpi.h"

#include <algorithm>
#include <limits>

namespace dz {
namespace {

// No display comes near a hundred times the base scale; the bound keeps every
// product below within 64 bits.
constexpr int64_t kMaxDpi = 100 * kBaseDpi;

int64_t SaneDpi(int32_t dpi) { return dpi < 1 ? kBaseDpi : std::min<int64_t>(dpi, kMaxDpi); }

int32_t Saturate(int64_t v) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// v * num / den to the nearest, halves away from zero, so that a value and
// its negation scale alike. |v| stays below 2^34 here.
int64_t Scale(int64_t v, int64_t num, int64_t den) {
  const int64_t magnitude = (2 * (v < 0 ? -v : v) * num + den) / (2 * den);
  return v < 0 ? -magnitude : magnitude;
}

int64_t PosToPixels(int32_t units, int32_t origin, int32_t dpi) {
  return origin + Scale(int64_t{units} - origin, SaneDpi(dpi), kBaseDpi);
}
int64_t PosToUnits(int32_t pixels, int32_t origin, int32_t dpi) {
  return origin + Scale(int64_t{pixels} - origin, kBaseDpi, SaneDpi(dpi));
}

int32_t StoredPosition(int32_t stored, int32_t pixels, int32_t origin, int32_t dpi) {
  if (Saturate(PosToPixels(stored, origin, dpi)) == pixels) return stored;
  return Saturate(PosToUnits(pixels, origin, dpi));
}

// Distance between two intervals, capped so that the sum of two squares
// fits 64 bits (two squares of 2^31 would not).
int64_t Gap(int64_t lo1, int64_t hi1, int64_t lo2, int64_t hi2) {
  return std::min<int64_t>(std::max<int64_t>({0, lo2 - hi1, lo1 - hi2}), int64_t{1} << 30);
}

}  // namespace

int32_t ToPixels(int32_t units, int32_t dpi) { return Saturate(Scale(units, SaneDpi(dpi), kBaseDpi)); }

int32_t ToUnits(int32_t pixels, int32_t dpi) { return Saturate(Scale(pixels, kBaseDpi, SaneDpi(dpi))); }

int32_t StoredLength(int32_t stored, int32_t pixels, int32_t dpi) {
  return ToPixels(stored, dpi) == pixels ? stored : ToUnits(pixels, dpi);
}

Rect UnitArea(const ScaledMonitor& m) {
  const int64_t w = int64_t{m.bounds.right} - m.bounds.left, h = int64_t{m.bounds.bottom} - m.bounds.top;
  return {m.bounds.left, m.bounds.top, Saturate(m.bounds.left + Scale(w, kBaseDpi, SaneDpi(m.dpi))),
          Saturate(m.bounds.top + Scale(h, kBaseDpi, SaneDpi(m.dpi)))};
}

int MonitorOfStored(const Placement& stored, const std::vector<ScaledMonitor>& monitors) {
  // A place without width or height still lies somewhere.
  const int64_t l = stored.x, t = stored.y;
  const int64_t r = l + std::max(stored.w, 1), b = t + std::max(stored.h, 1);
  int best = -1;
  int64_t bestOverlap = 0, bestDist = 0;
  for (size_t i = 0; i < monitors.size(); ++i) {
    const Rect a = UnitArea(monitors[i]);
    const int64_t ow = std::min<int64_t>(r, a.right) - std::max<int64_t>(l, a.left);
    const int64_t oh = std::min<int64_t>(b, a.bottom) - std::max<int64_t>(t, a.top);
    // Both factors stay below 2^33, so the product fits.
    const int64_t overlap = ow > 0 && oh > 0 ? ow * oh : 0;
    const int64_t dx = Gap(l, r, a.left, a.right), dy = Gap(t, b, a.top, a.bottom);
    const int64_t dist = dx * dx + dy * dy;
    if (best < 0 || overlap > bestOverlap || (overlap == 0 && bestOverlap == 0 && dist < bestDist)) {
      best = static_cast<int>(i);
      bestOverlap = overlap;
      bestDist = dist;
    }
  }
  return best;
}

Placement ToShown(const Placement& stored, const ScaledMonitor& m) {
  return {Saturate(PosToPixels(stored.x, m.bounds.left, m.dpi)), Saturate(PosToPixels(stored.y, m.bounds.top, m.dpi)),
          ToPixels(stored.w, m.dpi), ToPixels(stored.h, m.dpi)};
}

Placement ToStored(const Placement& stored, const Placement& shown, const ScaledMonitor& m) {
  return {StoredPosition(stored.x, shown.x, m.bounds.left, m.dpi),
          StoredPosition(stored.y, shown.y, m.bounds.top, m.dpi), StoredLength(stored.w, shown.w, m.dpi),
          StoredLength(stored.h, shown.h, m.dpi)};
}

}  // namespace dz
