// Topmost and frame flags, the font and the template style of a memo.
#include <windows.h>

#include <optional>
#include <string>

#include "core/dpi.h"
#include "core/keys.h"
#include "core/memo_store.h"
#include "core/memo_style.h"
#include "look/look.h"
#include "memo/behaviour.h"
#include "memo/memo_table.h"
#include "memo/memo_window.h"
#include "res/resource.h"
#include "store/settings_access.h"
#include "text/edit.h"
#include "win/common_dialogs.h"
#include "win/message.h"
#include "win/text.h"

namespace dz {

namespace {

constexpr char kNotStored[] = "設定ファイルに書き込めなかったため、変更は行われませんでした。\n";
constexpr char kFaceNotStorable[] =
    "このフォント名は設定ファイルに記録できない文字を含むため、フォントは変更されませんでした。";

// The font dialog's font description, kept from one use to the next: the
// keys load only face, height and effects into it, so the weight and the
// character set chosen last are what the next dialog opens with.
LOGFONTW g_dialogFont = {};

// A change the file does not hold would be undone at the next start
// without a word, so the user hears of it and nothing changes.
void TellNotStored() { Tell((kNotStored + CategoryFile().path()).c_str()); }

void SetCheck(HMENU menu, UINT id, bool checked) {
  MENUITEMINFOW mii = {};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_STATE;
  mii.fState = checked ? MFS_CHECKED : 0;
  SetMenuItemInfoW(menu, id, FALSE, &mii);
}

Placement OuterRect(HWND w) {
  RECT r = {};
  GetWindowRect(w, &r);
  return Placement{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// The editor lays over its memo as a child window: its text is stored
// before anything replaces or re-fonts that window.
bool EditorOn(HWND memo) {
  HWND editor = Editor();
  return editor && GetParent(editor) == memo;
}

}  // namespace

void OnLookInitMenu(HWND memo, HMENU memoMenu, HMENU browserMenu) {
  const int n = MemoNumberFromWindow(memo);
  if (n < 0) return;
  const StyleFlags flags = ReadStyleFlags(CategoryFile(), n);
  for (HMENU menu : {memoMenu, browserMenu}) {
    if (!menu) continue;
    SetCheck(menu, IDC_TOPMOST, flags.topmost);
    SetCheck(menu, IDC_FRAME, flags.framed);
  }
}

void OnToggleTopmost(HWND memo) {
  const int n = MemoNumberFromWindow(memo);
  if (n < 0) return;
  SettingsFile& cat = CategoryFile();
  const bool topmost = ReadStyleFlags(cat, n).topmost;
  if (!cat.WriteInt(kSecMemos, MemoKey(n, "WindowLebel"), topmost ? 1 : 0)) {
    TellNotStored();
    return;
  }
  SetWindowPos(memo, topmost ? HWND_NOTOPMOST : HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void OnToggleFrame(HWND memo) {
  if (EditorOn(memo)) CommitEditor();
  // Committing may have shown a message, during which anything could happen.
  const int n = MemoNumberFromWindow(memo);
  if (n < 0) return;
  SettingsFile& cat = CategoryFile();
  const std::string styleKey = MemoKey(n, "Style");
  const std::optional<std::string> stored = cat.Get(kSecMemos, styleKey);
  const StyleFlags was = ReadStyleFlags(cat, n);
  const int style = was.framed ? 0 : 1;
  if (!cat.WriteInt(kSecMemos, styleKey, style)) {
    TellNotStored();
    return;
  }
  // A window style cannot gain or lose the sizing frame in place, so the
  // memo gets a new window at the same outer rectangle; everything else of
  // it is in its record and its keys, which stay.
  HWND next = CreateMemoWindow(OuterRect(memo), style, was.topmost ? 0 : 1);
  if (!next) {
    if (stored)
      cat.Write(kSecMemos, styleKey, *stored);
    else
      cat.Remove(kSecMemos, styleKey);
    return;
  }
  if (!IsWindowVisible(memo)) ShowWindow(next, SW_HIDE);
  Memo& record = Memos()[n];
  record.wnd = next;
  if (InBrowserMode(n)) {
    SetParent(record.browser, next);
    RECT client = {};
    GetClientRect(next, &client);
    FitBrowserHost(n, client.right, client.bottom);
    InvalidateRect(next, nullptr, FALSE);
  }
  if (IsWindowVisible(next)) SetForegroundWindow(next);
  // The old window belongs to no memo number now: its destruction records
  // nothing.
  DestroyWindow(memo);
}

void OnChangeFont(HWND memo) {
  int n = MemoNumberFromWindow(memo);
  if (n < 0) return;
  SettingsFile& cat = CategoryFile();
  const FontSpec keys = ReadFont(cat, n);
  const int32_t dpi = Memos()[n].dpi;
  LOGFONTW& lf = g_dialogFont;
  SetFaceName(lf, keys.face);
  // The dialog works in the pixels the memo shows; the file keeps units.
  lf.lfHeight = ToPixels(keys.height, dpi);
  lf.lfItalic = keys.italic ? TRUE : FALSE;
  lf.lfUnderline = keys.underline ? TRUE : FALSE;
  lf.lfStrikeOut = keys.strikeout ? TRUE : FALSE;

  CHOOSEFONTW cf = {};
  cf.lStructSize = sizeof cf;
  cf.hwndOwner = memo;
  cf.lpLogFont = &lf;
  cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS;
  cf.rgbColors = static_cast<COLORREF>(cat.ReadInt(kSecMemos, MemoKey(n, "FontColor"), 0));
  if (!FontDialog(&cf)) return;
  n = MemoNumberAfterDialog(memo);
  if (n < 0) return;

  const std::optional<std::string> face = NarrowExact(std::wstring_view(lf.lfFaceName));
  if (!face) {
    Tell(kFaceNotStorable);
    return;
  }
  FontSpec chosen;
  chosen.face = *face;
  chosen.height = StoredLength(keys.height, lf.lfHeight, dpi);
  chosen.italic = lf.lfItalic != 0;
  chosen.underline = lf.lfUnderline != 0;
  chosen.strikeout = lf.lfStrikeOut != 0;
  if (!WriteFontKeys(cat, n, chosen, cf.rgbColors)) {
    TellNotStored();
    return;
  }
  // Everything the dialog returned, the weight too, shows until the font is
  // next built from the keys.
  HFONT font = CreateFontIndirectW(&lf);
  if (!font) return;
  // An open editor draws with the memo's font, which is about to be released.
  if (EditorOn(memo)) SendMessageW(Editor(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  ReplaceMemoFont(n, font);
  InvalidateRect(memo, nullptr, TRUE);
}

void OnMakeDefaultStyle(HWND memo) {
  const int n = MemoNumberFromWindow(memo);
  if (n < 0) return;
  if (!CopyStyleToTemplate(CategoryFile(), n, StoredPlaceOf(n))) TellNotStored();
}

}  // namespace dz
