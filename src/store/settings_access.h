#pragma once
// The two settings files of the running program and where they are.
#include <string>
#include <string_view>

#include "core/settings.h"

namespace dz {

// "<base>\Memo.dat": category list and current category.
SettingsFile& AppFile();
// "<base>\data\<category>.dat": every memo of the current category.
SettingsFile& CategoryFile();

// Sets the base directory (UTF-8) and points AppFile() at its Memo.dat.
void SetBaseDirectory(std::string_view utf8Dir);
// The base directory as a wide path, no trailing backslash.
std::wstring BaseDirectory();
// Makes sjisName (code page 932 bytes) the current category and points
// CategoryFile() at its file. Does not touch Memo.dat.
void SetCurrentCategory(std::string_view sjisName);
// The current category's name as stored in Memo.dat (code page 932 bytes).
const std::string& CurrentCategory();
// "<base>\data\<name>" as a wide path (the category's own directory).
std::wstring CategoryDirectory(std::string_view sjisName);

}  // namespace dz
