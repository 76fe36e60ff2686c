// An idle desk's timers rest: the output tick and the play desk's level tick
// sleep until something happens that could change what they compute, and
// the frame that goes out is exactly the frame of a desk that never rests.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "app/health_window.h"
#include "desk/hoofdblad.h"
#include "core/scheduler.h"
#include "playback/playdesk.h"
#include "tests/desk_fixture.h"

namespace lumora::testing {
namespace {

// Counts a timer's events without changing what it does.
struct EventCount {
  explicit EventCount(Timer& t) {
    auto inner = t.onTimer;
    t.onTimer = [this, inner] {
      ++n;
      if (inner) inner();
    };
  }
  long n = 0;
};

class Resting : public DeskTest {
 protected:
  Resting() { desk->scheduler().setResting(true); }
  Timer& tick() { return desk->hoofdblad().Timer1; }
  Timer& levelTick() { return desk->playdesk().Timer3; }
};

TEST_F(Resting, AnIdleDeskWakesOnlyForTheFallback) {
  EventCount ticks(tick()), levels(levelTick());
  cmd("advance 10000");
  // Instead of 143 output ticks and 100 level ticks: about one a second.
  EXPECT_LE(ticks.n, 11);
  EXPECT_GE(ticks.n, 9);
  EXPECT_LE(levels.n, 11);
  EXPECT_GE(levels.n, 9);
  // The host sleeps until the fallback, not until the next 70 ms period.
  const long before = ticks.n;
  ASSERT_TRUE(desk->scheduler().nextDue());
  EXPECT_GE(*desk->scheduler().nextDue(), desk->scheduler().now() + 70);
  desk->scheduler().advance(900);
  EXPECT_LE(ticks.n - before, 1);
}

// The host wakes once a second for the health sample (a timer that never
// rests); the resting ticks go with it instead of waking the host at their
// own fallback a few hundred milliseconds apart.
TEST_F(Resting, RestingTimersWakeWithTheHostsOtherWakeUps) {
  Scheduler& sch = desk->scheduler();
  cmd("advance 3000");
  EventCount ticks(tick()), levels(levelTick());
  // A second timer that never rests, half a second out of step.
  Form form(*desk, "Probe");
  Timer sample(form, "Sample");
  sample.onTimer = [] {};
  sample.passive = true;
  cmd("advance 530");
  sample.setInterval(1000);
  sample.setEnabled(true);
  const long wakes = sch.runAsHostFor(20000);
  // The health sample and the probe: two wake-ups a second, not four.
  EXPECT_LE(wakes, 2 * 20 + 2);
  // The resting ticks still come at least every fallback, never oftener
  // than every half of it.
  EXPECT_GE(ticks.n, 19);
  EXPECT_LE(ticks.n, 41);
  EXPECT_GE(levels.n, 19);
  EXPECT_LE(levels.n, 41);
}

// Where no view draws the desk, the safety net wakes every five seconds.
TEST_F(Resting, AViewlessDeskRestsLonger) {
  Scheduler& sch = desk->scheduler();
  sch.setViewless(true);
  desk->owned<Health>()->Health_Timer.setEnabled(false);
  cmd("advance 3000");
  EventCount ticks(tick());
  const long wakes = sch.runAsHostFor(20000);
  EXPECT_GE(ticks.n, 3);
  EXPECT_LE(ticks.n, 5);
  EXPECT_LE(wakes, 3 * 5);
  // A command still wakes the tick: due within its own period, not at the
  // fallback.
  EXPECT_EQ(cmd("set Hoofdblad.Slider1(0) 55"), "ok");
  EXPECT_LE(*sch.nextDue(), sch.now() + 70);
}

TEST_F(Resting, ACommandWakesTheTickAtOnce) {
  cmd("advance 5000");
  EventCount ticks(tick());
  EXPECT_EQ(cmd("set Hoofdblad.Slider1(0) 55"), "ok");  // channel 1 at 200
  // Due now, not after the rest: the frame follows the fader without delay.
  ASSERT_TRUE(desk->scheduler().nextDue());
  EXPECT_LE(*desk->scheduler().nextDue(), desk->scheduler().now());
  cmd("advance 0");
  EXPECT_EQ(ticks.n, 1);
  EXPECT_EQ(S().DmxFrame[0], 200);
  // One tick shows the change; then it rests again, keeping its beat.
  cmd("advance 500");
  EXPECT_LE(ticks.n, 2);
  // A reading changes nothing and wakes nothing.
  const int64_t due = *desk->scheduler().nextDue();
  get("DmxFrame(0)");
  EXPECT_EQ(*desk->scheduler().nextDue(), due);
}

TEST_F(Resting, TheHealthWindowSaysTheTickRests) {
  cmd("show Health");
  cmd("advance 3000");
  // Its periods are not measured while it rests: the window says why.
  EXPECT_EQ(get("Health.Tick_Set.Caption"), "\"Output tick every 70 ms (14.3 per second), resting while nothing changes\"");
  EXPECT_EQ(get("Health.Tick_Recent.Caption"), "\"Last 10 s: no ticks measured\"");
  // A tick that may not rest (an adapter polls its device) keeps its beat.
  tick().mayRest = [] { return false; };
  desk->scheduler().noteActivity();
  cmd("advance 2000");
  EXPECT_EQ(get("Health.Tick_Set.Caption"), "\"Output tick every 70 ms (14.3 per second)\"");
  EXPECT_EQ(get("Health.Tick_Recent.Caption").rfind("\"Last 10 s: mean 70.00 ms", 0), 0u);
}

TEST_F(Resting, ReadableDataAndOtherTimersAreActivity) {
  Scheduler& sch = desk->scheduler();
  cmd("advance 3000");
  const int64_t idle = *sch.nextDue();
  sch.noteActivity();
  EXPECT_LE(*sch.nextDue(), sch.now());
  cmd("advance 200");
  EXPECT_GT(*sch.nextDue(), sch.now() + 70);
  (void)idle;
  // A timer that may not rest (an adapter polls its device every tick)
  // keeps its period.
  EventCount ticks(tick());
  tick().mayRest = [] { return false; };
  sch.noteActivity();
  cmd("advance 700");
  EXPECT_GE(ticks.n, 10);
}

TEST_F(Resting, ARunningSequenceKeepsTheLevelTickAwakeUntilItStops) {
  S().Chases[6].Steps = 2;
  S().Chases[6].Data[0][0] = 100;
  S().Chases[6].Data[1][0] = 220;
  S().FaderFunctions[5].Function = kFnSequence;
  S().FaderFunctions[5].Value = 6;
  cmd("advance 3000");
  EventCount levels(levelTick());
  EXPECT_EQ(cmd("set Playdesk.Slider1(5) 0"), "ok");
  ASSERT_TRUE(desk->playdesk().runner().running(6));
  cmd("advance 1000");
  EXPECT_GE(levels.n, 10);  // every 100 ms while it runs
  EXPECT_EQ(cmd("click Playdesk.Submix_Clear"), "ok");
}

// The same random programme on a desk that rests and one that never does:
// once both have ticked, their frames are the same at every check.
TEST_F(Resting, FramesMatchADeskThatNeverRests) {
  DeskOptions o;
  o.manualClock = true;
  o.sim = true;
  ConsoleDialogs otherDialogs;
  Desk other(o, otherDialogs);
  Console otherConsole(other, otherDialogs);
  other.Start();
  auto both = [&](const std::string& line) {
    const std::string a = cmd(line);
    const std::string b = otherConsole.execute(line).back();
    EXPECT_EQ(a, b) << line;
  };
  for (auto* s : {&S(), &other.state}) {
    s->Chases[3].Steps = 3;
    s->Chases[3].Data[0][1] = 90;
    s->Chases[3].Data[1][1] = 250;
    s->Chases[3].Data[2][1] = 10;
    s->FaderFunctions[2].Function = kFnSequence;
    s->FaderFunctions[2].Value = 3;
  }
  std::mt19937 rnd(20261208);
  int quiet = 0;
  for (int step = 0; step < 200; ++step) {
    switch (rnd() % 6) {
      case 0: both("set Hoofdblad.Slider1(" + std::to_string(rnd() % 32) + ") " + std::to_string(rnd() % 256)); break;
      case 1: both("set Hoofdblad.channels " + std::to_string(rnd() % 256)); break;
      case 2: both("set Playdesk.Slider1(2) " + std::to_string(rnd() % 2 ? 0 : 255)); break;
      case 3: both("set Playdesk.Main " + std::to_string(rnd() % 256)); break;
      case 4: both("click Playdesk.Submix_Clear"); break;
      default: both("advance " + std::to_string(rnd() % 1500)); break;
    }
    both("advance 200");
    // With nothing running both have ticked since the last change: the
    // resting desk sends what the other one does.
    if (!desk->playdesk().runner().anyStarted()) {
      ++quiet;
      ASSERT_EQ(S().DmxFrame, other.state.DmxFrame) << "quiet, after step " << step;
    }
    // Whatever runs, resting changed none of the state the tick mixes.
    both("fire Hoofdblad.Timer1");
    ASSERT_EQ(S().DmxFrame, other.state.DmxFrame) << "after step " << step;
  }
  EXPECT_GT(quiet, 20);
}

}  // namespace
}  // namespace lumora::testing
