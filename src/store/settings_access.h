#pragma once
// The two settings files of the running program and where they are.
#include <string>
#include <string_view>
#include <vector>

#include "core/settings.h"

namespace dz {

// "<base>\Memo.dat": category list and current category.
SettingsFile& AppFile();
// "<base>\data\<category>.dat": every memo of the current category.
SettingsFile& CategoryFile();

// The file access of the two settings files (backups and failure notes
// included), for another settings file of the base directory.
FileSystem& SettingsFileSystem();
// "<base>\backup\bin\<category>.dat": the current category's recently
// deleted memos. Neither backed up nor reported through the write-failure
// notice: the delete that writes it tells the user itself.
SettingsFile& BinFile();

// Sets the base directory (UTF-8) and points AppFile() at its Memo.dat.
void SetBaseDirectory(std::string_view utf8Dir);
// The base directory as a wide path, no trailing backslash.
std::wstring BaseDirectory();
// The local time as it goes into names of files the program keeps:
// "yyyymmdd-hhmmss-mmm".
std::wstring TimeStamp();
// Makes sjisName (code page 932 bytes) the current category and points
// CategoryFile() at its file. Does not touch Memo.dat.
void SetCurrentCategory(std::string_view sjisName);
// The current category's name as stored in Memo.dat (code page 932 bytes).
const std::string& CurrentCategory();
// "<base>\data\<name>.dat" (UTF-8): the file of the category sjisName.
std::string CategoryFilePath(std::string_view sjisName);
// "<base>\data\<name>" as a wide path (the category's own directory).
std::wstring CategoryDirectory(std::string_view sjisName);

// Before the first replacement of a settings file in a run, the file as it
// was is copied to "<base>\backup" ("Memo.dat.<time>.bak",
// "data\<category>.dat.<time>.bak"); the newest kBackupsKept copies of each
// file are kept.
inline constexpr int kBackupsKept = 5;

// A settings file that could not be written is noted; listener (when set)
// is called the first time a file fails, so that the user can be told once
// per run. TakeNewWriteFailures returns the files (UTF-8 paths) not taken
// before.
void SetWriteFailureListener(void (*listener)());
std::vector<std::string> TakeNewWriteFailures();

}  // namespace dz
