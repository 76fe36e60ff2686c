// The output monitor: its pages, slot labels, hints and the bars the output
// tick writes.
#include <gtest/gtest.h>

#include "desk/hoofdblad.h"
#include "desk/realout.h"
#include "desk_fixture.h"
#include "playback/playdesk.h"

namespace lumora {
namespace {

class Monitor : public testing::DeskTest {
 protected:
  Realout& mon() { return desk->realout(); }
  // Every desk channel level feeds the frame through a one-to-one patch.
  void patchSlotToChannel(int frameIndex, int channel, int level) {
    S().PatchTable[frameIndex] = static_cast<int16_t>(channel);
    S().DeskLevels[channel - 1] = static_cast<int16_t>(level);
  }
};

TEST_F(Monitor, OpeningShowsPageZeroWithSlotsOneTo144) {
  ASSERT_EQ(cmd("show Realout"), "ok");
  EXPECT_EQ(mon().MonitorPage, 0);
  EXPECT_EQ(S().MonitorFirst, 0);
  EXPECT_EQ(S().MonitorLast, 143);
  EXPECT_EQ(mon().Label1[0].Caption(), " 1");
  EXPECT_EQ(mon().Label1[98].Caption(), " 99");
  EXPECT_EQ(mon().Label1[99].Caption(), "100");
  EXPECT_EQ(mon().Label1[143].Caption(), "144");
  EXPECT_EQ(mon().Caption(), " Real DMX Output  Ch 1   -  Ch 144");
  EXPECT_FALSE(mon().Pannel_Dec.Enabled());
  EXPECT_TRUE(mon().Pannel_Inc.Enabled());
  for (int k = 0; k < Realout::kBars; ++k) EXPECT_TRUE(mon().ProgBar1[k].Visible()) << k;
}

TEST_F(Monitor, PagesOverlapByOneSlotAndStopAtPageThree) {
  cmd("show Realout");
  EXPECT_EQ(cmd("click Realout.Pannel_Inc"), "ok");
  EXPECT_EQ(get("MonitorPage"), "1");
  EXPECT_EQ(S().MonitorFirst, 143);
  EXPECT_EQ(S().MonitorLast, 286);
  EXPECT_EQ(mon().Label1[0].Caption(), "144");  // the last slot of page 0 again
  EXPECT_TRUE(mon().Pannel_Dec.Enabled());
  cmd("click Realout.Pannel_Inc");
  cmd("click Realout.Pannel_Inc");
  EXPECT_EQ(mon().MonitorPage, 3);
  EXPECT_FALSE(mon().Pannel_Inc.Enabled());
  // A click on the disabled end stays on the last page (the model itself
  // refuses, whatever drives it).
  mon().Pannel_Inc_Click();
  EXPECT_EQ(mon().MonitorPage, 3);
  cmd("click Realout.Pannel_Dec");
  EXPECT_EQ(mon().MonitorPage, 2);
  mon().Pannel_Dec_Click();
  mon().Pannel_Dec_Click();
  mon().Pannel_Dec_Click();
  EXPECT_EQ(mon().MonitorPage, 0);
  EXPECT_FALSE(mon().Pannel_Dec.Enabled());
}

TEST_F(Monitor, PageThreeShowsSlots430To512AndHidesTheRest) {
  cmd("show Realout");
  for (int i = 0; i < 3; ++i) mon().Pannel_Inc_Click();
  EXPECT_EQ(S().MonitorFirst, 429);
  EXPECT_EQ(mon().Label1[0].Caption(), "430");
  EXPECT_EQ(mon().Label1[82].Caption(), "512");
  EXPECT_TRUE(mon().ProgBar1[82].Visible());
  int hidden = 0;
  for (int k = 0; k < Realout::kBars; ++k)
    if (!mon().ProgBar1[k].Visible()) {
      ++hidden;
      EXPECT_FALSE(mon().Label1[k].Visible()) << k;
      EXPECT_GE(k, 83);
    }
  EXPECT_EQ(hidden, 61);
  // The title names the last slot that exists, not the page's arithmetic end.
  EXPECT_EQ(mon().Caption(), " Real DMX Output  Ch 430   -  Ch 512");
  // Back on page 0 every bar is shown again.
  for (int i = 0; i < 3; ++i) mon().Pannel_Dec_Click();
  for (int k = 0; k < Realout::kBars; ++k) {
    EXPECT_TRUE(mon().ProgBar1[k].Visible()) << k;
    EXPECT_TRUE(mon().Label1[k].Visible()) << k;
  }
}

TEST_F(Monitor, HintNamesTheFeedingDeskChannelOrZero) {
  S().PatchTable[4] = 12;
  S().PatchTable[5] = 0;
  cmd("show Realout");
  EXPECT_EQ(mon().ProgBar1[4].ToolTipText(), " Output  5 From Desk Channel  12");
  EXPECT_EQ(mon().ProgBar1[5].ToolTipText(), " Output  6 From Desk Channel  0");
  EXPECT_EQ(get("Realout.ProgBar1(4).ToolTipText"), "\" Output  5 From Desk Channel  12\"");
  // The hint follows the page: slot 5 is bar 4 only on page 0.
  mon().Pannel_Inc_Click();
  EXPECT_EQ(mon().ProgBar1[0].ToolTipText(), " Output  144 From Desk Channel  0");
}

TEST_F(Monitor, TickWritesTheBarsOfThePageShown) {
  patchSlotToChannel(4, 12, 200);
  cmd("set Hoofdblad.channels 0");
  cmd("set Playdesk.Main 0");
  cmd("show Realout");
  tick();
  ASSERT_EQ(S().DmxFrame[4], 200);
  EXPECT_EQ(mon().ProgBar1[4].Value(), 200);
  EXPECT_EQ(mon().ProgBar1[5].Value(), 0);  // unpatched stays at 0
  // On page 3 the bar of frame index 500 is bar 71; nothing lands beyond 511.
  patchSlotToChannel(500, 3, 77);
  for (int i = 0; i < 3; ++i) mon().Pannel_Inc_Click();
  tick();
  EXPECT_EQ(mon().ProgBar1[500 - 429].Value(), 77);
  for (int k = 83; k < Realout::kBars; ++k) EXPECT_EQ(mon().ProgBar1[k].Value(), 0) << k;
}

TEST_F(Monitor, TickLeavesTheBarsAloneWhileTheMonitorIsClosedOrHidden) {
  patchSlotToChannel(0, 1, 150);
  cmd("set Hoofdblad.channels 0");
  cmd("set Playdesk.Main 0");
  tick();
  EXPECT_EQ(mon().ProgBar1[0].Value(), 0);  // never opened
  cmd("show Realout");
  tick();
  EXPECT_EQ(mon().ProgBar1[0].Value(), 150);
  const uint64_t rev = mon().revision();
  tick();
  EXPECT_EQ(mon().revision(), rev);  // nothing changed, nothing written
  EXPECT_EQ(cmd("click Realout.Command1"), "ok");
  EXPECT_FALSE(mon().Loaded());
  S().DeskLevels[0] = 20;
  tick();
  EXPECT_EQ(mon().ProgBar1[0].Value(), 150);
  cmd("show Realout");
  mon().Hide();
  tick();
  EXPECT_EQ(mon().ProgBar1[0].Value(), 150);
}

TEST_F(Monitor, ReopeningStartsOnPageZero) {
  cmd("show Realout");
  mon().Pannel_Inc_Click();
  mon().Pannel_Inc_Click();
  mon().Command1_Click();
  cmd("show Realout");
  EXPECT_EQ(mon().MonitorPage, 0);
  EXPECT_EQ(S().MonitorFirst, 0);
}

TEST_F(Monitor, ButtonsShowTheOtherDesks) {
  cmd("show Realout");
  desk->playdesk().Hide();
  EXPECT_EQ(cmd("click Realout.Command21"), "ok");
  EXPECT_TRUE(desk->playdesk().Visible());
  desk->hoofdblad().Hide();
  EXPECT_EQ(cmd("click Realout.Command20"), "ok");
  EXPECT_TRUE(desk->hoofdblad().Visible());
  EXPECT_TRUE(mon().Visible());
}

TEST_F(Monitor, PageSetFromOutsideIsHeldToTheFourPages) {
  cmd("show Realout");
  mon().MonitorPage = 9;
  mon().ShowMonitor();
  EXPECT_EQ(mon().MonitorPage, 3);
  EXPECT_EQ(S().MonitorFirst, 429);
  mon().MonitorPage = -4;
  mon().ShowMonitor();
  EXPECT_EQ(mon().MonitorPage, 0);
}

}  // namespace
}  // namespace lumora
