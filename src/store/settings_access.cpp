#include "store/settings_access.h"

#include "store/win_fs.h"
#include "win/text.h"

namespace dz {

namespace {
WinFileSystem& Fs() {
  static WinFileSystem fs;
  return fs;
}

struct Paths {
  std::string baseDir;       // UTF-8, no trailing backslash
  std::string categoryName;  // code page 932 bytes as stored in Memo.dat
};
Paths& ThePaths() {
  static Paths paths;
  return paths;
}
}  // namespace

SettingsFile& AppFile() {
  static SettingsFile file(Fs(), std::string());
  return file;
}

SettingsFile& CategoryFile() {
  static SettingsFile file(Fs(), std::string());
  return file;
}

void SetBaseDirectory(std::string_view utf8Dir) {
  ThePaths().baseDir = std::string(utf8Dir);
  AppFile().set_path(ThePaths().baseDir + "\\Memo.dat");
}

std::wstring BaseDirectory() { return WidenUtf8(ThePaths().baseDir); }

void SetCurrentCategory(std::string_view sjisName) {
  Paths& p = ThePaths();
  p.categoryName = std::string(sjisName);
  CategoryFile().set_path(p.baseDir + "\\data\\" + NarrowUtf8(Widen(sjisName)) + ".dat");
}

const std::string& CurrentCategory() { return ThePaths().categoryName; }

std::wstring CategoryDirectory(std::string_view sjisName) {
  return WidenUtf8(ThePaths().baseDir) + L"\\data\\" + Widen(sjisName);
}

}  // namespace dz
