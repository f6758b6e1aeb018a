#include "core/display_text.h"

#include <utility>

#include "core/limits.h"
#include "core/number.h"
#include "core/sjis.h"

namespace dz {
namespace {

// Collects the display text, never more than the text buffer holds; a
// double-byte character that would not fit whole is left out.
class CappedText {
 public:
  CappedText() { text_.reserve(kMaxTextChars); }
  bool full() const { return full_; }
  size_t room() const { return static_cast<size_t>(kMaxTextChars) - text_.size(); }
  // Adds the piece whole; one that does not fit ends the text.
  void Add(std::string_view piece) {
    if (full_ || piece.size() > room()) {
      full_ = true;
      return;
    }
    text_.append(piece.data(), piece.size());
  }
  void AddChar(char c) { Add(std::string_view(&c, 1)); }
  std::string Take() { return std::move(text_); }

 private:
  std::string text_;
  bool full_ = false;
};

bool IsMarker(char c) { return c == '$' || c == '`' || c == '\\' || c == '<' || c == '^'; }

}  // namespace

std::string BuildDisplayText(std::string_view stored, const ClockFields& clock) {
  // One scan from left to right into a separate buffer gives what rewriting
  // the text buffer in place gives, without moving the rest of the text at
  // every marker: nothing the scan has passed is looked at again, and what
  // an in-place rewrite moves under the scan is simply what comes next here.
  CappedText out;
  const size_t n = stored.size();
  size_t p = 0;
  while (p < n && !out.full()) {
    const char c = stored[p];
    const char next = p + 1 < n ? stored[p + 1] : '\0';
    if (c == '$') {
      if (next == '$') {
        out.Add("\r\n");
        p += 2;
      } else {
        out.AddChar('\n');
        ++p;
      }
    } else if (c == '`') {
      out.AddChar('\t');
      ++p;
    } else if ((c == '\\' && next == '>') || (c == '<' && next == '\\')) {
      p += 2;  // link-mark markers vanish, paired or not
    } else if (c == '^') {
      size_t end = p + 1;
      while (end < n && stored[end] != '^') end += SjisCharLen(stored, end);
      const int32_t value = EvaluateExpression(stored.substr(p + 1, end - p - 1), clock);
      // The value's characters are digits and a sign, never markers, so the
      // scan resuming after its first character is the same as after all.
      char digits[kIntChars];
      const size_t len = FormatIntTo(value, digits);
      for (size_t d = 0; d < len; ++d) out.AddChar(digits[d]);
      p = end < n ? end + 1 : n;
    } else {
      // A stretch of ordinary characters (a lone backslash or "<" among them)
      // goes over at once; at the end of the buffer only whole characters.
      size_t end = p + SjisCharLen(stored, p);
      while (end < n && !IsMarker(stored[end])) end += SjisCharLen(stored, end);
      if (end - p > out.room()) {
        size_t fit = p;
        while (fit + SjisCharLen(stored, fit) - p <= out.room()) fit += SjisCharLen(stored, fit);
        out.Add(stored.substr(p, fit - p));
        break;  // the buffer is full
      }
      out.Add(stored.substr(p, end - p));
      p = end;
    }
  }
  return out.Take();
}

}  // namespace dz
