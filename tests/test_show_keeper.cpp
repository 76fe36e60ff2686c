// Autosave, recovery at start, numbered backups, recent projects and the
// preferences, driven through the console on the manual clock. Every desk
// here has its own state and config folders; HOME and the XDG variables point
// into the test's folder, so nothing touches a real home.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>

#include "app/console.h"
#include "app/desk.h"
#include "core/scheduler.h"
#include "desk/hoofdblad.h"
#include "project/project_format.h"
#include "project/project_io.h"
#include "project/show_keeper.h"

#include "tests/desk_fixture.h"
#include "tests/support/file_text.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;

using testing::Slurp;
using testing::Spit;
// Sets a file's modification time `secondsAgo` in the past.
void Age(const fs::path& p, int secondsAgo) {
  fs::last_write_time(p, fs::file_time_type::clock::now() - std::chrono::seconds(secondsAgo));
}

class ShowKeeperTest : public testing::DeskTest {
 protected:
  ShowKeeperTest() {
    char tmpl[] = "/tmp/lumora-keep-XXXXXX";
    dir = mkdtemp(tmpl);
    for (const char* var : kVars) {
      const char* v = std::getenv(var);
      saved.emplace_back(v ? std::optional<std::string>(v) : std::nullopt);
    }
    setenv("HOME", (dir / "home").c_str(), 1);
    setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    start();
  }
  ~ShowKeeperTest() override {
    console.reset();
    desk.reset();
    for (std::size_t i = 0; i < saved.size(); ++i) {
      if (saved[i]) setenv(kVars[i], saved[i]->c_str(), 1);
      else unsetenv(kVars[i]);
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  static constexpr const char* kVars[] = {"HOME", "XDG_STATE_HOME", "XDG_CONFIG_HOME"};
  std::vector<std::optional<std::string>> saved;
  // A fresh desk on the same user folders, as the next run of the program.
  void start() {
    DeskOptions o;
    o.manualClock = true;
    o.sim = true;
    UseUserFolders(o);
    restart(o);
  }
  // The host's start: the project option and the recovery question.
  void openAtStart(const std::string& project) {
    OpenStartupProject(*desk, project);
    auto ev = dialogs.takeEvents();
    lastEvents.assign(ev.begin(), ev.end());
  }
  std::string autosavePath() {
    std::string q = get("Autosave.Path");
    return q.size() >= 2 ? q.substr(1, q.size() - 2) : q;
  }
  bool sawEvent(const std::string& part) const {
    for (const auto& e : lastEvents)
      if (e.find(part) != std::string::npos) return true;
    return false;
  }
  std::string path(const std::string& name) const { return (dir / name).string(); }
  // A project file of its own name, written as the desk writes one.
  void writeShow(const std::string& file, const std::string& name) {
    DeskState s;
    DeskInitTables(s);
    s.ProjectName = name;
    Spit(file, WriteWholeProject(s, "01/01/2027"));
  }
  std::string quoted(const std::string& t) { return "\"" + t + "\""; }

  fs::path dir;
};

TEST_F(ShowKeeperTest, AChangedDeskIsAutosavedAfterTwoMinutesAndNotBefore) {
  EXPECT_EQ(get("AutosaveMinutes"), "2");
  EXPECT_EQ(get("BackupCount"), "5");
  const std::string show = path("show.xml");
  Spit(show, "the operator's file");
  desk->state.ProjectPath = show;
  const std::string autosave = autosavePath();
  EXPECT_EQ(autosave.rfind((dir / "state/lumora/autosave-").string(), 0), 0u) << autosave;
  desk->state.ProjectName = "Gala";
  cmd("set ProjectChanged -1");
  cmd("advance 119000");
  EXPECT_FALSE(fs::exists(autosave));
  cmd("advance 2000");
  ASSERT_TRUE(fs::exists(autosave));
  // The normal writer's bytes; the project file, the changed flag and the
  // operator's screen are left alone.
  EXPECT_EQ(Slurp(autosave), WriteWholeProject(desk->state, TodayText()));
  EXPECT_EQ(Slurp(show), "the operator's file");
  EXPECT_EQ(get("ProjectChanged"), "-1");
  EXPECT_TRUE(lastEvents.empty());
  // The next one follows two minutes later with the newer state.
  desk->state.ProjectName = "Gala 2";
  cmd("advance 119000");
  EXPECT_EQ(Slurp(autosave).find("Gala 2"), std::string::npos);
  cmd("advance 1000");
  EXPECT_NE(Slurp(autosave).find("<Name>Gala 2</Name>"), std::string::npos);
}

// On a desk whose timers rest (a screenless show), the poll once a second
// wakes nothing else, rests while no change waits, and still saves on time.
TEST_F(ShowKeeperTest, TheAutosavePollLetsAnIdleDeskRest) {
  Scheduler& sch = desk->scheduler();
  sch.setResting(true);
  sch.setViewless(true);
  long ticks = 0;
  Timer& tick = desk->hoofdblad().Timer1;
  auto inner = tick.onTimer;
  tick.onTimer = [&ticks, inner] {
    ++ticks;
    if (inner) inner();
  };
  cmd("advance 3000");
  ticks = 0;
  const long wakes = sch.runAsHostFor(20000);
  EXPECT_LE(ticks, 8);  // the five-second safety net (or half of it), not every poll
  EXPECT_LE(wakes, 21);  // the health sample's second, nothing more
  desk->state.ProjectPath = path("show.xml");
  const std::string autosave = autosavePath();
  EXPECT_EQ(cmd("set ProjectChanged -1"), "ok");
  cmd("advance 119000");
  EXPECT_FALSE(fs::exists(autosave));
  cmd("advance 2000");
  EXPECT_TRUE(fs::exists(autosave));
}

TEST_F(ShowKeeperTest, NothingIsAutosavedWhileUnchangedOrWhenSwitchedOff) {
  const std::string autosave = autosavePath();
  cmd("advance 600000");
  EXPECT_FALSE(fs::exists(autosave));
  EXPECT_EQ(cmd("set AutosaveMinutes 0"), "ok");
  cmd("set ProjectChanged -1");
  cmd("advance 600000");
  EXPECT_FALSE(fs::exists(autosave));
  EXPECT_EQ(cmd("set AutosaveMinutes 5"), "ok");
  cmd("advance 240000");
  EXPECT_FALSE(fs::exists(autosave));
  cmd("advance 62000");
  EXPECT_TRUE(fs::exists(autosave));
  EXPECT_EQ(cmd("set AutosaveMinutes 1000"), "err value out of range");
  EXPECT_EQ(cmd("set AutosaveMinutes -1"), "err value out of range");
  EXPECT_EQ(cmd("set BackupCount 1.5"), "err expected a whole number");
  EXPECT_EQ(get("AutosaveMinutes"), "5");
}

TEST_F(ShowKeeperTest, AnUnnamedProjectHasItsOwnAutosaveAndASaveRemovesIt) {
  const std::string unnamed = autosavePath();
  EXPECT_EQ(fs::path(unnamed).filename(), "autosave-unnamed.xml");
  cmd("set ProjectChanged -1");
  cmd("advance 121000");
  ASSERT_TRUE(fs::exists(unnamed));
  cmd("queue file " + path("named.xml"));
  cmd("click Hoofdblad.SaveXML");
  EXPECT_EQ(get("ProjectChanged"), "0");
  EXPECT_FALSE(fs::exists(unnamed));
  EXPECT_FALSE(fs::exists(autosavePath()));
  EXPECT_NE(autosavePath(), unnamed);
}

TEST_F(ShowKeeperTest, ACleanExitRemovesTheAutosaveAKilledDeskKeepsIt) {
  cmd("set ProjectChanged -1");
  cmd("advance 121000");
  const std::string autosave = autosavePath();
  ASSERT_TRUE(fs::exists(autosave));
  // The end of the input with unsaved work nobody let go: kept.
  console->endOfInput();
  start();
  EXPECT_TRUE(fs::exists(autosave));
  cmd("set ProjectChanged -1");
  cmd("advance 121000");
  cmd("queue answer ok");
  EXPECT_EQ(cmd("quit"), "ok");
  start();
  EXPECT_FALSE(fs::exists(autosave));
}

TEST_F(ShowKeeperTest, AStartRemovesWhatAKilledAutosaveLeftInItsFolder) {
  const fs::path folder = dir / "state/lumora";
  fs::create_directories(folder);
  Spit(folder / ".autosave-0123456789abcdef.path.saving-B83qkb", "/x.xml");
  Spit(folder / ".autosave-unnamed.xml.saving-Zz0099", "half");
  Spit(folder / "autosave-unnamed.xml", "kept");
  start();
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(folder)) left.push_back(e.path().filename().string());
  EXPECT_EQ(left, std::vector<std::string>{"autosave-unnamed.xml"});
}

TEST_F(ShowKeeperTest, AFailedAutosaveIsLoggedNeverShown) {
  // The state folder cannot be made: a plain file is in its way.
  fs::create_directories(dir / "state");
  Spit(dir / "state/lumora", "in the way");
  cmd("set ProjectChanged -1");
  ::testing::internal::CaptureStderr();
  cmd("advance 121000");
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("autosave"), std::string::npos);
  EXPECT_TRUE(lastEvents.empty());
  EXPECT_EQ(get("Hoofdblad.Status").find("Fail"), std::string::npos);
}

TEST_F(ShowKeeperTest, RecoveryYesLoadsTheAutosaveAsChangedWorkOfTheProject) {
  const std::string show = path("show.xml");
  writeShow(show, "Saved");
  desk->state.ProjectPath = show;
  desk->state.ProjectName = "Unsaved";
  cmd("set ProjectChanged -1");
  cmd("advance 121000");
  Age(show, 60);
  desk.reset();  // killed: no exit
  start();
  cmd("queue answer ok");
  openAtStart(show);
  ASSERT_EQ(lastEvents.size(), 1u);
  EXPECT_NE(lastEvents[0].find("\"text\":\" Recover unsaved work from "), std::string::npos) << lastEvents[0];
  EXPECT_NE(lastEvents[0].find("\"buttons\":\"okcancel\",\"icon\":\"question\""), std::string::npos);
  EXPECT_EQ(get("ProjectName"), quoted("Unsaved"));
  EXPECT_EQ(get("ProjectChanged"), "-1");
  EXPECT_EQ(get("ProjectPath"), quoted(show));
  EXPECT_EQ(get("RecentProjects"), "[" + quoted(show) + "]");
  EXPECT_EQ(get("Hoofdblad.Status"), quoted(" Unsaved Work Recovered "));
  // Saving it makes the autosave unnecessary.
  const std::string autosave = autosavePath();
  EXPECT_TRUE(fs::exists(autosave));
  cmd("click Hoofdblad.Save_Instant");
  EXPECT_NE(Slurp(show).find("<Name>Unsaved</Name>"), std::string::npos);
  EXPECT_FALSE(fs::exists(autosave));
}

TEST_F(ShowKeeperTest, RecoveryNoKeepsTheAutosaveAsideUntilTheNextAutosave) {
  const std::string show = path("show.xml");
  writeShow(show, "Saved");
  desk->state.ProjectPath = show;
  desk->state.ProjectName = "Unsaved";
  cmd("set ProjectChanged -1");
  cmd("advance 121000");
  Age(show, 60);
  const std::string autosave = autosavePath();
  const std::string aside = Slurp(autosave);
  desk.reset();
  start();
  cmd("queue answer cancel");
  openAtStart(show);
  ASSERT_EQ(lastEvents.size(), 1u);
  EXPECT_EQ(get("ProjectName"), quoted("Saved"));
  EXPECT_EQ(get("ProjectChanged"), "0");
  EXPECT_EQ(Slurp(autosave), aside);
  // Asked once: the running desk does not ask again, a later start does.
  cmd("advance 600000");
  EXPECT_TRUE(lastEvents.empty());
  EXPECT_EQ(Slurp(autosave), aside);
  desk.reset();
  start();
  openAtStart(show);
  EXPECT_EQ(lastEvents.size(), 1u);
  // The next autosave of that project takes its place.
  desk->state.ProjectName = "Newer";
  cmd("set ProjectChanged -1");
  cmd("advance 121000");
  EXPECT_NE(Slurp(autosave).find("<Name>Newer</Name>"), std::string::npos);
}

TEST_F(ShowKeeperTest, OnlyAnAutosaveNewerThanItsProjectIsOffered) {
  const std::string show = path("show.xml");
  writeShow(show, "Saved");
  desk->state.ProjectPath = show;
  cmd("set ProjectChanged -1");
  cmd("advance 121000");
  Age(autosavePath(), 60);
  desk.reset();
  start();
  openAtStart(show);
  EXPECT_TRUE(lastEvents.empty());
  EXPECT_EQ(get("ProjectName"), quoted("Saved"));
}

TEST_F(ShowKeeperTest, AStartWithoutAProjectOffersTheUnnamedWork) {
  desk->state.ProjectName = "Never saved";
  cmd("set ProjectChanged -1");
  cmd("advance 121000");
  desk.reset();
  start();
  cmd("queue answer ok");
  openAtStart("");
  ASSERT_EQ(lastEvents.size(), 1u);
  EXPECT_EQ(get("ProjectName"), quoted("Never saved"));
  EXPECT_EQ(get("ProjectPath"), "\"\"");
  EXPECT_EQ(get("ProjectChanged"), "-1");
  EXPECT_EQ(get("RecentProjects"), "[]");
}

TEST_F(ShowKeeperTest, BackupsRotateFromNewestToOldestAndStopAtTheCount) {
  const std::string show = path("show.xml");
  desk->state.ProjectPath = show;
  for (int i = 1; i <= 7; ++i) {
    desk->state.ProjectName = "v" + std::to_string(i);
    cmd("click Hoofdblad.Save_Instant");
  }
  EXPECT_NE(Slurp(show).find("<Name>v7</Name>"), std::string::npos);
  for (int n = 1; n <= 5; ++n)
    EXPECT_NE(Slurp(show + "." + std::to_string(n)).find("<Name>v" + std::to_string(7 - n) + "</Name>"),
              std::string::npos)
        << n;
  EXPECT_FALSE(fs::exists(show + ".6"));
  // Partial files get no backups.
  cmd("queue file " + path("subs.xml"));
  cmd("click Hoofdblad.Save_Submix_XML");
  cmd("queue file " + path("subs.xml"));
  cmd("click Hoofdblad.Save_Submix_XML");
  EXPECT_FALSE(fs::exists(path("subs.xml.1")));
  // Switched off: the project file alone.
  cmd("set BackupCount 0");
  desk->state.ProjectPath = show;
  desk->state.ProjectName = "v8";
  cmd("click Hoofdblad.Save_Instant");
  EXPECT_NE(Slurp(show + ".1").find("<Name>v6</Name>"), std::string::npos);
}

TEST_F(ShowKeeperTest, AFullDiskOnSaveKeepsTheFileAndEveryBackup) {
  const std::string show = path("show.xml");
  desk->state.ProjectPath = show;
  for (int i = 1; i <= 3; ++i) {
    desk->state.ProjectName = "v" + std::to_string(i);
    cmd("click Hoofdblad.Save_Instant");
  }
  const std::string before = Slurp(show), one = Slurp(show + ".1"), two = Slurp(show + ".2");
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit tiny = old;
  tiny.rlim_cur = 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
  desk->state.ProjectName = "v4";
  cmd("click Hoofdblad.Save_Instant");
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);
  EXPECT_TRUE(sawEvent("\"title\":\" Save Error\""));
  EXPECT_TRUE(sawEvent("File too large"));
  EXPECT_EQ(get("Hoofdblad.Status"), quoted(" Save Failed "));
  EXPECT_EQ(Slurp(show), before);
  EXPECT_EQ(Slurp(show + ".1"), one);
  EXPECT_EQ(Slurp(show + ".2"), two);
  EXPECT_FALSE(fs::exists(show + ".3"));
}

TEST_F(ShowKeeperTest, RecentProjectsAreNewestFirstAtMostEightAndKept) {
  for (int i = 0; i < 10; ++i) writeShow(path("s" + std::to_string(i) + ".xml"), "Show " + std::to_string(i));
  for (int i = 0; i < 10; ++i) {
    cmd("queue file " + path("s" + std::to_string(i) + ".xml"));
    cmd("click Hoofdblad.LoadXML");
  }
  // Saving an older one moves it to the front, without a second entry.
  cmd("queue file " + path("s5.xml"));
  cmd("click Hoofdblad.SaveXML");
  std::string expected = "[" + quoted(path("s5.xml"));
  for (int i : {9, 8, 7, 6, 4, 3, 2}) expected += "," + quoted(path("s" + std::to_string(i) + ".xml"));
  expected += "]";
  EXPECT_EQ(get("RecentProjects"), expected);
  EXPECT_EQ(get("Hoofdblad.Recent(0).Caption"), quoted("&1 " + path("s5.xml")));
  EXPECT_EQ(get("Hoofdblad.Recent(7).Visible"), "true");
  // A file that has gone is greyed out and cannot be opened.
  fs::remove(path("s9.xml"));
  cmd("queue file " + path("s8.xml"));
  cmd("click Hoofdblad.LoadXML");
  EXPECT_EQ(get("Hoofdblad.Recent(1).Caption"), quoted("&2 " + path("s5.xml")));
  EXPECT_EQ(get("Hoofdblad.Recent(2).Enabled"), "false");
  EXPECT_EQ(cmd("click Hoofdblad.Recent(2)"), "err control is disabled");
  EXPECT_EQ(get("Hoofdblad.Recent(1).Enabled"), "true");
  EXPECT_EQ(cmd("click Hoofdblad.Recent(1)"), "ok");
  // s5.xml holds what was on the desk when it was saved: show 9.
  EXPECT_EQ(get("ProjectName"), quoted("Show 9"));
  EXPECT_EQ(get("ProjectPath"), quoted(path("s5.xml")));
  // The next run knows the list.
  const std::string list = get("RecentProjects");
  start();
  EXPECT_EQ(get("RecentProjects"), list);
  EXPECT_EQ(get("Hoofdblad.Recent(0).Caption"), quoted("&1 " + path("s5.xml")));
}

TEST_F(ShowKeeperTest, TheStartProjectJoinsTheListAndTheLastOneOpensWhenAsked) {
  writeShow(path("a.xml"), "A");
  openAtStart(path("a.xml"));
  EXPECT_EQ(get("RecentProjects"), "[" + quoted(path("a.xml")) + "]");
  start();
  openAtStart("");
  EXPECT_EQ(get("ProjectName"), "\"\"");
  cmd("show Preferences");
  EXPECT_EQ(get("Preferences.chkOpenLast"), "0");
  cmd("set Preferences.chkOpenLast 1");
  cmd("click Preferences.cmdOK");
  start();
  openAtStart("");
  EXPECT_EQ(get("ProjectName"), quoted("A"));
}

TEST_F(ShowKeeperTest, StoresHeldAtAStartAreMadeAtTheReleaseOrAtTheEnd) {
  writeShow(path("a.xml"), "A");
  const fs::path settings = dir / "config/lumora/settings.conf";
  ShowKeeper::of(*desk)->holdStores();
  openAtStart(path("a.xml"));
  // The list is the desk's at once; the file waits for the release.
  EXPECT_EQ(get("RecentProjects"), "[" + quoted(path("a.xml")) + "]");
  EXPECT_EQ(Slurp(settings).find(path("a.xml")), std::string::npos);
  ShowKeeper::of(*desk)->releaseStores();
  EXPECT_NE(Slurp(settings).find("recent=" + path("a.xml") + "\n"), std::string::npos);
  // Still held when the desk ends: stored then, and the next start has it.
  ShowKeeper::of(*desk)->holdStores();
  ShowKeeper::of(*desk)->remember(path("b.xml"));
  start();
  EXPECT_EQ(get("RecentProjects"), "[" + quoted(path("b.xml")) + "," + quoted(path("a.xml")) + "]");
}

TEST_F(ShowKeeperTest, PreferencesWindowRefusesBadNumbersAndStoresGoodOnes) {
  EXPECT_EQ(cmd("click Hoofdblad.Preferences"), "ok");
  EXPECT_EQ(get("Preferences.Visible"), "true");
  EXPECT_EQ(get("Preferences.txtAutosave"), quoted("2"));
  EXPECT_EQ(get("Preferences.txtBackups"), quoted("5"));
  cmd("set Preferences.txtAutosave \"ten\"");
  cmd("click Preferences.cmdOK");
  EXPECT_TRUE(sawEvent("whole minutes from 0 to 999"));
  EXPECT_EQ(get("Preferences.Visible"), "true");
  cmd("set Preferences.txtAutosave \"7\"");
  cmd("set Preferences.txtBackups \"100\"");
  cmd("click Preferences.cmdOK");
  EXPECT_TRUE(sawEvent("backups from 0 to 99"));
  EXPECT_EQ(get("AutosaveMinutes"), "2");
  cmd("set Preferences.txtBackups \"3\"");
  cmd("click Preferences.cmdOK");
  EXPECT_EQ(get("Preferences.Visible"), "false");
  EXPECT_EQ(get("AutosaveMinutes"), "7");
  EXPECT_EQ(get("BackupCount"), "3");
  start();
  EXPECT_EQ(get("AutosaveMinutes"), "7");
  EXPECT_EQ(get("BackupCount"), "3");
  // Cancel keeps what was stored.
  cmd("show Preferences");
  cmd("set Preferences.txtAutosave \"9\"");
  cmd("click Preferences.cmdCancel");
  EXPECT_EQ(get("AutosaveMinutes"), "7");
}

TEST(UserSettingsFile, ReadsWhatItWritesAndIgnoresWhatItDoesNotKnow) {
  UserSettings s;
  s.autosaveMinutes = 0;
  s.backupCount = 12;
  s.openLastAtStart = true;
  s.recent = {"/a b/show=1.xml", "/c.xml"};
  UserSettings back = ParseSettings(SettingsText(s));
  EXPECT_EQ(back.autosaveMinutes, 0);
  EXPECT_EQ(back.backupCount, 12);
  EXPECT_TRUE(back.openLastAtStart);
  EXPECT_EQ(back.recent, s.recent);
  UserSettings odd = ParseSettings("future_key=1\nautosave_minutes=-4\nbackup_count=abc\nrecent=\n");
  EXPECT_EQ(odd.autosaveMinutes, 2);
  EXPECT_EQ(odd.backupCount, 5);
  EXPECT_TRUE(odd.recent.empty());
}

}  // namespace
}  // namespace lumora
