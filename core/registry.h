// Finds the desk's globals, form members and record fields by their names,
// for the console and the tests: `DeskLevels(4)`, `Submixes(0).Channel(1)`,
// `Chases(0).Data(1,2)`. Tables bind by reference; nothing is copied.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/json.h"

namespace lumora {

// One addressable value or table.
class Node {
 public:
  virtual ~Node() = default;
  virtual Json get() const = 0;
  // Returns an error text, or "" on success.
  virtual std::string set(const Json& v) = 0;
  // Indexing: consumes the given indices (all of them).
  virtual std::unique_ptr<Node> at(const std::vector<long>& idx) {
    (void)idx;
    return nullptr;
  }
  virtual std::unique_ptr<Node> field(std::string_view name) {
    (void)name;
    return nullptr;
  }
};

using NodePtr = std::unique_ptr<Node>;

// --- binding helpers -------------------------------------------------------

template <typename T>
class IntNode : public Node {
 public:
  explicit IntNode(T& ref) : ref_(ref) {}
  Json get() const override { return Json(static_cast<long long>(ref_)); }
  std::string set(const Json& v) override {
    if (!v.isNumber() && !v.isBool()) return "expected a number";
    long long n = v.isBool() ? (v.asBool() ? -1 : 0) : v.asInt();
    if (v.isNumber() && v.asReal() != static_cast<double>(n)) return "expected a whole number";
    if (n < static_cast<long long>(std::numeric_limits<T>::min()) ||
        n > static_cast<long long>(std::numeric_limits<T>::max()))
      return "value out of range";
    ref_ = static_cast<T>(n);
    return "";
  }

 private:
  T& ref_;
};

class RealNode : public Node {
 public:
  explicit RealNode(double& ref) : ref_(ref) {}
  Json get() const override { return Json(ref_); }
  std::string set(const Json& v) override {
    if (!v.isNumber()) return "expected a number";
    ref_ = v.asReal();
    return "";
  }

 private:
  double& ref_;
};

class TextNode : public Node {
 public:
  explicit TextNode(std::string& ref) : ref_(ref) {}
  Json get() const override { return Json(ref_); }
  std::string set(const Json& v) override {
    if (!v.isString()) return "expected a string";
    ref_ = v.asString();
    return "";
  }

 private:
  std::string& ref_;
};

// A read-only computed value.
class FnNode : public Node {
 public:
  FnNode(std::function<Json()> g, std::function<std::string(const Json&)> s = nullptr)
      : g_(std::move(g)), s_(std::move(s)) {}
  Json get() const override { return g_(); }
  std::string set(const Json& v) override { return s_ ? s_(v) : "read-only"; }

 private:
  std::function<Json()> g_;
  std::function<std::string(const Json&)> s_;
};

// Field table of a record type: specialise RecordFields<R>::list().
template <typename R>
struct RecordFields;

template <typename R>
using FieldList = std::vector<std::pair<std::string, std::function<NodePtr(R&)>>>;

NodePtr Bind(int16_t& v);
NodePtr Bind(int32_t& v);
NodePtr Bind(uint8_t& v);

NodePtr Bind(double& v);
NodePtr Bind(std::string& v);
template <typename R>
NodePtr Bind(R& rec);
template <typename T, std::size_t N>
NodePtr Bind(std::array<T, N>& a);

template <typename R>
class RecordNode : public Node {
 public:
  explicit RecordNode(R& r) : r_(r) {}
  Json get() const override {
    Json o = Json::object();
    for (auto& [name, make] : RecordFields<R>::list()) o.set(name, make(r_)->get());
    return o;
  }
  std::string set(const Json&) override { return "a record is set field by field"; }
  NodePtr field(std::string_view name) override {
    for (auto& [n, make] : RecordFields<R>::list())
      if (n == name) return make(r_);
    return nullptr;
  }

 private:
  R& r_;
};

template <typename T, std::size_t N>
class ArrayNode : public Node {
 public:
  explicit ArrayNode(std::array<T, N>& a) : a_(a) {}
  Json get() const override {
    Json arr = Json::array();
    for (auto& e : a_) arr.push(Bind(e)->get());
    return arr;
  }
  std::string set(const Json& v) override {
    if (!v.isArray() || v.size() != N) return "expected an array of " + std::to_string(N);
    for (std::size_t i = 0; i < N; ++i) {
      std::string e = Bind(a_[i])->set(v[i]);
      if (!e.empty()) return e;
    }
    return "";
  }
  NodePtr at(const std::vector<long>& idx) override {
    if (idx.empty()) return nullptr;
    long i = idx[0];
    if (i < 0 || static_cast<std::size_t>(i) >= N) return nullptr;
    NodePtr n = Bind(a_[static_cast<std::size_t>(i)]);
    if (idx.size() == 1) return n;
    return n->at(std::vector<long>(idx.begin() + 1, idx.end()));
  }

 private:
  std::array<T, N>& a_;
};

template <typename R>
NodePtr Bind(R& rec) {
  return std::make_unique<RecordNode<R>>(rec);
}
template <typename T, std::size_t N>
NodePtr Bind(std::array<T, N>& a) {
  return std::make_unique<ArrayNode<T, N>>(a);
}

// Field helper for RecordFields specialisations.
template <typename R, typename M>
std::pair<std::string, std::function<NodePtr(R&)>> Field(std::string name, M R::*member) {
  return {std::move(name), [member](R& r) { return Bind(r.*member); }};
}

// A node with named children, for grouped read-outs such as `Sim.Ftdi`.
class TreeNode : public Node {
 public:
  using Factory = std::function<NodePtr()>;
  void add(std::string name, Factory f) { children_.emplace_back(std::move(name), std::move(f)); }
  Json get() const override {
    Json o = Json::object();
    for (auto& [n, f] : children_) o.set(n, f()->get());
    return o;
  }
  std::string set(const Json&) override { return "read-only"; }
  NodePtr field(std::string_view name) override {
    for (auto& [n, f] : children_)
      if (n == name) return f();
    return nullptr;
  }

 private:
  std::vector<std::pair<std::string, Factory>> children_;
};

// Names may contain dots (`Sim.Ftdi.Frames`): the longest registered dotted
// prefix of an address is looked up first.
class Registry {
 public:
  using Factory = std::function<NodePtr()>;
  void add(std::string name, Factory f) { entries_[std::move(name)] = std::move(f); }
  template <typename T>
  void bind(std::string name, T& ref) {
    T* p = &ref;
    add(std::move(name), [p] { return Bind(*p); });
  }
  NodePtr find(std::string_view name) const;
  bool has(std::string_view name) const { return entries_.count(std::string(name)) > 0; }
  std::vector<std::string> names() const;

 private:
  std::map<std::string, Factory, std::less<>> entries_;
};

// Parsed form of an address: segments NAME[(i[,j...])] separated by dots.
struct AddressSegment {
  std::string name;
  std::vector<long> index;  // empty: no parentheses
  bool hasIndex = false;
};
// Returns false on a malformed address.
bool ParseAddress(std::string_view text, std::vector<AddressSegment>& out);

// Resolves a parsed address against the registry (first segment a global).
NodePtr Resolve(const Registry& reg, const std::vector<AddressSegment>& segs, std::string& error);

}  // namespace lumora
