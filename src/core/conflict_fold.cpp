#include "core/conflict_fold.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>

#include "core/category_list.h"
#include "core/keys.h"
#include "core/memo_store.h"
#include "core/memo_sync.h"
#include "core/number.h"

namespace dz {
namespace {

// 64-bit FNV-1a of seed and text, as 16 hex digits: the identity of a memo
// folded in beside another, the same on every PC that folds the same copy.
std::string DerivedId(std::string_view seed, std::string_view text) {
  uint64_t h = 14695981039346656037ull;
  auto mix = [&h](unsigned char c) {
    h ^= c;
    h *= 1099511628211ull;
  };
  for (char c : seed) mix(static_cast<unsigned char>(c));
  mix(0);
  for (char c : text) mix(static_cast<unsigned char>(c));
  static const char kHex[] = "0123456789abcdef";
  std::string id(16, '0');
  for (int i = 15; i >= 0; --i, h >>= 4) id[static_cast<size_t>(i)] = kHex[h & 15];
  return id;
}

}  // namespace

const std::string* StoredMemo::Find(std::string_view property) const {
  for (const auto& kv : keys)
    if (kv.first == property) return &kv.second;
  return nullptr;
}

void StoredMemo::Put(std::string_view property, std::string value) {
  for (auto& kv : keys)
    if (kv.first == property) {
      kv.second = std::move(value);
      return;
    }
  keys.emplace_back(std::string(property), std::move(value));
}

std::string StoredMemo::Text() const {
  const std::string* t = Find("Text");
  return t ? *t : std::string();
}

std::optional<std::string> StoredMemo::Id() const {
  const std::string* id = Find(kIdProp);
  if (!id || id->empty()) return std::nullopt;
  return *id;
}

std::vector<StoredMemo> ReadStoredMemos(SettingsFile& cat) {
  SettingsHold hold(cat);
  std::vector<StoredMemo> memos(static_cast<size_t>(StoredMemoCount(cat)));
  for (auto& [key, value] : cat.Entries(kSecMemos)) {
    int n = 0;
    std::string_view property;
    if (!SplitMemoKey(key, &n, &property) || n >= static_cast<int>(memos.size())) continue;
    memos[static_cast<size_t>(n)].keys.emplace_back(std::string(property), std::move(value));
  }
  return memos;
}

MemoFold PlanMemoFold(const std::vector<StoredMemo>& copy, const std::vector<StoredMemo>& here, int limit) {
  MemoFold fold;
  std::map<std::string, size_t> byId;  // identity here -> memo here
  for (size_t j = 0; j < here.size(); ++j)
    if (std::optional<std::string> id = here[j].Id()) byId.emplace(*id, j);
  std::set<std::string> taken;  // identities here and of the memos added
  for (const auto& kv : byId) taken.insert(kv.first);
  // A memo here whose identity the copy holds is that memo's, whatever
  // order the copy lists its memos in.
  std::vector<bool> matched(here.size(), false);
  for (const StoredMemo& c : copy) {
    const std::optional<std::string> id = c.Id();
    const auto same = id ? byId.find(*id) : byId.end();
    if (same != byId.end()) matched[same->second] = true;
  }
  // An unmatched memo here with this text: the same memo, whatever
  // identities the two PCs gave it (each gives a memo stored without one an
  // identity of its own).
  auto takeEqual = [&](const std::string& text) {
    for (size_t j = 0; j < here.size(); ++j)
      if (!matched[j] && here[j].Text() == text) {
        matched[j] = true;
        return true;
      }
    return false;
  };
  int room = limit - static_cast<int>(here.size());

  for (const StoredMemo& c : copy) {
    const std::string text = c.Text();
    const std::optional<std::string> id = c.Id();
    std::string newId;
    const StoredMemo* beside = nullptr;
    const auto same = id ? byId.find(*id) : byId.end();
    if (same != byId.end()) {
      if (here[same->second].Text() == text || takeEqual(text)) {
        ++fold.equal;
        continue;
      }
      // A memo folded in beside it before carries the identity made here.
      newId = DerivedId(*id, text);
      bool folded = false;
      for (int k = 0; k <= kMaxMemos && taken.count(newId); ++k) {
        const auto it = byId.find(newId);
        if (it != byId.end() && here[it->second].Text() == text) {
          folded = true;
          break;
        }
        newId = DerivedId(newId, text);
      }
      if (folded) {
        ++fold.equal;
        continue;
      }
      beside = &here[same->second];
    } else {
      if (takeEqual(text)) {
        ++fold.equal;
        continue;
      }
      // A memo without identity comes in without one: an identity made up
      // here would differ from the one the other PC makes up for it, and
      // the two would never match again.
      if (id) newId = taken.count(*id) ? DerivedId(*id, text) : *id;  // the copy held it twice
    }
    if (room <= 0) {
      ++fold.leftOut;
      continue;
    }
    --room;
    StoredMemo m = c;
    if (!newId.empty()) {
      m.Put(kIdProp, newId);
      taken.insert(newId);
    }
    if (beside) {
      const std::string* x = beside->Find("x");
      const std::string* y = beside->Find("y");
      m.Put("x", FormatInt(ParseInt(x ? *x : "0") + kBesideOffset));
      m.Put("y", FormatInt(ParseInt(y ? *y : "0") + kBesideOffset));
    }
    fold.add.push_back(std::move(m));
  }
  return fold;
}

bool AppendMemos(SettingsFile& cat, const std::vector<StoredMemo>& memos) {
  if (memos.empty()) return true;
  return cat.Transaction([&] {
  const int count = StoredMemoCount(cat);
  const int end = count + static_cast<int>(memos.size());
  if (end > kMaxMemos) return false;
  // Keys a deleted memo left under these numbers would read as the new
  // memo's own.
  for (const auto& kv : cat.Entries(kSecMemos)) {
    int n = 0;
    std::string_view property;
    if (SplitMemoKey(kv.first, &n, &property) && n >= count && n < end) cat.Remove(kSecMemos, kv.first);
  }
  for (int n = count; n < end; ++n) {
    for (const auto& kv : memos[static_cast<size_t>(n - count)].keys)
      cat.Write(kSecMemos, std::to_string(n) + kv.first, kv.second);
    cat.WriteInt(kSecVOffset, OffsetKey(n), 0);
    cat.WriteInt(kSecHOffset, OffsetKey(n), 0);
  }
  cat.WriteInt(kSecMemos, "No", end);
  return true;
  });
}

CategoryFold PlanCategoryFold(const std::vector<std::string>& copy, const std::vector<std::string>& here,
                              size_t baseDirChars) {
  CategoryFold fold;
  std::vector<std::string> all = here;
  for (const std::string& name : copy) {
    const auto same = [&name](const std::string& other) { return SameCategoryName(name, other); };
    if (CheckCategoryName(name, baseDirChars) != CategoryStatus::kOk || std::any_of(all.begin(), all.end(), same))
      continue;
    if (static_cast<int>(all.size()) >= kMaxCategories) {
      ++fold.leftOut;
      continue;
    }
    all.push_back(name);
    fold.add.push_back(name);
  }
  return fold;
}

}  // namespace dz
