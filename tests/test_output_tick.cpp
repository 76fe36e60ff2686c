// The mix rules of the output tick, driven directly on the desk record and
// through the main desk's controls.
#include <gtest/gtest.h>

#include "core/desk_state.h"
#include "core/levels.h"
#include "core/output_tick.h"
#include "desk_fixture.h"

namespace lumora {
namespace {

class Mix : public ::testing::Test {
 protected:
  Mix() { DeskInitTables(s); }
  std::array<int16_t, 65> mix(TickMasters m = {}) {
    std::array<int16_t, 65> out{};
    MixChannels(s, m, out);
    return out;
  }
  DeskState s;
};

TEST_F(Mix, DeskModeScalesFadersByTheChannelMaster) {
  s.DeskLevels[0] = 200;
  EXPECT_EQ(mix()[0], 200);
  EXPECT_EQ(mix({128, 255, 0, 0})[0], 100);  // Nearest(200 * 127/255) = Nearest(99.6)
  EXPECT_EQ(mix({255, 255, 0, 0})[0], 0);
}

TEST_F(Mix, DeskModeSourcesAreHighestTakesPrecedence) {
  s.DeskLevels[4] = 100;
  s.ChaseLevels[4] = 120;
  EXPECT_EQ(mix()[4], 120);
  s.PlayChaseLevels[4] = 130;
  EXPECT_EQ(mix()[4], 130);
  s.FunctionLevels[4] = 90;
  EXPECT_EQ(mix()[4], 130);
  s.FunctionLevels[4] = 140;
  EXPECT_EQ(mix()[4], 140);
}

TEST_F(Mix, ChaseIsComparedAfterTheMasterScaledDesk) {
  s.DeskLevels[2] = 255;
  s.ChaseLevels[2] = 100;
  // channel master at the bottom: the desk gives 0, the chase is unscaled
  EXPECT_EQ(mix({255, 255, 0, 0})[2], 100);
}

TEST_F(Mix, SubmixScaledByItsMasterAndMergedHtp) {
  auto& sub = s.Submixes[0];
  sub.Channel[0] = 3;
  sub.Level[0] = 200;
  sub.Channel[1] = 5;
  sub.Level[1] = 100;
  EXPECT_EQ(mix({0, 255, 0, 0})[2], 0);        // submix master at zero
  EXPECT_EQ(mix({0, 0, 0, 0})[2], 200);
  EXPECT_EQ(mix({0, 0, 0, 0})[4], 100);
  EXPECT_EQ(mix({0, 128, 0, 0})[2], 100);      // 200 * 127/255 = 99.6
  s.DeskLevels[2] = 150;
  EXPECT_EQ(mix({0, 128, 0, 0})[2], 150);      // the desk is higher
}

TEST_F(Mix, SubmixCursorOnlyAdvancesOnAMatch) {
  auto& sub = s.Submixes[0];
  sub.Channel[0] = 5;  // out of order: channel 5 first, then 3
  sub.Level[0] = 100;
  sub.Channel[1] = 3;
  sub.Level[1] = 200;
  auto out = mix({0, 0, 0, 0});
  EXPECT_EQ(out[4], 100);
  EXPECT_EQ(out[2], 0);  // the cursor waited at channel 5
}

TEST_F(Mix, SubmixUsesTheCurrentSubmixOnly) {
  s.Submixes[1].Channel[0] = 1;
  s.Submixes[1].Level[0] = 77;
  EXPECT_EQ(mix({0, 0, 0, 0})[0], 0);
  s.CurrentSubmix = 1;
  EXPECT_EQ(mix({0, 0, 0, 0})[0], 77);
}

TEST_F(Mix, EmptySubmixContributesNothing) {
  s.Submixes[0].Level[0] = 255;  // Channel[0] = 0 ends the list at once
  for (int16_t v : mix({0, 0, 0, 0})) EXPECT_EQ(v, 0);
}

TEST_F(Mix, GrandMasterScalesAllButMainFollowExemptChannels) {
  s.DeskLevels[0] = 200;
  s.DeskLevels[1] = 200;
  s.ChannelInfo[1].Main_F = -1;
  auto out = mix({0, 255, 255, 0});
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[1], 200);
  out = mix({0, 255, 128, 0});
  EXPECT_EQ(out[0], 100);
}

TEST_F(Mix, RunModeWithoutFadeUsesPresetMasterAndIgnoresChaseAndSubmix) {
  s.RunMode = -1;
  s.DeskLevels[0] = 200;
  s.ChaseLevels[0] = 250;
  s.Submixes[0].Channel[0] = 1;
  s.Submixes[0].Level[0] = 255;
  EXPECT_EQ(mix({0, 0, 0, 0})[0], 200);
  EXPECT_EQ(mix({0, 0, 0, 128})[0], 100);  // 127*200/255 = 99.6
  s.FunctionLevels[0] = 210;
  EXPECT_EQ(mix({0, 0, 0, 0})[0], 210);
  s.PlayChaseLevels[0] = 220;
  EXPECT_EQ(mix({0, 0, 0, 0})[0], 220);
}

TEST_F(Mix, CrossfadeSumsTheDeskAndTheIncomingScreen) {
  s.RunMode = -1;
  s.AutotakeRunning = -1;
  s.LiveScreen = 2;
  s.CrossfadePos = 128;
  s.DeskLevels[0] = 255;
  s.Screens[2].Preset[0] = 255;
  s.Screens[2].PresetLevel = 255;
  EXPECT_EQ(mix()[0], 255);  // 127 + 128
  s.CrossfadePos = 0;
  EXPECT_EQ(mix()[0], 255);
  s.DeskLevels[0] = 0;
  EXPECT_EQ(mix()[0], 0);
  s.CrossfadePos = 255;
  EXPECT_EQ(mix()[0], 255);
}

TEST_F(Mix, CrossfadeSumAboveFullIsLimitedTo255) {
  s.RunMode = -1;
  s.CrossfadeRunning = -1;
  s.LiveScreen = 1;
  s.CrossfadePos = 128;
  s.DeskLevels[0] = 255;
  s.Screens[1].Preset[0] = 255;
  s.Screens[1].PresetLevel = 255;
  s.ChannelInfo[0].Main_F = -1;  // not scaled by the grand master either
  s.FunctionLevels[0] = 255;
  s.ScreenFunctionLevels[0] = 255;
  // functions: 127 + 128 = 255; desk: 255 -> at most 255
  EXPECT_EQ(mix()[0], 255);
}

TEST_F(Mix, CrossfadeFunctionLevelsFadeLikeTheLevels) {
  s.RunMode = -1;
  s.AutotakeRunning = -1;
  s.LiveScreen = 1;
  s.CrossfadePos = 51;  // 20 %
  s.FunctionLevels[3] = 255;
  s.ScreenFunctionLevels[3] = 0;
  EXPECT_EQ(mix()[3], 204);
}

TEST_F(Mix, ChannelNotFollowingCrossfadeJumpsToTheScreen) {
  s.RunMode = -1;
  s.AutotakeRunning = -1;
  s.LiveScreen = 1;
  s.CrossfadePos = 0;  // first tick of the fade
  s.DeskLevels[0] = 50;
  s.Screens[1].Preset[0] = 200;
  s.Screens[1].PresetLevel = 255;
  s.ChannelInfo[0].Cross_F = -1;
  EXPECT_EQ(mix()[0], 200);
  s.Screens[1].PresetLevel = 128;
  EXPECT_EQ(mix()[0], 100);  // 128/255*200 = 100.4
  s.ScreenFunctionLevels[0] = 150;
  EXPECT_EQ(mix()[0], 150);
}

TEST_F(Mix, PlayChaseWinsDuringAFadeToo) {
  s.RunMode = -1;
  s.AutotakeRunning = -1;
  s.LiveScreen = 1;
  s.CrossfadePos = 100;
  s.PlayChaseLevels[5] = 240;
  EXPECT_EQ(mix()[5], 240);
}

TEST_F(Mix, PatchMapsChannelsToSlotsAndUnpatchedSlotsAreZero) {
  s.DeskLevels[0] = 10;
  s.DeskLevels[63] = 99;
  s.PatchTable[100] = 1;  // slot 101 also fed by channel 1
  s.PatchTable[511] = 64;
  s.PatchTable[1] = 0;  // slot 2 unpatched
  s.DeskLevels[1] = 77;
  MixFrame(s, {});
  EXPECT_EQ(s.DmxFrame[0], 10);
  EXPECT_EQ(s.DmxFrame[100], 10);
  EXPECT_EQ(s.DmxFrame[511], 99);
  EXPECT_EQ(s.DmxFrame[63], 99);
  EXPECT_EQ(s.DmxFrame[1], 0);
  EXPECT_EQ(s.DmxFrame[64], 0);
}

TEST_F(Mix, DamagedPatchValuesNeverReadOutsideTheTable) {
  s.DeskLevels[0] = 10;
  s.PatchTable[0] = 65;
  s.PatchTable[1] = -3;
  s.PatchTable[2] = 32767;
  MixFrame(s, {});
  EXPECT_EQ(s.DmxFrame[0], 0);
  EXPECT_EQ(s.DmxFrame[1], 0);
  EXPECT_EQ(s.DmxFrame[2], 0);
}

TEST_F(Mix, InitialStatePatchesChannelsOneToOne) {
  for (int k = 0; k < 64; ++k) EXPECT_EQ(s.PatchTable[k], k + 1);
  for (int k = 64; k < 513; ++k) EXPECT_EQ(s.PatchTable[k], 0);
  for (int i = 0; i < 64; ++i) s.DeskLevels[i] = static_cast<int16_t>(i + 1);
  MixFrame(s, {});
  for (int k = 0; k < 64; ++k) EXPECT_EQ(s.DmxFrame[k], k + 1);
  for (int k = 64; k < 512; ++k) EXPECT_EQ(s.DmxFrame[k], 0);
}

// Through the main desk's controls and the console.
using TickThroughDesk = testing::DeskTest;

TEST_F(TickThroughDesk, FaderMovesReachTheFrameOnTheNextTick) {
  EXPECT_EQ(cmd("set Hoofdblad.Slider1(0) 55"), "ok");
  EXPECT_EQ(get("DeskLevels(0)"), "200");
  EXPECT_EQ(get("Hoofdblad.Text1(0)"), "\" 200\"");
  EXPECT_EQ(get("DmxFrame(0)"), "0");
  tick();
  EXPECT_EQ(get("DmxFrame(0)"), "200");
  EXPECT_EQ(cmd("set Hoofdblad.channels 128"), "ok");
  tick();
  EXPECT_EQ(get("DmxFrame(0)"), "100");
}

TEST_F(TickThroughDesk, MainLevelMovesThePlaybackMaster) {
  S().DeskLevels[0] = 200;
  EXPECT_EQ(cmd("set Hoofdblad.Main 255"), "ok");
  EXPECT_EQ(get("Playdesk.Main"), "255");
  tick();
  EXPECT_EQ(get("DmxFrame(0)"), "0");
}

TEST_F(TickThroughDesk, OutputTickRunsOnItsTimerAt70ms) {
  S().DeskLevels[9] = 33;
  EXPECT_EQ(get("Hoofdblad.Timer1.Interval"), "70");
  EXPECT_EQ(get("Hoofdblad.Timer1"), "true");
  cmd("advance 69");
  EXPECT_EQ(get("DmxFrame(9)"), "0");
  cmd("advance 1");
  EXPECT_EQ(get("DmxFrame(9)"), "33");
}

TEST_F(TickThroughDesk, ActivityLightIsBlackBetweenTicks) {
  tick();
  EXPECT_EQ(get("Hoofdblad.Picture2.BackColor"), "0");
}

}  // namespace
}  // namespace lumora

namespace lumora {
namespace {

// The mix written the plain way, in doubles with ScaleLevel, as the rules
// read: the fast integer mix must give the same frame for every input.
std::array<int16_t, 65> ReferenceMix(const DeskState& s, const TickMasters& m) {
  std::array<int16_t, 65> out{};
  const double mainFactor = (255 - m.channels) / 255.0;
  const double subFactor = (255 - m.submix) / 255.0;
  const double grandFactor = (255 - m.playMain) / 255.0;
  const int presetValue = m.preset;
  const SubmixRec& sub = s.Submixes[s.CurrentSubmix];
  int cursor = 0;
  const bool fading = s.AutotakeRunning == -1 || s.CrossfadeRunning == -1;
  const int x = s.CrossfadePos;
  const ScreenRecord& l = s.Screens[s.LiveScreen];
  for (int i = 0; i < 64; ++i) {
    int o;
    if (s.RunMode == 0) {
      o = Nearest(s.DeskLevels[i] * mainFactor);
      if (s.ChaseLevels[i] > o) o = s.ChaseLevels[i];
      if (sub.Channel[cursor] - 1 == i) {
        if (sub.Level[cursor] * subFactor > o) o = Nearest(sub.Level[cursor] * subFactor);
        ++cursor;
      }
      if (s.PlayChaseLevels[i] > o) o = s.PlayChaseLevels[i];
      if (s.FunctionLevels[i] > o) o = s.FunctionLevels[i];
    } else if (!fading) {
      o = Nearest(((255 - presetValue) * s.DeskLevels[i]) / 255.0);
      if (s.FunctionLevels[i] > o) o = s.FunctionLevels[i];
      if (s.PlayChaseLevels[i] > o) o = s.PlayChaseLevels[i];
    } else {
      if (s.ChannelInfo[i].Cross_F == 0) {
        o = ScaleLevel(s.DeskLevels[i], static_cast<int16_t>(255 - x), static_cast<int16_t>(255 - presetValue), 0, 3) +
            ScaleLevel(l.Preset[i], static_cast<int16_t>(x), l.PresetLevel, 0, 3);
        int f = ScaleLevel(s.FunctionLevels[i], static_cast<int16_t>(255 - x), 0, 0, 2) +
                ScaleLevel(s.ScreenFunctionLevels[i], static_cast<int16_t>(x), 0, 0, 2);
        if (f > o) o = f;
      } else {
        o = ScaleLevel(l.Preset[i], l.PresetLevel, 0, 0, 2);
        if (s.ScreenFunctionLevels[i] > o) o = s.ScreenFunctionLevels[i];
      }
      if (s.PlayChaseLevels[i] > o) o = s.PlayChaseLevels[i];
    }
    if (s.ChannelInfo[i].Main_F == 0) o = Nearest(o * grandFactor);
    if (o > 255) o = 255;
    out[i] = static_cast<int16_t>(o);
  }
  return out;
}

TEST(MixEquivalence, FastMixEqualsThePlainDoubleMixOnRandomDesks) {
  uint32_t seed = 12345;
  auto rnd = [&](int n) {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<int>((seed >> 8) % static_cast<uint32_t>(n));
  };
  auto s = std::make_unique<DeskState>();
  for (int round = 0; round < 3000; ++round) {
    DeskInitTables(*s);
    s->RunMode = rnd(3) ? -1 : 0;
    s->AutotakeRunning = rnd(2) ? -1 : 0;
    s->CrossfadeRunning = rnd(3) == 0 ? -1 : 0;
    s->CrossfadePos = static_cast<int16_t>(rnd(256));
    s->LiveScreen = static_cast<int16_t>(rnd(200));
    s->CurrentSubmix = static_cast<int16_t>(rnd(32));
    auto& l = s->Screens[s->LiveScreen];
    l.PresetLevel = static_cast<int16_t>(rnd(256));
    int ch = 0;
    for (int j = 0; j < 64 && ch < 64; ++j) {
      ch += 1 + rnd(3);
      if (ch > 64) break;
      s->Submixes[s->CurrentSubmix].Channel[j] = static_cast<int16_t>(ch);
      s->Submixes[s->CurrentSubmix].Level[j] = static_cast<int16_t>(rnd(256));
    }
    for (int i = 0; i < 64; ++i) {
      s->DeskLevels[i] = static_cast<int16_t>(rnd(256));
      s->ChaseLevels[i] = rnd(4) ? 0 : rnd(256);
      s->PlayChaseLevels[i] = static_cast<int16_t>(rnd(4) ? 0 : rnd(256));
      s->FunctionLevels[i] = static_cast<int16_t>(rnd(3) ? 0 : rnd(256));
      s->ScreenFunctionLevels[i] = static_cast<int16_t>(rnd(3) ? 0 : rnd(256));
      l.Preset[i] = static_cast<int16_t>(rnd(256));
      s->ChannelInfo[i].Main_F = static_cast<int16_t>(rnd(4) ? 0 : -1);
      s->ChannelInfo[i].Cross_F = static_cast<int16_t>(rnd(4) ? 0 : -1);
    }
    TickMasters m{rnd(256), rnd(256), rnd(256), rnd(256)};
    std::array<int16_t, 65> fast{};
    MixChannels(*s, m, fast);
    auto ref = ReferenceMix(*s, m);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(fast[i], ref[i]) << "round " << round << " channel " << i;
  }
}

TEST(MixEquivalence, LevelsOutsideTheirRangeStillMixLikeThePlainArithmetic) {
  auto s = std::make_unique<DeskState>();
  DeskInitTables(*s);
  s->DeskLevels[0] = 2000;  // only a script can put this there
  s->DeskLevels[1] = -40;
  std::array<int16_t, 65> fast{};
  MixChannels(*s, {100, 255, 0, 0}, fast);
  auto ref = ReferenceMix(*s, {100, 255, 0, 0});
  EXPECT_EQ(fast[0], ref[0]);
  EXPECT_EQ(fast[0], 255);
  EXPECT_EQ(fast[1], ref[1]);
}

}  // namespace
}  // namespace lumora
