// The play desk's sequence runner: step timing, fades, loops, levels and the
// crossfade weighting, alone and started from buttons, faders and screens.
#include <gtest/gtest.h>

#include "desk/hoofdblad.h"
#include "desk_fixture.h"
#include "playback/play_runner.h"
#include "playback/playdesk.h"

namespace lumora {
namespace {

// Chase 0: step 1 puts 200 on desk channel index 0 at once, step 2 fades it
// to 100 in half a second.
void TwoStepChase(DeskState& s, int i = 0) {
  auto& c = s.Chases[i];
  c.Steps = 2;
  c.Loop = 0;
  c.Channels[0] = 0;
  c.Channels[1] = 63;
  c.Fade[1][0] = 2;
  c.Data[1][0] = 200;
  c.Fade[2][0] = 1;
  c.Data[2][0] = 100;
  c.Speed[1] = 1.0;
  c.Speed[2] = 0.5;
  c.Time[1] = 0.5;
  c.Time[2] = 0.5;
  for (int ch = 1; ch < 24; ++ch) {
    c.Fade[1][ch] = 0;
    c.Fade[2][ch] = 0;
  }
}

class Runner : public ::testing::Test {
 protected:
  Runner() {
    DeskInitTables(s);
    TwoStepChase(s);
    w[0].live = 255;
  }
  void build(bool fading = false, int x = 0) { r.BuildLevels(s, w, fading, x); }
  DeskState s;
  PlayRunner r;
  std::array<SequenceWeights, kRunnerStates> w{};
};

TEST_F(Runner, StepPeriodIsSpeedTimesFactorPlusOne) {
  EXPECT_EQ(r.Start(s, 0), 1001);
  EXPECT_EQ(r.Step(s, 0), 501);
  EXPECT_EQ(r.Start(s, 0, 25), 251);
  s.Chases[0].Speed[1] = 0.0;
  EXPECT_EQ(r.Start(s, 0), 1);  // a Speed of 0 still gives a 1 ms period
}

TEST_F(Runner, OnlySequencesZeroTo31Run) {
  EXPECT_EQ(r.Start(s, 32), 0);
  EXPECT_EQ(r.Start(s, -1), 0);
  EXPECT_EQ(r.Step(s, 5), 0);  // never started
  EXPECT_FALSE(r.running(32));
}

TEST_F(Runner, StepChannelsJumpAndFadeChannelsMoveEveryTick) {
  r.Start(s, 0);
  build();
  EXPECT_EQ(s.PlayChaseLevels[0], 200);
  r.Step(s, 0);  // to step 2: fade 200 -> 100 over 5 ticks
  build();
  EXPECT_EQ(s.PlayChaseLevels[0], 180);
  for (int k = 0; k < 4; ++k) build();
  EXPECT_EQ(s.PlayChaseLevels[0], 100);
  for (int k = 0; k < 5; ++k) build();  // after the fade time the level holds
  EXPECT_EQ(s.PlayChaseLevels[0], 100);
}

TEST_F(Runner, ZeroFadeTimeReachesTheStepAtOnce) {
  s.Chases[0].Time[2] = 0.0;
  r.Start(s, 0);
  r.Step(s, 0);
  build();
  EXPECT_EQ(s.PlayChaseLevels[0], 100);
}

TEST_F(Runner, LoopZeroPlaysOnceAndHoldsTheLastLevels) {
  r.Start(s, 0);
  EXPECT_GT(r.Step(s, 0), 0);  // step 2
  for (int k = 0; k < 5; ++k) build();
  EXPECT_EQ(r.Step(s, 0), 0);  // end of the list: done
  EXPECT_FALSE(r.running(0));
  for (int k = 0; k < 6; ++k) build();
  EXPECT_EQ(s.PlayChaseLevels[0], 100);
}

TEST_F(Runner, CountedAndEndlessLoops) {
  s.Chases[0].Loop = 2;
  r.Start(s, 0);
  int steps = 0;
  while (r.Step(s, 0) > 0) ++steps;
  EXPECT_EQ(steps, 5);  // three passes of two steps, the first step given by Start
  s.Chases[0].Loop = -1;
  r.Start(s, 0);
  for (int k = 0; k < 100; ++k) ASSERT_GT(r.Step(s, 0), 0);
  EXPECT_EQ(r.state(0).step, 1);
}

TEST_F(Runner, LevelsScaleByTheLiveLevelOrCrossfade) {
  r.Start(s, 0);
  w[0].live = 128;
  build();
  EXPECT_EQ(s.PlayChaseLevels[0], 100);  // 200 * 128 / 255
  w[0].live = 0;
  w[0].target = 255;
  build();
  EXPECT_EQ(s.PlayChaseLevels[0], 0);  // no level outside a take
  build(true, 51);
  EXPECT_EQ(s.PlayChaseLevels[0], 40);
  w[0].live = 255;
  build(true, 51);
  EXPECT_EQ(s.PlayChaseLevels[0], 200);  // both sides: 160 + 40
}

TEST_F(Runner, ChannelsShareByHighestAndBadChannelsAreSkipped) {
  TwoStepChase(s, 1);
  s.Chases[1].Data[1][0] = 150;
  s.Chases[1].Channels[1] = 200;  // damaged channel index
  s.Chases[1].Fade[1][1] = 2;
  s.Chases[1].Data[1][1] = 255;
  w[1].live = 255;
  r.Start(s, 0);
  r.Start(s, 1);
  build();
  EXPECT_EQ(s.PlayChaseLevels[0], 200);
  r.Stop(0);
  build();
  EXPECT_EQ(s.PlayChaseLevels[0], 150);
}

// ------------------------------------------------- started from the play desk

class PlayRunnerDesk : public testing::DeskTest {
 protected:
  PlayRunnerDesk() { TwoStepChase(S()); }
  Playdesk& pd() { return desk->playdesk(); }
};

TEST_F(PlayRunnerDesk, LatchingButtonStartsAndStopsItsSequenceIntoTheFrame) {
  cmd("click Playdesk.Command1(0)");  // button 0 runs sequence 0
  EXPECT_EQ(get("PlayButtonState(0)"), "-1");
  EXPECT_TRUE(pd().Timer1[0].Enabled());
  EXPECT_EQ(get("Playdesk.Timer1(0).Interval"), "1001");
  cmd("advance 100");
  EXPECT_EQ(get("PlayChaseLevels(0)"), "200");
  cmd("tick");
  EXPECT_EQ(get("DmxFrame(0)"), "200");
  cmd("advance 1000");  // step 2 at 1001 ms, then fading down
  cmd("advance 300");
  EXPECT_EQ(pd().runner().state(0).step, 2);
  EXPECT_LT(S().PlayChaseLevels[0], 200);
  cmd("advance 1000");  // the single pass is over
  EXPECT_FALSE(pd().Timer1[0].Enabled());
  EXPECT_EQ(get("PlayChaseLevels(0)"), "100");
  cmd("click Playdesk.Command1(0)");
  EXPECT_EQ(get("PlayButtonState(0)"), "0");
  cmd("advance 100");
  EXPECT_EQ(get("PlayChaseLevels(0)"), "0");
}

TEST_F(PlayRunnerDesk, NonLatchingSequenceButtonRunsOnlyWhileHeld) {
  S().ButtonFunctions[1].Value = 0;
  S().ButtonFunctions[1].Latch = 0;
  cmd("mousedown Playdesk.Command1(1) left");
  EXPECT_TRUE(pd().runner().running(0));
  cmd("advance 100");
  EXPECT_EQ(get("PlayChaseLevels(0)"), "200");
  cmd("mouseup Playdesk.Command1(1) left");
  EXPECT_FALSE(pd().runner().running(0));
  EXPECT_EQ(get("PlayButtonState(1)"), "0");
}

TEST_F(PlayRunnerDesk, SequenceFaderSetsLevelAndStopsAtTheBottom) {
  auto& f = S().FaderFunctions[0];
  f.Function = kFnSequence;
  f.Value = 0;
  f.Data1 = 0;
  cmd("set Playdesk.Slider1(0) 127");  // level 128
  EXPECT_TRUE(pd().runner().running(0));
  cmd("advance 100");
  EXPECT_EQ(get("PlayChaseLevels(0)"), "100");
  cmd("set Playdesk.Slider1(0) 253");  // level 2: stop
  EXPECT_FALSE(pd().runner().running(0));
  EXPECT_FALSE(pd().Timer1[0].Enabled());
}

TEST_F(PlayRunnerDesk, StepTimeFaderChangesTheStepPeriod) {
  auto& f = S().FaderFunctions[2];
  f.Function = kFnSequence;
  f.Value = 0;
  f.Data1 = 1;
  f.Level = 255;
  pd().RedrawPlaydesk();
  cmd("set Playdesk.Slider1(2) 0");  // top: four times faster
  EXPECT_EQ(get("Playdesk.Timer1(0).Interval"), "251");
  EXPECT_EQ(get("Playdesk.Text2(2).Caption"), "\" Step Timing\"");
  cmd("advance 100");
  EXPECT_EQ(get("PlayChaseLevels(0)"), "200");  // played at its stored level
  cmd("set Playdesk.Slider1(2) 252");  // near the bottom: slower from the next step
  EXPECT_EQ(pd().runner().state(0).speed, 400);
}

TEST_F(PlayRunnerDesk, ScreenSequencesStartWithATakeAndCrossfadeIn) {
  S().ScreenCount = 3;
  S().Screens[2].ButtonSel[0] = -1;
  S().Screens[2].Time = 20;
  desk->hoofdblad().Timer1.setInterval(25);
  cmd("click Playdesk.Run_Switch");
  EXPECT_FALSE(pd().runner().running(0));
  cmd("click Playdesk.Run_Autotake");
  EXPECT_TRUE(pd().runner().running(0));
  cmd("advance 10000");  // CrossfadePos 128
  ASSERT_EQ(S().CrossfadePos, 128);
  EXPECT_EQ(get("PlayChaseLevels(0)"), "50");  // the held 100, ScaleLevel(100, 128)
  cmd("advance 10000");
  EXPECT_EQ(get("AutotakeRunning"), "0");
  EXPECT_EQ(get("PlayButtonState(0)"), "-1");
  // Loading the screen starts its finished sequence again, now at full.
  EXPECT_TRUE(pd().runner().running(0));
  cmd("advance 100");
  EXPECT_EQ(get("PlayChaseLevels(0)"), "200");
}

TEST_F(PlayRunnerDesk, ClearAllStopsEverySequence) {
  cmd("click Playdesk.Command1(0)");
  cmd("click Playdesk.Command1(1)");
  cmd("click Playdesk.Clear_All");
  for (int i = 0; i < kRunnerSequences; ++i) EXPECT_FALSE(pd().Timer1[i].Enabled()) << i;
  cmd("advance 100");
  EXPECT_EQ(get("PlayChaseLevels(0)"), "0");
}

}  // namespace
}  // namespace lumora

namespace lumora {
namespace {

TEST_F(PlayRunnerDesk, RemoteButtonStepStartsAndStopsOnlySequenceButtons) {
  pd().SequenceButton(4, 255);
  EXPECT_TRUE(pd().runner().running(4));
  pd().SequenceButton(4, 0);
  EXPECT_FALSE(pd().runner().running(4));
  pd().SequenceButton(40, 255);  // an Off button
  pd().SequenceButton(80, 255);  // the spare entry is on no page
  pd().SequenceButton(-1, 255);
  for (int i = 0; i < kRunnerSequences; ++i) EXPECT_FALSE(pd().runner().running(i)) << i;
}

}  // namespace
}  // namespace lumora
