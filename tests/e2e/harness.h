#pragma once
// End-to-end harness: starts the real dereziz.exe in a fresh base directory
// and drives it from outside as a user would, through window messages, the
// clipboard and the screen. Every wait polls with a bound; nothing sleeps for
// a fixed time.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/settings.h"

namespace e2e {

// ---- text -----------------------------------------------------------------
std::wstring Widen(const std::string& utf8);          // UTF-8 -> UTF-16
std::string Narrow(const std::wstring& w);            // UTF-16 -> UTF-8
std::string Sjis(const std::wstring& w);              // UTF-16 -> code page 932 bytes
std::wstring FromSjis(const std::string& bytes);      // code page 932 bytes -> UTF-16

// ---- settings files as bytes ---------------------------------------------
// Builds INI text in the order it is given (CR LF line ends). Values are raw
// bytes: pass Sjis(L"...") for Japanese text.
class IniText {
 public:
  IniText& Section(const std::string& name);
  IniText& Set(const std::string& key, const std::string& value);
  IniText& Set(const std::string& key, long long value);
  // Sets "<n><property>" in the current section.
  IniText& Memo(int n, const std::string& property, const std::string& value);
  IniText& Memo(int n, const std::string& property, long long value);
  IniText& Raw(const std::string& line);  // any line, as is
  const std::string& bytes() const { return text_; }

 private:
  std::string text_;
};

// Placement and look of a prepared memo (category file keys).
struct MemoSetup {
  MemoSetup() = default;
  MemoSetup(int x_, int y_, int w_ = 100, int h_ = 100, std::optional<std::string> text_ = std::nullopt,
           std::optional<int> style_ = std::nullopt, std::optional<int> level_ = std::nullopt)
      : x(x_), y(y_), w(w_), h(h_), text(std::move(text_)), style(style_), level(level_) {}
  int x = 0, y = 0, w = 100, h = 100;
  std::optional<std::string> text;   // stored (escaped) text, raw bytes
  std::optional<int> style;          // "%dStyle"; missing when empty
  std::optional<int> level;          // "%dWindowLebel"
  std::optional<std::string> back;   // "%dBack"
  std::optional<long long> color1;   // "%dColor1"
  std::optional<long long> fontColor;
  std::optional<int> fontHeight;
  std::optional<std::string> id;     // "%dId"
};
// Writes the per-memo keys of m as memo n.
void AddMemoKeys(IniText& ini, int n, const MemoSetup& m);
// A whole category file: section "ChildWindow" with "No" = memos.size() and
// the memos' keys.
std::string CategoryFile(const std::vector<MemoSetup>& memos);

// ---- windows of another process --------------------------------------------
struct WindowInfo {
  HWND hwnd;
  std::wstring cls, title;
  RECT rect;
  LONG style, exStyle;
  bool visible;
};
std::vector<HWND> TopLevelWindows(DWORD pid, const wchar_t* cls = nullptr,
                                  const wchar_t* title = nullptr);
WindowInfo Describe(HWND hwnd);
std::string DescribeForLog(HWND hwnd);
std::wstring WindowText(HWND hwnd);    // the title as the system keeps it
std::wstring ControlText(HWND hwnd);   // WM_GETTEXT, for controls such as Edit
std::wstring ClassOf(HWND hwnd);
RECT WindowRect(HWND hwnd);
RECT ClientRectOnScreen(HWND hwnd);

// A message box or dialog (top-level "#32770").
struct Dialog {
  HWND hwnd = nullptr;
  std::wstring caption;
  std::wstring text;  // the Static children's texts, joined by "\n"
  HWND owner = nullptr;
  explicit operator bool() const { return hwnd != nullptr; }
};
Dialog ReadDialog(HWND hwnd);
// The visible common-dialog file name field (Edit 0x47c), or null.
HWND FileNameEdit(HWND dialog);

// ---- clipboard ------------------------------------------------------------
std::optional<std::wstring> ClipboardUnicode();
std::optional<std::string> ClipboardAnsi();  // CF_TEXT bytes as stored
bool SetClipboardTexts(const std::wstring& unicode, const std::string* ansi = nullptr);

// ---- pixels ---------------------------------------------------------------
// A 32-bit copy of a screen rectangle. Colours are COLORREF (0x00BBGGRR).
class Image {
 public:
  Image() = default;
  Image(int w, int h) : w_(w), h_(h), px_(size_t(w) * h) {}
  int width() const { return w_; }
  int height() const { return h_; }
  bool empty() const { return w_ == 0 || h_ == 0; }
  COLORREF At(int x, int y) const;
  void Put(int x, int y, COLORREF c);
  // Bounding box of pixels with colour c (within tolerance per channel);
  // empty rect (all 0) when there are none.
  RECT BoundingBox(COLORREF c, int tolerance = 0) const;
  double Fraction(COLORREF c, int tolerance = 0) const;
  int Count(COLORREF c, int tolerance = 0) const;
  // Pixels that differ from c.
  RECT BoundingBoxNot(COLORREF c, int tolerance = 0) const;
  bool SameAs(const Image& other, int tolerance = 0) const;
  bool SaveBmp(const std::wstring& path) const;

 private:
  int w_ = 0, h_ = 0;
  std::vector<COLORREF> px_;
};
Image CaptureScreen(const RECT& r);
Image CaptureScreen();
Image CaptureClient(HWND hwnd);  // client area of a window as on screen
bool NearColor(COLORREF a, COLORREF b, int tolerance);
std::string ColorName(COLORREF c);
bool IsEmpty(const RECT& r);
std::string RectStr(const RECT& r);

// ---- files ----------------------------------------------------------------
bool ReadBytes(const std::wstring& path, std::string* bytes);
bool WriteBytes(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);
void RemoveTree(const std::wstring& path);
std::wstring DriverDirectory();
// Under Wine, a Windows path as the Linux path it names and back; elsewhere
// the path as it is (UnixPathOf: "" then).
std::string UnixPath(const std::wstring& path);
std::string UnixPathOf(const std::wstring& path);
std::wstring DosPath(const std::string& unixPath);

// ---- waiting ----------------------------------------------------------------
constexpr DWORD kDefaultTimeoutMs = 10000;
// For a process to start: on a busy machine many times the usual wait.
constexpr DWORD kProcessStartMs = 60000;

// Polls cond until it is true or timeoutMs passed. On timeout records a
// failure naming `what` and returns false. `alive`, when given, is checked
// between polls and stops the wait early with its message.
bool WaitFor(const std::function<bool()>& cond, DWORD timeoutMs, const std::string& what,
             const std::function<std::string()>& alive = nullptr);

// Like WaitFor, but records nothing: for probing whether something happens.
bool Within(const std::function<bool()>& cond, DWORD timeoutMs);

// A memo window's style as the user sees it.
inline bool Topmost(HWND h) { return (GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }
inline bool Framed(HWND h) { return (GetWindowLongW(h, GWL_STYLE) & WS_THICKFRAME) != 0; }

// ---- the desktop -----------------------------------------------------------
// The driver and every program it starts run on their own desktop,
// kTestDesktop. Under Wine it is a virtual desktop when the prefix says so
// (run-e2e.sh sets HKCU\Software\Wine\Explorer\Desktops\DerezizE2E):
// no window manager is involved then, which keeps hiding and destroying
// windows fast and the screen free of anything but the program's windows.
constexpr wchar_t kTestDesktop[] = L"DerezizE2E";
// Switches the calling thread to the test desktop; call before any window.
bool UseTestDesktop();
// The display scale, in dots per inch, that programs started from now on
// see: Wine reads "LogPixels" under HKCU\Control Panel\Desktop when a
// process starts. The driver sets 96 at its own start, so a run that ended
// inside a scaled test leaves no later run scaled.
bool WriteDisplayScale(DWORD dpi);

// ---- the program under test ---------------------------------------------------
// One test's run of dereziz.exe: its base directory and its process.
class DerezizTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // --- preparing the base directory (before Start) ---
  const std::wstring& base() const { return base_; }
  // A base directory kept as it is, for a run outside a test's own SetUp
  // that drives programs in folders it did not make (the sync soak).
  void UseBase(const std::wstring& dir, const std::string& name) {
    base_ = dir;
    testName_ = name;
  }
  std::wstring Path(const std::string& relative) const;  // base + "\" + relative (UTF-8)
  void WriteFile(const std::string& relative, const std::string& bytes);
  void WriteMemoDat(const std::string& bytes) { WriteFile("Memo.dat", bytes); }
  void WriteCategory(const std::string& name, const std::string& bytes) {
    WriteFile("data\\" + name + ".dat", bytes);
  }
  void WriteCategory(const std::vector<MemoSetup>& memos) {
    WriteCategory("data1", CategoryFile(memos));
  }
  // SetUp creates "data"; this removes it again.
  void RemoveDataFolder();

  // --- another program changing the files while this one runs ---
  // As a synchronisation service puts in a change made on another PC: the
  // new content is written beside the file and renamed over it in one step.
  void ReplaceLikeSync(const std::string& relative, const std::string& bytes);
  // Reads the file (relative to the base directory), lets change edit it
  // and puts it back as ReplaceLikeSync does.
  void ChangeLikeSync(const std::string& relative, const std::function<void(dz::IniDocument&)>& change);

  // --- running the program ---
  // Starts dereziz.exe in the base directory and waits until its main window
  // and `memos` memo windows exist (any number when negative: start-up is
  // over). Returns false (with a failure) when not.
  bool Start(int memos = 0);
  bool Running() const;
  DWORD pid() const { return pi_.dwProcessId; }
  HANDLE process() const { return pi_.hProcess; }
  HANDLE mainThread() const { return pi_.hThread; }
  HWND main() const { return main_; }
  // Exits through command 406 and the OK of the exit confirmation; waits for
  // the process to end. Returns false (with a failure) when it does not.
  bool Exit();
  // Waits for the process to end by itself (after an end-of-session, ...).
  bool WaitForExit(DWORD timeoutMs = kDefaultTimeoutMs);
  DWORD ExitCode() const;
  // "" while the program runs and answers a message within answerMs;
  // otherwise why not (ended with its exit code, or hung).
  std::string Health(DWORD answerMs = 5000) const;
  bool ExpectAlive();

  // Waits with the process checked between polls: a crash ends the wait at
  // once with a clear message.
  bool Wait(const std::function<bool()>& cond, const std::string& what,
            DWORD timeoutMs = kDefaultTimeoutMs);

  // Starts that follow in this test see a display of dpi dots per inch;
  // the test's end puts 96 back.
  void SetDisplayScale(DWORD dpi);

  // --- windows ---
  std::vector<HWND> Memos() const;          // every "Child"/"child" window, shown or not
  std::vector<HWND> VisibleMemos() const;
  // The memo whose window's top-left corner is at (x, y), or null. Tests
  // give each prepared memo its own position, so this names memos without
  // any help from the program.
  HWND MemoAt(int x, int y) const;
  HWND WaitForMemoAt(int x, int y);
  // Remembers the memos there are now, so that WaitForNewMemo() can find the next one.
  void SnapshotMemos();
  // Waits for a memo window that was not there at the last snapshot, and
  // for its creation to be over.
  HWND WaitForNewMemo();
  bool WaitForMemoCount(size_t n);

  // --- dialogs ---
  std::vector<Dialog> Dialogs() const;  // top-level "#32770" of the program
  // Waits for a dialog whose caption (when given) and text (when given) match
  // exactly; null Dialog and a failure when none comes.
  Dialog WaitForDialog(const std::optional<std::wstring>& caption,
                       const std::optional<std::wstring>& text = std::nullopt,
                       DWORD timeoutMs = kDefaultTimeoutMs);
  // Presses a button (posts WM_COMMAND id) and waits for the dialog to close.
  bool Press(const Dialog& d, int id);
  bool NoDialogs(const std::string& when);
  // The message box of the program whose text contains part; null (and a
  // failure naming what is open instead) when none comes.
  Dialog WaitForMessageWith(const std::wstring& part);
  // Lets the program finish what it has pending, then checks that no dialog
  // is open. A command posted to `memo` (copy its text) runs only after
  // every message posted before it, and a message box those would open is
  // open by then; the clipboard shows when the command has run. With
  // `paint`, the memo is painted first (WM_PAINT sent), so what a paint
  // posts comes before the command too.
  bool NoDialogsOncePending(HWND memo, const std::string& when, bool paint = false);
  // Drives a common file dialog: waits for one (with this caption when
  // given) that has the file name field, types path there and presses OK;
  // waits for the dialog to close.
  bool ChooseFileIn(const std::optional<std::wstring>& caption, const std::wstring& path);

  // --- messages ---
  void Post(HWND hwnd, UINT msg, WPARAM wp = 0, LPARAM lp = 0);
  // Sends and waits for the answer (bounded); fails when the program hangs.
  LRESULT Send(HWND hwnd, UINT msg, WPARAM wp = 0, LPARAM lp = 0);
  void PostCommand(HWND hwnd, int id) { Post(hwnd, WM_COMMAND, id, 0); }
  LRESULT SendCommand(HWND hwnd, int id) { return Send(hwnd, WM_COMMAND, id, 0); }
  // Tray icon callback (message 40003, icon 40002) with a mouse message; posted.
  void Tray(UINT mouseMessage);
  // The whole double click on the tray icon, as the shell reports it.
  void DoubleClickTray();
  void Key(HWND hwnd, UINT vk);  // WM_KEYDOWN + WM_KEYUP, sent
  void Wheel(HWND hwnd, int delta);  // WM_MOUSEWHEEL, sent
  // Real mouse input at a screen point (SendInput): flags 0 only moves,
  // MOUSEEVENTF_LEFTDOWN / LEFTUP / RIGHTDOWN ... press and release there.
  void Mouse(DWORD flags, int x, int y);
  // Real keyboard input (SendInput): presses the keys in order and releases
  // them in the reverse order, as a user holds Ctrl and Alt and taps N.
  void KeyInput(const std::vector<WORD>& keys);
  // Waits until the window's thread is (or is no longer) in a move or size
  // loop, i.e. until a drag has begun (or ended).
  bool WaitForMoveSize(HWND hwnd, bool moving);
  // Drags the memo with the real mouse, taking hold of it at the screen
  // point `grab`, until its top-left corner is at (x, y), and lets go.
  // False (with a failure) when it does not end there.
  bool DragMemoTo(HWND memo, POINT grab, int x, int y);
  // Waits for a popup menu of the program (after a right click, a tray
  // callback) and drives it with keys, as a user would: Down from nothing
  // selects the first item, Up the last, Right opens a submenu.
  HWND WaitForMenu();
  void MenuKeys(HWND menu, const std::vector<UINT>& keys);
  // For each of the rows items of an open menu, whether its check column
  // shows anything but the menu's background (a check mark). The selected
  // row is painted in the highlight colour and is not looked at (false).
  std::vector<bool> CheckMarks(HWND menu, int rows, int selected);
  // The popup menus of the program that are open now, the first opened first.
  std::vector<HWND> OpenMenus() const;
  // Opens the submenu of the selected item with Right and returns it (null,
  // with a failure, when none opens).
  HWND OpenSubmenu(HWND menu);

  // --- settings files as the program left them ---
  dz::IniDocument ReadIni(const std::string& relative);
  std::string ReadFileBytes(const std::string& relative);
  dz::IniDocument Category(const std::string& name = "data1") {
    return ReadIni("data\\" + name + ".dat");
  }
  // Waits until the key is present in the category file (e.g. the last key
  // an operation writes, to know that the operation is over).
  bool WaitForKey(const std::string& section, const std::string& key,
                  const std::string& category = "data1");
  // A key of the memos' section of data1.dat as the file holds it now
  // ("0Text", "TemplateFont"): "<missing>" when absent, "<unreadable>" while
  // the file cannot be read (the program may be replacing it); and waiting
  // for its value.
  std::string StoredKey(const std::string& key);
  bool WaitKey(const std::string& key, const std::string& value);
  // Value of a key, "<missing>" when absent (for readable comparisons).
  static std::string Get(const dz::IniDocument& ini, const std::string& section,
                         const std::string& key);

  // --- screenshots ---
  std::wstring SaveScreenshot(const std::string& name);
  const std::string& testName() const { return testName_; }

 private:
  std::string testName_;
  void KillProgram();
  std::wstring base_;
  PROCESS_INFORMATION pi_{};
  HWND main_ = nullptr;
  std::vector<HWND> snapshot_;
  bool screenshotTaken_ = false;
  bool exitFailed_ = false;
  bool scaled_ = false;
};

// Another run of dereziz.exe beside the test's own: a second start in the
// same base directory, or a program in another one. Killed when the object
// goes while it still runs.
class OtherProgram {
 public:
  OtherProgram() = default;
  OtherProgram(const OtherProgram&) = delete;
  OtherProgram& operator=(const OtherProgram&) = delete;
  ~OtherProgram();
  // Starts it with dir as its base directory and waits for nothing;
  // suspended, it runs once Resume() is called.
  bool Start(const std::wstring& dir, bool suspended = false);
  void Resume();
  DWORD tid() const { return pi_.dwThreadId; }
  bool Running() const;
  // Waits for it to end by itself; false (with a failure) when it does not.
  bool WaitForExit(DWORD timeoutMs = kDefaultTimeoutMs);
  DWORD ExitCode() const;
  DWORD pid() const { return pi_.dwProcessId; }
  // Its main window (class "MEMOWnd"), or null.
  HWND Main() const;
  // Ends it through its exit command and the OK of its exit confirmation,
  // as a user does; or as the end of the Windows session does.
  bool Exit();
  bool EndSession();

 private:
  PROCESS_INFORMATION pi_{};
};

// Commands and identifiers of the program.
namespace cmd {
constexpr int kAddMemo = 400;
constexpr int kShowAll = 401;
constexpr int kHideAll = 402;
constexpr int kAbout = 405;
constexpr int kExit = 406;
constexpr int kDeleteMemo = 506;
constexpr int kHideMemo = 507;
}  // namespace cmd
constexpr UINT kTrayMessage = 40003;
constexpr UINT kTrayIcon = 40002;

}  // namespace e2e
