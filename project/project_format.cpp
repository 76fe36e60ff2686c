#include "project/project_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/levels.h"

namespace lumora {

namespace {

constexpr char kCR = '\r';

// Numbers formatted in place, without a heap string each.
struct Int {
  char buf[48];
  std::size_t n = 0;
  operator std::string_view() const { return {buf, n}; }
};
Int I(long long v) {
  Int r;
  r.n = static_cast<std::size_t>(std::to_chars(r.buf, r.buf + sizeof r.buf, v).ptr - r.buf);
  return r;
}
// "a:b"
Int Pair(long long a, long long b) {
  Int r;
  char* p = std::to_chars(r.buf, r.buf + 20, a).ptr;
  *p++ = ':';
  p = std::to_chars(p, r.buf + sizeof r.buf, b).ptr;
  r.n = static_cast<std::size_t>(p - r.buf);
  return r;
}

// One field line at the given depth: TABs, <tag>value</tag>, CR.
void Field(std::string& out, int tabs, std::string_view tag, std::string_view value) {
  out.append(static_cast<std::size_t>(tabs), '\t');
  out += '<';
  out += tag;
  out += '>';
  out += value;
  out += "</";
  out += tag;
  out += '>';
  out += kCR;
}
void Line(std::string& out, int tabs, std::string_view text) {
  out.append(static_cast<std::size_t>(tabs), '\t');
  out += text;
  out += kCR;
}

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
int16_t NumberOf(std::string_view t) {
  // Lists and pairs are plain short whole numbers; read those directly.
  std::size_t i = 0;
  const bool neg = !t.empty() && t[0] == '-';
  if (neg) i = 1;
  if (t.size() > i && t.size() - i <= 9) {
    long w = 0;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) w = w * 10 + (t[i] - '0');
    if (i == t.size()) {
      if (neg) w = -w;
      return w > 32767 ? int16_t{32767} : (w < -32768 ? int16_t{-32768} : static_cast<int16_t>(w));
    }
  }
  double v = 0;
  return IsNumericText(t, v) ? Nearest(v) : int16_t{0};
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
int16_t Flag(std::string_view body, std::string_view tag) { return Number(body, tag) != 0 ? -1 : 0; }
// A record number: present, numeric, whole and within lo..hi; else -1.
int RecordNumber(std::string_view body, std::string_view tag, int lo, int hi) {
  std::size_t p = 1;
  double v = 0;
  if (!TagNumber(p, body, tag, v)) return -1;
  double r = Nearest32(v);
  if (!InRange(v, lo - 1, hi + 1) || !InRange(r, lo, hi)) return -1;
  return static_cast<int>(r);
}
// Items of a list split at `sep`, handed out one by one.
template <typename F>
void SplitList(std::string_view list, char sep, F&& each) {
  std::size_t start = 0;
  int k = 0;
  while (true) {
    std::size_t e = list.find(sep, start);
    std::string_view item = list.substr(start, e == std::string_view::npos ? std::string_view::npos : e - start);
    if (!each(k++, item)) return;
    if (e == std::string_view::npos) return;
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
  std::size_t c = h.text.find(':');
  if (c == std::string_view::npos) return;
  a = NumberOf(h.text.substr(0, c));
  b = NumberOf(h.text.substr(c + 1));
}
}  // namespace

void GetTagPair(std::size_t& pos, std::string_view text, std::string_view tag, int16_t& a, int16_t& b) {
  PairOf(FindTag(pos, text, tag), a, b);
}

// --- writers -----------------------------------------------------------------

namespace projectfile {

std::string StepTime(double seconds) {
  if (!std::isfinite(seconds) || seconds == 0) seconds = 0;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15G", seconds);
  std::string t = buf;
  // The desk prints fractions without the zero before the point (".5").
  if (t.rfind("0.", 0) == 0)
    t.erase(0, 1);
  else if (t.rfind("-0.", 0) == 0)
    t.erase(1, 1);
  return "0" + t;
}

void AppendProjectSection(std::string& o, const DeskState& s, const std::string& date) {
  Line(o, 1, "<Project>");
  if (!s.ProjectName.empty()) Field(o, 2, "Name", s.ProjectName);
  Field(o, 2, "Date", date);
  Field(o, 2, "Version", I(s.ProjectVersion));
  if (!s.ProjectText.empty()) Field(o, 2, "Text", s.ProjectText);
  Field(o, 2, "Adapter", I(s.AdapterType));
  // Every enabled port the table can hold, so ports a file enabled survive a
  // save (the set-up dialog only reaches 0..7).
  for (const ArtPortRec& p : s.ArtPorts) {
    if (p.Enabled == 0) continue;
    Line(o, 2, "<Network>");
    Field(o, 3, "Universe", I(p.Universe));
    Line(o, 2, "</Network>");
  }
  Field(o, 2, "BCF", I(s.BcfMode));
  Line(o, 1, "</Project>");
}
std::string ProjectSection(const DeskState& s, const std::string& date) {
  std::string o;
  AppendProjectSection(o, s, date);
  return o;
}

void AppendSubmixSections(std::string& o, const DeskState& s) {
  for (int n = 0; n <= kSubmixes; ++n) {
    const SubmixRec& m = s.Submixes[static_cast<std::size_t>(n)];
    bool any = !m.Name.empty() || !m.Colour.empty();
    for (int16_t l : m.Level) any = any || l > 0;
    if (!any) continue;
    Line(o, 1, "<Submix>");
    Field(o, 2, "Num", I(n));
    if (!m.Name.empty()) Field(o, 2, "Name", m.Name);
    if (!m.Colour.empty()) Field(o, 2, "Colour", m.Colour);
    for (std::size_t j = 0; j < m.Level.size(); ++j)
      if (m.Level[j] > 0) Field(o, 2, "Level", Pair(m.Channel[j], m.Level[j]));
    Line(o, 1, "</Submix>");
  }
}
std::string SubmixSections(const DeskState& s) {
  std::string o;
  AppendSubmixSections(o, s);
  return o;
}

void AppendPatchSection(std::string& o, const DeskState& s) {
  std::string list;
  for (std::size_t k = 0; k < s.PatchTable.size(); ++k) {
    if (s.PatchTable[k] == 0) continue;
    if (!list.empty()) list += ',';
    list += Pair(static_cast<long long>(k), s.PatchTable[k]);
  }
  if (!list.empty()) Field(o, 1, "Patch", list);
}
std::string PatchSection(const DeskState& s) {
  std::string o;
  AppendPatchSection(o, s);
  return o;
}

void AppendFaderNameSections(std::string& o, const DeskState& s) {
  for (int c = 0; c < kDeskChannels; ++c) {
    const ChannelInfoRec& ci = s.ChannelInfo[static_cast<std::size_t>(c)];
    if (ci.Desc == std::string_view(I(c + 1))) continue;
    Line(o, 1, "<FaderName>");
    Field(o, 2, "Num", I(c));
    Field(o, 2, "Desc", ci.Desc);
    Field(o, 2, "Name", ci.Name);
    Field(o, 2, "Colour", ci.Colour);
    if (ci.Main_F != 0) Field(o, 2, "Main_F", "1");
    if (ci.Cross_F != 0) Field(o, 2, "Cross_F", "1");
    Line(o, 1, "</FaderName>");
  }
}
std::string FaderNameSections(const DeskState& s) {
  std::string o;
  AppendFaderNameSections(o, s);
  return o;
}

namespace {
template <typename R>
void FunctionCommon(std::string& o, const R& r) {
  if (!r.Name.empty()) Field(o, 2, "Name", r.Name);
  if (r.Value > 0) Field(o, 2, "Value", I(r.Value));
  if (!r.Colour.empty()) Field(o, 2, "Colour", r.Colour);
  if (r.Function > 0) Field(o, 2, "Function", I(r.Function));
}
template <typename R>
void FunctionChannels(std::string& o, const R& r) {
  if (r.Channel1 > 0) Field(o, 2, "Channel1", I(r.Channel1));
  if (r.Channel2 > 0) Field(o, 2, "Channel2", I(r.Channel2));
  if (r.Channel3 > 0) Field(o, 2, "Channel3", I(r.Channel3));
  if (r.Data1 > 0) Field(o, 2, "Data1", I(r.Data1));
  if (r.Data2 > 0) Field(o, 2, "Data2", I(r.Data2));
  if (r.Data3 > 0) Field(o, 2, "Data3", I(r.Data3));
  if (r.Level > 0) Field(o, 2, "Level", I(r.Level));
}
// Functions worth storing: everything but "Off". Cue buttons (code 5) are
// stored too, or a save and load would silently turn them off.
bool Stored(int16_t function) { return function < kFnOff || function == kFnCue; }
}  // namespace

void AppendButtonSections(std::string& o, const DeskState& s) {
  for (std::size_t b = 0; b < s.ButtonFunctions.size(); ++b) {
    const ButtonFunctionRec& r = s.ButtonFunctions[b];
    if (!Stored(r.Function)) continue;
    Line(o, 1, "<Button>");
    Field(o, 2, "Number", I(static_cast<long long>(b)));
    FunctionCommon(o, r);
    if (r.Latch != 0) Field(o, 2, "Latch", "1");
    FunctionChannels(o, r);
    if (r.Preset != 0) Field(o, 2, "Preset", "1");
    Line(o, 1, "</Button>");
  }
}
std::string ButtonSections(const DeskState& s) {
  std::string o;
  AppendButtonSections(o, s);
  return o;
}

void AppendFaderSections(std::string& o, const DeskState& s) {
  for (std::size_t f = 0; f < s.FaderFunctions.size(); ++f) {
    const FaderFunctionRec& r = s.FaderFunctions[f];
    if (r.Function >= kFnOff) continue;
    Line(o, 1, "<Fader>");
    Field(o, 2, "Number", I(static_cast<long long>(f)));
    FunctionCommon(o, r);
    FunctionChannels(o, r);
    Line(o, 1, "</Fader>");
  }
}
std::string FaderSections(const DeskState& s) {
  std::string o;
  AppendFaderSections(o, s);
  return o;
}

namespace {
template <typename A>
void FieldList(std::string& o, int tabs, std::string_view tag, const A& a, std::size_t count) {
  o.append(static_cast<std::size_t>(tabs), '\t');
  o += '<';
  o += tag;
  o += '>';
  for (std::size_t i = 0; i < count; ++i) {
    if (i) o += ':';
    o += I(a[i]);
  }
  o += "</";
  o += tag;
  o += '>';
  o += kCR;
}
}  // namespace

void AppendChaseSections(std::string& o, const DeskState& s) {
  for (int n = 0; n < 32; ++n) {
    const ChaseRecord& c = s.Chases[static_cast<std::size_t>(n)];
    if (c.Steps <= 1) continue;
    Line(o, 1, "<Chase>");
    Field(o, 2, "Num", I(n));
    Field(o, 2, "Name", c.Name);
    Field(o, 2, "Colour", c.Colour);
    Field(o, 2, "Steps", I(c.Steps));
    Field(o, 2, "Fixture", I(c.Fixture));
    Field(o, 2, "Loop", I(c.Loop));
    FieldList(o, 2, "Channels", c.Channels, 24);
    // Rows 0..Steps; the table ends at row 32 whatever Steps claims.
    const int last = c.Steps < kChaseSteps ? c.Steps : kChaseSteps - 1;
    for (int st = 0; st <= last; ++st) {
      const auto k = static_cast<std::size_t>(st);
      Line(o, 2, "<Step>");
      Field(o, 3, "Num", I(st));
      Field(o, 3, "Speed", StepTime(c.Speed[k]));
      Field(o, 3, "Time", StepTime(c.Time[k]));
      FieldList(o, 3, "Data", c.Data[k], 24);
      FieldList(o, 3, "Fade", c.Fade[k], 24);
      FieldList(o, 3, "Fix", c.Fix[k], 6);
      Line(o, 2, "</Step>");
    }
    Line(o, 1, "</Chase>");
  }
}
std::string ChaseSections(const DeskState& s) {
  std::string o;
  AppendChaseSections(o, s);
  return o;
}

void AppendScreenSections(std::string& o, const DeskState& s) {
  // Screens 0..ScreenCount inclusive, but never past the store (recording
  // screen 199 makes ScreenCount 200).
  int last = s.ScreenCount;
  if (last > kScreens - 1) last = kScreens - 1;
  if (last < 0) last = 0;
  for (int n = 0; n <= last; ++n) {
    const ScreenRecord& r = s.Screens[static_cast<std::size_t>(n)];
    Line(o, 1, "<Screen>");
    Field(o, 2, "Num", I(n));
    if (!r.Name.empty()) Field(o, 2, "Name", r.Name);
    Field(o, 2, "Next", I(r.Next));
    Field(o, 2, "Colour", r.Colour);
    Field(o, 2, "Instant", r.Instant != 0 ? "1" : "0");
    Field(o, 2, "Auto", r.Auto != 0 ? "1" : "0");
    if (r.PresetLevel > 0) Field(o, 2, "Preset_l", I(r.PresetLevel));
    if (r.Delay > 0) Field(o, 2, "Delay", I(r.Delay));
    if (r.Time > 0) Field(o, 2, "Time", I(r.Time));
    for (std::size_t f = 0; f < r.FaderSel.size(); ++f)
      if (r.FaderSel[f] != 0) Field(o, 2, "Fad_Sel", Pair(static_cast<long long>(f), r.FaderSel[f]));
    for (std::size_t k = 0; k < r.Preset.size(); ++k)
      if (r.Preset[k] != 0) Field(o, 2, "Preset", Pair(static_cast<long long>(k), r.Preset[k]));
    for (std::size_t b = 0; b < r.ButtonSel.size(); ++b)
      if (r.ButtonSel[b] != 0) Field(o, 2, "But_Sel", I(static_cast<long long>(b)));
    Line(o, 1, "</Screen>");
  }
}
std::string ScreenSections(const DeskState& s) {
  std::string o;
  AppendScreenSections(o, s);
  return o;
}

void AppendPageSections(std::string& o, const DeskState& s) {
  for (int p = 0; p < kPages; ++p) {
    const PageRecord& r = s.Pages[static_cast<std::size_t>(p)];
    if (r.Name.empty() && r.Text.empty() && r.Colour.empty()) continue;
    Line(o, 1, "<Page>");
    Field(o, 2, "Num", I(p));
    if (!r.Name.empty()) Field(o, 2, "Name", r.Name);
    if (!r.Text.empty()) Field(o, 2, "Text", r.Text);
    if (!r.Colour.empty()) Field(o, 2, "Colour", r.Colour);
    Line(o, 1, "</Page>");
  }
}
std::string PageSections(const DeskState& s) {
  std::string o;
  AppendPageSections(o, s);
  return o;
}

}  // namespace projectfile

namespace {
// Room for the whole text at once: the largest screens, steps and records
// the tables can hold, so a full show is built without regrowing.
std::size_t SizeHint(const DeskState& s) {
  std::size_t n = 4096 + 33 * 1400 + 512 * 9 + 64 * 200 + 142 * 320;
  n += static_cast<std::size_t>(s.ScreenCount > 0 ? s.ScreenCount + 1 : 1) * 4800;
  for (int c = 0; c < 32; ++c)
    if (s.Chases[static_cast<std::size_t>(c)].Steps > 1) n += 34 * 420;
  return n;
}
std::string Begin(const DeskState& s) {
  std::string o;
  o.reserve(SizeHint(s));
  o += projectfile::kRootOpen;
  return o;
}
void End(std::string& o) {
  o += projectfile::kRootClose;
  o += projectfile::kFileEnd;
}
}  // namespace

std::string WriteWholeProject(const DeskState& s, const std::string& date) {
  using namespace projectfile;
  std::string o = Begin(s);
  AppendProjectSection(o, s, date);
  AppendSubmixSections(o, s);
  AppendPatchSection(o, s);
  AppendFaderNameSections(o, s);
  AppendButtonSections(o, s);
  AppendFaderSections(o, s);
  AppendChaseSections(o, s);
  AppendScreenSections(o, s);
  AppendPageSections(o, s);
  End(o);
  return o;
}
std::string WriteSubmixFile(const DeskState& s) {
  std::string o = projectfile::kRootOpen;
  projectfile::AppendSubmixSections(o, s);
  End(o);
  return o;
}
std::string WritePatchFile(const DeskState& s) {
  std::string o = projectfile::kRootOpen;
  projectfile::AppendPatchSection(o, s);
  End(o);
  return o;
}
std::string WriteSequenceFile(const DeskState& s) {
  std::string o = projectfile::kRootOpen;
  projectfile::AppendChaseSections(o, s);
  End(o);
  return o;
}

// --- reader ------------------------------------------------------------------

namespace {

// Where the section tags of the whole text stand, found in one pass, so the
// loop of each kind finds its next open and close without rescanning the
// file. Lookups behave exactly as FindTag over the whole text.
class SectionIndex {
 public:
  enum Kind { kProject, kSubmix, kFaderName, kButton, kFader, kPatch, kScreen, kChase, kPage, kKinds };

  explicit SectionIndex(std::string_view text) : text_(text) {
    std::size_t at = 0;
    const std::size_t size = text.size();
    while (at < size) {
      const void* p = std::memchr(text.data() + at, '<', size - at);
      if (!p) break;
      const std::size_t lt = static_cast<std::size_t>(static_cast<const char*>(p) - text.data());
      at = lt + 1;
      const bool close = at < size && text[at] == '/';
      const std::size_t nameAt = close ? at + 1 : at;
      // The name runs to the '>' within the longest section name's length.
      std::size_t len = 0;
      while (len <= 9 && nameAt + len < size && text[nameAt + len] != '>' && text[nameAt + len] != '<') ++len;
      if (nameAt + len >= size || text[nameAt + len] != '>') continue;
      const int k = KindOf(text.substr(nameAt, len));
      if (k >= 0) (close ? closes_ : opens_)[k].push_back(lt);
    }
  }

  TagHit Find(std::size_t& pos, Kind k) const {
    if (pos == 0) pos = 1;
    const std::size_t start = pos - 1;
    const std::size_t on = kNames[k].size() + 2, cn = on + 1;
    const std::size_t a = Next(opens_[k], start), b = Next(closes_[k], start);
    TagHit hit;
    if (a != std::string_view::npos && b != std::string_view::npos && b >= a + on) {
      hit.found = true;
      hit.text = text_.substr(a + on, b - a - on);
    }
    pos = (b == std::string_view::npos ? 0 : b + 1) + cn;
    return hit;
  }

 private:
  static std::size_t Next(const std::vector<std::size_t>& v, std::size_t start) {
    auto it = std::lower_bound(v.begin(), v.end(), start);
    return it == v.end() ? std::string_view::npos : *it;
  }
  static int KindOf(std::string_view name) {
    // Most tags are field names; the length and first letter rule them out
    // before any comparison.
    if (name.size() < 4 || name.size() > 9) return -1;
    const char c = name[0];
    if (c != 'P' && c != 'S' && c != 'F' && c != 'B' && c != 'C') return -1;
    for (int k = 0; k < kKinds; ++k)
      if (kNames[k].size() == name.size() && kNames[k][0] == c && name == kNames[k]) return k;
    return -1;
  }
  static constexpr std::string_view kNames[kKinds] = {"Project", "Submix", "FaderName", "Button", "Fader",
                                                 "Patch",   "Screen", "Chase",     "Page"};
  std::string_view text_;
  std::vector<std::size_t> opens_[kKinds];
  std::vector<std::size_t> closes_[kKinds];
};

// Runs `each` on every body of a section kind, in order, until an empty body
// or no further one.
template <typename F>
void ForEachSection(const SectionIndex& idx, SectionIndex::Kind k, F&& each) {
  std::size_t pos = 1;
  while (true) {
    TagHit h = idx.Find(pos, k);
    if (h.text.empty()) return;
    each(h.text);
  }
}

// The same over a body (the Network elements of the Project section).
template <typename F>
void ForEachElement(std::string_view text, std::string_view tag, F&& each) {
  std::size_t pos = 1;
  while (true) {
    TagHit h = FindTag(pos, text, tag);
    if (h.text.empty()) return;
    each(h.text);
  }
}

// A function record's channel: 0..64 (0 = none); other values would index
// past the level tables when the function is played.
int16_t ChannelField(std::string_view body, std::string_view tag) {
  int16_t v = Number(body, tag);
  return v >= 0 && v <= kDeskChannels ? v : int16_t{0};
}

void ReadProject(DeskState& s, std::string_view body, ReadReport& rep) {
  rep.project = true;
  s.ProjectName = Text(body, "Name");
  s.ProjectDate = Text(body, "Date");
  s.ProjectVersion = Number(body, "Version");
  s.ProjectText = Text(body, "Text");
  {
    std::size_t p = 1;
    double v = 0;
    // An adapter the desk does not have would select nothing sensible.
    if (TagNumber(p, body, "Adapter", v) && InRange(v, 0, 5)) s.AdapterType = Nearest(v);
  }
  ForEachElement(body, "Network", [&](std::string_view net) {
    std::size_t p = 1;
    double v = 0;
    if (!TagNumber(p, net, "Universe", v) || !InRange(v, 0, kArtPorts - 1)) {
      ++rep.skipped;
      return;
    }
    auto u = static_cast<std::size_t>(Nearest(v));
    s.ArtPorts[u].Enabled = -1;
    s.ArtPorts[u].Universe = static_cast<uint8_t>(u);
    rep.network = true;
  });
  {
    std::size_t p = 1;
    double v = 0;
    if (TagNumber(p, body, "BCF", v) && InRange(v, 0, 6)) s.BcfMode = Nearest(v);
    rep.bcfMode = s.BcfMode;
  }
}

void ReadSubmix(DeskState& s, std::string_view body, ReadReport& rep) {
  int n = RecordNumber(body, "Num", 0, kSubmixes);
  if (n < 0) {
    ++rep.skipped;
    return;
  }
  SubmixRec& m = s.Submixes[static_cast<std::size_t>(n)];
  m.Name = Text(body, "Name");
  m.Colour = Text(body, "Colour");
  m.Level.fill(0);
  m.Channel.fill(0);
  std::size_t pos = 1, j = 0;
  while (j < m.Level.size()) {
    int16_t ch = 0, lv = 0;
    GetTagPair(pos, body, "Level", ch, lv);
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

void ReadFaderName(DeskState& s, std::string_view body, ReadReport& rep) {
  int n = RecordNumber(body, "Num", 0, kDeskChannels);
  if (n < 0) {
    ++rep.skipped;
    return;
  }
  ChannelInfoRec& c = s.ChannelInfo[static_cast<std::size_t>(n)];
  c.Desc = Text(body, "Desc");
  c.Name = Text(body, "Name");
  c.Colour = Text(body, "Colour");
  c.Main_F = Flag(body, "Main_F");
  c.Cross_F = Flag(body, "Cross_F");
  ++rep.records;
}

template <typename R>
void ReadFunction(R& r, std::string_view body) {
  r.Name = Text(body, "Name");
  r.Value = Number(body, "Value");
  r.Colour = Text(body, "Colour");
  r.Function = Number(body, "Function");
  r.Channel1 = ChannelField(body, "Channel1");
  r.Channel2 = ChannelField(body, "Channel2");
  r.Channel3 = ChannelField(body, "Channel3");
  r.Data1 = Number(body, "Data1");
  r.Data2 = Number(body, "Data2");
  r.Data3 = Number(body, "Data3");
  r.Level = Number(body, "Level");
}

void ReadPatch(DeskState& s, std::string_view list, ReadReport& rep) {
  // The section is the whole patch: slots it does not list are unpatched.
  s.PatchTable.fill(0);
  SplitList(list, ',', [&](int, std::string_view item) {
    std::size_t c = item.find(':');
    if (c == std::string_view::npos) return true;
    double slot = 0, ch = 0;
    if (!IsNumericText(item.substr(0, c), slot) || !IsNumericText(item.substr(c + 1), ch) ||
        !InRange(Nearest32(slot), 0, kDmxSlots) || !InRange(Nearest32(ch), 0, kDeskChannels)) {
      ++rep.skipped;
      return true;
    }
    s.PatchTable[static_cast<std::size_t>(Nearest32(slot))] = Nearest(ch);
    return true;
  });
  ++rep.records;
}

void ReadScreen(DeskState& s, std::string_view body, ReadReport& rep, int& highest) {
  int n = RecordNumber(body, "Num", 0, kScreens - 1);
  if (n < 0) {
    ++rep.skipped;
    return;
  }
  ScreenRecord& r = s.Screens[static_cast<std::size_t>(n)];
  r.Name = Text(body, "Name");
  r.Next = Number(body, "Next");
  r.Instant = Flag(body, "Instant");
  r.Colour = Text(body, "Colour");
  r.PresetLevel = Number(body, "Preset_l");
  r.Auto = Flag(body, "Auto");
  r.Time = Number(body, "Time");
  r.Delay = Number(body, "Delay");
  // The screen is stored whole: levels and selections the file leaves out
  // are 0, not whatever the desk held before.
  r.FaderSel.fill(0);
  r.Preset.fill(0);
  r.ButtonSel.fill(0);
  std::size_t pos = 1;
  while (true) {
    int16_t f = 0, lv = 0;
    GetTagPair(pos, body, "Fad_Sel", f, lv);
    if (f < 1 && lv < 1) break;
    if (f >= 0 && f < static_cast<int>(r.FaderSel.size())) r.FaderSel[static_cast<std::size_t>(f)] = lv;
  }
  pos = 1;
  while (true) {
    int16_t k = 0, lv = 0;
    GetTagPair(pos, body, "Preset", k, lv);
    if (k < 1 && lv < 1) break;
    if (k >= 0 && k < static_cast<int>(r.Preset.size())) r.Preset[static_cast<std::size_t>(k)] = lv;
  }
  pos = 1;
  while (true) {
    TagHit h = FindTag(pos, body, "But_Sel");
    if (!h.found) break;
    double v = 0;
    if (IsNumericText(h.text, v) && InRange(Nearest32(v), 0, static_cast<int>(r.ButtonSel.size()) - 1))
      r.ButtonSel[static_cast<std::size_t>(Nearest32(v))] = -1;
  }
  if (n > highest) highest = n;
  ++rep.records;
}

// The chase body with its Step elements cut out, so the chase's own fields
// are found wherever they stand and never taken from a step.
std::string ChaseHead(std::string_view body) {
  std::string head;
  std::size_t at = 0;
  while (at < body.size()) {
    std::size_t a = body.find("<Step>", at);
    if (a == std::string_view::npos) break;
    std::size_t b = body.find("</Step>", a);
    if (b == std::string_view::npos) break;
    head.append(body.substr(at, a - at));
    at = b + 7;
  }
  head.append(body.substr(at));
  return head;
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

double StepSeconds(std::string_view body, std::string_view tag) {
  std::size_t p = 1;
  double v = 0;
  if (!TagNumber(p, body, tag, v) || !(v >= 0)) return 0;
  return v;
}

void ReadChase(DeskState& s, std::string_view body, ReadReport& rep) {
  const std::string head = ChaseHead(body);
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
  std::size_t pos = 1;
  while (true) {
    TagHit st = FindTag(pos, body, "Step");
    if (!st.found) break;
    int k = RecordNumber(st.text, "Num", 0, kChaseSteps - 1);
    if (k < 0) {
      ++rep.skipped;
      continue;
    }
    const auto row = static_cast<std::size_t>(k);
    c.Speed[row] = StepSeconds(st.text, "Speed");
    c.Time[row] = StepSeconds(st.text, "Time");
    std::size_t p = 1;
    TagHit d = FindTag(p, st.text, "Data");
    if (d.found) FillList(c.Data[row], d.text, kChaseChannels, -32768, 32767);
    p = 1;
    TagHit f = FindTag(p, st.text, "Fade");
    if (f.found) FillList(c.Fade[row], f.text, kChaseChannels, -32768, 32767);
    p = 1;
    TagHit x = FindTag(p, st.text, "Fix");
    if (x.found) FillList(c.Fix[row], x.text, 6, 0, 20);
  }
  ++rep.records;
}

void ReadPage(DeskState& s, std::string_view body, ReadReport& rep) {
  int n = RecordNumber(body, "Num", 0, static_cast<int>(s.Pages.size()) - 1);
  if (n < 0) {
    ++rep.skipped;
    return;
  }
  PageRecord& p = s.Pages[static_cast<std::size_t>(n)];
  p.Name = Text(body, "Name");
  p.Text = Text(body, "Text");
  p.Colour = Text(body, "Colour");
  ++rep.records;
}

}  // namespace

ReadReport ReadProjectText(DeskState& s, std::string_view text) {
  ReadReport rep;
  rep.hasRoot = text.find("<Lumora_XML>") != std::string_view::npos;
  const SectionIndex idx(text);
  using K = SectionIndex::Kind;
  {
    std::size_t pos = 1;
    TagHit h = idx.Find(pos, K::kProject);
    if (!h.text.empty()) ReadProject(s, h.text, rep);
  }
  ForEachSection(idx, K::kSubmix, [&](std::string_view b) { ReadSubmix(s, b, rep); });
  ForEachSection(idx, K::kFaderName, [&](std::string_view b) { ReadFaderName(s, b, rep); });
  bool first = true;
  ForEachSection(idx, K::kButton, [&](std::string_view b) {
    if (first) {
      for (auto& r : s.ButtonFunctions) r.Function = kFnOff;
      first = false;
    }
    int n = RecordNumber(b, "Number", 0, static_cast<int>(s.ButtonFunctions.size()) - 1);
    if (n < 0) {
      ++rep.skipped;
      return;
    }
    ButtonFunctionRec& r = s.ButtonFunctions[static_cast<std::size_t>(n)];
    ReadFunction(r, b);
    r.Latch = Flag(b, "Latch");
    r.Preset = Flag(b, "Preset");
    ++rep.records;
  });
  first = true;
  ForEachSection(idx, K::kFader, [&](std::string_view b) {
    if (first) {
      for (auto& r : s.FaderFunctions) r.Function = kFnOff;
      first = false;
    }
    int n = RecordNumber(b, "Number", 0, static_cast<int>(s.FaderFunctions.size()) - 1);
    if (n < 0) {
      ++rep.skipped;
      return;
    }
    ReadFunction(s.FaderFunctions[static_cast<std::size_t>(n)], b);
    ++rep.records;
  });
  {
    std::size_t pos = 1;
    TagHit h = idx.Find(pos, K::kPatch);
    if (!h.text.empty()) ReadPatch(s, h.text, rep);
  }
  int highest = -1;
  ForEachSection(idx, K::kScreen, [&](std::string_view b) { ReadScreen(s, b, rep, highest); });
  if (highest > 0) s.ScreenCount = static_cast<int16_t>(highest);
  ForEachSection(idx, K::kChase, [&](std::string_view b) { ReadChase(s, b, rep); });
  ForEachSection(idx, K::kPage, [&](std::string_view b) { ReadPage(s, b, rep); });
  return rep;
}

}  // namespace lumora
