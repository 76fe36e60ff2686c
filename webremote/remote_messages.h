// The web remote's messages from the page: small JSON objects such as
// {"op":"fader","slot":3,"level":200}. Each is checked field by field and
// turned into one action; the desk then performs the action through the
// console's addresses, so a press on the page is the press of the desk's own
// control. Plain C++: the server checks messages before they reach the desk,
// and the fuzz target runs the same code.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumora::webremote {

// Bounds of what the page may name.
constexpr int kFaderSlots = 12;
constexpr int kButtonSlots = 16;
// A message longer than this is refused before it is read.
constexpr std::size_t kMaxMessageBytes = 256;

enum class RemoteOp : int {
  Run = 1,        // the Run / STOP switch
  Take = 2,       // the take button (Auto Take / Pause)
  Crossfade = 3,  // value: the crossfader's position 0..255 (the desk fader's value)
  Fader = 4,      // index: slot 0..11; value: level 0..255 (255 = full)
  Button = 5,     // index: slot 0..15; value: 1 pressed, 0 released
  Page = 6,       // value: -1 previous page, +1 next page
  Main = 7,       // value: level 0..255 of the main master
  ClearAll = 8,
};

struct RemoteAction {
  RemoteOp op = RemoteOp::Take;
  int index = 0;
  int value = 0;
  bool operator==(const RemoteAction&) const = default;
};

// Reads one message; nullopt with a short reason in `error` when it is not
// exactly a known message with fields in range.
std::optional<RemoteAction> ParseRemoteMessage(std::string_view text, std::string& error);

// An action checked again (it may come through the module boundary).
bool ValidAction(const RemoteAction& a);

// The console commands that perform a valid action, as an operator's own
// use of the play desk's controls would.
std::vector<std::string> ConsoleCommandsFor(const RemoteAction& a);

}  // namespace lumora::webremote
