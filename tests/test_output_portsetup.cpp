// The adapter setup dialog driven through the console on simulated devices:
// what each choice shows and does, the rate, the port, save and cancel.
#include <gtest/gtest.h>

#include "desk_fixture.h"

namespace lumora {
namespace {

class PortsetupTest : public testing::DeskTest {
 protected:
  PortsetupTest() { EXPECT_EQ(cmd("show Portsetup"), "ok"); }
  void choose(int index) { ASSERT_EQ(cmd("set Portsetup.Combo1 " + std::to_string(index)), "ok"); }
  std::string vis(const std::string& c) { return get("Portsetup." + c + ".Visible"); }
  std::string en(const std::string& c) { return get("Portsetup." + c + ".Enabled"); }
  void expectStatus(const std::string& json) {
    EXPECT_EQ(get("Hoofdblad.Status"), json);
    EXPECT_EQ(get("Playdesk.Status"), json);
  }
  // Port group, rate group, USB status box.
  void expectGroups(bool port, bool rate, bool usb) {
    const std::string p = port ? "true" : "false", r = rate ? "true" : "false";
    for (const char* c : {"Label2", "Option1", "Option2", "Label1(0)", "Label1(1)"}) EXPECT_EQ(vis(c), p) << c;
    for (const char* c : {"Label3", "Text1", "HScroll1"}) EXPECT_EQ(vis(c), r) << c;
    EXPECT_EQ(vis("Text2"), usb ? "true" : "false");
  }
};

TEST_F(PortsetupTest, OpensWithTheSixAdaptersInOrderAndNoneSelected) {
  EXPECT_EQ(get("Portsetup.Caption"), "\"Set DMX Output Device\"");
  EXPECT_EQ(get("Portsetup.Combo1.ListCount"), "6");
  const char* texts[] = {"None", "Marwick's Adapter", "DMX 3-1 Adapter", "Open DMX USB Adapter",
                         "Manolator DMX Interface", "Quillonizer Corvex"};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(get("Portsetup.Combo1.List(" + std::to_string(k) + ")"), "\"" + std::string(texts[k]) + "\"");
  EXPECT_EQ(get("Portsetup.Combo1.ListIndex"), "0");
  EXPECT_EQ(get("Portsetup.Adapter_Name"), "\" None \"");
  expectGroups(false, false, false);
  EXPECT_EQ(en("Option1"), "false");
  EXPECT_EQ(en("Option2"), "false");
  EXPECT_EQ(en("HScroll1"), "false");
  expectStatus("\" NO DMX OUT\"");
  EXPECT_EQ(get("SelectedRate"), "70");
  EXPECT_EQ(get("Portsetup.Label1(0)"), "\"LPT1  378h\"");
  EXPECT_EQ(get("Portsetup.Label1(1)"), "\"LPT2  278h\"");
}

TEST_F(PortsetupTest, ParallelChoicesShowPortAndRateWithTheirStatus) {
  choose(1);
  EXPECT_EQ(get("Portsetup.Adapter_Name"), "\" Marwicke DMX Adapter \"");
  expectGroups(true, true, false);
  EXPECT_EQ(en("Option1"), "true");
  EXPECT_EQ(en("HScroll1"), "true");
  EXPECT_EQ(get("Portsetup.Text1"), "\" 70 mS\"");
  EXPECT_EQ(get("Portsetup.HScroll1"), "70");
  EXPECT_EQ(get("Portsetup.Option1"), "1");
  EXPECT_EQ(get("Portsetup.Option2"), "0");
  expectStatus("\" Marwich Adapter Running\"");

  ASSERT_EQ(cmd("set Portsetup.HScroll1 120"), "ok");
  choose(4);
  EXPECT_EQ(get("Portsetup.Adapter_Name"), "\" Manolator DMX Interface \"");
  expectGroups(true, true, false);
  EXPECT_EQ(get("Portsetup.Text1"), "\" 120 mS\"");
  expectStatus("\" Manolator Connectd  120ms\"");
  EXPECT_EQ(get("AdapterType"), "0");  // takes effect on Save and Exit only
}

TEST_F(PortsetupTest, Tribus31ChoiceWakesTheAdapterAndFixesTheRate) {
  choose(1);
  ASSERT_EQ(cmd("set Portsetup.HScroll1 300"), "ok");
  get("Sim.Port.Writes");
  choose(2);
  EXPECT_EQ(get("Portsetup.Adapter_Name"), "\" Quillo DMX 3-1 Adapter \"");
  expectGroups(true, false, false);
  EXPECT_EQ(en("Option1"), "true");
  EXPECT_EQ(en("HScroll1"), "false");
  expectStatus("\" Quillo 3-1 Adapter - NO DMX OUT\"");
  EXPECT_EQ(get("Sim.Port.Writes"), "[[890,3],[890,1],[888,255]]");
  EXPECT_EQ(get("SelectedRate"), "70");
  choose(1);  // the fixed rate carries over to a parallel choice
  EXPECT_EQ(get("Portsetup.Text1"), "\" 70 mS\"");
}

TEST_F(PortsetupTest, Tribus31WakeUpUsesTheChosenPort) {
  ASSERT_EQ(cmd("click Portsetup.Option2"), "err control is disabled");  // "None" disables the port
  choose(4);
  ASSERT_EQ(cmd("click Portsetup.Option2"), "ok");
  get("Sim.Port.Writes");
  choose(2);
  EXPECT_EQ(get("Sim.Port.Writes"), "[[634,3],[634,1],[632,255]]");
  EXPECT_EQ(get("Portsetup.Option2"), "1");
  EXPECT_EQ(get("Portsetup.Option1"), "0");
}

TEST_F(PortsetupTest, CorvexChoiceShowsOnlyTheStatusBox) {
  choose(3);
  choose(5);
  EXPECT_EQ(get("Portsetup.Adapter_Name"), "\" Quillonizer Corvex \"");
  expectGroups(false, false, true);
  EXPECT_EQ(en("HScroll1"), "false");
  EXPECT_EQ(get("Portsetup.Text2"), "\"\"");  // no stale USB status
  expectStatus("\" Quillonizer Corvex Connecting.....\"");
}

TEST_F(PortsetupTest, OpenDmxChoiceOpensTheDeviceAndSelectsAtOnce) {
  choose(3);
  EXPECT_EQ(get("Portsetup.Adapter_Name"), "\" Open DMX USB Adapter \"");
  expectGroups(false, false, true);
  EXPECT_EQ(en("Option1"), "false");
  EXPECT_EQ(en("HScroll1"), "false");
  EXPECT_EQ(get("Portsetup.Text2"), "\"Connected\"");
  expectStatus("\" Open USB Connected\"");
  EXPECT_EQ(get("AdapterType"), "3");
  EXPECT_EQ(get("SelectedRate"), "40");
  EXPECT_EQ(get("UsbQuiet"), "-1");
  EXPECT_EQ(get("Sim.Ftdi.Open"), "1");
  EXPECT_TRUE(lastEvents.empty());  // quiet before the open: no information box
}

TEST_F(PortsetupTest, OpenDmxChoiceWithoutDeviceSearches) {
  ASSERT_EQ(cmd("sim ftdi present 0"), "ok");
  choose(3);
  EXPECT_EQ(get("Portsetup.Text2"), "\"Searching...\"");
  expectStatus("\" Open USB Searching.......\"");
  EXPECT_EQ(get("UsbLastError"), "1");
  EXPECT_EQ(get("AdapterType"), "3");
  EXPECT_TRUE(lastEvents.empty());
}

TEST_F(PortsetupTest, OpenDmxChoiceWithoutDriverSaysNotFound) {
  ASSERT_EQ(cmd("sim ftdi driver 0"), "ok");
  get("Sim.Ftdi.Calls");
  choose(3);
  EXPECT_EQ(get("Portsetup.Text2"), "\"USB Driver not Found\"");
  expectStatus("\" Open USB Not Found !\"");
  EXPECT_EQ(get("UsbConnected"), "0");
  EXPECT_EQ(get("AdapterType"), "3");
  EXPECT_EQ(get("Sim.Ftdi.Calls"), "[]");
}

TEST_F(PortsetupTest, SaveAndExitSetsAdapterRateAndProjectChanged) {
  choose(1);
  ASSERT_EQ(cmd("set Portsetup.HScroll1 10"), "ok");
  EXPECT_EQ(get("Portsetup.Text1"), "\" 10 mS\"");
  ASSERT_EQ(cmd("click Portsetup.Command1"), "ok");
  EXPECT_EQ(get("AdapterType"), "1");
  EXPECT_EQ(get("Hoofdblad.Timer1.Interval"), "10");
  EXPECT_EQ(get("ProjectChanged"), "-1");
  EXPECT_EQ(get("Portsetup.Visible"), "false");
  // The tick now runs every 10 ms: 5 frames of 3 * 65 + 3 port writes in 50 ms.
  get("Sim.Port.Writes");
  ASSERT_EQ(cmd("advance 50"), "ok");
  const std::string w = get("Sim.Port.Writes");
  EXPECT_EQ(std::count(w.begin(), w.end(), '['), 1 + 5 * (3 * 65 + 3));
}

TEST_F(PortsetupTest, CancelKeepsWhatTheSelectionDid) {
  choose(3);
  ASSERT_EQ(cmd("click Portsetup.Command2"), "ok");
  EXPECT_EQ(get("Portsetup.Visible"), "false");
  EXPECT_EQ(get("AdapterType"), "3");
  EXPECT_EQ(get("Sim.Ftdi.Open"), "1");
  EXPECT_EQ(get("Hoofdblad.Timer1.Interval"), "70");
  EXPECT_EQ(get("ProjectChanged"), "0");

  ASSERT_EQ(cmd("show Portsetup"), "ok");
  choose(4);
  ASSERT_EQ(cmd("click Portsetup.Option2"), "ok");
  ASSERT_EQ(cmd("click Portsetup.Command2"), "ok");
  EXPECT_EQ(get("AdapterType"), "3");  // the choice of 4 is dropped
  EXPECT_EQ(get("PortAddress"), "632");  // the port stays
}

TEST_F(PortsetupTest, PortOptionMovesTheVeryNextTick) {
  choose(1);
  ASSERT_EQ(cmd("click Portsetup.Command1"), "ok");
  ASSERT_EQ(cmd("show Portsetup"), "ok");
  EXPECT_EQ(get("Portsetup.Adapter_Name"), "\" Marwicke DMX Adapter \"");
  ASSERT_EQ(cmd("set Portsetup.Option2 1"), "ok");
  EXPECT_EQ(get("PortAddress"), "632");
  get("Sim.Port.Writes");
  tick();
  const std::string w = get("Sim.Port.Writes");
  EXPECT_EQ(w.rfind("[[634,3],[634,1],[632,", 0), 0u) << w.substr(0, 60);
  EXPECT_EQ(w.find("888"), std::string::npos);
  ASSERT_EQ(cmd("click Portsetup.Option1"), "ok");
  EXPECT_EQ(get("PortAddress"), "888");
  EXPECT_EQ(get("Portsetup.Option2"), "0");
}

TEST_F(PortsetupTest, ReopeningWithTheUsbAdapterRunningStaysConnected) {
  choose(3);
  ASSERT_EQ(cmd("click Portsetup.Command1"), "ok");
  tick();
  ASSERT_EQ(cmd("show Portsetup"), "ok");
  EXPECT_EQ(get("Portsetup.Text2"), "\"Connected\"");
  EXPECT_EQ(get("Hoofdblad.Status"), "\" Open USB Connected\"");
  const std::string before = get("Sim.Ftdi.Frames");
  tick();
  EXPECT_EQ(std::stol(get("Sim.Ftdi.Frames")), std::stol(before) + 1);
}

TEST_F(PortsetupTest, AdapterValueOutsideTheListOpensAsNone) {
  ASSERT_EQ(cmd("unload Portsetup"), "ok");
  ASSERT_EQ(cmd("set AdapterType 9"), "ok");
  ASSERT_EQ(cmd("show Portsetup"), "ok");
  EXPECT_EQ(get("Portsetup.Adapter_Name"), "\" None \"");
  ASSERT_EQ(cmd("click Portsetup.Command1"), "ok");
  EXPECT_EQ(get("AdapterType"), "0");
}

TEST_F(PortsetupTest, MainDeskMenuOpensTheDialog) {
  ASSERT_EQ(cmd("unload Portsetup"), "ok");
  ASSERT_EQ(cmd("click Hoofdblad.port_setup"), "ok");
  EXPECT_EQ(get("Portsetup.Visible"), "true");
}

}  // namespace
}  // namespace lumora
