#include "core/link_scan.h"

#include "core/limits.h"
#include "core/sjis.h"

namespace dz {

std::vector<Link> ScanLinks(std::string_view stored) {
  std::vector<Link> links;
  bool inside = false;
  size_t start = 0;  // first byte of the open mark's text
  for (size_t p = 0; p < stored.size() && links.size() < static_cast<size_t>(kMaxLinks);) {
    const size_t n = SjisCharLen(stored, p);
    // Markers are single-byte characters followed by a single-byte
    // character, so checking the byte after a single-byte '<' or '\' is
    // exact: a lead byte there is never '\' or '>'.
    const bool pair = n == 1 && p + 1 < stored.size();
    if (!inside) {
      if (pair && stored[p] == '<' && stored[p + 1] == '\\') {
        inside = true;
        start = p + 2;
        p = start;
        continue;
      }
    } else if (pair && stored[p] == '\\' && stored[p + 1] == '>') {
      std::string_view text = stored.substr(start, p - start);
      links.push_back({std::string(text), MenuCaption(text)});
      inside = false;
      ++p;  // the '>' is looked at again outside the mark, where it means nothing
      continue;
    }
    p += n;
  }
  return links;
}

std::string MenuCaption(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  // '&' (0x26) is below every trail byte, so a byte scan is exact.
  for (char c : text) {
    out += c;
    if (c == '&') out += '&';
  }
  return out;
}

LinkTargets LinkOpenTargets(std::string_view text) {
  LinkTargets t;
  if (text.empty()) return t;
  t.first = std::string(text);
  static constexpr std::string_view kMailto = "mailto:";
  bool isMailto = text.size() >= kMailto.size();
  for (size_t i = 0; isMailto && i < kMailto.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    isMailto = c == kMailto[i];
  }
  if (!isMailto) t.retry = std::string(kMailto) + t.first;
  return t;
}

}  // namespace dz
