#include "browser/browser.h"

// The built-in browser and the link commands are not built yet: these entry
// points do nothing so far, and no browser host is ever created.
namespace dz {
void OnCloseBrowser(HWND) {}
void OnBrowserHome(HWND) {}
void OnBrowserGoToUrl(HWND) {}
void OnInsertPageUrl(HWND, bool) {}
void OnOpenLink(HWND, int) {}
void OnOpenLinkInBrowser(HWND, int) {}
void OnLinksInitMenu(HWND, HMENU) {}
void OnMemoDestroy(HWND) {}
void PaintCaptionStrip(HDC, const RECT&) {}
HWND CreateBrowserHost(HWND, std::string_view) { return nullptr; }
}  // namespace dz
