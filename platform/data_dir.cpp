#include "platform/data_dir.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/dynlib.h"

namespace lumora {

namespace fs = std::filesystem;

namespace {
bool IsFolder(const fs::path& p) {
  std::error_code ec;
  return fs::is_directory(p, ec);
}
}  // namespace

std::string FindSharedDataDirectory(const std::string& programDir, const char* envValue) {
  // An explicit folder wins even when it is missing: falling back silently
  // would hide the mistake.
  if (envValue && *envValue) return IsFolder(envValue) ? fs::path(envValue).lexically_normal().string() : "";
  if (programDir.empty()) return "";
  for (const char* rel : {"../share/lumora", "share/lumora"}) {
    const fs::path p = (fs::path(programDir) / rel).lexically_normal();
    if (IsFolder(p)) return p.string();
  }
  return "";
}

std::string SharedDataDirectory() {
  return FindSharedDataDirectory(ProgramDirectory(), std::getenv("LUMORA_DATA_DIR"));
}

std::string DemoShowFile() {
  const std::string dir = SharedDataDirectory();
  if (dir.empty()) return "";
  const fs::path f = fs::path(dir) / "demo" / "demo_show.xml";
  std::error_code ec;
  return fs::is_regular_file(f, ec) ? f.string() : "";
}

}  // namespace lumora
