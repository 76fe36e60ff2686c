// One mode of a parsed definition onto the desk's fixture type.
#include <fstream>
#include <sstream>

#include "fixtureimport/fixture_import.h"
#include "fixtureimport/parse_common.h"

namespace lumora::fixtureimport {

namespace {

const char* RoleWord(Role r) {
  switch (r) {
    case Role::ColourWheel: return "colour";
    case Role::GoboWheel: return "gobo";
    case Role::Pan: return "pan";
    case Role::Tilt: return "tilt";
    default: return "";
  }
}

std::string Where(int offset) {
  return "channel " + std::to_string(offset + 1) + " (offset " + std::to_string(offset) + ")";
}

std::string Quoted(const std::string& s) { return "\"" + Clip(s) + "\""; }

// The mode's first channel of each desk role, by offset; -1 when absent.
std::array<int, 4> RoleOffsets(const Definition& d, const Mode& m) {
  std::array<int, 4> at{-1, -1, -1, -1};
  for (std::size_t o = 0; o < m.channels.size(); ++o) {
    const int i = m.channels[o];
    if (i < 0) continue;
    int f = -1;
    switch (d.channels[static_cast<std::size_t>(i)].role) {
      case Role::ColourWheel: f = 0; break;
      case Role::GoboWheel: f = 1; break;
      case Role::Pan: f = 2; break;
      case Role::Tilt: f = 3; break;
      default: break;
    }
    if (f >= 0 && at[static_cast<std::size_t>(f)] < 0) at[static_cast<std::size_t>(f)] = static_cast<int>(o);
  }
  return at;
}

void Hide(Entry& e) {
  e.text.clear();
  e.low = 0;
  e.high = 0;
  e.colour = kSystemFaceText;
}

// Function 0 or 1: one entry per wheel slot.
void MapWheel(const Channel& c, int f, int offset, FixtureType& t, std::vector<std::string>& report) {
  auto& entries = t.entries[static_cast<std::size_t>(f)];
  std::vector<std::string> names, captions;
  int used = 0, repeated = 0, over = 0, splits = 0, others = 0;
  for (const Capability& k : c.caps) {
    if (k.kind == CapKind::Split) {
      ++splits;
      continue;
    }
    if (k.kind != CapKind::Slot) {
      ++others;
      continue;
    }
    const std::string key = Lower(Trim(k.name));
    bool seen = false;
    for (const auto& n : names) seen = seen || n == key;
    if (seen) {
      ++repeated;  // the same slot again further round the wheel
      continue;
    }
    if (used >= kDeskEntries) {
      ++over;
      continue;
    }
    names.push_back(key);
    Entry& e = entries[static_cast<std::size_t>(used++)];
    e.text = ShortCaption(k.name, captions);
    captions.push_back(e.text);
    e.low = k.min;
    e.high = 1;
    e.colour = k.colour ? std::to_string(*k.colour) : kSystemFaceText;
  }
  const char* what = f == 0 ? "colour" : "gobo";
  report.push_back(std::string(what) + ": " + Where(offset) + " " + Quoted(c.name) + " -> function " +
                   std::to_string(f) + ", " + std::to_string(used) + " entries");
  if (repeated > 0)
    report.push_back("not mapped: " + std::to_string(repeated) + " " + what +
                     " positions that repeat an earlier slot's name");
  if (over > 0)
    report.push_back("not mapped: " + std::to_string(over) + " " + what + " slots beyond the desk's " +
                     std::to_string(kDeskEntries) + " entries");
  if (splits > 0)
    report.push_back("not mapped: " + std::to_string(splits) + " split " + what + " positions");
  if (others > 0)
    report.push_back("not mapped: " + std::to_string(others) + " " + what +
                     " wheel ranges that are no slot (rotation, shake, random, ...)");
}

// Function 2 or 3: the channel's ranges, or the full range with halves.
void MapPosition(const Channel& c, int f, int offset, FixtureType& t, std::vector<std::string>& report) {
  auto& entries = t.entries[static_cast<std::size_t>(f)];
  std::vector<std::string> captions;
  int used = 0, hidden = 0, over = 0;
  const bool whole = c.caps.empty() || (c.caps.size() == 1 && c.caps[0].min == 0 && c.caps[0].max == 255);
  if (whole) {
    struct R {
      const char* name;
      int lo, hi;
    };
    static const R kRanges[] = {{"Full", 0, 255}, {"Low half", 0, 127}, {"High half", 128, 255}, {"Centre", 64, 191}};
    for (const R& r : kRanges) {
      Entry& e = entries[static_cast<std::size_t>(used++)];
      e.text = r.name;
      e.low = r.lo;
      e.high = r.hi;
    }
  } else {
    for (const Capability& k : c.caps) {
      if (k.max < 1) {
        ++hidden;  // a range ending at 0 would be hidden on the desk
        continue;
      }
      if (used >= kDeskEntries) {
        ++over;
        continue;
      }
      Entry& e = entries[static_cast<std::size_t>(used++)];
      e.text = ShortCaption(k.name.empty() ? std::to_string(k.min) + "-" + std::to_string(k.max) : k.name, captions);
      captions.push_back(e.text);
      e.low = k.min;
      e.high = k.max;
      if (k.colour) e.colour = std::to_string(*k.colour);
    }
  }
  const char* what = f == 2 ? "pan" : "tilt";
  report.push_back(std::string(what) + ": " + Where(offset) + " " + Quoted(c.name) + " -> function " +
                   std::to_string(f) + ", " + std::to_string(used) + " ranges" +
                   (whole ? " (full range and its halves)" : ""));
  if (hidden > 0) report.push_back("not mapped: " + std::to_string(hidden) + " " + what + " ranges ending at 0");
  if (over > 0)
    report.push_back("not mapped: " + std::to_string(over) + " " + what + " ranges beyond the desk's " +
                     std::to_string(kDeskEntries) + " entries");
}

std::string ReadFile(const std::string& path, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "Unable to open " + path;
    return "";
  }
  in.seekg(0, std::ios::end);
  const auto size = in.tellg();
  if (size < 0 || static_cast<unsigned long long>(size) > kMaxFileBytes) {
    error = "The file is larger than " + std::to_string(kMaxFileBytes >> 20) + " MB";
    return "";
  }
  in.seekg(0);
  std::ostringstream buf;
  buf << in.rdbuf();
  return buf.str();
}

std::string Extension(const std::string& path) {
  const auto slash = path.find_last_of('/');
  const auto dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return Lower(path.substr(dot + 1));
}

// OFL keeps the maker in the folder's name ("american-dj/..."): "American Dj".
std::string MakerFromFolder(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return "";
  const auto prev = path.find_last_of('/', slash - 1);
  std::string key = path.substr(prev == std::string::npos ? 0 : prev + 1,
                                slash - (prev == std::string::npos ? 0 : prev + 1));
  bool start = true;
  for (auto& c : key) {
    if (c == '-' || c == '_') {
      c = ' ';
      start = true;
    } else if (start) {
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      start = false;
    }
  }
  return key;
}

}  // namespace

std::vector<ModeInfo> Modes(const Definition& d) {
  std::vector<ModeInfo> out;
  for (const Mode& m : d.modes) {
    ModeInfo i;
    i.name = m.name;
    i.channels = static_cast<int>(m.channels.size());
    for (int o : RoleOffsets(d, m)) i.mappable += o >= 0 ? 1 : 0;
    out.push_back(i);
  }
  return out;
}

int BestMode(const Definition& d) {
  const auto modes = Modes(d);
  int best = -1;
  for (std::size_t i = 0; i < modes.size(); ++i) {
    if (modes[i].mappable == 0) continue;
    const auto b = static_cast<std::size_t>(best);
    if (best < 0 || modes[i].mappable > modes[b].mappable ||
        (modes[i].mappable == modes[b].mappable && modes[i].channels < modes[b].channels))
      best = static_cast<int>(i);
  }
  return best;
}

ImportResult Build(const Definition& d, int mode) {
  ImportResult r;
  if (mode < 0 || static_cast<std::size_t>(mode) >= d.modes.size()) {
    r.error = "The definition has no mode " + std::to_string(mode);
    return r;
  }
  const Mode& m = d.modes[static_cast<std::size_t>(mode)];
  r.mode = m.name;
  const auto at = RoleOffsets(d, m);
  if (at[0] < 0 && at[1] < 0 && at[2] < 0 && at[3] < 0) {
    r.error = "Mode " + Quoted(m.name) + " has no colour wheel, gobo wheel, pan or tilt channel the desk can use";
    return r;
  }
  FixtureType& t = r.type;
  std::string name = d.manufacturer;
  if (!d.model.empty()) name += (name.empty() ? "" : " ") + d.model;
  t.name = name.empty() ? "Imported fixture" : name;
  for (auto& fn : t.entries)
    for (auto& e : fn) Hide(e);
  r.report.push_back(t.name + ", mode " + Quoted(m.name) + " (" + std::to_string(m.channels.size()) + " channels)");
  for (int f = 0; f < kFunctions; ++f) {
    const int o = at[static_cast<std::size_t>(f)];
    if (o < 0) {
      r.report.push_back(std::string("no ") + RoleWord(static_cast<Role>(static_cast<int>(Role::ColourWheel) + f)) +
                         " channel: function " + std::to_string(f) + " left empty");
      continue;
    }
    const Channel& c = d.channels[static_cast<std::size_t>(m.channels[static_cast<std::size_t>(o)])];
    t.functionName[static_cast<std::size_t>(f)] = c.name;
    if (f < 2)
      MapWheel(c, f, o, t, r.report);
    else
      MapPosition(c, f, o, t, r.report);
  }
  // Everything else in the mode, so the operator knows what stays unpatched.
  for (std::size_t o = 0; o < m.channels.size(); ++o) {
    const int oi = static_cast<int>(o);
    if (oi == at[0] || oi == at[1] || oi == at[2] || oi == at[3]) continue;
    const int i = m.channels[o];
    if (i < 0) {
      r.report.push_back("not mapped: " + Where(oi) + " (unused or unknown channel)");
      continue;
    }
    const Channel& c = d.channels[static_cast<std::size_t>(i)];
    std::string why;
    switch (c.role) {
      case Role::ColourWheel: why = "second colour wheel"; break;
      case Role::GoboWheel: why = "second gobo wheel"; break;
      case Role::Pan: why = "second pan channel"; break;
      case Role::Tilt: why = "second tilt channel"; break;
      case Role::Fine: why = "16-bit fine channel"; break;
      case Role::Prism: why = "prism"; break;
      case Role::Other: why = c.group; break;
    }
    r.report.push_back("not mapped: " + Where(oi) + " " + Quoted(c.name) + " (" + why + ")");
  }
  r.ok = true;
  return r;
}

ParseResult ParseFile(const std::string& path) {
  ParseResult r;
  const std::string text = ReadFile(path, r.error);
  if (!r.error.empty()) return r;
  const std::string ext = Extension(path);
  if (ext == "qxf" || ext == "xml") return ParseQxf(text);
  if (ext == "json") return ParseOfl(text, MakerFromFolder(path));
  r.error = "Unknown file type \"." + Clip(ext) + "\": expected a .qxf or an Open Fixture Library .json file";
  return r;
}

ImportResult ImportFile(const std::string& path, const std::string& mode) {
  ImportResult r;
  ParseResult p = ParseFile(path);
  if (!p.ok) {
    r.error = p.error;
    return r;
  }
  int index = -1;
  if (mode.empty()) {
    index = BestMode(p.def);
    if (index < 0) {
      r.error = "No mode of this definition has a colour wheel, gobo wheel, pan or tilt channel the desk can use";
      return r;
    }
  } else {
    for (std::size_t i = 0; i < p.def.modes.size() && index < 0; ++i)
      if (p.def.modes[i].name == mode) index = static_cast<int>(i);
    if (index < 0) {
      r.error = "The definition has no mode " + Quoted(mode);
      return r;
    }
  }
  r = Build(p.def, index);
  if (r.ok && mode.empty() && p.def.modes.size() > 1)
    r.report.insert(r.report.begin() + 1, "mode chosen: the one with the most mappable channels of " +
                                              std::to_string(p.def.modes.size()) + " modes");
  return r;
}

}  // namespace lumora::fixtureimport
