// The main desk through the console: start-up, the fader strip and its
// banks, channel picking, clear, reset, exit, keys and the submix section.
#include <gtest/gtest.h>

#include "desk/channel_names.h"
#include "desk/hoofdblad.h"
#include "playback/playdesk.h"
#include "desk_fixture.h"

namespace lumora {
namespace {

using MainDesk = testing::DeskTest;

TEST_F(MainDesk, StartUpBringsTheDeskToItsInitialState) {
  EXPECT_EQ(get("Hoofdblad.Status"), "\" Main Desk Running \"");
  EXPECT_EQ(get("PortAddress"), "888");
  EXPECT_EQ(get("ProjectChanged"), "0");
  EXPECT_EQ(get("Hoofdblad.Text9"), "\"1\"");
  EXPECT_EQ(get("Hoofdblad.Submix_Text"), "\" \"");
  EXPECT_EQ(get("Hoofdblad.channels"), "0");
  EXPECT_EQ(get("Hoofdblad.Main"), "0");
  EXPECT_EQ(get("Hoofdblad.Submix"), "255");
  EXPECT_EQ(get("Hoofdblad.Dec_Channels.Enabled"), "false");
  EXPECT_EQ(get("Hoofdblad.Inc_Channel.Enabled"), "true");
  EXPECT_EQ(get("Hoofdblad.Slider1(5).ToolTipText"), "\"level on channel 6\"");
  EXPECT_EQ(get("Hoofdblad.Command1(5).ToolTipText"), "\"Max on channel 6\"");
  EXPECT_EQ(get("Hoofdblad.Command2(5).ToolTipText"), "\"Min on channel 6\"");
  EXPECT_EQ(get("Hoofdblad.Text1(5).ToolTipText"), "\"Channel level 6\"");
  EXPECT_EQ(get("Hoofdblad.Text3(5).ToolTipText"), "\" Ch 6 6\"");
  EXPECT_EQ(get("Hoofdblad.Slider1(5)"), "255");
  EXPECT_EQ(get("Hoofdblad.Text1(5)"), "\" 0\"");
  EXPECT_EQ(get("Hoofdblad.Text3(5)"), "\"6\"");
  EXPECT_EQ(get("Hoofdblad.Text3(5).BackColor"), "16776960");
  EXPECT_EQ(get("Hoofdblad.Text1(5).BackColor"), "65280");  // default colour shows green
  EXPECT_EQ(get("Playdesk.Visible"), "true");
  EXPECT_EQ(get("Hoofdblad.Timer1.Enabled"), "true");
  EXPECT_EQ(get("PatchTable(63)"), "64");
  EXPECT_EQ(get("PatchTable(64)"), "0");
}

TEST_F(MainDesk, FaderMoveSetsTheLevelAndItsBox) {
  EXPECT_EQ(cmd("set Hoofdblad.Slider1(2) 55"), "ok");
  EXPECT_EQ(S().DeskLevels[2], 200);
  EXPECT_EQ(get("Hoofdblad.Text1(2)"), "\" 200\"");
  tick();
  EXPECT_EQ(get("DmxFrame(2)"), "200");
  EXPECT_EQ(cmd("set Hoofdblad.Slider1(2) 256"), "err value out of range");
  EXPECT_EQ(S().DeskLevels[2], 200);
}

TEST_F(MainDesk, MaxAndMinSetTheFaderAndTheLevel) {
  cmd("click Hoofdblad.Command1(4)");
  EXPECT_EQ(S().DeskLevels[4], 255);
  EXPECT_EQ(get("Hoofdblad.Slider1(4)"), "0");
  EXPECT_EQ(get("Hoofdblad.Text1(4)"), "\" 255\"");
  cmd("click Hoofdblad.Command2(4)");
  EXPECT_EQ(S().DeskLevels[4], 0);
  EXPECT_EQ(get("Hoofdblad.Slider1(4)"), "255");
  EXPECT_EQ(get("Hoofdblad.Text1(4)"), "\" 0\"");
}

TEST_F(MainDesk, BankPagingStopsAtTheEndsAndMovesTheStrip) {
  S().DeskLevels[32] = 77;
  S().ChannelInfo[32].Desc = "Back light";
  S().ChannelInfo[32].Name = "BL";
  cmd("click Hoofdblad.Inc_Channel");
  EXPECT_EQ(get("Hoofdblad.Status"), "\" Faders  1 Selected\"");
  EXPECT_EQ(get("FaderBank"), "1");
  EXPECT_EQ(get("Hoofdblad.Inc_Channel.Enabled"), "false");
  EXPECT_EQ(get("Hoofdblad.Dec_Channels.Enabled"), "true");
  EXPECT_EQ(get("Hoofdblad.Slider1(0)"), "178");
  EXPECT_EQ(get("Hoofdblad.Text1(0)"), "\" 77\"");
  EXPECT_EQ(get("Hoofdblad.Text3(0)"), "\"BL\"");
  EXPECT_EQ(get("Hoofdblad.Text3(0).ToolTipText"), "\" Ch 33 Back light\"");
  EXPECT_EQ(get("Hoofdblad.Slider1(0).ToolTipText"), "\" Channel 33 Back light\"");
  EXPECT_EQ(get("Hoofdblad.Command1(0).ToolTipText"), "\"Max on channel 33\"");

  // A second press changes nothing; Max on fader 0 now sets channel 33.
  cmd("click Hoofdblad.Inc_Channel");
  EXPECT_EQ(get("FaderBank"), "1");
  cmd("click Hoofdblad.Command1(0)");
  EXPECT_EQ(S().DeskLevels[32], 255);
  EXPECT_EQ(S().DeskLevels[0], 0);

  cmd("click Hoofdblad.Dec_Channels");
  EXPECT_EQ(get("Hoofdblad.Status"), "\" Faders  0 Selected\"");
  EXPECT_EQ(get("Hoofdblad.Dec_Channels.Enabled"), "false");
  EXPECT_EQ(get("Hoofdblad.Inc_Channel.Enabled"), "true");
  cmd("click Hoofdblad.Dec_Channels");
  EXPECT_EQ(get("FaderBank"), "0");
}

TEST_F(MainDesk, NameBoxShowsTheNumberWhenTheDescriptionIsEmpty) {
  S().ChannelInfo[3].Desc = "";
  S().ChannelInfo[3].Name = "XX";
  S().ChannelInfo[3].Colour = "255";
  desk->hoofdblad().RefreshDesk();
  EXPECT_EQ(get("Hoofdblad.Text3(3)"), "\"4\"");
  EXPECT_EQ(get("Hoofdblad.Text3(3).ToolTipText"), "\" Ch 4\"");
  EXPECT_EQ(get("Hoofdblad.Slider1(3).ToolTipText"), "\" Channel 4\"");
  EXPECT_EQ(get("Hoofdblad.Text3(3).BackColor"), "255");
  EXPECT_EQ(get("Hoofdblad.Text1(3).BackColor"), "255");  // own colour, not green
}

TEST_F(MainDesk, RightPressOrDoubleClickPicksTheChannel) {
  cmd("click Hoofdblad.Inc_Channel");
  EXPECT_EQ(cmd("mousedown Hoofdblad.Slider1(6) right"), "ok");
  EXPECT_EQ(get("SelectedChannel"), "38");
  EXPECT_EQ(get("Channel_Names.Visible"), "true");
  EXPECT_EQ(get("Channel_Names.Show_Channel"), "\"39\"");
  cmd("mousedown Hoofdblad.Text1(2) left");
  EXPECT_EQ(get("SelectedChannel"), "38");  // a left press picks nothing
  cmd("dblclick Hoofdblad.Text3(2)");
  EXPECT_EQ(get("SelectedChannel"), "34");
  EXPECT_EQ(get("Channel_Names.Show_Channel"), "\"35\"");
  cmd("mousedown Hoofdblad.Text3(9) right");
  EXPECT_EQ(get("SelectedChannel"), "41");
  cmd("dblclick Hoofdblad.Text1(0)");
  EXPECT_EQ(get("SelectedChannel"), "32");
}

TEST_F(MainDesk, ClearallZeroesBothBanksAndKeepsTheRest) {
  S().DeskLevels[40] = 99;
  cmd("set Hoofdblad.Slider1(0) 0");
  S().Submixes[0].Channel[0] = 1;
  S().Submixes[0].Level[0] = 50;
  S().PatchTable[100] = 7;
  S().ChannelInfo[0].Name = "FOH";
  cmd("click Hoofdblad.Clearall");
  EXPECT_EQ(get("Hoofdblad.Status"), "\" Desk Cleared\"");
  EXPECT_EQ(S().DeskLevels[0], 0);
  EXPECT_EQ(S().DeskLevels[40], 0);
  EXPECT_EQ(get("Hoofdblad.Slider1(0)"), "255");
  EXPECT_EQ(get("Hoofdblad.Text1(0)"), "\" 0\"");
  EXPECT_EQ(S().Submixes[0].Level[0], 50);
  EXPECT_EQ(S().PatchTable[100], 7);
  EXPECT_EQ(S().ChannelInfo[0].Name, "FOH");
}

class MainDeskReset : public MainDesk {
 protected:
  // A desk full of work: levels, names, patch, submixes, screens, chases.
  void dirty() {
    cmd("set Hoofdblad.Slider1(1) 0");
    S().DeskLevels[50] = 10;
    S().ChannelInfo[1] = {"Front", "FR", "255", -1, -1};
    S().PatchTable[0] = 9;
    S().PatchTable[300] = 2;
    S().Submixes[3].Channel[0] = 2;
    S().Submixes[3].Level[0] = 80;
    S().Submixes[3].Name = "Look";
    S().Submixes[3].Colour = "255";
    S().Screens[4].Name = "Scene";
    S().ScreenCount = 5;
    S().Chases[2].Name = "Run";
    S().ButtonFunctions[20].Function = kFnSubmix;
    S().FaderFunctions[20].Function = kFnSubmix;
    S().ProjectFileName = "/tmp/show.xml";
    S().ProjectText = "notes";
    S().ProjectChanged = -1;
    cmd("click Hoofdblad.Submix_Plus");
    cmd("click Hoofdblad.Inc_Channel");
    cmd("set Hoofdblad.Main 100");
    cmd("set Hoofdblad.channels 50");
    cmd("set Hoofdblad.Submix 0");
  }
};

TEST_F(MainDeskReset, CancelKeepsEverything) {
  dirty();
  cmd("queue answer cancel");
  cmd("click Hoofdblad.resetdesk");
  ASSERT_EQ(lastEvents.size(), 1u);
  EXPECT_EQ(lastEvents[0],
            "msgbox {\"title\":\" Reset Desk\",\"text\":\"All Current Information will Be Lost Are You Sure \","
            "\"buttons\":\"okcancel\",\"icon\":\"question\",\"answer\":\"cancel\"}");
  EXPECT_EQ(S().DeskLevels[1], 255);
  EXPECT_EQ(S().DeskLevels[50], 10);
  EXPECT_EQ(S().ChannelInfo[1].Name, "FR");
  EXPECT_EQ(S().PatchTable[0], 9);
  EXPECT_EQ(S().Submixes[3].Name, "Look");
  EXPECT_EQ(S().Screens[4].Name, "Scene");
  EXPECT_EQ(S().ProjectFileName, "/tmp/show.xml");
  EXPECT_EQ(S().ProjectChanged, -1);
  EXPECT_EQ(S().FaderBank, 1);
  EXPECT_EQ(S().CurrentSubmix, 1);
  EXPECT_EQ(get("Hoofdblad.Main"), "100");
}

TEST_F(MainDeskReset, UnansweredQuestionIsCancel) {
  dirty();
  cmd("click Hoofdblad.resetdesk");
  EXPECT_EQ(S().PatchTable[0], 9);
  EXPECT_EQ(S().ProjectChanged, -1);
}

TEST_F(MainDeskReset, OkResetsEveryListedTable) {
  dirty();
  cmd("queue answer ok");
  cmd("click Hoofdblad.resetdesk");
  EXPECT_EQ(get("Hoofdblad.Status"), "\" Desk Reset\"");
  EXPECT_EQ(S().ProjectFileName, "untitled");
  EXPECT_EQ(S().ProjectText, "");
  EXPECT_EQ(S().ProjectChanged, 0);
  EXPECT_EQ(S().Screens[4].Name, "");
  EXPECT_EQ(S().ScreenCount, 1);
  EXPECT_EQ(S().Chases[2].Name, "");
  EXPECT_EQ(S().ButtonFunctions[20].Function, kFnOff);
  EXPECT_EQ(S().FaderFunctions[20].Function, kFnOff);
  for (const auto& m : S().Submixes) {
    EXPECT_EQ(m.Channel[0], 0);
    EXPECT_EQ(m.Level[0], 0);
    EXPECT_EQ(m.Name, "");
    EXPECT_EQ(m.Colour, "");
  }
  EXPECT_EQ(S().ChannelInfo[1].Name, "2");
  EXPECT_EQ(S().ChannelInfo[1].Desc, "2");
  EXPECT_EQ(S().ChannelInfo[1].Colour, "16776960");
  EXPECT_EQ(S().ChannelInfo[1].Main_F, 0);
  EXPECT_EQ(S().ChannelInfo[1].Cross_F, 0);
  EXPECT_EQ(S().PatchTable[0], 1);
  EXPECT_EQ(S().PatchTable[300], 0);
  EXPECT_EQ(S().DeskLevels[1], 0);
  EXPECT_EQ(S().DeskLevels[50], 0);
  EXPECT_EQ(S().CurrentSubmix, 0);
  EXPECT_EQ(S().FaderBank, 0);
  EXPECT_EQ(get("Hoofdblad.Text9"), "\"1\"");
  EXPECT_EQ(get("Hoofdblad.Submix_Text"), "\"\"");
  EXPECT_EQ(get("Hoofdblad.Sub_colour.BackColor"), "-1");
  EXPECT_EQ(get("Hoofdblad.Main"), "0");
  EXPECT_EQ(get("Playdesk.Main"), "0");
  EXPECT_EQ(get("Hoofdblad.channels"), "0");
  EXPECT_EQ(get("Hoofdblad.Submix"), "255");
  EXPECT_EQ(get("Hoofdblad.Slider1(1)"), "255");
  EXPECT_EQ(get("Hoofdblad.Text1(1)"), "\" 0\"");
  EXPECT_EQ(get("Hoofdblad.Text3(1)"), "\"2\"");
  EXPECT_EQ(get("Hoofdblad.Slider1(1).ToolTipText"), "\" Channel 2 2\"");
  EXPECT_EQ(get("Hoofdblad.Dec_Channels.Enabled"), "false");
  tick();
  EXPECT_EQ(get("DmxFrame(0)"), "0");
}

TEST_F(MainDesk, ExitWithNothingUnsavedAsksNothingAndEnds) {
  cmd("click Hoofdblad.eruit");
  EXPECT_TRUE(lastEvents.empty());
  EXPECT_TRUE(desk->ended());
  EXPECT_FALSE(desk->hoofdblad().Loaded());
}

TEST_F(MainDesk, ExitWithUnsavedWorkAsksAndCancelKeepsTheDeskRunning) {
  S().ProjectChanged = -1;
  cmd("queue answer cancel");
  cmd("click Hoofdblad.eruit");
  ASSERT_EQ(lastEvents.size(), 1u);
  EXPECT_NE(lastEvents[0].find("\"title\":\" Reset Desk\",\"text\":\"Current Project is not saved Are You Sure \""),
            std::string::npos);
  EXPECT_FALSE(desk->ended());
  EXPECT_EQ(get("Hoofdblad.Status"), "\" Exit Software\"");
  EXPECT_EQ(get("Playdesk.Status"), "\" Exit Software\"");
  EXPECT_EQ(S().ProjectChanged, -1);
  cmd("queue answer ok");
  cmd("unload Hoofdblad");  // closing the window asks the same question
  EXPECT_EQ(lastEvents.size(), 1u);
  EXPECT_TRUE(desk->ended());
  EXPECT_EQ(S().ProjectChanged, 0);
}

TEST_F(MainDesk, MainLevelMovesThePlaybackMaster) {
  cmd("set Hoofdblad.Slider1(0) 0");
  cmd("set Hoofdblad.Main 255");
  EXPECT_EQ(get("Playdesk.Main"), "255");
  tick();
  EXPECT_EQ(get("DmxFrame(0)"), "0");
  cmd("set Hoofdblad.Main 0");
  tick();
  EXPECT_EQ(get("DmxFrame(0)"), "255");
}

TEST_F(MainDesk, MenuItemsOpenTheirWindows) {
  const std::pair<const char*, const char*> items[] = {
      {"Channel_Edit", "Channel_Names"}, {"editpatch", "editpatchlist"}, {"realoutput", "Realout"},
      {"Command22", "Realout"},          {"port_setup", "Portsetup"},   {"Art_setup", "Art_Config"},
      {"BCF2000_setup", "BCF_configure"}, {"CLI_sel", "CLI"},            {"Chase_Screen", "Chases"},
      {"Command3", "Chases"},            {"Aboutmenu", "frmAbout"}};
  for (auto [item, window] : items) {
    Form* f = desk->form(window);
    ASSERT_TRUE(f) << window;
    if (f->Loaded()) f->Unload();
    EXPECT_EQ(cmd(std::string("click Hoofdblad.") + item), "ok");
    EXPECT_TRUE(f->Visible()) << item;
  }
  desk->playdesk().Hide();
  cmd("click Hoofdblad.Command21");
  EXPECT_TRUE(desk->playdesk().Visible());
}

TEST_F(MainDesk, AboutBoxShowsNameVersionAndClosesOnOk) {
  cmd("click Hoofdblad.Aboutmenu");
  EXPECT_EQ(get("frmAbout.lblTitle"), "\"Lumora\"");
  EXPECT_EQ(get("frmAbout.lblVersion").rfind("\"Version ", 0), 0u);
  cmd("click frmAbout.cmdOK");
  EXPECT_EQ(get("frmAbout.Visible"), "false");
}

TEST_F(MainDesk, TickBlinksTheActivityLightAndEndsBlack) {
  uint64_t before = desk->hoofdblad().Picture2.revision();
  tick();
  EXPECT_GT(desk->hoofdblad().Picture2.revision(), before);
  EXPECT_EQ(get("Hoofdblad.Picture2.BackColor"), "0");
}

// ---- submixes ------------------------------------------------------------

using Submixes = testing::DeskTest;

TEST_F(Submixes, PlusAndMinusWrapAroundAndShowTheSubmix) {
  S().Submixes[31].Name = "Last";
  S().Submixes[31].Colour = "255";
  cmd("click Hoofdblad.Submix_Minus");
  EXPECT_EQ(get("CurrentSubmix"), "31");
  EXPECT_EQ(get("Hoofdblad.Text9"), "\"32\"");
  EXPECT_EQ(get("Hoofdblad.Submix_Text"), "\"Last\"");
  EXPECT_EQ(get("Hoofdblad.Sub_colour.BackColor"), "255");
  cmd("click Hoofdblad.Submix_Plus");
  EXPECT_EQ(get("CurrentSubmix"), "0");
  EXPECT_EQ(get("Hoofdblad.Text9"), "\"1\"");
  EXPECT_EQ(get("Hoofdblad.Submix_Text"), "\"\"");
  EXPECT_EQ(get("Hoofdblad.Sub_colour.BackColor"), "-1");  // no colour: button face
  cmd("click Hoofdblad.Submix_Plus");
  EXPECT_EQ(get("Hoofdblad.Text9"), "\"2\"");
}

TEST_F(Submixes, ProgramListsRaisedChannelsInAscendingOrder) {
  S().DeskLevels[2] = 100;
  S().DeskLevels[39] = 255;
  // leftovers from an earlier program must go
  for (int j = 0; j < 10; ++j) {
    S().Submixes[0].Channel[j] = static_cast<int16_t>(j + 10);
    S().Submixes[0].Level[j] = 9;
  }
  cmd("set Hoofdblad.Submix_Text \"Wash\"");
  EXPECT_EQ(S().Submixes[0].Name, "");  // the name waits for Program
  cmd("click Hoofdblad.Submix_Prog");
  EXPECT_EQ(get("Hoofdblad.Status"), "\" Submix  0 Programmed\"");
  const auto& m = S().Submixes[0];
  EXPECT_EQ(m.Channel[0], 3);
  EXPECT_EQ(m.Level[0], 100);
  EXPECT_EQ(m.Channel[1], 40);
  EXPECT_EQ(m.Level[1], 255);
  for (int j = 2; j < 65; ++j) EXPECT_EQ(m.Channel[j], 0) << j;
  EXPECT_EQ(m.Name, "Wash");
  EXPECT_EQ(m.Colour, "");
  EXPECT_EQ(S().ProjectChanged, -1);
}

TEST_F(Submixes, ProgramWithEveryChannelUpAndRecallBringsAllBack) {
  for (int i = 0; i < 64; ++i) S().DeskLevels[i] = static_cast<int16_t>(i + 1);
  cmd("click Hoofdblad.Submix_Prog");
  EXPECT_EQ(S().Submixes[0].Channel[63], 64);
  cmd("click Hoofdblad.Clearall");
  cmd("click Hoofdblad.Submix_Recal");
  for (int i = 0; i < 64; ++i) EXPECT_EQ(S().DeskLevels[i], i + 1) << i;
}

TEST_F(Submixes, RecallReplacesTheDeskAndMovesTheShownBank) {
  S().DeskLevels[2] = 100;
  S().DeskLevels[39] = 255;
  cmd("click Hoofdblad.Submix_Prog");
  S().DeskLevels[2] = 0;
  S().DeskLevels[39] = 0;
  S().DeskLevels[10] = 33;  // not in the submix: goes to 0
  cmd("click Hoofdblad.Inc_Channel");
  S().ProjectChanged = 0;
  cmd("click Hoofdblad.Submix_Recal");
  EXPECT_EQ(get("Hoofdblad.Status"), "\" Submix 0 Recalled\"");
  EXPECT_EQ(S().DeskLevels[10], 0);
  EXPECT_EQ(S().DeskLevels[2], 100);
  EXPECT_EQ(get("Hoofdblad.Slider1(7)"), "0");
  EXPECT_EQ(get("Hoofdblad.Text1(7)"), "\" 255\"");
  for (int k = 0; k < 32; ++k) {
    if (k == 7) continue;
    EXPECT_EQ(get("Hoofdblad.Slider1(" + std::to_string(k) + ")"), "255") << k;
  }
  EXPECT_EQ(S().ProjectChanged, 0);
  cmd("click Hoofdblad.Dec_Channels");
  EXPECT_EQ(get("Hoofdblad.Slider1(2)"), "155");
  EXPECT_EQ(get("Hoofdblad.Text1(2)"), "\" 100\"");
}

TEST_F(Submixes, EmptySubmixRecallsAsAClearedDesk) {
  S().DeskLevels[5] = 200;
  cmd("click Hoofdblad.Submix_Plus");
  cmd("click Hoofdblad.Submix_Recal");
  EXPECT_EQ(get("Hoofdblad.Status"), "\" Submix 1 Recalled\"");
  EXPECT_EQ(S().DeskLevels[5], 0);
}

TEST_F(Submixes, DamagedEntriesNeverWriteOutsideTheDesk) {
  auto& m = S().Submixes[0];
  m.Channel[0] = 2;
  m.Level[0] = 900;
  m.Channel[1] = 300;
  m.Level[1] = 50;
  m.Channel[2] = 4;
  m.Level[2] = 60;
  cmd("click Hoofdblad.Submix_Recal");
  EXPECT_EQ(S().DeskLevels[1], 255);
  EXPECT_EQ(S().DeskLevels[3], 60);
  EXPECT_EQ(S().DeskLevels[64], 0);
}

TEST_F(Submixes, ColourChooserSetsTheSwatchAndTheSubmix) {
  cmd("queue colour 255");
  cmd("click Hoofdblad.Sub_colour");
  ASSERT_EQ(lastEvents.size(), 1u);
  EXPECT_EQ(lastEvents[0], "colourdialog {\"title\":\" Choose a Colour\",\"answer\":255}");
  EXPECT_EQ(get("Hoofdblad.Sub_colour.BackColor"), "255");
  EXPECT_EQ(S().Submixes[0].Colour, "255");
  EXPECT_EQ(S().ProjectChanged, -1);
  S().ProjectChanged = 0;
  cmd("click Hoofdblad.Sub_colour");  // nothing queued: cancelled
  EXPECT_EQ(S().Submixes[0].Colour, "255");
  EXPECT_EQ(S().ProjectChanged, 0);
  // Programming keeps the chosen colour.
  cmd("click Hoofdblad.Submix_Prog");
  EXPECT_EQ(S().Submixes[0].Colour, "255");
}

TEST_F(Submixes, MasterScalesTheLiveSubmix) {
  S().Submixes[0].Channel[0] = 3;
  S().Submixes[0].Level[0] = 200;
  tick();
  EXPECT_EQ(get("DmxFrame(2)"), "0");  // master at the bottom
  cmd("set Hoofdblad.Submix 0");
  tick();
  EXPECT_EQ(get("DmxFrame(2)"), "200");
}

}  // namespace
}  // namespace lumora
