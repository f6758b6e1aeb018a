// Two folders kept in step by a real sync service, a Dereziz in each, edited
// on one side or on both at once so that the service makes conflict copies.
// Run by scripts/sync-soak.sh, which starts the service and answers the
// requests only it can carry out (pause, resume and wait until in sync);
// disabled in the plain suite, which has no sync service.
#include <algorithm>
#include <cstdlib>
#include <random>
#include <set>

#include "core/conflict_copy.h"
#include "conflicts_fixture.h"

namespace e2e {
namespace {

std::string Env(const char* name, const char* def = "") {
  const char* v = std::getenv(name);
  return v && *v ? v : def;
}

// A Linux path as the driver sees it.
std::wstring DrivePath(const std::string& unixPath) {
  std::wstring w = L"Z:" + Widen(unixPath);
  for (wchar_t& c : w)
    if (c == L'/') c = L'\\';
  return w;
}

// Requests to the script, one at a time: "<number> <request>" in the file
// "request", answered by "<number> <answer>" in "reply".
class Script {
 public:
  explicit Script(std::wstring dir) : dir_(std::move(dir)) {}
  std::string Ask(const std::string& request) {
    const std::string number = std::to_string(++asked_);
    const std::wstring reply = dir_ + L"\\reply";
    DeleteFileW(reply.c_str());
    if (!WriteBytes(dir_ + L"\\request.part", number + " " + request + "\n") ||
        !MoveFileExW((dir_ + L"\\request.part").c_str(), (dir_ + L"\\request").c_str(), MOVEFILE_REPLACE_EXISTING))
      return "cannot write the request";
    std::string answer;
    const bool answered = WaitFor(
        [&] {
          return ReadBytes(reply, &answer) && answer.size() > number.size() && answer.back() == '\n' &&
                 answer.compare(0, number.size() + 1, number + " ") == 0;
        },
        300000, "the script to answer \"" + request + "\"");
    DeleteFileW(reply.c_str());
    return answered ? answer.substr(number.size() + 1, answer.size() - number.size() - 2) : "no answer";
  }

 private:
  std::wstring dir_;
  int asked_ = 0;
};

// One PC: a folder and the Dereziz started in it.
class Side : public ConflictTest {
 public:
  Side(const std::wstring& dir, const std::string& name) { UseBase(dir, name); }
  void TestBody() override {}
  ~Side() override {
    if (Running()) TerminateProcess(process(), 1);
  }

  // Starts the program; the conflict copies in its data folder are folded
  // in at start, and its notice answered.
  bool Open() {
    const bool copies = !CopiesInData().empty();
    if (!Start(-1)) return false;
    if (copies && !AnswerFoldNotice()) return false;
    if (!CopiesInData().empty()) {
      ADD_FAILURE() << testName() << ": a conflict copy stayed in the data folder";
      return false;
    }
    return WaitForMemoCount(Texts().size());
  }
  bool Close() { return Exit(); }

  // The count is saved at exit; a memo's text when it is committed.
  bool Stores(const std::string& text) {
    return Wait(
        [&] {
          const dz::IniDocument cat = Category();
          for (int i = 0; i < 100; ++i)
            if (cat.Get("ChildWindow", std::to_string(i) + "Text") == text) return true;
          return false;
        },
        testName() + ": \"" + text + "\" stored");
  }

  bool Add(const std::string& text, POINT at) {
    SnapshotMemos();
    PostCommand(main(), cmd::kAddMemo);
    HWND memo = WaitForNewMemo();
    return memo && Write(memo, text, nullptr) && MoveTo(memo, at);
  }
  // A memo of this side chosen by pick, its text replaced through the editor.
  bool Edit(size_t pick, const std::string& text, std::string* old) {
    HWND memo = Pick(pick);
    return memo && Write(memo, text, old);
  }
  bool Delete(size_t pick, std::string* old) {
    HWND memo = Pick(pick);
    if (!memo || !Read(memo, old)) return false;
    PostCommand(memo, cmd::kDeleteMemo);
    Dialog d = WaitForDialog(std::wstring(L"確認"));
    return d && Press(d, IDOK) && Wait([&] { return !IsWindow(memo); }, testName() + ": the memo deleted");
  }
  bool Move(size_t pick, POINT at) {
    HWND memo = Pick(pick);
    return memo && MoveTo(memo, at);
  }
  size_t Count() { return Memos().size(); }
  // What the soak saw of this side, for a failure message.
  std::string State() {
    std::string out = testName() + ": " + std::to_string(Count()) + " windows, " + std::to_string(Texts().size()) +
                      " stored, " + std::to_string(CopiesInData().size()) + " copies";
    for (const Dialog& d : Dialogs()) out += ", box \"" + Narrow(d.text) + "\"";
    return out;
  }
  // Answers the fold notices that are open, and the one telling that the
  // other program holds the hotkeys (two PCs, one desktop here). True when
  // no box is open, no copy is left in the data folder and a window shows
  // every stored memo.
  bool Calm() {
    std::vector<Dialog> open = Dialogs();
    for (const Dialog& d : open)
      if (d.text.find(L"競合コピー") != std::wstring::npos || d.text.find(L"ホットキー") != std::wstring::npos)
        Press(d, IDOK);
    return open.empty() && CopiesInData().empty() && Count() == Texts().size();
  }
  std::string Bytes(const std::string& relative) { return ReadFileBytes(relative); }

  using ConflictTest::FilesIn;
  using ConflictTest::Texts;
  std::vector<std::string> CopiesInData() {
    std::vector<std::string> copies;
    for (const std::string& name : FilesIn("data"))
      if (dz::RecognizeConflictCopy(Sjis(Widen(name)), {"data1.dat"}).style != dz::ConflictStyle::kNone)
        copies.push_back(name);
    return copies;
  }

 private:
  HWND Pick(size_t pick) {
    const std::vector<HWND> memos = Memos();
    if (memos.empty()) return nullptr;
    return memos[pick % memos.size()];
  }
  // The editor is committed when its memo stops being the active window:
  // with two programs on one desktop the memo is made the active one first,
  // and asked again when activation moved on before the editor was seen.
  HWND OpenEditor(HWND memo) {
    HWND editor = nullptr;
    for (int attempt = 0; attempt < 3 && !editor; ++attempt) {
      SetForegroundWindow(memo);
      if (!Within([&] { return GetForegroundWindow() == memo; }, kDefaultTimeoutMs)) continue;
      PostCommand(memo, textcmd::kEditMemo);
      Within([&] { return (editor = EditorOf(memo)) != nullptr; }, kDefaultTimeoutMs);
    }
    if (!editor) {
      ADD_FAILURE() << testName() << ": no editor; active: " << DescribeForLog(GetForegroundWindow())
                    << ", memo: " << DescribeForLog(memo);
      SaveScreenshot("failure");
    }
    return editor;
  }
  // The memo's text as its editor shows it; the editor closed unchanged.
  bool Read(HWND memo, std::string* text) {
    HWND editor = OpenEditor(memo);
    if (!editor) return false;
    *text = Narrow(EditorText(editor));
    Post(editor, WM_LBUTTONDBLCLK);
    return WaitEditorGone(editor);
  }
  bool Write(HWND memo, const std::string& text, std::string* old) {
    HWND editor = OpenEditor(memo);
    if (!editor) return false;
    if (old) *old = Narrow(EditorText(editor));
    Send(editor, EM_SETSEL, 0, -1);
    Type(editor, Widen(text));
    Post(editor, WM_LBUTTONDBLCLK);
    return WaitEditorGone(editor) && Stores(text);
  }
  // As a drag leaves it: the table save at exit stores the place.
  bool MoveTo(HWND memo, POINT at) {
    SetWindowPos(memo, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return Wait([&] { const RECT r = WindowRect(memo); return r.left == at.x && r.top == at.y; },
                testName() + ": the memo at its new place");
  }
};

TEST(SyncSoak, DISABLED_EditsOnTwoPcsAreNeitherLostNorLeftInCopies) {
  const std::string dirA = Env("DEREZIZ_SOAK_A"), dirB = Env("DEREZIZ_SOAK_B"), control = Env("DEREZIZ_SOAK_CONTROL");
  ASSERT_FALSE(dirA.empty() || dirB.empty() || control.empty()) << "run by scripts/sync-soak.sh";
  const int rounds = std::atoi(Env("DEREZIZ_SOAK_ROUNDS", "3").c_str());
  std::mt19937 rng(static_cast<unsigned>(std::atoi(Env("DEREZIZ_SOAK_SEED", "1").c_str())));
  Side a(DrivePath(dirA), "A"), b(DrivePath(dirB), "B");
  Side* sides[] = {&a, &b};
  Script script(DrivePath(control));
  const bool running = Env("DEREZIZ_SOAK_RUNNING") == "1";

  std::set<std::string> committed, retired, folded;
  int edits = 0, places = 0;
  auto nextPlace = [&] {
    const int k = places++;
    return POINT{20 + (k % 9) * 130, 20 + (k / 9 % 7) * 130};
  };
  auto tallyFolded = [&] {
    for (Side* s : sides)
      for (const std::string& name : s->FilesIn("backup\\conflicts")) folded.insert(name);
  };
  // The exchange while both programs run: each folds the copies the service
  // made and follows the file it replaced, and what they write in doing so
  // is exchanged too, until both folders agree with nothing left to fold.
  auto settle = [&] {
    for (int k = 0; k < 6; ++k) {
      ASSERT_EQ(script.Ask("sync"), "ok");
      tallyFolded();
      if (Within([&] { return a.Calm() && b.Calm(); }, 30000) &&
          a.Bytes("data\\data1.dat") == b.Bytes("data\\data1.dat"))
        return;
    }
    FAIL() << "the two folders did not settle: " << a.State() << "; " << b.State();
  };
  // One round: edits while the service is paused, then the exchange. By
  // default both programs are started for the edits (each folds what the
  // last exchange left) and ended before the exchange; with
  // DEREZIZ_SOAK_RUNNING=1 they run through every exchange.
  auto round = [&](int r, bool edit) {
    ASSERT_EQ(script.Ask("pause"), "ok");
    if (!running) {
      ASSERT_TRUE(a.Open());
      ASSERT_TRUE(b.Open());
    }
    const unsigned who = edit ? rng() % 3 : 3;  // 0: A, 1: B, 2: both at once
    for (int s = 0; s < 2; ++s) {
      if (who != static_cast<unsigned>(s) && who != 2) continue;
      Side& side = *sides[s];
      const int n = 1 + static_cast<int>(rng() % 3);
      for (int e = 0; e < n; ++e) {
        const std::string text = "r" + std::to_string(r) + (s ? "b" : "a") + std::to_string(e) + "-" +
                                 std::to_string(rng() % 100000);
        const size_t count = side.Count();
        unsigned op = rng() % 4;  // add, edit, delete, move
        // Conflicts bring deleted memos and replaced texts back: the
        // category is kept from growing towards its limit.
        if (count < 4) op = 0;
        if (count > 12) op = 2;
        std::string old;
        const size_t pick = rng();
        switch (op) {
          case 0: ASSERT_TRUE(side.Add(text, nextPlace())); break;
          case 1: ASSERT_TRUE(side.Edit(pick, text, &old)); break;
          case 2: ASSERT_TRUE(side.Delete(pick, &old)); break;
          default: ASSERT_TRUE(side.Move(pick, nextPlace())); break;
        }
        if (op <= 1) committed.insert(text);
        if (op == 1 || op == 2) retired.insert(old);
        ++edits;
      }
    }
    if (running) {
      settle();
      return;
    }
    ASSERT_TRUE(a.Close());
    ASSERT_TRUE(b.Close());
    ASSERT_EQ(script.Ask("sync"), "ok");
    tallyFolded();
  };

  if (running) {
    ASSERT_EQ(script.Ask("pause"), "ok");
    ASSERT_TRUE(a.Open());
    ASSERT_TRUE(b.Open());
  }
  for (int r = 0; r < rounds; ++r) {
    round(r, true);
    if (HasFailure()) return;
  }
  // Copies the last exchange made are folded by the next start.
  for (int extra = 0; !running && extra < 5 && !(a.CopiesInData().empty() && b.CopiesInData().empty()); ++extra) {
    round(rounds, false);
    if (HasFailure()) return;
  }
  // Places are stored at exit, on both sides at once: the copies that
  // exchange makes are folded by the next start.
  for (int last = 0; running; ++last) {
    ASSERT_TRUE(a.Close());
    ASSERT_TRUE(b.Close());
    ASSERT_EQ(script.Ask("sync"), "ok");
    tallyFolded();
    if (last == 4 || (a.CopiesInData().empty() && b.CopiesInData().empty())) break;
    ASSERT_EQ(script.Ask("pause"), "ok");
    ASSERT_TRUE(a.Open());
    ASSERT_TRUE(b.Open());
    settle();
    if (HasFailure()) return;
  }

  EXPECT_TRUE(a.CopiesInData().empty()) << "a conflict copy left in A's data folder";
  EXPECT_TRUE(b.CopiesInData().empty()) << "a conflict copy left in B's data folder";
  std::vector<std::string> textsA = a.Texts(), textsB = b.Texts();
  std::sort(textsA.begin(), textsA.end());
  std::sort(textsB.begin(), textsB.end());
  EXPECT_EQ(textsA, textsB) << "both folders hold the same memos";
  EXPECT_EQ(a.Bytes("data\\data1.dat"), b.Bytes("data\\data1.dat"));
  int lost = 0;
  for (const std::string& text : committed) {
    if (retired.count(text) || std::binary_search(textsA.begin(), textsA.end(), text)) continue;
    ADD_FAILURE() << "lost: \"" << text << "\"";
    ++lost;
  }
  const std::string summary = std::to_string(rounds) + " rounds, " + std::to_string(edits) + " edits, " +
                              std::to_string(folded.size()) + " conflicts folded, " + std::to_string(lost) + " lost";
  std::printf("[ soak     ] %zu memos at the end\n[ soak     ] %s\n", textsA.size(), summary.c_str());
  EXPECT_TRUE(WriteBytes(DrivePath(control) + L"\\summary", summary + "\n"));
}

}  // namespace
}  // namespace e2e
