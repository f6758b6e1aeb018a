#pragma once
// The two settings files of the running program and the text conversions
// between the stored code page 932 bytes and the wide user interface.
#include <windows.h>

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
// Makes sjisName (CP932 bytes) the current category: TheApp().categoryName
// and the path of CategoryFile(). Does not touch Memo.dat.
void SetCurrentCategory(std::string_view sjisName);
// "<base>\data\<name>" as a wide path (the category's own directory).
std::wstring CategoryDirectory(std::string_view sjisName);

// Code page 932 <-> UTF-16.
std::wstring Widen(std::string_view cp932);
std::string Narrow(std::wstring_view wide);
// UTF-8 <-> UTF-16 (paths and texts written in the source).
std::wstring WidenUtf8(std::string_view utf8);
std::string NarrowUtf8(std::wstring_view wide);

// MessageBoxW with Japanese texts written as UTF-8 in the source.
// utf8Caption may be null (the system's default caption).
int MessageBoxJ(HWND owner, const char* utf8Text, const char* utf8Caption, UINT flags);

}  // namespace dz

using dz::AppFile;
using dz::CategoryDirectory;
using dz::CategoryFile;
using dz::MessageBoxJ;
using dz::Narrow;
using dz::SetCurrentCategory;
using dz::Widen;
