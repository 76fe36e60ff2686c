// liblumora_midi.so: the MIDI ports on RtMidi (ALSA or JACK), a module the
// desk loads when the control surface first wants its ports, so that a desk
// without the surface never maps RtMidi, ALSA and JACK.
#include <rtmidi/RtMidi.h>

#include <cstdlib>
#include <mutex>
#include <string_view>

#include "platform/midi.h"

namespace lumora {

namespace {

RtMidi::Api ChosenApi() {
  const char* e = std::getenv("LUMORA_MIDI_API");
  if (!e) return RtMidi::UNSPECIFIED;
  std::string_view v = e;
  if (v == "jack") return RtMidi::UNIX_JACK;
  if (v == "alsa") return RtMidi::LINUX_ALSA;
  return RtMidi::UNSPECIFIED;
}

class RtMidiPorts : public MidiPorts {
 public:
  RtMidiPorts() {
    const RtMidi::Api api = ChosenApi();
    try {
      in_ = std::make_unique<RtMidiIn>(api, "Lumora");
      // Active sensing, clock and sysex are not the surface's business.
      in_->ignoreTypes(true, true, true);
      in_->setErrorCallback(&RtMidiPorts::onInError, this);
    } catch (const RtMidiError&) {
      in_.reset();
    }
    try {
      out_ = std::make_unique<RtMidiOut>(api, "Lumora");
    } catch (const RtMidiError&) {
      out_.reset();
    }
  }
  ~RtMidiPorts() override {
    CloseIn();
    CloseOut();
  }

  int InCount() override { return in_ ? static_cast<int>(safe([&] { return in_->getPortCount(); })) : 0; }
  std::string InName(int i) override {
    if (!in_ || i < 0) return "";
    return safeName([&] { return in_->getPortName(static_cast<unsigned>(i)); });
  }
  int OutCount() override { return out_ ? static_cast<int>(safe([&] { return out_->getPortCount(); })) : 0; }
  std::string OutName(int i) override {
    if (!out_ || i < 0) return "";
    return safeName([&] { return out_->getPortName(static_cast<unsigned>(i)); });
  }
  bool OpenIn(int i) override {
    if (!in_ || i < 0) return false;
    CloseIn();
    try {
      in_->setCallback(&RtMidiPorts::onMessage, this);
      in_->openPort(static_cast<unsigned>(i), "BCF in");
    } catch (const RtMidiError&) {
      return false;
    }
    return in_->isPortOpen();
  }
  void CloseIn() override {
    if (!in_) return;
    try {
      if (in_->isPortOpen()) in_->closePort();
      in_->cancelCallback();
    } catch (const RtMidiError&) {
    }
  }
  bool InOpen() const override { return in_ && in_->isPortOpen(); }
  bool OpenOut(int i) override {
    if (!out_ || i < 0) return false;
    CloseOut();
    try {
      out_->openPort(static_cast<unsigned>(i), "BCF out");
    } catch (const RtMidiError&) {
      return false;
    }
    return out_->isPortOpen();
  }
  void CloseOut() override {
    if (out_ && out_->isPortOpen()) out_->closePort();
  }
  bool OutOpen() const override { return out_ && out_->isPortOpen(); }
  void Send(uint8_t s, uint8_t d1, uint8_t d2) override {
    if (!OutOpen()) return;
    const unsigned char msg[3] = {s, d1, d2};
    try {
      out_->sendMessage(msg, 3);
    } catch (const RtMidiError&) {
    }
  }
  std::vector<MidiMessage> TakeReceived() override {
    std::lock_guard<std::mutex> g(mu_);
    std::vector<MidiMessage> r;
    r.swap(received_);
    return r;
  }
  std::optional<std::pair<int, std::string>> TakeError() override {
    std::lock_guard<std::mutex> g(mu_);
    auto e = error_;
    error_.reset();
    return e;
  }

 private:
  template <typename F>
  static unsigned safe(F f) {
    try {
      return f();
    } catch (const RtMidiError&) {
      return 0;
    }
  }
  template <typename F>
  static std::string safeName(F f) {
    try {
      return f();
    } catch (const RtMidiError&) {
      return "";
    }
  }
  // Driver thread: queue only.
  static void onMessage(double, std::vector<unsigned char>* m, void* self) {
    if (!m || m->empty()) return;
    auto* p = static_cast<RtMidiPorts*>(self);
    MidiMessage msg{(*m)[0], m->size() > 1 ? (*m)[1] : uint8_t{0}, m->size() > 2 ? (*m)[2] : uint8_t{0}};
    std::lock_guard<std::mutex> g(p->mu_);
    if (p->received_.size() < 4096) p->received_.push_back(msg);
  }
  static void onInError(RtMidiError::Type type, const std::string& text, void* self) {
    auto* p = static_cast<RtMidiPorts*>(self);
    // Warnings are not errors of the surface.
    if (type == RtMidiError::WARNING || type == RtMidiError::DEBUG_WARNING) return;
    std::lock_guard<std::mutex> g(p->mu_);
    p->error_ = std::make_pair(static_cast<int>(type) + 1, text);
  }

  std::unique_ptr<RtMidiIn> in_;
  std::unique_ptr<RtMidiOut> out_;
  std::mutex mu_;
  std::vector<MidiMessage> received_;
  std::optional<std::pair<int, std::string>> error_;
};

}  // namespace

}  // namespace lumora

extern "C" __attribute__((visibility("default"))) lumora::MidiPorts* lumora_midi_open() {
  return new lumora::RtMidiPorts();
}
