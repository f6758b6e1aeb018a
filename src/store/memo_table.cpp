#include "store/memo_table.h"

#include <cstring>

#include "app/app.h"
#include "browser/browser.h"
#include "core/keys.h"
#include "core/memo_store.h"
#include "memo/memo_window.h"
#include "store/settings_access.h"

namespace dz {

MemoTable& Memos() {
  static MemoTable table;
  return table;
}

int MemoNumberFromWindow(HWND wnd) {
  if (!wnd) return -1;
  const MemoTable& m = Memos();
  for (int n = 0; n < m.count; ++n) {
    if (m.wnd[n] == wnd) return n;
  }
  return -1;
}

bool InBrowserMode(int n) {
  const MemoTable& m = Memos();
  return n >= 0 && n < m.count && m.browser[n] && IsWindow(m.browser[n]);
}

void ReplaceMemoFont(int n, HFONT font) {
  if (n < 0 || n >= kMaxMemos) return;
  MemoTable& m = Memos();
  HFONT old = m.font[n];
  m.font[n] = font;
  if (old && old != font) DeleteObject(old);
}

void LoadMemoTable() {
  LoadedTable t = LoadTable(CategoryFile(), kDefaultHomePage);
  MemoTable& m = Memos();
  std::memcpy(m.vOffset, t.vOffset, sizeof m.vOffset);
  std::memcpy(m.hOffset, t.hOffset, sizeof m.hOffset);
  std::memcpy(m.custColors, t.custColors, sizeof m.custColors);
  for (int n = 0; n < kMaxMemos; ++n) {
    m.wnd[n] = nullptr;
    m.browser[n] = nullptr;
  }
  // The count comes first: a window's own creation messages look it up
  // before its handle is in the list and must find nothing.
  m.count = t.count;
  for (int n = 0; n < t.count; ++n) {
    const LoadedMemo& lm = t.memos[static_cast<size_t>(n)];
    ReplaceMemoFont(n, CreateMemoFont(lm.font));
    HWND w = CreateMemoWindow(lm.place, lm.style, lm.windowLevel);
    m.wnd[n] = w;
    if (lm.brows == 1) {
      m.browser[n] = CreateBrowserHost(w, lm.broUrl);
      if (m.browser[n]) InvalidateRect(w, nullptr, FALSE);
    }
  }
  TheApp().memosLoaded = true;
}

void SaveMemoTable() {
  App& app = TheApp();
  AppFile().Write(kSecCategory, "NowCagoteri", app.categoryName);
  const MemoTable& m = Memos();
  TableSnapshot snap;
  snap.count = m.count;
  snap.vOffset = m.vOffset;
  snap.hOffset = m.hOffset;
  snap.custColors = m.custColors;
  for (int n = 0; n < m.count; ++n) {
    RECT r = {};
    GetWindowRect(m.wnd[n], &r);  // hidden memos too
    Placement p;
    p.x = r.left;
    p.y = r.top;
    p.w = r.right - r.left;
    p.h = r.bottom - r.top;
    snap.places.push_back(p);
  }
  SaveTable(CategoryFile(), snap);
}

void DestroyAllMemos() {
  MemoTable& m = Memos();
  // Each window is destroyed while the table still lists it, so that its
  // destruction can record the memo's browser state under its number.
  HWND windows[kMaxMemos];
  int count = m.count;
  std::memcpy(windows, m.wnd, sizeof windows);
  for (int n = 0; n < count; ++n) {
    if (windows[n]) DestroyWindow(windows[n]);
  }
  for (int n = 0; n < kMaxMemos; ++n) {
    m.wnd[n] = nullptr;
    m.browser[n] = nullptr;
    ReplaceMemoFont(n, nullptr);
  }
  m.count = 0;
}

}  // namespace dz
