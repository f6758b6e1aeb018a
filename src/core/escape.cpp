#include "core/escape.h"

#include "core/sjis.h"

namespace dz {

std::string EscapeText(std::string_view raw) {
  // TAB, CR and LF are below 0x40 and so never trail bytes: a byte scan is exact.
  std::string out(raw);
  for (char& c : out) {
    if (c == '\t')
      c = '`';
    else if (c == '\r' || c == '\n')
      c = '$';
  }
  return out;
}

std::string DecodeText(std::string_view stored) {
  std::string out;
  out.reserve(stored.size() + stored.size() / 8);
  for (size_t i = 0; i < stored.size();) {
    size_t n = SjisCharLen(stored, i);
    char c = stored[i];
    if (n == 2) {
      out.append(stored.substr(i, 2));
    } else if (c == '$') {
      if (i + 1 < stored.size() && stored[i + 1] == '$') {
        out += "\r\n";
        n = 2;
      } else {
        out += '\n';
      }
    } else if (c == '`') {
      out += '\t';
    } else {
      out += c;
    }
    i += n;
  }
  return out;
}

}  // namespace dz
