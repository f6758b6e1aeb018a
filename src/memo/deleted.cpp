#include "memo/deleted.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/memo_bin.h"
#include "core/number.h"
#include "memo/memo_table.h"
#include "memo/memo_window.h"
#include "store/settings_access.h"

namespace dz {

namespace {
std::string LocalTimeText() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  char buf[32];
  snprintf(buf, sizeof buf, "%04u/%02u/%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
           t.wSecond);
  return buf;
}
}  // namespace

bool KeepDeletedMemo(int n) {
  MemoTable& table = Memos();
  if (n < 0 || n >= table.count) return false;
  KeptMemo kept = ReadKeptMemo(CategoryFile(), n);
  // The file has the place the memo had at the last save; the window has
  // where the user left it (kept in the files' units, like every place).
  if (table[n].wnd) {
    const Placement p = StoredPlaceOf(n);
    SetProperty(kept, "x", FormatInt(p.x));
    SetProperty(kept, "y", FormatInt(p.y));
    SetProperty(kept, "h", FormatInt(p.w));  // the width is stored as "h"
    SetProperty(kept, "l", FormatInt(p.h));
  }
  kept.vOffset = table[n].vOffset;
  kept.hOffset = table[n].hOffset;
  kept.deleted = LocalTimeText();
  return KeepInBin(BinFile(), kept);
}

void ForgetKeptMemo() {
  std::vector<KeptMemo> kept = ReadBin(BinFile());
  if (kept.empty()) return;
  kept.erase(kept.begin());
  WriteBin(BinFile(), kept);
}

}  // namespace dz
