#include "core/dpi.h"

#include <gtest/gtest.h>

#include <climits>

namespace dz {
namespace {

constexpr int32_t kScales[] = {96, 120, 144, 192};

ScaledMonitor M(int32_t l, int32_t t, int32_t r, int32_t b, int32_t dpi) { return {{l, t, r, b}, dpi}; }

std::string Str(const Placement& p) {
  return std::to_string(p.x) + "," + std::to_string(p.y) + " " + std::to_string(p.w) + "x" + std::to_string(p.h);
}

TEST(Dpi, ConvertsToTheNearestPixelAndUnit) {
  struct Case {
    int32_t units, dpi, pixels;
  } cases[] = {
      {100, 96, 100},   {100, 120, 125},  {100, 144, 150},  {100, 192, 200},
      {15, 120, 19},    {15, 144, 23},    {-15, 144, -23},  {-15, 120, -19},  // halves away from zero
      {1, 144, 2},      {-1, 144, -2},    {0, 192, 0},      {7, 120, 9},
      {100, 0, 100},    {100, -5, 100},   // no scale known: the base scale
      {INT_MAX, 144, INT_MAX},            {INT_MIN, 192, INT_MIN},  // saturated, not wrapped
  };
  for (const Case& c : cases) EXPECT_EQ(ToPixels(c.units, c.dpi), c.pixels) << c.units << " at " << c.dpi;

  struct Back {
    int32_t pixels, dpi, units;
  } backs[] = {
      {150, 144, 100}, {125, 120, 100}, {23, 144, 15},  {19, 120, 15}, {-23, 144, -15},
      {1, 144, 1},     {2, 144, 1},     {3, 144, 2},    {3, 192, 2},   {INT_MIN, 96, INT_MIN},
  };
  for (const Back& b : backs) EXPECT_EQ(ToUnits(b.pixels, b.dpi), b.units) << b.pixels << " at " << b.dpi;
}

TEST(Dpi, EveryUnitValueComesBackExactlyAtTheCommonScales) {
  for (int32_t dpi : kScales) {
    for (int32_t u = -3000; u <= 3000; ++u) ASSERT_EQ(ToUnits(ToPixels(u, dpi), dpi), u) << u << " at " << dpi;
    // Far values that still fit once scaled.
    for (int32_t u : {INT_MAX / 2 - 1, INT_MIN / 2 + 1, 1000000007, -999999937})
      EXPECT_EQ(ToUnits(ToPixels(u, dpi), dpi), u) << u << " at " << dpi;
  }
}

TEST(Dpi, AStoredLengthStaysWhileItStillMapsToWhatIsShown) {
  struct Case {
    int32_t stored, pixels, dpi, want;
  } cases[] = {
      {100, 150, 144, 100},  // unchanged
      {100, 160, 144, 107},  // resized: 106.7 units
      {100, 151, 144, 101},  // one pixel more is a change
      // Below the base scale two units share a pixel: the stored one stays,
      // where converting back would give its neighbour.
      {2, 2, 72, 2},
      {3, 2, 72, 3},
      {5, 4, 72, 5},
      {5, 6, 72, 8},
      // A value too large to be shown stays until the window really moves.
      {INT_MAX, INT_MAX, 144, INT_MAX},
  };
  for (const Case& c : cases)
    EXPECT_EQ(StoredLength(c.stored, c.pixels, c.dpi), c.want) << c.stored << " shown " << c.pixels << " at " << c.dpi;
}

// Two side by side, the left one (primary) at 200 %; a third left of the
// primary at 150 %, lower down.
const std::vector<ScaledMonitor> kDesk = {
    M(0, 0, 2880, 1620, 192),
    M(2880, 0, 4800, 1080, 96),
    M(-1920, 300, 0, 1380, 144),
};

TEST(Dpi, AStoredPlaceBelongsToTheMonitorHoldingMostOfIt) {
  struct Case {
    Placement stored;
    int want;
  } cases[] = {
      {{100, 100, 150, 80}, 0},
      {{3000, 100, 150, 80}, 1},
      {{-1800, 400, 150, 80}, 2},
      {{1400, 100, 150, 80}, 0},     // mostly on the primary's area
      {{2800, 100, 150, 80}, 1},     // mostly on the right one
      {{2000, 100, 150, 80}, 0},     // between the areas: the nearer one
      {{2600, 100, 150, 80}, 1},
      {{-500, 100, 100, 100}, 2},    // off every area, nearest the left one
      {{100, 100, 0, -5}, 0},        // no size: still a point somewhere
      {{-2000000, 500, 100, 100}, 2},
      // So far off that every area is equally far (the distances are
      // capped): the first.
      {{INT_MAX, INT_MAX, INT_MAX, INT_MAX}, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(MonitorOfStored(c.stored, kDesk), c.want) << Str(c.stored);
  EXPECT_EQ(MonitorOfStored({0, 0, 100, 100}, {}), -1);
}

TEST(Dpi, StoredPlacesShowScaledFromTheirMonitorsCorner) {
  struct Case {
    Placement stored;
    int monitor;
    Placement shown;
  } cases[] = {
      {{100, 100, 150, 80}, 0, {200, 200, 300, 160}},
      {{3000, 100, 150, 80}, 1, {3000, 100, 150, 80}},
      {{-1800, 400, 151, 81}, 2, {-1740, 450, 227, 122}},
      {{INT_MAX, INT_MIN, INT_MAX, -7}, 0, {INT_MAX, INT_MIN, INT_MAX, -14}},  // saturated
  };
  for (const Case& c : cases) EXPECT_EQ(Str(ToShown(c.stored, kDesk[c.monitor])), Str(c.shown)) << Str(c.stored);
}

TEST(Dpi, PlacesReadShownAndStoredAgainNeverDrift) {
  const Placement places[] = {{0, 0, 100, 100},    {101, 203, 151, 77}, {1, 1, 1, 1},     {-7, 13, 33, 35},
                              {1279, 1023, 99, 3}, {-1801, 301, 17, 5}, {3001, 7, 0, 0}};
  const int32_t origins[][2] = {{0, 0}, {2880, 0}, {-1920, 300}, {-1921, -1081}};
  std::vector<ScaledMonitor> monitors = {M(0, 0, 1024, 768, 72)};  // below the base scale, through the kept values
  for (int32_t dpi : kScales)
    for (const auto& o : origins) monitors.push_back(M(o[0], o[1], o[0] + 3840, o[1] + 2160, dpi));
  for (const ScaledMonitor& m : monitors) {
    for (const Placement& p : places) {
      Placement stored = p;
      for (int run = 0; run < 5; ++run) stored = ToStored(stored, ToShown(stored, m), m);
      EXPECT_EQ(Str(stored), Str(p)) << "at " << m.dpi << " on the monitor at " << m.bounds.left << "," << m.bounds.top;
    }
  }
}

TEST(Dpi, OnlyWhatMovedIsConvertedBack) {
  const ScaledMonitor m = M(-1920, 300, 0, 1380, 144);
  const Placement stored = {-1800, 400, 151, 81};  // shown at -1740, 450, 227 x 122
  struct Case {
    Placement shown, want;
  } cases[] = {
      {{-1740, 450, 227, 122}, {-1800, 400, 151, 81}},
      {{-1500, 450, 227, 122}, {-1640, 400, 151, 81}},  // moved right
      {{-1740, 600, 227, 122}, {-1800, 500, 151, 81}},  // moved down
      {{-1740, 450, 300, 122}, {-1800, 400, 200, 81}},  // wider
      {{-1740, 450, 227, 100}, {-1800, 400, 151, 67}},  // lower
      {{-1739, 451, 228, 121}, {-1799, 401, 152, 81}},  // a pixel each way
  };
  for (const Case& c : cases) EXPECT_EQ(Str(ToStored(stored, c.shown, m)), Str(c.want)) << Str(c.shown);
}

}  // namespace
}  // namespace dz
