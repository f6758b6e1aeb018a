#pragma once
// In-memory FileSystem for tests: counts replacements and can be told to
// fail them or to refuse reads, as a locked file would.
#include <functional>
#include <map>
#include <string>

#include "core/settings.h"

namespace dz::test {

class FakeFileSystem : public FileSystem {
 public:
  FileStamp Stamp(const std::string& path) override {
    ++stamps;
    FileStamp s;
    auto it = files.find(path);
    if (it == files.end()) return s;
    s.exists = true;
    s.size = it->second.size();
    s.mtime = versions[path];
    return s;
  }
  bool ReadAll(const std::string& path, std::string* bytes) override {
    ++reads;
    auto it = files.find(path);
    if (it == files.end() || lockReads) return false;
    *bytes = it->second;
    return true;
  }
  bool Replace(const std::string& path, std::string_view bytes, const std::function<bool()>& stillSafe) override {
    ++replaceCalls;
    if (beforeMove) beforeMove();
    if (failReplace || (stillSafe && !stillSafe())) return false;
    Put(path, std::string(bytes));
    return true;
  }
  void Pause(int ms) override {
    paused += ms;
    if (whilePaused) whilePaused();
  }
  // An edit by someone else: new content and a new time stamp.
  void Put(const std::string& path, std::string content) {
    files[path] = std::move(content);
    ++versions[path];
  }

  std::map<std::string, std::string> files;
  std::map<std::string, uint64_t> versions;
  int replaceCalls = 0;
  int reads = 0;
  int stamps = 0;
  bool failReplace = false;
  std::function<void()> beforeMove;
  std::function<void()> whilePaused;  // someone else's file coming back
  int paused = 0;  // someone else's write racing the move
  bool lockReads = false;
};

}  // namespace dz::test
