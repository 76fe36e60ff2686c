#include "core/desk_state.h"

namespace lumora {

void InitPatch(DeskState& s) {
  s.PatchTable.fill(0);
  for (int k = 0; k < kDeskChannels; ++k) s.PatchTable[k] = static_cast<int16_t>(k + 1);
}

void InitChannelInfo(DeskState& s) {
  for (int i = 0; i < kDeskChannels; ++i) {
    auto& c = s.ChannelInfo[i];
    c.Desc = std::to_string(i + 1);
    c.Name = std::to_string(i + 1);
    c.Colour = kDefaultChannelColour;
    c.Main_F = 0;
    c.Cross_F = 0;
  }
}

void InitFaderFunctions(DeskState& s) {
  for (int f = 0; f <= kPlayFaders; ++f) {
    auto& r = s.FaderFunctions[f];
    r = FaderFunctionRec{};
    if (f <= 12) {
      r.Function = kFnSubmix;
      r.Value = static_cast<int16_t>(f);
      r.Level = 255;
    } else {
      r.Function = kFnOff;
      r.Value = 0;
      r.Level = 0;
    }
  }
}

void InitButtonFunctions(DeskState& s) {
  for (int b = 0; b <= kPlayButtons; ++b) {
    auto& r = s.ButtonFunctions[b];
    r = ButtonFunctionRec{};
    r.Function = b <= 14 ? kFnSequence : kFnOff;
    r.Value = b <= 14 ? static_cast<int16_t>(b) : 0;
    r.Level = 255;
    r.Latch = -1;
    r.Preset = 0;
  }
}

void ResetScreens(DeskState& s) {
  for (int n = 0; n < kScreens; ++n) {
    auto& r = s.Screens[n];
    r.Preset.fill(0);
    r.ButtonSel.fill(0);
    r.FaderSel.fill(0);
    r.PresetLevel = 0;
    r.Time = 2;
    r.Auto = 0;
    r.Delay = 0;
    r.Instant = 0;
    r.Name.clear();
    r.Next = static_cast<int16_t>(n + 1);
    r.Colour.clear();
  }
  s.RunMode = 0;
}

void ClearScreen(DeskState& s, int n) {
  if (n < 0 || n >= kScreens) return;
  auto& r = s.Screens[n];
  r.Preset.fill(0);
  r.ButtonSel.fill(0);
  r.FaderSel.fill(0);
  r.PresetLevel = 255;
  r.Time = 20;
  r.Auto = 0;
  r.Next = static_cast<int16_t>(n + 1);
  r.Name.clear();
  r.Instant = 0;
}

void InitChasesAtStart(DeskState& s) {
  for (int c = 0; c < kChaseCount - 1; ++c) {
    auto& r = s.Chases[c];
    r.Steps = 1;
    r.Loop = 0;
    r.Fixture = 0;
    for (int ch = 0; ch < kChaseChannels; ++ch) r.Channels[ch] = static_cast<int16_t>(ch + 1);
    for (int st = 0; st < kChaseSteps; ++st) {
      r.Speed[st] = 1.0;
      r.Time[st] = 1.0;
      r.Data[st].fill(0);
      r.Fade[st].fill(2);
      r.Fix[st].fill(0);
    }
  }
  s.Chases[kChaseCount - 1].Steps = 15;
}

void ResetChases(DeskState& s) {
  for (auto& r : s.Chases) {
    r.Name.clear();
    r.Colour.clear();
    r.Steps = 1;
    for (int st = 0; st < kChaseSteps; ++st) {
      r.Speed[st] = 100.0;
      r.Time[st] = 100.0;
      // Every used channel is cleared, the moving-light ones included, so a
      // reset never leaves stale levels behind.
      for (int ch = 0; ch <= 23; ++ch) {
        r.Data[st][ch] = 0;
        r.Fade[st][ch] = 0;
      }
    }
    for (int ch = 0; ch <= 23; ++ch) r.Channels[ch] = static_cast<int16_t>(ch + 1);
  }
}

void ClearFixtures(DeskState& s) {
  for (int fx = 0; fx < kFixtureTypes; ++fx) {
    s.FixtureName[fx].clear();
    for (auto& n : s.FixtureFunctionName[fx]) n.clear();
    for (int f = 0; f < 4; ++f) {
      for (int k = 0; k < 21; ++k) {
        s.FixtureButtonText[fx][f][k].clear();
        s.FixtureLow[fx][f][k] = 0;
        s.FixtureHigh[fx][f][k] = 0;
        s.FixtureColour[fx][f][k].clear();
      }
    }
  }
  s.SelectedFixture = 0;
  s.SelectedPad = 0;
  s.SelectedPadEntry = 0;
}

void ClearSubmixes(DeskState& s) {
  for (auto& m : s.Submixes) {
    m.Level.fill(0);
    m.Channel.fill(0);
    m.Name.clear();
    m.Colour.clear();
  }
}

void DeskInitTables(DeskState& s) {
  InitPatch(s);
  s.ProjectFileName = "untitled";
  s.RunMode = 0;
  s.ProjectText.clear();
  s.UsbSearching = 1;
  s.UsbConnected = 1;
  s.ArtNetReady = 0;
  for (int p = 0; p < 8; ++p) s.ArtPorts[p].Enabled = 0;
  InitChannelInfo(s);
  InitChasesAtStart(s);
  ClearFixtures(s);
  InitFaderFunctions(s);
  InitButtonFunctions(s);
  ResetScreens(s);
  s.CurrentSubmix = 0;
  s.FaderBank = 0;
  for (int i = 0; i < kDeskChannels; ++i) s.DeskLevels[i] = 0;
}

}  // namespace lumora
