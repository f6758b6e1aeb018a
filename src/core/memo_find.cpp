#include "core/memo_find.h"

#include <algorithm>
#include <cstdint>
#include <functional>

#include "core/display_text.h"
#include "core/keys.h"
#include "core/limits.h"
#include "core/memo_store.h"
#include "core/sjis.h"

namespace dz {
namespace {

// Full-width forms of the half-width katakana 0xA1..0xDF, in order
// (punctuation, kana, the long vowel mark and the two voicing marks).
constexpr uint16_t kFullKana[] = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342, 0x8344, 0x8346, 0x8348,
    0x8383, 0x8385, 0x8387, 0x8362, 0x815B, 0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A,
    0x834C, 0x834E, 0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E, 0x8360,
    0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C, 0x836D, 0x836E, 0x8371, 0x8374,
    0x8377, 0x837A, 0x837D, 0x837E, 0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389,
    0x838A, 0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B};
static_assert(sizeof kFullKana / sizeof kFullKana[0] == 0xE0 - 0xA1, "one entry per half-width katakana");

constexpr unsigned char kVoiced = 0xDE, kSemiVoiced = 0xDF;
constexpr uint16_t kFullBlank = 0x8140;

// The full-width character a half-width kana and the mark after it make
// together, or 0 when they make none (the mark then stands on its own).
uint16_t Combine(unsigned char kana, unsigned char mark) {
  const uint16_t full = kFullKana[kana - 0xA1];
  if (mark == kVoiced) {
    if (kana == 0xB3) return 0x8394;                  // ｳﾞ: ヴ
    if (kana >= 0xB6 && kana <= 0xC4) return full + 1;  // ｶ..ﾄ: ガ..ド
    if (kana >= 0xCA && kana <= 0xCE) return full + 1;  // ﾊ..ﾎ: バ..ボ
  } else if (kana >= 0xCA && kana <= 0xCE) {
    return full + 2;  // ﾊﾟ..ﾎﾟ: パ..ポ
  }
  return 0;
}

// A double-byte character's code in the form it is compared in.
uint16_t FoldWide(uint16_t c) {
  if (c >= 0x8260 && c <= 0x8279) return static_cast<uint16_t>('a' + (c - 0x8260));  // Ａ..Ｚ
  if (c >= 0x8281 && c <= 0x829A) return static_cast<uint16_t>('a' + (c - 0x8281));  // ａ..ｚ
  if (c >= 0x824F && c <= 0x8258) return static_cast<uint16_t>('0' + (c - 0x824F));  // ０..９
  if (c == kFullBlank) return ' ';
  return c;
}

void Put(std::string& out, uint16_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

bool IsBlankLine(std::string_view line) {
  return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t'; });
}

// True when the stored text holds a live expression: its display text then
// depends on the clock.
bool HasLiveExpression(std::string_view stored) {
  for (size_t i = 0; i < stored.size(); i += SjisCharLen(stored, i))
    if (stored[i] == '^') return true;
  return false;
}

bool SameClock(const ClockFields& a, const ClockFields& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute;
}

constexpr size_t kCaptionBytes = 120;

}  // namespace

std::string FoldForFind(std::string_view s) {
  std::string out;
  out.reserve(s.size() + s.size() / 2);
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (SjisCharLen(s, i) == 2) {
      Put(out, FoldWide(static_cast<uint16_t>(c << 8 | static_cast<unsigned char>(s[i + 1]))));
      i += 2;
    } else if (c >= 0xA1 && c <= 0xDF) {
      const unsigned char next = i + 1 < s.size() ? static_cast<unsigned char>(s[i + 1]) : 0;
      const uint16_t both = (next == kVoiced || next == kSemiVoiced) ? Combine(c, next) : 0;
      Put(out, both ? both : kFullKana[c - 0xA1]);
      i += both ? 2 : 1;
    } else {
      Put(out, (c >= 'A' && c <= 'Z') ? static_cast<uint16_t>(c + ('a' - 'A')) : c);
      ++i;
    }
  }
  return out;
}

FindQuery::FindQuery(std::string_view sjisQuery) {
  const std::string folded = FoldForFind(sjisQuery);
  size_t p = 0;
  while (p < folded.size()) {
    const size_t start = folded.find_first_not_of(" \t", p);
    if (start == std::string::npos) break;
    size_t end = folded.find_first_of(" \t", start);
    if (end == std::string::npos) end = folded.size();
    words_.push_back(folded.substr(start, end - start));
    p = end;
  }
  // The longest word first: it rules out the most texts soonest.
  std::stable_sort(words_.begin(), words_.end(),
                   [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  searchers_.reserve(words_.size());
  for (const std::string& w : words_) {
    const std::string_view word(w);
    searchers_.emplace_back(word.begin(), word.end());
  }
}

bool FindQuery::Matches(std::string_view folded) const {
  for (const Searcher& searcher : searchers_)
    if (std::search(folded.begin(), folded.end(), searcher) == folded.end()) return false;
  return true;
}

std::string FindCaption(std::string_view display, size_t maxBytes) {
  std::string_view line;
  for (size_t p = 0; p <= display.size();) {
    size_t end = display.find_first_of("\r\n", p);
    if (end == std::string_view::npos) end = display.size();
    line = display.substr(p, end - p);
    if (!IsBlankLine(line)) break;
    line = std::string_view();
    p = end + 1;
  }
  std::string caption(line);
  std::replace(caption.begin(), caption.end(), '\t', ' ');
  if (caption.size() <= maxBytes) return caption;
  const std::string_view ellipsis = "\x81\x63";  // "…"
  caption.resize(SjisPrefixLen(caption, maxBytes > ellipsis.size() ? maxBytes - ellipsis.size() : 0));
  return caption.append(ellipsis);
}

void MemoFinder::Refresh(const std::string& path, File& file, const ClockFields& clock) {
  const FileStamp stamp = fs_.Stamp(path);
  if (file.loaded && stamp == file.stamp) {
    if (SameClock(file.clock, clock)) return;
    for (Memo& m : file.memos) {
      if (m.stored.empty()) continue;
      const std::string display = BuildDisplayText(m.stored, clock);
      m.folded = FoldForFind(display);
      m.caption = FindCaption(display, kCaptionBytes);
    }
    file.clock = clock;
    return;
  }
  // Read through a settings file of its own, which is gone when this ends:
  // only the folded texts stay in memory, not the file's lines.
  SettingsFile settings(fs_, path);
  ++filesRead_;
  file.stamp = stamp;
  file.clock = clock;
  file.memos.clear();
  file.readable = settings.Readable();
  // An unreadable file is tried again at the next search.
  file.loaded = file.readable;
  if (!file.readable) return;
  SettingsHold hold(settings);
  const int count = StoredMemoCount(settings);
  file.memos.resize(static_cast<size_t>(count));
  for (int n = 0; n < count; ++n) {
    Memo& m = file.memos[static_cast<size_t>(n)];
    std::string stored = settings.Read(kSecMemos, MemoKey(n, "Text"), "", kMaxTextChars);
    const std::string display = BuildDisplayText(stored, clock);
    m.folded = FoldForFind(display);
    m.caption = FindCaption(display, kCaptionBytes);
    if (HasLiveExpression(stored)) m.stored = std::move(stored);
  }
}

FindResult MemoFinder::Find(const std::vector<FindSource>& sources, std::string_view sjisQuery,
                            const ClockFields& clock) {
  // Files of categories no longer listed are forgotten.
  for (auto it = files_.begin(); it != files_.end();) {
    const bool listed = std::any_of(sources.begin(), sources.end(),
                                    [&](const FindSource& s) { return s.path == it->first; });
    it = listed ? std::next(it) : files_.erase(it);
  }
  const FindQuery query(sjisQuery);
  FindResult result;
  for (size_t s = 0; s < sources.size(); ++s) {
    // A name listed twice is one file: its memos are listed once.
    const auto same = [&](const FindSource& o) { return o.path == sources[s].path; };
    if (std::any_of(sources.begin(), sources.begin() + static_cast<std::ptrdiff_t>(s), same)) continue;
    File& file = files_[sources[s].path];
    Refresh(sources[s].path, file, clock);
    if (!file.readable) {
      result.unreadable.push_back(s);
      continue;
    }
    for (size_t n = 0; n < file.memos.size(); ++n) {
      const Memo& m = file.memos[n];
      if (query.Matches(m.folded)) result.hits.push_back(FindHit{s, static_cast<int>(n), m.caption});
    }
  }
  return result;
}

}  // namespace dz
