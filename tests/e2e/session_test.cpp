// Scrolling offsets, the exit confirmation and the end of the Windows session.
#include "harness.h"
#include "res/version.h"

namespace e2e {
namespace {

using Scrolling = DerezizTest;
using Exiting = DerezizTest;

TEST_F(Scrolling, KeysAndWheelChangeTheSavedOffsets) {
  WriteCategory({MemoSetup{100, 100, 100, 100, std::string("zero$line")},
                 MemoSetup{300, 100, 100, 100, std::string("one")},
                 MemoSetup{500, 100, 100, 100, std::string("two")},
                 MemoSetup{700, 100, 100, 100, std::string("three")}});
  // Memo 3 starts scrolled: the loaded offsets are the ones that change.
  std::string bytes = ReadFileBytes("data\\data1.dat");
  bytes += IniText().Section("Xdata").Set("No3", 50).Section("Ydata").Set("No3", 40).bytes();
  WriteCategory("data1", bytes);
  ASSERT_TRUE(Start(4));
  HWND m0 = MemoAt(100, 100), m1 = MemoAt(300, 100), m2 = MemoAt(500, 100), m3 = MemoAt(700, 100);
  ASSERT_TRUE(m0 && m1 && m2 && m3);

  // Memo 0: up at 0 stays 0; down three times is 30.
  Key(m0, VK_UP);
  Key(m0, VK_DOWN);
  Key(m0, VK_DOWN);
  Key(m0, VK_DOWN);
  // Memo 1: right twice is 20, left once 10, left three more times stops at 0,
  // right once more 10.
  Key(m1, VK_RIGHT);
  Key(m1, VK_RIGHT);
  Key(m1, VK_LEFT);
  Key(m1, VK_LEFT);
  Key(m1, VK_LEFT);
  Key(m1, VK_LEFT);
  Key(m1, VK_RIGHT);
  Key(m1, 'A');  // other keys do nothing
  // Memo 2: the wheel away from the user at 0 does nothing; towards the user
  // one step per message whatever the delta; it never scrolls sideways.
  Wheel(m2, 120);
  Wheel(m2, -120);
  Wheel(m2, -360);
  Wheel(m2, -120);
  Wheel(m2, 240);
  // Memo 3: from the loaded 50 / 40.
  Key(m3, VK_UP);
  Key(m3, VK_LEFT);
  Wheel(m3, 120);
  ASSERT_TRUE(ExpectAlive());
  ASSERT_TRUE(Exit());

  dz::IniDocument cat = Category();
  EXPECT_EQ(Get(cat, "Xdata", "No0"), "30");
  EXPECT_EQ(Get(cat, "Xdata", "No2"), "20");
  EXPECT_EQ(Get(cat, "Xdata", "No3"), "30");
  EXPECT_EQ(Get(cat, "Ydata", "No3"), "30");
  EXPECT_EQ(Get(cat, "Ydata", "No1"), "10");
  // Offsets nobody changed stay unwritten (they read as 0).
  EXPECT_EQ(Get(cat, "Ydata", "No0"), "<missing>");
  EXPECT_EQ(Get(cat, "Xdata", "No1"), "<missing>");
  EXPECT_EQ(Get(cat, "Ydata", "No2"), "<missing>");
  EXPECT_EQ(Get(cat, "Xdata", "No99"), "<missing>");
}

TEST_F(Exiting, CancelLeavesEverythingAsItWas) {
  WriteCategory({MemoSetup{100, 100, 100, 100, std::string("a")}, MemoSetup{300, 100, 100, 100, std::string("b")}});
  ASSERT_TRUE(Start(2));
  const std::string before = ReadFileBytes("data\\data1.dat");
  std::vector<HWND> memos = Memos();

  // From the tray menu's command (sent to the main window) ...
  PostCommand(main(), cmd::kExit);
  Dialog d = WaitForDialog(std::wstring(L"終了確認"), std::wstring(L"終了してもよろしいですか"));
  ASSERT_TRUE(d);
  EXPECT_EQ(d.owner, main());
  EXPECT_NE(GetDlgItem(d.hwnd, IDCANCEL), nullptr);
  ASSERT_TRUE(Press(d, IDCANCEL));
  ASSERT_TRUE(ExpectAlive());

  // ... and from a memo's menu, which sends it on to the main window.
  PostCommand(memos[0], cmd::kExit);
  d = WaitForDialog(std::wstring(L"終了確認"), std::wstring(L"終了してもよろしいですか"));
  ASSERT_TRUE(d);
  EXPECT_EQ(d.owner, main()) << "the confirmation is owned by the main window, not the memo";
  ASSERT_TRUE(Press(d, IDCANCEL));
  ASSERT_TRUE(ExpectAlive());

  EXPECT_EQ(Memos(), memos);
  for (HWND h : memos) EXPECT_TRUE(IsWindowVisible(h));
  EXPECT_EQ(ReadFileBytes("data\\data1.dat"), before) << "cancelling the exit wrote the file";
  EXPECT_FALSE(FileExists(Path("Memo.dat"))) << "cancelling the exit saved the memo table";
  // The tray icon still works: a double click still adds a memo.
  Tray(WM_LBUTTONDBLCLK);
  EXPECT_NE(WaitForNewMemo(), nullptr);
}

TEST_F(Exiting, OkSavesAndEnds) {
  WriteCategory({MemoSetup{100, 100, 100, 100, std::string("a")}});
  ASSERT_TRUE(Start(1));
  HWND m = MemoAt(100, 100);
  ASSERT_NE(m, nullptr);
  SetWindowPos(m, nullptr, 150, 160, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(Wait([&] { return MemoAt(150, 160) == m; }, "the memo to move"));
  PostCommand(m, cmd::kExit);  // from the memo's menu
  Dialog d = WaitForDialog(std::wstring(L"終了確認"));
  ASSERT_TRUE(Press(d, IDOK));
  ASSERT_TRUE(WaitForExit());
  EXPECT_EQ(ExitCode(), 0u);
  dz::IniDocument cat = Category();
  EXPECT_EQ(Get(cat, "ChildWindow", "0x"), "150");
  EXPECT_EQ(Get(cat, "ChildWindow", "0y"), "160");
  EXPECT_EQ(Get(ReadIni("Memo.dat"), "Cagoteri", "NowCagoteri"), "data1");
}

TEST_F(Exiting, EndOfSessionSavesWithoutAsking) {
  WriteCategory({MemoSetup{100, 100, 100, 100, std::string("a")}, MemoSetup{300, 100, 100, 100, std::string("b")}});
  ASSERT_TRUE(Start(2));
  HWND m = MemoAt(300, 100);
  ASSERT_NE(m, nullptr);
  SetWindowPos(m, nullptr, 333, 222, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Key(m, VK_DOWN);
  ASSERT_TRUE(Wait([&] { return MemoAt(333, 222) == m; }, "the memo to move"));

  // An end of session that is called off changes nothing.
  EXPECT_NE(Send(main(), WM_QUERYENDSESSION, 0, 0), 0) << "the program must not veto the end of session";
  Send(main(), WM_ENDSESSION, FALSE, 0);
  ASSERT_TRUE(ExpectAlive());
  ASSERT_TRUE(NoDialogs("after WM_ENDSESSION with FALSE"));

  EXPECT_NE(Send(main(), WM_QUERYENDSESSION, 0, 0), 0);
  Post(main(), WM_ENDSESSION, TRUE, 0);
  // It must end by itself: no confirmation may appear.
  bool ended = Wait([&] { return !Running() || !Dialogs().empty(); }, "the program to end");
  ASSERT_TRUE(ended);
  ASSERT_FALSE(Running()) << "a dialog opened at the end of the session: \""
                          << Narrow(Dialogs()[0].caption) << "\"";
  EXPECT_EQ(ExitCode(), 0u);
  dz::IniDocument cat = Category();
  EXPECT_EQ(Get(cat, "ChildWindow", "1x"), "333");
  EXPECT_EQ(Get(cat, "ChildWindow", "1y"), "222");
  EXPECT_EQ(Get(cat, "Xdata", "No1"), "10");
  EXPECT_EQ(Get(ReadIni("Memo.dat"), "Cagoteri", "NowCagoteri"), "data1");
}

TEST_F(Exiting, FromTheTrayMenu) {
  WriteCategory({MemoSetup{100, 100}});
  ASSERT_TRUE(Start(1));
  Tray(WM_RBUTTONDOWN);
  Tray(WM_RBUTTONUP);
  HWND menu = WaitForMenu();
  ASSERT_NE(menu, nullptr);
  MenuKeys(menu, {VK_UP, VK_RETURN});  // up from nothing selects the last item, 406
  Dialog d = WaitForDialog(std::wstring(L"終了確認"), std::wstring(L"終了してもよろしいですか"));
  ASSERT_TRUE(d);
  EXPECT_EQ(d.owner, main());
  ASSERT_TRUE(Press(d, IDOK));
  ASSERT_TRUE(WaitForExit());
  EXPECT_EQ(Get(Category(), "ChildWindow", "No"), "1");
}

TEST_F(Exiting, FromTheMemoMenuCancelled) {
  WriteCategory({MemoSetup{100, 100}, MemoSetup{300, 100}});
  ASSERT_TRUE(Start(2));
  HWND m = MemoAt(300, 100);
  ASSERT_NE(m, nullptr);
  Post(m, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 20));
  Post(m, WM_RBUTTONUP, 0, MAKELPARAM(20, 20));
  HWND menu = WaitForMenu();
  ASSERT_NE(menu, nullptr);
  MenuKeys(menu, {VK_UP, VK_RETURN});
  Dialog d = WaitForDialog(std::wstring(L"終了確認"), std::wstring(L"終了してもよろしいですか"));
  ASSERT_TRUE(d);
  EXPECT_EQ(d.owner, main()) << "the memo sends its exit command on to the main window";
  ASSERT_TRUE(Press(d, IDCANCEL));
  ASSERT_TRUE(ExpectAlive());
  EXPECT_EQ(Memos().size(), 2u);
}

TEST_F(Exiting, MenuClosedWithEscapeDoesNothing) {
  WriteCategory({MemoSetup{100, 100}});
  ASSERT_TRUE(Start(1));
  const std::string before = ReadFileBytes("data\\data1.dat");
  Tray(WM_RBUTTONDOWN);
  Tray(WM_RBUTTONUP);
  HWND menu = WaitForMenu();
  ASSERT_NE(menu, nullptr);
  MenuKeys(menu, {VK_ESCAPE});
  ASSERT_TRUE(Wait([&] { return !IsWindow(menu) || !IsWindowVisible(menu); }, "the tray menu to close"));
  ASSERT_TRUE(ExpectAlive());
  EXPECT_TRUE(NoDialogs("after closing the tray menu"));
  EXPECT_EQ(Memos().size(), 1u);
  EXPECT_EQ(ReadFileBytes("data\\data1.dat"), before);
}

TEST_F(Exiting, VersionInformationIsOwnedByTheMainWindow) {
  WriteCategory({MemoSetup{100, 100}});
  ASSERT_TRUE(Start(1));
  PostCommand(MemoAt(100, 100), cmd::kAbout);  // from the memo menu: sent on
  Dialog d;
  ASSERT_TRUE(Wait(
      [&] {
        for (const Dialog& x : Dialogs())
          if (x.caption.find(L"Dereziz") != std::wstring::npos) {
            d = x;
            return true;
          }
        return false;
      },
      "the about box (caption naming Dereziz)"));
  EXPECT_EQ(d.owner, main());
  EXPECT_NE(d.text.find(L"Dereziz/ver." DEREZIZ_VERSION_W), std::wstring::npos) << Narrow(d.text);
  EXPECT_NE(d.text.find(L"デスクトップに貼る付せんメモ"), std::wstring::npos) << "the credit line, in Japanese";
  ASSERT_TRUE(Press(d, IDOK));
  ASSERT_TRUE(ExpectAlive());
}

// The session may end while the program waits for an answer: it must still
// save once, correctly, and end without a crash.
class EndOfSessionDuring : public DerezizTest,
                           public ::testing::WithParamInterface<int> {};

TEST_P(EndOfSessionDuring, AnOpenConfirmation) {
  const int command = GetParam();
  WriteCategory({MemoSetup{100, 100, 100, 100, std::string("a")}, MemoSetup{300, 100, 100, 100, std::string("b")}});
  ASSERT_TRUE(Start(2));
  HWND m = MemoAt(300, 100);
  ASSERT_NE(m, nullptr);
  SetWindowPos(m, nullptr, 350, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(Wait([&] { return MemoAt(350, 150) == m; }, "the memo to move"));
  PostCommand(command == cmd::kExit ? main() : m, command);
  Dialog d = WaitForDialog(std::wstring(command == cmd::kExit ? L"終了確認" : L"確認"));
  ASSERT_TRUE(d);
  Send(main(), WM_QUERYENDSESSION, 0, 0);
  Post(main(), WM_ENDSESSION, TRUE, 0);
  ASSERT_TRUE(WaitForExit());
  EXPECT_EQ(ExitCode(), 0u) << "the program did not end cleanly";
  dz::IniDocument cat = Category();
  EXPECT_EQ(Get(cat, "ChildWindow", "No"), "2") << "no memo may be deleted by an unanswered question";
  EXPECT_EQ(Get(cat, "ChildWindow", "1x"), "350");
  EXPECT_EQ(Get(cat, "ChildWindow", "1Text"), "b");
  EXPECT_EQ(Get(cat, "ChildWindow", "0Text"), "a");
}

std::string CommandName(const ::testing::TestParamInfo<int>& i) {
  return i.param == cmd::kExit ? "ExitConfirmation" : "DeleteConfirmation";
}

INSTANTIATE_TEST_SUITE_P(Exiting, EndOfSessionDuring, ::testing::Values(cmd::kExit, cmd::kDeleteMemo),
                         CommandName);

}  // namespace
}  // namespace e2e
