#include "core/safe_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace lumora {

namespace {

std::string Reason(int err) { return std::strerror(err); }

std::string BaseOf(const std::string& path) {
  std::size_t s = path.rfind('/');
  return s == std::string::npos ? path : path.substr(s + 1);
}

std::string TempPrefix(const std::string& path) { return "." + BaseOf(path) + ".saving-"; }

// Writes everything, retrying short writes and interrupted calls.
bool WriteAll(int fd, const char* p, std::size_t n) {
  while (n > 0) {
    ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += w;
    n -= static_cast<std::size_t>(w);
  }
  return true;
}

// The new file keeps the old one's permissions, or the usual ones for a new
// file.
// The umask is read once, before any thread runs: reading it means setting
// it, which would race with files other threads create.
const mode_t kUmask = [] {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}();

mode_t ModeFor(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return st.st_mode & 07777;
  return 0666 & ~kUmask;
}

// Six characters that differ between calls and processes.
std::string UniqueSuffix() {
  static std::atomic<uint64_t> counter{0};
  uint64_t x = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
               (static_cast<uint64_t>(::getpid()) << 32) ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string s;
  for (int i = 0; i < 6; ++i) {
    x ^= x >> 29;
    x *= 0xBF58476D1CE4E5B9ull;
    s += kChars[x % 62];
  }
  return s;
}

void SyncFolder(const std::string& folder) {
  int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    (void)::fsync(dfd);
    ::close(dfd);
  }
}

}  // namespace

std::string FolderOf(const std::string& path) {
  std::size_t s = path.rfind('/');
  if (s == std::string::npos) return ".";
  if (s == 0) return "/";
  return path.substr(0, s);
}

AtomicWrite::~AtomicWrite() { discard(); }

void AtomicWrite::discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!tmpName_.empty()) ::unlink(tmpName_.c_str());
  tmpName_.clear();
}

std::string AtomicWrite::prepare(const std::string& path, const std::string& bytes) {
  discard();
  if (path.empty() || BaseOf(path).empty()) return "no file name";
  path_ = path;
  folder_ = FolderOf(path);
  RemoveStaleSaveTemps(path);
  const mode_t mode = ModeFor(path);
  // An unnamed file first: a kill before the commit leaves nothing behind.
  int fd = ::open(folder_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
  if (fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return Reason(errno);
  if (fd < 0) {
    // This file system has no unnamed files: a hidden named one, which the
    // next save or load of this project removes if a kill leaves it.
    tmpName_ = folder_ + "/" + TempPrefix(path) + "XXXXXX";
    fd = ::mkstemp(tmpName_.data());
    if (fd < 0) {
      int e = errno;
      tmpName_.clear();
      return Reason(e);
    }
  }
  fd_ = fd;
  std::string err;
  if (::fchmod(fd_, mode) != 0) err = Reason(errno);
  if (err.empty() && !WriteAll(fd_, bytes.data(), bytes.size())) err = Reason(errno);
  if (err.empty() && ::fsync(fd_) != 0) err = Reason(errno);
  if (!err.empty()) discard();
  return err;
}

std::string AtomicWrite::commit() {
  if (fd_ < 0) return "nothing prepared";
  if (tmpName_.empty()) {
    // Give the unnamed file a hidden name, then rename it over the target
    // (linkat cannot replace an existing name).
    const std::string proc = "/proc/self/fd/" + std::to_string(fd_);
    int e = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string name = folder_ + "/" + TempPrefix(path_) + UniqueSuffix();
      if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
          ::linkat(fd_, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) {
        tmpName_ = name;
        e = 0;
        break;
      }
      e = errno;
      if (e != EEXIST) break;
    }
    if (tmpName_.empty()) {
      discard();
      return Reason(e ? e : EEXIST);
    }
  }
  std::string err;
  if (::close(fd_) != 0) err = Reason(errno);
  fd_ = -1;
  if (err.empty() && ::rename(tmpName_.c_str(), path_.c_str()) != 0) err = Reason(errno);
  if (!err.empty()) {
    discard();
    return err;
  }
  tmpName_.clear();
  // Make the rename itself durable.
  SyncFolder(folder_);
  return {};
}

std::string WriteFileAtomically(const std::string& path, const std::string& bytes) {
  AtomicWrite w;
  std::string err = w.prepare(path, bytes);
  if (!err.empty()) return err;
  return w.commit();
}

int RemoveStaleSaveTemps(const std::string& path) {
  const std::string folder = FolderOf(path);
  const std::string prefix = TempPrefix(path);
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return 0;
  int removed = 0;
  while (dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    // Only "PREFIX" + six characters, the shape this code makes.
    if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
    if (::unlink((folder + "/" + name).c_str()) == 0) ++removed;
  }
  ::closedir(dir);
  return removed;
}

int RemoveStaleSaveTempsIn(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return 0;
  static const std::string kMark = ".saving-";
  int removed = 0;
  while (dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    const std::size_t at = name.rfind(kMark);
    if (name.empty() || name[0] != '.' || at == std::string::npos || at + kMark.size() + 6 != name.size()) continue;
    if (::unlink((folder + "/" + name).c_str()) == 0) ++removed;
  }
  ::closedir(dir);
  return removed;
}

}  // namespace lumora
