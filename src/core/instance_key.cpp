#include "core/instance_key.h"

#include <cstdint>

namespace dz {

std::u16string InstanceKey(std::u16string_view path) {
  while (!path.empty() && path.back() == u'\\') path.remove_suffix(1);
  if (path.size() <= kMaxInstanceKeyLength) {
    // A full Windows path never holds '/', so the spelled-out key still
    // names exactly one folder.
    std::u16string key(path);
    for (char16_t& c : key)
      if (c == u'\\') c = u'/';
    return key;
  }
  // FNV-1a over both bytes of every code unit, and the length beside it. A
  // full path starts with a drive letter or "\\", never '#', so a hashed key
  // never equals a spelled-out one.
  uint64_t hash = 14695981039346656037ull;
  for (char16_t c : path) {
    hash = (hash ^ (static_cast<uint32_t>(c) & 0xFFu)) * 1099511628211ull;
    hash = (hash ^ (static_cast<uint32_t>(c) >> 8)) * 1099511628211ull;
  }
  static const char16_t kHex[] = u"0123456789ABCDEF";
  std::u16string key = u"#";
  for (size_t n = path.size(); n != 0; n /= 16) key.insert(key.begin() + 1, kHex[n % 16]);
  key += u'-';
  for (int shift = 60; shift >= 0; shift -= 4) key += kHex[(hash >> shift) & 0xFu];
  return key;
}

}  // namespace dz
