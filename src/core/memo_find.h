#pragma once
// Finding memos of every category by what they show. A user types "ｶﾞｲﾄﾞ"
// or "guide" and expects the memo that shows "ガイド" or "Guide": the texts
// are compared in a folded form, and the memos of categories that are not
// open are read from their files, never loaded as windows.
#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/clock.h"
#include "core/settings.h"

namespace dz {

// Shift_JIS text in the form finding compares: Latin letters lower case,
// full-width Latin letters and digits as their ASCII forms, half-width
// katakana (with a following voiced or semi-voiced mark, ｶﾞ ﾊﾟ) as the
// full-width characters, the full-width blank as a blank. Every character is
// then written so that no character's bytes can be taken for the tail of
// another's: ASCII as itself, any other character code as two or three bytes
// of the shape of UTF-8. A folded word found in a folded text therefore
// always starts and ends at whole characters.
std::string FoldForFind(std::string_view sjis);

// What the user typed, cut into words at blanks (also full-width ones). A
// text matches when it holds every word; no words match every text.
class FindQuery {
 public:
  explicit FindQuery(std::string_view sjisQuery);
  FindQuery(const FindQuery&) = delete;
  FindQuery& operator=(const FindQuery&) = delete;
  bool empty() const { return words_.empty(); }
  // folded: a text as FoldForFind gives it.
  bool Matches(std::string_view folded) const;

 private:
  // The word's first byte is often the lead byte shared by every Japanese
  // character; skipping by the last bytes passes over most of a text.
  using Searcher = std::boyer_moore_horspool_searcher<std::string_view::const_iterator>;
  std::vector<std::string> words_;
  std::vector<Searcher> searchers_;  // over words_, which stay put
};

// The line a list of memos shows for a memo: its first line that is not
// blank, tabs as blanks, cut at a whole character to at most maxBytes with
// "…" after a cut; empty for a memo that shows nothing.
std::string FindCaption(std::string_view display, size_t maxBytes);

// A category to look through: its name (Shift_JIS) and its file (UTF-8).
struct FindSource {
  std::string name;
  std::string path;
};

struct FindHit {
  size_t source = 0;  // index into the sources searched
  int memo = 0;       // memo number in that category
  std::string caption;
};

struct FindResult {
  std::vector<FindHit> hits;        // in source order, then memo number order
  std::vector<size_t> unreadable;   // sources whose file exists but could not be read
};

// Keeps the folded texts of every file it has looked through, with the
// file's stamp: a search only asks each file for its stamp and reads again
// the files that changed. Memos with live expressions are folded again when
// the clock moves on.
class MemoFinder {
 public:
  explicit MemoFinder(FileSystem& fs) : fs_(fs) {}
  FindResult Find(const std::vector<FindSource>& sources, std::string_view sjisQuery, const ClockFields& clock);
  // Files read since the finder was made (to see that the cache works).
  int filesRead() const { return filesRead_; }

 private:
  struct Memo {
    std::string folded;
    std::string caption;
    std::string stored;  // kept only when the text holds a live expression
  };
  struct File {
    FileStamp stamp;
    bool loaded = false;
    bool readable = true;
    ClockFields clock;
    std::vector<Memo> memos;
  };
  void Refresh(const std::string& path, File& file, const ClockFields& clock);
  FileSystem& fs_;
  std::map<std::string, File> files_;  // by path
  int filesRead_ = 0;
};

}  // namespace dz
