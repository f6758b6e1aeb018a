#include "win/process.h"

namespace dz {

Process& TheProcess() {
  static Process process;
  return process;
}

ClockFields ClockNow() {
  const SYSTEMTIME& t = TheProcess().clock;
  ClockFields f;
  f.year = t.wYear;
  f.month = t.wMonth;
  f.day = t.wDay;
  f.hour = t.wHour;
  f.minute = t.wMinute;
  return f;
}

void RefreshClock() { GetLocalTime(&TheProcess().clock); }

}  // namespace dz
