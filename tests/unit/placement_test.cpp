#include "core/placement.h"

#include <gtest/gtest.h>

#include <climits>

namespace dz {
namespace {

Rect R(int32_t l, int32_t t, int32_t r, int32_t b) { return {l, t, r, b}; }
const std::vector<Rect> kOne = {R(0, 0, 1920, 1040)};
// A second monitor to the left, at negative coordinates, lower and smaller.
const std::vector<Rect> kTwo = {R(0, 0, 1920, 1040), R(-1280, 200, 0, 1184)};

void ExpectStays(const Rect& memo, const std::vector<Rect>& areas) {
  PlacementResult p = PlaceOnScreen(memo, areas);
  EXPECT_FALSE(p.moved);
  EXPECT_EQ(p.rect, memo);
}

void ExpectMovedTo(const Rect& memo, const std::vector<Rect>& areas, const Rect& want) {
  PlacementResult p = PlaceOnScreen(memo, areas);
  EXPECT_TRUE(p.moved);
  EXPECT_EQ(p.rect, want) << p.rect.left << "," << p.rect.top << "," << p.rect.right << "," << p.rect.bottom;
  EXPECT_TRUE(IsReachable(p.rect, areas));
}

TEST(Placement, ReachableMemosNeverMove) {
  ExpectStays(R(100, 100, 250, 180), kOne);
  ExpectStays(R(-500, 300, -350, 380), kTwo);        // wholly on the left monitor
  ExpectStays(R(1880, -60, 2080, 40), kOne);          // 40 x 40 of it visible
  ExpectStays(R(10, 10, 20, 18), kOne);               // smaller than a grip, wholly visible
  ExpectStays(R(-100, -100, 3000, 3000), kOne);       // larger than the monitor, covering it
  ExpectStays(R(500, 500, 600, 600), {});             // no monitor known: nothing to do
}

TEST(Placement, ExactlyAGripIsReachableOnePixelLessIsNot) {
  // 16 x 16 visible at the bottom-right corner.
  ExpectStays(R(1904, 1024, 2104, 1124), kOne);
  // 15 wide: brought fully inside, keeping its size.
  ExpectMovedTo(R(1905, 1024, 2105, 1124), kOne, R(1720, 940, 1920, 1040));
  // 15 high, over the top edge.
  ExpectMovedTo(R(300, -85, 500, 15), kOne, R(300, 0, 500, 100));
  ExpectStays(R(300, -84, 500, 16), kOne);
  // A memo narrower than a grip needs only its own width visible.
  ExpectStays(R(1910, 500, 1920, 600), kOne);
  ExpectMovedTo(R(1911, 500, 1921, 600), kOne, R(1910, 500, 1920, 600));
}

TEST(Placement, OffScreenGoesToTheNearestMonitor) {
  // Far to the right: the main monitor; far left and low: the left one.
  ExpectMovedTo(R(5000, 300, 5200, 400), kTwo, R(1720, 300, 1920, 400));
  ExpectMovedTo(R(-4000, 2000, -3800, 2100), kTwo, R(-1280, 1084, -1080, 1184));
  // Above the left monitor but beside the main one's top: the main one is nearer.
  ExpectMovedTo(R(-300, -500, -100, -400), kTwo, R(0, 0, 200, 100));
  // Equally near both (below their shared corner at x = 0): the first listed wins,
  // in either order.
  ExpectMovedTo(R(-100, 1300, 100, 1400), {R(-1000, 0, 0, 1200), R(0, 0, 1000, 1200)},
                R(-200, 1100, 0, 1200));
  ExpectMovedTo(R(-100, 1300, 100, 1400), {R(0, 0, 1000, 1200), R(-1000, 0, 0, 1200)},
                R(0, 1100, 200, 1200));
  // Stored from a file with extreme values: no overflow, still placed.
  ExpectMovedTo(R(INT32_MAX - 10, INT32_MIN, INT32_MAX, INT32_MIN + 10), kOne, R(1910, 0, 1920, 10));
}

TEST(Placement, LargerThanTheMonitorIsShrunkToIt) {
  ExpectMovedTo(R(3000, 100, 6000, 300), kOne, R(0, 100, 1920, 300));
  ExpectMovedTo(R(3000, 3000, 6000, 5000), kOne, R(0, 0, 1920, 1040));
  // Shrunk to the left monitor, not to the larger main one.
  ExpectMovedTo(R(-9000, 300, -7000, 1500), kTwo, R(-1280, 200, 0, 1184));
}

TEST(Placement, StraddlingTwoMonitors) {
  // Two monitors side by side, same height: 8 px on each side of the seam
  // make a 16 px wide piece the user can grab.
  const std::vector<Rect> side = {R(0, 0, 1000, 800), R(1000, 0, 2000, 800)};
  ExpectStays(R(992, 784, 1008, 984), side);                // 8 + 8 wide, 16 high
  EXPECT_FALSE(IsReachable(R(992, 785, 1008, 985), side));  // 15 high
  // Monitors of different heights: the piece must lie within both.
  const std::vector<Rect> steps = {R(0, 0, 1000, 800), R(1000, 500, 2000, 1300)};
  EXPECT_FALSE(IsReachable(R(992, 490, 1008, 510), steps));   // right half only 10 high
  EXPECT_TRUE(IsReachable(R(992, 500, 1008, 516), steps));
  // Straddling, not reachable: goes to the one it overlaps more.
  ExpectMovedTo(R(990, -100, 1200, 5), side, R(1000, 0, 1210, 105));
  ExpectMovedTo(R(800, -100, 1010, 5), side, R(790, 0, 1000, 105));
}

TEST(Placement, StoredEdgesAreComputedIn64Bits) {
  struct Row {
    int32_t x, y, w, h;
    Edges edges;
    bool fits;
  } rows[] = {
      {2147483600, 300, 200, 120, {2147483600, 300, 2147483800, 420}, false},
      {INT32_MAX, INT32_MAX, 100, 100, {INT32_MAX, INT32_MAX, 2147483747LL, 2147483747LL}, false},
      {0, 0, INT32_MAX, 1, {0, 0, INT32_MAX, 1}, true},
      {1, 0, INT32_MAX, 1, {1, 0, 2147483648LL, 1}, false},
      {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, {INT32_MIN, INT32_MIN, -1, -1}, true},
      // A negative size is no size, as window creation takes it.
      {10, 20, -5, INT32_MIN, {10, 20, 10, 20}, true},
  };
  for (const Row& r : rows) {
    const Edges e = WindowEdges(r.x, r.y, r.w, r.h);
    EXPECT_EQ(e, r.edges) << r.x << "," << r.y << " " << r.w << "x" << r.h << ": " << e.left << "," << e.top
                          << "," << e.right << "," << e.bottom;
    EXPECT_EQ(FitsWindow(e), r.fits) << r.x << "," << r.y << " " << r.w << "x" << r.h;
  }
}

TEST(Placement, PlacesAtTheIntegerLimitKeepTheirSize) {
  struct Row {
    Edges memo;
    std::vector<Rect> monitors;
    Rect want;
  } rows[] = {
      {WindowEdges(2147483600, 300, 200, 120), kOne, R(1720, 300, 1920, 420)},
      {WindowEdges(INT32_MAX, INT32_MAX, 100, 100), kOne, R(1820, 940, 1920, 1040)},
      {WindowEdges(INT32_MIN, 500, 100, 100), kTwo, R(-1280, 500, -1180, 600)},
      // More than 2^31 away on both axes: the distance must not overflow.
      {WindowEdges(INT32_MAX, INT32_MAX, 100, 100), {R(-3000, -3000, -1000, -1000)}, R(-1100, -1100, -1000, -1000)},
      // Partly on screen, but no window can reach that far: shrunk to the monitor.
      {WindowEdges(100, 100, INT32_MAX, 50), kOne, R(0, 100, 1920, 150)},
      // No monitor known: moved back just far enough.
      {WindowEdges(2147483600, 5, 200, 100), {}, R(2147483447, 5, INT32_MAX, 105)},
  };
  for (const Row& r : rows) {
    const PlacementResult p = PlaceOnScreen(r.memo, r.monitors);
    EXPECT_TRUE(p.moved);
    EXPECT_EQ(p.rect, r.want) << r.memo.left << "," << r.memo.top << " -> " << p.rect.left << "," << p.rect.top
                              << "," << p.rect.right << "," << p.rect.bottom;
  }
  // What fits stays, with or without monitors.
  EXPECT_FALSE(PlaceOnScreen(WindowEdges(5, 5, 10, 10), {}).moved);
  EXPECT_FALSE(PlaceOnScreen(WindowEdges(100, 100, 200, 100), kOne).moved);
}

}  // namespace
}  // namespace dz
