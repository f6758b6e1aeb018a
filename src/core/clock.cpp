#include "core/clock.h"

namespace dz {

MinuteClock::Action MinuteClock::OnAlignTick(int second) {
  if (!first_tick_done_) {
    if (second < 0) second = 0;
    if (second > 59) second = 59;  // a leap second still gives a countdown of at least 1
    countdown_ = 60 - second;
    first_tick_done_ = true;
    return Action::None;
  }
  if (--countdown_ >= 1) return Action::None;
  // Should the caller keep this timer running, the next boundary comes a
  // minute later rather than on every following tick.
  countdown_ = 60;
  return Action::Repaint;
}

}  // namespace dz
