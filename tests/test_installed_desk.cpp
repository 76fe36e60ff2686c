// What an installed desk relies on: the version in one place (--version, the
// about box), the shared data folder found relative to the program, and the
// demo show loaded from it as an unsaved show.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/options.h"
#include "platform/data_dir.h"
#include "platform/dynlib.h"
#include "tests/desk_fixture.h"
#include "tests/support/file_text.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;

using testing::Slurp;

// Runs the built program with a prefix of environment settings; returns its
// standard output and error, and its exit status in *status.
std::string RunProgram(const std::string& env, const std::string& args, const std::string& input,
                       int* status = nullptr) {
  char inName[] = "/tmp/lumora-inst-in-XXXXXX";
  int fd = mkstemp(inName);
  if (fd >= 0) close(fd);
  std::ofstream(inName, std::ios::binary) << input;
  const std::string command = "env -u LUMORA_DATA_DIR -u DISPLAY -u WAYLAND_DISPLAY " + env + " " +
                              LUMORA_BIN + " " + args + " < " + inName + " 2>&1";
  FILE* p = popen(command.c_str(), "r");
  std::string out;
  char buf[4096];
  while (p && fgets(buf, sizeof buf, p)) out += buf;
  const int st = p ? pclose(p) : -1;
  if (status) *status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  unlink(inName);
  return out;
}

class ScratchFolder : public ::testing::Test {
 protected:
  ScratchFolder() {
    dir = fs::temp_directory_path() / ("lumora_inst_" + std::to_string(::getpid()) + "_" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  ~ScratchFolder() override { fs::remove_all(dir); }
  fs::path dir;
};

// --- the version ----------------------------------------------------------

TEST(ProgramVersion, VersionOptionPrintsTheProjectVersionWithoutAnyDisplay) {
  // xcb without a display would abort a program that started Qt first.
  int status = -1;
  const std::string out = RunProgram("QT_QPA_PLATFORM=xcb", "--version", "", &status);
  EXPECT_EQ(out, std::string("lumora ") + LUMORA_EXPECTED_VERSION + "\n");
  EXPECT_EQ(status, 0);
}

TEST(ProgramVersion, VersionOptionIsParsedAndABadOptionBesideItStillFails) {
  char prog[] = "lumora", ver[] = "--version", bad[] = "--bogus";
  char* good[] = {prog, ver};
  ProgramOptions o = ParseOptions(2, good);
  EXPECT_TRUE(o.version);
  EXPECT_TRUE(o.error.empty());
  char* both[] = {prog, ver, bad};
  o = ParseOptions(3, both);
  EXPECT_EQ(o.error, "unknown option --bogus");

  int status = -1;
  RunProgram("", "--version --bogus", "", &status);
  EXPECT_EQ(status, 2);
  EXPECT_NE(std::string(UsageText()).find("--version"), std::string::npos);
}

class AboutBox : public testing::DeskTest {};

TEST_F(AboutBox, ShowsTheSameVersionAsTheVersionOption) {
  ASSERT_EQ(cmd("show frmAbout"), "ok");
  EXPECT_EQ(get("frmAbout.lblVersion"), std::string("\"Version ") + LUMORA_EXPECTED_VERSION + "\"");
}

// --- the shared data folder ----------------------------------------------

class DataFolder : public ScratchFolder {};

TEST_F(DataFolder, InstalledLayoutIsFoundFromTheProgramsFolderUnderAnyPrefix) {
  fs::create_directories(dir / "opt/stage/bin");
  fs::create_directories(dir / "opt/stage/share/lumora");
  EXPECT_EQ(FindSharedDataDirectory((dir / "opt/stage/bin").string(), nullptr),
            (dir / "opt/stage/share/lumora").string());
  // An empty variable counts as unset.
  EXPECT_EQ(FindSharedDataDirectory((dir / "opt/stage/bin").string(), ""),
            (dir / "opt/stage/share/lumora").string());
}

TEST_F(DataFolder, BuildTreeLayoutHasTheDataBesideTheProgram) {
  fs::create_directories(dir / "build/share/lumora");
  EXPECT_EQ(FindSharedDataDirectory((dir / "build").string(), nullptr), (dir / "build/share/lumora").string());
}

TEST_F(DataFolder, TheInstalledLayoutWinsOverABuildTreeLookalike) {
  fs::create_directories(dir / "usr/bin/share/lumora");
  fs::create_directories(dir / "usr/share/lumora");
  EXPECT_EQ(FindSharedDataDirectory((dir / "usr/bin").string(), nullptr), (dir / "usr/share/lumora").string());
}

TEST_F(DataFolder, TheVariableWinsAndAMissingFolderIsNotSilentlyReplaced) {
  fs::create_directories(dir / "usr/bin");
  fs::create_directories(dir / "usr/share/lumora");
  fs::create_directories(dir / "mine");
  EXPECT_EQ(FindSharedDataDirectory((dir / "usr/bin").string(), (dir / "mine").c_str()), (dir / "mine").string());
  EXPECT_EQ(FindSharedDataDirectory((dir / "usr/bin").string(), (dir / "absent").c_str()), "");
}

TEST_F(DataFolder, TheDeskWithWindowsInTheHelperFolderFindsTheDataOfItsInstallation) {
  // <prefix>/libexec/lumora/lumora-gui looks where <prefix>/bin/lumora does.
  const fs::path prefix = dir / "opt/stage";
  fs::create_directories(prefix / LUMORA_HELPER_SUBDIR);
  fs::create_directories(prefix / LUMORA_BIN_SUBDIR);
  fs::create_directories(prefix / "share/lumora");
  const std::string helperDir = (prefix / LUMORA_HELPER_SUBDIR).string();
  EXPECT_EQ(ProgramDirectoryFor(helperDir), (prefix / LUMORA_BIN_SUBDIR).string());
  EXPECT_EQ(FindSharedDataDirectory(ProgramDirectoryFor(helperDir), nullptr), (prefix / "share/lumora").string());
  // Any other folder is the program's folder as it is, the build tree's too.
  EXPECT_EQ(ProgramDirectoryFor((prefix / "bin").string()), (prefix / "bin").string());
  EXPECT_EQ(ProgramDirectoryFor((dir / "src/lumora").string()), (dir / "src/lumora").string());
  const std::string buildTree = fs::path(LUMORA_BIN).parent_path().string();
  EXPECT_EQ(ProgramDirectoryFor(buildTree), buildTree);
}

TEST_F(DataFolder, NothingThereOrAFileInsteadOfAFolderGivesNone) {
  fs::create_directories(dir / "bin");
  EXPECT_EQ(FindSharedDataDirectory((dir / "bin").string(), nullptr), "");
  fs::create_directories(dir / "share");
  std::ofstream(dir / "share/lumora") << "not a folder";
  EXPECT_EQ(FindSharedDataDirectory((dir / "bin").string(), nullptr), "");
  EXPECT_EQ(FindSharedDataDirectory("", nullptr), "");
}

TEST(DataFolderOfThisBuild, HoldsTheShippedDemoShowAndFixtureFiles) {
  // The build tree's share/lumora beside the program, as an installed desk
  // has it beside its prefix.
  const fs::path data = fs::path(LUMORA_BIN).parent_path() / "share/lumora";
  EXPECT_EQ(Slurp(data / "demo/demo_show.xml"), Slurp(fs::path(LUMORA_SOURCE_DIR) / "project/demo/demo_show.xml"));
  bool fixture = false;
  for (const auto& e : fs::directory_iterator(data / "fixtures"))
    fixture = fixture || (e.path().extension() == ".FXT" && Slurp(e.path()).rfind("DMXFIXTUREV2\r\n", 0) == 0);
  EXPECT_TRUE(fixture);
}

// --- the demo show --------------------------------------------------------

class DemoShow : public ScratchFolder {};

TEST_F(DemoShow, TheShippedShowLoadsAsAnUnsavedShowThatIsNeverWrittenOver) {
  const fs::path shipped = fs::path(LUMORA_SOURCE_DIR) / "project/demo/demo_show.xml";
  const std::string before = Slurp(shipped);
  // The instant save of a loaded show writes to its file; the demo show has
  // none, so it asks (and the unanswered dialog cancels).
  const std::string out = RunProgram("", "--headless --console --manual-clock --demo",
                                     "get ProjectName\nget ProjectText\nget ProjectPath\nget ScreenCount\n"
                                     "click Hoofdblad.Save_Instant\nget ProjectChanged\n");
  EXPECT_EQ(out,
            "ok \"Demo show\"\n"
            "ok \"A small club show to try the desk with: a wash, two specials, a cyc and a chaser.\"\n"
            "ok \"\"\n"
            "ok 11\n"
            "filedialog {\"kind\":\"save\",\"title\":\"Save DMX Project\",\"filter\":\"XML|*.xml\",\"answer\":\"cancel\"}\n"
            "ok\n"
            "ok 0\n");
  EXPECT_EQ(Slurp(shipped), before);
}

TEST_F(DemoShow, TheDataFolderVariableChoosesTheShow) {
  fs::create_directories(dir / "demo");
  std::ofstream(dir / "demo/demo_show.xml", std::ios::binary)
      << "<Lumora_XML>\t<Project>\t\t<Name>Site show</Name>\t</Project></Lumora_XML>";
  const std::string out = RunProgram("LUMORA_DATA_DIR=" + dir.string(), "--headless --console --manual-clock --demo",
                                     "get ProjectName\nget ProjectPath\n");
  EXPECT_EQ(out, "ok \"Site show\"\nok \"\"\n");
}

TEST_F(DemoShow, WithoutTheShippedFileTheBuiltInShowIsLoaded) {
  // A data folder without a demo show, and one whose show is not a project.
  for (const std::string& content : {std::string(), std::string("no show here")}) {
    fs::remove_all(dir / "demo");
    if (!content.empty()) {
      fs::create_directories(dir / "demo");
      std::ofstream(dir / "demo/demo_show.xml", std::ios::binary) << content;
    }
    const std::string out = RunProgram("LUMORA_DATA_DIR=" + dir.string(),
                                       "--headless --console --manual-clock --demo",
                                       "get ProjectName\nget ProjectText\nget ChannelInfo(0).Name\n");
    EXPECT_EQ(out, "ok \"Demo show\"\nok \"A small show to try the desk with.\"\nok \"FOH1\"\n") << content;
  }
}

}  // namespace
}  // namespace lumora
