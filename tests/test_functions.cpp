// Fader and button functions: the levels they produce and their editors.
#include <gtest/gtest.h>

#include "desk/button_function_form.h"
#include "desk/fader_function_form.h"
#include "desk_fixture.h"
#include "playback/playdesk.h"

namespace lumora {
namespace {

class Functions : public testing::DeskTest {
 protected:
  void presetButton(int b, int ch, int level) {
    auto& r = S().ButtonFunctions[b];
    r.Function = kFnPreset;
    r.Channel1 = static_cast<int16_t>(ch);
    r.Level = static_cast<int16_t>(level);
  }
};

TEST_F(Functions, SubmixFaderScalesTheSubmixByTheFaderLevel) {
  S().Submixes[0].Channel[0] = 5;
  S().Submixes[0].Level[0] = 200;
  EXPECT_EQ(cmd("set Playdesk.Slider1(0) 127"), "ok");  // level 128
  EXPECT_EQ(get("PlayFaderLevel(0)"), "128");
  EXPECT_EQ(get("FunctionLevels(4)"), "100");
  EXPECT_EQ(cmd("set Playdesk.Slider1(0) 255"), "ok");
  EXPECT_EQ(get("FunctionLevels(4)"), "0");
}

TEST_F(Functions, PresetButtonsAssignSoTheHigherIndexWins) {
  presetButton(15, 3, 200);
  presetButton(16, 3, 50);
  S().ButtonFunctions[15].Latch = -1;
  S().ButtonFunctions[16].Latch = -1;
  S().CurrentPage = 0;
  cmd("click Playdesk.Inc_Page(0)");  // page 2 holds buttons 16..31
  cmd("click Playdesk.Command1(0)");  // button 16
  cmd("click Playdesk.Dec_Page(0)");
  cmd("click Playdesk.Command1(15)");  // button 15
  EXPECT_EQ(get("PlayButtonState(15)"), "-1");
  EXPECT_EQ(get("PlayButtonState(16)"), "-1");
  EXPECT_EQ(get("FunctionLevels(2)"), "50");
  // Swapped levels: still the higher index, not the higher level.
  S().ButtonFunctions[15].Level = 50;
  S().ButtonFunctions[16].Level = 200;
  desk->playdesk().RecomputeFunctionLevels();
  EXPECT_EQ(get("FunctionLevels(2)"), "200");
}

TEST_F(Functions, ColourButtonWithoutGreenLeavesTheGreenChannelUntouched) {
  presetButton(20, 2, 100);
  auto& c = S().ButtonFunctions[21];
  c.Function = kFnColour;
  c.Channel1 = 1;
  c.Channel2 = 2;
  c.Channel3 = 3;
  c.Preset = -1;
  c.Data1 = 255;
  c.Data2 = 0;
  c.Data3 = 10;
  S().PlayButtonState[20] = -1;
  S().PlayButtonState[21] = -1;
  desk->playdesk().RecomputeFunctionLevels();
  EXPECT_EQ(get("FunctionLevels(0)"), "255");
  EXPECT_EQ(get("FunctionLevels(1)"), "100");
  EXPECT_EQ(get("FunctionLevels(2)"), "10");
}

TEST_F(Functions, ColourButtonPressAsksForAColourUnlessPreset) {
  auto& c = S().ButtonFunctions[0];
  c.Function = kFnColour;
  c.Channel1 = 1;
  c.Channel2 = 2;
  c.Channel3 = 3;
  c.Preset = 0;
  cmd("queue colour 660510");  // red 30, green 20, blue 10
  cmd("mousedown Playdesk.Command1(0) left");
  ASSERT_EQ(lastEvents.size(), 1u);
  EXPECT_NE(lastEvents[0].find("\" Choose a Colour\""), std::string::npos);
  EXPECT_EQ(get("ButtonFunctions(0).Data1"), "30");
  EXPECT_EQ(get("ButtonFunctions(0).Data2"), "20");
  EXPECT_EQ(get("ButtonFunctions(0).Data3"), "10");
  EXPECT_EQ(get("FunctionLevels(1)"), "20");
  EXPECT_EQ(get("Playdesk.Command1(0).BackColor"), "660510");
  cmd("mouseup Playdesk.Command1(0) left");
  cmd("mousedown Playdesk.Command1(0) left");  // on: turns off, no chooser
  EXPECT_TRUE(lastEvents.empty());
  EXPECT_EQ(get("PlayButtonState(0)"), "0");
  c.Preset = -1;
  cmd("mousedown Playdesk.Command1(0) left");
  EXPECT_TRUE(lastEvents.empty());
  EXPECT_EQ(get("PlayButtonState(0)"), "-1");
}

TEST_F(Functions, FaderPresetAndColourScaleWithTheFaderByHighestLevel) {
  auto& p = S().FaderFunctions[1];
  p.Function = kFnPreset;
  p.Channel1 = 9;
  p.Level = 0;
  auto& c = S().FaderFunctions[2];
  c.Function = kFnColour;
  c.Colour = "255";
  c.Channel1 = 1;
  c.Channel2 = 2;
  c.Channel3 = 3;
  c.Data1 = 255;
  S().PlayFaderLevel[1] = 255;
  S().PlayFaderLevel[2] = 255;
  desk->playdesk().RecomputeFunctionLevels();
  EXPECT_EQ(get("FunctionLevels(8)"), "0");  // preset level 0: nothing
  EXPECT_EQ(get("FunctionLevels(0)"), "255");
  EXPECT_EQ(get("FunctionLevels(1)"), "0");
  EXPECT_EQ(get("FunctionLevels(2)"), "0");
}

TEST_F(Functions, ButtonSubmixAtHalfLevelLosesToAFullFaderOnTheSameSubmix) {
  S().Submixes[3].Channel[0] = 7;
  S().Submixes[3].Level[0] = 200;
  auto& b = S().ButtonFunctions[30];
  b.Function = kFnSubmix;
  b.Value = 3;
  b.Level = 128;
  S().PlayButtonState[30] = -1;
  desk->playdesk().RecomputeFunctionLevels();
  EXPECT_EQ(get("FunctionLevels(6)"), "100");
  S().FaderFunctions[3].Value = 3;  // fader 3 brings in submix 3
  S().PlayFaderLevel[3] = 255;
  desk->playdesk().RecomputeFunctionLevels();
  EXPECT_EQ(get("FunctionLevels(6)"), "200");
}

TEST_F(Functions, OutOfRangeChannelsAndSubmixesAreSkipped) {
  presetButton(40, 70, 200);
  S().ButtonFunctions[40].Channel2 = -3;
  S().ButtonFunctions[41].Function = kFnSubmix;
  S().ButtonFunctions[41].Value = 500;
  S().PlayButtonState[40] = -1;
  S().PlayButtonState[41] = -1;
  S().Submixes[0].Channel[0] = 99;  // damaged entry
  S().Submixes[0].Level[0] = 255;
  S().PlayFaderLevel[0] = 255;
  desk->playdesk().RecomputeFunctionLevels();
  for (int k = 0; k < 64; ++k) EXPECT_EQ(S().FunctionLevels[k], 0) << k;
}

TEST_F(Functions, NonLatchingButtonIsOnOnlyWhileHeld) {
  presetButton(2, 4, 180);
  S().ButtonFunctions[2].Latch = 0;
  cmd("mousedown Playdesk.Command1(2) left");
  EXPECT_EQ(get("PlayButtonState(2)"), "-1");
  EXPECT_EQ(get("FunctionLevels(3)"), "180");
  EXPECT_EQ(get("Playdesk.Command1(2).BackColor"), "255");
  cmd("mouseup Playdesk.Command1(2) left");
  EXPECT_EQ(get("PlayButtonState(2)"), "0");
  EXPECT_EQ(get("FunctionLevels(3)"), "0");
  EXPECT_EQ(get("Playdesk.Command1(2).BackColor"), std::to_string(200 + 256 * 200 + 65536 * 200));
}

// ------------------------------------------------------------------ editors

TEST_F(Functions, FaderEditorStoresAPresetOnOk) {
  desk->faderFunctionForm().OpenOn(14);
  EXPECT_EQ(get("Fader_Function_Form.Fun_set.ListCount"), "5");
  EXPECT_EQ(get("Fader_Function_Form.Fun_set.ListIndex"), "4");  // off
  EXPECT_EQ(cmd("set Fader_Function_Form.Fun_set 1"), "ok");
  EXPECT_EQ(get("Fader_Function_Form.Channel(0).Visible"), "true");
  EXPECT_EQ(get("Fader_Function_Form.Number.Visible"), "false");
  cmd("set Fader_Function_Form.Channel(0) \"12\"");
  cmd("set Fader_Function_Form.Channel(1) \"13\"");
  cmd("set Fader_Function_Form.Slider1 55");
  EXPECT_EQ(get("Fader_Function_Form.Level_Box"), "\"200\"");
  cmd("set Fader_Function_Form.F_Name \"Wash\"");
  S().ProjectChanged = 0;
  EXPECT_EQ(cmd("click Fader_Function_Form.OK"), "ok");
  const auto& r = S().FaderFunctions[14];
  EXPECT_EQ(r.Function, kFnPreset);
  EXPECT_EQ(r.Channel1, 12);
  EXPECT_EQ(r.Channel2, 13);
  EXPECT_EQ(r.Level, 200);
  EXPECT_EQ(r.Name, "Wash");
  EXPECT_EQ(r.Colour, "");
  EXPECT_EQ(get("ProjectChanged"), "-1");
  EXPECT_FALSE(desk->faderFunctionForm().Loaded());
  // The play desk shows it: fader 14 is slot 2 of page 2.
  cmd("click Playdesk.Inc_Page(1)");
  EXPECT_EQ(get("Playdesk.Text5(2).Caption"), "\"Wash\"");
}

TEST_F(Functions, FaderEditorSubmixNumberIsOneBasedAndSequenceKeepsItsMode) {
  desk->faderFunctionForm().OpenOn(20);
  cmd("set Fader_Function_Form.Fun_set 0");
  cmd("set Fader_Function_Form.Number \"7\"");
  cmd("click Fader_Function_Form.OK");
  EXPECT_EQ(S().FaderFunctions[20].Value, 6);
  desk->faderFunctionForm().OpenOn(21);
  cmd("set Fader_Function_Form.Fun_set 2");
  cmd("set Fader_Function_Form.Number \"4\"");
  cmd("set Fader_Function_Form.Sequence_Fun 1");
  EXPECT_EQ(get("Fader_Function_Form.Label4.Caption"), "\"Step Time\"");
  cmd("click Fader_Function_Form.OK");
  EXPECT_EQ(S().FaderFunctions[21].Value, 4);
  EXPECT_EQ(S().FaderFunctions[21].Data1, 1);
}

TEST_F(Functions, ChannelBoxOutOfRangeShowsTheMessageAndOkRefuses) {
  desk->faderFunctionForm().OpenOn(15);
  cmd("set Fader_Function_Form.Fun_set 1");
  cmd("set Fader_Function_Form.Channel(0) \"70\"");
  ASSERT_EQ(lastEvents.size(), 1u);
  EXPECT_NE(lastEvents[0].find("\" Values must be between 0 and 64\""), std::string::npos);
  cmd("click Fader_Function_Form.OK");
  EXPECT_EQ(lastEvents.size(), 1u);
  EXPECT_TRUE(desk->faderFunctionForm().Loaded());  // nothing stored, window stays
  EXPECT_EQ(S().FaderFunctions[15].Function, kFnOff);
}

TEST_F(Functions, ColourChooserIsSplitIntoRedGreenAndBlue) {
  desk->faderFunctionForm().OpenOn(16);
  cmd("set Fader_Function_Form.Fun_set 3");
  cmd("set Fader_Function_Form.Channel(0) \"1\"");
  cmd("set Fader_Function_Form.Channel(1) \"2\"");
  cmd("set Fader_Function_Form.Channel(2) \"3\"");
  cmd("queue colour 1315860");  // 20 + 256 * 20 + 65536 * 20
  cmd("click Fader_Function_Form.Colour_box");
  EXPECT_EQ(get("Fader_Function_Form.R_Label.Caption"), "\"20\"");
  cmd("click Fader_Function_Form.OK");
  const auto& r = S().FaderFunctions[16];
  EXPECT_EQ(r.Colour, "1315860");
  EXPECT_EQ(r.Data1, 20);
  EXPECT_EQ(r.Data2, 20);
  EXPECT_EQ(r.Data3, 20);
  EXPECT_EQ(r.Channel3, 3);
}

TEST_F(Functions, EditorNavigationReachesEveryRecordAndKeepsEdits) {
  auto& f = desk->faderFunctionForm();
  f.OpenOn(0);
  EXPECT_EQ(get("Fader_Function_Form.Pannel_Dec.Enabled"), "false");
  cmd("set Fader_Function_Form.Number \"9\"");
  cmd("click Fader_Function_Form.Pannel_Inc");
  EXPECT_EQ(S().FaderFunctions[0].Value, 8);  // kept on the way
  for (int i = 1; i < 59; ++i) cmd("click Fader_Function_Form.Pannel_Inc");
  EXPECT_EQ(f.Edited(), 59);
  EXPECT_EQ(get("Fader_Function_Form.Pannel_Inc.Enabled"), "false");
  auto& b = desk->buttonFunctionForm();
  b.OpenOn(79);
  EXPECT_EQ(b.Edited(), 79);
  EXPECT_EQ(get("Button_Function_Form.Fun_set.ListCount"), "6");
}

TEST_F(Functions, PlusStopsAtTheLastSequence) {
  desk->faderFunctionForm().OpenOn(30);
  cmd("set Fader_Function_Form.Fun_set 2");
  cmd("set Fader_Function_Form.Number \"30\"");
  cmd("click Fader_Function_Form.Plus");
  EXPECT_EQ(get("Fader_Function_Form.Number"), "\"31\"");
  EXPECT_EQ(get("Fader_Function_Form.Plus.Enabled"), "false");
  cmd("click Fader_Function_Form.Plus");
  EXPECT_EQ(get("Fader_Function_Form.Number"), "\"31\"");
}

TEST_F(Functions, ButtonEditorStoresColourPresetLatchAndCue) {
  auto& b = desk->buttonFunctionForm();
  b.OpenOn(33);
  cmd("set Button_Function_Form.Fun_set 3");
  EXPECT_EQ(get("Button_Function_Form.Red_Channel.Visible"), "true");
  cmd("set Button_Function_Form.Red_Channel \"4\"");
  cmd("set Button_Function_Form.Green_Channel \"5\"");
  cmd("set Button_Function_Form.Blue_Channel \"6\"");
  cmd("queue colour 255");
  cmd("click Button_Function_Form.Colour_box");
  EXPECT_EQ(get("Button_Function_Form.Red_Box.BackColor"), "255");
  cmd("set Button_Function_Form.Preset_Col 1");
  cmd("set Button_Function_Form.Latch 0");
  cmd("click Button_Function_Form.OK");
  const auto& r = S().ButtonFunctions[33];
  EXPECT_EQ(r.Function, kFnColour);
  EXPECT_EQ(r.Channel1, 4);
  EXPECT_EQ(r.Channel3, 6);
  EXPECT_EQ(r.Preset, -1);
  EXPECT_EQ(r.Data1, 255);
  EXPECT_EQ(r.Data2, 0);
  EXPECT_EQ(r.Latch, 0);
  EXPECT_EQ(r.Colour, "255");

  b.OpenOn(34);
  cmd("set Button_Function_Form.Fun_set 5");
  cmd("set Button_Function_Form.Number \"12\"");
  cmd("click Button_Function_Form.OK");
  EXPECT_EQ(S().ButtonFunctions[34].Function, kFnCue);
  EXPECT_EQ(S().ButtonFunctions[34].Value, 12);
  EXPECT_EQ(S().ButtonFunctions[34].Latch, -1);
}

TEST_F(Functions, ColourButtonWithoutPresetKeepsItsValues) {
  auto& r = S().ButtonFunctions[35];
  r.Data1 = 7;
  r.Data2 = 8;
  r.Data3 = 9;
  desk->buttonFunctionForm().OpenOn(35);
  cmd("set Button_Function_Form.Fun_set 3");
  cmd("queue colour 255");
  cmd("click Button_Function_Form.Colour_box");
  cmd("click Button_Function_Form.OK");
  EXPECT_EQ(r.Preset, 0);
  EXPECT_EQ(r.Data1, 7);
  EXPECT_EQ(r.Data3, 9);
}

}  // namespace
}  // namespace lumora
