#include "core/display_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "core/expression.h"
#include "display_text_reference.h"

namespace dz {
namespace {

// 9 March 2005, 14:05.
ClockFields March9() {
  ClockFields c;
  c.year = 2005;
  c.month = 3;
  c.day = 9;
  c.hour = 14;
  c.minute = 5;
  return c;
}

std::string Show(const std::string& stored) { return BuildDisplayText(stored, March9()); }

// Katakana whose trail bytes have the codes of marker characters.
const std::string kSo = "\x83\x5c";   // ソ, trail "\"
const std::string kTa = "\x83\x5e";   // タ, trail "^"
const std::string kChi = "\x83\x60";  // チ, trail "`"
const std::string kDe = "\x83\x66";   // デ

struct Example {
  const char* stored;
  const char* shown;
};

class WorkedExample : public ::testing::TestWithParam<Example> {};

TEST_P(WorkedExample, ShowsTheStatedResult) {
  EXPECT_EQ(Show(GetParam().stored), GetParam().shown) << "stored: " << GetParam().stored;
}

INSTANTIATE_TEST_SUITE_P(
    LiveExpressions, WorkedExample,
    ::testing::Values(Example{"^1+2*3^", "7"}, Example{"^(1+2)*3^", "9"}, Example{"^10-4-3^", "3"},
                      Example{"^7/2^", "3"}, Example{"^9-8-7^", "-6"}, Example{"^12*3+4*5^", "56"},
                      Example{"^%y-1988^", "17"}, Example{"^%h*60+%i^", "845"},
                      Example{"Today ^%m^/^%d^.", "Today 3/9."}, Example{"x^ 3 * 4 ^y", "x12y"},
                      Example{"a^b^c", "a0c"}, Example{"^^", "0"}, Example{"abc^1+2", "abc3"},
                      Example{"^(2+3", "5"}, Example{"^0-1+5^", "-6"}, Example{"^2*(0-3)^", "-3"},
                      // Edge cases of the evaluator.
                      Example{"^abc def^", "0"}, Example{"^%m%d^", "39"},
                      Example{"^((2))*((3))^", "6"}, Example{"^%x5^", "5"}, Example{"^%Y^", "0"},
                      Example{"^%%y^", "2005"}, Example{"^2005%^", "2005"}, Example{"^1+2^ yen", "3 yen"},
                      Example{"^8-2*3^", "2"}, Example{"^100/7/2^", "7"}, Example{"^2*3/4^", "1"},
                      Example{"^-7^", "-7"}, Example{"^+7^", "7"}, Example{"^7-^", "7"},
                      Example{"^*^", "0"}, Example{"^()^", "0"}, Example{"^(((^", "0"},
                      Example{"^2*(3+(4-1))^", "12"}, Example{"^(1)(2)^", "12"},
                      Example{"^0-2147483648^", "-2147483648"}));

TEST(LiveExpression, FollowsTheClock) {
  ClockFields before = March9();
  before.hour = 14;
  before.minute = 59;
  EXPECT_EQ(BuildDisplayText("^%i^", before), "59");
  ClockFields after = before;
  after.hour = 15;
  after.minute = 0;
  EXPECT_EQ(BuildDisplayText("^%i^", after), "0");
  EXPECT_EQ(BuildDisplayText("^%h^", after), "15");
}

TEST(LiveExpression, EvaluateReadsOnlyTheGivenFields) {
  ClockFields c;
  c.year = 1999;
  c.month = 12;
  c.day = 31;
  c.hour = 23;
  c.minute = 58;
  EXPECT_EQ(EvaluateExpression("%y*10000+%m*100+%d", c), 19991231);
  EXPECT_EQ(EvaluateExpression("%h*60+%i", c), 23 * 60 + 58);
}

TEST(LiveExpression, DoubleByteCharactersAreDroppedWhole) {
  // The trail bytes of タ and チ are "^" and "`", of ソ "\"; none of them
  // closes the expression or reaches the evaluator.
  EXPECT_EQ(Show("^1" + kTa + "+2^"), "3");
  EXPECT_EQ(Show("^4" + kSo + kChi + "*2^!"), "8!");
  // "%" before a double-byte character is dropped, the character too.
  EXPECT_EQ(Show("^%" + kDe + "7^"), "7");
}

TEST(LiveExpression, DivisionByNothingOrZeroIsZero) {
  EXPECT_EQ(Show("^5/0^"), "0");
  EXPECT_EQ(Show("^5/^"), "0");
  EXPECT_EQ(Show("^/^"), "0");
  EXPECT_EQ(Show("^5/(2-2)+1^"), "1");
}

TEST(LiveExpression, ArithmeticWrapsAtThirtyTwoBits) {
  EXPECT_EQ(Show("^2147483647+1^"), "-2147483648");
  EXPECT_EQ(Show("^65536*65536^"), "0");
  EXPECT_EQ(Show("^65536*32768^"), "-2147483648");
  // -2147483648 / -1 overflows; it wraps like any other overflow. A run of
  // 4294967295 reads as -1 and one of 2147483648 as -2147483648.
  EXPECT_EQ(Show("^2147483648/4294967295^"), "-2147483648");
  EXPECT_EQ(Show("^4294967296+5^"), "5");
}

TEST(LiveExpression, LongOperandRunsWrapLikeShortOnes) {
  // Beyond the 127 digits that the old operand fields held.
  std::string zeros(200, '0');
  EXPECT_EQ(Show("^" + zeros + "5*3^"), "15");
  EXPECT_EQ(Show("^" + zeros + "4294967297+1^"), "2");
  EXPECT_EQ(EvaluateExpression(std::string(300, '9'), March9()),
            reference::ToInt(std::string(300, '9')));
}

TEST(LiveExpression, SelfRewritingSubtractionEnds) {
  // "-" with no left run before a number rewrites the text into itself;
  // the scan passes over it. 1-2-3 reaches --2, which reads as no number.
  EXPECT_EQ(Show("^1-2-3^"), "0");
  EXPECT_EQ(Show("^5)-3^"), "5");
  EXPECT_EQ(Show("^5)-3+4^"), "5");
  // Here the first result lands behind the sign: -4-1 reaches -3 at once.
  EXPECT_EQ(Show("^(0-4)-1^"), "-3");
  // A leading "-" of a negative first result stays the sign.
  EXPECT_EQ(Show("^1-9^"), "-8");
  // The first character is looked at again after a "+": --4 became 0-4.
  EXPECT_EQ(Show("^-1-5)+1+2^"), "-4");
}

TEST(LiveExpression, LongWorkingTextsEvaluateWhole) {
  // Far beyond the 255 characters of the old working text.
  std::string sum = "^1";
  for (int k = 0; k < 3000; ++k) sum += "+1";
  EXPECT_EQ(Show(sum + "^"), "3001");
  std::string product = "^1";
  for (int k = 0; k < 40; ++k) product += "*2";
  EXPECT_EQ(Show(product + "^"), "0");  // 2^40 wraps to 0
  std::string diff = "^10000";
  for (int k = 0; k < 2000; ++k) diff += "-3";
  // Once the value goes negative every further "-" meets a sign.
  long steps = 0;
  EXPECT_EQ(Show(diff + "^"), reference::Build(diff + "^", March9(), steps));
}

TEST(LiveExpression, DeepParenthesesNeitherCrashNorRecurse) {
  std::string deep = "^" + std::string(8000, '(') + "1+2" + std::string(8000, ')') + "*2^";
  EXPECT_EQ(BuildDisplayText(deep, March9()), "6");
  EXPECT_EQ(Show("^" + std::string(8190, '(')), "0");
  EXPECT_EQ(Show("^" + std::string(8190, ')')), "0");
}

TEST(DisplayText, DecodesEscapes) {
  EXPECT_EQ(Show("a$$b$c`d"), "a\r\nb\nc\td");
  EXPECT_EQ(Show("$$$"), "\r\n\n");
  EXPECT_EQ(Show("``"), "\t\t");
  EXPECT_EQ(Show("$"), "\n");
}

TEST(DisplayText, RemovesLinkMarkers) {
  EXPECT_EQ(Show("see <\\abc\\> now"), "see abc now");
  EXPECT_EQ(Show("lone \\> here"), "lone  here");
  EXPECT_EQ(Show("<\\<\\x"), "x");
  EXPECT_EQ(Show("\\>\\>x"), "x");
  EXPECT_EQ(Show("<\\\\>"), "");
  // The scan never looks back: a marker pair formed across a removal
  // (< then <\ then \) stays.
  EXPECT_EQ(Show("<<\\\\"), "<\\");
  EXPECT_EQ(Show("\\\\>>"), "\\>");
  // Other backslashes and angle brackets stay.
  EXPECT_EQ(Show("a\\b<c>d\\"), "a\\b<c>d\\");
  EXPECT_EQ(Show("<\\^2*3^\\>"), "6");
}

TEST(DisplayText, TrailBytesAreNeverMarkers) {
  const std::string data = "\x83\x66\x81\x5b\x83\x5e";  // データ
  EXPECT_EQ(Show(data), data);
  EXPECT_EQ(Show(kSo + ">"), kSo + ">");
  EXPECT_EQ(Show(kTa + "1+1" + kTa), kTa + "1+1" + kTa);
  EXPECT_EQ(Show(kChi + "`"), kChi + "\t");
  EXPECT_EQ(Show("\x83$x"), "\x83$x");  // "$" after a lead byte is its trail
  // A lone lead byte at the end is kept as it is.
  EXPECT_EQ(Show("ab\x83"), "ab\x83");
  EXPECT_EQ(Show("^1+1\x83"), "2");
}

TEST(DisplayText, ExpressionsFarIntoTheTextExpand) {
  std::string before(8000, 'x');
  EXPECT_EQ(Show(before + "^%y^z"), before + "2005z");
  std::string a(400, 'a'), b(400, 'b');
  EXPECT_EQ(Show(a + "^2*3^" + b), a + "6" + b);
}

TEST(DisplayText, NeverExceedsTheTextBuffer) {
  // Each ^%y%y%y^ (8 bytes) shows an 11-character value.
  std::string stored;
  while (stored.size() + 8 <= 8191) stored += "^%y%y%y^";
  // 200520052005 wraps to 32 bits as the program's arithmetic does.
  const std::string value = "-1343410907";
  std::string expected;
  while (expected.size() < 8191) expected += value;
  expected.resize(8191);
  EXPECT_EQ(Show(stored), expected);

  // A double-byte character that would straddle the end is left out whole.
  std::string tail = "^%y%y%y^" + std::string(8179, 'a') + kTa;
  ASSERT_LE(tail.size(), 8191u);
  std::string shown = Show(tail);
  EXPECT_EQ(shown.size(), 8190u);
  EXPECT_EQ(shown.substr(0, 11), value);

  // Longer input than the buffer holds is cut, not overrun.
  EXPECT_EQ(Show(std::string(20000, 'q')), std::string(8191, 'q'));
}

TEST(DisplayText, WorstCasesOfMarkersAndCarets) {
  EXPECT_EQ(Show(std::string(8191, '^')), std::string(4096, '0'));
  std::string opens;
  while (opens.size() + 2 <= 8191) opens += "<\\";
  EXPECT_EQ(Show(opens), "");
  std::string dollars(8191, '$');
  std::string lines;
  for (int k = 0; k < 4095; ++k) lines += "\r\n";
  EXPECT_EQ(Show(dollars), lines + "\n");
}

// Random texts over the characters that mean something, built by the fast
// scan and by the in-place reference; both must agree exactly.
std::string RandomText(std::mt19937& rng, const std::vector<std::string>& pieces, size_t max_pieces) {
  std::uniform_int_distribution<size_t> count(0, max_pieces);
  std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
  std::string s;
  for (size_t n = count(rng); n > 0; --n) s += pieces[pick(rng)];
  return s;
}

TEST(DisplayTextDifferential, MatchesTheInPlaceRewrite) {
  const std::vector<std::string> pieces = {
      "$", "`", "\\", "<", ">", "^", "^", "^", "(", ")", "*", "/", "+", "-", "-", "0", "1", "2", "9",
      "12", "%", "%y", "%m", "%i", "y", "a", " ", kTa, kSo, kChi, "\x83", "2147483648", "4294967295"};
  std::mt19937 rng(20050309);
  for (int k = 0; k < 200000; ++k) {
    std::string stored = RandomText(rng, pieces, 24);
    long steps = 0;
    std::string expected = reference::Build(stored, March9(), steps);
    ASSERT_LT(steps, 1000000) << "reference did not settle: " << stored;
    ASSERT_EQ(BuildDisplayText(stored, March9()), expected) << "stored: " << stored;
  }
}

TEST(DisplayTextDifferential, FullTextsMatchUpToTheBufferEnd) {
  // Whole 8191-byte texts whose values grow past the text buffer, so that
  // the end of the buffer falls on values, markers and double-byte
  // characters alike. (No lone caret or lead byte: either would pair the
  // carets after it the other way round and the values would not grow.)
  const std::vector<std::string> pieces = {"^%y%y%y^", "^%y%y%y^", "^%y%y%y^", "^%y%y%y^", "^1-2-3^", "<\\", "\\>", "$$", "$", "`",
                                           "abc", kTa, kSo, kChi, "(", "+", "7"};
  std::mt19937 rng(8191);
  std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
  int reached_end = 0;
  for (int k = 0; k < 40; ++k) {
    std::string stored;
    while (true) {
      const std::string& piece = pieces[pick(rng)];
      if (stored.size() + piece.size() > 8191) break;
      stored += piece;
    }
    long steps = 0;
    const std::string shown = BuildDisplayText(stored, March9());
    ASSERT_EQ(shown, reference::Build(stored, March9(), steps)) << "text " << k;
    if (shown.size() >= 8190) ++reached_end;
  }
  EXPECT_GE(reached_end, 10);
}

TEST(ExpressionDifferential, MatchesTheRewritingEvaluator) {
  // Operators and digit runs only: reaches the subtle restarts (negative
  // intermediate results, stray ")", long runs that wrap) far more often.
  const std::vector<std::string> pieces = {"(", ")", ")", "*", "/", "+", "+", "-", "-", "-", "0", "1",
                                           "3", "7", "10", "2147483647", "2147483648", "3000000000",
                                           "4294967295", "5294967296", "99999", "50000"};
  std::mt19937 rng(42);
  for (int k = 0; k < 300000; ++k) {
    std::string expr = RandomText(rng, pieces, 16);
    long steps = 0;
    int32_t expected = reference::Evaluate(reference::Filter(expr), March9(), steps);
    ASSERT_LT(steps, 1000000) << "reference did not settle: " << expr;
    ASSERT_EQ(EvaluateExpression(expr, March9()), expected) << "expression: " << expr;
  }
}

TEST(ExpressionDifferential, PassesRewriteTheTextLikeTheRestartingScan) {
  // The text itself, not only its value: what a pass leaves behind the
  // first operator that no reduction changes never reaches the value, so
  // only a comparison of the texts shows a difference there.
  const std::vector<std::string> pieces = {")", "*", "/", "+", "-", "-", "-", "0", "1", "5", "12",
                                           "2147483648", "3000000000", "5294967296", "4294967295"};
  std::mt19937 rng(7);
  for (int k = 0; k < 300000; ++k) {
    const std::string w = RandomText(rng, pieces, 14);
    for (const char* ops : {"*/", "+-"}) {
      std::string fast = w, slow = w;
      long steps = 0;
      RewritePass(fast, ops[0], ops[1]);
      reference::PassScan(slow, ops[0], ops[1], steps);
      ASSERT_LT(steps, 1000000) << w;
      ASSERT_EQ(fast, slow) << "text: " << w << " operators " << ops;
    }
  }
}

}  // namespace
}  // namespace dz
