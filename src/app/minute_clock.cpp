// The minute clock: repaints every memo on each minute boundary so that live
// expressions follow the time.
#include "app/minute_clock.h"

#include "app/app.h"
#include "memo/memo_window.h"
#include "res/resource.h"
#include "win/process.h"

namespace dz {

void StartMinuteClock(HWND main) { SetTimer(main, IDT_ALIGN, 1000, nullptr); }

void StopMinuteClock(HWND main) {
  KillTimer(main, IDT_ALIGN);
  KillTimer(main, IDT_MINUTE);
}

void OnMainTimer(HWND main, UINT_PTR id) {
  App& app = TheApp();
  if (id == IDT_ALIGN) {
    if (!app.minuteClock.counting()) RefreshClock();
    if (app.minuteClock.OnAlignTick(TheProcess().clock.wSecond) != MinuteClock::Action::Repaint) return;
    KillTimer(main, IDT_ALIGN);
    SetTimer(main, IDT_MINUTE, 60000, nullptr);
  } else if (id != IDT_MINUTE) {
    return;
  }
  RefreshClock();
  InvalidateAllMemos(TRUE);
}

}  // namespace dz
