#ifndef _WIN32
#include "core/posix_fs.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace dz {
namespace {

std::string Parent(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return std::string();
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool MakeDirs(const std::string& dir) {
  if (dir.empty()) return true;
  struct stat st;
  if (stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  std::string up = Parent(dir);
  if (up != dir && !MakeDirs(up)) return false;
  return mkdir(dir.c_str(), 0777) == 0 || errno == EEXIST;
}

bool WriteFully(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

FileStamp PosixFileSystem::Stamp(const std::string& path) {
  FileStamp s;
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    // Only a file known to be missing reads as empty; anything else counts
    // as present, so the failing read that follows stops writes over it.
    s.exists = errno != ENOENT && errno != ENOTDIR;
    return s;
  }
  if (!S_ISREG(st.st_mode)) return s;
  s.exists = true;
  s.size = static_cast<uint64_t>(st.st_size);
  s.mtime = static_cast<uint64_t>(st.st_mtim.tv_sec) * 1000000000u + static_cast<uint64_t>(st.st_mtim.tv_nsec);
  s.id = static_cast<uint64_t>(st.st_ino);
  return s;
}

bool PosixFileSystem::ReadAll(const std::string& path, std::string* bytes) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  std::string out;
  char buf[65536];
  bool ok = true;
  for (;;) {
    ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    out.append(buf, static_cast<size_t>(n));
  }
  close(fd);
  if (ok) bytes->swap(out);
  return ok;
}

bool PosixFileSystem::Replace(const std::string& path, std::string_view bytes, const std::function<bool()>& stillSafe) {
  std::string dir = Parent(path);
  if (!MakeDirs(dir)) return false;
  std::string tmp = path + ".XXXXXX";
  int fd = mkstemp(&tmp[0]);
  if (fd < 0) return false;
  // mkstemp creates 0600; keep the mode of the file being replaced.
  struct stat st;
  mode_t mode = 0644;
  if (stat(path.c_str(), &st) == 0) mode = st.st_mode & 07777;
  bool ok = fchmod(fd, mode) == 0 && WriteFully(fd, bytes) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  if (ok && stillSafe && !stillSafe()) ok = false;
  if (ok) ok = rename(tmp.c_str(), path.c_str()) == 0;
  if (!ok) {
    unlink(tmp.c_str());
    return false;
  }
  // Make the rename itself durable.
  int dfd = open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    fsync(dfd);
    close(dfd);
  }
  return true;
}

void PosixFileSystem::Pause(int ms) {
  const struct timespec t = {ms / 1000, (ms % 1000) * 1000000L};
  nanosleep(&t, nullptr);
}

}  // namespace dz
#endif
