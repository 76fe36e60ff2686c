// The main desk's file menus and the project information window, driven
// through the console as an operator or a script would.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "desk/project_text.h"
#include "project/project_format.h"
#include "project/project_io.h"
#include "project/project_menus.h"
#include "tests/desk_fixture.h"
#include "tests/support/file_text.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;

using testing::Slurp;
using testing::Spit;

class ProjectMenus : public testing::DeskTest {
 protected:
  ProjectMenus() {
    char tmpl[] = "/tmp/lumora-proj-XXXXXX";
    dir = mkdtemp(tmpl);
  }
  ~ProjectMenus() override {
    std::error_code ec;
    fs::permissions(dir, fs::perms::owner_all, ec);
    fs::remove_all(dir, ec);
  }
  std::string path(const std::string& name) const { return (dir / name).string(); }
  // The console's quoted form of a text.
  static std::string Q(const std::string& t) { return "ok \"" + t + "\""; }
  bool sawEvent(const std::string& part) const {
    for (const auto& e : lastEvents)
      if (e.find(part) != std::string::npos) return true;
    return false;
  }
  fs::path dir;
};

TEST_F(ProjectMenus, SaveAsWritesTheProjectAndClearsTheChangedFlag) {
  S().ProjectName = "Gala";
  S().Submixes[0].Name = "Warm";
  cmd("set ProjectChanged -1");
  cmd("queue file " + path("show.xml"));
  EXPECT_EQ(cmd("click Hoofdblad.SaveXML"), "ok");
  EXPECT_TRUE(sawEvent(R"("kind":"save","title":"Save DMX Project","filter":"XML|*.xml")"));
  std::string bytes = Slurp(path("show.xml"));
  EXPECT_EQ(bytes.rfind("<Lumora_XML>\r\t<Project>\r\t\t<Name>Gala</Name>\r", 0), 0u);
  EXPECT_TRUE(std::regex_search(bytes, std::regex("\t\t<Date>[0-3][0-9]/[01][0-9]/20[0-9][0-9]</Date>\r")));
  EXPECT_NE(bytes.find("<Name>Warm</Name>"), std::string::npos);
  EXPECT_EQ(get("ProjectChanged"), "0");
  EXPECT_EQ(get("ProjectPath"), "\"" + path("show.xml") + "\"");
  EXPECT_EQ(cmd("get Hoofdblad.Status"), Q(" Project Saved "));
  EXPECT_EQ(cmd("get Playdesk.Status"), Q(" Project Saved"));
}

TEST_F(ProjectMenus, TwoSavesRaiseTheVersionByTwo) {
  cmd("queue file " + path("a.xml"));
  cmd("click Hoofdblad.SaveXML");
  EXPECT_NE(Slurp(path("a.xml")).find("<Version>1</Version>"), std::string::npos);
  cmd("click Hoofdblad.Save_Instant");  // the path is known: no dialog
  EXPECT_TRUE(lastEvents.empty());
  EXPECT_NE(Slurp(path("a.xml")).find("<Version>2</Version>"), std::string::npos);
  EXPECT_EQ(get("ProjectVersion"), "2");
}

TEST_F(ProjectMenus, CancelledSaveWritesNothingAndTheNextInstantSaveAsks) {
  S().ProjectPath = path("old.xml");
  cmd("set ProjectChanged -1");
  cmd("queue file cancel");
  cmd("click Hoofdblad.SaveXML");
  EXPECT_EQ(get("ProjectPath"), "\"\"");
  EXPECT_EQ(get("ProjectChanged"), "-1");  // nothing saved, so still unsaved
  EXPECT_EQ(get("ProjectVersion"), "0");
  EXPECT_FALSE(fs::exists(path("old.xml")));
  cmd("queue file " + path("new.xml"));
  cmd("click Hoofdblad.Save_Instant");
  EXPECT_TRUE(sawEvent("\"title\":\"Save DMX Project\""));
  EXPECT_TRUE(fs::exists(path("new.xml")));
  EXPECT_EQ(get("ProjectChanged"), "0");
}

TEST_F(ProjectMenus, PartialSavesWriteOneKindAndBecomeTheInstantSavePath) {
  S().Submixes[3].Name = "S";
  S().Chases[0].Steps = 2;
  cmd("set ProjectChanged -1");
  struct Case {
    const char* menu;
    const char* title;
    const char* file;
    const char* main;
    const char* play;
    const char* holds;
  } cases[] = {
      {"Save_Submix_XML", "Save DMX Submixes", "subs.xml", " Submix Saved ", " Submix Saved", "<Submix>"},
      {"Save_Patch_XML", "Save DMX Patches", "patch.xml", " Patches Saved ", " Patches Saved", "<Patch>"},
      {"Save_Chase_XML", "Save DMX Sequences", "seq.xml", " Sequences Saved ", " Sequences Saved", "<Chase>"},
  };
  for (const auto& c : cases) {
    cmd("queue file " + path(c.file));
    EXPECT_EQ(cmd(std::string("click Hoofdblad.") + c.menu), "ok");
    EXPECT_TRUE(sawEvent(std::string("\"title\":\"") + c.title + "\"")) << c.menu;
    std::string bytes = Slurp(path(c.file));
    EXPECT_NE(bytes.find(c.holds), std::string::npos) << c.menu;
    EXPECT_EQ(bytes.find("<Project>"), std::string::npos) << c.menu;
    EXPECT_EQ(cmd("get Hoofdblad.Status"), Q(c.main));
    EXPECT_EQ(cmd("get Playdesk.Status"), Q(c.play));
    EXPECT_EQ(get("ProjectPath"), "\"" + path(c.file) + "\"");
  }
  EXPECT_EQ(get("ProjectChanged"), "-1");  // a part is not the project
  cmd("click Hoofdblad.Save_Instant");
  EXPECT_NE(Slurp(path("seq.xml")).find("<Project>"), std::string::npos);
}

TEST_F(ProjectMenus, LoadAssignsTheFileRedrawsAndKeepsTheChangedFlag) {
  DeskState show = S();
  show.ChannelInfo[0].Desc = "Front";
  show.ChannelInfo[0].Name = "FR";
  show.Submixes[1].Name = "Blue";
  show.ProjectName = "Loaded show";
  show.AdapterType = 3;
  show.ArtPorts[2] = {-1, 2};
  Spit(path("in.xml"), WriteWholeProject(show, "05/06/2027"));
  cmd("set ProjectChanged -1");
  cmd("queue file " + path("in.xml"));
  EXPECT_EQ(cmd("click Hoofdblad.LoadXML"), "ok");
  EXPECT_TRUE(sawEvent(R"("kind":"open","title":" Load Lumora Project","filter":"XML|*.xml")"));
  EXPECT_EQ(get("ProjectName"), "\"Loaded show\"");
  EXPECT_EQ(get("Submixes(1).Name"), "\"Blue\"");
  EXPECT_EQ(get("AdapterType"), "3");
  EXPECT_EQ(get("ArtPorts(2).Enabled"), "-1");
  EXPECT_EQ(get("ProjectFileName"), "\"" + path("in.xml") + "\"");
  EXPECT_EQ(get("ProjectPath"), "\"" + path("in.xml") + "\"");
  EXPECT_EQ(get("ProjectChanged"), "-1");
  EXPECT_EQ(cmd("get Hoofdblad.Status"), Q("Project Loaded "));
  EXPECT_EQ(cmd("get Playdesk.Status"), Q("Project Loaded"));
  EXPECT_EQ(cmd("get Hoofdblad.Text3(0)"), Q("FR"));  // the desk was redrawn
}

TEST_F(ProjectMenus, LoadPatchesReadsWithoutRedrawing) {
  DeskState show = S();
  show.ChannelInfo[0].Desc = "Front";
  show.ChannelInfo[0].Name = "FR";
  show.PatchTable[100] = 5;
  Spit(path("p.xml"), WriteWholeProject(show, "05/06/2027"));
  const std::string before = cmd("get Hoofdblad.Text3(0)");
  cmd("queue file " + path("p.xml"));
  cmd("click Hoofdblad.Load_P_XML");
  EXPECT_EQ(get("PatchTable(100)"), "5");
  EXPECT_EQ(get("ChannelInfo(0).Name"), "\"FR\"");
  EXPECT_EQ(cmd("get Hoofdblad.Text3(0)"), before);
  EXPECT_EQ(cmd("get Hoofdblad.Status"), Q("Project Loaded "));
}

TEST_F(ProjectMenus, CancelledOrWildcardLoadReadsNothing) {
  S().ProjectPath = path("keep.xml");
  cmd("queue file cancel");
  cmd("click Hoofdblad.LoadXML");
  EXPECT_EQ(get("ProjectPath"), "\"" + path("keep.xml") + "\"");
  cmd("queue file *.xml");
  cmd("click Hoofdblad.LoadXML");
  EXPECT_EQ(get("ProjectPath"), "\"" + path("keep.xml") + "\"");
  EXPECT_EQ(cmd("get Hoofdblad.Status"), Q(" Main Desk Running "));
}

TEST_F(ProjectMenus, UnreadableOrForeignFileIsReportedAndChangesNothing) {
  S().ProjectPath = path("keep.xml");
  S().ProjectName = "Mine";
  cmd("queue file " + path("missing.xml"));
  cmd("click Hoofdblad.LoadXML");
  EXPECT_TRUE(sawEvent("\"title\":\" Load Error\""));
  EXPECT_TRUE(sawEvent("could not be loaded"));
  EXPECT_EQ(get("ProjectPath"), "\"" + path("keep.xml") + "\"");
  EXPECT_EQ(cmd("get Hoofdblad.Status"), Q(" Load Failed "));
  Spit(path("photo.xml"), std::string("\x89PNG\r\n<Project><Name>Evil</Name></Project>"));
  cmd("queue file " + path("photo.xml"));
  cmd("click Hoofdblad.LoadXML");
  EXPECT_TRUE(sawEvent("not a Lumora project file"));
  EXPECT_EQ(get("ProjectName"), "\"Mine\"");
  EXPECT_EQ(get("ProjectPath"), "\"" + path("keep.xml") + "\"");
}

// The disk fills up half-way through the write: the previous show stays.
TEST_F(ProjectMenus, FailedWriteLeavesThePreviousFileWhole) {
  const std::string target = path("show.xml");
  Spit(target, "previous show");
  S().ProjectPath = target;
  cmd("set ProjectChanged -1");
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit tiny = old;
  tiny.rlim_cur = 64;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
  cmd("click Hoofdblad.Save_Instant");
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(Slurp(target), "previous show");
  EXPECT_TRUE(sawEvent("\"title\":\" Save Error\""));
  EXPECT_EQ(get("ProjectChanged"), "-1");
  EXPECT_EQ(get("ProjectVersion"), "0");
  EXPECT_EQ(cmd("get Hoofdblad.Status"), Q(" Save Failed "));
  // No temporary file is left behind.
  int files = 0;
  for (const auto& e : fs::directory_iterator(dir)) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(files, 1);
}

TEST_F(ProjectMenus, ReadOnlyFolderKeepsThePreviousFile) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  const std::string target = path("show.xml");
  Spit(target, "previous show");
  fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
  cmd("queue file " + target);
  cmd("click Hoofdblad.SaveXML");
  fs::permissions(dir, fs::perms::owner_all);
  EXPECT_EQ(Slurp(target), "previous show");
  EXPECT_TRUE(sawEvent("\"title\":\" Save Error\""));
}

TEST_F(ProjectMenus, SavedFileKeepsThePermissionsOfTheOneItReplaces) {
  const std::string target = path("show.xml");
  Spit(target, "old");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_EQ(WriteFileAtomically(target, "new"), "");
  EXPECT_EQ(Slurp(target), "new");
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(ProjectMenus, WholeSaveAndLoadThroughTheMenusRoundTrips) {
  S().Screens[4].Name = "Cue 4";
  S().ScreenCount = 4;
  S().Chases[2].Steps = 3;
  S().Chases[2].Speed[1] = 0.5;
  cmd("queue file " + path("rt.xml"));
  cmd("click Hoofdblad.SaveXML");
  const std::string first = Slurp(path("rt.xml"));
  S().Screens[4].Name = "changed";
  cmd("queue file " + path("rt.xml"));
  cmd("click Hoofdblad.LoadXML");
  EXPECT_EQ(get("Screens(4).Name"), "\"Cue 4\"");
  // A second save differs only in its version.
  cmd("click Hoofdblad.Save_Instant");
  std::string second = Slurp(path("rt.xml"));
  auto at = second.find("<Version>2</Version>");
  ASSERT_NE(at, std::string::npos);
  second.replace(at, 20, "<Version>1</Version>");
  EXPECT_EQ(first, second);
}

TEST_F(ProjectMenus, LoadProjectFileIsTheLoadMenuWithoutItsDialog) {
  DeskState show = S();
  show.ProjectName = "From the command line";
  Spit(path("cli.xml"), WriteWholeProject(show, "01/01/2027"));
  EXPECT_EQ(LoadProjectFile(*desk, path("cli.xml")), "");
  EXPECT_EQ(get("ProjectName"), "\"From the command line\"");
  EXPECT_EQ(cmd("get Hoofdblad.Status"), Q("Project Loaded "));
  EXPECT_NE(LoadProjectFile(*desk, path("nothing.xml")), "");
}

TEST_F(ProjectMenus, MenuItemsCarryTheirCaptions) {
  EXPECT_EQ(cmd("get Hoofdblad.SaveXML.Caption"), Q("&Save As Project"));
  EXPECT_EQ(cmd("get Hoofdblad.Save_Instant.Caption"), Q("&Save Project"));
  EXPECT_EQ(cmd("get Hoofdblad.Save_Chase_XML.Caption"), Q("Save Sequence"));
  EXPECT_EQ(cmd("get Hoofdblad.Load_P_XML.Caption"), Q("&Load Patches"));
}

// --- project information -----------------------------------------------------------

TEST_F(ProjectMenus, ProjectInformationShowsTheProjectAndOkStoresNameAndText) {
  S().ProjectName = "Gala";
  S().ProjectText = "Notes";
  S().ProjectDate = "03/04/2026";
  S().ProjectVersion = 6;
  cmd("click Hoofdblad.project_info");
  EXPECT_EQ(get("Project_text.Visible"), "true");
  EXPECT_EQ(cmd("get Project_text.Prj_Name"), Q("Gala"));
  EXPECT_EQ(cmd("get Project_text.Text1"), Q("Notes"));
  EXPECT_EQ(cmd("get Project_text.Prj_Date"), Q("03/04/2026"));
  EXPECT_EQ(cmd("get Project_text.Prj_Version"), Q("6"));
  cmd("set Project_text.Prj_Name \"Gala night\"");
  cmd("set Project_text.Text1 \"New notes\"");
  cmd("click Project_text.OKButton");
  EXPECT_EQ(get("Project_text.Visible"), "false");
  EXPECT_EQ(get("ProjectName"), "\"Gala night\"");
  EXPECT_EQ(get("ProjectText"), "\"New notes\"");
  EXPECT_EQ(get("ProjectChanged"), "-1");
  EXPECT_EQ(get("ProjectVersion"), "6");
}

TEST_F(ProjectMenus, ProjectInformationCancelKeepsEverythingAndNewProjectShowsToday) {
  cmd("click Hoofdblad.project_info");
  EXPECT_EQ(cmd("get Project_text.Prj_Date"), Q(TodayText()));
  EXPECT_EQ(cmd("get Project_text.Prj_Version"), Q(""));
  cmd("set Project_text.Prj_Name \"Typed\"");
  cmd("click Project_text.CancelButton");
  EXPECT_EQ(get("ProjectName"), "\"\"");
  EXPECT_EQ(get("ProjectChanged"), "0");
  cmd("click Hoofdblad.project_info");  // opens fresh
  EXPECT_EQ(cmd("get Project_text.Prj_Name"), Q(""));
}

// --- the initial file name of the dialogs ------------------------------------------

class RecordingDialogs : public ConsoleDialogs {
 public:
  std::optional<std::string> FileDialog(FileKind kind, const std::string& title, const std::string& filter,
                                        const std::string& initialPath) override {
    initial.push_back(initialPath);
    return ConsoleDialogs::FileDialog(kind, title, filter, initialPath);
  }
  std::vector<std::string> initial;
};

TEST(ProjectDialogs, InitialFileNameIsTheProjectPathOrTheWildcard) {
  RecordingDialogs dialogs;
  DeskOptions o;
  o.manualClock = true;
  o.sim = true;
  Desk desk(o, dialogs);
  desk.Start();
  SaveXML_Click(desk);  // nothing queued: cancelled
  desk.state.ProjectPath = "/tmp/somewhere/show.xml";
  LoadXML_Click(desk);
  Save_Patch_XML_Click(desk);
  ASSERT_EQ(dialogs.initial.size(), 3u);
  EXPECT_EQ(dialogs.initial[0], "*.xml");
  EXPECT_EQ(dialogs.initial[1], "/tmp/somewhere/show.xml");
  EXPECT_EQ(dialogs.initial[2], "/tmp/somewhere/show.xml");
}

// --- the program started with a project ------------------------------------------------

std::string RunLumora(const std::string& args, const std::string& input) {
  char inName[] = "/tmp/lumora-proj-in-XXXXXX";
  int fd = mkstemp(inName);
  if (fd >= 0) close(fd);
  Spit(inName, input);
  std::string command = std::string(LUMORA_BIN) + " " + args + " < " + inName + " 2>&1";
  FILE* p = popen(command.c_str(), "r");
  std::string out;
  char buf[4096];
  while (p && fgets(buf, sizeof buf, p)) out += buf;
  if (p) pclose(p);
  unlink(inName);
  return out;
}

TEST_F(ProjectMenus, ProgramStartedWithAProjectLoadsIt) {
  DeskState show = S();
  show.ProjectName = "Opened at start";
  show.Submixes[0].Name = "First";
  Spit(path("start.xml"), WriteWholeProject(show, "01/01/2027"));
  std::string out = RunLumora("--headless --console --manual-clock --project " + path("start.xml"),
                              "get ProjectName\nget Submixes(0).Name\nget Hoofdblad.Status\nget ProjectChanged\n");
  EXPECT_EQ(out, "ok \"Opened at start\"\nok \"First\"\nok \"Project Loaded \"\nok 0\n");
}

TEST_F(ProjectMenus, ProgramStartedWithAMissingProjectSaysSoAndRuns) {
  std::string out = RunLumora("--headless --console --manual-clock --project " + path("absent.xml"),
                              "get ProjectName\n");
  EXPECT_NE(out.find("absent.xml"), std::string::npos);
  EXPECT_NE(out.find("ok \"\""), std::string::npos);
}

TEST(ProjectDemoShow, TheDemoShowInTheTreeLoadsAsARealShow) {
  std::string text;
  ASSERT_EQ(ReadWholeFile(std::string(LUMORA_SOURCE_DIR) + "/project/demo/demo_show.xml", text), "");
  DeskState s;
  DeskInitTables(s);
  ReadReport rep = ReadProjectText(s, text);
  EXPECT_TRUE(rep.hasRoot);
  EXPECT_EQ(rep.skipped, 0);
  EXPECT_GE(s.ScreenCount, 11);
  EXPECT_NE(s.ChannelInfo[0].Desc, "1");
  EXPECT_FALSE(s.Submixes[0].Name.empty());
  EXPECT_GT(s.Chases[0].Steps, 1);
  bool autotake = false;
  for (int n = 0; n <= s.ScreenCount; ++n) autotake = autotake || s.Screens[n].Auto != 0;
  EXPECT_TRUE(autotake);
  // The file is exactly what the writer makes of what it holds.
  EXPECT_EQ(WriteWholeProject(s, s.ProjectDate), text);
}

}  // namespace
}  // namespace lumora
