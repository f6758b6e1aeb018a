#include "core/settings.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/posix_fs.h"
#include "fake_fs.h"

namespace dz {
namespace {

// Shift_JIS characters whose trail bytes are '\', '[', ']': "ソ", "ゼ", "ゾ".
const std::string kSo = "\x83\x5c", kZe = "\x83\x5b", kZo = "\x83\x5d";

std::string Get(const IniDocument& d, const char* s, const char* k) { return d.Get(s, k).value_or("<absent>"); }

TEST(IniDocument, ReadsLikeTheProfileFunctions) {
  IniDocument d = IniDocument::Parse(
      "; leading comment\n"
      "  [Sec]  \r\n"
      "  Key  =   spaced value  \r\n"
      "dq=\"  quoted  \"\n"
      "sq='x'\n"
      "one=\"\n"
      "mixed=\"abc'\n"
      "empty=\n"
      "eq=a=b=c\n"
      "noequals\n"
      "dup=first\n"
      "DUP=second\n"
      "[other]\n"
      "dup=other\n"
      "[sec]\n"
      "late=hidden by the first [Sec]\n");
  IniDocument c = IniDocument::Parse("[S]\n; k=v\n[x=1\n");
  // Like the system: a ';' line or an unclosed '[' line with '=' is a key.
  EXPECT_EQ(Get(c, "S", "; k"), "v");
  EXPECT_EQ(Get(c, "S", "[x"), "1");
  EXPECT_EQ(Get(d, "sec", "key"), "spaced value");
  EXPECT_EQ(Get(d, "SEC", "KEY"), "spaced value");
  EXPECT_EQ(Get(d, "Sec", "dq"), "  quoted  ");
  EXPECT_EQ(Get(d, "Sec", "sq"), "x");
  EXPECT_EQ(Get(d, "Sec", "one"), "\"");
  EXPECT_EQ(Get(d, "Sec", "mixed"), "\"abc'");
  EXPECT_EQ(Get(d, "Sec", "empty"), "");
  EXPECT_EQ(Get(d, "Sec", "eq"), "a=b=c");
  EXPECT_EQ(Get(d, "Sec", "noequals"), "<absent>");
  EXPECT_EQ(Get(d, "Sec", "dup"), "first");
  EXPECT_EQ(Get(d, "other", "dup"), "other");
  EXPECT_EQ(Get(d, "Sec", "late"), "<absent>");
  EXPECT_EQ(Get(d, "missing", "key"), "<absent>");
}

TEST(IniDocument, SectionHeaderNameRunsToTheLastBracket) {
  IniDocument d = IniDocument::Parse("[a]b]\nk=1\n[open\nj=2\n");
  EXPECT_EQ(Get(d, "a]b", "k"), "1");
  // "[open" has no ']' and is no header: j still belongs to "a]b".
  EXPECT_EQ(Get(d, "a]b", "j"), "2");
}

TEST(IniDocument, KeepsUntouchedLinesByteForByte) {
  const std::string text =
      "\xef\xbb\xbfjunk before\r\n; comment\r\n[S]\r\n  odd line \t\r\n\r\na=1\r\n; tail\r\n\r\n[T]\r\n"
      "b = 2\r\n";
  IniDocument d = IniDocument::Parse(text);
  EXPECT_EQ(d.Serialize(), text);
  d.Set("T", "b", "3");
  std::string expected = text;
  expected.replace(expected.find("b = 2"), 5, "b=3");
  EXPECT_EQ(d.Serialize(), expected);
}

TEST(IniDocument, AcceptsLfAndCrLfAndWritesCrLf) {
  IniDocument d = IniDocument::Parse("[S]\na=1\r\nb=2\rc=3");
  EXPECT_EQ(Get(d, "S", "a"), "1");
  EXPECT_EQ(Get(d, "S", "b"), "2");
  EXPECT_EQ(Get(d, "S", "c"), "3");
  EXPECT_EQ(d.Serialize(), "[S]\r\na=1\r\nb=2\r\nc=3\r\n");
}

TEST(IniDocument, PlacesNewKeysAndSections) {
  IniDocument d = IniDocument::Parse("[A]\r\na=1\r\n; about B\r\n\r\n[B]\r\n\r\n");
  d.Set("A", "n", "2");  // after a=1, before the comment and blank line
  d.Set("b", "m", "3");  // section B has no key yet: right after its header
  d.Set("C", "c", "4");  // new section at the end
  EXPECT_EQ(d.Serialize(), "[A]\r\na=1\r\nn=2\r\n; about B\r\n\r\n[B]\r\nm=3\r\n\r\n[C]\r\nc=4\r\n");
}

TEST(IniDocument, WritesAndRemovesActOnTheFirstDuplicate) {
  IniDocument d = IniDocument::Parse("[S]\r\nk=1\r\nK=2\r\n");
  EXPECT_TRUE(d.Set("s", "K", "9"));
  EXPECT_EQ(d.Serialize(), "[S]\r\nk=9\r\nK=2\r\n");  // spelling in the file kept
  EXPECT_FALSE(d.Set("S", "k", "9"));                 // same value: no change
  EXPECT_TRUE(d.Remove("S", "k"));
  EXPECT_EQ(Get(d, "S", "k"), "2");
  EXPECT_TRUE(d.Remove("S", "k"));
  EXPECT_FALSE(d.Remove("S", "k"));
  EXPECT_FALSE(d.Remove("none", "k"));
  EXPECT_EQ(d.Serialize(), "[S]\r\n");
}

TEST(IniDocument, AwkwardValuesReadBackExactly) {
  const std::string values[] = {"",
                                " lead",
                                "trail\t",
                                "  both  ",
                                "\"quoted\"",
                                "'single'",
                                "\"",
                                "''",
                                "\" x '",
                                "a=b",
                                "[not a section]",
                                "; not a comment",
                                "\"  \"",
                                kSo + "\\" + kZe + "[" + kZo + "]",
                                "[" + kZo,
                                " " + kSo + " "};
  IniDocument d;
  for (size_t i = 0; i < std::size(values); ++i) d.Set("S", "k" + std::to_string(i), values[i]);
  IniDocument again = IniDocument::Parse(d.Serialize());
  for (size_t i = 0; i < std::size(values); ++i)
    EXPECT_EQ(again.Get("S", "k" + std::to_string(i)), values[i]) << "value #" << i;
  // Only what needs it is quoted.
  EXPECT_NE(d.Serialize().find("k9=a=b\r\n"), std::string::npos);
  EXPECT_NE(d.Serialize().find("k1=\" lead\"\r\n"), std::string::npos);
}

TEST(IniDocument, LineBreaksInValuesBecomeBlanks) {
  IniDocument d;
  d.Set("S", "k", "a\r\nb\nc\r");
  d.Set("S", "next", "x");
  IniDocument again = IniDocument::Parse(d.Serialize());
  EXPECT_EQ(again.Get("S", "k"), "a  b c ");
  EXPECT_EQ(again.Get("S", "next"), "x");
}

TEST(IniDocument, RefusesNamesItCouldNotFindAgain) {
  IniDocument d;
  EXPECT_FALSE(d.Set("S", "", "v"));
  EXPECT_FALSE(d.Set("S", "a=b", "v"));
  EXPECT_FALSE(d.Set("S", " a", "v"));
  EXPECT_FALSE(d.Set("S", ";a", "v"));
  EXPECT_FALSE(d.Set("S", "[a", "v"));
  EXPECT_FALSE(d.Set("S\n", "a", "v"));
  EXPECT_FALSE(d.Set("S\x83", "a", "v"));  // the lead byte would swallow the ']'
  EXPECT_TRUE(d.Set("S\x83\x5d", "a", "v"));
  EXPECT_EQ(IniDocument::Parse(d.Serialize()).Get("S\x83\x5d", "a"), "v");
  // The key is found again by the same name, so it can be removed too.
  EXPECT_TRUE(d.Remove("S\x83\x5d", "a"));
  EXPECT_FALSE(d.Remove("S\x83\x5d", "a"));
  EXPECT_EQ(IniDocument::Parse(d.Serialize()).Get("S\x83\x5d", "a"), std::nullopt);
}

TEST(IniDocument, ShiftJisTrailBytesDoNotFoldCase) {
  // 0x83 0x41 and 0x83 0x61 are different characters although the trail
  // bytes are 'A' and 'a'.
  IniDocument d = IniDocument::Parse("[S]\r\n\x83\x41=1\r\n");
  EXPECT_FALSE(d.Get("S", "\x83\x61").has_value());
  EXPECT_EQ(d.Get("S", "\x83\x41"), "1");
}

// --- SettingsFile over the fake file system ---------------------------------

class SettingsFileTest : public ::testing::Test {
 protected:
  test::FakeFileSystem fs;
  SettingsFile file{fs, "cat.dat"};
};

TEST_F(SettingsFileTest, HoldLooksAtTheFileOnceAndSeesOtherProgramsAtTheNextHold) {
  fs.Put("cat.dat", "[S]\r\nk=1\r\n");
  {
    SettingsHold hold(file);
    EXPECT_EQ(file.Read("S", "k", ""), "1");
    fs.Put("cat.dat", "[S]\r\nk=2\r\n");
    {
      SettingsHold inner(file);
      EXPECT_EQ(file.Read("S", "k", ""), "1");
    }
    EXPECT_EQ(file.ReadInt("S", "k", 0), 1);
    EXPECT_EQ(fs.stamps, 1);
  }
  EXPECT_EQ(file.Read("S", "k", ""), "2");
  {
    // Its own writes are read back inside a hold, and a write looks at
    // the file again: it never replaces another program's change.
    SettingsHold hold(file);
    EXPECT_EQ(file.Read("S", "k", ""), "2");
    fs.Put("cat.dat", "[S]\r\nk=3\r\n");
    EXPECT_TRUE(file.Write("S", "j", "x"));
    EXPECT_EQ(file.Read("S", "j", ""), "x");
    EXPECT_EQ(file.Read("S", "k", ""), "3");
  }
  EXPECT_EQ(fs.files["cat.dat"], "[S]\r\nk=3\r\nj=x\r\n");
}

TEST_F(SettingsFileTest, MissingFileReadsAsEmpty) {
  EXPECT_EQ(file.Read("S", "k", "def"), "def");
  EXPECT_EQ(file.ReadInt("S", "k", 42), 42);
  EXPECT_EQ(fs.replaceCalls, 0);
}

TEST_F(SettingsFileTest, EachWriteReplacesTheFileOnce) {
  EXPECT_TRUE(file.Write("S", "a", "1"));
  EXPECT_TRUE(file.WriteInt("S", "b", -7));
  EXPECT_EQ(fs.replaceCalls, 2);
  EXPECT_EQ(fs.files["cat.dat"], "[S]\r\na=1\r\nb=-7\r\n");
  EXPECT_TRUE(file.Write("S", "a", "1"));  // unchanged: nothing written
  EXPECT_EQ(fs.replaceCalls, 2);
  EXPECT_TRUE(file.Remove("S", "a"));
  EXPECT_EQ(fs.files["cat.dat"], "[S]\r\nb=-7\r\n");
  EXPECT_TRUE(file.Remove("S", "a"));  // absent already: succeeds, writes nothing
  EXPECT_EQ(fs.replaceCalls, 3);
}

TEST_F(SettingsFileTest, ReadCutsWithoutSplittingDoubleByteCharacters) {
  fs.Put("cat.dat", "[S]\r\nk=ab" + kSo + kSo + "\r\n");
  EXPECT_EQ(file.Read("S", "k", "", 3), "ab");
  EXPECT_EQ(file.Read("S", "k", "", 4), "ab" + kSo);
  EXPECT_EQ(file.Read("S", "missing", "abcdef", 4), "abcd");
  EXPECT_EQ(file.Get("S", "k"), "ab" + kSo + kSo);
}

TEST_F(SettingsFileTest, EmptyValueIsNotTheDefault) {
  fs.Put("cat.dat", "[S]\r\nk=\r\nn=\r\n");
  EXPECT_EQ(file.Read("S", "k", "def"), "");
  EXPECT_EQ(file.ReadInt("S", "n", 5), 0);
}

TEST_F(SettingsFileTest, FailedReplacementKeepsTheOldFileAndCopy) {
  fs.Put("cat.dat", "[S]\r\nk=old\r\n");
  fs.failReplace = true;
  EXPECT_FALSE(file.Write("S", "k", "new"));
  EXPECT_EQ(fs.files["cat.dat"], "[S]\r\nk=old\r\n");
  EXPECT_EQ(file.Read("S", "k", ""), "old");  // memory agrees with the disk
  fs.failReplace = false;
  EXPECT_TRUE(file.Write("S", "k", "new"));
  EXPECT_EQ(fs.files["cat.dat"], "[S]\r\nk=new\r\n");
}

TEST_F(SettingsFileTest, BatchesNestAndWriteOnceAtTheOutermostEnd) {
  file.BeginBatch();
  file.Write("S", "a", "1");
  {
    SettingsBatch inner(file);
    file.Write("S", "b", "2");
    file.Remove("S", "a");
  }
  EXPECT_EQ(fs.replaceCalls, 0);
  EXPECT_EQ(file.Read("S", "b", ""), "2");  // reads see the pending changes
  EXPECT_FALSE(file.Get("S", "a").has_value());
  EXPECT_TRUE(file.EndBatch());
  EXPECT_EQ(fs.replaceCalls, 1);
  EXPECT_EQ(fs.files["cat.dat"], "[S]\r\nb=2\r\n");

  {
    SettingsBatch unchanged(file);
    file.Write("S", "b", "2");
  }
  EXPECT_EQ(fs.replaceCalls, 1);
}

TEST_F(SettingsFileTest, FailedBatchReportsAndKeepsTheOldFile) {
  fs.Put("cat.dat", "[S]\r\nk=old\r\n");
  fs.failReplace = true;
  file.BeginBatch();
  file.Write("S", "k", "new");
  file.Write("S", "j", "new");
  EXPECT_FALSE(file.EndBatch());
  EXPECT_EQ(fs.files["cat.dat"], "[S]\r\nk=old\r\n");
  EXPECT_EQ(file.Read("S", "k", ""), "old");
  EXPECT_FALSE(file.Get("S", "j").has_value());
}

TEST_F(SettingsFileTest, SeesEditsMadeByOthers) {
  EXPECT_TRUE(file.Write("S", "k", "mine"));
  fs.Put("cat.dat", "[S]\r\nk=theirs\r\nhand=added\r\n");
  EXPECT_EQ(file.Read("S", "k", ""), "theirs");
  EXPECT_TRUE(file.Write("S", "n", "1"));
  EXPECT_EQ(fs.files["cat.dat"], "[S]\r\nk=theirs\r\nhand=added\r\nn=1\r\n");
}

TEST_F(SettingsFileTest, ParsesOnlyWhenTheFileChanged) {
  fs.Put("cat.dat", "[S]\r\nk=1\r\n");
  for (int i = 0; i < 10; ++i) file.Read("S", "k", "");
  EXPECT_EQ(fs.reads, 1);
}

TEST_F(SettingsFileTest, UnreadableFileIsNeverOverwritten) {
  fs.Put("cat.dat", "[S]\r\nk=precious\r\n");
  fs.lockReads = true;
  EXPECT_FALSE(file.Readable());
  EXPECT_EQ(file.Read("S", "k", "def"), "def");
  EXPECT_FALSE(file.Write("S", "other", "x"));
  file.BeginBatch();
  file.Write("S", "other", "x");
  EXPECT_FALSE(file.EndBatch());
  EXPECT_EQ(fs.replaceCalls, 0);
  fs.lockReads = false;
  EXPECT_TRUE(file.Readable());
  EXPECT_EQ(file.Read("S", "k", "def"), "precious");
  EXPECT_TRUE(file.Write("S", "other", "x"));
  EXPECT_EQ(fs.files["cat.dat"], "[S]\r\nk=precious\r\nother=x\r\n");
}

// A sync service puts the other PC's version in between this program's read
// and its move; or moves the old file aside first and the new one in after.
TEST_F(SettingsFileTest, AFileReplacedWhileBeingWrittenKeepsTheOtherProgramsChange) {
  fs.Put("cat.dat", "[S]\r\nNo=1\r\n0Text=a\r\n");
  const std::string theirs = "[S]\r\nNo=2\r\n0Text=a\r\n1Text=theirs\r\n";
  auto replaceOnce = [&](std::function<void()>& hook) {
    hook = [this, &theirs, once = true]() mutable {
      if (once) fs.Put("cat.dat", theirs);
      once = false;
    };
  };

  // Key by key: the batch's writes are made again on what came in.
  file.Read("S", "No", "");
  replaceOnce(fs.beforeMove);
  file.BeginBatch();
  file.Write("S", "0Text", "edited");
  EXPECT_TRUE(file.EndBatch());
  EXPECT_EQ(fs.files["cat.dat"], "[S]\r\nNo=2\r\n0Text=edited\r\n1Text=theirs\r\n");

  // A change worked out from what was read is worked out again.
  fs.Put("cat.dat", "[S]\r\nNo=1\r\n0Text=a\r\n");
  replaceOnce(fs.beforeMove);
  int runs = 0;
  EXPECT_TRUE(file.Transaction([&] {
    ++runs;
    const int n = file.ReadInt("S", "No", 0);
    file.Write("S", std::to_string(n) + "Text", "mine");
    return file.WriteInt("S", "No", n + 1);
  }));
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(fs.files["cat.dat"], "[S]\r\nNo=3\r\n0Text=a\r\n1Text=theirs\r\n2Text=mine\r\n");

  // Gone for a moment: the write waits for it instead of making a file of its own.
  fs.files.erase("cat.dat");
  EXPECT_EQ(file.Read("S", "1Text", "gone"), "gone");
  replaceOnce(fs.whilePaused);
  EXPECT_TRUE(file.Write("S", "0Text", "b"));
  EXPECT_GT(fs.paused, 0);
  EXPECT_EQ(fs.files["cat.dat"], "[S]\r\nNo=2\r\n0Text=b\r\n1Text=theirs\r\n");
}

TEST_F(SettingsFileTest, InvalidKeyFailsTheWrite) {
  EXPECT_FALSE(file.Write("S", "a=b", "v"));
  EXPECT_EQ(fs.replaceCalls, 0);
}

// --- PosixFileSystem on a real directory -------------------------------------

class PosixFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/dz_settings_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
  }
  void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }
  std::string dir;
  PosixFileSystem fs;
};

TEST_F(PosixFileSystemTest, CreatesParentsAndReplacesWholeFiles) {
  std::string path = dir + "/data/sub/cat.dat";
  EXPECT_FALSE(fs.Stamp(path).exists);
  ASSERT_TRUE(fs.ReplaceAtomically(path, "first"));
  FileStamp s1 = fs.Stamp(path);
  EXPECT_TRUE(s1.exists);
  EXPECT_EQ(s1.size, 5u);
  ASSERT_TRUE(fs.ReplaceAtomically(path, "second!"));
  std::string bytes;
  ASSERT_TRUE(fs.ReadAll(path, &bytes));
  EXPECT_EQ(bytes, "second!");
  EXPECT_NE(fs.Stamp(path), s1);
  // No temporary file is left behind.
  std::ostringstream ls;
  std::string cmd = "ls -A '" + dir + "/data/sub'";
  FILE* p = popen(cmd.c_str(), "r");
  char buf[256];
  while (fgets(buf, sizeof buf, p)) ls << buf;
  pclose(p);
  EXPECT_EQ(ls.str(), "cat.dat\n");
}

TEST_F(PosixFileSystemTest, FailedReplacementLeavesTheOldFile) {
  std::string path = dir + "/cat.dat";
  ASSERT_TRUE(fs.ReplaceAtomically(path, "old"));
  // A full disk, simulated with a file size limit (works even for root).
  struct rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  struct rlimit small = saved;
  small.rlim_cur = 8;
  signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  bool ok = fs.ReplaceAtomically(path, "much longer new content");
  setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_FALSE(ok);
  std::string bytes;
  ASSERT_TRUE(fs.ReadAll(path, &bytes));
  EXPECT_EQ(bytes, "old");
  FILE* p = popen(("ls -A '" + dir + "'").c_str(), "r");
  char buf[256];
  std::string ls;
  while (fgets(buf, sizeof buf, p)) ls += buf;
  pclose(p);
  EXPECT_EQ(ls, "cat.dat\n");  // the temporary file was removed
}

TEST_F(PosixFileSystemTest, SettingsFileSeesHandEdits) {
  std::string path = dir + "/Memo.dat";
  SettingsFile f(fs, path);
  ASSERT_TRUE(f.Write("Cagoteri", "NowCagoteri", "data1"));
  std::ofstream(path, std::ios::binary) << "[Cagoteri]\r\nNowCagoteri=hand edited\r\n";
  EXPECT_EQ(f.Read("Cagoteri", "NowCagoteri", ""), "hand edited");
  std::string bytes;
  EXPECT_FALSE(fs.ReadAll(dir + "/none", &bytes));
}

}  // namespace
}  // namespace dz
