#pragma once
// Fixed limits of the data model.
namespace dz {
constexpr int kMaxMemos = 100;
constexpr int kMaxCategories = 10;
constexpr int kCustomColors = 16;
constexpr int kMaxLinks = 10;
constexpr int kMaxTextChars = 8191;   // memo text ("%dText"), bytes of Shift_JIS
constexpr int kMaxValueChars = 255;   // any other stored value
constexpr int kMaxPathChars = 260;
// The built-in browser's address ("%dBroURL") is kept whole up to the length
// of a memo text: an address cut at an arbitrary byte opens another page.
constexpr int kMaxUrlChars = kMaxTextChars;
}  // namespace dz
