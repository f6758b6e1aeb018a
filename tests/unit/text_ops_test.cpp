#include <gtest/gtest.h>

#include "core/escape.h"
#include "core/text_ops.h"

namespace dz {
namespace {

std::string Bytes(size_t n, char c = 'a') { return std::string(n, c); }

TEST(InsertFileText, JoinsWithALineBreakAtTheStartAndNothingAtTheEnd) {
  EXPECT_EQ(InsertFileText("x", "abc", true), "abc$$x");
  EXPECT_EQ(InsertFileText("x", "abc", false), "xabc");
  // The separator reads back as one CR LF: the texts sit on consecutive lines.
  EXPECT_EQ(DecodeText(*InsertFileText("x", "abc", true)), "abc\r\nx");
}

TEST(InsertFileText, EscapesTheFileTextAndKeepsTheStoredText) {
  EXPECT_EQ(InsertFileText("old$$one`x", "a\tb\r\nc\nd\re", false), "old$$one`xa`b$$c$d$e");
  EXPECT_EQ(InsertFileText("s", "a\tb\r\n", true), "a`b$$$$s");
  // Trail bytes that look like markers stay as they are: ソ is 0x83 0x5C.
  EXPECT_EQ(InsertFileText("", "\x83\x5C\t", false), "\x83\x5C`");
}

TEST(InsertFileText, EmptyFile) {
  EXPECT_EQ(InsertFileText("x", "", true), "$$x");
  EXPECT_EQ(InsertFileText("x", "", false), "x");
  EXPECT_EQ(InsertFileText("", "", false), "");
}

TEST(InsertFileText, LimitAtTheEndIsExactlyTheStoredLimit) {
  EXPECT_TRUE(InsertFileText(Bytes(8000), Bytes(191), false).has_value());
  EXPECT_EQ(InsertFileText(Bytes(8000), Bytes(191), false)->size(), 8191u);
  EXPECT_FALSE(InsertFileText(Bytes(8000), Bytes(192), false).has_value());
  EXPECT_TRUE(InsertFileText("", Bytes(8191), false).has_value());
  EXPECT_FALSE(InsertFileText("", Bytes(8192), false).has_value());
  EXPECT_FALSE(InsertFileText(Bytes(7000), Bytes(1200), false).has_value());
}

TEST(InsertFileText, LimitAtTheStartCountsTheTwoSeparatorCharacters) {
  EXPECT_TRUE(InsertFileText(Bytes(8000), Bytes(189), true).has_value());
  EXPECT_EQ(InsertFileText(Bytes(8000), Bytes(189), true)->size(), 8191u);
  EXPECT_FALSE(InsertFileText(Bytes(8000), Bytes(190), true).has_value());
  EXPECT_TRUE(InsertFileText("", Bytes(8189), true).has_value());
  EXPECT_FALSE(InsertFileText("", Bytes(8190), true).has_value());
}

TEST(InsertClipboardText, JoinsWithNoSeparatorAndEscapes) {
  EXPECT_EQ(InsertClipboardText("x", "abc", true), "abcx");
  EXPECT_EQ(InsertClipboardText("x", "abc", false), "xabc");
  EXPECT_EQ(InsertClipboardText("x", "a\tb\r\nc", true), "a`b$$cx");
  EXPECT_EQ(InsertClipboardText("x", "", true), "x");
}

TEST(InsertClipboardText, LimitIsExactlyTheStoredLimitBothWays) {
  for (bool atStart : {true, false}) {
    SCOPED_TRACE(atStart ? "start" : "end");
    EXPECT_TRUE(InsertClipboardText(Bytes(4000), Bytes(4191), atStart).has_value());
    EXPECT_FALSE(InsertClipboardText(Bytes(4000), Bytes(4192), atStart).has_value());
    EXPECT_FALSE(InsertClipboardText(Bytes(8191), "b", atStart).has_value());
    EXPECT_TRUE(InsertClipboardText(Bytes(8191), "", atStart).has_value());
  }
}

TEST(InsertPageLink, MarkOnALineOfItsOwnBeforeOrAfterTheText) {
  EXPECT_EQ(InsertPageLink("T", "http://a/", true), "<\\http://a/\\>$$T");
  EXPECT_EQ(InsertPageLink("T", "http://a/", false), "T$$<\\http://a/\\>");
  EXPECT_EQ(DecodeText(*InsertPageLink("one$two", "u", false)), "one\ntwo\r\n<\\u\\>");
  // An empty memo still gets the separator: the mark is on the second line.
  EXPECT_EQ(InsertPageLink("", "u", true), "<\\u\\>$$");
  // Shift_JIS in the address stays as it is (ソ ends in 0x5C).
  EXPECT_EQ(InsertPageLink("", "\x83\x5C", false), "$$<\\\x83\x5C\\>");
}

TEST(InsertPageLink, ResultNeverExceedsTheStoredLimit) {
  // Six bytes of marks and separator: address + text may be 8185 bytes.
  for (bool atStart : {true, false}) {
    auto fits = InsertPageLink(Bytes(8000), Bytes(185, 'u'), atStart);
    ASSERT_TRUE(fits.has_value()) << atStart;
    EXPECT_EQ(fits->size(), 8191u);
    EXPECT_FALSE(InsertPageLink(Bytes(8000), Bytes(186, 'u'), atStart).has_value()) << atStart;
    EXPECT_FALSE(InsertPageLink(Bytes(8000), Bytes(187, 'u'), atStart).has_value()) << atStart;
  }
  // A long text is kept whole in front of the new mark.
  const std::string text = Bytes(5000, 'x');
  auto r = InsertPageLink(text, "http://a/", false);
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->substr(0, 5000), text);
  EXPECT_EQ(r->substr(5000), "$$<\\http://a/\\>");
}

TEST(NewMemoText, FitsUpTo8191Bytes) {
  EXPECT_EQ(NewMemoText("a\tb\r\nc"), "a`b$$c");
  EXPECT_EQ(NewMemoText(Bytes(8191))->size(), 8191u);
  EXPECT_FALSE(NewMemoText(Bytes(8192)).has_value());
  EXPECT_EQ(NewMemoText(""), "");
}

TEST(UpToFirstZero, CutsAtTheFirstZeroByte) {
  using namespace std::string_literals;
  EXPECT_EQ(UpToFirstZero("abc\0def"s), "abc");
  EXPECT_EQ(UpToFirstZero("\0abc"s), "");
  EXPECT_EQ(UpToFirstZero("abc"), "abc");
  // A long file whose text ends early fits: only the part before the zero counts.
  std::string file = Bytes(100) + '\0' + Bytes(9000);
  EXPECT_TRUE(NewMemoText(UpToFirstZero(file)).has_value());
}

TEST(IsPictureFileName, TheListedExtensionsInTheirListedCaseOnly) {
  for (const char* name : {"photo.bmp", "a.dib", "a.jpg", "photo.jpeg", "a.gif", "a.ico", "a.png", "a.tif",
                           "a.tiff", "A.BMP", "a.DIB", "a.JPG", "a.JPEG", "a.Jpeg", "a.GIF", "a.ICO",
                           "photo.PNG", "a.TIF", "a.TIFF", "Z:\\dir.txt\\x.png"})
    EXPECT_TRUE(IsPictureFileName(name)) << name;
  for (const char* name : {"photo.Png", "a.Jpg", "a.JPeG", "notes.txt", "png", "a.png.txt", "a.pngx",
                           "a_png", "", "a.webp", "a.Gif"})
    EXPECT_FALSE(IsPictureFileName(name)) << name;
}

TEST(FormatInsert, PlainDecimalWithoutLeadingZeros) {
  EXPECT_EQ(FormatTimeInsert(9, 5, 7), "9:5:7");
  EXPECT_EQ(FormatTimeInsert(23, 59, 0), "23:59:0");
  EXPECT_EQ(FormatDateInsert(2005, 7, 4), "2005/7/4");
  EXPECT_EQ(FormatDateInsert(2026, 12, 31), "2026/12/31");
}

}  // namespace
}  // namespace dz
