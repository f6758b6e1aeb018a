#include "core/conflict_fold.h"

#include <gtest/gtest.h>

#include <set>

#include "fake_fs.h"

namespace dz {
namespace {

StoredMemo M(const char* id, const char* text, int x = 0, int y = 0) {
  StoredMemo m;
  m.keys = {{"x", std::to_string(x)}, {"y", std::to_string(y)}, {"Text", text}};
  if (*id) m.keys.emplace_back("Id", id);
  return m;
}

std::vector<StoredMemo> Many(int n) {
  std::vector<StoredMemo> v;
  for (int i = 0; i < n; ++i) v.push_back(M(("h" + std::to_string(i)).c_str(), ("here " + std::to_string(i)).c_str()));
  return v;
}

std::string Texts(const std::vector<StoredMemo>& memos) {
  std::string out;
  for (const StoredMemo& m : memos) out += (out.empty() ? "" : "|") + m.Text();
  return out;
}

struct FoldCase {
  const char* what;
  std::vector<StoredMemo> copy, here;
  const char* added;  // texts joined by '|'
  int equal, leftOut;
};

TEST(ConflictFold, AddsWhatOnlyTheCopyHoldsAndDoublesNothing) {
  const FoldCase cases[] = {
      {"only in the copy, by identity", {M("a", "one"), M("b", "two")}, {M("a", "one")}, "two", 1, 0},
      {"equal on both sides", {M("a", "one")}, {M("a", "one")}, "", 1, 0},
      {"text differs", {M("a", "old")}, {M("a", "new")}, "old", 0, 0},
      {"no identities: by text", {M("", "one"), M("", "two")}, {M("", "one")}, "two", 1, 0},
      {"identity in the copy only: by text", {M("a", "one")}, {M("", "one")}, "", 1, 0},
      {"identity here only: by text", {M("", "one")}, {M("a", "one")}, "", 1, 0},
      // Each memo here stands for one memo of the copy.
      {"the same text twice", {M("", "todo"), M("", "todo")}, {M("", "todo")}, "todo", 1, 0},
      // Each PC gave the memo it read without identity one of its own.
      {"other identity, same text", {M("b", "one")}, {M("a", "one")}, "", 1, 0},
      // The memo here is the one of its identity, not of the one before.
      {"a copy of it first", {M("b", "todo"), M("a", "todo")}, {M("a", "todo")}, "todo", 1, 0},
      {"edited here, the copy's text here too", {M("a", "old")}, {M("a", "new"), M("c", "old")}, "", 1, 0},
      {"empty copy", {}, {M("a", "one")}, "", 0, 0},
      {"empty here", {M("a", "one"), M("", "")}, {}, "one|", 0, 0},
      {"beyond the limit", {M("x", "new 1"), M("y", "new 2"), M("z", "new 3")}, Many(kMaxMemos - 1), "new 1", 0, 2},
      {"full", {M("x", "new 1"), M("h0", "here 0")}, Many(kMaxMemos), "", 1, 1},
  };
  for (const FoldCase& c : cases) {
    const MemoFold f = PlanMemoFold(c.copy, c.here);
    EXPECT_EQ(Texts(f.add), c.added) << c.what;
    EXPECT_EQ(f.equal, c.equal) << c.what;
    EXPECT_EQ(f.leftOut, c.leftOut) << c.what;
  }
}

TEST(ConflictFold, NoIdentityIsGivenTwiceAndNoneIsMadeUpForAMemoWithout) {
  const std::vector<StoredMemo> here = {M("a", "new", 100, 200), M("", "plain")};
  const std::vector<StoredMemo> copy = {M("a", "old", 5, 5), M("b", "two"), M("b", "two again"), M("", "three")};
  const MemoFold f = PlanMemoFold(copy, here);
  ASSERT_EQ(Texts(f.add), "old|two|two again|three");
  std::set<std::string> ids = {"a"};
  for (size_t i = 0; i < 3; ++i) {
    ASSERT_TRUE(f.add[i].Id()) << f.add[i].Text();
    EXPECT_TRUE(ids.insert(*f.add[i].Id()).second) << "identity given twice: " << *f.add[i].Id();
  }
  EXPECT_EQ(*f.add[1].Id(), "b") << "a memo only in the copy keeps its identity";
  // Made up here, it would differ from the one the other PC makes up, and
  // the two would be two memos from then on.
  EXPECT_FALSE(f.add[3].Id());
  // Beside the memo it differs from, with the copy's other keys.
  EXPECT_EQ(*f.add[0].Find("x"), "120");
  EXPECT_EQ(*f.add[0].Find("y"), "220");
}

TEST(ConflictFold, FoldingTheSameCopyAgainOrOnAnotherPcAddsNothingMore) {
  const std::vector<StoredMemo> copy = {M("a", "old"), M("b", "two"), M("", "three")};
  const std::vector<StoredMemo> here = {M("a", "new")};
  const MemoFold first = PlanMemoFold(copy, here);
  ASSERT_EQ(first.add.size(), 3u);
  std::vector<StoredMemo> after = here;
  after.insert(after.end(), first.add.begin(), first.add.end());
  const MemoFold again = PlanMemoFold(copy, after);
  EXPECT_EQ(Texts(again.add), "");
  EXPECT_EQ(again.equal, 3);
  // The other PC folds the same copy into the same file: the same memos
  // under the same identities, so their files agree.
  const MemoFold other = PlanMemoFold(copy, here);
  for (size_t i = 0; i < first.add.size(); ++i) EXPECT_EQ(other.add[i].Id(), first.add[i].Id());
  // A memo an older fold added, edited here since: the copy's text is
  // added once more, under yet another identity.
  after[1].Put("Text", "old, edited");
  const MemoFold edited = PlanMemoFold(copy, after);
  EXPECT_EQ(Texts(edited.add), "old");
  EXPECT_NE(*edited.add[0].Id(), *after[1].Id());
}

TEST(ConflictFold, AppendWritesEveryKeyOfTheNewMemosInOneReplacement) {
  test::FakeFileSystem fs;
  fs.Put("copy.dat",
         "[ChildWindow]\r\nNo=2\r\n0Text=one\r\n0x=5\r\n0Shadow=3\r\n1Text=two\r\n1Id=b\r\n2Text=beyond count\r\n");
  fs.Put("here.dat",
         "[ChildWindow]\r\nNo=1\r\n0Text=zero\r\nTemplatex=7\r\n1Text=deleted\r\n1Brows=1\r\n"
         "[Xdata]\r\nNo1=40\r\n");
  SettingsFile copy(fs, "copy.dat"), here(fs, "here.dat");
  const std::vector<StoredMemo> memos = ReadStoredMemos(copy);
  ASSERT_EQ(Texts(memos), "one|two") << "keys past the count are no memo";
  EXPECT_EQ(*memos[0].Find("Shadow"), "3") << "keys this program does not know come along";
  ASSERT_TRUE(AppendMemos(here, memos));
  EXPECT_EQ(fs.replaceCalls, 1);
  EXPECT_EQ(here.Read("ChildWindow", "No", ""), "3");
  EXPECT_EQ(here.Read("ChildWindow", "0Text", ""), "zero");
  EXPECT_EQ(here.Read("ChildWindow", "1Text", ""), "one");
  EXPECT_EQ(here.Read("ChildWindow", "1Shadow", ""), "3");
  EXPECT_FALSE(here.Get("ChildWindow", "1Brows")) << "a deleted memo's key must not become the new one's";
  EXPECT_EQ(here.Read("ChildWindow", "2Id", ""), "b");
  EXPECT_EQ(here.Read("Xdata", "No1", ""), "0");
  EXPECT_EQ(here.Read("ChildWindow", "Templatex", ""), "7");
  // More than the category holds: nothing is written.
  EXPECT_FALSE(AppendMemos(here, Many(kMaxMemos)));
  EXPECT_EQ(fs.replaceCalls, 1);
  EXPECT_EQ(here.Read("ChildWindow", "No", ""), "3");
}

TEST(ConflictFold, CategoryListGainsTheMissingUsableNamesUpToTheLimit) {
  struct Case {
    const char* what;
    std::vector<std::string> copy, here, added;
    int leftOut;
  };
  const Case cases[] = {
      {"missing here", {"data1", "work", "home"}, {"data1", "home"}, {"work"}, 0},
      {"same file name", {"WORK"}, {"work"}, {}, 0},
      {"unusable names", {"a\\b", "CON", "", "ok"}, {"data1"}, {"ok"}, 0},
      {"twice in the copy", {"x", "x"}, {"data1"}, {"x"}, 0},
      {"limit", {"c9", "c10", "c11"}, {"1", "2", "3", "4", "5", "6", "7", "8"}, {"c9", "c10"}, 1},
  };
  for (const Case& c : cases) {
    const CategoryFold f = PlanCategoryFold(c.copy, c.here, 20);
    EXPECT_EQ(f.add, c.added) << c.what;
    EXPECT_EQ(f.leftOut, c.leftOut) << c.what;
  }
}

}  // namespace
}  // namespace dz
