#pragma once
// The system's open and save dialogs, as every command that asks for a
// file sets them up.
#include <windows.h>
#include <commdlg.h>  // the OFN_ flags

#include <optional>
#include <string>

namespace dz {

struct FileDialog {
  HWND owner;
  const wchar_t* filter;  // name and pattern pairs, ending in an empty name
  const wchar_t* defaultExtension;
  const char* title;      // UTF-8
  DWORD flags;            // OFN_...
};

// The chosen file (at most MAX_PATH - 1 characters), or nothing when the
// user cancels. filterIndex, when given, is the filter shown first (1 for the
// first pair) and comes back as the one the user left chosen.
std::optional<std::wstring> ChooseFileToOpen(const FileDialog& d);
std::optional<std::wstring> ChooseFileToSave(const FileDialog& d, DWORD* filterIndex = nullptr);

}  // namespace dz
