// libFuzzer target for the console's reading of addresses and values: each
// input is a few lines `get ADDRESS` / `set ADDRESS VALUE`, read the way the
// console reads them (JSON values, dotted and indexed addresses) and applied
// to the desk's tables through the name registry.
//
// Checks: nothing crashes or overflows; every value read back is valid JSON;
// a `set` that is accepted stores exactly the value given (no silent
// wrapping of numbers that do not fit); a refused one changes nothing; and
// the level tables never leave 0..255.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/desk_state.h"
#include "core/json.h"
#include "core/registry.h"
#include "core/state_registry.h"
#include "tests/support/level_invariants.h"

using namespace lumora;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::string_view Word(std::string_view& rest) {
  rest = Trim(rest);
  const std::size_t sp = rest.find_first_of(" \t");
  std::string_view w = rest.substr(0, sp);
  rest = sp == std::string_view::npos ? std::string_view() : Trim(rest.substr(sp));
  return w;
}

// Numbers compare by value (an integer set as 7.0 reads back as 7).
bool SameValue(const Json& a, const Json& b) {
  if (a.isNumber() && b.isNumber()) return a.asReal() == b.asReal();
  if (a.isBool() && b.isNumber()) return (a.asBool() ? -1 : 0) == b.asInt();
  return a == b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static const DeskState fresh = [] {
    DeskState s;
    DeskInitTables(s);
    return s;
  }();
  static DeskState s;
  static Registry reg = [] {
    Registry r;
    RegisterDeskState(r, s);
    return r;
  }();
  s = fresh;

  std::string_view text(reinterpret_cast<const char*>(data), size);
  int lines = 0;
  while (!text.empty() && lines++ < 16) {
    const std::size_t nl = text.find('\n');
    std::string_view rest = text.substr(0, nl);
    text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);

    const std::string_view cmd = Word(rest);
    const bool set = cmd == "set";
    if (!set && cmd != "get") continue;
    const std::string_view addr = Word(rest);
    std::vector<AddressSegment> segs;
    if (!ParseAddress(addr, segs)) continue;
    std::string err;
    NodePtr n = Resolve(reg, segs, err);
    if (!n) {
      Check(!err.empty());
      continue;
    }
    const Json before = n->get();
    Check(Json::parse(before.dump()).has_value());
    if (!set) continue;
    const auto v = Json::parse(rest);
    if (!v) continue;
    const std::string e = n->set(*v);
    const Json after = n->get();
    if (e.empty()) {
      // What was accepted is what is stored.
      if (!v->isArray() && !v->isObject()) Check(SameValue(*v, after));
    } else if (!v->isArray()) {
      // A refused value changes nothing. (A whole table given as an array
      // may keep the entries before the refused one: tables are written
      // entry by entry.)
      Check(after == before);
    }
    Check(LevelOutOfRange(s).empty());
  }
  return 0;
}
