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

// Template -> new memo n: reads the seventeen Template keys with their
// defaults and writes the memo's own keys in the documented order, text
// included, as one file replacement. Returns what the window code needs.
struct NewMemo {
  bool stored = false;  // false: the file could not be written, no key changed
  FontSpec font;
  int32_t style = 1;
  Placement place;
  int32_t windowLevel = 0;
};
NewMemo ApplyTemplate(SettingsFile& cat, int n, std::string_view escapedText);

// Loading: per-memo values needed to create the window (loading defaults).
struct LoadedMemo {
  FontSpec font;
  Placement place;
  int32_t style = 1;
  int32_t brows = 0;
  std::string broUrl;
  int32_t windowLevel = 0;
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

// Saving: one replacement of the category file: Xdata/Ydata No0..No99,
// CustColor0..15, No, and per memo x, y, h, l from the window rectangles.
struct TableSnapshot {
  int count = 0;
  std::array<int32_t, kMaxMemos> vOffset = {};
  std::array<int32_t, kMaxMemos> hOffset = {};
  std::array<uint32_t, kCustomColors> custColors = {};
  std::vector<Placement> places;
  // Memos whose placement keys stay as stored (say, their window could not
  // be created): true at their number.
  std::vector<bool> keepStored;
};
bool SaveTable(SettingsFile& cat, const TableSnapshot& t);

// Deletion of memo n of count: the keys of memos n+1..count-1 move down by
// one and the last memo's keys are removed, as one replacement. A key that
// memo m+1 does not have is removed from memo m, so every moved memo reads
// exactly what it read before (a default written in its place would turn a
// missing size into 0 x 0 or a missing text into "0"), so no default is
// ever written. False when n is not a memo or the write failed.
bool RenumberAfterDelete(SettingsFile& cat, int n, int count);

// The memo count, 0..100. A hand-edited count that is no number or negative
// would hide the stored memos and let the next new memo overwrite memo 0,
// so the memos the file holds are counted instead.
int StoredMemoCount(SettingsFile& cat);

// Font keys of memo n with their defaults.
FontSpec ReadFont(SettingsFile& cat, int n);

}  // namespace dz
