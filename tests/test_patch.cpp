// The patch editor: panels, labels, validation, storing and clearing.
#include <gtest/gtest.h>

#include "desk/editpatchlist.h"
#include "desk_fixture.h"

namespace lumora {
namespace {

class Patch : public testing::DeskTest {
 protected:
  Patch() { cmd("click Hoofdblad.editpatch"); }
  std::string box(int k) { return get("editpatchlist.Text1(" + std::to_string(k) + ")"); }
  std::string label(int k) { return get("editpatchlist.Label1(" + std::to_string(k) + ")"); }
};

TEST(PatchNumber, AcceptsIntegerPartsOfZeroToSixtyFour) {
  EXPECT_EQ(PatchNumber(" 12"), 12);
  EXPECT_EQ(PatchNumber("0"), 0);
  EXPECT_EQ(PatchNumber("64"), 64);
  EXPECT_EQ(PatchNumber("3.7"), 3);
  EXPECT_EQ(PatchNumber("64.9"), 64);
  EXPECT_EQ(PatchNumber("+5"), 5);
  EXPECT_FALSE(PatchNumber("65"));
  EXPECT_FALSE(PatchNumber("-1"));
  EXPECT_FALSE(PatchNumber("-0.5"));
  EXPECT_FALSE(PatchNumber("a"));
  EXPECT_FALSE(PatchNumber("1a"));
  EXPECT_FALSE(PatchNumber("0x10"));
  EXPECT_FALSE(PatchNumber("1e1"));
  EXPECT_FALSE(PatchNumber("."));
  EXPECT_FALSE(PatchNumber("-"));
  EXPECT_FALSE(PatchNumber("99999999999999999999999999"));
  EXPECT_FALSE(PatchNumber(""));
}

TEST_F(Patch, PanelZeroShowsSlotsOneToOneHundredTwentyEight) {
  EXPECT_EQ(get("editpatchlist.Caption"), "\"Edit patchlist \"");
  EXPECT_EQ(get("PatchPanel"), "0");
  EXPECT_EQ(label(0), "\"DMX ch  1\"");
  EXPECT_EQ(label(127), "\"DMX ch  128\"");
  EXPECT_EQ(get("editpatchlist.Text1(0).ToolTipText"), "\" Select Desh Channel for DMX ch 1\"");
  EXPECT_EQ(box(0), "\" 1\"");
  EXPECT_EQ(box(63), "\" 64\"");
  EXPECT_EQ(box(64), "\" 0\"");
  EXPECT_EQ(get("editpatchlist.Label4"), "\"DMX Lights ( 1 - 128 )\"");
  EXPECT_EQ(get("editpatchlist.Pannel_Dec.Enabled"), "false");
  EXPECT_EQ(get("editpatchlist.Pannel_Inc.Enabled"), "true");
}

TEST_F(Patch, PanelsOverlapAndStopAtTheEnds) {
  cmd("click editpatchlist.Pannel_Inc");
  EXPECT_EQ(get("PatchPanel"), "1");
  EXPECT_EQ(label(0), "\"DMX ch  33\"");
  EXPECT_EQ(label(127), "\"DMX ch  160\"");
  EXPECT_EQ(box(0), "\" 33\"");
  EXPECT_EQ(get("editpatchlist.Label4"), "\"DMX Lights ( 33 - 160 )\"");
  EXPECT_EQ(get("editpatchlist.Pannel_Dec.Enabled"), "true");
  for (int i = 0; i < 15; ++i) cmd("click editpatchlist.Pannel_Inc");
  EXPECT_EQ(get("PatchPanel"), "12");
  EXPECT_EQ(label(0), "\"DMX ch  385\"");
  EXPECT_EQ(label(127), "\"DMX ch  512\"");
  EXPECT_EQ(get("editpatchlist.Label4"), "\"DMX Lights ( 385 - 512 )\"");
  EXPECT_EQ(get("editpatchlist.Pannel_Inc.Enabled"), "false");
  for (int i = 0; i < 15; ++i) cmd("click editpatchlist.Pannel_Dec");
  EXPECT_EQ(get("PatchPanel"), "0");
}

TEST_F(Patch, InvalidNumbersGiveTheMessageAndResetTheBox) {
  for (const char* bad : {"65", "x", "-1", "1.2.3"}) {
    cmd(std::string("set editpatchlist.Text1(5) \"") + bad + "\"");
    ASSERT_EQ(lastEvents.size(), 1u) << bad;
    EXPECT_EQ(lastEvents[0],
              "msgbox {\"title\":\" Patch Error\",\"text\":\" Not a valid Patch Number must be 1 - 64\","
              "\"buttons\":\"ok\",\"icon\":\"exclamation\",\"answer\":\"ok\"}");
    EXPECT_EQ(box(5), "\"0\"");
  }
  EXPECT_EQ(S().PatchTable[5], 6);  // nothing stored yet
  for (const char* good : {"64", "0", "", " 7", "12.5"}) {
    cmd(std::string("set editpatchlist.Text1(5) \"") + good + "\"");
    EXPECT_TRUE(lastEvents.empty()) << good;
    EXPECT_EQ(box(5), std::string("\"") + good + "\"");
  }
}

TEST_F(Patch, OkStoresTheBoxesAndCloses) {
  S().ProjectChanged = 0;
  cmd("set editpatchlist.Text1(9) \"3\"");
  cmd("set editpatchlist.Text1(10) \"3.9\"");
  cmd("set editpatchlist.Text1(0) \"\"");
  EXPECT_EQ(S().PatchTable[9], 10);  // typing alone stores nothing
  cmd("click editpatchlist.Command1");
  EXPECT_EQ(S().PatchTable[9], 3);
  EXPECT_EQ(S().PatchTable[10], 3);
  EXPECT_EQ(S().PatchTable[0], 0);
  EXPECT_EQ(get("Hoofdblad.Status"), "\" Patches Updated\"");
  EXPECT_EQ(get("Playdesk.Status"), "\" Patches Updated\"");
  EXPECT_EQ(S().ProjectChanged, -1);
  EXPECT_EQ(get("editpatchlist.Visible"), "false");
  // Both slots carry channel 3.
  S().DeskLevels[2] = 150;
  tick();
  EXPECT_EQ(get("DmxFrame(9)"), "150");
  EXPECT_EQ(get("DmxFrame(10)"), "150");
  EXPECT_EQ(get("DmxFrame(0)"), "0");
}

TEST_F(Patch, ChangingPanelStoresThePanelBeingLeft) {
  cmd("set editpatchlist.Text1(100) \"5\"");  // slot 101
  cmd("click editpatchlist.Pannel_Inc");
  EXPECT_EQ(S().PatchTable[100], 5);
  EXPECT_EQ(box(68), "\" 5\"");  // the same slot on panel 1
  cmd("set editpatchlist.Text1(127) \"8\"");  // slot 160
  cmd("click editpatchlist.Pannel_Dec");
  EXPECT_EQ(S().PatchTable[159], 8);
}

TEST_F(Patch, ClosingWithoutOkDiscardsTheTyping) {
  cmd("set editpatchlist.Text1(3) \"9\"");
  cmd("unload editpatchlist");
  EXPECT_EQ(S().PatchTable[3], 4);
  cmd("click Hoofdblad.editpatch");
  EXPECT_EQ(box(3), "\" 4\"");
  EXPECT_EQ(get("PatchPanel"), "0");
}

TEST_F(Patch, ClearEmptiesOnlyTheShownPanel) {
  for (int s = 0; s < 512; ++s) S().PatchTable[s] = static_cast<int16_t>(s % 64 + 1);
  S().ProjectChanged = 0;
  cmd("click editpatchlist.Pannel_Inc");
  cmd("click editpatchlist.Command2");
  EXPECT_EQ(get("Hoofdblad.Status"), "\" Patches All Cleared\"");
  EXPECT_EQ(get("Playdesk.Status"), "\" Patches All Cleared\"");
  EXPECT_EQ(S().ProjectChanged, -1);
  for (int s = 0; s < 32; ++s) EXPECT_NE(S().PatchTable[s], 0) << s;
  for (int s = 32; s < 160; ++s) EXPECT_EQ(S().PatchTable[s], 0) << s;
  for (int s = 160; s < 512; ++s) EXPECT_NE(S().PatchTable[s], 0) << s;
  EXPECT_EQ(box(0), "\" 0\"");
}

TEST_F(Patch, BoxWithAChannelOpensChannelNamesForIt) {
  cmd("set editpatchlist.Text1(20) \"12\"");
  cmd("dblclick editpatchlist.Text1(20)");
  EXPECT_EQ(get("SelectedChannel"), "11");
  EXPECT_EQ(get("Channel_Names.Visible"), "true");
  EXPECT_EQ(get("Channel_Names.Show_Channel"), "\"12\"");
  cmd("unload Channel_Names");
  cmd("mousedown editpatchlist.Text1(63) right");
  EXPECT_EQ(get("SelectedChannel"), "63");
  cmd("unload Channel_Names");
  cmd("dblclick editpatchlist.Text1(100)");  // unpatched: nothing happens
  EXPECT_EQ(get("SelectedChannel"), "63");
  EXPECT_EQ(get("Channel_Names.Visible"), "false");
  cmd("click editpatchlist.Command3");
  EXPECT_EQ(get("Channel_Names.Visible"), "true");
}

TEST_F(Patch, BoxSetFromCodeWithGarbageKeepsTheSlot) {
  // Only the console's property write bypasses the check; OK must not patch
  // a slot from text that names no channel.
  cmd("set editpatchlist.Text1(2).Text \"zz\"");
  cmd("click editpatchlist.Command1");
  EXPECT_EQ(S().PatchTable[2], 3);
}

}  // namespace
}  // namespace lumora
