// Bringing back recently deleted memos of the current category.
#include <string>
#include <vector>

#include "browser/browser.h"
#include "category/category.h"
#include "core/keys.h"
#include "core/limits.h"
#include "core/memo_bin.h"
#include "core/memo_store.h"
#include "memo/memo_table.h"
#include "memo/memo_window.h"
#include "res/resource.h"
#include "store/settings_access.h"
#include "win/message.h"
#include "win/process.h"
#include "win/text.h"

namespace dz {

void OnRestoreInitMenu(HMENU submenu) {
  if (!submenu) return;
  while (GetMenuItemCount(submenu) > 0) DeleteMenu(submenu, 0, MF_BYPOSITION);
  const std::vector<BinItem> items = ListBin(ReadBin(BinFile()), kBinListed, ClockNow());
  if (items.empty()) {
    AppendMenuW(submenu, MF_STRING | MF_GRAYED, IDC_RESTORE_FIRST, L"（なし）");
    return;
  }
  for (size_t i = 0; i < items.size(); ++i) {
    // After a tab the time stands in a column of its own, right-aligned.
    const std::wstring text = Widen(items[i].caption) + L"\t" + Widen(items[i].when);
    AppendMenuW(submenu, MF_STRING, IDC_RESTORE_FIRST + i, text.c_str());
  }
}

void OnRestoreMemo(HWND main, int slot) {
  if (!EnsureMemosLoaded()) return;
  // The memo comes after the last one of the file as it is now.
  SyncTable();
  MemoTable& table = Memos();
  if (table.count >= kMaxMemos) {
    MessageBoxJ(main, kTooManyMemos, nullptr, MB_OK);
    return;
  }
  std::vector<KeptMemo> kept = ReadBin(BinFile());
  if (slot < 0 || static_cast<size_t>(slot) >= kept.size()) return;
  const KeptMemo memo = kept[static_cast<size_t>(slot)];
  const int n = WriteRestoredMemo(CategoryFile(), memo);
  if (n < 0) {
    Tell(("メモを戻せませんでした。設定ファイルに書き込めません。\n" + CategoryFile().path()).c_str());
    return;
  }
  kept.erase(kept.begin() + slot);
  const bool dropped = WriteBin(BinFile(), kept);
  if (!dropped)
    Tell(("メモを戻しましたが、削除したメモの一覧から外せませんでした。\n" + BinFile().path()).c_str());
  if (n != table.count) {
    // Another program added memos just now: they and this one get their
    // windows the way any memo of the file does.
    SyncTable(true);
    return;
  }

  const LoadedMemo lm = LoadMemo(CategoryFile(), n, kDefaultHomePage);
  Memo& record = table[n];
  record.picture = PictureCache{};
  record.vOffset = memo.vOffset;
  record.hOffset = memo.hOffset;
  record.browser = nullptr;
  record.id = lm.id.empty() ? NewMemoId() : lm.id;
  record.read = MemoState{lm.id, lm.place, memo.vOffset, memo.hOffset};
  // As for a new memo, the count follows the window: its creation
  // messages must not find the number yet.
  CreateRecordWindow(n, lm.place, lm.font, lm.style, lm.windowLevel);
  table.count = n + 1;
  if (record.wnd && lm.brows == 1) {
    record.browser = CreateBrowserHost(record.wnd, lm.broUrl);
    if (record.browser) InvalidateRect(record.wnd, nullptr, FALSE);
  }
  if (record.wnd) SetForegroundWindow(record.wnd);
}

}  // namespace dz
