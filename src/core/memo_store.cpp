#include "core/memo_store.h"

#include <algorithm>

#include "core/keys.h"
#include "core/limits.h"
#include "core/number.h"

namespace dz {
namespace {

struct Copy {
  const char* from;
  const char* def;
  const char* to;
};

// Creation order; "TemplateWindowLebel" comes last, after the window exists.
const Copy kTemplate[] = {
    {"TemplateFontColor", "0", "FontColor"},  {"TemplateFont", nullptr, "Font"},
    {"TemplateFontHeight", "15", "FontHeight"}, {"TemplateItalic", "0", "Italic"},
    {"TemplateUnderLine", "0", "UnderLine"},  {"TemplateOnLine", "0", "OnLine"},
    {"TemplateStyle", "1", "Style"},          {"Templatex", "0", "x"},
    {"Templatey", "0", "y"},                  {"Templateh", "100", "h"},
    {"Templatel", "100", "l"},                {"TemplateBack", "1", "Back"},
    {"TemplateColor1", "16777215", "Color1"}, {"TemplateColor2", "16777215", "Color2"},
    {"TemplateColor3", "16777215", "Color3"}, {"TemplateGradMode", "0", "GradMode"},
};

const char* const kMoveOrder[] = {"WindowLebel", "FontColor", "Style",     "x",        "y",
                                  "h",           "l",         "Text",      "Font",     "FontHeight",
                                  "Italic",      "UnderLine", "OnLine",    "Back",     "Color1",
                                  "Color2",      "Color3",    "GradMode",  "Brows",    "BroURL",
                                  "Id"};

// "WindowLebel" of the last number stays: creation always rewrites it.
const char* const kRemoveOrder[] = {"Back",      "Color1",  "Color2", "Color3", "GradMode",
                                    "x",         "y",       "h",      "l",      "Text",
                                    "Font",      "FontColor", "FontHeight", "Italic", "UnderLine",
                                    "OnLine",    "Style",   "Brows",  "BroURL", "Id"};

int32_t MemoInt(SettingsFile& cat, int n, const char* prop, int32_t def) {
  return cat.ReadInt(kSecMemos, MemoKey(n, prop), def);
}

// True when s, after blanks and one sign, starts with a digit.
bool HasNumber(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  return i < s.size() && s[i] >= '0' && s[i] <= '9';
}

// Memos 0, 1, ... that still have their placement or text in the file.
int CountStoredMemos(SettingsFile& cat) {
  int n = 0;
  while (n < kMaxMemos && (cat.Get(kSecMemos, MemoKey(n, "Text")) || cat.Get(kSecMemos, MemoKey(n, "x")))) ++n;
  return n;
}

// The memo count. A hand-edited count that is no number or negative would
// hide the stored memos and let the next new memo overwrite memo 0, so the
// memos the file holds are counted instead.
}  // namespace

Placement ReadPlacement(SettingsFile& cat, int n) {
  // The stored width is "h" and the height "l".
  return {MemoInt(cat, n, "x", 0), MemoInt(cat, n, "y", 0), MemoInt(cat, n, "h", 100), MemoInt(cat, n, "l", 100)};
}

int StoredMemoCount(SettingsFile& cat) {
  const std::optional<std::string> no = cat.Get(kSecMemos, "No");
  if (!no) return 0;
  const int32_t count = ParseIntSaturating(*no);
  if (count < 0 || !HasNumber(*no)) return CountStoredMemos(cat);
  return std::min<int32_t>(count, kMaxMemos);
}

FontSpec ReadFont(SettingsFile& cat, int n) {
  FontSpec f;
  f.height = MemoInt(cat, n, "FontHeight", 15);
  f.italic = MemoInt(cat, n, "Italic", 0) != 0;
  f.underline = MemoInt(cat, n, "UnderLine", 0) != 0;
  f.strikeout = MemoInt(cat, n, "OnLine", 0) != 0;
  f.face = cat.Read(kSecMemos, MemoKey(n, "Font"), kDefaultFace);
  return f;
}

NewMemo ApplyTemplate(SettingsFile& cat, std::string_view escapedText, const std::string& id) {
  NewMemo m;
  int n = -1;
  std::string level;
  // Counted inside: the number is the file's, whatever another program
  // added since this one last read it.
  const bool stored = cat.Transaction([&] {
    n = StoredMemoCount(cat);
    if (n >= kMaxMemos || !cat.Readable()) return false;
    // Values are copied as text, as stored; the window code gets them parsed.
    for (const Copy& c : kTemplate) {
      std::string v = cat.Read(kSecMemos, c.from, c.def ? c.def : kDefaultFace);
      cat.Write(kSecMemos, MemoKey(n, c.to), v);
    }
    cat.Write(kSecMemos, MemoKey(n, "Text"), escapedText);
    level = cat.Read(kSecMemos, "TemplateWindowLebel", "0");
    cat.Write(kSecMemos, MemoKey(n, "WindowLebel"), level);
    cat.Write(kSecMemos, MemoKey(n, "Id"), id);
    cat.WriteInt(kSecMemos, "No", n + 1);
    // Offsets left behind by a memo that once had this number.
    cat.Remove(kSecVOffset, OffsetKey(n));
    cat.Remove(kSecHOffset, OffsetKey(n));
    return true;
  });
  if (n >= kMaxMemos || n < 0) return m;
  m.stored = stored;
  m.number = n;
  m.font = ReadFont(cat, n);
  m.style = MemoInt(cat, n, "Style", 1);
  m.place = ReadPlacement(cat, n);
  m.windowLevel = ParseInt(level);
  return m;
}

LoadedTable LoadTable(SettingsFile& cat, std::string_view defaultUrl) {
  LoadedTable t;
  for (int k = 0; k < kMaxMemos; ++k) t.vOffset[k] = cat.ReadInt(kSecVOffset, OffsetKey(k), 0);
  for (int k = 0; k < kMaxMemos; ++k) t.hOffset[k] = cat.ReadInt(kSecHOffset, OffsetKey(k), 0);
  for (int k = 0; k < kCustomColors; ++k)
    t.custColors[k] = static_cast<uint32_t>(cat.ReadInt(kSecMemos, "CustColor" + std::to_string(k), 0));
  t.count = StoredMemoCount(cat);
  t.memos.resize(static_cast<size_t>(t.count));
  for (int n = 0; n < t.count; ++n) t.memos[static_cast<size_t>(n)] = LoadMemo(cat, n, defaultUrl);
  return t;
}

LoadedMemo LoadMemo(SettingsFile& cat, int n, std::string_view defaultUrl) {
  LoadedMemo m;
  m.font = ReadFont(cat, n);
  m.place = ReadPlacement(cat, n);
  m.style = MemoInt(cat, n, "Style", 1);
  m.brows = MemoInt(cat, n, "Brows", 0);
  m.broUrl = cat.Read(kSecMemos, MemoKey(n, "BroURL"), defaultUrl, kMaxUrlChars);
  m.windowLevel = MemoInt(cat, n, "WindowLebel", 0);
  m.id = cat.Read(kSecMemos, MemoKey(n, "Id"), "");
  return m;
}

bool RenumberAfterDelete(SettingsFile& cat, int n, int count) {
  count = std::min(count, kMaxMemos);
  if (n < 0 || n >= count) return false;
  cat.BeginBatch();
  for (int m = n; m < count - 1; ++m) {
    for (const char* prop : kMoveOrder) {
      // Moved whole and unchanged, whatever its length.
      std::optional<std::string> v = cat.Get(kSecMemos, MemoKey(m + 1, prop));
      if (v)
        cat.Write(kSecMemos, MemoKey(m, prop), *v);
      else
        cat.Remove(kSecMemos, MemoKey(m, prop));
    }
  }
  for (const char* prop : kRemoveOrder) cat.Remove(kSecMemos, MemoKey(count - 1, prop));
  return cat.EndBatch();
}

}  // namespace dz
