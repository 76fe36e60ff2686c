// The keypad command line, typed through the main desk as an operator does.
#include <gtest/gtest.h>

#include "desk_fixture.h"
#include "remote/cli.h"

namespace lumora {
namespace {

class Cli : public testing::DeskTest {
 protected:
  // Types keys on the main desk: digits, '.', '*', '+', '/', 'C', 'E' (Enter), 'B' (Backspace).
  void type(const std::string& keys) {
    for (char k : keys) {
      int code = 0;
      if (k >= '0' && k <= '9') code = 96 + (k - '0');
      else if (k == '.') code = 110;
      else if (k == '*') code = 106;
      else if (k == '+') code = 107;
      else if (k == '/') code = 111;
      else if (k == '-') code = 109;
      else if (k == 'C') code = 67;
      else if (k == 'E') code = 13;
      else if (k == 'B') code = 8;
      else continue;
      ASSERT_EQ(cmd("key Hoofdblad " + std::to_string(code)), "ok");
    }
  }
  int level(int ch) { return S().DeskLevels[ch - 1]; }
  std::string indicator() { return get("CLI.Shape1.BackColor"); }
  const std::string red = std::to_string(255);
  const std::string green = std::to_string(255 * 256);
};

TEST_F(Cli, ChannelAtFiftyPercentRoundsHalfToEven) {
  type("5.50E");
  EXPECT_EQ(level(5), 128);  // 127.5 -> 128
  EXPECT_EQ(indicator(), green);
  EXPECT_EQ(get("Hoofdblad.Status"), "\"CLI -5 @ 50\"");
  EXPECT_EQ(get("Playdesk.Status"), "\"CLI -5 @ 50\"");
  EXPECT_EQ(get("CliCursor"), "0");
  EXPECT_EQ(get("CLI.String_In"), "\"\"");
  EXPECT_EQ(get("Hoofdblad.Slider1(4)"), "127");  // the fader strip was refreshed
}

TEST_F(Cli, PointThenThreeZerosIsFull) {
  type("7.000");
  EXPECT_EQ(get("CLI.String_In"), "\"7 @ 100\"");
  type("E");
  EXPECT_EQ(level(7), 255);
}

TEST_F(Cli, ThreeZerosWithoutAtIsRefusedInRed) {
  type("1*000");
  EXPECT_EQ(indicator(), red);
}

TEST_F(Cli, RangesSetEveryChannelAndEndsAreExchanged) {
  type("1*8.100E");
  for (int c = 1; c <= 8; ++c) EXPECT_EQ(level(c), 255) << c;
  EXPECT_EQ(level(9), 0);
  cmd("click Hoofdblad.Clearall");
  type("8*1.100E");
  for (int c = 1; c <= 8; ++c) EXPECT_EQ(level(c), 255) << c;
}

TEST_F(Cli, SingleTargetAboveSixtyIsRefusedButRangesReach64) {
  type("62.50E");
  EXPECT_EQ(level(62), 0);
  EXPECT_EQ(indicator(), red);
  type("60*64.50E");
  for (int c = 60; c <= 64; ++c) EXPECT_EQ(level(c), 128) << c;
  EXPECT_EQ(indicator(), green);
}

TEST_F(Cli, ChannelZeroIsRefusedNotWrittenBeforeTheTable) {
  type("0.50E");
  EXPECT_EQ(indicator(), red);
  for (int c = 1; c <= 64; ++c) EXPECT_EQ(level(c), 0);
}

TEST_F(Cli, ListsSetEachMember) {
  type("2+4+6.20E");
  EXPECT_EQ(level(2), 51);
  EXPECT_EQ(level(4), 51);
  EXPECT_EQ(level(6), 51);
  EXPECT_EQ(level(3), 0);
}

TEST_F(Cli, RangeThenListContinues) {
  type("1*3+10.10E");
  EXPECT_EQ(level(1), 26);  // 25.5 -> 26
  EXPECT_EQ(level(3), 26);
  EXPECT_EQ(level(10), 26);
  EXPECT_EQ(level(4), 0);
}

TEST_F(Cli, PointTwiceClearsTheLine) {
  type("5..");
  EXPECT_EQ(get("CLI.String_In"), "\"\"");
  EXPECT_EQ(get("CliCursor"), "0");
  type("E");
  EXPECT_EQ(level(5), 0);
}

TEST_F(Cli, PlaybackFadersAreMarkedWithS) {
  type("3/.40");
  EXPECT_EQ(get("CLI.String_In"), "\"S3 @ 40\"");
  type("E");
  EXPECT_EQ(S().PlayFaderLevel[2], 102);
  EXPECT_EQ(level(3), 0);
}

TEST_F(Cli, FaderRangePastTheTableIsSkippedNeverWritten) {
  type("58/*64.100E");
  EXPECT_EQ(S().PlayFaderLevel[57], 255);
  EXPECT_EQ(S().PlayFaderLevel[60], 255);  // fader 61, the last of the table
  for (int c = 1; c <= 64; ++c) EXPECT_EQ(level(c), 0);  // nothing spilled onto the desk
}

TEST_F(Cli, DigitsBeyondThreeAreDropped) {
  type("1234");
  EXPECT_EQ(get("CLI.String_In"), "\"123\"");
}

TEST_F(Cli, MoreThanFullIsHeldAtFull) {
  type("4.150E");
  EXPECT_EQ(level(4), 255);
}

TEST_F(Cli, QueryShowsTheChannelLevelInPercent) {
  S().DeskLevels[4] = 128;
  type("5E");
  EXPECT_EQ(get("CLI.String_In"), "\"Main Channel 5 =  50.1960784313726%\"");
  EXPECT_EQ(get("CliCursor"), "0");
}

TEST_F(Cli, CommandWithoutLevelIsRefusedAndCleared) {
  type("5*8E");
  EXPECT_EQ(indicator(), red);
  EXPECT_EQ(get("CLI.String_In"), "\"\"");
  for (int c = 1; c <= 8; ++c) EXPECT_EQ(level(c), 0);
}

TEST_F(Cli, ScreenCallShowsSelectedOnBothStatusLines) {
  type("C12E");
  EXPECT_EQ(get("Hoofdblad.Status"), "\"Cue 12 Selected\"");
  EXPECT_EQ(get("Playdesk.Status"), "\"Cue 12 Selected\"");
}

TEST_F(Cli, ScreenCallOutsideRunModeSelectsAndRecallsTheScreen) {
  S().Screens[12].Preset[2] = 180;
  S().ScreenCount = 13;
  type("C12E");
  EXPECT_EQ(get("CurrentScreen"), "12");
  EXPECT_EQ(level(3), 180);
}

TEST_F(Cli, ScreenCallInRunModeTakesTheScreen) {
  S().ScreenCount = 13;
  cmd("click Playdesk.Run_Switch");
  ASSERT_EQ(get("RunMode"), "-1");
  type("C12E");
  EXPECT_EQ(get("LiveScreen"), "12");
  EXPECT_EQ(get("AutotakeRunning"), "-1");
}

TEST_F(Cli, ScreenCallBeyondTheStoreIsRefused) {
  type("C250E");
  EXPECT_EQ(indicator(), red);
  EXPECT_NE(get("Hoofdblad.Status"), "\"Cue 250 Selected\"");
}

TEST_F(Cli, EveryKeyTurnsTheIndicatorGreyAndOthersAreIgnored) {
  type("5");
  EXPECT_EQ(indicator(), std::to_string(224 + 224 * 256 + 224 * 65536));
  type("-");
  EXPECT_EQ(get("CLI.String_In"), "\"5\"");
  type("B");
  EXPECT_EQ(get("CLI.String_In"), "\"\"");
}

TEST_F(Cli, LongCommandsNeverRunPastTheTokenTable) {
  std::string keys;
  for (int i = 0; i < 80; ++i) keys += "1+";
  type(keys + ".50E");
  EXPECT_EQ(get("CliCursor"), "0");
}

}  // namespace
}  // namespace lumora
