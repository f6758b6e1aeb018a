// Categories: adding one through its dialog, deleting the current one
// through the shell, switching from the tray, memo and browser menus, and
// what a category keeps while another one is shown.
#include <string>
#include <utility>
#include <vector>

#include "../unit/ini_lines.h"
#include "text_fixture.h"

namespace e2e {
namespace {

namespace catcmd {
constexpr int kAdd = 403;
constexpr int kDeleteCurrent = 525;
constexpr int kFirst = 40020;  // category number k is kFirst + k - 1
constexpr int kDialogOk = 201, kDialogCancel = 202, kDialogName = 203;
}  // namespace catcmd

// The shell's own delete confirmation (as Wine shows it) and its buttons.
constexpr wchar_t kShellConfirm[] = L"Confirm file deletion";

class Categories : public TextTest {
 protected:
  // Memo.dat with the list and the current category (Shift_JIS bytes);
  // count < 0 leaves "CagoteriNo" out.
  static std::string List(const std::string& current, const std::vector<std::string>& names, int count = -2) {
    IniText ini;
    ini.Section("Cagoteri").Set("NowCagoteri", current);
    if (count == -2) count = static_cast<int>(names.size());
    if (count >= 0) ini.Set("CagoteriNo", count);
    for (size_t k = 0; k < names.size(); ++k) ini.Set(std::to_string(k + 1) + "Cagoteri", names[k]);
    return ini.bytes();
  }
  bool Activate(HWND w) {
    SetForegroundWindow(w);
    return Wait([&] { return GetForegroundWindow() == w; }, "the memo to be active");
  }
  std::string App(const std::string& key) { return Get(ReadIni("Memo.dat"), "Cagoteri", key); }

  Dialog OpenAddDialog(HWND target) {
    PostCommand(target, catcmd::kAdd);
    return WaitForDialog(std::wstring(L"カゴテリの追加"));
  }
  void TypeName(const Dialog& d, const std::wstring& name) {
    Send(GetDlgItem(d.hwnd, catcmd::kDialogName), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
  // Presses OK with name typed and expects the refusal message, owned by the
  // dialog; the dialog stays open.
  void ExpectRefused(const Dialog& d, const std::wstring& name, const char* utf8Message) {
    SCOPED_TRACE("name \"" + Narrow(name) + "\"");
    TypeName(d, name);
    Post(d.hwnd, WM_COMMAND, catcmd::kDialogOk);
    Dialog m = WaitForDialog(std::nullopt, Widen(utf8Message));
    ASSERT_TRUE(m);
    EXPECT_EQ(m.owner, d.hwnd);
    ASSERT_TRUE(Press(m, IDOK));
    EXPECT_TRUE(IsWindow(d.hwnd) && IsWindowVisible(d.hwnd)) << "the add dialog stays open";
  }

  // The XDG trash Wine's shell sends deleted files to: run-e2e.sh gives the
  // run its own through XDG_DATA_HOME. Empty when that is not set.
  static std::wstring TrashDirectory() {
    wchar_t buf[2048];
    const DWORD n = GetEnvironmentVariableW(L"XDG_DATA_HOME", buf, 2048);
    return n > 0 && n < 2048 ? DosPath(Narrow(buf) + "/Trash") : std::wstring();
  }
  // The names in the trash (below "files") of what was at original, as its
  // ".trashinfo" records it: what a restore from the trash puts back there.
  std::vector<std::wstring> TrashedFrom(const std::wstring& original) {
    std::vector<std::wstring> found;
    const std::wstring trash = TrashDirectory();
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((trash + L"\\info\\*.trashinfo").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return found;
    const std::string want = "Path=" + UnixPath(original);
    do {
      std::string info;
      if (!ReadBytes(trash + L"\\info\\" + fd.cFileName, &info)) continue;
      for (const std::string& line : dz::test::Lines(info))
        if (line == want) {
          const std::wstring name = fd.cFileName;
          found.push_back(name.substr(0, name.size() - std::wstring(L".trashinfo").size()));
        }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return found;
  }
  // Takes out of the trash what earlier runs of the test left there from original.
  void ForgetTrashedFrom(const std::wstring& original) {
    const std::wstring trash = TrashDirectory();
    for (const std::wstring& name : TrashedFrom(original)) {
      RemoveTree(trash + L"\\files\\" + name);
      DeleteFileW((trash + L"\\info\\" + name + L".trashinfo").c_str());
    }
  }

};

// ---- adding -------------------------------------------------------------------

TEST_F(Categories, LimitsAndAMissingCurrentCategoryAreToldAndChangeNothing) {
  // Ten names and a hand-edited count above the limit.
  std::vector<std::string> ten;
  for (int k = 1; k <= 10; ++k) ten.push_back("c" + std::to_string(k));
  WriteMemoDat(List("c3", ten, 25));
  WriteCategory("c3", CategoryFile({MemoSetup{100, 100}}));
  ASSERT_TRUE(Start(1));
  std::string before = ReadFileBytes("Memo.dat");
  PostCommand(main(), catcmd::kAdd);  // as the tray menu passes it on
  ASSERT_TRUE(ConfirmMessage("カゴテリが10を超えています。"));
  EXPECT_TRUE(NoDialogs("after the limit message"));
  EXPECT_EQ(ReadFileBytes("Memo.dat"), before);

  // Only one category: the last one is never deleted.
  WriteMemoDat(List("c3", {"c3"}));
  PostCommand(MemoAt(100, 100), catcmd::kDeleteCurrent);
  ASSERT_TRUE(ConfirmMessage("すでにカゴテリが１つしかありません。"));

  // The current category is not in the list: nothing is deleted.
  WriteMemoDat(List("c3", {"a", "b"}));
  before = ReadFileBytes("Memo.dat");
  PostCommand(MemoAt(100, 100), catcmd::kDeleteCurrent);
  ASSERT_TRUE(ConfirmMessage("現在のカゴテリ「c3」はカゴテリの一覧にないため、削除しません。"));
  EXPECT_TRUE(NoDialogs("after the refusal"));
  EXPECT_EQ(ReadFileBytes("Memo.dat"), before);
  EXPECT_TRUE(FileExists(Path("data\\c3.dat")));
  EXPECT_NE(MemoAt(100, 100), nullptr);

  // A fresh Memo.dat without a count holds one category, so adding opens
  // the dialog; cancelling it changes nothing.
  WriteMemoDat(IniText().Section("Cagoteri").Set("NowCagoteri", "c3").bytes());
  before = ReadFileBytes("Memo.dat");
  Dialog d = OpenAddDialog(MemoAt(100, 100));
  ASSERT_TRUE(d);
  ASSERT_TRUE(Press(d, catcmd::kDialogCancel));
  EXPECT_EQ(ReadFileBytes("Memo.dat"), before);
  EXPECT_NE(MemoAt(100, 100), nullptr);
}

TEST_F(Categories, AddingToAListOfTwoSwitchesToTheNewEmptyCategory) {
  WriteMemoDat(List("A", {"A", "B"}));
  WriteCategory("A", CategoryFile({MemoSetup{100, 100, 100, 100, std::string("a0")},
                                   MemoSetup{300, 100, 100, 100, std::string("a1")}}));
  ASSERT_TRUE(Start(2));
  HWND a0 = MemoAt(100, 100);
  ASSERT_NE(a0, nullptr);

  // Cancelled: the list, the current category and the memos stay.
  const std::string before = ReadFileBytes("Memo.dat");
  Dialog d = OpenAddDialog(a0);
  ASSERT_TRUE(d);
  EXPECT_EQ(d.owner, a0) << "owned by the window whose menu asked for it";
  EXPECT_EQ(d.text, L"カゴテリ名を入力してください");
  EXPECT_EQ(ControlText(GetDlgItem(d.hwnd, catcmd::kDialogName)), L"");
  ASSERT_TRUE(Press(d, catcmd::kDialogCancel));
  EXPECT_EQ(ReadFileBytes("Memo.dat"), before);
  EXPECT_EQ(Memos().size(), 2u);

  // The memo moved before the switch is saved where it is now.
  SetWindowPos(a0, nullptr, 140, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(Wait([&] { return MemoAt(140, 150) == a0; }, "the memo at its new place"));

  const std::wstring name = L"仕事&メモ";
  d = OpenAddDialog(a0);
  ASSERT_TRUE(d);
  TypeName(d, name);
  ASSERT_TRUE(Press(d, catcmd::kDialogOk));
  ASSERT_TRUE(WaitForMemoCount(0)) << "the new category has no memos";
  // The switch ends by storing the current category.
  EXPECT_TRUE(Wait([&] { return App("NowCagoteri") == Sjis(name); }, "the new category to be the current one"));
  EXPECT_EQ(App("CagoteriNo"), "3");
  EXPECT_EQ(App("1Cagoteri"), "A");
  EXPECT_EQ(App("2Cagoteri"), "B");
  EXPECT_EQ(App("3Cagoteri"), Sjis(name));
  const DWORD folder = GetFileAttributesW(Path("data\\" + Narrow(name)).c_str());
  EXPECT_TRUE(folder != INVALID_FILE_ATTRIBUTES && (folder & FILE_ATTRIBUTE_DIRECTORY)) << "its folder";
  dz::IniDocument a = Category("A");
  EXPECT_EQ(Get(a, "ChildWindow", "No"), "2");
  EXPECT_EQ(Get(a, "ChildWindow", "0x"), "140");
  EXPECT_EQ(Get(a, "ChildWindow", "0y"), "150");

  // A memo added now belongs to the new category.
  PostCommand(main(), cmd::kAddMemo);
  ASSERT_TRUE(WaitForMemoCount(1));
  ASSERT_TRUE(Exit());
  EXPECT_EQ(Get(Category(Narrow(name)), "ChildWindow", "No"), "1");
  EXPECT_EQ(Get(Category("A"), "ChildWindow", "No"), "2");
  EXPECT_EQ(App("NowCagoteri"), Sjis(name));
}

TEST_F(Categories, RefusedNamesKeepTheDialogOpenWithTheReason) {
  WriteMemoDat(List("Data1", {"Data1", "work"}));
  WriteCategory("Data1", CategoryFile({MemoSetup{100, 100}}));
  ASSERT_TRUE(Start(1));
  const std::string before = ReadFileBytes("Memo.dat");
  Dialog d = OpenAddDialog(main());
  ASSERT_TRUE(d);
  EXPECT_EQ(d.owner, main());

  const std::vector<std::pair<std::wstring, const char*>> refused = {
      {L"", "カゴテリ名を入力してください。"},
      {L"..\\escape", "カゴテリ名に使えない文字が含まれています。\n\\ / : * ? \" < > | と制御文字は使えません。"},
      {L" lead", "カゴテリ名の最初と最後には、空白とピリオド（.）は使えません。"},
      {L"com1.txt",
       "CON、PRN、AUX、NUL、COM0～COM9、LPT0～LPT9 はWindowsの予約名のため、カゴテリ名に使えません"
       "（拡張子を付けても同じです）。"},
      {L"WORK", "同じ名前のカゴテリがすでにあります。大文字と小文字は区別されません。"},
      // 128 characters of two bytes each: 256 bytes, one more than a name holds.
      {std::wstring(128, L'長'), "カゴテリ名が長すぎます。短い名前にしてください。"},
      {L"한글", "カゴテリ名に、Shift_JIS で表せない文字が含まれています。"},
  };
  for (size_t i = 0; i < refused.size(); ++i) {
    // Escape (command 2) does not close the dialog either: the refusal that
    // follows finds it open.
    if (i == 1) Post(d.hwnd, WM_COMMAND, IDCANCEL);
    ExpectRefused(d, refused[i].first, refused[i].second);
    if (HasFatalFailure()) return;
  }
  EXPECT_EQ(ReadFileBytes("Memo.dat"), before);
  EXPECT_FALSE(FileExists(base() + L"\\escape")) << "no folder outside data";

  // After all that, a good name is taken.
  TypeName(d, L"趣味");
  ASSERT_TRUE(Press(d, catcmd::kDialogOk));
  ASSERT_TRUE(WaitForMemoCount(0));
  EXPECT_EQ(App("CagoteriNo"), "3");
  EXPECT_EQ(App("3Cagoteri"), Sjis(L"趣味"));
}

// Names stored by older files open where Windows can hold them; a typed
// name that is the short (8.3) name of another category's file or folder
// is refused before it can read, write or delete them.
TEST_F(Categories, StoredNamesWindowsCanHoldOpenAndShortNamesOfOthersAreRefused) {
  const std::string dotted = ".notes", blank = "\xe3\x83\xa1\xe3\x83\xa2\xe3\x80\x80";  // "メモ" + full-width blank
  WriteMemoDat(List("data1", {"data1", dotted, Sjis(Widen(blank)), "datafolder1"}));
  WriteCategory({MemoSetup{100, 100}});
  WriteCategory(dotted, CategoryFile({MemoSetup{150, 150, 100, 100, std::string("dot")}}));
  WriteCategory(blank, CategoryFile({MemoSetup{200, 200, 100, 100, std::string("blank")}}));
  WriteCategory("datafolder1", CategoryFile({MemoSetup{250, 250, 100, 100, std::string("other")}}));
  WriteFile("data\\datafolder1\\Bit0.png", "picture");
  ASSERT_TRUE(Start(1));

  PostCommand(main(), catcmd::kFirst + 1);
  ASSERT_NE(WaitForMemoAt(150, 150), nullptr) << "the category \".notes\" opens";
  PostCommand(main(), catcmd::kFirst + 2);
  ASSERT_NE(WaitForMemoAt(200, 200), nullptr) << "the category ending in a full-width blank opens";
  EXPECT_EQ(App("NowCagoteri"), Sjis(Widen(blank)));

  // The names the file system answers to besides the long ones.
  auto shortLeaf = [&](const std::string& relative) {
    wchar_t buf[MAX_PATH];
    const DWORD n = GetShortPathNameW(Path(relative).c_str(), buf, MAX_PATH);
    const std::wstring full(buf, n > 0 && n < MAX_PATH ? n : 0);
    return full.substr(full.find_last_of(L'\\') + 1);
  };
  const std::wstring fileAlias = shortLeaf("data\\datafolder1.dat"), dirAlias = shortLeaf("data\\datafolder1");
  if (fileAlias.empty() || _wcsicmp(fileAlias.c_str(), L"datafolder1.dat") == 0) {
    ASSERT_TRUE(Exit());
    GTEST_SKIP() << "this file system gives no short names";
  }
  ASSERT_GT(fileAlias.size(), 4u);
  const std::string other = ReadFileBytes("data\\datafolder1.dat");
  Dialog d = OpenAddDialog(main());
  ASSERT_TRUE(d);
  const char* alias =
      "この名前は data フォルダーにある別のファイルかフォルダーの短い名前（8.3 形式）と同じため、"
      "カゴテリ名に使えません。";
  ExpectRefused(d, fileAlias.substr(0, fileAlias.size() - 4), alias);  // without ".DAT"
  ExpectRefused(d, dirAlias, alias);
  ASSERT_TRUE(Press(d, catcmd::kDialogCancel));

  ASSERT_TRUE(Exit());
  EXPECT_EQ(App("CagoteriNo"), "4") << "no category added";
  EXPECT_EQ(App("5Cagoteri"), "<missing>");
  EXPECT_EQ(ReadFileBytes("data\\datafolder1.dat"), other);
  EXPECT_TRUE(FileExists(Path("data\\datafolder1\\Bit0.png")));
  EXPECT_EQ(Get(Category(blank), "ChildWindow", "0Text"), "blank") << "saved under its own name";
  EXPECT_EQ(Get(Category(dotted), "ChildWindow", "0Text"), "dot");
}

// ---- deleting -----------------------------------------------------------------

TEST_F(Categories, DeletingTheMiddleOfThreeAsksTheShellAndSendsFileAndFolderToTheTrash) {
  WriteMemoDat(List("B", {"A", "B", "C"}));
  WriteCategory("A", CategoryFile({MemoSetup{100, 100}}));
  WriteCategory("B", CategoryFile({MemoSetup{300, 100}, MemoSetup{300, 300}}));
  WriteCategory("C", CategoryFile({MemoSetup{500, 100}}));
  WriteFile("data\\B\\Bit0.png", "picture");
  WriteFile("data\\A\\Bit0.png", "picture");
  // What a category of that name outside data would be: never touched.
  WriteFile("B.dat", "outside");
  const std::string bBytes = ReadFileBytes("data\\B.dat");
  ASSERT_FALSE(TrashDirectory().empty()) << "XDG_DATA_HOME is not set: run through scripts/run-e2e.sh";
  ForgetTrashedFrom(Path("data\\B.dat"));
  ForgetTrashedFrom(Path("data\\B"));
  ASSERT_TRUE(Start(2));
  const std::string before = ReadFileBytes("Memo.dat");

  // Answered No: the category stays, with its file, folder and memos.
  PostCommand(MemoAt(300, 100), catcmd::kDeleteCurrent);
  Dialog confirm = WaitForDialog(std::wstring(kShellConfirm));
  ASSERT_TRUE(confirm);
  EXPECT_EQ(confirm.owner, main());
  ASSERT_TRUE(Press(confirm, IDNO));
  ASSERT_TRUE(ExpectAlive());
  EXPECT_TRUE(NoDialogs("after answering No"));
  EXPECT_EQ(ReadFileBytes("Memo.dat"), before);
  EXPECT_TRUE(FileExists(Path("data\\B.dat")));
  EXPECT_TRUE(FileExists(Path("data\\B\\Bit0.png")));
  EXPECT_EQ(Memos().size(), 2u);
  EXPECT_NE(MemoAt(300, 300), nullptr);

  // Answered Yes: A, C and a stale C behind the count; A is shown.
  PostCommand(MemoAt(300, 300), catcmd::kDeleteCurrent);
  confirm = WaitForDialog(std::wstring(kShellConfirm));
  ASSERT_TRUE(confirm);
  ASSERT_TRUE(Press(confirm, IDYES));
  ASSERT_NE(WaitForMemoAt(100, 100), nullptr);
  ASSERT_TRUE(WaitForMemoCount(1));
  EXPECT_EQ(App("CagoteriNo"), "2");
  EXPECT_EQ(App("1Cagoteri"), "A");
  EXPECT_EQ(App("2Cagoteri"), "C");
  EXPECT_EQ(App("3Cagoteri"), "C");
  EXPECT_EQ(App("NowCagoteri"), "A");
  EXPECT_FALSE(FileExists(Path("data\\B.dat")));
  EXPECT_FALSE(FileExists(Path("data\\B")));
  EXPECT_TRUE(FileExists(Path("data\\A\\Bit0.png")));
  EXPECT_TRUE(FileExists(Path("data\\C.dat")));
  EXPECT_EQ(ReadFileBytes("B.dat"), "outside");
  // Both went to the trash whole, each recorded with the place it came from.
  const std::vector<std::wstring> file = TrashedFrom(Path("data\\B.dat")), folder = TrashedFrom(Path("data\\B"));
  ASSERT_EQ(file.size(), 1u) << "the category file in " << UnixPath(TrashDirectory());
  ASSERT_EQ(folder.size(), 1u) << "the category folder in " << UnixPath(TrashDirectory());
  std::string trashed;
  EXPECT_TRUE(ReadBytes(TrashDirectory() + L"\\files\\" + file[0], &trashed));
  EXPECT_EQ(trashed, bBytes);
  EXPECT_TRUE(ReadBytes(TrashDirectory() + L"\\files\\" + folder[0] + L"\\Bit0.png", &trashed));
  EXPECT_EQ(trashed, "picture");

  // Nothing brings the deleted file back: not the switch, not the exit.
  ASSERT_TRUE(Exit());
  EXPECT_FALSE(FileExists(Path("data\\B.dat")));
  EXPECT_EQ(App("NowCagoteri"), "A");
}

// ---- switching ---------------------------------------------------------------

TEST_F(Categories, SwitchingAwayAndBackKeepsPlacementsOffsetsAndTexts) {
  WriteMemoDat(List("data1", {"data1", "two"}));
  WriteCategory({MemoSetup{100, 100, 200, 150, std::string("one")}, MemoSetup{400, 100, 100, 100, std::string("two")}});
  WriteCategory("two", CategoryFile({MemoSetup{600, 400, 100, 100, std::string("other")}}));
  ASSERT_TRUE(Start(2));
  HWND m0 = MemoAt(100, 100), m1 = MemoAt(400, 100);
  ASSERT_TRUE(m0 && m1);

  // Moved and sized, scrolled, and left with its editor open and changed.
  SetWindowPos(m0, nullptr, 120, 130, 220, 170, SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(Wait([&] { return MemoAt(120, 130) == m0; }, "memo 0 at its new place"));
  Key(m1, VK_DOWN);
  Key(m1, VK_DOWN);
  Key(m1, VK_RIGHT);
  // A user's double click activates the memo with its first press.
  ASSERT_TRUE(Activate(m0));
  Post(m0, WM_LBUTTONDBLCLK);
  HWND editor = WaitForEditor(m0);
  ASSERT_NE(editor, nullptr);
  Send(editor, EM_SETSEL, 0, -1);
  Type(editor, L"書き換え");

  PostCommand(m1, catcmd::kFirst + 1);  // "two"
  ASSERT_NE(WaitForMemoAt(600, 400), nullptr);
  ASSERT_TRUE(WaitForMemoCount(1));
  EXPECT_EQ(App("NowCagoteri"), "two");
  dz::IniDocument one = Category();
  EXPECT_EQ(Get(one, "ChildWindow", "0Text"), Sjis(L"書き換え")) << "the open editor's text";
  EXPECT_EQ(Get(one, "ChildWindow", "0x"), "120");
  EXPECT_EQ(Get(one, "ChildWindow", "0y"), "130");
  EXPECT_EQ(Get(one, "ChildWindow", "0h"), "220");
  EXPECT_EQ(Get(one, "ChildWindow", "0l"), "170");
  EXPECT_EQ(Get(one, "Xdata", "No1"), "20");
  EXPECT_EQ(Get(one, "Ydata", "No1"), "10");

  // Back, as the tray menu passes the command on.
  SetWindowPos(MemoAt(600, 400), nullptr, 650, 420, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_NE(WaitForMemoAt(650, 420), nullptr);
  PostCommand(main(), catcmd::kFirst);
  m0 = WaitForMemoAt(120, 130);
  ASSERT_NE(m0, nullptr);
  ASSERT_TRUE(WaitForMemoCount(2));
  RECT r = WindowRect(m0);
  EXPECT_EQ(r.right - r.left, 220);
  EXPECT_EQ(r.bottom - r.top, 170);
  EXPECT_EQ(Get(Category("two"), "ChildWindow", "0x"), "650");
  m1 = MemoAt(400, 100);
  ASSERT_NE(m1, nullptr);
  // The offsets came back: one more step goes on from them.
  Key(m1, VK_DOWN);
  ASSERT_TRUE(Activate(m0));
  Post(m0, WM_LBUTTONDBLCLK);
  editor = WaitForEditor(m0);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(EditorText(editor), L"書き換え");
  ASSERT_TRUE(Exit());
  one = Category();
  EXPECT_EQ(Get(one, "Xdata", "No1"), "30");
  EXPECT_EQ(Get(one, "Ydata", "No1"), "10");
  EXPECT_EQ(App("NowCagoteri"), "data1");
}

TEST_F(Categories, AFailedSaveKeepsTheCurrentCategory) {
  WriteMemoDat(List("data1", {"data1", "two"}));
  WriteCategory({MemoSetup{100, 100}});
  WriteCategory("two", CategoryFile({MemoSetup{600, 400}}));
  ASSERT_TRUE(Start(1));
  HWND m0 = MemoAt(100, 100);
  ASSERT_NE(m0, nullptr);
  // Moved, so that the switch has a placement to save.
  SetWindowPos(m0, nullptr, 120, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(Wait([&] { return WindowRect(m0).left == 120; }, "the memo moved"));
  // Another program holds the category file open without sharing it.
  HANDLE held = CreateFileW(Path("data\\data1.dat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  PostCommand(m0, catcmd::kFirst + 1);
  ASSERT_TRUE(ConfirmMessage("カゴテリ「data1」を保存できなかったため、カゴテリを切り替えませんでした。"));
  // The file that refused the save is named once in the run, after that.
  ASSERT_TRUE(AnswerNotSavedNotice(L"data1.dat"));
  EXPECT_TRUE(IsWindow(m0));
  EXPECT_EQ(MemoAt(600, 400), nullptr);
  EXPECT_EQ(App("NowCagoteri"), "data1");

  // Let go, the same command switches.
  CloseHandle(held);
  PostCommand(m0, catcmd::kFirst + 1);
  ASSERT_NE(WaitForMemoAt(600, 400), nullptr);
  EXPECT_EQ(App("NowCagoteri"), "two");
  EXPECT_EQ(Get(Category(), "ChildWindow", "0x"), "120");
}

TEST_F(Categories, TrayAndMemoMenusListTheCategoriesAndSwitch) {
  WriteMemoDat(List("A", {"A", "B", "C"}));
  WriteCategory("A", CategoryFile({MemoSetup{100, 100}}));
  WriteCategory("B", CategoryFile({MemoSetup{300, 100}}));
  WriteCategory("C", CategoryFile({MemoSetup{500, 100}}));
  ASSERT_TRUE(Start(1));

  // Tray menu: up from nothing is 終了, then the version item, then the
  // category submenu (a separator between is skipped).
  Tray(WM_RBUTTONDOWN);
  Tray(WM_RBUTTONUP);
  HWND menu = WaitForMenu();
  ASSERT_NE(menu, nullptr);
  MenuKeys(menu, {VK_UP, VK_UP, VK_UP});
  HWND sub = OpenSubmenu(menu);
  ASSERT_NE(sub, nullptr);
  MenuKeys(menu, {VK_DOWN});  // B selected
  std::vector<bool> marks;
  ASSERT_TRUE(Wait([&] { return (marks = CheckMarks(sub, 3, 1)) == std::vector<bool>{true, false, false}; },
                   "a check mark on A only"))
      << marks[0] << marks[1] << marks[2];
  MenuKeys(menu, {VK_RETURN});
  ASSERT_NE(WaitForMemoAt(300, 100), nullptr);
  ASSERT_TRUE(WaitForMemoCount(1));
  EXPECT_EQ(App("NowCagoteri"), "B");

  // Memo menu: up from nothing is 終了, then the version item, 全メモの操作,
  // the delete and add items, then the category submenu.
  HWND b = MemoAt(300, 100);
  Post(b, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 20));
  Post(b, WM_RBUTTONUP, 0, MAKELPARAM(20, 20));
  menu = WaitForMenu();
  ASSERT_NE(menu, nullptr);
  MenuKeys(menu, {VK_UP, VK_UP, VK_UP, VK_UP, VK_UP, VK_UP});
  sub = OpenSubmenu(menu);
  ASSERT_NE(sub, nullptr);
  ASSERT_TRUE(Wait([&] { return (marks = CheckMarks(sub, 3, 0)) == std::vector<bool>{false, true, false}; },
                   "a check mark on B only"))
      << marks[0] << marks[1] << marks[2];
  MenuKeys(menu, {VK_DOWN, VK_DOWN, VK_RETURN});  // C
  ASSERT_NE(WaitForMemoAt(500, 100), nullptr);
  ASSERT_TRUE(WaitForMemoCount(1));
  EXPECT_EQ(App("NowCagoteri"), "C");
  EXPECT_EQ(Get(Category("B"), "ChildWindow", "No"), "1") << "B was saved on the way";
}

// ---- the current category at start ---------------------------------------------

TEST_F(Categories, AnUnsafeCurrentNameOpensData1AndSaysSo) {
  // "..\escape" once made the program write escape.dat beside data.
  WriteMemoDat(List("..\\escape", {"data1"}));
  WriteCategory({MemoSetup{100, 100, 100, 100, std::string("kept")}});
  ASSERT_TRUE(Start(1));
  ASSERT_TRUE(ConfirmMessage(
      "Memo.dat に記録された現在のカゴテリ名「..\\escape」は使えないため、カゴテリ「data1」を開きました。\n"
      "カゴテリ名に使えない文字が含まれています。\n\\ / : * ? \" < > | と制御文字は使えません。"));
  HWND m = MemoAt(100, 100);
  ASSERT_NE(m, nullptr);
  SetWindowPos(m, nullptr, 110, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_NE(WaitForMemoAt(110, 120), nullptr);
  ASSERT_TRUE(Exit());
  EXPECT_FALSE(FileExists(Path("escape.dat"))) << "nothing written beside data";
  EXPECT_EQ(Get(Category(), "ChildWindow", "0x"), "110");
  EXPECT_EQ(Get(Category(), "ChildWindow", "0Text"), "kept");
  EXPECT_EQ(App("NowCagoteri"), "data1");
}

}  // namespace
}  // namespace e2e
