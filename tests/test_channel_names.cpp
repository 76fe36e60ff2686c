// The channel names window: what it shows, its edits and their rules.
#include <gtest/gtest.h>

#include "desk/channel_names.h"
#include "desk_fixture.h"

namespace lumora {
namespace {

class ChannelNames : public testing::DeskTest {
 protected:
  void open(int channelIndex) {
    S().SelectedChannel = static_cast<int16_t>(channelIndex);
    cmd("click Hoofdblad.Channel_Edit");
  }
};

TEST(Utf8Text, CountsAndCutsWholeCharacters) {
  EXPECT_EQ(CharCount("Façade"), 6u);
  EXPECT_EQ(FirstChars("Façade", 4), "Faça");
  EXPECT_EQ(FirstChars("ab", 4), "ab");
  EXPECT_EQ(FirstChars("€€€€€", 4), "€€€€");
}

TEST_F(ChannelNames, ShowsTheSelectedChannel) {
  S().ChannelInfo[6] = {"Front left", "FL", "255", -1, 0};
  S().DeskLevels[6] = 100;
  S().PatchTable[6] = 0;
  S().PatchTable[2] = 7;
  S().PatchTable[9] = 7;
  S().PatchTable[199] = 7;
  open(6);
  EXPECT_EQ(get("Channel_Names.Show_Channel"), "\"7\"");
  EXPECT_EQ(get("Channel_Names.Show_Name"), "\"FL\"");
  EXPECT_EQ(get("Channel_Names.Channel_Description"), "\"Front left\"");
  EXPECT_EQ(get("Channel_Names.Main_F"), "0");   // -1 = does not follow: box clear
  EXPECT_EQ(get("Channel_Names.Cross_F"), "1");
  EXPECT_EQ(get("Channel_Names.Slider1"), "155");
  EXPECT_EQ(get("Channel_Names.colour_bx.BackColor"), "255");
  EXPECT_EQ(get("Channel_Names.Show_DMX(0)"), "\"3\"");
  EXPECT_EQ(get("Channel_Names.Show_DMX(1)"), "\"10\"");
  EXPECT_EQ(get("Channel_Names.Show_DMX(2)"), "\"200\"");
  EXPECT_EQ(get("Channel_Names.Show_DMX(3)"), "\"\"");
}

TEST_F(ChannelNames, ShowsOnlyTheFirstSixSlots) {
  for (int s : {500, 3, 80, 81, 82, 90, 300, 8}) S().PatchTable[s] = 2;
  open(1);
  const char* want[] = {"2", "4", "9", "81", "82", "83"};
  for (int b = 0; b < 6; ++b)
    EXPECT_EQ(get("Channel_Names.Show_DMX(" + std::to_string(b) + ")"), std::string("\"") + want[b] + "\"");
}

TEST_F(ChannelNames, DescriptionGivesTheDefaultNameItsFirstFourCharacters) {
  open(6);
  S().ProjectChanged = 0;
  cmd("set Channel_Names.Channel_Description \"Followspot\"");
  EXPECT_EQ(S().ChannelInfo[6].Desc, "Followspot");
  EXPECT_EQ(S().ProjectChanged, -1);
  EXPECT_EQ(S().ChannelInfo[6].Name, "7");  // not before leaving the box
  EXPECT_EQ(get("Hoofdblad.Text3(6).ToolTipText"), "\" Ch 7 Followspot\"");
  cmd("validate Channel_Names.Channel_Description");
  EXPECT_TRUE(lastEvents.empty());
  EXPECT_EQ(S().ChannelInfo[6].Name, "Foll");
  EXPECT_EQ(get("Channel_Names.Show_Name"), "\"Foll\"");
  EXPECT_EQ(get("Hoofdblad.Text3(6)"), "\"Foll\"");
  // A name of its own is kept.
  cmd("set Channel_Names.Channel_Description \"Spot\"");
  cmd("validate Channel_Names.Channel_Description");
  EXPECT_EQ(S().ChannelInfo[6].Name, "Foll");
}

TEST_F(ChannelNames, EmptyDescriptionKeepsTheDefaultName) {
  open(3);
  cmd("set Channel_Names.Channel_Description \"\"");
  cmd("validate Channel_Names.Channel_Description");
  EXPECT_EQ(S().ChannelInfo[3].Name, "4");
  EXPECT_EQ(get("Hoofdblad.Text3(3)"), "\"4\"");
}

TEST_F(ChannelNames, OverlongNameGivesTheMessageAndKeepsFourCharacters) {
  open(0);
  cmd("set Channel_Names.Show_Name \"Spots\"");
  ASSERT_EQ(lastEvents.size(), 1u);
  EXPECT_EQ(lastEvents[0],
            "msgbox {\"title\":\" Text too long\",\"text\":\" Text must be 4 Chars max\","
            "\"buttons\":\"ok\",\"icon\":\"exclamation\",\"answer\":\"ok\"}");
  EXPECT_EQ(get("Channel_Names.Show_Name"), "\"Spot\"");
  EXPECT_EQ(S().ChannelInfo[0].Name, "Spot");
  EXPECT_EQ(get("Hoofdblad.Text3(0)"), "\"Spot\"");
  cmd("set Channel_Names.Show_Name \"Pa\"");
  EXPECT_TRUE(lastEvents.empty());
  EXPECT_EQ(S().ChannelInfo[0].Name, "Pa");
}

TEST_F(ChannelNames, ColourChooserColoursTheChannel) {
  open(2);
  cmd("queue colour 255");
  cmd("click Channel_Names.Colour_button");
  ASSERT_EQ(lastEvents.size(), 1u);
  EXPECT_EQ(lastEvents[0], "colourdialog {\"title\":\" Choose a Colour\",\"answer\":255}");
  EXPECT_EQ(S().ChannelInfo[2].Colour, "255");
  EXPECT_EQ(get("Channel_Names.colour_bx.BackColor"), "255");
  EXPECT_EQ(get("Hoofdblad.Text3(2).BackColor"), "255");
  EXPECT_EQ(get("Hoofdblad.Text1(2).BackColor"), "255");
  cmd("click Channel_Names.colour_bx");  // cancelled: unchanged
  EXPECT_EQ(S().ChannelInfo[2].Colour, "255");
  cmd("queue colour 65280");
  cmd("click Channel_Names.colour_bx");
  EXPECT_EQ(S().ChannelInfo[2].Colour, "65280");
}

TEST_F(ChannelNames, FollowBoxesStoreInvertedFlags) {
  open(0);
  cmd("set Hoofdblad.Slider1(0) 0");
  cmd("set Hoofdblad.Slider1(1) 0");
  cmd("set Channel_Names.Main_F 0");
  EXPECT_EQ(S().ChannelInfo[0].Main_F, -1);
  cmd("set Playdesk.Main 255");
  tick();
  EXPECT_EQ(get("DmxFrame(0)"), "255");  // keeps its level
  EXPECT_EQ(get("DmxFrame(1)"), "0");
  cmd("click Channel_Names.Main_F");  // ticks it again
  EXPECT_EQ(S().ChannelInfo[0].Main_F, 0);
  cmd("set Channel_Names.Cross_F 0");
  EXPECT_EQ(S().ChannelInfo[0].Cross_F, -1);
  cmd("set Channel_Names.Cross_F 1");
  EXPECT_EQ(S().ChannelInfo[0].Cross_F, 0);
}

TEST_F(ChannelNames, LevelFaderMovesTheChannelLikeItsDeskFader) {
  open(4);
  cmd("set Channel_Names.Slider1 55");
  EXPECT_EQ(S().DeskLevels[4], 200);
  EXPECT_EQ(get("Hoofdblad.Slider1(4)"), "55");
  EXPECT_EQ(get("Hoofdblad.Text1(4)"), "\" 200\"");
  // A channel of the other bank moves without a desk fader.
  cmd("click Channel_Names.Pannel_Inc");
  S().SelectedChannel = 40;
  desk->channelNames().ShowChannelInfo();
  cmd("set Channel_Names.Slider1 0");
  EXPECT_EQ(S().DeskLevels[40], 255);
  EXPECT_EQ(get("Hoofdblad.Slider1(8)"), "255");
  // The desk fader moving the selected channel moves this fader too.
  S().SelectedChannel = 4;
  desk->channelNames().ShowChannelInfo();
  cmd("set Hoofdblad.Slider1(4) 100");
  EXPECT_EQ(get("Channel_Names.Slider1"), "100");
}

TEST_F(ChannelNames, PagingStopsAtTheEndsAndMarksTheProjectChanged) {
  open(1);
  S().ProjectChanged = 0;
  cmd("click Channel_Names.Pannel_Dec");
  EXPECT_EQ(get("SelectedChannel"), "0");
  EXPECT_EQ(S().ProjectChanged, -1);
  EXPECT_EQ(get("Channel_Names.Pannel_Dec.Enabled"), "false");
  cmd("click Channel_Names.Pannel_Dec");
  EXPECT_EQ(get("SelectedChannel"), "0");
  S().SelectedChannel = 62;
  cmd("click Channel_Names.Pannel_Inc");
  EXPECT_EQ(get("Channel_Names.Show_Channel"), "\"64\"");
  EXPECT_EQ(get("Channel_Names.Pannel_Inc.Enabled"), "false");
  cmd("click Channel_Names.Pannel_Inc");
  EXPECT_EQ(get("SelectedChannel"), "63");
}

TEST_F(ChannelNames, OkMarksTheProjectChangedAndCloses) {
  open(0);
  S().ProjectChanged = 0;
  cmd("click Channel_Names.OK");
  EXPECT_EQ(S().ProjectChanged, -1);
  EXPECT_EQ(get("Channel_Names.Visible"), "false");
}

TEST_F(ChannelNames, SelectionOutsideTheChannelsIsBroughtBack) {
  EXPECT_EQ(cmd("set SelectedChannel 64"), "ok");
  cmd("click Hoofdblad.Channel_Edit");
  EXPECT_EQ(get("Channel_Names.Show_Channel"), "\"64\"");
  cmd("set Channel_Names.Show_Name \"X\"");
  EXPECT_EQ(S().ChannelInfo[63].Name, "X");
  EXPECT_EQ(S().ChannelInfo[64].Name, "");
}

}  // namespace
}  // namespace lumora
