#include "win/dpi.h"

namespace dz {

namespace {

using GetDpiForSystemFn = UINT(WINAPI*)();
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

// Looked up once: Windows 7 has none of them, 8.1 only the monitor's.
struct DpiFunctions {
  GetDpiForSystemFn forSystem = nullptr;
  GetDpiForWindowFn forWindow = nullptr;
  GetDpiForMonitorFn forMonitor = nullptr;
};

template <class F>
F Find(HMODULE module, const char* name) {
  return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

const DpiFunctions& Functions() {
  static const DpiFunctions f = [] {
    DpiFunctions d;
    HMODULE user = GetModuleHandleW(L"user32.dll");
    d.forSystem = Find<GetDpiForSystemFn>(user, "GetDpiForSystem");
    d.forWindow = Find<GetDpiForWindowFn>(user, "GetDpiForWindow");
    // Kept loaded for the life of the process, like user32.
    d.forMonitor = Find<GetDpiForMonitorFn>(LoadLibraryW(L"shcore.dll"), "GetDpiForMonitor");
    return d;
  }();
  return f;
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(monitor, &info)) {
    const RECT& r = info.rcMonitor;
    reinterpret_cast<std::vector<ScaledMonitor>*>(list)->push_back(
        ScaledMonitor{Rect{r.left, r.top, r.right, r.bottom}, DpiOfMonitor(monitor)});
  }
  return TRUE;
}

}  // namespace

int32_t SystemDpi() {
  if (Functions().forSystem) {
    if (const UINT dpi = Functions().forSystem()) return static_cast<int32_t>(dpi);
  }
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kBaseDpi;
}

int32_t DpiOfMonitor(HMONITOR monitor) {
  UINT x = 0, y = 0;
  if (monitor && Functions().forMonitor && SUCCEEDED(Functions().forMonitor(monitor, kEffectiveDpi, &x, &y)) && x)
    return static_cast<int32_t>(x);
  return SystemDpi();
}

int32_t DpiOfWindow(HWND w) {
  if (!w) return SystemDpi();
  if (Functions().forWindow) {
    if (const UINT dpi = Functions().forWindow(w)) return static_cast<int32_t>(dpi);
  }
  return DpiOfMonitor(MonitorFromWindow(w, MONITOR_DEFAULTTONEAREST));
}

ScaledMonitor MonitorOfWindow(HWND w, int32_t dpi) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  ScaledMonitor m;
  m.dpi = dpi;
  if (GetMonitorInfoW(MonitorFromWindow(w, MONITOR_DEFAULTTONEAREST), &info))
    m.bounds = Rect{info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom};
  return m;
}

std::vector<ScaledMonitor> ScaledMonitors() {
  std::vector<ScaledMonitor> monitors;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  return monitors;
}

}  // namespace dz
