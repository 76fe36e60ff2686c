// Saving files so that nothing a user keeps is ever half-written: the project
// file, its numbered backups and the fixture files, under kills and full disks.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "core/safe_file.h"
#include "sequences/fixture_file.h"
#include "tests/desk_fixture.h"
#include "tests/support/file_text.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;

using testing::Slurp;
using testing::Spit;
std::set<std::string> Names(const fs::path& dir) {
  std::set<std::string> out;
  for (const auto& e : fs::directory_iterator(dir)) out.insert(e.path().filename().string());
  return out;
}

class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/lumora-safe-XXXXXX";
    dir = mkdtemp(tmpl);
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  fs::path dir;
};

// Runs `write` in a child process whose file size limit kills it (SIGXFSZ)
// part-way through; returns the signal that ended the child.
template <typename F>
int KilledPartWay(F write) {
  pid_t pid = fork();
  if (pid == 0) {
    signal(SIGXFSZ, SIG_DFL);
    rlimit tiny{};
    getrlimit(RLIMIT_FSIZE, &tiny);
    tiny.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &tiny);
    write();
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

// A full disk: writes past `bytes` fail with EFBIG instead of killing.
class DiskFullAfter {
 public:
  explicit DiskFullAfter(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    oldHandler_ = signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = old_;
    tiny.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &tiny);
  }
  ~DiskFullAfter() {
    setrlimit(RLIMIT_FSIZE, &old_);
    signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit old_{};
  sighandler_t oldHandler_;
};

TEST(SafeFile, AKillDuringTheWriteLeavesTheOldFileAndNoTemporary) {
  TempDir t;
  const fs::path target = t.dir / "show.xml";
  Spit(target, "old show");
  const std::string big(1 << 20, 'x');
  EXPECT_EQ(KilledPartWay([&] { WriteFileAtomically(target.string(), big); }), SIGXFSZ);
  EXPECT_EQ(Slurp(target), "old show");
  EXPECT_EQ(Names(t.dir), std::set<std::string>{"show.xml"});
}

TEST(SafeFile, StaleTemporariesOfThatFileGoOthersStay) {
  TempDir t;
  const fs::path target = t.dir / "show.xml";
  Spit(t.dir / ".show.xml.saving-Ab12Cd", "half");
  Spit(t.dir / ".show.xml.saving-zz99zz", "half");
  Spit(t.dir / ".other.xml.saving-Ab12Cd", "someone else's");
  Spit(t.dir / ".show.xml.saving-notours-at-all", "not this code's shape");
  ASSERT_EQ(WriteFileAtomically(target.string(), "new"), "");
  EXPECT_EQ(Slurp(target), "new");
  EXPECT_EQ(Names(t.dir), (std::set<std::string>{"show.xml", ".other.xml.saving-Ab12Cd",
                                                 ".show.xml.saving-notours-at-all"}));
}

TEST(SafeFile, PreparedFileIsInvisibleUntilCommittedAndDiscardedIfNot) {
  TempDir t;
  const fs::path target = t.dir / "show.xml";
  Spit(target, "old");
  {
    AtomicWrite w;
    ASSERT_EQ(w.prepare(target.string(), "new"), "");
    EXPECT_EQ(Slurp(target), "old");
    EXPECT_EQ(Names(t.dir), std::set<std::string>{"show.xml"});
    ASSERT_EQ(w.commit(), "");
  }
  EXPECT_EQ(Slurp(target), "new");
  {
    AtomicWrite w;
    ASSERT_EQ(w.prepare(target.string(), "never"), "");
  }
  EXPECT_EQ(Slurp(target), "new");
  EXPECT_EQ(Names(t.dir), std::set<std::string>{"show.xml"});
}

class FixtureSave : public testing::DeskTest {
 protected:
  std::string save(const fs::path& p, bool single) {
    cmd("queue file " + p.string());
    return cmd(single ? "click Chases.Save_Fixture_Single" : "click Chases.Save_Fixture_All");
  }
  bool sawError() const {
    for (const auto& e : lastEvents)
      if (e.find("Unable to write the fixture file") != std::string::npos) return true;
    return false;
  }
  TempDir t;
};

TEST_F(FixtureSave, AFullDiskKeepsThePreviousFixtureFileWhole) {
  const fs::path target = t.dir / "rig.fxt";
  for (bool single : {true, false}) {
    Spit(target, "previous fixture file");
    {
      DiskFullAfter full(64);
      save(target, single);
    }
    EXPECT_TRUE(sawError()) << single;
    EXPECT_EQ(Slurp(target), "previous fixture file") << single;
    EXPECT_EQ(Names(t.dir), std::set<std::string>{"rig.fxt"}) << single;
  }
}

TEST_F(FixtureSave, SavedFixtureFilesReplaceTheOldOnesWhole) {
  const fs::path single = t.dir / "one.fxt";
  const fs::path all = t.dir / "all.fxt";
  Spit(single, std::string(200000, 'o'));
  Spit(all, std::string(200000, 'o'));
  EXPECT_EQ(save(single, true), "ok");
  EXPECT_EQ(save(all, false), "ok");
  EXPECT_FALSE(sawError());
  // Exactly the writer's text: nothing of the longer old file survives.
  EXPECT_EQ(Slurp(single), FixtureFileText(S(), true, S().SelectedFixture));
  EXPECT_EQ(Slurp(all), FixtureFileText(S(), false, 0));
  EXPECT_EQ(Names(t.dir), (std::set<std::string>{"one.fxt", "all.fxt"}));
}

}  // namespace
}  // namespace lumora
