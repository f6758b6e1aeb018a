#include "browser/browser.h"

namespace dz {

namespace {
struct BrowserLibrary {
  HMODULE atl = nullptr;
};
BrowserLibrary g_library;
}  // namespace

void LoadBrowserLibrary() {
  g_library.atl = LoadLibraryW(L"atl.dll");
  if (!g_library.atl) return;
  using InitFn = BOOL(WINAPI*)();
  auto init = reinterpret_cast<InitFn>(reinterpret_cast<void*>(GetProcAddress(g_library.atl, "AtlAxWinInit")));
  if (init) init();
}

void FreeBrowserLibrary() {
  if (g_library.atl) FreeLibrary(g_library.atl);
  g_library = BrowserLibrary{};
}

// The browser is not built yet: these entry points
// do nothing so far, and no browser host is ever created.
void OnCloseBrowser(HWND) {}
void OnBrowserHome(HWND) {}
void OnBrowserGoToUrl(HWND) {}
void OnInsertPageUrl(HWND, bool) {}
void OnOpenLinkInBrowser(HWND, int) {}
void OnMemoDestroy(HWND) {}
void PaintCaptionStrip(HDC, const RECT&) {}
HWND CreateBrowserHost(HWND, std::string_view) { return nullptr; }

}  // namespace dz
