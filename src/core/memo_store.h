#pragma once
// Bulk operations on the memo keys of a category file. Each one parses the
// file once and replaces it at most once.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/limits.h"
#include "core/settings.h"

namespace dz {

struct FontSpec {
  std::string face;
  int32_t height = 15;
  bool italic = false, underline = false, strikeout = false;
};
struct Placement {
  int32_t x = 0, y = 0, w = 100, h = 100;
};

// Template -> a new memo after the last one of the file as it is now: reads
// the seventeen Template keys with their defaults and writes the memo's own
// keys in the documented order, text included, then its identity and the
// new count, as one file replacement. Returns what the window code needs.
struct NewMemo {
  bool stored = false;  // false: the category is full or the file could not be written
  int number = -1;
  FontSpec font;
  int32_t style = 1;
  Placement place;
  int32_t windowLevel = 0;
};
NewMemo ApplyTemplate(SettingsFile& cat, std::string_view escapedText, const std::string& id);

// Loading: per-memo values needed to create the window (loading defaults).
struct LoadedMemo {
  FontSpec font;
  Placement place;
  int32_t style = 1;
  int32_t brows = 0;
  std::string broUrl;
  int32_t windowLevel = 0;
  std::string id;  // "%dId"; empty when none is stored
};
struct LoadedTable {
  int count = 0;
  int32_t vOffset[kMaxMemos] = {};
  int32_t hOffset[kMaxMemos] = {};
  uint32_t custColors[kCustomColors] = {};
  std::vector<LoadedMemo> memos;
};
// The memo count is clamped to 0..100, so a hand-edited "No" never reaches
// beyond the table.
LoadedTable LoadTable(SettingsFile& cat, std::string_view defaultUrl);
// The same values for memo n alone.
LoadedMemo LoadMemo(SettingsFile& cat, int n, std::string_view defaultUrl);

// The memo count as loading reads it: "No" clamped to 0..100, or the
// memos stored from 0 on when "No" is no number or negative.
int StoredMemoCount(SettingsFile& cat);
Placement ReadPlacement(SettingsFile& cat, int n);

// Deletion of memo n of count: the keys of memos n+1..count-1 move down by
// one and the last memo's keys are removed, as one replacement. A key that
// memo m+1 does not have is removed from memo m, so every moved memo reads
// exactly what it read before (a default written in its place would turn a
// missing size into 0 x 0 or a missing text into "0"), so no default is
// ever written. False when n is not a memo or the write failed.
bool RenumberAfterDelete(SettingsFile& cat, int n, int count);

// Font keys of memo n with their defaults.
FontSpec ReadFont(SettingsFile& cat, int n);

}  // namespace dz
