#pragma once
// A direct transcription of the display-text rules for differential tests:
// the text is rewritten in place, every reduction restarts the pass scan,
// every parenthesis restarts the parenthesis scan. Quadratic and recursive,
// meant for short texts only.
#include <cstdint>
#include <string>

#include "core/clock.h"

namespace dz::reference {

inline bool Lead(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (u >= 0x81 && u <= 0x9F) || (u >= 0xE0 && u <= 0xFC);
}
inline bool Digit(char c) { return c >= '0' && c <= '9'; }

inline int32_t ToInt(const std::string& s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  bool neg = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) neg = s[i++] == '-';
  uint32_t v = 0;
  while (i < s.size() && Digit(s[i])) v = v * 10u + static_cast<uint32_t>(s[i++] - '0');
  return static_cast<int32_t>(neg ? 0u - v : v);
}

// Returns whether the text changed.
inline bool Reduce(std::string& w, size_t q) {
  size_t l = q;
  while (l > 0 && Digit(w[l - 1])) --l;
  size_t r = q + 1;
  while (r < w.size() && Digit(w[r])) ++r;
  int32_t a = ToInt(w.substr(l, q - l)), b = ToInt(w.substr(q + 1, r - q - 1));
  int32_t v;
  switch (w[q]) {
    case '*': v = static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b)); break;
    case '+': v = static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b)); break;
    case '-': v = static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b)); break;
    default:
      if (b == 0) v = 0;
      else if (b == -1) v = static_cast<int32_t>(0u - static_cast<uint32_t>(a));
      else v = a / b;
  }
  std::string before = w;
  w.replace(l, r - l, std::to_string(v));
  return w != before;
}

// `steps` counts reductions so that a test can tell a runaway loop.
inline void PassScan(std::string& w, char a, char b, long& steps) {
  size_t q = 0;
  while (q < w.size() && steps < 1000000) {
    if (w[q] == a && Reduce(w, q)) { q = 0; ++steps; }
    if (q < w.size() && w[q] == b && Reduce(w, q)) { q = 0; ++steps; }
    ++q;
  }
}

inline int32_t Evaluate(std::string w, const ClockFields& c, long& steps) {
  for (size_t k = 0; k < w.size(); ++k) {
    if (w[k] != '%') continue;
    int v = w[k + 1] == 'y' ? c.year : w[k + 1] == 'm' ? c.month : w[k + 1] == 'd' ? c.day
          : w[k + 1] == 'h' ? c.hour : c.minute;
    std::string s = std::to_string(v);
    w.replace(k, 2, s);
  }
  for (;;) {
    size_t open = w.find('(');
    if (open == std::string::npos) break;
    int depth = 1;
    size_t k = open + 1;
    for (; k < w.size(); ++k) {
      if (w[k] == '(') ++depth;
      if (w[k] == ')' && --depth == 0) break;
    }
    bool closed = k < w.size();
    int32_t v = Evaluate(w.substr(open + 1, k - open - 1), c, steps);
    w.replace(open, (closed ? k + 1 : k) - open, std::to_string(v));
  }
  PassScan(w, '*', '/', steps);
  PassScan(w, '+', '-', steps);
  return ToInt(w);
}

inline std::string Filter(const std::string& raw) {
  std::string f;
  for (size_t k = 0; k < raw.size(); ++k) {
    char c = raw[k];
    if (Lead(c)) { ++k; continue; }
    if (c == '%' && k + 1 < raw.size() && std::string("ymdhi").find(raw[k + 1]) != std::string::npos) {
      f += raw.substr(k, 2);
      ++k;
    } else if (Digit(c) || std::string("()*+-/").find(c) != std::string::npos) {
      f += c;
    }
  }
  return f;
}

inline std::string Build(std::string t, const ClockFields& c, long& steps) {
  size_t p = 0;
  while (p < t.size()) {
    if (t[p] == '$') {
      if (p + 1 < t.size() && t[p + 1] == '$') { t[p] = '\r'; t[p + 1] = '\n'; ++p; }
      else t[p] = '\n';
    }
    if (t[p] == '`') t[p] = '\t';
    if (p + 1 < t.size() && ((t[p] == '\\' && t[p + 1] == '>') || (t[p] == '<' && t[p + 1] == '\\'))) {
      t.erase(p, 2);
      continue;
    }
    if (t[p] == '^') {
      size_t e = p + 1;
      while (e < t.size() && t[e] != '^') e += Lead(t[e]) ? 2 : 1;
      if (e > t.size()) e = t.size();
      std::string raw = t.substr(p + 1, e - p - 1);
      std::string value = std::to_string(Evaluate(Filter(raw), c, steps));
      t = t.substr(0, p) + value + (e < t.size() ? t.substr(e + 1) : std::string());
    }
    p += Lead(t[p]) ? 2 : 1;
  }
  // The text buffer holds 8191 bytes; no double-byte character is split.
  size_t keep = 0;
  for (size_t k = 0; k < t.size();) {
    size_t len = Lead(t[k]) && k + 1 < t.size() ? 2 : 1;
    if (k + len > 8191) break;
    k += len;
    keep = k;
  }
  return t.substr(0, keep);
}

}  // namespace dz::reference
