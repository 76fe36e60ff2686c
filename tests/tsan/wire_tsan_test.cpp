// The wire thread under ThreadSanitizer: the UI thread computes frames from
// changing levels and submixes, publishes them with changing adapters and
// Art-Net ports, holds the adapter to touch devices itself, and reads the
// simulated devices, while the wire thread sends through every adapter.
// Any data race fails the run (halt_on_error).
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>

#include "core/desk_state.h"
#include "core/output_tick.h"
#include "output/adapters.h"
#include "output/health_meter.h"
#include "output/wire.h"
#include "output/wire_senders.h"
#include "platform/corvex_loader.h"
#include "platform/ftdi_sim.h"
#include "platform/parport.h"
#include "platform/tribus31.h"
#include "platform/udp_socket.h"

namespace lumora {
namespace {

TEST(WireTsan, UiThreadChangesLevelsSubmixesAndAdaptersWhileTheWireSends) {
  auto state = std::make_unique<DeskState>();
  DeskState& s = *state;
  for (int k = 0; k < 512; ++k) s.PatchTable[static_cast<std::size_t>(k)] = static_cast<int16_t>(k % 64 + 1);
  ParallelPortSim port;
  Tribus31Sim tribus;
  tribus.setPresent(true);
  FtdiSim ftdi;
  ftdi.setWireTime(true);
  CorvexSim corvex;
  corvex.setPresent(true);
  FakeUdpSocket socket;
  socket.Bind(6454);

  AdapterWire adapter(&port, &tribus, &ftdi, &corvex);
  ArtNetWire artnet(&socket);
  // The health tallies, counted on the wire and read here as the UI does.
  SendTally tally;
  adapter.setTally(&tally);
  artnet.setTally(&tally);
  WireThread wire;
  wire.add(&adapter);
  wire.add(&artnet);

  FtHandle handle = 0;
  ASSERT_EQ(ftdi.FT_Open(0, handle), kFtOk);
  uint32_t epoch = 0;
  int type = 1;
  TickMasters masters;
  long reports = 0;
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
  wire.Start();
  for (int n = 1; std::chrono::steady_clock::now() < until; ++n) {
    // Levels and a submix move every tick.
    s.DeskLevels[static_cast<std::size_t>(n % 64)] = static_cast<int16_t>(n % 256);
    s.CurrentSubmix = n % 3;
    s.Submixes[static_cast<std::size_t>(n % 3)].Channel[0] = static_cast<int16_t>(n % 64 + 1);
    s.Submixes[static_cast<std::size_t>(n % 3)].Level[0] = static_cast<int16_t>((n * 7) % 256);
    MixFrame(s, masters);
    if (n % 25 == 0) {
      type = type % 5 + 1;
      ++epoch;
    }
    if (n % 40 == 0) {
      // The UI thread's own device work, as the supervision does it.
      WireHold hold(&adapter);
      ftdi.FT_Close(handle);
      ASSERT_EQ(ftdi.FT_Open(0, handle), kFtOk);
      port.Out32(888 + 2, 3);
      ++epoch;
    }
    WireFrame& f = wire.exchange().back();
    f.tick = static_cast<uint64_t>(n);
    std::memcpy(f.slots.data(), s.DmxFrame.data(), f.slots.size());
    f.adapterType = type;
    f.portAddress = 888;
    f.periodMs = 2;
    f.adapterEpoch = epoch;
    f.usbSend = true;
    f.usbHandle = handle;
    f.usbStartCodeLength = 1;
    f.artOn = true;
    f.artPeriodMs = 3;
    f.artCount = static_cast<uint8_t>(n % 8 + 1);
    for (int u = 0; u < 8; ++u) f.artUniverses[static_cast<std::size_t>(u)] = static_cast<uint8_t>(u);
    std::strcpy(f.artBroadcast.data(), "10.255.255.255");
    wire.publish();
    // The readings the console takes.
    (void)port.takeWrites();
    (void)ftdi.frames();
    (void)ftdi.lastFrame();
    (void)ftdi.takeCalls();
    (void)tribus.lastFrame();
    (void)corvex.lastPacket();
    if (adapter.report().take().flags) ++reports;
    (void)tally.read();
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  wire.Stop();
  EXPECT_GT(wire.sends(), 100u);
  EXPECT_GT(reports, 0);
  EXPECT_GT(socket.sent.size(), 0u);
  const SendTally::Snapshot counted = tally.read();
  uint64_t adapterFrames = 0;
  for (uint64_t n : counted.adapterFrames) adapterFrames += n;
  EXPECT_GT(adapterFrames, 0u);
  EXPECT_EQ(counted.artFramesAll(), socket.sent.size());
}

}  // namespace
}  // namespace lumora
