#pragma once
#ifndef _WIN32
#include "core/settings.h"

namespace dz {
// FileSystem over POSIX calls. The replacement writes a temporary file in
// the target's directory, flushes it to disk and renames it over the target,
// so a reader sees either the whole old file or the whole new one.
class PosixFileSystem : public FileSystem {
 public:
  FileStamp Stamp(const std::string& path) override;
  bool ReadAll(const std::string& path, std::string* bytes) override;
  bool Replace(const std::string& path, std::string_view bytes, const std::function<bool()>& stillSafe) override;
  void Pause(int ms) override;
};
}  // namespace dz
#endif
