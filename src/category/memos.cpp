// The memos of the current category: loaded into windows, saved from them.
#include <algorithm>
#include <iterator>
#include <vector>

#include "browser/browser.h"
#include "category/category.h"
#include "core/keys.h"
#include "core/memo_store.h"
#include "memo/memo_table.h"
#include "memo/memo_window.h"
#include "store/settings_access.h"
#include "win/message.h"

namespace dz {

namespace {
// Set once the memos were loaded; until then nothing may be saved over the
// category file.
bool g_loaded = false;

// A backup or synchronisation program may hold the file for a moment.
bool WaitUntilReadable(SettingsFile& file) {
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (file.Readable()) return true;
    Sleep(100);
  }
  return file.Readable();
}
}  // namespace

std::string UnreadableCategoryMessage() {
  return "カゴテリのファイル「" + CategoryFile().path() +
         "」を読み込めません。ほかのプログラムが使用している可能性があります。\n"
         "読み込めるようになるまで、このファイルには何も書き込みません。";
}

bool EnsureMemosLoaded() {
  if (g_loaded) return true;
  if (CategoryFile().Readable()) return LoadMemoTable();
  Tell(UnreadableCategoryMessage().c_str());
  return false;
}

namespace {
// Memo n of t gets its font, window and browser.
void CreateLoadedMemo(const LoadedTable& t, int n, const std::vector<Rect>& areas) {
  const LoadedMemo& lm = t.memos[static_cast<size_t>(n)];
  Memo& memo = Memos()[n];
  ReplaceMemoFont(n, CreateMemoFont(lm.font));
  memo.wnd = CreateMemoWindow(lm.place, lm.style, lm.windowLevel, areas);
  if (lm.brows == 1) {
    memo.browser = CreateBrowserHost(memo.wnd, lm.broUrl);
    if (memo.browser) InvalidateRect(memo.wnd, nullptr, FALSE);
  }
}
}  // namespace

bool LoadMemoTable() {
  // A file that exists but cannot be read is not an empty category: taken
  // for one, the next new memo and the save at exit would write over it.
  if (!WaitUntilReadable(CategoryFile())) {
    g_loaded = false;
    return false;
  }
  LoadedTable t = LoadTable(CategoryFile(), kDefaultHomePage);
  MemoTable& m = Memos();
  for (int n = 0; n < kMaxMemos; ++n) {
    ReplaceMemoFont(n, nullptr);
    m[n] = Memo{};
    m[n].vOffset = t.vOffset[n];
    m[n].hOffset = t.hOffset[n];
  }
  std::copy(std::begin(t.custColors), std::end(t.custColors), m.custColors);
  // The count comes first: a window's own creation messages look it up
  // before its handle is in the table and must find nothing.
  m.count = t.count;
  const std::vector<Rect> areas = WorkAreas();
  for (int n = 0; n < t.count; ++n) CreateLoadedMemo(t, n, areas);
  g_loaded = true;
  return true;
}

void ShowAppendedMemos() {
  if (!g_loaded) return;
  const LoadedTable t = LoadTable(CategoryFile(), kDefaultHomePage);
  MemoTable& m = Memos();
  const int from = m.count;
  if (t.count <= from) return;
  for (int n = from; n < t.count; ++n) {
    ReplaceMemoFont(n, nullptr);
    m[n] = Memo{};
    m[n].vOffset = t.vOffset[n];
    m[n].hOffset = t.hOffset[n];
  }
  m.count = t.count;
  const std::vector<Rect> areas = WorkAreas();
  for (int n = from; n < t.count; ++n) CreateLoadedMemo(t, n, areas);
}

bool SaveMemoTable() {
  if (!g_loaded) return true;
  const bool named = AppFile().Write(kSecCategory, "NowCagoteri", CurrentCategory());
  MemoTable& m = Memos();
  TableSnapshot snap;
  snap.count = m.count;
  for (int n = 0; n < kMaxMemos; ++n) {
    snap.vOffset[static_cast<size_t>(n)] = m[n].vOffset;
    snap.hOffset[static_cast<size_t>(n)] = m[n].hOffset;
  }
  std::copy(std::begin(m.custColors), std::end(m.custColors), snap.custColors.begin());
  for (int n = 0; n < m.count; ++n) {
    RECT r = {};
    const bool hasWindow = m[n].wnd && GetWindowRect(m[n].wnd, &r);  // hidden memos too
    snap.places.push_back(Placement{r.left, r.top, r.right - r.left, r.bottom - r.top});
    snap.keepStored.push_back(!hasWindow);
  }
  const bool saved = SaveTable(CategoryFile(), snap);
  return named && saved;
}

void DestroyAllMemos(bool recordState) {
  MemoTable& m = Memos();
  const std::vector<HWND> windows = MemoWindows();
  // A window's destruction writes only under a memo number it still has,
  // so an empty table keeps every write away from the file.
  if (!recordState) m.count = 0;
  // Otherwise each window is destroyed while the table still lists it, so
  // that its destruction can record the memo's browser state under its
  // number.
  for (HWND w : windows) {
    if (w) DestroyWindow(w);
  }
  for (int n = 0; n < kMaxMemos; ++n) {
    ReplaceMemoFont(n, nullptr);
    m[n] = Memo{};
  }
  m.count = 0;
}

}  // namespace dz
