#pragma once
#include <string>

namespace dz {
// Section names of the settings files.
inline constexpr const char* kSecCategory = "Cagoteri";   // application file
inline constexpr const char* kSecMemos = "ChildWindow";   // category file
inline constexpr const char* kSecVOffset = "Xdata";       // vertical scroll offsets
inline constexpr const char* kSecHOffset = "Ydata";       // horizontal scroll offsets
inline constexpr const char* kDefaultFace = "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e";  // "ＭＳ ゴシック" in CP932
inline constexpr const char* kDefaultCategory = "data1";
// Default of "%dBroURL": the address the built-in browser shows when none
// was stored. An empty page needs no network and always loads.
inline constexpr const char* kDefaultHomePage = "about:blank";
// Background kinds ("%dBack"); any other value is the path of a picture.
inline constexpr int kBackSolid = 1;
inline constexpr int kBackGradient = 2;
inline constexpr int kBackTransparent = 3;
// Per-memo key: decimal memo number followed by the property, e.g. "12Text".
std::string MemoKey(int n, const char* property);
// "No%d" of the offset sections.
std::string OffsetKey(int n);
}  // namespace dz
