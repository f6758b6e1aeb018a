#pragma once
// The category list of the application file, section "Cagoteri": the names
// "1Cagoteri" .. "<n>Cagoteri" with n = "CagoteriNo", and the current
// category "NowCagoteri". Names are Shift_JIS bytes. Every name, typed or
// read from the file, passes CheckCategoryName before it becomes part of a
// path, so a hand-edited file cannot make the program write outside its
// data folder or into a device; a typed name also passes the stricter
// CheckNewCategoryName.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings.h"

namespace dz {

enum class CategoryStatus {
  kOk,
  // Why a name is refused.
  kEmpty,
  kBadEncoding,      // not Shift_JIS: a lead byte without a valid trail byte, or 80, A0, FD-FF
  kBadCharacter,     // \ / : * ? " < > | or a control character
  kEdgeBlankOrDot,   // blank or '.' last ("." and ".." too); a new name: also first, also the full-width blank
  kReservedName,     // CON, PRN, AUX, NUL, COM0-9, LPT0-9, CONIN$, CONOUT$, with any extension
  kTooLong,          // over 255 bytes, or a path of the category would not fit
  kDuplicate,        // the same file name as a listed category
  kShortAlias,       // the short (8.3) name of another file or folder in the data folder; only the
                     // caller can ask the file system, so no check here returns it
  // Why a list operation did nothing.
  kListFull,         // already kMaxCategories categories
  kOnlyOne,          // the last category is never deleted
  kNotInList,        // no such category number / the name is not listed
  kWriteFailed,      // the application file could not be replaced; it is unchanged
};

// The message for the user (UTF-8, polite Japanese); empty for kOk.
const char* CategoryMessage(CategoryStatus s);

// Characters (UTF-16 units, which every Shift_JIS character is one of) that
// the longest path of a category adds to the base directory:
// "\data\" + name + ".dat" + ".<pid>-<counter>.tmp", the temporary file that
// replacing a settings file writes beside it (two numbers of up to ten
// digits). The category folder and its pictures "\Bit99.png" are shorter,
// and the folder then also stays below the 248 characters that directory
// creation accepts.
constexpr size_t kCategoryPathOverhead = 6 + 4 + 26;
// Paths must fit MAX_PATH with its terminator.
constexpr size_t kMaxPathLength = 259;

// Whether a name can be a file name in the data folder, as every name read
// from the file must be before it is opened: what Windows can hold there.
// Windows drops a blank or '.' at the end of a name (so "a." would open
// "a"); a '.' first (".notes") or a full-width blank at either end is kept
// and allowed. baseDirChars is the length of the base directory in UTF-16
// units as it is put in front of "\data\"; base + kCategoryPathOverhead +
// name characters must be at most kMaxPathLength. Checks run in the order
// of the enum, so the first fault found is reported.
CategoryStatus CheckCategoryName(std::string_view name, size_t baseDirChars);

// A name typed for a new category: CheckCategoryName, no blank (also the
// full-width one) or '.' first or last either, as those are easily typed
// by mistake and hard to tell apart in a menu, and no duplicate of others.
CategoryStatus CheckNewCategoryName(std::string_view name, size_t baseDirChars,
                                    const std::vector<std::string>& others);

// Whether two names give the same file name on Windows, which ignores case:
// ASCII, full-width Latin, Greek and Cyrillic letters are compared without
// case; any other character byte for byte. Characters that code page 932
// holds under two codes (the NEC and IBM rows of extension characters) are
// not unified here: names the program converted from UTF-16 itself always
// use one code, and a caller comparing names from a hand-edited file can
// round-trip them through UTF-16 first.
bool SameCategoryName(std::string_view a, std::string_view b);

// Number of categories, 1..kMaxCategories. "CagoteriNo" above the limit
// reads as the limit; missing, it reads as 1. A value that is no number or
// below 1 would hide stored names (and let the next add overwrite one), so
// the names stored from "1Cagoteri" on are counted instead.
int CategoryCount(SettingsFile& app);

// The names of category numbers 1..CategoryCount, whole (a missing key reads
// as "data1"). Keys beyond the count are never read: a deletion leaves the
// last name behind, and the next add overwrites it.
std::vector<std::string> ReadCategories(SettingsFile& app);

// 0-based index of the last name equal byte for byte to name, or -1.
int FindCategory(const std::vector<std::string>& names, std::string_view name);

// Appends name as the last category: "CagoteriNo" and the names in one
// replacement of the application file (a missing name key is written as the
// "data1" it read as). kListFull, a CheckNewCategoryName reason, kWriteFailed
// or kOk. The caller creates the folder and switches to the new number.
CategoryStatus AddCategory(SettingsFile& app, std::string_view name, size_t baseDirChars);

// Removes current (its last exact occurrence) from the list, closing the
// gap, in one replacement; the key that was last is left as it was and is
// no longer read. kOnlyOne when one category is left, kNotInList when
// current is not listed (nothing is written), kWriteFailed or kOk. The
// caller deletes the category's file and folder and switches to number 1.
CategoryStatus DeleteCategory(SettingsFile& app, std::string_view current);

// The name of category number k (1-based) to switch to: kNotInList for a
// number outside the list, else the name's CheckCategoryName result. *name
// is set only on kOk.
CategoryStatus CategoryToOpen(SettingsFile& app, int k, size_t baseDirChars, std::string* name);

// "NowCagoteri" as the current category: "data1" when it is missing or is no
// usable name.
std::string CurrentCategory(SettingsFile& app, size_t baseDirChars);

}  // namespace dz
