// Conflict copies a sync service leaves beside the settings files when two
// PCs changed a file at once: their memos and categories come back in, and
// the copies go to the backup folder.
#include <map>

#include "conflicts_fixture.h"

namespace e2e {
namespace {

class ConflictCopies : public ConflictTest {
 protected:
  // As sync services put a file in place: written beside, renamed over.
  void Arrive(const std::string& relative, const std::string& bytes) {
    WriteFile(relative + ".part", bytes);
    ASSERT_TRUE(MoveFileW(Path(relative + ".part").c_str(), Path(relative).c_str())) << relative;
  }
  // The notice names the number of memos and where the copy went.
  bool AnswerFoldNoticeWith(const std::wstring& memos) {
    return AnswerFoldNotice(memos + L"取り込みました。\nコピーは次のフォルダーに移しました。\n" + base() +
                            L"\\backup\\conflicts");
  }
  // How often each text is stored in the category.
  std::map<std::string, int> TextCounts(const std::string& category = "data1") {
    std::map<std::string, int> counts;
    for (const std::string& text : Texts(category)) ++counts[text];
    return counts;
  }
};

TEST_F(ConflictCopies, EachServicesCopyIsFoldedInAtStartAndWhileRunningAndPutAway) {
  const MemoSetup same{100, 100, 100, 80, std::string("same")};
  WriteCategory({same, MemoSetup{250, 100, 100, 80, std::string("mine")}});
  // The memo both sides hold sits elsewhere in the copy: still the same memo.
  MemoSetup moved = same;
  moved.x = 700;
  const std::string syncthing = "data1.sync-conflict-20261208-101530-ABCDEF7.dat";
  const std::string dropbox = "data1 (Taro's conflicted copy 2026-12-08).dat";
  WriteCategory("data1.sync-conflict-20261208-101530-ABCDEF7",
                CategoryFile({moved, MemoSetup{400, 100, 100, 80, std::string("from syncthing")}}));
  WriteCategory("data1 (Taro's conflicted copy 2026-12-08)",
                CategoryFile({MemoSetup{550, 100, 100, 80, std::string("from dropbox")}}));
  const std::string dropboxBytes = ReadFileBytes("data\\" + dropbox);

  ASSERT_TRUE(Start(4));
  ASSERT_TRUE(AnswerFoldNoticeWith(L"メモを 2 枚"));
  EXPECT_NE(MemoAt(400, 100), nullptr);
  EXPECT_NE(MemoAt(550, 100), nullptr);
  EXPECT_EQ(MemoAt(700, 100), nullptr) << "the memo both sides hold is not doubled";
  EXPECT_EQ(FilesIn("data"), std::vector<std::string>{"data1.dat"});
  EXPECT_EQ(FilesIn("backup\\conflicts"), (std::vector<std::string>{dropbox, syncthing}));
  EXPECT_EQ(ReadFileBytes("backup\\conflicts\\" + dropbox), dropboxBytes) << "the copy is kept as it was";

  // While it runs, the other two forms.
  Arrive("data\\data1 (conflicted copy 2026-12-08 101530).dat",
         CategoryFile({same, MemoSetup{100, 300, 100, 80, std::string("from nextcloud")}}));
  ASSERT_NE(WaitForMemoAt(100, 300), nullptr);
  ASSERT_TRUE(AnswerFoldNoticeWith(L"メモを 1 枚"));
  Arrive("data\\data1-LAPTOP.dat", CategoryFile({MemoSetup{250, 300, 100, 80, std::string("from onedrive")}}));
  ASSERT_NE(WaitForMemoAt(250, 300), nullptr);
  ASSERT_TRUE(AnswerFoldNoticeWith(L"メモを 1 枚"));
  EXPECT_EQ(Memos().size(), 6u);
  EXPECT_EQ(FilesIn("data"), std::vector<std::string>{"data1.dat"});
  EXPECT_EQ(FilesIn("backup\\conflicts").size(), 4u);

  ASSERT_TRUE(Exit());
  const std::map<std::string, int> expected = {{"same", 1},          {"mine", 1},          {"from syncthing", 1},
                                               {"from dropbox", 1},  {"from nextcloud", 1}, {"from onedrive", 1}};
  EXPECT_EQ(TextCounts(), expected);
}

TEST_F(ConflictCopies, AMemoDatCopyAddsItsCategoriesAndACopyOfAnotherCategoryFillsThatFile) {
  WriteMemoDat(IniText()
                   .Section("Cagoteri")
                   .Set("NowCagoteri", "data1")
                   .Set("CagoteriNo", 2)
                   .Set("1Cagoteri", "data1")
                   .Set("2Cagoteri", "work")
                   .bytes());
  WriteCategory({MemoSetup{100, 100, 100, 80, std::string("here")}});
  WriteCategory("work", CategoryFile({MemoSetup{100, 300, 100, 80, std::string("work here")}}));
  // The other PC added a category and had it open.
  WriteFile("Memo (conflicted copy 2026-12-08 101530).dat", IniText()
                                                                 .Section("Cagoteri")
                                                                 .Set("NowCagoteri", "home")
                                                                 .Set("CagoteriNo", 3)
                                                                 .Set("1Cagoteri", "data1")
                                                                 .Set("2Cagoteri", "WORK")
                                                                 .Set("3Cagoteri", "home")
                                                                 .bytes());
  WriteCategory("work.sync-conflict-20261208-101530-ABCDEF7",
                CategoryFile({MemoSetup{100, 300, 100, 80, std::string("work here")},
                              MemoSetup{300, 300, 100, 80, std::string("work there")}}));

  ASSERT_TRUE(Start(1));
  Dialog d = WaitForMessageWith(L"競合コピー");
  ASSERT_TRUE(d);
  EXPECT_NE(d.text.find(L"カゴテリを 1 個追加しました"), std::wstring::npos) << Narrow(d.text);
  EXPECT_NE(d.text.find(L"メモを 1 枚"), std::wstring::npos) << Narrow(d.text);
  ASSERT_TRUE(Press(d, IDOK));
  EXPECT_EQ(Memos().size(), 1u) << "another category's memos get no windows";
  EXPECT_FALSE(FileExists(Path("Memo (conflicted copy 2026-12-08 101530).dat")));
  EXPECT_EQ(FilesIn("backup\\conflicts").size(), 2u);
  const DWORD folder = GetFileAttributesW(Path("data\\home").c_str());
  EXPECT_TRUE(folder != INVALID_FILE_ATTRIBUTES && (folder & FILE_ATTRIBUTE_DIRECTORY)) << "the new category's folder";

  ASSERT_TRUE(Exit());
  const dz::IniDocument app = ReadIni("Memo.dat");
  EXPECT_EQ(Get(app, "Cagoteri", "NowCagoteri"), "data1") << "the current category stays this PC's";
  EXPECT_EQ(Get(app, "Cagoteri", "CagoteriNo"), "3");
  EXPECT_EQ(Get(app, "Cagoteri", "2Cagoteri"), "work");
  EXPECT_EQ(Get(app, "Cagoteri", "3Cagoteri"), "home");
  EXPECT_EQ(TextCounts("work"), (std::map<std::string, int>{{"work here", 1}, {"work there", 1}}));
  EXPECT_EQ(TextCounts(), (std::map<std::string, int>{{"here", 1}}));
}

}  // namespace
}  // namespace e2e
