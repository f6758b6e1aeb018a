// One running program per base folder: a second start from the same folder
// hands over to the first and writes nothing; other folders run side by side.
#include "harness.h"

#include <cstdint>
#include <map>

namespace e2e {
namespace {

using SingleInstance = DerezizTest;

const wchar_t kNoAnswerText[] =
    L"このフォルダーで起動している Dereziz が応答しません。\n"
    L"メモを守るため、ここでは起動しません。しばらく待ってから、もう一度起動してください。";

// Every file under a folder with its bytes and last write time.
struct FileState {
  std::string bytes;
  uint64_t written = 0;
  bool operator==(const FileState& o) const { return bytes == o.bytes && written == o.written; }
};
using FolderState = std::map<std::wstring, FileState>;

void AddFolder(const std::wstring& dir, const std::wstring& relative, FolderState* out) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    std::wstring name = fd.cFileName;
    if (name == L"." || name == L"..") continue;
    std::wstring rel = relative.empty() ? name : relative + L"\\" + name;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      (*out)[rel + L"\\"] = FileState{};
      AddFolder(dir + L"\\" + name, rel, out);
    } else {
      FileState& f = (*out)[rel];
      ReadBytes(dir + L"\\" + name, &f.bytes);
      f.written = (uint64_t(fd.ftLastWriteTime.dwHighDateTime) << 32) | fd.ftLastWriteTime.dwLowDateTime;
    }
  } while (FindNextFileW(h, &fd));
  FindClose(h);
}

FolderState StateOf(const std::wstring& dir) {
  FolderState s;
  AddFolder(dir, L"", &s);
  return s;
}

void ExpectSameState(const FolderState& before, const FolderState& after) {
  for (const auto& [name, f] : after) {
    auto it = before.find(name);
    if (it == before.end())
      ADD_FAILURE() << "the second start created " << Narrow(name);
    else if (!(it->second == f))
      ADD_FAILURE() << "the second start changed " << Narrow(name);
  }
  for (const auto& [name, f] : before)
    if (!after.count(name)) ADD_FAILURE() << "the second start removed " << Narrow(name);
}

std::string AppFileFor(const std::string& category) {
  return IniText()
      .Section("Cagoteri")
      .Set("NowCagoteri", category)
      .Set("CagoteriNo", 1)
      .Set("1Cagoteri", category)
      .bytes();
}

// A second start waits for a program that is still starting and then for its
// answer, each for some seconds; it must end well within this.
constexpr DWORD kSecondStartMs = 30000;

TEST_F(SingleInstance, SecondStartWritesNothingAndTheFirstKeepsEveryMemo) {
  WriteMemoDat(AppFileFor("data1"));
  WriteCategory({MemoSetup{100, 100, 150, 80, std::string("first")}});
  ASSERT_TRUE(Start(1));
  const FolderState before = StateOf(base());
  ASSERT_TRUE(before.count(L"Memo.dat") && before.count(L"data\\data1.dat"));

  OtherProgram second;
  ASSERT_TRUE(second.Start(base()));
  ASSERT_TRUE(second.WaitForExit(kSecondStartMs));
  EXPECT_EQ(second.ExitCode(), 0u) << "the second start hands over and ends normally";
  ExpectSameState(before, StateOf(base()));
  ASSERT_TRUE(ExpectAlive());
  EXPECT_EQ(Memos().size(), 1u);

  // The first goes on as before, and what it saves at the end is all there is.
  Tray(WM_LBUTTONDBLCLK);
  ASSERT_NE(WaitForNewMemo(), nullptr);
  ASSERT_TRUE(Exit());
  dz::IniDocument cat = Category();
  EXPECT_EQ(Get(cat, "ChildWindow", "No"), "2");
  EXPECT_EQ(Get(cat, "ChildWindow", "0Text"), "first");
  EXPECT_EQ(Get(cat, "ChildWindow", "0x"), "100");
  EXPECT_EQ(Get(cat, "ChildWindow", "1Text"), "");
}

TEST_F(SingleInstance, SecondStartShowsTheFirstsHiddenMemosWhateverTheFolderIsSpelled) {
  WriteCategory({MemoSetup{100, 100, 150, 80, std::string("a")}, MemoSetup{400, 100, 150, 80, std::string("b")}});
  ASSERT_TRUE(Start(2));
  SendCommand(main(), cmd::kHideAll);
  ASSERT_TRUE(Wait([&] { return VisibleMemos().empty(); }, "every memo to be hidden"));

  // The same folder in capitals and with a trailing backslash.
  std::wstring spelled = base();
  CharUpperBuffW(&spelled[0], DWORD(spelled.size()));
  ASSERT_NE(spelled, base()) << "the base directory holds no small letter to change";
  spelled += L"\\";
  OtherProgram second;
  ASSERT_TRUE(second.Start(spelled));
  ASSERT_TRUE(second.WaitForExit(kSecondStartMs));
  EXPECT_EQ(second.ExitCode(), 0u);
  ASSERT_TRUE(Wait([&] { return VisibleMemos().size() == 2; }, "the first program's memos to be shown"));
  EXPECT_TRUE(Wait(
      [&] {
        DWORD owner = 0;
        GetWindowThreadProcessId(GetForegroundWindow(), &owner);
        return owner == pid();
      },
      "a memo of the first program in the foreground"));
  EXPECT_EQ(Memos().size(), 2u);
  ASSERT_TRUE(Exit());
  EXPECT_EQ(Get(Category(), "ChildWindow", "No"), "2");
}

TEST_F(SingleInstance, ProgramsInDifferentFoldersRunSideBySide) {
  WriteCategory({MemoSetup{100, 100, 150, 80, std::string("here")}});
  ASSERT_TRUE(CreateDirectoryW(Path("copy").c_str(), nullptr));
  WriteFile("copy\\data\\data1.dat", CategoryFile({MemoSetup{400, 300, 150, 80, std::string("copy")}}));
  ASSERT_TRUE(Start(1));
  OtherProgram copy;
  ASSERT_TRUE(copy.Start(Path("copy")));
  ASSERT_TRUE(WaitFor([&] { return copy.Main() && TopLevelWindows(copy.pid(), L"Child").size() == 1; },
                      15000, "the copy's main window and its memo", [&] {
                        return copy.Running() ? std::string()
                                              : "the copy ended with code " + std::to_string(copy.ExitCode());
                      }));
  // Each shows its own memo.
  std::vector<HWND> copyMemos = TopLevelWindows(copy.pid(), L"Child");
  ASSERT_EQ(copyMemos.size(), 1u);
  EXPECT_EQ(RectStr(WindowRect(copyMemos[0])), RectStr(RECT{400, 300, 550, 380}));
  ASSERT_NE(MemoAt(100, 100), nullptr);

  // A memo added in the copy stays the copy's.
  PostMessageW(copy.Main(), WM_COMMAND, cmd::kAddMemo, 0);
  ASSERT_TRUE(WaitFor([&] { return TopLevelWindows(copy.pid(), L"Child").size() == 2; }, kDefaultTimeoutMs,
                      "a new memo in the copy"));
  ASSERT_TRUE(ExpectAlive());
  EXPECT_EQ(Memos().size(), 1u);
  ASSERT_TRUE(copy.Exit());
  ASSERT_TRUE(Exit());
  EXPECT_EQ(Get(ReadIni("copy\\data\\data1.dat"), "ChildWindow", "No"), "2");
  EXPECT_EQ(Get(ReadIni("copy\\data\\data1.dat"), "ChildWindow", "0Text"), "copy");
  EXPECT_EQ(Get(Category(), "ChildWindow", "No"), "1");
  EXPECT_EQ(Get(Category(), "ChildWindow", "0Text"), "here");
}

TEST_F(SingleInstance, TwoStartsAtOnceLeaveOneRunning) {
  WriteCategory({MemoSetup{100, 100, 150, 80, std::string("one")}});
  // Neither waits for the other: the later may find the folder claimed
  // before the earlier has its main window.
  OtherProgram a, b;
  ASSERT_TRUE(a.Start(base()));
  ASSERT_TRUE(b.Start(base()));
  ASSERT_TRUE(WaitFor([&] { return !a.Running() || !b.Running(); }, kSecondStartMs, "one of the two to end"));
  OtherProgram& ended = a.Running() ? b : a;
  OtherProgram& running = a.Running() ? a : b;
  EXPECT_EQ(ended.ExitCode(), 0u);
  ASSERT_TRUE(WaitFor([&] { return running.Main() && TopLevelWindows(running.pid(), L"Child").size() == 1; },
                      15000, "the running program's main window and memo"));
  ASSERT_TRUE(running.Running());
  ASSERT_TRUE(running.Exit());
  EXPECT_EQ(Get(Category(), "ChildWindow", "No"), "1");
  EXPECT_EQ(Get(Category(), "ChildWindow", "0Text"), "one");
}

TEST_F(SingleInstance, HungFirstProgramIsReportedAndNothingIsWritten) {
  WriteMemoDat(AppFileFor("data1"));
  WriteCategory({MemoSetup{100, 100, 150, 80, std::string("first")}});
  ASSERT_TRUE(Start(1));
  const FolderState before = StateOf(base());

  // The first program's only thread stops: it answers nothing.
  ASSERT_NE(SuspendThread(mainThread()), DWORD(-1)) << "SuspendThread failed: " << GetLastError();
  struct Resume {
    HANDLE thread;
    ~Resume() { ResumeThread(thread); }
  } resume{mainThread()};

  OtherProgram second;
  ASSERT_TRUE(second.Start(base()));
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        for (HWND h : TopLevelWindows(second.pid(), L"#32770"))
          if (IsWindowVisible(h)) box = h;
        return box != nullptr;
      },
      kSecondStartMs, "the second start's message",
      [&] {
        return second.Running() ? std::string()
                                : "the second start ended with code " + std::to_string(second.ExitCode());
      }));
  Dialog d = ReadDialog(box);
  EXPECT_EQ(Narrow(d.text), Narrow(kNoAnswerText));
  EXPECT_EQ(Narrow(d.caption), "Dereziz");
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(box, IDOK));
  ASSERT_TRUE(second.WaitForExit());
  EXPECT_EQ(second.ExitCode(), 1u);
  ExpectSameState(before, StateOf(base()));

  // Going on, the first program has lost nothing.
  ASSERT_NE(ResumeThread(mainThread()), DWORD(-1));
  resume.thread = nullptr;
  // Until its thread has fetched a message again, the system may still take
  // it for hung and refuse to wait for an answer.
  ASSERT_TRUE(WaitFor([&] { return Health().empty(); }, kDefaultTimeoutMs,
                      "the first program to answer again once resumed"));
  EXPECT_EQ(Memos().size(), 1u);
  ASSERT_TRUE(Exit());
  EXPECT_EQ(Get(Category(), "ChildWindow", "No"), "1");
  EXPECT_EQ(Get(Category(), "ChildWindow", "0Text"), "first");
}

}  // namespace
}  // namespace e2e
