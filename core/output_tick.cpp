#include "core/output_tick.h"

#include "core/levels.h"

namespace lumora {

void MixChannels(const DeskState& s, const TickMasters& m, std::array<int16_t, 65>& out) {
  const double mainFactor = (255 - m.channels) / 255.0;
  const double subFactor = (255 - m.submix) / 255.0;
  const double grandFactor = (255 - m.playMain) / 255.0;
  const int presetLevel = 255 - m.preset;
  const SubmixRec& sub = s.Submixes[s.CurrentSubmix >= 0 && s.CurrentSubmix <= kSubmixes ? s.CurrentSubmix : 0];
  int subCursor = 0;

  const bool fading = s.AutotakeRunning == -1 || s.CrossfadeRunning == -1;
  const int x = s.CrossfadePos;
  const ScreenRecord& live = s.Screens[s.LiveScreen >= 0 && s.LiveScreen < kScreens ? s.LiveScreen : 0];

  for (int i = 0; i < kDeskChannels; ++i) {
    // Intermediates are taken in 32 bits: the crossfade sum may reach 510.
    int o;
    if (s.RunMode == 0) {
      o = Nearest(s.DeskLevels[i] * mainFactor);
      if (s.ChaseLevels[i] > o) o = s.ChaseLevels[i];
      if (subCursor <= 64 && sub.Channel[subCursor] - 1 == i) {
        double v = sub.Level[subCursor] * subFactor;
        if (v > o) o = Nearest(v);
        ++subCursor;
      }
      if (s.PlayChaseLevels[i] > o) o = s.PlayChaseLevels[i];
      if (s.FunctionLevels[i] > o) o = s.FunctionLevels[i];
    } else if (!fading) {
      o = Nearest(static_cast<double>(presetLevel * s.DeskLevels[i]) / 255.0);
      if (s.FunctionLevels[i] > o) o = s.FunctionLevels[i];
      if (s.PlayChaseLevels[i] > o) o = s.PlayChaseLevels[i];
    } else {
      if (s.ChannelInfo[i].Cross_F == 0) {
        o = ScaleLevel(s.DeskLevels[i], static_cast<int16_t>(255 - x), static_cast<int16_t>(presetLevel), 0, 3) +
            ScaleLevel(live.Preset[i], static_cast<int16_t>(x), live.PresetLevel, 0, 3);
        int f = ScaleLevel(s.FunctionLevels[i], static_cast<int16_t>(255 - x), 0, 0, 2) +
                ScaleLevel(s.ScreenFunctionLevels[i], static_cast<int16_t>(x), 0, 0, 2);
        if (f > o) o = f;
      } else {
        o = ScaleLevel(live.Preset[i], live.PresetLevel, 0, 0, 2);
        if (s.ScreenFunctionLevels[i] > o) o = s.ScreenFunctionLevels[i];
      }
      if (s.PlayChaseLevels[i] > o) o = s.PlayChaseLevels[i];
    }
    if (s.ChannelInfo[i].Main_F == 0) o = Nearest(o * grandFactor);
    if (o > 255) o = 255;
    out[i] = static_cast<int16_t>(o);
  }
  out[64] = 0;
}

void PatchFrame(DeskState& s, const std::array<int16_t, 65>& out) {
  // Entry 0 of the lookup is "unpatched"; a patch value outside 1..64 (a
  // damaged project file) reads it too, never beyond the table.
  std::array<uint8_t, kDeskChannels + 1> byChannel;
  byChannel[0] = 0;
  for (int c = 1; c <= kDeskChannels; ++c) byChannel[c] = static_cast<uint8_t>(out[c - 1]);
  const int16_t* __restrict patch = s.PatchTable.data();
  uint8_t* __restrict frame = s.DmxFrame.data();
  const uint8_t* __restrict lut = byChannel.data();
  for (int k = 0; k < kDmxSlots; ++k) {
    const auto p = static_cast<uint16_t>(patch[k]);
    frame[k] = lut[p <= kDeskChannels ? p : 0];
  }
}

void MixFrame(DeskState& s, const TickMasters& m) {
  std::array<int16_t, 65> out;
  MixChannels(s, m, out);
  PatchFrame(s, out);
}

}  // namespace lumora
