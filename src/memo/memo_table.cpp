#include "memo/memo_table.h"

#include <objbase.h>
#include <objidl.h>  // gdiplus.h needs it with WIN32_LEAN_AND_MEAN
#include <gdiplus.h>

#include <algorithm>
#include <cstring>

#include "win/dpi.h"

namespace dz {

void GdiplusBitmapRelease::operator()(Gdiplus::GpBitmap* bitmap) const {
  if (bitmap) Gdiplus::DllExports::GdipDisposeImage(bitmap);
}

MemoTable& Memos() {
  static MemoTable table;
  return table;
}

int MemoNumberFromWindow(HWND wnd) {
  if (!wnd) return -1;
  const MemoTable& m = Memos();
  for (int n = 0; n < m.count; ++n) {
    if (m.memo[n].wnd == wnd) return n;
  }
  return -1;
}

int32_t DpiOfMemo(HWND w) {
  const int n = MemoNumberFromWindow(w);
  return n >= 0 ? Memos()[n].dpi : DpiOfWindow(w);
}

int MemoNumberFromId(const std::string& id) {
  if (id.empty()) return -1;
  const MemoTable& m = Memos();
  for (int n = 0; n < m.count; ++n) {
    if (m.memo[n].id == id) return n;
  }
  return -1;
}

std::string NewMemoId() {
  GUID g = {};
  uint8_t bytes[16] = {};
  if (SUCCEEDED(CoCreateGuid(&g))) {
    memcpy(bytes, &g, sizeof bytes);
  } else {
    // Unique enough within one folder: the time, the process and a counter.
    static uint32_t counter = 0;
    FILETIME t;
    GetSystemTimeAsFileTime(&t);
    const uint32_t parts[4] = {t.dwLowDateTime, t.dwHighDateTime, GetCurrentProcessId(), ++counter};
    memcpy(bytes, parts, sizeof bytes);
  }
  return FormatMemoId(bytes);
}

namespace {
void (*g_sync)(bool) = nullptr;
Memo g_detached;
}  // namespace

void SetTableSync(void (*sync)(bool)) { g_sync = sync; }

void SyncTable(bool evenUnchanged) {
  if (g_sync) g_sync(evenUnchanged);
}

int MemoNumberAfterDialog(HWND wnd) {
  SyncTable();
  return MemoNumberFromWindow(wnd);
}

void KeepDetached(Memo&& memo) {
  DropDetached();
  g_detached = std::move(memo);
  memo.font = nullptr;
  memo.wnd = memo.browser = nullptr;
}

HWND DetachedWindow() { return g_detached.wnd; }

void DropDetached() {
  Memo gone = std::move(g_detached);
  g_detached = Memo{};
  if (gone.wnd) DestroyWindow(gone.wnd);
  if (gone.font) DeleteObject(gone.font);
}

bool InBrowserMode(int n) {
  MemoTable& m = Memos();
  return n >= 0 && n < m.count && m[n].browser && IsWindow(m[n].browser);
}

void ReplaceMemoFont(int n, HFONT font) {
  if (n < 0 || n >= kMaxMemos) return;
  Memo& memo = Memos()[n];
  HFONT old = memo.font;
  memo.font = font;
  if (old && old != font) DeleteObject(old);
}

std::vector<HWND> MemoWindows() {
  const MemoTable& m = Memos();
  std::vector<HWND> windows;
  windows.reserve(static_cast<size_t>(m.count));
  for (int n = 0; n < m.count; ++n) {
    if (m.memo[n].wnd) windows.push_back(m.memo[n].wnd);
  }
  return windows;
}

void RemoveMemoRecord(int n) {
  MemoTable& m = Memos();
  if (n < 0 || n >= m.count) return;
  ReplaceMemoFont(n, nullptr);
  std::move(m.memo + n + 1, m.memo + m.count, m.memo + n);
  m.memo[m.count - 1] = Memo{};
  --m.count;
}

}  // namespace dz
