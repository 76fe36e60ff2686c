// libFuzzer target for the web remote's message handler: every text a page
// (or anyone who reached the socket) may send, read the way the server reads
// it, and every sign-in body and request path.
//
// Checks: nothing crashes or overflows; a message that is accepted is a valid
// action whose console commands name only the play desk's remote controls,
// with slots and values in range; a refused one has a reason; the same text
// always reads the same way; a path is a route only when it is one of the
// page's fixed paths; a PIN read from a body is six digits.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "webremote/remote_http.h"
#include "webremote/remote_messages.h"

using namespace lumora::webremote;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

bool StartsWith(const std::string& s, const char* p) { return s.rfind(p, 0) == 0; }

// The commands of an action: one line, one of the remote's own controls.
void CheckCommands(const RemoteAction& a) {
  const auto cmds = ConsoleCommandsFor(a);
  Check(cmds.size() == 1);
  const std::string& c = cmds[0];
  static const std::set<std::string> fixed = {"click Playdesk.Run_Switch", "click Playdesk.Run_Autotake",
                                              "click Playdesk.Inc_Page(0)", "click Playdesk.Dec_Page(0)",
                                              "click Playdesk.Clear_All"};
  if (fixed.count(c)) return;
  auto number = [&c](std::size_t from) {
    const std::string t = c.substr(from);
    Check(!t.empty() && t.size() <= 3 && t.find_first_not_of("0123456789") == std::string::npos);
    const int v = std::atoi(t.c_str());
    Check(v >= 0 && v <= 255);
  };
  if (StartsWith(c, "set Playdesk.Run_Crossfade ")) return number(27);
  if (StartsWith(c, "set Playdesk.Main ")) return number(18);
  if (StartsWith(c, "set Playdesk.Slider1(")) {
    const std::size_t close = c.find(") ");
    Check(close != std::string::npos);
    const int slot = std::atoi(c.substr(21, close - 21).c_str());
    Check(slot >= 0 && slot < kFaderSlots);
    return number(close + 2);
  }
  if (StartsWith(c, "mousedown Playdesk.Command1(") || StartsWith(c, "mouseup Playdesk.Command1(")) {
    const std::size_t open = c.find('(');
    const int slot = std::atoi(c.substr(open + 1).c_str());
    Check(slot >= 0 && slot < kButtonSlots);
    Check(c.substr(c.find(')')) == ") left");
    return;
  }
  Check(false);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const auto a = ParseRemoteMessage(text, error);
  if (a) {
    Check(ValidAction(*a));
    CheckCommands(*a);
    std::string again;
    Check(ParseRemoteMessage(text, again) == a);
  } else {
    Check(!error.empty());
  }

  const RouteKind r = RouteOf(text);
  if (r != RouteKind::None) {
    static const std::set<std::string_view> paths = {"/", "/index.html", "/remote.js", "/remote.css",
                                                     "/session", "/state", "/login", "/ws"};
    Check(paths.count(text) == 1);
  }

  if (const auto pin = ParsePinBody(text)) {
    Check(pin->size() == 6 && pin->find_first_not_of("0123456789") == std::string::npos);
    Check(SameSecret(*pin, *pin));
  }
  return 0;
}
