#include "win/path.h"

#include <windows.h>

namespace dz {

std::wstring ExtendedPath(const std::wstring& path) {
  // Directories must leave room for an 8.3 name below them.
  if (path.size() < MAX_PATH - 12) return path;
  if (path.compare(0, 4, L"\\\\?\\") == 0) return path;
  if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return L"\\\\?\\" + path;
  if (path.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + path.substr(2);
  return path;
}

}  // namespace dz
