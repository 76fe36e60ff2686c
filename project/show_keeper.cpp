#include "project/show_keeper.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iostream>

#include "platform/desk_base.h"
#include "core/safe_file.h"
#include "playback/playdesk.h"
#include "project/project_format.h"
#include "project/project_io.h"
#include "project/project_menus.h"

namespace lumora {

namespace {

namespace fs = std::filesystem;

constexpr int kPollMs = 1000;
constexpr const char* kUnnamedFile = "autosave-unnamed.xml";

// Paths are compared as absolute, normalised text, so "show.xml" and
// "./show.xml" share one autosave.
std::string Absolute(const std::string& path) {
  std::error_code ec;
  fs::path p = fs::absolute(path, ec);
  if (ec) return path;
  return p.lexically_normal().string();
}

uint64_t Fnv1a(const std::string& s) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (unsigned char c : s) {
    h ^= c;
    h *= 0x100000001b3ull;
  }
  return h;
}

std::string SidecarOf(const std::string& autosaveFile) {
  return autosaveFile.substr(0, autosaveFile.size() - 4) + ".path";
}

bool ModifiedAt(const std::string& path, timespec& t) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  t = st.st_mtim;
  return true;
}

bool Newer(const timespec& a, const timespec& b) {
  return a.tv_sec != b.tv_sec ? a.tv_sec > b.tv_sec : a.tv_nsec > b.tv_nsec;
}

std::string TimeText(const timespec& t) {
  std::tm tm{};
  time_t secs = t.tv_sec;
  localtime_r(&secs, &tm);
  char buf[40];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d %02d:%02d", tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900,
                tm.tm_hour, tm.tm_min);
  return buf;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

ShowKeeper::ShowKeeper(DeskBase& d)
    : d_(d),
      store_(MakeFileSettingsStore(d.options().configFolder.empty() ? ""
                                                                    : d.options().configFolder + "/settings.conf")),
      settings_(store_->load()),
      stateFolder_(d.options().stateFolder),
      timer_(d.mainDesk().form, "Autosave_Timer"),
      recentMenu_(d.mainDesk().form, "Recent", Kind::Menu, static_cast<int>(kMaxRecentProjects)),
      preferencesMenu_(d.mainDesk().form, "Preferences", Kind::Menu) {
  timer_.setInterval(kPollMs);
  timer_.onTimer = [this] { poll(); };
  // Autosaving changes nothing the output tick mixes: the poll wakes no
  // resting timer, and with no change waiting it rests itself (a change
  // comes with the operator's act, which wakes it).
  timer_.passive = true;
  timer_.mayRest = [this] { return d_.state.ProjectChanged == 0 || settings_.autosaveMinutes <= 0; };
  timer_.setEnabled(!stateFolder_.empty() && settings_.autosaveMinutes > 0);
  recentMenu_.onClick([this](int i) { openRecent(i); });
  // What a desk killed in the middle of an autosave left behind.
  if (!stateFolder_.empty()) RemoveStaleSaveTempsIn(stateFolder_);
  preferencesMenu_.setCaption("Preferences...");
  refreshRecentMenu();
}

ShowKeeper::~ShowKeeper() {
  {
    std::lock_guard<std::mutex> lock(m_);
    stop_ = true;
  }
  cv_.notify_all();
  if (worker_.joinable()) worker_.join();
  releaseStores();
  // A clean exit (nothing unsaved, or the operator let it go) leaves no
  // autosave of its own behind; a desk that ends any other way, or with work
  // nobody confirmed dropping (end of input), keeps them for the next start.
  if (d_.ended() && d_.state.ProjectChanged == 0 && !keepLineage_)
    for (const auto& f : lineage_) work(Job{true, f, {}, {}});
}

std::string ShowKeeper::keepUnsavedWork() {
  if (d_.state.ProjectChanged == 0 || settings_.autosaveMinutes <= 0) return {};
  const std::string file = autosavePath();
  if (file.empty()) return {};
  autosave();
  flush();
  keepLineage_ = true;
  return file;
}

ShowKeeper* ShowKeeper::of(DeskBase& d) { return d.owned<ShowKeeper>(); }

void ShowKeeper::holdStores() { storesHeld_ = true; }

void ShowKeeper::releaseStores() {
  storesHeld_ = false;
  if (storePending_) store();
}

void ShowKeeper::store() {
  storePending_ = storesHeld_;
  if (storesHeld_) return;
  std::string err = store_->save(settings_);
  if (!err.empty()) std::cerr << "lumora: the settings could not be stored (" << err << ")\n";
}

std::string ShowKeeper::setAutosaveMinutes(int minutes) {
  if (minutes < 0 || minutes > kMaxAutosaveMinutes) return "value out of range";
  settings_.autosaveMinutes = minutes;
  timer_.setEnabled(!stateFolder_.empty() && minutes > 0);
  dueAt_ = -1;
  store();
  return {};
}

std::string ShowKeeper::setBackupCount(int count) {
  if (count < 0 || count > kMaxBackupCount) return "value out of range";
  settings_.backupCount = count;
  store();
  return {};
}

void ShowKeeper::setOpenLastAtStart(bool on) {
  settings_.openLastAtStart = on;
  store();
}

void ShowKeeper::setSacnCid(const std::string& cid) {
  settings_.sacnCid = cid;
  store();
}

// --- autosave ----------------------------------------------------------------

std::string ShowKeeper::AutosaveFileFor(const std::string& stateFolder, const std::string& projectPath) {
  if (stateFolder.empty()) return {};
  if (projectPath.empty()) return stateFolder + "/" + kUnnamedFile;
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(Fnv1a(Absolute(projectPath))));
  return stateFolder + "/autosave-" + hex + ".xml";
}

std::string ShowKeeper::autosavePath() const { return AutosaveFileFor(stateFolder_, d_.state.ProjectPath); }

void ShowKeeper::poll() {
  const int64_t now = d_.scheduler().now();
  if (d_.state.ProjectChanged == 0 || settings_.autosaveMinutes <= 0) {
    dueAt_ = -1;
    return;
  }
  const int64_t period = static_cast<int64_t>(settings_.autosaveMinutes) * 60000;
  // The change happened at most one poll ago; counting from here never
  // saves before the full period.
  if (dueAt_ < 0) dueAt_ = now + period;
  if (now < dueAt_) return;
  autosave();
  dueAt_ = now + period;
}

void ShowKeeper::autosave() {
  const DeskState& s = d_.state;
  Job job;
  job.file = autosavePath();
  if (job.file.empty()) return;
  job.projectPath = s.ProjectPath.empty() ? "" : Absolute(s.ProjectPath);
  // Only the snapshot is taken here; the disk work is the worker's.
  job.bytes = WriteWholeProject(s, s.ProjectDate.empty() ? TodayText() : s.ProjectDate);
  lineage_.insert(job.file);
  post(std::move(job));
}

void ShowKeeper::post(Job job) {
  if (d_.scheduler().manual()) {
    // The manual clock runs everything in line, so tests see the file at
    // once.
    work(job);
    return;
  }
  {
    std::lock_guard<std::mutex> lock(m_);
    // A newer snapshot of the same file replaces one not yet written.
    for (auto& j : jobs_)
      if (j.file == job.file && !j.remove && !job.remove) {
        j = std::move(job);
        cv_.notify_all();
        return;
      }
    jobs_.push_back(std::move(job));
  }
  if (!worker_.joinable()) worker_ = std::thread([this] { workerLoop(); });
  cv_.notify_all();
}

void ShowKeeper::workerLoop() {
  std::unique_lock<std::mutex> lock(m_);
  while (true) {
    cv_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
    if (jobs_.empty()) return;  // stopping with nothing left to do
    Job job = std::move(jobs_.front());
    jobs_.pop_front();
    busy_ = true;
    lock.unlock();
    work(job);
    lock.lock();
    busy_ = false;
    cv_.notify_all();
  }
}

void ShowKeeper::flush() {
  std::unique_lock<std::mutex> lock(m_);
  cv_.wait(lock, [this] { return (jobs_.empty() && !busy_) || !worker_.joinable(); });
}

// Runs on the worker (or in line); touches no desk table.
void ShowKeeper::work(const Job& job) {
  if (job.remove) {
    ::unlink(job.file.c_str());
    ::unlink(SidecarOf(job.file).c_str());
    return;
  }
  std::error_code ec;
  fs::create_directories(FolderOf(job.file), ec);
  std::string err;
  if (!job.projectPath.empty()) {
    std::string old;
    if (!ReadWholeFile(SidecarOf(job.file), old).empty() || old != job.projectPath)
      err = WriteFileAtomically(SidecarOf(job.file), job.projectPath);
  }
  if (err.empty()) err = WriteFileAtomically(job.file, job.bytes);
  // Never a dialog in the middle of a show: the log only.
  if (!err.empty()) std::cerr << "lumora: autosave to " << job.file << " failed (" << err << ")\n";
}

// --- hooks of the file menus -----------------------------------------------

void ShowKeeper::wholeSaveDone(const std::string& path) {
  std::set<std::string> gone = std::move(lineage_);
  lineage_.clear();
  const std::string own = AutosaveFileFor(stateFolder_, path);
  if (!own.empty()) gone.insert(own);
  for (const auto& f : gone) post(Job{true, f, {}, {}});
  dueAt_ = -1;
  remember(path);
}

void ShowKeeper::projectLoaded(const std::string& path) {
  if (loadingForRecovery_) return;
  // The unsaved work of the project loaded over stays aside.
  lineage_.clear();
  dueAt_ = -1;
  remember(path);
}

// --- recent projects -----------------------------------------------------------

void ShowKeeper::remember(const std::string& path) {
  if (path.empty()) return;
  const std::string abs = Absolute(path);
  auto& r = settings_.recent;
  std::erase(r, abs);
  r.insert(r.begin(), abs);
  if (r.size() > kMaxRecentProjects) r.resize(kMaxRecentProjects);
  store();
  refreshRecentMenu();
}

void ShowKeeper::refreshRecentMenu() {
  const auto& r = settings_.recent;
  for (int i = 0; i < recentMenu_.size(); ++i) {
    Control& c = recentMenu_[i];
    const bool used = static_cast<std::size_t>(i) < r.size();
    c.setVisible(used);
    c.setCaption(used ? "&" + std::to_string(i + 1) + " " + r[static_cast<std::size_t>(i)] : "");
    // A file that has gone stays listed, greyed out.
    c.setEnabled(used && Exists(r[static_cast<std::size_t>(i)]));
  }
}

void ShowKeeper::openRecent(int i) {
  refreshRecentMenu();
  if (i < 0 || static_cast<std::size_t>(i) >= settings_.recent.size()) return;
  const std::string path = settings_.recent[static_cast<std::size_t>(i)];
  std::string err = LoadProject(d_, path, true);
  if (!err.empty()) {
    d_.dialogs().Message(" The file " + path + " could not be loaded (" + err + "). Nothing was changed.",
                         " Load Error", MsgIcon::Exclamation);
    d_.mainDesk().Status.setText(" Load Failed ");
    d_.window<Playdesk>().Status.setText(" Load Failed");
  }
}

// --- start -----------------------------------------------------------------

std::string ShowKeeper::openAtStart(const std::string& projectOption) {
  std::string target = projectOption;
  if (target.empty() && settings_.openLastAtStart && !settings_.recent.empty() && Exists(settings_.recent.front()))
    target = settings_.recent.front();
  std::string err;
  if (!target.empty()) {
    err = LoadProject(d_, target, true);
    // A project that cannot be read is still the one the operator asked
    // for: its unsaved work is what to offer.
    if (!err.empty()) remember(target);
  }
  offerRecovery(target, target.empty());
  return err;
}

void ShowKeeper::offerRecovery(const std::string& target, bool anyProject) {
  if (stateFolder_.empty()) return;
  struct Candidate {
    std::string file, project;
    timespec at{};
  };
  std::vector<Candidate> found;
  auto consider = [&](const std::string& file, const std::string& project) {
    Candidate c{file, project, {}};
    if (!ModifiedAt(file, c.at)) return;
    timespec projectAt{};
    if (!project.empty() && ModifiedAt(project, projectAt) && !Newer(c.at, projectAt)) return;
    found.push_back(c);
  };
  if (!anyProject) {
    consider(AutosaveFileFor(stateFolder_, target), Absolute(target));
  } else {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(stateFolder_, ec)) {
      const std::string name = e.path().filename().string();
      if (name.rfind("autosave-", 0) != 0 || e.path().extension() != ".xml") continue;
      if (name == kUnnamedFile) {
        consider(e.path().string(), "");
        continue;
      }
      std::string project;
      if (ReadWholeFile(SidecarOf(e.path().string()), project).empty() && !project.empty())
        consider(e.path().string(), project);
    }
  }
  if (found.empty()) return;
  const Candidate* best = &found.front();
  for (const auto& c : found)
    if (Newer(c.at, best->at)) best = &c;
  const std::string title =
      best->project.empty() ? " Recover Unsaved Work" : " Recover Unsaved Work - " + fs::path(best->project).filename().string();
  // Cancel is "not now": the file stays until this project's next autosave.
  if (d_.dialogs().MsgBox(" Recover unsaved work from " + TimeText(best->at) + "?", title, MsgButtons::OkCancel,
                          MsgIcon::Question, MsgResult::Cancel) != MsgResult::Ok)
    return;
  loadingForRecovery_ = true;
  std::string err = LoadProject(d_, best->file, true);
  loadingForRecovery_ = false;
  if (!err.empty()) {
    d_.dialogs().Message(" The unsaved work could not be read (" + err + "). It is kept in " + best->file + ".",
                         " Load Error", MsgIcon::Exclamation);
    return;
  }
  DeskState& s = d_.state;
  s.ProjectPath = best->project;
  s.ProjectFileName = best->project.empty() ? "untitled" : best->project;
  s.ProjectChanged = -1;
  lineage_.clear();
  lineage_.insert(best->file);
  dueAt_ = -1;
  if (!best->project.empty()) remember(best->project);
  d_.mainDesk().Status.setText(" Unsaved Work Recovered ");
  d_.window<Playdesk>().Status.setText(" Unsaved Work Recovered");
}

// --- backups ----------------------------------------------------------------

std::string RotateBackups(const std::string& path, int count) {
  if (count <= 0 || !Exists(path)) return {};
  auto numbered = [&](int n) { return path + "." + std::to_string(n); };
  // Oldest first, so no backup is overwritten before it has moved on.
  for (int n = count - 1; n >= 1; --n) {
    if (!Exists(numbered(n))) continue;
    if (::rename(numbered(n).c_str(), numbered(n + 1).c_str()) != 0) return std::strerror(errno);
  }
  // A second name for the current file, then that name over ".1": the
  // project file itself is never moved, so it exists at every moment.
  const std::string link = FolderOf(path) + "/." + fs::path(path).filename().string() + ".saving-backup";
  ::unlink(link.c_str());
  if (::link(path.c_str(), link.c_str()) == 0) {
    if (::rename(link.c_str(), numbered(1).c_str()) == 0) return {};
    int e = errno;
    ::unlink(link.c_str());
    return std::strerror(e);
  }
  std::string bytes;
  std::string err = ReadWholeFile(path, bytes);
  if (err.empty()) err = WriteFileAtomically(numbered(1), bytes);
  return err;
}

}  // namespace lumora
