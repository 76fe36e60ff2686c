// The project file's writers and reader, byte for byte, without a desk.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "project/project_format.h"
#include "tests/test_project_shows.h"

namespace lumora {
namespace {

using testing::EmptyDesk;
using testing::MaximalShow;

// Compares bytes and names the first offset where they differ.
::testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual) {
  std::size_t n = std::min(expected.size(), actual.size());
  for (std::size_t i = 0; i < n; ++i) {
    if (expected[i] != actual[i]) {
      auto around = [i](const std::string& s) {
        std::size_t from = i < 20 ? 0 : i - 20;
        std::string t = s.substr(from, 40);
        for (char& c : t)
          if (c == '\r') c = '|';
        return t;
      };
      return ::testing::AssertionFailure() << "first difference at offset " << i << ": expected byte "
                                           << int(static_cast<unsigned char>(expected[i])) << ", got "
                                           << int(static_cast<unsigned char>(actual[i])) << "\n expected ..."
                                           << around(expected) << "...\n actual   ..." << around(actual) << "...";
    }
  }
  if (expected.size() != actual.size())
    return ::testing::AssertionFailure() << "same up to offset " << n << ", lengths " << expected.size() << " vs "
                                         << actual.size();
  return ::testing::AssertionSuccess();
}

// A desk with nothing that a file would hold beyond the one screen pair.
DeskState Bare() {
  DeskState s;
  EmptyDesk(s);
  for (auto& r : s.ButtonFunctions) r.Function = kFnOff;
  for (auto& r : s.FaderFunctions) r.Function = kFnOff;
  s.PatchTable.fill(0);
  return s;
}

// --- section writers -----------------------------------------------------------

TEST(ProjectWriter, ProjectSectionHoldsEveryFieldInOrder) {
  DeskState s = Bare();
  s.ProjectName = "Gala";
  s.ProjectVersion = 3;
  s.ProjectText = "Notes";
  s.AdapterType = 3;
  s.ArtPorts[0] = {-1, 0};
  s.ArtPorts[5] = {-1, 5};
  s.BcfMode = 1;
  EXPECT_TRUE(SameBytes(
      "\t<Project>\r"
      "\t\t<Name>Gala</Name>\r"
      "\t\t<Date>08/12/2026</Date>\r"
      "\t\t<Version>3</Version>\r"
      "\t\t<Text>Notes</Text>\r"
      "\t\t<Adapter>3</Adapter>\r"
      "\t\t<Network>\r"
      "\t\t\t<Universe>0</Universe>\r"
      "\t\t</Network>\r"
      "\t\t<Network>\r"
      "\t\t\t<Universe>5</Universe>\r"
      "\t\t</Network>\r"
      "\t\t<BCF>1</BCF>\r"
      "\t</Project>\r",
      projectfile::ProjectSection(s, "08/12/2026")));
}

TEST(ProjectWriter, ProjectSectionLeavesOutEmptyNameAndText) {
  DeskState s = Bare();
  EXPECT_TRUE(SameBytes(
      "\t<Project>\r"
      "\t\t<Date>01/02/2027</Date>\r"
      "\t\t<Version>0</Version>\r"
      "\t\t<Adapter>0</Adapter>\r"
      "\t\t<BCF>0</BCF>\r"
      "\t</Project>\r",
      projectfile::ProjectSection(s, "01/02/2027")));
}

TEST(ProjectWriter, SubmixesWithContentOnlyAndLevelsAboveZero) {
  DeskState s = Bare();
  auto& a = s.Submixes[2];
  a.Name = "Warm";
  a.Colour = "255";
  a.Channel[0] = 5;
  a.Level[0] = 200;
  a.Channel[1] = 7;
  a.Level[1] = 0;  // listed but dark: not written
  a.Channel[2] = 9;
  a.Level[2] = 17;
  s.Submixes[4].Colour = "65280";  // colour alone is enough
  s.Submixes[32].Name = "Spare";   // the spare submix is written too
  EXPECT_TRUE(SameBytes(
      "\t<Submix>\r"
      "\t\t<Num>2</Num>\r"
      "\t\t<Name>Warm</Name>\r"
      "\t\t<Colour>255</Colour>\r"
      "\t\t<Level>5:200</Level>\r"
      "\t\t<Level>9:17</Level>\r"
      "\t</Submix>\r"
      "\t<Submix>\r"
      "\t\t<Num>4</Num>\r"
      "\t\t<Colour>65280</Colour>\r"
      "\t</Submix>\r"
      "\t<Submix>\r"
      "\t\t<Num>32</Num>\r"
      "\t\t<Name>Spare</Name>\r"
      "\t</Submix>\r",
      projectfile::SubmixSections(s)));
}

TEST(ProjectWriter, PatchIsOneLineOfPatchedSlotsOnly) {
  DeskState s = Bare();
  EXPECT_EQ(projectfile::PatchSection(s), "");
  s.PatchTable[0] = 1;
  s.PatchTable[1] = 2;
  s.PatchTable[63] = 64;
  s.PatchTable[511] = 7;
  EXPECT_TRUE(SameBytes("\t<Patch>0:1,1:2,63:64,511:7</Patch>\r", projectfile::PatchSection(s)));
}

TEST(ProjectWriter, FaderNamesForChangedDescriptionsWithSetFlags) {
  DeskState s = Bare();
  s.ChannelInfo[0].Name = "X";  // only the short name changed: written all the same
  auto& c = s.ChannelInfo[4];
  c.Desc = "Front wash";
  c.Name = "FW";
  c.Colour = "123";
  c.Main_F = -1;
  auto& d = s.ChannelInfo[63];
  d.Desc = "";
  d.Name = "";
  d.Colour = "";
  d.Cross_F = -1;
  EXPECT_TRUE(SameBytes(
      "\t<FaderName>\r"
      "\t\t<Num>0</Num>\r"
      "\t\t<Desc>1</Desc>\r"
      "\t\t<Name>X</Name>\r"
      "\t\t<Colour>16776960</Colour>\r"
      "\t</FaderName>\r"
      "\t<FaderName>\r"
      "\t\t<Num>4</Num>\r"
      "\t\t<Desc>Front wash</Desc>\r"
      "\t\t<Name>FW</Name>\r"
      "\t\t<Colour>123</Colour>\r"
      "\t\t<Main_F>1</Main_F>\r"
      "\t</FaderName>\r"
      "\t<FaderName>\r"
      "\t\t<Num>63</Num>\r"
      "\t\t<Desc></Desc>\r"
      "\t\t<Name></Name>\r"
      "\t\t<Colour></Colour>\r"
      "\t\t<Cross_F>1</Cross_F>\r"
      "\t</FaderName>\r",
      projectfile::FaderNameSections(s)));
}

TEST(ProjectWriter, ButtonsWriteOnlyFieldsThatHoldSomething) {
  DeskState s = Bare();
  auto& b = s.ButtonFunctions[3];
  b = ButtonFunctionRec{};
  b.Name = "Red";
  b.Value = 0;
  b.Colour = "255";
  b.Function = kFnColour;
  b.Latch = -1;
  b.Channel1 = 1;
  b.Channel2 = 2;
  b.Channel3 = 3;
  b.Data1 = 255;
  b.Level = 255;
  b.Preset = -1;
  auto& z = s.ButtonFunctions[10];  // submix 0, nothing else: a bare record
  z = ButtonFunctionRec{};
  z.Function = kFnSubmix;
  z.Latch = 0;
  z.Level = 0;
  auto& q = s.ButtonFunctions[80];  // a cue button survives a save
  q = ButtonFunctionRec{};
  q.Function = kFnCue;
  q.Value = 12;
  q.Latch = 0;
  q.Level = 0;
  EXPECT_TRUE(SameBytes(
      "\t<Button>\r"
      "\t\t<Number>3</Number>\r"
      "\t\t<Name>Red</Name>\r"
      "\t\t<Colour>255</Colour>\r"
      "\t\t<Function>3</Function>\r"
      "\t\t<Latch>1</Latch>\r"
      "\t\t<Channel1>1</Channel1>\r"
      "\t\t<Channel2>2</Channel2>\r"
      "\t\t<Channel3>3</Channel3>\r"
      "\t\t<Data1>255</Data1>\r"
      "\t\t<Level>255</Level>\r"
      "\t\t<Preset>1</Preset>\r"
      "\t</Button>\r"
      "\t<Button>\r"
      "\t\t<Number>10</Number>\r"
      "\t</Button>\r"
      "\t<Button>\r"
      "\t\t<Number>80</Number>\r"
      "\t\t<Value>12</Value>\r"
      "\t\t<Function>5</Function>\r"
      "\t</Button>\r",
      projectfile::ButtonSections(s)));
}

TEST(ProjectWriter, FadersBelowOffOnly) {
  DeskState s = Bare();
  auto& f = s.FaderFunctions[0];
  f = FaderFunctionRec{};
  f.Function = kFnSequence;
  f.Value = 4;
  f.Data1 = 1;
  f.Level = 128;
  f.Name = "Seq";
  f.Colour = "9";
  s.FaderFunctions[5].Function = kFnCue;  // faders have no cue: not stored
  EXPECT_TRUE(SameBytes(
      "\t<Fader>\r"
      "\t\t<Number>0</Number>\r"
      "\t\t<Name>Seq</Name>\r"
      "\t\t<Value>4</Value>\r"
      "\t\t<Colour>9</Colour>\r"
      "\t\t<Function>2</Function>\r"
      "\t\t<Data1>1</Data1>\r"
      "\t\t<Level>128</Level>\r"
      "\t</Fader>\r",
      projectfile::FaderSections(s)));
}

TEST(ProjectWriter, ChaseStepTimesCarryTheLiteralZero) {
  EXPECT_EQ(projectfile::StepTime(0.5), "0.5");
  EXPECT_EQ(projectfile::StepTime(1.5), "01.5");
  EXPECT_EQ(projectfile::StepTime(2), "02");
  EXPECT_EQ(projectfile::StepTime(100), "0100");
  EXPECT_EQ(projectfile::StepTime(0), "00");
  EXPECT_EQ(projectfile::StepTime(0.1 + 0.2), "0.3");
}

TEST(ProjectWriter, ChasesWithMoreThanOneStepWriteRowsZeroToSteps) {
  DeskState s = Bare();
  s.Chases[0].Steps = 1;  // a single step is not stored
  auto& c = s.Chases[1];
  c.Steps = 2;
  c.Name = "";
  c.Colour = "77";
  c.Fixture = 3;
  c.Loop = -1;
  for (int ch = 0; ch < 25; ++ch) c.Channels[ch] = static_cast<int16_t>(ch);
  for (int st = 0; st < 33; ++st) {
    c.Speed[st] = 1;
    c.Time[st] = 0.5;
    c.Data[st].fill(0);
    c.Fade[st].fill(2);
    c.Fix[st].fill(0);
  }
  c.Speed[2] = 1.5;
  c.Data[1][0] = 255;
  c.Data[1][23] = 9;
  c.Fade[2][1] = 1;
  c.Fix[2][5] = 20;
  s.Chases[32].Steps = 15;  // lives in memory only
  const std::string zeros = "0:0:0:0:0:0:0:0:0:0:0:0:0:0:0:0:0:0:0:0:0:0:0:0";
  const std::string twos = "2:2:2:2:2:2:2:2:2:2:2:2:2:2:2:2:2:2:2:2:2:2:2:2";
  EXPECT_TRUE(SameBytes(
      "\t<Chase>\r"
      "\t\t<Num>1</Num>\r"
      "\t\t<Name></Name>\r"
      "\t\t<Colour>77</Colour>\r"
      "\t\t<Steps>2</Steps>\r"
      "\t\t<Fixture>3</Fixture>\r"
      "\t\t<Loop>-1</Loop>\r"
      "\t\t<Channels>0:1:2:3:4:5:6:7:8:9:10:11:12:13:14:15:16:17:18:19:20:21:22:23</Channels>\r"
      "\t\t<Step>\r"
      "\t\t\t<Num>0</Num>\r"
      "\t\t\t<Speed>01</Speed>\r"
      "\t\t\t<Time>0.5</Time>\r"
      "\t\t\t<Data>" + zeros + "</Data>\r"
      "\t\t\t<Fade>" + twos + "</Fade>\r"
      "\t\t\t<Fix>0:0:0:0:0:0</Fix>\r"
      "\t\t</Step>\r"
      "\t\t<Step>\r"
      "\t\t\t<Num>1</Num>\r"
      "\t\t\t<Speed>01</Speed>\r"
      "\t\t\t<Time>0.5</Time>\r"
      "\t\t\t<Data>255:0:0:0:0:0:0:0:0:0:0:0:0:0:0:0:0:0:0:0:0:0:0:9</Data>\r"
      "\t\t\t<Fade>" + twos + "</Fade>\r"
      "\t\t\t<Fix>0:0:0:0:0:0</Fix>\r"
      "\t\t</Step>\r"
      "\t\t<Step>\r"
      "\t\t\t<Num>2</Num>\r"
      "\t\t\t<Speed>01.5</Speed>\r"
      "\t\t\t<Time>0.5</Time>\r"
      "\t\t\t<Data>" + zeros + "</Data>\r"
      "\t\t\t<Fade>2:1:2:2:2:2:2:2:2:2:2:2:2:2:2:2:2:2:2:2:2:2:2:2</Fade>\r"
      "\t\t\t<Fix>0:0:0:0:0:20</Fix>\r"
      "\t\t</Step>\r"
      "\t</Chase>\r",
      projectfile::ChaseSections(s)));
}

TEST(ProjectWriter, ScreensZeroToScreenCountAlwaysWithTheirCoreFields) {
  DeskState s = Bare();
  s.ScreenCount = 1;
  auto& r = s.Screens[1];
  r.Name = "Intro";
  r.Next = 5;
  r.Colour = "42";
  r.Instant = -1;
  r.Auto = -1;
  r.PresetLevel = 255;
  r.Delay = 3;
  r.Time = 0;  // not written
  r.FaderSel[0] = 10;
  r.FaderSel[60] = 255;
  r.Preset[0] = 1;
  r.Preset[63] = 200;
  r.ButtonSel[0] = -1;
  r.ButtonSel[80] = -1;
  EXPECT_TRUE(SameBytes(
      "\t<Screen>\r"
      "\t\t<Num>0</Num>\r"
      "\t\t<Next>1</Next>\r"
      "\t\t<Colour></Colour>\r"
      "\t\t<Instant>0</Instant>\r"
      "\t\t<Auto>0</Auto>\r"
      "\t\t<Time>2</Time>\r"
      "\t</Screen>\r"
      "\t<Screen>\r"
      "\t\t<Num>1</Num>\r"
      "\t\t<Name>Intro</Name>\r"
      "\t\t<Next>5</Next>\r"
      "\t\t<Colour>42</Colour>\r"
      "\t\t<Instant>1</Instant>\r"
      "\t\t<Auto>1</Auto>\r"
      "\t\t<Preset_l>255</Preset_l>\r"
      "\t\t<Delay>3</Delay>\r"
      "\t\t<Fad_Sel>0:10</Fad_Sel>\r"
      "\t\t<Fad_Sel>60:255</Fad_Sel>\r"
      "\t\t<Preset>0:1</Preset>\r"
      "\t\t<Preset>63:200</Preset>\r"
      "\t\t<But_Sel>0</But_Sel>\r"
      "\t\t<But_Sel>80</But_Sel>\r"
      "\t</Screen>\r",
      projectfile::ScreenSections(s)));
}

TEST(ProjectWriter, ScreenRangeStopsAtTheLastScreenOfTheStore) {
  DeskState s = Bare();
  s.ScreenCount = 200;  // recording screen 199 gives this
  std::string t = projectfile::ScreenSections(s);
  EXPECT_NE(t.find("<Num>199</Num>"), std::string::npos);
  EXPECT_EQ(t.find("<Num>200</Num>"), std::string::npos);
}

TEST(ProjectWriter, PagesWithNameTextOrColourAndNoEmptyColourLine) {
  DeskState s = Bare();
  s.Pages[0].Name = "Act 1";
  s.Pages[2].Text = "Spare";
  s.Pages[4].Colour = "5";
  s.Pages[5].Name = "never written";
  EXPECT_TRUE(SameBytes(
      "\t<Page>\r"
      "\t\t<Num>0</Num>\r"
      "\t\t<Name>Act 1</Name>\r"
      "\t</Page>\r"
      "\t<Page>\r"
      "\t\t<Num>2</Num>\r"
      "\t\t<Text>Spare</Text>\r"
      "\t</Page>\r"
      "\t<Page>\r"
      "\t\t<Num>4</Num>\r"
      "\t\t<Colour>5</Colour>\r"
      "\t</Page>\r",
      projectfile::PageSections(s)));
}

TEST(ProjectWriter, WholeProjectOfABareDeskIsRootProjectScreensAndLineEnd) {
  DeskState s = Bare();
  s.ScreenCount = 0;
  s.ProjectVersion = 7;
  EXPECT_TRUE(SameBytes(
      "<Lumora_XML>\r"
      "\t<Project>\r"
      "\t\t<Date>31/12/2026</Date>\r"
      "\t\t<Version>7</Version>\r"
      "\t\t<Adapter>0</Adapter>\r"
      "\t\t<BCF>0</BCF>\r"
      "\t</Project>\r"
      "\t<Screen>\r"
      "\t\t<Num>0</Num>\r"
      "\t\t<Next>1</Next>\r"
      "\t\t<Colour></Colour>\r"
      "\t\t<Instant>0</Instant>\r"
      "\t\t<Auto>0</Auto>\r"
      "\t\t<Time>2</Time>\r"
      "\t</Screen>\r"
      "</Lumora_XML>\r\r\n",
      WriteWholeProject(s, "31/12/2026")));
}

TEST(ProjectWriter, SectionsFollowTheDocumentOrder) {
  DeskState s;
  MaximalShow(s);
  std::string t = WriteWholeProject(s, "01/01/2027");
  const char* order[] = {"<Project>", "<Submix>", "<Patch>", "<FaderName>", "<Button>",
                         "<Fader>",   "<Chase>",  "<Screen>", "<Page>",     "</Lumora_XML>"};
  std::size_t at = 0;
  for (const char* tag : order) {
    std::size_t p = t.find(tag);
    ASSERT_NE(p, std::string::npos) << tag;
    EXPECT_GE(p, at) << tag;
    at = p;
  }
  EXPECT_EQ(t.find('\n'), t.size() - 1);  // no LF but the final one
}

TEST(ProjectWriter, PartialFilesHoldOneKindBetweenTheRootLines) {
  DeskState s = Bare();
  s.Submixes[0].Name = "A";
  s.PatchTable[2] = 3;
  s.Chases[0].Steps = 2;
  EXPECT_TRUE(SameBytes("<Lumora_XML>\r\t<Submix>\r\t\t<Num>0</Num>\r\t\t<Name>A</Name>\r\t</Submix>\r</Lumora_XML>\r\r\n",
                        WriteSubmixFile(s)));
  EXPECT_TRUE(SameBytes("<Lumora_XML>\r\t<Patch>2:3</Patch>\r</Lumora_XML>\r\r\n", WritePatchFile(s)));
  std::string seq = WriteSequenceFile(s);
  EXPECT_EQ(seq.rfind("<Lumora_XML>\r\t<Chase>\r", 0), 0u);
  EXPECT_EQ(seq.find("<Submix>"), std::string::npos);
  EXPECT_EQ(seq.find("<Screen>"), std::string::npos);
  const std::string tail = "\t</Chase>\r</Lumora_XML>\r\r\n";
  EXPECT_EQ(seq.substr(seq.size() - tail.size()), tail);
}

// --- round trips -------------------------------------------------------------

void ExpectRoundTrip(const DeskState& source, std::string (*writer)(const DeskState&)) {
  std::string first = writer(source);
  DeskState back;
  EmptyDesk(back);
  ReadProjectText(back, first);
  EXPECT_TRUE(SameBytes(first, writer(back)));
}

std::string Whole(const DeskState& s) { return WriteWholeProject(s, "02/03/2027"); }

TEST(ProjectRoundTrip, EmptyDeskWritesReadsAndWritesTheSameBytes) {
  DeskState s;
  EmptyDesk(s);
  ExpectRoundTrip(s, Whole);
}

TEST(ProjectRoundTrip, MaximalShowWritesReadsAndWritesTheSameBytes) {
  DeskState s;
  MaximalShow(s);
  ExpectRoundTrip(s, Whole);
  DeskState back;
  EmptyDesk(back);
  ReadProjectText(back, Whole(s));
  EXPECT_EQ(back.ScreenCount, 199);
  EXPECT_EQ(back.Screens[150].Preset[63], s.Screens[150].Preset[63]);
  EXPECT_EQ(back.Chases[31].Data[32][23], s.Chases[31].Data[32][23]);
  EXPECT_DOUBLE_EQ(back.Chases[7].Speed[32], s.Chases[7].Speed[32]);
  EXPECT_EQ(back.Submixes[32].Level[63], s.Submixes[32].Level[63]);
  EXPECT_EQ(back.ArtPorts[7].Enabled, -1);
  EXPECT_EQ(back.BcfMode, 2);
  EXPECT_EQ(back.AdapterType, 3);
  EXPECT_EQ(back.ProjectVersion, 41);
  EXPECT_EQ(back.ProjectDate, "02/03/2027");
}

// The lines of a whole-project text, each with its CR.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t cr = text.find('\r', at);
    if (cr == std::string::npos) cr = text.size() - 1;
    out.push_back(text.substr(at, cr - at + 1));
    at = cr + 1;
  }
  return out;
}

// The tag a field line opens, after its TABs.
std::string TagOf(const std::string& line) {
  std::size_t lt = line.find('<');
  return line.substr(lt + 1, line.find('>', lt) - lt - 1);
}

// The same show with its records and fields in another order: records of
// every kind in reverse; in each record the repeated fields of different
// kinds interleaved (each kind keeps its own order) and ahead of the single
// fields, which stand reversed; chase steps ahead of the chase's own fields,
// each step's fields reversed.
std::string Reordered(const std::string& text) {
  const std::vector<std::string> lines = Lines(text);
  const std::map<std::string, std::set<std::string>> repeated = {
      {"Project", {"Network"}}, {"Submix", {"Level"}}, {"Screen", {"Fad_Sel", "Preset", "But_Sel"}}, {"Chase", {"Step"}}};
  std::vector<std::string> records;
  std::size_t i = 1;  // after the root line
  while (lines[i] != "</Lumora_XML>\r") {
    const std::string& open = lines[i];
    if (open.find("</") != std::string::npos) {  // a one-line record: the patch
      records.push_back(open);
      ++i;
      continue;
    }
    const std::string kind = TagOf(open);
    const std::string close = "\t</" + kind + ">\r";
    std::map<std::string, std::vector<std::string>> groups;  // repeated kind -> items in order
    std::vector<std::string> singles;
    for (++i; lines[i] != close; ++i) {
      const std::string tag = TagOf(lines[i]);
      std::string item;
      if (tag == "Step" || tag == "Network") {  // a block: its inner lines reversed
        std::vector<std::string> inner;
        for (++i; lines[i] != "\t\t</" + tag + ">\r"; ++i) inner.push_back(lines[i]);
        item = "\t\t<" + tag + ">\r";
        for (auto it = inner.rbegin(); it != inner.rend(); ++it) item += *it;
        item += lines[i];
      } else {
        item = lines[i];
      }
      auto rep = repeated.find(kind);
      if (rep != repeated.end() && rep->second.count(tag) != 0)
        groups[tag].push_back(item);
      else
        singles.push_back(item);
    }
    std::string record = open;
    for (std::size_t k = 0;; ++k) {
      bool any = false;
      for (auto& [tag, items] : groups)
        if (k < items.size()) {
          record += items[k];
          any = true;
        }
      if (!any) break;
    }
    for (auto it = singles.rbegin(); it != singles.rend(); ++it) record += *it;
    records.push_back(record + close);
    ++i;
  }
  std::string out = lines.front();
  for (auto it = records.rbegin(); it != records.rend(); ++it) out += *it;
  for (; i < lines.size(); ++i) out += lines[i];
  return out;
}

TEST(ProjectRoundTrip, MaximalShowReadsTheSameInAnotherFieldOrder) {
  DeskState s;
  MaximalShow(s);
  const std::string text = Whole(s);
  const std::string other = Reordered(text);
  ASSERT_EQ(other.size(), text.size());
  ASSERT_NE(other, text);
  DeskState a, b;
  EmptyDesk(a);
  EmptyDesk(b);
  ReadReport ra = ReadProjectText(a, text);
  ReadReport rb = ReadProjectText(b, other);
  EXPECT_EQ(ra.records, rb.records);
  EXPECT_EQ(rb.skipped, 0);
  // Every table of the maximal show is written, so equal files mean equal
  // tables; both equal the show itself.
  EXPECT_TRUE(SameBytes(text, Whole(b)));
  EXPECT_TRUE(SameBytes(Whole(a), Whole(b)));
  EXPECT_EQ(b.Screens[0].ButtonSel[0], -1);
  EXPECT_EQ(b.Screens[199].FaderSel[60], s.Screens[199].FaderSel[60]);
  EXPECT_EQ(b.Chases[31].Fix[32][5], s.Chases[31].Fix[32][5]);
  EXPECT_EQ(b.Chases[0].Name, "Chase 0");
  EXPECT_EQ(b.ScreenCount, 199);
}

TEST(ProjectRoundTrip, EachPartialFileRoundTrips) {
  DeskState s;
  MaximalShow(s);
  ExpectRoundTrip(s, WriteSubmixFile);
  ExpectRoundTrip(s, WritePatchFile);
  ExpectRoundTrip(s, WriteSequenceFile);
}

TEST(ProjectRoundTrip, SubmixFileLoadsOnlySubmixes) {
  DeskState s;
  MaximalShow(s);
  DeskState target;
  EmptyDesk(target);
  target.ProjectName = "kept";
  const std::string before = WriteWholeProject(target, "x");
  ReadProjectText(target, WriteSubmixFile(s));
  for (int n = 0; n <= kSubmixes; ++n) {
    EXPECT_EQ(target.Submixes[n].Name, s.Submixes[n].Name);
    EXPECT_EQ(target.Submixes[n].Level, s.Submixes[n].Level);
  }
  DeskState check = target;
  ClearSubmixes(check);
  EXPECT_EQ(WriteWholeProject(check, "x"), before);
}

// --- reader semantics ----------------------------------------------------------

TEST(ProjectReader, TagScannerFollowsItsPositionRules) {
  std::string t = "<A>one</A><A>two</A>";
  std::size_t pos = 0;
  EXPECT_EQ(GetTagText(pos, t, "A"), "one");
  EXPECT_EQ(pos, 11u);
  EXPECT_EQ(GetTagText(pos, t, "A"), "two");
  EXPECT_EQ(GetTagText(pos, t, "A"), "");
  EXPECT_EQ(pos, 4u);  // no close: back to the length of the close tag
  pos = 1;
  EXPECT_EQ(GetTagNumber(pos, "<N> 2.5 </N>", "N"), 2);  // halves to even
  pos = 1;
  EXPECT_EQ(GetTagNumber(pos, "<N>x1</N>", "N"), 0);
  int16_t a = 9, b = 9;
  pos = 1;
  GetTagPair(pos, "<P>3:4.6</P>", "P", a, b);
  EXPECT_EQ(a, 3);
  EXPECT_EQ(b, 5);
  pos = 1;
  GetTagPair(pos, "<P>34</P>", "P", a, b);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 0);
  pos = 1;
  EXPECT_EQ(GetTagText(pos, "</A>x<A>y", "A"), "");  // close before open: nothing
}

TEST(ProjectReader, FieldsInAnyOrderAndMissingFieldsGiveEmptyOrZero) {
  DeskState s;
  EmptyDesk(s);
  s.Screens[3].Delay = 9;
  ReadProjectText(s,
                  "<Lumora_XML>\r<Screen><Auto>1</Auto><Colour>77</Colour><Next>9</Next><Num>3</Num>"
                  "<Preset>4:100</Preset></Screen>\r"
                  "<Page><Colour>1</Colour><Num>2</Num><Name>P</Name></Page>\r"
                  "<Chase><Step><Num>1</Num><Data>7:8</Data></Step><Steps>4</Steps><Num>5</Num><Name>C</Name>"
                  "</Chase>\r</Lumora_XML>\r");
  const auto& r = s.Screens[3];
  EXPECT_EQ(r.Auto, -1);
  EXPECT_EQ(r.Colour, "77");
  EXPECT_EQ(r.Next, 9);
  EXPECT_EQ(r.Delay, 0);
  EXPECT_EQ(r.Time, 0);
  EXPECT_EQ(r.Name, "");
  EXPECT_EQ(r.Preset[4], 100);
  EXPECT_EQ(s.Pages[2].Name, "P");
  EXPECT_EQ(s.Pages[2].Colour, "1");
  // The chase's own Num stands after its steps and is still the chase's.
  EXPECT_EQ(s.Chases[5].Name, "C");
  EXPECT_EQ(s.Chases[5].Steps, 4);
  EXPECT_EQ(s.Chases[5].Data[1][0], 7);
  EXPECT_EQ(s.Chases[5].Data[1][1], 8);
  EXPECT_EQ(s.Chases[1].Name, "");
}

TEST(ProjectReader, RepeatedFieldsKeepTheirOrder) {
  DeskState s;
  EmptyDesk(s);
  ReadProjectText(s, "<Submix><Level>9:1</Level><Num>1</Num><Level>3:2</Level><Level>60:3</Level></Submix>");
  const auto& m = s.Submixes[1];
  EXPECT_EQ(m.Channel[0], 9);
  EXPECT_EQ(m.Channel[1], 3);
  EXPECT_EQ(m.Channel[2], 60);
  EXPECT_EQ(m.Level[2], 3);
  EXPECT_EQ(m.Channel[3], 0);
}

TEST(ProjectReader, EachSubmixReadIsClearedFirstAndEndsAtAZeroPair) {
  DeskState s;
  EmptyDesk(s);
  for (int j = 0; j < 10; ++j) {
    s.Submixes[0].Channel[j] = static_cast<int16_t>(j + 1);
    s.Submixes[0].Level[j] = 50;
  }
  s.Submixes[1].Channel[0] = 4;
  s.Submixes[1].Level[0] = 40;
  ReadProjectText(s, "<Submix><Num>0</Num><Level>2:20</Level><Level>0:0</Level><Level>5:5</Level></Submix>");
  EXPECT_EQ(s.Submixes[0].Channel[0], 2);
  EXPECT_EQ(s.Submixes[0].Level[0], 20);
  EXPECT_EQ(s.Submixes[0].Channel[1], 0);
  EXPECT_EQ(s.Submixes[0].Level[5], 0);
  EXPECT_EQ(s.Submixes[1].Level[0], 40);  // not in the file: untouched
}

TEST(ProjectReader, ButtonsAndFadersAreSwitchedOffBeforeTheFirstBody) {
  DeskState s;
  EmptyDesk(s);  // buttons 0..14 and faders 0..12 have functions
  ReadProjectText(s, "<Button><Number>20</Number><Function>1</Function><Channel1>4</Channel1></Button>");
  EXPECT_EQ(s.ButtonFunctions[0].Function, kFnOff);
  EXPECT_EQ(s.ButtonFunctions[20].Function, kFnPreset);
  EXPECT_EQ(s.ButtonFunctions[20].Channel1, 4);
  EXPECT_EQ(s.ButtonFunctions[20].Latch, 0);  // missing flag: false
  EXPECT_EQ(s.ButtonFunctions[20].Level, 0);  // missing number: 0
  EXPECT_EQ(s.FaderFunctions[0].Function, kFnSubmix);  // no Fader section: untouched
  ReadProjectText(s, "<Fader><Number>7</Number><Name>N</Name></Fader>");
  EXPECT_EQ(s.FaderFunctions[0].Function, kFnOff);
  EXPECT_EQ(s.FaderFunctions[7].Function, kFnSubmix);  // missing Function gives 0
  EXPECT_EQ(s.FaderFunctions[7].Name, "N");
}

TEST(ProjectReader, ButSelZeroSetsButtonZeroAndTheRest) {
  DeskState s;
  EmptyDesk(s);
  ReadProjectText(s, "<Screen><Num>0</Num><But_Sel>0</But_Sel><But_Sel>7</But_Sel><But_Sel>80</But_Sel></Screen>");
  EXPECT_EQ(s.Screens[0].ButtonSel[0], -1);
  EXPECT_EQ(s.Screens[0].ButtonSel[7], -1);
  EXPECT_EQ(s.Screens[0].ButtonSel[80], -1);
  EXPECT_EQ(s.Screens[0].ButtonSel[1], 0);
}

TEST(ProjectReader, ScreenIsStoredWholeSoOldLevelsDoNotSurvive) {
  DeskState s;
  EmptyDesk(s);
  s.Screens[2].Preset[10] = 99;
  s.Screens[2].FaderSel[3] = 99;
  s.Screens[2].ButtonSel[4] = -1;
  ReadProjectText(s, "<Screen><Num>2</Num><Preset>1:5</Preset></Screen>");
  EXPECT_EQ(s.Screens[2].Preset[1], 5);
  EXPECT_EQ(s.Screens[2].Preset[10], 0);
  EXPECT_EQ(s.Screens[2].FaderSel[3], 0);
  EXPECT_EQ(s.Screens[2].ButtonSel[4], 0);
}

TEST(ProjectReader, PatchLineSetsTheListedSlotsAndOnlyThose) {
  DeskState s;
  EmptyDesk(s);  // slots 0..63 patched one to one
  ReadProjectText(s, "<Patch>0:1,1:2,63:64</Patch>");
  EXPECT_EQ(s.PatchTable[0], 1);
  EXPECT_EQ(s.PatchTable[1], 2);
  EXPECT_EQ(s.PatchTable[63], 64);
  EXPECT_EQ(s.PatchTable[2], 0);
  ReadProjectText(s, "<Patch>5:6,junk,600:1,7:99,-1:3,8:9</Patch>");
  EXPECT_EQ(s.PatchTable[5], 6);
  EXPECT_EQ(s.PatchTable[7], 0);  // channel 99 does not exist
  EXPECT_EQ(s.PatchTable[8], 9);
}

TEST(ProjectReader, WholeProjectWithoutPatchLoadsAsNothingPatchedWhilePartFilesLeaveThePatch) {
  // A show saved with nothing patched writes no Patch section at all.
  DeskState unpatched = Bare();
  const std::string show = WriteWholeProject(unpatched, "08/12/2026");
  ASSERT_EQ(show.find("<Patch>"), std::string::npos);
  DeskState s;
  EmptyDesk(s);  // slots 0..63 patched one to one
  ReadProjectText(s, show);
  for (std::size_t k = 0; k < s.PatchTable.size(); ++k) ASSERT_EQ(s.PatchTable[k], 0) << "slot " << k;
  // Submixes, chases, screens and a patch file with nothing in it say
  // nothing about the patch.
  DeskState parts;
  EmptyDesk(parts);
  for (const std::string& part : {WriteSubmixFile(unpatched), WriteSequenceFile(unpatched), WritePatchFile(unpatched),
                                  std::string("<Lumora_XML>\r\t<Screen><Num>2</Num></Screen>\r</Lumora_XML>\r")}) {
    ReadProjectText(parts, part);
    for (int k = 0; k < 64; ++k) ASSERT_EQ(parts.PatchTable[static_cast<std::size_t>(k)], k + 1) << part.substr(0, 40);
  }
}

TEST(ProjectReader, ScreenCountIsTheHighestNumAboveZero) {
  DeskState s;
  EmptyDesk(s);
  s.ScreenCount = 1;
  ReadProjectText(s, "<Screen><Num>12</Num></Screen><Screen><Num>4</Num></Screen>");
  EXPECT_EQ(s.ScreenCount, 12);
  ReadProjectText(s, "<Screen><Num>0</Num></Screen>");
  EXPECT_EQ(s.ScreenCount, 12);  // 0 leaves it
}

TEST(ProjectReader, ProjectSectionSetsAdapterPortsAndSurfaceMode) {
  DeskState s;
  EmptyDesk(s);
  ReadProjectText(s,
                  "<Project><BCF>2</BCF><Network><Universe>3</Universe></Network><Name>N</Name>"
                  "<Network><Universe>16</Universe></Network><Network><Universe>17</Universe></Network>"
                  "<Adapter>4</Adapter><Version>12</Version><Date>1/2/2003</Date></Project>");
  EXPECT_EQ(s.ProjectName, "N");
  EXPECT_EQ(s.ProjectVersion, 12);
  EXPECT_EQ(s.ProjectDate, "1/2/2003");
  EXPECT_EQ(s.AdapterType, 4);
  EXPECT_EQ(s.BcfMode, 2);
  EXPECT_EQ(s.ArtPorts[3].Enabled, -1);
  EXPECT_EQ(s.ArtPorts[3].Universe, 3);
  EXPECT_EQ(s.ArtPorts[16].Enabled, -1);
  EXPECT_EQ(s.ArtPorts[0].Enabled, 0);
  ReadProjectText(s, "<Project><Adapter>77</Adapter><BCF>-3</BCF></Project>");
  EXPECT_EQ(s.AdapterType, 4);  // no such adapter: kept
  EXPECT_EQ(s.BcfMode, 2);
}

TEST(ProjectReader, BadRecordNumbersAreSkippedNeverStoredOutside) {
  DeskState s;
  EmptyDesk(s);
  ReadReport rep = ReadProjectText(
      s,
      "<Submix><Num>33</Num><Name>x</Name></Submix><Submix><Num>abc</Num><Name>y</Name></Submix>"
      "<Submix><Name>no number</Name></Submix>"
      "<FaderName><Num>-1</Num><Desc>d</Desc></FaderName>"
      "<Screen><Num>200</Num><Name>z</Name></Screen><Screen><Num>99999999999</Num></Screen>"
      "<Chase><Num>33</Num><Name>c</Name></Chase><Page><Num>6</Num><Name>p</Name></Page>"
      "<Screen><Num>1</Num><Fad_Sel>61:5</Fad_Sel><Preset>64:3</Preset><But_Sel>81</But_Sel>"
      "<Fad_Sel>2:7</Fad_Sel></Screen>");
  EXPECT_EQ(rep.skipped, 8);
  for (const auto& m : s.Submixes) {
    EXPECT_NE(m.Name, "x");
    EXPECT_NE(m.Name, "y");
    EXPECT_NE(m.Name, "no number");
  }
  EXPECT_EQ(s.Screens[199].Name, "");
  EXPECT_EQ(s.Screens[1].FaderSel[2], 7);  // later good pairs still read
  EXPECT_EQ(s.Pages[5].Name, "");
}

TEST(ProjectReader, ChaseFieldsAreKeptWithinTheEnginesBounds) {
  DeskState s;
  EmptyDesk(s);
  ReadProjectText(s,
                  "<Chase><Num>2</Num><Steps>500</Steps><Fixture>40</Fixture>"
                  "<Channels>1:2:300:-4</Channels>"
                  "<Step><Num>40</Num><Data>1</Data></Step>"
                  "<Step><Num>3</Num><Speed>0-.5</Speed><Time>02.25</Time><Fix>1:99:3:4:5:6:7:8</Fix>"
                  "<Data>1:2:3:4:5:6:7:8:9:10:11:12:13:14:15:16:17:18:19:20:21:22:23:24:25:26:27</Data></Step>"
                  "</Chase>");
  const auto& c = s.Chases[2];
  EXPECT_EQ(c.Steps, 32);
  EXPECT_EQ(c.Fixture, 0);
  EXPECT_EQ(c.Channels[0], 1);
  EXPECT_EQ(c.Channels[2], 3);  // 300 refused: the entry keeps its value
  EXPECT_EQ(c.Channels[3], 4);
  EXPECT_DOUBLE_EQ(c.Speed[3], 0);
  EXPECT_DOUBLE_EQ(c.Time[3], 2.25);
  EXPECT_EQ(c.Fix[3][1], 0);
  EXPECT_EQ(c.Fix[3][2], 3);
  EXPECT_EQ(c.Data[3][24], 25);  // at most 25 entries
}

TEST(ProjectReader, NoRootOrGarbageLoadsNothingAndSaysSo) {
  DeskState s;
  EmptyDesk(s);
  ReadReport rep = ReadProjectText(s, std::string("\x00\x01\xff<<<>>>", 9));
  EXPECT_FALSE(rep.hasRoot);
  EXPECT_EQ(rep.records, 0);
}

// --- robustness ------------------------------------------------------------------

// Any input: no crash, no hang, and the bounded fields stay in their bounds.
void ExpectSane(const DeskState& s) {
  for (const auto& m : s.Submixes)
    for (int16_t ch : m.Channel) ASSERT_TRUE(ch >= 0 && ch <= 64);
  for (int16_t p : s.PatchTable) ASSERT_TRUE(p >= 0 && p <= 64);
  for (const auto& c : s.Chases) {
    ASSERT_TRUE(c.Steps >= 1 && c.Steps <= 32);
    ASSERT_TRUE(c.Fixture >= 0 && c.Fixture <= 20);
  }
  ASSERT_TRUE(s.ScreenCount >= 0 && s.ScreenCount <= 199);
  ASSERT_TRUE(s.AdapterType >= 0 && s.AdapterType <= 5);
}

TEST(ProjectReaderFuzz, RandomBytesAndMutatedShowsNeverCrashOrEscapeTheTables) {
  // A show with every kind of section, kept small so many variants run.
  DeskState show;
  MaximalShow(show);
  show.ScreenCount = 5;
  for (int c = 2; c < kChaseCount; ++c) show.Chases[c].Steps = 1;
  show.Chases[1].Steps = 3;
  const std::string real = WriteWholeProject(show, "01/01/2027");
  std::mt19937 rng(20261208);
  const std::string alphabet = "<>/:,.-0123456789 \r\tNumLevelScreenChasePatchStepBut_SelFad_SelPreset";
  for (int round = 0; round < 160; ++round) {
    std::string input;
    switch (round % 4) {
      case 0: {  // random bytes
        input.resize(rng() % 2000);
        for (char& c : input) c = static_cast<char>(rng());
        break;
      }
      case 1: {  // random tag soup
        input.resize(rng() % 4000);
        for (char& c : input) c = alphabet[rng() % alphabet.size()];
        break;
      }
      case 2: {  // a real show, truncated
        input = real.substr(0, rng() % real.size());
        break;
      }
      default: {  // a real show with bytes flipped, cut out and numbers made huge
        input = real;
        for (int k = 0; k < 40; ++k) {
          std::size_t at = rng() % input.size();
          switch (rng() % 3) {
            case 0: input[at] = static_cast<char>(rng()); break;
            case 1: input.erase(at, rng() % 50); break;
            default: input.insert(at, "99999999999999999999"); break;
          }
          if (input.empty()) input = "x";
        }
      }
    }
    DeskState s;
    EmptyDesk(s);
    ReadProjectText(s, input);
    ExpectSane(s);
    WriteWholeProject(s, "d");  // whatever was read can be written
  }
}

TEST(ProjectReaderFuzz, MissingClosingTagsEndTheLoopsInsteadOfHanging) {
  DeskState s;
  EmptyDesk(s);
  ReadProjectText(s, "<Screen><Num>1</Num><But_Sel>3<But_Sel>4</Screen><Submix><Num>1</Num><Level>1:2");
  ReadProjectText(s, "<Chase><Num>1</Num><Step><Num>1</Num><Step></Chase>");
  ReadProjectText(s, "<Patch>1:2,");
  ExpectSane(s);
  EXPECT_EQ(s.Screens[1].ButtonSel[4], 0);  // "3<But_Sel>4" is not a number
}

}  // namespace
}  // namespace lumora
