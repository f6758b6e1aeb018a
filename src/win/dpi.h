#pragma once
// The scale of monitors and windows, from what this Windows offers: the
// per-monitor values of Windows 8.1 and 10 when they are there, the
// system's scale on older versions, where every monitor shares it.
#include <windows.h>

#include <vector>

#include "core/dpi.h"

namespace dz {

int32_t SystemDpi();
int32_t DpiOfMonitor(HMONITOR monitor);
// The scale the window is shown at; the system's for no window.
int32_t DpiOfWindow(HWND w);
// The monitor the window is on, in its own pixels, with the given scale.
ScaledMonitor MonitorOfWindow(HWND w, int32_t dpi);
// Every monitor with its rectangle and scale.
std::vector<ScaledMonitor> ScaledMonitors();

}  // namespace dz
