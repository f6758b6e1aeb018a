#include "core/scroll.h"

#include <limits>

namespace dz {

ScrollResult ScrollStep(int32_t offset, ScrollDir dir) {
  if (dir == ScrollDir::Back) {
    int64_t next = static_cast<int64_t>(offset) - kScrollStep;
    if (next < 0) return {0, false};
    return {static_cast<int32_t>(next), true};
  }
  int64_t next = static_cast<int64_t>(offset) + kScrollStep;
  if (next > std::numeric_limits<int32_t>::max()) next = std::numeric_limits<int32_t>::max();
  return {static_cast<int32_t>(next), true};
}

WheelMove WheelDirection(uint16_t highWord) {
  if (highWord == 0 || highWord == 60000) return WheelMove::None;
  return highWord < 60000 ? WheelMove::Back : WheelMove::Forward;
}

}  // namespace dz
