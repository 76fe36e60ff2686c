// The sACN sender on the wire: each enabled output universe is a stream of
// E1.31 data packets of the published frame, sent by the transmission rules
// of sacn::Stream (on change, three repeats, then a keep-alive), multicast to
// the universe's group and to its unicast address when it has one. A universe
// that is switched off, moved or whose address changes ends its stream with
// three Stream_Terminated packets; so does every stream when the desk ends.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>

#include "output/sacn_packet.h"
#include "output/wire.h"

namespace lumora {

class SacnSocket;

class SacnWire final : public WireSender {
 public:
  // How often the streams are looked at: at most 40 packets a second per
  // universe, below DMX's own top rate.
  static constexpr int kCheckMs = 25;

  explicit SacnWire(SacnSocket* socket) : socket_(socket) {}

  // The UI thread changes the socket only while holding this sender.
  void setSocket(SacnSocket* s) { socket_ = s; }
  // Set while the socket is the loop-back twin, whose record the UI thread
  // reads: the twin is then sent to inline on the UI thread only.
  void setInlineOnly(bool v) { inlineOnly_.store(v, std::memory_order_release); }
  bool inlineOnly() const { return inlineOnly_.load(std::memory_order_acquire); }
  // Inline sends take their time from the caller (the manual clock); -1
  // means the monotonic clock.
  void setInlineNow(int64_t ns) { inlineNow_ = ns; }

  std::chrono::nanoseconds Period(const WireFrame& f) const override;
  bool Begin(const WireFrame& f) override;

  // Ends every stream (three Stream_Terminated packets each). Called once the
  // wire thread has ended, or inline.
  void TerminateAll();
  // Streams running now (wire side, or the UI thread while the wire is idle).
  int liveStreams() const;

 private:
  struct Live {
    bool on = false;
    uint16_t universe = 0;
    uint32_t unicast = 0;
    uint8_t priority = 0;
    sacn::Stream stream;
    std::array<uint8_t, sacn::kSlots> slots{};  // the last slots sent
  };
  void send(Live& l, uint8_t options, const uint8_t* slots);
  void terminate(Live& l);

  SacnSocket* socket_;
  std::atomic<bool> inlineOnly_{false};
  int64_t inlineNow_ = -1;
  sacn::Source source_{};
  std::array<Live, kWireSacnPorts> live_{};
  // Sequence numbers by universe: a stream that moves away and back goes on
  // counting, so receivers never see it jump backwards.
  std::array<uint8_t, sacn::kMaxUniverse + 1> sequence_{};
  sacn::DataPacket packet_{};
};

}  // namespace lumora
