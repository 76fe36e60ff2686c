// Linked into every test program that makes a desk: HOME and the XDG folders
// point into a folder of this process, removed at its end, so no test and
// no desk process it starts (children inherit the environment) reads or
// writes a real user's autosaves or settings.
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace {
class PrivateHome {
 public:
  PrivateHome() {
    char tmpl[] = "/tmp/lumora-test-home-XXXXXX";
    if (!mkdtemp(tmpl)) return;
    dir_ = tmpl;
    setenv("HOME", dir_.c_str(), 1);
    setenv("XDG_STATE_HOME", (dir_ + "/state").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir_ + "/config").c_str(), 1);
    owner_ = getpid();
  }
  ~PrivateHome() {
    // A forked child that exits normally must not remove its parent's home.
    if (dir_.empty() || getpid() != owner_) return;
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

 private:
  std::string dir_;
  pid_t owner_ = 0;
};
const PrivateHome kHome;
}  // namespace
