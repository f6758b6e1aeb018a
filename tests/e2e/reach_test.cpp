// Memos always within reach: a memo stored where no monitor shows it is
// brought back; a memo the user can reach stays where it is.
#include <algorithm>

#include "harness.h"

namespace e2e {
namespace {

using Reach = DerezizTest;

constexpr int kShowAll = 401;

// The one monitor of the test desktop, taskbar included.
RECT Screen() { return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

std::vector<HWND> Except(std::vector<HWND> all, std::initializer_list<HWND> known) {
  std::vector<HWND> rest;
  for (HWND h : all)
    if (std::find(known.begin(), known.end(), h) == known.end()) rest.push_back(h);
  return rest;
}

TEST_F(Reach, MemosOffEveryMonitorComeIntoViewAndReachableOnesStay) {
  const RECT work = Screen();
  ASSERT_GT(work.right - work.left, 400);
  // Far away; 10 pixels visible at the right edge (too little to take
  // hold of); exactly a grip's width (16) visible; plainly on screen.
  const int edge = work.right - 10, grip = work.right - 16;
  WriteCategory({MemoSetup{5000, 4000, 120, 80, std::string("far")}, MemoSetup{edge, 300, 100, 60},
                 MemoSetup{grip, 500, 100, 60}, MemoSetup{300, 200, 100, 100, std::string("near")}});
  ASSERT_TRUE(Start(4));
  HWND onScreen = MemoAt(300, 200), atGrip = MemoAt(grip, 500);
  ASSERT_TRUE(onScreen && atGrip) << "reachable memos keep their places";
  std::vector<HWND> moved = Except(Memos(), {onScreen, atGrip});
  ASSERT_EQ(moved.size(), 2u);
  for (HWND h : moved) {
    const RECT r = WindowRect(h);
    EXPECT_TRUE(Inside(r, work)) << RectStr(r) << " lies inside the work area " << RectStr(work);
  }
  const RECT distant = WindowRect(moved[0]).right - WindowRect(moved[0]).left == 120 ? WindowRect(moved[0])
                                                                                  : WindowRect(moved[1]);
  EXPECT_EQ(distant.right - distant.left, 120) << "the size is kept";
  EXPECT_EQ(distant.bottom - distant.top, 80);
  ASSERT_TRUE(Exit());

  const dz::IniDocument cat = Category();
  EXPECT_EQ(Get(cat, "ChildWindow", "0x"), std::to_string(distant.left)) << "the new place is saved";
  EXPECT_EQ(Get(cat, "ChildWindow", "0y"), std::to_string(distant.top));
  EXPECT_EQ(Get(cat, "ChildWindow", "0h"), "120");
  EXPECT_EQ(Get(cat, "ChildWindow", "0l"), "80");
  EXPECT_EQ(Get(cat, "ChildWindow", "0Text"), "far") << "nothing else of the memo changes";
  EXPECT_EQ(Get(cat, "ChildWindow", "2x"), std::to_string(grip));
  EXPECT_EQ(Get(cat, "ChildWindow", "3x"), "300");
  EXPECT_EQ(Get(cat, "ChildWindow", "3y"), "200");
}

// Places at the 32-bit limit, as a damaged file may hold: the memos come
// into view with the sizes stored, and store those sizes back.
TEST_F(Reach, MemosAtTheIntegerLimitComeIntoViewWithTheirSizes) {
  WriteCategory({MemoSetup{2147483600, 300, 200, 120}, MemoSetup{2147483647, 2147483647, 100, 100},
                 MemoSetup{-2147483647 - 1, 400, 150, 90}});
  ASSERT_TRUE(Start(3));
  ASSERT_EQ(Memos().size(), 3u);
  // Each memo is known by its size, which must have come through.
  const int sizes[3][2] = {{200, 120}, {100, 100}, {150, 90}};
  RECT rects[3] = {};
  for (size_t i = 0; i < 3; ++i) {
    bool found = false;
    for (HWND h : Memos()) {
      const RECT r = WindowRect(h);
      if (r.right - r.left == sizes[i][0] && r.bottom - r.top == sizes[i][1]) {
        rects[i] = r;
        found = true;
      }
    }
    ASSERT_TRUE(found) << "no memo of " << sizes[i][0] << " x " << sizes[i][1];
    EXPECT_TRUE(Inside(rects[i], Screen())) << RectStr(rects[i]);
  }
  ASSERT_TRUE(Exit());
  const dz::IniDocument cat = Category();
  for (size_t i = 0; i < 3; ++i) {
    const std::string n = std::to_string(i);
    EXPECT_EQ(Get(cat, "ChildWindow", n + "h"), std::to_string(sizes[i][0])) << "memo " << i;
    EXPECT_EQ(Get(cat, "ChildWindow", n + "l"), std::to_string(sizes[i][1])) << "memo " << i;
    EXPECT_EQ(Get(cat, "ChildWindow", n + "x"), std::to_string(rects[i].left)) << "memo " << i;
    EXPECT_EQ(Get(cat, "ChildWindow", n + "y"), std::to_string(rects[i].top)) << "memo " << i;
  }
}

TEST_F(Reach, ShowAllBringsBackAMemoMovedOffScreen) {
  WriteCategory({MemoSetup{200, 150, 90, 70}, MemoSetup{500, 150, 90, 70}});
  ASSERT_TRUE(Start(2));
  HWND lost = MemoAt(200, 150), kept = MemoAt(500, 150);
  ASSERT_TRUE(lost && kept);
  // Where a monitor that has been removed used to be.
  SetWindowPos(lost, nullptr, -3000, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(Wait([&] { return WindowRect(lost).left == -3000; }, "the memo to be off screen"));
  PostCommand(main(), kShowAll);
  ASSERT_TRUE(Wait([&] { return Inside(WindowRect(lost), Screen()); }, "the memo to come back"));
  EXPECT_EQ(WindowRect(lost).right - WindowRect(lost).left, 90);
  EXPECT_EQ(RectStr(WindowRect(kept)), RectStr(RECT{500, 150, 590, 220}));
  ASSERT_TRUE(Exit());
}

TEST_F(Reach, ASmallerScreenBringsBackAMemoNearTheFarCorner) {
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int cx = screenWidth - 120, cy = GetSystemMetrics(SM_CYSCREEN) - 90;
  WriteCategory({MemoSetup{cx, cy, 100, 70}, MemoSetup{50, 50, 100, 70}});
  ASSERT_TRUE(Start(2));
  HWND corner = MemoAt(cx, cy), inside = MemoAt(50, 50);
  ASSERT_TRUE(corner && inside);
  // The resolution drops, as when a notebook leaves its large monitor: the
  // program hears of it through WM_DISPLAYCHANGE.
  DEVMODEW mode = {};
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = 800;
  mode.dmPelsHeight = 600;
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  if (ChangeDisplaySettingsW(&mode, 0) != DISP_CHANGE_SUCCESSFUL) {
    ASSERT_TRUE(Exit());
    GTEST_SKIP() << "this system does not let the test change the screen size";
  }
  // The tests after this one need the screen as it was.
  struct Restore {
    int width;
    ~Restore() {
      ChangeDisplaySettingsW(nullptr, 0);
      EXPECT_TRUE(Within([&] { return GetSystemMetrics(SM_CXSCREEN) == width; }, 5000)) << "screen size restored";
    }
  } restore{screenWidth};
  if (!Within([&] { return GetSystemMetrics(SM_CXSCREEN) <= 800; }, 5000)) {
    ASSERT_TRUE(Exit());
    GTEST_SKIP() << "the screen size change was accepted but did not take effect (screen width now "
                 << GetSystemMetrics(SM_CXSCREEN) << ")";
  }
  const RECT screen = Screen();
  ASSERT_TRUE(Wait([&] { return Inside(WindowRect(corner), screen); }, "the corner memo to come into view"));
  EXPECT_EQ(WindowRect(corner).right - WindowRect(corner).left, 100);
  EXPECT_EQ(RectStr(WindowRect(inside)), RectStr(RECT{50, 50, 150, 120})) << "a memo still in view stays";
  ASSERT_TRUE(Exit());
}

}  // namespace
}  // namespace e2e
