// The Open DMX USB driver: the open sequence and its failure codes, the frame
// on the line, quiet mode, the connection supervision, and the libftdi1 and
// D2XX backends without hardware.
#include <gtest/gtest.h>

#include <chrono>

#include "desk/hoofdblad.h"
#include "desk_fixture.h"
#include "output/opendmx.h"
#include "platform/ftdi_sim.h"
#include "playback/playdesk.h"

namespace lumora {
namespace {

// A simulated device that can also fail one purge direction or one write
// length, which the console's `sim ftdi fail` cannot single out.
class ScriptedFtdi final : public FtdiApi {
 public:
  FtdiSim sim;
  uint32_t failPurgeMask = 0;
  int failWriteLength = -1;

  bool DriverPresent() override { return sim.DriverPresent(); }
  std::string Describe() const override { return sim.Describe(); }
  FtStatus FT_Open(int i, FtHandle& h) override { return sim.FT_Open(i, h); }
  FtStatus FT_ResetDevice(FtHandle h) override { return sim.FT_ResetDevice(h); }
  FtStatus FT_SetDivisor(FtHandle h, uint16_t d) override { return sim.FT_SetDivisor(h, d); }
  FtStatus FT_SetDataCharacteristics(FtHandle h, uint8_t w, uint8_t s, uint8_t p) override {
    return sim.FT_SetDataCharacteristics(h, w, s, p);
  }
  FtStatus FT_SetFlowControl(FtHandle h, uint16_t f, uint8_t a, uint8_t b) override {
    return sim.FT_SetFlowControl(h, f, a, b);
  }
  FtStatus FT_ClrRts(FtHandle h) override { return sim.FT_ClrRts(h); }
  FtStatus FT_Purge(FtHandle h, uint32_t m) override {
    FtStatus st = sim.FT_Purge(h, m);
    return (m & failPurgeMask) ? kFtIoError : st;
  }
  FtStatus FT_Close(FtHandle h) override { return sim.FT_Close(h); }
  FtStatus FT_SetBreakOn(FtHandle h) override { return sim.FT_SetBreakOn(h); }
  FtStatus FT_SetBreakOff(FtHandle h) override { return sim.FT_SetBreakOff(h); }
  FtStatus FT_Write(FtHandle h, const uint8_t* d, uint32_t n, uint32_t& w) override {
    if (static_cast<int>(n) == failWriteLength) {
      sim.takeCalls();
      w = 0;
      return kFtIoError;
    }
    return sim.FT_Write(h, d, n, w);
  }
  void LineWait(std::chrono::microseconds us) override { sim.LineWait(us); }
};

class DriverTest : public testing::DeskTest {
 protected:
  DriverTest() : fake(std::make_shared<ScriptedFtdi>()), usb(*desk, fake) {}
  std::string mainStatus() { return desk->hoofdblad().Status.Text(); }
  std::string playStatus() { return desk->playdesk().Status.Text(); }
  std::shared_ptr<ScriptedFtdi> fake;
  OpenDmx usb;
};

TEST_F(DriverTest, OpenConfiguresTheLineForDmx) {
  usb.UsbStatus(1);
  usb.UsbOpen();
  EXPECT_EQ(usb.UsbLastError, 0);
  EXPECT_EQ(usb.UsbIsOpen, -1);
  EXPECT_EQ(fake->sim.divisor(), 12);  // 3 MHz / 12 = 250 000 baud
  EXPECT_EQ(fake->sim.lineSettings(), (std::array<int, 3>{8, 2, 0}));
  EXPECT_EQ(fake->sim.takeCalls(),
            (std::vector<std::string>{"FT_Open", "FT_ResetDevice", "FT_SetDivisor", "FT_SetDataCharacteristics",
                                      "FT_SetFlowControl", "FT_ClrRts", "FT_Purge", "FT_Purge"}));
}

TEST_F(DriverTest, EachFailingOpenStepLeavesItsCodeQuietly) {
  const std::pair<const char*, int> steps[] = {
      {"FT_Open", 1},           {"FT_ResetDevice", 2}, {"FT_SetDivisor", 3}, {"FT_SetDataCharacteristics", 4},
      {"FT_SetFlowControl", 5}, {"FT_ClrRts", 6},      {"FT_Purge", 7}};
  usb.UsbStatus(1);
  for (auto [call, code] : steps) {
    fake->sim.heal();
    usb.UsbClose();  // a step after FT_Open leaves the handle open
    fake->sim.fail(call);
    usb.UsbOpen();
    EXPECT_EQ(usb.UsbLastError, code) << call;
    EXPECT_EQ(usb.UsbIsOpen, 0) << call;
    EXPECT_EQ(usb.UsbStatus(1), code) << call;
  }
  EXPECT_TRUE(dialogs.takeEvents().empty());
  fake->sim.heal();
  usb.UsbClose();
  fake->failPurgeMask = kFtPurgeRx;
  usb.UsbOpen();
  EXPECT_EQ(usb.UsbLastError, 8);
  EXPECT_EQ(usb.UsbIsOpen, 0);
  usb.UsbClose();
  EXPECT_EQ(usb.UsbLastError, 0);
  usb.UsbClose();  // the handle is gone now
  EXPECT_EQ(usb.UsbLastError, 9);
  EXPECT_EQ(usb.UsbIsOpen, 0);
}

TEST_F(DriverTest, FailuresWithQuietOffShowTheirMessageAndStatus) {
  fake->sim.setPresent(false);
  usb.UsbOpen();
  auto ev = dialogs.takeEvents();
  ASSERT_EQ(ev.size(), 1u);
  EXPECT_NE(ev[0].find("\"text\":\"Open Failed!\""), std::string::npos) << ev[0];
  EXPECT_NE(ev[0].find("\"buttons\":\"ok\""), std::string::npos);
  EXPECT_EQ(mainStatus(), "Open USB Device Failed! ");
  EXPECT_EQ(playStatus(), "Open USB Device Failed!");
  // The failure is recorded even though it was shown.
  EXPECT_EQ(usb.UsbLastError, 1);

  fake->sim.setPresent(true);
  fake->sim.fail("FT_SetDivisor");
  usb.UsbOpen();
  ev = dialogs.takeEvents();
  ASSERT_EQ(ev.size(), 1u);
  EXPECT_NE(ev[0].find("Failed To Set Baud Rate!"), std::string::npos);
  EXPECT_EQ(mainStatus(), "Open USB Device Baudrate Failed! ");

  fake->sim.heal();
  usb.UsbReset();  // the handle from the half-done open is still valid
  EXPECT_TRUE(dialogs.takeEvents().empty());
  usb.UsbClose();
  usb.UsbReset();  // now stale
  ev = dialogs.takeEvents();
  ASSERT_EQ(ev.size(), 1u);
  EXPECT_NE(ev[0].find("Failed To Reset Device!"), std::string::npos);
  EXPECT_EQ(mainStatus(), "Failed To Reset USB Device! ");
  EXPECT_EQ(playStatus(), "Failed To Reset USB Device!");
  usb.UsbClose();
  ev = dialogs.takeEvents();
  ASSERT_EQ(ev.size(), 1u);
  EXPECT_NE(ev[0].find("\"text\":\"Close Failed\""), std::string::npos);
  EXPECT_EQ(mainStatus(), "Failed To Close USB Device! ");
}

TEST_F(DriverTest, SuccessfulOpenWithQuietOffAnnouncesTheDriver) {
  usb.UsbOpen();
  auto ev = dialogs.takeEvents();
  ASSERT_EQ(ev.size(), 1u);
  EXPECT_NE(ev[0].find("\"icon\":\"information\""), std::string::npos) << ev[0];
}

TEST_F(DriverTest, FrameIsBreakStartCodeAndSlotsWithGuaranteedTiming) {
  usb.UsbStatus(1);
  usb.UsbOpen();
  fake->sim.takeCalls();
  std::array<uint8_t, 513> frame{};
  for (int k = 0; k < 513; ++k) frame[k] = static_cast<uint8_t>(k * 7);
  usb.UsbSetStartCode(0);
  usb.UsbSetData(frame.data());
  usb.UsbSend();
  EXPECT_EQ(usb.UsbLastError, 0);
  EXPECT_EQ(fake->sim.takeCalls(),
            (std::vector<std::string>{"FT_SetBreakOn", "FT_SetBreakOff", "FT_Write", "FT_Write"}));
  EXPECT_EQ(fake->sim.takeWaits(), (std::vector<int>{110, 16}));  // break, then mark after break
  EXPECT_EQ(fake->sim.frames(), 1);
  const auto& line = fake->sim.lastFrame();
  EXPECT_EQ(line[0], 0);  // start code
  for (int k = 0; k < 512; ++k) ASSERT_EQ(line[k + 1], frame[k]) << "slot " << k + 1;
}

TEST_F(DriverTest, StartCodeFailureDoesNotStopTheSlotWrite) {
  usb.UsbStatus(1);
  usb.UsbOpen();
  usb.UsbSetStartCode(0);
  fake->failWriteLength = 1;
  usb.UsbSend();
  EXPECT_EQ(usb.UsbLastError, 10);
  EXPECT_EQ(fake->sim.takeCalls().back(), "FT_Write");  // the 512 slots went out
  fake->failWriteLength = -1;
  fake->sim.fail("FT_Write");
  usb.UsbSend();
  EXPECT_EQ(usb.UsbLastError, 11);
}

TEST_F(DriverTest, SendBeforeAnyOpenWritesNothingAndKeepsTheCode) {
  usb.UsbStatus(1);
  fake->sim.setPresent(false);
  usb.UsbOpen();
  fake->sim.takeCalls();
  usb.UsbSend();
  EXPECT_TRUE(fake->sim.takeCalls().empty());
  EXPECT_EQ(usb.UsbLastError, 1);
}

TEST_F(DriverTest, StatusSwitchesQuietModeAndReturnsTheCode) {
  EXPECT_EQ(usb.UsbQuiet, 0);
  EXPECT_EQ(usb.UsbStatus(0), 0);
  EXPECT_EQ(usb.UsbQuiet, 0);
  usb.UsbStatus(1);
  EXPECT_EQ(usb.UsbQuiet, -1);
}

// --- supervision through the console --------------------------------------

class SupervisionTest : public testing::DeskTest {
 protected:
  SupervisionTest() {
    cmd("show Portsetup");
    cmd("set Portsetup.Combo1 3");
    cmd("click Portsetup.Command1");
    tick();  // the first search runs once
    get("Sim.Ftdi.Calls");
  }
};

TEST_F(SupervisionTest, ConnectedTickSendsOneFrameOfFourCalls) {
  ASSERT_EQ(cmd("set DeskLevels(0) 200"), "ok");
  ASSERT_EQ(cmd("set DeskLevels(63) 17"), "ok");
  const long before = std::stol(get("Sim.Ftdi.Frames"));
  tick();
  EXPECT_EQ(get("Sim.Ftdi.Calls"), R"(["FT_SetBreakOn","FT_SetBreakOff","FT_Write","FT_Write"])");
  EXPECT_EQ(std::stol(get("Sim.Ftdi.Frames")), before + 1);
  const std::string f = get("Sim.Ftdi.LastFrame");
  EXPECT_EQ(f.substr(0, 9), "[0,200,0,");  // start code 0, then slot 1
  EXPECT_EQ(get("UsbStartCode"), "[0]");
  EXPECT_EQ(get("Hoofdblad.Status"), "\" Open USB Connected\"");
}

TEST_F(SupervisionTest, UnplugCostsOneFrameThenSearchesEveryTickUntilReplugged) {
  ASSERT_EQ(cmd("sim ftdi present 0"), "ok");
  const std::string frames = get("Sim.Ftdi.Frames");
  tick();  // the failed frame
  EXPECT_EQ(get("Sim.Ftdi.Calls"), R"(["FT_SetBreakOn","FT_SetBreakOff","FT_Write","FT_Write"])");
  EXPECT_EQ(get("Hoofdblad.Status"), "\" Open USB Searching\"");
  EXPECT_EQ(get("Playdesk.Status"), "\" Open USB Searching\"");
  EXPECT_EQ(get("UsbSearching"), "1");
  EXPECT_EQ(get("UsbConnected"), "0");
  for (int i = 0; i < 3; ++i) {
    tick();
    EXPECT_EQ(get("Sim.Ftdi.Calls"), R"(["FT_Close","FT_ResetDevice","FT_Open"])");
  }
  EXPECT_EQ(get("Sim.Ftdi.Frames"), frames);
  EXPECT_TRUE(lastEvents.empty());  // quiet: no boxes while searching

  ASSERT_EQ(cmd("sim ftdi present 1"), "ok");
  tick();  // reopens and sends in the same tick
  EXPECT_EQ(get("Hoofdblad.Status"), "\" Open USB Connected\"");
  EXPECT_EQ(get("UsbConnected"), "1");
  EXPECT_EQ(get("UsbSearching"), "0");
  EXPECT_EQ(std::stol(get("Sim.Ftdi.Frames")), std::stol(frames) + 1);
}

TEST_F(SupervisionTest, DialogShowsSearchingAndConnectedWhileOpen) {
  ASSERT_EQ(cmd("show Portsetup"), "ok");
  ASSERT_EQ(cmd("sim ftdi present 0"), "ok");
  tick();
  EXPECT_EQ(get("Portsetup.Text2"), "\"Searching...\"");
  ASSERT_EQ(cmd("sim ftdi present 1"), "ok");
  tick();
  EXPECT_EQ(get("Portsetup.Text2"), "\"Connected\"");
}

TEST_F(SupervisionTest, FailingWriteMovesToSearchingAndHealingReconnects) {
  ASSERT_EQ(cmd("sim ftdi fail FT_Write"), "ok");
  tick();
  EXPECT_EQ(get("UsbLastError"), "11");
  EXPECT_EQ(get("Hoofdblad.Status"), "\" Open USB Searching\"");
  tick();  // the open works, the frame fails again
  EXPECT_EQ(get("UsbSearching"), "1");
  ASSERT_EQ(cmd("sim ftdi heal"), "ok");
  tick();
  EXPECT_EQ(get("Hoofdblad.Status"), "\" Open USB Connected\"");
  EXPECT_EQ(get("UsbLastError"), "0");
}

TEST_F(SupervisionTest, OtherAdapterLeavesTheDeviceOpenAndExitClosesIt) {
  ASSERT_EQ(cmd("set AdapterType 0"), "ok");
  tick();
  EXPECT_EQ(get("Sim.Ftdi.Calls"), "[]");
  EXPECT_EQ(get("Sim.Ftdi.Open"), "1");
  ASSERT_EQ(cmd("queue answer ok"), "ok");  // Save and Exit left the project changed
  ASSERT_EQ(cmd("click Hoofdblad.eruit"), "ok");
  auto* sim = dynamic_cast<FtdiSim*>(desk->platform().ftdi.get());
  ASSERT_NE(sim, nullptr);
  EXPECT_FALSE(sim->isOpen());
  EXPECT_EQ(sim->takeCalls(), (std::vector<std::string>{"FT_Close"}));
}

TEST(OpenDmxProject, LoadedAdapterWithoutDeviceKeepsSearching) {
  // A project that selects the USB adapter: the first search runs with quiet
  // mode still off, so its failures are shown, and must still count.
  ConsoleDialogs dialogs;
  DeskOptions o;
  o.manualClock = true;
  o.sim = true;
  Desk desk(o, dialogs);
  Console console(desk, dialogs);
  desk.Start();
  console.execute("sim ftdi present 0");
  console.execute("set AdapterType 3");
  auto out = console.execute("tick");
  ASSERT_EQ(out.back(), "ok");
  int boxes = 0;
  for (auto& l : out) boxes += l.rfind("msgbox ", 0) == 0;
  EXPECT_EQ(boxes, 3);  // close, reset, open
  EXPECT_EQ(desk.hoofdblad().Status.Text(), " Open USB Searching");
  EXPECT_EQ(desk.state.UsbSearching, 1);
  console.execute("sim ftdi present 1");
  out = console.execute("tick");
  EXPECT_EQ(out.size(), 1u);  // quiet from now on
  EXPECT_EQ(desk.hoofdblad().Status.Text(), " Open USB Connected");
}

TEST(OpenDmxSim, EachFailingCallSelectedInTheDialogLeavesItsCode) {
  const std::pair<const char*, const char*> steps[] = {
      {"FT_Open", "1"},           {"FT_ResetDevice", "2"}, {"FT_SetDivisor", "3"}, {"FT_SetDataCharacteristics", "4"},
      {"FT_SetFlowControl", "5"}, {"FT_ClrRts", "6"},      {"FT_Purge", "7"}};
  for (auto [call, code] : steps) {
    ConsoleDialogs dialogs;
    DeskOptions o;
    o.manualClock = true;
    o.sim = true;
    Desk desk(o, dialogs);
    Console console(desk, dialogs);
    desk.Start();
    console.execute(std::string("sim ftdi fail ") + call);
    console.execute("show Portsetup");
    auto out = console.execute("set Portsetup.Combo1 3");
    EXPECT_EQ(out.size(), 1u) << call;  // quiet: no box
    EXPECT_EQ(console.execute("get UsbLastError").back(), std::string("ok ") + code) << call;
    EXPECT_EQ(console.execute("get UsbIsOpen").back(), "ok 0") << call;
    EXPECT_EQ(console.execute("get Portsetup.Text2").back(), "ok \"Searching...\"") << call;
  }
}

TEST(OpenDmxSim, ConsoleCommandsCheckTheirArguments) {
  ConsoleDialogs dialogs;
  DeskOptions o;
  o.manualClock = true;
  o.sim = true;
  Desk desk(o, dialogs);
  Console console(desk, dialogs);
  desk.Start();
  EXPECT_EQ(console.execute("sim ftdi fail FT_Nothing").back().rfind("err", 0), 0u);
  EXPECT_EQ(console.execute("sim ftdi present 2").back().rfind("err", 0), 0u);
  EXPECT_EQ(console.execute("sim ftdi").back().rfind("err", 0), 0u);
  EXPECT_EQ(console.execute("sim ftdi fail FT_ClrRts").back(), "ok");
  EXPECT_EQ(console.execute("sim ftdi heal").back(), "ok");
}

// --- real backends without hardware ---------------------------------------

TEST(LibFtdiBackend, WithoutADeviceEveryCallIsAFailureStatus) {
  auto ftdi = MakeLibFtdi();
  EXPECT_EQ(ftdi->Describe(), "libftdi1");
  FtHandle h = 0;
  const FtStatus st = ftdi->FT_Open(0, h);
  if (st == kFtOk) {  // an interface happens to be plugged in
    EXPECT_EQ(ftdi->FT_Close(h), kFtOk);
    return;
  }
  EXPECT_EQ(st, kFtDeviceNotFound);
  EXPECT_EQ(h, 0u);
  EXPECT_EQ(ftdi->FT_ResetDevice(h), kFtInvalidHandle);
  EXPECT_EQ(ftdi->FT_SetDivisor(h, 12), kFtInvalidHandle);
  EXPECT_EQ(ftdi->FT_SetDivisor(7, 0), kFtInvalidParameter);
  EXPECT_EQ(ftdi->FT_SetDataCharacteristics(h, 8, 2, 0), kFtInvalidHandle);
  EXPECT_EQ(ftdi->FT_SetDataCharacteristics(h, 9, 2, 0), kFtInvalidParameter);
  EXPECT_EQ(ftdi->FT_SetBreakOn(h), kFtInvalidHandle);
  uint32_t written = 99;
  const uint8_t b = 0;
  EXPECT_EQ(ftdi->FT_Write(h, &b, 1, written), kFtInvalidHandle);
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(ftdi->FT_Close(h), kFtInvalidHandle);
  EXPECT_EQ(ftdi->FT_Open(-1, h), kFtInvalidParameter);
}

TEST(D2xxBackend, MissingOrForeignLibraryFailsSafely) {
  for (const char* file : {"/nonexistent/libftd2xx.so", "libc.so.6"}) {
    auto ftdi = MakeD2xxFtdi(file);
    EXPECT_FALSE(ftdi->DriverPresent()) << file;
    FtHandle h = 0;
    EXPECT_NE(ftdi->FT_Open(0, h), kFtOk) << file;
    EXPECT_EQ(ftdi->FT_Close(h), kFtInvalidHandle);
  }
}

TEST(RealDesk, UsbChoiceWithoutInterfaceSaysSearching) {
  ConsoleDialogs dialogs;
  DeskOptions o;
  o.manualClock = true;
  o.sim = false;
  Desk desk(o, dialogs);
  Console console(desk, dialogs);
  desk.Start();
  FtHandle h = 0;
  if (desk.platform().ftdi->FT_Open(0, h) == kFtOk) {
    desk.platform().ftdi->FT_Close(h);
    GTEST_SKIP() << "an FTDI interface is plugged in";
  }
  console.execute("show Portsetup");
  console.execute("set Portsetup.Combo1 3");
  const std::string text = console.execute("get Portsetup.Text2").back();
  EXPECT_TRUE(text == "ok \"Searching...\"" || text == "ok \"USB Driver not Found\"") << text;
  console.execute("tick");
  EXPECT_EQ(desk.state.AdapterType, 3);
}

TEST(LineTiming, PreciseWaitLastsAtLeastTheRequestedTime) {
  for (auto us : {kDmxBreak, kDmxMarkAfterBreak}) {
    const auto t0 = std::chrono::steady_clock::now();
    PreciseWait(us);
    EXPECT_GE(std::chrono::steady_clock::now() - t0, us);
  }
}

}  // namespace
}  // namespace lumora
