#include "app/launch/sibling_program.h"

#include <limits.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

namespace lumora {

SiblingSearch FindSiblingProgram(const std::string& name, const std::string& selfPath) {
  namespace fs = std::filesystem;
  SiblingSearch s;
  auto add = [&s, &name](const fs::path& folder) {
    std::string f = folder.lexically_normal().string();
    while (f.size() > 1 && f.back() == '/') f.pop_back();
    if (f.empty() || std::find(s.folders.begin(), s.folders.end(), f) != s.folders.end()) return;
    s.folders.push_back(f);
    s.candidates.push_back(f + "/" + name);
  };
  const fs::path self(selfPath);
  if (self.has_parent_path() && self.is_absolute()) {
    add(self.parent_path());
#ifdef LUMORA_HELPERS_FROM_BIN
    add(self.parent_path() / LUMORA_HELPERS_FROM_BIN);
#endif
  }
#ifdef LUMORA_LIBEXEC_DIR
  add(LUMORA_LIBEXEC_DIR);
#endif
  return s;
}

std::string OwnProgramPath() {
  char self[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  return n > 0 ? std::string(self, static_cast<std::size_t>(n)) : std::string();
}

}  // namespace lumora
