// The live-expression evaluator: a text rewriter whose operands are digit
// runs and whose minus sign is always an operator. The rewriting rules decide
// the results of odd texts (^9-8-7^ shows -6), so they are kept exactly; the
// implementation only avoids the restart-from-the-beginning rescans so that
// even an expression of the whole 8191-byte text evaluates in linear time.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/display_text.h"
#include "core/expression.h"
#include "core/number.h"
#include "core/sjis.h"

namespace dz {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A digit run read in 32-bit wrap-around arithmetic; any length is fine.
uint32_t RunValue(const char* b, const char* e) {
  uint32_t v = 0;
  for (; b != e; ++b) v = v * 10u + static_cast<uint32_t>(*b - '0');
  return v;
}

void AppendValue(std::string& s, int32_t v) {
  char tmp[kIntChars];
  s.append(tmp, FormatIntTo(v, tmp));
}

int32_t Apply(char op, uint32_t a, uint32_t b) {
  switch (op) {
    case '*': return static_cast<int32_t>(a * b);
    case '+': return static_cast<int32_t>(a + b);
    case '-': return static_cast<int32_t>(a - b);
    default: {
      int32_t x = static_cast<int32_t>(a), y = static_cast<int32_t>(b);
      // Division by an empty run or by 0 shows 0; INT_MIN / -1 wraps to
      // INT_MIN like every other overflow instead of trapping.
      if (y == 0) return 0;
      if (y == -1) return static_cast<int32_t>(0u - a);
      return x / y;
    }
  }
}

}  // namespace

// The rewriting rule restarts the scan at the second character after every
// reduction. Here w is a gap buffer instead: w[0, o) is the part that a
// restarted scan would pass over unchanged, w[i, n) what it has yet to look
// at. After a reduction only two places of the passed-over part can act
// differently on the rescan, and only those are handed back for another
// look: the operator just before the result (its right run is the result),
// and the first character, which the rule looks at again after every
// reduction by the first operator.
//
// A reduction that rewrites the text into itself (a "-" without a left run
// before a canonical number, as in 1-2-3 reaching --2 or in 5)-3) would make
// the restarting scan loop forever; here it is passed over instead. Wherever
// the restarting scan ends, this gives the same text.
void RewritePass(std::string& w, char a, char b) {
  char* s = &w[0];
  const size_t n = w.size();
  size_t o = 0, i = 0;
  // The run after the first character changed since that character was
  // last looked at, so another look may rewrite it.
  bool head_stale = false;
  // Every changed reduction shortens the text or swaps one operator for a
  // sign; this cap is far above what any text reaches and only guarantees
  // that no text can keep the loop going.
  size_t budget = 8 * n + 64;
  while (i < n) {
    const char c = s[i];
    if (c != a && c != b) {
      s[o++] = s[i++];
      continue;
    }
    size_t ls = o;
    while (ls > 0 && IsDigit(s[ls - 1])) --ls;
    size_t re = i + 1;
    while (re < n && IsDigit(s[re])) ++re;
    char value[kIntChars];
    const size_t len =
        FormatIntTo(Apply(c, RunValue(s + ls, s + o), RunValue(s + i + 1, s + re)), value);
    const size_t left = o - ls, right = re - i - 1;
    const bool same = len == left + 1 + right && std::memcmp(value, s + ls, left) == 0 &&
                      value[left] == c && std::memcmp(value + left + 1, s + i + 1, right) == 0;
    if (same || budget == 0) {
      s[o++] = s[i++];
      continue;
    }
    --budget;
    // The result goes back in front of what is still to be looked at; it
    // always fits, a result is never longer than what it replaces.
    o = ls;
    i = re - len;
    std::memcpy(s + i, value, len);
    if (o == 0) head_stale = false;  // the result itself is the new head
    if (o == 1) head_stale = true;
    if (c == a && head_stale && o > 0 && s[0] == b) {
      // The first character is looked at again: hand back the whole
      // passed-over part. The head goes stale only when a result lands at
      // position 1, so this part is short except once after a long run.
      std::memmove(s + i - o, s, o);
      i -= o;
      o = 0;
      head_stale = false;
    } else if (o >= 2 && (s[o - 1] == a || s[o - 1] == b)) {
      s[--i] = s[--o];
    }
  }
  w.resize(o);
}

namespace {

int32_t EvaluateFlat(std::string& w) {
  RewritePass(w, '*', '/');
  RewritePass(w, '+', '-');
  return ParseInt(w);
}

int32_t VariableValue(char name, const ClockFields& clock) {
  switch (name) {
    case 'y': return clock.year;
    case 'm': return clock.month;
    case 'd': return clock.day;
    case 'h': return clock.hour;
    default: return clock.minute;
  }
}

bool IsVariable(char c) { return c == 'y' || c == 'm' || c == 'd' || c == 'h' || c == 'i'; }

}  // namespace

int32_t EvaluateExpression(std::string_view expr, const ClockFields& clock) {
  // Filtering, variable replacement and the parentheses run in one pass.
  // Each parenthesised part is evaluated when its ")" comes, and its value
  // replaces it in the enclosing text; an explicit stack of starts instead
  // of recursion, so thousands of nested "(" cannot exhaust the stack.
  std::string text;
  text.reserve(expr.size() + 16);
  std::vector<size_t> open;
  std::string part;
  auto close_innermost = [&] {
    size_t start = open.back();
    open.pop_back();
    part.assign(text, start, std::string::npos);
    text.resize(start);
    AppendValue(text, EvaluateFlat(part));
  };
  for (size_t k = 0; k < expr.size();) {
    const size_t len = SjisCharLen(expr, k);
    const char c = expr[k];
    if (len == 2) {
      k += 2;  // double-byte characters are dropped whole
    } else if (c == '%' && k + 1 < expr.size() && IsVariable(expr[k + 1])) {
      AppendValue(text, VariableValue(expr[k + 1], clock));
      k += 2;
    } else {
      if (c == '(') {
        open.push_back(text.size());
      } else if (c == ')' && !open.empty()) {
        close_innermost();
      } else if (IsDigit(c) || c == ')' || c == '*' || c == '+' || c == '-' || c == '/') {
        text += c;
      }
      ++k;
    }
  }
  // An unclosed "(" takes everything up to the end.
  while (!open.empty()) close_innermost();
  return EvaluateFlat(text);
}

}  // namespace dz
