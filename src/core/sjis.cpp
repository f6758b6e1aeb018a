#include "core/sjis.h"

namespace dz {

size_t SjisPrefixLen(std::string_view s, size_t maxBytes) {
  if (s.size() <= maxBytes) return s.size();
  size_t i = 0;
  while (i < s.size()) {
    size_t n = SjisCharLen(s, i);
    if (i + n > maxBytes) break;
    i += n;
  }
  return i;
}

}  // namespace dz
