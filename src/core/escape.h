#pragma once
#include <string>
#include <string_view>

namespace dz {
// Stored form of memo text: TAB -> '`', CR -> '$', LF -> '$'.
std::string EscapeText(std::string_view raw);
// Reverse, character by character over Shift_JIS: "$$" -> CR LF, '$' -> LF,
// '`' -> TAB; trail bytes of double-byte characters are never escapes.
std::string DecodeText(std::string_view stored);
}  // namespace dz
