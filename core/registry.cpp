#include "core/registry.h"

#include <cctype>
#include <cmath>

#include "core/json_number.h"

namespace lumora {

namespace {

// An integer of the desk's tables. Whatever the console sends is checked
// before the conversion: a fraction, infinity or a number beyond the type is
// refused, never wrapped or cast with undefined behaviour.
template <typename T>
class CheckedIntNode : public IntNode<T> {
 public:
  explicit CheckedIntNode(T& ref) : IntNode<T>(ref), ref_(ref) {}
  std::string set(const Json& v) override {
    long long n = 0;
    if (v.isBool()) {
      n = v.asBool() ? -1 : 0;
      if (n < static_cast<long long>(std::numeric_limits<T>::min())) return "value out of range";
    } else {
      switch (FitWhole(v, std::numeric_limits<T>::min(), std::numeric_limits<T>::max(), n)) {
        case WholeFit::Ok: break;
        case WholeFit::NotNumber: return "expected a number";
        case WholeFit::NotWhole: return "expected a whole number";
        case WholeFit::OutOfRange: return "value out of range";
      }
    }
    ref_ = static_cast<T>(n);
    return "";
  }

 private:
  T& ref_;
};

// A real of the desk's tables (times in seconds): finite only.
class CheckedRealNode : public RealNode {
 public:
  explicit CheckedRealNode(double& ref) : RealNode(ref) {}
  std::string set(const Json& v) override {
    if (v.isNumber() && !std::isfinite(v.asReal())) return "value out of range";
    return RealNode::set(v);
  }
};

}  // namespace

NodePtr Bind(int16_t& v) { return std::make_unique<CheckedIntNode<int16_t>>(v); }
NodePtr Bind(int32_t& v) { return std::make_unique<CheckedIntNode<int32_t>>(v); }
NodePtr Bind(uint8_t& v) { return std::make_unique<CheckedIntNode<uint8_t>>(v); }
NodePtr Bind(double& v) { return std::make_unique<CheckedRealNode>(v); }
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
