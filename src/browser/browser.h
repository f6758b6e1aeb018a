#pragma once
// The built-in browser hosted in a memo, the link commands and the link
// submenus of the memo menu.
#include <windows.h>

#include <string_view>

namespace dz {
void OnCloseBrowser(HWND memo);                    // 600
void OnBrowserHome(HWND memo);                     // 601
void OnBrowserGoToUrl(HWND memo);                  // 602
void OnInsertPageUrl(HWND memo, bool atStart);     // 603, 604
void OnOpenLink(HWND memo, int index);             // 40005 + index
void OnOpenLinkInBrowser(HWND memo, int index);    // 30107 + index

// Fills the two link submenus of the memo menu from the memo's link marks.
void OnLinksInitMenu(HWND memo, HMENU menu);
// WM_DESTROY of a memo window: records "%dBrows" and "%dBroURL" of its memo
// number, if it still has one.
void OnMemoDestroy(HWND memo);
// The 16-pixel strip a memo in browser mode paints above its browser.
void PaintCaptionStrip(HDC dc, const RECT& client);
// Creates the browser host inside memo (at (0,16), the rest of the client
// area) opening sjisUrl; null when no browser can be hosted.
HWND CreateBrowserHost(HWND memo, std::string_view sjisUrl);
}  // namespace dz

using dz::CreateBrowserHost;
using dz::OnLinksInitMenu;
using dz::OnMemoDestroy;
using dz::PaintCaptionStrip;
