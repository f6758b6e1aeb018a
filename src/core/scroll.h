#pragma once
// Text scrolling of a memo by the arrow keys and the mouse wheel.
#include <cstdint>

namespace dz {

constexpr int32_t kScrollStep = 10;

enum class ScrollDir {
  Back,     // up or left: the offset shrinks, never below 0
  Forward,  // down or right: the offset grows, no upper limit
};

struct ScrollResult {
  int32_t offset;
  bool repaint;
};

// One step of 10 pixels. Going back below 0 stops at 0 without a repaint;
// going forward saturates at the largest offset instead of wrapping.
ScrollResult ScrollStep(int32_t offset, ScrollDir dir);

enum class WheelMove { None, Back, Forward };
// The high word of WM_MOUSEWHEEL's wParam as an unsigned 16-bit number:
// 1..59999 turns the wheel away from the user (Back), 60001..65535 towards
// the user (Forward); 0 and 60000 do nothing.
WheelMove WheelDirection(uint16_t highWord);

}  // namespace dz
