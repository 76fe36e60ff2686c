// Switches read from the environment (simulation, measuring, logging).
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace lumora {

// The variable's text; "" when unset.
inline std::string EnvText(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

// A switch: unset or empty = no choice made, "0" = off, anything else = on.
inline std::optional<bool> EnvSwitch(const char* name) {
  const std::string v = EnvText(name);
  if (v.empty()) return std::nullopt;
  return v != "0";
}

// A switch that is off unless set.
inline bool EnvSet(const char* name) { return EnvSwitch(name).value_or(false); }

}  // namespace lumora
