#pragma once
// Category files that other programs change while this one runs: the same
// folder kept alike on several PCs, a copy put back by hand. Every memo
// carries an identity of its own ("%dId") that moves with it when later
// memos are renumbered, so that a memo is found again whatever number it
// has now; and whatever this program writes from memory is worked out
// against the file as it is now, never from what it remembers.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/limits.h"
#include "core/memo_store.h"
#include "core/settings.h"

namespace dz {

// The per-memo property that holds the identity.
inline constexpr char kIdProp[] = "Id";

// 32 lower-case hexadecimal digits of 16 random bytes.
std::string FormatMemoId(const uint8_t (&bytes)[16]);

// What the memo table keeps of one memo: the rest is read from the file.
struct MemoState {
  std::string id;  // empty: none stored
  Placement place;
  int32_t vOffset = 0;
  int32_t hOffset = 0;
};
struct TableState {
  std::vector<MemoState> memos;  // memo number order
  std::array<uint32_t, kCustomColors> custColors = {};
};

// The memos of the file as it is now (their count as the loading reads it).
TableState ReadTableState(SettingsFile& cat);
std::vector<std::string> MemoIds(const TableState& t);

// Which memo of the file each table record is. For every memo of `file`,
// the index in `table` of the same memo, or -1 for a memo the table does
// not know. The same identity matches first. A memo stored without one
// (a file of a program that keeps none) is taken for the record of its own
// number, if that record is unmatched and its identity is nowhere in the
// file. Identities are never matched twice.
std::vector<int> MatchMemos(const std::vector<std::string>& table, const std::vector<std::string>& file);

// The number in `file` of the memo with identity id that had number
// `number` when the table last read the file; -1 when it is gone.
int FindMemo(const std::vector<std::string>& file, const std::string& id, int number);

struct KeyWrite {
  std::string section;
  std::string key;
  std::string value;
};

// What a save of the table writes. read.memos[i] is what the table read
// (or last wrote) for the memo that mine.memos[i] holds now; now is the
// file as it is. Only what changed here since it was read is written, each
// value at the memo's number in the file now: placement and offsets key by
// key, custom colours one by one, and the identity of a memo stored
// without one. A memo that is not in the file any more writes nothing, and
// the count "No" is never written: memos are added and removed by their own
// writes.
std::vector<KeyWrite> TableWrites(const TableState& read, const TableState& mine, const TableState& now);

// Applies TableWrites against the file as it is now, as one replacement.
bool SaveTable(SettingsFile& cat, const TableState& read, const TableState& mine);

// Deletes the memo with identity id (number `number` when last read) from
// the file as it is now: later memos and their offsets move down, "No"
// goes down by one, one replacement. True when the memo is gone (also when
// it already was).
bool DeleteStoredMemo(SettingsFile& cat, const std::string& id, int number);

// A memo's own keys as stored, property names without the number: every
// key the memo has, those this program does not know too.
using MemoKeys = std::vector<std::pair<std::string, std::string>>;
MemoKeys ReadMemoKeys(SettingsFile& cat, int n);
// Splits a per-memo key "<n><Name>" (n in decimal without leading zeros,
// Name not starting with a digit). False for any other key.
bool SplitMemoKey(std::string_view key, int* n, std::string_view* property);
// Appends a memo with these keys, identity id and text, shifted by (dx, dy),
// after the last memo of the file as it is now, as one replacement.
// Returns its number, or -1 when the category is full or the write failed.
int AppendMemo(SettingsFile& cat, const MemoKeys& keys, const std::string& id, const std::string& text, int dx,
               int dy);

// Adds identities to the stored memos 0..ids.size()-1 that have none:
// a file written before identities existed gets them with its first write.
// Returns whether the document changed.
bool AddMissingIds(IniDocument& doc, const std::vector<std::string>& ids);

}  // namespace dz
