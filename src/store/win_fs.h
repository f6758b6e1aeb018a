#pragma once
// FileSystem over the wide Windows file API. Paths are UTF-8.
#include "core/settings.h"

namespace dz {

class WinFileSystem : public FileSystem {
 public:
  FileStamp Stamp(const std::string& path) override;
  // Fails (never blocks or crashes) when the file is missing, locked or
  // unreadable.
  bool ReadAll(const std::string& path, std::string* bytes) override;
  // The bytes in pages of their own, released as soon as use() returns.
  bool ReadWith(const std::string& path, const std::function<void(std::string_view)>& use) override;
  // Temporary file beside the target, flushed, then moved over it with
  // MoveFileExW (replace, write through). Missing parent directories are
  // created first. On failure the target keeps its old content.
  bool Replace(const std::string& path, std::string_view bytes, const std::function<bool()>& stillSafe) override;
  void Pause(int ms) override;
};

}  // namespace dz
