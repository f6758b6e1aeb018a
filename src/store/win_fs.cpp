#include "store/win_fs.h"

#include <windows.h>

#include <atomic>

#include "win/path.h"
#include "win/text.h"

namespace dz {
namespace {

std::wstring ParentOf(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool IsDirectory(const std::wstring& dir) {
  DWORD a = GetFileAttributesW(dir.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Creates dir and its missing parents. Stops at the root, a drive ("C:")
// or a share, which either exist or cannot be created anyway.
bool MakeDirs(const std::wstring& dir) {
  if (dir.empty() || IsDirectory(dir)) return true;
  if (dir.back() == L':') return false;
  std::wstring up = ParentOf(dir);
  if (!up.empty() && up != dir && !MakeDirs(up)) return false;
  return CreateDirectoryW(dir.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

uint64_t Join(DWORD high, DWORD low) { return (static_cast<uint64_t>(high) << 32) | low; }

bool WriteFully(HANDLE h, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(h, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

std::atomic<unsigned> g_tempCounter{0};

}  // namespace

FileStamp WinFileSystem::Stamp(const std::string& path) {
  FileStamp s;
  const std::optional<std::wstring> wide = WidenUtf8Exact(path);
  if (!wide) return s;
  const std::wstring w = ExtendedPath(*wide);
  // Every read of a setting asks for the stamp, hundreds of times a repaint,
  // so it must not open the file: reading the attributes costs a hundredth
  // of an open. A locked file still answers. Size and last-write time tell
  // a change made in place; a file put in by a rename (as every save here
  // does) brings its own write time, and its creation time moves as well,
  // which stands in for the file index an open would give.
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExW(w.c_str(), GetFileExInfoStandard, &data)) {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      s.exists = true;
      s.size = Join(data.nFileSizeHigh, data.nFileSizeLow);
      s.mtime = Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
      s.id = Join(data.ftCreationTime.dwHighDateTime, data.ftCreationTime.dwLowDateTime);
    }
    return s;
  }
  // Only a file known to be missing reads as empty; anything else counts as
  // present, so the failing read that follows stops writes over it.
  DWORD err = GetLastError();
  s.exists = err != ERROR_FILE_NOT_FOUND && err != ERROR_PATH_NOT_FOUND && err != ERROR_INVALID_NAME;
  return s;
}

namespace {
// Opens path for reading beside other readers and writers; its size goes to
// *size. A settings file is text of a few hundred kilobytes at most;
// anything absurd is refused rather than exhaust memory.
HANDLE OpenForReading(const std::string& path, size_t* size) {
  const std::optional<std::wstring> wide = WidenUtf8Exact(path);
  if (!wide) return INVALID_HANDLE_VALUE;
  const std::wstring w = ExtendedPath(*wide);
  HANDLE h = CreateFileW(w.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) return h;
  LARGE_INTEGER li;
  if (!GetFileSizeEx(h, &li) || li.QuadPart < 0 || li.QuadPart >= (256LL << 20)) {
    CloseHandle(h);
    return INVALID_HANDLE_VALUE;
  }
  *size = static_cast<size_t>(li.QuadPart);
  return h;
}

// Reads up to want bytes into buf; *got is what arrived (less when the file
// shrank meanwhile). false when a read failed, for example on a byte range
// locked by another process.
bool ReadUpTo(HANDLE h, char* buf, size_t want, size_t* got) {
  *got = 0;
  while (*got < want) {
    DWORD n = 0;
    if (!ReadFile(h, buf + *got, static_cast<DWORD>(want - *got), &n, nullptr)) return false;
    if (n == 0) break;
    *got += n;
  }
  return true;
}
}  // namespace

bool WinFileSystem::ReadAll(const std::string& path, std::string* bytes) {
  size_t size = 0;
  HANDLE h = OpenForReading(path, &size);
  if (h == INVALID_HANDLE_VALUE) return false;
  std::string out(size, '\0');
  size_t got = 0;
  const bool ok = ReadUpTo(h, &out[0], size, &got);
  CloseHandle(h);
  if (!ok) return false;
  out.resize(got);
  bytes->swap(out);
  return true;
}

bool WinFileSystem::ReadWith(const std::string& path, const std::function<void(std::string_view)>& use) {
  size_t size = 0;
  HANDLE h = OpenForReading(path, &size);
  if (h == INVALID_HANDLE_VALUE) return false;
  // A heap block the size of the file would stay in the heap after the
  // parse, as large as all the memo texts together; these pages go back to
  // the system at once.
  char* buf = size > 0 ? static_cast<char*>(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))
                       : nullptr;
  size_t got = 0;
  const bool ok = (size == 0 || buf) && ReadUpTo(h, buf, size, &got);
  CloseHandle(h);
  if (ok) use(std::string_view(buf ? buf : "", got));
  if (buf) VirtualFree(buf, 0, MEM_RELEASE);
  return ok;
}

bool WinFileSystem::Replace(const std::string& path, std::string_view bytes, const std::function<bool()>& stillSafe) {
  const std::optional<std::wstring> wide = WidenUtf8Exact(path);
  if (!wide || wide->empty()) return false;
  const std::wstring target = ExtendedPath(*wide);
  if (!MakeDirs(ParentOf(target))) return false;
  // A read-only file is not replaced, as the system refuses to write it;
  // some file systems would let the move pass over it.
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  std::wstring tmp = target + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
                     std::to_wstring(++g_tempCounter) + L".tmp";
  HANDLE h = CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = WriteFully(h, bytes) && FlushFileBuffers(h);
  ok = CloseHandle(h) && ok;
  if (ok && stillSafe && !stillSafe()) ok = false;
  if (ok) {
    // A virus scanner or indexer may hold the target for a moment.
    for (int attempt = 0;; ++attempt) {
      if (MoveFileExW(tmp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) break;
      DWORD err = GetLastError();
      if (attempt >= 4 || (err != ERROR_SHARING_VIOLATION && err != ERROR_ACCESS_DENIED)) {
        ok = false;
        break;
      }
      Sleep(20);
    }
  }
  if (!ok) DeleteFileW(tmp.c_str());
  return ok;
}

void WinFileSystem::Pause(int ms) { Sleep(static_cast<DWORD>(ms)); }

}  // namespace dz
