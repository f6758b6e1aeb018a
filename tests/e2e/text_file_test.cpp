// Text files into and out of a memo: commands 503, 504 and 508.
#include "text_fixture.h"

namespace e2e {
namespace {

using TextFile = TextTest;

constexpr char kOpenCaption[] = "テキストファイルの選択";
constexpr char kSaveCaption[] = "文章の保存";

TEST_F(TextFile, InsertsAFileAtTheStartAndAtTheEnd) {
  OneMemo("x");
  WriteFile("abc.txt", "abc");
  WriteFile("mixed.txt", std::string("t\tu\r\nv\0after the zero", 21));
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(200, 200);
  ASSERT_NE(memo, nullptr);

  PostCommand(memo, textcmd::kInsertFileStart);
  ASSERT_TRUE(ChooseFile(kOpenCaption, Path("abc.txt")));
  ASSERT_TRUE(WaitStored(0, "abc$$x"));

  PostCommand(memo, textcmd::kInsertFileEnd);
  ASSERT_TRUE(ChooseFile(kOpenCaption, Path("abc.txt")));
  ASSERT_TRUE(WaitStored(0, "abc$$xabc"));

  // TAB and CR LF are escaped; the text ends at the file's first zero byte.
  PostCommand(memo, textcmd::kInsertFileEnd);
  ASSERT_TRUE(ChooseFile(kOpenCaption, Path("mixed.txt")));
  ASSERT_TRUE(WaitStored(0, "abc$$xabct`u$$v"));
  EXPECT_TRUE(NoDialogs("after the insertions"));
}

TEST_F(TextFile, TooLargeCombinationsAreRefusedExactlyAtTheLimit) {
  OneMemo(std::string(7000, 'a'));
  WriteFile("1200.txt", std::string(1200, 'b'));
  WriteFile("1191.txt", std::string(1191, 'c'));  // 7000 + 1191 = 8191 at the end
  WriteFile("1190.txt", std::string(1190, 'd'));  // 7000 + 2 + 1190 = 8192 at the start
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(200, 200);
  ASSERT_NE(memo, nullptr);

  PostCommand(memo, textcmd::kInsertFileEnd);
  ASSERT_TRUE(ChooseFile(kOpenCaption, Path("1200.txt")));
  ASSERT_TRUE(ConfirmMessage(textmsg::kFileTooLarge));
  EXPECT_EQ(Stored(0), std::string(7000, 'a'));

  PostCommand(memo, textcmd::kInsertFileStart);
  ASSERT_TRUE(ChooseFile(kOpenCaption, Path("1190.txt")));
  ASSERT_TRUE(ConfirmMessage(textmsg::kFileTooLarge));
  EXPECT_EQ(Stored(0), std::string(7000, 'a'));

  PostCommand(memo, textcmd::kInsertFileEnd);
  ASSERT_TRUE(ChooseFile(kOpenCaption, Path("1191.txt")));
  EXPECT_TRUE(WaitStored(0, std::string(7000, 'a') + std::string(1191, 'c')));
  EXPECT_TRUE(NoDialogs("after the insertion that fits"));
}

TEST_F(TextFile, ALockedFileIsReportedAndChangesNothing) {
  OneMemo("x");
  WriteFile("locked.txt", "locked");
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(200, 200);
  ASSERT_NE(memo, nullptr);

  HANDLE lock = CreateFileW(Path("locked.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  PostCommand(memo, textcmd::kInsertFileStart);
  bool chosen = ChooseFile(kOpenCaption, Path("locked.txt"));
  bool told = chosen && ConfirmMessage(textmsg::kCannotRead);
  CloseHandle(lock);
  ASSERT_TRUE(told);
  EXPECT_EQ(Stored(0), "x");

  // Once the file is free again the same command works.
  PostCommand(memo, textcmd::kInsertFileEnd);
  ASSERT_TRUE(ChooseFile(kOpenCaption, Path("locked.txt")));
  EXPECT_TRUE(WaitStored(0, "xlocked"));
}

TEST_F(TextFile, SavesTheDisplayTextAsBytes) {
  // "$$" is CR LF, "$" LF, "`" TAB; link markers go, the expression is evaluated;
  // Japanese stays Shift_JIS.
  OneMemo("a$$b<\\c\\>^1+2^$d`e" + Sjis(L"日本"));
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(200, 200);
  ASSERT_NE(memo, nullptr);

  PostCommand(memo, textcmd::kSaveMemo);
  ASSERT_TRUE(ChooseFile(kSaveCaption, Path("out.txt")));
  std::string bytes;
  ASSERT_TRUE(Wait([&] { return ReadBytes(Path("out.txt"), &bytes) && !bytes.empty(); }, "the saved file"));
  EXPECT_EQ(bytes, "a\r\nbc3\nd\te" + Sjis(L"日本"));
  EXPECT_EQ(Stored(0), "a$$b<\\c\\>^1+2^$d`e" + Sjis(L"日本")) << "saving changes nothing stored";
}

}  // namespace
}  // namespace e2e
