#include "output/wire_senders.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "output/adapters.h"
#include "output/health_meter.h"
#include "output/opendmx.h"
#include "platform/corvex_loader.h"
#include "platform/ftdi.h"
#include "platform/parport.h"
#include "platform/tribus31.h"
#include "platform/udp_socket.h"

namespace lumora {

namespace {
constexpr int kParallelSlotsMarwick = 65;
constexpr int kParallelSlotsManolator = 255;
// Break, mark-after-break and the start code, with room to spare.
constexpr int64_t kUsbStartNs = 300'000;
}  // namespace

void BusyWait(int passes) {
  volatile int sink = 0;
  for (int i = 0; i < passes; ++i) sink = i;
  (void)sink;
}

uint32_t UsbFrameStart(FtdiApi& api, uint32_t handle, const uint8_t* startCode, uint32_t startCodeLength) {
  // Back-to-back break calls can be shorter than a receiver accepts: hold
  // the break and the mark after it for a guaranteed minimum.
  api.FT_SetBreakOn(handle);
  api.LineWait(kDmxBreak);
  api.FT_SetBreakOff(handle);
  api.LineWait(kDmxMarkAfterBreak);
  uint32_t written = 0;
  return api.FT_Write(handle, startCode, startCodeLength, written) == kFtOk ? 0u : static_cast<uint32_t>(AdapterWire::kUsbStartCodeFailed);
}

std::chrono::nanoseconds AdapterWire::Period(const WireFrame& f) const {
  if (f.adapterType <= 0 || f.adapterType >= kAdapterCount || f.periodMs <= 0) return {};
  if (f.adapterType == kAdapterOpenDmx && !f.usbSend) return {};
  return std::chrono::milliseconds(f.periodMs);
}

int64_t AdapterWire::BeginNs(const WireFrame& f) const {
  return f.adapterType == kAdapterOpenDmx && f.usbSend ? kUsbStartNs : 0;
}

void AdapterWire::parallel(const WireFrame& f, int slots) {
  if (!port_) return;
  const auto data = static_cast<uint16_t>(f.portAddress);
  const auto control = static_cast<uint16_t>(f.portAddress + 2);
  port_->Out32(control, 3);
  BusyWait(50);
  port_->Out32(control, 1);
  for (int n = 1; n <= slots; ++n) {
    port_->Out32(data, f.slots[static_cast<std::size_t>(n - 1)]);
    port_->Out32(control, 0);
    BusyWait(20);
    port_->Out32(control, 1);
    BusyWait(20);
  }
  port_->Out32(control, 1);
}

void AdapterWire::counted(int type, uint64_t bytes) {
  if (tally_) tally_->adapterSent(type, bytes);
}

bool AdapterWire::Begin(const WireFrame& f) {
  // After a failure the adapter waits for the UI thread's answer (a new
  // epoch) instead of failing again on every period.
  if (anyFailed_ && failedEpoch_ == f.adapterEpoch) return false;
  uint32_t flags = 0;
  switch (f.adapterType) {
    case kAdapterMarwick:
      parallel(f, kParallelSlotsMarwick);
      break;
    case kAdapterManolator:
      parallel(f, kParallelSlotsManolator);
      break;
    case kAdapterTribus31:
      if (!tribus_) return false;
      if (tribus_->Tribus31Read(f.portAddress, 0, tribusReceive_.data()) != 0) flags |= kTribusReadFailed;
      if (tribus_->Tribus31Write(f.portAddress, 0, f.slots.data()) != 0) flags |= kTribusWriteFailed;
      break;
    case kAdapterCorvex:
      if (!corvex_) return false;
      // The library takes a writable buffer; the frame is not ours to lend.
      corvexBuf_ = f.slots;
      if (corvex_->QuillonCommand(kCorvexSendFrame, kCorvexSlots, corvexBuf_.data()) != kCorvexSlots)
        flags |= kCorvexFailed;
      break;
    case kAdapterOpenDmx:
      if (!ftdi_ || !f.usbSend) return false;
      usbSlots_ = f.slots;
      usbHandle_ = f.usbHandle;
      usbEpoch_ = f.adapterEpoch;
      usbFlags_ = UsbFrameStart(*ftdi_, usbHandle_, &f.usbStartCode, f.usbStartCodeLength);
      usbPos_ = 0;
      usbType_ = f.adapterType;
      return true;
    default:
      return false;
  }
  if (flags) {
    anyFailed_ = true;
    failedEpoch_ = f.adapterEpoch;
  } else {
    const int slots = f.adapterType == kAdapterMarwick     ? kParallelSlotsMarwick
                      : f.adapterType == kAdapterManolator ? kParallelSlotsManolator
                                                           : kWireSlots;
    counted(f.adapterType, static_cast<uint64_t>(slots));
  }
  report_.post(f.adapterEpoch, flags | WireReport::kCompleted);
  return false;
}

bool AdapterWire::Continue(int64_t untilNs) {
  // The slots go out in as few writes as the other senders' deadlines allow:
  // one for the whole frame unless a deadline falls within it. A pause
  // between two slots is a longer mark between them, which DMX allows.
  int n = kWireSlots - usbPos_;
  if (untilNs != INT64_MAX) {
    const int64_t room = (untilNs - WireThread::Now()) / kSlotNs;
    n = static_cast<int>(std::clamp<int64_t>(room, 8, n));
  }
  uint32_t written = 0;
  if (ftdi_->FT_Write(usbHandle_, usbSlots_.data() + usbPos_, static_cast<uint32_t>(n), written) != kFtOk) {
    usbFlags_ |= kUsbWriteFailed;
    usbPos_ = kWireSlots;
  } else {
    usbPos_ += n;
  }
  if (usbPos_ < kWireSlots) return true;
  if (usbFlags_) {
    anyFailed_ = true;
    failedEpoch_ = usbEpoch_;
  } else {
    counted(usbType_, kWireSlots + 1u);  // the start code and the slots
  }
  report_.post(usbEpoch_, usbFlags_ | WireReport::kCompleted);
  return false;
}

std::chrono::nanoseconds ArtNetWire::Period(const WireFrame& f) const {
  if (!f.artOn || f.artPeriodMs <= 0 || f.artCount == 0 || f.artBroadcast[0] == 0 || inlineOnly()) return {};
  return std::chrono::milliseconds(f.artPeriodMs);
}

void ArtNetWire::Warm(const WireFrame& f) {
  if (!socket_) return;
  for (int p = 0; p < f.artCount; ++p)
    artnet::BuildArtDmx(packet_, f.artUniverses[static_cast<std::size_t>(p)], f.slots.data());
}

bool ArtNetWire::Begin(const WireFrame& f) {
  if (!socket_) return false;
  // Fits the string's own buffer: no allocation.
  const std::string host(f.artBroadcast.data());
  for (int p = 0; p < f.artCount; ++p) {
    artnet::BuildArtDmx(packet_, f.artUniverses[static_cast<std::size_t>(p)], f.slots.data());
    if (host.empty()) continue;
    // A failed send is only counted: the next period sends again.
    const bool ok = socket_->SendTo(host, artnet::kPort, packet_.data(), packet_.size());
    if (tally_) tally_->artSent(f.artPortNumbers[static_cast<std::size_t>(p)], packet_.size(), ok);
  }
  return false;
}

}  // namespace lumora
