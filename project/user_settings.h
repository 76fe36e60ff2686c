// The operator's own settings, kept between runs: the preferences and the
// recent projects. The desk sees them through a small store interface; one
// plain file serves the GUI and the headless desk alike, so both share the
// same recent list.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace lumora {

struct UserSettings {
  int autosaveMinutes = 2;   // 0 = no autosave
  int backupCount = 5;       // 0 = no numbered backups
  bool openLastAtStart = false;
  std::vector<std::string> recent;  // newest first
  // The desk's sACN source: its CID (UUID text, made once) and a name that
  // replaces the default "Lumora on <hostname>" ("" = the default).
  std::string sacnCid;
  std::string sacnSourceName;
};

inline constexpr int kMaxAutosaveMinutes = 999;
inline constexpr int kMaxBackupCount = 99;
inline constexpr std::size_t kMaxRecentProjects = 8;

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual UserSettings load() = 0;
  // Returns "" or a short reason.
  virtual std::string save(const UserSettings& s) = 0;
};

// "key=value" lines in `path`; an empty path keeps the settings in memory
// only (tests, a desk without a user folder).
std::unique_ptr<SettingsStore> MakeFileSettingsStore(const std::string& path);

// The text of the settings file and back; unknown keys and bad values are
// ignored, so a newer file never stops an older desk.
std::string SettingsText(const UserSettings& s);
UserSettings ParseSettings(const std::string& text);

// A whole number of at most six digits in lo..hi, with nothing around it but
// blanks (a settings value, a preference typed in a box).
bool ParseSettingNumber(const std::string& text, int lo, int hi, int& out);

// $XDG_STATE_HOME/lumora (default ~/.local/state/lumora) and
// $XDG_CONFIG_HOME/lumora (default ~/.config/lumora); "" when neither the
// variable nor HOME is set.
std::string UserStateFolder();
std::string UserConfigFolder();

}  // namespace lumora
