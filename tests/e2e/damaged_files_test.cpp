// Damaged and hand-edited settings files through the real program: it
// starts, shows the memos it can read, ends normally, and leaves every line
// it had no reason to change byte for byte. On exit it rewrites only the
// memo placements ("%dx", "%dy", "%dh", "%dl"), the count "No", the scroll
// offsets, the custom colours, each memo's browser state and, in
// Memo.dat, "NowCagoteri". (The limits of each damage are proven by the
// unit tests; these are the files a user is most likely to hand us.)
#include <string>
#include <vector>

#include "../unit/ini_lines.h"
#include "harness.h"

namespace e2e {
namespace {

using dz::test::B;
using dz::test::Garbage;
using dz::test::Utf16;

struct Memo {
  int x, y;
};

struct DamagedFile {
  const char* name;
  std::string category;            // data\data1.dat
  std::string app;                 // Memo.dat; empty: none
  int memos;                       // memo windows the program must create
  std::vector<Memo> at;            // where some of them must be
  const char* notice = nullptr;    // start of a message the start shows
};

std::vector<DamagedFile> Files() {
  const std::string megabyte = [] {
    std::string s;
    while (s.size() < (1u << 20)) s += "\x83\x5c" "abc$`";  // "ソ" and escapes
    return s;
  }();
  return {
      {"GarbageNulBytesAndLoneLeadBytes",
       Garbage(4096, 7, false) + "\r\n; hand made\r\n[ChildWindow]\r\nNo=2\x82\r\n" + Garbage(300, 8, true) +
           "\r\n" + B("0x=120\r\n0y=140\r\n0h=150\r\n0l=90\r\n0Text=nul\0inside\r\n") +
           "1x=400\r\n1y=140\x9f\r\n1h=150\r\n1l=90\r\n1Text=lone lead byte\x82\r\nunknown=kept\r\nunknown=twice\r\n" +
           B("\0\0\0\r\n\x1a\r\n") + "[Mine]\r\nmine=1\r\n" + Garbage(500, 9, true),
       "", 2, {{120, 140}, {400, 140}}},
      {"Utf8ByteOrderMark",
       "\xef\xbb\xbf[ChildWindow]\r\nNo=2\r\n0x=130\r\n0y=150\r\n0h=120\r\n0l=80\r\n0Text=first\r\n1x=330\r\n1y=150\r\n"
       "1h=120\r\n1l=80\r\n1Text=second\r\n; edited with a UTF-8 editor\r\n",
       "", 2, {{130, 150}, {330, 150}}},
      {"MegabyteLines",
       "; " + Garbage(1 << 20, 10, true) + "\r\n[ChildWindow]\r\nNo=1\r\n0x=140\r\n0y=160\r\n0h=200\r\n0l=100\r\n0Text=" +
           megabyte + "\r\n0Font=" + megabyte.substr(0, 4000) + "\r\n",
       "", 1, {{140, 160}}},
      // Not Shift_JIS text: read as nothing, never written, and said so.
      {"Utf16CategoryFile", Utf16("[ChildWindow]\r\nNo=1\r\n0x=150\r\n0y=170\r\n0Text=unicode\r\n"), "", 0, {},
       "カゴテリのファイル「"},
      {"DamagedApplicationFile",
       "[ChildWindow]\r\nNo=1\r\n0x=160\r\n0y=180\r\n0h=100\r\n0l=100\r\n0Text=data1 is open\r\n",
       Garbage(800, 11, true) + "\n[Cagoteri]\nCagoteriNo=99\n1Cagoteri=data1\n2Cagoteri=bad\x82\n" +
           "3Cagoteri=..\\escape\n2Cagoteri=duplicate\nNowCagoteri=data1\x82\nunknown key=kept\r" + Garbage(200, 12, true),
       1, {{160, 180}},
       "Memo.dat に記録された現在のカゴテリ名"},
      // Placed wherever the numbers say, the memo is brought within reach.
      {"HugeAndNegativeNumbers",
       "[Xdata]\r\nNo0=2147483647\r\n[Ydata]\r\nNo0=-2147483648\r\n[ChildWindow]\r\nNo=1\r\nCustColor0=-1\r\n"
       "0x=-2147483648\r\n0y=99999999999\r\n0h=-1\r\n0l=4294967396\r\n0FontHeight=-2147483648\r\n0Style=-7\r\n"
       "0WindowLebel=99999\r\n0Back=2\r\n0GradMode=99\r\n0Color1=-5\r\n0FontColor=4294967295\r\n"
       "0Text=far away$^2147483647*2^ ^-2147483648/-1^\r\n",
       "", 1, {}},
  };
}

dz::test::Keys RewrittenOnExit(int memos) {
  dz::test::Keys keys = {{"ChildWindow", "No"}};
  for (int k = 0; k < 100; ++k) {
    keys.push_back({"Xdata", "No" + std::to_string(k)});
    keys.push_back({"Ydata", "No" + std::to_string(k)});
  }
  for (int k = 0; k < 16; ++k) keys.push_back({"ChildWindow", "CustColor" + std::to_string(k)});
  for (int n = 0; n < memos; ++n)
    for (const char* p : {"x", "y", "h", "l", "Brows", "BroURL", "Id"})
      keys.push_back({"ChildWindow", std::to_string(n) + p});
  return keys;
}

class DamagedFiles : public DerezizTest, public ::testing::WithParamInterface<DamagedFile> {};

TEST_P(DamagedFiles, StartShowsWhatItCanAndExitKeepsEveryOtherLine) {
  const DamagedFile& f = GetParam();
  WriteCategory("data1", f.category);
  if (!f.app.empty()) WriteMemoDat(f.app);
  ASSERT_TRUE(Start(f.memos));
  if (f.notice) {
    Dialog d = WaitForDialog(std::nullopt);
    ASSERT_TRUE(d);
    EXPECT_EQ(Narrow(d.text).rfind(f.notice, 0), 0u) << Narrow(d.text);
    ASSERT_TRUE(Press(d, IDOK));
  }
  for (const Memo& m : f.at) EXPECT_NE(MemoAt(m.x, m.y), nullptr) << "no memo at " << m.x << "," << m.y;
  EXPECT_EQ(Memos().size(), static_cast<size_t>(f.memos));
  // Every memo paints again (and so reads and builds its text) before the exit.
  for (HWND m : Memos()) {
    InvalidateRect(m, nullptr, FALSE);
    EXPECT_TRUE(Wait([&] { return !GetUpdateRect(m, nullptr, FALSE); }, "the memo to paint"));
  }
  // Nothing else is said: not at start, not while painting.
  if (Memos().empty())
    EXPECT_TRUE(NoDialogs("after the start"));
  else
    EXPECT_TRUE(NoDialogsOncePending(Memos().front(), "after the start and the paints"));
  ASSERT_TRUE(Exit());

  const std::string category = ReadFileBytes("data\\data1.dat");
  EXPECT_TRUE(dz::test::OnlyTheseKeysChanged(f.category, category, RewrittenOnExit(f.memos)));
  if (f.category.compare(0, 2, "\xff\xfe") == 0) {
    EXPECT_TRUE(category == f.category) << "the UTF-16 file was rewritten";
  }
  if (!f.app.empty()) {
    const std::string app = ReadFileBytes("Memo.dat");
    EXPECT_TRUE(dz::test::OnlyTheseKeysChanged(f.app, app, {{"Cagoteri", "NowCagoteri"}}));
    EXPECT_EQ(Get(ReadIni("Memo.dat"), "Cagoteri", "NowCagoteri"), "data1");
  }
}

// No prefix: the tests are DamagedFiles.StartShows.../<file>.
INSTANTIATE_TEST_SUITE_P(, DamagedFiles, ::testing::ValuesIn(Files()),
                         [](const ::testing::TestParamInfo<DamagedFile>& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace e2e
