// The lumora command as a launcher: it maps no GUI library, answers the
// options that need no desk itself, and replaces itself (same process) by
// the program asked for, found beside it or in its installation's helper
// folder; without one it says where it looked and fails.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/file_text.h"

namespace {

namespace fs = std::filesystem;
using lumora::testing::Slurp;
using lumora::testing::Spit;

struct Outcome {
  int status;
  std::string out;
};

// A shell command's output (stdout and stderr) and exit status.
Outcome Shell(const std::string& command) {
  FILE* p = popen((command + " 2>&1 </dev/null").c_str(), "r");
  std::string out;
  char buf[4096];
  while (p && fgets(buf, sizeof buf, p)) out += buf;
  const int st = p ? pclose(p) : -1;
  return {WIFEXITED(st) ? WEXITSTATUS(st) : -1, out};
}

// The libraries the dynamic loader would map for `program`, without running it.
std::string MappedLibraries(const std::string& program) {
  return Shell("env LD_TRACE_LOADED_OBJECTS=1 " + program).out;
}

// A copy of the lumora command in <scratch>/bin, alone or with stand-ins for
// the programs it starts.
class LumoraCommandCopy : public ::testing::Test {
 protected:
  LumoraCommandCopy() {
    char tmpl[] = "/tmp/lumora-launch-XXXXXX";
    root = mkdtemp(tmpl);
    fs::create_directories(root / "bin");
    fs::copy_file(LUMORA_BIN, root / "bin/lumora");
  }
  ~LumoraCommandCopy() override { fs::remove_all(root); }

  // A stand-in program: prints its process id and its arguments.
  void standIn(const fs::path& where) {
    fs::create_directories(where.parent_path());
    Spit(where, "#!/bin/sh\necho \"" + where.filename().string() + " pid $$ args $*\"\n");
    fs::permissions(where, fs::perms::owner_all);
  }
  // Runs bin/lumora with `args`; the process id it was started as in *pid.
  Outcome lumora(const std::vector<std::string>& args, pid_t* pid = nullptr) {
    const fs::path outPath = root / "out";
    const std::string program = (root / "bin/lumora").string();
    const pid_t child = fork();
    if (child == 0) {
      const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int in = open("/dev/null", O_RDONLY);
      dup2(in, 0);
      dup2(out, 1);
      dup2(out, 2);
      std::vector<char*> argv{const_cast<char*>("lumora")};
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      unsetenv("DISPLAY");
      unsetenv("WAYLAND_DISPLAY");
      execv(program.c_str(), argv.data());
      _exit(99);
    }
    if (pid) *pid = child;
    int st = -1;
    waitpid(child, &st, 0);
    return {WIFEXITED(st) ? WEXITSTATUS(st) : -1, Slurp(outPath)};
  }
  // Whether the folder the build was configured to install helpers into
  // holds `name` (a desk installed on this machine would answer instead).
  static bool installedHelper(const std::string& name) {
    return access((std::string(LUMORA_HELPER_DIR) + "/" + name).c_str(), F_OK) == 0;
  }

  fs::path root;
};

TEST(LumoraCommand, MapsNoGuiLibraryAndAnswersVersionHelpAndCtlWithoutADisplay) {
  for (const std::string program : {LUMORA_BIN, LUMORA_HEADLESS_BIN}) {
    const std::string libs = MappedLibraries(program);
    EXPECT_NE(libs.find("libc.so"), std::string::npos) << libs;  // the trace itself worked
    EXPECT_EQ(libs.find("libQt"), std::string::npos) << program << ":\n" << libs;
  }
  const std::string bare = std::string("env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb ") + LUMORA_BIN;
  const Outcome version = Shell(bare + " --version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("lumora ", 0), 0u) << version.out;
  const Outcome help = Shell(bare + " --help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--headless"), std::string::npos);
  // --ctl is the socket client in this process: no desk to reach, status 2.
  const Outcome ctl = Shell(bare + " --ctl /tmp/lumora-launch-no-such.sock get ProjectName");
  EXPECT_EQ(ctl.status, 2);
  EXPECT_NE(ctl.out.find("cannot connect to /tmp/lumora-launch-no-such.sock"), std::string::npos) << ctl.out;
  // lumora-headless, which a service may start directly, answers the same
  // (it once ran a whole desk for --version; `timeout` ends such a run).
  const Outcome direct = Shell(std::string("timeout 10 ") + LUMORA_HEADLESS_BIN + " --version");
  EXPECT_EQ(direct.status, 0);
  EXPECT_EQ(direct.out, version.out);
  // Option errors are answered before anything is started.
  const Outcome bad = Shell(bare + " --headless --bogus");
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.out.rfind("lumora: unknown option --bogus\nusage:", 0), 0u) << bad.out;
}

TEST_F(LumoraCommandCopy, WithoutTheProgramItStartsItSaysWhereItLookedAndFails) {
  if (installedHelper("lumora-headless") || installedHelper("lumora-gui"))
    GTEST_SKIP() << "a desk is installed in " << LUMORA_HELPER_DIR;
  const std::string looked = (root / "bin").string() + ", " + (root / "libexec/lumora").string() + " or " +
                             LUMORA_HELPER_DIR;
  const Outcome headless = lumora({"--headless", "--quiet"});
  EXPECT_EQ(headless.status, 127);
  EXPECT_EQ(headless.out, "lumora: cannot start the headless desk: lumora-headless is not in " + looked + "\n");

  const Outcome windows = lumora({"--demo"});
  EXPECT_TRUE(windows.status == 127 || windows.status == 2) << windows.out;
  if (windows.status == 127)
    EXPECT_EQ(windows.out, "lumora: cannot start the desk's windows: lumora-gui is not in " + looked + "\n");
  else
    EXPECT_EQ(windows.out, "lumora: built without windows; use --headless\n");

  // What needs no other program still works.
  EXPECT_EQ(lumora({"--version"}).status, 0);
  EXPECT_EQ(lumora({"--help"}).status, 0);
}

TEST_F(LumoraCommandCopy, StartsTheProgramInItsOwnProcessFromBesideItElseFromTheHelperFolder) {
  // The installed layout: lumora-headless beside the command, the windows in
  // <prefix>/libexec/lumora, found from the command's own folder.
  standIn(root / "bin/lumora-headless");
  standIn(root / "libexec/lumora/lumora-gui");
  pid_t pid = 0;
  const Outcome headless = lumora({"--headless", "--project", "show xml"}, &pid);
  EXPECT_EQ(headless.status, 0);
  EXPECT_EQ(headless.out, "lumora-headless pid " + std::to_string(pid) + " args --headless --project show xml\n");
  const Outcome windows = lumora({"--demo", "--sim"}, &pid);
  if (windows.out.find("built without windows") == std::string::npos) {
    EXPECT_EQ(windows.status, 0);
    EXPECT_EQ(windows.out, "lumora-gui pid " + std::to_string(pid) + " args --demo --sim\n");
  }

  // The build tree's layout: beside the command wins.
  standIn(root / "bin/lumora-gui");
  EXPECT_EQ(lumora({"--demo"}, &pid).out.rfind("lumora-gui pid " + std::to_string(pid), 0), 0u);
  fs::remove(root / "bin/lumora-gui");
  fs::remove(root / "libexec/lumora/lumora-gui");

  // A program that is there but cannot run is reported as such.
  Spit(root / "bin/lumora-headless", "not a program");
  fs::permissions(root / "bin/lumora-headless", fs::perms::owner_all);
  if (!installedHelper("lumora-headless")) {
    const Outcome broken = lumora({"--headless"});
    EXPECT_EQ(broken.status, 126);
    EXPECT_EQ(broken.out, "lumora: cannot start the headless desk: " + (root / "bin/lumora-headless").string() +
                              ": Exec format error\n");
  }
}

}  // namespace
