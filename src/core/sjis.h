#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace dz {
// Shift_JIS (code page 932) lead bytes: 0x81..0x9F and 0xE0..0xFC.
inline bool IsSjisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
// Bytes of the character starting at s[i] (1 or 2; 1 at the end of s).
inline size_t SjisCharLen(std::string_view s, size_t i) {
  return (IsSjisLead(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
}
// Longest prefix of at most maxBytes bytes that does not split a character.
size_t SjisPrefixLen(std::string_view s, size_t maxBytes);
}  // namespace dz
