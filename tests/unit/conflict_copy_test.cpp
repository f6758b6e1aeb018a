#include "core/conflict_copy.h"

#include <gtest/gtest.h>

namespace dz {
namespace {

const std::vector<std::string> kOriginals = {"data1.dat", "a-b.dat", "\x97\x5c\x92\xe8.dat" /* 予定 */,
                                             "Memo.dat", "my.notes.dat"};

struct Case {
  const char* name;
  ConflictStyle style;
  const char* original;  // "" when no copy
};

const Case kCases[] = {
    // Each service's own form.
    {"data1.sync-conflict-20261208-101530-ABCDEF7.dat", ConflictStyle::kSyncthing, "data1.dat"},
    {"Memo.sync-conflict-20261208-101530-Q2XYZ34.dat", ConflictStyle::kSyncthing, "Memo.dat"},
    {"my.notes.sync-conflict-20261208-101530-ABCDEF7.dat", ConflictStyle::kSyncthing, "my.notes.dat"},
    {"data1 (Taro's conflicted copy 2026-12-08).dat", ConflictStyle::kDropbox, "data1.dat"},
    {"data1 (Taro's conflicted copy 2026-12-08 (1)).dat", ConflictStyle::kDropbox, "data1.dat"},
    {"data1 (Taro's conflicted copy 2026-12-08) (2).dat", ConflictStyle::kDropbox, "data1.dat"},
    {"data1 (Taro (Laptop)'s conflicted copy 2026-12-08).dat", ConflictStyle::kDropbox, "data1.dat"},
    {"data1 (conflicted copy 2026-12-08 101530).dat", ConflictStyle::kCloud, "data1.dat"},
    {"Memo (conflicted copy 2026-12-08 235959).dat", ConflictStyle::kCloud, "Memo.dat"},
    {"data1-LAPTOP.dat", ConflictStyle::kComputerName, "data1.dat"},
    {"Memo-DESKTOP-7Q2_X.dat", ConflictStyle::kComputerName, "Memo.dat"},
    // The longest listed name before a hyphen.
    {"a-b-PC2.dat", ConflictStyle::kComputerName, "a-b.dat"},
    // Windows compares file names without case.
    {"DATA1.sync-conflict-20261208-101530-ABCDEF7.DAT", ConflictStyle::kSyncthing, "data1.dat"},
    // Japanese names, and who made the copy in Japanese.
    {"\x97\x5c\x92\xe8.sync-conflict-20261208-101530-ABCDEF7.dat", ConflictStyle::kSyncthing,
     "\x97\x5c\x92\xe8.dat"},
    {"\x97\x5c\x92\xe8 (\x8e\x52\x93\x63's conflicted copy 2026-12-08).dat", ConflictStyle::kDropbox,
     "\x97\x5c\x92\xe8.dat"},
    // A copy of a copy belongs to the original; the outer mark names the style.
    {"data1.sync-conflict-20261208-101530-ABCDEF7.sync-conflict-20261208-101531-ZZZZZZ9.dat",
     ConflictStyle::kSyncthing, "data1.dat"},
    {"data1.sync-conflict-20261208-101530-ABCDEF7 (Taro's conflicted copy 2026-12-08).dat",
     ConflictStyle::kDropbox, "data1.dat"},

    // Names that only look like copies.
    {"data1.dat", ConflictStyle::kNone, ""},
    {"a-b.dat", ConflictStyle::kNone, ""},  // listed itself, though it has a hyphen
    {"data2.sync-conflict-20261208-101530-ABCDEF7.dat", ConflictStyle::kNone, ""},  // of no listed file
    {"data1.sync-conflict-2026128-101530-ABCDEF7.dat", ConflictStyle::kNone, ""},   // seven-digit date
    {"data1.sync-conflict-20261308-101530-ABCDEF7.dat", ConflictStyle::kNone, ""},  // month 13
    {"data1.sync-conflict-20261208-241530-ABCDEF7.dat", ConflictStyle::kNone, ""},  // hour 24
    {"data1.sync-conflict-20261208-101530-abcdef7.dat", ConflictStyle::kNone, ""},  // device in small letters
    {"data1.sync-conflict-20261208-101530-ABCDEF.dat", ConflictStyle::kNone, ""},   // device too short
    {"data1.sync-conflict-20261208-101530.dat", ConflictStyle::kNone, ""},
    {".sync-conflict-20261208-101530-ABCDEF7.dat", ConflictStyle::kNone, ""},
    {"data1 ('s conflicted copy 2026-12-08).dat", ConflictStyle::kNone, ""},        // nobody's
    {"data1 (Taro's conflicted copy 2026-12-8).dat", ConflictStyle::kNone, ""},
    {"data1 (Taro's conflicted copy 2026-12-08.dat", ConflictStyle::kNone, ""},     // unclosed
    {"data1(Taro's conflicted copy 2026-12-08).dat", ConflictStyle::kNone, ""},     // no blank before
    {"data1 (Taro's copy 2026-12-08).dat", ConflictStyle::kNone, ""},
    {"data1 (conflicted copy 2026-12-08).dat", ConflictStyle::kNone, ""},           // no time
    {"data1 (conflicted copy 2026-12-08 10153).dat", ConflictStyle::kNone, ""},
    {"data1 (conflicted copy 2026-12-08 101530) x.dat", ConflictStyle::kNone, ""},
    {"data1-.dat", ConflictStyle::kNone, ""},                                       // no computer name
    {"data1-THISNAMEISTOOLONG.dat", ConflictStyle::kNone, ""},                      // over 15 characters
    {"data1-PC.txt", ConflictStyle::kNone, ""},                                     // another extension
    {"data2-LAPTOP.dat", ConflictStyle::kNone, ""},
    {"data1-\x83\x41.dat", ConflictStyle::kNone, ""},                               // a Japanese "computer name"
    // A lead byte takes the byte after it: this dot is no extension dot,
    // so nothing before ".dat" is a Syncthing mark.
    {"data1\x83.sync-conflict-20261208-101530-ABCDEF7.dat", ConflictStyle::kNone, ""},
    {"", ConflictStyle::kNone, ""},
    {".dat", ConflictStyle::kNone, ""},
};

TEST(ConflictCopy, RecognisesEachServicesFormAndNothingThatOnlyLooksLikeOne) {
  for (const Case& c : kCases) {
    const ConflictCopy got = RecognizeConflictCopy(c.name, kOriginals);
    EXPECT_EQ(got.style, c.style) << c.name;
    EXPECT_EQ(got.original, c.original) << c.name;
  }
}

TEST(ConflictCopy, ComputerNameFormCountsOnlyWhereNoListedCategoryHasThatName) {
  // "work-HOME" is a category of its own here, so its file is no copy of "work".
  EXPECT_EQ(RecognizeConflictCopy("work-HOME.dat", {"work.dat", "work-HOME.dat"}).style, ConflictStyle::kNone);
  EXPECT_EQ(RecognizeConflictCopy("work-HOME.dat", {"work.dat"}).original, "work.dat");
  // The copy is named after the original as listed, not as found on disk.
  EXPECT_EQ(RecognizeConflictCopy("WORK-HOME.DAT", {"work.dat"}).original, "work.dat");
}

}  // namespace
}  // namespace dz
