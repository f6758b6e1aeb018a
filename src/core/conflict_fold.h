#pragma once
// Folding a conflict copy of a settings file back into the file: the memos
// (or categories) only the copy has come in, nothing is doubled, and what
// does not fit stays in the copy.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/limits.h"
#include "core/settings.h"

namespace dz {

// One memo as stored: its per-memo keys without the number ("Text", "x",
// "Id", ...) and their values, in file order.
struct StoredMemo {
  std::vector<std::pair<std::string, std::string>> keys;
  const std::string* Find(std::string_view property) const;
  void Put(std::string_view property, std::string value);
  std::string Text() const;  // empty when the key is missing
  // The memo's identity ("%dId"); nullopt when it has none.
  std::optional<std::string> Id() const;
};

// Memos 0..count-1 of a category file, with every per-memo key they have,
// also ones this program does not know.
std::vector<StoredMemo> ReadStoredMemos(SettingsFile& cat);

// How far a memo added beside the one it differs from is set off from it.
inline constexpr int kBesideOffset = 20;

struct MemoFold {
  std::vector<StoredMemo> add;  // to append, in the copy's order
  int equal = 0;                // already here: not doubled
  int leftOut = 0;              // did not fit under the limit
};
// The memos of `copy` that `here` lacks. Memos are matched by identity
// first, then by text whatever their identities (each memo here stands for
// one memo of the copy): two PCs give a memo stored without identity
// identities of their own, and it is still one memo. A memo whose identity
// is here with another text, and whose text is not here either, is added
// beside that memo, under an identity made from its own and its text:
// folding the same copy on two PCs, or twice, gives the same memos. A memo comes in with the identity it has, or with none.
MemoFold PlanMemoFold(const std::vector<StoredMemo>& copy, const std::vector<StoredMemo>& here,
                      int limit = kMaxMemos);

// Appends memos to the category file as numbers count.. in one
// replacement: their keys (stale keys of those numbers removed), scroll
// offsets 0 and the new count. False when the file was not written.
bool AppendMemos(SettingsFile& cat, const std::vector<StoredMemo>& memos);

struct CategoryFold {
  std::vector<std::string> add;  // in the copy's order
  int leftOut = 0;               // beyond the limit of categories
};
// The names the copy lists that the list here lacks (compared as file
// names). Unusable names (CheckCategoryName) are left out and not counted:
// they could never be opened.
CategoryFold PlanCategoryFold(const std::vector<std::string>& copy, const std::vector<std::string>& here,
                              size_t baseDirChars);

}  // namespace dz
