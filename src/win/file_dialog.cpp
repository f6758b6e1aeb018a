#include "win/file_dialog.h"

#include "win/text.h"

namespace dz {

namespace {
std::optional<std::wstring> Choose(const FileDialog& d, bool save, DWORD* filterIndex) {
  wchar_t file[MAX_PATH] = L"";
  const std::wstring title = WidenUtf8(d.title);
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = d.owner;
  ofn.lpstrFilter = d.filter;
  ofn.nFilterIndex = filterIndex ? *filterIndex : 0;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrDefExt = d.defaultExtension;
  ofn.lpstrTitle = title.c_str();
  ofn.Flags = d.flags;
  if (!(save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn))) return std::nullopt;
  if (filterIndex) *filterIndex = ofn.nFilterIndex;
  return std::wstring(file);
}
}  // namespace

std::optional<std::wstring> ChooseFileToOpen(const FileDialog& d) { return Choose(d, false, nullptr); }

std::optional<std::wstring> ChooseFileToSave(const FileDialog& d, DWORD* filterIndex) {
  return Choose(d, true, filterIndex);
}

}  // namespace dz
