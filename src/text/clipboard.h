#pragma once
// Plain text on the clipboard, exchanged as Unicode and as Shift_JIS bytes.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dz {
// Replaces the clipboard's content with sjis as CF_UNICODETEXT and CF_TEXT,
// owned by the main window. False when the clipboard could not be set.
bool PutClipboardText(std::string_view sjis);
// The clipboard's text as Shift_JIS, up to its first zero: CF_UNICODETEXT
// converted with code page 932 when offered, else the CF_TEXT bytes. nullopt
// when the clipboard holds no text. With unstorable, the characters of the
// Unicode text that code page 932 cannot hold (and that the result shows
// as "?") are put there.
std::optional<std::string> GetClipboardText(std::vector<std::wstring>* unstorable = nullptr);
// True when the clipboard offers text in either form.
bool ClipboardHasText();
// Opens the clipboard for the main window, waiting a moment while another
// program holds it. The caller closes it.
bool OpenClipboardPatiently();
}  // namespace dz
