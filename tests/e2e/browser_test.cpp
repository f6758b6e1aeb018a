// The built-in browser: opening a link inside a memo, the browser menu, the
// caption strip, and what a memo keeps of its browser across exits and
// deletions. Under Wine pages do not render, so what a browser shows is read
// through the program itself: the browser menu's "insert the page address"
// puts the current address into the memo text.
#include <string>
#include <vector>

#include "text_fixture.h"

namespace e2e {
namespace {

namespace bcmd {
constexpr int kOpenLink = 30107;  // + link index
constexpr int kClose = 600;
constexpr int kHome = 601;
constexpr int kGoToUrl = 602;
constexpr int kUrlAtStart = 603;
constexpr int kUrlAtEnd = 604;
constexpr int kUrlEdit = 301, kUrlOk = 302, kUrlCancel = 303;
constexpr int kEditMemo = 502;
}  // namespace bcmd

constexpr int kStrip = 16;
constexpr COLORREF kGreen = RGB(0, 160, 0);

std::string Mark(const std::string& url) { return "<\\" + url + "\\>"; }

struct BrowserMemo {
  MemoSetup setup;
  std::optional<int> brows;
  std::optional<std::string> url;
};

std::string CategoryWithBrowsers(const std::vector<BrowserMemo>& memos) {
  IniText ini;
  ini.Section("ChildWindow").Set("No", static_cast<long long>(memos.size()));
  for (size_t i = 0; i < memos.size(); ++i) {
    const int n = static_cast<int>(i);
    AddMemoKeys(ini, n, memos[i].setup);
    if (memos[i].brows) ini.Memo(n, "Brows", *memos[i].brows);
    if (memos[i].url) ini.Memo(n, "BroURL", *memos[i].url);
  }
  return ini.bytes();
}

MemoSetup At(int x, int y, const std::string& text, int w = 300, int h = 200) {
  MemoSetup m(x, y, w, h, text);
  m.back = "1";
  m.color1 = static_cast<long long>(kGreen);
  return m;
}

class BrowserTest : public TextTest {
 protected:
  static HWND HostOf(HWND memo) { return FindWindowExW(memo, nullptr, L"AtlAxWin", nullptr); }
  static BOOL CALLBACK CountOne(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
  }
  static int ChildCount(HWND parent) {
    int count = 0;
    EnumChildWindows(parent, CountOne, reinterpret_cast<LPARAM>(&count));
    return count;
  }
  HWND WaitForHost(HWND memo) {
    HWND host = nullptr;
    // Visible only once its creation is over.
    Wait([&] { return (host = HostOf(memo)) != nullptr && IsWindowVisible(host); },
         "a browser host (AtlAxWin) shown in the memo");
    return host;
  }
  bool WaitNoHost(HWND memo) {
    return Wait([&] { return HostOf(memo) == nullptr && ChildCount(memo) == 0; },
                "the memo to have no browser host and no other child window left");
  }
  // The host's rectangle in the memo's client coordinates.
  static RECT HostRect(HWND memo, HWND host) {
    RECT r = WindowRect(host);
    MapWindowPoints(nullptr, memo, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  // Where the host must be: the client area below the caption strip.
  static RECT BelowStrip(HWND memo) {
    RECT c = {};
    GetClientRect(memo, &c);
    return RECT{0, kStrip, c.right, c.bottom};
  }
  bool WaitHostFills(HWND memo, HWND host) {
    return Wait([&] { return RectStr(HostRect(memo, host)) == RectStr(BelowStrip(memo)); },
                "the host to fill the client area below the strip");
  }

  // The address memo n's browser shows, read through the browser menu's
  // "insert at the start": the address arrives as a link mark on the first
  // line, before the text the memo had.
  std::string PageShown(int n, HWND memo) {
    const std::string before = Stored(n);
    PostCommand(memo, bcmd::kUrlAtStart);
    std::string now;
    if (!Wait([&] { return (now = Stored(n)) != before && now != "<unreadable>"; },
              "the page address to be inserted into memo " + std::to_string(n)))
      return "<nothing inserted>";
    const size_t end = now.find("\\>$$");
    if (now.rfind("<\\", 0) != 0 || end == std::string::npos) return "<not a mark: " + now.substr(0, 80) + ">";
    EXPECT_EQ(now.substr(end + 4), before) << "the old text follows the inserted line whole";
    return now.substr(2, end - 2);
  }

  // Browsers navigate in their own time (on work they queue for themselves):
  // the address, asked for again until it is no longer `from` (bounded).
  std::string PageAfter(int n, HWND memo, const std::string& from = "") {
    std::string page;
    for (int tries = 0; tries < 20 && (page = PageShown(n, memo)) == from; ++tries) {
    }
    return page;
  }

  // Opens the URL dialog of memo, types url and presses button.
  bool UrlDialog(HWND memo, const std::wstring& url, int button) {
    PostCommand(memo, bcmd::kGoToUrl);
    Dialog d = WaitForDialog(std::wstring(L"URLの入力"));
    if (!d) return false;
    EXPECT_EQ(d.owner, memo) << "the URL dialog belongs to the memo";
    EXPECT_EQ(d.text, L"URLを入力");
    HWND edit = GetDlgItem(d.hwnd, bcmd::kUrlEdit);
    EXPECT_NE(edit, nullptr);
    Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(url.c_str()));
    return Press(d, button);
  }
};

// ---- opening a link, the strip, the browser menu ---------------------------

using BrowserOpening = BrowserTest;

TEST_F(BrowserOpening, LinkShowsThePageBelowTheStripWithTheBrowserMenu) {
  const std::string text = "see " + Mark("http://example.com/a") + " or " + Mark("http://example.com/b");
  WriteCategory({At(200, 200, text)});
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(200, 200);
  ASSERT_NE(memo, nullptr);

  PostCommand(memo, bcmd::kOpenLink + 1);  // the second link
  HWND host = WaitForHost(memo);
  ASSERT_NE(host, nullptr);
  EXPECT_EQ(RectStr(HostRect(memo, host)), RectStr(BelowStrip(memo)));
  const LONG style = GetWindowLongW(host, GWL_STYLE);
  EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE), WS_CHILD | WS_VISIBLE) << DescribeForLog(host);
  EXPECT_EQ(PageAfter(0, memo), "http://example.com/b");
  EXPECT_EQ(Stored(0, "Brows"), "<missing>") << "opening records nothing until the memo window goes";

  // The strip: black at the left to red at the right, the icon, white text.
  Image strip;
  RECT c = BelowStrip(memo);
  const int w = c.right;
  ASSERT_GT(w, 250);
  auto red = [&](int x, int y) { return static_cast<int>(GetRValue(strip.At(x, y))); };
  ASSERT_TRUE(Wait(
      [&] {
        strip = CaptureClient(memo);
        return !strip.empty() && NearColor(strip.At(w - 1, 0), RGB(255, 0, 0), 12);
      },
      "the caption strip to be painted"));
  for (int x = 180; x < w; x += 7) {
    for (int y : {0, kStrip - 1}) {
      const COLORREF px = strip.At(x, y);
      EXPECT_NEAR(red(x, y), 255 * x / w, 10) << "gradient at x " << x << ": " << ColorName(px);
      EXPECT_LE(GetGValue(px) + GetBValue(px), 16) << "gradient at x " << x << ": " << ColorName(px);
    }
  }
  EXPECT_LT(red(kStrip, kStrip - 1), 30) << "dark at the left: " << ColorName(strip.At(kStrip, kStrip - 1));
  int white = 0, icon = 0;
  for (int y = 0; y < kStrip; ++y) {
    for (int x = kStrip + 1; x < w / 2; ++x) white += NearColor(strip.At(x, y), RGB(255, 255, 255), 60) ? 1 : 0;
    for (int x = 0; x < kStrip; ++x) {
      const COLORREF px = strip.At(x, y);
      icon += (GetRValue(px) > 110 && GetGValue(px) > 90 && GetBValue(px) < 110) ? 1 : 0;  // the yellow note
    }
  }
  EXPECT_GT(white, 40) << "white caption text";
  EXPECT_GT(icon, 30) << "the program icon at the left";
  if (HasFailure()) SaveScreenshot("strip");

  // No editor in browser mode, by double click or by the edit command.
  Send(memo, WM_LBUTTONDBLCLK, 0, 0);
  SendCommand(memo, bcmd::kEditMemo);
  EXPECT_EQ(EditorOf(memo), nullptr);

  // The host follows a resize of the memo.
  SetWindowPos(memo, nullptr, 0, 0, 360, 280, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_TRUE(WaitHostFills(memo, host));
  EXPECT_EQ(HostOf(memo), host) << "resizing keeps the same browser";

  // The right-click menu is the browser menu: its first item closes the
  // browser (the memo menu's first item is the link submenu).
  Post(memo, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(40, 40));
  Post(memo, WM_RBUTTONUP, 0, MAKELPARAM(40, 40));
  HWND menu = WaitForMenu();
  ASSERT_NE(menu, nullptr);
  MenuKeys(menu, {VK_DOWN, VK_RETURN});
  ASSERT_TRUE(WaitNoHost(memo));
  EXPECT_FALSE(IsWindow(host));
  // The memo paints its background and text over the whole client area again.
  c = BelowStrip(memo);
  EXPECT_TRUE(Wait(
      [&] {
        Image now = CaptureClient(memo);
        return !now.empty() && NearColor(now.At(c.right - 2, 2), kGreen, 12) &&
               NearColor(now.At(c.right - 2, c.bottom - 2), kGreen, 12) && NearColor(now.At(2, 2), kGreen, 12);
      },
      "the memo's own background where the strip and the browser were"));
  // Double-clicking edits again.
  PostCommand(memo, bcmd::kEditMemo);
  HWND editor = WaitForEditor(memo);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(EditorText(editor).rfind(Widen(Mark("http://example.com/b")), 0), 0u) << Narrow(EditorText(editor));
  ASSERT_TRUE(Exit());
  EXPECT_EQ(Get(Category(), "ChildWindow", "0Brows"), "<missing>") << "closed again before the memo went";
}

TEST_F(BrowserOpening, ALinkNamingAComponentIsOpenedAsAnAddress) {
  // A registered component's name: the link is an address for the browser,
  // never a component to create inside the memo.
  WriteCategory({At(200, 200, Mark("Scripting.Dictionary"))});
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(200, 200);
  ASSERT_NE(memo, nullptr);
  PostCommand(memo, bcmd::kOpenLink);
  ASSERT_NE(WaitForHost(memo), nullptr);
  std::string page = PageAfter(0, memo);
  for (char& ch : page) ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
  EXPECT_NE(page.find("scripting.dictionary"), std::string::npos) << page;
  ASSERT_TRUE(Exit());
}

TEST_F(BrowserOpening, UrlDialogHomeAndThePageAddressIntoTheText) {
  const std::string text = "T" + Mark("http://example.com/a");
  // The text and the address of its link come to 8186 bytes: one more than
  // the six bytes of marks and line break leave room for.
  const std::string link = Mark("http://example.com/a");
  const std::string full = link + std::string(8186 - 20 - link.size(), 'x');
  WriteCategory({At(100, 100, text), At(500, 100, full)});
  ASSERT_TRUE(Start(2));
  HWND memo = MemoAt(100, 100), other = MemoAt(500, 100);
  ASSERT_TRUE(memo && other);
  PostCommand(memo, bcmd::kOpenLink);
  ASSERT_NE(WaitForHost(memo), nullptr);

  // The dialog keeps to its two buttons: Escape does not close it.
  PostCommand(memo, bcmd::kGoToUrl);
  Dialog d = WaitForDialog(std::wstring(L"URLの入力"));
  ASSERT_TRUE(d);
  EXPECT_EQ(Send(GetDlgItem(d.hwnd, bcmd::kUrlEdit), EM_GETLIMITTEXT), 256);
  Send(d.hwnd, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(IsWindow(d.hwnd) && IsWindowVisible(d.hwnd)) << "Escape closed the URL dialog";
  Send(GetDlgItem(d.hwnd, bcmd::kUrlEdit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"http://example.org/never"));
  ASSERT_TRUE(Press(d, bcmd::kUrlCancel));

  // Cancelled: the page stays the link's, also once the browser has had
  // time to move on.
  EXPECT_EQ(PageAfter(0, memo), "http://example.com/a");
  EXPECT_EQ(PageShown(0, memo), "http://example.com/a");
  // 604 puts the address after the text.
  const std::string before = Stored(0);
  PostCommand(memo, bcmd::kUrlAtEnd);
  const std::string afterEnd = before + "$$" + Mark("http://example.com/a");
  ASSERT_TRUE(WaitStored(0, afterEnd));

  ASSERT_TRUE(UrlDialog(memo, L"http://example.org/typed?q=1", bcmd::kUrlOk));
  EXPECT_EQ(PageAfter(0, memo, "http://example.com/a"), "http://example.org/typed?q=1");
  EXPECT_EQ(Stored(0).rfind(Mark("http://example.org/typed?q=1") + "$$", 0), 0u);

  // Home is the browser's own home page: another page than before.
  PostCommand(memo, bcmd::kHome);
  const std::string home = PageAfter(0, memo, "http://example.org/typed?q=1");
  EXPECT_NE(home, "http://example.org/typed?q=1");
  EXPECT_EQ(home.find('<'), std::string::npos) << home;
  EXPECT_FALSE(home.empty());

  // No room for the address: the message, and the text stays as it was.
  PostCommand(other, bcmd::kOpenLink);
  ASSERT_NE(WaitForHost(other), nullptr);
  PostCommand(other, bcmd::kUrlAtStart);
  ASSERT_TRUE(ConfirmMessage("URLが長過ぎます"));
  PostCommand(other, bcmd::kUrlAtEnd);
  ASSERT_TRUE(ConfirmMessage("URLが長過ぎます"));
  EXPECT_EQ(Stored(1), full);
  EXPECT_TRUE(NoDialogs("after the long-address messages"));
  ASSERT_TRUE(Exit());
  EXPECT_EQ(Get(Category(), "ChildWindow", "1Text"), full);
}

// ---- what a memo keeps of its browser ------------------------------------------

using BrowserPersistence = BrowserTest;

TEST_F(BrowserPersistence, ExitRecordsEachBrowserAndTheNextStartRestoresIt) {
  // Longer than a plain settings value: kept whole, never cut.
  const std::string longUrl = "http://example.com/long/" + std::string(580, 'p') + "?end=1";
  WriteCategory("data1", CategoryWithBrowsers({
                             {At(100, 100, "zero"), 1, std::string("http://example.com/zero")},
                             {At(450, 100, "one"), 1, longUrl},
                             {At(800, 100, "two"), 1, {}},
                             {At(100, 450, "three " + Mark("http://example.com/three")), 0,
                              std::string("http://example.com/closed")},
                             {At(450, 450, "four"), {}, {}},
                         }));
  ASSERT_TRUE(Start(5));
  HWND m[5] = {MemoAt(100, 100), MemoAt(450, 100), MemoAt(800, 100), MemoAt(100, 450), MemoAt(450, 450)};
  for (HWND w : m) ASSERT_NE(w, nullptr);
  HWND h1 = WaitForHost(m[1]);
  ASSERT_NE(h1, nullptr);
  for (int n : {0, 2}) ASSERT_NE(WaitForHost(m[n]), nullptr) << n;
  EXPECT_EQ(HostOf(m[3]), nullptr) << "a browser closed earlier stays closed";
  EXPECT_EQ(HostOf(m[4]), nullptr);
  EXPECT_EQ(RectStr(HostRect(m[1], h1)), RectStr(BelowStrip(m[1])));
  EXPECT_EQ(PageAfter(0, m[0]), "http://example.com/zero");
  EXPECT_EQ(PageAfter(1, m[1]), longUrl);
  EXPECT_EQ(PageAfter(2, m[2]), "about:blank") << "no stored address: the home page";

  // Memo 0 closes its browser, memo 3 opens one from its link, and memo 2
  // moves on to a page whose address has characters without a Shift_JIS
  // form.
  PostCommand(m[0], bcmd::kClose);
  ASSERT_TRUE(WaitNoHost(m[0]));
  PostCommand(m[3], bcmd::kOpenLink);
  ASSERT_NE(WaitForHost(m[3]), nullptr);
  ASSERT_TRUE(UrlDialog(m[2], L"http://example.com/\u00e9t\u00e9/\u3042", bcmd::kUrlOk));
  const std::string moved = "http://example.com/%C3%A9t%C3%A9/" + Sjis(L"\u3042");
  EXPECT_EQ(PageAfter(2, m[2], "about:blank"), moved);
  ASSERT_TRUE(Exit());

  dz::IniDocument cat = Category();
  auto key = [&](int n, const char* p) { return Get(cat, "ChildWindow", std::to_string(n) + p); };
  EXPECT_EQ(key(0, "Brows"), "0");
  EXPECT_EQ(key(0, "BroURL"), "http://example.com/zero") << "the last address stays recorded";
  EXPECT_EQ(key(1, "Brows"), "1");
  EXPECT_EQ(key(1, "BroURL"), longUrl);
  EXPECT_EQ(key(2, "Brows"), "1");
  EXPECT_EQ(key(2, "BroURL"), moved);
  EXPECT_EQ(key(3, "Brows"), "1");
  EXPECT_EQ(key(3, "BroURL"), "http://example.com/three");
  EXPECT_EQ(key(4, "Brows"), "<missing>") << "a memo that never had a browser gets no browser keys";
  EXPECT_EQ(key(4, "BroURL"), "<missing>");

  ASSERT_TRUE(Start(5));
  HWND r[5] = {MemoAt(100, 100), MemoAt(450, 100), MemoAt(800, 100), MemoAt(100, 450), MemoAt(450, 450)};
  for (HWND w : r) ASSERT_NE(w, nullptr);
  for (int n : {1, 2, 3}) ASSERT_NE(WaitForHost(r[n]), nullptr) << n;
  EXPECT_EQ(HostOf(r[0]), nullptr);
  EXPECT_EQ(HostOf(r[4]), nullptr);
  EXPECT_EQ(PageAfter(1, r[1]), longUrl);
  EXPECT_EQ(PageAfter(2, r[2]), moved);
  EXPECT_EQ(PageAfter(3, r[3]), "http://example.com/three");
  ASSERT_TRUE(Exit());
}

TEST_F(BrowserPersistence, DeletingAnEarlierMemoMovesTheBrowserWithItsMemo) {
  WriteCategory("data1", CategoryWithBrowsers({
                             {At(100, 100, "first"), 0, {}},
                             {At(450, 100, "second"), 1, std::string("http://example.com/second")},
                             {At(800, 100, "third"), 0, {}},
                         }));
  ASSERT_TRUE(Start(3));
  HWND m0 = MemoAt(100, 100), m1 = MemoAt(450, 100), m2 = MemoAt(800, 100);
  ASSERT_TRUE(m0 && m1 && m2);
  HWND host = WaitForHost(m1);
  ASSERT_NE(host, nullptr);

  PostCommand(m0, cmd::kDeleteMemo);
  Dialog d = WaitForDialog(std::wstring(L"確認"));
  ASSERT_TRUE(Press(d, IDOK));
  ASSERT_TRUE(Wait([&] { return !IsWindow(m0); }, "the first memo to go"));
  ASSERT_TRUE(WaitForMemoCount(2));
  EXPECT_EQ(HostOf(m1), host) << "the moved memo keeps its browser";
  EXPECT_EQ(Stored(0, "Brows"), "1") << "the recorded state moved down with the memo";
  // The browser is reached under the memo's new number.
  EXPECT_EQ(PageAfter(0, m1), "http://example.com/second");
  // The number freed at the end comes without another memo's browser.
  PostCommand(main(), cmd::kAddMemo);
  HWND added = WaitForNewMemo();
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(HostOf(added), nullptr);
  ASSERT_TRUE(Exit());

  dz::IniDocument cat = Category();
  EXPECT_EQ(Get(cat, "ChildWindow", "0Brows"), "1");
  EXPECT_EQ(Get(cat, "ChildWindow", "0BroURL"), "http://example.com/second");
  EXPECT_EQ(Get(cat, "ChildWindow", "1Brows"), "0");
  EXPECT_EQ(Get(cat, "ChildWindow", "2Brows"), "<missing>");

  ASSERT_TRUE(Start(3));
  m1 = MemoAt(450, 100);
  ASSERT_NE(m1, nullptr);
  ASSERT_NE(WaitForHost(m1), nullptr);
  EXPECT_EQ(HostOf(MemoAt(800, 100)), nullptr);
  ASSERT_TRUE(Exit());
}

TEST_F(BrowserPersistence, TheFrameToggleAndACategorySwitchKeepTheBrowserAndItsPage) {
  WriteMemoDat(IniText()
                   .Section("Cagoteri")
                   .Set("NowCagoteri", "data1")
                   .Set("CagoteriNo", 2)
                   .Set("1Cagoteri", "data1")
                   .Set("2Cagoteri", "other")
                   .bytes());
  WriteCategory("data1", CategoryWithBrowsers({{At(300, 200, "kept"), 1, std::string("http://example.com/kept")}}));
  WriteCategory("other", CategoryFile({At(700, 300, "elsewhere")}));
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(300, 200);
  ASSERT_NE(memo, nullptr);
  ASSERT_NE(WaitForHost(memo), nullptr);
  const RECT outer = WindowRect(memo);
  const bool framed = (GetWindowLongW(memo, GWL_STYLE) & WS_THICKFRAME) != 0;

  // The frame toggle makes a new window at the same outer rectangle; the
  // browser goes with the memo.
  PostCommand(memo, 510);
  ASSERT_TRUE(Wait([&] { return !IsWindow(memo); }, "the memo's window to be made anew"));
  HWND remade = MemoAt(outer.left, outer.top);
  ASSERT_NE(remade, nullptr);
  EXPECT_NE((GetWindowLongW(remade, GWL_STYLE) & WS_THICKFRAME) != 0, framed);
  HWND host = WaitForHost(remade);
  ASSERT_NE(host, nullptr);
  EXPECT_TRUE(WaitHostFills(remade, host));
  EXPECT_EQ(PageAfter(0, remade), "http://example.com/kept");

  // Away to the other category and back: the browser is restored with its page.
  PostCommand(main(), 40021);
  ASSERT_NE(WaitForMemoAt(700, 300), nullptr);
  PostCommand(main(), 40020);
  HWND back = WaitForMemoAt(outer.left, outer.top);
  ASSERT_NE(back, nullptr);
  ASSERT_NE(WaitForHost(back), nullptr);
  EXPECT_EQ(PageAfter(0, back), "http://example.com/kept");
  ASSERT_TRUE(Exit());
  EXPECT_EQ(Get(Category(), "ChildWindow", "0Brows"), "1");
}

// ---- the browser's lifetime ---------------------------------------------------

using BrowserLifetime = BrowserTest;

TEST_F(BrowserLifetime, FiftyOpenAndCloseCyclesLeaveNoWindowBehind) {
  WriteCategory({At(200, 200, Mark("http://example.com/cycle"))});
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(200, 200);
  ASSERT_NE(memo, nullptr);
  size_t topLevel = 0;
  for (int i = 0; i < 50; ++i) {
    PostCommand(memo, bcmd::kOpenLink);
    HWND host = WaitForHost(memo);
    ASSERT_NE(host, nullptr) << "cycle " << i;
    PostCommand(memo, bcmd::kClose);
    ASSERT_TRUE(WaitNoHost(memo)) << "cycle " << i;
    // Gone; the system may already have given its handle to another window.
    // Seen from here the host leaves the memo a moment before its handle dies.
    ASSERT_TRUE(Wait([&] { return !IsWindow(host) || ClassOf(host) != L"AtlAxWin"; }, "the closed host to be gone"))
        << "cycle " << i;
    // The first browser may start process-wide helpers; none come after it.
    if (i == 0) topLevel = TopLevelWindows(pid()).size();
  }
  EXPECT_EQ(TopLevelWindows(pid()).size(), topLevel) << "windows left behind by closed browsers";
  ASSERT_TRUE(ExpectAlive());
  ASSERT_TRUE(Exit());
  EXPECT_EQ(Get(Category(), "ChildWindow", "0Brows"), "<missing>");
}

}  // namespace
}  // namespace e2e
