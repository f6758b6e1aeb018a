#pragma once
// Recently deleted memos of a category, kept so that they can be brought
// back. The bin is a settings file of the same form as a category file:
// the memo kept in slot k has its keys as "<k><Name>" in the memo section
// and its offsets as "No<k>"; the section "Deleted" says when ("No<k>").
// Slot 0 is the newest.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/clock.h"
#include "core/memo_sync.h"
#include "core/settings.h"

namespace dz {

inline constexpr int kBinKept = 100;        // per category; older ones drop out
inline constexpr size_t kBinListed = 20;    // offered in the menu
inline constexpr size_t kBinCaptionChars = 30;
inline constexpr const char* kSecDeleted = "Deleted";
// "（空のメモ）" in CP932: the caption of a memo that showed no text.
inline constexpr const char* kEmptyMemoCaption = "\x81\x69\x8b\xf3\x82\xcc\x83\x81\x83\x82\x81\x6a";

// One memo's own keys, whatever they are: what is kept never depends on a
// list of known properties, so keys added later come along too.
struct KeptMemo {
  std::vector<std::pair<std::string, std::string>> keys;  // property ("Text", "x", ...), stored value
  int32_t vOffset = 0, hOffset = 0;
  std::string deleted;  // local time of the delete, "YYYY/MM/DD HH:MM:SS"
};

// Every key memo n has in the category file, and its offsets.
KeptMemo ReadKeptMemo(SettingsFile& cat, int n);
// Replaces the value of property (names compared as the settings engine
// does) or adds it.
void SetProperty(KeptMemo& m, std::string_view property, std::string value);

// The memos in the bin, newest first. Slots are read as the file has them,
// whatever its count says, so a damaged count loses nothing.
std::vector<KeptMemo> ReadBin(SettingsFile& bin);
// Rewrites the bin with memos (newest first; only the first kBinKept), as
// one replacement. False when the file could not be written.
bool WriteBin(SettingsFile& bin, const std::vector<KeptMemo>& memos);
// Puts m in front of the bin, dropping the oldest beyond kBinKept.
bool KeepInBin(SettingsFile& bin, const KeptMemo& m);

// Writes m after the last memo of the file as it is now (any keys its
// number had before go, the count goes up by one), as one replacement.
// Returns its number, or -1 when the category is full or nothing was written.
int WriteRestoredMemo(SettingsFile& cat, const KeptMemo& m);

// The menu caption of a kept memo: the first line that is not empty of
// what the memo showed, at most kBinCaptionChars characters (never half of
// a double-byte one), tabs as blanks, '&' doubled; kEmptyMemoCaption when
// it showed nothing.
std::string BinCaption(std::string_view storedText, const ClockFields& clock);

struct BinItem {
  std::string caption;  // as BinCaption
  std::string when;     // "YYYY/MM/DD HH:MM"
};
// The items the menu offers: the newest max memos, newest first.
std::vector<BinItem> ListBin(const std::vector<KeptMemo>& memos, size_t max, const ClockFields& clock);

}  // namespace dz
