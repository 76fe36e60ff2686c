// MIDI ports as the control surface needs them: device lists by name, one
// input and one output port, short messages. Messages received on a driver
// thread are queued and taken on the UI thread.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace lumora {

using MidiMessage = std::array<uint8_t, 3>;

class MidiPorts {
 public:
  virtual ~MidiPorts() = default;
  virtual int InCount() = 0;
  virtual std::string InName(int i) = 0;
  virtual int OutCount() = 0;
  // i = -1 is the system's default output, which has no device of its own here.
  virtual std::string OutName(int i) = 0;
  virtual bool OpenIn(int i) = 0;
  virtual void CloseIn() = 0;
  virtual bool InOpen() const = 0;
  virtual bool OpenOut(int i) = 0;
  virtual void CloseOut() = 0;
  virtual bool OutOpen() const = 0;
  virtual void Send(uint8_t status, uint8_t data1, uint8_t data2) = 0;
  // Messages and errors received since the last call (UI thread only).
  virtual std::vector<MidiMessage> TakeReceived() = 0;
  virtual std::optional<std::pair<int, std::string>> TakeError() = 0;
  // Set by the desk: called (on the UI thread) when a simulated device
  // delivers a message at once; real ports are polled instead.
  std::function<void()> onReceived;
};

// RtMidi (ALSA or JACK; LUMORA_MIDI_API=alsa|jack chooses, default: the first
// that works). Never throws: a driver failure is an empty device list.
std::unique_ptr<MidiPorts> MakeRtMidiPorts();

// The simulated surface of the console (`sim midi ...`).
class SimMidiPorts : public MidiPorts {
 public:
  int InCount() override { return present_ ? 1 : 0; }
  std::string InName(int i) override { return present_ && i == 0 ? "BCF2000 Port 1" : ""; }
  int OutCount() override { return present_ ? 1 : 0; }
  std::string OutName(int i) override { return present_ && i == 0 ? "BCF2000 Port 1" : ""; }
  bool OpenIn(int i) override {
    inOpen_ = present_ && i == 0;
    return inOpen_;
  }
  void CloseIn() override { inOpen_ = false; }
  bool InOpen() const override { return inOpen_; }
  bool OpenOut(int i) override {
    outOpen_ = present_ && i == 0;
    return outOpen_;
  }
  void CloseOut() override { outOpen_ = false; }
  bool OutOpen() const override { return outOpen_; }
  void Send(uint8_t s, uint8_t d1, uint8_t d2) override {
    if (outOpen_) sent_.push_back({s, d1, d2});
  }
  std::vector<MidiMessage> TakeReceived() override {
    std::vector<MidiMessage> r;
    r.swap(received_);
    return r;
  }
  std::optional<std::pair<int, std::string>> TakeError() override { return std::nullopt; }

  // Simulation side.
  void setPresent(bool p) {
    present_ = p;
    if (!p) inOpen_ = outOpen_ = false;
  }
  void deliver(uint8_t s, uint8_t d1, uint8_t d2) {
    if (!inOpen_) return;
    received_.push_back({s, d1, d2});
    if (onReceived) onReceived();
  }
  std::vector<MidiMessage> takeSent() {
    std::vector<MidiMessage> r;
    r.swap(sent_);
    return r;
  }

 private:
  bool present_ = false, inOpen_ = false, outOpen_ = false;
  std::vector<MidiMessage> received_, sent_;
};

}  // namespace lumora
