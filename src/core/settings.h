#pragma once
// The one settings engine: reads and writes INI files with the semantics of
// the Windows profile functions, keeps every line it does not touch, and
// replaces the file atomically on each write (or once per batch).
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dz {

// Parsed INI text. Every original line is kept; only touched lines change.
class IniDocument {
 public:
  IniDocument() = default;
  static IniDocument Parse(std::string_view bytes);

  // Value as GetPrivateProfileString returns it (blanks trimmed, one pair of
  // matching surrounding quotes stripped). nullopt when the key is absent.
  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  // Stores value so that Get returns exactly value (quoting it when needed).
  void Set(std::string_view section, std::string_view key, std::string_view value);
  // Removes the key (the first one of that name). Returns whether it existed.
  bool Remove(std::string_view section, std::string_view key);
  // The file's bytes: CR LF line ends.
  std::string Serialize() const;

 private:
  struct Line;
  std::vector<std::string> lines_;
};

// Identity of a file's content on disk, to know when a cached parse is stale.
struct FileStamp {
  bool exists = false;
  uint64_t size = 0;
  uint64_t mtime = 0;  // platform units; only compared for equality
  uint64_t id = 0;     // file index/inode when available
  bool operator==(const FileStamp& o) const {
    return exists == o.exists && size == o.size && mtime == o.mtime && id == o.id;
  }
  bool operator!=(const FileStamp& o) const { return !(*this == o); }
};

// Platform file access. Paths are UTF-8.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual FileStamp Stamp(const std::string& path) = 0;
  // false when the file is missing or unreadable.
  virtual bool ReadAll(const std::string& path, std::string* bytes) = 0;
  // Writes a temporary file beside path and moves it over path in one step.
  // Creates missing parent directories first. false on failure; the old
  // file is then untouched.
  virtual bool ReplaceAtomically(const std::string& path, std::string_view bytes) = 0;
};

// POSIX or Windows implementation, chosen at build time.
FileSystem& NativeFileSystem();

// One settings file. Reads come from a parsed copy refreshed whenever the
// file on disk changed; writes replace the file at once unless a batch is
// open, in which case the batch's end writes everything in one replacement.
class SettingsFile {
 public:
  SettingsFile(FileSystem& fs, std::string path);
  const std::string& path() const { return path_; }
  void set_path(std::string path);

  // Value cut to maxChars bytes (never in the middle of a double-byte
  // character), or def when the key is absent.
  std::string Read(std::string_view section, std::string_view key, std::string_view def,
                   size_t maxChars = 255);
  int32_t ReadInt(std::string_view section, std::string_view key, int32_t def);
  bool Write(std::string_view section, std::string_view key, std::string_view value);
  bool WriteInt(std::string_view section, std::string_view key, int32_t value);
  bool Remove(std::string_view section, std::string_view key);

  void BeginBatch();
  bool EndBatch();  // false when the replacement failed

 private:
  void Refresh();
  bool Commit();
  FileSystem& fs_;
  std::string path_;
  IniDocument doc_;
  FileStamp stamp_;
  bool loaded_ = false;
  int batch_ = 0;
  bool dirty_ = false;
};

// Opens a batch for the scope's lifetime.
class SettingsBatch {
 public:
  explicit SettingsBatch(SettingsFile& f) : f_(f) { f_.BeginBatch(); }
  ~SettingsBatch() { f_.EndBatch(); }
  SettingsBatch(const SettingsBatch&) = delete;
  SettingsBatch& operator=(const SettingsBatch&) = delete;

 private:
  SettingsFile& f_;
};

}  // namespace dz
