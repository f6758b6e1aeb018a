#include "core/number.h"

#include <algorithm>
#include <cstdio>

namespace dz {

int32_t ParseInt(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  // Unsigned arithmetic: overflow wraps around instead of being undefined.
  uint32_t v = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) v = v * 10u + static_cast<uint32_t>(s[i] - '0');
  if (negative) v = 0u - v;
  return static_cast<int32_t>(v);
}

int32_t ParseIntSaturating(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
  int64_t v = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) v = std::min<int64_t>(v * 10 + (s[i] - '0'), limit);
  return static_cast<int32_t>(negative ? -v : v);
}

size_t FormatIntTo(int32_t v, char (&out)[kIntChars]) {
  char digits[kIntChars];
  size_t n = 0;
  uint32_t u = v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
  do {
    digits[n++] = static_cast<char>('0' + u % 10u);
    u /= 10u;
  } while (u != 0);
  size_t len = 0;
  if (v < 0) out[len++] = '-';
  while (n > 0) out[len++] = digits[--n];
  return len;
}

std::string FormatInt(int32_t v) {
  char buf[kIntChars];
  return std::string(buf, FormatIntTo(v, buf));
}

}  // namespace dz
