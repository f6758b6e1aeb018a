#pragma once
// Memo text coming in from files, the clipboard and dropped files: how it is
// cut, combined with the stored text and checked against the stored limit.
// All texts are Shift_JIS bytes; "characters" are bytes, as stored.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/limits.h"

namespace dz {

// A text from a file or the clipboard is used up to its first zero byte.
std::string_view UpToFirstZero(std::string_view bytes);

// Enough bytes of a file to decide every size check: a text this long is
// too large whatever it is combined with.
constexpr size_t kTextReadLimit = static_cast<size_t>(kMaxTextChars) + 1;

// The new stored (escaped) text after inserting a file's text into a memo
// whose stored text is `stored`: at the start the file text, a line break
// ("$$") and the old text; at the end the old text directly followed by the
// file text. nullopt when the result would not fit the stored limit.
std::optional<std::string> InsertFileText(std::string_view stored, std::string_view fileText, bool atStart);

// The same for clipboard text, joined with no separator.
std::optional<std::string> InsertClipboardText(std::string_view stored, std::string_view clipText,
                                               bool atStart);

// The new stored text after inserting the built-in browser's page address
// into a memo: the address as a link mark ("<\" url "\>") on a line of its
// own, before (atStart) or after the old text. nullopt when the result would
// not fit the stored limit.
std::optional<std::string> InsertPageLink(std::string_view stored, std::string_view url, bool atStart);

// The stored text of a memo made from a dropped text file, or nullopt when
// the text does not fit.
std::optional<std::string> NewMemoText(std::string_view fileText);

// True when a dropped file is taken as a background picture: its name ends
// with one of the known extensions, letter case exactly as listed.
bool IsPictureFileName(std::string_view path);

// Date and time as the edit menu inserts them: "9:5:7" and "2005/7/4".
std::string FormatTimeInsert(int hour, int minute, int second);
std::string FormatDateInsert(int year, int month, int day);

}  // namespace dz
