// Edit mode: the editor laid over a memo, what it shows, what it stores, its
// menu commands and its life with the memo.
#include <regex>

#include "text_fixture.h"

namespace e2e {
namespace {

bool MakeForeground(HWND w) {
  SetForegroundWindow(w);
  return WaitFor([&] { return GetForegroundWindow() == w; }, kDefaultTimeoutMs, "the window to be active");
}

class TextEdit : public TextTest {
 protected:
  DWORD Selection(HWND editor) { return static_cast<DWORD>(Send(editor, EM_GETSEL)); }
  void SetText(HWND editor, const std::wstring& text) {
    Send(editor, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  bool WaitText(HWND editor, const std::wstring& text) {
    std::wstring last;
    bool ok = Wait([&] { return (last = EditorText(editor)) == text; }, "the editor text");
    EXPECT_EQ(last, text);
    return ok;
  }
  // Opens the editor on memo with a double click.
  HWND Open(HWND memo) {
    Post(memo, WM_LBUTTONDBLCLK);
    return WaitForEditor(memo);
  }
};

TEST_F(TextEdit, DoubleClickOpensTheDecodedTextAndCommitsItEscaped) {
  OneMemo("a$$b`c$d" + Sjis(L"日本"));
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(200, 200);
  ASSERT_NE(memo, nullptr);

  HWND editor = Open(memo);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(RectStr(WindowRect(editor)), RectStr(ClientRectOnScreen(memo))) << "covers the client area";
  // The control shows every line break as CR LF.
  EXPECT_EQ(EditorText(editor), L"a\r\nb\tc\r\nd日本");

  Send(editor, EM_SETSEL, 0, -1);
  Type(editor, L"x$y`z語");
  Post(editor, WM_LBUTTONDBLCLK);
  ASSERT_TRUE(WaitEditorGone(editor));
  ASSERT_TRUE(WaitStored(0, "x$y`z" + Sjis(L"語")));
  EXPECT_TRUE(IsWindow(memo));

  // Command 502 opens it too; "$" and the grave accent came back as a line
  // break and a tab.
  PostCommand(memo, textcmd::kEditMemo);
  editor = WaitForEditor(memo);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(EditorText(editor), L"x\r\ny\tz語");
  // Closed without a change, the stored text stays byte for byte (the lone
  // "$" is not turned into "$$").
  Post(editor, WM_LBUTTONDBLCLK);
  ASSERT_TRUE(WaitEditorGone(editor));
  EXPECT_EQ(Stored(0), "x$y`z" + Sjis(L"語"));

  // Line breaks typed in the editor are stored as "$$".
  editor = Open(memo);
  ASSERT_NE(editor, nullptr);
  Send(editor, EM_SETSEL, 0, -1);
  Type(editor, L"p");
  Key(editor, VK_RETURN);
  Type(editor, L"q");
  Post(editor, WM_LBUTTONDBLCLK);
  ASSERT_TRUE(WaitEditorGone(editor));
  EXPECT_TRUE(WaitStored(0, "p$$q"));
}

TEST_F(TextEdit, ActivatingAnotherMemoCommitsAndAnEmptyTextIsStored) {
  MemoSetup a, b;
  a.x = 200, a.y = 200, a.w = 200, a.h = 150, a.text = "first";
  b.x = 600, b.y = 200, b.text = "second";
  WriteCategory(std::vector<MemoSetup>{a, b});
  ASSERT_TRUE(Start(2));
  HWND memo = MemoAt(200, 200), other = MemoAt(600, 200);
  ASSERT_TRUE(memo && other);

  ASSERT_TRUE(MakeForeground(memo));
  HWND editor = Open(memo);
  ASSERT_NE(editor, nullptr);
  Send(editor, EM_SETSEL, -1, -1);
  Type(editor, L" typed");
  ASSERT_TRUE(MakeForeground(other));
  ASSERT_TRUE(WaitEditorGone(editor));
  EXPECT_TRUE(WaitStored(0, "first typed"));
  EXPECT_EQ(Stored(1), "second");

  ASSERT_TRUE(MakeForeground(memo));
  editor = Open(memo);
  ASSERT_NE(editor, nullptr);
  Send(editor, EM_SETSEL, 0, -1);
  Key(editor, VK_BACK);
  EXPECT_EQ(EditorText(editor), L"");
  Post(editor, WM_LBUTTONDBLCLK);
  ASSERT_TRUE(WaitEditorGone(editor));
  EXPECT_TRUE(WaitStored(0, ""));
}

// The editor asked for on a memo that is not active (as a menu command sent
// to it, or another part of the program, may ask) stays open while the
// memo that was active lets go. A text with characters Shift_JIS cannot
// hold is not stored as "?": the user is told which, the text stays.
TEST_F(TextEdit, AnEditorOpenedOnAnInactiveMemoStaysAndUnstorableCharactersAreNamed) {
  WriteCategory({MemoSetup{200, 200, 200, 150, std::string("first")}, MemoSetup{600, 200, 200, 150, std::string("second")}});
  ASSERT_TRUE(Start(2));
  HWND active = MemoAt(200, 200), memo = MemoAt(600, 200);
  ASSERT_TRUE(active && memo);
  ASSERT_TRUE(MakeForeground(active));

  PostCommand(memo, textcmd::kEditMemo);
  HWND editor = WaitForEditor(memo);
  ASSERT_NE(editor, nullptr);
  ASSERT_TRUE(Wait([&] { return GetForegroundWindow() == memo; }, "the edited memo to come forward"));
  EXPECT_TRUE(IsWindow(editor) && EditorOf(memo) == editor) << "the other memo's deactivation left it open";
  EXPECT_EQ(EditorText(editor), L"second");

  // Two emoji (one twice), a Korean syllable, and a "?" of the user's own.
  const std::wstring text = L"日本 \U0001F600 x? \uD55C \U0001F600";
  SetText(editor, text);
  Post(editor, WM_LBUTTONDBLCLK);
  Dialog told = WaitForMessageWith(L"Shift_JIS で表せない");
  ASSERT_TRUE(told);
  EXPECT_NE(told.text.find(L"U+1F600"), std::wstring::npos) << Narrow(told.text);
  EXPECT_NE(told.text.find(L"\uD55C"), std::wstring::npos) << Narrow(told.text);
  EXPECT_EQ(told.text.find(L"U+1F600"), told.text.rfind(L"U+1F600")) << "each character named once";
  EXPECT_EQ(told.text.find(L"日"), std::wstring::npos) << "only what cannot be stored is named";
  ASSERT_TRUE(Press(told, IDOK));
  EXPECT_TRUE(IsWindow(editor)) << "the editor stays open";
  EXPECT_EQ(EditorText(editor), text);
  EXPECT_EQ(Stored(1), "second") << "nothing written";

  // Without them the text is stored, the user's own "?" with it.
  SetText(editor, L"日本 x?");
  Post(editor, WM_LBUTTONDBLCLK);
  ASSERT_TRUE(WaitEditorGone(editor));
  EXPECT_TRUE(WaitStored(1, Sjis(L"日本 x?")));

  // A hidden memo asked for its editor comes into view with it.
  PostCommand(memo, cmd::kHideMemo);
  ASSERT_TRUE(Wait([&] { return !IsWindowVisible(memo); }, "the memo to hide"));
  PostCommand(memo, textcmd::kEditMemo);
  editor = WaitForEditor(memo);
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(IsWindowVisible(memo) && IsWindowVisible(editor));
  Post(editor, WM_LBUTTONDBLCLK);
  ASSERT_TRUE(WaitEditorGone(editor));
  ASSERT_TRUE(Exit());
  EXPECT_EQ(Stored(0), "first");
  EXPECT_EQ(Stored(1), Sjis(L"日本 x?"));

  // The end of the Windows session waits for no box: such a text goes into
  // a file of its own, named at the next start.
  ASSERT_TRUE(Start(2));
  memo = MemoAt(600, 200);
  PostCommand(memo, textcmd::kEditMemo);
  editor = WaitForEditor(memo);
  ASSERT_NE(editor, nullptr);
  SetText(editor, text);
  Post(main(), WM_ENDSESSION, TRUE, 0);
  ASSERT_TRUE(WaitForExit()) << "a box held the end of the session";
  EXPECT_EQ(Stored(1), Sjis(L"日本 x?"));
  const std::vector<std::string> kept = FilesIn("backup\\unsaved");
  ASSERT_EQ(kept.size(), 1u);
  std::string bytes;
  ASSERT_TRUE(ReadBytes(Path("backup\\unsaved\\" + kept[0]), &bytes));
  EXPECT_EQ(bytes, std::string("\xFF\xFE", 2) + std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2));
  ASSERT_TRUE(Start(2));
  Dialog named = WaitForMessageWith(L"保存できない文字があったため");
  ASSERT_TRUE(named);
  EXPECT_NE(named.text.find(Widen(kept[0])), std::wstring::npos) << Narrow(named.text);
  ASSERT_TRUE(Press(named, IDOK));
}

TEST_F(TextEdit, InsertionsGoStraightIntoTheTextAndLeaveTheClipboardAlone) {
  OneMemo("start");
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(200, 200);
  ASSERT_NE(memo, nullptr);

  // The user's clipboard: Unicode text, 8-bit text and a format of its own.
  const UINT own = RegisterClipboardFormatW(L"DerezizTestPrivate");
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  for (auto [fmt, data, size] : {std::tuple<UINT, const void*, size_t>{CF_UNICODETEXT, L"keep", 10},
                                 {CF_TEXT, "keep8", 6}, {own, "\x01\x02\x03", 3}}) {
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, size);
    memcpy(GlobalLock(g), data, size);
    GlobalUnlock(g);
    SetClipboardData(fmt, g);
  }
  CloseClipboard();
  const DWORD sequence = GetClipboardSequenceNumber();

  HWND editor = Open(memo);
  ASSERT_NE(editor, nullptr);
  struct Case {
    const wchar_t* text;
    int s, e, cmd;
    const wchar_t* expect;
    int caret;
  } cases[] = {
      {L"xabcy", 1, 4, textcmd::kLinkMarks, L"x<\\abc\\>y", 8},
      {L"xabcy", 1, 4, textcmd::kExprMarks, L"x^abc^y", 6},
      {L"ab", 1, 1, textcmd::kLinkMarks, L"a<\\\\>b", 5},
      {L"ab", 1, 1, textcmd::kExprMarks, L"a^^b", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cmd);
    SetText(editor, c.text);
    Send(editor, EM_SETSEL, c.s, c.e);
    PostCommand(editor, c.cmd);
    EXPECT_TRUE(WaitText(editor, c.expect));
    EXPECT_EQ(Selection(editor), static_cast<DWORD>(MAKELONG(c.caret, c.caret))) << "caret after the closing marker";
  }

  // Time and date replace the selection.
  SYSTEMTIME before;
  GetLocalTime(&before);
  SetText(editor, L"xabcy");
  Send(editor, EM_SETSEL, 1, 4);
  PostCommand(editor, textcmd::kTime);
  std::wsmatch m;
  std::wstring text;
  const std::wregex timeShape(L"x([0-9]+):([0-9]+):([0-9]+)y");
  ASSERT_TRUE(Wait([&] { return std::regex_match(text = EditorText(editor), m, timeShape); }, "the time"))
      << Narrow(text);
  SYSTEMTIME after;
  GetLocalTime(&after);
  // The time the program read lies between the two readings here (which
  // may lie on both sides of midnight).
  auto secondOfDay = [](const SYSTEMTIME& t) { return t.wHour * 3600 + t.wMinute * 60 + t.wSecond; };
  const int seconds = std::stoi(m[1]) * 3600 + std::stoi(m[2]) * 60 + std::stoi(m[3]);
  const int first = secondOfDay(before), last = secondOfDay(after);
  EXPECT_TRUE(first <= last ? seconds >= first && seconds <= last : seconds >= first || seconds <= last)
      << Narrow(text) << " is not between " << first << " and " << last << " s of the day";
  for (int i = 1; i <= 3; ++i)
    EXPECT_TRUE(m[i].str().size() == 1 || m[i].str()[0] != L'0') << "no leading zeros: " << Narrow(text);

  SetText(editor, L"xabcy");
  Send(editor, EM_SETSEL, 1, 4);
  PostCommand(editor, textcmd::kDate);
  auto date = [](const SYSTEMTIME& t) {
    return L"x" + std::to_wstring(t.wYear) + L"/" + std::to_wstring(t.wMonth) + L"/" + std::to_wstring(t.wDay) + L"y";
  };
  // The day when the program read it: the day before, or the day now.
  ASSERT_TRUE(Wait(
      [&] {
        SYSTEMTIME now;
        GetLocalTime(&now);
        text = EditorText(editor);
        return text == date(before) || text == date(now);
      },
      "the date")) << Narrow(text);

  // Nothing was put on the clipboard, and everything on it is still there.
  EXPECT_EQ(GetClipboardSequenceNumber(), sequence);
  EXPECT_EQ(ClipboardUnicode(), L"keep");
  EXPECT_EQ(ClipboardAnsi(), "keep8");
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE h = GetClipboardData(own);
  EXPECT_TRUE(h && GlobalSize(h) >= 3 && memcmp(GlobalLock(h), "\x01\x02\x03", 3) == 0);
  if (h) GlobalUnlock(h);
  CloseClipboard();

  Post(editor, WM_LBUTTONDBLCLK);
  ASSERT_TRUE(WaitEditorGone(editor));
  EXPECT_TRUE(WaitStored(0, Sjis(text)));
}

TEST_F(TextEdit, TheEditMenuSelectsAllAndInsertsMarkers) {
  OneMemo("abc");
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(200, 200);
  ASSERT_NE(memo, nullptr);
  HWND editor = Open(memo);
  ASSERT_NE(editor, nullptr);
  Send(editor, EM_SETSEL, 1, 1);

  // Cut, Copy, Paste, Delete, Select all, Insert: the fifth item.
  Post(editor, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
  HWND menu = WaitForMenu();
  ASSERT_NE(menu, nullptr);
  MenuKeys(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
  // The control may count the end of the last paragraph into "all".
  DWORD sel = 0;
  ASSERT_TRUE(Wait([&] { sel = Selection(editor); return LOWORD(sel) == 0 && HIWORD(sel) >= 3; }, "all selected"))
      << LOWORD(sel) << ".." << HIWORD(sel);

  // Insert > the first item, the link-mark pair, around the selection.
  Post(editor, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
  menu = WaitForMenu();
  ASSERT_NE(menu, nullptr) << "the edit menu again";
  MenuKeys(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_RETURN});
  EXPECT_TRUE(WaitText(editor, L"<\\abc\\>"));
}

TEST_F(TextEdit, ResizingTheMemoResizesTheEditor) {
  OneMemo("abc");
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(200, 200);
  ASSERT_NE(memo, nullptr);
  HWND editor = Open(memo);
  ASSERT_NE(editor, nullptr);

  SetWindowPos(memo, nullptr, 0, 0, 320, 260, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(Wait([&] { return WindowRect(memo).right - WindowRect(memo).left == 320; }, "the new size"));
  EXPECT_TRUE(Wait([&] { return RectStr(WindowRect(editor)) == RectStr(ClientRectOnScreen(memo)); },
                   "the editor to cover the new client area"))
      << RectStr(WindowRect(editor)) << " vs " << RectStr(ClientRectOnScreen(memo));
}

TEST_F(TextEdit, TypingStopsAtTheStoredLimitInBytes) {
  // 4095 double-byte characters are 8190 bytes: one more byte fits, two do not.
  OneMemo(Sjis(std::wstring(4095, L'日')));
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(200, 200);
  ASSERT_NE(memo, nullptr);
  HWND editor = Open(memo);
  ASSERT_NE(editor, nullptr);

  Send(editor, EM_SETSEL, -1, -1);
  Type(editor, L"本");
  EXPECT_EQ(EditorText(editor).size(), 4095u) << "a double-byte character does not fit";
  Type(editor, L"ab");
  EXPECT_EQ(EditorText(editor), std::wstring(4095, L'日') + L"a");
  Post(editor, WM_LBUTTONDBLCLK);
  ASSERT_TRUE(WaitEditorGone(editor));
  EXPECT_TRUE(WaitStored(0, Sjis(std::wstring(4095, L'日')) + "a"));
  EXPECT_TRUE(NoDialogs("after the commit")) << "nothing was cut";
}

// The editor shows the text in the memo's own font: Japanese text at the
// size the memo paints it, not the control's small default face.
TEST_F(TextEdit, EditorUsesTheMemoFont) {
  MemoSetup m;
  m.x = 200, m.y = 200, m.w = 300, m.h = 120;
  m.text = Sjis(L"日本語");
  m.back = "1";
  m.color1 = 0xFFFFFF;
  m.fontColor = 0;
  m.fontHeight = 48;
  WriteCategory({m});
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(200, 200);
  ASSERT_NE(memo, nullptr);
  RECT painted{};
  ASSERT_TRUE(Wait([&] {
    painted = CaptureClient(memo).BoundingBoxNot(RGB(255, 255, 255), 80);
    return painted.bottom - painted.top > 20;
  }, "the memo's text to be painted"));

  HWND editor = Open(memo);
  ASSERT_NE(editor, nullptr);
  RECT shown{};
  const int paintedHeight = painted.bottom - painted.top;
  EXPECT_TRUE(Wait([&] {
    shown = CaptureClient(memo).BoundingBoxNot(RGB(255, 255, 255), 80);
    return shown.bottom - shown.top >= paintedHeight * 8 / 10;
  }, "the editor's text at the memo's size"))
      << "ink " << shown.bottom - shown.top << " px high in the editor, " << paintedHeight << " px painted";
  Post(editor, WM_LBUTTONDBLCLK);
  ASSERT_TRUE(WaitEditorGone(editor));
}

}  // namespace
}  // namespace e2e
