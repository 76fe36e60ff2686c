// Open Fixture Library definitions (.json): available channels with their
// capabilities, wheels with their slots, and modes listing channel keys.
#include <nlohmann/json.hpp>

#include <cmath>
#include <map>
#include <set>

#include "fixtureimport/fixture_import.h"
#include "fixtureimport/parse_common.h"

namespace lumora::fixtureimport {

namespace {

using nlohmann::json;

std::string Str(const json& o, const char* key) {
  if (!o.is_object()) return "";
  auto it = o.find(key);
  return it != o.end() && it->is_string() ? Trim(it->get<std::string>()) : std::string();
}

struct Slot {
  std::string type, name;
  std::optional<int32_t> colour;
};

// A slot's name as an operator says it.
std::string SlotName(const Slot& s, int number) {
  if (!s.name.empty()) return s.name;
  if (s.type == "Open" || s.type == "Closed") return s.type;
  if (s.type == "Color") return "Colour " + std::to_string(number);
  if (s.type.empty()) return "Slot " + std::to_string(number);
  return s.type + " " + std::to_string(number);
}

// One capability's DMX range in 8-bit values.
bool Range(const json& cap, int shift, bool single, const std::string& channel, int& lo, int& hi,
           std::string& error) {
  auto it = cap.find("dmxRange");
  if (it == cap.end()) {
    if (!single) {
      error = "A capability of channel \"" + Clip(channel) + "\" has no dmxRange";
      return false;
    }
    lo = 0;
    hi = 255;
    return true;
  }
  if (!it->is_array() || it->size() != 2 || !(*it)[0].is_number() || !(*it)[1].is_number()) {
    error = "Channel \"" + Clip(channel) + "\" has a malformed dmxRange";
    return false;
  }
  const double top = shift == 0 ? 255 : shift == 8 ? 65535 : 16777215;
  for (int i = 0; i < 2; ++i) {
    const double v = (*it)[static_cast<std::size_t>(i)].get<double>();
    if (!(v >= 0 && v <= top) || v != std::floor(v)) {
      error = "DMX value " + (*it)[static_cast<std::size_t>(i)].dump() + " of channel \"" + Clip(channel) +
              "\" is outside 0.." + std::to_string(static_cast<long long>(top));
      return false;
    }
    (i == 0 ? lo : hi) = static_cast<int>(static_cast<long long>(v) >> shift);
  }
  if (lo > hi) std::swap(lo, hi);
  return true;
}

std::string Group(const std::string& type) {
  if (type == "Intensity" || type == "ColorIntensity") return "intensity";
  if (type.rfind("Shutter", 0) == 0 || type == "StrobeSpeed" || type == "StrobeDuration") return "shutter";
  if (type.rfind("Pan", 0) == 0 || type.rfind("Tilt", 0) == 0) return "speed";
  if (type.rfind("Color", 0) == 0) return "colour";
  if (type.rfind("Prism", 0) == 0) return "prism";
  if (type.rfind("Wheel", 0) == 0) return "wheel";
  if (type == "Maintenance" || type == "NoFunction") return "maintenance";
  if (type == "Effect" || type == "EffectSpeed" || type == "EffectDuration") return "effect";
  if (type == "Zoom" || type == "Focus" || type == "Iris" || type == "Frost" || type == "BeamAngle") return "beam";
  return type.empty() ? "other" : Lower(type);
}

}  // namespace

ParseResult ParseOfl(std::string_view text, std::string_view manufacturer) {
  ParseResult r;
  if (text.size() > kMaxFileBytes) {
    r.error = "The file is larger than " + std::to_string(kMaxFileBytes >> 20) + " MB";
    return r;
  }
  json doc = json::parse(text.begin(), text.end(), nullptr, false);
  if (doc.is_discarded()) {
    r.error = "Malformed JSON";
    return r;
  }
  if (!doc.is_object() || !doc.contains("availableChannels") || !doc.contains("modes")) {
    r.error = "Not an Open Fixture Library definition (no availableChannels or modes)";
    return r;
  }
  const json& avail = doc["availableChannels"];
  const json& modes = doc["modes"];
  if (!avail.is_object() || !modes.is_array()) {
    r.error = "Not an Open Fixture Library definition (availableChannels or modes malformed)";
    return r;
  }
  Definition& d = r.def;
  d.model = Str(doc, "name");
  d.manufacturer = Trim(manufacturer);
  if (doc.contains("manufacturer")) {
    const json& m = doc["manufacturer"];
    if (m.is_string()) d.manufacturer = Trim(m.get<std::string>());
    if (m.is_object() && !Str(m, "name").empty()) d.manufacturer = Str(m, "name");
  }

  // Wheels: name -> slots (slot numbers start at 1).
  std::map<std::string, std::vector<Slot>> wheels;
  if (doc.contains("wheels") && doc["wheels"].is_object()) {
    for (auto& [wname, w] : doc["wheels"].items()) {
      if (!w.is_object() || !w.contains("slots") || !w["slots"].is_array()) continue;
      auto& slots = wheels[wname];
      for (const json& s : w["slots"]) {
        if (slots.size() >= kMaxCapabilities) {
          r.error = "Wheel \"" + Clip(wname) + "\" has more than " + std::to_string(kMaxCapabilities) + " slots";
          return r;
        }
        Slot slot;
        slot.type = Str(s, "type");
        slot.name = Str(s, "name");
        if (s.is_object() && s.contains("colors") && s["colors"].is_array() && !s["colors"].empty() &&
            s["colors"][0].is_string())
          slot.colour = HexColour(s["colors"][0].get<std::string>());
        slots.push_back(std::move(slot));
      }
    }
  }

  std::map<std::string, int> byKey;
  std::set<std::string> fineAliases;
  for (auto& [key, ch] : avail.items()) {
    if (d.channels.size() >= kMaxChannels) {
      r.error = "The definition has more than " + std::to_string(kMaxChannels) + " channels";
      return r;
    }
    if (!ch.is_object()) {
      r.error = "Channel \"" + Clip(key) + "\" is not an object";
      return r;
    }
    Channel c;
    c.name = Str(ch, "name").empty() ? key : Str(ch, "name");
    int shift = 0;
    const std::string res = Str(ch, "dmxValueResolution");
    if (res == "16bit") shift = 8;
    else if (res == "24bit") shift = 16;
    const bool single = ch.contains("capability");
    json caps = json::array();
    if (single) caps.push_back(ch["capability"]);
    else if (ch.contains("capabilities") && ch["capabilities"].is_array()) caps = ch["capabilities"];
    if (caps.size() > kMaxCapabilities) {
      r.error = "Channel \"" + Clip(key) + "\" has more than " + std::to_string(kMaxCapabilities) + " capabilities";
      return r;
    }
    int pans = 0, tilts = 0, prisms = 0;
    std::string wheelName;
    std::string firstType;
    for (const json& cap : caps) {
      if (!cap.is_object()) {
        r.error = "A capability of channel \"" + Clip(key) + "\" is not an object";
        return r;
      }
      Capability k;
      if (!Range(cap, shift, single, key, k.min, k.max, r.error)) return r;
      const std::string type = Str(cap, "type");
      if (firstType.empty()) firstType = type;
      k.name = Str(cap, "comment");
      if (type == "Pan") ++pans;
      if (type == "Tilt") ++tilts;
      if (type.rfind("Prism", 0) == 0) ++prisms;
      if (type == "WheelSlot") {
        const std::string wn = Str(cap, "wheel").empty() ? key : Str(cap, "wheel");
        if (wheelName.empty()) wheelName = wn;
        auto wit = wheels.find(wn);
        const json* sn = cap.contains("slotNumber") ? &cap["slotNumber"] : nullptr;
        if (wit != wheels.end() && sn && sn->is_number()) {
          const double n = sn->get<double>();
          const auto& slots = wit->second;
          if (n == std::floor(n) && n >= 1 && n <= static_cast<double>(slots.size())) {
            const Slot& s = slots[static_cast<std::size_t>(n) - 1];
            k.kind = CapKind::Slot;
            if (k.name.empty()) k.name = SlotName(s, static_cast<int>(n));
            k.colour = s.colour;
          } else if (n > 0 && n < static_cast<double>(slots.size()) + 1) {
            k.kind = CapKind::Split;
          }
        }
      }
      if (k.name.empty()) k.name = type;
      c.caps.push_back(std::move(k));
    }
    if (!wheelName.empty()) {
      // The wheel's slots say what it holds.
      bool colour = false, gobo = false;
      auto wit = wheels.find(wheelName);
      if (wit != wheels.end())
        for (const Slot& s : wit->second) {
          colour = colour || s.type == "Color";
          gobo = gobo || s.type == "Gobo";
        }
      c.role = colour ? Role::ColourWheel : gobo ? Role::GoboWheel : Role::Other;
      c.group = colour ? "colour" : gobo ? "gobo" : "wheel";
    } else if (!caps.empty() && pans == static_cast<int>(caps.size())) {
      c.role = Role::Pan;
      c.group = "pan";
    } else if (!caps.empty() && tilts == static_cast<int>(caps.size())) {
      c.role = Role::Tilt;
      c.group = "tilt";
    } else if (prisms > 0) {
      c.role = Role::Prism;
      c.group = "prism";
    } else {
      c.group = Group(firstType);
    }
    const int index = static_cast<int>(d.channels.size());
    byKey.emplace(key, index);
    // Fine channels are named by aliases of their coarse channel.
    if (ch.contains("fineChannelAliases") && ch["fineChannelAliases"].is_array()) {
      for (const json& a : ch["fineChannelAliases"]) {
        if (!a.is_string()) continue;
        fineAliases.insert(a.get<std::string>());
        if (fineAliases.size() + d.channels.size() >= kMaxChannels) {
          r.error = "The definition has more than " + std::to_string(kMaxChannels) + " channels";
          return r;
        }
      }
    }
    d.channels.push_back(std::move(c));
  }
  for (const std::string& a : fineAliases) {
    if (byKey.count(a)) continue;
    Channel f;
    f.name = a;
    f.role = Role::Fine;
    f.group = "fine";
    byKey.emplace(a, static_cast<int>(d.channels.size()));
    d.channels.push_back(std::move(f));
  }

  if (modes.size() > kMaxModes) {
    r.error = "The definition has more than " + std::to_string(kMaxModes) + " modes";
    return r;
  }
  for (const json& m : modes) {
    if (!m.is_object() || !m.contains("channels") || !m["channels"].is_array()) {
      r.error = "A mode has no channel list";
      return r;
    }
    Mode mode;
    mode.name = Str(m, "name");
    if (m["channels"].size() > kMaxModeChannels) {
      r.error = "Mode \"" + Clip(mode.name) + "\" has more than " + std::to_string(kMaxModeChannels) + " channels";
      return r;
    }
    for (const json& c : m["channels"]) {
      auto it = c.is_string() ? byKey.find(c.get<std::string>()) : byKey.end();
      mode.channels.push_back(it == byKey.end() ? -1 : it->second);
    }
    d.modes.push_back(std::move(mode));
  }
  if (d.modes.empty()) {
    r.error = "The definition has no modes";
    return r;
  }
  r.ok = true;
  return r;
}

}  // namespace lumora::fixtureimport
