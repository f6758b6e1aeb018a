// Creating, deleting, showing and hiding memos.
#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "core/keys.h"
#include "core/limits.h"
#include "core/memo_style.h"
#include "core/placement.h"
#include "memo/memo_table.h"
#include "memo/memo_window.h"
#include "store/settings_access.h"
#include "win/message.h"
#include "win/process.h"
#include "win/text.h"

namespace dz {

namespace {
constexpr DWORD kFramedStyle = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_THICKFRAME;
constexpr DWORD kFramelessStyle = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;

BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM areas) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  // Right after a resolution change some systems still report the old work
  // area; it never reaches beyond its monitor.
  RECT r;
  if (GetMonitorInfoW(monitor, &info) && IntersectRect(&r, &info.rcWork, &info.rcMonitor))
    reinterpret_cast<std::vector<Rect>*>(areas)->push_back(Rect{r.left, r.top, r.right, r.bottom});
  return TRUE;
}

void BringWithinReach(HWND w, const std::vector<Rect>& areas) {
  RECT r;
  if (!GetWindowRect(w, &r)) return;
  const PlacementResult p = PlaceOnScreen(Rect{r.left, r.top, r.right, r.bottom}, areas);
  if (!p.moved) return;
  SetWindowPos(w, nullptr, p.rect.left, p.rect.top, p.rect.right - p.rect.left, p.rect.bottom - p.rect.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}
}  // namespace

std::vector<Rect> WorkAreas() {
  std::vector<Rect> areas;
  EnumDisplayMonitors(nullptr, nullptr, AddWorkArea, reinterpret_cast<LPARAM>(&areas));
  return areas;
}

void BringAllMemosWithinReach() {
  const std::vector<Rect> areas = WorkAreas();
  for (HWND w : MemoWindows()) BringWithinReach(w, areas);
}

HWND CreateMemoWindow(const Placement& place, int style, int windowLevel) {
  return CreateMemoWindow(place, style, windowLevel, WorkAreas());
}

HWND CreateMemoWindow(const Placement& place, int style, int windowLevel, const std::vector<Rect>& workAreas) {
  // Topmost and open to dropped files from the start (what DragAcceptFiles
  // sets): changing either afterwards costs a round trip to the window
  // system per memo, a fifth of the start-up of a hundred memos.
  const DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_ACCEPTFILES | (windowLevel == 0 ? WS_EX_TOPMOST : 0);
  HWND w = CreateWindowExW(exStyle, kMemoClass, L"child", style == 1 ? kFramedStyle : kFramelessStyle, place.x,
                           place.y, place.w, place.h, nullptr, nullptr, TheProcess().inst, nullptr);
  if (!w) return nullptr;
  // A place stored on a monitor that is gone, or at a larger resolution,
  // would leave the memo where nobody can take hold of it.
  BringWithinReach(w, workAreas);
  return w;
}

void SetFaceName(LOGFONTW& lf, std::string_view sjisFace) {
  const std::wstring face = Widen(sjisFace);
  // A name cut inside a character would name no font at all; a shortened
  // whole-character prefix may still match one.
  const size_t len = Utf16PrefixLen(std::wstring_view(face), LF_FACESIZE - 1);
  face.copy(lf.lfFaceName, len);
  lf.lfFaceName[len] = L'\0';
}

HFONT CreateMemoFont(const FontSpec& font) {
  LOGFONTW lf = {};
  lf.lfHeight = font.height;
  lf.lfItalic = font.italic ? TRUE : FALSE;
  lf.lfUnderline = font.underline ? TRUE : FALSE;
  lf.lfStrikeOut = font.strikeout ? TRUE : FALSE;
  lf.lfCharSet = SHIFTJIS_CHARSET;
  SetFaceName(lf, font.face);
  return CreateFontIndirectW(&lf);
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
  ReplaceMemoFont(n, CreateMemoFont(nm.font));
  memo.browser = nullptr;
  memo.id = id;
  memo.vOffset = memo.hOffset = 0;
  memo.read = MemoState{id, nm.place, 0, 0};
  memo.wnd = CreateMemoWindow(nm.place, nm.style, nm.windowLevel);
  m.count = n + 1;
  return memo.wnd;
}

void DeleteMemo(HWND w) {
  const int n = MemoNumberFromWindow(w);
  if (n < 0) return;
  // The file moves first: if it cannot be rewritten the memo stays, so the
  // table never disagrees with the keys of the later memos. The memo is
  // found in the file by its identity, wherever another program moved it.
  if (!DeleteStoredMemo(CategoryFile(), Memos()[n].id, n)) {
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
