#include "project/sacn_section.h"

#include "output/sacn_packet.h"
#include "project/project_format.h"

namespace lumora {

namespace {

void Field(std::string& o, int tabs, const char* tag, const std::string& value) {
  o.append(static_cast<std::size_t>(tabs), '\t');
  o += std::string("<") + tag + ">" + value + "</" + tag + ">\r";
}

bool AtDefaults(const SacnPortRec& p, int port) {
  return p.Enabled == 0 && p.Universe == port + 1 && p.Priority == kSacnDefaultPriority && p.Unicast.empty();
}

// The element's text as a whole number in lo..hi.
bool Whole(std::string_view body, const char* tag, int lo, int hi, int& out) {
  std::size_t pos = 1;
  const std::string t = GetTagText(pos, body, tag);
  double v = 0;
  if (t.empty() || !IsNumericText(t, v) || v != static_cast<double>(static_cast<long long>(v)) || v < lo || v > hi)
    return false;
  out = static_cast<int>(v);
  return true;
}

}  // namespace

std::string SacnSection(const DeskState& s) {
  std::string body;
  if (!s.SacnInterface.empty()) Field(body, 2, "Interface", s.SacnInterface);
  for (int p = 0; p < kSacnPorts; ++p) {
    const SacnPortRec& r = s.SacnPorts[static_cast<std::size_t>(p)];
    if (AtDefaults(r, p)) continue;
    body += "\t\t<Output>\r";
    Field(body, 3, "Port", std::to_string(p));
    if (r.Enabled != 0) Field(body, 3, "Enabled", "1");
    Field(body, 3, "Universe", std::to_string(r.Universe));
    Field(body, 3, "Priority", std::to_string(r.Priority));
    if (!r.Unicast.empty()) Field(body, 3, "Unicast", r.Unicast);
    body += "\t\t</Output>\r";
  }
  if (body.empty()) return {};
  return "\t<Sacn>\r" + body + "\t</Sacn>\r";
}

SacnReadResult ReadSacnSection(DeskState& s, std::string_view text) {
  SacnReadResult r;
  std::size_t pos = 1;
  const TagHit section = FindTag(pos, text, "Sacn");
  if (!section.found) return r;
  r.found = true;
  const std::string_view body = section.text;
  std::size_t ip = 1;
  const std::string iface = GetTagText(ip, body, "Interface");
  s.SacnInterface = sacn::ParseIPv4(iface) ? iface : std::string();
  s.SacnPorts = DefaultSacnPorts();
  std::size_t at = 1;
  for (;;) {
    const TagHit out = FindTag(at, body, "Output");
    if (!out.found) break;
    int port = 0, universe = 0, priority = 0;
    if (!Whole(out.text, "Port", 0, kSacnPorts - 1, port) ||
        !Whole(out.text, "Universe", sacn::kMinUniverse, sacn::kMaxUniverse, universe) ||
        !Whole(out.text, "Priority", 0, sacn::kMaxPriority, priority)) {
      ++r.skipped;
      continue;
    }
    std::size_t up = 1;
    const std::string unicast = GetTagText(up, out.text, "Unicast");
    if (!unicast.empty() && !sacn::ParseIPv4(unicast)) {
      ++r.skipped;
      continue;
    }
    int enabled = 0;
    SacnPortRec& p = s.SacnPorts[static_cast<std::size_t>(port)];
    p.Enabled = Whole(out.text, "Enabled", -32768, 32767, enabled) && enabled != 0 ? -1 : 0;
    p.Universe = universe;
    p.Priority = static_cast<int16_t>(priority);
    p.Unicast = unicast;
    ++r.outputs;
  }
  // Two outputs of one universe would be two streams of one source: the
  // later port is switched off.
  for (int a = 0; a < kSacnPorts; ++a)
    for (int b = a + 1; b < kSacnPorts; ++b) {
      SacnPortRec& pa = s.SacnPorts[static_cast<std::size_t>(a)];
      SacnPortRec& pb = s.SacnPorts[static_cast<std::size_t>(b)];
      if (pa.Enabled != 0 && pb.Enabled != 0 && pa.Universe == pb.Universe) pb.Enabled = 0;
    }
  return r;
}

}  // namespace lumora
