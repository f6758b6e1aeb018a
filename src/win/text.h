#pragma once
// Conversions between the stored text (code page 932 bytes, whatever the
// system locale), UTF-8 (paths and texts written in the source) and the
// UTF-16 of the wide Windows API.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dz {

std::wstring Widen(std::string_view cp932);
// Characters without a code page 932 form become "?".
std::string Narrow(std::wstring_view wide);
std::wstring WidenUtf8(std::string_view utf8);
std::string NarrowUtf8(std::wstring_view wide);
// UTF-8 that is not well formed, or holds a zero, gives nullopt: a path
// made of it would name another file.
std::optional<std::wstring> WidenUtf8Exact(std::string_view utf8);
// Code page 932 bytes that convert back to exactly wide; nullopt when some
// character has no such form (it would become "?" or a look-alike).
std::optional<std::string> NarrowExact(std::wstring_view wide);
// The characters of wide that code page 932 cannot hold, each once, in the
// order they first appear; a surrogate pair is one character.
std::vector<std::wstring> UnstorableCharacters(std::wstring_view wide);
// Such characters for a message (UTF-8): one line each, the character and
// its code ("U+1F600"); the first ten, then how many more.
std::string ListCharacters(const std::vector<std::wstring>& chars);
// A path as code page 932 bytes that name the same file and fit a stored
// value (255 bytes): the path itself, else its short form; nullopt when
// neither does.
std::optional<std::string> StorablePath(const std::wstring& path);
// Bytes wide takes as stored text.
size_t StoredBytes(std::wstring_view wide);

}  // namespace dz
