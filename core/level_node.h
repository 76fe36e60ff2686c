// Tables whose values are levels refuse anything outside 0..255 through the
// console, before the table is touched. Only the desk-state registration
// needs this, so it stays out of the widely included registry header.
#pragma once

#include <cmath>
#include <memory>
#include <string>
#include <utility>

#include "core/registry.h"

namespace lumora {

inline constexpr long long kLevelMin = 0;
inline constexpr long long kLevelMax = 255;

// A bound value or table whose entries must stay within [lo, hi]; indexing
// and fields keep the limit.
class RangedNode : public Node {
 public:
  RangedNode(NodePtr inner, long long lo, long long hi) : inner_(std::move(inner)), lo_(lo), hi_(hi) {}
  Json get() const override { return inner_->get(); }
  std::string set(const Json& v) override {
    if (!fits(v)) return "value out of range";
    return inner_->set(v);
  }
  NodePtr at(const std::vector<long>& idx) override { return wrap(inner_->at(idx)); }
  NodePtr field(std::string_view name) override { return wrap(inner_->field(name)); }

 private:
  // Numbers (and arrays of them) must lie in the range; other types are left
  // to the inner node, which names the type it expected.
  bool fits(const Json& v) const {
    if (v.isArray()) {
      for (const Json& e : v.items())
        if (!fits(e)) return false;
      return true;
    }
    if (v.isBool()) return (v.asBool() ? -1 : 0) >= lo_;
    if (!v.isNumber()) return true;
    const double d = v.asReal();
    if (std::isnan(d)) return true;  // the inner node refuses it as not whole
    return d >= static_cast<double>(lo_) && d <= static_cast<double>(hi_);
  }
  NodePtr wrap(NodePtr n) const { return n ? std::make_unique<RangedNode>(std::move(n), lo_, hi_) : nullptr; }

  NodePtr inner_;
  long long lo_, hi_;
};

template <typename T>
NodePtr BindLevels(T& ref) {
  return std::make_unique<RangedNode>(Bind(ref), kLevelMin, kLevelMax);
}

// A global whose value has fixed bounds (a bank, a selection).
template <typename T>
void AddRanged(Registry& r, std::string name, T& ref, long long lo, long long hi) {
  T* p = &ref;
  r.add(std::move(name), [p, lo, hi] { return std::make_unique<RangedNode>(Bind(*p), lo, hi); });
}

// A global table of levels.
template <typename T>
void AddLevels(Registry& r, std::string name, T& ref) {
  T* p = &ref;
  r.add(std::move(name), [p] { return BindLevels(*p); });
}

// A record field whose values are levels.
template <typename R, typename M>
std::pair<std::string, std::function<NodePtr(R&)>> LevelField(std::string name, M R::*member) {
  return {std::move(name), [member](R& r) { return BindLevels(r.*member); }};
}

}  // namespace lumora
