// Captions of at most nine characters that an operator can still read.
#include <algorithm>
#include <cctype>
#include <map>

#include "fixtureimport/fixture_import.h"
#include "fixtureimport/parse_common.h"

namespace lumora::fixtureimport {

namespace {

// Latin-1 letters (U+00C0..U+00FF) by their plain ASCII letter; '\0' drops.
constexpr const char* kLatin1 =
    "AAAAAAACEEEEIIII"  // C0..CF
    "DNOOOOOx0UUUUYTs"  // D0..DF
    "aaaaaaaceeeeiiii"  // E0..EF
    "dnooooo/ouuuuyty";  // F0..FF

// Plain ASCII from UTF-8: accented letters lose their accents, other
// characters outside ASCII (degree signs, arrows) go, controls become blanks.
std::string Ascii(std::string_view in) {
  std::string out;
  for (std::size_t i = 0; i < in.size();) {
    const auto c = static_cast<unsigned char>(in[i]);
    if (c < 0x80) {
      out += (c < 0x20 || c == 0x7F) ? ' ' : static_cast<char>(c);
      ++i;
      continue;
    }
    std::size_t len = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 1;
    if (len == 2 && i + 1 < in.size()) {
      const unsigned cp = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(in[i + 1]) & 0x3Fu);
      if (cp >= 0xC0 && cp <= 0xFF) out += kLatin1[cp - 0xC0];
    }
    i += std::min(len, in.size() - i);
  }
  return out;
}

std::vector<std::string> Words(const std::string& s) {
  std::vector<std::string> w;
  std::string cur;
  for (char c : s) {
    if (c == ' ') {
      if (!cur.empty()) w.push_back(cur), cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) w.push_back(cur);
  return w;
}

std::string Join(const std::vector<std::string>& w) {
  std::string s;
  for (const auto& x : w) {
    if (x.empty()) continue;
    if (!s.empty()) s += ' ';
    s += x;
  }
  return s;
}

// Abbreviations a lighting operator reads at a glance.
const std::map<std::string, std::string>& Abbreviations() {
  static const std::map<std::string, std::string> m = {
      {"dark", "dk"},        {"light", "lt"},       {"deep", "dp"},      {"medium", "med"},
      {"middle", "mid"},     {"bright", "brt"},     {"white", "wht"},    {"yellow", "yel"},
      {"green", "grn"},      {"blue", "blu"},       {"magenta", "mag"},  {"orange", "orng"},
      {"purple", "purp"},    {"lavender", "lav"},   {"amber", "amb"},    {"violet", "vio"},
      {"turquoise", "turq"}, {"rotation", "rot"},   {"rotating", "rot"}, {"shaking", "shk"},
      {"shake", "shk"},      {"filter", "flt"},     {"correction", "corr"}, {"temperature", "temp"},
      {"colour", "col"},     {"color", "col"},      {"position", "pos"}, {"degrees", "deg"},
      {"ultraviolet", "UV"}, {"number", "no"},      {"clockwise", "cw"}, {"counterclockwise", "ccw"},
      {"frost", "frst"},     {"lemon", "lmn"},    {"minus", "-"},
      {"plus", "+"},         {"and", "&"},          {"slot", "sl"},      {"wheel", "whl"},
  };
  return m;
}

// A word's abbreviation keeps the word's capital.
std::string Abbreviate(const std::string& w) {
  const auto& m = Abbreviations();
  auto it = m.find(Lower(w));
  if (it == m.end()) return w;
  std::string a = it->second;
  if (std::isupper(static_cast<unsigned char>(w[0])) && std::islower(static_cast<unsigned char>(a[0])))
    a[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(a[0])));
  return a;
}

bool IsVowel(char c) {
  switch (std::tolower(static_cast<unsigned char>(c))) {
    case 'a': case 'e': case 'i': case 'o': case 'u': return true;
    default: return false;
  }
}

bool HasLetter(const std::string& w) {
  return std::any_of(w.begin(), w.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; });
}

// "Slot", "Gobo 3", "Color 12": a label that says only where a slot sits.
bool Generic(const std::string& s) {
  static const char* const kWords[] = {"slot", "gobo", "color", "colour", "pos", "position", "no", "#", "-"};
  bool any = false;
  for (const std::string& w : Words(s)) {
    const std::string l = Lower(w);
    const bool digits = std::all_of(l.begin(), l.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
    if (!digits && std::none_of(std::begin(kWords), std::end(kWords), [&l](const char* k) { return l == k; })) return false;
    any = true;
  }
  return any;
}

// Drops what an operator can do without: a " - how" tail ("Gobo 4 -
// Indexed") and remarks in parentheses, unless the remark is the name
// itself ("Slot 1 (Blue 110)").
std::string Essence(std::string s) {
  int depth = 0;
  for (std::size_t i = 0; i + 2 < s.size(); ++i) {
    depth += s[i] == '(' ? 1 : s[i] == ')' ? -1 : 0;
    if (depth == 0 && i > 0 && s.compare(i, 3, " - ") == 0) {
      s = Join(Words(s.substr(0, i)));
      break;
    }
  }
  if (s.size() <= kCaptionMax) return s;
  const auto open = s.find('(');
  const auto close = open == std::string::npos ? std::string::npos : s.find(')', open);
  if (open == std::string::npos || close == std::string::npos) return s;
  const std::string inner = Join(Words(s.substr(open + 1, close - open - 1)));
  const std::string outer = Join(Words(s.substr(0, open) + " " + s.substr(close + 1)));
  if (!inner.empty() && (outer.empty() || Generic(outer))) return inner;
  return outer.empty() ? s : outer;
}

// Readable shortening without regard to other captions.
std::string Shorten(std::string_view name) {
  std::vector<std::string> w = Words(Ascii(name));
  std::string s = Join(w);
  if (s.size() <= kCaptionMax) return s;
  s = Essence(s);
  w = Words(s);
  if (s.size() <= kCaptionMax) return s;
  // Separators read as word breaks once words must shrink: "Open/white".
  {
    std::string spaced;
    for (char c : s) spaced += (c == '/' || c == '_') ? ' ' : c;
    std::vector<std::string> parts = Words(spaced);
    // Keep a slash between two words that were joined by one.
    w.clear();
    std::size_t pos = 0;
    for (auto& p : parts) {
      pos = s.find(p, pos);
      const bool slashBefore = pos > 0 && s[pos - 1] == '/';
      if (slashBefore && !w.empty())
        w.back() += "/" + p;
      else
        w.push_back(p);
      pos += p.size();
    }
  }
  // 1. Abbreviate, word by word, until it fits.
  auto fits = [&w] { return Join(w).size() <= kCaptionMax; };
  for (auto& x : w) {
    if (fits()) break;
    // Slash-joined words abbreviate part by part.
    std::string out, part;
    for (std::size_t i = 0; i <= x.size(); ++i) {
      if (i == x.size() || x[i] == '/') {
        out += Abbreviate(part);
        if (i < x.size()) out += '/';
        part.clear();
      } else {
        part += x[i];
      }
    }
    x = out;
  }
  // 2. Drop the vowels (but the first letter) of the longest word, again
  //    and again.
  while (!fits()) {
    std::size_t best = w.size();
    for (std::size_t i = 0; i < w.size(); ++i) {
      if (!HasLetter(w[i])) continue;
      std::size_t vowels = 0;
      for (std::size_t j = 1; j < w[i].size(); ++j) vowels += IsVowel(w[i][j]) ? 1 : 0;
      if (vowels == 0) continue;
      if (best == w.size() || w[i].size() > w[best].size()) best = i;
    }
    if (best == w.size()) break;
    std::string x;
    for (std::size_t j = 0; j < w[best].size(); ++j)
      if (j == 0 || !IsVowel(w[best][j])) x += w[best][j];
    w[best] = x;
  }
  // 3. Cut the longest word letter by letter, keeping numbers whole, so
  //    "Gobo 12" style endings survive.
  while (!fits()) {
    std::size_t best = w.size();
    for (std::size_t i = 0; i < w.size(); ++i)
      if (HasLetter(w[i]) && w[i].size() > 1 && (best == w.size() || w[i].size() > w[best].size())) best = i;
    if (best == w.size()) break;
    w[best].pop_back();
  }
  s = Join(w);
  if (s.size() > kCaptionMax) s.resize(kCaptionMax);
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

}  // namespace

std::string ShortCaption(std::string_view name, const std::vector<std::string>& taken) {
  std::string base = Shorten(name);
  if (base.empty()) base = "Entry";
  auto used = [&taken](const std::string& c) {
    return std::any_of(taken.begin(), taken.end(), [&c](const std::string& t) { return Lower(t) == Lower(c); });
  };
  if (!used(base)) return base;
  // Alike captions get a number in place of their tail: "Gobo Rot2".
  for (int n = 2; n < 1000; ++n) {
    const std::string suffix = std::to_string(n);
    std::string stem = base.substr(0, kCaptionMax - suffix.size());
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    const std::string sep = stem.size() + 1 + suffix.size() <= kCaptionMax ? " " : "";
    const std::string c = stem + sep + suffix;
    if (!used(c)) return c;
  }
  return base.substr(0, kCaptionMax);
}

std::optional<int32_t> HexColour(std::string_view hex) {
  if (hex.size() != 7 || hex[0] != '#') return std::nullopt;
  int32_t v[3] = {0, 0, 0};
  for (int i = 0; i < 3; ++i) {
    int byte = 0;
    for (int j = 0; j < 2; ++j) {
      const char c = hex[static_cast<std::size_t>(1 + 2 * i + j)];
      int d;
      if (c >= '0' && c <= '9') d = c - '0';
      else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
      else return std::nullopt;
      byte = byte * 16 + d;
    }
    v[i] = byte;
  }
  return v[0] + 256 * v[1] + 65536 * v[2];
}

}  // namespace lumora::fixtureimport
