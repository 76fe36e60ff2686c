// The desk's level invariant: every table whose values are levels stays
// within 0..255, whatever happened. Shared by the soak driver and the
// console-parser fuzz target.
#pragma once

#include <string>

#include "core/desk_state.h"

namespace lumora {

// Empty when every level is in range; else the first offending table.
inline std::string LevelOutOfRange(const DeskState& s) {
  auto bad = [](int v) { return v < 0 || v > 255; };
  auto table = [&](const auto& t) {
    for (auto v : t)
      if (bad(v)) return true;
    return false;
  };
  if (table(s.DeskLevels)) return "DeskLevels";
  if (table(s.FunctionLevels)) return "FunctionLevels";
  if (table(s.ScreenFunctionLevels)) return "ScreenFunctionLevels";
  if (table(s.ChaseLevels)) return "ChaseLevels";
  if (table(s.PlayChaseLevels)) return "PlayChaseLevels";
  if (table(s.PlayFaderLevel)) return "PlayFaderLevel";
  for (std::size_t i = 0; i < s.Submixes.size(); ++i)
    if (table(s.Submixes[i].Level)) return "Submixes(" + std::to_string(i) + ").Level";
  for (std::size_t i = 0; i < s.Screens.size(); ++i) {
    const ScreenRecord& r = s.Screens[i];
    if (table(r.Preset) || table(r.FaderSel) || bad(r.PresetLevel)) return "Screens(" + std::to_string(i) + ")";
  }
  for (std::size_t i = 0; i < s.Chases.size(); ++i)
    for (const auto& row : s.Chases[i].Data)
      if (table(row)) return "Chases(" + std::to_string(i) + ").Data";
  for (std::size_t i = 0; i < s.FaderFunctions.size(); ++i) {
    const FaderFunctionRec& f = s.FaderFunctions[i];
    if (bad(f.Level) || bad(f.Data1) || bad(f.Data2) || bad(f.Data3)) return "FaderFunctions(" + std::to_string(i) + ")";
  }
  for (std::size_t i = 0; i < s.ButtonFunctions.size(); ++i) {
    const ButtonFunctionRec& b = s.ButtonFunctions[i];
    if (bad(b.Level) || bad(b.Data1) || bad(b.Data2) || bad(b.Data3)) return "ButtonFunctions(" + std::to_string(i) + ")";
  }
  return "";
}

}  // namespace lumora
