// The desk's two senders on the wire: the output adapter selected by
// AdapterType (parallel-port clocking, DMX 3-1 library, Open DMX USB line,
// Quillonizer Corvex library) at the tick's period, and Art-Net ArtDmx at
// its own period. They see only the published frame and the devices; what
// they find goes back to the UI thread through their reports.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "output/artnet_packet.h"
#include "output/wire.h"

namespace lumora {

class ParallelPort;
struct SendTally;
class Tribus31Api;
class FtdiApi;
class CorvexApi;
class UdpSocket;

// Break, mark-after-break and the first byte of an Open DMX USB frame; the
// slots follow in one or more writes.
uint32_t UsbFrameStart(FtdiApi& api, uint32_t handle, const uint8_t* startCode, uint32_t startCodeLength);

class AdapterWire final : public WireSender {
 public:
  // Failure bits of the report (with WireReport::kCompleted).
  enum : uint32_t {
    kTribusReadFailed = 1u << 1,
    kTribusWriteFailed = 1u << 2,
    kUsbStartCodeFailed = 1u << 3,
    kUsbWriteFailed = 1u << 4,
    kCorvexFailed = 1u << 5,
  };
  // Time a slot takes on the DMX line: 11 bits at 250 kbaud.
  static constexpr int64_t kSlotNs = 44'000;

  AdapterWire(ParallelPort* port, Tribus31Api* tribus, FtdiApi* ftdi, CorvexApi* corvex)
      : port_(port), tribus_(tribus), ftdi_(ftdi), corvex_(corvex) {}

  std::chrono::nanoseconds Period(const WireFrame& f) const override;
  int64_t BeginNs(const WireFrame& f) const override;
  bool Begin(const WireFrame& f) override;
  bool Continue(int64_t untilNs) override;

  WireReport& report() { return report_; }
  // Where completed sends are counted (the UI thread sets it before the
  // wire runs; null: not counted).
  void setTally(SendTally* t) { tally_ = t; }

 private:
  void parallel(const WireFrame& f, int slots);
  void counted(int type, uint64_t bytes);

  ParallelPort* port_;
  Tribus31Api* tribus_;
  FtdiApi* ftdi_;
  CorvexApi* corvex_;
  WireReport report_;
  SendTally* tally_ = nullptr;
  int usbType_ = 0;
  uint32_t failedEpoch_ = 0;
  bool anyFailed_ = false;
  // The Open DMX USB frame in progress (copied: the published frame moves on).
  std::array<uint8_t, kWireSlots> usbSlots_{};
  uint32_t usbHandle_ = 0;
  uint32_t usbEpoch_ = 0;
  uint32_t usbFlags_ = 0;
  int usbPos_ = 0;
  std::array<uint8_t, kWireSlots> corvexBuf_{};
  std::array<uint8_t, 1024> tribusReceive_{};  // written by the library, never read
};

class ArtNetWire final : public WireSender {
 public:
  explicit ArtNetWire(UdpSocket* socket) : socket_(socket) {}

  // The UI thread changes the socket only while holding this sender.
  void setSocket(UdpSocket* s) { socket_ = s; }
  // Set while the socket is the loop-back twin: its record is read by the
  // UI thread, so the twin is sent to inline on the UI thread only.
  void setInlineOnly(bool v) { inlineOnly_.store(v, std::memory_order_release); }
  bool inlineOnly() const { return inlineOnly_.load(std::memory_order_acquire); }

  std::chrono::nanoseconds Period(const WireFrame& f) const override;
  bool Begin(const WireFrame& f) override;
  // The first ArtDmx goes out one and a half Art-Net periods after the
  // ports open, and then every period: half a period away from the UI
  // thread's own send-timer events (the light's blink), which start with
  // the ports. Sends then never wait for a UI event that woke with them; on
  // a machine whose cores are not always all given to it (a virtual one)
  // the two coinciding cost milliseconds now and then.
  bool StartsAtOnce() const override { return false; }
  std::chrono::nanoseconds FirstAfter(std::chrono::nanoseconds period) const override { return period + period / 2; }
  // Builds the packets a millisecond ahead of the deadline (sends nothing).
  std::chrono::nanoseconds WarmLead() const override { return std::chrono::milliseconds(1); }
  void Warm(const WireFrame& f) override;
  void setTally(SendTally* t) { tally_ = t; }

 private:
  UdpSocket* socket_;
  SendTally* tally_ = nullptr;
  std::atomic<bool> inlineOnly_{false};
  artnet::DmxPacket packet_{};
};

}  // namespace lumora
