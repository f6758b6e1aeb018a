#include "store/settings_access.h"

#include <vector>

#include "app/app.h"
#include "store/win_fs.h"

namespace dz {

namespace {
WinFileSystem& Fs() {
  static WinFileSystem fs;
  return fs;
}

std::wstring ToWide(UINT cp, std::string_view s) {
  if (s.empty()) return std::wstring();
  int n = MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
  return w;
}

std::string ToBytes(UINT cp, std::wstring_view w) {
  if (w.empty()) return std::string();
  int n = WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
  return s;
}
}  // namespace

std::wstring Widen(std::string_view cp932) { return ToWide(932, cp932); }
std::string Narrow(std::wstring_view wide) { return ToBytes(932, wide); }
std::wstring WidenUtf8(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }
std::string NarrowUtf8(std::wstring_view wide) { return ToBytes(CP_UTF8, wide); }

SettingsFile& AppFile() {
  static SettingsFile file(Fs(), std::string());
  return file;
}

SettingsFile& CategoryFile() {
  static SettingsFile file(Fs(), std::string());
  return file;
}

void SetBaseDirectory(std::string_view utf8Dir) {
  TheApp().baseDir = std::string(utf8Dir);
  AppFile().set_path(TheApp().baseDir + "\\Memo.dat");
}

void SetCurrentCategory(std::string_view sjisName) {
  App& app = TheApp();
  app.categoryName = std::string(sjisName);
  CategoryFile().set_path(app.baseDir + "\\data\\" + NarrowUtf8(Widen(sjisName)) + ".dat");
}

std::wstring CategoryDirectory(std::string_view sjisName) {
  return WidenUtf8(TheApp().baseDir) + L"\\data\\" + Widen(sjisName);
}

int MessageBoxJ(HWND owner, const char* utf8Text, const char* utf8Caption, UINT flags) {
  std::wstring text = WidenUtf8(utf8Text ? utf8Text : "");
  if (!utf8Caption) return MessageBoxW(owner, text.c_str(), nullptr, flags);
  std::wstring caption = WidenUtf8(utf8Caption);
  return MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
}

}  // namespace dz
