// Creating, deleting, showing and hiding memos.
#include <cstring>

#include "app/app.h"
#include "core/keys.h"
#include "core/limits.h"
#include "memo/memo_handlers.h"
#include "memo/memo_window.h"
#include "store/memo_table.h"
#include "store/settings_access.h"

namespace dz {

namespace {
constexpr DWORD kFramedStyle = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_THICKFRAME;
constexpr DWORD kFramelessStyle = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;

// Handles of the live memos, taken before a loop whose calls send messages
// that could change the table.
int SnapshotWindows(HWND (&out)[kMaxMemos]) {
  const MemoTable& m = Memos();
  std::memcpy(out, m.wnd, sizeof out);
  return m.count;
}
}  // namespace

HWND CreateMemoWindow(const Placement& place, int style, int windowLevel) {
  HWND w = CreateWindowExW(WS_EX_TOOLWINDOW, kMemoClass, L"child", style == 1 ? kFramedStyle : kFramelessStyle,
                           place.x, place.y, place.w, place.h, nullptr, nullptr, TheApp().inst, nullptr);
  if (!w) return nullptr;
  if (windowLevel == 0) SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  DragAcceptFiles(w, TRUE);
  return w;
}

HFONT CreateMemoFont(const FontSpec& font) {
  std::wstring face = Widen(font.face);
  if (face.size() > LF_FACESIZE - 1) face.resize(LF_FACESIZE - 1);
  return CreateFontW(font.height, 0, 0, 0, 0, font.italic, font.underline, font.strikeout, SHIFTJIS_CHARSET, 0, 0, 0,
                     0, face.c_str());
}

HWND CreateMemo(std::string_view escapedText) {
  MemoTable& m = Memos();
  if (m.count < 0 || m.count >= kMaxMemos) return nullptr;
  const int n = m.count;
  NewMemo nm = ApplyTemplate(CategoryFile(), n, escapedText);
  ReplaceMemoFont(n, CreateMemoFont(nm.font));
  m.browser[n] = nullptr;
  HWND w = CreateMemoWindow(nm.place, nm.style, nm.windowLevel);
  m.wnd[n] = w;
  m.count = n + 1;
  return w;
}

void DeleteMemo(HWND w) {
  MemoTable& m = Memos();
  const int n = MemoNumberFromWindow(w);
  if (n < 0) return;
  const int count = m.count;
  // The file moves first: if it cannot be rewritten the memo stays, so the
  // table never disagrees with the keys of the later memos.
  if (!RenumberAfterDelete(CategoryFile(), n, count, kDefaultHomePage)) return;
  HFONT deadFont = m.font[n];
  for (int k = n; k < count - 1; ++k) {
    m.wnd[k] = m.wnd[k + 1];
    m.font[k] = m.font[k + 1];
    m.browser[k] = m.browser[k + 1];
    m.vOffset[k] = m.vOffset[k + 1];
    m.hOffset[k] = m.hOffset[k + 1];
  }
  const int last = count - 1;
  m.wnd[last] = nullptr;
  m.font[last] = nullptr;
  m.browser[last] = nullptr;
  m.vOffset[last] = 0;
  m.hOffset[last] = 0;
  m.count = last;
  // w is no longer in the list, so its destruction records nothing.
  DestroyWindow(w);
  if (deadFont) DeleteObject(deadFont);
}

void InvalidateAllMemos(BOOL erase) {
  HWND windows[kMaxMemos];
  int count = SnapshotWindows(windows);
  for (int n = 0; n < count; ++n) InvalidateRect(windows[n], nullptr, erase);
}

void ShowAllMemos() {
  HWND windows[kMaxMemos];
  int count = SnapshotWindows(windows);
  for (int n = 0; n < count; ++n) {
    ShowWindow(windows[n], SW_SHOWNORMAL);
    SetWindowPos(windows[n], HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
}

void HideAllMemos() {
  HWND windows[kMaxMemos];
  int count = SnapshotWindows(windows);
  for (int n = 0; n < count; ++n) ShowWindow(windows[n], SW_HIDE);
}

void OnHideMemo(HWND memo) { ShowWindow(memo, SW_HIDE); }

void OnDeleteMemoCommand(HWND memo) {
  if (MemoNumberFromWindow(memo) < 0) return;
  if (MessageBoxJ(memo, "このメモを削除します。よろしいですか？", "確認", MB_OKCANCEL) == IDOK) DeleteMemo(memo);
}

void OnMemoClose(HWND memo) {
  if (MemoNumberFromWindow(memo) < 0) return;
  if (MessageBoxJ(TheApp().main, "このメモを削除してよろしいですか？", "確認", MB_OKCANCEL) == IDOK) DeleteMemo(memo);
}

}  // namespace dz
