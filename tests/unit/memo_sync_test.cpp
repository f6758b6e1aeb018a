// Memos of a category file that another program changes too: matching by
// identity, what a table save may write, deleting and adding against the
// file as it is now.
#include "core/memo_sync.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/keys.h"
#include "fake_fs.h"

namespace dz {
namespace {

using Ids = std::vector<std::string>;

struct MatchCase {
  const char* name;
  Ids table, file;
  std::vector<int> expected;
};

TEST(MatchMemos, FindsEachMemoOfTheFileInTheTable) {
  const MatchCase cases[] = {
      {"Unchanged", {"a", "b", "c"}, {"a", "b", "c"}, {0, 1, 2}},
      // The other program deleted the first memo and renumbered the rest.
      {"FirstDeletedElsewhere", {"a", "b", "c"}, {"b", "c"}, {1, 2}},
      {"AddedElsewhere", {"a"}, {"a", "d"}, {0, -1}},
      {"Reordered", {"a", "b"}, {"b", "a"}, {1, 0}},
      // A file written by a program that keeps no identities: by number.
      {"FileWithoutIds", {"a", "b"}, {"", ""}, {0, 1}},
      {"MoreStoredThanShownWithoutIds", {"a"}, {"", ""}, {0, -1}},
      // The record of that number is elsewhere in the file: no number match.
      {"NumberTakenByItsOwnIdElsewhere", {"a", "b"}, {"", "a"}, {-1, 0}},
      {"NumberAlreadyMatchedById", {"a", "b"}, {"b", ""}, {1, -1}},
      // A memo copied with its identity is a new memo the second time.
      {"DuplicateIdInFile", {"a"}, {"a", "a"}, {0, -1}},
      {"EverythingReplaced", {"a", "b"}, {"x", "y"}, {-1, -1}},
      {"EmptyFile", {"a"}, {}, {}},
  };
  for (const MatchCase& c : cases) EXPECT_EQ(MatchMemos(c.table, c.file), c.expected) << c.name;
}

MemoState M(const std::string& id, int x, int y = 0, int v = 0, int h = 0) {
  return MemoState{id, Placement{x, y, 100, 100}, v, h};
}
TableState T(std::vector<MemoState> memos, uint32_t colour0 = 0) {
  TableState t;
  t.memos = std::move(memos);
  t.custColors[0] = colour0;
  return t;
}

struct WritesCase {
  const char* name;
  TableState read, mine, now;
  std::set<std::string> expected;  // "section/key=value"
};

TEST(TableWrites, WritesOnlyWhatChangedHereAtTheNumberTheFileHasNow) {
  const WritesCase cases[] = {
      {"NothingChanged", T({M("a", 1), M("b", 2)}), T({M("a", 1), M("b", 2)}), T({M("a", 1), M("b", 2)}), {}},
      {"MovedHere", T({M("a", 1)}), T({M("a", 7, 8)}), T({M("a", 1)}), {"ChildWindow/0x=7", "ChildWindow/0y=8"}},
      // Memo a was deleted elsewhere: b, moved here, is memo 0 now.
      {"MovedHereAfterRenumberingElsewhere", T({M("a", 1), M("b", 2)}), T({M("a", 1), M("b", 9)}), T({M("b", 2)}),
       {"ChildWindow/0x=9"}},
      {"MovedElsewhereOnly", T({M("a", 1)}), T({M("a", 1)}), T({M("a", 5)}), {}},
      {"DeletedElsewhereAfterAMoveHere", T({M("a", 1)}), T({M("a", 3)}), T({}), {}},
      // Never a count, never keys of a memo this program does not show.
      {"AddedElsewhere", T({M("a", 1)}), T({M("a", 1)}), T({M("a", 1), M("z", 40)}), {}},
      {"ScrolledHere", T({M("a", 1), M("b", 2)}), T({M("a", 1), M("b", 2, 0, 30, 10)}), T({M("b", 2), M("a", 1)}),
       {"Xdata/No0=30", "Ydata/No0=10"}},
      {"ScrolledElsewhereOnly", T({M("a", 1)}), T({M("a", 1)}), T({M("a", 1, 0, 50)}), {}},
      {"SameChangeOnBothSides", T({M("a", 1)}), T({M("a", 6)}), T({M("a", 6)}), {}},
      {"IdentityOfAMemoStoredWithoutGoesWithAWrite", T({M("", 1)}), T({M("q", 2)}), T({M("", 1)}),
       {"ChildWindow/0x=2", "ChildWindow/0Id=q"}},
      {"IdentityAloneWritesNothing", T({M("", 1)}), T({M("q", 1)}), T({M("", 1)}), {}},
      {"ColourChangedHere", T({}, 0), T({}, 255), T({}, 0), {"ChildWindow/CustColor0=255"}},
      {"ColourChangedElsewhereOnly", T({}, 0), T({}, 0), T({}, 99), {}},
      // A record nothing was read for: all of it is this program's.
      {"RecordNeverRead", T({}), T({M("a", 3, 4)}), T({M("a", 3)}), {"ChildWindow/0y=4"}},
  };
  for (const WritesCase& c : cases) {
    std::set<std::string> got;
    for (const KeyWrite& w : TableWrites(c.read, c.mine, c.now)) got.insert(w.section + "/" + w.key + "=" + w.value);
    EXPECT_EQ(got, c.expected) << c.name;
  }
}

class MemoSyncFileTest : public ::testing::Test {
 protected:
  std::string Key(int n, const char* p) { return cat.Read(kSecMemos, MemoKey(n, p), "<absent>", 8191); }
  test::FakeFileSystem fs;
  SettingsFile cat{fs, "data/data1.dat"};
};

TEST_F(MemoSyncFileTest, DeleteFollowsTheIdentityIntoTheFileAsItIsNow) {
  // Memo a was deleted elsewhere; this program still numbers b as 1.
  fs.Put("data/data1.dat",
         "[Xdata]\r\nNo0=5\r\nNo1=6\r\n[ChildWindow]\r\nNo=2\r\n0Id=b\r\n0Text=B\r\n1Id=c\r\n1Text=C\r\n");
  ASSERT_TRUE(DeleteStoredMemo(cat, "b", 1));
  EXPECT_EQ(cat.Read(kSecMemos, "No", ""), "1");
  EXPECT_EQ(Key(0, "Id"), "c");
  EXPECT_EQ(Key(0, "Text"), "C");
  EXPECT_EQ(Key(1, "Id"), "<absent>");
  EXPECT_EQ(cat.Read(kSecVOffset, "No0", ""), "6");
  EXPECT_FALSE(cat.Get(kSecVOffset, "No1").has_value());
  // Already gone: nothing to do, nothing written.
  const int writes = fs.replaceCalls;
  EXPECT_TRUE(DeleteStoredMemo(cat, "b", 0));
  EXPECT_EQ(fs.replaceCalls, writes);
  EXPECT_EQ(Key(0, "Text"), "C");
}

TEST_F(MemoSyncFileTest, AppendedCopyTakesTheLookShiftedWithANewIdentity) {
  fs.Put("data/data1.dat",
         "[Xdata]\r\nNo1=70\r\n[ChildWindow]\r\nNo=1\r\n0Id=a\r\n0x=10\r\n0y=20\r\n0Back=2\r\n0Text=T\r\n");
  const MemoKeys keys = ReadMemoKeys(cat, 0);
  EXPECT_EQ(AppendMemo(cat, keys, "n", "other", 24, 24), 1);
  EXPECT_EQ(fs.replaceCalls, 1);
  EXPECT_EQ(cat.Read(kSecMemos, "No", ""), "2");
  EXPECT_EQ(Key(1, "x"), "34");
  EXPECT_EQ(Key(1, "y"), "44");
  EXPECT_EQ(Key(1, "Back"), "2");
  EXPECT_EQ(Key(1, "Text"), "other");
  EXPECT_EQ(Key(1, "Id"), "n");
  EXPECT_FALSE(cat.Get(kSecVOffset, "No1").has_value()) << "a left-over offset would scroll the new memo";
  EXPECT_EQ(Key(0, "Text"), "T");
}

TEST_F(MemoSyncFileTest, AFileWithoutIdentitiesGetsThemWithItsFirstWriteOnly) {
  fs.Put("data/data1.dat", "[ChildWindow]\r\nNo=2\r\n0Text=a\r\n1x=5\r\n");
  const Ids ids = {"p", "q", "r"};
  cat.OnNextWrite([ids](IniDocument& d) { return AddMissingIds(d, ids); });
  EXPECT_EQ(Key(0, "Text"), "a");
  EXPECT_EQ(fs.replaceCalls, 0) << "reading writes nothing";
  ASSERT_TRUE(cat.Write(kSecMemos, "0Text", "b"));
  EXPECT_EQ(Key(0, "Id"), "p");
  EXPECT_EQ(Key(1, "Id"), "q");
  EXPECT_EQ(Key(2, "Id"), "<absent>") << "no memo there";
  EXPECT_EQ(fs.replaceCalls, 1);
  fs.Put("data/data1.dat", "[ChildWindow]\r\nNo=1\r\n0Text=a\r\n");
  ASSERT_TRUE(cat.Write(kSecMemos, "0Text", "c"));
  EXPECT_EQ(Key(0, "Id"), "<absent>") << "the addition runs once";
}

TEST_F(MemoSyncFileTest, VersionMovesForOtherWritersOnly) {
  fs.Put("data/data1.dat", "[ChildWindow]\r\nNo=0\r\n");
  cat.Readable();
  const uint64_t first = cat.Version();
  ASSERT_TRUE(cat.Write(kSecMemos, "No", "1"));
  cat.Readable();
  EXPECT_EQ(cat.Version(), first) << "its own write";
  fs.Put("data/data1.dat", "[ChildWindow]\r\nNo=2\r\n");
  cat.Readable();
  EXPECT_GT(cat.Version(), first);
}

TEST(FormatMemoId, ThirtyTwoHexDigits) {
  const uint8_t bytes[16] = {0x00, 0x01, 0xab, 0xff, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x10, 0x9c};
  EXPECT_EQ(FormatMemoId(bytes), "0001abff00000000000000000000109c");
}

}  // namespace
}  // namespace dz
