// Screen programming on the play desk, the screen editor and the instant
// panel, through the console.
#include <gtest/gtest.h>

#include "desk/fader_function_form.h"
#include "desk_fixture.h"
#include "playback/instant_screen.h"
#include "playback/namedit.h"
#include "playback/playdesk.h"

namespace lumora {
namespace {

class PlayDesk : public testing::DeskTest {
 protected:
  Playdesk& pd() { return desk->playdesk(); }
  void select(int n) { ASSERT_EQ(cmd("set Playdesk.Screen_Num_sel " + std::to_string(n)), "ok"); }
  void record(int n) {
    select(n);
    ASSERT_EQ(cmd("click Playdesk.Screen_Prog"), "ok");
  }
};

TEST_F(PlayDesk, OpensOnScreenOneWithTheDefaults) {
  EXPECT_EQ(get("CurrentScreen"), "1");
  EXPECT_EQ(get("ScreenCount"), "1");
  EXPECT_EQ(get("Screens(199).Next"), "200");
  EXPECT_EQ(get("Screens(4).Time"), "2");
  EXPECT_EQ(get("Playdesk.Page_Details"), "\"Page 1\"");
  EXPECT_EQ(get("Playdesk.Dec_Page(0).Enabled"), "false");
  EXPECT_EQ(get("Playdesk.Text2(0).Caption"), "\"Submix  1\"");
  EXPECT_EQ(get("Playdesk.Command1(3).Caption"), "\"Seq  3\"");
  EXPECT_EQ(get("Playdesk.Timer3.Interval"), "100");
}

TEST_F(PlayDesk, ReopeningThePlayDeskKeepsARecordedStore) {
  S().ScreenCount = 7;
  ASSERT_EQ(cmd("unload Playdesk"), "ok");
  ASSERT_EQ(cmd("show Playdesk"), "ok");
  EXPECT_EQ(get("ScreenCount"), "7");
  EXPECT_EQ(get("CurrentScreen"), "1");
}

TEST_F(PlayDesk, RecordAndRecallRoundTripDeskButtonsAndFaders) {
  S().DeskLevels[4] = 200;
  S().DeskLevels[63] = 17;
  S().PlayButtonState[20] = -1;
  S().PlayButtonState[80] = -1;  // spare entry travels with the arrays
  S().PlayFaderLevel[59] = 99;
  select(5);
  cmd("set Playdesk.Preset 55");
  cmd("set Playdesk.Screen_Fade_Time 7.4");
  cmd("set Playdesk.screen_txt \"Opening\"");
  cmd("set Playdesk.Auto_next 1");
  ASSERT_EQ(cmd("click Playdesk.Screen_Prog"), "ok");
  EXPECT_EQ(get("Playdesk.Status"), "\" Cue  5 Recorded\"");
  EXPECT_EQ(get("ProjectChanged"), "-1");
  const auto& r = S().Screens[5];
  EXPECT_EQ(r.Preset[4], 200);
  EXPECT_EQ(r.ButtonSel[80], -1);
  EXPECT_EQ(r.FaderSel[59], 99);
  EXPECT_EQ(r.PresetLevel, 200);
  EXPECT_EQ(r.Time, 7);
  EXPECT_EQ(r.Name, "Opening");
  EXPECT_EQ(r.Auto, -1);
  EXPECT_EQ(r.Next, 6);  // untouched by recording
  EXPECT_EQ(get("ScreenCount"), "6");
  EXPECT_EQ(get("CurrentScreen"), "6");

  ASSERT_EQ(cmd("click Playdesk.Clear_All"), "ok");
  EXPECT_EQ(get("Playdesk.Status"), "\" Desk Cleared \"");
  EXPECT_EQ(get("DeskLevels(4)"), "0");
  EXPECT_EQ(get("PlayButtonState(20)"), "0");
  cmd("set Playdesk.Preset 0");
  select(5);
  ASSERT_EQ(cmd("click Playdesk.Screen_Recall"), "ok");
  EXPECT_EQ(get("Playdesk.Status"), "\" Screen  5 Recalled\"");
  EXPECT_EQ(get("DeskLevels(4)"), "200");
  EXPECT_EQ(get("DeskLevels(63)"), "17");
  EXPECT_EQ(get("PlayButtonState(20)"), "-1");
  EXPECT_EQ(get("PlayFaderLevel(59)"), "99");
  EXPECT_EQ(get("Playdesk.Preset"), "55");
  EXPECT_EQ(get("Playdesk.screen_txt"), "\"Opening\"");
  EXPECT_EQ(get("Playdesk.Auto_next"), "1");
  EXPECT_EQ(get("Hoofdblad.Slider1(4)"), "55");  // main desk redrawn
}

TEST_F(PlayDesk, RecallStartsTheSequencesOfButtonsThatComeOn) {
  S().Screens[3].ButtonSel[2] = -1;  // button 2 runs sequence 2
  select(3);
  cmd("click Playdesk.Screen_Recall");
  EXPECT_TRUE(pd().runner().running(2));
  EXPECT_TRUE(pd().Timer1[2].Enabled());
  EXPECT_FALSE(pd().runner().running(1));
}

TEST_F(PlayDesk, RecordingOneTwoThreeLeavesFourSelected) {
  record(1);
  cmd("click Playdesk.Screen_Prog");
  cmd("click Playdesk.Screen_Prog");
  EXPECT_EQ(get("CurrentScreen"), "4");
  EXPECT_EQ(get("ScreenCount"), "4");
  EXPECT_EQ(get("Playdesk.Screen_Num_sel"), "4");
  EXPECT_EQ(get("Playdesk.Screen_num.Caption"), "\"4\"");
}

TEST_F(PlayDesk, RecordingTheLastScreenKeepsTheSelectionThere) {
  record(199);
  EXPECT_EQ(get("CurrentScreen"), "199");
  EXPECT_EQ(get("ScreenCount"), "200");
}

TEST_F(PlayDesk, InsertOpensAGapAndDeleteClosesIt) {
  for (int n = 0; n <= 4; ++n) S().Screens[n].Name = "S" + std::to_string(n);
  S().ScreenCount = 4;
  S().ProjectChanged = 0;
  select(2);
  cmd("click Playdesk.Insert_Cue");
  EXPECT_EQ(get("Playdesk.Status"), "\" Cue  2 Inserted\"");
  EXPECT_EQ(get("ScreenCount"), "5");
  EXPECT_EQ(get("Screens(3).Name"), "\"S2\"");
  EXPECT_EQ(get("Screens(5).Name"), "\"S4\"");
  EXPECT_EQ(get("Screens(2).Name"), "\"\"");
  EXPECT_EQ(get("Screens(2).Next"), "3");
  EXPECT_EQ(get("Screens(2).Time"), "20");
  EXPECT_EQ(get("Screens(1).Next"), "2");  // Next values are not renumbered
  EXPECT_EQ(get("ProjectChanged"), "-1");

  cmd("click Playdesk.Delete_Cue");
  EXPECT_EQ(get("Playdesk.Status"), "\" Cue  2 Deleted\"");
  EXPECT_EQ(get("ScreenCount"), "4");
  EXPECT_EQ(get("Screens(2).Name"), "\"S2\"");
  EXPECT_EQ(get("Screens(4).Name"), "\"S4\"");
  EXPECT_EQ(get("Screens(5).Name"), "\"\"");
  EXPECT_EQ(get("Screens(5).PresetLevel"), "255");
}

TEST_F(PlayDesk, InsertAndDeleteOutsideTheStoreOnlyReport) {
  S().ScreenCount = 3;
  S().Screens[3].Name = "keep";
  select(3);
  cmd("click Playdesk.Insert_Cue");
  EXPECT_EQ(get("Playdesk.Status"), "\" Cue  3 Not Inserted\"");
  cmd("click Playdesk.Delete_Cue");
  EXPECT_EQ(get("Playdesk.Status"), "\" Cue  3 Not Deleted\"");
  EXPECT_EQ(get("ScreenCount"), "3");
  EXPECT_EQ(get("Screens(3).Name"), "\"keep\"");
  S().ScreenCount = 1;
  select(0);
  cmd("click Playdesk.Delete_Cue");
  EXPECT_EQ(get("ScreenCount"), "1");
}

TEST_F(PlayDesk, InsertIntoAFullStoreIsRefusedAndLosesNothing) {
  S().ScreenCount = 199;
  S().Screens[199].Name = "last";
  S().Screens[198].Name = "before";
  select(10);
  cmd("click Playdesk.Insert_Cue");
  EXPECT_EQ(get("Playdesk.Status"), "\" Cue Store Full, Cue  10 Not Inserted\"");
  EXPECT_EQ(get("ScreenCount"), "199");
  EXPECT_EQ(get("Screens(199).Name"), "\"last\"");
  EXPECT_EQ(get("Screens(198).Name"), "\"before\"");
  // With the store at 200 a delete stays inside it too.
  S().ScreenCount = 200;
  cmd("click Playdesk.Delete_Cue");
  EXPECT_EQ(get("ScreenCount"), "199");
  EXPECT_EQ(get("Screens(198).Name"), "\"last\"");
}

TEST_F(PlayDesk, CopyPasteAndClear) {
  S().ScreenCount = 2;
  select(3);
  cmd("click Playdesk.Paste_Cue");  // nothing copied yet: the empty record
  EXPECT_EQ(get("Playdesk.Status"), "\" Cue  3 Pasted\"");
  EXPECT_EQ(get("Screens(3).Next"), "0");
  EXPECT_EQ(get("ScreenCount"), "3");
  S().Screens[1].Name = "Blue";
  S().Screens[1].Preset[0] = 90;
  select(1);
  cmd("click Playdesk.Copy_Cue");
  EXPECT_EQ(get("Playdesk.Status"), "\" Cue  1 Copied\"");
  select(9);
  cmd("click Playdesk.Paste_Cue");
  EXPECT_EQ(get("Screens(9).Name"), "\"Blue\"");
  EXPECT_EQ(get("Screens(9).Preset(0)"), "90");
  EXPECT_EQ(get("ScreenCount"), "9");

  S().Screens[9].Colour = "255";
  S().ProjectChanged = 0;
  cmd("click Playdesk.Cue_Clear");
  EXPECT_EQ(get("Playdesk.Status"), "\" Cue  9 Cleared\"");
  EXPECT_EQ(get("Screens(9).Preset(0)"), "0");
  EXPECT_EQ(get("Screens(9).Time"), "20");
  EXPECT_EQ(get("Screens(9).PresetLevel"), "255");
  EXPECT_EQ(get("Screens(9).Next"), "10");
  EXPECT_EQ(get("Screens(9).Colour"), "\"255\"");  // colour stays
  EXPECT_EQ(get("ProjectChanged"), "0");           // clearing is not an edit
}

TEST_F(PlayDesk, ScreenFieldsFollowTheirControls) {
  select(4);
  cmd("set Playdesk.screen_txt \"Finale\"");
  cmd("set Playdesk.Screen_instant_box 1");
  cmd("set Playdesk.Screen_Fade_Time 12.6");
  EXPECT_EQ(get("Screens(4).Name"), "\"Finale\"");
  EXPECT_EQ(get("Screens(4).Instant"), "-1");
  EXPECT_EQ(get("Screens(4).Time"), "13");
  select(5);
  EXPECT_EQ(get("Playdesk.screen_txt"), "\"\"");
  EXPECT_EQ(get("Screens(4).Time"), "13");  // showing another screen writes nothing back
  select(4);
  EXPECT_EQ(get("Playdesk.screen_txt"), "\"Finale\"");
  cmd("queue colour 65280");
  cmd("click Playdesk.Cue_Colour");
  EXPECT_EQ(get("Screens(4).Colour"), "\"65280\"");
  cmd("queue colour cancel");
  cmd("click Playdesk.Cue_Colour");
  EXPECT_EQ(get("Screens(4).Colour"), "\"65280\"");
  EXPECT_EQ(get("Playdesk.Cue_Colour.BackColor"), "65280");
}

TEST_F(PlayDesk, PagesStepBetweenOneAndFive) {
  for (int i = 0; i < 6; ++i) cmd("click Playdesk.Inc_Page(0)");
  EXPECT_EQ(get("CurrentPage"), "4");
  EXPECT_EQ(get("Playdesk.Inc_Page(1).Enabled"), "false");
  EXPECT_EQ(get("Playdesk.Page_Details"), "\"Page 5\"");
  cmd("set Playdesk.Page_Details \"Page 5\"");
  EXPECT_EQ(get("Pages(4).Name"), "\"\"");  // the default title is not stored
  cmd("set Playdesk.Page_Details \"Strings\"");
  cmd("set Playdesk.Page_text \"bows up\"");
  EXPECT_EQ(get("Pages(4).Name"), "\"Strings\"");
  EXPECT_EQ(get("Pages(4).Text"), "\"bows up\"");
  // Fader slot 0 of page 5 is fader 48.
  cmd("set Playdesk.Slider1(0) 0");
  EXPECT_EQ(get("PlayFaderLevel(48)"), "255");
  for (int i = 0; i < 6; ++i) cmd("click Playdesk.Dec_Page(1)");
  EXPECT_EQ(get("CurrentPage"), "0");
  EXPECT_EQ(get("Playdesk.Dec_Page(0).Enabled"), "false");
  EXPECT_EQ(get("Playdesk.Slider1(0)"), "255");
}

TEST_F(PlayDesk, SubmixClearDropsEveryFaderAndItsSequences) {
  S().FaderFunctions[5].Function = kFnSequence;
  S().FaderFunctions[5].Value = 6;
  cmd("set Playdesk.Slider1(5) 0");
  EXPECT_TRUE(pd().runner().running(6));
  S().PlayFaderLevel[60] = 40;
  cmd("click Playdesk.Submix_Clear");
  EXPECT_EQ(get("Playdesk.Status"), "\" Submixes Cleared \"");
  EXPECT_FALSE(pd().runner().running(6));
  EXPECT_EQ(get("PlayFaderLevel(5)"), "0");
  EXPECT_EQ(get("PlayFaderLevel(60)"), "0");
}

TEST_F(PlayDesk, CueButtonRecallsItsScreenOutsideRunMode) {
  auto& b = S().ButtonFunctions[1];
  b.Function = kFnCue;
  b.Value = 8;
  S().Screens[8].Preset[2] = 123;
  cmd("click Playdesk.Command1(1)");
  EXPECT_EQ(get("CurrentScreen"), "8");
  EXPECT_EQ(get("DeskLevels(2)"), "123");
  b.Value = 200;  // outside the store: refused
  cmd("click Playdesk.Command1(1)");
  EXPECT_EQ(get("CurrentScreen"), "8");
}

TEST_F(PlayDesk, DoubleClickOnAFaderLabelOpensItsEditor) {
  cmd("click Playdesk.Inc_Page(0)");
  cmd("dblclick Playdesk.Text5(3)");
  EXPECT_TRUE(desk->faderFunctionForm().Visible());
  EXPECT_EQ(desk->faderFunctionForm().Edited(), 15);
}

// ------------------------------------------------------------ screen editor

class ScreenEditor : public PlayDesk {
 protected:
  void SetUp() override {
    S().ScreenCount = 3;
    S().Screens[1].Name = "One";
    S().Screens[2].Name = "Two";
    S().Screens[3].Name = "Three";
    ASSERT_EQ(cmd("click Playdesk.nameedit"), "ok");
  }
};

TEST_F(ScreenEditor, ListsScreensOneToScreenCount) {
  EXPECT_EQ(get("namedit.Caption"), "\"Edit Cues\"");
  EXPECT_EQ(get("namedit.List1.ListCount"), "3");
  EXPECT_EQ(get("namedit.List1.List(0)"), "\" 1 One\"");
  EXPECT_EQ(get("namedit.Next_Scn.ListCount"), "4");
  EXPECT_EQ(get("namedit.Next_Scn.List(3)"), "\"\"");
  EXPECT_EQ(get("EditScreen"), "1");
  EXPECT_EQ(get("namedit.Text1"), "\"One\"");
  EXPECT_EQ(get("namedit.Next_Scn.ListIndex"), "1");  // Next 2
  EXPECT_EQ(get("namedit.Check1.ToolTipText"), "\"Dose selected screen appear on instant Pannel\"");
}

TEST_F(ScreenEditor, NextScreenChoicesMapToScreenNumbers) {
  cmd("set namedit.Next_Scn 0");
  EXPECT_EQ(get("Screens(1).Next"), "1");
  cmd("set namedit.Next_Scn 3");  // the empty entry
  EXPECT_EQ(get("Screens(1).Next"), "4");
  EXPECT_EQ(get("ProjectChanged"), "-1");
}

TEST_F(ScreenEditor, UpdateStoresAndSwitchingScreensStoresFirst) {
  cmd("set namedit.Text1 \"Uno\"");
  cmd("set namedit.Text2 \"9\"");
  cmd("set namedit.Screen_Delay 4");
  EXPECT_EQ(get("namedit.Delay_txt"), "\"4\"");
  cmd("set namedit.List1 2");  // screen 3; screen 1 is stored first
  EXPECT_EQ(get("Screens(1).Name"), "\"Uno\"");
  EXPECT_EQ(get("Screens(1).Time"), "9");
  EXPECT_EQ(get("Screens(1).Delay"), "4");
  EXPECT_EQ(get("Playdesk.Status"), "\" Cue's Updated\"");
  EXPECT_EQ(get("EditScreen"), "3");
  EXPECT_EQ(get("namedit.Text1"), "\"Three\"");
  EXPECT_EQ(get("namedit.List1.List(0)"), "\" 1 Uno\"");
  cmd("set namedit.Text2 \"x\"");  // not a number: the time stays
  cmd("click namedit.Command3");
  EXPECT_EQ(get("Screens(3).Time"), "2");
}

TEST_F(ScreenEditor, ContentListAndLevelEditsWithoutRecall) {
  auto& r = S().Screens[1];
  r.Preset[6] = 30;
  r.ButtonSel[4] = -1;
  r.FaderSel[0] = 77;
  S().ButtonFunctions[4].Name = "Strobe";
  cmd("click namedit.Command3");
  EXPECT_EQ(get("namedit.List2.ListCount"), "3");
  EXPECT_EQ(get("namedit.List2.List(0)"), "\"Preset Channel  6 @  30\"");
  EXPECT_EQ(get("namedit.List2.List(1)"), "\"Button  4 Sequence  4 Strobe ON\"");
  EXPECT_EQ(get("namedit.List2.List(2)"), "\"Fader  0 Submix  0  @  77\"");
  cmd("set namedit.List2 2");
  EXPECT_EQ(get("namedit.Text3"), "\"Fader  0\"");
  EXPECT_EQ(get("namedit.Slider1"), "178");
  cmd("set namedit.Slider1 55");
  EXPECT_EQ(get("Screens(1).FaderSel(0)"), "200");
  EXPECT_EQ(get("namedit.Text5"), "\"200\"");
  cmd("set namedit.List2 0");
  EXPECT_EQ(get("namedit.Text3"), "\"Preset  6\"");
  EXPECT_EQ(get("namedit.Text4"), "\"7\"");
  cmd("set namedit.Slider1 0");
  EXPECT_EQ(get("Screens(1).Preset(6)"), "255");
  EXPECT_EQ(get("DeskLevels(6)"), "0");  // not recalled
  cmd("set namedit.List2 1");
  EXPECT_EQ(get("namedit.Text3"), "\"Button\"");
  cmd("set namedit.Slider1 10");  // buttons have no level
  EXPECT_EQ(get("Screens(1).ButtonSel(4)"), "-1");
}

TEST_F(ScreenEditor, ContentListStopsAtOneHundredAndOneLines) {
  auto& r = S().Screens[1];
  r.Preset.fill(10);
  r.ButtonSel.fill(-1);
  cmd("click namedit.Command3");
  EXPECT_EQ(get("namedit.List2.ListCount"), "101");
  EXPECT_EQ(get("namedit.List2.List(100)"), "\"Button  36 Off  0  ON\"");
}

TEST_F(ScreenEditor, CopyPasteInsertDeleteUseThePlayDeskOperations) {
  cmd("set namedit.List1 1");  // screen 2
  cmd("click namedit.Command5");
  EXPECT_EQ(get("Playdesk.Status"), "\" Cue  2 Inserted\"");
  EXPECT_EQ(get("namedit.List1.ListCount"), "4");
  EXPECT_EQ(get("Screens(3).Name"), "\"Two\"");
  cmd("click namedit.Command6");
  EXPECT_EQ(get("Playdesk.Status"), "\" Cue  2 Deleted\"");
  EXPECT_EQ(get("namedit.List1.ListCount"), "3");
  cmd("click namedit.Command2");
  EXPECT_EQ(get("Playdesk.Status"), "\" Cue  2 Copied\"");
  cmd("click namedit.Command1");
  EXPECT_FALSE(desk->nameEditor().Loaded());
}

// ------------------------------------------------------------ instant panel

TEST_F(PlayDesk, InstantPanelListsAtMostFifteenScreensInOrder) {
  S().ScreenCount = 40;
  for (int n = 2; n <= 40; n += 2) {
    S().Screens[n].Instant = -1;
    S().Screens[n].Name = "I" + std::to_string(n);
  }
  S().Screens[4].Colour = "255";
  cmd("click Playdesk.Instant_Panel");
  auto& p = desk->instantScreen();
  EXPECT_EQ(p.ScreenOf(0), 2);
  EXPECT_EQ(p.ScreenOf(14), 30);
  EXPECT_EQ(get("instant_screen.Screen_sel(1).Caption"), "\"I4\"");
  EXPECT_EQ(get("instant_screen.Screen_sel(1).ToolTipText"), "\"I4, Screen  4\"");
  EXPECT_EQ(get("instant_screen.Screen_sel(1).BackColor"), "255");
  EXPECT_EQ(get("instant_screen.Screen_sel(0).Enabled"), "false");  // only in run mode
  S().Screens[2].Instant = 0;
  S().Screens[4].Instant = 0;
  p.Refresh();
  EXPECT_EQ(p.ScreenOf(0), 6);
  EXPECT_EQ(p.ScreenOf(14), 34);
  for (int n = 20; n <= 40; n += 2) S().Screens[n].Instant = 0;
  p.Refresh();
  EXPECT_EQ(p.ScreenOf(6), 18);
  EXPECT_EQ(p.ScreenOf(7), -1);
  EXPECT_EQ(get("instant_screen.Screen_sel(7).Visible"), "false");
  EXPECT_EQ(cmd("mousedown instant_screen.Screen_sel(0) right"), "err control is disabled");
  cmd("click Playdesk.Run_Switch");  // run mode refreshes the panel and enables it
  EXPECT_EQ(get("instant_screen.Screen_sel(0).Enabled"), "true");
  EXPECT_EQ(cmd("mousedown instant_screen.Screen_sel(0) right"), "ok");
  EXPECT_TRUE(desk->nameEditor().Visible());
  EXPECT_EQ(get("EditScreen"), "6");
}

}  // namespace
}  // namespace lumora
