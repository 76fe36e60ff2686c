// The moving-light desk inside the chase editor and the fixture
// properties window.
#include <gtest/gtest.h>

#include "desk_fixture.h"
#include "sequences/chase_engine.h"
#include "sequences/chases_form.h"
#include "sequences/fixture_prop.h"

namespace lumora {
namespace {

class MovingDesk : public testing::DeskTest {
 protected:
  MovingDesk() {
    EXPECT_EQ(cmd("show Chases"), "ok");
    // Fixture 2: entries of functions 0/1 send 10*k+1; ranges of 2/3.
    for (std::size_t f = 0; f < 4; ++f)
      for (std::size_t k = 0; k < 21; ++k) {
        S().FixtureButtonText[2][f][k] = "e" + std::to_string(k);
        S().FixtureLow[2][f][k] = static_cast<int16_t>(f < 2 ? 10 * k + 1 : 0);
        S().FixtureHigh[2][f][k] = static_cast<int16_t>(f < 2 ? 1 : 255);
        S().FixtureColour[2][f][k] = std::to_string(k);
      }
    S().FixtureLow[2][2][1] = 100;
    S().FixtureHigh[2][2][1] = 200;
    S().FixtureLow[2][3][2] = 200;  // a falling range
    S().FixtureHigh[2][3][2] = 50;
    S().FixtureFunctionName[2][0] = "Colour";
    S().FixtureName[2] = "Spot";
    for (int c = 18; c < 24; ++c) R().Fade[1][c] = kChaseStep;
    cmd("click Chases.Show_Moving");
    cmd("set Chases.Fixture_Sel 2");
  }
  ChaseRecord& R() { return S().Chases[0]; }
  int Data(int c) { return R().Data[1][c]; }
};

TEST_F(MovingDesk, ShowMovingTogglesTheDeskAndItsMenu) {
  EXPECT_EQ(get("Chases.Show_Moving.Caption"), "\"Hide Moving\"");
  EXPECT_EQ(get("Chases.Moving_Desk.Visible"), "true");
  EXPECT_EQ(get("Chases.mnu_Fixture.Enabled"), "true");
  cmd("click Chases.Show_Moving");
  EXPECT_EQ(get("Chases.Show_Moving.Caption"), "\"Show Moving\"");
  EXPECT_EQ(get("Chases.mnu_Fixture.Enabled"), "false");
}

TEST_F(MovingDesk, FixtureSelectionIsStoredInTheChaseAndRefusedWhileRunning) {
  EXPECT_EQ(S().SelectedFixture, 2);
  EXPECT_EQ(R().Fixture, 2);
  EXPECT_EQ(get("Chases.Fixture_Sel.List(2)"), "\"Spot\"");
  EXPECT_EQ(get("Chases.Fixture_Sel.List(3)"), "\"-none- \"");
  EXPECT_EQ(get("Chases.Function_txt(0)"), "\"Colour\"");
  EXPECT_EQ(get("Chases.move1(4)"), "\"e4\"");
  EXPECT_EQ(get("Chases.move1(4).BackColor"), "4");
  cmd("click Chases.Chase_Go_Button");
  cmd("set Chases.Fixture_Sel 5");
  EXPECT_EQ(R().Fixture, 2);
  EXPECT_EQ(S().SelectedFixture, 2);
  cmd("click Chases.Chase_Go_Button");
  // Selecting a chase takes its fixture.
  S().Chases[3].Fixture = 7;
  cmd("set Chases.Chase_Sel 3");
  EXPECT_EQ(S().SelectedFixture, 7);
}

TEST_F(MovingDesk, EntryButtonsSetTheLevelAndMarkTheEntry) {
  cmd("click Chases.move1(3)");
  EXPECT_EQ(R().Fix[1][0], 3);
  EXPECT_EQ(Data(18), 31);
  EXPECT_EQ(get("Chases.ind1(3).BackColor"), "255");
  EXPECT_EQ(get("Chases.ind1(0).BackColor"), std::to_string(0xFFFFFF));
  EXPECT_EQ(get("Chases.Picture1(18).BackColor"), std::to_string(255 + 256 * 224 + 65536 * 224));
  cmd("click Chases.move2(19)");
  EXPECT_EQ(R().Fix[1][1], 19);
  EXPECT_EQ(Data(19), 191);
  EXPECT_EQ(S().ChaseLevels[19], 0);  // not live: no output
}

TEST_F(MovingDesk, EntryPressInLiveModeOutputsAtOnce) {
  R().Channels[18] = 40;
  cmd("set Chases.Live_Mode_Sel 1");
  cmd("set Chases.Slider2 51");  // master 204
  cmd("click Chases.move1(3)");
  EXPECT_EQ(S().ChaseLevels[40], 25);  // 204 * 31 / 255 = 24.8
  cmd("set Chases.Slider2 0");
  cmd("click Chases.move1(3)");
  EXPECT_EQ(S().ChaseLevels[40], 31);
}

TEST_F(MovingDesk, PositionSliderMapsTheRangeBothWays) {
  cmd("click Chases.move3(0)");  // range 0..255
  cmd("set Chases.Slider5 255");  // bottom
  EXPECT_EQ(Data(20), 0);
  cmd("set Chases.Slider5 0");  // top
  EXPECT_EQ(Data(20), 255);
  cmd("set Chases.Slider5 100");
  EXPECT_EQ(Data(20), 155);
  cmd("click Chases.Chase_Plus");
  cmd("click Chases.Chase_Minus");
  EXPECT_EQ(get("Chases.Slider5"), "100");
  // A narrower range recomputes the level from the same slider place.
  cmd("click Chases.move3(1)");  // 100..200
  EXPECT_EQ(Data(20), 161);      // 155 * 100 / 255 + 100 = 160.8
  cmd("set Chases.Slider5 255");
  EXPECT_EQ(Data(20), 100);
  // A falling range: the level falls as the slider rises.
  cmd("click Chases.move4(2)");
  cmd("set Chases.Slider6 255");
  EXPECT_EQ(Data(21), 200);
  cmd("set Chases.Slider6 0");
  EXPECT_EQ(Data(21), 50);
}

TEST_F(MovingDesk, XYPadMapsPressesAndIgnoresOutside) {
  using C = Chases;
  cmd("mousedown Chases.XY_Pad left " + std::to_string(C::kPadLeft) + " " + std::to_string(C::kPadTop));
  EXPECT_EQ(get("Chases.Slider7"), "0");
  EXPECT_EQ(get("Chases.Slider8"), "0");
  EXPECT_EQ(Data(22), 255);  // top = 255
  EXPECT_EQ(Data(23), 255);  // left = 255
  cmd("mousedown Chases.XY_Pad left " + std::to_string(C::kPadRight) + " " + std::to_string(C::kPadBottom));
  EXPECT_EQ(Data(22), 0);
  EXPECT_EQ(Data(23), 0);
  const int midX = (C::kPadLeft + C::kPadRight) / 2;
  cmd("mousedown Chases.XY_Pad left " + std::to_string(midX) + " " + std::to_string(C::kPadTop + 51));
  EXPECT_EQ(get("Chases.Slider7"), "51");
  EXPECT_EQ(Data(22), 204);
  EXPECT_EQ(get("Chases.Y_text"), "\"51\"");
  auto before = R().Data[1];
  cmd("mousedown Chases.XY_Pad left 2 100");
  cmd("mousedown Chases.XY_Pad left 100 " + std::to_string(C::kPadBottom + 5));
  EXPECT_EQ(R().Data[1], before);
  // Sliders dragged directly store the mirrored level throughout.
  cmd("set Chases.Slider8 10");
  EXPECT_EQ(Data(23), 245);
  EXPECT_EQ(get("Chases.X_text"), "\"10\"");
}

TEST_F(MovingDesk, HiddenEntriesAndDisabledFunctions) {
  S().FixtureHigh[2][0][5] = 0;
  S().FixtureHigh[2][3][6] = 0;  // a range ending below 1 hides it too
  R().Fade[1][19] = kChaseOff;
  cmd("set Chases.Fixture_Sel 2");
  EXPECT_EQ(get("Chases.move1(5).Visible"), "false");
  EXPECT_EQ(get("Chases.ind1(5).Visible"), "false");
  EXPECT_EQ(get("Chases.move4(6).Visible"), "false");
  EXPECT_EQ(get("Chases.move1(6).Visible"), "true");
  EXPECT_EQ(get("Chases.move2(0).Enabled"), "false");
  EXPECT_EQ(get("Chases.move1(0).Enabled"), "true");
  cmd("click Chases.Ch_Function(19)");  // Off -> Fade enables the function
  EXPECT_EQ(get("Chases.move2(0).Enabled"), "true");
  // "Enabled" in the properties window shows the entry again.
  cmd("mousedown Chases.move1(5) right");
  EXPECT_EQ(S().SelectedPad, 0);
  EXPECT_EQ(S().SelectedPadEntry, 5);
  cmd("click Chases.fixt_prop");
  EXPECT_EQ(get("Fixture_Prop.Visible"), "true");
  EXPECT_EQ(get("Fixture_Prop.Check1"), "0");
  cmd("set Fixture_Prop.Check1 1");
  EXPECT_EQ(S().FixtureHigh[2][0][5], 1);
  EXPECT_EQ(get("Chases.move1(5).Visible"), "true");
}

class FixtureProps : public MovingDesk {
 protected:
  FixtureProps() {
    cmd("mousedown Chases.move1(4) right");
    cmd("click Chases.fixt_prop");
  }
  Fixture_Prop& P() { return desk->fixtureProp(); }
};

TEST_F(FixtureProps, OpensOnThePressedEntryWithItsValues) {
  EXPECT_EQ(get("Fixture_Prop.Caption"), "\"Fixture Propertises\"");
  EXPECT_EQ(P().fixture(), 2);
  EXPECT_EQ(P().function(), 0);
  EXPECT_EQ(P().entry(), 4);
  EXPECT_EQ(get("Fixture_Prop.Fixture_txt"), "\"Spot\"");
  EXPECT_EQ(get("Fixture_Prop.Button"), "\"e4\"");
  EXPECT_EQ(get("Fixture_Prop.Output"), "\"41\"");
  EXPECT_EQ(get("Fixture_Prop.Function_Sel.List(1)"), "\"Select 1\"");
  EXPECT_EQ(get("Fixture_Prop.Function_Sel.List(0)"), "\"Colour\"");
  EXPECT_EQ(get("Fixture_Prop.Fixture_Sel.List(0)"), "\"-none- \"");
}

TEST_F(FixtureProps, ButtonTextOfNineIsStoredAndTenGivesOneMessage) {
  cmd("set Fixture_Prop.Button \"ABCDEFGHI\"");
  EXPECT_EQ(S().FixtureButtonText[2][0][4], "ABCDEFGHI");
  EXPECT_TRUE(lastEvents.empty());
  EXPECT_EQ(get("Chases.move1(4)"), "\"ABCDEFGHI\"");
  cmd("set Fixture_Prop.Button \"ABCDEFGHIJ\"");
  ASSERT_EQ(lastEvents.size(), 1u);
  EXPECT_NE(lastEvents[0].find("\" Button description too long\""), std::string::npos);
  EXPECT_NE(lastEvents[0].find("\" Text too Long\""), std::string::npos);
  EXPECT_NE(lastEvents[0].find("exclamation"), std::string::npos);
  EXPECT_EQ(get("Fixture_Prop.Button"), "\"ABCDEFGHI\"");
  EXPECT_EQ(S().FixtureButtonText[2][0][4], "ABCDEFGHI");
}

TEST_F(FixtureProps, ValueFieldsCheckTheirRanges) {
  cmd("set Fixture_Prop.Output \"200\"");
  EXPECT_EQ(S().FixtureLow[2][0][4], 200);
  for (const char* bad : {"256", "-1", "x"}) {
    cmd(std::string("set Fixture_Prop.Output \"") + bad + "\"");
    ASSERT_EQ(lastEvents.size(), 1u) << bad;
    EXPECT_NE(lastEvents[0].find("\" Not a valid value, must be 0 - 255\""), std::string::npos);
    EXPECT_NE(lastEvents[0].find("\" Channel Value Error\""), std::string::npos);
    EXPECT_EQ(S().FixtureLow[2][0][4], 200);
  }
  cmd("set Fixture_Prop.Output \"\"");
  EXPECT_TRUE(lastEvents.empty());
  cmd("set Fixture_Prop.Function_Sel 2");
  EXPECT_EQ(P().entry(), 0);
  EXPECT_EQ(get("Fixture_Prop.min_txt.Visible"), "true");
  cmd("click Fixture_Prop.Entry(1)");
  cmd("set Fixture_Prop.min_txt \"20\"");
  cmd("set Fixture_Prop.max_txt \"180\"");
  EXPECT_EQ(S().FixtureLow[2][2][1], 20);
  EXPECT_EQ(S().FixtureHigh[2][2][1], 180);
  for (const char* bad : {"256", "-1", "abc"}) {
    cmd(std::string("set Fixture_Prop.max_txt \"") + bad + "\"");
    ASSERT_EQ(lastEvents.size(), 1u) << bad;
    EXPECT_NE(lastEvents[0].find("\" Not a valid value, must be 1 - 255\""), std::string::npos);
    EXPECT_EQ(S().FixtureHigh[2][2][1], 180);
  }
  cmd("set Fixture_Prop.min_txt \"-0.5\"");
  EXPECT_EQ(S().FixtureLow[2][2][1], 0);
}

TEST_F(FixtureProps, NamesColourAndClose) {
  cmd("set Fixture_Prop.Fixture_txt \"Beam\"");
  EXPECT_EQ(S().FixtureName[2], "Beam");
  EXPECT_EQ(get("Fixture_Prop.Fixture_Sel.List(2)"), "\"Beam\"");
  EXPECT_EQ(get("Chases.Fixture_Sel.List(2)"), "\"Beam\"");
  cmd("set Fixture_Prop.Function_txt \"Gobo\"");
  EXPECT_EQ(S().FixtureFunctionName[2][0], "Gobo");
  EXPECT_EQ(get("Chases.Function_txt(0)"), "\"Gobo\"");
  cmd("queue colour 4660");
  cmd("click Fixture_Prop.colour_bx");
  EXPECT_EQ(S().FixtureColour[2][0][4], "4660");
  EXPECT_EQ(get("Chases.move1(4).BackColor"), "4660");
  cmd("set Fixture_Prop.Fixture_Sel 6");
  EXPECT_EQ(P().fixture(), 6);
  EXPECT_EQ(P().entry(), 0);
  S().ProjectChanged = 0;
  cmd("click Fixture_Prop.Command1");
  EXPECT_EQ(S().ProjectChanged, -1);
  EXPECT_EQ(get("Fixture_Prop.Visible"), "false");
}

}  // namespace
}  // namespace lumora
