// Writing a file so that a crash, a kill or a full disk never leaves a
// half-written one behind: the new bytes go to a temporary file in the same
// folder, are flushed to the disk and only then take the target's name.
#pragma once

#include <string>

namespace lumora {

// A write in two steps, so that work can happen between "the new file is
// safely on the disk" and "it takes the target's name" (rotating backups).
// Where the file system allows it the temporary file has no name until the
// commit (O_TMPFILE), so a process killed while writing leaves nothing.
class AtomicWrite {
 public:
  AtomicWrite() = default;
  ~AtomicWrite();
  AtomicWrite(const AtomicWrite&) = delete;
  AtomicWrite& operator=(const AtomicWrite&) = delete;

  // Writes and flushes `bytes` for `path`. Returns "" or a short reason;
  // on failure nothing is left behind and the target is untouched.
  std::string prepare(const std::string& path, const std::string& bytes);
  // Puts the prepared file in the target's place. Returns "" or a reason.
  std::string commit();

 private:
  void discard();
  std::string path_;
  std::string folder_;
  std::string tmpName_;  // the named temporary, when one exists
  int fd_ = -1;          // the open unnamed temporary (O_TMPFILE)
};

// Both steps at once. Returns "" or a short reason.
std::string WriteFileAtomically(const std::string& path, const std::string& bytes);

// Removes the temporaries an interrupted save of `path` may have left
// (".NAME.saving-*" beside it). Returns how many were removed.
int RemoveStaleSaveTemps(const std::string& path);

// The same for every file of `folder` (a folder only this program writes,
// such as the autosave folder). Returns how many were removed.
int RemoveStaleSaveTempsIn(const std::string& folder);

// The folder part of a path ("." for a bare name).
std::string FolderOf(const std::string& path);

}  // namespace lumora
