// QLC+ fixture definitions (.qxf): channels with their group or preset and
// capabilities, and modes that list channels by name.
#include <tinyxml2.h>

#include <charconv>
#include <map>

#include "fixtureimport/fixture_import.h"
#include "fixtureimport/parse_common.h"

namespace lumora::fixtureimport {

namespace {

using tinyxml2::XMLElement;

std::string Text(const XMLElement* e) {
  const char* t = e ? e->GetText() : nullptr;
  return t ? Trim(t) : std::string();
}
std::string Attr(const XMLElement* e, const char* name) {
  const char* a = e->Attribute(name);
  return a ? a : "";
}
bool EndsWith(const std::string& s, std::string_view tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// A DMX value attribute; the error names the channel.
bool Value(const XMLElement* cap, const char* attr, const std::string& channel, int& out, std::string& error) {
  const char* a = cap->Attribute(attr);
  if (!a) {
    error = "Capability of channel \"" + channel + "\" has no " + attr + " value";
    return false;
  }
  const std::string t = Trim(a);
  long long v = 0;
  auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  if (ec != std::errc() || p != t.data() + t.size() || t.empty()) {
    error = "Capability of channel \"" + channel + "\" has a bad " + attr + " value \"" + Clip(t) + "\"";
    return false;
  }
  if (v < 0 || v > 255) {
    error = "DMX value " + std::to_string(v) + " of channel \"" + channel + "\" is outside 0..255";
    return false;
  }
  out = static_cast<int>(v);
  return true;
}

Role PresetRole(const std::string& preset) {
  if (preset == "PositionPan") return Role::Pan;
  if (preset == "PositionTilt") return Role::Tilt;
  if (EndsWith(preset, "Fine")) return Role::Fine;
  return Role::Other;
}

// What a channel preset does, for the report.
std::string PresetGroup(const std::string& preset) {
  static const std::pair<const char*, const char*> kPrefixes[] = {
      {"Intensity", "intensity"}, {"Position", "position"}, {"Speed", "speed"},   {"Color", "colour"},
      {"Gobo", "gobo"},           {"Shutter", "shutter"},   {"Beam", "beam"},     {"Prism", "prism"},
      {"Nothing", "nothing"},     {"Reset", "maintenance"}, {"Lamp", "maintenance"},
  };
  for (auto& [p, g] : kPrefixes)
    if (preset.rfind(p, 0) == 0) return g;
  return "other";
}

}  // namespace

ParseResult ParseQxf(std::string_view text) {
  ParseResult r;
  if (text.size() > kMaxFileBytes) {
    r.error = "The file is larger than " + std::to_string(kMaxFileBytes >> 20) + " MB";
    return r;
  }
  tinyxml2::XMLDocument doc;
  if (doc.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS) {
    r.error = std::string("Malformed XML: ") + (doc.ErrorStr() ? Clip(doc.ErrorStr(), 120) : "unreadable");
    return r;
  }
  const XMLElement* root = doc.RootElement();
  if (!root || std::string_view(root->Name()) != "FixtureDefinition") {
    r.error = "Not a QLC+ fixture definition (no FixtureDefinition element)";
    return r;
  }
  Definition& d = r.def;
  d.manufacturer = Text(root->FirstChildElement("Manufacturer"));
  d.model = Text(root->FirstChildElement("Model"));
  std::map<std::string, int> byName;
  for (const XMLElement* ch = root->FirstChildElement("Channel"); ch; ch = ch->NextSiblingElement("Channel")) {
    if (d.channels.size() >= kMaxChannels) {
      r.error = "The definition has more than " + std::to_string(kMaxChannels) + " channels";
      return r;
    }
    Channel c;
    c.name = Trim(Attr(ch, "Name"));
    const std::string preset = Attr(ch, "Preset");
    const XMLElement* grp = ch->FirstChildElement("Group");
    const std::string group = Text(grp);
    const bool fine = grp && Attr(grp, "Byte") == "1";
    std::size_t count = 0;
    bool anyColourSlot = false, anyGoboSlot = false;
    for (const XMLElement* cap = ch->FirstChildElement("Capability"); cap; cap = cap->NextSiblingElement("Capability")) {
      if (++count > kMaxCapabilities) {
        r.error = "Channel \"" + Clip(c.name) + "\" has more than " + std::to_string(kMaxCapabilities) +
                  " capabilities";
        return r;
      }
      Capability k;
      if (!Value(cap, "Min", c.name, k.min, r.error) || !Value(cap, "Max", c.name, k.max, r.error)) return r;
      if (k.min > k.max) std::swap(k.min, k.max);
      k.name = Text(cap);
      const std::string cp = Attr(cap, "Preset");
      const std::string res1 = Attr(cap, "Res1");
      const std::string colourAttr = Attr(cap, "Color");
      const std::string colour2Attr = Attr(cap, "Color2");
      if (cp == "ColorMacro" || (cp.empty() && !colourAttr.empty() && colour2Attr.empty())) {
        k.kind = CapKind::Slot;
        k.colour = HexColour(cp.empty() ? colourAttr : res1);
        anyColourSlot = true;
      } else if (cp == "ColorDoubleMacro" || (cp.empty() && !colour2Attr.empty())) {
        k.kind = CapKind::Split;
        k.colour = HexColour(cp.empty() ? colourAttr : res1);
        anyColourSlot = true;
      } else if (cp == "GoboMacro" || (cp.empty() && group == "Gobo" && !Attr(cap, "Res").empty())) {
        k.kind = CapKind::Slot;
        anyGoboSlot = true;
      }
      c.caps.push_back(std::move(k));
    }
    // The role: the group says most; a bare channel has only its preset.
    if (fine) {
      c.role = Role::Fine;
    } else if (!preset.empty()) {
      c.role = PresetRole(preset);
    } else if (group == "Pan") {
      c.role = Role::Pan;
    } else if (group == "Tilt") {
      c.role = Role::Tilt;
    } else if (group == "Colour" && anyColourSlot) {
      c.role = Role::ColourWheel;
    } else if (group == "Gobo" && anyGoboSlot) {
      c.role = Role::GoboWheel;
    } else if (group == "Prism") {
      c.role = Role::Prism;
    }
    c.group = !group.empty() ? Lower(group) : !preset.empty() ? PresetGroup(preset) : "other";
    byName.emplace(c.name, static_cast<int>(d.channels.size()));
    d.channels.push_back(std::move(c));
  }
  for (const XMLElement* m = root->FirstChildElement("Mode"); m; m = m->NextSiblingElement("Mode")) {
    if (d.modes.size() >= kMaxModes) {
      r.error = "The definition has more than " + std::to_string(kMaxModes) + " modes";
      return r;
    }
    Mode mode;
    mode.name = Trim(Attr(m, "Name"));
    // Channels by their number; the numbers give the offsets.
    std::map<int, int> slots;
    int next = 0;
    for (const XMLElement* mc = m->FirstChildElement("Channel"); mc; mc = mc->NextSiblingElement("Channel")) {
      int number = next;
      if (mc->Attribute("Number")) {
        long long n = -1;
        const std::string t = Trim(Attr(mc, "Number"));
        auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), n);
        if (ec != std::errc() || p != t.data() + t.size() || n < 0 || n >= static_cast<long long>(kMaxModeChannels)) {
          r.error = "Mode \"" + Clip(mode.name) + "\" has a bad channel number \"" + Clip(t) + "\"";
          return r;
        }
        number = static_cast<int>(n);
      }
      if (slots.size() >= kMaxModeChannels) {
        r.error = "Mode \"" + Clip(mode.name) + "\" has more than " + std::to_string(kMaxModeChannels) + " channels";
        return r;
      }
      auto it = byName.find(Text(mc));
      slots[number] = it == byName.end() ? -1 : it->second;
      next = number + 1;
    }
    const int size = slots.empty() ? 0 : slots.rbegin()->first + 1;
    mode.channels.assign(static_cast<std::size_t>(size), -1);
    for (auto& [n, idx] : slots) mode.channels[static_cast<std::size_t>(n)] = idx;
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
