// The mix rules of the output tick, driven directly on the desk record and
// through the main desk's controls.
#include <gtest/gtest.h>

#include "core/desk_state.h"
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
