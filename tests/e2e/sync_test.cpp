// The settings folder shared with another PC through a synchronisation
// service: the other PC's changes arrive in the files while the program
// runs, show at once and are never written over.
#include "text_fixture.h"

namespace e2e {
namespace {

using dz::IniDocument;

class ChangedElsewhere : public TextTest {
 protected:
  static MemoSetup Memo(int x, int y, const std::string& text, const std::string& id) {
    MemoSetup m(x, y, 150, 80, text);
    m.id = id;
    return m;
  }
  void ChangeCategory(const std::function<void(IniDocument&)>& change) {
    ChangeLikeSync("data\\data1.dat", change);
  }
  static void SetMemo(IniDocument& d, int n, std::initializer_list<std::pair<const char*, std::string>> values) {
    for (const auto& [prop, value] : values) d.Set("ChildWindow", std::to_string(n) + prop, value);
  }
  // Each "Section/Key" of the category file holds its value ("<missing>": absent).
  void ExpectStored(std::initializer_list<std::pair<const char*, const char*>> want) {
    const IniDocument cat = Category();
    for (const auto& [where, value] : want) {
      const std::string w = where;
      EXPECT_EQ(Get(cat, w.substr(0, w.find('/')), w.substr(w.find('/') + 1)), value) << w;
    }
  }
  // Commits the editor the way a user ends editing, with a double click.
  bool Commit(HWND editor) {
    Post(editor, WM_LBUTTONDBLCLK);
    return WaitEditorGone(editor);
  }
  HWND OpenEditor(HWND memo) {
    Post(memo, WM_LBUTTONDBLCLK);
    return WaitForEditor(memo);
  }
};

// Fault: the table save wrote its own, older count and the next new memo
// took the number of the memo added elsewhere; no window came for it.
TEST_F(ChangedElsewhere, AMemoAddedElsewhereAppearsAndSurvivesTheExit) {
  WriteCategory({Memo(100, 100, "mine", "a")});
  ASSERT_TRUE(Start(1));
  ChangeCategory([](IniDocument& d) {
    d.Set("ChildWindow", "No", "2");
    SetMemo(d, 1, {{"x", "400"}, {"y", "300"}, {"h", "150"}, {"l", "80"}, {"Text", "theirs"}, {"Id", "z"}});
  });
  HWND theirs = WaitForMemoAt(400, 300);
  ASSERT_NE(theirs, nullptr) << "the memo added elsewhere shows";
  // Found as soon as it exists, while it is still being created.
  EXPECT_TRUE(Wait([&] { return IsWindowVisible(theirs) != FALSE; }, "the added memo to be shown"));

  // A memo added here afterwards goes after it.
  SnapshotMemos();
  PostCommand(main(), cmd::kAddMemo);
  ASSERT_NE(WaitForNewMemo(), nullptr);
  ASSERT_TRUE(Exit());

  ExpectStored({{"ChildWindow/No", "3"}, {"ChildWindow/0Text", "mine"}, {"ChildWindow/1Text", "theirs"},
                {"ChildWindow/1Id", "z"}, {"ChildWindow/1x", "400"}});
  const std::string added = Stored(2, "Id");
  EXPECT_EQ(added.size(), 32u) << added;
  EXPECT_NE(added, "a");
}

// Fault: the edit landed on the memo that now has the number the edited
// memo had when the program read the file, and the memo deleted elsewhere
// came back with the save's count.
TEST_F(ChangedElsewhere, DeletedAndRenumberedElsewhereThenAnEditHereLandsOnTheRightMemo) {
  WriteCategory({Memo(100, 100, "A", "a"), Memo(300, 100, "B", "b"), Memo(500, 100, "C", "c")});
  ASSERT_TRUE(Start(3));
  HWND a = MemoAt(100, 100), c = MemoAt(500, 100);
  ASSERT_TRUE(a && c);
  // The other PC deleted A: B and C moved down one number.
  ReplaceLikeSync("data\\data1.dat", CategoryFile({Memo(300, 100, "B", "b"), Memo(500, 100, "C", "c")}));
  ASSERT_TRUE(Wait([&] { return !IsWindow(a); }, "the window of the memo deleted elsewhere to go"));
  ASSERT_TRUE(WaitForMemoCount(2));

  HWND editor = OpenEditor(c);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(EditorText(editor), L"C") << "the editor opened on C's text";
  Send(editor, EM_SETSEL, 0, -1);
  Type(editor, L"C2");
  ASSERT_TRUE(Commit(editor));
  ASSERT_TRUE(WaitStored(1, "C2"));
  EXPECT_EQ(Stored(1, "Id"), "c");
  EXPECT_EQ(Stored(0), "B");
  ASSERT_TRUE(Exit());

  // A stays deleted.
  ExpectStored({{"ChildWindow/No", "2"}, {"ChildWindow/0Text", "B"}, {"ChildWindow/1Text", "C2"},
                {"ChildWindow/2Text", "<missing>"}});
}

// Fault: a command going on after its dialog used the number its memo had
// when the dialog opened, and the file's text went into another memo.
TEST_F(ChangedElsewhere, RenumberedElsewhereWhileADialogIsOpenTheCommandStillActsOnItsMemo) {
  WriteCategory({Memo(100, 100, "A", "a"), Memo(300, 100, "B", "b"), Memo(500, 100, "C", "c")});
  WriteFile("add.txt", "+");
  ASSERT_TRUE(Start(3));
  PostCommand(MemoAt(500, 100), textcmd::kInsertFileEnd);
  ASSERT_TRUE(WaitForDialog(Widen("テキストファイルの選択")));
  ReplaceLikeSync("data\\data1.dat", CategoryFile({Memo(300, 100, "B", "b"), Memo(500, 100, "C", "c")}));
  ASSERT_TRUE(ChooseFile("テキストファイルの選択", Path("add.txt")));
  ASSERT_TRUE(WaitStored(1, "C+"));
  EXPECT_EQ(Stored(1, "Id"), "c");
  EXPECT_EQ(Stored(0), "B");
  EXPECT_EQ(Stored(2), "<missing>") << "A stays deleted";
}

// Fault: the commit wrote over the text stored elsewhere meanwhile, or
// dropped the text typed into a memo deleted elsewhere.
TEST_F(ChangedElsewhere, TextsEditedHereAndElsewhereAreBothKept) {
  MemoSetup m = Memo(200, 200, "start", "a");
  m.back = "1";
  m.color1 = 0x0000FF;
  WriteCategory({m});
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(200, 200);
  ASSERT_NE(memo, nullptr);

  HWND editor = OpenEditor(memo);
  ASSERT_NE(editor, nullptr);
  ChangeCategory([](IniDocument& d) { SetMemo(d, 0, {{"Text", "theirs"}}); });
  Send(editor, EM_SETSEL, 0, -1);
  Type(editor, L"mine");
  SnapshotMemos();
  ASSERT_TRUE(Commit(editor));
  Dialog told = WaitForMessageWith(L"ほかの場所でも変更されていました");
  ASSERT_TRUE(told) << "the user is told";
  // The other version beside the memo, in its look.
  HWND other = WaitForNewMemo();
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(RectStr(WindowRect(other)), RectStr(RECT{224, 224, 374, 304}));
  ASSERT_TRUE(Press(told, IDOK));
  EXPECT_TRUE(NoDialogs("after the one notice"));
  ExpectStored({{"ChildWindow/No", "2"}, {"ChildWindow/0Text", "mine"}, {"ChildWindow/0Id", "a"},
                {"ChildWindow/1Text", "theirs"}, {"ChildWindow/1Back", "1"}, {"ChildWindow/1Color1", "255"}});
  EXPECT_NE(Stored(1, "Id"), "a");

  // Deleted elsewhere while it is being edited: the typed text comes back
  // as a memo of its own.
  editor = OpenEditor(memo);
  ASSERT_NE(editor, nullptr);
  ChangeCategory([](IniDocument& d) {
    for (const char* p : {"x", "y", "h", "l", "Text", "Back", "Color1", "Id"}) {
      d.Set("ChildWindow", std::string("0") + p, d.Get("ChildWindow", std::string("1") + p).value_or(""));
      d.Remove("ChildWindow", std::string("1") + p);
    }
    d.Set("ChildWindow", "No", "1");
  });
  // The other PC's memo ("theirs") is memo 0 now: its window stays, the
  // edited one stays for the editor.
  ASSERT_TRUE(Wait([&] { return Memos().size() == 2 && IsWindow(memo) && IsWindow(editor); },
                   "the edited memo to stay while it is being edited"));
  Send(editor, EM_SETSEL, 0, -1);
  Type(editor, L"again");
  ASSERT_TRUE(Commit(editor));
  told = WaitForMessageWith(L"削除されていました");
  ASSERT_TRUE(told);
  ASSERT_TRUE(Press(told, IDOK));
  ASSERT_TRUE(WaitStored(1, "again"));
  EXPECT_EQ(Stored(0), "theirs");
  EXPECT_EQ(Stored(1, "Back"), "1") << "it comes back with its look";
  ASSERT_TRUE(WaitForMemoAt(200, 200) != nullptr);
  ASSERT_TRUE(WaitForMemoCount(2));
}

// Fault: nothing moved until a restart, the change repainted nothing, and
// the save at exit put the old place back; a scroll here was lost with it.
TEST_F(ChangedElsewhere, AMemoMovedElsewhereMovesHereAndStaysMoved) {
  MemoSetup a = Memo(100, 100, "A", "a"), b = Memo(400, 100, "B", "b");
  a.back = b.back = "1";
  a.color1 = b.color1 = 0xFFFFFF;
  WriteCategory({a, b});
  ASSERT_TRUE(Start(2));
  HWND ma = MemoAt(100, 100), mb = MemoAt(400, 100);
  ASSERT_TRUE(ma && mb);
  Key(mb, VK_DOWN);  // scrolled here: saved at exit

  ChangeCategory([](IniDocument& d) {
    SetMemo(d, 0, {{"x", "600"}, {"y", "500"}, {"h", "200"}, {"l", "120"}, {"Color1", std::to_string(0x0000FF)}});
  });
  ASSERT_TRUE(Wait([&] { return RectStr(WindowRect(ma)) == RectStr(RECT{600, 500, 800, 620}); },
                   "memo A at its new place"));
  ASSERT_TRUE(Wait([&] { return CaptureClient(ma).Fraction(RGB(255, 0, 0), 8) > 0.5; },
                   "memo A repainted in its new colour"));
  EXPECT_EQ(RectStr(WindowRect(mb)), RectStr(RECT{400, 100, 550, 180})) << "B stays";
  ASSERT_TRUE(Exit());

  ExpectStored({{"ChildWindow/0x", "600"}, {"ChildWindow/0y", "500"}, {"ChildWindow/0h", "200"},
                {"ChildWindow/1x", "400"}, {"Xdata/No1", "10"}, {"Xdata/No0", "<missing>"}});
}

}  // namespace
}  // namespace e2e
