#include "core/link_scan.h"

#include <gtest/gtest.h>

namespace dz {
namespace {

std::vector<std::string> Texts(std::string_view stored) {
  std::vector<std::string> out;
  for (const Link& l : ScanLinks(stored)) out.push_back(l.text);
  return out;
}
using V = std::vector<std::string>;

TEST(ScanLinks, MarksInTextOrderWithEscapesKept) {
  EXPECT_EQ(Texts(""), V{});
  EXPECT_EQ(Texts("no marks < \\ > here"), V{});
  EXPECT_EQ(Texts("see <\\http://a.example/\\> and <\\me@b.example\\>!"),
            (V{"http://a.example/", "me@b.example"}));
  // A mark written across a line break and a tab keeps the stored escapes,
  // and blanks stay as typed.
  EXPECT_EQ(Texts("<\\http://a.$$example`x \\>"), V{"http://a.$$example`x "});
  EXPECT_EQ(Texts("<\\\\>"), V{""});            // empty mark
  EXPECT_EQ(Texts("<\\\\><\\\\>"), (V{"", ""}));
  EXPECT_EQ(Texts("<\\\\>>"), V{""});           // the '>' after a mark is plain text
}

TEST(ScanLinks, UnclosedAndNestedMarkers) {
  EXPECT_EQ(Texts("<\\never closed"), V{});
  EXPECT_EQ(Texts("<\\a\\> then <\\open"), V{"a"});
  EXPECT_EQ(Texts("<\\>"), V{});                 // "<\" then ">": open, not closed
  EXPECT_EQ(Texts("<"), V{});
  EXPECT_EQ(Texts("<\\"), V{});
  EXPECT_EQ(Texts("x\\>y<\\z\\>"), V{"z"});      // a closing marker outside is plain
  EXPECT_EQ(Texts("<\\a<\\b\\>c\\>"), V{"a<\\b"});  // an opening marker inside is text
  EXPECT_EQ(Texts("<<\\a\\>"), V{"a"});
  EXPECT_EQ(Texts("<\\a\\\\>"), V{"a\\"});
}

TEST(ScanLinks, TrailBytesAreNeverMarkers) {
  // "ソ" is 83 5C and "表" is 95 5C: their trail byte is '\'.
  EXPECT_EQ(Texts("<\\\x83\x5C>x\\>"), V{"\x83\x5C>x"});
  EXPECT_EQ(Texts("<\\\x95\x5C\\>"), V{"\x95\x5C"});
  // A lead byte swallows what follows, even a '<' that no valid pair holds.
  EXPECT_EQ(Texts("\x81<\\a\\>"), V{});
  EXPECT_EQ(Texts("\x83<\\a\\>"), V{});
  EXPECT_EQ(Texts("\xE0\\<\\a\\>"), V{"a"});    // E0 5C is one character; then a real mark
  // A lead byte at the very end inside a mark stays with the open mark.
  EXPECT_EQ(Texts("<\\a\x82"), V{});
  EXPECT_EQ(Texts("<\\\x82\xA0\\>"), V{"\x82\xA0"});
  // Half-width katakana (A1..DF) are single-byte characters.
  EXPECT_EQ(Texts("\xB1<\\\xB2\\>"), V{"\xB2"});
}

TEST(ScanLinks, TenAtMostAndLongTextsWhole) {
  std::string stored;
  for (int i = 0; i < 12; ++i) stored += "<\\" + std::to_string(i) + "\\> ";
  V ten = Texts(stored);
  ASSERT_EQ(ten.size(), 10u);
  EXPECT_EQ(ten.front(), "0");
  EXPECT_EQ(ten.back(), "9");

  std::string longLink = "http://example.com/";
  while (longLink.size() < 5000) longLink += "\x83\x5C" "abc";
  V one = Texts("<\\" + longLink + "\\>");
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0], longLink);
}

TEST(ScanLinks, CaptionsDoubleAmpersands) {
  std::vector<Link> l = ScanLinks("<\\http://x/?a=1&b=2\\><\\&&\\><\\\\>");
  ASSERT_EQ(l.size(), 3u);
  EXPECT_EQ(l[0].text, "http://x/?a=1&b=2");
  EXPECT_EQ(l[0].caption, "http://x/?a=1&&b=2");
  EXPECT_EQ(l[1].caption, "&&&&");
  EXPECT_EQ(l[2].caption, "");
  EXPECT_EQ(MenuCaption("\x83\x5C&"), "\x83\x5C&&");
}

TEST(LinkOpenTargets, AsItStandsThenAsMailAddress) {
  LinkTargets web = LinkOpenTargets("http://a.example/");
  EXPECT_EQ(web.first, "http://a.example/");
  EXPECT_EQ(web.retry, "mailto:http://a.example/");
  LinkTargets mail = LinkOpenTargets("me@b.example");
  EXPECT_EQ(mail.first, "me@b.example");
  EXPECT_EQ(mail.retry, "mailto:me@b.example");
  // Long links are not cut for the prefix.
  std::string longMail(600, 'm');
  longMail += "@c.example";
  EXPECT_EQ(LinkOpenTargets(longMail).retry, "mailto:" + longMail);
  LinkTargets already = LinkOpenTargets("MailTo:me@b.example");
  EXPECT_EQ(already.first, "MailTo:me@b.example");
  EXPECT_EQ(already.retry, "");
  LinkTargets empty = LinkOpenTargets("");
  EXPECT_EQ(empty.first, "");
  EXPECT_EQ(empty.retry, "");
  EXPECT_EQ(LinkOpenTargets("mailto").retry, "mailto:mailto");
}

}  // namespace
}  // namespace dz
