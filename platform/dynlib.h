// A shared library bound by file name on first use; later calls retry until
// it loads (the operator may install it while the desk runs).
#pragma once

#include <string>

namespace lumora {

class DynLib {
 public:
  explicit DynLib(std::string file) : file_(std::move(file)) {}
  ~DynLib();
  DynLib(const DynLib&) = delete;
  DynLib& operator=(const DynLib&) = delete;

  // The named function, or nullptr when the library or function is missing.
  void* symbol(const char* name);
  const std::string& file() const { return file_; }

 private:
  bool load();
  std::string file_;
  void* handle_ = nullptr;
};

// The directory of the running program ("" when unknown). A program kept in
// the installation's helper folder (<prefix>/libexec/lumora: the desk with
// windows, which the lumora command starts) answers <prefix>/bin, the lumora
// command's folder, so that it finds the shared data and libraries as the
// other programs do.
std::string ProgramDirectory();
// The same for a given folder of the running program.
std::string ProgramDirectoryFor(const std::string& exeDir);

}  // namespace lumora
