#include "core/registry.h"

#include <cctype>

namespace lumora {

NodePtr Bind(int16_t& v) { return std::make_unique<IntNode<int16_t>>(v); }
NodePtr Bind(int32_t& v) { return std::make_unique<IntNode<int32_t>>(v); }
NodePtr Bind(uint8_t& v) { return std::make_unique<IntNode<uint8_t>>(v); }
NodePtr Bind(double& v) { return std::make_unique<RealNode>(v); }
NodePtr Bind(std::string& v) { return std::make_unique<TextNode>(v); }

NodePtr Registry::find(std::string_view name) const {
  auto it = entries_.find(name);
  if (it == entries_.end()) return nullptr;
  return it->second();
}

std::vector<std::string> Registry::names() const {
  std::vector<std::string> out;
  for (auto& e : entries_) out.push_back(e.first);
  return out;
}

bool ParseAddress(std::string_view t, std::vector<AddressSegment>& out) {
  out.clear();
  std::size_t p = 0;
  while (p < t.size()) {
    AddressSegment seg;
    std::size_t b = p;
    while (p < t.size() && (std::isalnum(static_cast<unsigned char>(t[p])) || t[p] == '_')) ++p;
    if (p == b) return false;
    seg.name = std::string(t.substr(b, p - b));
    if (p < t.size() && t[p] == '(') {
      seg.hasIndex = true;
      ++p;
      for (;;) {
        while (p < t.size() && t[p] == ' ') ++p;
        std::size_t nb = p;
        if (p < t.size() && t[p] == '-') ++p;
        while (p < t.size() && std::isdigit(static_cast<unsigned char>(t[p]))) ++p;
        if (p == nb || (p == nb + 1 && t[nb] == '-')) return false;
        if (p - nb > 9) return false;
        seg.index.push_back(std::stol(std::string(t.substr(nb, p - nb))));
        while (p < t.size() && t[p] == ' ') ++p;
        if (p < t.size() && t[p] == ',') { ++p; continue; }
        if (p < t.size() && t[p] == ')') { ++p; break; }
        return false;
      }
    }
    out.push_back(std::move(seg));
    if (p < t.size()) {
      if (t[p] != '.') return false;
      ++p;
      if (p == t.size()) return false;
    }
  }
  return !out.empty();
}

NodePtr Resolve(const Registry& reg, const std::vector<AddressSegment>& segs, std::string& error) {
  if (segs.empty()) { error = "empty address"; return nullptr; }
  // Longest dotted prefix that names a registered entry.
  std::size_t start = 0;
  NodePtr n;
  std::string joined;
  std::vector<std::string> prefixes;
  for (std::size_t k = 0; k < segs.size(); ++k) {
    if (k) joined += '.';
    joined += segs[k].name;
    prefixes.push_back(joined);
    if (segs[k].hasIndex) break;
  }
  for (std::size_t k = prefixes.size(); k-- > 0;) {
    if (reg.has(prefixes[k])) {
      n = reg.find(prefixes[k]);
      start = k;
      break;
    }
  }
  if (!n) { error = "unknown address " + segs[0].name; return nullptr; }
  for (std::size_t i = start; i < segs.size(); ++i) {
    const auto& s = segs[i];
    if (i > start) {
      NodePtr f = n->field(s.name);
      if (!f) { error = "unknown field " + s.name; return nullptr; }
      n = std::move(f);
    }
    if (s.hasIndex) {
      NodePtr e = n->at(s.index);
      if (!e) { error = "bad index for " + s.name; return nullptr; }
      n = std::move(e);
    }
  }
  return n;
}

}  // namespace lumora
