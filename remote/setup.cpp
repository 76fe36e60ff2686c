#include "platform/desk_base.h"
#include "remote/bcf.h"
#include "remote/setup.h"

namespace lumora {

namespace {

// The surface follows the playback desk while it drives that desk.
class BcfPlaySurface final : public PlaySurface {
 public:
  explicit BcfPlaySurface(DeskBase& d) : d_(d) {}
  void PlayFaderMoved(int fader, int level) override { BcfFeedbackFader(d_, kBcfPlayDesk, fader, level); }
  void PlayButtonChanged(int button, int16_t state) override { BcfFeedbackButton(d_, kBcfPlayDesk, button, state); }
  void FollowPlayDesk() override { BcfFollowPlayDesk(d_); }

 private:
  DeskBase& d_;
};

// The simulated surface of the console: `sim midi bcf2000 0|1`,
// `sim midi cc C V`, `get Sim.Midi.Sent`.
void SetupSimMidi(DeskBase& d) {
  auto& sim = d.own<SimMidiPorts>();
  d.window<BCF>().setPorts(&sim);
  d.platform().simHandlers.push_back([&sim](const std::vector<std::string>& a) -> std::optional<std::string> {
    if (a.empty() || a[0] != "midi") return std::nullopt;
    auto num = [](const std::string& t, int lo, int hi, int& out) {
      if (t.empty() || t.size() > 4 || t.find_first_not_of("0123456789") != std::string::npos) return false;
      out = std::stoi(t);
      return out >= lo && out <= hi;
    };
    int x = 0, y = 0;
    if (a.size() == 3 && a[1] == "bcf2000" && num(a[2], 0, 1, x)) {
      sim.setPresent(x == 1);
      return "";
    }
    if (a.size() == 4 && a[1] == "cc" && num(a[2], 0, 127, x) && num(a[3], 0, 127, y)) {
      sim.deliver(176, static_cast<uint8_t>(x), static_cast<uint8_t>(y));
      return "";
    }
    return "usage: sim midi bcf2000 0|1 | sim midi cc C V";
  });
  d.registry().add("Sim.Midi.Sent", [&sim] {
    return std::make_unique<FnNode>([&sim] {
      Json a = Json::array();
      for (const auto& m : sim.takeSent()) {
        Json e = Json::array();
        for (uint8_t b : m) e.push(Json(static_cast<int>(b)));
        a.push(e);
      }
      return a;
    });
  });
}

}  // namespace

void SetupRemote(DeskBase& d) {
  d.links().surface = &d.own<BcfPlaySurface>(d);
  if (d.platform().simulated) SetupSimMidi(d);
}

}  // namespace lumora
