// A memo's style from its menu: topmost, frame, font, and the template
// that new memos take.
#include "menus_fixture.h"

namespace e2e {
namespace {

using Style = MenuTest;

bool AcceptsFiles(HWND h) { return (GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0; }
int Height(const RECT& r) { return r.bottom - r.top; }

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);

// A memo with black text on white.
MemoSetup TextMemo(int x, int y, const std::string& text) {
  MemoSetup m{x, y, 240, 140, text};
  m.back = "1";
  m.color1 = 0xFFFFFF;
  m.fontColor = 0;
  return m;
}

TEST_F(Style, TopmostTogglesBothWaysAndIsStoredAtOnce) {
  WriteCategory({MemoSetup{200, 200}});
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(200, 200);
  ASSERT_NE(memo, nullptr);
  const RECT place = WindowRect(memo);
  ASSERT_TRUE(Topmost(memo)) << "no stored level is topmost";

  HWND menu = nullptr;
  std::optional<StyleChecks> checks = OpenStyleSubmenu(memo, &menu);
  ASSERT_TRUE(checks);
  EXPECT_TRUE(checks->topmost);
  MenuKeys(menu, {VK_DOWN, VK_RETURN});  // round to the first item, "最前面表示"
  ASSERT_TRUE(WaitMenusClosed());
  ASSERT_TRUE(WaitStored(0, "1", "WindowLebel"));
  ASSERT_TRUE(Wait([&] { return !Topmost(memo); }, "the memo to leave the topmost band"));

  checks = OpenStyleSubmenu(memo, &menu);
  ASSERT_TRUE(checks);
  EXPECT_FALSE(checks->topmost);
  EXPECT_TRUE(checks->framed);
  MenuKeys(menu, {VK_DOWN, VK_RETURN});
  ASSERT_TRUE(WaitMenusClosed());
  ASSERT_TRUE(WaitStored(0, "0", "WindowLebel"));
  ASSERT_TRUE(Wait([&] { return Topmost(memo); }, "the memo to be topmost again"));
  EXPECT_EQ(RectStr(WindowRect(memo)), RectStr(place));
  EXPECT_EQ(MemoAt(200, 200), memo) << "the window stays";
  EXPECT_TRUE(NoDialogs("after two toggles"));
}

TEST_F(Style, FrameToggleReplacesTheWindowAndKeepsTheMemo) {
  WriteCategory({MemoSetup{100, 100}, TextMemo(400, 300, "MMMM")});
  ASSERT_TRUE(Start(2));
  HWND old = MemoAt(400, 300);
  ASSERT_NE(old, nullptr);
  const RECT place = WindowRect(old);
  ASSERT_TRUE(Framed(old) && Topmost(old));
  RECT text = {};
  ASSERT_TRUE(Wait([&] { return !IsEmpty(text = TextBox(old, kBlack)); }, "the memo's text"));

  HWND menu = nullptr;
  std::optional<StyleChecks> checks = OpenStyleSubmenu(old, &menu);
  ASSERT_TRUE(checks);
  EXPECT_TRUE(checks->framed);
  MenuKeys(menu, {VK_DOWN, VK_DOWN, VK_RETURN});  // "フレームの表示"
  ASSERT_TRUE(WaitMenusClosed());
  ASSERT_TRUE(Wait([&] { return !IsWindow(old); }, "the framed window to go"));
  HWND now = MemoAt(400, 300);
  ASSERT_NE(now, nullptr) << "a new window at the same outer rectangle";
  EXPECT_EQ(Stored(1, "Style"), "0") << "stored at once";
  EXPECT_EQ(RectStr(WindowRect(now)), RectStr(place));
  EXPECT_FALSE(Framed(now)) << DescribeForLog(now);
  EXPECT_TRUE(Topmost(now)) << "still topmost";
  EXPECT_TRUE(AcceptsFiles(now)) << "still a drop target";
  EXPECT_EQ(Memos().size(), 2u);
  // Same font: the text is as high as before.
  RECT after = {};
  ASSERT_TRUE(Wait([&] { return !IsEmpty(after = TextBox(now, kBlack)); }, "the text in the new window"));
  EXPECT_EQ(Height(after), Height(text)) << RectStr(text) << " then " << RectStr(after);

  // The memo keeps its number: its menu reads and writes memo 1's keys.
  checks = OpenStyleSubmenu(now, &menu);
  ASSERT_TRUE(checks);
  EXPECT_FALSE(checks->framed);
  EXPECT_TRUE(checks->topmost);
  MenuKeys(menu, {VK_DOWN, VK_RETURN});  // "最前面表示"
  ASSERT_TRUE(WaitMenusClosed());
  ASSERT_TRUE(WaitStored(1, "1", "WindowLebel"));
  ASSERT_TRUE(Wait([&] { return !Topmost(now); }, "the new window to leave the topmost band"));
  EXPECT_EQ(Stored(0, "WindowLebel"), "<missing>");

  // Back to a frame, with an editor open on the memo: its text is kept.
  PostCommand(now, menucmd::kEditMemo);
  HWND editor = WaitForEditor(now);
  ASSERT_NE(editor, nullptr);
  Send(editor, EM_SETSEL, 4, 4);
  Type(editor, L"Z");
  PostCommand(now, menucmd::kFrame);
  ASSERT_TRUE(Wait([&] { return !IsWindow(now); }, "the frameless window to go"));
  HWND framed = MemoAt(400, 300);
  ASSERT_NE(framed, nullptr);
  EXPECT_TRUE(WaitStored(1, "MMMMZ"));
  EXPECT_EQ(Stored(1, "Style"), "1");
  EXPECT_TRUE(Framed(framed));
  EXPECT_FALSE(Topmost(framed)) << "still out of the topmost band";
  EXPECT_EQ(RectStr(WindowRect(framed)), RectStr(place));
  EXPECT_TRUE(NoDialogs("after the frame toggles"));
  ASSERT_TRUE(Exit());
  // Saved from the new window at exit.
  EXPECT_EQ(Get(Category(), "ChildWindow", "1x"), std::to_string(place.left));
  EXPECT_EQ(Get(Category(), "ChildWindow", "1h"), std::to_string(place.right - place.left));
}

TEST_F(Style, FontDialogCancelKeepsOkStoresAndShowsAtOnce) {
  WriteCategory({TextMemo(200, 200, "MMMM")});
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(200, 200);
  ASSERT_NE(memo, nullptr);
  RECT before = {};
  ASSERT_TRUE(Wait([&] { return !IsEmpty(before = TextBox(memo, kBlack)); }, "the memo's text"));
  const std::string file = ReadFileBytes("data\\data1.dat");
  const std::vector<UINT> toFont = [] {
    std::vector<UINT> k = ToStyleSubmenu();
    k.insert(k.end(), {VK_DOWN, VK_DOWN, VK_RETURN});  // "フォントの変更"
    return k;
  }();

  // Picks the first size of at least 28 points and red, as a user would in
  // the lists; returns the size.
  auto choose = [&](const Dialog& d) -> int {
    HWND size = GetDlgItem(d.hwnd, fontdlg::kSize);
    HWND color = GetDlgItem(d.hwnd, fontdlg::kColor);
    int points = 0;
    for (int i = 0, n = int(Send(size, CB_GETCOUNT)); i < n && !points; ++i) {
      int p = LOWORD(Send(size, CB_GETITEMDATA, i));
      if (p >= 28) {
        Send(size, CB_SETCURSEL, i);
        Send(d.hwnd, WM_COMMAND, MAKEWPARAM(fontdlg::kSize, CBN_SELCHANGE), LPARAM(size));
        points = p;
      }
    }
    for (int i = 0, n = int(Send(color, CB_GETCOUNT)); i < n; ++i)
      if (COLORREF(Send(color, CB_GETITEMDATA, i)) == kRed) {
        Send(color, CB_SETCURSEL, i);
        Send(d.hwnd, WM_COMMAND, MAKEWPARAM(fontdlg::kColor, CBN_SELCHANGE), LPARAM(color));
      }
    HWND underline = GetDlgItem(d.hwnd, fontdlg::kUnderline);
    Send(underline, BM_SETCHECK, BST_CHECKED);
    Send(d.hwnd, WM_COMMAND, MAKEWPARAM(fontdlg::kUnderline, BN_CLICKED), LPARAM(underline));
    return points;
  };

  ASSERT_TRUE(ChooseInMemoMenu(memo, toFont));
  Dialog d = WaitForFontDialog();
  ASSERT_TRUE(d);
  EXPECT_EQ(d.owner, memo) << "the font dialog belongs to the memo";
  EXPECT_EQ(ControlText(GetDlgItem(d.hwnd, fontdlg::kFace)), L"ＭＳ ゴシック") << "opens with the memo's face";
  ASSERT_GT(choose(d), 0);
  ASSERT_TRUE(Press(d, IDCANCEL));
  Send(memo, WM_NULL);  // the command is over once the memo answers
  EXPECT_EQ(ReadFileBytes("data\\data1.dat"), file) << "a cancelled dialog writes nothing";
  // Where the dialog was, the memo paints again after it closed.
  EXPECT_TRUE(Wait([&] { return RectStr(TextBox(memo, kBlack)) == RectStr(before); }, "the text as before"))
      << RectStr(TextBox(memo, kBlack)) << " instead of " << RectStr(before);

  ASSERT_TRUE(ChooseInMemoMenu(memo, toFont));
  d = WaitForFontDialog();
  ASSERT_TRUE(d);
  const int points = choose(d);
  ASSERT_GT(points, 0);
  ASSERT_TRUE(Press(d, IDOK));
  ASSERT_TRUE(WaitStored(0, "1", "UnderLine"));
  HDC screen = GetDC(nullptr);
  const int height = -MulDiv(points * 10, GetDeviceCaps(screen, LOGPIXELSY), 720);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(Stored(0, "FontHeight"), std::to_string(height));
  EXPECT_EQ(Stored(0, "FontColor"), std::to_string(kRed));
  EXPECT_EQ(Stored(0, "Font"), Sjis(L"ＭＳ ゴシック"));
  EXPECT_EQ(Stored(0, "Italic"), "0");
  EXPECT_EQ(Stored(0, "OnLine"), "0");
  EXPECT_EQ(Stored(0, "Text"), "MMMM");
  // Shown at once: red, and larger.
  RECT red = {};
  ASSERT_TRUE(Wait([&] { return Height(red = TextBox(memo, kRed)) > Height(before) * 3 / 2; },
                   "larger red text in the memo"));
  EXPECT_TRUE(IsEmpty(TextBox(memo, kBlack))) << "no black text left: " << RectStr(TextBox(memo, kBlack));
  EXPECT_TRUE(NoDialogs("after the font dialog"));
}

TEST_F(Style, MakeTemplateThenANewMemoTakesIt) {
  IniText ini;
  ini.Section("ChildWindow").Set("No", 1);
  AddMemoKeys(ini, 0, MemoSetup{300, 200, 180, 90, std::string("not copied"), 0, 1});
  ini.Memo(0, "FontColor", 255)
      .Memo(0, "Font", Sjis(L"ＭＳ 明朝"))
      .Memo(0, "FontHeight", 20)
      .Memo(0, "Italic", 1)
      .Memo(0, "Back", 1)
      .Memo(0, "Color1", 65280)
      .Memo(0, "Color2", 5)
      .Memo(0, "Color3", 6)
      .Memo(0, "GradMode", 3);
  WriteCategory("data1", ini.bytes());
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(300, 200);
  ASSERT_NE(memo, nullptr);
  ASSERT_FALSE(Framed(memo) || Topmost(memo));

  HWND menu = nullptr;
  ASSERT_TRUE(OpenStyleSubmenu(memo, &menu));
  MenuKeys(menu, {VK_RETURN});  // the last item, "このメモのスタイルをデフォルトにする"
  ASSERT_TRUE(WaitMenusClosed());
  ASSERT_TRUE(WaitKey("TemplateGradMode", "3"));
  const std::pair<const char*, std::string> expected[] = {
      {"TemplateWindowLebel", "1"}, {"TemplateFontColor", "255"}, {"TemplateStyle", "0"},
      {"Templatex", "300"},         {"Templatey", "200"},         {"Templateh", "180"},
      {"Templatel", "90"},          {"TemplateFont", Sjis(L"ＭＳ 明朝")}, {"TemplateFontHeight", "20"},
      {"TemplateItalic", "1"},      {"TemplateUnderLine", "0"},   {"TemplateOnLine", "0"},
      {"TemplateBack", "1"},        {"TemplateColor1", "65280"},  {"TemplateColor2", "5"},
      {"TemplateColor3", "6"},      {"TemplateGradMode", "3"}};
  for (const auto& [key, value] : expected) EXPECT_EQ(StoredKey(key), value) << key;
  EXPECT_EQ(StoredKey("TemplateText"), "<missing>");

  // A new memo from the tray takes the template: same place and size, no
  // frame, not topmost, and the keys.
  SnapshotMemos();
  Tray(WM_LBUTTONDOWN);
  Tray(WM_LBUTTONUP);
  Tray(WM_LBUTTONDBLCLK);
  Tray(WM_LBUTTONUP);
  HWND added = WaitForNewMemo();
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(RectStr(WindowRect(added)), RectStr(WindowRect(memo)));
  EXPECT_FALSE(Framed(added)) << DescribeForLog(added);
  EXPECT_FALSE(Topmost(added)) << DescribeForLog(added);
  for (const auto& [key, value] : expected) {
    const std::string property = std::string(key).substr(8);  // after "Template"
    EXPECT_EQ(Stored(1, property), value) << "1" << property;
  }
  EXPECT_EQ(Stored(1, "Text"), "");
  EXPECT_TRUE(NoDialogs("after the new memo"));
}

TEST_F(Style, AnUnwritableFileIsReportedAndNothingChanges) {
  WriteCategory({MemoSetup{200, 200}});
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(200, 200);
  ASSERT_NE(memo, nullptr);
  const char* kNotStored = "設定ファイルに書き込めなかったため、変更は行われませんでした。\n";
  const std::string before = ReadFileBytes("data\\data1.dat");

  HANDLE lock = CreateFileW(Path("data\\data1.dat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  bool told = true;
  for (int id : {menucmd::kTopmost, menucmd::kFrame, menucmd::kMakeDefault}) {
    PostCommand(memo, id);
    Dialog d = WaitForMessageWith(Widen(kNotStored));
    told = told && d;
    if (!d) break;
    EXPECT_EQ(d.text.rfind(Widen(kNotStored), 0), 0u) << Narrow(d.text);
    EXPECT_NE(d.text.find(L"data1.dat"), std::wstring::npos) << "names the file: " << Narrow(d.text);
    EXPECT_EQ(d.owner, main());
    told = Press(d, IDOK) && told;
  }
  CloseHandle(lock);
  ASSERT_TRUE(told);
  EXPECT_EQ(ReadFileBytes("data\\data1.dat"), before);
  EXPECT_EQ(MemoAt(200, 200), memo) << "the window was not replaced";
  EXPECT_TRUE(Topmost(memo) && Framed(memo)) << DescribeForLog(memo);

  // Once the file is free the same command works.
  PostCommand(memo, menucmd::kTopmost);
  ASSERT_TRUE(WaitStored(0, "1", "WindowLebel"));
  EXPECT_TRUE(Wait([&] { return !Topmost(memo); }, "the memo to leave the topmost band"));
  EXPECT_TRUE(NoDialogs("after the file was free again"));
}

}  // namespace
}  // namespace e2e
