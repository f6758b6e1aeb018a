#pragma once
// The key under which one running program claims its base folder, so that a
// second start from the same folder finds the first instead of loading and
// later saving over the same files.
#include <cstddef>
#include <string>
#include <string_view>

namespace dz {

// Longest key InstanceKey returns: with a short prefix it stays below
// MAX_PATH, the limit of a kernel object's name.
inline constexpr size_t kMaxInstanceKeyLength = 200;

// Turns a base folder's full path, already upper-cased the way Windows
// compares paths, into a kernel object name part: the same for spellings that
// differ only in trailing backslashes, free of backslashes (an object name
// cannot hold them past its namespace) and at most kMaxInstanceKeyLength
// characters. Paths that fit are spelled out, longer ones hashed.
std::u16string InstanceKey(std::u16string_view foldedFullPath);

}  // namespace dz
