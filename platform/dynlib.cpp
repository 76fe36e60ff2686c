#include "platform/dynlib.h"

#include <dlfcn.h>
#include <unistd.h>

#include <array>

namespace lumora {

DynLib::~DynLib() {
  if (handle_) dlclose(handle_);
}

bool DynLib::load() {
  if (handle_) return true;
  handle_ = dlopen(file_.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_ && file_.find('/') == std::string::npos) {
    // A bare name the dynamic linker does not find: look beside the program
    // (build tree) and in the lib folder of its prefix (an installed desk).
    const std::string dir = ProgramDirectory();
    for (const std::string& p : {dir + "/" + file_, dir + "/corvex/" + file_, dir + "/../lib/" + file_}) {
      if (dir.empty()) break;
      handle_ = dlopen(p.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (handle_) break;
    }
  }
  return handle_ != nullptr;
}

void* DynLib::symbol(const char* name) { return load() ? dlsym(handle_, name) : nullptr; }

std::string ProgramDirectoryFor(const std::string& exeDir) {
#if defined(LUMORA_HELPER_SUBDIR) && defined(LUMORA_BIN_SUBDIR)
  const std::string helpers = "/" LUMORA_HELPER_SUBDIR;
  if (exeDir.size() > helpers.size() && exeDir.compare(exeDir.size() - helpers.size(), helpers.size(), helpers) == 0)
    return exeDir.substr(0, exeDir.size() - helpers.size()) + "/" LUMORA_BIN_SUBDIR;
#endif
  return exeDir;
}

std::string ProgramDirectory() {
  std::array<char, 4096> buf{};
  const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return "";
  std::string p(buf.data(), static_cast<std::size_t>(n));
  const auto slash = p.rfind('/');
  return slash == std::string::npos ? "" : ProgramDirectoryFor(p.substr(0, slash));
}

}  // namespace lumora
