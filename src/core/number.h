#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace dz {
// Skips leading blanks, takes one optional sign, then decimal digits up to
// the first other character; no digits give 0. Wraps around at 32 bits.
int32_t ParseInt(std::string_view s);
// As ParseInt, but a number beyond 32 bits stops at the nearest limit: a
// count written as 4294967297 is huge, not 1.
int32_t ParseIntSaturating(std::string_view s);
std::string FormatInt(int32_t v);  // "%d"
// "%d" into out without allocating; returns the length.
inline constexpr size_t kIntChars = 12;
size_t FormatIntTo(int32_t v, char (&out)[kIntChars]);
}  // namespace dz
