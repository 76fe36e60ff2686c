// Chase editing: selection, naming, steps, clipboard, shifts, channel
// entries, functions, times and loops, with the refusals while running.
#include <gtest/gtest.h>

#include "desk_fixture.h"
#include "sequences/chase_engine.h"
#include "sequences/chases_form.h"

namespace lumora {
namespace {

class ChaseEdit : public testing::DeskTest {
 protected:
  ChaseEdit() { EXPECT_EQ(cmd("show Chases"), "ok"); }
  Chases& C() { return desk->chases(); }
  ChaseRecord& R(int k = 0) { return S().Chases[static_cast<std::size_t>(k)]; }
  void click(const std::string& c) { EXPECT_EQ(cmd("click Chases." + c), "ok") << c; }
  int cur() { return C().engine().currentStep; }
  // Steps 1..n with recognisable rows: level s*10 + c, function by step.
  void Rows(int n) {
    R().Steps = static_cast<int16_t>(n);
    for (int s = 1; s <= 32; ++s) {
      for (int c = 0; c < 24; ++c) {
        R().Data[s][c] = static_cast<int16_t>(s * 5 + c);
        R().Fade[s][c] = static_cast<int16_t>(s % 3);
      }
      R().Speed[s] = s;
      R().Time[s] = s + 0.5;
    }
    cmd("set Chases.Chase_Sel 0");
  }
};

TEST_F(ChaseEdit, SelectorListsAllChasesWithNoneForUnnamed) {
  EXPECT_EQ(get("Chases.Chase_Sel.ListCount"), "33");
  EXPECT_EQ(get("Chases.Chase_Sel.List(32)"), "\" -None- \"");
  R(4).Name = "Strobe";
  R(4).Steps = 6;
  R(4).Loop = 3;
  R(4).Colour = "255";
  R(4).Channels[2] = 40;
  cmd("hide Chases");
  cmd("unload Chases");
  cmd("show Chases");
  EXPECT_EQ(get("Chases.Chase_Sel.List(4)"), "\"Strobe\"");
  cmd("set Chases.Chase_Sel 4");
  EXPECT_EQ(get("Chases.Caption"), "\"Sequence Desk Strobe\"");
  EXPECT_EQ(get("Chases.Steps"), "\"6\"");
  EXPECT_EQ(get("Chases.Step_Display"), "\"1\"");
  EXPECT_EQ(get("Chases.Chase_Name"), "\"Strobe\"");
  EXPECT_EQ(get("Chases.Loop_Box"), "0");
  EXPECT_EQ(get("Chases.Loop_Times"), "\"3\"");
  EXPECT_EQ(get("Chases.Chase_Colour_Sel.BackColor"), "255");
  EXPECT_EQ(get("Chases.Text1(2)"), "\"41\"");
  cmd("set Chases.Chase_Sel 5");
  EXPECT_EQ(get("Chases.Loop_Box"), "1");
  EXPECT_EQ(get("Chases.Loop_Times.Enabled"), "false");
  EXPECT_EQ(get("Chases.Chase_Colour_Sel.BackColor"), "-1");
}

TEST_F(ChaseEdit, NameChangeUpdatesListCaptionAndTable) {
  cmd("set Chases.Chase_Name \"Wash\"");
  EXPECT_EQ(R().Name, "Wash");
  EXPECT_EQ(get("Chases.Chase_Sel.List(0)"), "\"Wash\"");
  EXPECT_EQ(get("Chases.Caption"), "\"Sequence Desk Wash\"");
  cmd("set Chases.Chase_Name \"\"");
  EXPECT_EQ(get("Chases.Chase_Sel.List(0)"), "\" -None- \"");
}

TEST_F(ChaseEdit, ColourDialogStoresDecimalTextAndCancelKeeps) {
  cmd("queue colour 65535");
  click("Chase_Colour_Sel");
  EXPECT_EQ(R().Colour, "65535");
  EXPECT_EQ(get("Chases.Chase_Colour_Sel.BackColor"), "65535");
  click("Chase_Colour_Sel");  // nothing queued: cancelled
  EXPECT_EQ(R().Colour, "65535");
}

TEST_F(ChaseEdit, StepNavigationWrapsBothWays) {
  Rows(3);
  click("Chase_Minus");
  EXPECT_EQ(cur(), 3);
  EXPECT_EQ(get("Chases.Slider1(0)"), std::to_string(255 - 15));
  click("Chase_Plus");
  EXPECT_EQ(cur(), 1);
  click("Chase_Plus");
  EXPECT_EQ(get("Chases.Step_Display"), "\"2\"");
  EXPECT_EQ(get("Chases.LogSlider3"), "2");
  EXPECT_EQ(get("Chases.Text2"), "\"2.5\"");
}

TEST_F(ChaseEdit, StepsAddAndSubtractStayWithinOneToThirtyTwo) {
  Rows(32);
  click("Steps_Add");
  EXPECT_EQ(R().Steps, 32);
  Rows(1);
  click("Steps_subtract");
  EXPECT_EQ(R().Steps, 1);
  Rows(4);
  click("Chase_Minus");  // step 4
  click("Steps_subtract");
  EXPECT_EQ(R().Steps, 3);
  EXPECT_EQ(cur(), 3);
  EXPECT_EQ(get("Chases.Steps"), "\"3\"");
  // The removed row stays and comes back.
  click("Steps_Add");
  EXPECT_EQ(R().Data[4][0], 20);
}

TEST_F(ChaseEdit, StepsAddWithApplyToAllGivesTheNewStepTheAllFunction) {
  Rows(2);
  click("Ch_Function_All");  // applies Fade, state 1
  cmd("set Chases.Global_fade_sw 1");
  click("Steps_Add");
  EXPECT_EQ(R().Steps, 3);
  for (int c = 0; c < 24; ++c) EXPECT_EQ(R().Fade[3][c], kChaseFade) << c;
  EXPECT_EQ(R().Fade[2][20], 2);  // the step before keeps its own
}

TEST_F(ChaseEdit, InsertOpensAnEmptyStepAfterTheCurrentOne) {
  Rows(4);
  click("Chase_Plus");  // step 2
  S().ProjectChanged = 0;
  click("Insert");
  EXPECT_EQ(R().Steps, 5);
  for (int c = 0; c < 24; ++c) EXPECT_EQ(R().Data[3][c], 0);
  EXPECT_EQ(R().Fade[3][0], 3 % 3);  // functions and times of the displaced step
  EXPECT_EQ(R().Speed[3], 3);
  EXPECT_EQ(R().Data[4][0], 15);
  EXPECT_EQ(R().Data[5][0], 20);
  EXPECT_EQ(R().Data[2][0], 10);
  EXPECT_EQ(S().ProjectChanged, -1);
  Rows(32);
  click("Insert");
  EXPECT_EQ(R().Steps, 32);
  EXPECT_EQ(R().Data[32][0], 32 * 5);
}

TEST_F(ChaseEdit, RemoveStepShiftsLaterStepsDown) {
  Rows(4);
  click("Chase_Plus");
  S().ProjectChanged = 0;
  click("Remove_Step");
  EXPECT_EQ(R().Steps, 3);
  EXPECT_EQ(R().Data[2][0], 15);
  EXPECT_EQ(R().Data[3][0], 20);
  EXPECT_EQ(R().Speed[2], 3);
  EXPECT_EQ(S().ProjectChanged, -1);
  Rows(1);
  click("Remove_Step");
  EXPECT_EQ(R().Steps, 1);
}

TEST_F(ChaseEdit, RemovingTheLastStepLeavesTheStepNumberBeyondAndInsertStaysInside) {
  Rows(32);
  click("Chase_Minus");  // step 32
  click("Remove_Step");
  EXPECT_EQ(R().Steps, 31);
  EXPECT_EQ(cur(), 32);
  click("Insert");  // goes after step 31, never past row 32
  EXPECT_EQ(R().Steps, 32);
  EXPECT_EQ(R().Data[32][0], 0);
  EXPECT_EQ(R().Data[31][0], 31 * 5);
}

TEST_F(ChaseEdit, CopyPasteHoldsWholeSecondsTiesToEven) {
  Rows(3);
  R().Speed[1] = 2.5;
  R().Time[1] = 3.5;
  click("Command_Copy");
  click("Chase_Plus");
  click("Command_Paste");
  EXPECT_EQ(R().Speed[2], 2);
  EXPECT_EQ(R().Time[2], 4);
  for (int c = 0; c < 24; ++c) {
    EXPECT_EQ(R().Data[2][c], R().Data[1][c]);
    EXPECT_EQ(R().Fade[2][c], R().Fade[1][c]);
  }
  EXPECT_EQ(get("Chases.Slider1(0)"), std::to_string(255 - 5));
  // The menu entries do the same.
  R().Speed[1] = 7.4;
  cmd("click Chases.Chase_Minus");
  click("Copy_step");
  click("Chase_Plus");
  click("Chase_Plus");
  click("Paste_step");
  EXPECT_EQ(R().Speed[3], 7);
}

TEST_F(ChaseEdit, PasteBeforeAnyCopyWritesZeros) {
  Rows(2);
  click("Command_Paste");
  for (int c = 0; c < 24; ++c) EXPECT_EQ(R().Data[1][c], 0);
  EXPECT_EQ(R().Speed[1], 0);
  EXPECT_EQ(R().Fade[1][0], 0);
}

TEST_F(ChaseEdit, ShiftRotatesOnlyThePlainChannelsAndUndoes) {
  Rows(1);
  auto before = R().Data[1];
  auto beforeF = R().Fade[1];
  R().Fade[1][0] = 2;
  R().Fade[1][1] = 0;
  beforeF = R().Fade[1];
  click("Shift_Neg");
  EXPECT_EQ(R().Data[1][0], before[1]);
  EXPECT_EQ(R().Data[1][17], before[0]);
  EXPECT_EQ(R().Fade[1][17], 2);
  EXPECT_EQ(R().Data[1][18], before[18]);
  click("Shift_Pos");
  EXPECT_EQ(R().Data[1], before);
  EXPECT_EQ(R().Fade[1], beforeF);
  click("Shift_Pos");
  EXPECT_EQ(R().Data[1][0], before[17]);
  EXPECT_EQ(R().Data[1][1], before[0]);
}

TEST_F(ChaseEdit, EditsAreRefusedSilentlyWhileRunning) {
  Rows(3);
  for (int s = 1; s <= 3; ++s) R().Fade[s].fill(2);
  auto snapshot = R();
  click("Chase_Go_Button");
  for (const char* op : {"Command_Copy", "Command_Paste", "Insert", "Remove_Step", "Shift_Neg", "Shift_Pos",
                         "Insert_Step", "Remove_Step_mnu", "Paste_step"}) {
    click(op);
    EXPECT_TRUE(lastEvents.empty()) << op;
  }
  cmd("set Chases.Slider1(3) 0");
  EXPECT_EQ(R().Steps, snapshot.Steps);
  EXPECT_EQ(R().Data, snapshot.Data);
  EXPECT_EQ(R().Fade, snapshot.Fade);
  // Go moved every plain fader to the bottom without writing the chase.
  EXPECT_EQ(get("Chases.Slider1(5)"), "255");
}

TEST_F(ChaseEdit, LevelFadersFullAndZeroButtons) {
  Rows(1);
  cmd("set Chases.Slider1(2) 55");
  EXPECT_EQ(R().Data[1][2], 200);
  EXPECT_EQ(get("Chases.Picture1(2).BackColor"), std::to_string(255 + 256 * 55 + 65536 * 55));
  click("Command1(2)");
  EXPECT_EQ(R().Data[1][2], 255);
  click("Command2(2)");
  EXPECT_EQ(R().Data[1][2], 0);
  EXPECT_EQ(get("Chases.Picture1(2).BackColor"), std::to_string(0xFFFFFF));
}

TEST_F(ChaseEdit, ClearFaderSettingsZeroesThePlainChannels) {
  Rows(1);
  click("Command3");
  for (int c = 0; c < 18; ++c) EXPECT_EQ(R().Data[1][c], 0);
  EXPECT_EQ(R().Data[1][20], 25);  // moving-light channels only when that desk is shown
  click("Show_Moving");
  click("Clear_Step");
  EXPECT_EQ(R().Data[1][20], 0);
}

TEST_F(ChaseEdit, ChannelEntryCascadesWithAutoIncrement) {
  cmd("set Chases.Check1 1");
  S().ProjectChanged = 0;
  cmd("set Chases.Text1(3) \"50\"");
  EXPECT_EQ(R().Channels[3], 49);
  int expect = 51;
  for (int c = 4; c < 24; ++c) {
    EXPECT_EQ(get("Chases.Text1(" + std::to_string(c) + ")"), "\"" + std::to_string(expect) + "\"");
    EXPECT_EQ(R().Channels[c], expect - 1);
    if (expect < 62) ++expect;
  }
  EXPECT_EQ(R().Channels[23], 61);
  EXPECT_EQ(R().Channels[15], 61);
  EXPECT_EQ(R().Channels[16], 61);
  EXPECT_EQ(R().Channels[2], 3);  // earlier entries untouched
  EXPECT_EQ(S().ProjectChanged, -1);
  EXPECT_TRUE(lastEvents.empty());
}

TEST_F(ChaseEdit, ChannelEntryOutOfRangeGivesOneMessageAndKeepsTheChannel) {
  for (const char* bad : {"63", "0", "-4", "abc"}) {
    cmd(std::string("set Chases.Text1(1) \"") + bad + "\"");
    ASSERT_EQ(lastEvents.size(), 1u) << bad;
    EXPECT_NE(lastEvents[0].find("\" Channel Values must be between 1 - 63\""), std::string::npos);
    EXPECT_NE(lastEvents[0].find("\" Channel Error\""), std::string::npos);
    EXPECT_NE(lastEvents[0].find("exclamation"), std::string::npos);
    EXPECT_EQ(R().Channels[1], 2) << bad;
    EXPECT_EQ(get("Chases.Text1(1)"), "\"3\"");
  }
  cmd("set Chases.Text1(1) \"\"");  // being typed over: no message
  EXPECT_TRUE(lastEvents.empty());
  cmd("set Chases.Text1(1) \"62\"");
  EXPECT_EQ(R().Channels[1], 61);
  EXPECT_TRUE(lastEvents.empty());
}

TEST_F(ChaseEdit, FunctionButtonCyclesAndCanApplyToAllSteps) {
  Rows(3);
  R().Fade[1][4] = 0;
  click("Ch_Function(4)");
  EXPECT_EQ(R().Fade[1][4], 1);
  EXPECT_EQ(get("Chases.Ch_Function(4).Caption"), "\"F\"");
  EXPECT_EQ(get("Chases.Ch_Function(4).BackColor"), "65280");
  click("Ch_Function(4)");
  EXPECT_EQ(R().Fade[1][4], 2);
  click("Ch_Function(4)");
  EXPECT_EQ(R().Fade[1][4], 0);
  EXPECT_EQ(get("Chases.Ch_Function(4).Caption"), "\"off\"");
  EXPECT_EQ(get("Chases.Text1(4).Enabled"), "false");
  EXPECT_EQ(get("Chases.Slider1(4).Enabled"), "false");
  EXPECT_EQ(R().Fade[2][4], 2);  // other steps untouched
  cmd("set Chases.Global_fade_sw 1");
  click("Ch_Function(4)");
  for (int s = 0; s <= 3; ++s) EXPECT_EQ(R().Fade[s][4], 1) << s;
  EXPECT_EQ(R().Fade[4][4], 4 % 3);
  EXPECT_EQ(get("Chases.Text1(4).Enabled"), "true");
}

TEST_F(ChaseEdit, AllChannelsFunctionGoesFadeStepOff) {
  Rows(2);
  EXPECT_EQ(C().FunctionAllState(), 0);
  click("Ch_Function_All");
  for (int c = 0; c < 18; ++c) EXPECT_EQ(R().Fade[1][c], 1);
  EXPECT_EQ(R().Fade[1][18], 1 % 3);  // moving-light channels untouched (step 1 rows hold 1)
  R().Fade[1][20] = 0;
  click("Ch_Function_All");
  for (int c = 0; c < 18; ++c) EXPECT_EQ(R().Fade[1][c], 2);
  EXPECT_EQ(R().Fade[1][20], 0);
  click("Show_Moving");
  click("Ch_Function_All");
  for (int c = 0; c < 24; ++c) EXPECT_EQ(R().Fade[1][c], 0);
  EXPECT_EQ(C().FunctionAllState(), 0);
  EXPECT_EQ(R().Fade[2][0], 2);
}

TEST_F(ChaseEdit, SpeedAndFadeSlidersWithTheApplyToAllSwitches) {
  Rows(3);
  cmd("set Chases.LogSlider3 2.5");
  EXPECT_EQ(R().Speed[1], 2.5);
  EXPECT_EQ(R().Speed[2], 2);
  EXPECT_EQ(get("Chases.Text7"), "\"2.5\"");
  cmd("set Chases.Global_Speed 1");
  cmd("set Chases.LogSlider3 4");
  for (int s = 0; s <= 3; ++s) EXPECT_EQ(R().Speed[s], 4) << s;
  EXPECT_EQ(R().Speed[4], 4);  // beyond Steps: untouched (row 4 held 4 already)
  EXPECT_EQ(R().Time[2], 2.5);
  cmd("set Chases.LogSlider4 0.7");
  EXPECT_EQ(R().Time[1], 0.7);
  EXPECT_EQ(R().Time[2], 2.5);
  cmd("set Chases.Global_fade 1");
  cmd("set Chases.LogSlider4 0.9");
  for (int s = 0; s <= 3; ++s) EXPECT_EQ(R().Time[s], 0.9);
  // Lock: fade follows speed, the fade slider is inert.
  cmd("set Chases.Speed_Fade_Lock 1");
  EXPECT_EQ(get("Chases.Global_fade.Enabled"), "false");
  EXPECT_EQ(R().Time[1], 0.9);
  cmd("set Chases.LogSlider4 10");
  EXPECT_EQ(R().Time[1], 0.9);
  cmd("set Chases.LogSlider3 6");
  for (int s = 0; s <= 3; ++s) {
    EXPECT_EQ(R().Speed[s], 6);
    EXPECT_EQ(R().Time[s], 6);
  }
  EXPECT_EQ(get("Chases.Text2"), "\"6\"");
  cmd("set Chases.Speed_Fade_Lock 0");
  EXPECT_EQ(get("Chases.Global_fade.Enabled"), "true");
}

TEST_F(ChaseEdit, ShowingAStepNeverRewritesTimesThroughTheSliders) {
  Rows(3);
  cmd("set Chases.Global_Speed 1");
  cmd("set Chases.Global_fade 1");
  R(1).Steps = 3;
  R(1).Speed[1] = 1.5;
  R(1).Speed[2] = 7;
  R(1).Time[2] = 3;
  cmd("set Chases.Chase_Sel 1");
  click("Chase_Plus");
  EXPECT_EQ(R(1).Speed[2], 7);
  EXPECT_EQ(R(1).Speed[1], 1.5);
  EXPECT_EQ(R(1).Time[2], 3);
}

TEST_F(ChaseEdit, LoopBoxAndLoopTimes) {
  cmd("set Chases.Loop_Box 0");
  EXPECT_EQ(R().Loop, 1);
  EXPECT_EQ(get("Chases.Loop_Times.Enabled"), "true");
  cmd("set Chases.Loop_Times \"4\"");
  EXPECT_EQ(R().Loop, 4);
  EXPECT_EQ(get("Chases.Loop_Times_txt"), "\"4\"");
  cmd("set Chases.Loop_Times \"x\"");
  EXPECT_EQ(R().Loop, 4);
  cmd("set Chases.Loop_Box 1");
  EXPECT_EQ(R().Loop, 0);
  EXPECT_EQ(get("Chases.Loop_Times.Enabled"), "false");
  EXPECT_EQ(get("Chases.Loop_Times_txt.Enabled"), "false");
}

TEST_F(ChaseEdit, ExitClosesTheEditorAndTheFixtureWindow) {
  cmd("show Fixture_Prop");
  click("Exit");
  EXPECT_EQ(get("Chases.Visible"), "false");
  EXPECT_EQ(get("Fixture_Prop.Visible"), "false");
}

TEST_F(ChaseEdit, DeskResetDefaultsAndStartDefaults) {
  // Start: chase 0..31 defaults, chase 32 only Steps 15.
  EXPECT_EQ(R(5).Channels[0], 1);
  EXPECT_EQ(R(5).Fade[7][3], 2);
  EXPECT_EQ(R(5).Speed[9], 1.0);
  EXPECT_EQ(R(32).Steps, 15);
  R(3).Data[4][20] = 99;
  R(3).Loop = 5;
  ResetChases(S());
  EXPECT_EQ(R(3).Data[4][20], 0);  // moving-light channels are cleared too
  EXPECT_EQ(R(3).Fade[4][20], 0);
  EXPECT_EQ(R(3).Speed[4], 100.0);
  EXPECT_EQ(R(3).Loop, 5);
}

}  // namespace
}  // namespace lumora

namespace lumora {
namespace {

// Step counts and channel numbers outside their bounds can only come from a
// damaged project file; every operation must stay inside the tables.
TEST_F(ChaseEdit, DamagedStepCountsAndChannelsNeverLeaveTheTables) {
  for (int16_t steps : {int16_t{100}, int16_t{0}, int16_t{-3}}) {
    R().Steps = steps;
    R().Channels[0] = 200;
    R().Channels[1] = -7;
    R().Loop = 1;
    cmd("set Chases.Chase_Sel 0");
    for (const char* op : {"Chase_Minus", "Chase_Plus", "Insert", "Remove_Step", "Steps_Add", "Steps_subtract",
                           "Command_Copy", "Command_Paste", "Shift_Neg", "Ch_Function(0)", "Ch_Function_All",
                           "Chase_Go_Button"}) {
      click(op);
    }
    cmd("set Chases.Global_fade_sw 1");
    click("Ch_Function(2)");
    cmd("set Chases.LogSlider3 3");
    for (int n = 0; n < 40; ++n) {
      cmd("fire Chases.Timer1");
      cmd("fire Chases.Timer2");
    }
    for (int i = 0; i < 64; ++i) {
      EXPECT_GE(S().ChaseLevels[i], 0);
      EXPECT_LE(S().ChaseLevels[i], 255);
    }
    if (C().engine().running) click("Chase_Go_Button");
    EXPECT_GE(R().Steps, 0) << steps;
    EXPECT_LE(R().Steps, 100) << steps;
    cmd("set Chases.Global_fade_sw 0");
  }
}

}  // namespace
}  // namespace lumora
