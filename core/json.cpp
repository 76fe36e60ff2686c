#include "core/json.h"
#include "core/json_number.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace lumora {

WholeFit FitWhole(const Json& v, long long lo, long long hi, long long& out) {
  if (!v.isNumber()) return WholeFit::NotNumber;
  if (v.isInt()) {
    const long long n = v.asInt();
    if (n < lo || n > hi) return WholeFit::OutOfRange;
    out = n;
    return WholeFit::Ok;
  }
  const double d = v.asReal();
  if (std::isnan(d)) return WholeFit::NotWhole;
  if (std::isinf(d)) return WholeFit::OutOfRange;
  if (d != std::floor(d)) return WholeFit::NotWhole;
  // Compared as reals first: the cast is only made once the value fits.
  if (d < static_cast<double>(lo) || d > static_cast<double>(hi)) return WholeFit::OutOfRange;
  // Within [lo, hi] as a real; the edges of long long round, so look again.
  if (d >= 9223372036854775808.0 || d < -9223372036854775808.0) return WholeFit::OutOfRange;
  const auto n = static_cast<long long>(d);
  if (n < lo || n > hi) return WholeFit::OutOfRange;
  out = n;
  return WholeFit::Ok;
}

Json& Json::set(std::string key, Json v) {
  type_ = Type::Object;
  for (auto& f : fields_) {
    if (f.first == key) {
      f.second = std::move(v);
      return f.second;
    }
  }
  fields_.emplace_back(std::move(key), std::move(v));
  return fields_.back().second;
}

const Json* Json::find(std::string_view key) const {
  for (const auto& f : fields_)
    if (f.first == key) return &f.second;
  return nullptr;
}

std::string Json::quote(std::string_view s) {
  std::string out;
  out.reserve(s.size() + 2);
  out.push_back('"');
  for (unsigned char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out.push_back(static_cast<char>(c));
        }
    }
  }
  out.push_back('"');
  return out;
}

void Json::dumpTo(std::string& out) const {
  switch (type_) {
    case Type::Null: out += "null"; break;
    case Type::Bool: out += int_ ? "true" : "false"; break;
    case Type::Int: out += std::to_string(int_); break;
    case Type::Real: {
      if (!std::isfinite(real_)) { out += "null"; break; }
      if (real_ == std::floor(real_) && std::fabs(real_) < 1e15) {
        out += std::to_string(static_cast<long long>(real_));
        break;
      }
      char buf[32];
      std::snprintf(buf, sizeof buf, "%.15g", real_);
      out += buf;
      break;
    }
    case Type::String: out += quote(str_); break;
    case Type::Array:
      out.push_back('[');
      for (std::size_t i = 0; i < items_.size(); ++i) {
        if (i) out.push_back(',');
        items_[i].dumpTo(out);
      }
      out.push_back(']');
      break;
    case Type::Object:
      out.push_back('{');
      for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (i) out.push_back(',');
        out += quote(fields_[i].first);
        out.push_back(':');
        fields_[i].second.dumpTo(out);
      }
      out.push_back('}');
      break;
  }
}

std::string Json::dump() const {
  std::string s;
  dumpTo(s);
  return s;
}

bool Json::operator==(const Json& o) const {
  if (isNumber() && o.isNumber()) return asReal() == o.asReal();
  if (type_ != o.type_) return false;
  switch (type_) {
    case Type::Null: return true;
    case Type::Bool: return int_ == o.int_;
    case Type::String: return str_ == o.str_;
    case Type::Array: return items_ == o.items_;
    case Type::Object: return fields_ == o.fields_;
    default: return false;
  }
}

namespace {

struct Parser {
  std::string_view s;
  std::size_t p = 0;
  int depth = 0;

  void ws() {
    while (p < s.size() && (s[p] == ' ' || s[p] == '\t' || s[p] == '\n' || s[p] == '\r')) ++p;
  }
  bool lit(std::string_view w) {
    if (s.substr(p, w.size()) == w) { p += w.size(); return true; }
    return false;
  }
  static void utf8(std::string& out, unsigned cp) {
    if (cp < 0x80) out.push_back(static_cast<char>(cp));
    else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  bool hex4(unsigned& v) {
    if (p + 4 > s.size()) return false;
    v = 0;
    for (int i = 0; i < 4; ++i) {
      char c = s[p++];
      v <<= 4;
      if (c >= '0' && c <= '9') v |= static_cast<unsigned>(c - '0');
      else if (c >= 'a' && c <= 'f') v |= static_cast<unsigned>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F') v |= static_cast<unsigned>(c - 'A' + 10);
      else return false;
    }
    return true;
  }
  std::optional<std::string> str() {
    if (p >= s.size() || s[p] != '"') return std::nullopt;
    ++p;
    std::string out;
    while (p < s.size()) {
      char c = s[p++];
      if (c == '"') return out;
      if (c != '\\') { out.push_back(c); continue; }
      if (p >= s.size()) return std::nullopt;
      char e = s[p++];
      switch (e) {
        case '"': out.push_back('"'); break;
        case '\\': out.push_back('\\'); break;
        case '/': out.push_back('/'); break;
        case 'b': out.push_back('\b'); break;
        case 'f': out.push_back('\f'); break;
        case 'n': out.push_back('\n'); break;
        case 'r': out.push_back('\r'); break;
        case 't': out.push_back('\t'); break;
        case 'u': {
          unsigned cp;
          if (!hex4(cp)) return std::nullopt;
          if (cp >= 0xD800 && cp < 0xDC00 && p + 6 <= s.size() && s[p] == '\\' && s[p + 1] == 'u') {
            p += 2;
            unsigned lo;
            if (!hex4(lo)) return std::nullopt;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
          }
          utf8(out, cp);
          break;
        }
        default: return std::nullopt;
      }
    }
    return std::nullopt;
  }
  std::optional<Json> value() {
    if (++depth > 64) return std::nullopt;
    ws();
    if (p >= s.size()) return std::nullopt;
    std::optional<Json> r;
    char c = s[p];
    if (c == '"') {
      auto t = str();
      if (t) r = Json(*t);
    } else if (c == '[') {
      ++p;
      Json a = Json::array();
      ws();
      if (p < s.size() && s[p] == ']') { ++p; r = a; }
      else {
        for (;;) {
          auto v = value();
          if (!v) return std::nullopt;
          a.push(*v);
          ws();
          if (p < s.size() && s[p] == ',') { ++p; continue; }
          if (p < s.size() && s[p] == ']') { ++p; break; }
          return std::nullopt;
        }
        r = a;
      }
    } else if (c == '{') {
      ++p;
      Json o = Json::object();
      ws();
      if (p < s.size() && s[p] == '}') { ++p; r = o; }
      else {
        for (;;) {
          ws();
          auto k = str();
          if (!k) return std::nullopt;
          ws();
          if (p >= s.size() || s[p] != ':') return std::nullopt;
          ++p;
          auto v = value();
          if (!v) return std::nullopt;
          o.set(*k, *v);
          ws();
          if (p < s.size() && s[p] == ',') { ++p; continue; }
          if (p < s.size() && s[p] == '}') { ++p; break; }
          return std::nullopt;
        }
        r = o;
      }
    } else if (lit("true")) {
      r = Json(true);
    } else if (lit("false")) {
      r = Json(false);
    } else if (lit("null")) {
      r = Json();
    } else {
      std::size_t start = p;
      if (p < s.size() && (s[p] == '-' || s[p] == '+')) ++p;
      bool real = false, digits = false;
      while (p < s.size()) {
        char d = s[p];
        if (d >= '0' && d <= '9') { digits = true; ++p; }
        else if (d == '.' || d == 'e' || d == 'E') { real = true; ++p; if (p < s.size() && (s[p] == '-' || s[p] == '+') && (d == 'e' || d == 'E')) ++p; }
        else break;
      }
      if (!digits) return std::nullopt;
      std::string num(s.substr(start, p - start));
      char* end = nullptr;
      if (real) {
        double v = std::strtod(num.c_str(), &end);
        // JSON has no infinity: a number too large for a double is no value.
        if (*end || !std::isfinite(v)) return std::nullopt;
        r = Json(v);
      } else {
        errno = 0;
        long long v = std::strtoll(num.c_str(), &end, 10);
        if (*end) return std::nullopt;
        if (errno == ERANGE) {
          // Beyond long long: kept as the (finite) real it is, so that the
          // property it is meant for can refuse it as out of range.
          r = Json(std::strtod(num.c_str(), nullptr));
        } else {
          r = Json(v);
        }
      }
    }
    --depth;
    return r;
  }
};

}  // namespace

std::optional<Json> Json::parse(std::string_view text) {
  Parser ps{text};
  auto v = ps.value();
  if (!v) return std::nullopt;
  ps.ws();
  if (ps.p != text.size()) return std::nullopt;
  return v;
}

}  // namespace lumora
