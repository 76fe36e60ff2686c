#include "output/sacn_wire.h"

#include <cstring>

#include "platform/sacn_socket.h"

namespace lumora {

std::chrono::nanoseconds SacnWire::Period(const WireFrame& f) const {
  if (inlineOnly()) return {};
  bool any = liveStreams() > 0;
  for (const auto& p : f.sacnPorts) any = any || p.on;
  return any ? std::chrono::milliseconds(kCheckMs) : std::chrono::nanoseconds{};
}

int SacnWire::liveStreams() const {
  int n = 0;
  for (const auto& l : live_) n += l.on ? 1 : 0;
  return n;
}

void SacnWire::send(Live& l, uint8_t options, const uint8_t* slots) {
  sacn::BuildDataPacket(packet_, source_, l.universe, l.priority, sequence_[l.universe]++, options, slots);
  if (!socket_) return;
  // Send failures are not reported: the next packet goes out on time anyway.
  (void)socket_->SendTo(sacn::MulticastAddress(l.universe), sacn::kPort, packet_.data(), packet_.size());
  if (l.unicast != 0) (void)socket_->SendTo(l.unicast, sacn::kPort, packet_.data(), packet_.size());
}

void SacnWire::terminate(Live& l) {
  for (int i = 0; i < sacn::Stream::kTerminationPackets; ++i) send(l, sacn::kOptionTerminated, l.slots.data());
  l.on = false;
  l.stream.Reset();
}

bool SacnWire::Begin(const WireFrame& f) {
  const int64_t now = inlineNow_ >= 0 ? inlineNow_ : WireThread::Now();
  std::memcpy(source_.cid.data(), f.sacnCid.data(), source_.cid.size());
  std::memcpy(source_.name.data(), f.sacnName.data(), source_.name.size());
  source_.name.back() = 0;
  for (std::size_t p = 0; p < live_.size(); ++p) {
    const WireSacnPort& want = f.sacnPorts[p];
    Live& l = live_[p];
    const bool valid = want.on && want.universe >= sacn::kMinUniverse && want.universe <= sacn::kMaxUniverse;
    if (l.on && (!valid || want.universe != l.universe || want.unicast != l.unicast)) terminate(l);
    if (!valid) continue;
    if (!l.on) {
      l.on = true;
      l.universe = want.universe;
      l.unicast = want.unicast;
    }
    l.priority = want.priority > sacn::kMaxPriority ? sacn::kMaxPriority : want.priority;
    if (!l.stream.Due(now, f.slots.data(), l.priority)) continue;
    std::memcpy(l.slots.data(), f.slots.data(), l.slots.size());
    send(l, 0, l.slots.data());
  }
  return false;
}

void SacnWire::TerminateAll() {
  if (!Enter()) return;
  for (auto& l : live_)
    if (l.on) terminate(l);
  Leave();
}

}  // namespace lumora
