#include "project/project_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/levels.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lumora {

namespace {

bool InRange(double v, int lo, int hi) { return v >= lo && v <= hi; }

}  // namespace

// --- tag scanner -------------------------------------------------------------

TagHit FindTag(std::size_t& pos, std::string_view text, std::string_view tag) {
  if (pos == 0) pos = 1;
  TagHit hit;
  const std::size_t on = tag.size() + 2, cn = tag.size() + 3;
  const std::size_t start = pos - 1;
  std::size_t a = std::string_view::npos, b = std::string_view::npos;
  if (!tag.empty() && start < text.size()) {
    // One pass finds the first open and the first close at or after start;
    // it can stop at the first close, since an open after it no longer
    // matters.
    const char* const base = text.data();
    const char* const end = base + text.size();
    const char first = tag[0];
    for (const char* p = base + start; p < end; ++p) {
      if (*p != '<') continue;
      const auto rem = static_cast<std::size_t>(end - p);
      if (rem >= cn && p[1] == '/') {
        if (p[2] == first && p[cn - 1] == '>' && std::memcmp(p + 2, tag.data(), tag.size()) == 0) {
          b = static_cast<std::size_t>(p - base);
          break;
        }
      } else if (a == std::string_view::npos && rem >= on && p[1] == first && p[on - 1] == '>' &&
                 std::memcmp(p + 1, tag.data(), tag.size()) == 0) {
        a = static_cast<std::size_t>(p - base);
      }
    }
  }
  // A close standing before its open (a stray close tag) yields nothing
  // rather than a negative-length slice.
  if (a != std::string_view::npos && b != std::string_view::npos && b > a) {
    hit.found = true;
    hit.text = text.substr(a + on, b - a - on);
  }
  pos = (b == std::string_view::npos ? 0 : b + 1) + cn;
  return hit;
}

std::string GetTagText(std::size_t& pos, std::string_view text, std::string_view tag) {
  return std::string(FindTag(pos, text, tag).text);
}

bool IsNumericText(std::string_view t, double& value) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!t.empty() && blank(t.front())) t.remove_prefix(1);
  while (!t.empty() && blank(t.back())) t.remove_suffix(1);
  if (t.empty()) return false;
  bool neg = false;
  if (t.front() == '+' || t.front() == '-') {
    neg = t.front() == '-';
    t.remove_prefix(1);
  }
  // Shape check first: from_chars alone would accept "inf", "nan" and
  // hexadecimal forms.
  std::size_t i = 0, digits = 0;
  while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t ed = 0;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++ed;
    if (ed == 0) return false;
  }
  if (i != t.size()) return false;
  if (digits == t.size() && digits <= 15) {
    // Plain whole numbers, nearly all of a file: no conversion call needed.
    long long w = 0;
    for (char c : t) w = w * 10 + (c - '0');
    value = static_cast<double>(neg ? -w : w);
    return true;
  }
  double v = 0;
  auto r = std::from_chars(t.data(), t.data() + t.size(), v);
  if (r.ec == std::errc::result_out_of_range) {
    // Too large keeps its sign and saturates later; too small is zero.
    bool tiny = t.find_first_of("eE") != std::string_view::npos && t.find("e-") != std::string_view::npos;
    tiny = tiny || t.find("E-") != std::string_view::npos;
    v = tiny ? 0.0 : 1e308;
  } else if (r.ec != std::errc()) {
    return false;
  }
  value = neg ? -v : v;
  return true;
}

namespace {
// The element's value and whether it was there and numeric.
bool TagNumber(std::size_t& pos, std::string_view text, std::string_view tag, double& v) {
  TagHit h = FindTag(pos, text, tag);
  v = 0;
  return h.found && IsNumericText(h.text, v);
}
// "-"? and at most nine digits: the plain whole numbers nearly every field
// holds, read without the general conversion. Anything else is left to
// IsNumericText, which reads these the same way.
bool PlainWhole(std::string_view t, long& w) {
  std::size_t i = !t.empty() && t[0] == '-' ? 1 : 0;
  if (t.size() <= i || t.size() - i > 9) return false;
  long v = 0;
  for (; i < t.size(); ++i) {
    const unsigned d = static_cast<unsigned char>(t[i]) - unsigned{'0'};
    if (d > 9) return false;
    v = v * 10 + static_cast<long>(d);
  }
  w = t[0] == '-' ? -v : v;
  return true;
}
int16_t Saturate16(long w) {
  return w > 32767 ? int16_t{32767} : (w < -32768 ? int16_t{-32768} : static_cast<int16_t>(w));
}
// The nearest integer of a number's text; 0 when not numeric.
int16_t NumberOf(std::string_view t) {
  long w = 0;
  if (PlainWhole(t, w)) return Saturate16(w);
  double v = 0;
  return IsNumericText(t, v) ? Nearest(v) : int16_t{0};
}
// A record number's text: numeric, whole and within lo..hi; else -1.
int RecordOf(std::string_view t, int lo, int hi) {
  long w = 0;
  if (PlainWhole(t, w)) return w >= lo && w <= hi ? static_cast<int>(w) : -1;
  double v = 0;
  if (!IsNumericText(t, v)) return -1;
  double r = Nearest32(v);
  if (!InRange(v, lo - 1, hi + 1) || !InRange(r, lo, hi)) return -1;
  return static_cast<int>(r);
}
// Single-valued field looked up from the start of the body.
std::string Text(std::string_view body, std::string_view tag) {
  std::size_t p = 1;
  return std::string(FindTag(p, body, tag).text);
}
int16_t Number(std::string_view body, std::string_view tag) {
  std::size_t p = 1;
  double v = 0;
  return TagNumber(p, body, tag, v) ? Nearest(v) : int16_t{0};
}
// A record number: present, numeric, whole and within lo..hi; else -1.
int RecordNumber(std::string_view body, std::string_view tag, int lo, int hi) {
  std::size_t p = 1;
  TagHit h = FindTag(p, body, tag);
  return h.found ? RecordOf(h.text, lo, hi) : -1;
}
// Items of a list split at `sep`, handed out one by one.
template <typename F>
void SplitList(std::string_view list, char sep, F&& each) {
  std::size_t start = 0;
  int k = 0;
  // Items are a few characters: a plain loop beats a search call per item.
  const std::size_t n = list.size();
  while (true) {
    std::size_t e = start;
    while (e < n && list[e] != sep) ++e;
    if (!each(k++, list.substr(start, e - start))) return;
    if (e == n) return;
    start = e + 1;
  }
}
}  // namespace

int16_t GetTagNumber(std::size_t& pos, std::string_view text, std::string_view tag) {
  double v = 0;
  return TagNumber(pos, text, tag, v) ? Nearest(v) : int16_t{0};
}

namespace {
void PairOf(TagHit h, int16_t& a, int16_t& b) {
  a = b = 0;
  if (!h.found) return;
  std::size_t c = 0;
  while (c < h.text.size() && h.text[c] != ':') ++c;
  if (c == h.text.size()) return;
  a = NumberOf(h.text.substr(0, c));
  b = NumberOf(h.text.substr(c + 1));
}
}  // namespace

void GetTagPair(std::size_t& pos, std::string_view text, std::string_view tag, int16_t& a, int16_t& b) {
  PairOf(FindTag(pos, text, tag), a, b);
}

// --- reader ------------------------------------------------------------------

namespace {

// Every tag the reader looks for.
enum Tag : uint8_t {
  tProject, tSubmix, tFaderName, tButton, tFader, tPatch, tScreen, tChase, tPage,
  tName, tDate, tVersion, tText, tAdapter, tNetwork, tUniverse, tBCF,
  tNum, tColour, tLevel, tDesc, tMain_F, tCross_F,
  tNumber, tValue, tFunction, tLatch, tChannel1, tChannel2, tChannel3, tData1, tData2, tData3, tPreset,
  tNext, tInstant, tPreset_l, tAuto, tTime, tDelay, tFad_Sel, tBut_Sel,
  tSteps, tFixture, tLoop, tChannels, tStep, tSpeed, tData, tFade, tFix,
  kTagCount
};
constexpr std::string_view kTagNames[kTagCount] = {
    "Project", "Submix", "FaderName", "Button", "Fader", "Patch", "Screen", "Chase", "Page",
    "Name", "Date", "Version", "Text", "Adapter", "Network", "Universe", "BCF",
    "Num", "Colour", "Level", "Desc", "Main_F", "Cross_F",
    "Number", "Value", "Function", "Latch", "Channel1", "Channel2", "Channel3", "Data1", "Data2", "Data3", "Preset",
    "Next", "Instant", "Preset_l", "Auto", "Time", "Delay", "Fad_Sel", "But_Sel",
    "Steps", "Fixture", "Loop", "Channels", "Step", "Speed", "Data", "Fade", "Fix"};
constexpr std::size_t kLongestTag = 9;

// Tag names to tags. A hash of the length and the first and last letters
// gives every name a slot of its own (checked when compiling), so a lookup
// is one slot and one comparison. Each slot's key is the name with its '>':
// comparing the name read up to its first '>' together with that '>' also
// compares the lengths. Empty slots lead to a key that matches nothing.
class TagTable {
 public:
  constexpr TagTable() {
    for (auto& s : slot_) s = kTagCount;
    for (int t = 0; t < kTagCount; ++t) {
      const std::string_view name = kTagNames[t];
      const unsigned h = Hash(name.size(), name.front(), name.back());
      if (slot_[h] != kTagCount) distinct_ = false;
      slot_[h] = static_cast<uint8_t>(t);
      for (std::size_t i = 0; i < name.size(); ++i) key_[t][i] = name[i];
      key_[t][name.size()] = '>';
    }
  }
  constexpr bool Distinct() const { return distinct_; }

  // The tag of the name p[0..n), which p[n] == '>' ends, or -1 when the
  // reader never asks for it.
  int Find(const char* p, std::size_t n) const {
    if (n == 0 || n > kLongestTag) return -1;
    const uint8_t t = slot_[Hash(n, p[0], p[n - 1])];
    for (std::size_t i = 0; i <= n; ++i)
      if (key_[t][i] != p[i]) return -1;
    return t;
  }
#if defined(__SSE2__)
  // The same with the name's first 16 bytes in `v`.
  int Find(__m128i v, const char* p, std::size_t n) const {
    if (n == 0 || n > kLongestTag) return -1;
    const uint8_t t = slot_[Hash(n, p[0], p[n - 1])];
    const __m128i key = _mm_load_si128(reinterpret_cast<const __m128i*>(key_[t]));
    const auto same = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, key)));
    const unsigned want = (2u << n) - 1;
    return (same & want) == want ? t : -1;
  }
#endif

 private:
  static constexpr unsigned Hash(std::size_t n, char first, char last) {
    return (static_cast<unsigned>(n) * 25u + static_cast<unsigned char>(first) +
            static_cast<unsigned char>(last) * 10u) &
           255u;
  }
  alignas(16) char key_[kTagCount + 1][16]{};
  uint8_t slot_[256]{};
  bool distinct_ = true;
};
constexpr TagTable kTagTable{};
static_assert(kTagTable.Distinct(), "two tag names share a hash slot");

// Where every tag the reader asks for opens or closes in the whole text, in
// text order, found in one pass. A record's fields are then looked up in its
// stretch of this index rather than by scanning its characters again for
// each field. A tag holds no '<', so every occurrence of "<Tag>" or "</Tag>"
// is the stretch from some '<' to the first '>' after it: the index misses
// none, and lookups behave exactly as FindTag over the record's text.
class TagIndex {
 public:
  explicit TagIndex(std::string_view text) : text_(text) {
    const char* const base = text.data();
    const std::size_t n = text.size();
    // A show has a tag about every 12 bytes.
    at_.reserve(n / 10 + 8);
    code_.reserve(n / 10 + 8);
    std::size_t i = 0;
#if defined(__SSE2__)
    // Sixteen bytes at a time: most bytes are no '<'.
    const __m128i lt = _mm_set1_epi8('<');
    for (; i + 16 <= n; i += 16) {
      auto m = static_cast<unsigned>(
          _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(base + i)), lt)));
      for (; m != 0; m &= m - 1) Add(i + static_cast<std::size_t>(__builtin_ctz(m)));
    }
#endif
    for (; i < n; ++i)
      if (base[i] == '<') Add(i);
  }

  std::string_view text() const { return text_; }
  std::size_t size() const { return code_.size(); }
  std::size_t at(std::size_t i) const { return at_[i]; }
  uint8_t code(std::size_t i) const { return code_[i]; }
  const uint8_t* codes() const { return code_.data(); }
  // The first entry in [lo, hi) at or after text offset `offset`.
  std::size_t FirstAtOrAfter(std::size_t lo, std::size_t hi, std::size_t offset) const {
    const auto b = at_.begin();
    return static_cast<std::size_t>(
        std::lower_bound(b + static_cast<std::ptrdiff_t>(lo), b + static_cast<std::ptrdiff_t>(hi), offset) - b);
  }

 private:
  // The tag opening or closing at the '<' at `lt`, if the reader asks for it.
  // Its name runs to the first '>' (a name holding a '<' is none the reader
  // asks for).
  [[gnu::always_inline]] void Add(std::size_t lt) {
    const char* const base = text_.data();
    const std::size_t n = text_.size();
    std::size_t name = lt + 1;
    const bool close = name < n && base[name] == '/';
    if (close) ++name;
    int t = -1;
#if defined(__SSE2__)
    if (n - name >= 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + name));
      const unsigned gt = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('>')))) &
                          ((1u << (kLongestTag + 1)) - 1);
      if (gt == 0) return;
      t = kTagTable.Find(v, base + name, static_cast<std::size_t>(__builtin_ctz(gt)));
    } else
#endif
    {
      const std::size_t limit = n - name > kLongestTag ? name + kLongestTag + 1 : n;
      std::size_t gt = name;
      while (gt < limit && base[gt] != '>') ++gt;
      if (gt == limit) return;
      t = kTagTable.Find(base + name, gt - name);
    }
    if (t < 0) return;
    at_.push_back(lt);
    code_.push_back(static_cast<uint8_t>(t * 2 + (close ? 1 : 0)));
  }

  std::string_view text_;
  std::vector<std::size_t> at_;
  std::vector<uint8_t> code_;
};

// A stretch of text (the whole file, or a record's body) with its index
// entries [lo, hi). Lookups follow FindTag's rules with positions kept as
// entry numbers: `cur` = lo is position 1.
class Body {
 public:
  static Body Whole(const TagIndex& idx) { return Body(idx, 0, idx.size(), idx.text()); }

  std::string_view text() const { return text_; }
  std::size_t start() const { return lo_; }

  // The next element of `tag` from entry `cur`, as FindTag from the position
  // `cur` stands for; `cur` moves as FindTag moves its position. The
  // element's own body goes to `inner` when it is found.
  TagHit Next(std::size_t& cur, Tag tag, Body* inner = nullptr) const {
    const auto open = static_cast<uint8_t>(tag * 2), close = static_cast<uint8_t>(open + 1);
    std::size_t a = hi_, b = hi_;
    if (cur + 1 < hi_ && idx_->code(cur) == open && idx_->code(cur + 1) == close) {
      // The usual case: the element stands next.
      a = cur;
      b = cur + 1;
    } else {
      // A field is mostly among the first few entries; past those, memchr.
      const std::size_t near = hi_ - cur > 24 ? cur + 24 : hi_;
      std::size_t j = cur;
      for (; j < near; ++j) {
        const uint8_t c = idx_->code(j);
        if (c == close) {
          b = j;
          break;
        }
        if (c == open && a == hi_) a = j;
      }
      if (j == near && near < hi_) {
        const uint8_t* const codes = idx_->codes();
        if (const void* c = std::memchr(codes + j, close, hi_ - j))
          b = static_cast<std::size_t>(static_cast<const uint8_t*>(c) - codes);
        if (a == hi_)
          if (const void* o = std::memchr(codes + j, open, b - j))
            a = static_cast<std::size_t>(static_cast<const uint8_t*>(o) - codes);
      }
    }
    TagHit hit;
    if (b == hi_) {
      // No close: FindTag's position becomes the close tag's length.
      const std::size_t from = Offset() + kTagNames[tag].size() + 2;
      cur = idx_->FirstAtOrAfter(lo_, hi_, from);
      return hit;
    }
    cur = b + 1;
    if (a < b) {
      const std::size_t from = idx_->at(a) + kTagNames[tag].size() + 2;
      hit.found = true;
      hit.text = idx_->text().substr(from, idx_->at(b) - from);
      if (inner != nullptr) *inner = Body(*idx_, a + 1, b, hit.text);
    }
    return hit;
  }
  // A single-valued field: looked up from the start of the body.
  TagHit Get(Tag tag) const {
    std::size_t cur = lo_;
    return Next(cur, tag);
  }
  std::string_view Text(Tag tag) const { return Get(tag).text; }
  bool Numeric(Tag tag, double& v) const {
    TagHit h = Get(tag);
    v = 0;
    return h.found && IsNumericText(h.text, v);
  }
  int16_t Number(Tag tag) const {
    TagHit h = Get(tag);
    return h.found ? NumberOf(h.text) : int16_t{0};
  }
  int16_t Flag(Tag tag) const { return Number(tag) != 0 ? -1 : 0; }
  // A record number: present, numeric, whole and within lo..hi; else -1.
  int Record(Tag tag, int lo, int hi) const {
    TagHit h = Get(tag);
    return h.found ? RecordOf(h.text, lo, hi) : -1;
  }
  // The next "a:b" element from `cur`, as GetTagPair.
  void NextPair(std::size_t& cur, Tag tag, int16_t& a, int16_t& b) const { PairOf(Next(cur, tag), a, b); }

  // The body with its elements of `tag` cut out: from each open to the first
  // close at or after it.
  std::string Without(Tag tag) const {
    const auto open = static_cast<uint8_t>(tag * 2), close = static_cast<uint8_t>(open + 1);
    const std::size_t base = Offset();
    std::string rest;
    std::size_t at = base, j = lo_;
    while (true) {
      while (j < hi_ && idx_->code(j) != open) ++j;
      if (j == hi_) break;
      std::size_t k = j + 1;
      while (k < hi_ && idx_->code(k) != close) ++k;
      if (k == hi_) break;
      rest.append(idx_->text().substr(at, idx_->at(j) - at));
      at = idx_->at(k) + kTagNames[tag].size() + 3;
      j = k + 1;
    }
    rest.append(idx_->text().substr(at, base + text_.size() - at));
    return rest;
  }

 private:
  Body(const TagIndex& idx, std::size_t lo, std::size_t hi, std::string_view text)
      : idx_(&idx), lo_(lo), hi_(hi), text_(text) {}
  std::size_t Offset() const { return static_cast<std::size_t>(text_.data() - idx_->text().data()); }

  const TagIndex* idx_;
  std::size_t lo_, hi_;
  std::string_view text_;
};

// Runs `each` on every element of `tag` in `body`, in order, until an empty
// one or no further one.
template <typename F>
void ForEachElement(const Body& body, Tag tag, F&& each) {
  std::size_t cur = body.start();
  Body inner = body;
  while (true) {
    TagHit h = body.Next(cur, tag, &inner);
    if (h.text.empty()) return;
    each(inner);
  }
}

// A function record's channel: 0..64 (0 = none); other values would index
// past the level tables when the function is played.
int16_t ChannelField(const Body& body, Tag tag) {
  int16_t v = body.Number(tag);
  return v >= 0 && v <= kDeskChannels ? v : int16_t{0};
}

void ReadProject(DeskState& s, const Body& body, ReadReport& rep) {
  rep.project = true;
  s.ProjectName = body.Text(tName);
  s.ProjectDate = body.Text(tDate);
  s.ProjectVersion = body.Number(tVersion);
  s.ProjectText = body.Text(tText);
  double v = 0;
  // An adapter the desk does not have would select nothing sensible.
  if (body.Numeric(tAdapter, v) && InRange(v, 0, 5)) s.AdapterType = Nearest(v);
  ForEachElement(body, tNetwork, [&](const Body& net) {
    double u = 0;
    if (!net.Numeric(tUniverse, u) || !InRange(u, 0, kArtPorts - 1)) {
      ++rep.skipped;
      return;
    }
    auto k = static_cast<std::size_t>(Nearest(u));
    s.ArtPorts[k].Enabled = -1;
    s.ArtPorts[k].Universe = static_cast<uint8_t>(k);
    rep.network = true;
  });
  if (body.Numeric(tBCF, v) && InRange(v, 0, 6)) s.BcfMode = Nearest(v);
  rep.bcfMode = s.BcfMode;
}

void ReadSubmix(DeskState& s, const Body& body, ReadReport& rep) {
  int n = body.Record(tNum, 0, kSubmixes);
  if (n < 0) {
    ++rep.skipped;
    return;
  }
  SubmixRec& m = s.Submixes[static_cast<std::size_t>(n)];
  m.Name = body.Text(tName);
  m.Colour = body.Text(tColour);
  m.Level.fill(0);
  m.Channel.fill(0);
  std::size_t cur = body.start(), j = 0;
  while (j < m.Level.size()) {
    int16_t ch = 0, lv = 0;
    body.NextPair(cur, tLevel, ch, lv);
    if (ch == 0 && lv == 0) break;
    // The tick indexes its tables by the channel; keep the list to real
    // channels and levels.
    if (ch < 1 || ch > kDeskChannels) continue;
    m.Channel[j] = ch;
    m.Level[j] = lv < 0 ? int16_t{0} : (lv > 255 ? int16_t{255} : lv);
    ++j;
  }
  ++rep.records;
}

void ReadFaderName(DeskState& s, const Body& body, ReadReport& rep) {
  int n = body.Record(tNum, 0, kDeskChannels);
  if (n < 0) {
    ++rep.skipped;
    return;
  }
  ChannelInfoRec& c = s.ChannelInfo[static_cast<std::size_t>(n)];
  c.Desc = body.Text(tDesc);
  c.Name = body.Text(tName);
  c.Colour = body.Text(tColour);
  c.Main_F = body.Flag(tMain_F);
  c.Cross_F = body.Flag(tCross_F);
  ++rep.records;
}

template <typename R>
void ReadFunction(R& r, const Body& body) {
  r.Name = body.Text(tName);
  r.Value = body.Number(tValue);
  r.Colour = body.Text(tColour);
  r.Function = body.Number(tFunction);
  r.Channel1 = ChannelField(body, tChannel1);
  r.Channel2 = ChannelField(body, tChannel2);
  r.Channel3 = ChannelField(body, tChannel3);
  r.Data1 = body.Number(tData1);
  r.Data2 = body.Number(tData2);
  r.Data3 = body.Number(tData3);
  r.Level = body.Number(tLevel);
}

void ReadPatch(DeskState& s, std::string_view list, ReadReport& rep) {
  // The section is the whole patch: slots it does not list are unpatched.
  s.PatchTable.fill(0);
  SplitList(list, ',', [&](int, std::string_view item) {
    std::size_t c = item.find(':');
    if (c == std::string_view::npos) return true;
    const int slot = RecordOf(item.substr(0, c), 0, kDmxSlots);
    const int ch = RecordOf(item.substr(c + 1), 0, kDeskChannels);
    if (slot < 0 || ch < 0) {
      ++rep.skipped;
      return true;
    }
    s.PatchTable[static_cast<std::size_t>(slot)] = static_cast<int16_t>(ch);
    return true;
  });
  ++rep.records;
}

void ReadScreen(DeskState& s, const Body& body, ReadReport& rep, int& highest) {
  int n = body.Record(tNum, 0, kScreens - 1);
  if (n < 0) {
    ++rep.skipped;
    return;
  }
  ScreenRecord& r = s.Screens[static_cast<std::size_t>(n)];
  r.Name = body.Text(tName);
  r.Next = body.Number(tNext);
  r.Instant = body.Flag(tInstant);
  r.Colour = body.Text(tColour);
  r.PresetLevel = body.Number(tPreset_l);
  r.Auto = body.Flag(tAuto);
  r.Time = body.Number(tTime);
  r.Delay = body.Number(tDelay);
  // The screen is stored whole: levels and selections the file leaves out
  // are 0, not whatever the desk held before.
  r.FaderSel.fill(0);
  r.Preset.fill(0);
  r.ButtonSel.fill(0);
  std::size_t cur = body.start();
  while (true) {
    int16_t f = 0, lv = 0;
    body.NextPair(cur, tFad_Sel, f, lv);
    if (f < 1 && lv < 1) break;
    if (f >= 0 && f < static_cast<int>(r.FaderSel.size())) r.FaderSel[static_cast<std::size_t>(f)] = lv;
  }
  cur = body.start();
  while (true) {
    int16_t k = 0, lv = 0;
    body.NextPair(cur, tPreset, k, lv);
    if (k < 1 && lv < 1) break;
    if (k >= 0 && k < static_cast<int>(r.Preset.size())) r.Preset[static_cast<std::size_t>(k)] = lv;
  }
  cur = body.start();
  while (true) {
    TagHit h = body.Next(cur, tBut_Sel);
    if (!h.found) break;
    const int b = RecordOf(h.text, 0, static_cast<int>(r.ButtonSel.size()) - 1);
    if (b >= 0) r.ButtonSel[static_cast<std::size_t>(b)] = -1;
  }
  if (n > highest) highest = n;
  ++rep.records;
}

template <std::size_t N>
void FillList(std::array<int16_t, N>& row, std::string_view list, std::size_t max, int lo, int hi) {
  SplitList(list, ':', [&](int k, std::string_view item) {
    if (static_cast<std::size_t>(k) >= max) return false;
    int16_t v = NumberOf(item);
    if (v >= lo && v <= hi) row[static_cast<std::size_t>(k)] = v;
    return true;
  });
}

double StepSeconds(const Body& body, Tag tag) {
  double v = 0;
  if (!body.Numeric(tag, v) || !(v >= 0)) return 0;
  return v;
}

void ReadChase(DeskState& s, const Body& body, ReadReport& rep) {
  // The chase's own fields are found wherever they stand and never taken
  // from a step: they are looked up in the body with its steps cut out.
  const std::string head = body.Without(tStep);
  int n = RecordNumber(head, "Num", 0, kChaseCount - 1);
  if (n < 0) {
    ++rep.skipped;
    return;
  }
  ChaseRecord& c = s.Chases[static_cast<std::size_t>(n)];
  c.Name = Text(head, "Name");
  c.Colour = Text(head, "Colour");
  // Steps bounds every loop of the chase engines; Fixture indexes the
  // fixture tables.
  int16_t steps = Number(head, "Steps");
  c.Steps = steps < 1 ? int16_t{1} : (steps > kChaseSteps - 1 ? int16_t{kChaseSteps - 1} : steps);
  int16_t fx = Number(head, "Fixture");
  c.Fixture = fx >= 0 && fx < kFixtureTypes ? fx : int16_t{0};
  c.Loop = Number(head, "Loop");
  {
    std::size_t p = 1;
    TagHit h = FindTag(p, head, "Channels");
    if (h.found) FillList(c.Channels, h.text, kChaseChannels, 0, kDeskChannels - 1);
  }
  std::size_t cur = body.start();
  Body st = body;
  while (true) {
    if (!body.Next(cur, tStep, &st).found) break;
    int k = st.Record(tNum, 0, kChaseSteps - 1);
    if (k < 0) {
      ++rep.skipped;
      continue;
    }
    const auto row = static_cast<std::size_t>(k);
    c.Speed[row] = StepSeconds(st, tSpeed);
    c.Time[row] = StepSeconds(st, tTime);
    TagHit d = st.Get(tData);
    if (d.found) FillList(c.Data[row], d.text, kChaseChannels, -32768, 32767);
    TagHit f = st.Get(tFade);
    if (f.found) FillList(c.Fade[row], f.text, kChaseChannels, -32768, 32767);
    TagHit x = st.Get(tFix);
    if (x.found) FillList(c.Fix[row], x.text, 6, 0, 20);
  }
  ++rep.records;
}

void ReadPage(DeskState& s, const Body& body, ReadReport& rep) {
  int n = body.Record(tNum, 0, static_cast<int>(s.Pages.size()) - 1);
  if (n < 0) {
    ++rep.skipped;
    return;
  }
  PageRecord& p = s.Pages[static_cast<std::size_t>(n)];
  p.Name = body.Text(tName);
  p.Text = body.Text(tText);
  p.Colour = body.Text(tColour);
  ++rep.records;
}

}  // namespace

ReadReport ReadProjectText(DeskState& s, std::string_view text) {
  ReadReport rep;
  rep.hasRoot = text.find("<Lumora_XML>") != std::string_view::npos;
  const TagIndex idx(text);
  const Body whole = Body::Whole(idx);
  // The first section of a kind only.
  auto first = [&](Tag tag, Body& body) {
    std::size_t cur = whole.start();
    return !whole.Next(cur, tag, &body).text.empty();
  };
  Body body = whole;
  const bool wholeProject = first(tProject, body);
  if (wholeProject) ReadProject(s, body, rep);
  ForEachElement(whole, tSubmix, [&](const Body& b) { ReadSubmix(s, b, rep); });
  ForEachElement(whole, tFaderName, [&](const Body& b) { ReadFaderName(s, b, rep); });
  bool none = true;
  ForEachElement(whole, tButton, [&](const Body& b) {
    if (none) {
      for (auto& r : s.ButtonFunctions) r.Function = kFnOff;
      none = false;
    }
    int n = b.Record(tNumber, 0, static_cast<int>(s.ButtonFunctions.size()) - 1);
    if (n < 0) {
      ++rep.skipped;
      return;
    }
    ButtonFunctionRec& r = s.ButtonFunctions[static_cast<std::size_t>(n)];
    ReadFunction(r, b);
    r.Latch = b.Flag(tLatch);
    r.Preset = b.Flag(tPreset);
    ++rep.records;
  });
  none = true;
  ForEachElement(whole, tFader, [&](const Body& b) {
    if (none) {
      for (auto& r : s.FaderFunctions) r.Function = kFnOff;
      none = false;
    }
    int n = b.Record(tNumber, 0, static_cast<int>(s.FaderFunctions.size()) - 1);
    if (n < 0) {
      ++rep.skipped;
      return;
    }
    ReadFunction(s.FaderFunctions[static_cast<std::size_t>(n)], b);
    ++rep.records;
  });
  // A whole project saved with nothing patched has no Patch section; a part
  // file (submixes, chases, screens) never speaks about the patch.
  if (first(tPatch, body)) ReadPatch(s, body.text(), rep);
  else if (wholeProject) s.PatchTable.fill(0);
  int highest = -1;
  ForEachElement(whole, tScreen, [&](const Body& b) { ReadScreen(s, b, rep, highest); });
  if (highest > 0) s.ScreenCount = static_cast<int16_t>(highest);
  ForEachElement(whole, tChase, [&](const Body& b) { ReadChase(s, b, rep); });
  ForEachElement(whole, tPage, [&](const Body& b) { ReadPage(s, b, rep); });
  return rep;
}

}  // namespace lumora
