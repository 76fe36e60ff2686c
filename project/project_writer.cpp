// The project file's writers: every section, byte-exact, built into one
// string without a heap string per number.
#include "project/project_format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

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

// StepTime in place. The number is printed as "%.15G" prints it (to_chars
// with a precision is specified to give printf's digits) without printf's
// cost.
Int StepTimeChars(double seconds) {
  if (!std::isfinite(seconds) || seconds == 0) seconds = 0;
  Int r;
  r.buf[0] = '0';
  char* const num = r.buf + 1;
  char* end = std::to_chars(num, r.buf + sizeof r.buf, seconds, std::chars_format::general, 15).ptr;
  for (char* q = num; q < end; ++q)
    if (*q == 'e') *q = 'E';
  // The desk prints fractions without the zero before the point (".5").
  const std::string_view t(num, static_cast<std::size_t>(end - num));
  char* zero = nullptr;
  if (t.substr(0, 2) == "0.")
    zero = num;
  else if (t.substr(0, 3) == "-0.")
    zero = num + 1;
  if (zero != nullptr) {
    std::memmove(zero, zero + 1, static_cast<std::size_t>(end - zero - 1));
    --end;
  }
  r.n = static_cast<std::size_t>(end - r.buf);
  return r;
}

// One field line at the given depth: TABs, <tag>value</tag>, CR.
// The line is sized once and filled in place: a show has some 70 000 of them.
void Field(std::string& out, int tabs, std::string_view tag, std::string_view value) {
  const auto t = static_cast<std::size_t>(tabs);
  const std::size_t at = out.size();
  out.resize(at + t + 2 * tag.size() + value.size() + 6);
  char* p = out.data() + at;
  std::memset(p, '\t', t);
  p += t;
  *p++ = '<';
  std::memcpy(p, tag.data(), tag.size());
  p += tag.size();
  *p++ = '>';
  if (!value.empty()) std::memcpy(p, value.data(), value.size());
  p += value.size();
  *p++ = '<';
  *p++ = '/';
  std::memcpy(p, tag.data(), tag.size());
  p += tag.size();
  *p++ = '>';
  *p = kCR;
}
void Line(std::string& out, int tabs, std::string_view text) {
  out.append(static_cast<std::size_t>(tabs), '\t');
  out += text;
  out += kCR;
}

}  // namespace

// --- writers -----------------------------------------------------------------

namespace projectfile {

std::string StepTime(double seconds) { return std::string(std::string_view(StepTimeChars(seconds))); }

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

// A channel keeps its defaults (number as description and name, the default
// colour, following both faders) until the operator edits any of them; an
// edit of any one field is work to keep, not only a new description.
static bool ChannelInfoIsDefault(const ChannelInfoRec& ci, int c) {
  const Int digits = I(c + 1);
  const std::string_view number = digits;
  return ci.Desc == number && ci.Name == number && ci.Colour == kDefaultChannelColour && ci.Main_F == 0 &&
         ci.Cross_F == 0;
}

void AppendFaderNameSections(std::string& o, const DeskState& s) {
  for (int c = 0; c < kDeskChannels; ++c) {
    const ChannelInfoRec& ci = s.ChannelInfo[static_cast<std::size_t>(c)];
    if (ChannelInfoIsDefault(ci, c)) continue;
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
  // At most 24 items of "-32768:".
  char list[kChaseChannels * 7];
  char* p = list;
  for (std::size_t i = 0; i < count; ++i) {
    if (i) *p++ = ':';
    p = std::to_chars(p, list + sizeof list, a[i]).ptr;
  }
  Field(o, tabs, tag, std::string_view(list, static_cast<std::size_t>(p - list)));
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
      Field(o, 3, "Speed", StepTimeChars(c.Speed[k]));
      Field(o, 3, "Time", StepTimeChars(c.Time[k]));
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

}  // namespace lumora
