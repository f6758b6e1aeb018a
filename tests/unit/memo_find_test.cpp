#include "core/memo_find.h"

#include <gtest/gtest.h>

#include "core/keys.h"
#include "fake_fs.h"
#include "ini_lines.h"
#include "sjis_text.h"

namespace dz {
namespace {

using test::Sjis;

bool Finds(std::string_view text, std::string_view query) {
  return FindQuery(Sjis(query)).Matches(FoldForFind(Sjis(text)));
}

struct MatchCase {
  const char* text;
  const char* query;
  bool found;
  const char* why;
};

TEST(FindMatching, FoldsCaseWidthAndKanaNeverInsideADoubleByteCharacter) {
  const MatchCase cases[] = {
      {"Meeting at Noon", "meeting", true, "ASCII case"},
      {"Ｍｅｅｔｉｎｇ", "meeting", true, "full-width letters in the text"},
      {"meeting", "ＭＥＥＴＩＮＧ", true, "full-width capitals in the query"},
      {"部屋１２３号", "123", true, "full-width digits"},
      {"ガイドブック", "ｶﾞｲﾄﾞﾌﾞｯｸ", true, "half-width katakana with voiced marks"},
      {"パンプキン", "ﾊﾟﾝﾌﾟｷﾝ", true, "semi-voiced marks"},
      {"ヴァイオリン", "ｳﾞｧｲｵﾘﾝ", true, "ｳﾞ is ヴ"},
      {"コーヒー", "ｺｰﾋｰ", true, "the long vowel mark"},
      {"カイド", "ｶﾞｲﾄﾞ", false, "a voiced kana is another kana"},
      {"ハン", "ﾊﾟﾝ", false, "semi-voiced is not plain"},
      {"がいど", "ガイド", false, "hiragana and katakana stay apart"},
      {"Ωmega", "ωmega", false, "only Latin letters lose their case"},
      {"ｱﾞ", "ア゛", true, "a mark no kana takes stands on its own"},
      {"東京タワー", "タワー", true, "double-byte text"},
      {"notes", "", true, "an empty query finds everything"},
      {"grocery list", "list grocery", true, "every word, in any order"},
      {"grocery list", "list bread", false, "every word must be there"},
      {"買い物　リスト", "リスト 買い物", true, "the full-width blank separates words"},
      {"abc", "abcd", false, "longer than the text"},
      // Trail bytes that are ASCII characters never match on their own.
      {"アイウ", "a", false, "ア is 83 41, its trail byte an A"},
      {"ソ", "\\", false, "ソ is 83 5C, its trail byte a backslash"},
      {"Aイ", "ｱ", false, "ｱ folds to 83 41, which follows a real A here"},
  };
  for (const MatchCase& c : cases) EXPECT_EQ(Finds(c.text, c.query), c.found) << c.why << ": " << c.query;
}

TEST(FindCaption, FirstLineThatShowsSomething) {
  struct Row {
    const char* display;
    size_t max;
    const char* caption;
  } rows[] = {
      {"first\r\nsecond", 100, "first"},
      {"\r\n  \n\tthird line\nfourth", 100, " third line"},
      {"a\tb", 100, "a b"},
      {"", 100, ""},
      {" \r\n\t", 100, ""},
      {"abcdefghij", 10, "abcdefghij"},
      {"abcdefghijk", 10, "abcdefgh…"},
      {"あいうえお", 8, "あいう…"},  // 10 bytes; cut at a whole character before the "…"
      {"aあいうえ", 8, "aあい…"},    // 7 bytes of text would split "う"
  };
  for (const Row& r : rows) EXPECT_EQ(FindCaption(Sjis(r.display), r.max), Sjis(r.caption)) << r.display;
}

class MemoFinderTest : public ::testing::Test {
 protected:
  void PutCategory(const std::string& path, const std::vector<std::string>& texts) {
    std::string ini = "[ChildWindow]\r\nNo=" + std::to_string(texts.size()) + "\r\n";
    for (size_t n = 0; n < texts.size(); ++n) ini += MemoKey(static_cast<int>(n), "Text") + "=" + texts[n] + "\r\n";
    fs.Put(path, ini);
  }
  FindResult Find(std::string_view query) { return finder.Find(sources, Sjis(query), clock); }
  test::FakeFileSystem fs;
  MemoFinder finder{fs};
  std::vector<FindSource> sources{{"work", "data/work.dat"}, {Sjis("家"), "data/home.dat"}};
  ClockFields clock;
};

TEST_F(MemoFinderTest, FindsInEveryCategoryInListOrder) {
  PutCategory("data/work.dat", {"Report due$$Friday", "Lunch", Sjis("ﾚﾎﾟｰﾄ")});
  PutCategory("data/home.dat", {"report card", "REPORT$$"});
  FindResult r = Find("report");
  ASSERT_EQ(r.hits.size(), 3u);
  EXPECT_EQ(r.hits[0].source, 0u);
  EXPECT_EQ(r.hits[0].memo, 0);
  EXPECT_EQ(r.hits[0].caption, "Report due");  // the display text's first line
  EXPECT_EQ(r.hits[1].source, 1u);
  EXPECT_EQ(r.hits[1].memo, 0);
  EXPECT_EQ(r.hits[2].memo, 1);
  r = Find("レポート");
  ASSERT_EQ(r.hits.size(), 1u);
  EXPECT_EQ(r.hits[0].memo, 2);
}

TEST_F(MemoFinderTest, MatchesWhatTheMemoShows) {
  clock.year = 2026;
  PutCategory("data/work.dat", {"<\\http://example.com/\\>", "year ^%y^", "tab`here", "a$$b"});
  EXPECT_EQ(Find("http://example.com/").hits.size(), 1u) << "link marks removed";
  EXPECT_EQ(Find("<\\").hits.size(), 0u) << "the markers are not shown";
  EXPECT_EQ(Find("2026").hits.size(), 1u) << "the value of a live expression";
  EXPECT_EQ(Find("%y").hits.size(), 0u) << "not the expression itself";
  EXPECT_EQ(Find("`").hits.size(), 0u) << "escapes decoded";
}

TEST_F(MemoFinderTest, ReadsOnlyChangedFilesAndFollowsTheClock) {
  clock.minute = 1;
  PutCategory("data/work.dat", {"minute ^%i^"});
  PutCategory("data/home.dat", {"plain"});
  Find("x");
  EXPECT_EQ(finder.filesRead(), 2);
  EXPECT_EQ(Find("minute 1").hits.size(), 1u);
  EXPECT_EQ(finder.filesRead(), 2) << "a keystroke reads no file";
  clock.minute = 2;
  EXPECT_EQ(Find("minute 2").hits.size(), 1u) << "the expression moves with the clock";
  EXPECT_EQ(finder.filesRead(), 2) << "without reading its file";
  PutCategory("data/home.dat", {"plain", "changed"});
  EXPECT_EQ(Find("changed").hits.size(), 1u);
  EXPECT_EQ(finder.filesRead(), 3) << "only the changed file is read again";
}

TEST_F(MemoFinderTest, MissingUnreadableAndRepeatedCategories) {
  PutCategory("data/work.dat", {"alpha"});
  sources.push_back({"later", "data/later.dat"});  // no file yet: no memos
  sources.push_back({"work", "data/work.dat"});    // listed twice
  FindResult r = Find("alpha");
  EXPECT_EQ(r.hits.size(), 1u) << "a file listed twice is searched once";
  EXPECT_TRUE(r.unreadable.empty());
  fs.Put("data/home.dat", test::Utf16("["));  // saved as UTF-16 by an editor
  r = Find("alpha");
  ASSERT_EQ(r.unreadable, std::vector<size_t>{1});
  EXPECT_EQ(r.hits.size(), 1u) << "the other categories are still searched";
  PutCategory("data/home.dat", {"alpha again"});
  r = Find("alpha");
  EXPECT_TRUE(r.unreadable.empty());
  EXPECT_EQ(r.hits.size(), 2u) << "read again once it is readable";
}

}  // namespace
}  // namespace dz
