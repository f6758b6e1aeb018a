#include <gtest/gtest.h>

#include "core/clock.h"
#include "core/escape.h"
#include "core/keys.h"
#include "core/number.h"
#include "core/sjis.h"

namespace dz {
namespace {

TEST(ParseInt, BlanksSignsAndGarbage) {
  EXPECT_EQ(ParseInt("123"), 123);
  EXPECT_EQ(ParseInt(" \t\r\n\v\f-45xyz"), -45);
  EXPECT_EQ(ParseInt("+7"), 7);
  EXPECT_EQ(ParseInt("12 34"), 12);
  EXPECT_EQ(ParseInt("abc"), 0);
  EXPECT_EQ(ParseInt(""), 0);
  EXPECT_EQ(ParseInt("-"), 0);
  EXPECT_EQ(ParseInt("+-3"), 0);  // one sign only
  EXPECT_EQ(ParseInt("- 3"), 0);
  EXPECT_EQ(ParseInt("0x10"), 0);
  EXPECT_EQ(ParseInt("007"), 7);
}

TEST(ParseInt, WrapsAroundAt32Bits) {
  EXPECT_EQ(ParseInt("2147483647"), 2147483647);
  EXPECT_EQ(ParseInt("-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseInt("2147483648"), INT32_MIN);
  EXPECT_EQ(ParseInt("4294967295"), -1);
  EXPECT_EQ(ParseInt("4294967296"), 0);
  EXPECT_EQ(ParseInt("4294967297"), 1);
  EXPECT_EQ(ParseInt("99999999999999999999"), static_cast<int32_t>(1661992959u));
}

TEST(ParseInt, SaturatingStopsAtTheLimits) {
  EXPECT_EQ(ParseIntSaturating(" +12x"), 12);
  EXPECT_EQ(ParseIntSaturating("2147483647"), INT32_MAX);
  EXPECT_EQ(ParseIntSaturating("2147483648"), INT32_MAX);
  EXPECT_EQ(ParseIntSaturating("4294967297"), INT32_MAX);
  EXPECT_EQ(ParseIntSaturating("99999999999999999999999999"), INT32_MAX);
  EXPECT_EQ(ParseIntSaturating("-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseIntSaturating("-4294967295"), INT32_MIN);
  EXPECT_EQ(ParseIntSaturating("-"), 0);
}

TEST(FormatInt, PrintfDecimal) {
  EXPECT_EQ(FormatInt(0), "0");
  EXPECT_EQ(FormatInt(-15), "-15");
  EXPECT_EQ(FormatInt(16777215), "16777215");
  EXPECT_EQ(FormatInt(INT32_MIN), "-2147483648");
  EXPECT_EQ(ParseInt(FormatInt(INT32_MIN)), INT32_MIN);
}

TEST(EscapeText, ReplacesTabsAndLineBreaks) {
  EXPECT_EQ(EscapeText("a\tb\r\nc\nd\re"), "a`b$$c$d$e");
  EXPECT_EQ(EscapeText("\x83\x5c\t"), "\x83\x5c`");
  EXPECT_EQ(EscapeText(""), "");
}

TEST(DecodeText, ReadsEscapesCharacterByCharacter) {
  EXPECT_EQ(DecodeText("a$b"), "a\nb");
  EXPECT_EQ(DecodeText("a$$b"), "a\r\nb");
  EXPECT_EQ(DecodeText("$$$"), "\r\n\n");
  EXPECT_EQ(DecodeText("$$$$"), "\r\n\r\n");
  EXPECT_EQ(DecodeText("x`y"), "x\ty");
  // "チ" is 0x83 0x60: its trail byte is '`' and must stay.
  EXPECT_EQ(DecodeText("\x83\x60`"), "\x83\x60\t");
  // "ソ" 0x83 0x5C followed by '$'.
  EXPECT_EQ(DecodeText("\x83\x5c$"), "\x83\x5c\n");
  // A lead byte at the very end stands alone.
  EXPECT_EQ(DecodeText("$\x83"), "\n\x83");
  // A lead byte swallows the next byte even when it is '$'.
  EXPECT_EQ(DecodeText("\x83$$"), "\x83$\n");
}

TEST(EscapeText, RoundTripTurnsLoneCrIntoLf) {
  EXPECT_EQ(DecodeText(EscapeText("l1\r\nl2\tx")), "l1\r\nl2\tx");
  EXPECT_EQ(DecodeText(EscapeText("a\rb")), "a\nb");
}

TEST(SjisPrefixLen, NeverSplitsACharacter) {
  const std::string s = "a\x83\x5c" "b\x83\x5b";
  EXPECT_EQ(SjisPrefixLen(s, 0), 0u);
  EXPECT_EQ(SjisPrefixLen(s, 1), 1u);
  EXPECT_EQ(SjisPrefixLen(s, 2), 1u);
  EXPECT_EQ(SjisPrefixLen(s, 3), 3u);
  EXPECT_EQ(SjisPrefixLen(s, 5), 4u);
  EXPECT_EQ(SjisPrefixLen(s, 6), 6u);
  EXPECT_EQ(SjisPrefixLen(s, 100), 6u);
  EXPECT_EQ(SjisPrefixLen("ab\x83", 3), 3u);  // a dangling lead byte is one character
}

TEST(Keys, MemoAndOffsetKeys) {
  EXPECT_EQ(MemoKey(12, "Text"), "12Text");
  EXPECT_EQ(MemoKey(0, "x"), "0x");
  EXPECT_EQ(OffsetKey(0), "No0");
  EXPECT_EQ(OffsetKey(99), "No99");
}

int TicksUntilRepaint(int firstSecond) {
  MinuteClock c;
  EXPECT_EQ(c.OnAlignTick(firstSecond), MinuteClock::Action::None);
  for (int t = 1; t <= 120; ++t)
    if (c.OnAlignTick(0) == MinuteClock::Action::Repaint) return t;
  return -1;
}

TEST(MinuteClock, RepaintsAtTheMinuteBoundary) {
  EXPECT_EQ(TicksUntilRepaint(0), 60);
  EXPECT_EQ(TicksUntilRepaint(59), 1);
  EXPECT_EQ(TicksUntilRepaint(30), 30);
  EXPECT_EQ(TicksUntilRepaint(60), 1);  // leap second
}

TEST(MinuteClock, FirstTickOnlyStartsTheCountdown) {
  MinuteClock c;
  EXPECT_FALSE(c.counting());
  EXPECT_EQ(c.OnAlignTick(15), MinuteClock::Action::None);
  EXPECT_TRUE(c.counting());
  EXPECT_EQ(c.countdown(), 45);
  // The second read on later ticks does not matter.
  EXPECT_EQ(c.OnAlignTick(59), MinuteClock::Action::None);
  EXPECT_EQ(c.countdown(), 44);
}

}  // namespace
}  // namespace dz
