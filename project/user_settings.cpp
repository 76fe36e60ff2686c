#include "project/user_settings.h"

#include <cstdlib>
#include <filesystem>

#include "core/safe_file.h"
#include "project/project_io.h"

namespace lumora {

namespace {

std::string XdgFolder(const char* var, const char* fallback) {
  const char* v = std::getenv(var);
  // Relative values are invalid by the base-directory rules and ignored.
  if (v && v[0] == '/') return std::string(v) + "/lumora";
  const char* home = std::getenv("HOME");
  if (!home || !home[0]) return {};
  return std::string(home) + "/" + fallback + "/lumora";
}

class FileSettingsStore : public SettingsStore {
 public:
  explicit FileSettingsStore(std::string path) : path_(std::move(path)) {}
  UserSettings load() override {
    if (path_.empty()) return memory_;
    std::string text;
    if (!ReadWholeFile(path_, text).empty()) return {};
    return ParseSettings(text);
  }
  std::string save(const UserSettings& s) override {
    if (path_.empty()) {
      memory_ = s;
      return {};
    }
    std::error_code ec;
    std::filesystem::create_directories(FolderOf(path_), ec);
    return WriteFileAtomically(path_, SettingsText(s));
  }

 private:
  std::string path_;
  UserSettings memory_;
};

}  // namespace

std::string SettingsText(const UserSettings& s) {
  std::string t = "# Lumora settings\n";
  t += "autosave_minutes=" + std::to_string(s.autosaveMinutes) + "\n";
  t += "backup_count=" + std::to_string(s.backupCount) + "\n";
  t += std::string("open_last_at_start=") + (s.openLastAtStart ? "1" : "0") + "\n";
  for (const auto& p : s.recent) t += "recent=" + p + "\n";
  if (!s.sacnCid.empty()) t += "sacn_cid=" + s.sacnCid + "\n";
  if (!s.sacnSourceName.empty()) t += "sacn_source_name=" + s.sacnSourceName + "\n";
  return t;
}

UserSettings ParseSettings(const std::string& text) {
  UserSettings s;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t nl = text.find('\n', pos);
    std::string line = text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
    pos = nl == std::string::npos ? text.size() : nl + 1;
    std::size_t eq = line.find('=');
    if (line.empty() || line[0] == '#' || eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq);
    const std::string value = line.substr(eq + 1);
    int n = 0;
    if (key == "autosave_minutes" && ParseSettingNumber(value, 0, kMaxAutosaveMinutes, n)) s.autosaveMinutes = n;
    else if (key == "backup_count" && ParseSettingNumber(value, 0, kMaxBackupCount, n)) s.backupCount = n;
    else if (key == "open_last_at_start") s.openLastAtStart = value == "1";
    else if (key == "recent" && !value.empty() && s.recent.size() < kMaxRecentProjects) s.recent.push_back(value);
    else if (key == "sacn_cid") s.sacnCid = value;
    else if (key == "sacn_source_name") s.sacnSourceName = value;
  }
  return s;
}

std::unique_ptr<SettingsStore> MakeFileSettingsStore(const std::string& path) {
  return std::make_unique<FileSettingsStore>(path);
}

std::string UserStateFolder() { return XdgFolder("XDG_STATE_HOME", ".local/state"); }
std::string UserConfigFolder() { return XdgFolder("XDG_CONFIG_HOME", ".config"); }

bool ParseSettingNumber(const std::string& text, int lo, int hi, int& out) {
  const std::size_t b = text.find_first_not_of(' ');
  if (b == std::string::npos) return false;
  const std::string t = text.substr(b, text.find_last_not_of(' ') - b + 1);
  if (t.size() > 6) return false;
  int v = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v < lo || v > hi) return false;
  out = v;
  return true;
}

}  // namespace lumora
