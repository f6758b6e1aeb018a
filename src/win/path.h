#pragma once
#include <string>

namespace dz {
// The path in the form the wide file functions take beyond MAX_PATH
// ("\\?\C:\..." or "\\?\UNC\server\..."); shorter paths come back as they
// are. Relative paths cannot take that form and are left alone.
std::wstring ExtendedPath(const std::wstring& path);
}  // namespace dz
