#include "project/project_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/desk_base.h"
#include "project/project_menus.h"
#include "project/show_keeper.h"
#include "project/user_settings.h"

namespace lumora {

namespace {
std::string Reason(int err) { return std::strerror(err); }

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

std::string TodayText() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900);
  return buf;
}

std::string OpenStartupProject(DeskBase& desk, const std::string& projectOption) {
  if (ShowKeeper* k = ShowKeeper::of(desk)) return k->openAtStart(projectOption);
  return projectOption.empty() ? "" : LoadProjectFile(desk, projectOption);
}

void UseUserFolders(DeskOptions& opts) {
  opts.stateFolder = UserStateFolder();
  opts.configFolder = UserConfigFolder();
}

std::string LoadProjectFile(DeskBase& desk, const std::string& path) {
  return LoadProject(desk, path, /*redraw=*/true);
}

}  // namespace lumora
