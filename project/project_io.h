// Project file entry points used outside the project subsystem, and the
// file plumbing the menus share: whole-file reads and atomic writes.
#pragma once

#include <cstddef>
#include <string>

#include "core/safe_file.h"

namespace lumora {

class DeskBase;
struct DeskOptions;

// Reads a project file into the desk as the LoadXML menu does (without its
// file dialog). Returns "" on success, else a short reason.
std::string LoadProjectFile(DeskBase& desk, const std::string& path);

// The start of a desk: opens the project given on the command line (or the
// last one, when the operator chose so) and offers to recover unsaved work.
// Returns "" or the reason the project could not be loaded.
std::string OpenStartupProject(DeskBase& desk, const std::string& projectOption);

// The user's folders for a desk's options (autosaves, settings).
void UseUserFolders(DeskOptions& opts);

// Largest file the reader accepts; a full show is well under 2 MB.
inline constexpr std::size_t kMaxProjectFileBytes = 64u * 1024u * 1024u;

// The whole file into `out`. Returns "" or a short reason.
std::string ReadWholeFile(const std::string& path, std::string& out);


// Today's date as the project file holds it: "dd/mm/yyyy".
std::string TodayText();

}  // namespace lumora
