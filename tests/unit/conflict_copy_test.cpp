#include "core/conflict_copy.h"

#include <gtest/gtest.h>

namespace dz {
namespace {

const std::vector<std::string> kOriginals = {"data1.dat", "a-b.dat", "\x97\x5c\x92\xe8.dat" /* 予定 */,
                                             "Memo.dat", "my.notes.dat"};

struct Case {
  std::string name;
  ConflictStyle style;
  const char* original;  // "" when no copy
};

// What the names below share: a Syncthing mark, the start of a Dropbox one.
const std::string kSync = ".sync-conflict-20261208-101530-ABCDEF7", kTaro = " (Taro's conflicted copy 2026-12-08";
const std::string kYotei = "\x97\x5c\x92\xe8";  // 予定
constexpr ConflictStyle kSt = ConflictStyle::kSyncthing, kDb = ConflictStyle::kDropbox, kCl = ConflictStyle::kCloud,
                        kPc = ConflictStyle::kComputerName, kNo = ConflictStyle::kNone;

const Case kCases[] = {
    // Each service's own form.
    {"data1" + kSync + ".dat", kSt, "data1.dat"},
    {"Memo.sync-conflict-20261208-101530-Q2XYZ34.dat", kSt, "Memo.dat"},
    {"my.notes" + kSync + ".dat", kSt, "my.notes.dat"},
    {"data1" + kTaro + ").dat", kDb, "data1.dat"},
    {"data1" + kTaro + " (1)).dat", kDb, "data1.dat"},
    {"data1" + kTaro + ") (2).dat", kDb, "data1.dat"},
    {"data1 (Taro (Laptop)'s conflicted copy 2026-12-08).dat", kDb, "data1.dat"},
    {"data1 (conflicted copy 2026-12-08 101530).dat", kCl, "data1.dat"},
    {"Memo (conflicted copy 2026-12-08 235959).dat", kCl, "Memo.dat"},
    {"data1-LAPTOP.dat", kPc, "data1.dat"},
    {"Memo-DESKTOP-7Q2_X.dat", kPc, "Memo.dat"},
    {"a-b-PC2.dat", kPc, "a-b.dat"},  // the longest listed name before a hyphen
    {"DATA1" + kSync + ".DAT", kSt, "data1.dat"},  // Windows compares file names without case
    // Japanese names, and who made the copy in Japanese.
    {kYotei + kSync + ".dat", kSt, "\x97\x5c\x92\xe8.dat"},
    {kYotei + " (\x8e\x52\x93\x63's conflicted copy 2026-12-08).dat", kDb, "\x97\x5c\x92\xe8.dat"},
    // A copy of a copy belongs to the original; the outer mark names the style.
    {"data1" + kSync + ".sync-conflict-20261208-101531-ZZZZZZ9.dat", kSt, "data1.dat"},
    {"data1" + kSync + kTaro + ").dat", kDb, "data1.dat"},

    // Names that only look like copies.
    {"data1.dat", kNo, ""},
    {"a-b.dat", kNo, ""},  // listed itself, though it has a hyphen
    {"data2" + kSync + ".dat", kNo, ""},  // of no listed file
    {"data1.sync-conflict-2026128-101530-ABCDEF7.dat", kNo, ""},   // seven-digit date
    {"data1.sync-conflict-20261308-101530-ABCDEF7.dat", kNo, ""},  // month 13
    {"data1.sync-conflict-20261208-241530-ABCDEF7.dat", kNo, ""},  // hour 24
    {"data1.sync-conflict-20261208-101530-abcdef7.dat", kNo, ""},  // device in small letters
    {"data1.sync-conflict-20261208-101530-ABCDEF.dat", kNo, ""},   // device too short
    {"data1.sync-conflict-20261208-101530.dat", kNo, ""},
    {kSync + ".dat", kNo, ""},
    {"data1 ('s conflicted copy 2026-12-08).dat", kNo, ""},  // nobody's
    {"data1 (Taro's conflicted copy 2026-12-8).dat", kNo, ""},
    {"data1" + kTaro + ".dat", kNo, ""},  // unclosed
    {"data1(Taro's conflicted copy 2026-12-08).dat", kNo, ""},  // no blank before
    {"data1 (Taro's copy 2026-12-08).dat", kNo, ""},
    {"data1 (conflicted copy 2026-12-08).dat", kNo, ""},  // no time
    {"data1 (conflicted copy 2026-12-08 10153).dat", kNo, ""},
    {"data1 (conflicted copy 2026-12-08 101530) x.dat", kNo, ""},
    {"data1-.dat", kNo, ""},                   // no computer name
    {"data1-THISNAMEISTOOLONG.dat", kNo, ""},  // over 15 characters
    {"data1-PC.txt", kNo, ""},                 // another extension
    {"data2-LAPTOP.dat", kNo, ""},
    {"data1-\x83\x41.dat", kNo, ""},  // a Japanese "computer name"
    // A lead byte takes the byte after it: this dot is no extension dot,
    // so nothing before ".dat" is a Syncthing mark.
    {"data1\x83" + kSync + ".dat", kNo, ""},
    {"", kNo, ""},
    {".dat", kNo, ""},
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
