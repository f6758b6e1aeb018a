// Nothing a user wrote is lost or silently not saved: locked and read-only
// settings files, text put into the editor by other programs, writes that
// fail, a long base folder, and the backups kept before a run's first write.
#include <algorithm>

#include "text_fixture.h"

namespace e2e {
namespace {

class NeverLose : public TextTest {
 protected:
  // Holds a file open without sharing, as a backup or synchronisation
  // program does for a moment.
  struct Lock {
    HANDLE h = INVALID_HANDLE_VALUE;
    explicit Lock(const std::wstring& path)
        : h(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~Lock() { Release(); }
    void Release() {
      if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
      h = INVALID_HANDLE_VALUE;
    }
    bool held() const { return h != INVALID_HANDLE_VALUE; }
  };

  int MessagesWith(const std::wstring& part) {
    int n = 0;
    for (const Dialog& d : Dialogs()) n += d.text.find(part) != std::wstring::npos;
    return n;
  }
};

TEST_F(NeverLose, ACategoryFileLockedAtStartIsNeitherTakenForEmptyNorWrittenOver) {
  WriteCategory({MemoSetup{200, 200, 120, 80, std::string("precious")}});
  const std::string before = ReadFileBytes("data\\data1.dat");
  Lock lock(Path("data\\data1.dat"));
  ASSERT_TRUE(lock.held());
  ASSERT_TRUE(Start(0));
  Dialog d = WaitForMessageWith(L"読み込めません");
  ASSERT_TRUE(d);
  EXPECT_NE(d.text.find(L"data1.dat"), std::wstring::npos) << "the message names the file";
  ASSERT_TRUE(Press(d, IDOK));
  EXPECT_TRUE(Memos().empty());

  // Adding a memo would write the file: refused with the same message.
  DoubleClickTray();
  d = WaitForMessageWith(L"読み込めません");
  ASSERT_TRUE(d);
  ASSERT_TRUE(Press(d, IDOK));
  EXPECT_TRUE(Memos().empty());

  // Once the lock is gone, the stored memo comes first and the new one after it.
  lock.Release();
  DoubleClickTray();
  ASSERT_TRUE(WaitForMemoCount(2));
  EXPECT_NE(MemoAt(200, 200), nullptr);
  ASSERT_TRUE(Exit());
  const dz::IniDocument cat = Category();
  EXPECT_EQ(Get(cat, "ChildWindow", "0Text"), "precious");
  EXPECT_EQ(Get(cat, "ChildWindow", "No"), "2");
  EXPECT_EQ(Get(cat, "ChildWindow", "1Text"), "");
}

TEST_F(NeverLose, TextPutIntoTheEditorByAnotherProgramIsCommitted) {
  OneMemo("old");
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(200, 200);
  ASSERT_NE(memo, nullptr);
  PostCommand(memo, textcmd::kEditMemo);
  HWND editor = WaitForEditor(memo);
  ASSERT_NE(editor, nullptr);
  // As accessibility and automation tools set text: the control's modified
  // flag stays clear.
  const std::wstring text = L"new 日本";
  Send(editor, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  Post(editor, WM_LBUTTONDBLCLK);
  ASSERT_TRUE(WaitEditorGone(editor));
  EXPECT_TRUE(WaitStored(0, "new " + Sjis(L"日本")));
  ASSERT_TRUE(Exit());
}

TEST_F(NeverLose, ATextThatCannotBeWrittenStaysInItsEditorUntilItCan) {
  OneMemo("first");
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(200, 200);
  ASSERT_NE(memo, nullptr);
  PostCommand(memo, textcmd::kEditMemo);
  HWND editor = WaitForEditor(memo);
  ASSERT_NE(editor, nullptr);
  Send(editor, EM_SETSEL, 0, -1);
  Type(editor, L"typed");

  Lock lock(Path("data\\data1.dat"));
  ASSERT_TRUE(lock.held());
  Post(editor, WM_LBUTTONDBLCLK);
  Dialog d = WaitForMessageWith(L"テキストを保存できませんでした");
  ASSERT_TRUE(d);
  ASSERT_TRUE(Press(d, IDOK));
  // The file that could not be written is named once, after that message.
  ASSERT_TRUE(AnswerNotSavedNotice(L"data1.dat"));
  EXPECT_TRUE(IsWindow(editor)) << "the editor stays open";
  EXPECT_EQ(EditorText(editor), L"typed");

  lock.Release();
  Post(editor, WM_LBUTTONDBLCLK);
  ASSERT_TRUE(WaitEditorGone(editor));
  EXPECT_TRUE(WaitStored(0, "typed"));

  // Inserting clipboard text says so too, and changes nothing.
  ASSERT_TRUE(SetClipboardTexts(L"clip"));
  Lock again(Path("data\\data1.dat"));
  PostCommand(memo, textcmd::kInsertClipStart);
  d = WaitForMessageWith(L"テキストを保存できませんでした");
  ASSERT_TRUE(d);
  ASSERT_TRUE(Press(d, IDOK));
  again.Release();
  EXPECT_EQ(Stored(0), "typed");
  ASSERT_TRUE(Exit());
}

TEST_F(NeverLose, AReadOnlySettingsFileIsReportedOnceNamingIt) {
  OneMemo("text");
  const std::wstring file = Path("data\\data1.dat");
  ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(200, 200);
  ASSERT_NE(memo, nullptr);
  ASSERT_TRUE(SetClipboardTexts(L"a"));
  for (int i = 0; i < 2; ++i) {
    PostCommand(memo, textcmd::kInsertClipEnd);
    Dialog d = WaitForMessageWith(L"テキストを保存できませんでした");
    ASSERT_TRUE(d);
    ASSERT_TRUE(Press(d, IDOK));
    if (i == 0) {
      ASSERT_TRUE(AnswerNotSavedNotice(L"data1.dat"));
    }
  }
  EXPECT_TRUE(NoDialogsOncePending(memo, "after the second refused insert")) << "the file is named once a run";
  EXPECT_EQ(Stored(0), "text");
  SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_TRUE(Exit());
}

TEST_F(NeverLose, BackupsKeepTheFileAsItWasBeforeEachOfTheLastFiveRuns) {
  WriteCategory({MemoSetup{100, 100, 100, 80, std::string("memo")}});
  std::vector<std::string> before;
  for (int run = 0; run < 7; ++run) {
    before.push_back(ReadFileBytes("data\\data1.dat"));
    ASSERT_TRUE(Start(1));
    HWND memo = MemoAt(100 + run * 10, 100);
    ASSERT_NE(memo, nullptr) << "run " << run;
    SetWindowPos(memo, nullptr, 110 + run * 10, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(Exit());
  }
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(Path("backup\\data\\data1.dat.*.bak").c_str(), &fd);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << "no backup of the category file";
  do names.push_back(fd.cFileName);
  while (FindNextFileW(h, &fd));
  FindClose(h);
  ASSERT_EQ(names.size(), 5u);
  std::sort(names.begin(), names.end());
  for (size_t i = 0; i < names.size(); ++i)
    EXPECT_EQ(ReadFileBytes("backup\\data\\" + Narrow(names[i])), before[i + 2]) << Narrow(names[i]);
  EXPECT_FALSE(FileExists(Path("data\\data1\\backup"))) << "never inside a category folder";
}

TEST_F(NeverLose, SettingsPathsLongerThanMaxPathAreUsedWhole) {
  // As long as a process's folder can be: every settings file's path is
  // longer than MAX_PATH.
  std::wstring dir = base();
  while (dir.size() < 240) {
    dir += L"\\" + std::wstring(std::min<size_t>(60, 250 - dir.size()), L'd');
    CreateDirectoryW((L"\\\\?\\" + dir).c_str(), nullptr);
  }
  CreateDirectoryW((L"\\\\?\\" + dir + L"\\data").c_str(), nullptr);
  ASSERT_TRUE(WriteBytes(L"\\\\?\\" + dir + L"\\data\\data1.dat",
                         CategoryFile({MemoSetup{321, 234, 100, 80, std::string("deep")}})));
  const bool rootHadOne = FileExists(L"Z:\\Memo.dat");
  OtherProgram program;
  ASSERT_TRUE(program.Start(dir));
  HWND memo = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        for (HWND w : TopLevelWindows(program.pid(), L"Child"))
          if (WindowRect(w).left == 321 && WindowRect(w).top == 234) memo = w;
        return memo != nullptr;
      },
      20000, "the memo stored in the long folder"));
  ASSERT_EQ(TopLevelWindows(program.pid(), L"MEMOWnd").size(), 1u);
  SetWindowPos(memo, nullptr, 333, 234, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(program.EndSession());
  std::string bytes;
  ASSERT_TRUE(ReadBytes(L"\\\\?\\" + dir + L"\\data\\data1.dat", &bytes));
  EXPECT_NE(bytes.find("0x=333"), std::string::npos) << "the placement is saved in the long folder";
  EXPECT_TRUE(FileExists(L"\\\\?\\" + dir + L"\\Memo.dat"));
  EXPECT_EQ(FileExists(L"Z:\\Memo.dat"), rootHadOne) << "nothing is written at the drive's root";
}

}  // namespace
}  // namespace e2e

namespace e2e {
namespace {

TEST_F(NeverLose, AMemoWhoseWindowCannotBeCreatedKeepsItsKeysAndIsSkipped) {
  WriteCategory({MemoSetup{100, 100, 120, 80, std::string("first")}, MemoSetup{300, 100, 313, 80, std::string("refused")},
                 MemoSetup{700, 100, 120, 80, std::string("third")}});
  HMODULE hook = LoadLibraryW((DriverDirectory() + L"\\refuse_window.dll").c_str());
  ASSERT_NE(hook, nullptr);
  auto proc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(hook, "RefuseMemoWindow")));
  ASSERT_NE(proc, nullptr);
  OtherProgram program;
  ASSERT_TRUE(program.Start(base(), true));
  HHOOK h = SetWindowsHookExW(WH_CBT, proc, hook, program.tid());
  program.Resume();
  if (!h) {
    ASSERT_TRUE(WaitFor([&] { return TopLevelWindows(program.pid(), L"Child").size() == 3; }, 20000, "memos"));
    program.EndSession();
    FreeLibrary(hook);
    GTEST_SKIP() << "this system cannot hook another program's thread (error " << GetLastError() << ")";
  }
  std::vector<HWND> memos;
  ASSERT_TRUE(WaitFor(
      [&] {
        memos = TopLevelWindows(program.pid(), L"Child");
        return memos.size() == 2 && !TopLevelWindows(program.pid(), L"MEMOWnd").empty();
      },
      20000, "the two memos that could be created"));
  UnhookWindowsHookEx(h);
  const HWND mainWnd = TopLevelWindows(program.pid(), L"MEMOWnd")[0];
  // The minute clock and "show all" reach only real windows; a new memo
  // still takes the next number.
  PostMessageW(mainWnd, WM_COMMAND, cmd::kShowAll, 0);
  PostMessageW(mainWnd, WM_COMMAND, cmd::kAddMemo, 0);
  ASSERT_TRUE(WaitFor([&] { return TopLevelWindows(program.pid(), L"Child").size() == 3; }, 20000, "the new memo"));
  for (HWND w : TopLevelWindows(program.pid(), L"Child"))
    if (WindowRect(w).left == 700) SetWindowPos(w, nullptr, 710, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(program.EndSession());
  FreeLibrary(hook);
  const dz::IniDocument cat = Category();
  EXPECT_EQ(Get(cat, "ChildWindow", "No"), "4");
  EXPECT_EQ(Get(cat, "ChildWindow", "1x"), "300") << "the memo without a window keeps its keys";
  EXPECT_EQ(Get(cat, "ChildWindow", "1y"), "100");
  EXPECT_EQ(Get(cat, "ChildWindow", "1h"), "313");
  EXPECT_EQ(Get(cat, "ChildWindow", "1l"), "80");
  EXPECT_EQ(Get(cat, "ChildWindow", "1Text"), "refused");
  EXPECT_EQ(Get(cat, "ChildWindow", "2x"), "710") << "the others are saved as usual";
  EXPECT_EQ(Get(cat, "ChildWindow", "3Text"), "");
}

}  // namespace
}  // namespace e2e
