// Creating, deleting, showing and hiding memos.
#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "core/dpi.h"
#include "core/keys.h"
#include "core/limits.h"
#include "core/memo_style.h"
#include "core/placement.h"
#include "memo/deleted.h"
#include "memo/memo_table.h"
#include "memo/memo_window.h"
#include "store/settings_access.h"
#include "win/dpi.h"
#include "win/message.h"
#include "win/process.h"
#include "win/text.h"

namespace dz {

namespace {
constexpr DWORD kFramedStyle = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_THICKFRAME;
constexpr DWORD kFramelessStyle = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT monitor, LPARAM rects) {
  if (monitor)
    reinterpret_cast<std::vector<Rect>*>(rects)->push_back(
        Rect{monitor->left, monitor->top, monitor->right, monitor->bottom});
  return TRUE;
}

void BringWithinReach(HWND w, const std::vector<Rect>& monitors) {
  RECT r;
  if (!GetWindowRect(w, &r)) return;
  const PlacementResult p = PlaceOnScreen(Rect{r.left, r.top, r.right, r.bottom}, monitors);
  if (!p.moved) return;
  SetWindowPos(w, nullptr, p.rect.left, p.rect.top, p.rect.right - p.rect.left, p.rect.bottom - p.rect.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}
}  // namespace

std::vector<Rect> MonitorRects() {
  std::vector<Rect> rects;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&rects));
  return rects;
}

void BringAllMemosWithinReach() {
  const std::vector<Rect> monitors = MonitorRects();
  for (HWND w : MemoWindows()) BringWithinReach(w, monitors);
}

HWND CreateMemoWindow(const Placement& place, int style, int windowLevel) {
  return CreateMemoWindow(place, style, windowLevel, MonitorRects());
}

HWND CreateMemoWindow(const Placement& place, int style, int windowLevel, const std::vector<Rect>& monitors) {
  // Topmost and open to dropped files from the start (what DragAcceptFiles
  // sets): changing either afterwards costs a round trip to the window
  // system per memo, a fifth of the start-up of a hundred memos.
  const DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_ACCEPTFILES | (windowLevel == 0 ? WS_EX_TOPMOST : 0);
  // A place stored on a monitor that is gone, or at a larger resolution,
  // would leave the memo where nobody can take hold of it. It is placed
  // before the window exists: a window asked for where its right or bottom
  // edge passes the 32-bit limit would get another size, and keep it.
  const Rect r = PlaceOnScreen(WindowEdges(place.x, place.y, place.w, place.h), monitors).rect;
  return CreateWindowExW(exStyle, kMemoClass, L"child", style == 1 ? kFramedStyle : kFramelessStyle, r.left, r.top,
                         r.right - r.left, r.bottom - r.top, nullptr, nullptr, TheProcess().inst, nullptr);
}

Placement ShownPlace(const Placement& stored, const std::vector<ScaledMonitor>& monitors) {
  const int i = MonitorOfStored(stored, monitors);
  return i < 0 ? ToShown(stored, ScaledMonitor{Rect{}, SystemDpi()}) : ToShown(stored, monitors[static_cast<size_t>(i)]);
}

Placement ShownPlace(const Placement& stored) { return ShownPlace(stored, ScaledMonitors()); }

Placement StoredPlaceOf(int n) {
  const Memo& m = Memos()[n];
  RECT r = {};
  if (!m.wnd || !GetWindowRect(m.wnd, &r)) return m.place;  // hidden memos have their rectangle too
  const Placement now{r.left, r.top, r.right - r.left, r.bottom - r.top};
  // Also where the place lies across monitors of different scales.
  if (now.x == m.shown.x && now.y == m.shown.y && now.w == m.shown.w && now.h == m.shown.h) return m.place;
  return ToStored(m.place, now, MonitorOfWindow(m.wnd, m.dpi));
}

void SetFaceName(LOGFONTW& lf, std::string_view sjisFace) {
  const std::wstring face = Widen(sjisFace);
  // A name cut inside a character would name no font at all; a shortened
  // whole-character prefix may still match one.
  const size_t len = Utf16PrefixLen(std::wstring_view(face), LF_FACESIZE - 1);
  face.copy(lf.lfFaceName, len);
  lf.lfFaceName[len] = L'\0';
}

HFONT CreateMemoFont(const FontSpec& font, int32_t dpi) {
  LOGFONTW lf = {};
  lf.lfHeight = ToPixels(font.height, dpi);
  lf.lfItalic = font.italic ? TRUE : FALSE;
  lf.lfUnderline = font.underline ? TRUE : FALSE;
  lf.lfStrikeOut = font.strikeout ? TRUE : FALSE;
  lf.lfCharSet = SHIFTJIS_CHARSET;
  SetFaceName(lf, font.face);
  return CreateFontIndirectW(&lf);
}

HWND CreateRecordWindow(int n, const Placement& stored, const FontSpec& font, int style, int windowLevel) {
  Memo& memo = Memos()[n];
  memo.shown = ShownPlace(stored);
  memo.wnd = CreateMemoWindow(memo.shown, style, windowLevel);
  memo.place = stored;
  memo.dpi = DpiOfWindow(memo.wnd);
  ReplaceMemoFont(n, CreateMemoFont(font, memo.dpi));
  return memo.wnd;
}

HWND CreateMemo(std::string_view escapedText) {
  // The new memo goes after the last one of the file, so the table follows
  // the file first: its records then have the file's numbers.
  SyncTable();
  MemoTable& m = Memos();
  if (m.count < 0 || m.count >= kMaxMemos) return nullptr;
  const std::string id = NewMemoId();
  NewMemo nm = ApplyTemplate(CategoryFile(), escapedText, id);
  if (!nm.stored) return nullptr;
  if (nm.number != m.count) {
    // Another program added memos in between: they come with this one.
    SyncTable(true);
    const int n = MemoNumberFromId(id);
    return n >= 0 ? m[n].wnd : nullptr;
  }
  const int n = m.count;
  Memo& memo = m[n];
  memo.browser = nullptr;
  memo.id = id;
  memo.vOffset = memo.hOffset = 0;
  memo.read = MemoState{id, nm.place, 0, 0};
  CreateRecordWindow(n, nm.place, nm.font, nm.style, nm.windowLevel);
  m.count = n + 1;
  return memo.wnd;
}

void DeleteMemo(HWND w) {
  const int n = MemoNumberFromWindow(w);
  if (n < 0) return;
  // Nothing is deleted that could not be kept for bringing back.
  if (!KeepDeletedMemo(n)) {
    Tell(("削除したメモを残しておくファイルに書き込めないため、メモを削除しませんでした。\n" + BinFile().path() +
          "\n\n読み取り専用になっていないか、ディスクに空きがあるかを確かめてください。")
             .c_str());
    return;
  }
  // The file moves first: if it cannot be rewritten the memo stays, so the
  // table never disagrees with the keys of the later memos. The memo is
  // found in the file by its identity, wherever another program moved it.
  if (!DeleteStoredMemo(CategoryFile(), Memos()[n].id, n)) {
    ForgetKeptMemo();
    Tell(kMemoNotDeleted);
    return;
  }
  RemoveMemoRecord(n);
  // w is no longer in the table, so its destruction records nothing.
  DestroyWindow(w);
  // The file may hold changes of another program the table has not seen.
  SyncTable();
}

void InvalidateAllMemos(BOOL erase) {
  for (HWND w : MemoWindows()) InvalidateRect(w, nullptr, erase);
}

void ShowAllMemos() {
  BringAllMemosWithinReach();
  for (HWND w : MemoWindows()) {
    ShowWindow(w, SW_SHOWNORMAL);
    SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
}

void BringMemoForward(HWND w) {
  BringWithinReach(w, MonitorRects());
  ShowWindow(w, SW_SHOWNORMAL);
  SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(w);
}

void HideAllMemos() {
  for (HWND w : MemoWindows()) ShowWindow(w, SW_HIDE);
}

void OnHideMemo(HWND memo) { ShowWindow(memo, SW_HIDE); }

void OnDeleteMemoCommand(HWND memo) {
  if (MemoNumberFromWindow(memo) < 0) return;
  if (MessageBoxJ(memo, "このメモを削除します。よろしいですか？", "確認", MB_OKCANCEL) == IDOK) DeleteMemo(memo);
}

void OnMemoClose(HWND memo) {
  if (MemoNumberFromWindow(memo) < 0) return;
  if (MessageBoxJ(TheProcess().main, "このメモを削除してよろしいですか？", "確認", MB_OKCANCEL) == IDOK)
    DeleteMemo(memo);
}

}  // namespace dz
