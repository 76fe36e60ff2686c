#include "webremote/remote_messages.h"

#include <cmath>
#include <initializer_list>

#include "core/json.h"

namespace lumora::webremote {

namespace {

struct OpName {
  const char* name;
  RemoteOp op;
};
constexpr OpName kOps[] = {
    {"run", RemoteOp::Run},       {"take", RemoteOp::Take}, {"xfade", RemoteOp::Crossfade},
    {"fader", RemoteOp::Fader},   {"button", RemoteOp::Button}, {"page", RemoteOp::Page},
    {"main", RemoteOp::Main},     {"clear_all", RemoteOp::ClearAll},
};

// A whole number within lo..hi; JSON reals that are whole count too.
bool WholeIn(const Json* v, int lo, int hi, int& out) {
  if (!v || !v->isNumber()) return false;
  const double d = v->asReal();
  if (!std::isfinite(d) || d != std::floor(d) || d < lo || d > hi) return false;
  out = static_cast<int>(d);
  return true;
}

// Every field present is one the op knows (a name given twice counts once,
// the last value winning, as the JSON reader keeps it).
bool OnlyFields(const Json& o, std::initializer_list<const char*> allowed) {
  for (const auto& [k, v] : o.fields()) {
    bool known = k == "op";
    for (const char* a : allowed) known = known || k == a;
    if (!known) return false;
  }
  return true;
}

}  // namespace

std::optional<RemoteAction> ParseRemoteMessage(std::string_view text, std::string& error) {
  if (text.size() > kMaxMessageBytes) {
    error = "message too long";
    return std::nullopt;
  }
  const std::optional<Json> j = Json::parse(text);
  if (!j || !j->isObject()) {
    error = "not a JSON object";
    return std::nullopt;
  }
  const Json* op = j->find("op");
  if (!op || !op->isString()) {
    error = "no op";
    return std::nullopt;
  }
  RemoteAction a;
  bool known = false;
  for (const OpName& o : kOps)
    if (op->asString() == o.name) {
      a.op = o.op;
      known = true;
    }
  if (!known) {
    error = "unknown op";
    return std::nullopt;
  }
  bool ok = false;
  switch (a.op) {
    case RemoteOp::Run:
    case RemoteOp::Take:
    case RemoteOp::ClearAll:
      ok = OnlyFields(*j, {});
      break;
    case RemoteOp::Crossfade:
    case RemoteOp::Main:
      ok = OnlyFields(*j, {"value"}) && WholeIn(j->find("value"), 0, 255, a.value);
      break;
    case RemoteOp::Fader:
      ok = OnlyFields(*j, {"slot", "value"}) && WholeIn(j->find("slot"), 0, kFaderSlots - 1, a.index) &&
           WholeIn(j->find("value"), 0, 255, a.value);
      break;
    case RemoteOp::Button: {
      const Json* down = j->find("down");
      ok = OnlyFields(*j, {"slot", "down"}) && WholeIn(j->find("slot"), 0, kButtonSlots - 1, a.index) && down &&
           down->isBool();
      if (ok) a.value = down->asBool() ? 1 : 0;
      break;
    }
    case RemoteOp::Page:
      ok = OnlyFields(*j, {"value"}) && WholeIn(j->find("value"), -1, 1, a.value) && a.value != 0;
      break;
  }
  if (!ok) {
    error = "bad fields for " + op->asString();
    return std::nullopt;
  }
  return a;
}

bool ValidAction(const RemoteAction& a) {
  switch (a.op) {
    case RemoteOp::Run:
    case RemoteOp::Take:
    case RemoteOp::ClearAll:
      return true;
    case RemoteOp::Crossfade:
    case RemoteOp::Main:
      return a.value >= 0 && a.value <= 255;
    case RemoteOp::Fader:
      return a.index >= 0 && a.index < kFaderSlots && a.value >= 0 && a.value <= 255;
    case RemoteOp::Button:
      return a.index >= 0 && a.index < kButtonSlots && (a.value == 0 || a.value == 1);
    case RemoteOp::Page:
      return a.value == -1 || a.value == 1;
  }
  return false;
}

std::vector<std::string> ConsoleCommandsFor(const RemoteAction& a) {
  if (!ValidAction(a)) return {};
  const std::string slot = "(" + std::to_string(a.index) + ")";
  switch (a.op) {
    case RemoteOp::Run: return {"click Playdesk.Run_Switch"};
    case RemoteOp::Take: return {"click Playdesk.Run_Autotake"};
    case RemoteOp::Crossfade: return {"set Playdesk.Run_Crossfade " + std::to_string(a.value)};
    // The desk's faders read 0 at the top: a level v is the value 255 - v.
    case RemoteOp::Fader: return {"set Playdesk.Slider1" + slot + " " + std::to_string(255 - a.value)};
    case RemoteOp::Main: return {"set Playdesk.Main " + std::to_string(255 - a.value)};
    case RemoteOp::Button:
      return {std::string(a.value ? "mousedown" : "mouseup") + " Playdesk.Command1" + slot + " left"};
    case RemoteOp::Page: return {a.value > 0 ? "click Playdesk.Inc_Page(0)" : "click Playdesk.Dec_Page(0)"};
    case RemoteOp::ClearAll: return {"click Playdesk.Clear_All"};
  }
  return {};
}

}  // namespace lumora::webremote
