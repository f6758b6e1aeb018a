// Scaled displays: memos show their stored places, sizes, fonts and offsets
// at the display's scale and store them back in the files' 96-dpi units.
#include <windows.h>

#include <cstdlib>

#include "harness.h"
#include "menus_fixture.h"

namespace e2e {
namespace {

constexpr COLORREF kPaper = RGB(255, 255, 255);
constexpr int kInk = 60;  // per channel: what differs this much from the paper is text

// A frameless memo of black text on white, so that its window is its face.
MemoSetup Paper(int x, int y, int w, int h, const std::string& text) {
  MemoSetup m(x, y, w, h, text, 0);
  m.back = "1";
  m.color1 = static_cast<long long>(kPaper);
  m.fontColor = 0;
  return m;
}

// In an image of black text on white: the tops of the first two lines and
// the last row of text, -1 where there is none. Columns left of fromX are
// left out (an editor's caret stands there).
struct TextRows {
  int first = -1, second = -1, last = -1;
  int Spacing() const { return second >= 0 ? second - first : -1; }  // the font's line height
};
TextRows FindTextRows(const Image& img, int fromX = 0) {
  TextRows t;
  for (int y = 0, prev = 0; y < img.height(); ++y) {
    int ink = 0;
    for (int x = fromX; x < img.width() && !ink; ++x) ink = !NearColor(img.At(x, y), kPaper, kInk);
    if (ink && !prev && t.first >= 0 && t.second < 0) t.second = y;
    if (ink && t.first < 0) t.first = y;
    if (ink) t.last = y;
    prev = ink;
  }
  return t;
}

std::string Size(const RECT& r) { return std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top); }

HWND HostOf(HWND memo) { return FindWindowExW(memo, nullptr, L"AtlAxWin", nullptr); }

// The browser host's top in its memo's client area.
int HostTop(HWND memo) {
  RECT r = WindowRect(HostOf(memo));
  POINT p = {r.left, r.top};
  ScreenToClient(memo, &p);
  return p.y;
}

class DisplayScale : public TextTest {
 protected:
  // "x,y wxh" of memo n as the category file holds it.
  static std::string StoredPlace(const dz::IniDocument& cat, int n) {
    auto get = [&](const char* p) { return Get(cat, "ChildWindow", std::to_string(n) + p); };
    return get("x") + "," + get("y") + " " + get("h") + "x" + get("l");
  }

  // Waits for the text window w shows to have lines `spacing` pixels apart,
  // give or take the pixel the font's own rounding may add or take away.
  bool WaitLineSpacing(HWND w, int spacing, const std::string& what, int fromX = 0) {
    int seen = -1;
    const bool ok =
        Wait([&] { return std::abs((seen = FindTextRows(CaptureClient(w), fromX).Spacing()) - spacing) <= 1; },
                         what + ": lines " + std::to_string(spacing) + " pixels apart");
    if (!ok) ADD_FAILURE() << what << ": the lines are " << seen << " pixels apart";
    return ok;
  }

  // What the system sends a window that went to a monitor of another scale.
  // The suggested rectangle is passed by address: it is put at one address
  // in both processes, so it reads the same whether the message is carried
  // across as it is or copied from the sender.
  void SendDpiChanged(HWND w, int dpi, const RECT& suggested) {
    void* remote = VirtualAllocEx(process(), nullptr, sizeof suggested, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    ASSERT_NE(remote, nullptr);
    ASSERT_TRUE(WriteProcessMemory(process(), remote, &suggested, sizeof suggested, nullptr));
    void* local = VirtualAlloc(remote, sizeof suggested, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (local == remote) *static_cast<RECT*>(local) = suggested;
    Send(w, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(remote));
    if (local == remote) VirtualFree(local, 0, MEM_RELEASE);
    VirtualFreeEx(process(), remote, 0, MEM_RELEASE);
  }
};

class Scaled : public DisplayScale {
 protected:
  void SetUp() override {
    DisplayScale::SetUp();
    SetDisplayScale(144);
  }
};

// Memo 1's text is scrolled 10 units up; memo 2 is framed and shows a page.
std::string ThreeMemos() {
  IniText ini;
  ini.Section("ChildWindow").Set("No", 3);
  AddMemoKeys(ini, 0, Paper(100, 100, 150, 80, "WW$WW"));
  AddMemoKeys(ini, 1, Paper(201, 403, 151, 77, "WW$WW"));
  AddMemoKeys(ini, 2, MemoSetup(500, 100, 200, 150, std::string("page"), 1));
  ini.Memo(2, "Brows", 1).Memo(2, "BroURL", "about:blank");
  ini.Section("Xdata").Set("No1", 10);
  return ini.bytes();
}

TEST_F(Scaled, StoredPlacesShowOneAndAHalfTimesAndAreStoredBackUnchangedAcrossRestarts) {
  WriteCategory("data1", ThreeMemos());
  std::string firstSave;
  for (int run = 1; run <= 3; ++run) {
    SCOPED_TRACE("start " + std::to_string(run));
    ASSERT_TRUE(Start(3));
    // 1.5 times each value, halves rounded up.
    HWND plain = MemoAt(150, 150), scrolled = MemoAt(302, 605), browser = MemoAt(750, 150);
    ASSERT_NE(plain, nullptr);
    ASSERT_NE(scrolled, nullptr) << "the memo stored at 201,403 is not at 302,605";
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(Size(WindowRect(plain)), "225x120");
    EXPECT_EQ(Size(WindowRect(scrolled)), "227x116");
    EXPECT_EQ(Size(WindowRect(browser)), "300x225");
    // The 15-unit font at 144 dpi.
    ASSERT_TRUE(WaitLineSpacing(plain, 23, "the memo's text"));
    // The same text scrolled up by 10 units, that is 15 pixels.
    int lastPlain = -1, lastScrolled = -1;
    EXPECT_TRUE(Wait(
        [&] {
          lastPlain = FindTextRows(CaptureClient(plain)).last;
          lastScrolled = FindTextRows(CaptureClient(scrolled)).last;
          return lastPlain > 0 && lastPlain - lastScrolled == 15;
        },
        "the scrolled memo's text 15 pixels higher"))
        << "last text rows " << lastPlain << " and " << lastScrolled;
    // The caption strip above the browser grows with the scale.
    ASSERT_TRUE(Wait([&] { return HostOf(browser) && IsWindowVisible(HostOf(browser)); }, "the browser host"));
    EXPECT_EQ(HostTop(browser), 24);
    ASSERT_TRUE(Exit());

    dz::IniDocument cat = Category();
    EXPECT_EQ(StoredPlace(cat, 0), "100,100 150x80");
    EXPECT_EQ(StoredPlace(cat, 1), "201,403 151x77");
    EXPECT_EQ(StoredPlace(cat, 2), "500,100 200x150");
    EXPECT_EQ(Get(cat, "Xdata", "No1"), "10");
    // Every later run leaves the file exactly as the first one did.
    const std::string bytes = ReadFileBytes("data\\data1.dat");
    if (run == 1)
      firstSave = bytes;
    else
      EXPECT_EQ(bytes, firstSave) << "the category file changed between runs";
  }
}

TEST_F(Scaled, AMemoDraggedIsStoredInUnitsAndNewMemosTakeItsPlace) {
  WriteCategory({Paper(100, 100, 150, 80, "WW")});
  ASSERT_TRUE(Start(1));
  HWND m = MemoAt(150, 150);
  ASSERT_NE(m, nullptr);
  ASSERT_TRUE(DragMemoTo(m, POINT{200, 200}, 301, 451));
  // Its place as the default for new memos, in units at once: 200.7 and
  // 300.7 to the nearest, the size as it was read.
  PostCommand(m, menucmd::kMakeDefault);
  ASSERT_TRUE(WaitForKey("ChildWindow", "Templatel"));
  dz::IniDocument cat = Category();
  EXPECT_EQ(Get(cat, "ChildWindow", "Templatex") + "," + Get(cat, "ChildWindow", "Templatey") + " " +
                Get(cat, "ChildWindow", "Templateh") + "x" + Get(cat, "ChildWindow", "Templatel"),
            "201,301 150x80");

  SnapshotMemos();
  PostCommand(main(), cmd::kAddMemo);
  HWND added = WaitForNewMemo();
  ASSERT_NE(added, nullptr);
  // 201 and 301 units at 1.5 are 301.5 and 451.5 pixels: half a pixel from
  // the dragged memo.
  EXPECT_EQ(RectStr(WindowRect(added)), RectStr(RECT{302, 452, 302 + 225, 452 + 120}));
  ASSERT_TRUE(Exit());

  cat = Category();
  EXPECT_EQ(StoredPlace(cat, 0), "201,301 150x80");
  EXPECT_EQ(StoredPlace(cat, 1), "201,301 150x80");
}

TEST_F(DisplayScale, AMemoTakenToAMonitorOfAnotherScaleFollowsWithTextEditorAndBrowser) {
  // Without the browser first: a browser page taking the activation would
  // end edit mode.
  WriteCategory({Paper(100, 100, 150, 80, "WW$WW"), Paper(201, 403, 151, 77, "WW$WW")});
  ASSERT_TRUE(Start(2));
  HWND plain = MemoAt(100, 100), edited = MemoAt(201, 403);
  ASSERT_TRUE(plain && edited);
  ASSERT_TRUE(WaitLineSpacing(plain, 15, "the memo's text at 96 dpi"));
  PostCommand(edited, textcmd::kEditMemo);
  HWND editor = WaitForEditor(edited);
  ASSERT_NE(editor, nullptr);
  Send(editor, EM_SETSEL, 0, 0);  // the caret at the left edge, out of the measured columns
  ASSERT_TRUE(WaitLineSpacing(editor, 15, "the editor's text at 96 dpi", 6));

  // The rectangles the system suggests keep each memo's size in units.
  const RECT toPlain = {150, 150, 375, 270}, toEdited = {302, 605, 529, 721};
  SendDpiChanged(plain, 144, toPlain);
  SendDpiChanged(edited, 144, toEdited);
  EXPECT_EQ(RectStr(WindowRect(plain)), RectStr(toPlain));
  EXPECT_EQ(RectStr(WindowRect(edited)), RectStr(toEdited));
  EXPECT_TRUE(WaitLineSpacing(plain, 23, "the memo's text at 144 dpi"));
  EXPECT_EQ(RectStr(WindowRect(editor)), RectStr(ClientRectOnScreen(edited))) << "the editor covers the memo";
  EXPECT_TRUE(WaitLineSpacing(editor, 23, "the editor's text at 144 dpi", 6));
  ASSERT_TRUE(Exit());
  // Shown at the new scale, the places are still the stored ones.
  dz::IniDocument cat = Category();
  EXPECT_EQ(StoredPlace(cat, 0), "100,100 150x80");
  EXPECT_EQ(StoredPlace(cat, 1), "201,403 151x77");
  EXPECT_EQ(Get(cat, "ChildWindow", "1Text"), "WW$WW") << "the editor's text is kept";

  // A memo showing a page: the strip above the browser grows with the scale.
  WriteCategory("data1", ThreeMemos());
  ASSERT_TRUE(Start(3));
  HWND browser = MemoAt(500, 100);
  ASSERT_NE(browser, nullptr);
  ASSERT_TRUE(Wait([&] { return HostOf(browser) && IsWindowVisible(HostOf(browser)); }, "the browser host"));
  EXPECT_EQ(HostTop(browser), 16);
  SendDpiChanged(browser, 144, RECT{750, 150, 1050, 375});
  EXPECT_EQ(HostTop(browser), 24);
  const RECT client = ClientRectOnScreen(browser), host = WindowRect(HostOf(browser));
  EXPECT_EQ(host.bottom, client.bottom) << "the browser fills the memo below the strip";
  ASSERT_TRUE(Exit());
  EXPECT_EQ(StoredPlace(Category(), 2), "500,100 200x150");
}

}  // namespace
}  // namespace e2e
