#pragma once
// The built-in browser hosted in a memo.
#include <windows.h>

#include <cstdint>
#include <string_view>

namespace dz {
// The control-hosting library, loaded at start and freed at exit after every
// memo window is gone, together with the caption strip's font and (started
// with the first browser) OLE on this thread. Without the library the built-in browser does nothing and
// the rest runs as usual.
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
// Records memo n's browser state now: "%dBrows" = "1" and the page shown as
// "%dBroURL" while it has a live browser, else "%dBrows" reads "0" (written
// only over another value; the address stays as it was).
void RecordBrowserState(int n);
// The strip a memo in browser mode paints above its browser, for a window
// shown at dpi.
void PaintCaptionStrip(HDC dc, const RECT& client, int32_t dpi);
// Creates the browser host inside memo (below the caption strip, the rest
// of the client area) opening sjisUrl (the home page when empty); null when
// no browser can be hosted.
HWND CreateBrowserHost(HWND memo, std::string_view sjisUrl);
}  // namespace dz
