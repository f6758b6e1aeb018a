#include "core/conflict_copy.h"

#include <optional>

#include "core/category_list.h"
#include "core/sjis.h"

namespace dz {
namespace {

// Which bytes of s begin a character: the trail byte of a double-byte
// character may look like any of the letters the patterns hold.
std::vector<bool> CharStarts(std::string_view s) {
  std::vector<bool> starts(s.size() + 1, false);
  for (size_t i = 0; i < s.size(); i += SjisCharLen(s, i)) starts[i] = true;
  starts[s.size()] = true;
  return starts;
}

// Position of the last occurrence of what in s that begins a character.
size_t FindLastAtStart(std::string_view s, std::string_view what, const std::vector<bool>& starts) {
  for (size_t p = s.rfind(what); p != std::string_view::npos; p = p == 0 ? std::string_view::npos : s.rfind(what, p - 1))
    if (starts[p]) return p;
  return std::string_view::npos;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The n digits at s[pos] as a number within lo..hi, else -1.
int Number(std::string_view s, size_t pos, size_t n, int lo, int hi) {
  if (pos + n > s.size()) return -1;
  int v = 0;
  for (size_t i = pos; i < pos + n; ++i) {
    if (!IsDigit(s[i])) return -1;
    v = v * 10 + (s[i] - '0');
  }
  return v >= lo && v <= hi ? v : -1;
}

bool IsDate(std::string_view s, size_t pos, bool dashes) {
  const size_t m = dashes ? 5 : 4, d = dashes ? 8 : 6;
  if (dashes && (pos + 10 > s.size() || s[pos + 4] != '-' || s[pos + 7] != '-')) return false;
  return Number(s, pos, 4, 1970, 9999) >= 0 && Number(s, pos + m, 2, 1, 12) >= 0 && Number(s, pos + d, 2, 1, 31) >= 0;
}

bool IsTime(std::string_view s, size_t pos) {
  return Number(s, pos, 2, 0, 23) >= 0 && Number(s, pos + 2, 2, 0, 59) >= 0 && Number(s, pos + 4, 2, 0, 60) >= 0;
}

// s ends with " (N)": the length of that tail, else 0.
size_t CopyNumberTail(std::string_view s) {
  if (s.size() < 4 || s.back() != ')') return 0;
  size_t p = s.size() - 1;
  while (p > 0 && IsDigit(s[p - 1])) --p;
  if (p == s.size() - 1 || p < 2 || s[p - 1] != '(' || s[p - 2] != ' ') return 0;
  return s.size() - (p - 2);
}

// "name.sync-conflict-YYYYMMDD-HHMMSS-DEVICE": the device is the first
// characters of the device's id, capitals and digits.
std::optional<std::string_view> StripSyncthing(std::string_view stem, const std::vector<bool>& starts) {
  static constexpr std::string_view kMark = ".sync-conflict-";
  const size_t p = FindLastAtStart(stem, kMark, starts);
  if (p == std::string_view::npos || p == 0) return std::nullopt;
  const size_t d = p + kMark.size();
  if (!IsDate(stem, d, false) || d + 8 >= stem.size() || stem[d + 8] != '-' || !IsTime(stem, d + 9) ||
      d + 15 >= stem.size() || stem[d + 15] != '-')
    return std::nullopt;
  const std::string_view device = stem.substr(d + 16);
  if (device.size() != 7) return std::nullopt;
  for (char c : device)
    if (!IsDigit(c) && !(c >= 'A' && c <= 'Z')) return std::nullopt;
  return stem.substr(0, p);
}

// The " (" that opens the group ending at close (a ')'), counting nested
// groups: the one who made the copy may have parentheses in their name.
size_t OpeningOf(std::string_view s, size_t close, const std::vector<bool>& starts) {
  int depth = 0;
  for (size_t p = close + 1; p-- > 0;) {
    if (!starts[p]) continue;
    if (s[p] == ')') ++depth;
    if (s[p] == '(' && --depth == 0) return p >= 1 && s[p - 1] == ' ' ? p - 1 : std::string_view::npos;
  }
  return std::string_view::npos;
}

// "name (who's conflicted copy YYYY-MM-DD)", a number " (N)" inside the
// group after the date or after the group.
std::optional<std::string_view> StripDropbox(std::string_view stem, const std::vector<bool>& starts) {
  static constexpr std::string_view kMark = "'s conflicted copy ";
  std::string_view s = stem.substr(0, stem.size() - CopyNumberTail(stem));
  if (s.empty() || s.back() != ')') return std::nullopt;
  const size_t close = s.size() - 1;
  std::string_view inner = s.substr(0, close);
  inner = inner.substr(0, inner.size() - CopyNumberTail(inner));
  if (inner.size() < 10 + kMark.size() || !IsDate(inner, inner.size() - 10, true)) return std::nullopt;
  const size_t mark = inner.size() - 10 - kMark.size();
  if (inner.substr(mark, kMark.size()) != kMark || !starts[mark]) return std::nullopt;
  const size_t open = OpeningOf(s, close, starts);
  // Someone's name between the parenthesis and the mark, and a name before.
  if (open == std::string_view::npos || open == 0 || open + 2 >= mark) return std::nullopt;
  return stem.substr(0, open);
}

// "name (conflicted copy YYYY-MM-DD HHMMSS)".
std::optional<std::string_view> StripCloud(std::string_view stem, const std::vector<bool>& starts) {
  static constexpr std::string_view kMark = " (conflicted copy ";
  constexpr size_t kStamp = 17;  // "YYYY-MM-DD HHMMSS"
  if (stem.size() < kMark.size() + kStamp + 2 || stem.back() != ')') return std::nullopt;
  const size_t p = stem.size() - 1 - kStamp - kMark.size();
  if (stem.substr(p, kMark.size()) != kMark || !starts[p]) return std::nullopt;
  const size_t d = p + kMark.size();
  if (!IsDate(stem, d, true) || stem[d + 10] != ' ' || !IsTime(stem, d + 11)) return std::nullopt;
  return stem.substr(0, p);
}

bool IsComputerName(std::string_view s) {
  if (s.empty() || s.size() > 15) return false;
  for (char c : s)
    if (!IsDigit(c) && !(c >= 'A' && c <= 'Z') && !(c >= 'a' && c <= 'z') && c != '-' && c != '_') return false;
  return true;
}

const std::string* Listed(std::string_view name, const std::vector<std::string>& originals) {
  for (const std::string& o : originals)
    if (SameCategoryName(name, o)) return &o;
  return nullptr;
}

}  // namespace

ConflictCopy RecognizeConflictCopy(std::string_view fileName, const std::vector<std::string>& originals) {
  if (Listed(fileName, originals)) return {};
  ConflictStyle outer = ConflictStyle::kNone;
  std::string name(fileName);
  // Each round takes one copy's mark off; a name has few characters to give.
  for (int layer = 0; layer < 16; ++layer) {
    const std::vector<bool> starts = CharStarts(name);
    size_t dot = FindLastAtStart(name, ".", starts);
    if (dot == std::string::npos || dot == 0) dot = name.size();
    const std::string_view stem = std::string_view(name).substr(0, dot);
    const std::string ext = name.substr(dot);
    ConflictStyle style = ConflictStyle::kSyncthing;
    std::optional<std::string_view> inner = StripSyncthing(stem, starts);
    if (!inner) {
      style = ConflictStyle::kDropbox;
      inner = StripDropbox(stem, starts);
    }
    if (!inner) {
      style = ConflictStyle::kCloud;
      inner = StripCloud(stem, starts);
    }
    if (inner) {
      if (outer == ConflictStyle::kNone) outer = style;
      name = std::string(*inner) + ext;
      if (const std::string* o = Listed(name, originals)) return {outer, *o};
      continue;
    }
    // The longest listed name before a hyphen, the computer's name after it.
    for (size_t p = stem.size(); p-- > 1;) {
      if (!starts[p] || stem[p] != '-' || !IsComputerName(stem.substr(p + 1))) continue;
      if (const std::string* o = Listed(std::string(stem.substr(0, p)) + ext, originals))
        return {outer == ConflictStyle::kNone ? ConflictStyle::kComputerName : outer, *o};
    }
    return {};
  }
  return {};
}

}  // namespace dz
