#include "core/category_list.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>

#include "fake_fs.h"

namespace dz {
namespace {

using S = CategoryStatus;
using V = std::vector<std::string>;
constexpr size_t kBase = 10;  // "C:\\Dereziz"

// The rules for a typed name, which include those for a stored one.
S Check(std::string_view name, const V& others = {}) { return CheckNewCategoryName(name, kBase, others); }

TEST(CategoryName, EmptyBadCharactersAndEdges) {
  EXPECT_EQ(Check(""), S::kEmpty);
  for (const char* bad : {"a\\b", "a/b", "C:", "a*", "why?", "say \"hi\"", "<a>", "a|b", "a\tb", "a\nb",
                          "a\x7F", "\x01"})
    EXPECT_EQ(Check(bad), S::kBadCharacter) << bad;
  EXPECT_EQ(Check(std::string("a\0b", 3)), S::kBadCharacter);
  // Trail bytes 5C ('\') and 7C ('|') belong to their character: "ソフト", "表", "−".
  EXPECT_EQ(Check("\x83\x5C\x83\x74\x83\x67"), S::kOk);
  EXPECT_EQ(Check("\x95\x5C"), S::kOk);
  EXPECT_EQ(Check("\x81\x7C"), S::kOk);
  for (const char* edge : {".", "..", " a", "a ", ".a", "a.", "a..", "\x81\x40" "a", "a\x81\x40"})
    EXPECT_EQ(Check(edge), S::kEdgeBlankOrDot) << edge;
  EXPECT_EQ(Check("my memos v1.2"), S::kOk);
  EXPECT_EQ(Check("\xB1\xB2\xB3"), S::kOk);  // half-width katakana
  EXPECT_EQ(Check(" a?"), S::kBadCharacter);  // the first fault in the enum's order
}

TEST(CategoryName, StoredNamesOpenWhereWindowsCanHoldThemTypedOnesStayStrict) {
  struct Row {
    const char* name;
    S stored, typed;
  } rows[] = {
      {".notes", S::kOk, S::kEdgeBlankOrDot},
      {"\x83\x81\x83\x82\x81\x40", S::kOk, S::kEdgeBlankOrDot},  // "メモ" + full-width blank
      {"\x81\x40\x83\x81\x83\x82", S::kOk, S::kEdgeBlankOrDot},  // full-width blank + "メモ"
      {" lead", S::kOk, S::kEdgeBlankOrDot},
      // Windows drops a blank or '.' at the end: "a." would open "a".
      {"a.", S::kEdgeBlankOrDot, S::kEdgeBlankOrDot},
      {"a ", S::kEdgeBlankOrDot, S::kEdgeBlankOrDot},
      {"\x81\x40.", S::kEdgeBlankOrDot, S::kEdgeBlankOrDot},
      {".", S::kEdgeBlankOrDot, S::kEdgeBlankOrDot},
      {"..", S::kEdgeBlankOrDot, S::kEdgeBlankOrDot},
      // Leaving the folder, devices and broken bytes stay refused either way.
      {"..\\x", S::kBadCharacter, S::kBadCharacter},
      {"con", S::kReservedName, S::kReservedName},
      {"nul.notes", S::kReservedName, S::kReservedName},
      {".a\x82", S::kBadEncoding, S::kBadEncoding},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(CheckCategoryName(r.name, kBase), r.stored) << r.name;
    EXPECT_EQ(CheckNewCategoryName(r.name, kBase, {}), r.typed) << r.name;
  }
  // The duplicate test belongs to typed names only.
  EXPECT_EQ(CheckCategoryName("Work", kBase), S::kOk);
  EXPECT_EQ(CheckNewCategoryName("Work", kBase, {"work"}), S::kDuplicate);
}

TEST(CategoryName, ReservedDeviceNamesWithAnyExtension) {
  for (const char* dev : {"CON", "con", "Prn", "aux", "NUL", "COM1", "com9", "COM0", "LPT1", "lpt9", "con.txt",
                          "Com1.dat", "nul .txt", "AUX.a.b", "CONIN$", "conout$.x"})
    EXPECT_EQ(Check(dev), S::kReservedName) << dev;
  for (const char* ok : {"CONX", "xcon", "COM10", "COMa", "LPT", "con1", "nul_", "console.txt",
                         "\x82\x62\x82\x6E\x82\x6D"})  // full-width "ＣＯＮ"
    EXPECT_EQ(Check(ok), S::kOk) << ok;
}

TEST(CategoryName, LengthFitsEveryPathOfTheCategory) {
  // base + "\data\" + name + ".dat" + the replacement's temporary suffix <= 259.
  // With a base of 10 characters that leaves 259 - 10 - 36 = 213 for the name.
  EXPECT_EQ(Check(std::string(213, 'a')), S::kOk);
  EXPECT_EQ(Check(std::string(214, 'a')), S::kTooLong);
  // A double-byte character is one UTF-16 unit of the path...
  std::string kana;
  for (int i = 0; i < 100; ++i) kana += "\x82\xA0";  // "あ" x 100: 200 bytes
  EXPECT_EQ(CheckCategoryName(kana, 123), S::kOk);  // 123 + 36 + 100 = 259
  EXPECT_EQ(CheckCategoryName(kana, 124), S::kTooLong);
  // ...but a stored value reads back whole only up to 255 bytes.
  std::string k127, k128;
  for (int i = 0; i < 127; ++i) k127 += "\x82\xA0";
  k128 = k127 + "\x82\xA0";
  EXPECT_EQ(CheckCategoryName(k127, 3), S::kOk);
  EXPECT_EQ(CheckCategoryName(k128, 3), S::kTooLong);
  EXPECT_EQ(CheckCategoryName("a", 1000), S::kTooLong);
  EXPECT_EQ(CheckCategoryName("a", SIZE_MAX), S::kTooLong);
}

TEST(CategoryName, DuplicatesIgnoreCaseAsFileNamesDo) {
  const V list = {"data1", "Work", "\x82\x60\x82\x61", "\x83\x9F", "\x84\x40\x84\x60\x84\x4F"};
  EXPECT_EQ(Check("DATA1", list), S::kDuplicate);
  EXPECT_EQ(Check("work", list), S::kDuplicate);
  EXPECT_EQ(Check("\x82\x81\x82\x82", list), S::kDuplicate);           // "ａｂ" vs "ＡＢ"
  EXPECT_EQ(Check("\x83\xBF", list), S::kDuplicate);                   // "α" vs "Α"
  EXPECT_EQ(Check("\x84\x70\x84\x91\x84\x80", list), S::kDuplicate);   // "аяо" vs "АЯО"
  EXPECT_EQ(Check("data10", list), S::kOk);
  EXPECT_EQ(Check("\x82\x81", list), S::kOk);
  // Trail bytes are not letters: "ャ" (83 61) and "ア" (83 41) differ.
  EXPECT_FALSE(SameCategoryName("\x83\x61", "\x83\x41"));
  EXPECT_FALSE(SameCategoryName("ab", "abc"));
  EXPECT_TRUE(SameCategoryName("", ""));
}

TEST(CategoryName, BrokenShiftJis) {
  for (const char* bad : {"a\x82", "\x82", "\x82\x20z", "\x82\x7F", "a\x80", "\xA0", "\xFD", "\xFF"})
    EXPECT_EQ(Check(bad), S::kBadEncoding) << bad;
}

TEST(CategoryName, EveryRefusalHasItsOwnMessage) {
  std::set<std::string> texts;
  for (int s = static_cast<int>(S::kEmpty); s <= static_cast<int>(S::kWriteFailed); ++s) {
    std::string m = CategoryMessage(static_cast<S>(s));
    EXPECT_FALSE(m.empty()) << s;
    texts.insert(m);
  }
  EXPECT_EQ(texts.size(), 12u);  // every refusal from kEmpty to kWriteFailed
  EXPECT_STREQ(CategoryMessage(S::kOk), "");
  EXPECT_STREQ(CategoryMessage(S::kListFull), "カゴテリが10を超えています。");
  EXPECT_STREQ(CategoryMessage(S::kOnlyOne), "すでにカゴテリが１つしかありません。");
}

class CategoryListTest : public ::testing::Test {
 protected:
  void File(const std::string& section) { fs.Put("Memo.dat", "[Cagoteri]\r\n" + section); }
  std::string Key(const std::string& k) { return app.Get("Cagoteri", k).value_or("<absent>"); }
  test::FakeFileSystem fs;
  SettingsFile app{fs, "Memo.dat"};
};

TEST_F(CategoryListTest, ReadingClampsTheCountAndNeverReadsBeyondIt) {
  EXPECT_EQ(ReadCategories(app), V{"data1"});  // no file at all
  File("CagoteriNo=3\r\n1Cagoteri=A\r\n2Cagoteri=B\r\n4Cagoteri=stale\r\n");
  EXPECT_EQ(ReadCategories(app), (V{"A", "B", "data1"}));
  File("CagoteriNo=25\r\n");
  EXPECT_EQ(CategoryCount(app), 10);
  EXPECT_EQ(ReadCategories(app).size(), 10u);
  // No number, zero or negative: the stored names are counted.
  for (const char* no : {"abc", "0", "-2", ""}) {
    File(std::string("CagoteriNo=") + no + "\r\n1Cagoteri=A\r\n2Cagoteri=B\r\n3Cagoteri=C\r\n5Cagoteri=E\r\n");
    EXPECT_EQ(ReadCategories(app), (V{"A", "B", "C"})) << no;
  }
  File("CagoteriNo=x\r\n");
  EXPECT_EQ(ReadCategories(app), V{"data1"});
  EXPECT_EQ(FindCategory({"A", "B", "A"}, "A"), 2);
  EXPECT_EQ(FindCategory({"A", "B"}, "a"), -1);
}

TEST_F(CategoryListTest, AddingAppendsInOneReplacement) {
  File("CagoteriNo=2\r\n1Cagoteri=A\r\n2Cagoteri=B\r\n3Cagoteri=stale\r\n");
  EXPECT_EQ(AddCategory(app, "\x83\x81\x83\x82", kBase), S::kOk);  // "メモ"
  EXPECT_EQ(fs.replaceCalls, 1);
  EXPECT_EQ(Key("CagoteriNo"), "3");
  EXPECT_EQ(Key("3Cagoteri"), "\x83\x81\x83\x82");
  EXPECT_EQ(ReadCategories(app), (V{"A", "B", "\x83\x81\x83\x82"}));
  // Refused names and duplicates write nothing.
  EXPECT_EQ(AddCategory(app, "a", kBase), S::kDuplicate);
  EXPECT_EQ(AddCategory(app, "con.txt", kBase), S::kReservedName);
  EXPECT_EQ(AddCategory(app, "", kBase), S::kEmpty);
  EXPECT_EQ(fs.replaceCalls, 1);
  // A failed replacement leaves the file as it was.
  const std::string before = fs.files["Memo.dat"];
  fs.failReplace = true;
  EXPECT_EQ(AddCategory(app, "D", kBase), S::kWriteFailed);
  EXPECT_EQ(fs.files["Memo.dat"], before);
  fs.failReplace = false;
  EXPECT_EQ(ReadCategories(app).size(), 3u);
}

TEST_F(CategoryListTest, AddingToAFreshFileAndUpToTheLimit) {
  // No section: the list is the one "data1", so the first add makes two.
  EXPECT_EQ(AddCategory(app, "work", kBase), S::kOk);
  EXPECT_EQ(Key("CagoteriNo"), "2");
  EXPECT_EQ(Key("1Cagoteri"), "data1");
  EXPECT_EQ(Key("2Cagoteri"), "work");
  for (int i = 3; i <= 10; ++i) EXPECT_EQ(AddCategory(app, "c" + std::to_string(i), kBase), S::kOk);
  const int writes = fs.replaceCalls;
  EXPECT_EQ(AddCategory(app, "eleven", kBase), S::kListFull);
  EXPECT_EQ(fs.replaceCalls, writes);
  EXPECT_EQ(Key("CagoteriNo"), "10");
  EXPECT_EQ(Key("11Cagoteri"), "<absent>");
  // An unreadable count does not let an add overwrite a stored name.
  File("CagoteriNo=?\r\n1Cagoteri=A\r\n2Cagoteri=B\r\n");
  EXPECT_EQ(AddCategory(app, "C", kBase), S::kOk);
  EXPECT_EQ(ReadCategories(app), (V{"A", "B", "C"}));
  EXPECT_EQ(Key("CagoteriNo"), "3");
}

TEST_F(CategoryListTest, DeletingClosesTheGapAndLeavesTheLastKey) {
  File("CagoteriNo=3\r\n1Cagoteri=A\r\n2Cagoteri=B\r\n3Cagoteri=C\r\n");
  EXPECT_EQ(DeleteCategory(app, "B"), S::kOk);
  EXPECT_EQ(fs.replaceCalls, 1);
  EXPECT_EQ(fs.files["Memo.dat"], "[Cagoteri]\r\nCagoteriNo=2\r\n1Cagoteri=A\r\n2Cagoteri=C\r\n3Cagoteri=C\r\n");
  // The last one: nothing moves.
  EXPECT_EQ(DeleteCategory(app, "C"), S::kOk);
  EXPECT_EQ(fs.files["Memo.dat"], "[Cagoteri]\r\nCagoteriNo=1\r\n1Cagoteri=A\r\n2Cagoteri=C\r\n3Cagoteri=C\r\n");
  EXPECT_EQ(DeleteCategory(app, "A"), S::kOnlyOne);
  EXPECT_EQ(fs.replaceCalls, 2);
}

TEST_F(CategoryListTest, DeletingFindsTheLastExactNameOrNothing) {
  File("CagoteriNo=3\r\n1Cagoteri=A\r\n2Cagoteri=B\r\n3Cagoteri=A\r\n");
  EXPECT_EQ(DeleteCategory(app, "a"), S::kNotInList);
  EXPECT_EQ(DeleteCategory(app, "Z"), S::kNotInList);
  EXPECT_EQ(fs.replaceCalls, 0);
  EXPECT_EQ(DeleteCategory(app, "A"), S::kOk);
  EXPECT_EQ(ReadCategories(app), (V{"A", "B"}));
  // A count of 25 is 10: the names 11.. are neither read nor written.
  File("CagoteriNo=25\r\n1Cagoteri=A\r\n2Cagoteri=B\r\n11Cagoteri=K\r\n");
  EXPECT_EQ(DeleteCategory(app, "A"), S::kOk);
  EXPECT_EQ(Key("CagoteriNo"), "9");
  EXPECT_EQ(Key("1Cagoteri"), "B");
  EXPECT_EQ(Key("9Cagoteri"), "data1");
  EXPECT_EQ(Key("11Cagoteri"), "K");
}

TEST_F(CategoryListTest, OpeningAndTheCurrentCategoryUseOnlySafeNames) {
  File("CagoteriNo=3\r\n1Cagoteri=A\r\n2Cagoteri=..\\..\\Windows\r\n4Cagoteri=D\r\n");
  std::string name = "unchanged";
  EXPECT_EQ(CategoryToOpen(app, 2, kBase, &name), S::kBadCharacter);
  EXPECT_EQ(name, "unchanged");
  EXPECT_EQ(CategoryToOpen(app, 4, kBase, &name), S::kNotInList);  // stored, but beyond the count
  EXPECT_EQ(CategoryToOpen(app, 0, kBase, &name), S::kNotInList);
  EXPECT_EQ(CategoryToOpen(app, 3, kBase, &name), S::kOk);
  EXPECT_EQ(name, "data1");
  EXPECT_EQ(CategoryToOpen(app, 1, kBase, &name), S::kOk);
  EXPECT_EQ(name, "A");

  EXPECT_EQ(CurrentCategory(app, kBase), "data1");  // no "NowCagoteri"
  const char* unsafe[] = {"..\\..\\Windows\\win", "CON", "a\x82", "\"data2 \"", "", "..",
                          "C:\\abs"};
  for (const char* now : unsafe) {
    File(std::string("NowCagoteri=") + now + "\r\n");
    EXPECT_EQ(CurrentCategory(app, kBase), "data1") << now;
  }
  File("NowCagoteri=\x83\x81\x83\x82\r\n");
  EXPECT_EQ(CurrentCategory(app, kBase), "\x83\x81\x83\x82");
  File("NowCagoteri=.notes\r\n");
  EXPECT_EQ(CurrentCategory(app, kBase), ".notes");
  EXPECT_EQ(CurrentCategory(app, 259), "data1");  // no room left for any path
}

}  // namespace
}  // namespace dz
