#pragma once
// Display scale. The settings files hold places, sizes, font heights and
// scroll offsets in 96-dpi units whatever the display, as every file written
// before scaled displays did and as other readers of the files expect; the
// windows live in the pixels of the monitor they are on. These rules turn
// one into the other where stored values become windows and back.
#include <cstdint>
#include <vector>

#include "core/memo_store.h"
#include "core/placement.h"

namespace dz {

constexpr int32_t kBaseDpi = 96;

// Units -> pixels at dpi, to the nearest (halves away from zero), saturated
// to 32 bits. A dpi below 1 counts as kBaseDpi.
int32_t ToPixels(int32_t units, int32_t dpi);
// Pixels -> units, the same way. At kBaseDpi and above ToUnits(ToPixels(u))
// is u for every u that does not saturate.
int32_t ToUnits(int32_t pixels, int32_t dpi);
// The value to store for a length shown as `pixels` that was read as
// `stored`: stored itself while it still maps to those pixels, so that a
// value read, shown and stored again never drifts, at any scale; the
// converted pixels once the length really changed.
int32_t StoredLength(int32_t stored, int32_t pixels, int32_t dpi);

// A monitor: its rectangle in its own pixels and its scale.
struct ScaledMonitor {
  Rect bounds;
  int32_t dpi = kBaseDpi;
};

// A monitor's area in units: its top-left corner stays where it is and its
// size shrinks (or grows) with its scale, so that a place on a scaled
// monitor beside another one stays on that monitor.
Rect UnitArea(const ScaledMonitor& m);
// Index of the monitor a stored place belongs to: the one whose unit area
// holds most of it, else the nearest, else the first. -1 when there is none.
int MonitorOfStored(const Placement& stored, const std::vector<ScaledMonitor>& monitors);
// Stored place (units) -> window place (pixels) on monitor m. Positions are
// scaled from the monitor's top-left corner, sizes as lengths.
Placement ToShown(const Placement& stored, const ScaledMonitor& m);
// The place to store for a window shown at `shown` on m that was read as
// `stored`: each value kept while it still maps to what is shown, the
// changed ones converted.
Placement ToStored(const Placement& stored, const Placement& shown, const ScaledMonitor& m);

}  // namespace dz
