// The harness reports what goes wrong in the program instead of hanging:
// a crash, a hang, a condition that never comes; and its screenshot shows
// what was on the screen.
#include <gtest/gtest-spi.h>

#include "harness.h"

namespace e2e {
namespace {

class Harness : public DerezizTest {
 public:
  // For EXPECT_NONFATAL_FAILURE, whose statement sees only public names.
  // Waits for a condition that never comes; returns how often it was looked at.
  int WaitForNothing(DWORD ms) {
    int looks = 0;
    Wait([&] { ++looks; return false; }, "something", ms);
    return looks;
  }

 protected:
  static Harness* self;
  void SetUp() override {
    DerezizTest::SetUp();
    self = this;
  }
};
Harness* Harness::self = nullptr;

TEST_F(Harness, ATimeoutNamesWhatItWaitedFor) {
  EXPECT_NONFATAL_FAILURE(WaitFor([] { return false; }, 50, "the moon"),
                          "timed out after 50 ms waiting for the moon");
}

TEST_F(Harness, ACrashEndsAWaitAtOnceWithTheExitCode) {
  WriteCategory({MemoSetup{100, 100}});
  ASSERT_TRUE(Start(1));
  TerminateProcess(process(), 0xC0000005);
  ASSERT_EQ(WaitForSingleObject(process(), kDefaultTimeoutMs), WAIT_OBJECT_0);
  int looks = 0;
  EXPECT_NONFATAL_FAILURE(looks = self->WaitForNothing(20000),
                          "dereziz.exe exited unexpectedly (exit code 0xc0000005)");
  // A wait that went on after the crash would look again every few
  // milliseconds until its 20 s are over; this one gave up at its first
  // check of the process (and one last look at the condition).
  EXPECT_LE(looks, 2) << "the wait went on after the crash";
}

TEST_F(Harness, AHangIsReportedAndBounded) {
  WriteCategory({MemoSetup{100, 100}});
  ASSERT_TRUE(Start(1));
  ASSERT_NE(SuspendThread(mainThread()), DWORD(-1));
  // An unbounded check would never come back from the suspended program
  // (and the whole run would be stopped by its time limit).
  EXPECT_NE(Health(500).find("dereziz.exe does not answer messages"), std::string::npos);
  ResumeThread(mainThread());
  EXPECT_TRUE(Wait([&] { return Health().empty(); }, "the program to answer again"));
}

TEST_F(Harness, ScreenshotShowsTheScreen) {
  MemoSetup white{100, 100};
  white.back = "1";
  white.color1 = 16777215;
  WriteCategory({white});
  ASSERT_TRUE(Start(1));
  ASSERT_TRUE(Wait([&] { return CaptureClient(MemoAt(100, 100)).Fraction(RGB(255, 255, 255)) == 1.0; },
                   "the white memo on screen"));
  std::wstring path = SaveScreenshot("check");
  ASSERT_FALSE(path.empty());
  std::string bmp;
  ASSERT_TRUE(ReadBytes(path, &bmp));
  ASSERT_GT(bmp.size(), 54u);
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  // The memo (white, at 100,100) is in the picture: the bitmap is top-down
  // 32-bit, so the pixel at (150,150) is at 54 + (150 * width + 150) * 4.
  int width = GetSystemMetrics(SM_CXSCREEN);
  size_t at = 54 + (size_t(150) * width + 150) * 4;
  ASSERT_LT(at + 3, bmp.size());
  EXPECT_EQ((unsigned char)bmp[at], 255);
  EXPECT_EQ((unsigned char)bmp[at + 1], 255);
  EXPECT_EQ((unsigned char)bmp[at + 2], 255);
}

}  // namespace
}  // namespace e2e
