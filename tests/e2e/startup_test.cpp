// Start-up with prepared settings files: where the memos open, with which
// frame and z-order, the defaults of missing keys, bad memo counts, and the
// tray icon.
#include "harness.h"

#include <shellapi.h>

namespace e2e {
namespace {

constexpr LONG kFramedStyle = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_THICKFRAME;
constexpr LONG kFramelessStyle = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;

using Startup = DerezizTest;

bool Topmost(HWND h) { return (GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }
LONG StyleBits(HWND h) {
  return GetWindowLongW(h, GWL_STYLE) &
         (WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_THICKFRAME | WS_CAPTION | WS_SYSMENU | WS_CHILD);
}

TEST_F(Startup, MainWindowIsHiddenTopmostAndMemosOpenAsPrepared) {
  IniText ini;
  ini.Section("ChildWindow").Set("No", 4);
  // Memo 0: framed ("1"), always on top ("0").
  AddMemoKeys(ini, 0, MemoSetup{10, 20, 150, 80, std::string("zero"), 1, 0});
  // Memo 1: no frame ("0"), normal z-order ("1").
  AddMemoKeys(ini, 1, MemoSetup{300, 40, 200, 120, std::string("one"), 0, 1});
  // Memo 2: "2" is not the framed value; z-order key missing means on top.
  AddMemoKeys(ini, 2, MemoSetup{600, 300, 120, 160, std::string("two"), 2, std::nullopt});
  // Memo 3: no keys at all.
  WriteCategory("data1", ini.bytes());
  ASSERT_TRUE(Start(4));

  EXPECT_EQ(WindowText(main()), L"Dereziz");
  EXPECT_FALSE(IsWindowVisible(main())) << "the main window is never shown";
  EXPECT_TRUE(Topmost(main())) << "the main window is made topmost";
  EXPECT_TRUE(GetWindowLongW(main(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

  struct Expect {
    RECT rect;
    bool framed, topmost;
  } expect[] = {
      {{10, 20, 160, 100}, true, true},
      {{300, 40, 500, 160}, false, false},
      {{600, 300, 720, 460}, false, true},
      {{0, 0, 100, 100}, true, true},
  };
  for (int n = 0; n < 4; ++n) {
    SCOPED_TRACE("memo " + std::to_string(n));
    HWND m = MemoAt(expect[n].rect.left, expect[n].rect.top);
    ASSERT_NE(m, nullptr) << "no memo window at " << RectStr(expect[n].rect);
    EXPECT_EQ(RectStr(WindowRect(m)), RectStr(expect[n].rect));
    EXPECT_EQ(StyleBits(m), expect[n].framed ? kFramedStyle : kFramelessStyle) << DescribeForLog(m);
    EXPECT_EQ(Topmost(m), expect[n].topmost) << DescribeForLog(m);
    EXPECT_TRUE(GetWindowLongW(m, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) << DescribeForLog(m);
    EXPECT_TRUE(IsWindowVisible(m));
  }

  ASSERT_TRUE(Exit());
  dz::IniDocument cat = Category();
  EXPECT_EQ(Get(cat, "ChildWindow", "No"), "4");
  // Nothing moved: the placements stay as stored, and the defaulted memo's
  // stay missing.
  const char* placement[4][4] = {{"10", "20", "150", "80"},
                                 {"300", "40", "200", "120"},
                                 {"600", "300", "120", "160"},
                                 {"<missing>", "<missing>", "<missing>", "<missing>"}};
  const char* names[4] = {"x", "y", "h", "l"};
  for (int n = 0; n < 4; ++n)
    for (int k = 0; k < 4; ++k)
      EXPECT_EQ(Get(cat, "ChildWindow", std::to_string(n) + names[k]), placement[n][k])
          << "key " << n << names[k];
  EXPECT_EQ(Get(cat, "ChildWindow", "0Text"), "zero");
  EXPECT_EQ(Get(cat, "ChildWindow", "2Text"), "two");
  EXPECT_EQ(Get(cat, "Cagoteri", "NowCagoteri"), "<missing>") << "no such key in the category file";
  dz::IniDocument app = ReadIni("Memo.dat");
  EXPECT_EQ(Get(app, "Cagoteri", "NowCagoteri"), "data1");
}

TEST_F(Startup, EmptyCategoryFileGivesNoMemosAndStaysEmpty) {
  WriteCategory("data1", "");
  ASSERT_TRUE(Start(0));
  ASSERT_TRUE(Exit());
  EXPECT_EQ(ReadFileBytes("data\\data1.dat"), "") << "nothing changed, nothing written";
}

TEST_F(Startup, CurrentCategoryComesFromTheApplicationFile) {
  WriteMemoDat(IniText()
                   .Section("Cagoteri")
                   .Set("NowCagoteri", "second")
                   .Set("CagoteriNo", 2)
                   .Set("1Cagoteri", "data1")
                   .Set("2Cagoteri", "second")
                   .bytes());
  WriteCategory("data1", CategoryFile({MemoSetup{10, 10, 100, 100}}));
  WriteCategory("second", CategoryFile({MemoSetup{200, 210, 100, 100}, MemoSetup{400, 210, 100, 100}}));
  ASSERT_TRUE(Start(2));
  EXPECT_NE(MemoAt(200, 210), nullptr);
  EXPECT_NE(MemoAt(400, 210), nullptr);
  EXPECT_EQ(MemoAt(10, 10), nullptr) << "a memo of the other category was shown";
  ASSERT_TRUE(Exit());
  EXPECT_EQ(Get(ReadIni("Memo.dat"), "Cagoteri", "NowCagoteri"), "second");
  EXPECT_EQ(Get(Category("data1"), "ChildWindow", "0x"), "10") << "the other category was touched";
}

TEST_F(Startup, PlacementNumbersAreParsedLeniently) {
  IniText ini;
  ini.Section("ChildWindow").Set("No", 3);
  // Leading blanks and a sign are taken, digits up to the first other
  // character; no digits at all is 0.
  ini.Memo(0, "x", "+640xyz").Memo(0, "y", "  700 ").Memo(0, "h", "150px").Memo(0, "l", "-").Memo(0, "Style", "0");
  ini.Memo(1, "x", "-30").Memo(1, "y", "-20").Memo(1, "h", "80").Memo(1, "l", "60").Memo(1, "Style", "0");
  ini.Memo(2, "x", "abc").Memo(2, "y", "900").Memo(2, "h", "120").Memo(2, "l", "70").Memo(2, "Style", " 1 ");
  WriteCategory("data1", ini.bytes());
  ASSERT_TRUE(Start(3));
  HWND a = MemoAt(640, 700), b = MemoAt(-30, -20), c = MemoAt(0, 900);
  ASSERT_TRUE(a && b && c);
  // A height of 0 is what the text "-" gives; the system may keep a
  // minimum, so only the width is exact here.
  EXPECT_EQ(WindowRect(a).right - WindowRect(a).left, 150);
  EXPECT_EQ(RectStr(WindowRect(b)), RectStr(RECT{-30, -20, 50, 40}));
  EXPECT_TRUE(GetWindowLongW(c, GWL_STYLE) & WS_THICKFRAME) << "\" 1 \" is the framed value";
  ASSERT_TRUE(Exit());
  dz::IniDocument cat = Category();
  // Nothing moved: what was stored stays as it was written.
  EXPECT_EQ(Get(cat, "ChildWindow", "0x"), "+640xyz");
  EXPECT_EQ(Get(cat, "ChildWindow", "0y"), "700");
  EXPECT_EQ(Get(cat, "ChildWindow", "1x"), "-30");
  EXPECT_EQ(Get(cat, "ChildWindow", "2x"), "abc");
}

TEST_F(Startup, JapaneseCategoryNameNamesItsFile) {
  // The current category's name is Shift_JIS in Memo.dat and names the
  // category file; this must not depend on the system's code page.
  const std::string name = Sjis(L"仕事");
  WriteMemoDat(IniText()
                   .Section("Cagoteri")
                   .Set("NowCagoteri", name)
                   .Set("CagoteriNo", 1)
                   .Set("1Cagoteri", name)
                   .bytes());
  const std::wstring file = Path("data") + L"\\仕事.dat";
  ASSERT_TRUE(WriteBytes(file, CategoryFile({MemoSetup{150, 250, 100, 100, std::string("work")}})));
  ASSERT_TRUE(Start(1));
  HWND m = MemoAt(150, 250);
  ASSERT_NE(m, nullptr);
  SetWindowPos(m, nullptr, 170, 270, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(Wait([&] { return MemoAt(170, 270) == m; }, "the memo to move"));
  ASSERT_TRUE(Exit());
  std::string bytes;
  ASSERT_TRUE(ReadBytes(file, &bytes)) << "data\\仕事.dat is gone";
  dz::IniDocument cat = dz::IniDocument::Parse(bytes);
  EXPECT_EQ(Get(cat, "ChildWindow", "0x"), "170");
  EXPECT_EQ(Get(cat, "ChildWindow", "0Text"), "work");
  EXPECT_EQ(Get(ReadIni("Memo.dat"), "Cagoteri", "NowCagoteri"), name);
  EXPECT_NE(ReadFileBytes("Memo.dat").find("NowCagoteri=" + name), std::string::npos) << "stored as Shift_JIS bytes";
  // Nothing was written under a garbled name.
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((Path("data") + L"\\*").c_str(), &fd);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  std::vector<std::wstring> names;
  do {
    if (fd.cFileName[0] != L'.') names.push_back(fd.cFileName);
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  for (const std::wstring& n : names)
    EXPECT_TRUE(n == L"仕事.dat" || n == L"仕事") << "unexpected file in data: " << Narrow(n);
}

// A memo count outside 0..100 in an edited file: the program must start,
// show a sound number of memos and keep every stored key. A count that is
// no number or negative shows the memos the file holds.
struct BadCount {
  const char* no;
  int memosInFile;  // memos whose keys the file holds
  int expectWindows;
};

class BadMemoCount : public DerezizTest, public ::testing::WithParamInterface<BadCount> {};

TEST_P(BadMemoCount, IsClampedWithoutLosingStoredMemos) {
  const BadCount& p = GetParam();
  IniText ini;
  ini.Section("ChildWindow").Set("No", p.no);
  for (int n = 0; n < p.memosInFile; ++n) {
    MemoSetup m{(n % 10) * 120, (n / 10) * 95, 100, 90, "memo " + std::to_string(n) + "$" + Sjis(L"データ")};
    AddMemoKeys(ini, n, m);
  }
  WriteCategory("data1", ini.bytes());
  ASSERT_TRUE(Start(p.expectWindows));
  ASSERT_TRUE(Exit());

  dz::IniDocument cat = Category();
  std::string no = Get(cat, "ChildWindow", "No");
  EXPECT_EQ(no, std::to_string(p.expectWindows)) << "memo count saved";
  for (int n = 0; n < p.memosInFile; ++n) {
    SCOPED_TRACE("memo " + std::to_string(n));
    EXPECT_EQ(Get(cat, "ChildWindow", std::to_string(n) + "Text"),
              "memo " + std::to_string(n) + "$" + Sjis(L"データ"));
    EXPECT_EQ(Get(cat, "ChildWindow", std::to_string(n) + "x"), std::to_string((n % 10) * 120));
    EXPECT_EQ(Get(cat, "ChildWindow", std::to_string(n) + "h"), "100");
  }
}

std::string BadCountName(const ::testing::TestParamInfo<BadCount>& i) {
  static const char* const names[] = {"Over100", "Negative", "NotANumber", "BlanksAndSign",
                                      "TrailingText"};
  return names[i.index];
}

INSTANTIATE_TEST_SUITE_P(Startup, BadMemoCount,
                         ::testing::Values(BadCount{"101", 101, 100}, BadCount{"-3", 2, 2},
                                           BadCount{"abc", 2, 2}, BadCount{"  +2", 3, 2},
                                           BadCount{"3abc", 3, 3}),
                         BadCountName);

NOTIFYICONDATAW TrayIconOf(HWND main) {
  NOTIFYICONDATAW nid = {};
  nid.cbSize = NOTIFYICONDATAW_V1_SIZE;
  nid.hWnd = main;
  nid.uID = kTrayIcon;
  return nid;
}

// Whether the notification area holds the program's icon: an icon can be
// changed (here in nothing) only while it is there.
bool TrayIconShown(HWND main) {
  NOTIFYICONDATAW nid = TrayIconOf(main);
  return Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
}

TEST_F(Startup, TrayIconIsThereReturnsWithTheShellAndGoesAtExit) {
  WriteCategory({MemoSetup{10, 10, 150, 80, std::string("a")}, MemoSetup{200, 10, 150, 80, std::string("b")},
                 MemoSetup{400, 10, 150, 80, std::string("c")}});
  ASSERT_TRUE(Start(3));
  ASSERT_TRUE(WaitFor([&] { return TrayIconShown(main()); }, kDefaultTimeoutMs, "the tray icon"));

  // A restarted shell announces itself; the icon is put back.
  NOTIFYICONDATAW nid = TrayIconOf(main());
  ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &nid));
  ASSERT_FALSE(TrayIconShown(main()));
  Send(main(), RegisterWindowMessageW(L"TaskbarCreated"));
  EXPECT_TRUE(WaitFor([&] { return TrayIconShown(main()); }, kDefaultTimeoutMs, "the icon put back"));

  const HWND was = main();
  ASSERT_TRUE(Exit());
  EXPECT_FALSE(TrayIconShown(was)) << "the icon outlived the program";
}

TEST_F(Startup, RunsWithoutDataFolderAndCreatesItWhenSaving) {
  RemoveDataFolder();
  ASSERT_TRUE(Start(0));
  Tray(WM_LBUTTONDOWN);
  Tray(WM_LBUTTONUP);
  Tray(WM_LBUTTONDBLCLK);
  Tray(WM_LBUTTONUP);
  HWND m = WaitForNewMemo();
  ASSERT_NE(m, nullptr);
  EXPECT_TRUE(ExpectAlive());
  ASSERT_TRUE(Exit());
  ASSERT_TRUE(FileExists(Path("data\\data1.dat"))) << "the category file was not written";
  dz::IniDocument cat = Category();
  EXPECT_EQ(Get(cat, "ChildWindow", "No"), "1");
  EXPECT_EQ(Get(cat, "ChildWindow", "0Text"), "");
  EXPECT_EQ(Get(cat, "ChildWindow", "0x"), "0");
  EXPECT_EQ(Get(cat, "ChildWindow", "0h"), "100");
}

TEST_F(Startup, StoredTextAndOtherKeysSurviveARun) {
  // Escapes, a double-byte character whose trail byte is "^" (タ) and one
  // whose trail byte is "\" (ソ), and a text at the 8191-byte limit.
  std::string tricky = "a$$b$c`d " + Sjis(L"データ ソフト") + " <\\http://x\\> ^1+2^";
  std::string longText;
  const std::string piece = Sjis(L"メモ") + "$x`";
  while (longText.size() + piece.size() <= 8191) longText += piece;
  longText.resize(8191, 'z');
  IniText ini;
  ini.Section("ChildWindow").Set("No", 2).Set("TemplateFont", Sjis(L"ＭＳ 明朝")).Set("CustColor3", 255);
  AddMemoKeys(ini, 0, MemoSetup{50, 60, 150, 100, tricky});
  AddMemoKeys(ini, 1, MemoSetup{250, 60, 150, 100, longText});
  ini.Memo(1, "Font", Sjis(L"ＭＳ 明朝")).Memo(1, "Back", "2").Memo(1, "Color2", 65280);
  ini.Section("Other").Set("keep", "me");
  WriteCategory("data1", ini.bytes());
  ASSERT_TRUE(Start(2));
  ASSERT_TRUE(Exit());
  dz::IniDocument cat = Category();
  EXPECT_EQ(Get(cat, "ChildWindow", "0Text"), tricky);
  EXPECT_EQ(Get(cat, "ChildWindow", "1Text"), longText);
  EXPECT_EQ(Get(cat, "ChildWindow", "1Font"), Sjis(L"ＭＳ 明朝"));
  EXPECT_EQ(Get(cat, "ChildWindow", "1Back"), "2");
  EXPECT_EQ(Get(cat, "ChildWindow", "1Color2"), "65280");
  EXPECT_EQ(Get(cat, "ChildWindow", "TemplateFont"), Sjis(L"ＭＳ 明朝"));
  EXPECT_EQ(Get(cat, "ChildWindow", "CustColor3"), "255") << "custom colours are kept";
  EXPECT_EQ(Get(cat, "Other", "keep"), "me");
  // Raw check: the double-byte text is stored as Shift_JIS bytes.
  std::string raw = ReadFileBytes("data\\data1.dat");
  EXPECT_NE(raw.find("0Text=" + tricky), std::string::npos);
}

}  // namespace
}  // namespace e2e
