#pragma once
// Date and time fields that live expressions read (the clock record).
namespace dz {
struct ClockFields {
  int year = 2000, month = 1, day = 1, hour = 0, minute = 0;
};

// Aligns the repaint to the minute boundary: the one-second timer's first
// tick sets a countdown of 60 - second; when it reaches 0 the caller
// switches to the 60-second timer and repaints.
class MinuteClock {
 public:
  enum class Action { None, Repaint };
  // One tick of the one-second alignment timer; second = current second.
  Action OnAlignTick(int second);
  bool counting() const { return first_tick_done_; }
  int countdown() const { return countdown_; }

 private:
  bool first_tick_done_ = false;
  int countdown_ = 0;
};
}  // namespace dz
