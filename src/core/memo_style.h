#pragma once
// A memo's style as its keys hold it: the z-order and frame flags, the font
// with its colour, and the copy of a memo's style into the template.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/memo_store.h"
#include "core/settings.h"

namespace dz {

// Read with the rules window creation uses: "%dWindowLebel" 0 (or missing,
// or no number) is topmost; "%dStyle" 1 (or missing) is framed, so the
// check marks of the memo menu always agree with the window.
struct StyleFlags {
  bool topmost = true;
  bool framed = true;
};
StyleFlags ReadStyleFlags(SettingsFile& cat, int n);

// "%dFontColor", "%dFont", "%dFontHeight", "%dUnderLine", "%dItalic" and
// "%dOnLine" of memo n, in that order, as one file replacement. False when
// the file could not be written; nothing is then stored.
bool WriteFontKeys(SettingsFile& cat, int n, const FontSpec& font, uint32_t color);

// Memo n's style, its outer rectangle and its background become the
// template of the category (the seventeen Template keys), as one file
// replacement. Values are copied as stored. A key the memo does not have
// gives what the memo shows without it; false when the file could not be
// written.
bool CopyStyleToTemplate(SettingsFile& cat, int n, const Placement& outer);

// Length of the longest prefix of the UTF-16 text s of at most maxUnits
// code units that does not end between the two halves of a surrogate pair.
template <class Char16>
size_t Utf16PrefixLen(std::basic_string_view<Char16> s, size_t maxUnits) {
  static_assert(sizeof(Char16) == 2, "UTF-16 code units");
  if (s.size() <= maxUnits) return s.size();
  if (maxUnits == 0) return 0;
  const auto last = static_cast<uint16_t>(s[maxUnits - 1]);
  return (last >= 0xD800 && last <= 0xDBFF) ? maxUnits - 1 : maxUnits;
}

}  // namespace dz
