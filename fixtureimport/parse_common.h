// Small text helpers shared by the two parsers.
#pragma once

#include <cctype>
#include <string>
#include <string_view>

namespace lumora::fixtureimport {

inline std::string Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return std::string(s.substr(b, e - b));
}

inline std::string Lower(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// A name quoted in a message, kept short.
inline std::string Clip(std::string_view s, std::size_t max = 40) {
  if (s.size() <= max) return std::string(s);
  return std::string(s.substr(0, max)) + "...";
}

}  // namespace lumora::fixtureimport
