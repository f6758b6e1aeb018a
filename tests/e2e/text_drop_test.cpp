// Files dropped on a memo from an X client (a drag from a file manager):
// pictures become the background, other files new memos.
#include "text_fixture.h"

namespace e2e {
namespace {

class TextDrop : public TextTest {
 protected:
  // A dropped picture's path is stored and the memo repainted. These files
  // exist but hold no picture: painting one shows no picture and no message.
  // Nothing is pressed away: any message box open once the memo has
  // repainted is a failure.
  void ExpectRepaintedWithoutMessage(HWND memo) {
    // Answered once the drop's handler, which invalidates the memo, is over.
    Send(memo, WM_NULL);
    EXPECT_TRUE(Wait([&] { return !GetUpdateRect(memo, nullptr, FALSE); }, "the memo to repaint"));
    // Answered after the paint, or from inside a message box it opened.
    Send(memo, WM_NULL);
    EXPECT_TRUE(NoDialogs("after painting the dropped picture"));
  }
};

// The memo that was dropped on, at (200, 200).
constexpr int kX = 200, kY = 200;

// A one-pixel picture: a file that is no picture would be replaced by the
// memo's solid colour as soon as it is painted.
const std::string kOnePixelPicture(
    "GIF89a\x01\0\x01\0\x80\0\0\xff\xff\xff\0\0\0,\0\0\0\0\x01\0\x01\0\0\x02\x02"
    "D\x01\0;",
    35);

TEST_F(TextDrop, PicturesInTheListedCaseBecomeTheBackground) {
  OneMemo("x", kX, kY);
  const std::string& picture = kOnePixelPicture;
  WriteFile("photo.jpeg", picture);
  WriteFile("photo.PNG", picture);
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(kX, kY);
  ASSERT_NE(memo, nullptr);

  ASSERT_TRUE(DropFiles(memo, {Path("photo.jpeg")}));
  ASSERT_TRUE(Wait([&] { return Stored(0, "Back") != "<missing>"; }, "the background to change"));
  EXPECT_EQ(_wcsicmp(FromSjis(Stored(0, "Back")).c_str(), Path("photo.jpeg").c_str()), 0)
      << Stored(0, "Back");
  ExpectRepaintedWithoutMessage(memo);

  ASSERT_TRUE(DropFiles(memo, {Path("photo.PNG")}));
  ASSERT_TRUE(Wait([&] { return Stored(0, "Back").find("photo.PNG") != std::string::npos; },
                  "the background to become photo.PNG"));
  ExpectRepaintedWithoutMessage(memo);
  EXPECT_EQ(Memos().size(), 1u) << "a picture adds no memo";
  EXPECT_EQ(Stored(0), "x");

  // A picture file that cannot be read yet is chosen all the same, and the
  // memo keeps it after saying so.
  WriteFile("later.png", "not a picture yet");
  ASSERT_TRUE(DropFiles(memo, {Path("later.png")}));
  ASSERT_TRUE(Wait([&] { return Stored(0, "Back").find("later.png") != std::string::npos; },
                  "the background to become later.png"));
  const Dialog told = WaitForMessageWith(Widen("画像ファイルを読み込めませんでした。"));
  ASSERT_TRUE(told);
  ASSERT_TRUE(Press(told, IDOK));
  EXPECT_NE(Stored(0, "Back").find("later.png"), std::string::npos) << Stored(0, "Back");
}

TEST_F(TextDrop, OtherFilesBecomeNewMemosWithTheirEscapedText) {
  OneMemo("x", kX, kY);
  WriteFile("notes.txt", "line1\r\nline2\tend\nlast");
  WriteFile("photo.Png", std::string("mixed case\0ignored after the zero", 33));
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(kX, kY);
  ASSERT_NE(memo, nullptr);

  SnapshotMemos();
  ASSERT_TRUE(DropFiles(memo, {Path("notes.txt")}));
  ASSERT_NE(WaitForNewMemo(), nullptr);
  EXPECT_TRUE(WaitStored(1, "line1$$line2`end$last"));

  SnapshotMemos();
  ASSERT_TRUE(DropFiles(memo, {Path("photo.Png")}));
  ASSERT_NE(WaitForNewMemo(), nullptr);
  EXPECT_TRUE(WaitStored(2, "mixed case"));
  EXPECT_EQ(Stored(0, "Back"), "<missing>") << "the dropped-on memo keeps its background";
  EXPECT_EQ(Stored(0), "x");
  EXPECT_TRUE(NoDialogs("after the drops"));
}

TEST_F(TextDrop, OnlyTheFirstOfSeveralFilesIsUsed) {
  OneMemo("x", kX, kY);
  WriteFile("notes.txt", "notes");
  WriteFile("other.txt", "other");
  WriteFile("photo.jpeg", kOnePixelPicture);
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(kX, kY);
  ASSERT_NE(memo, nullptr);

  SnapshotMemos();
  ASSERT_TRUE(DropFiles(memo, {Path("notes.txt"), Path("photo.jpeg"), Path("other.txt")}));
  ASSERT_NE(WaitForNewMemo(), nullptr);
  EXPECT_TRUE(WaitStored(1, "notes"));

  ASSERT_TRUE(DropFiles(memo, {Path("photo.jpeg"), Path("other.txt")}));
  ASSERT_TRUE(Wait([&] { return Stored(0, "Back") != "<missing>"; }, "the background to change"));
  ExpectRepaintedWithoutMessage(memo);
  // The second file of neither drop became a memo.
  EXPECT_EQ(Memos().size(), 2u);
  EXPECT_EQ(Stored(2), "<missing>");
}

TEST_F(TextDrop, UnreadableAndTooLargeFilesCreateNothing) {
  OneMemo("x", kX, kY);
  CreateDirectoryW(Path("folder").c_str(), nullptr);
  WriteFile("locked.txt", "locked");
  WriteFile("big.txt", std::string(8192, 'b'));
  WriteFile("fits.txt", std::string(8191, 'f'));
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(kX, kY);
  ASSERT_NE(memo, nullptr);

  ASSERT_TRUE(DropFiles(memo, {Path("folder")}));
  ASSERT_TRUE(ConfirmMessage(textmsg::kCannotRead));

  HANDLE lock = CreateFileW(Path("locked.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  bool dropped = DropFiles(memo, {Path("locked.txt")});
  bool told = dropped && ConfirmMessage(textmsg::kCannotRead);
  CloseHandle(lock);
  ASSERT_TRUE(told);

  ASSERT_TRUE(DropFiles(memo, {Path("big.txt")}));
  ASSERT_TRUE(ConfirmMessage(textmsg::kFileTooLarge));
  EXPECT_EQ(Memos().size(), 1u);

  SnapshotMemos();
  ASSERT_TRUE(DropFiles(memo, {Path("fits.txt")}));
  ASSERT_NE(WaitForNewMemo(), nullptr);
  EXPECT_TRUE(WaitStored(1, std::string(8191, 'f')));
  EXPECT_EQ(Stored(0), "x");
}

TEST_F(TextDrop, ATextFileAtTheMemoLimitShowsTheLimitMessage) {
  std::vector<MemoSetup> memos(100);
  for (int n = 0; n < 100; ++n) {
    memos[n].x = n == 0 ? kX : 700 + n;
    memos[n].y = n == 0 ? kY : 500 + n;
    memos[n].text = "m" + std::to_string(n);
  }
  WriteCategory(memos);
  WriteFile("notes.txt", "notes");
  ASSERT_TRUE(Start(100));
  HWND memo = MemoAt(kX, kY);
  ASSERT_NE(memo, nullptr);

  ASSERT_TRUE(DropFiles(memo, {Path("notes.txt")}));
  ASSERT_TRUE(ConfirmMessage(textmsg::kTooManyMemos));
  EXPECT_EQ(Memos().size(), 100u);
  EXPECT_EQ(Stored(100), "<missing>");
  EXPECT_EQ(Stored(0), "m0");
}

}  // namespace
}  // namespace e2e
