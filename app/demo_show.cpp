#include "app/demo_show.h"

#include <array>
#include <string>

#include "app/desk.h"
#include "desk/hoofdblad.h"
#include "platform/data_dir.h"
#include "project/project_io.h"

namespace lumora {

namespace {
// The small built-in show, for a desk whose shared data is not installed.
void LoadBuiltInShow(Desk& desk) {
  DeskState& s = desk.state;
  static const std::array<const char*, 12> names = {"FOH1", "FOH2", "FOH3", "FOH4", "Back", "Back",
                                                     "Side", "Side", "Cyc", "Cyc", "Spot", "Haze"};
  for (std::size_t i = 0; i < names.size(); ++i) {
    s.ChannelInfo[i].Name = names[i];
    s.ChannelInfo[i].Desc = std::string(names[i]) + " " + std::to_string(i + 1);
  }
  static const std::array<int, 8> levels = {255, 200, 180, 160, 90, 90, 128, 128};
  for (std::size_t i = 0; i < levels.size(); ++i) s.DeskLevels[i] = static_cast<int16_t>(levels[i]);
  auto& warm = s.Submixes[0];
  warm.Name = "Warm wash";
  warm.Colour = "33023";
  for (int j = 0; j < 4; ++j) {
    warm.Channel[j] = static_cast<int16_t>(j + 1);
    warm.Level[j] = 220;
  }
  auto& cyc = s.Submixes[1];
  cyc.Name = "Cyc blue";
  cyc.Colour = "16711680";
  cyc.Channel[0] = 9;
  cyc.Level[0] = 255;
  cyc.Channel[1] = 10;
  cyc.Level[1] = 180;
  s.ProjectName = "Demo show";
  s.ProjectText = "A small show to try the desk with.";
  desk.hoofdblad().RefreshDesk();
}
}  // namespace

void LoadDemoShow(Desk& desk) {
  const std::string file = DemoShowFile();
  if (!file.empty() && LoadProjectFile(desk, file).empty()) {
    // The shipped show is a template: saving asks for a file name instead of
    // writing over it.
    desk.state.ProjectPath.clear();
    desk.state.ProjectFileName = "untitled";
    return;
  }
  LoadBuiltInShow(desk);
}

}  // namespace lumora
