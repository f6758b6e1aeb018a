#include "core/scroll.h"

#include <gtest/gtest.h>

#include <limits>

namespace dz {
namespace {

TEST(ScrollStep, BackStopsAtZeroWithoutRepaint) {
  ScrollResult r = ScrollStep(0, ScrollDir::Back);
  EXPECT_EQ(r.offset, 0);
  EXPECT_FALSE(r.repaint);
  // A hand-edited offset that is not a multiple of the step also stops at 0.
  r = ScrollStep(5, ScrollDir::Back);
  EXPECT_EQ(r.offset, 0);
  EXPECT_FALSE(r.repaint);
  r = ScrollStep(-40, ScrollDir::Back);
  EXPECT_EQ(r.offset, 0);
  EXPECT_FALSE(r.repaint);
}

TEST(ScrollStep, BackToExactlyZeroRepaints) {
  ScrollResult r = ScrollStep(10, ScrollDir::Back);
  EXPECT_EQ(r.offset, 0);
  EXPECT_TRUE(r.repaint);
  r = ScrollStep(35, ScrollDir::Back);
  EXPECT_EQ(r.offset, 25);
  EXPECT_TRUE(r.repaint);
}

TEST(ScrollStep, ForwardAlwaysRepaintsAndHasNoUpperLimitButNeverWraps) {
  int32_t off = 0;
  for (int i = 0; i < 3; ++i) {
    ScrollResult r = ScrollStep(off, ScrollDir::Forward);
    EXPECT_TRUE(r.repaint);
    off = r.offset;
  }
  EXPECT_EQ(off, 30);
  EXPECT_EQ(ScrollStep(-30, ScrollDir::Forward).offset, -20);
  const int32_t max = std::numeric_limits<int32_t>::max();
  EXPECT_EQ(ScrollStep(max - 5, ScrollDir::Forward).offset, max);
  EXPECT_EQ(ScrollStep(max, ScrollDir::Forward).offset, max);
}

TEST(WheelDirection, SplitsAtSixtyThousand) {
  EXPECT_EQ(WheelDirection(0), WheelMove::None);
  EXPECT_EQ(WheelDirection(60000), WheelMove::None);
  EXPECT_EQ(WheelDirection(120), WheelMove::Back);  // one notch away from the user
  EXPECT_EQ(WheelDirection(1), WheelMove::Back);
  EXPECT_EQ(WheelDirection(59999), WheelMove::Back);
  EXPECT_EQ(WheelDirection(static_cast<uint16_t>(-120)), WheelMove::Forward);  // towards the user
  EXPECT_EQ(WheelDirection(60001), WheelMove::Forward);
  EXPECT_EQ(WheelDirection(65535), WheelMove::Forward);
}

}  // namespace
}  // namespace dz
