// Shows for the project file's tests and benchmarks: an empty desk and a
// maximal one with every table full.
#pragma once

#include <string>

#include "core/desk_state.h"

namespace lumora::testing {

inline void EmptyDesk(DeskState& s) {
  s = DeskState{};
  DeskInitTables(s);
}

// 200 screens with every level set, 32 chases of 32 steps, 33 full submixes,
// every channel named, every button and fader assigned, all pages, a full
// patch and eight Art-Net ports.
inline void MaximalShow(DeskState& s) {
  EmptyDesk(s);
  s.ProjectName = "Maximal show";
  s.ProjectText = "Every table full";
  s.ProjectVersion = 41;
  s.AdapterType = 3;
  s.BcfMode = 2;
  for (int p = 0; p < 8; ++p) s.ArtPorts[p] = {-1, static_cast<uint8_t>(p)};
  for (int n = 0; n <= kSubmixes; ++n) {
    auto& m = s.Submixes[n];
    m.Name = "Submix " + std::to_string(n);
    m.Colour = std::to_string(1000 + n);
    for (int j = 0; j < 64; ++j) {
      m.Channel[j] = static_cast<int16_t>(j + 1);
      m.Level[j] = static_cast<int16_t>(1 + (n * 7 + j) % 255);
    }
  }
  for (int k = 0; k < kDmxSlots; ++k) s.PatchTable[k] = static_cast<int16_t>(1 + k % 64);
  for (int c = 0; c < kDeskChannels; ++c) {
    auto& ci = s.ChannelInfo[c];
    ci.Desc = "Lamp " + std::to_string(c + 1);
    ci.Name = "L" + std::to_string(c + 1);
    ci.Colour = std::to_string(c * 1024);
    ci.Main_F = c % 2 ? -1 : 0;
    ci.Cross_F = c % 3 ? 0 : -1;
  }
  for (int b = 0; b <= kPlayButtons; ++b) {
    auto& r = s.ButtonFunctions[b];
    r.Name = "B" + std::to_string(b);
    r.Value = static_cast<int16_t>(b % 32);
    r.Colour = std::to_string(b * 3);
    r.Function = static_cast<int16_t>(b % 4);
    r.Latch = b % 2 ? -1 : 0;
    r.Channel1 = static_cast<int16_t>(1 + b % 64);
    r.Channel2 = static_cast<int16_t>(1 + (b + 1) % 64);
    r.Channel3 = static_cast<int16_t>(1 + (b + 2) % 64);
    r.Data1 = 10;
    r.Data2 = 20;
    r.Data3 = 30;
    r.Level = static_cast<int16_t>(255 - b);
    r.Preset = b % 3 ? 0 : -1;
  }
  for (int f = 0; f <= kPlayFaders; ++f) {
    auto& r = s.FaderFunctions[f];
    r.Name = "F" + std::to_string(f);
    r.Value = static_cast<int16_t>(f % 32);
    r.Colour = std::to_string(f * 5);
    r.Function = static_cast<int16_t>(f % 4);
    r.Channel1 = static_cast<int16_t>(1 + f % 64);
    r.Channel2 = 2;
    r.Channel3 = 3;
    r.Data1 = 1;
    r.Data2 = 2;
    r.Data3 = 3;
    r.Level = static_cast<int16_t>(200 - f);
  }
  for (int c = 0; c < 32; ++c) {
    auto& r = s.Chases[c];
    r.Name = "Chase " + std::to_string(c);
    r.Colour = std::to_string(c * 11);
    r.Steps = 32;
    r.Fixture = static_cast<int16_t>(c % 21);
    r.Loop = static_cast<int16_t>(c % 4);
    for (int ch = 0; ch < 24; ++ch) r.Channels[ch] = static_cast<int16_t>((c + ch) % 62);
    for (int st = 0; st < kChaseSteps; ++st) {
      r.Speed[st] = 0.1 * (st + 1);
      r.Time[st] = 0.25 * st;
      for (int ch = 0; ch < 24; ++ch) {
        r.Data[st][ch] = static_cast<int16_t>((st * 24 + ch) % 256);
        r.Fade[st][ch] = static_cast<int16_t>((st + ch) % 3);
      }
      for (int k = 0; k < 6; ++k) r.Fix[st][k] = static_cast<int16_t>((st + k) % 21);
    }
  }
  s.ScreenCount = kScreens - 1;
  for (int n = 0; n < kScreens; ++n) {
    auto& r = s.Screens[n];
    r.Name = "Screen " + std::to_string(n);
    r.Next = static_cast<int16_t>((n + 1) % kScreens);
    r.Colour = std::to_string(n * 257);
    r.Instant = n % 2 ? -1 : 0;
    r.Auto = n % 3 ? 0 : -1;
    r.PresetLevel = static_cast<int16_t>(1 + n % 255);
    r.Delay = static_cast<int16_t>(n % 10);
    r.Time = static_cast<int16_t>(1 + n % 30);
    for (int f = 0; f <= kPlayFaders; ++f) r.FaderSel[f] = static_cast<int16_t>(1 + (n + f) % 255);
    for (int k = 0; k < kDeskChannels; ++k) r.Preset[k] = static_cast<int16_t>(1 + (n * 3 + k) % 255);
    for (int b = 0; b <= kPlayButtons; ++b) r.ButtonSel[b] = -1;
  }
  for (int p = 0; p < kPages; ++p) {
    s.Pages[p].Name = "Page " + std::to_string(p);
    s.Pages[p].Text = "Notes " + std::to_string(p);
    s.Pages[p].Colour = std::to_string(p * 99);
  }
}

}  // namespace lumora::testing
