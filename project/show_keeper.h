// What keeps a show from being lost: the autosave of a changed desk, the
// recovery question at start, the numbered backups of the project file and
// the recent projects, with the preferences that steer them. One per desk,
// owned by it; the main desk's file menus and the hosts call in here.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/form.h"
#include "project/user_settings.h"

namespace lumora {

class DeskBase;

class ShowKeeper {
 public:
  explicit ShowKeeper(DeskBase& d);
  ~ShowKeeper();
  ShowKeeper(const ShowKeeper&) = delete;
  ShowKeeper& operator=(const ShowKeeper&) = delete;

  // The desk's keeper (null only while the desk is being made).
  static ShowKeeper* of(DeskBase& d);

  // --- preferences (each change is stored at once, unless held) ---
  // While held, changes are stored at the release instead (or at the end of
  // the desk): a headless start sends its first frame before it waits for
  // the disk to take the recent-projects list.
  void holdStores();
  void releaseStores();
  const UserSettings& settings() const { return settings_; }
  // Return "" or the reason the value was refused.
  std::string setAutosaveMinutes(int minutes);
  std::string setBackupCount(int count);
  void setOpenLastAtStart(bool on);
  // The sACN source's CID, made once by the sACN output and kept here.
  void setSacnCid(const std::string& cid);

  // --- autosave ---
  // Where the current project's autosave goes ("" without a state folder).
  std::string autosavePath() const;
  // The autosave file of a project path ("" = the unnamed project).
  static std::string AutosaveFileFor(const std::string& stateFolder, const std::string& projectPath);
  // Waits until the worker has written everything handed to it (tests,
  // the soak script's checks, the end of the desk).
  void flush();
  // A desk stopped without asking (a service's stop signal) while work is
  // unsaved: writes the autosave now and keeps it for the next start.
  // Returns the autosave file, or "" when nothing was unsaved or autosave is
  // off.
  std::string keepUnsavedWork();

  // --- hooks of the file menus ---
  // A whole-project save to `path` succeeded.
  void wholeSaveDone(const std::string& path);
  // A project file was loaded from `path`.
  void projectLoaded(const std::string& path);

  // --- recent projects (newest first, at most 8) ---
  const std::vector<std::string>& recent() const { return settings_.recent; }
  void remember(const std::string& path);
  // Captions, visibility and the greyed-out state of the menu items.
  void refreshRecentMenu();

  // --- start ---
  // Opens the project given on the command line (or, with the option, the
  // last one), then offers to recover unsaved work. Returns "" or the reason
  // the project could not be loaded (the caller reports it).
  std::string openAtStart(const std::string& projectOption);

 private:
  struct Job {
    bool remove = false;
    std::string file;         // the autosave file
    std::string bytes;
    std::string projectPath;  // written beside it, so a start can find it
  };
  void poll();
  void autosave();
  void post(Job job);
  void work(const Job& job);
  void workerLoop();
  void openRecent(int i);
  void store();
  void offerRecovery(const std::string& target, bool anyProject);

  DeskBase& d_;
  std::unique_ptr<SettingsStore> store_;
  UserSettings settings_;
  std::string stateFolder_;
  Timer timer_;
  ControlArray recentMenu_;
  Control preferencesMenu_;
  int64_t dueAt_ = -1;  // when the changed desk is autosaved next; -1 = unchanged
  // Autosave files written since the last load: removed by a save or a
  // clean exit. Others stay aside for a later start to offer.
  std::set<std::string> lineage_;
  bool loadingForRecovery_ = false;
  bool keepLineage_ = false;  // the end keeps this run's autosaves
  bool storesHeld_ = false;
  bool storePending_ = false;  // a change made while held, not yet stored

  std::thread worker_;
  std::mutex m_;
  std::condition_variable cv_;
  std::deque<Job> jobs_;
  bool busy_ = false;
  bool stop_ = false;
};

// Before a whole-project save: show.xml.(n-1) -> .n ... .1 -> .2, then the
// current file becomes .1 (a hard link, or a copy where links fail). The
// project file itself is never moved. Returns "" or a reason.
std::string RotateBackups(const std::string& path, int count);

}  // namespace lumora
