#include "core/memo_style.h"

#include <optional>
#include <string>

#include "core/keys.h"
#include "core/number.h"

namespace dz {

namespace {

struct TemplateCopy {
  const char* from;  // memo property, or null for a side of the outer rectangle
  const char* def;
  const char* to;
};

// In the order the template keys are written. A missing "%dBack" paints the
// desktop under the memo, so the template gets the transparent kind: "0"
// would name a picture file "0" that new memos could not show. A missing
// "%dColor1" paints black, which the empty value gives as well.
const TemplateCopy kTemplateCopy[] = {
    {"WindowLebel", "0", "TemplateWindowLebel"},
    {"FontColor", "0", "TemplateFontColor"},
    {"Style", "1", "TemplateStyle"},
    {nullptr, nullptr, "Templatex"},
    {nullptr, nullptr, "Templatey"},
    {nullptr, nullptr, "Templateh"},
    {nullptr, nullptr, "Templatel"},
    {"Font", nullptr, "TemplateFont"},
    {"FontHeight", "15", "TemplateFontHeight"},
    {"Italic", "0", "TemplateItalic"},
    {"UnderLine", "0", "TemplateUnderLine"},
    {"OnLine", "0", "TemplateOnLine"},
    {"Back", "3", "TemplateBack"},
    {"Color1", "", "TemplateColor1"},
    {"Color2", "0", "TemplateColor2"},
    {"Color3", "0", "TemplateColor3"},
    {"GradMode", "0", "TemplateGradMode"},
};

}  // namespace

StyleFlags ReadStyleFlags(SettingsFile& cat, int n) {
  StyleFlags f;
  f.topmost = cat.ReadInt(kSecMemos, MemoKey(n, "WindowLebel"), 0) == 0;
  f.framed = cat.ReadInt(kSecMemos, MemoKey(n, "Style"), 1) == 1;
  return f;
}

bool WriteFontKeys(SettingsFile& cat, int n, const FontSpec& font, uint32_t color) {
  cat.BeginBatch();
  cat.WriteInt(kSecMemos, MemoKey(n, "FontColor"), static_cast<int32_t>(color));
  cat.Write(kSecMemos, MemoKey(n, "Font"), font.face);
  cat.WriteInt(kSecMemos, MemoKey(n, "FontHeight"), font.height);
  cat.WriteInt(kSecMemos, MemoKey(n, "UnderLine"), font.underline ? 1 : 0);
  cat.WriteInt(kSecMemos, MemoKey(n, "Italic"), font.italic ? 1 : 0);
  cat.WriteInt(kSecMemos, MemoKey(n, "OnLine"), font.strikeout ? 1 : 0);
  return cat.EndBatch();
}

bool CopyStyleToTemplate(SettingsFile& cat, int n, const Placement& outer) {
  const int32_t sides[] = {outer.x, outer.y, outer.w, outer.h};
  int side = 0;
  cat.BeginBatch();
  for (const TemplateCopy& c : kTemplateCopy) {
    if (!c.from) {
      cat.Write(kSecMemos, c.to, FormatInt(sides[side++]));
      continue;
    }
    // Whole, as stored: a picture path is not cut.
    std::optional<std::string> v = cat.Get(kSecMemos, MemoKey(n, c.from));
    cat.Write(kSecMemos, c.to, v ? *v : std::string(c.def ? c.def : kDefaultFace));
  }
  return cat.EndBatch();
}

}  // namespace dz
