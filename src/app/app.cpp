#include "app/app.h"

namespace dz {

App& TheApp() {
  static App app;
  return app;
}

ClockFields ClockNow() {
  const SYSTEMTIME& t = TheApp().clock;
  ClockFields f;
  f.year = t.wYear;
  f.month = t.wMonth;
  f.day = t.wDay;
  f.hour = t.wHour;
  f.minute = t.wMinute;
  return f;
}

void RefreshClock() { GetLocalTime(&TheApp().clock); }

}  // namespace dz
