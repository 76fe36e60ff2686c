// Project file entry points used outside the project subsystem, and the
// file plumbing the menus share: whole-file reads and atomic writes.
#pragma once

#include <cstddef>
#include <string>

namespace lumora {

class Desk;

// Reads a project file into the desk as the LoadXML menu does (without its
// file dialog). Returns "" on success, else a short reason.
std::string LoadProjectFile(Desk& desk, const std::string& path);

// Largest file the reader accepts; a full show is well under 2 MB.
inline constexpr std::size_t kMaxProjectFileBytes = 64u * 1024u * 1024u;

// The whole file into `out`. Returns "" or a short reason.
std::string ReadWholeFile(const std::string& path, std::string& out);

// Writes `bytes` to a temporary file in the target's folder, flushes it to
// the disk and renames it over `path`, so the previous file stays whole
// until the new one is complete. Returns "" or a short reason.
std::string WriteFileAtomically(const std::string& path, const std::string& bytes);

// Today's date as the project file holds it: "dd/mm/yyyy".
std::string TodayText();

}  // namespace lumora
