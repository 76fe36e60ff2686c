// The parallel-port, DMX 3-1 and Corvex send steps on simulated devices, the
// AdapterLost rule, and the library loaders with missing libraries.
#include <gtest/gtest.h>
#include <unistd.h>

#include "desk_fixture.h"
#include "platform/corvex_loader.h"
#include "platform/parport.h"
#include "platform/tribus31.h"

namespace lumora {
namespace {

class AdapterTest : public testing::DeskTest {
 protected:
  // Distinct levels on the 64 patched slots: slot n carries (3n) % 256.
  void fillFrame() {
    for (int i = 0; i < 64; ++i) ASSERT_EQ(cmd("set DeskLevels(" + std::to_string(i) + ") " + std::to_string((3 * (i + 1)) % 256)), "ok");
  }
  std::vector<std::pair<uint16_t, uint8_t>> writes() {
    return dynamic_cast<ParallelPortSim&>(*desk->platform().parport).takeWrites();
  }
  // The exact byte protocol of one frame of `slots` slots at `base`.
  std::vector<std::pair<uint16_t, uint8_t>> expected(uint16_t base, int slots) {
    const auto c = static_cast<uint16_t>(base + 2);
    std::vector<std::pair<uint16_t, uint8_t>> w{{c, 3}, {c, 1}};
    for (int n = 0; n < slots; ++n) {
      w.push_back({base, S().DmxFrame[static_cast<std::size_t>(n)]});
      w.push_back({c, 0});
      w.push_back({c, 1});
    }
    w.push_back({c, 1});
    return w;
  }
  int boxes() {
    int n = 0;
    for (auto& l : lastEvents) n += l.find("\"title\":\" DMX ERROR\"") != std::string::npos &&
                                    l.find("\"icon\":\"exclamation\"") != std::string::npos;
    return n;
  }
};

TEST_F(AdapterTest, NoneSendsNothing) {
  fillFrame();
  get("Sim.Ftdi.Calls");
  tick();
  EXPECT_TRUE(writes().empty());
  EXPECT_EQ(get("Sim.Ftdi.Calls"), "[]");
}

TEST_F(AdapterTest, MarwickClocksOutExactly65Slots) {
  fillFrame();
  ASSERT_EQ(cmd("set AdapterType 1"), "ok");
  tick();
  ASSERT_EQ(S().DmxFrame[0], 3);
  EXPECT_EQ(writes(), expected(888, 65));
}

TEST_F(AdapterTest, ManolatorAt632Clocks255SlotsThroughPort634) {
  fillFrame();
  ASSERT_EQ(cmd("set AdapterType 4"), "ok");
  ASSERT_EQ(cmd("set PortAddress 632"), "ok");
  tick();
  const auto w = writes();
  EXPECT_EQ(w, expected(632, 255));
  EXPECT_EQ(w.size(), 3u * 255 + 3);
}

TEST_F(AdapterTest, ConsoleReadsPortWritesOnceAsPairs) {
  ASSERT_EQ(cmd("set AdapterType 1"), "ok");
  tick();
  const std::string w = get("Sim.Port.Writes");
  EXPECT_EQ(w.rfind("[[890,3],[890,1],[888,0],[890,0],[890,1],", 0), 0u) << w.substr(0, 80);
  EXPECT_EQ(get("Sim.Port.Writes"), "[]");
}

TEST_F(AdapterTest, Tribus31PresentReceivesTheFrame) {
  fillFrame();
  ASSERT_EQ(cmd("sim tribus31 present 1"), "ok");
  ASSERT_EQ(cmd("set AdapterType 2"), "ok");
  tick();
  EXPECT_EQ(boxes(), 0);
  EXPECT_EQ(get("AdapterType"), "2");
  const std::string f = get("Sim.Tribus31.LastFrame");
  EXPECT_EQ(f.rfind("[3,6,9,", 0), 0u) << f.substr(0, 40);
  EXPECT_EQ(std::count(f.begin(), f.end(), ','), 511);
}

TEST_F(AdapterTest, Tribus31AbsentWarnsTwiceAndSwitchesOutputOff) {
  ASSERT_EQ(cmd("set AdapterType 2"), "ok");
  tick();
  EXPECT_EQ(boxes(), 2);
  ASSERT_FALSE(lastEvents.empty());
  EXPECT_NE(lastEvents[0].find("\"text\":\" 3-1 DMX Adapter Not Connected or Not Responding\""), std::string::npos);
  EXPECT_EQ(get("AdapterType"), "0");
  EXPECT_EQ(get("Hoofdblad.Status"), "\" 3-1 Adapter Not connected ot not responding\"");
  EXPECT_EQ(get("Playdesk.Status"), "\" 3-1 Adapter Not connected ot not responding\"");
  tick();
  EXPECT_EQ(boxes(), 0);
}

TEST_F(AdapterTest, CorvexPresentGetsTheFrameInItsGroups) {
  fillFrame();
  ASSERT_EQ(cmd("sim corvex present 1"), "ok");
  ASSERT_EQ(cmd("set AdapterType 5"), "ok");
  tick();
  EXPECT_EQ(boxes(), 0);
  auto& corvex = dynamic_cast<CorvexSim&>(*desk->platform().corvex);
  const auto& p = corvex.lastPacket();
  for (std::size_t k = 0; k < 74; ++k) ASSERT_EQ(p[8 * k], k) << "group number " << k;
  for (std::size_t n = 0; n < 512; ++n) ASSERT_EQ(p[8 * (n / 7) + 1 + n % 7], S().DmxFrame[n]) << "slot " << n + 1;
  EXPECT_EQ(p[1], 3);  // slot 1
  EXPECT_EQ(p[9], S().DmxFrame[7]);  // slot 8 opens group 1
  for (std::size_t b = 586; b < 592; ++b) EXPECT_EQ(p[b], 0) << b;  // past slot 512
  const std::string j = get("Sim.Corvex.LastPacket");
  EXPECT_EQ(j.rfind("[0,3,6,9,12,15,18,21,1,24,", 0), 0u) << j.substr(0, 40);
}

TEST_F(AdapterTest, CorvexWithoutDeviceTakesEveryFrameAndCopiesNothing) {
  // The library never reports a missing device: command 4 answers 512 and
  // its buffer keeps what it had, so the adapter stays chosen.
  fillFrame();
  const std::string before = get("Sim.Corvex.LastPacket");
  ASSERT_EQ(cmd("show Portsetup"), "ok");
  ASSERT_EQ(cmd("set Portsetup.Combo1.ListIndex 5"), "ok");
  EXPECT_EQ(boxes(), 0);
  EXPECT_EQ(get("Portsetup.Adapter_Name"), "\" Quillonizer Corvex \"");
  ASSERT_EQ(cmd("set AdapterType 5"), "ok");
  tick();
  tick();
  EXPECT_EQ(boxes(), 0);
  EXPECT_EQ(get("AdapterType"), "5");
  EXPECT_EQ(get("Portsetup.Combo1.ListIndex"), "5");
  EXPECT_EQ(get("Hoofdblad.Status"), "\" Quillonizer Corvex Connecting.....\"");
  EXPECT_EQ(get("Sim.Corvex.LastPacket"), before);
  // A device plugged in later gets the next frame.
  ASSERT_EQ(cmd("sim corvex present 1"), "ok");
  tick();
  EXPECT_EQ(get("Sim.Corvex.LastPacket").rfind("[0,3,6,9,", 0), 0u);
}

TEST_F(AdapterTest, CorvexLibraryThatCannotBeLoadedRunsAdapterLostOnce) {
  ASSERT_EQ(cmd("sim corvex library 0"), "ok");
  ASSERT_EQ(cmd("set AdapterType 5"), "ok");
  tick();
  EXPECT_EQ(boxes(), 1);
  EXPECT_NE(lastEvents[0].find("\"text\":\" USB DMX Adapter Not Connected or Not Responding\""), std::string::npos);
  EXPECT_EQ(get("AdapterType"), "0");
  EXPECT_EQ(get("Hoofdblad.Status"), "\" USB DMX Adapter Not Connected or Not Responding\"");
  EXPECT_EQ(get("Playdesk.Status"), "\" USB DMX Adapter Not Connected or Not Responding\"");
  tick();
  EXPECT_EQ(boxes(), 0);
}

TEST_F(AdapterTest, AdapterLostPutsTheOpenDialogBackToNone) {
  ASSERT_EQ(cmd("sim corvex library 0"), "ok");
  ASSERT_EQ(cmd("show Portsetup"), "ok");
  ASSERT_EQ(cmd("set Portsetup.Combo1 5"), "ok");
  ASSERT_EQ(cmd("set AdapterType 5"), "ok");
  tick();
  EXPECT_EQ(boxes(), 1);
  EXPECT_EQ(get("Portsetup.Combo1.ListIndex"), "0");
  EXPECT_EQ(get("Portsetup.Adapter_Name"), "\" None \"");
  EXPECT_EQ(get("SelectedType"), "0");
  EXPECT_EQ(get("Hoofdblad.Status"), "\" NO DMX OUT\"");
}

TEST_F(AdapterTest, SimCommandsCheckTheirArguments) {
  EXPECT_EQ(cmd("sim corvex present yes").rfind("err", 0), 0u);
  EXPECT_EQ(cmd("sim corvex library maybe").rfind("err", 0), 0u);
  EXPECT_EQ(cmd("sim tribus31 absent").rfind("err", 0), 0u);
  EXPECT_EQ(cmd("sim nothing"), "err unknown sim command nothing");
}

TEST(Loaders, MissingOrForeignLibrariesFailSafely) {
  std::array<uint8_t, 1024> buf{};
  for (const char* file : {"/nonexistent/libcorvex.so", "libc.so.6"}) {
    auto corvex = MakeCorvexLibrary(file);
    EXPECT_EQ(corvex->QuillonCommand(4, 512, buf.data()), kCorvexUnbound) << file;
    EXPECT_EQ(corvex->QuillonCommand(4, 512, buf.data()), kCorvexUnbound) << file;  // retried, still safe
  }
  for (const char* file : {"/nonexistent/libtribus31.so", "libc.so.6"}) {
    auto t = MakeTribus31Library(file);
    EXPECT_NE(t->Tribus31Read(888, 0, buf.data()), 0) << file;
    EXPECT_NE(t->Tribus31Write(888, 0, buf.data()), 0) << file;
  }
}

TEST(Loaders, LibraryFileNamesFollowTheirVariables) {
  ::unsetenv("LUMORA_CORVEX_LIBRARY");
  ::unsetenv("LUMORA_TRIBUS31_LIBRARY");
  EXPECT_EQ(CorvexLibraryFile(), "libcorvex.so");
  EXPECT_EQ(Tribus31LibraryFile(), "libtribus31.so");
  ::setenv("LUMORA_CORVEX_LIBRARY", "/opt/x/libcorvex.so", 1);
  EXPECT_EQ(CorvexLibraryFile(), "/opt/x/libcorvex.so");
  ::unsetenv("LUMORA_CORVEX_LIBRARY");
}

TEST(Loaders, RealDeskWithoutCorvexLibrarySwitchesOff) {
  ::setenv("LUMORA_CORVEX_LIBRARY", "/nonexistent/libcorvex.so", 1);
  ConsoleDialogs dialogs;
  DeskOptions o;
  o.manualClock = true;
  Desk desk(o, dialogs);
  ::unsetenv("LUMORA_CORVEX_LIBRARY");
  Console console(desk, dialogs);
  desk.Start();
  console.execute("set AdapterType 5");
  auto out = console.execute("tick");
  EXPECT_EQ(out.size(), 2u);  // the message box, then ok
  EXPECT_EQ(desk.state.AdapterType, 0);
}

TEST(Ppdev, AddressesMapToDeviceAndRegister) {
  EXPECT_EQ(PpdevTarget(888), std::make_pair(0, 0));
  EXPECT_EQ(PpdevTarget(890), std::make_pair(0, 2));
  EXPECT_EQ(PpdevTarget(632), std::make_pair(1, 0));
  EXPECT_EQ(PpdevTarget(634), std::make_pair(1, 2));
  EXPECT_EQ(PpdevTarget(700).first, -1);
  // With no port on this machine writes vanish without harm (a machine with
  // a real port is left alone).
  if (::access("/dev/parport0", F_OK) == 0) return;
  auto port = MakePpdevPort();
  for (int i = 0; i < 10; ++i) port->Out32(890, 3);
}

}  // namespace
}  // namespace lumora
