#pragma once
// Where a memo appears at start: a memo the user cannot reach (its stored
// place lies off every monitor, say after a monitor was removed) is brought
// into the nearest monitor's work area; a reachable memo stays where it is.
#include <cstdint>
#include <vector>

namespace dz {

// Screen rectangle, right and bottom exclusive (as a Windows RECT).
struct Rect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Rect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};

// Smallest visible piece the user can still take hold of. A memo is dragged
// by any point of its face, so the piece may be anywhere on the memo.
constexpr int32_t kGripWidth = 32;
constexpr int32_t kGripHeight = 16;

// Reachable: some kGripWidth x kGripHeight rectangle (or the whole memo, when
// the memo is smaller) lies inside the memo and inside the union of the work
// areas. The piece may span two adjoining monitors, as the user can grab it
// there. A memo with no width or height counts as one pixel in that
// direction for this test.
bool IsReachable(const Rect& memo, const std::vector<Rect>& workAreas);

struct PlacementResult {
  Rect rect;
  bool moved = false;
};

// The memo's rectangle (its real window rectangle) unchanged when it is
// reachable or there is no work area; otherwise moved the least distance
// into the nearest work area, keeping its size, shrunk to the area where it
// is larger. Nearest: the smallest distance between the two rectangles;
// among equals the one with the larger overlap, then the first listed.
// Empty work areas are ignored.
PlacementResult PlaceOnScreen(const Rect& memo, const std::vector<Rect>& workAreas);

}  // namespace dz
