#include "playback/function_levels.h"

#include "core/levels.h"

namespace lumora {

namespace {

bool ValidChannel(int ch) { return ch >= 1 && ch <= kDeskChannels; }

void Raise(std::array<int16_t, 64>& t, int ch, int16_t v) {
  if (ValidChannel(ch) && v > t[static_cast<std::size_t>(ch - 1)]) t[static_cast<std::size_t>(ch - 1)] = v;
}

void AddSubmix(const DeskState& s, int sub, int16_t level, std::array<int16_t, 64>& t) {
  if (sub < 0 || sub > kSubmixes) return;
  const SubmixRec& m = s.Submixes[static_cast<std::size_t>(sub)];
  for (int j = 0; j <= kDeskChannels; ++j) {
    const int ch = m.Channel[static_cast<std::size_t>(j)];
    if (ch == 0) break;  // end marker
    Raise(t, ch, ScaleLevel(m.Level[static_cast<std::size_t>(j)], level, 0, 0, 2));
  }
}

}  // namespace

void ComputeFunctionLevels(const DeskState& s, const std::array<int16_t, 81>& buttons,
                           const std::array<int16_t, 61>& faders, std::array<int16_t, 64>& out) {
  out.fill(0);
  for (int b = 0; b < kPlayButtons; ++b) {
    if (buttons[static_cast<std::size_t>(b)] == 0) continue;
    const ButtonFunctionRec& r = s.ButtonFunctions[static_cast<std::size_t>(b)];
    switch (r.Function) {
      case kFnSubmix:
        AddSubmix(s, r.Value, r.Level, out);
        break;
      case kFnPreset:
        for (int ch : {r.Channel1, r.Channel2, r.Channel3})
          if (ValidChannel(ch)) out[static_cast<std::size_t>(ch - 1)] = r.Level;
        break;
      case kFnColour: {
        const int16_t chans[3] = {r.Channel1, r.Channel2, r.Channel3};
        const int16_t data[3] = {r.Data1, r.Data2, r.Data3};
        for (int k = 0; k < 3; ++k)
          if (data[k] > 0 && ValidChannel(chans[k])) out[static_cast<std::size_t>(chans[k] - 1)] = data[k];
        break;
      }
      default:
        break;
    }
  }
  for (int f = 0; f < kPlayFaders; ++f) {
    const int16_t level = faders[static_cast<std::size_t>(f)];
    if (level <= 0) continue;
    const FaderFunctionRec& r = s.FaderFunctions[static_cast<std::size_t>(f)];
    switch (r.Function) {
      case kFnSubmix:
        AddSubmix(s, r.Value, level, out);
        break;
      case kFnPreset: {
        const int16_t v = ScaleLevel(r.Level, level, 0, 0, 2);
        for (int ch : {r.Channel1, r.Channel2, r.Channel3}) Raise(out, ch, v);
        break;
      }
      case kFnColour:
        Raise(out, r.Channel1, ScaleLevel(r.Data1, level, 0, 0, 2));
        Raise(out, r.Channel2, ScaleLevel(r.Data2, level, 0, 0, 2));
        Raise(out, r.Channel3, ScaleLevel(r.Data3, level, 0, 0, 2));
        break;
      default:
        break;
    }
  }
}

}  // namespace lumora
