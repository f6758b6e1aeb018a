#pragma once
// The one settings engine: reads and writes INI files with the semantics of
// the Windows profile functions, keeps every line it does not touch, and
// replaces the file atomically on each write (or once per batch).
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dz {

// Whether two section or key names are the same name, as the profile
// functions compare them: ASCII case is ignored; a double-byte character
// matches only itself (its trail byte is no letter).
bool SameKeyName(std::string_view a, std::string_view b);

// Parsed INI text. Every original line is kept; only touched lines change.
class IniDocument {
 public:
  IniDocument() = default;
  static IniDocument Parse(std::string_view bytes);

  // Value as GetPrivateProfileString returns it (blanks trimmed, one pair of
  // matching surrounding quotes stripped). nullopt when the key is absent.
  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  // Stores value so that Get returns exactly value (quoting it when needed;
  // CR and LF cannot live on one line and become blanks). Returns whether
  // the document changed; an unusable section or key name changes nothing.
  bool Set(std::string_view section, std::string_view key, std::string_view value);
  // Removes the key (the first one of that name). Returns whether it existed.
  bool Remove(std::string_view section, std::string_view key);
  // Every key of the section with its value as Get returns it, in file
  // order; a name that occurs again is left out, as Get never finds it.
  std::vector<std::pair<std::string, std::string>> Entries(std::string_view section) const;
  // The file's bytes: CR LF line ends.
  std::string Serialize() const;

  // Names the engine can store and find again: a section name without CR,
  // LF or NUL that does not end in a lone lead byte; a key that is not empty, has no '=', CR, LF or NUL, no blank
  // at either end and does not start with '[' or ';'.
  static bool IsValidSection(std::string_view section);
  static bool IsValidKey(std::string_view key);
  // The text written after "key=" for value.
  static std::string StoredForm(std::string_view value);

 private:
  struct Line {
    std::string text;  // without the line end
    bool isKey = false;
    uint32_t keyPos = 0, keyLen = 0, valPos = 0, valLen = 0;
  };
  struct Section {
    bool hasHeader = false;  // false only for the lines before the first header
    std::string header;      // the header line as found
    std::string name;
    std::vector<Line> lines;
  };
  static Line MakeLine(std::string text);
  Section* FindSection(std::string_view section);
  const Section* FindSection(std::string_view section) const;
  static int FindKey(const Section& s, std::string_view key);
  std::vector<Section> sections_;
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
  // Hands the file's bytes to use() for the length of the call only. A
  // platform can keep them out of the heap, where a block as large as the
  // file would stay behind once it is parsed. false as ReadAll; use() is
  // then not called.
  virtual bool ReadWith(const std::string& path, const std::function<void(std::string_view)>& use) {
    std::string bytes;
    if (!ReadAll(path, &bytes)) return false;
    use(bytes);
    return true;
  }
  // Writes a temporary file beside path and moves it over path in one step.
  // Creates missing parent directories first. false on failure; the old
  // file is then untouched.
  bool ReplaceAtomically(const std::string& path, std::string_view bytes) { return Replace(path, bytes, nullptr); }
  // The same; stillSafe, when given, is asked between writing the temporary
  // file and the move, so that the moment in which someone else can put a
  // file in that the move then throws away is as short as it can be. When
  // it says no, nothing is moved and the result is false.
  virtual bool Replace(const std::string& path, std::string_view bytes, const std::function<bool()>& stillSafe) = 0;
  // Waits about ms milliseconds, for a file to come back.
  virtual void Pause(int ms) = 0;
};

// One settings file. Reads come from a parsed copy refreshed whenever the
// file on disk changed; writes replace the file at once unless a batch is
// open, in which case the batch's end writes everything in one replacement.
// A missing file reads as empty. A file that exists but cannot be read
// (locked, no permission, or UTF-16 text) is never written over: writes
// then fail.
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
  // The whole value, uncut; nullopt when the key is absent.
  std::optional<std::string> Get(std::string_view section, std::string_view key);
  std::vector<std::pair<std::string, std::string>> Entries(std::string_view section);
  // False while the file exists but cannot be read: nothing read from it
  // then is what it holds, and nothing may be written over it.
  bool Readable();
  bool Write(std::string_view section, std::string_view key, std::string_view value);
  bool WriteInt(std::string_view section, std::string_view key, int32_t value);
  bool Remove(std::string_view section, std::string_view key);

  // Writes and removes inside a batch change only the parsed copy; the
  // outermost EndBatch replaces the file once, and only if something changed.
  void BeginBatch();
  bool EndBatch();  // false when the replacement failed

  // Runs work, which reads the file through this object and writes to it,
  // as one replacement. When another program replaced the file between
  // work's reads and the replacement, work runs again on what the file
  // holds then: for changes whose every write depends on what was read,
  // such as adding memos after the last one. Inside an open batch it just
  // runs work. Returns work's result, false when the replacement failed.
  bool Transaction(const std::function<bool()>& work);

  // Reads inside a hold look at the file on disk once, at the first read:
  // for reads that belong together, such as one memo's paint. Asking the
  // file system for every key costs more than everything else a repaint
  // does; a change made by another program is seen at the next hold.
  void BeginHold();
  void EndHold();

  // Goes up each time the copy in memory is replaced by what the file holds
  // because someone else changed it (this engine's own writes leave it):
  // whoever keeps state derived from the file knows when to look again.
  uint64_t Version() const { return version_; }

  // Called once, with the file's current content, at the next write that
  // can go ahead, so that it can add to what that write stores. Returns
  // whether it changed the document.
  void OnNextWrite(std::function<bool(IniDocument&)> addition);

 private:
  void Refresh(bool writing = false);
  bool Commit();
  bool ApplyAgain();
  template <class F>
  bool Change(F&& change);
  FileSystem& fs_;
  std::string path_;
  IniDocument doc_;
  FileStamp stamp_;
  bool loaded_ = false;
  int batch_ = 0;
  bool dirty_ = false;
  bool readable_ = true;      // false: the file exists but could not be read
  bool batchFailed_ = false;  // a write inside the open batch was refused
  int hold_ = 0;
  bool heldFresh_ = false;    // the file was looked at inside the open hold
  uint64_t version_ = 0;
  std::function<bool(IniDocument&)> nextWrite_;
  // The changes made since the file was last read, to make again on what
  // the file holds when someone else replaced it before they were stored.
  std::vector<std::function<bool(IniDocument&)>> pending_;
  bool vanished_ = false;      // a read found the file gone that was there
  int transaction_ = 0;        // open Transaction calls
  bool replacedMeanwhile_ = false;
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

// Opens a hold for the scope's lifetime.
class SettingsHold {
 public:
  explicit SettingsHold(SettingsFile& f) : f_(f) { f_.BeginHold(); }
  ~SettingsHold() { f_.EndHold(); }
  SettingsHold(const SettingsHold&) = delete;
  SettingsHold& operator=(const SettingsHold&) = delete;

 private:
  SettingsFile& f_;
};

}  // namespace dz
