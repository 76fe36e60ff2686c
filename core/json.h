// A small JSON value: the console's wire format for values, and the common
// currency of the name registry. Objects keep their insertion order so that
// event lines print their fields in a fixed order.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lumora {

class Json {
 public:
  enum class Type { Null, Bool, Int, Real, String, Array, Object };

  Json() = default;
  Json(std::nullptr_t) {}
  Json(bool b) : type_(Type::Bool), int_(b ? 1 : 0) {}
  Json(int v) : type_(Type::Int), int_(v) {}
  Json(long v) : type_(Type::Int), int_(v) {}
  Json(long long v) : type_(Type::Int), int_(v) {}
  Json(unsigned v) : type_(Type::Int), int_(v) {}
  Json(unsigned long v) : type_(Type::Int), int_(static_cast<long long>(v)) {}
  Json(double v) : type_(Type::Real), real_(v) {}
  Json(const char* s) : type_(Type::String), str_(s) {}
  Json(std::string s) : type_(Type::String), str_(std::move(s)) {}
  Json(std::string_view s) : type_(Type::String), str_(s) {}

  static Json array() { Json j; j.type_ = Type::Array; return j; }
  static Json object() { Json j; j.type_ = Type::Object; return j; }

  Type type() const { return type_; }
  bool isNull() const { return type_ == Type::Null; }
  bool isBool() const { return type_ == Type::Bool; }
  bool isNumber() const { return type_ == Type::Int || type_ == Type::Real; }
  bool isInt() const { return type_ == Type::Int; }
  bool isString() const { return type_ == Type::String; }
  bool isArray() const { return type_ == Type::Array; }
  bool isObject() const { return type_ == Type::Object; }

  bool asBool() const { return int_ != 0; }
  long long asInt() const { return type_ == Type::Real ? static_cast<long long>(real_) : int_; }
  double asReal() const { return type_ == Type::Real ? real_ : static_cast<double>(int_); }
  const std::string& asString() const { return str_; }

  // Arrays
  void push(Json v) { items_.push_back(std::move(v)); }
  std::size_t size() const { return type_ == Type::Object ? fields_.size() : items_.size(); }
  const Json& operator[](std::size_t i) const { return items_[i]; }
  Json& operator[](std::size_t i) { return items_[i]; }
  const std::vector<Json>& items() const { return items_; }

  // Objects (insertion-ordered)
  Json& set(std::string key, Json v);
  const Json* find(std::string_view key) const;
  const std::vector<std::pair<std::string, Json>>& fields() const { return fields_; }

  std::string dump() const;
  static std::optional<Json> parse(std::string_view text);
  static std::string quote(std::string_view s);

  bool operator==(const Json& o) const;

 private:
  void dumpTo(std::string& out) const;

  Type type_ = Type::Null;
  long long int_ = 0;
  double real_ = 0;
  std::string str_;
  std::vector<Json> items_;
  std::vector<std::pair<std::string, Json>> fields_;
};

}  // namespace lumora
