// The chase engine on the manual clock: step periods, fades tick by tick,
// loops, the master, HTP sharing, stop and live mode.
#include <gtest/gtest.h>

#include "desk_fixture.h"
#include "sequences/chase_engine.h"
#include "sequences/chases_form.h"

namespace lumora {
namespace {

class ChaseRun : public testing::DeskTest {
 protected:
  ChaseRun() {
    EXPECT_EQ(cmd("show Chases"), "ok");
  }
  Chases& C() { return desk->chases(); }
  ChaseRecord& R(int k = 0) { return S().Chases[static_cast<std::size_t>(k)]; }
  int CL(int i) { return S().ChaseLevels[static_cast<std::size_t>(i)]; }
  // Three steps on chase channel 0 (desk index 1) with the given function.
  void ThreeSteps(int16_t fn, double speed, double time) {
    ChaseRecord& r = R();
    r.Steps = 3;
    for (int s = 1; s <= 3; ++s) {
      r.Data[s][0] = static_cast<int16_t>(s * 60);  // 60, 120, 180
      r.Fade[s][0] = fn;
      r.Speed[s] = speed;
      r.Time[s] = time;
    }
  }
  void fire(const char* t) { EXPECT_EQ(cmd(std::string("fire Chases.") + t), "ok"); }
};

TEST(ChaseStepPeriod, SpeedTimesThousandPlusOneNearestEven) {
  EXPECT_EQ(StepPeriodMs(1.0), 1001);
  EXPECT_EQ(StepPeriodMs(2.0), 2001);
  EXPECT_EQ(StepPeriodMs(0.1), 101);
  EXPECT_EQ(StepPeriodMs(240.0), 240001);
  EXPECT_EQ(StepPeriodMs(0.0), 1);    // a Speed of 0 gives 1 ms
  EXPECT_EQ(StepPeriodMs(-3.0), 1);   // never a stalled timer
  EXPECT_EQ(StepPeriodMs(0.0025), 4);  // 3.5 -> 4
}

TEST_F(ChaseRun, StepTimerPeriodFollowsEachStepsSpeed) {
  ThreeSteps(kChaseStep, 1.0, 1.0);
  R().Speed[1] = 0.5;
  R().Speed[2] = 2.0;
  R().Speed[3] = 0.25;
  EXPECT_EQ(cmd("click Chases.Chase_Go_Button"), "ok");
  EXPECT_EQ(get("Chases.Timer1.Interval"), "501");
  EXPECT_EQ(get("Chases.Timer1.Enabled"), "true");
  EXPECT_EQ(get("Chases.Timer2.Interval"), "100");
  // The step timer fires after 501 ms, not before.
  EXPECT_EQ(cmd("advance 500"), "ok");
  EXPECT_EQ(get("Chases.Step_Display"), "\"1\"");
  EXPECT_EQ(cmd("advance 1"), "ok");
  EXPECT_EQ(get("Chases.Step_Display"), "\"2\"");
  EXPECT_EQ(get("Chases.Timer1.Interval"), "2001");
  EXPECT_EQ(cmd("advance 2001"), "ok");
  EXPECT_EQ(get("Chases.Step_Display"), "\"3\"");
  EXPECT_EQ(get("Chases.Timer1.Interval"), "251");
}

TEST_F(ChaseRun, GoAndStopCaptionsColoursAndSettings) {
  EXPECT_EQ(get("Chases.Chase_Go_Button.Caption"), "\"Go\"");
  EXPECT_EQ(get("Chases.Chase_Go_Button.BackColor"), "65280");
  EXPECT_EQ(cmd("set Chases.Global_fade 0"), "ok");
  cmd("click Chases.Chase_Go_Button");
  EXPECT_EQ(get("Chases.Chase_Go_Button.Caption"), "\"Stop\"");
  EXPECT_EQ(get("Chases.Chase_Go_Button.BackColor"), "255");
  EXPECT_EQ(get("Chases.Global_Speed"), "1");
  EXPECT_EQ(get("Chases.Global_fade"), "1");
  EXPECT_EQ(get("Chases.Global_Speed.Enabled"), "false");
  EXPECT_EQ(get("Chases.Live_Mode_Sel.Enabled"), "false");
  cmd("click Chases.Chase_Go_Button");
  EXPECT_EQ(get("Chases.Chase_Go_Button.Caption"), "\"Go\"");
  EXPECT_EQ(get("Chases.Global_Speed"), "0");
  EXPECT_EQ(get("Chases.Global_fade"), "0");
  EXPECT_EQ(get("Chases.Global_fade.Enabled"), "true");
  EXPECT_EQ(get("Chases.Timer1.Enabled"), "false");
  EXPECT_EQ(get("Chases.Timer2.Enabled"), "false");
}

TEST_F(ChaseRun, ThreeStepChaseFadesThroughItsLevelsTickByTick) {
  ThreeSteps(kChaseFade, 5.0, 1.0);
  cmd("click Chases.Chase_Go_Button");
  // Step 1 fades from its own level: steady 60.
  fire("Timer2");
  EXPECT_EQ(CL(1), 60);
  fire("Timer1");  // to step 2: 60 -> 120, 6 per tick
  for (int t = 1; t <= 10; ++t) {
    fire("Timer2");
    EXPECT_EQ(CL(1), 60 + 6 * t) << "tick " << t;
  }
  // Ten additions of 0.1 stay below 1.0: an eleventh tick still fades.
  fire("Timer2");
  EXPECT_EQ(CL(1), 126);
  // After the fade time the output rests at 0 until the next step.
  fire("Timer2");
  EXPECT_EQ(CL(1), 0);
  fire("Timer1");  // step 3: 120 -> 180
  fire("Timer2");
  EXPECT_EQ(CL(1), 126);
  EXPECT_EQ(get("Chases.Picture1(0).BackColor"), std::to_string(255 + 256 * (255 - 126) + 65536 * (255 - 126)));
  fire("Timer1");  // wraps to step 1: from 180 down to 60
  EXPECT_EQ(get("Chases.Step_Display"), "\"1\"");
  fire("Timer2");
  EXPECT_EQ(CL(1), 168);
}

TEST_F(ChaseRun, StepChannelsJumpAndOffChannelsHoldTheirLevel) {
  ThreeSteps(kChaseStep, 5.0, 5.0);
  R().Fade[2][0] = kChaseOff;
  cmd("click Chases.Chase_Go_Button");
  fire("Timer2");
  EXPECT_EQ(CL(1), 60);
  fire("Timer1");
  fire("Timer2");
  EXPECT_EQ(CL(1), 60);  // Off holds and is still output
  EXPECT_EQ(get("Chases.Ch_Function(0).Caption"), "\"off\"");
  fire("Timer1");
  fire("Timer2");
  EXPECT_EQ(CL(1), 180);
  EXPECT_EQ(get("Chases.Ch_Function(0).Caption"), "\"S\"");
  EXPECT_EQ(get("Chases.Ch_Function(0).BackColor"), std::to_string(255 + 256 * 255));
}

TEST_F(ChaseRun, ShortFadeLightsOnlyDuringItsFadeTime) {
  ThreeSteps(kChaseStep, 2.0, 0.5);
  cmd("click Chases.Chase_Go_Button");
  auto litTicks = [&] {
    int lit = 0;
    for (int t = 0; t < 20; ++t) {
      fire("Timer2");
      if (CL(1) > 0) ++lit;
    }
    return lit;
  };
  // The editor opens with 0.1 s of fade already counted; Go keeps it.
  EXPECT_EQ(litTicks(), 4);
  fire("Timer1");
  EXPECT_EQ(litTicks(), 5);
  EXPECT_EQ(get("Chases.Step_Bar"), "96");  // 2.0 s elapsed of 2.1 -> 96
  EXPECT_EQ(get("Chases.Fade_Bar"), "84");  // 0.5 of 0.6 s -> 84
}

TEST_F(ChaseRun, LoopTwoStopsItselfAfterTheThirdPass) {
  ThreeSteps(kChaseStep, 0.1, 0.1);
  cmd("set Chases.Loop_Box 0");
  EXPECT_EQ(R().Loop, 1);
  cmd("set Chases.Loop_Times \"2\"");
  EXPECT_EQ(R().Loop, 2);
  cmd("click Chases.Chase_Go_Button");
  for (int a = 1; a <= 8; ++a) {
    fire("Timer1");
    if (a == 3) {
      EXPECT_EQ(get("Chases.Loop_Times_txt"), "\"1\"");
    }
    if (a == 6) {
      EXPECT_EQ(get("Chases.Loop_Times_txt"), "\"0\"");
    }
  }
  fire("Timer2");
  EXPECT_GT(CL(1), 0);
  EXPECT_EQ(get("Chases.Chase_Go_Button.Caption"), "\"Stop\"");
  fire("Timer1");  // third end of the list
  EXPECT_EQ(get("Chases.Chase_Go_Button.Caption"), "\"Go\"");
  EXPECT_EQ(get("Chases.Timer1.Enabled"), "false");
  EXPECT_EQ(get("Chases.Timer2.Enabled"), "false");
  EXPECT_EQ(get("Chases.Loop_Times_txt"), "\"2\"");
  for (int i = 0; i < 64; ++i) EXPECT_EQ(CL(i), 0);
  // Through the clock as well: the whole run ends by itself.
  cmd("click Chases.Chase_Go_Button");
  EXPECT_EQ(cmd("advance 5000"), "ok");
  EXPECT_EQ(get("Chases.Chase_Go_Button.Caption"), "\"Go\"");
}

TEST_F(ChaseRun, EndlessChaseNeverStopsByItself) {
  ThreeSteps(kChaseStep, 0.1, 0.1);
  cmd("click Chases.Chase_Go_Button");
  EXPECT_EQ(cmd("advance 20000"), "ok");
  EXPECT_EQ(get("Chases.Chase_Go_Button.Caption"), "\"Stop\"");
}

TEST_F(ChaseRun, SingleStepChaseWrapsOntoItselfAndHoldsFadeLevel) {
  R().Steps = 1;
  R().Data[1][0] = 90;
  R().Fade[1][0] = kChaseFade;
  cmd("click Chases.Chase_Go_Button");
  for (int n = 0; n < 3; ++n) {
    fire("Timer1");
    EXPECT_EQ(get("Chases.Step_Display"), "\"1\"");
    fire("Timer2");
    EXPECT_EQ(CL(1), 90);
  }
}

TEST_F(ChaseRun, StopMovesTheChaseOnOneStepAndClearsOutput) {
  ThreeSteps(kChaseStep, 5.0, 5.0);
  cmd("click Chases.Chase_Go_Button");
  fire("Timer2");
  EXPECT_EQ(CL(1), 60);
  cmd("click Chases.Chase_Go_Button");
  EXPECT_EQ(get("Chases.Step_Display"), "\"2\"");
  EXPECT_EQ(CL(1), 0);
  // The editor shows the step it stopped on.
  EXPECT_EQ(get("Chases.Slider1(0)"), std::to_string(255 - 120));
}

TEST_F(ChaseRun, MasterScalesOutputAndAtItsTopGivesZero) {
  ThreeSteps(kChaseStep, 5.0, 5.0);
  R().Data[1][0] = 200;
  cmd("set Chases.Slider2 255");
  cmd("click Chases.Chase_Go_Button");
  fire("Timer2");
  EXPECT_EQ(CL(1), 0);
  cmd("set Chases.Slider2 128");
  fire("Timer2");
  EXPECT_EQ(CL(1), 100);  // 127 * 200 / 255 = 99.6
}

TEST_F(ChaseRun, ChannelsSharingADeskChannelTakeTheHigherLevel) {
  ThreeSteps(kChaseStep, 5.0, 5.0);
  R().Channels[0] = 9;
  R().Channels[5] = 9;
  R().Data[1][0] = 100;
  R().Data[1][5] = 210;
  R().Fade[1][5] = kChaseStep;
  cmd("click Chases.Chase_Go_Button");
  fire("Timer2");
  EXPECT_EQ(CL(9), 210);
  R().Data[2][0] = 220;
  R().Data[2][5] = 30;
  fire("Timer1");
  fire("Timer2");
  EXPECT_EQ(CL(9), 220);
}

TEST_F(ChaseRun, FadeStepWithZeroTimeJumpsInsteadOfDividingByZero) {
  ChaseRecord& r = R();
  r.Steps = 2;
  r.Data[1][0] = 0;
  r.Data[2][0] = 200;
  r.Fade[2][0] = kChaseFade;
  r.Time[2] = 0;
  ChaseChannels ch;
  PrepareStep(r, 2, 1, ch);
  EXPECT_EQ(ch.level[0], 200);
  EXPECT_EQ(ch.increment[0], 0);
  // A chase with such a step runs and never outputs a bad level.
  cmd("click Chases.Chase_Go_Button");
  fire("Timer1");
  for (int t = 0; t < 3; ++t) {
    fire("Timer2");
    EXPECT_GE(CL(1), 0);
    EXPECT_LE(CL(1), 255);
  }
}

TEST_F(ChaseRun, LiveModeEditsReachTheDmxFrameAtTheNextTick) {
  cmd("set Chases.Live_Mode_Sel 1");
  EXPECT_TRUE(C().engine().live);
  cmd("set Chases.Slider1(0) 55");
  EXPECT_EQ(CL(1), 200);
  tick();
  EXPECT_EQ(get("DmxFrame(1)"), "200");
  // Moving the entry to desk channel 10 clears the old slot, lights the new.
  cmd("set Chases.Text1(0) \"10\"");
  EXPECT_EQ(CL(1), 0);
  EXPECT_EQ(CL(9), 200);
  tick();
  EXPECT_EQ(get("DmxFrame(9)"), "200");
  EXPECT_EQ(get("DmxFrame(1)"), "0");
  cmd("set Chases.Live_Mode_Sel 0");
  EXPECT_EQ(CL(9), 0);
}

TEST_F(ChaseRun, StartClearsLiveAndStopRestoresItWhenTicked) {
  cmd("set Chases.Live_Mode_Sel 1");
  cmd("click Chases.Chase_Go_Button");
  EXPECT_FALSE(C().engine().live);
  cmd("set Chases.Slider1(0) 0");  // refused while running
  EXPECT_EQ(R().Data[1][0], 0);
  cmd("click Chases.Chase_Go_Button");
  EXPECT_TRUE(C().engine().live);
}

TEST_F(ChaseRun, ManualStepWhileRunningPreparesFadesAndPeriod) {
  ThreeSteps(kChaseFade, 1.5, 1.0);
  R().Speed[3] = 3.0;
  cmd("click Chases.Chase_Go_Button");
  cmd("click Chases.Chase_Minus");  // 1 -> 3
  EXPECT_EQ(get("Chases.Step_Display"), "\"3\"");
  EXPECT_EQ(get("Chases.Timer1.Interval"), "3001");
  fire("Timer2");
  EXPECT_EQ(CL(1), 60 + 12);  // from step 1 (60) towards 180
  // An endless chase wraps at the end of the list and keeps running.
  cmd("click Chases.Chase_Plus");
  EXPECT_EQ(get("Chases.Step_Display"), "\"1\"");
  EXPECT_EQ(get("Chases.Chase_Go_Button.Caption"), "\"Stop\"");
}

TEST_F(ChaseRun, ManualStepPastTheEndStopsACountedChase) {
  ThreeSteps(kChaseStep, 1.0, 1.0);
  R().Loop = 3;
  cmd("click Chases.Chase_Sel");
  cmd("set Chases.Chase_Sel 0");
  cmd("click Chases.Chase_Go_Button");
  cmd("click Chases.Chase_Plus");
  cmd("click Chases.Chase_Plus");
  EXPECT_EQ(get("Chases.Chase_Go_Button.Caption"), "\"Stop\"");
  cmd("click Chases.Chase_Plus");
  EXPECT_EQ(get("Chases.Chase_Go_Button.Caption"), "\"Go\"");
  EXPECT_EQ(CL(1), 0);
}

TEST_F(ChaseRun, CountedChaseResumesWhereItStands) {
  ThreeSteps(kChaseStep, 1.0, 1.0);
  R().Loop = 2;
  cmd("set Chases.Chase_Sel 0");
  cmd("click Chases.Chase_Plus");
  cmd("click Chases.Chase_Go_Button");
  EXPECT_EQ(get("Chases.Step_Display"), "\"2\"");
  fire("Timer2");
  EXPECT_EQ(CL(1), 120);
}

TEST_F(ChaseRun, ClosingTheEditorStopsItsChase) {
  ThreeSteps(kChaseStep, 1.0, 1.0);
  cmd("click Chases.Chase_Go_Button");
  fire("Timer2");
  EXPECT_EQ(cmd("unload Chases"), "ok");
  EXPECT_FALSE(C().engine().running);
  EXPECT_EQ(CL(1), 0);
}

TEST(SequenceRunner, LoopZeroPlaysTheListOnceAndMinusOneIsEndless) {
  ChaseRecord r;
  r.Steps = 2;
  r.Speed.fill(1.0);
  r.Time.fill(1.0);
  r.Data[1][0] = 100;
  r.Data[2][0] = 200;
  r.Fade[1][0] = kChaseStep;
  r.Fade[2][0] = kChaseFade;
  SequenceRunner run;
  EXPECT_EQ(run.Start(4, r), 1001);
  EXPECT_EQ(run.Level(4, 0), 100);
  EXPECT_EQ(run.Step(4, r), 1001);  // step 2 fades 100 -> 200
  run.Fade(4, r);
  EXPECT_DOUBLE_EQ(run.Level(4, 0), 110);
  EXPECT_EQ(run.Step(4, r), 0);  // Loop 0: one pass
  r.Loop = -1;
  run.Start(4, r, 50);
  for (int n = 0; n < 10; ++n) EXPECT_EQ(run.Step(4, r), 501);
  r.Loop = 1;
  run.Start(4, r);
  EXPECT_NE(run.Step(4, r), 0);
  EXPECT_NE(run.Step(4, r), 0);  // first end: one more pass
  EXPECT_NE(run.Step(4, r), 0);
  EXPECT_EQ(run.Step(4, r), 0);
}

TEST(SequenceRunner, FirstFadeStepRisesFromTheHeldLevel) {
  ChaseRecord r;
  r.Steps = 1;
  r.Speed.fill(2.0);
  r.Time.fill(0.5);
  r.Data[1][3] = 50;
  r.Fade[1][3] = kChaseFade;
  SequenceRunner run;
  EXPECT_EQ(run.Start(0, r, 100), 2001);
  for (int t = 0; t < 8; ++t) run.Fade(0, r);
  // 0.5 s of fade: five (or six) ticks of 10, then it holds.
  EXPECT_GE(run.Level(0, 3), 50);
  EXPECT_LE(run.Level(0, 3), 60);
}

}  // namespace
}  // namespace lumora
