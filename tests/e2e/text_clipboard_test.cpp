// Memo text to and from the clipboard: commands 520, 521 and 522.
#include "text_fixture.h"

namespace e2e {
namespace {

using TextClipboard = TextTest;

// Waits until the program has put something new on the clipboard.
bool WaitClipboardChange(DWORD before) {
  return WaitFor([&] { return GetClipboardSequenceNumber() != before; }, kDefaultTimeoutMs,
                 "the clipboard to change");
}

TEST_F(TextClipboard, CopiesTheWholeDisplayTextAsUnicodeAndShiftJis) {
  // 2000 characters and more: nothing is cut.
  const std::string tail(2000, 'z');
  OneMemo("a$$b<\\c\\>^1+2^" + Sjis(L"日本") + tail);
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(200, 200);
  ASSERT_NE(memo, nullptr);

  DWORD before = GetClipboardSequenceNumber();
  PostCommand(memo, textcmd::kCopyText);
  ASSERT_TRUE(WaitClipboardChange(before));
  EXPECT_EQ(ClipboardUnicode(), L"a\r\nbc3" + std::wstring(L"日本") + Widen(tail));
  EXPECT_EQ(ClipboardAnsi(), "a\r\nbc3" + Sjis(L"日本") + tail);
}

TEST_F(TextClipboard, InsertsAtTheStartAndAtTheEnd) {
  OneMemo("x");
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(200, 200);
  ASSERT_NE(memo, nullptr);

  ASSERT_TRUE(SetClipboardTexts(L"abc"));
  PostCommand(memo, textcmd::kInsertClipStart);
  ASSERT_TRUE(WaitStored(0, "abcx"));
  PostCommand(memo, textcmd::kInsertClipEnd);
  ASSERT_TRUE(WaitStored(0, "abcxabc"));

  // Japanese offered only as Unicode arrives as Shift_JIS; TAB and CR LF are escaped.
  ASSERT_TRUE(SetClipboardTexts(L"日本\t語\r\n"));
  PostCommand(memo, textcmd::kInsertClipEnd);
  ASSERT_TRUE(WaitStored(0, "abcxabc" + Sjis(L"日本`語$$")));

  // Plain 8-bit text alone is taken as it is.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, 3);
  memcpy(GlobalLock(g), "pq", 3);
  GlobalUnlock(g);
  SetClipboardData(CF_TEXT, g);
  CloseClipboard();
  PostCommand(memo, textcmd::kInsertClipStart);
  ASSERT_TRUE(WaitStored(0, "pqabcxabc" + Sjis(L"日本`語$$")));
  EXPECT_TRUE(NoDialogs("after the insertions"));

  // A character Shift_JIS cannot hold is named, and nothing is inserted.
  ASSERT_TRUE(SetClipboardTexts(L"a\U0001F600b"));
  PostCommand(memo, textcmd::kInsertClipEnd);
  Dialog told = WaitForMessageWith(L"U+1F600");
  ASSERT_TRUE(told);
  ASSERT_TRUE(Press(told, IDOK));
  EXPECT_EQ(Stored(0), "pqabcxabc" + Sjis(L"日本`語$$"));
}

TEST_F(TextClipboard, AnEmptyClipboardInsertsNothing) {
  OneMemo("x");
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(200, 200);
  ASSERT_NE(memo, nullptr);

  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
  // Sent, not posted: with nothing to insert there is no dialog to wait for,
  // and both commands are over when the calls return.
  SendCommand(memo, textcmd::kInsertClipStart);
  SendCommand(memo, textcmd::kInsertClipEnd);
  EXPECT_EQ(Stored(0), "x");
  ASSERT_TRUE(SetClipboardTexts(L"z"));
  PostCommand(memo, textcmd::kInsertClipEnd);
  EXPECT_TRUE(WaitStored(0, "xz"));
  EXPECT_TRUE(NoDialogs("after inserting from an empty clipboard"));
}

TEST_F(TextClipboard, TooLargeIsRefusedExactlyAtTheLimit) {
  OneMemo(std::string(8000, 'a'));
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(200, 200);
  ASSERT_NE(memo, nullptr);

  ASSERT_TRUE(SetClipboardTexts(std::wstring(192, L'b')));
  PostCommand(memo, textcmd::kInsertClipStart);
  ASSERT_TRUE(ConfirmMessage(textmsg::kClipboardTooLarge));
  EXPECT_EQ(Stored(0), std::string(8000, 'a'));

  // 96 Japanese characters are 192 bytes as stored.
  ASSERT_TRUE(SetClipboardTexts(std::wstring(96, L'語')));
  PostCommand(memo, textcmd::kInsertClipEnd);
  ASSERT_TRUE(ConfirmMessage(textmsg::kClipboardTooLarge));
  EXPECT_EQ(Stored(0), std::string(8000, 'a'));

  ASSERT_TRUE(SetClipboardTexts(std::wstring(191, L'c')));
  PostCommand(memo, textcmd::kInsertClipEnd);
  EXPECT_TRUE(WaitStored(0, std::string(8000, 'a') + std::string(191, 'c')));
  EXPECT_TRUE(NoDialogs("after the insertion that fits"));
}

}  // namespace
}  // namespace e2e
