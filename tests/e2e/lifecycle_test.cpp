// The life of a memo: adding (tray, memo menu, template), the limit of 100,
// deleting with renumbering, hiding and showing, moving.
#include "../unit/ini_lines.h"
#include "harness.h"

namespace e2e {
namespace {

using Lifecycle = DerezizTest;


class Adding : public DerezizTest {
 protected:
  // The keys a new memo gets from a category without template keys.
  void ExpectDefaultMemoKeys(const dz::IniDocument& cat, int n) {
    auto key = [&](const char* p) { return Get(cat, "ChildWindow", std::to_string(n) + p); };
    EXPECT_EQ(key("Text"), "") << "the text key is written even when empty";
    EXPECT_EQ(key("FontColor"), "0");
    EXPECT_EQ(key("Font"), Sjis(L"ＭＳ ゴシック"));
    EXPECT_EQ(key("FontHeight"), "15");
    EXPECT_EQ(key("Italic"), "0");
    EXPECT_EQ(key("UnderLine"), "0");
    EXPECT_EQ(key("OnLine"), "0");
    EXPECT_EQ(key("Style"), "1");
    EXPECT_EQ(key("x"), "0");
    EXPECT_EQ(key("y"), "0");
    EXPECT_EQ(key("h"), "100");
    EXPECT_EQ(key("l"), "100");
    EXPECT_EQ(key("Back"), "1");
    EXPECT_EQ(key("Color1"), "16777215");
    EXPECT_EQ(key("Color2"), "16777215");
    EXPECT_EQ(key("Color3"), "16777215");
    EXPECT_EQ(key("GradMode"), "0");
    EXPECT_EQ(key("WindowLebel"), "0");
    EXPECT_EQ(key("Brows"), "<missing>") << "a new memo has no browser keys";
    EXPECT_EQ(key("BroURL"), "<missing>");
  }
};

TEST_F(Adding, DoubleClickOnTrayAddsADefaultMemo) {
  WriteCategory({MemoSetup{300, 300, 120, 120, std::string("old")}});
  ASSERT_TRUE(Start(1));
  HWND old = MemoAt(300, 300);
  ASSERT_NE(old, nullptr);
  PostCommand(old, cmd::kHideMemo);
  ASSERT_TRUE(Wait([&] { return !IsWindowVisible(old); }, "the old memo to be hidden"));
  DoubleClickTray();
  HWND m = WaitForNewMemo();
  ASSERT_NE(m, nullptr);
  EXPECT_TRUE(IsWindowVisible(old)) << "the button-down of the double click shows every memo";
  EXPECT_EQ(RectStr(WindowRect(m)), RectStr(RECT{0, 0, 100, 100}));
  EXPECT_TRUE(Framed(m)) << DescribeForLog(m);
  EXPECT_TRUE(Topmost(m)) << DescribeForLog(m);
  EXPECT_TRUE(IsWindowVisible(m));
  EXPECT_EQ(Memos().size(), 2u) << "one double click adds exactly one memo";
  // Written at once, before any exit.
  dz::IniDocument now = Category();
  ExpectDefaultMemoKeys(now, 1);
  ASSERT_TRUE(Exit());
  dz::IniDocument cat = Category();
  EXPECT_EQ(Get(cat, "ChildWindow", "No"), "2");
  ExpectDefaultMemoKeys(cat, 1);
  EXPECT_EQ(Get(cat, "ChildWindow", "0Text"), "old");
}

TEST_F(Adding, MemoMenuAddAndTemplateStyle) {
  IniText ini;
  ini.Section("ChildWindow")
      .Set("No", 1)
      .Set("TemplateFontColor", 255)
      .Set("TemplateFont", Sjis(L"ＭＳ 明朝"))
      .Set("TemplateFontHeight", 20)
      .Set("TemplateItalic", 1)
      .Set("TemplateUnderLine", 1)
      .Set("TemplateOnLine", 1)
      .Set("TemplateStyle", 0)
      .Set("Templatex", 200)
      .Set("Templatey", 150)
      .Set("Templateh", 180)
      .Set("Templatel", 90)
      .Set("TemplateBack", 2)
      .Set("TemplateColor1", 111)
      .Set("TemplateColor2", 222)
      .Set("TemplateColor3", 333)
      .Set("TemplateGradMode", 1)
      .Set("TemplateWindowLebel", 1);
  AddMemoKeys(ini, 0, MemoSetup{500, 500, 100, 100, std::string("first")});
  WriteCategory("data1", ini.bytes());
  ASSERT_TRUE(Start(1));
  HWND first = MemoAt(500, 500);
  ASSERT_NE(first, nullptr);
  PostCommand(first, cmd::kAddMemo);  // the memo sends it on to the main window
  HWND m = WaitForNewMemo();
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(RectStr(WindowRect(m)), RectStr(RECT{200, 150, 380, 240}));
  EXPECT_FALSE(Framed(m)) << DescribeForLog(m);
  EXPECT_FALSE(Topmost(m)) << DescribeForLog(m);
  ASSERT_TRUE(NoDialogs("after adding a memo"));
  ASSERT_TRUE(Exit());
  dz::IniDocument cat = Category();
  auto key = [&](const char* p) { return Get(cat, "ChildWindow", std::string("1") + p); };
  EXPECT_EQ(Get(cat, "ChildWindow", "No"), "2");
  EXPECT_EQ(key("FontColor"), "255");
  EXPECT_EQ(key("Font"), Sjis(L"ＭＳ 明朝"));
  EXPECT_EQ(key("FontHeight"), "20");
  EXPECT_EQ(key("Italic"), "1");
  EXPECT_EQ(key("UnderLine"), "1");
  EXPECT_EQ(key("OnLine"), "1");
  EXPECT_EQ(key("Style"), "0");
  EXPECT_EQ(key("x"), "200");
  EXPECT_EQ(key("y"), "150");
  EXPECT_EQ(key("h"), "180");
  EXPECT_EQ(key("l"), "90");
  EXPECT_EQ(key("Back"), "2");
  EXPECT_EQ(key("Color1"), "111");
  EXPECT_EQ(key("Color2"), "222");
  EXPECT_EQ(key("Color3"), "333");
  EXPECT_EQ(key("GradMode"), "1");
  EXPECT_EQ(key("WindowLebel"), "1");
  EXPECT_EQ(key("Text"), "");
}

// Memos of 30 x 30 pixels in a grid below the place of new memos.
std::string ManyMemos(int count) {
  IniText ini;
  ini.Section("ChildWindow").Set("No", count);
  for (int n = 0; n < count; ++n)
    AddMemoKeys(ini, n, MemoSetup{(n % 20) * 40, 400 + (n / 20) * 40, 30, 30, "m" + std::to_string(n), 0});
  return ini.bytes();
}

TEST_F(Adding, HundredMemoLimitIsReportedFromTrayAndMemoMenu) {
  WriteCategory("data1", ManyMemos(99));
  ASSERT_TRUE(Start(99));
  // The hundredth memo is still allowed.
  DoubleClickTray();
  ASSERT_NE(WaitForNewMemo(), nullptr);
  ASSERT_EQ(Memos().size(), 100u);

  DoubleClickTray();
  Dialog d = WaitForDialog(std::nullopt, std::wstring(L"メモが百枚を超えています。"));
  ASSERT_TRUE(d);
  EXPECT_EQ(d.owner, main()) << "the limit message is owned by the main window";
  EXPECT_NE(GetDlgItem(d.hwnd, IDOK), nullptr);
  EXPECT_EQ(GetDlgItem(d.hwnd, IDCANCEL), nullptr) << "the limit message has only OK";
  ASSERT_TRUE(Press(d, IDOK));
  EXPECT_EQ(Memos().size(), 100u);

  HWND last = MemoAt(18 * 40, 400 + 4 * 40);
  ASSERT_NE(last, nullptr);
  PostCommand(last, cmd::kAddMemo);
  d = WaitForDialog(std::nullopt, std::wstring(L"メモが百枚を超えています。"));
  ASSERT_TRUE(d);
  EXPECT_EQ(d.owner, main());
  ASSERT_TRUE(Press(d, IDOK));
  EXPECT_EQ(Memos().size(), 100u);

  ASSERT_TRUE(Exit());
  dz::IniDocument cat = Category();
  EXPECT_EQ(Get(cat, "ChildWindow", "No"), "100");
  EXPECT_EQ(Get(cat, "ChildWindow", "100Text"), "<missing>");
  EXPECT_EQ(Get(cat, "ChildWindow", "98Text"), "m98");
  EXPECT_EQ(Get(cat, "ChildWindow", "99Text"), "");
  EXPECT_EQ(Get(cat, "ChildWindow", "99x"), "0");
}

// ---- deleting ------------------------------------------------------------------

// Every key that a deletion moves, with values that tell the memos apart.
using dz::test::kMemoProperties;

std::string LongText() {
  std::string t;
  const std::string piece = Sjis(L"ソフト") + "$$x`";
  while (t.size() + piece.size() <= 8191) t += piece;
  t.resize(8191, 'q');
  return t;
}

std::string ValueOf(int memo, const std::string& key) {
  const std::string m = std::to_string(memo);
  if (key == "WindowLebel") return memo == 1 ? "1" : "0";
  if (key == "FontColor") return std::to_string(1000 + memo);
  if (key == "Style") return memo == 2 ? "0" : "1";
  if (key == "x") return std::to_string(100 + 250 * memo);
  if (key == "y") return std::to_string(200 + 10 * memo);
  if (key == "h") return std::to_string(150 + memo);
  if (key == "l") return std::to_string(120 + memo);
  if (key == "Text") return memo == 2 ? LongText() : "text " + m + "$" + Sjis(L"データ");
  if (key == "Font") return memo == 1 ? Sjis(L"ＭＳ 明朝") : Sjis(L"ＭＳ ゴシック");
  if (key == "FontHeight") return std::to_string(12 + memo);
  if (key == "Italic") return memo == 1 ? "1" : "0";
  if (key == "UnderLine") return memo == 2 ? "1" : "0";
  if (key == "OnLine") return memo == 1 ? "1" : "0";
  if (key == "Back") return memo == 0 ? "3" : "1";
  if (key == "Color1") return std::to_string(2000 + memo);
  if (key == "Color2") return std::to_string(3000 + memo);
  if (key == "Color3") return std::to_string(4000 + memo);
  if (key == "GradMode") return std::to_string(memo);
  if (key == "Brows") return "0";
  if (key == "BroURL") return "http://example.com/" + m;
  return "?";
}

class Deleting : public DerezizTest {
 protected:
  void PrepareThree() {
    IniText ini;
    ini.Section("ChildWindow").Set("No", 3);
    for (int n = 0; n < 3; ++n)
      for (const char* k : kMemoProperties) ini.Memo(n, k, ValueOf(n, k));
    ini.Section("Xdata").Set("No0", 10).Set("No1", 20).Set("No2", 30);
    ini.Section("Ydata").Set("No0", 5).Set("No1", 15).Set("No2", 25);
    WriteCategory("data1", ini.bytes());
  }
  HWND Memo(int n) { return MemoAt(100 + 250 * n, 200 + 10 * n); }
};

TEST_F(Deleting, FirstOfThreeRenumbersEveryKeyAndOffset) {
  PrepareThree();
  ASSERT_TRUE(Start(3));
  HWND m0 = Memo(0), m1 = Memo(1), m2 = Memo(2);
  ASSERT_TRUE(m0 && m1 && m2);

  PostCommand(m0, cmd::kDeleteMemo);
  Dialog d = WaitForDialog(std::wstring(L"確認"), std::wstring(L"このメモを削除します。よろしいですか？"));
  ASSERT_TRUE(d);
  EXPECT_EQ(d.owner, m0) << "the confirmation of command 506 is owned by the memo";
  EXPECT_NE(GetDlgItem(d.hwnd, IDCANCEL), nullptr);
  ASSERT_TRUE(Press(d, IDOK));
  ASSERT_TRUE(Wait([&] { return !IsWindow(m0); }, "the deleted memo's window to be destroyed"));
  ASSERT_TRUE(WaitForMemoCount(2));
  EXPECT_TRUE(IsWindow(m1) && IsWindow(m2)) << "the moved memos keep their windows";

  // The keys moved at once.
  {
    dz::IniDocument cat = Category();
    for (const char* k : kMemoProperties) {
      EXPECT_EQ(Get(cat, "ChildWindow", std::string("0") + k), ValueOf(1, k)) << "key 0" << k;
      EXPECT_EQ(Get(cat, "ChildWindow", std::string("1") + k), ValueOf(2, k)) << "key 1" << k;
      if (std::string(k) != "WindowLebel") {
        EXPECT_EQ(Get(cat, "ChildWindow", std::string("2") + k), "<missing>") << "key 2" << k;
      }
    }
  }

  ASSERT_TRUE(Exit());
  dz::IniDocument cat = Category();
  EXPECT_EQ(Get(cat, "ChildWindow", "No"), "2");
  EXPECT_EQ(Get(cat, "Xdata", "No0"), "20");
  EXPECT_EQ(Get(cat, "Xdata", "No1"), "30");
  // The offsets of the number that is free now go with it (they read as 0).
  EXPECT_EQ(Get(cat, "Xdata", "No2"), "<missing>");
  EXPECT_EQ(Get(cat, "Ydata", "No0"), "15");
  EXPECT_EQ(Get(cat, "Ydata", "No1"), "25");
  EXPECT_EQ(Get(cat, "Ydata", "No2"), "<missing>");
  // The windows kept their places, now saved under their new numbers.
  EXPECT_EQ(Get(cat, "ChildWindow", "0x"), ValueOf(1, "x"));
  EXPECT_EQ(Get(cat, "ChildWindow", "1x"), ValueOf(2, "x"));
  EXPECT_EQ(Get(cat, "ChildWindow", "1h"), ValueOf(2, "h"));
  EXPECT_EQ(Get(cat, "ChildWindow", "1Text"), LongText());
  EXPECT_EQ(Get(cat, "ChildWindow", "2x"), "<missing>");
}

TEST_F(Deleting, CancelKeepsEverythingAndCloseAsksAsTheMainWindow) {
  PrepareThree();
  ASSERT_TRUE(Start(3));
  const std::string before = ReadFileBytes("data\\data1.dat");
  HWND m1 = Memo(1);
  ASSERT_NE(m1, nullptr);

  PostCommand(m1, cmd::kDeleteMemo);
  Dialog d = WaitForDialog(std::wstring(L"確認"), std::wstring(L"このメモを削除します。よろしいですか？"));
  ASSERT_TRUE(d);
  ASSERT_TRUE(Press(d, IDCANCEL));
  ASSERT_TRUE(ExpectAlive());
  EXPECT_EQ(Memos().size(), 3u);
  EXPECT_TRUE(IsWindow(m1));

  Post(m1, WM_CLOSE);
  d = WaitForDialog(std::wstring(L"確認"), std::wstring(L"このメモを削除してよろしいですか？"));
  ASSERT_TRUE(d);
  EXPECT_EQ(d.owner, main()) << "the confirmation of closing is owned by the main window";
  ASSERT_TRUE(Press(d, IDCANCEL));
  ASSERT_TRUE(ExpectAlive());
  EXPECT_EQ(Memos().size(), 3u);
  EXPECT_TRUE(IsWindow(m1));
  EXPECT_EQ(ReadFileBytes("data\\data1.dat"), before) << "a cancelled deletion changed the file";

  // Closing with OK deletes the middle memo: memo 2 becomes memo 1.
  Post(m1, WM_CLOSE);
  d = WaitForDialog(std::wstring(L"確認"), std::wstring(L"このメモを削除してよろしいですか？"));
  ASSERT_TRUE(d);
  ASSERT_TRUE(Press(d, IDOK));
  ASSERT_TRUE(Wait([&] { return !IsWindow(m1); }, "the closed memo's window to be destroyed"));
  ASSERT_TRUE(WaitForMemoCount(2));
  dz::IniDocument cat = Category();
  EXPECT_EQ(Get(cat, "ChildWindow", "0Text"), ValueOf(0, "Text"));
  EXPECT_EQ(Get(cat, "ChildWindow", "1Text"), ValueOf(2, "Text"));
  EXPECT_EQ(Get(cat, "ChildWindow", "2Text"), "<missing>");
}

TEST_F(Deleting, TheOnlyMemoLeavesAnEmptyCategory) {
  WriteCategory({MemoSetup{100, 100, 100, 100, std::string("alone")}});
  ASSERT_TRUE(Start(1));
  HWND m = MemoAt(100, 100);
  ASSERT_NE(m, nullptr);
  PostCommand(m, cmd::kDeleteMemo);
  Dialog d = WaitForDialog(std::wstring(L"確認"));
  ASSERT_TRUE(Press(d, IDOK));
  ASSERT_TRUE(WaitForMemoCount(0));
  // A new memo afterwards takes number 0 again.
  PostCommand(main(), cmd::kAddMemo);
  ASSERT_NE(WaitForNewMemo(), nullptr);
  ASSERT_TRUE(Exit());
  dz::IniDocument cat = Category();
  EXPECT_EQ(Get(cat, "ChildWindow", "No"), "1");
  EXPECT_EQ(Get(cat, "ChildWindow", "0Text"), "");
  EXPECT_EQ(Get(cat, "ChildWindow", "0x"), "0");
}

// ---- hiding and showing ---------------------------------------------------------

class Showing : public DerezizTest {
 protected:
  void PrepareThree() {
    WriteCategory({MemoSetup{100, 100, 100, 100}, MemoSetup{300, 100, 100, 100},
                   MemoSetup{500, 100, 100, 100}});
  }
  bool AllVisible(bool visible) {
    return Wait(
        [&] {
          std::vector<HWND> v = Memos();
          if (v.size() != 3) return false;
          for (HWND h : v)
            if ((IsWindowVisible(h) != FALSE) != visible) return false;
          return true;
        },
        visible ? "all three memos to be shown" : "all three memos to be hidden");
  }
};

TEST_F(Showing, HiddenMemoIsSavedAndShownAgainAfterRestart) {
  PrepareThree();
  ASSERT_TRUE(Start(3));
  HWND m = MemoAt(300, 100);
  ASSERT_NE(m, nullptr);
  PostCommand(m, cmd::kHideMemo);
  ASSERT_TRUE(Wait([&] { return !IsWindowVisible(m); }, "memo 1 to be hidden"));
  EXPECT_TRUE(IsWindowVisible(MemoAt(100, 100)));
  EXPECT_TRUE(IsWindowVisible(MemoAt(500, 100)));
  ASSERT_TRUE(Exit());
  dz::IniDocument cat = Category();
  EXPECT_EQ(Get(cat, "ChildWindow", "No"), "3");
  EXPECT_EQ(Get(cat, "ChildWindow", "1x"), "300") << "a hidden memo's placement is saved";
  EXPECT_EQ(Get(cat, "ChildWindow", "1h"), "100");

  ASSERT_TRUE(Start(3));
  HWND again = MemoAt(300, 100);
  ASSERT_NE(again, nullptr);
  EXPECT_TRUE(IsWindowVisible(again)) << "loading always shows the memos";
}

TEST_F(Showing, HideAllAndShowAllFromTheMemoMenu) {
  PrepareThree();
  ASSERT_TRUE(Start(3));
  HWND m = MemoAt(100, 100);
  PostCommand(m, cmd::kHideAll);
  ASSERT_TRUE(AllVisible(false));
  PostCommand(m, cmd::kShowAll);  // a hidden memo's command still works
  ASSERT_TRUE(AllVisible(true));
}

TEST_F(Showing, TrayMenuItemsHideAndShowAll) {
  PrepareThree();
  ASSERT_TRUE(Start(3));
  // Tray menu: 400, "全メモの操作" > {401, 402}, ... Down selects the first
  // item, Down the submenu, Right opens it on 401, Down moves to 402.
  Tray(WM_RBUTTONDOWN);
  Tray(WM_RBUTTONUP);
  HWND menu = WaitForMenu();
  ASSERT_NE(menu, nullptr);
  MenuKeys(menu, {VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN});
  ASSERT_TRUE(AllVisible(false));

  Tray(WM_RBUTTONDOWN);
  Tray(WM_RBUTTONUP);
  menu = WaitForMenu();
  ASSERT_NE(menu, nullptr);
  MenuKeys(menu, {VK_DOWN, VK_DOWN, VK_RIGHT, VK_RETURN});
  ASSERT_TRUE(AllVisible(true));
  EXPECT_TRUE(ExpectAlive());
}

TEST_F(Showing, TrayLeftClickShowsAllWithTheLastInFront) {
  PrepareThree();
  ASSERT_TRUE(Start(3));
  HWND last = MemoAt(500, 100);
  PostCommand(last, cmd::kHideAll);
  ASSERT_TRUE(AllVisible(false));
  Tray(WM_LBUTTONDOWN);
  Tray(WM_LBUTTONUP);
  ASSERT_TRUE(AllVisible(true));
  EXPECT_TRUE(Wait([&] { return GetForegroundWindow() == last; },
                   "the last memo to be the foreground window"));
  EXPECT_EQ(Memos().size(), 3u) << "a single click adds no memo";
}

// ---- moving ---------------------------------------------------------------------------

TEST_F(Lifecycle, MovedAndResizedMemosAreSavedAtExit) {
  WriteCategory({MemoSetup{100, 100, 100, 100, std::string("a")}, MemoSetup{300, 100, 100, 100, std::string("b"), 0}});
  ASSERT_TRUE(Start(2));
  HWND a = MemoAt(100, 100), b = MemoAt(300, 100);
  ASSERT_TRUE(a && b);
  SetWindowPos(a, nullptr, 321, 123, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(b, nullptr, 640, 480, 210, 70, SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(Wait([&] { return MemoAt(321, 123) == a && MemoAt(640, 480) == b; }, "the memos to move"));
  ASSERT_TRUE(Exit());
  dz::IniDocument cat = Category();
  EXPECT_EQ(Get(cat, "ChildWindow", "0x"), "321");
  EXPECT_EQ(Get(cat, "ChildWindow", "0y"), "123");
  EXPECT_EQ(Get(cat, "ChildWindow", "0h"), "100");
  EXPECT_EQ(Get(cat, "ChildWindow", "1x"), "640");
  EXPECT_EQ(Get(cat, "ChildWindow", "1y"), "480");
  EXPECT_EQ(Get(cat, "ChildWindow", "1h"), "210");
  EXPECT_EQ(Get(cat, "ChildWindow", "1l"), "70");
  EXPECT_EQ(Get(cat, "ChildWindow", "0Text"), "a");
}

TEST_F(Lifecycle, DraggingAMemoMovesIt) {
  WriteCategory({MemoSetup{200, 200, 100, 100, std::string("drag me"), 0}});
  ASSERT_TRUE(Start(1));
  HWND m = MemoAt(200, 200);
  ASSERT_NE(m, nullptr);
  ASSERT_TRUE(DragMemoTo(m, POINT{250, 250}, 350, 280));
  ASSERT_TRUE(Exit());
  dz::IniDocument cat = Category();
  EXPECT_EQ(Get(cat, "ChildWindow", "0x"), "350");
  EXPECT_EQ(Get(cat, "ChildWindow", "0y"), "280");
}

}  // namespace
}  // namespace e2e
