#pragma once
// Settings files as lines, for tests that prove a write changed only the
// keys it meant to change and kept every other line byte for byte. Shared
// by the unit tests and the end-to-end driver.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/sjis.h"

namespace dz::test {

// ---- damaged files ---------------------------------------------------------

// Bytes from a fixed generator. plain leaves out '=', '[', CR and LF, so the
// garbage can neither be a key nor a header nor end a line.
inline std::string Garbage(size_t n, uint32_t seed, bool plain = false) {
  std::string out;
  out.reserve(n);
  uint32_t x = seed * 2654435761u + 1;
  while (out.size() < n) {
    x = x * 1664525u + 1013904223u;
    const char c = static_cast<char>(x >> 24);
    if (plain && (c == '=' || c == '[' || c == '\r' || c == '\n')) continue;
    out += c;
  }
  return out;
}

// ASCII text as UTF-16 with its byte-order mark.
inline std::string Utf16(const std::string& ascii, bool bigEndian = false) {
  std::string out = bigEndian ? "\xfe\xff" : "\xff\xfe";
  for (char c : ascii) {
    if (bigEndian) out += '\0';
    out += c;
    if (!bigEndian) out += '\0';
  }
  return out;
}

// A literal with its NUL bytes.
template <size_t N>
std::string B(const char (&s)[N]) {
  return std::string(s, N - 1);
}

// Every property a memo keeps under its number ("%dText" ...): what
// deleting a memo moves down to the next lower number.
inline const char* const kMemoProperties[] = {
    "WindowLebel", "FontColor", "Style",  "x",      "y",      "h",        "l",     "Text",  "Font",  "FontHeight",
    "Italic",      "UnderLine", "OnLine", "Back",   "Color1", "Color2",   "Color3", "GradMode", "Brows", "BroURL", "Id"};

// ---- lines -----------------------------------------------------------------

// Lines as the file holds them: CR LF, LF and a lone CR each end one.
inline std::vector<std::string> Lines(const std::string& b) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < b.size()) {
    size_t end = b.find_first_of("\r\n", i);
    if (end == std::string::npos) end = b.size();
    out.push_back(b.substr(i, end - i));
    i = end;
    if (i < b.size()) i += (b[i] == '\r' && i + 1 < b.size() && b[i + 1] == '\n') ? 2 : 1;
  }
  return out;
}

inline std::string Join(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  return out;
}

inline bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

inline std::string Trimmed(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

inline bool SameAscii(std::string a, std::string b) {
  auto lower = [](std::string s) {
    for (char& c : s)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return s;
  };
  return lower(std::move(a)) == lower(std::move(b));
}

// The section a header line opens, or nullopt for any other line. A ']' that
// is the trail byte of a double-byte character closes nothing; a UTF-8 byte
// order mark before the first line's '[' is no part of it.
inline std::optional<std::string> HeaderName(std::string line, bool first) {
  if (first && line.compare(0, 3, "\xef\xbb\xbf") == 0) line.erase(0, 3);
  const std::string t = Trimmed(line);
  if (t.empty() || t[0] != '[') return std::nullopt;
  size_t close = std::string::npos;
  for (size_t i = 0; i < t.size(); i += SjisCharLen(t, i))
    if (t[i] == ']') close = i;
  if (close == std::string::npos) return std::nullopt;
  return t.substr(1, close - 1);
}

using Keys = std::vector<std::pair<std::string, std::string>>;  // section, key

// Every line except the key lines of keys, in order; headers of sections
// that the change had to add may follow at the end.
inline ::testing::AssertionResult OnlyTheseKeysChanged(const std::string& before, const std::string& after,
                                                 const Keys& keys) {
  auto keep = [&](const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    std::string section;
    bool inSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
      if (std::optional<std::string> h = HeaderName(lines[i], i == 0)) {
        section = *h;
        inSection = true;
        out.push_back(lines[i]);
        continue;
      }
      const size_t eq = lines[i].find('=');
      if (inSection && eq != std::string::npos) {
        const std::string key = Trimmed(lines[i].substr(0, eq));
        const bool listed = std::any_of(keys.begin(), keys.end(), [&](const auto& k) {
          return SameAscii(k.first, section) && SameAscii(k.second, key);
        });
        if (listed) continue;
      }
      out.push_back(lines[i]);
    }
    return out;
  };
  const std::vector<std::string> a = keep(Lines(before)), b = keep(Lines(after));
  size_t same = 0;
  while (same < a.size() && same < b.size() && a[same] == b[same]) ++same;
  if (same < a.size()) {
    return ::testing::AssertionFailure() << "line " << same << " of the kept lines changed or went: \""
                                         << a[same].substr(0, 80) << "\" became \""
                                         << (same < b.size() ? b[same].substr(0, 80) : "<end of file>") << "\"";
  }
  for (size_t i = same; i < b.size(); ++i) {
    const std::optional<std::string> h = HeaderName(b[i], i == 0);
    const bool added = h && std::any_of(keys.begin(), keys.end(), [&](const auto& k) { return SameAscii(k.first, *h); });
    if (!added) return ::testing::AssertionFailure() << "a line was added: \"" << b[i].substr(0, 80) << "\"";
  }
  return ::testing::AssertionSuccess();
}

}  // namespace dz::test
