#pragma once
// The built-in browser hosted in a memo.
#include <windows.h>

#include <string_view>

namespace dz {
// The control-hosting library, loaded at start and freed at exit. Without
// it the built-in browser does nothing and the rest runs as usual.
void LoadBrowserLibrary();
void FreeBrowserLibrary();

void OnCloseBrowser(HWND memo);                    // IDC_BROWSER_CLOSE
void OnBrowserHome(HWND memo);                     // IDC_BROWSER_HOME
void OnBrowserGoToUrl(HWND memo);                  // IDC_BROWSER_GO_URL
void OnInsertPageUrl(HWND memo, bool atStart);     // IDC_BROWSER_URL_START, IDC_BROWSER_URL_END
void OnOpenLinkInBrowser(HWND memo, int index);    // IDC_BROWSE_LINK_FIRST + index

// WM_DESTROY of a memo window: records "%dBrows" and "%dBroURL" of its memo
// number, if it still has one.
void OnMemoDestroy(HWND memo);
// The strip a memo in browser mode paints above its browser.
void PaintCaptionStrip(HDC dc, const RECT& client);
// Creates the browser host inside memo (below the caption strip, the rest
// of the client area) opening sjisUrl; null when no browser can be hosted.
HWND CreateBrowserHost(HWND memo, std::string_view sjisUrl);
}  // namespace dz
