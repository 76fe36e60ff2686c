#include "project/project_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "app/desk.h"
#include "project/project_menus.h"

namespace lumora {

namespace {
std::string Reason(int err) { return std::strerror(err); }

std::string FolderOf(const std::string& path) {
  std::size_t s = path.rfind('/');
  if (s == std::string::npos) return ".";
  if (s == 0) return "/";
  return path.substr(0, s);
}

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
}  // namespace

std::string ReadWholeFile(const std::string& path, std::string& out) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Reason(errno);
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    int e = errno;
    ::close(fd);
    return Reason(e);
  }
  if (S_ISDIR(st.st_mode)) {
    ::close(fd);
    return "it is a folder";
  }
  std::string data;
  char buf[65536];
  while (true) {
    ssize_t r = ::read(fd, buf, sizeof buf);
    if (r < 0) {
      if (errno == EINTR) continue;
      int e = errno;
      ::close(fd);
      return Reason(e);
    }
    if (r == 0) break;
    if (data.size() + static_cast<std::size_t>(r) > kMaxProjectFileBytes) {
      ::close(fd);
      return "the file is too large for a project";
    }
    data.append(buf, static_cast<std::size_t>(r));
  }
  ::close(fd);
  out = std::move(data);
  return {};
}

std::string WriteFileAtomically(const std::string& path, const std::string& bytes) {
  if (path.empty()) return "no file name";
  const std::string folder = FolderOf(path);
  std::string base = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
  if (base.empty()) return "no file name";
  std::string tmp = folder + "/." + base + ".saving-XXXXXX";
  int fd = ::mkstemp(tmp.data());
  if (fd < 0) return Reason(errno);
  // The new file keeps the old one's permissions, or the usual ones for a
  // new file.
  struct stat st {};
  mode_t mode;
  if (::stat(path.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  std::string err;
  if (::fchmod(fd, mode) != 0) err = Reason(errno);
  if (err.empty() && !WriteAll(fd, bytes.data(), bytes.size())) err = Reason(errno);
  if (err.empty() && ::fsync(fd) != 0) err = Reason(errno);
  if (::close(fd) != 0 && err.empty()) err = Reason(errno);
  if (err.empty() && ::rename(tmp.c_str(), path.c_str()) != 0) err = Reason(errno);
  if (!err.empty()) {
    ::unlink(tmp.c_str());
    return err;
  }
  // Make the rename itself durable.
  int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    (void)::fsync(dfd);
    ::close(dfd);
  }
  return {};
}

std::string TodayText() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900);
  return buf;
}

std::string LoadProjectFile(Desk& desk, const std::string& path) {
  return LoadProject(desk, path, /*redraw=*/true);
}

}  // namespace lumora
