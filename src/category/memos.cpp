// The memos of the current category: loaded into windows, saved from them.
#include <algorithm>
#include <array>
#include <cwchar>
#include <iterator>
#include <vector>

#include "browser/browser.h"
#include "category/category.h"
#include "core/keys.h"
#include "core/memo_store.h"
#include "core/memo_sync.h"
#include "memo/memo_table.h"
#include "memo/behaviour.h"
#include "memo/memo_window.h"
#include "text/edit.h"
#include "store/settings_access.h"
#include "win/dpi.h"
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

// Version of the category file the table last followed.
uint64_t g_followed = 0;

BOOL CALLBACK FindDialog(HWND w, LPARAM found) {
  wchar_t cls[16] = {};
  if (IsWindowVisible(w) && GetClassNameW(w, cls, 16) && wcscmp(cls, L"#32770") == 0) {
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
  }
  return TRUE;
}

// A message box or dialog of this program is open: whoever opened it may
// hold a memo number, and its answer would land on another memo.
bool DialogOpen() {
  bool found = false;
  EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

bool SameFont(HFONT font, const FontSpec& stored, int32_t dpi) {
  LOGFONTW have = {};
  if (!font || !GetObjectW(font, sizeof have, &have)) return false;
  LOGFONTW want = {};
  SetFaceName(want, stored.face);
  return have.lfHeight == ToPixels(stored.height, dpi) && (have.lfItalic != 0) == stored.italic &&
         (have.lfUnderline != 0) == stored.underline && (have.lfStrikeOut != 0) == stored.strikeout &&
         wcscmp(have.lfFaceName, want.lfFaceName) == 0;
}

bool SamePlace(const Placement& a, const Placement& b) {
  return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}

// Takes a record out of the table, its handles with it.
Memo TakeRecord(Memo& from) {
  Memo out = std::move(from);
  from = Memo{};
  return out;
}

// Gives a memo that is new to the table its window, font and browser,
// shown at the scale of the monitor its place belongs to.
void CreateMemoFor(Memo& memo, const LoadedMemo& lm, const std::vector<Rect>& monitorRects,
                   const std::vector<ScaledMonitor>& monitors) {
  memo.shown = ShownPlace(lm.place, monitors);
  memo.wnd = CreateMemoWindow(memo.shown, lm.style, lm.windowLevel, monitorRects);
  memo.place = lm.place;
  memo.dpi = DpiOfWindow(memo.wnd);
  memo.font = CreateMemoFont(lm.font, memo.dpi);
  if (lm.brows == 1 && memo.wnd) {
    memo.browser = CreateBrowserHost(memo.wnd, lm.broUrl);
    if (memo.browser) InvalidateRect(memo.wnd, nullptr, FALSE);
  }
}

// Brings the window of memo n in line with what another program stored.
void FollowStoredLook(int n, const LoadedMemo& lm, const Placement& readPlace, const std::vector<Rect>& monitorRects,
                      const std::vector<ScaledMonitor>& monitors) {
  Memo& memo = Memos()[n];
  if (!memo.wnd) return;
  const bool editing = Editor() && GetParent(Editor()) == memo.wnd;
  const bool framed = (GetWindowLongW(memo.wnd, GWL_STYLE) & WS_THICKFRAME) != 0;
  if (framed != (lm.style == 1) && !editing) {
    // The frame cannot come or go in place: the memo gets a new window.
    HWND old = memo.wnd;
    const Placement shown = SamePlace(lm.place, readPlace) ? memo.shown : ShownPlace(lm.place, monitors);
    HWND next = CreateMemoWindow(shown, lm.style, lm.windowLevel, monitorRects);
    if (next) {
      memo.shown = shown;
      memo.place = SamePlace(lm.place, readPlace) ? memo.place : lm.place;
      if (!IsWindowVisible(old)) ShowWindow(next, SW_HIDE);
      memo.wnd = next;
      if (memo.browser) {
        SetParent(memo.browser, next);
        RECT client = {};
        GetClientRect(next, &client);
        FitBrowserHost(n, client.right, client.bottom);
      }
      DestroyWindow(old);
    }
  } else if (!SamePlace(lm.place, readPlace)) {
    memo.shown = ShownPlace(lm.place, monitors);
    memo.place = lm.place;
    SetWindowPos(memo.wnd, nullptr, memo.shown.x, memo.shown.y, memo.shown.w, memo.shown.h,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const bool topmost = (GetWindowLongW(memo.wnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  if (topmost != (lm.windowLevel == 0))
    SetWindowPos(memo.wnd, lm.windowLevel == 0 ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (!SameFont(memo.font, lm.font, memo.dpi)) {
    ReplaceMemoFont(n, CreateMemoFont(lm.font, memo.dpi));
    if (editing) SendMessageW(Editor(), WM_SETFONT, reinterpret_cast<WPARAM>(memo.font), TRUE);
  }
  // Text, colours and background are read at the paint.
  InvalidateRect(memo.wnd, nullptr, FALSE);
}
}  // namespace

bool FollowCategoryFile(bool evenUnchanged, bool evenInDialog) {
  if (!g_loaded) return true;
  SettingsFile& cat = CategoryFile();
  if (!cat.Readable()) return true;  // followed once it can be read
  if (!evenUnchanged && cat.Version() == g_followed) return true;
  if (!evenInDialog && DialogOpen()) return false;
  // A category file without a count while memos are shown is a file on its
  // way (some programs delete a file before they put the new one in): the
  // memos stay until it is back.
  if (Memos().count > 0 && !cat.Get(kSecMemos, "No")) return true;
  g_followed = cat.Version();
  const LoadedTable t = LoadTable(cat, kDefaultHomePage);
  MemoTable& m = Memos();
  std::vector<std::string> tableIds, fileIds;
  for (int n = 0; n < m.count; ++n) tableIds.push_back(m[n].id);
  for (const LoadedMemo& lm : t.memos) fileIds.push_back(lm.id);
  const std::vector<int> match = MatchMemos(tableIds, fileIds);

  // The records in the file's order; the windows change once the table is
  // whole again, as their messages look memos up in it.
  std::vector<Memo> next(static_cast<size_t>(t.count));
  std::vector<bool> kept(static_cast<size_t>(m.count), false);
  for (int f = 0; f < t.count; ++f) {
    const int i = match[static_cast<size_t>(f)];
    if (i < 0) continue;
    next[static_cast<size_t>(f)] = TakeRecord(m[i]);
    kept[static_cast<size_t>(i)] = true;
  }
  std::vector<Memo> gone;
  for (int i = 0; i < m.count; ++i)
    if (!kept[static_cast<size_t>(i)]) gone.push_back(TakeRecord(m[i]));
  for (int n = 0; n < kMaxMemos; ++n) m[n] = n < t.count ? std::move(next[static_cast<size_t>(n)]) : Memo{};
  m.count = t.count;

  bool idsMissing = false;
  const std::vector<Rect> monitorRects = MonitorRects();
  const std::vector<ScaledMonitor> monitors = ScaledMonitors();
  for (int f = 0; f < t.count; ++f) {
    const LoadedMemo& lm = t.memos[static_cast<size_t>(f)];
    Memo& memo = m[f];
    const bool isNew = match[static_cast<size_t>(f)] < 0;
    const Placement readPlace = memo.read.place;
    if (isNew || memo.vOffset == memo.read.vOffset || t.vOffset[f] != memo.read.vOffset) memo.vOffset = t.vOffset[f];
    if (isNew || memo.hOffset == memo.read.hOffset || t.hOffset[f] != memo.read.hOffset) memo.hOffset = t.hOffset[f];
    // A file without identities gets them with its first write; until then
    // the memo is known by this one.
    if (!lm.id.empty()) memo.id = lm.id;
    if (memo.id.empty()) memo.id = NewMemoId();
    idsMissing = idsMissing || lm.id.empty();
    memo.read = MemoState{lm.id, lm.place, t.vOffset[f], t.hOffset[f]};
    if (isNew)
      CreateMemoFor(memo, lm, monitorRects, monitors);
    else
      FollowStoredLook(f, lm, readPlace, monitorRects, monitors);
  }
  std::array<uint32_t, kCustomColors> colors;
  std::copy(std::begin(t.custColors), std::end(t.custColors), colors.begin());
  for (size_t k = 0; k < colors.size(); ++k)
    if (colors[k] != m.readColors[k]) m.custColors[k] = colors[k];
  m.readColors = colors;

  for (Memo& memo : gone) {
    if (memo.wnd && Editor() && GetParent(Editor()) == memo.wnd) {
      // The text being typed into it is not lost: committing brings it back.
      KeepDetached(std::move(memo));
      continue;
    }
    if (memo.wnd) DestroyWindow(memo.wnd);
    if (memo.font) DeleteObject(memo.font);
  }
  if (idsMissing) {
    std::vector<std::string> ids;
    for (int n = 0; n < m.count; ++n) ids.push_back(m[n].id);
    cat.OnNextWrite([ids](IniDocument& doc) { return AddMissingIds(doc, ids); });
  }
  return true;
}

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

bool LoadMemoTable() {
  // A file that exists but cannot be read is not an empty category: taken
  // for one, the next new memo and the save at exit would write over it.
  if (!WaitUntilReadable(CategoryFile())) {
    g_loaded = false;
    return false;
  }
  MemoTable& m = Memos();
  for (int n = 0; n < kMaxMemos; ++n) {
    ReplaceMemoFont(n, nullptr);
    m[n] = Memo{};
  }
  m.count = 0;
  // Loading is following the file from an empty table: every memo is new.
  g_loaded = true;
  SetTableSync([](bool evenUnchanged) { FollowCategoryFile(evenUnchanged, true); });
  FollowCategoryFile(true, true);
  return true;
}

bool SaveMemoTable() {
  if (!g_loaded) return true;
  // Numbers and identities as the file has them now.
  FollowCategoryFile(false, true);
  const bool named = AppFile().Write(kSecCategory, "NowCagoteri", CurrentCategory());
  MemoTable& m = Memos();
  TableState read, mine;
  for (int n = 0; n < m.count; ++n) {
    const Memo& memo = m[n];
    RECT r = {};
    // Hidden memos too; a memo without a window keeps its stored place.
    const bool hasWindow = memo.wnd && GetWindowRect(memo.wnd, &r);
    const Placement place = hasWindow ? StoredPlaceOf(n) : memo.read.place;
    read.memos.push_back(memo.read);
    mine.memos.push_back(MemoState{memo.id, place, memo.vOffset, memo.hOffset});
  }
  read.custColors = m.readColors;
  std::copy(std::begin(m.custColors), std::end(m.custColors), mine.custColors.begin());
  const bool saved = SaveTable(CategoryFile(), read, mine);
  // What the file holds now is what the windows are compared with next.
  if (saved) {
    for (int n = 0; n < m.count; ++n) {
      m[n].read = mine.memos[static_cast<size_t>(n)];
      RECT r = {};
      if (!m[n].wnd || !GetWindowRect(m[n].wnd, &r)) continue;
      m[n].place = m[n].read.place;
      m[n].shown = Placement{r.left, r.top, r.right - r.left, r.bottom - r.top};
    }
    m.readColors = mine.custColors;
  }
  return named && saved;
}

void DestroyAllMemos(bool recordState) {
  // Nothing follows the file or saves over it until the next load.
  g_loaded = false;
  MemoTable& m = Memos();
  const std::vector<HWND> windows = MemoWindows();
  // A window's destruction writes only under a memo number it still has,
  // so an empty table keeps every write away from the file.
  if (!recordState) {
    m.count = 0;
    AbandonEditor();
  }
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
  DropDetached();
}

}  // namespace dz
