#include "core/memo_sync.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "core/keys.h"
#include "core/number.h"

namespace dz {

namespace {

std::string CustColorKey(int k) { return "CustColor" + std::to_string(k); }

// True when memo n has a key of its own in the document.
bool StoredInDoc(const IniDocument& doc, int n) {
  return doc.Get(kSecMemos, MemoKey(n, "Text")) || doc.Get(kSecMemos, MemoKey(n, "x"));
}

}  // namespace

std::string FormatMemoId(const uint8_t (&bytes)[16]) {
  static const char kHex[] = "0123456789abcdef";
  std::string id;
  id.reserve(32);
  for (uint8_t b : bytes) {
    id.push_back(kHex[b >> 4]);
    id.push_back(kHex[b & 15]);
  }
  return id;
}

TableState ReadTableState(SettingsFile& cat) {
  SettingsHold hold(cat);
  TableState t;
  const int count = StoredMemoCount(cat);
  t.memos.resize(static_cast<size_t>(count));
  for (int n = 0; n < count; ++n) {
    MemoState& m = t.memos[static_cast<size_t>(n)];
    m.id = cat.Read(kSecMemos, MemoKey(n, kIdProp), "");
    m.place = ReadPlacement(cat, n);
    m.vOffset = cat.ReadInt(kSecVOffset, OffsetKey(n), 0);
    m.hOffset = cat.ReadInt(kSecHOffset, OffsetKey(n), 0);
  }
  for (int k = 0; k < kCustomColors; ++k)
    t.custColors[static_cast<size_t>(k)] = static_cast<uint32_t>(cat.ReadInt(kSecMemos, CustColorKey(k), 0));
  return t;
}

std::vector<std::string> MemoIds(const TableState& t) {
  std::vector<std::string> ids;
  ids.reserve(t.memos.size());
  for (const MemoState& m : t.memos) ids.push_back(m.id);
  return ids;
}

std::vector<int> MatchMemos(const std::vector<std::string>& table, const std::vector<std::string>& file) {
  std::vector<int> match(file.size(), -1);
  std::vector<bool> taken(table.size(), false);
  std::unordered_map<std::string, int> byId;
  for (size_t i = 0; i < table.size(); ++i)
    if (!table[i].empty()) byId.emplace(table[i], static_cast<int>(i));
  std::unordered_set<std::string> inFile;
  for (size_t f = 0; f < file.size(); ++f) {
    if (file[f].empty()) continue;
    inFile.insert(file[f]);
    auto it = byId.find(file[f]);
    // A copy of a memo with the same identity is a new memo.
    if (it != byId.end() && !taken[static_cast<size_t>(it->second)]) {
      match[f] = it->second;
      taken[static_cast<size_t>(it->second)] = true;
    }
  }
  for (size_t f = 0; f < file.size(); ++f) {
    if (!file[f].empty() || f >= table.size() || taken[f]) continue;
    if (!table[f].empty() && inFile.count(table[f])) continue;
    match[f] = static_cast<int>(f);
    taken[f] = true;
  }
  return match;
}

int FindMemo(const std::vector<std::string>& file, const std::string& id, int number) {
  std::vector<std::string> table(static_cast<size_t>(std::max(number + 1, 0)));
  if (number >= 0) table[static_cast<size_t>(number)] = id;
  const std::vector<int> match = MatchMemos(table, file);
  for (size_t f = 0; f < match.size(); ++f)
    if (number >= 0 && match[f] == number) return static_cast<int>(f);
  return -1;
}

std::vector<KeyWrite> TableWrites(const TableState& read, const TableState& mine, const TableState& now) {
  std::vector<KeyWrite> out, ids;
  const std::vector<int> match = MatchMemos(MemoIds(mine), MemoIds(now));
  bool known = true;  // false: nothing was read for the record, all of it is this program's
  auto put = [&](const char* section, std::string key, int32_t mineValue, int32_t readValue, int32_t nowValue) {
    if ((!known || mineValue != readValue) && mineValue != nowValue)
      out.push_back({section, std::move(key), FormatInt(mineValue)});
  };
  for (size_t f = 0; f < match.size(); ++f) {
    if (match[f] < 0) continue;
    const size_t i = static_cast<size_t>(match[f]);
    const MemoState& m = mine.memos[i];
    known = i < read.memos.size();
    const MemoState& r = known ? read.memos[i] : m;
    const MemoState& s = now.memos[f];
    const int n = static_cast<int>(f);
    if (s.id.empty() && !m.id.empty()) ids.push_back({kSecMemos, MemoKey(n, kIdProp), m.id});
    put(kSecMemos, MemoKey(n, "x"), m.place.x, r.place.x, s.place.x);
    put(kSecMemos, MemoKey(n, "y"), m.place.y, r.place.y, s.place.y);
    put(kSecMemos, MemoKey(n, "h"), m.place.w, r.place.w, s.place.w);  // width in "h", height in "l"
    put(kSecMemos, MemoKey(n, "l"), m.place.h, r.place.h, s.place.h);
    put(kSecVOffset, OffsetKey(n), m.vOffset, r.vOffset, s.vOffset);
    put(kSecHOffset, OffsetKey(n), m.hOffset, r.hOffset, s.hOffset);
  }
  known = true;
  for (size_t k = 0; k < mine.custColors.size(); ++k)
    put(kSecMemos, CustColorKey(static_cast<int>(k)), static_cast<int32_t>(mine.custColors[k]),
        static_cast<int32_t>(read.custColors[k]), static_cast<int32_t>(now.custColors[k]));
  // Identities go with a write, never make one: a file nobody changed
  // stays as it is.
  if (!out.empty()) out.insert(out.end(), ids.begin(), ids.end());
  return out;
}

bool SaveTable(SettingsFile& cat, const TableState& read, const TableState& mine) {
  return cat.Transaction([&] {
    const TableState now = ReadTableState(cat);
    bool ok = cat.Readable();
    if (ok)
      for (const KeyWrite& w : TableWrites(read, mine, now)) ok = cat.Write(w.section, w.key, w.value) && ok;
    return ok;
  });
}

namespace {
bool DeleteFromFileNow(SettingsFile& cat, const std::string& id, int number) {
  const TableState now = ReadTableState(cat);
  const int count = static_cast<int>(now.memos.size());
  const int f = FindMemo(MemoIds(now), id, number);
  if (f < 0 || !cat.Readable()) return cat.Readable();
  RenumberAfterDelete(cat, f, count);
  // The scroll offsets are kept by number too.
  for (int m = f; m < count - 1; ++m) {
    const MemoState& next = now.memos[static_cast<size_t>(m + 1)];
    cat.WriteInt(kSecVOffset, OffsetKey(m), next.vOffset);
    cat.WriteInt(kSecHOffset, OffsetKey(m), next.hOffset);
  }
  cat.Remove(kSecVOffset, OffsetKey(count - 1));
  cat.Remove(kSecHOffset, OffsetKey(count - 1));
  cat.WriteInt(kSecMemos, "No", count - 1);
  return true;
}
}  // namespace

bool DeleteStoredMemo(SettingsFile& cat, const std::string& id, int number) {
  return cat.Transaction([&] { return DeleteFromFileNow(cat, id, number); });
}

bool SplitMemoKey(std::string_view key, int* n, std::string_view* property) {
  size_t digits = 0;
  while (digits < key.size() && key[digits] >= '0' && key[digits] <= '9') ++digits;
  // Beyond 9 digits no memo number can be meant, and the value would overflow.
  if (digits == 0 || digits > 9 || digits == key.size() || (key[0] == '0' && digits > 1)) return false;
  int value = 0;
  for (size_t i = 0; i < digits; ++i) value = value * 10 + (key[i] - '0');
  *n = value;
  *property = key.substr(digits);
  return true;
}

MemoKeys ReadMemoKeys(SettingsFile& cat, int n) {
  SettingsHold hold(cat);
  MemoKeys keys;
  for (auto& [key, value] : cat.Entries(kSecMemos)) {
    int k = 0;
    std::string_view prop;
    if (SplitMemoKey(key, &k, &prop) && k == n) keys.emplace_back(std::string(prop), std::move(value));
  }
  return keys;
}

int AppendMemo(SettingsFile& cat, const MemoKeys& keys, const std::string& id, const std::string& text, int dx,
               int dy) {
  int n = -1;
  const bool stored = cat.Transaction([&] {
  n = StoredMemoCount(cat);
  if (n >= kMaxMemos || !cat.Readable()) return false;
  for (const auto& [prop, value] : keys) {
    if (prop == kIdProp || prop == "Text") continue;
    std::string v = value;
    if (prop == "x") v = FormatInt(ParseInt(value) + dx);
    if (prop == "y") v = FormatInt(ParseInt(value) + dy);
    cat.Write(kSecMemos, MemoKey(n, prop.c_str()), v);
  }
  cat.Write(kSecMemos, MemoKey(n, "Text"), text);
  cat.Write(kSecMemos, MemoKey(n, kIdProp), id);
  cat.WriteInt(kSecMemos, "No", n + 1);
  cat.Remove(kSecVOffset, OffsetKey(n));
  cat.Remove(kSecHOffset, OffsetKey(n));
  return true;
  });
  return stored ? n : -1;
}

bool AddMissingIds(IniDocument& doc, const std::vector<std::string>& ids) {
  bool changed = false;
  for (size_t n = 0; n < ids.size(); ++n) {
    const int k = static_cast<int>(n);
    if (ids[n].empty() || doc.Get(kSecMemos, MemoKey(k, kIdProp)) || !StoredInDoc(doc, k)) continue;
    changed = doc.Set(kSecMemos, MemoKey(k, kIdProp), ids[n]) || changed;
  }
  return changed;
}

}  // namespace dz
