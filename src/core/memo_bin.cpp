#include "core/memo_bin.h"

#include <algorithm>
#include <map>

#include "core/display_text.h"
#include "core/keys.h"
#include "core/link_scan.h"
#include "core/memo_store.h"
#include "core/sjis.h"

namespace dz {
namespace {


// The keys of every memo number found in the section, by number.
std::map<int, std::vector<std::pair<std::string, std::string>>> KeysByNumber(SettingsFile& file) {
  std::map<int, std::vector<std::pair<std::string, std::string>>> out;
  for (auto& [key, value] : file.Entries(kSecMemos)) {
    int n = 0;
    std::string_view prop;
    if (SplitMemoKey(key, &n, &prop)) out[n].emplace_back(std::string(prop), std::move(value));
  }
  return out;
}

void RemoveAll(SettingsFile& file, const char* section) {
  for (const auto& entry : file.Entries(section)) file.Remove(section, entry.first);
}

}  // namespace

KeptMemo ReadKeptMemo(SettingsFile& cat, int n) {
  KeptMemo m;
  SettingsHold hold(cat);
  m.keys = ReadMemoKeys(cat, n);
  m.vOffset = cat.ReadInt(kSecVOffset, OffsetKey(n), 0);
  m.hOffset = cat.ReadInt(kSecHOffset, OffsetKey(n), 0);
  return m;
}

void SetProperty(KeptMemo& m, std::string_view property, std::string value) {
  for (auto& entry : m.keys) {
    if (SameKeyName(entry.first, property)) {
      entry.second = std::move(value);
      return;
    }
  }
  m.keys.emplace_back(std::string(property), std::move(value));
}

std::vector<KeptMemo> ReadBin(SettingsFile& bin) {
  SettingsHold hold(bin);
  std::vector<KeptMemo> out;
  for (auto& [k, keys] : KeysByNumber(bin)) {
    KeptMemo m;
    m.keys = std::move(keys);
    m.vOffset = bin.ReadInt(kSecVOffset, OffsetKey(k), 0);
    m.hOffset = bin.ReadInt(kSecHOffset, OffsetKey(k), 0);
    m.deleted = bin.Read(kSecDeleted, OffsetKey(k), "");
    out.push_back(std::move(m));
  }
  return out;
}

bool WriteBin(SettingsFile& bin, const std::vector<KeptMemo>& memos) {
  bin.BeginBatch();
  for (const char* section : {kSecMemos, kSecVOffset, kSecHOffset, kSecDeleted}) RemoveAll(bin, section);
  const int count = static_cast<int>(std::min<size_t>(memos.size(), kBinKept));
  bin.WriteInt(kSecMemos, "No", count);
  for (int k = 0; k < count; ++k) {
    const KeptMemo& m = memos[static_cast<size_t>(k)];
    for (const auto& [prop, value] : m.keys) bin.Write(kSecMemos, MemoKey(k, prop.c_str()), value);
    bin.WriteInt(kSecVOffset, OffsetKey(k), m.vOffset);
    bin.WriteInt(kSecHOffset, OffsetKey(k), m.hOffset);
    bin.Write(kSecDeleted, OffsetKey(k), m.deleted);
  }
  return bin.EndBatch();
}

bool KeepInBin(SettingsFile& bin, const KeptMemo& m) {
  // An unreadable bin is never taken for an empty one and written over.
  if (!bin.Readable()) return false;
  std::vector<KeptMemo> memos = ReadBin(bin);
  memos.insert(memos.begin(), m);
  return WriteBin(bin, memos);
}

int WriteRestoredMemo(SettingsFile& cat, const KeptMemo& m) {
  int n = -1;
  const bool stored = cat.Transaction([&] {
  // After the last memo of the file as it is now: another program may
  // have added memos this one has not shown yet.
  n = StoredMemoCount(cat);
  if (n >= kMaxMemos || !cat.Readable()) return false;
  for (const auto& [key, value] : cat.Entries(kSecMemos)) {
    int k = 0;
    std::string_view prop;
    if (SplitMemoKey(key, &k, &prop) && k == n) cat.Remove(kSecMemos, key);
  }
  for (const auto& [prop, value] : m.keys) cat.Write(kSecMemos, MemoKey(n, prop.c_str()), value);
  cat.WriteInt(kSecVOffset, OffsetKey(n), m.vOffset);
  cat.WriteInt(kSecHOffset, OffsetKey(n), m.hOffset);
  cat.WriteInt(kSecMemos, "No", n + 1);
  return true;
  });
  return stored ? n : -1;
}

std::string BinCaption(std::string_view storedText, const ClockFields& clock) {
  const std::string shown = BuildDisplayText(storedText, clock);
  std::string_view rest = shown, line;
  while (line.empty() && !rest.empty()) {
    const size_t end = rest.find_first_of("\r\n");
    line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (line.find_first_not_of(" \t") == std::string_view::npos) line = {};
  }
  if (line.empty()) return kEmptyMemoCaption;
  std::string cut;
  size_t chars = 0;
  for (size_t i = 0; i < line.size() && chars < kBinCaptionChars; ++chars) {
    const size_t len = SjisCharLen(line, i);
    // A menu takes a tab for the start of its right-aligned column.
    cut += line[i] == '\t' ? std::string_view(" ") : line.substr(i, len);
    i += len;
  }
  return MenuCaption(cut);
}

std::vector<BinItem> ListBin(const std::vector<KeptMemo>& memos, size_t max, const ClockFields& clock) {
  std::vector<BinItem> items;
  for (size_t i = 0; i < memos.size() && i < max; ++i) {
    const KeptMemo& m = memos[i];
    std::string text;
    for (const auto& [prop, value] : m.keys)
      if (SameKeyName(prop, "Text")) text = value;
    // Seconds would only crowd the menu.
    items.push_back(BinItem{BinCaption(text, clock), m.deleted.substr(0, 16)});
  }
  return items;
}

}  // namespace dz
