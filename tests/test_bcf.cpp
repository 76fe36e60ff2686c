// The BCF2000 surface against the simulated MIDI device of the console.
#include <gtest/gtest.h>

#include "desk_fixture.h"
#include "remote/bcf.h"

namespace lumora {
namespace {

class Bcf : public testing::DeskTest {
 protected:
  void connect() {
    ASSERT_EQ(cmd("sim midi bcf2000 1"), "ok");
    ASSERT_EQ(cmd("show BCF_configure"), "ok");
    ASSERT_EQ(cmd("click BCF_configure.Command1"), "ok");
    get("Sim.Midi.Sent");  // forget what connecting sent
  }
  std::string sent() { return get("Sim.Midi.Sent"); }
};

TEST_F(Bcf, NoSurfaceLeavesTheDeskUnconnected) {
  cmd("show BCF_configure");
  cmd("click BCF_configure.Command1");
  EXPECT_EQ(get("BcfMode"), "0");
  EXPECT_EQ(get("BCF_configure.Text1"), "\" No BCF2000 Found\"");
  EXPECT_EQ(get("Hoofdblad.Status"), "\" No BCF2000 Found\"");
  EXPECT_EQ(get("BCF.Visible"), "false");
}

TEST_F(Bcf, ConnectFindsTheSurfaceByNameAndDrivesTheMainDesk) {
  connect();
  EXPECT_EQ(get("BcfMode"), "1");
  EXPECT_EQ(get("BCF_configure.Text1"), "\"Connected\"");
  EXPECT_EQ(get("BCF.Text2"), "\" BCF2000 Connection Made \"");
  EXPECT_EQ(get("BCF.Text3"), "\" Main Desk\"");
  EXPECT_EQ(get("Playdesk.Status"), "\" BCF2000 Connection Made\"");
  EXPECT_EQ(get("BCF.Visible"), "true");
  EXPECT_EQ(get("BCF.Pannel_Dec.Enabled"), "false");
  EXPECT_EQ(get("BcfInName"), "\"BCF2000 Port 1\"");
}

TEST_F(Bcf, FaderAtTopSetsTheDeskTo254NeverFull) {
  connect();
  cmd("sim midi cc 81 127");
  EXPECT_EQ(S().DeskLevels[0], 254);
  cmd("sim midi cc 88 10");
  EXPECT_EQ(S().DeskLevels[7], 20);
  EXPECT_EQ(get("Hoofdblad.Slider1(0)"), "1");  // the main desk redrew
}

TEST_F(Bcf, GroupButtonSwitchesTheOtherGroupsOffAndSendsItsFaders) {
  connect();
  for (int i = 16; i < 24; ++i) S().DeskLevels[i] = static_cast<int16_t>(10 * (i - 15));
  cmd("sim midi cc 91 127");
  EXPECT_EQ(get("FaderGroup"), "2");
  EXPECT_EQ(sent(),
            "[[176,89,0],[176,90,0],[176,92,0],[176,81,5],[176,82,10],[176,83,15],[176,84,20],"
            "[176,85,25],[176,86,30],[176,87,35],[176,88,40]]");
  EXPECT_EQ(get("Hoofdblad.Status"), "\" BCF Fader Group  2\"");
  EXPECT_EQ(get("BCF.Text1"), "\" 2 On\"");
  cmd("sim midi cc 81 100");
  EXPECT_EQ(S().DeskLevels[16], 200);  // group 2 starts at desk channel 17
}

TEST_F(Bcf, FullLevelIsSentAsTheTopOfTheMidiRange) {
  connect();
  S().DeskLevels[0] = 255;
  cmd("sim midi cc 89 127");
  EXPECT_NE(sent().find("[176,81,127]"), std::string::npos);  // never wrapped to 0
}

TEST_F(Bcf, SurfaceMoveSuppressesExactlyOneEcho) {
  connect();
  cmd("sim midi cc 82 50");  // the desk's own refresh is the echo of the move
  EXPECT_EQ(sent(), "[]");
  EXPECT_EQ(desk->bcf().FaderTouched[1], 0);
  BcfFeedbackFader(*desk, kBcfMainDesk, 1, 120);  // a later change from the screen
  EXPECT_EQ(sent(), "[[176,82,60]]");
  BcfFeedbackFader(*desk, kBcfMainDesk, 9, 120);  // outside the group shown
  BcfFeedbackFader(*desk, kBcfPlayDesk, 1, 120);  // not the desk the surface drives
  EXPECT_EQ(sent(), "[]");
}

TEST_F(Bcf, EncodersHaveNoEffect) {
  connect();
  for (int c = 1; c <= 32; ++c) cmd("sim midi cc " + std::to_string(c) + " 100");
  for (int i = 0; i < 64; ++i) EXPECT_EQ(S().DeskLevels[i], 0);
  EXPECT_EQ(get("BCF.Text1"), "\"\"");
}

TEST_F(Bcf, ModesThreeToSixAreInert) {
  connect();
  for (int m = 3; m <= 6; ++m) {
    S().BcfMode = static_cast<int16_t>(m);
    cmd("sim midi cc 81 100");
    cmd("sim midi cc 65 127");
    cmd("sim midi cc 90 127");
  }
  EXPECT_EQ(S().DeskLevels[0], 0);
  EXPECT_EQ(S().PlayButtonState[0], 0);
  EXPECT_EQ(get("FaderGroup"), "0");
}

TEST_F(Bcf, PlaybackModeDrivesFadersAndButtons) {
  connect();
  cmd("click BCF.Pannel_Inc");
  EXPECT_EQ(get("BcfMode"), "2");
  EXPECT_EQ(get("BCF.Text3"), "\" Playback Desk\"");
  cmd("sim midi cc 81 64");
  EXPECT_EQ(S().PlayFaderLevel[0], 128);
  EXPECT_EQ(S().DeskLevels[0], 0);
  cmd("sim midi cc 66 127");
  EXPECT_EQ(S().PlayButtonState[1], -1);
  EXPECT_EQ(get("BCF.Text1"), "\" 1 On\"");
  cmd("sim midi cc 66 0");
  EXPECT_EQ(S().PlayButtonState[1], 0);
  cmd("sim midi cc 90 127");
  EXPECT_EQ(get("Playdesk.Status"), "\" BCF Fader Group  1\"");
}

TEST_F(Bcf, PagingSendsHalfLevelsFloorAtZero) {
  connect();
  S().DeskLevels[0] = 0;
  S().DeskLevels[1] = 200;
  cmd("click BCF.Pannel_Inc");  // to mode 2: faders follow the playback desk (all 0)
  EXPECT_EQ(sent().substr(0, 12), "[[176,81,0],");
  cmd("click BCF.Pannel_Dec");  // back to the main desk
  EXPECT_EQ(sent().substr(0, 24), "[[176,81,0],[176,82,99],");
  EXPECT_EQ(get("BCF.Pannel_Dec.Enabled"), "false");
}

TEST_F(Bcf, ButtonLightsFollowTheFirstSixteenButtons) {
  connect();
  S().BcfMode = kBcfPlayDesk;
  BcfFeedbackButton(*desk, kBcfPlayDesk, 3, -1);
  BcfFeedbackButton(*desk, kBcfPlayDesk, 20, -1);
  EXPECT_EQ(sent(), "[[176,68,127]]");
}

TEST_F(Bcf, MainDeskFaderMovesFollowOnTheSurface) {
  connect();
  cmd("set Hoofdblad.Slider1(2) 55");  // channel 3 to 200
  EXPECT_EQ(sent(), "[[176,83,100]]");
  cmd("click Hoofdblad.Inc_Channel");
  cmd("set Hoofdblad.Slider1(2) 55");  // channel 35: not on the surface's group
  EXPECT_EQ(sent(), "[]");
}

TEST_F(Bcf, PlaybackButtonsAndFadersFollowOnTheSurface) {
  connect();
  cmd("click BCF.Pannel_Inc");
  sent();
  S().ButtonFunctions[4].Function = kFnPreset;
  S().ButtonFunctions[4].Latch = -1;
  cmd("mousedown Playdesk.Command1(4) left");
  EXPECT_EQ(sent(), "[[176,69,127]]");
  cmd("mouseup Playdesk.Command1(4) left");  // a latching button stays on
  EXPECT_EQ(sent(), "[[176,69,127]]");
  cmd("mousedown Playdesk.Command1(4) left");
  EXPECT_EQ(sent(), "[[176,69,0]]");
  cmd("set Playdesk.Slider1(1) 55");
  EXPECT_EQ(sent(), "[[176,82,100]]");
}

TEST_F(Bcf, SurfaceButtonOnASequenceRunsTheSequence) {
  connect();
  cmd("click BCF.Pannel_Inc");
  S().Chases[0].Steps = 2;
  S().Chases[0].Data[1][0] = 200;
  S().ButtonFunctions[0].Function = kFnSequence;
  S().ButtonFunctions[0].Value = 0;
  cmd("sim midi cc 65 127");
  cmd("advance 300");
  bool lit = false;
  for (int i = 0; i < 64; ++i) lit = lit || S().PlayChaseLevels[i] > 0;
  EXPECT_TRUE(lit);
}

TEST_F(Bcf, UnloadingTheWindowClosesThePorts) {
  connect();
  cmd("unload BCF");
  cmd("sim midi cc 81 100");
  EXPECT_EQ(S().DeskLevels[0], 0);
}

}  // namespace
}  // namespace lumora
