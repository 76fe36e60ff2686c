#include "core/output_tick.h"

#include "core/levels.h"

namespace lumora {

namespace {

// n/d rounded to the nearest integer, halves to even, for n >= 0. For
// levels and factors in 0..255 (levels up to 1024) this equals the double
// arithmetic of ScaleLevel and the master scaling exactly (checked over every
// input by a test), and lets the compiler divide by the constant without a
// floating-point division.
template <int D>
inline int DivRound(int n) {
  const int q = n / D;
  const int r = n - q * D;
  return q + ((2 * r > D) | ((2 * r == D) & (q & 1)));
}

inline bool InRange(int v, int hi) { return static_cast<unsigned>(v) <= static_cast<unsigned>(hi); }

// ScaleLevel(v, f, 0, 0, 2) with f in 0..255.
inline int Scale2(int v, int f) {
  if (v <= 0 || f <= 0) return 0;
  if (v <= 1024) return DivRound<255>(v * f);
  return ScaleLevel(static_cast<int16_t>(v), static_cast<int16_t>(f), 0, 0, 2);
}

// ScaleLevel(v, f1, f2, 0, 3) with f1, f2 in 0..255.
inline int Scale3(int v, int f1, int f2) {
  if (v <= 0 || f1 <= 0) return 0;
  if (v <= 1024) return DivRound<65025>(v * f1 * f2);
  return ScaleLevel(static_cast<int16_t>(v), static_cast<int16_t>(f1), static_cast<int16_t>(f2), 0, 3);
}

// v * (f / 255) rounded, f in 0..255 (the master scalings).
inline int Master(int v, int f) {
  if (InRange(v, 1024)) return DivRound<255>(v * f);
  return Nearest(v * (f / 255.0));
}

}  // namespace

void MixChannels(const DeskState& s, const TickMasters& in, std::array<int16_t, 65>& out) {
  // Masters outside their travel (only a script can do that) are held to it.
  auto travel = [](int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); };
  const int mainF = 255 - travel(in.channels);
  const int subF = 255 - travel(in.submix);
  const int grandF = 255 - travel(in.playMain);
  const int presetF = 255 - travel(in.preset);
  const SubmixRec& sub = s.Submixes[InRange(s.CurrentSubmix, kSubmixes) ? s.CurrentSubmix : 0];
  int subCursor = 0;

  const bool fading = s.AutotakeRunning == -1 || s.CrossfadeRunning == -1;
  const int x = travel(s.CrossfadePos);
  const ScreenRecord& live = s.Screens[InRange(s.LiveScreen, kScreens - 1) ? s.LiveScreen : 0];
  const int liveLevel = travel(live.PresetLevel);

  for (int i = 0; i < kDeskChannels; ++i) {
    // Intermediates are taken in 32 bits: the crossfade sum may reach 510.
    int o;
    if (s.RunMode == 0) {
      o = Master(s.DeskLevels[i], mainF);
      if (s.ChaseLevels[i] > o) o = s.ChaseLevels[i];
      // The cursor only advances on a match, so a submix contributes fully
      // only when its entries are in ascending channel order.
      if (subCursor <= 64 && sub.Channel[subCursor] - 1 == i) {
        const int lv = sub.Level[subCursor];
        if (static_cast<long>(lv) * subF > static_cast<long>(o) * 255) o = Master(lv, subF);
        ++subCursor;
      }
      if (s.PlayChaseLevels[i] > o) o = s.PlayChaseLevels[i];
      if (s.FunctionLevels[i] > o) o = s.FunctionLevels[i];
    } else if (!fading) {
      o = Master(s.DeskLevels[i], presetF);
      if (s.FunctionLevels[i] > o) o = s.FunctionLevels[i];
      if (s.PlayChaseLevels[i] > o) o = s.PlayChaseLevels[i];
    } else {
      if (s.ChannelInfo[i].Cross_F == 0) {
        // The desk side fades out as the screen fades in.
        o = Scale3(s.DeskLevels[i], 255 - x, presetF) + Scale3(live.Preset[i], x, liveLevel);
        const int f = Scale2(s.FunctionLevels[i], 255 - x) + Scale2(s.ScreenFunctionLevels[i], x);
        if (f > o) o = f;
      } else {
        o = Scale2(live.Preset[i], liveLevel);
        if (s.ScreenFunctionLevels[i] > o) o = s.ScreenFunctionLevels[i];
      }
      if (s.PlayChaseLevels[i] > o) o = s.PlayChaseLevels[i];
    }
    if (s.ChannelInfo[i].Main_F == 0) o = Master(o, grandF);
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
