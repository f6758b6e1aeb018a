#include "win/text.h"

#include <windows.h>

#include <cstdio>
#include <set>

#include "core/limits.h"

namespace dz {

namespace {
std::wstring ToWide(UINT cp, DWORD flags, std::string_view s, bool* ok) {
  *ok = true;
  if (s.empty()) return std::wstring();
  const int len = static_cast<int>(s.size());
  int n = MultiByteToWideChar(cp, flags, s.data(), len, nullptr, 0);
  if (n <= 0) {
    *ok = false;
    return std::wstring();
  }
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(cp, flags, s.data(), len, &w[0], n);
  return w;
}

std::string ToBytes(UINT cp, DWORD flags, std::wstring_view w, BOOL* lossy) {
  if (w.empty()) return std::string();
  const int len = static_cast<int>(w.size());
  // Code page 65001 takes no default-character arguments.
  BOOL* usedDefault = cp == CP_UTF8 ? nullptr : lossy;
  int n = WideCharToMultiByte(cp, flags, w.data(), len, nullptr, 0, nullptr, usedDefault);
  if (n <= 0) return std::string();
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(cp, flags, w.data(), len, &s[0], n, nullptr, nullptr);
  return s;
}
}  // namespace

std::wstring Widen(std::string_view cp932) {
  bool ok;
  return ToWide(932, 0, cp932, &ok);
}

std::string Narrow(std::wstring_view wide) { return ToBytes(932, 0, wide, nullptr); }

std::wstring WidenUtf8(std::string_view utf8) {
  bool ok;
  return ToWide(CP_UTF8, 0, utf8, &ok);
}

std::string NarrowUtf8(std::wstring_view wide) { return ToBytes(CP_UTF8, 0, wide, nullptr); }

std::optional<std::wstring> WidenUtf8Exact(std::string_view utf8) {
  bool ok;
  std::wstring w = ToWide(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, &ok);
  if (!ok || w.find(L'\0') != std::wstring::npos) return std::nullopt;
  return w;
}

std::optional<std::string> NarrowExact(std::wstring_view wide) {
  BOOL lossy = FALSE;
  std::string s = ToBytes(932, WC_NO_BEST_FIT_CHARS, wide, &lossy);
  if (lossy || (s.empty() && !wide.empty())) return std::nullopt;
  // The way back decides: a conversion may also map a character it lacks
  // to a look-alike without saying so.
  if (Widen(s) != wide) return std::nullopt;
  return s;
}

std::vector<std::wstring> UnstorableCharacters(std::wstring_view wide) {
  std::vector<std::wstring> found;
  // Each distinct character is converted once: a long text repeats them.
  std::set<std::wstring> checked;
  for (size_t i = 0; i < wide.size();) {
    const bool pair = i + 1 < wide.size() && IS_HIGH_SURROGATE(wide[i]) && IS_LOW_SURROGATE(wide[i + 1]);
    const std::wstring c(wide.substr(i, pair ? 2 : 1));
    i += c.size();
    if (c[0] < 0x80 || !checked.insert(c).second) continue;
    if (!NarrowExact(c)) found.push_back(c);
  }
  return found;
}

std::string ListCharacters(const std::vector<std::wstring>& chars) {
  constexpr size_t kListed = 10;
  std::string list;
  for (size_t i = 0; i < chars.size() && i < kListed; ++i) {
    const std::wstring& c = chars[i];
    const unsigned code = c.size() == 2 ? 0x10000u + ((c[0] - 0xD800u) << 10) + (c[1] - 0xDC00u) : c[0];
    char hex[16];
    snprintf(hex, sizeof hex, "U+%04X", code);
    // A lone half of a surrogate pair shows as nothing: its code alone.
    const bool shown = !(c.size() == 1 && c[0] >= 0xD800 && c[0] <= 0xDFFF);
    list += "\n　" + (shown ? "「" + NarrowUtf8(c) + "」 " : std::string()) + hex;
  }
  if (chars.size() > kListed) list += "\n　ほか " + std::to_string(chars.size() - kListed) + " 文字";
  return list;
}

std::optional<std::string> StorablePath(const std::wstring& path) {
  auto toCp932 = [](const std::wstring& w) -> std::optional<std::string> {
    std::optional<std::string> s = NarrowExact(w);
    if (!s || s->empty() || s->size() > static_cast<size_t>(kMaxValueChars)) return std::nullopt;
    return s;
  };
  if (auto s = toCp932(path)) return s;
  // The short form of a path is plain ASCII where the file system has one.
  wchar_t shortPath[MAX_PATH];
  DWORD len = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
  if (len == 0 || len >= MAX_PATH) return std::nullopt;
  return toCp932(std::wstring(shortPath, len));
}

size_t StoredBytes(std::wstring_view wide) {
  if (wide.empty()) return 0;
  int n = WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  return n > 0 ? static_cast<size_t>(n) : 0;
}

}  // namespace dz
