#pragma once
// Where a memo appears at start: a memo the user cannot reach (its stored
// place lies off every monitor, say after a monitor was removed) is brought
// onto the nearest monitor; a reachable memo stays where it is. Memos are
// judged against the monitors' whole rectangles, not their work areas: a
// memo over the taskbar is still there to take hold of.
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

// A window's edges in 64 bits. A stored place comes from an editable file,
// and x + width of two 32-bit values need not fit 32 bits: a window asked
// for there would get a right edge that wrapped, and so another size.
struct Edges {
  int64_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Edges& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};

// The edges of the window a stored place (x, y, width, height) asks for. A
// negative width or height counts as 0, as window creation takes it.
Edges WindowEdges(int32_t x, int32_t y, int32_t width, int32_t height);
Edges ToEdges(const Rect& r);
// Whether a window can have exactly these edges: each within 32 bits.
bool FitsWindow(const Edges& e);

// Smallest visible piece the user can still take hold of. A memo is dragged
// by any point of its face, so the piece may be anywhere on the memo.
constexpr int32_t kGripWidth = 16;
constexpr int32_t kGripHeight = 16;

// Reachable: some kGripWidth x kGripHeight rectangle (or the whole memo, when
// the memo is smaller) lies inside the memo and inside the union of the
// monitors. The piece may span two adjoining monitors, as the user can grab
// it there. A memo with no width or height counts as one pixel in that
// direction for this test.
bool IsReachable(const Edges& memo, const std::vector<Rect>& monitors);
bool IsReachable(const Rect& memo, const std::vector<Rect>& monitors);

struct PlacementResult {
  Rect rect;
  bool moved = false;
};

// The memo's rectangle unchanged when it is reachable and fits a window (or
// there is no monitor and it fits); otherwise moved the least distance onto
// the nearest monitor, keeping its size, shrunk to the monitor where it is
// larger. Nearest: the smallest distance between the two rectangles; among
// equals the one with the larger overlap, then the first listed. Empty
// monitor rectangles are ignored. With no monitor at all, a memo whose edges
// do not fit a window is moved back just far enough, keeping its size.
PlacementResult PlaceOnScreen(const Edges& memo, const std::vector<Rect>& monitors);
PlacementResult PlaceOnScreen(const Rect& memo, const std::vector<Rect>& monitors);

}  // namespace dz
