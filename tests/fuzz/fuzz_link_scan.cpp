// Arbitrary stored text through the link scan, checked against a plain
// character-by-character walk written separately here: the same links in
// the same order, at most ten, each one the bytes between an opening and a
// closing marker, its caption the text with '&' doubled, and its open
// targets the text and its "mailto:" form.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "core/link_scan.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// Every link mark as (first byte, end byte) of its text.
std::vector<std::pair<size_t, size_t>> Reference(const std::string& s) {
  std::vector<size_t> starts;  // first byte of each character
  for (size_t i = 0; i < s.size();) {
    starts.push_back(i);
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    i += (lead && i + 1 < s.size()) ? 2 : 1;
  }
  auto is = [&](size_t k, char c) {
    if (k >= starts.size()) return false;
    const size_t end = k + 1 < starts.size() ? starts[k + 1] : s.size();
    return end - starts[k] == 1 && s[starts[k]] == c;
  };
  std::vector<std::pair<size_t, size_t>> out;
  bool inside = false;
  size_t begin = 0;
  for (size_t k = 0; k < starts.size();) {
    if (!inside && is(k, '<') && is(k + 1, '\\')) {
      inside = true;
      k += 2;
      begin = k < starts.size() ? starts[k] : s.size();
    } else if (inside && is(k, '\\') && is(k + 1, '>')) {
      out.emplace_back(begin, starts[k]);
      inside = false;
      ++k;
    } else {
      ++k;
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 8191) size = 8191;  // the text buffer
  const std::string stored(reinterpret_cast<const char*>(data), size);
  const std::vector<dz::Link> links = dz::ScanLinks(stored);
  const auto ref = Reference(stored);
  Check(links.size() <= 10);
  Check(links.size() == (ref.size() < 10 ? ref.size() : 10));
  for (size_t i = 0; i < links.size(); ++i) {
    const dz::Link& l = links[i];
    const size_t b = ref[i].first, e = ref[i].second;
    Check(b >= 2 && stored.compare(b - 2, 2, "<\\") == 0);
    Check(e + 2 <= stored.size() && stored.compare(e, 2, "\\>") == 0);
    Check(l.text == stored.substr(b, e - b));
    std::string undoubled;
    for (size_t j = 0; j < l.caption.size(); ++j) {
      undoubled += l.caption[j];
      if (l.caption[j] == '&') {
        Check(j + 1 < l.caption.size() && l.caption[j + 1] == '&');
        ++j;
      }
    }
    Check(undoubled == l.text);
    const dz::LinkTargets t = dz::LinkOpenTargets(l.text);
    Check(t.first == l.text);
    Check(t.retry.empty() || t.retry == "mailto:" + l.text);
    Check(!l.text.empty() || t.retry.empty());
  }
  return 0;
}
