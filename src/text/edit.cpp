#include "text/edit.h"

#include <richedit.h>

#include <optional>
#include <string>

#include "core/escape.h"
#include "core/keys.h"
#include "core/limits.h"
#include "core/memo_sync.h"
#include "core/sjis.h"
#include "core/text_ops.h"
#include "res/resource.h"
#include "memo/memo_table.h"
#include "store/settings_access.h"
#include "text/clipboard.h"
#include "win/message.h"
#include "win/path.h"
#include "win/process.h"
#include "win/text.h"

namespace dz {

namespace {

struct EditorState {
  HWND wnd = nullptr;
  WNDPROC saved = nullptr;  // the control's own procedure
  std::string opened;       // the stored text as it was read when editing began
  std::string id;           // identity of the memo being edited
  int number = -1;          // its number when editing began
  MemoKeys keys;            // its keys then, to bring it back if another program deletes it
  std::wstring shown;       // the editor's text right after it was opened
  // Set while the user is told that a commit failed: the message box takes
  // the activation, which must not ask for the same commit again.
  bool telling = false;
};
EditorState g_editor;

struct EditorLibraries {
  HMODULE riched20 = nullptr;
  HMODULE riched32 = nullptr;
};
EditorLibraries g_libraries;

constexpr char kTextCut[] =
    "テキストが長すぎるため、メモに入りきらない末尾の部分は保存されませんでした。";
constexpr char kKeptBoth[] =
    "このメモは、編集しているあいだにほかの場所でも変更されていました。\n"
    "ここで入力したテキストはこのメモに保存し、ほかの場所での内容は新しいメモとして隣に残しました。";
constexpr char kBroughtBack[] =
    "このメモは、編集しているあいだにほかの場所で削除されていました。\n"
    "入力したテキストは新しいメモとして残しました。";
// How far the other version of a memo changed in two places lies from it.
constexpr int kBesideOffset = 24;
constexpr char kTextNotSaved[] =
    "メモのテキストを保存できませんでした。\n編集中のテキストはそのまま残してあります。"
    "保存できるようになってから、もう一度編集を終えてください。";

// The rich-edit class to create. The classic "RICHEDIT" class is an ANSI
// window: wide text set on it passes through the system's ANSI code page and
// Japanese is lost on other locales. RichEdit20W takes the text as Unicode.
const wchar_t* EditorClass() {
  if (g_libraries.riched20) return L"RichEdit20W";
  return g_libraries.riched32 ? L"RICHEDIT" : nullptr;
}

std::wstring EditorText(HWND editor) {
  int len = GetWindowTextLengthW(editor);
  std::wstring text(static_cast<size_t>(len) + 1, L'\0');
  len = GetWindowTextW(editor, &text[0], len + 1);
  text.resize(len > 0 ? len : 0);
  return text;
}

// The control counts characters, the memo stores 8191 Shift_JIS bytes and a
// line break is two of them: every insertion is checked against the bytes.
// Paragraph breaks count one position in the selection and two characters in
// the window text, which only makes this check stricter.
bool InsertionFits(HWND editor, std::wstring_view insert) {
  const std::wstring text = EditorText(editor);
  DWORD s = 0, e = 0;
  SendMessageW(editor, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  size_t selected = 0;
  if (e > s) {
    TEXTRANGEW range = {};
    std::wstring sel(e - s + 1, L'\0');
    range.chrg.cpMin = static_cast<LONG>(s);
    range.chrg.cpMax = static_cast<LONG>(e);
    range.lpstrText = &sel[0];
    LRESULT got = SendMessageW(editor, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    sel.resize(got > 0 ? static_cast<size_t>(got) : 0);
    selected = StoredBytes(sel);
  }
  size_t now = StoredBytes(text);
  size_t kept = now > selected ? now - selected : 0;
  return kept + StoredBytes(insert) <= static_cast<size_t>(kMaxTextChars);
}

// Refused text is signalled the way the control signals its own limit.
void Refuse() { MessageBeep(MB_OK); }

void ReplaceSelection(HWND editor, const std::wstring& text) {
  SendMessageW(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

// Link and expression marks: the selection ends up enclosed by the pair and the caret just
// after the closing marker. The text goes straight into the editor: the
// user's clipboard is not touched.
void InsertMarkers(HWND editor, const std::wstring& open, const std::wstring& close) {
  if (!InsertionFits(editor, open + close)) return Refuse();
  DWORD s = 0, e = 0;
  SendMessageW(editor, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  SendMessageW(editor, EM_SETSEL, e, e);
  ReplaceSelection(editor, close);
  SendMessageW(editor, EM_SETSEL, s, s);
  ReplaceSelection(editor, open);
  const WPARAM caret = e + open.size() + close.size();
  SendMessageW(editor, EM_SETSEL, caret, caret);
}

// Time and date: the current time or date replaces the selection.
void InsertNow(HWND editor, bool time) {
  RefreshClock();
  const SYSTEMTIME& t = TheProcess().clock;
  const std::string text =
      time ? FormatTimeInsert(t.wHour, t.wMinute, t.wSecond) : FormatDateInsert(t.wYear, t.wMonth, t.wDay);
  const std::wstring wide = WidenUtf8(text);
  if (!InsertionFits(editor, wide)) return Refuse();
  ReplaceSelection(editor, wide);
}

void OnEditCommand(HWND editor, int id) {
  switch (id) {
    case IDC_EDIT_CUT: SendMessageW(editor, WM_CUT, 0, 0); break;
    case IDC_EDIT_COPY: SendMessageW(editor, WM_COPY, 0, 0); break;
    case IDC_EDIT_PASTE: SendMessageW(editor, WM_PASTE, 0, 0); break;
    case IDC_EDIT_CLEAR: SendMessageW(editor, WM_CLEAR, 0, 0); break;
    case IDC_EDIT_SELECT_ALL: SendMessageW(editor, EM_SETSEL, 0, -1); break;
    case IDC_EDIT_LINK_MARKS: InsertMarkers(editor, L"<\\", L"\\>"); break;
    case IDC_EDIT_EXPR_MARKS: InsertMarkers(editor, L"^", L"^"); break;
    case IDC_EDIT_TIME: InsertNow(editor, true); break;
    case IDC_EDIT_DATE: InsertNow(editor, false); break;
    default: break;
  }
}

void OnEditInitMenu(HWND editor, HMENU menu) {
  DWORD s = 0, e = 0;
  SendMessageW(editor, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  const UINT selection = s == e ? MF_GRAYED : MF_ENABLED;
  EnableMenuItem(menu, IDC_EDIT_CUT, MF_BYCOMMAND | selection);
  EnableMenuItem(menu, IDC_EDIT_COPY, MF_BYCOMMAND | selection);
  EnableMenuItem(menu, IDC_EDIT_PASTE, MF_BYCOMMAND | (ClipboardHasText() ? MF_ENABLED : MF_GRAYED));
}

void ShowEditMenu(HWND editor) {
  HMENU bar = LoadMenuW(TheProcess().inst, MAKEINTRESOURCEW(IDM_EDIT));
  if (!bar) return;
  POINT pt;
  GetCursorPos(&pt);
  SetForegroundWindow(editor);
  TrackPopupMenu(GetSubMenu(bar, 0), 0, pt.x, pt.y, 0, editor, nullptr);
  DestroyMenu(bar);
}

// Text arriving through the keyboard or the clipboard that would not fit
// the stored limit is refused like text beyond the control's own limit.
bool RefusesIncoming(HWND editor, UINT msg, WPARAM wParam) {
  switch (msg) {
    case WM_CHAR:
      if (wParam == L'\t' || wParam >= 0x20) return !InsertionFits(editor, std::wstring(1, static_cast<wchar_t>(wParam)));
      if (wParam == L'\r') return !InsertionFits(editor, L"\r\n");
      return false;
    case WM_KEYDOWN:
      return wParam == VK_RETURN && !InsertionFits(editor, L"\r\n");
    case WM_PASTE: {
      if (!IsClipboardFormatAvailable(CF_UNICODETEXT) && !IsClipboardFormatAvailable(CF_TEXT)) return false;
      std::optional<std::string> clip = GetClipboardText();
      return clip && !InsertionFits(editor, Widen(*clip));
    }
    default:
      return false;
  }
}

// Characters code page 932 cannot hold would be stored as "?", so the text
// is not stored at all and the user is told which they are.
// kept: the editor stays open with the text (not so when it is destroyed).
std::string UnstorableMessage(const std::wstring& text, bool kept) {
  std::string m = "次の文字は Shift_JIS で表せないため、メモのテキストを保存できませんでした。" +
                  ListCharacters(UnstorableCharacters(text));
  if (kept)
    m += "\nこれらの文字を削除するか別の文字に置き換えてから、もう一度編集を終えてください。"
         "編集中のテキストはそのまま残してあります。";
  return m;
}

enum class Saved { kWhole, kCut, kFailed, kUnstorable, kKeptBoth, kBroughtBack };

// Writes the editor's text as the stored text of its memo, found by its
// identity in the file as it is now. Another program may have changed the
// text meanwhile, or deleted the memo: then nothing is written over, the
// other version is kept as a memo of its own (or the memo comes back as a
// new one) when mayAdd allows it.
Saved SaveEditorText(HWND editor, bool mayAdd) {
  const std::wstring text = EditorText(editor);
  // Opening and closing without a change writes nothing: the stored text
  // stays byte for byte (the control turns every lone CR or LF into a
  // CR LF), and so does a text another program stored meanwhile. The text
  // itself decides, not the control's modified flag, which text set by
  // other programs (WM_SETTEXT) leaves clear.
  if (text == g_editor.shown) return Saved::kWhole;
  const std::optional<std::string> narrow = NarrowExact(text);
  if (!narrow) return Saved::kUnstorable;
  std::string stored = EscapeText(*narrow);
  const bool cut = stored.size() > static_cast<size_t>(kMaxTextChars);
  if (cut) stored.resize(SjisPrefixLen(stored, kMaxTextChars));
  const Saved whole = cut ? Saved::kCut : Saved::kWhole;
  SettingsFile& cat = CategoryFile();
  Saved saved = whole;
  // Decided and written as one: when another program replaces the file in
  // between, the memo is looked for again in what it holds then.
  const bool written = cat.Transaction([&] {
    if (!cat.Readable()) return false;
    const int n = FindMemo(MemoIds(ReadTableState(cat)), g_editor.id, g_editor.number);
    if (n < 0) {
      if (!mayAdd) {
        saved = whole;
        return true;
      }
      saved = Saved::kBroughtBack;
      return AppendMemo(cat, g_editor.keys, NewMemoId(), stored, 0, 0) >= 0;
    }
    const std::string before = cat.Read(kSecMemos, MemoKey(n, "Text"), "", kMaxTextChars);
    if (before == g_editor.opened || !mayAdd) {
      saved = whole;
      return cat.Write(kSecMemos, MemoKey(n, "Text"), stored);
    }
    // Both texts are kept: this one in the memo, the other beside it with
    // the memo's look.
    const MemoKeys keys = ReadMemoKeys(cat, n);
    saved = Saved::kKeptBoth;
    return cat.Write(kSecMemos, MemoKey(n, "Text"), stored) &&
           AppendMemo(cat, keys, NewMemoId(), before, kBesideOffset, kBesideOffset) >= 0;
  });
  return written ? saved : Saved::kFailed;
}

LRESULT CALLBACK EditorProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  WNDPROC saved = g_editor.saved;
  switch (msg) {
    case WM_COMMAND:
      OnEditCommand(hwnd, LOWORD(wParam));
      break;
    case WM_INITMENU:
      OnEditInitMenu(hwnd, reinterpret_cast<HMENU>(wParam));
      break;
    case WM_RBUTTONDOWN:
      ShowEditMenu(hwnd);
      break;
    case WM_LBUTTONDBLCLK:
      if (hwnd == g_editor.wnd) CommitEditor();
      return 0;
    case WM_DESTROY:
      // Destroyed with its memo (end of the session): keep the text.
      if (hwnd == g_editor.wnd) {
        g_editor.wnd = nullptr;
        const Saved saved = SaveEditorText(hwnd, false);
        if (saved == Saved::kFailed) Tell(kTextNotSaved);
        if (saved == Saved::kUnstorable) Tell(UnstorableMessage(EditorText(hwnd), false).c_str());
      }
      break;
    default:
      if (RefusesIncoming(hwnd, msg, wParam)) {
        Refuse();
        return 0;
      }
      break;
  }
  return CallWindowProcW(saved, hwnd, msg, wParam, lParam);
}

}  // namespace

void OpenEditor(HWND memo) {
  int n = MemoNumberFromWindow(memo);
  if (n < 0 || InBrowserMode(n)) return;
  const wchar_t* cls = EditorClass();
  if (!cls) return;
  // One editor at a time; an editor left on another memo is saved first.
  if (!CommitEditor()) return;
  // The editor may be asked for on a memo that is hidden or not active (a
  // menu command sent to it, another part of the program): the memo comes
  // forward first, so the editor is seen, takes the keys, and is committed
  // when its memo is left. The memo that was active lets go now, while no
  // editor is open.
  if (!IsWindowVisible(memo)) ShowWindow(memo, SW_SHOWNA);
  SetForegroundWindow(memo);
  n = MemoNumberFromWindow(memo);
  if (n < 0 || g_editor.wnd) return;
  // Read before the editor shows: whatever another program stores from the
  // moment the user sees the text on is a change made elsewhere.
  std::string opened = CategoryFile().Read(kSecMemos, MemoKey(n, "Text"), "", kMaxTextChars);
  MemoKeys keys = ReadMemoKeys(CategoryFile(), n);

  RECT rc;
  GetClientRect(memo, &rc);
  HWND editor = CreateWindowExW(0, cls, L"",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                                    ES_AUTOHSCROLL | ES_WANTRETURN,
                                0, 0, rc.right, rc.bottom, memo, nullptr, TheProcess().inst, nullptr);
  if (!editor) return;
  // Plain text only: pasted formatting would be lost at commit anyway.
  SendMessageW(editor, EM_SETTEXTMODE, TM_PLAINTEXT, 0);
  SendMessageW(editor, EM_EXLIMITTEXT, 0, kMaxTextChars);
  // The memo's own font: the control's default face has no Japanese glyphs
  // on systems without font linking, and the text keeps its size and face.
  if (HFONT font = Memos()[n].font) SendMessageW(editor, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  g_editor.opened = std::move(opened);
  g_editor.id = Memos()[n].id;
  g_editor.number = n;
  g_editor.keys = std::move(keys);
  SetWindowTextW(editor, Widen(DecodeText(g_editor.opened)).c_str());
  SendMessageW(editor, EM_SETMODIFY, FALSE, 0);
  g_editor.shown = EditorText(editor);
  g_editor.wnd = editor;
  g_editor.saved = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(editor, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditorProc)));
  SetFocus(editor);
}

bool CommitEditor() {
  HWND editor = g_editor.wnd;
  if (!editor) return true;
  if (g_editor.telling) return false;
  const Saved saved = SaveEditorText(editor, true);
  if (saved == Saved::kFailed || saved == Saved::kUnstorable) {
    // The editor stays with the text; the next commit tries again.
    g_editor.telling = true;
    Tell(saved == Saved::kFailed ? kTextNotSaved : UnstorableMessage(EditorText(editor), true).c_str());
    g_editor.telling = false;
    return false;
  }
  // Cleared first: destroying the editor, and the message a cut text shows,
  // may deactivate the memo and ask for a commit again.
  g_editor.wnd = nullptr;
  const bool detached = GetParent(editor) == DetachedWindow();
  DestroyWindow(editor);
  if (detached) DropDetached();
  if (saved == Saved::kKeptBoth || saved == Saved::kBroughtBack) {
    // The added memo gets its window before the user reads why.
    SyncTable(true);
    Tell(saved == Saved::kKeptBoth ? kKeptBoth : kBroughtBack);
  }
  if (saved == Saved::kCut) Tell(kTextCut);
  return true;
}

bool CommitEditorOn(HWND memo) {
  if (!g_editor.wnd || GetParent(g_editor.wnd) != memo) return true;
  return CommitEditor();
}

void AbandonEditor() { g_editor.wnd = nullptr; }

bool KeepUnstorableEditorText(const std::wstring& file) {
  if (!g_editor.wnd) return false;
  const std::wstring text = EditorText(g_editor.wnd);
  if (text == g_editor.shown || NarrowExact(text)) return false;
  HANDLE f = CreateFileW(ExtendedPath(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  const std::wstring bytes = L"\xFEFF" + text;
  const DWORD size = static_cast<DWORD>(bytes.size() * sizeof(wchar_t));
  DWORD written = 0;
  bool ok = WriteFile(f, bytes.data(), size, &written, nullptr) && written == size;
  ok = CloseHandle(f) && ok;
  if (ok) g_editor.wnd = nullptr;
  return ok;
}

HWND Editor() { return g_editor.wnd; }

void OnEditorParentSize(HWND memo, int w, int h) {
  if (g_editor.wnd && GetParent(g_editor.wnd) == memo) MoveWindow(g_editor.wnd, 0, 0, w, h, TRUE);
}

void OnEditorParentFont(HWND memo, HFONT font) {
  if (g_editor.wnd && GetParent(g_editor.wnd) == memo)
    SendMessageW(g_editor.wnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void LoadEditorLibraries() {
  // RICHED32.dll is what the program has always asked for; riched20.dll
  // gives the Unicode class. Without either, edit mode does nothing and the
  // rest of the program runs as usual.
  g_libraries.riched32 = LoadLibraryW(L"RICHED32.dll");
  g_libraries.riched20 = LoadLibraryW(L"riched20.dll");
}

void FreeEditorLibraries() {
  if (g_libraries.riched20) FreeLibrary(g_libraries.riched20);
  if (g_libraries.riched32) FreeLibrary(g_libraries.riched32);
  g_libraries = EditorLibraries{};
}

}  // namespace dz
