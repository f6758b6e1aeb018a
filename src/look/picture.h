#pragma once
// Background pictures: reading, saving and the notices of missing ones.
// Inside the look subsystem only.
#include <windows.h>

#include <climits>
#include <optional>
#include <string>

#include "look/gdip.h"

namespace dz {

// The picture file at path copied into a bitmap of its own, so that the
// file is not held open. A picture above the decode limit is not read. A picture larger than maxWidth x maxHeight is
// scaled down to fit (each side on its own, as backgrounds are stretched
// anyway). Null when the file cannot be read as a picture.
GdipBitmap ReadPicture(const std::wstring& path, UINT maxWidth = UINT_MAX, UINT maxHeight = UINT_MAX);
// The class identifier of the installed image encoder of this MIME type
// ("image/png", ...); nullopt when there is none.
std::optional<CLSID> FindEncoder(const wchar_t* mimeType);
// Saves bitmap to path in the format of mimeType; false when it was not saved.
bool SavePicture(Gdiplus::GpBitmap* bitmap, const std::wstring& path, const wchar_t* mimeType);
// True when path names a file (not a folder).
bool IsFile(const std::wstring& path);

// A message for the user that must not be shown where it is found (during
// a paint): queued and shown from the memo's message loop, one at a time,
// owned by the memo.
void QueueNotice(HWND memo, const std::string& utf8Text);

}  // namespace dz
