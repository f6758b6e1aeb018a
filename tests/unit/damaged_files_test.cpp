// Damaged and hand-edited settings files through the settings engine and
// the two readers built on it (the memo table, the category list). One
// table of files; for every one: nothing crashes, reads give values within
// their limits, and a write changes only the keys it means to change:
// every other line, garbage included, comes back byte for byte (line ends
// become CR LF).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/category_list.h"
#include "core/keys.h"
#include "core/limits.h"
#include "core/memo_store.h"
#include "core/memo_sync.h"
#include "core/settings.h"
#include "core/sjis.h"
#include "fake_fs.h"
#include "ini_lines.h"

namespace dz {
namespace {

using test::B;
using test::Garbage;
using test::Join;
using test::Keys;
using test::Lines;
using test::OnlyTheseKeysChanged;
using test::Utf16;

const char kCat[] = "data/data1.dat";
const char kApp[] = "Memo.dat";
const std::string kNew = "\x90\x56\x8b\x4b";  // "新規"

// ---- building the files ----------------------------------------------------

// Memos 0..n-1 with a place and a text each.
std::string Memos(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) {
    const std::string k = std::to_string(i);
    s += k + "x=" + std::to_string(10 * i) + "\r\n" + k + "y=20\r\n" + k + "h=120\r\n" + k + "l=80\r\n" + k +
         "Text=memo " + k + "\r\n";
  }
  return s;
}

std::string Category(const std::string& no, int memos) {
  return "[ChildWindow]\r\nNo=" + no + "\r\n" + Memos(memos);
}

std::string Repeat(const std::string& s, size_t times) {
  std::string out;
  out.reserve(s.size() * times);
  while (times--) out += s;
  return out;
}

const std::string kMegabyte = Repeat("\x83\x5c" "abc$`", (1 << 20) / 7 + 1).substr(0, 1 << 20);

// ---- the table -------------------------------------------------------------

struct Probe {
  const char* section;
  std::string key;
  std::optional<std::string> value;  // what Read(.., 8191 bytes) gives; nullopt: absent
};

struct Case {
  const char* name;
  bool app;            // Memo.dat; otherwise the category file
  std::string bytes;
  int count;           // memo count (category file) or number of categories (Memo.dat)
  std::vector<Probe> probes = {};
  std::vector<std::string> names = {};  // Memo.dat: the category names expected
  std::string current = "data1";        // Memo.dat: the current category expected
  // Text the engine cannot read (UTF-16): it reads as empty, and writes fail
  // rather than put Shift_JIS lines into it.
  bool refusesWrites = false;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

std::vector<Case> Catalogue() {
  const std::string three = "1Cagoteri=A\r\n2Cagoteri=B\r\n3Cagoteri=C\r\n";
  return {
      // -- category files --
      {"EmptyFile", false, "", 0},
      {"BinaryGarbage", false, Garbage(4096, 1), 0},
      {"GarbageAroundTheSection", false,
       Garbage(2000, 2, true) + "\r\n" + Category("2", 2) + Garbage(2000, 3, true) + "\r\n", 2,
       {{"ChildWindow", "1Text", "memo 1"}}},
      {"NulBytesInValues", false, Category("1", 0) + B("0Text=ab\0cd\r\n0x=1\0" "9\r\n"), 1,
       {{"ChildWindow", "0Text", B("ab\0cd")}, {"ChildWindow", "0x", B("1\0" "9")}}},
      {"NulBytesInNamesAndLines", false,
       B("\0\0\0\r\n[Child\0Window]\r\nNo=5\r\n") + Category("2", 2) + B("\0=\0\r\n"), 2},
      {"Utf8ByteOrderMark", false, "\xef\xbb\xbf" + Category("2", 2), 2, {{"ChildWindow", "1x", "10"}}},
      {"Utf8ByteOrderMarkBeforeComment", false, "\xef\xbb\xbf; hand made\r\n" + Category("1", 1), 1},
      {"Utf16LittleEndianFile", false, Utf16(Category("2", 2), false), 0, {}, {}, "data1", true},
      {"Utf16BigEndianFile", false, Utf16(Category("2", 2), true), 0, {}, {}, "data1", true},
      {"MegabyteMemoText", false, Category("1", 0) + "0Text=" + kMegabyte + "\r\n0x=7\r\n", 1,
       {{"ChildWindow", "0Text", kMegabyte.substr(0, SjisPrefixLen(kMegabyte, kMaxTextChars))},
        {"ChildWindow", "0x", "7"}}},
      {"MegabyteGarbageLine", false, Garbage(1 << 20, 4, true) + "\r\n" + Category("1", 1), 1},
      {"MegabyteLineWithoutLineEnd", false, Category("1", 1) + "; " + Garbage(1 << 20, 5, true), 1},
      {"NoSectionsAtAll", false, "No=3\r\n" + Memos(3), 0, {{"ChildWindow", "0x", std::nullopt}}},
      {"DuplicateSections", false, Category("1", 1) + "[Other]\r\nz=1\r\n" + Category("5", 5), 1,
       {{"ChildWindow", "1x", std::nullopt}}},
      {"DuplicateKeys", false, "[ChildWindow]\r\nNo=2\r\nNO=7\r\n0x=1\r\n0X=2\r\n" + Memos(2), 2,
       {{"ChildWindow", "0x", "1"}}},
      {"CountNegative", false, Category("-5", 3), 3},
      {"CountMinimum", false, Category("-2147483648", 3), 3},
      {"CountMaximum", false, Category("2147483647", 3), 100},
      {"CountBeyond32Bits", false, Category("4294967297", 3), 100},
      {"CountOfTwentyDigits", false, Category("99999999999999999999", 3), 100},
      {"CountOneAboveTheLimit", false, Category("101", 3), 100},
      {"CountNoNumber", false, Category("three", 3), 3},
      {"CountQuotedAndBlank", false, "[ChildWindow]\r\n  No  =  \"2\"  \r\n" + Memos(3), 2},
      {"HugeAndNegativeNumbers", false,
       "[Xdata]\r\nNo0=2147483647\r\nNo99=-2147483648\r\n[Ydata]\r\nNo0=99999999999\r\n[ChildWindow]\r\nNo=1\r\n"
       "0x=-2147483649\r\n0y=+-5\r\n0h=-1\r\n0l=0\r\n0FontHeight=-99999\r\nCustColor0=-1\r\n"
       "CustColor15=4294967295\r\n",
       1, {{"Xdata", "No99", "-2147483648"}}},
      {"LoneLeadBytesAtLineEnds", false,
       "[ChildWindow]\r\nNo=2\x82\r\n0Text=abc\x82\r\n0x=5\x9f\r\n\xe0\r\n1Text=\x82\r\n; \x82", 2,
       {{"ChildWindow", "0Text", "abc\x82"}, {"ChildWindow", "1Text", "\x82"}}},
      {"LoneLeadByteEndsTheHeader", false, "[ChildWindow\x82]\r\nNo=2\r\n" + Memos(2), 0},
      {"LeadByteAfterTheHeader", false, "[ChildWindow]\x82\r\nNo=2\r\n" + Memos(2), 2},
      {"LeadByteIsTheLastByte", false, Category("1", 1) + "0Font=\x83", 1, {{"ChildWindow", "0Font", "\x83"}}},
      {"LfLineEnds", false, "[ChildWindow]\nNo=2\n0Text=a\n1Text=b\n", 2},
      {"CrLineEnds", false, "[ChildWindow]\rNo=2\r0Text=a\r1Text=b\r", 2},
      {"MixedLineEnds", false, "[ChildWindow]\r\r\nNo=2\n\r0Text=a\n\n\r\n1Text=b", 2,
       {{"ChildWindow", "1Text", "b"}}},
      {"ManyGarbageLines", false, Category("3", 3) + Repeat("junk line without equals\r\n", 20000), 3},
      {"OddHeadersAndKeys", false,
       "[]\r\n=empty key\r\n[ChildWindow] trailing\r\n  no  =  2 \r\n[\r\n=\r\n;0Text=commented\r\n" + Memos(2), 2,
       {{"ChildWindow", "0Text", "memo 0"}}},
      {"LowerCaseNames", false, "[childwindow]\r\nno=2\r\n0text=a\r\n1TEXT=b\r\n", 2, {{"ChildWindow", "1Text", "b"}}},
      {"FullTable", false, Category("100", 100), 100, {{"ChildWindow", "99Text", "memo 99"}}},
      // -- application files --
      {"AppEmptyFile", true, "", 1, {}, {"data1"}},
      {"AppBinaryGarbage", true, Garbage(4096, 6), 1, {}, {"data1"}},
      {"AppCountZero", true, "[Cagoteri]\r\nCagoteriNo=0\r\n" + three + "NowCagoteri=B\r\n", 3, {}, {"A", "B", "C"}, "B"},
      {"AppCount99", true, "[Cagoteri]\r\nCagoteriNo=99\r\n" + three + "NowCagoteri=C\r\n", 10, {},
       {"A", "B", "C", "data1", "data1", "data1", "data1", "data1", "data1", "data1"}, "C"},
      {"AppCountNegative", true, "[Cagoteri]\r\nCagoteriNo=-1\r\n" + three, 3, {}, {"A", "B", "C"}},
      {"AppCountBeyond32Bits", true, "[Cagoteri]\r\nCagoteriNo=4294967298\r\n" + three, 10},
      {"AppCountMissing", true, "[Cagoteri]\r\n" + three, 1, {}, {"A"}},
      {"AppUtf8ByteOrderMark", true, "\xef\xbb\xbf[Cagoteri]\r\nCagoteriNo=2\r\n1Cagoteri=A\r\n2Cagoteri=B\r\nNowCagoteri=B\r\n",
       2, {}, {"A", "B"}, "B"},
      {"AppUnsafeNames", true,
       "[Cagoteri]\r\nCagoteriNo=4\r\n1Cagoteri=..\\..\\evil\r\n2Cagoteri=CON\r\n3Cagoteri=abc\x82\r\n4Cagoteri=ok\r\n"
       "NowCagoteri=..\\..\\evil\r\n",
       4, {}, {"..\\..\\evil", "CON", "abc\x82", "ok"}, "data1"},
      {"AppCurrentWithLoneLeadByte", true, "[Cagoteri]\r\nCagoteriNo=1\r\n1Cagoteri=A\x82\r\nNowCagoteri=A\x82", 1, {},
       {"A\x82"}, "data1"},
      {"AppDuplicateSectionsAndKeys", true,
       "[Cagoteri]\r\nCagoteriNo=2\r\n1Cagoteri=A\r\n1Cagoteri=X\r\n2Cagoteri=B\r\n[Cagoteri]\r\nCagoteriNo=9\r\n", 2,
       {}, {"A", "B"}},
      {"AppUtf16File", true, Utf16("[Cagoteri]\r\nCagoteriNo=2\r\n1Cagoteri=A\r\n2Cagoteri=B\r\n", false), 1, {},
       {"data1"}, "data1", true},
      {"AppMegabyteName", true, "[Cagoteri]\r\nCagoteriNo=1\r\n1Cagoteri=" + kMegabyte + "\r\nNowCagoteri=" + kMegabyte,
       1, {}, {kMegabyte}, "data1"},
  };
}

// ---- the tests -------------------------------------------------------------

class DamagedFiles : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override { fs.Put(GetParam().app ? kApp : kCat, GetParam().bytes); }
  const std::string& file() { return fs.files[GetParam().app ? kApp : kCat]; }
  test::FakeFileSystem fs;
  SettingsFile cat{fs, kCat};
  SettingsFile app{fs, kApp};
};

TEST_P(DamagedFiles, ReadsGiveValuesWithinTheirLimits) {
  const Case& c = GetParam();
  // Untouched, a file serialises to its own lines.
  EXPECT_EQ(IniDocument::Parse(c.bytes).Serialize(), Join(Lines(c.bytes)));
  SettingsFile& f = c.app ? app : cat;
  for (const Probe& p : c.probes) {
    std::optional<std::string> v = f.Get(p.section, p.key);
    if (v) *v = f.Read(p.section, p.key, "", kMaxTextChars);
    EXPECT_EQ(v, p.value) << p.section << "/" << p.key;
  }
  if (!c.app) {
    const LoadedTable t = LoadTable(cat, kDefaultHomePage);
    EXPECT_EQ(t.count, c.count);
    ASSERT_GE(t.count, 0);
    ASSERT_LE(t.count, kMaxMemos);
    ASSERT_EQ(t.memos.size(), static_cast<size_t>(t.count));
    for (const LoadedMemo& m : t.memos) {
      EXPECT_LE(m.font.face.size(), static_cast<size_t>(kMaxValueChars));
      EXPECT_LE(m.broUrl.size(), static_cast<size_t>(kMaxValueChars));
    }
    for (int n = 0; n < t.count; ++n)
      EXPECT_LE(cat.Read(kSecMemos, MemoKey(n, "Text"), "", kMaxTextChars).size(), static_cast<size_t>(kMaxTextChars));
  } else {
    const int n = CategoryCount(app);
    EXPECT_EQ(n, c.count);
    ASSERT_GE(n, 1);
    ASSERT_LE(n, kMaxCategories);
    const std::vector<std::string> names = ReadCategories(app);
    ASSERT_EQ(names.size(), static_cast<size_t>(n));
    if (!c.names.empty()) {
      EXPECT_EQ(names, c.names);
    }
    EXPECT_EQ(CurrentCategory(app, 10), c.current);
    // Only a name that is safe as a path is ever opened.
    for (int k = 0; k <= n + 1; ++k) {
      std::string name = "<untouched>";
      const CategoryStatus s = CategoryToOpen(app, k, 10, &name);
      if (s == CategoryStatus::kOk) {
        EXPECT_EQ(CheckCategoryName(name, 10), CategoryStatus::kOk) << k;
      } else {
        EXPECT_EQ(name, "<untouched>") << k;
      }
    }
  }
  EXPECT_EQ(fs.replaceCalls, 0) << "reading wrote the file";
}

TEST_P(DamagedFiles, WritesChangeOnlyTheKeysTheyMeanToChange) {
  const Case& c = GetParam();
  // One key, as the program writes a property.
  const char* section = c.app ? kSecCategory : kSecMemos;
  const char* key = c.app ? "NowCagoteri" : "0Text";
  SettingsFile& f = c.app ? app : cat;
  std::string before = file();
  if (c.refusesWrites) {
    EXPECT_FALSE(f.Write(section, key, "edited"));
    EXPECT_FALSE(c.app ? AddCategory(app, kNew, 10) == CategoryStatus::kOk : SaveTable(cat, TableState{}, TableState{}));
    EXPECT_TRUE(file() == before) << "the file was changed";
    EXPECT_EQ(fs.replaceCalls, 0);
    return;
  }
  const bool existed = f.Get(section, key).has_value();
  ASSERT_TRUE(f.Write(section, key, "edited"));
  EXPECT_TRUE(OnlyTheseKeysChanged(before, file(), {{section, key}}));
  // A key it found is changed in place; a new one adds itself (and its section).
  if (existed) {
    EXPECT_EQ(Lines(file()).size(), Lines(before).size());
  } else {
    EXPECT_LE(Lines(file()).size(), Lines(before).size() + 2);
  }
  EXPECT_EQ(IniDocument::Parse(file()).Get(section, key), "edited");

  // A whole save, as the program does on exit or when it adds a category.
  before = file();
  Keys keys;
  if (!c.app) {
    const LoadedTable t = LoadTable(cat, kDefaultHomePage);
    const TableState read = ReadTableState(cat);
    TableState mine = read;
    for (size_t n = 0; n < mine.memos.size(); ++n)
      if (mine.memos[n].id.empty()) mine.memos[n].id = "id" + std::to_string(n);
    if (!mine.memos.empty()) mine.memos[0].place.x ^= 1;  // a move, whatever the stored number
    ASSERT_TRUE(SaveTable(cat, read, mine));
    // The move, and the identities of memos stored without one.
    for (int n = 0; n < t.count; ++n)
      for (const char* p : {"x", "Id"}) keys.push_back({kSecMemos, MemoKey(n, p)});
    EXPECT_TRUE(OnlyTheseKeysChanged(before, file(), keys));
    // Everything the table held reads back the same.
    const LoadedTable again = LoadTable(cat, kDefaultHomePage);
    ASSERT_EQ(again.count, t.count);
    for (int n = 0; n < t.count; ++n) {
      EXPECT_EQ(again.memos[n].place.x, mine.memos[static_cast<size_t>(n)].place.x) << n;
      EXPECT_EQ(again.memos[n].place.h, t.memos[n].place.h) << n;
      EXPECT_EQ(again.memos[n].font.face, t.memos[n].font.face) << n;
    }
    EXPECT_TRUE(std::equal(std::begin(again.vOffset), std::end(again.vOffset), std::begin(t.vOffset)));

    // Deleting the first memo moves only memo keys.
    if (t.count >= 1) {
      static const char* const kProps[] = {"WindowLebel", "FontColor", "Style",  "x",         "y",      "h",
                                           "l",           "Text",      "Font",   "FontHeight", "Italic", "UnderLine",
                                           "OnLine",      "Back",      "Color1", "Color2",     "Color3", "GradMode",
                                           "Brows",       "BroURL",    "Id"};
      std::vector<std::optional<std::string>> texts;
      for (int n = 0; n < t.count; ++n) texts.push_back(cat.Get(kSecMemos, MemoKey(n, "Text")));
      before = file();
      ASSERT_TRUE(RenumberAfterDelete(cat, 0, t.count));
      Keys memoKeys;
      for (int n = 0; n < t.count; ++n)
        for (const char* p : kProps) memoKeys.push_back({kSecMemos, MemoKey(n, p)});
      EXPECT_TRUE(OnlyTheseKeysChanged(before, file(), memoKeys));
      for (int n = 0; n + 1 < t.count; ++n) EXPECT_EQ(cat.Get(kSecMemos, MemoKey(n, "Text")), texts[n + 1]) << n;
      EXPECT_EQ(cat.Get(kSecMemos, MemoKey(t.count - 1, "Text")), std::nullopt);
    }
  } else {
    const std::vector<std::string> names = ReadCategories(app);
    const CategoryStatus s = AddCategory(app, kNew, 10);
    keys.push_back({kSecCategory, "CagoteriNo"});
    for (int k = 1; k <= kMaxCategories; ++k) keys.push_back({kSecCategory, std::to_string(k) + "Cagoteri"});
    EXPECT_TRUE(OnlyTheseKeysChanged(before, file(), keys));
    if (names.size() < static_cast<size_t>(kMaxCategories)) {
      ASSERT_EQ(s, CategoryStatus::kOk);
      std::vector<std::string> expected = names;
      expected.push_back(kNew);
      EXPECT_EQ(ReadCategories(app), expected);
    } else {
      EXPECT_EQ(s, CategoryStatus::kListFull);
      EXPECT_TRUE(file() == before) << "the file was changed";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Catalogue, DamagedFiles, ::testing::ValuesIn(Catalogue()),
                         [](const ::testing::TestParamInfo<Case>& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace dz
