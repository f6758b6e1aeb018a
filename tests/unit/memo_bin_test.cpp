#include "core/memo_bin.h"

#include <gtest/gtest.h>

#include "core/keys.h"
#include "fake_fs.h"

namespace dz {
namespace {

const ClockFields kClock{2026, 12, 8, 10, 30};

KeptMemo Memo(const std::string& text, const std::string& when) {
  KeptMemo m;
  m.keys = {{"Text", text}, {"x", "5"}};
  m.deleted = when;
  return m;
}

class MemoBinTest : public ::testing::Test {
 protected:
  test::FakeFileSystem fs;
  SettingsFile cat{fs, "data/data1.dat"};
  SettingsFile bin{fs, "backup/bin/data1.dat"};
};

// ---- which keys belong to which memo --------------------------------------------

TEST(MemoKeys, OnlyANumberFollowedByANameIsAMemoKey) {
  struct Case {
    const char* key;
    bool memo;
    int n;
    const char* property;
  } cases[] = {
      {"0Text", true, 0, "Text"},     {"12x", true, 12, "x"},      {"99Id", true, 99, "Id"},
      {"1SomethingNew", true, 1, "SomethingNew"},
      {"No", false, 0, ""},           {"TemplateFont", false, 0, ""}, {"12", false, 0, ""},
      {"01Text", false, 0, ""},       {"1234567890Text", false, 0, ""}, {"", false, 0, ""},
  };
  for (const Case& c : cases) {
    int n = -1;
    std::string_view prop;
    EXPECT_EQ(SplitMemoKey(c.key, &n, &prop), c.memo) << c.key;
    if (c.memo) {
      EXPECT_EQ(n, c.n) << c.key;
      EXPECT_EQ(prop, c.property) << c.key;
    }
  }
}

TEST_F(MemoBinTest, EveryKeyOfTheMemoIsTakenAndNoKeyOfAnother) {
  fs.Put("data/data1.dat",
         "[ChildWindow]\r\nNo=13\r\n1Text=one\r\n1x=10\r\n11Text=eleven\r\n1Id=abc\r\n1FutureKey=kept\r\n"
         "TemplateBack=2\r\n1Back=2\r\n1Text=a second 1Text is never read\r\n"
         "[Xdata]\r\nNo1=7\r\nNo11=9\r\n[Ydata]\r\nNo1=-3\r\n");
  const KeptMemo m = ReadKeptMemo(cat, 1);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"Text", "one"}, {"x", "10"}, {"Id", "abc"}, {"FutureKey", "kept"}, {"Back", "2"}};
  EXPECT_EQ(m.keys, expected);
  EXPECT_EQ(m.vOffset, 7);
  EXPECT_EQ(m.hOffset, -3);

  // The window's place replaces the stored one whatever the spelling.
  KeptMemo placed = m;
  SetProperty(placed, "X", "20");
  SetProperty(placed, "l", "30");
  EXPECT_EQ(placed.keys[1], (std::pair<std::string, std::string>("x", "20")));
  EXPECT_EQ(placed.keys.back(), (std::pair<std::string, std::string>("l", "30")));
  EXPECT_EQ(placed.keys.size(), m.keys.size() + 1);
}

// ---- order and limit ------------------------------------------------------------------

TEST_F(MemoBinTest, NewestFirstOneReplacementEachAndTheOldestDropOutBeyondTheLimit) {
  struct Step {
    int kept;          // memos put in before looking
    size_t expectSize;
    const char* newest;
    const char* oldest;
  } steps[] = {
      {1, 1, "m0", "m0"},
      {3, 3, "m2", "m0"},
      {kBinKept, kBinKept, "m99", "m0"},
      {kBinKept + 1, kBinKept, "m100", "m1"},
      {kBinKept + 5, kBinKept, "m104", "m5"},
  };
  int done = 0;
  for (const Step& s : steps) {
    for (; done < s.kept; ++done) {
      const int before = fs.replaceCalls;
      ASSERT_TRUE(KeepInBin(bin, Memo("m" + std::to_string(done), "2026/12/08 10:00:00")));
      ASSERT_EQ(fs.replaceCalls, before + 1);
    }
    const std::vector<KeptMemo> in = ReadBin(bin);
    ASSERT_EQ(in.size(), s.expectSize) << s.kept;
    EXPECT_EQ(in.front().keys[0].second, s.newest) << s.kept;
    EXPECT_EQ(in.back().keys[0].second, s.oldest) << s.kept;
    EXPECT_EQ(bin.Read(kSecMemos, "No", ""), std::to_string(s.expectSize));
  }
}

TEST_F(MemoBinTest, KeysOffsetsAndTimeComeBackExactly) {
  KeptMemo m;
  m.keys = {{"Text", " blanks at both ends "}, {"Back", "C:\\pics\\a b.png"}, {"Id", "\"quoted\""}, {"x", "-40"}};
  m.vOffset = 12;
  m.hOffset = -7;
  m.deleted = "2026/12/08 10:31:02";
  ASSERT_TRUE(KeepInBin(bin, m));
  const std::vector<KeptMemo> in = ReadBin(bin);
  ASSERT_EQ(in.size(), 1u);
  EXPECT_EQ(in[0].keys, m.keys);
  EXPECT_EQ(in[0].vOffset, 12);
  EXPECT_EQ(in[0].hOffset, -7);
  EXPECT_EQ(in[0].deleted, m.deleted);
}

TEST_F(MemoBinTest, ADamagedCountLosesNoKeptMemo) {
  fs.Put("backup/bin/data1.dat",
         "[ChildWindow]\r\nNo=x\r\n0Text=a\r\n1Text=b\r\n2Text=c\r\n[Deleted]\r\nNo0=t0\r\nNo1=t1\r\nNo2=t2\r\n");
  ASSERT_TRUE(KeepInBin(bin, Memo("new", "t")));
  const std::vector<KeptMemo> in = ReadBin(bin);
  ASSERT_EQ(in.size(), 4u);
  EXPECT_EQ(in[3].keys[0].second, "c");
  EXPECT_EQ(in[3].deleted, "t2");
}

// ---- restoring -----------------------------------------------------------------------

TEST_F(MemoBinTest, ARestoredMemoTakesTheNextNumberInOneReplacement) {
  // The last number's "WindowLebel" stays behind after a delete; it must
  // not become part of the memo that comes back.
  fs.Put("data/data1.dat", "[ChildWindow]\r\nNo=1\r\n0Text=stays\r\n1WindowLebel=1\r\n1Stale=old\r\n");
  KeptMemo m;
  m.keys = {{"Text", "back"}, {"WindowLebel", "0"}, {"Id", "abc"}};
  m.vOffset = 4;
  m.hOffset = 5;
  const int before = fs.replaceCalls;
  ASSERT_EQ(WriteRestoredMemo(cat, m), 1);
  EXPECT_EQ(fs.replaceCalls, before + 1);
  EXPECT_EQ(ReadKeptMemo(cat, 1).keys, m.keys);
  EXPECT_EQ(cat.Read(kSecMemos, "0Text", ""), "stays");
  EXPECT_EQ(cat.Read(kSecMemos, "No", ""), "2");
  EXPECT_EQ(cat.ReadInt(kSecVOffset, "No1", 0), 4);
  EXPECT_EQ(cat.ReadInt(kSecHOffset, "No1", 0), 5);
}

// ---- captions -------------------------------------------------------------------------

TEST(BinCaptions, FirstShownLineCutAtThirtyCharactersWithAmpersandsDoubled) {
  const std::string thirtyA(30, 'a');
  // "あ" is two bytes in CP932; thirty of them are thirty characters.
  std::string thirtyKana;
  for (int i = 0; i < 30; ++i) thirtyKana += "\x82\xa0";
  struct Case {
    std::string stored;
    std::string caption;
  } cases[] = {
      {"hello", "hello"},
      {"first$second", "first"},
      {"first$$second", "first"},
      {"$$$$  $second", "second"},      // blank lines are skipped
      {"", kEmptyMemoCaption},
      {"$ $", kEmptyMemoCaption},
      {thirtyA + "b", thirtyA},
      {thirtyKana + "\x82\xa0", thirtyKana},
      {std::string(29, 'a') + "\x82\xa0" + "b", std::string(29, 'a') + "\x82\xa0"},
      {"a&b", "a&&b"},
      {std::string(29, 'a') + "&&", std::string(29, 'a') + "&&"},  // cut before doubling
      {"a`b", "a b"},                                             // a stored tab
      {"<\\http://x\\>", "http://x"},                             // link marks are not shown
      {"^1+2^", "3"},                                             // nor expressions, their values are
  };
  for (const Case& c : cases) EXPECT_EQ(BinCaption(c.stored, kClock), c.caption) << c.stored;
}

TEST(BinCaptions, TheMenuListsTheNewestFirstWithMinutesOnly) {
  std::vector<KeptMemo> memos;
  for (int i = 0; i < 25; ++i) memos.push_back(Memo("m" + std::to_string(i), "2026/12/08 10:30:4" + std::to_string(i % 10)));
  memos[1].keys = {{"x", "1"}};  // no text at all
  const std::vector<BinItem> items = ListBin(memos, kBinListed, kClock);
  ASSERT_EQ(items.size(), kBinListed);
  EXPECT_EQ(items[0].caption, "m0");
  EXPECT_EQ(items[0].when, "2026/12/08 10:30");
  EXPECT_EQ(items[1].caption, kEmptyMemoCaption);
  EXPECT_EQ(items[19].caption, "m19");
  EXPECT_TRUE(ListBin({}, kBinListed, kClock).empty());
}

TEST(SettingsEntries, EveryKeyOnceInFileOrderAsGetReadsIt) {
  IniDocument d = IniDocument::Parse("[A]\r\nk=1\r\n; c\r\nK=2\r\nq=\"x \"\r\nb = y \r\n[B]\r\nz=3\r\n");
  const std::vector<std::pair<std::string, std::string>> expected = {{"k", "1"}, {"q", "x "}, {"b", "y"}};
  EXPECT_EQ(d.Entries("a"), expected);
  EXPECT_TRUE(d.Entries("none").empty());
}

}  // namespace
}  // namespace dz
