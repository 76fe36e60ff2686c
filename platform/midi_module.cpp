#include <memory>
#include <string>
#include <vector>

#include "platform/dynlib.h"
#include "platform/midi.h"

namespace lumora {

namespace {

using MidiOpenFn = MidiPorts* (*)();

// Without the module the surface finds no devices, as when no MIDI driver
// starts.
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

// The module, bound once: beside the program (build tree), else in the
// program's library folder. It stays loaded to the end, as the ports it made
// run its code.
DynLib* gModule = nullptr;  // never closed

MidiOpenFn BindModule() {
  static const MidiOpenFn open = [] {
    std::vector<std::string> candidates;
    const std::string dir = ProgramDirectory();
    if (!dir.empty()) {
      candidates.push_back(dir + "/" LUMORA_MIDI_MODULE_FILE);
      candidates.push_back(dir + "/../lib/lumora/" LUMORA_MIDI_MODULE_FILE);
    }
#ifdef LUMORA_MIDI_MODULE_DIR
    candidates.push_back(std::string(LUMORA_MIDI_MODULE_DIR) + "/" LUMORA_MIDI_MODULE_FILE);
#endif
    for (const std::string& c : candidates) {
      auto lib = std::make_unique<DynLib>(c);
      if (auto o = reinterpret_cast<MidiOpenFn>(lib->symbol("lumora_midi_open"))) {
        gModule = lib.release();
        return o;
      }
    }
    return MidiOpenFn{nullptr};
  }();
  return open;
}

}  // namespace

std::unique_ptr<MidiPorts> MakeRtMidiPorts() {
  if (MidiOpenFn open = BindModule()) return std::unique_ptr<MidiPorts>(open());
  return std::make_unique<NoMidiPorts>();
}

}  // namespace lumora
