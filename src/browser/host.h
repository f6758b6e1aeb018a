#pragma once
// Inside the browser module: the browser object of a host window, and the
// caption strip's resources.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace dz {

// Each call reaches the browser object through the host, uses it and
// releases it again, so no reference outlives the call: closing the host
// or destroying its memo frees the browser whatever happened before.

// True when host holds a browser.
bool HasBrowser(HWND host);
// Opens url (UTF-16) in the browser of host; false when there is none.
bool NavigateTo(HWND host, std::wstring_view url);
// The address of the page the browser of host shows; nullopt when there is
// no browser.
std::optional<std::wstring> PageUrl(HWND host);
// The browser's own home page; false when there is no browser.
bool GoHome(HWND host);
// The address as code page 932 bytes that open the same page: characters
// without a code page 932 form, and control characters (which would break
// a settings line), become percent-encoded UTF-8.
std::string StorableUrl(std::wstring_view url);

// The font and icon of the caption strip, made when the library loads.
void CreateCaptionResources();
void ReleaseCaptionResources();

}  // namespace dz
