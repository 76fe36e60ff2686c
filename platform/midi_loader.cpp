// The RtMidi ports come from liblumora_midi.so, found beside the program or
// in the installed module folder and kept loaded for the rest of the run (the
// ports' code lives there). Without it the surface sees no MIDI devices.
#include <memory>
#include <string>
#include <vector>

#include "platform/dynlib.h"
#include "platform/midi.h"

namespace lumora {

namespace {

class NoMidiPorts final : public MidiPorts {
 public:
  int InCount() override { return 0; }
  std::string InName(int) override { return ""; }
  int OutCount() override { return 0; }
  std::string OutName(int) override { return ""; }
  bool OpenIn(int) override { return false; }
  void CloseIn() override {}
  bool InOpen() const override { return false; }
  bool OpenOut(int) override { return false; }
  void CloseOut() override {}
  bool OutOpen() const override { return false; }
  void Send(uint8_t, uint8_t, uint8_t) override {}
  std::vector<MidiMessage> TakeReceived() override { return {}; }
  std::optional<std::pair<int, std::string>> TakeError() override { return std::nullopt; }
};

using MakePorts = MidiPorts* (*)();

MakePorts FindModule() {
  static MakePorts make = nullptr;
  if (make) return make;
  std::vector<std::string> candidates;
  const std::string dir = ProgramDirectory();
  if (!dir.empty()) candidates.push_back(dir + "/liblumora_midi.so");
#ifdef LUMORA_MIDI_MODULE_DIR
  candidates.push_back(std::string(LUMORA_MIDI_MODULE_DIR) + "/liblumora_midi.so");
#endif
  for (const std::string& c : candidates) {
    auto l = std::make_unique<DynLib>(c);
    if (void* f = l->symbol("lumora_midi_make_ports")) {
      // Never unloaded: ports made from it may live until the very end.
      static_cast<void>(l.release());
      make = reinterpret_cast<MakePorts>(f);
      break;
    }
  }
  return make;
}

}  // namespace

std::unique_ptr<MidiPorts> MakeRtMidiPorts() {
  if (MakePorts make = FindModule()) return std::unique_ptr<MidiPorts>(make());
  return std::make_unique<NoMidiPorts>();
}

}  // namespace lumora
