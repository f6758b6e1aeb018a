#include "core/category_list.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>

#include "core/keys.h"
#include "core/limits.h"
#include "core/number.h"
#include "core/sjis.h"

namespace dz {
namespace {

constexpr const char* kCountKey = "CagoteriNo";
constexpr const char* kCurrentKey = "NowCagoteri";

std::string NameKey(int k) { return std::to_string(k) + "Cagoteri"; }

bool IsTrail(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

// The characters of a name as 16-bit codes (lead << 8 | trail), or false
// when the bytes are not Shift_JIS.
bool Decode(std::string_view s, std::vector<uint16_t>* out) {
  out->clear();
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (IsSjisLead(c)) {
      if (i + 1 >= s.size() || !IsTrail(static_cast<unsigned char>(s[i + 1]))) return false;
      out->push_back(static_cast<uint16_t>(c << 8 | static_cast<unsigned char>(s[i + 1])));
      i += 2;
    } else {
      // 80, A0 and FD..FF are no characters of the code page.
      if (c == 0x80 || c == 0xA0 || c >= 0xFD) return false;
      out->push_back(c);
      ++i;
    }
  }
  return true;
}

// The upper-case code of a letter, as Windows folds file names.
uint16_t Fold(uint16_t c) {
  if (c >= 'a' && c <= 'z') return static_cast<uint16_t>(c - 0x20);
  if (c >= 0x8281 && c <= 0x829A) return static_cast<uint16_t>(c - 0x21);  // full-width a..z
  if (c >= 0x83BF && c <= 0x83D6) return static_cast<uint16_t>(c - 0x20);  // Greek
  if (c >= 0x8470 && c <= 0x847E) return static_cast<uint16_t>(c - 0x30);  // Cyrillic a..n
  if (c >= 0x8480 && c <= 0x8491) return static_cast<uint16_t>(c - 0x31);  // Cyrillic o..ya (7F is no trail)
  return c;
}

bool IsBadCharacter(uint16_t c) {
  if (c < 0x20 || c == 0x7F) return true;
  if (c > 0xFF) return false;
  return std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos;
}

bool IsEdge(uint16_t c) { return c == ' ' || c == '.' || c == 0x8140; }  // 8140: full-width blank
// What Windows takes off the end of a file name.
bool IsDroppedAtEnd(uint16_t c) { return c == ' ' || c == '.'; }

// Device names are found in the part before the first '.', blanks at its
// end ignored: "con .txt" opens the console as "con" does.
bool IsReserved(const std::vector<uint16_t>& chars) {
  std::string stem;
  for (uint16_t c : chars) {
    if (c == '.') break;
    if (c > 0x7F) return false;  // every device name is ASCII
    stem += static_cast<char>(Fold(c));
  }
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* d : kDevices)
    if (stem == d) return true;
  return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
         stem[3] >= '0' && stem[3] <= '9';
}

// True when s, after blanks and one sign, starts with a digit.
bool HasNumber(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  return i < s.size() && s[i] >= '0' && s[i] <= '9';
}

// Count and names in one batch: one replacement, and only of what changed.
bool WriteList(SettingsFile& app, const std::vector<std::string>& names) {
  app.WriteInt(kSecCategory, kCountKey, static_cast<int32_t>(names.size()));
  for (size_t k = 0; k < names.size(); ++k) app.Write(kSecCategory, NameKey(static_cast<int>(k) + 1), names[k]);
  return true;
}

}  // namespace

const char* CategoryMessage(CategoryStatus s) {
  switch (s) {
    case CategoryStatus::kOk: return "";
    case CategoryStatus::kEmpty: return "カゴテリ名を入力してください。";
    case CategoryStatus::kBadCharacter:
      return "カゴテリ名に使えない文字が含まれています。\n\\ / : * ? \" < > | と制御文字は使えません。";
    case CategoryStatus::kEdgeBlankOrDot: return "カゴテリ名の最初と最後には、空白とピリオド（.）は使えません。";
    case CategoryStatus::kReservedName:
      return "CON、PRN、AUX、NUL、COM0～COM9、LPT0～LPT9 はWindowsの予約名のため、カゴテリ名に使えません"
             "（拡張子を付けても同じです）。";
    case CategoryStatus::kTooLong: return "カゴテリ名が長すぎます。短い名前にしてください。";
    case CategoryStatus::kDuplicate: return "同じ名前のカゴテリがすでにあります。大文字と小文字は区別されません。";
    case CategoryStatus::kBadEncoding: return "カゴテリ名の文字コードが正しくありません。";
    case CategoryStatus::kShortAlias:
      return "この名前は data フォルダーにある別のファイルかフォルダーの短い名前（8.3 形式）と同じため、"
             "カゴテリ名に使えません。";
    case CategoryStatus::kListFull: return "カゴテリが10を超えています。";
    case CategoryStatus::kOnlyOne: return "すでにカゴテリが１つしかありません。";
    case CategoryStatus::kNotInList: return "このカゴテリはカゴテリの一覧にありません。";
    case CategoryStatus::kWriteFailed: return "Memo.dat に書き込めませんでした。";
  }
  return "";
}

namespace {

CategoryStatus CheckName(std::string_view name, size_t baseDirChars, bool typed) {
  if (name.empty()) return CategoryStatus::kEmpty;
  std::vector<uint16_t> chars;
  if (!Decode(name, &chars)) return CategoryStatus::kBadEncoding;
  if (std::any_of(chars.begin(), chars.end(), IsBadCharacter)) return CategoryStatus::kBadCharacter;
  if (IsDroppedAtEnd(chars.back()) || (typed && (IsEdge(chars.front()) || IsEdge(chars.back()))))
    return CategoryStatus::kEdgeBlankOrDot;
  if (IsReserved(chars)) return CategoryStatus::kReservedName;
  // 255 bytes is what a stored value reads back whole.
  if (name.size() > static_cast<size_t>(kMaxValueChars) || baseDirChars > kMaxPathLength ||
      baseDirChars + kCategoryPathOverhead + chars.size() > kMaxPathLength)
    return CategoryStatus::kTooLong;
  return CategoryStatus::kOk;
}

}  // namespace

CategoryStatus CheckCategoryName(std::string_view name, size_t baseDirChars) {
  return CheckName(name, baseDirChars, false);
}

CategoryStatus CheckNewCategoryName(std::string_view name, size_t baseDirChars,
                                    const std::vector<std::string>& others) {
  const CategoryStatus s = CheckName(name, baseDirChars, true);
  if (s != CategoryStatus::kOk) return s;
  for (const std::string& o : others)
    if (SameCategoryName(name, o)) return CategoryStatus::kDuplicate;
  return CategoryStatus::kOk;
}

bool SameCategoryName(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const size_t n = SjisCharLen(a, i), m = SjisCharLen(b, j);
    if (n != m) return false;
    uint16_t ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[j]);
    if (n == 2) {
      ca = static_cast<uint16_t>(ca << 8 | static_cast<unsigned char>(a[i + 1]));
      cb = static_cast<uint16_t>(cb << 8 | static_cast<unsigned char>(b[j + 1]));
    }
    if (Fold(ca) != Fold(cb)) return false;
    i += n;
    j += m;
  }
  return i == a.size() && j == b.size();
}

int CategoryCount(SettingsFile& app) {
  const std::optional<std::string> no = app.Get(kSecCategory, kCountKey);
  if (!no) return 1;
  const int32_t n = ParseIntSaturating(*no);
  if (HasNumber(*no) && n >= 1) return std::min<int32_t>(n, kMaxCategories);
  int stored = 0;
  while (stored < kMaxCategories && app.Get(kSecCategory, NameKey(stored + 1))) ++stored;
  return std::max(stored, 1);
}

std::vector<std::string> ReadCategories(SettingsFile& app) {
  const int n = CategoryCount(app);
  std::vector<std::string> names;
  names.reserve(static_cast<size_t>(n));
  for (int k = 1; k <= n; ++k)
    names.push_back(app.Get(kSecCategory, NameKey(k)).value_or(kDefaultCategory));
  return names;
}

int FindCategory(const std::vector<std::string>& names, std::string_view name) {
  for (size_t i = names.size(); i-- > 0;)
    if (names[i] == name) return static_cast<int>(i);
  return -1;
}

// The list is read and written as one: a category another program added
// to the file meanwhile stays in it.
CategoryStatus AddCategory(SettingsFile& app, std::string_view name, size_t baseDirChars) {
  CategoryStatus s = CategoryStatus::kOk;
  const bool stored = app.Transaction([&] {
    std::vector<std::string> names = ReadCategories(app);
    s = names.size() >= static_cast<size_t>(kMaxCategories) ? CategoryStatus::kListFull
                                                              : CheckNewCategoryName(name, baseDirChars, names);
    if (s != CategoryStatus::kOk) return false;
    names.emplace_back(name);
    return WriteList(app, names);
  });
  return s != CategoryStatus::kOk || stored ? s : CategoryStatus::kWriteFailed;
}

CategoryStatus DeleteCategory(SettingsFile& app, std::string_view current) {
  CategoryStatus s = CategoryStatus::kOk;
  const bool stored = app.Transaction([&] {
    std::vector<std::string> names = ReadCategories(app);
    const int p = FindCategory(names, current);
    s = names.size() <= 1 ? CategoryStatus::kOnlyOne : p < 0 ? CategoryStatus::kNotInList : CategoryStatus::kOk;
    if (s != CategoryStatus::kOk) return false;
    names.erase(names.begin() + p);
    return WriteList(app, names);
  });
  return s != CategoryStatus::kOk || stored ? s : CategoryStatus::kWriteFailed;
}

CategoryStatus CategoryToOpen(SettingsFile& app, int k, size_t baseDirChars, std::string* name) {
  if (k < 1 || k > CategoryCount(app)) return CategoryStatus::kNotInList;
  std::string stored = app.Get(kSecCategory, NameKey(k)).value_or(kDefaultCategory);
  const CategoryStatus s = CheckCategoryName(stored, baseDirChars);
  if (s == CategoryStatus::kOk) *name = std::move(stored);
  return s;
}

std::string CurrentCategory(SettingsFile& app, size_t baseDirChars) {
  std::string stored = app.Get(kSecCategory, kCurrentKey).value_or(kDefaultCategory);
  if (CheckCategoryName(stored, baseDirChars) != CategoryStatus::kOk) return kDefaultCategory;
  return stored;
}

}  // namespace dz
