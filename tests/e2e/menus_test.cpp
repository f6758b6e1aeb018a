// The memo menu as it opens (check marks, link submenus) and the links
// chosen in it.
#include "menus_fixture.h"

namespace e2e {
namespace {

using Menus = MenuTest;
using Links = MenuTest;

bool Topmost(HWND h) { return (GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }
bool Framed(HWND h) { return (GetWindowLongW(h, GWL_STYLE) & WS_THICKFRAME) != 0; }

std::string LinkMark(const std::string& sjis) { return "<\\" + sjis + "\\>"; }
std::string LinkMark(const std::wstring& target) { return LinkMark(Sjis(target)); }

TEST_F(Menus, CheckMarksFollowEachMemosKeys) {
  // No style keys at all; then not topmost and without a frame.
  WriteCategory({MemoSetup{100, 100}, MemoSetup{300, 100, 100, 100, std::nullopt, 0, 1}});
  ASSERT_TRUE(Start(2));
  struct Case {
    HWND memo;
    bool topmost, framed;
  } cases[] = {{MemoAt(100, 100), true, true}, {MemoAt(300, 100), false, false}};
  for (const Case& c : cases) {
    ASSERT_NE(c.memo, nullptr);
    SCOPED_TRACE(DescribeForLog(c.memo));
    // The window and the menu tell the same story.
    EXPECT_EQ(Topmost(c.memo), c.topmost);
    EXPECT_EQ(Framed(c.memo), c.framed);
    HWND menu = nullptr;
    std::optional<StyleChecks> checks = OpenStyleSubmenu(c.memo, &menu);
    ASSERT_TRUE(checks);
    EXPECT_EQ(checks->topmost, c.topmost) << "最前面表示";
    EXPECT_EQ(checks->framed, c.framed) << "フレームの表示";
    MenuKeys(menu, {VK_ESCAPE, VK_ESCAPE});
    ASSERT_TRUE(WaitMenusClosed());
  }
  EXPECT_TRUE(NoDialogs("after looking at two menus"));
}

TEST_F(Links, PathsRunAtTheFirstAttemptInTextOrder) {
  const std::wstring a = CopyLinkProgram("a.exe");
  const std::wstring b = CopyLinkProgram("b.exe");
  const std::wstring c = CopyLinkProgram("リンク.exe");
  WriteCategory({MemoSetup{100, 100, 200, 100, "first " + LinkMark(a) + " and$then " + LinkMark(b)},
                 MemoSetup{400, 100, 200, 100, Sjis(L"日本語 ") + LinkMark(c)}});
  ASSERT_TRUE(Start(2));
  HWND first = MemoAt(100, 100), second = MemoAt(400, 100);
  ASSERT_TRUE(first && second);

  // The second item of the first memo's link submenu: the second mark.
  ASSERT_TRUE(ChooseInMemoMenu(first, {VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN}));
  std::string line;
  ASSERT_TRUE(WaitForRecord("b.exe", &line));
  // The link is what the shell opens and what it passes on as parameters.
  const std::string bPath = Narrow(b);
  EXPECT_NE(line.find(bPath), std::string::npos) << line;
  EXPECT_NE(line.find(bPath, line.find(bPath) + bPath.size()), std::string::npos) << line;
  EXPECT_EQ(line.find("mailto:"), std::string::npos) << "opened at the first attempt: " << line;
  EXPECT_EQ(RecordedCommandLine("a.exe"), "");

  // The other memo's menu lists only its own link, a Japanese path: Up
  // from the first item comes round to the last, which is that link.
  ASSERT_TRUE(ChooseInMemoMenu(second, {VK_DOWN, VK_RIGHT, VK_UP, VK_RETURN}));
  ASSERT_TRUE(WaitForRecord("リンク.exe", &line));
  EXPECT_NE(line.find(Narrow(c)), std::string::npos) << line;

  // And the first memo's first link.
  ASSERT_TRUE(ChooseInMemoMenu(first, {VK_DOWN, VK_RIGHT, VK_RETURN}));
  ASSERT_TRUE(WaitForRecord("a.exe", &line));
  EXPECT_NE(line.find(Narrow(a)), std::string::npos) << line;
  EXPECT_TRUE(NoDialogs("after opening three links"));
}

TEST_F(Links, WebAndMailAddressesGoToTheirHandlers) {
  const std::wstring web = CopyLinkProgram("web.exe");
  const std::wstring mail = CopyLinkProgram("mail.exe");
  ProtocolHandler http(L"http", L"\"" + web + L"\" \"%1\"");
  ProtocolHandler mailto(L"mailto", L"\"" + mail + L"\" \"%1\"");
  ASSERT_TRUE(http.ok() && mailto.ok());
  // Longer than any fixed buffer for a link would be.
  const std::string longAddress = std::string(300, 'a') + "@example.com";
  WriteCategory({MemoSetup{100, 100, 200, 100,
                          LinkMark(std::string("http://example.com/a?b=1&c=2")) + " " +
                              LinkMark(std::string("someone@example.com")) + " " + LinkMark(longAddress)}});
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(100, 100);
  ASSERT_NE(memo, nullptr);

  ASSERT_TRUE(ChooseInMemoMenu(memo, {VK_DOWN, VK_RIGHT, VK_RETURN}));
  std::string line;
  ASSERT_TRUE(WaitForRecord("web.exe", &line));
  EXPECT_NE(line.find("\"http://example.com/a?b=1&c=2\""), std::string::npos) << line;
  EXPECT_EQ(RecordedCommandLine("mail.exe"), "") << "a web address is opened at the first attempt";

  ASSERT_TRUE(ChooseInMemoMenu(memo, {VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN}));
  ASSERT_TRUE(WaitForRecord("mail.exe", &line));
  EXPECT_NE(line.find("\"mailto:someone@example.com\""), std::string::npos) << line;

  ASSERT_TRUE(DeleteFileW(Path("mail.txt").c_str()));
  ASSERT_TRUE(ChooseInMemoMenu(memo, {VK_DOWN, VK_RIGHT, VK_UP, VK_RETURN}));
  ASSERT_TRUE(WaitForRecord("mail.exe", &line));
  EXPECT_NE(line.find("\"mailto:" + longAddress + "\""), std::string::npos) << "kept whole: " << line;
  EXPECT_TRUE(NoDialogs("after opening three addresses"));
}

TEST_F(Links, ALinkNothingOpensIsReported) {
  // A mail handler that is not there: the bare address fails both ways.
  ProtocolHandler mailto(L"mailto", L"\"" + base() + L"\\missing.exe\" \"%1\"");
  ASSERT_TRUE(mailto.ok());
  WriteCategory({MemoSetup{100, 100, 200, 100, std::string("<\\nobody@example.com\\> <\\\\>")}});
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(100, 100);
  ASSERT_NE(memo, nullptr);

  ASSERT_TRUE(ChooseInMemoMenu(memo, {VK_DOWN, VK_RIGHT, VK_RETURN}));
  Dialog d = WaitForDialog(std::nullopt, L"次のリンクを開けませんでした。\nnobody@example.com");
  ASSERT_TRUE(d);
  EXPECT_EQ(d.owner, main());
  ASSERT_TRUE(Press(d, IDOK));

  ASSERT_TRUE(ChooseInMemoMenu(memo, {VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN}));
  d = WaitForDialog(std::nullopt, L"このリンクは空のため、開けません。");
  ASSERT_TRUE(d);
  ASSERT_TRUE(Press(d, IDOK));
  ASSERT_TRUE(ExpectAlive());
}

}  // namespace
}  // namespace e2e
