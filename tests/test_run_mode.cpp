// Run mode: entering and leaving, autotakes with their timing, pause and
// resume, delays and follow-on, the manual crossfade, and the whole path to
// the DMX frame, all on the manual clock through the console.
#include <gtest/gtest.h>

#include "desk/hoofdblad.h"
#include "core/levels.h"
#include "desk_fixture.h"
#include "playback/playdesk.h"

namespace lumora {
namespace {

class RunMode : public testing::DeskTest {
 protected:
  RunMode() {
    desk->hoofdblad().Timer1.setInterval(25);
    S().ScreenCount = 5;
    for (int n = 1; n <= 5; ++n) {
      S().Screens[n].Name = "S" + std::to_string(n);
      S().Screens[n].PresetLevel = 255;
    }
  }
  Playdesk& pd() { return desk->playdesk(); }
  void enter() { ASSERT_EQ(cmd("click Playdesk.Run_Switch"), "ok"); }
  int pos() { return S().CrossfadePos; }
  int frame(int slot) {
    cmd("tick");
    return S().DmxFrame[slot];
  }
};

TEST_F(RunMode, EnteringTakesScreenOneAndShowsOneAndTwo) {
  S().Screens[1].Preset[0] = 100;
  S().Screens[2].Time = 6;
  enter();
  EXPECT_EQ(get("RunMode"), "-1");
  EXPECT_EQ(get("LiveScreen"), "1");
  EXPECT_EQ(get("CrossfadePos"), "255");
  EXPECT_EQ(get("Playdesk.Run_Switch.Caption"), "\"STOP\"");
  EXPECT_EQ(get("Playdesk.Run_A.Caption"), "\"S1\"");
  EXPECT_EQ(get("Playdesk.Run_A_Num.Caption"), "\"1\"");
  EXPECT_EQ(get("Playdesk.Run_B.Caption"), "\"S2\"");
  EXPECT_EQ(get("Playdesk.Run_B_Num.Caption"), "\"2\"");
  EXPECT_EQ(get("Playdesk.Run_Fade_Time.Caption"), "\"6 s\"");
  EXPECT_EQ(get("Playdesk.Run_Crossfade"), "255");
  EXPECT_EQ(get("Playdesk.Screen_Prog.Enabled"), "false");
  EXPECT_EQ(get("Playdesk.Screen_Recall.Enabled"), "false");
  EXPECT_EQ(get("Playdesk.Screen_Num_sel.Enabled"), "false");
  EXPECT_EQ(get("Playdesk.Status"), "\" Run Mode Selected\"");
  EXPECT_EQ(get("Hoofdblad.Status"), "\" Run Mode Selected\"");
  EXPECT_EQ(get("DeskLevels(0)"), "100");  // loaded as at the end of a take
  EXPECT_EQ(get("UpcomingScreen"), "2");
  EXPECT_EQ(frame(0), 100);
}

TEST_F(RunMode, LeavingAsksAndCancelKeepsRunning) {
  enter();
  cmd("queue answer cancel");
  cmd("click Playdesk.Run_Switch");
  ASSERT_EQ(lastEvents.size(), 1u);
  EXPECT_NE(lastEvents[0].find("\"text\":\"Do You wish to Exit Run Mode \""), std::string::npos);
  EXPECT_NE(lastEvents[0].find("\"title\":\" Run Mode\""), std::string::npos);
  EXPECT_EQ(get("RunMode"), "-1");
  cmd("click Playdesk.Run_Autotake");
  cmd("queue answer ok");
  cmd("click Playdesk.Run_Switch");
  EXPECT_EQ(get("RunMode"), "0");
  EXPECT_EQ(get("AutotakeRunning"), "0");
  EXPECT_FALSE(pd().Timer2.Enabled());
  EXPECT_EQ(get("Playdesk.Run_Switch.Caption"), "\"Run\"");
  EXPECT_EQ(get("Playdesk.Run_Autotake.Caption"), "\"Auto Take\"");
  EXPECT_EQ(get("Playdesk.Run_A.Caption"), "\"\"");
  EXPECT_EQ(get("Playdesk.Screen_Prog.Enabled"), "true");
  EXPECT_EQ(get("Playdesk.Status"), "\" Run Mode Stopped\"");
  EXPECT_EQ(get("Hoofdblad.Status"), "\" Run Mode Stoped\"");
  cmd("click Playdesk.Run_Autotake");  // no take outside run mode
  EXPECT_EQ(get("AutotakeRunning"), "0");
}

TEST_F(RunMode, FastTakeRunsOnTheTickPeriodAndCompletesAt252) {
  S().Screens[2].Time = 2;
  S().Screens[2].Preset[3] = 200;
  enter();
  cmd("click Playdesk.Run_Autotake");
  EXPECT_EQ(get("Playdesk.Status"), "\" Autotake Running  1 To  2\"");
  EXPECT_EQ(get("Playdesk.Run_Autotake.Caption"), "\"Pause\"");
  EXPECT_EQ(get("Playdesk.Timer2.Interval"), "25");
  EXPECT_EQ(get("FadeTicks"), "77");
  EXPECT_EQ(get("FadeStep"), "3");
  EXPECT_EQ(get("Playdesk.Run_A.BackColor"), "255");
  cmd("advance 25");
  EXPECT_EQ(pos(), 3);
  EXPECT_EQ(get("Playdesk.Run_Crossfade"), "252");  // fader runs down this time
  cmd("advance 2050");  // 83 steps in all
  EXPECT_EQ(pos(), 249);
  EXPECT_EQ(get("AutotakeRunning"), "-1");
  cmd("advance 25");
  EXPECT_EQ(pos(), 255);
  EXPECT_EQ(get("AutotakeRunning"), "0");
  EXPECT_EQ(get("LiveScreen"), "2");
  EXPECT_EQ(get("DeskLevels(3)"), "200");
  EXPECT_EQ(get("Playdesk.Status"), "\" Autotake Complete \"");
  EXPECT_EQ(get("UpcomingScreen"), "3");
  EXPECT_EQ(get("Playdesk.Run_B.Caption"), "\"S2\"");  // live on B after a downward take
  EXPECT_EQ(get("Playdesk.Run_A.Caption"), "\"S3\"");
  EXPECT_EQ(get("Playdesk.Run_A.BackColor"), "-1");
  EXPECT_FALSE(pd().Timer2.Enabled());
}

TEST_F(RunMode, SlowTakeStepsOneUnitAtItsOwnPeriod) {
  S().Screens[2].Time = 20;
  enter();
  cmd("click Playdesk.Run_Autotake");
  EXPECT_EQ(get("Playdesk.Timer2.Interval"), "78");
  EXPECT_EQ(get("FadeTicks"), "255");
  EXPECT_EQ(get("FadeStep"), "1");
  cmd("advance 77");
  EXPECT_EQ(pos(), 0);
  cmd("advance 1");
  EXPECT_EQ(pos(), 1);
}

TEST_F(RunMode, PauseAtOneHundredResumesFromOneHundred) {
  S().Screens[2].Time = 20;
  enter();
  cmd("click Playdesk.Run_Autotake");
  cmd("advance 7800");
  ASSERT_EQ(pos(), 100);
  cmd("click Playdesk.Run_Autotake");
  EXPECT_EQ(get("Playdesk.Status"), "\" Autotake Stopped \"");
  EXPECT_EQ(get("CrossfadeRunning"), "-1");
  EXPECT_EQ(get("AutotakeRunning"), "0");
  EXPECT_EQ(get("Playdesk.Run_Autotake.Caption"), "\"Auto Take\"");
  cmd("advance 1000");
  EXPECT_EQ(pos(), 100);  // held by hand
  cmd("click Playdesk.Run_Autotake");
  EXPECT_EQ(get("Playdesk.Status"), "\" Autotake Running \"");
  EXPECT_EQ(pos(), 100);
  EXPECT_EQ(get("FadeTicks"), "155");
  EXPECT_EQ(get("FadeStep"), "2");
  EXPECT_EQ(get("Playdesk.Timer2.Interval"), "78");
  cmd("advance 78");
  EXPECT_EQ(pos(), 102);
}

TEST_F(RunMode, FastResumeCoversTheRemainingShareOfTheTime) {
  S().Screens[2].Time = 2;
  enter();
  cmd("click Playdesk.Run_Autotake");
  cmd("advance 825");  // 33 steps of 3
  ASSERT_EQ(pos(), 99);
  cmd("click Playdesk.Run_Autotake");
  cmd("click Playdesk.Run_Autotake");
  // 156 of 255 left: 2000 ms * 156/255 = 1223.5 ms at 26 ms a tick = 47 ticks.
  EXPECT_EQ(get("FadeTicks"), "47");
  EXPECT_EQ(get("FadeStep"), "3");
  EXPECT_EQ(get("Playdesk.Timer2.Interval"), "25");
}

TEST_F(RunMode, PauseAtTwentyThenTakeStartsAFreshTake) {
  S().Screens[2].Time = 20;
  enter();
  cmd("click Playdesk.Run_Autotake");
  cmd("advance 1560");
  ASSERT_EQ(pos(), 20);
  cmd("click Playdesk.Run_Autotake");
  cmd("click Playdesk.Run_Autotake");
  EXPECT_EQ(pos(), 0);
  EXPECT_EQ(get("AutotakeRunning"), "-1");
  EXPECT_EQ(get("CrossfadeRunning"), "0");
  EXPECT_EQ(get("Playdesk.Status"), "\" Autotake Running  2 To  2\"");
  EXPECT_EQ(get("FadeTicks"), "255");
}

TEST_F(RunMode, AutoWithDelayCountsDownThenTakes) {
  S().Screens[1].Auto = -1;
  S().Screens[1].Delay = 3;
  enter();
  EXPECT_EQ(get("Playdesk.Status"), "\" Delay Counter  3\"");
  EXPECT_TRUE(pd().Delay_Timer.Enabled());
  cmd("advance 1000");
  EXPECT_EQ(get("Playdesk.Status"), "\" Delay Counter  2\"");
  cmd("advance 1000");
  EXPECT_EQ(get("Playdesk.Status"), "\" Delay Counter  1\"");
  EXPECT_EQ(get("AutotakeRunning"), "0");
  cmd("advance 1000");
  EXPECT_EQ(get("DelayCounter"), "0");
  EXPECT_EQ(get("AutotakeRunning"), "-1");
  EXPECT_EQ(get("Playdesk.Status"), "\" Autotake Running  1 To  2\"");
  EXPECT_FALSE(pd().Delay_Timer.Enabled());
}

TEST_F(RunMode, AutoWithoutDelayFollowsOnAtOnce) {
  S().Screens[2].Auto = -1;
  S().Screens[2].Time = 0;
  S().Screens[3].Time = 0;
  enter();
  cmd("click Playdesk.Run_Autotake");
  // Time 0: the whole way in one step, never a division by zero.
  EXPECT_EQ(get("FadeTicks"), "1");
  EXPECT_EQ(get("FadeStep"), "255");
  cmd("advance 25");
  EXPECT_EQ(get("LiveScreen"), "3");  // screen 2 completed and its follow-on started
  EXPECT_EQ(get("AutotakeRunning"), "-1");
  cmd("advance 25");
  EXPECT_EQ(get("LiveScreen"), "3");
  EXPECT_EQ(get("AutotakeRunning"), "0");
}

TEST_F(RunMode, ZeroTimeFollowOnLoopStepsOncePerTickWithoutRecursion) {
  for (int n : {1, 2}) {
    S().Screens[n].Time = 0;
    S().Screens[n].Auto = -1;
  }
  S().Screens[2].Next = 1;
  enter();
  cmd("advance 1000");
  EXPECT_EQ(get("RunMode"), "-1");
  EXPECT_EQ(get("AutotakeRunning"), "-1");
}

TEST_F(RunMode, NextOutsideTheStoreIsRefusedNotFollowed) {
  S().Screens[3].Next = 200;
  S().Screens[3].Auto = -1;
  S().Screens[3].Time = 0;
  enter();
  cmd("set Playdesk.Run_screen_sel 3");
  cmd("click Playdesk.Run_Autotake");
  cmd("advance 25");
  EXPECT_EQ(get("LiveScreen"), "3");
  EXPECT_EQ(get("AutotakeRunning"), "0");
  EXPECT_FALSE(pd().Delay_Timer.Enabled());
  EXPECT_EQ(get("Playdesk.Status"), "\" Next Cue  200 Refused\"");
  EXPECT_EQ(get("UpcomingScreen"), "3");
  EXPECT_EQ(get("Playdesk.Run_screen_sel"), "3");
}

TEST_F(RunMode, TargetAboveScreenCountFadesToTheLiveScreen) {
  S().ScreenCount = 2;
  enter();
  cmd("set Playdesk.Run_screen_sel 7");
  EXPECT_EQ(get("UpcomingScreen"), "7");
  cmd("click Playdesk.Run_Autotake");
  EXPECT_EQ(get("LiveScreen"), "1");
  EXPECT_EQ(get("Playdesk.Status"), "\" Autotake Running  1 To  1\"");
}

TEST_F(RunMode, UpcomingScreenOnlyFromOneTo198) {
  enter();
  cmd("set Playdesk.Run_screen_sel 199");
  EXPECT_EQ(get("UpcomingScreen"), "2");
  cmd("set Playdesk.Run_screen_sel 0");
  EXPECT_EQ(get("UpcomingScreen"), "2");
  S().Screens[4].Time = 9;
  cmd("set Playdesk.Run_screen_sel 4");
  EXPECT_EQ(get("UpcomingScreen"), "4");
  EXPECT_EQ(get("Playdesk.Run_Fade_Time.Caption"), "\"9 s\"");
  EXPECT_EQ(get("Playdesk.Run_nxtscreen.Caption"), "\"4 S4\"");
  EXPECT_EQ(get("Playdesk.Run_B.Caption"), "\"S4\"");  // the waiting side
}

TEST_F(RunMode, ManualCrossfadeStartsPastTheThresholdAndCompletesAbove240) {
  S().Screens[1].Preset[0] = 255;
  S().Screens[2].Preset[0] = 255;
  S().Screens[2].Preset[1] = 255;
  S().Screens[1].Preset[2] = 255;
  enter();
  cmd("set Playdesk.Run_Crossfade 230");
  EXPECT_EQ(get("CrossfadeRunning"), "0");
  EXPECT_EQ(get("LiveScreen"), "1");
  cmd("set Playdesk.Run_Crossfade 200");
  EXPECT_EQ(get("CrossfadeRunning"), "-1");
  EXPECT_EQ(get("SourceScreen"), "1");
  EXPECT_EQ(get("LiveScreen"), "2");
  EXPECT_EQ(get("FadeDown"), "-1");
  EXPECT_EQ(pos(), 55);
  EXPECT_EQ(get("Playdesk.Run_B.BackColor"), "255");
  cmd("set Playdesk.Run_Crossfade 128");
  EXPECT_EQ(pos(), 127);
  EXPECT_EQ(frame(0), 255);  // desk and screen at full: 128 + 127
  EXPECT_EQ(S().DmxFrame[1], 127);  // coming in
  EXPECT_EQ(S().DmxFrame[2], 128);  // going out
  cmd("set Playdesk.Run_Crossfade 15");
  EXPECT_EQ(pos(), 240);
  EXPECT_EQ(get("CrossfadeRunning"), "-1");
  cmd("set Playdesk.Run_Crossfade 14");
  EXPECT_EQ(pos(), 255);
  EXPECT_EQ(get("CrossfadeRunning"), "0");
  EXPECT_EQ(get("DeskLevels(1)"), "255");
  EXPECT_EQ(get("DeskLevels(2)"), "0");
  EXPECT_EQ(get("UpcomingScreen"), "3");
  // Pulling on to the end starts nothing more.
  cmd("set Playdesk.Run_Crossfade 0");
  EXPECT_EQ(get("CrossfadeRunning"), "0");
  EXPECT_EQ(get("LiveScreen"), "2");
  // Back up past 36: the next screen comes in on the way up.
  cmd("set Playdesk.Run_Crossfade 20");
  EXPECT_EQ(get("CrossfadeRunning"), "0");
  cmd("set Playdesk.Run_Crossfade 40");
  EXPECT_EQ(get("CrossfadeRunning"), "-1");
  EXPECT_EQ(get("LiveScreen"), "3");
  EXPECT_EQ(get("FadeDown"), "0");
  EXPECT_EQ(pos(), 40);
  EXPECT_EQ(get("UpcomingScreen"), "4");
}

TEST_F(RunMode, CrossfaderIsIgnoredWhileAnAutotakeRuns) {
  S().Screens[2].Time = 20;
  enter();
  cmd("click Playdesk.Run_Autotake");
  cmd("advance 780");
  cmd("set Playdesk.Run_Crossfade 100");
  EXPECT_EQ(pos(), 10);
  EXPECT_EQ(get("AutotakeRunning"), "-1");
}

TEST_F(RunMode, ChannelThatIgnoresTheCrossfadeJumpsToTheIncomingScreen) {
  S().ChannelInfo[5].Cross_F = -1;
  S().Screens[2].Preset[5] = 200;
  S().Screens[2].Preset[6] = 200;
  S().Screens[2].Time = 20;
  enter();
  cmd("click Playdesk.Run_Autotake");
  cmd("advance 780");
  ASSERT_EQ(pos(), 10);
  EXPECT_EQ(frame(5), 200);
  EXPECT_EQ(S().DmxFrame[6], 8);  // ScaleLevel(200, 10, 255)
}

TEST_F(RunMode, DmxFrameFollowsATakeStepByStep) {
  S().Screens[2].Preset[0] = 255;
  S().Screens[2].Time = 20;
  S().Screens[1].Preset[1] = 255;
  S().PatchTable[100] = 1;  // slot 101 also carries channel 1
  enter();
  EXPECT_EQ(frame(0), 0);
  EXPECT_EQ(S().DmxFrame[1], 255);
  cmd("click Playdesk.Run_Autotake");
  int last = -1;
  for (int k = 1; k <= 8; ++k) {
    cmd("advance 1560");  // 20 steps
    const int x = pos();
    EXPECT_EQ(x, 20 * k);
    const int in = frame(0);
    EXPECT_GT(in, last);
    EXPECT_EQ(in, Nearest(x / 255.0 * 255));
    EXPECT_EQ(S().DmxFrame[100], in);
    EXPECT_EQ(S().DmxFrame[1], Nearest((255 - x) / 255.0 * 255));
    last = in;
  }
  // The grand master scales the mix.
  cmd("set Playdesk.Main 128");
  EXPECT_EQ(frame(0), Nearest(160 * 127 / 255.0));
  cmd("set Playdesk.Main 0");
  cmd("advance 7500");
  EXPECT_EQ(get("AutotakeRunning"), "0");
  EXPECT_EQ(frame(0), 255);
  EXPECT_EQ(S().DmxFrame[1], 0);
}

TEST_F(RunMode, PresetMasterScalesTheDeskSideWhenIdle) {
  S().Screens[1].Preset[0] = 200;
  enter();
  cmd("set Playdesk.Preset 128");
  EXPECT_EQ(frame(0), 100);  // 200 * 127 / 255
}

TEST_F(RunMode, FunctionLevelsOfTheIncomingScreenCrossfade) {
  S().ButtonFunctions[20].Function = kFnPreset;
  S().ButtonFunctions[20].Channel1 = 10;
  S().ButtonFunctions[20].Level = 250;
  S().Screens[2].ButtonSel[20] = -1;
  S().Screens[2].Time = 20;
  enter();
  cmd("click Playdesk.Run_Autotake");
  EXPECT_EQ(get("ScreenFunctionLevels(9)"), "250");
  EXPECT_EQ(get("FunctionLevels(9)"), "0");
  cmd("advance 7800");
  EXPECT_EQ(frame(9), 98);  // ScaleLevel(250, 100)
  cmd("advance 12000");
  EXPECT_EQ(get("FunctionLevels(9)"), "250");
  EXPECT_EQ(get("PlayButtonState(20)"), "-1");
}

TEST_F(RunMode, CueButtonTakesInRunMode) {
  S().ButtonFunctions[3].Function = kFnCue;
  S().ButtonFunctions[3].Value = 4;
  enter();
  cmd("click Playdesk.Command1(3)");
  EXPECT_EQ(get("LiveScreen"), "4");
  EXPECT_EQ(get("AutotakeRunning"), "-1");
}

TEST_F(RunMode, InstantPanelTakesItsScreen) {
  S().Screens[3].Instant = -1;
  cmd("show instant_screen");
  EXPECT_EQ(get("instant_screen.Screen_sel(0).Enabled"), "false");
  enter();
  EXPECT_EQ(get("instant_screen.Screen_sel(0).Enabled"), "true");
  cmd("click instant_screen.Screen_sel(0)");
  EXPECT_EQ(get("LiveScreen"), "3");
}

}  // namespace
}  // namespace lumora

namespace lumora {
namespace {

TEST_F(RunMode, RedrawAfterRunModeWasResetLeavesTheRunControls) {
  S().Screens[2].Time = 20;
  enter();
  cmd("click Playdesk.Run_Autotake");
  ResetScreens(S());  // as the desk reset does
  pd().RedrawPlaydesk();
  EXPECT_EQ(get("Playdesk.Run_Switch.Caption"), "\"Run\"");
  EXPECT_FALSE(pd().Timer2.Enabled());
  EXPECT_EQ(get("AutotakeRunning"), "0");
  EXPECT_EQ(get("Playdesk.Screen_Prog.Enabled"), "true");
}

}  // namespace
}  // namespace lumora
