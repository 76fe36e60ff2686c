#include "output/output_wire.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <cstring>
#include <map>

#include "platform/desk_base.h"
#include "platform/env.h"
#include "output/adapter.h"
#include "output/adapters.h"
#include "output/opendmx.h"
#include "output/sacn_output.h"
#include "platform/corvex_loader.h"
#include "platform/ftdi.h"
#include "platform/parport.h"
#include "platform/tribus31.h"

namespace lumora {

namespace {

// The wire of each desk (tests run several desks in one process).
std::map<const DeskBase*, OutputWire*>& Wires() {
  static std::map<const DeskBase*, OutputWire*> m;
  return m;
}

constexpr int kSentPorts = 8;  // the ports Art_Time sends

}  // namespace

OutputWire::OutputWire(DeskBase& desk)
    : desk_(desk),
      adapter_(desk.platform().parport.get(), desk.platform().tribus31.get(), desk.platform().ftdi.get(),
               desk.platform().corvex.get()),
      artnet_(nullptr),
      sacn_(nullptr),
      // LUMORA_WIRE_INLINE=1 sends on the UI thread as the manual clock does:
      // bench/wire_timing.sh measures the difference the wire thread makes.
      inline_(desk.scheduler().manual() || EnvSet("LUMORA_WIRE_INLINE")) {
  adapter_.setTally(&tally_);
  artnet_.setTally(&tally_);
  thread_.add(&adapter_);
  thread_.add(&artnet_);
  thread_.add(&sacn_);
  // LUMORA_WIRE_WARMUP=0 or 1 overrides the host's choice (for measuring).
  thread_.setWarmUps(EnvSwitch("LUMORA_WIRE_WARMUP").value_or(!desk.options().headless));
  Wires()[&desk] = this;
}

OutputWire::~OutputWire() {
  Stop();
  auto& m = Wires();
  auto it = m.find(&desk_);
  if (it != m.end() && it->second == this) m.erase(it);
}

OutputWire* OutputWire::Of(DeskBase& desk) {
  auto& m = Wires();
  auto it = m.find(&desk);
  return it == m.end() ? nullptr : it->second;
}

bool OutputWire::TickMayRest(DeskBase& desk) {
  OutputWire* w = Of(desk);
  if (!w || !w->sacn_.inlineOnly()) return true;
  for (const SacnPortRec& p : desk.state.SacnPorts)
    if (p.Enabled) return false;
  return true;
}

bool OutputWire::Exists(const OutputWire* w) {
  for (const auto& [desk, wire] : Wires())
    if (wire == w) return true;
  return false;
}

WireSender* OutputWire::AdapterSenderOf(DeskBase& desk) {
  OutputWire* w = Of(desk);
  return w ? &w->adapter_ : nullptr;
}

WireSender* OutputWire::ArtNetSenderOf(DeskBase& desk) {
  OutputWire* w = Of(desk);
  return w ? &w->artnet_ : nullptr;
}

WireSender* OutputWire::SacnSenderOf(DeskBase& desk) {
  OutputWire* w = Of(desk);
  return w ? &w->sacn_ : nullptr;
}

void OutputWire::StopOf(DeskBase& desk) {
  if (OutputWire* w = Of(desk)) w->Stop();
}

void OutputWire::Stop() {
  stopped_ = true;
  thread_.Stop();
  // Receivers learn at once that the desk's universes have ended.
  sacn_.setInlineNow(-1);
  sacn_.TerminateAll();
}

void OutputWire::setSacnSocket(SacnSocket* socket, bool loopBack) {
  {
    WireHold hold(&sacn_);
    sacn_.setSocket(socket);
    sacn_.setInlineOnly(loopBack);
  }
  thread_.poke();
}

void OutputWire::runSacnInline() {
  sacn_.setInlineNow(desk_.scheduler().manual() ? desk_.scheduler().now() * 1'000'000 : -1);
  thread_.RunInline(sacn_, last_);
}

void OutputWire::SacnChanged() {
  if (stopped_) return;
  Publish();
  if (inline_ || sacn_.inlineOnly()) {
    runSacnInline();
    return;
  }
  startThread();
}

void OutputWire::setArtSocket(UdpSocket* socket, bool loopBack) {
  {
    WireHold hold(&artnet_);
    artnet_.setSocket(socket);
    artnet_.setInlineOnly(loopBack);
  }
  thread_.poke();
}

void OutputWire::Publish() {
  DeskState& s = desk_.state;
  MainDesk& h = desk_.mainDesk();
  WireFrame& f = last_;
  f.tick = ++ticks_;
  std::memcpy(f.slots.data(), s.DmxFrame.data(), f.slots.size());

  const WireFrame before = f;
  f.adapterType = s.AdapterType;
  f.portAddress = s.PortAddress;
  f.periodMs = h.Timer1.Interval();
  OpenDmx* usb = OpenDmx::Of(desk_);
  f.usbSend = f.adapterType == kAdapterOpenDmx && usb && s.UsbConnected == 1 && usb->UsbIsOpen != 0;
  f.usbHandle = usb ? static_cast<uint32_t>(usb->UsbHandle) : 0;
  f.usbStartCode = usb ? usb->UsbStartCode : 0;
  f.usbStartCodeLength = usb ? static_cast<uint8_t>(usb->UsbStartCodeSet) : 0;
  // A new epoch for new adapter settings: reports of the old ones are moot,
  // and an adapter that failed may send again.
  if (ticks_ == 1 || f.adapterType != before.adapterType || f.portAddress != before.portAddress ||
      f.usbSend != before.usbSend || f.usbHandle != before.usbHandle || f.usbStartCode != before.usbStartCode ||
      f.usbStartCodeLength != before.usbStartCodeLength)
    ++epoch_;
  f.adapterEpoch = epoch_;

  f.artOn = h.Art_Time.Enabled();
  f.artPeriodMs = h.Art_Time.Interval();
  f.artCount = 0;
  for (int p = 0; p < kSentPorts; ++p) {
    const ArtPortRec& port = s.ArtPorts[static_cast<std::size_t>(p)];
    if (port.Enabled == 0) continue;
    f.artPortNumbers[f.artCount] = static_cast<uint8_t>(p);
    f.artUniverses[f.artCount++] = port.Universe;
  }
  f.artBroadcast.fill(0);
  std::memcpy(f.artBroadcast.data(), s.ArtBroadcast.data(),
              std::min(s.ArtBroadcast.size(), f.artBroadcast.size() - 1));
  FillSacn(desk_, f);

  thread_.exchange().back() = f;
  thread_.publish(ticks_ == 1 || !(f == before));
}

int64_t OutputWire::healthNow() const {
  if (healthClock_) return healthClock_();
  return desk_.scheduler().manual() ? desk_.scheduler().now() * kNsPerMs : WireThread::Now();
}

void OutputWire::noteError(const std::string& text) {
  lastError_.text = text;
  lastError_.atNs = healthNow();
  lastError_.wallSeconds =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

void OutputWire::NoteError(DeskBase& desk, const std::string& text) {
  if (OutputWire* w = Of(desk)) w->noteError(text);
}

void OutputWire::recordTick() {
  // Only the tick its timer runs is measured; a timer started anew (enabled
  // again, or a new period) or woken from rest on an idle desk begins a new
  // run with no period before it.
  const Timer& t = desk_.mainDesk().Timer1;
  if (!t.running()) return;
  const bool newRun = t.seq != tickSeq_ || t.restSeen != 0;
  tickSeq_ = t.seq;
  tickRecorder_.record(healthNow(), t.Interval(), newRun);
}

void OutputWire::handleReports() {
  const WireReport::Taken r = adapter_.report().take();
  if (r.flags == 0 || r.epoch != last_.adapterEpoch) return;
  // Only the adapter the sends were for, while it is still the selected one.
  const int type = last_.adapterType;
  if (type != desk_.state.AdapterType) return;
  static const std::pair<uint32_t, const char*> kFailures[] = {
      {AdapterWire::kTribusReadFailed, "DMX 3-1: reading the interface failed"},
      {AdapterWire::kTribusWriteFailed, "DMX 3-1: writing the frame failed"},
      {AdapterWire::kUsbStartCodeFailed, "Open DMX USB: writing the start code failed"},
      {AdapterWire::kUsbWriteFailed, "Open DMX USB: writing the frame failed"},
      {AdapterWire::kCorvexFailed, "Corvex: the interface did not take the frame"},
  };
  for (const auto& [bit, text] : kFailures)
    if (r.flags & bit) noteError(text);
  if (OutputAdapter* a = adapters_[static_cast<std::size_t>(type)]) a->Handle(desk_, r.flags);
}

void OutputWire::Tick() {
  recordTick();
  const int type = desk_.state.AdapterType;
  // Steps are tested in ascending order of their value; only one acts.
  OutputAdapter* a = nullptr;
  for (int t = 1; t < kAdapterCount; ++t)
    if (t == type) a = adapters_[static_cast<std::size_t>(t)];
  if (a) a->Prepare(desk_);
  const bool manual = inline_;
  // In real time the findings of the sends since the last tick.
  if (!manual) handleReports();
  Publish();
  if (manual) {
    if (a) thread_.RunInline(adapter_, last_);
    handleReports();
    runSacnInline();
    return;
  }
  if (sacn_.inlineOnly()) runSacnInline();
  startThread();
  sayPriority();
}

void OutputWire::ArtTick() {
  Publish();
  if (inline_ || artnet_.inlineOnly()) {
    thread_.RunInline(artnet_, last_);
    return;
  }
  startThread();
}

void OutputWire::startThread() {
  if (!stopped_ && !thread_.running()) thread_.Start();
}

void OutputWire::sayPriority() {
  if (prioritySaid_) return;
  const int p = thread_.priority();
  if (p == WireThread::kPriorityUnknown) return;
  prioritySaid_ = true;
  if (p == WireThread::kPriorityRealtime)
    std::fprintf(stderr, "lumora: output thread at real-time priority (SCHED_FIFO %d)\n", thread_.realtimeLevel());
  else
    std::fprintf(stderr, "lumora: output thread at normal priority (real-time priority not permitted)\n");
}

}  // namespace lumora
