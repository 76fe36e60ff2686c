// The desk's side of the wire: publishes each tick's frame with the settings
// the senders need, starts the wire thread (or, under the manual clock,
// sends inline through the same senders), and handles on the UI thread what
// the wire found.
//
// In real time a failure the wire finds is handled at the next output tick:
// its messages and statuses come one tick later than the send that failed.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "output/health_meter.h"
#include "output/wire.h"
#include "output/sacn_wire.h"
#include "output/wire_senders.h"

namespace lumora {

class DeskBase;
class OutputAdapter;
class UdpSocket;
class SacnSocket;

class OutputWire {
 public:
  explicit OutputWire(DeskBase& desk);
  ~OutputWire();
  OutputWire(const OutputWire&) = delete;
  OutputWire& operator=(const OutputWire&) = delete;

  // The desk's wire (nullptr before SetupOutput made it).
  static OutputWire* Of(DeskBase& desk);
  // Whether w still exists: an object that may outlive the wire (the desk
  // ends its subsystems' objects in the order they were made) asks first.
  static bool Exists(const OutputWire* w);
  // The adapter sender of the desk's wire, for WireHold (nullptr when none).
  static WireSender* AdapterSenderOf(DeskBase& desk);
  static WireSender* ArtNetSenderOf(DeskBase& desk);
  static WireSender* SacnSenderOf(DeskBase& desk);
  // Whether the output tick may rest on an idle desk: not while it sends
  // sACN itself (the loop-back twin), whose keep-alives ride on the tick.
  static bool TickMayRest(DeskBase& desk);
  // Ends the desk's wire thread for good (the exit operation).
  static void StopOf(DeskBase& desk);

  // The output tick's hand-off (the main desk's Timer1): the selected adapter's
  // preparation, the wire's findings, the frame published, and under the
  // manual clock the adapter's send now.
  void Tick();
  // Art_Time: publishes the frame as it stands; under the manual clock (or
  // with the loop-back socket) sends ArtDmx now.
  void ArtTick();
  // Whether Art_Time's own event sends ArtDmx (manual clock, loop-back twin).
  bool ArtSendsInline() const { return inline_ || artnet_.inlineOnly(); }
  // Publishes the current frame and settings.
  void Publish();
  // The sACN settings changed: publishes them; inline (manual clock or
  // loop-back socket) the streams send now.
  void SacnChanged();
  // Ends the thread after its last frame, then ends every sACN stream; it
  // does not start again.
  void Stop();

  // The adapter of each AdapterType value (as the desk has them).
  void setAdapter(int type, OutputAdapter* a) {
    if (type > 0 && type < kAdapterSlots) adapters_[static_cast<std::size_t>(type)] = a;
  }

  // The Art-Net socket (the UI thread changes it only through here).
  void setArtSocket(UdpSocket* socket, bool loopBack);
  // The sACN socket (the UI thread changes it only through here).
  void setSacnSocket(SacnSocket* socket, bool loopBack);

  AdapterWire& adapterWire() { return adapter_; }
  ArtNetWire& artNetWire() { return artnet_; }
  SacnWire& sacnWire() { return sacn_; }
  WireThread& thread() { return thread_; }
  // The last frame published.
  const WireFrame& last() const { return last_; }

  // Output health: the sends the wire counted, the tick's periods and the
  // last output error. The health clock is the desk's (the manual clock's
  // time under --manual-clock, else the monotonic clock), in ns.
  const SendTally& tally() const { return tally_; }
  const TickRecorder& ticks() const { return tickRecorder_; }
  const OutputError& lastError() const { return lastError_; }
  int64_t healthNow() const;
  // Tests stand in a clock of their own (nullptr: the desk's).
  void setHealthClock(std::function<int64_t()> clock) { healthClock_ = std::move(clock); }
  // Records an output failure (UI thread).
  void noteError(const std::string& text);
  // The desk's wire, if any, records it.
  static void NoteError(DeskBase& desk, const std::string& text);

 private:
  void recordTick();
  void handleReports();
  void startThread();
  void sayPriority();
  void runSacnInline();

  static constexpr int kAdapterSlots = 6;
  DeskBase& desk_;
  SendTally tally_;
  TickRecorder tickRecorder_;
  OutputError lastError_;
  std::function<int64_t()> healthClock_;
  uint64_t tickSeq_ = 0;
  std::array<OutputAdapter*, kAdapterSlots> adapters_{};
  AdapterWire adapter_;
  ArtNetWire artnet_;
  SacnWire sacn_;
  WireThread thread_;
  WireFrame last_{};
  uint64_t ticks_ = 0;
  uint32_t epoch_ = 0;
  bool inline_;
  bool stopped_ = false;
  bool prioritySaid_ = false;
};

}  // namespace lumora
