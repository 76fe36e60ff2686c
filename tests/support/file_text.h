// Whole files as text, for tests that write a show and read back what the
// desk saved.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace lumora::testing {

inline std::string Slurp(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

inline void Spit(const std::filesystem::path& p, const std::string& bytes) {
  std::ofstream f(p, std::ios::binary);
  f << bytes;
}

}  // namespace lumora::testing
