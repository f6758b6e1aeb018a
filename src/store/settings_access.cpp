#include "store/settings_access.h"

#include <windows.h>

#include <algorithm>
#include <set>

#include "store/win_fs.h"
#include "win/path.h"
#include "win/text.h"

namespace dz {

namespace {

struct Paths {
  std::string baseDir;       // UTF-8, no trailing backslash
  std::string categoryName;  // code page 932 bytes as stored in Memo.dat
};
Paths& ThePaths() {
  static Paths paths;
  return paths;
}

struct WriteFailures {
  std::set<std::string> seen;  // every file that failed this run
  std::vector<std::string> untaken;
  void (*listener)() = nullptr;
};
WriteFailures& Failures() {
  static WriteFailures failures;
  return failures;
}


// Keeps the newest `keep` files of dir named "<name>.<time>.bak"; the time
// stamps sort as text.
void Prune(const std::wstring& dir, const std::wstring& name, size_t keep) {
  std::vector<std::wstring> found;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(ExtendedPath(dir + L"\\" + name + L".*.bak").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) found.push_back(fd.cFileName);
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  if (found.size() <= keep) return;
  std::sort(found.begin(), found.end());
  for (size_t i = 0; i + keep < found.size(); ++i) DeleteFileW(ExtendedPath(dir + L"\\" + found[i]).c_str());
}

// The file at path (UTF-8, under the base directory) as it was before this
// run first replaces it. A backup that cannot be made does not stop the
// write: the write is what the user asked for.
void KeepBackup(const std::string& path) {
  const std::string& base = ThePaths().baseDir;
  if (base.empty() || path.size() <= base.size() + 1 || path.compare(0, base.size(), base) != 0 ||
      path[base.size()] != '\\')
    return;
  const std::wstring source = ExtendedPath(WidenUtf8(path));
  if (GetFileAttributesW(source.c_str()) == INVALID_FILE_ATTRIBUTES) return;
  const std::wstring relative = WidenUtf8(std::string_view(path).substr(base.size() + 1));
  const size_t slash = relative.find_last_of(L'\\');
  const std::wstring name = slash == std::wstring::npos ? relative : relative.substr(slash + 1);
  std::wstring dir = WidenUtf8(base) + L"\\backup";
  if (slash != std::wstring::npos) dir += L"\\" + relative.substr(0, slash);
  for (size_t p = dir.find(L'\\', WidenUtf8(base).size() + 1);; p = dir.find(L'\\', p + 1)) {
    CreateDirectoryW(ExtendedPath(dir.substr(0, p)).c_str(), nullptr);
    if (p == std::wstring::npos) break;
  }
  if (!CopyFileW(source.c_str(), ExtendedPath(dir + L"\\" + name + L"." + TimeStamp() + L".bak").c_str(), TRUE))
    return;
  Prune(dir, name, kBackupsKept);
}

class StoreFileSystem : public WinFileSystem {
 public:
  bool Replace(const std::string& path, std::string_view bytes, const std::function<bool()>& stillSafe) override {
    if (backedUp_.insert(path).second) KeepBackup(path);
    bool safe = true;
    if (WinFileSystem::Replace(path, bytes, [&] { return safe = !stillSafe || stillSafe(); })) return true;
    if (!safe) return false;  // not a failure to tell: the writer reads the file again
    WriteFailures& f = Failures();
    if (f.seen.insert(path).second) {
      f.untaken.push_back(path);
      if (f.listener) f.listener();
    }
    return false;
  }

 private:
  std::set<std::string> backedUp_;
};

StoreFileSystem& Fs() {
  static StoreFileSystem fs;
  return fs;
}

}  // namespace

std::wstring TimeStamp() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  wchar_t buf[32];
  swprintf(buf, sizeof buf / sizeof buf[0], L"%04u%02u%02u-%02u%02u%02u-%03u", t.wYear, t.wMonth, t.wDay,
           t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
  return buf;
}

void SetWriteFailureListener(void (*listener)()) { Failures().listener = listener; }

std::vector<std::string> TakeNewWriteFailures() {
  std::vector<std::string> out;
  out.swap(Failures().untaken);
  return out;
}


SettingsFile& AppFile() {
  static SettingsFile file(Fs(), std::string());
  return file;
}

SettingsFile& CategoryFile() {
  static SettingsFile file(Fs(), std::string());
  return file;
}

SettingsFile& BinFile() {
  static WinFileSystem plain;
  static SettingsFile file(plain, std::string());
  return file;
}

void SetBaseDirectory(std::string_view utf8Dir) {
  ThePaths().baseDir = std::string(utf8Dir);
  AppFile().set_path(ThePaths().baseDir + "\\Memo.dat");
}

std::wstring BaseDirectory() { return WidenUtf8(ThePaths().baseDir); }

FileSystem& SettingsFileSystem() { return Fs(); }

void SetCurrentCategory(std::string_view sjisName) {
  Paths& p = ThePaths();
  p.categoryName = std::string(sjisName);
  CategoryFile().set_path(CategoryFilePath(sjisName));
  BinFile().set_path(p.baseDir + "\\backup\\bin\\" + NarrowUtf8(Widen(sjisName)) + ".dat");
}

std::string CategoryFilePath(std::string_view sjisName) {
  return ThePaths().baseDir + "\\data\\" + NarrowUtf8(Widen(sjisName)) + ".dat";
}

const std::string& CurrentCategory() { return ThePaths().categoryName; }

std::wstring CategoryDirectory(std::string_view sjisName) {
  return WidenUtf8(ThePaths().baseDir) + L"\\data\\" + Widen(sjisName);
}

}  // namespace dz
