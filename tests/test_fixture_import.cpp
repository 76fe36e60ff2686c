// Fixture import: real QLC+ definitions of five makers (the qlcplus-data
// package), hand-written Open Fixture Library files, the caption rule, the
// sequence desk's Import menu through the console, and bad input refused
// with the fixture table unchanged.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "desk_fixture.h"
#include "fixtureimport/fixture_import.h"
#include "sequences/chases_form.h"
#include "sequences/fixture_file.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
namespace fi = fixtureimport;

const fs::path kQlc = "/usr/share/qlcplus/fixtures";
const fs::path kOfl = fs::path(LUMORA_SOURCE_DIR) / "tests/data/ofl/test-lights";

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream b;
  b << in.rdbuf();
  return b.str();
}

// The library is a test dependency: a missing one fails loudly.
fs::path Qxf(const std::string& rel) {
  const fs::path p = kQlc / rel;
  EXPECT_TRUE(fs::exists(p)) << p << " missing: install qlcplus-data (scripts/deps.sh)";
  return p;
}

// The entries of a function that the desk shows (FixtureHigh >= 1).
std::vector<fi::Entry> Shown(const fi::FixtureType& t, int f) {
  std::vector<fi::Entry> v;
  for (const auto& e : t.entries[static_cast<std::size_t>(f)])
    if (e.high >= 1) v.push_back(e);
  return v;
}

std::vector<std::string> Captions(const fi::FixtureType& t, int f) {
  std::vector<std::string> v;
  for (const auto& e : Shown(t, f)) v.push_back(e.text);
  return v;
}

bool ReportHas(const std::vector<std::string>& report, const std::string& text) {
  for (const auto& l : report)
    if (l.find(text) != std::string::npos) return true;
  return false;
}

// Every caption of a type fits the desk's nine characters, and no two in
// one function are alike.
void ExpectCaptionsSound(const fi::FixtureType& t) {
  for (int f = 0; f < fi::kFunctions; ++f) {
    std::vector<std::string> seen;
    for (const auto& e : Shown(t, f)) {
      EXPECT_LE(e.text.size(), fi::kCaptionMax) << e.text;
      EXPECT_FALSE(e.text.empty());
      for (const auto& s : seen) EXPECT_NE(s, e.text) << "function " << f;
      seen.push_back(e.text);
    }
  }
}

// --- the caption rule ---------------------------------------------------------

TEST(FixtureImportCaption, ShortNamesStayAndLongOnesReadWell) {
  EXPECT_EQ(fi::ShortCaption("Red", {}), "Red");
  EXPECT_EQ(fi::ShortCaption("Dark Blue", {}), "Dark Blue");  // exactly nine
  EXPECT_EQ(fi::ShortCaption("Dark Blue 2", {}), "Dk Blue 2");
  EXPECT_EQ(fi::ShortCaption("Light green", {}), "Lt green");
  EXPECT_EQ(fi::ShortCaption("Congo Blue", {}), "Congo Blu");
  EXPECT_EQ(fi::ShortCaption("Open/white", {}), "Open/wht");
  // A generic slot label gives way to the name it carries.
  EXPECT_EQ(fi::ShortCaption("Slot 1 (Blue 110)", {}), "Blue 110");
  EXPECT_EQ(fi::ShortCaption("Gobo 4 (Milky Way)", {}), "Milky Way");
  EXPECT_EQ(fi::ShortCaption("Open - Indexed", {}), "Open");
  // Accents go, other signs outside ASCII too; the result is plain ASCII.
  EXPECT_EQ(fi::ShortCaption("Gr\xC3\xBCn", {}), "Grun");
  EXPECT_EQ(fi::ShortCaption("45\xC2\xB0", {}), "45");
  EXPECT_EQ(fi::ShortCaption("", {}), "Entry");
  for (const char* n : {"Gobo shaking rotation 7", "Reverse color cycling rainbow with increasing speed",
                        "Aaaaaaaaaaaaaaaaaaaaaaaa", "1234567890123", "((((((((((((", " - - - - - - "}) {
    const std::string c = fi::ShortCaption(n, {});
    EXPECT_LE(c.size(), fi::kCaptionMax) << n;
    EXPECT_FALSE(c.empty()) << n;
  }
}

TEST(FixtureImportCaption, AlikeCaptionsInOneFunctionGetNumbers) {
  std::vector<std::string> taken = {"Spiral"};
  EXPECT_EQ(fi::ShortCaption("Spiral", taken), "Spiral 2");
  taken.push_back("Spiral 2");
  EXPECT_EQ(fi::ShortCaption("spiral", taken), "spiral 3");  // case does not make it differ
  EXPECT_EQ(fi::ShortCaption("Lavender Mist", {}), "Lav Mist");
  const std::vector<std::string> nine = {"Gobo Rot1"};
  const std::string c = fi::ShortCaption("Gobo Rot1", nine);
  EXPECT_LE(c.size(), 9u);
  EXPECT_NE(c, "Gobo Rot1");
}

TEST(FixtureImportCaption, HexColours) {
  EXPECT_EQ(fi::HexColour("#ff0000"), 255);
  EXPECT_EQ(fi::HexColour("#00FF00"), 65280);
  EXPECT_EQ(fi::HexColour("#0080ff"), 0 + 256 * 128 + 65536 * 255);
  EXPECT_FALSE(fi::HexColour("ff0000"));
  EXPECT_FALSE(fi::HexColour("#ff00"));
  EXPECT_FALSE(fi::HexColour("#gg0000"));
}

// --- real QLC+ definitions -----------------------------------------------------

// The Chauvet Intimidator Spot 155 checked entry by entry against its file,
// read here with a plain pattern match and no XML library.
TEST(FixtureImportQxf, IntimidatorSpot155MatchesItsDefinitionEntryByEntry) {
  const fs::path p = Qxf("Chauvet/Chauvet-Intimidator-Spot-155.qxf");
  const std::string text = ReadAll(p);
  auto channelBlock = [&text](const std::string& name) {
    const auto b = text.find("<Channel Name=\"" + name + "\">");
    const auto e = text.find("</Channel>", b);
    EXPECT_NE(b, std::string::npos) << name;
    return text.substr(b, e - b);
  };
  struct Slot {
    int min;
    std::string name, colour;
  };
  auto slots = [](const std::string& block, const std::string& preset) {
    std::vector<Slot> v;
    const std::regex re("<Capability Min=\"(\\d+)\" Max=\"\\d+\" Preset=\"" + preset +
                        "\" Res1=\"([^\"]*)\">([^<]*)</Capability>");
    for (std::sregex_iterator it(block.begin(), block.end(), re), end; it != end; ++it) {
      const std::string name = (*it)[3];
      bool again = false;
      for (const auto& s : v) again = again || s.name == name;
      if (!again) v.push_back({std::stoi((*it)[1]), name, (*it)[2]});
    }
    return v;
  };
  const auto colours = slots(channelBlock("Color Wheel"), "ColorMacro");
  const auto gobos = slots(channelBlock("Gobo Wheel"), "GoboMacro");
  ASSERT_EQ(colours.size(), 10u);
  ASSERT_EQ(gobos.size(), 10u);  // the second "Open" repeats the first

  const auto r = fi::ImportFile(p.string());
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.type.name, "Chauvet Intimidator Spot 155");
  EXPECT_EQ(r.mode, "Basic");  // as many mapped channels as Advanced, fewer to patch
  EXPECT_EQ(r.type.functionName[0], "Color Wheel");
  EXPECT_EQ(r.type.functionName[1], "Gobo Wheel");
  EXPECT_EQ(r.type.functionName[2], "Pan");
  EXPECT_EQ(r.type.functionName[3], "Tilt");
  EXPECT_EQ(r.type.functionName[4], "");
  const auto& c = r.type.entries[0];
  for (std::size_t k = 0; k < colours.size(); ++k) {
    SCOPED_TRACE(colours[k].name);
    EXPECT_EQ(c[k].low, colours[k].min);
    EXPECT_EQ(c[k].high, 1);
    const auto rgb = std::stoi(colours[k].colour.substr(1), nullptr, 16);
    const int decimal = (rgb >> 16) + 256 * ((rgb >> 8) & 0xFF) + 65536 * (rgb & 0xFF);
    EXPECT_EQ(c[k].colour, std::to_string(decimal));
    EXPECT_EQ(c[k].text, colours[k].name == "Light green" ? "Lt green" : colours[k].name);
  }
  EXPECT_EQ(c[0].colour, "16777215");   // white
  EXPECT_EQ(c[4].colour, "255");        // red: #ff0000
  EXPECT_EQ(c[8].low, 48);              // light green
  for (std::size_t k = colours.size(); k < 21; ++k) EXPECT_EQ(c[k].high, 0) << k;  // hidden
  const auto& g = r.type.entries[1];
  for (std::size_t k = 0; k < gobos.size(); ++k) {
    EXPECT_EQ(g[k].low, gobos[k].min);
    EXPECT_EQ(g[k].high, 1);
    EXPECT_EQ(g[k].text, gobos[k].name);
    EXPECT_EQ(g[k].colour, fi::kSystemFaceText);  // a gobo has no colour
  }
  EXPECT_EQ(g[10].high, 0);
  // Pan and tilt are bare 8-bit channels: the full range and its halves.
  for (int f = 2; f <= 3; ++f) {
    const auto& e = r.type.entries[static_cast<std::size_t>(f)];
    EXPECT_EQ(e[0].text, "Full");
    EXPECT_EQ(e[0].low, 0);
    EXPECT_EQ(e[0].high, 255);
    EXPECT_EQ(e[1].low, 0);
    EXPECT_EQ(e[1].high, 127);
    EXPECT_EQ(e[2].low, 128);
    EXPECT_EQ(e[2].high, 255);
    EXPECT_EQ(e[3].text, "Centre");
    EXPECT_EQ(e[4].high, 0);
  }
  // The offsets to patch: Basic is Pan, Tilt, Color Wheel, Shutter, Dimmer, Gobo Wheel.
  EXPECT_TRUE(ReportHas(r.report, "colour: channel 3 (offset 2) \"Color Wheel\" -> function 0, 10 entries"));
  EXPECT_TRUE(ReportHas(r.report, "gobo: channel 6 (offset 5) \"Gobo Wheel\" -> function 1, 10 entries"));
  EXPECT_TRUE(ReportHas(r.report, "pan: channel 1 (offset 0) \"Pan\""));
  EXPECT_TRUE(ReportHas(r.report, "tilt: channel 2 (offset 1) \"Tilt\""));
  EXPECT_TRUE(ReportHas(r.report, "not mapped: 10 split colour positions"));
  EXPECT_TRUE(ReportHas(r.report, "not mapped: channel 4 (offset 3) \"Shutter\""));
}

TEST(FixtureImportQxf, FiveMakersImportWithWheelsAndPositions) {
  struct Case {
    const char* file;
    const char* name;
    std::size_t colours, gobos;
    const char* firstColour;
    int firstColourLow;
  };
  const Case cases[] = {
      {"Robe/Robe-ColorSpot-250-AT.qxf", "Robe ColorSpot 250 AT", 12, 16, "Open/wht", 0},
      {"Martin/Martin-MAC-700-Profile.qxf", "Martin MAC 700 Profile", 9, 13, "Open", 0},
      {"Clay_Paky/Clay-Paky-Alpha-Spot-575-HPE.qxf", "Clay Paky Alpha Spot HPE 575", 7, 8, "white", 0},
      {"Chauvet/Chauvet-Intimidator-Spot-155.qxf", "Chauvet Intimidator Spot 155", 10, 10, "White", 0},
      {"American_DJ/American-DJ-Vizi-BSW-300.qxf", "American DJ Vizi BSW 300", 10, 8, "White", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const auto r = fi::ImportFile(Qxf(c.file).string());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.type.name, c.name);
    EXPECT_EQ(Shown(r.type, 0).size(), c.colours);
    EXPECT_EQ(Shown(r.type, 1).size(), c.gobos);
    EXPECT_EQ(r.type.entries[0][0].text, c.firstColour);
    EXPECT_EQ(r.type.entries[0][0].low, c.firstColourLow);
    EXPECT_GE(Shown(r.type, 2).size(), 1u);
    EXPECT_GE(Shown(r.type, 3).size(), 1u);
    ExpectCaptionsSound(r.type);
    for (const char* role : {"colour: channel", "gobo: channel", "pan: channel", "tilt: channel"})
      EXPECT_TRUE(ReportHas(r.report, role)) << role;
  }
}

TEST(FixtureImportQxf, WhatDoesNotFitIsReported) {
  // The Robe in its 18-channel mode: fine channels, a prism, and colour
  // positions that repeat earlier slots.
  const auto r = fi::ImportFile(Qxf("Robe/Robe-ColorSpot-250-AT.qxf").string(), "18 Channel");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.mode, "18 Channel");
  EXPECT_TRUE(ReportHas(r.report, "not mapped: channel 2 (offset 1) \"Pan Fine\" (16-bit fine channel)"));
  EXPECT_TRUE(ReportHas(r.report, "not mapped: channel 8 (offset 7) \"Colour Wheel Fine\" (16-bit fine channel)"));
  EXPECT_TRUE(ReportHas(r.report, "not mapped: channel 12 (offset 11) \"Prism\" (prism)"));
  EXPECT_TRUE(ReportHas(r.report, "colour positions that repeat an earlier slot's name"));
  EXPECT_TRUE(ReportHas(r.report, "colour: channel 7 (offset 6)"));
  // The Martin's second gobo wheel.
  const auto m = fi::ImportFile(Qxf("Martin/Martin-MAC-700-Profile.qxf").string());
  ASSERT_TRUE(m.ok) << m.error;
  EXPECT_TRUE(ReportHas(m.report, "\"Gobo2\" (second gobo wheel)"));
  EXPECT_EQ(m.type.entries[0][1].text, "Blue 110");  // "Slot 1 (Blue 110)"
  EXPECT_EQ(m.type.entries[0][1].low, 17);
}

TEST(FixtureImportQxf, EveryInstalledDefinitionImportsOrIsRefusedWithAReason) {
  ASSERT_TRUE(fs::is_directory(kQlc)) << "install qlcplus-data (scripts/deps.sh)";
  int imported = 0, refused = 0;
  for (const auto& e : fs::recursive_directory_iterator(kQlc)) {
    if (e.path().extension() != ".qxf") continue;
    const auto r = fi::ImportFile(e.path().string());
    if (r.ok) {
      ++imported;
      ExpectCaptionsSound(r.type);
    } else {
      ++refused;
      // Only for having nothing the desk can drive, never for a parse fault.
      EXPECT_NE(r.error.find("the desk can use"), std::string::npos) << e.path() << ": " << r.error;
    }
  }
  EXPECT_GT(imported, 500);
  EXPECT_GT(refused, 0);  // dimmers and LED bars
}

// --- hand-written Open Fixture Library files -------------------------------------

TEST(FixtureImportOfl, Spot250WheelsSlotsAndModes) {
  const auto r = fi::ImportFile((kOfl / "spot-250.json").string());
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.type.name, "Test Lights Spot 250");  // the maker from the folder
  EXPECT_EQ(r.mode, "Standard");
  const std::vector<std::string> colours = {"Open",     "Red",      "Dark Blue", "Lt Green",
                                            "Congo Blu", "Lav Mist", "Lv Mst Dp", "Colour 8"};
  EXPECT_EQ(Captions(r.type, 0), colours);
  const auto& c = r.type.entries[0];
  EXPECT_EQ(c[0].low, 0);
  EXPECT_EQ(c[0].colour, fi::kSystemFaceText);  // an open slot has no colour
  EXPECT_EQ(c[1].low, 15);                      // slot 1.5 (a split) is skipped
  EXPECT_EQ(c[1].colour, "255");
  EXPECT_EQ(c[2].low, 25);
  EXPECT_EQ(c[2].colour, std::to_string(0x8b * 65536));  // #00008b
  EXPECT_EQ(c[7].low, 75);
  EXPECT_EQ(c[7].colour, std::to_string(0xff + 256 * 0xa5));  // #ffa500
  EXPECT_EQ(Captions(r.type, 1), (std::vector<std::string>{"Open", "Dots", "Breakup", "Rdl Crcls", "Gobo 5"}));
  EXPECT_EQ(r.type.entries[1][4].low, 32);
  EXPECT_EQ(Captions(r.type, 2), (std::vector<std::string>{"Full", "Low half", "High half", "Centre"}));
  EXPECT_TRUE(ReportHas(r.report, "not mapped: 1 split colour positions"));
  EXPECT_TRUE(ReportHas(r.report, "colour: channel 3 (offset 2) \"Color Wheel\""));
  EXPECT_TRUE(ReportHas(r.report, "gobo: channel 4 (offset 3) \"Gobo Wheel\""));

  const auto x = fi::ImportFile((kOfl / "spot-250.json").string(), "Extended");
  ASSERT_TRUE(x.ok) << x.error;
  EXPECT_TRUE(ReportHas(x.report, "not mapped: channel 2 (offset 1) \"Pan fine\" (16-bit fine channel)"));
  EXPECT_TRUE(ReportHas(x.report, "not mapped: channel 7 (offset 6) \"Prism\" (prism)"));
  EXPECT_TRUE(ReportHas(x.report, "colour: channel 5 (offset 4)"));

  const auto d = fi::ImportFile((kOfl / "spot-250.json").string(), "Dimmer only");
  EXPECT_FALSE(d.ok);
  EXPECT_NE(d.error.find("has no colour wheel, gobo wheel, pan or tilt"), std::string::npos);
}

TEST(FixtureImportOfl, Scanner16RangesSixteenBitAndASecondWheel) {
  const auto r = fi::ImportFile((kOfl / "scanner-16.json").string());
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.type.name, "Test Lights Scanner 16");
  // A 16-bit channel's ranges in 8-bit values.
  const auto& pan = r.type.entries[2];
  EXPECT_EQ(pan[0].text, "Stg left");
  EXPECT_EQ(pan[0].low, 0);
  EXPECT_EQ(pan[0].high, 127);
  EXPECT_EQ(pan[1].low, 128);
  EXPECT_EQ(pan[1].high, 255);
  EXPECT_EQ(pan[2].high, 0);
  EXPECT_EQ(Captions(r.type, 3), (std::vector<std::string>{"Flr upstg", "Flr dwnst", "Audience"}));
  EXPECT_EQ(r.type.entries[3][2].low, 200);
  EXPECT_EQ(r.type.entries[3][2].high, 255);
  EXPECT_EQ(Captions(r.type, 0), (std::vector<std::string>{"Open", "Yellow", "Magenta"}));
  EXPECT_EQ(r.type.entries[0][2].low, 128);
  EXPECT_TRUE(Shown(r.type, 1).empty());
  EXPECT_EQ(r.type.functionName[1], "");
  EXPECT_TRUE(ReportHas(r.report, "no gobo channel: function 1 left empty"));
  EXPECT_TRUE(ReportHas(r.report, "\"Effect Colors\" (second colour wheel)"));
  EXPECT_TRUE(ReportHas(r.report, "channel 5 (offset 4) (unused or unknown channel)"));
}

// --- bad input ------------------------------------------------------------------

TEST(FixtureImportBad, MalformedAndAbsurdDefinitionsAreRefused) {
  struct Case {
    const char* what;
    bool xml;
    std::string text;
    const char* error;
  };
  auto qxf = [](const std::string& channels, const std::string& modes) {
    return "<?xml version=\"1.0\"?><FixtureDefinition><Manufacturer>M</Manufacturer><Model>X</Model>" + channels +
           modes + "</FixtureDefinition>";
  };
  const std::string panMode = "<Mode Name=\"m\"><Channel Number=\"0\">Pan</Channel></Mode>";
  std::string many;
  for (int i = 0; i < 10000; ++i) many += "<Capability Min=\"0\" Max=\"1\">c</Capability>";
  std::string manyJson = "[";
  for (int i = 0; i < 10000; ++i) manyJson += std::string(i ? "," : "") + "{\"dmxRange\":[0,1],\"type\":\"Pan\"}";
  manyJson += "]";
  const Case cases[] = {
      {"not XML", true, "<FixtureDefinition><Channel", "Malformed XML"},
      {"another XML", true, "<?xml version=\"1.0\"?><Workspace/>", "Not a QLC+ fixture definition"},
      {"no modes", true, qxf("<Channel Name=\"Pan\" Preset=\"PositionPan\"/>", ""), "no modes"},
      {"DMX 300", true,
       qxf("<Channel Name=\"Pan\"><Group Byte=\"0\">Pan</Group><Capability Min=\"0\" Max=\"300\">p</Capability></Channel>",
           panMode),
       "DMX value 300 of channel \"Pan\" is outside 0..255"},
      {"DMX -1", true,
       qxf("<Channel Name=\"Pan\"><Group Byte=\"0\">Pan</Group><Capability Min=\"-1\" Max=\"3\">p</Capability></Channel>",
           panMode),
       "outside 0..255"},
      {"DMX text", true,
       qxf("<Channel Name=\"Pan\"><Group Byte=\"0\">Pan</Group><Capability Min=\"x\" Max=\"3\">p</Capability></Channel>",
           panMode),
       "bad Min value"},
      {"10,000 capabilities", true, qxf("<Channel Name=\"Pan\"><Group Byte=\"0\">Pan</Group>" + many + "</Channel>", panMode),
       "more than 256 capabilities"},
      {"mode channel 9999", true,
       qxf("<Channel Name=\"Pan\" Preset=\"PositionPan\"/>", "<Mode Name=\"m\"><Channel Number=\"9999\">Pan</Channel></Mode>"),
       "bad channel number"},
      {"not JSON", false, "{\"availableChannels\": {", "Malformed JSON"},
      {"other JSON", false, "[1, 2, 3]", "Not an Open Fixture Library definition"},
      {"DMX 256", false,
       R"({"availableChannels":{"Pan":{"capabilities":[{"dmxRange":[0,256],"type":"Pan"}]}},"modes":[{"name":"m","channels":["Pan"]}]})",
       "DMX value 256 of channel \"Pan\" is outside 0..255"},
      {"DMX 2.5", false,
       R"({"availableChannels":{"Pan":{"capabilities":[{"dmxRange":[0,2.5],"type":"Pan"}]}},"modes":[{"name":"m","channels":["Pan"]}]})",
       "outside 0..255"},
      {"10,000 JSON capabilities", false,
       R"({"availableChannels":{"Pan":{"capabilities":)" + manyJson + R"(}},"modes":[{"name":"m","channels":["Pan"]}]})",
       "more than 256 capabilities"},
      {"no usable channel", false,
       R"({"availableChannels":{"Dimmer":{"capability":{"type":"Intensity"}}},"modes":[{"name":"m","channels":["Dimmer"]}]})",
       "can use"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fi::ImportResult r;
    const auto p = c.xml ? fi::ParseQxf(c.text) : fi::ParseOfl(c.text, "");
    if (!p.ok) {
      r.error = p.error;
    } else {
      const int best = fi::BestMode(p.def);
      r = best < 0 ? fi::ImportResult{false, "no mode the desk can use", {}, {}, {}} : fi::Build(p.def, best);
    }
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error;
  }
  // A mode that does not exist, and a file that is neither format.
  const auto m = fi::ImportFile((kOfl / "spot-250.json").string(), "Turbo");
  EXPECT_FALSE(m.ok);
  EXPECT_EQ(m.error, "The definition has no mode \"Turbo\"");
  EXPECT_FALSE(fi::ImportFile("/nonexistent/x.qxf").ok);
  const auto t = fi::ImportFile((fs::path(LUMORA_SOURCE_DIR) / "README.md").string());
  EXPECT_NE(t.error.find("Unknown file type"), std::string::npos);
}

// --- the sequence desk's menu through the console -------------------------------------

class FixtureImportDesk : public testing::DeskTest {
 protected:
  FixtureImportDesk() {
    dir = fs::temp_directory_path() /
          ("lumora_fximp_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
    EXPECT_EQ(cmd("show Chases"), "ok");
    EXPECT_EQ(cmd("click Chases.Show_Moving"), "ok");
  }
  ~FixtureImportDesk() override { fs::remove_all(dir); }
  std::string import(const fs::path& p) {
    cmd("queue file " + p.string());
    return cmd("click Chases.Fixture_Import");
  }
  fs::path write(const std::string& name, const std::string& text) {
    const fs::path p = dir / name;
    std::ofstream(p, std::ios::binary) << text;
    return p;
  }
  fs::path dir;
};

TEST_F(FixtureImportDesk, ImportFillsTheSelectedFixtureAndTheMovingDesk) {
  EXPECT_EQ(cmd("set Chases.Fixture_Sel 4"), "ok");
  EXPECT_EQ(import(Qxf("Chauvet/Chauvet-Intimidator-Spot-155.qxf")), "ok");
  ASSERT_EQ(lastEvents.size(), 2u);  // the file dialog and the report box
  EXPECT_NE(lastEvents[0].find("filedialog"), std::string::npos);
  EXPECT_NE(lastEvents[1].find("\"title\":\" Fixture Import\""), std::string::npos);
  EXPECT_NE(lastEvents[1].find("\"icon\":\"information\""), std::string::npos);
  EXPECT_EQ(get("FixtureName(4)"), "\"Chauvet Intimidator Spot 155\"");
  EXPECT_EQ(get("FixtureFunctionName(4,0)"), "\"Color Wheel\"");
  EXPECT_EQ(get("FixtureButtonText(4,0,8)"), "\"Lt green\"");
  EXPECT_EQ(get("FixtureLow(4,0,8)"), "48");
  EXPECT_EQ(get("FixtureHigh(4,0,8)"), "1");
  EXPECT_EQ(get("FixtureColour(4,0,8)"), "\"65280\"");
  EXPECT_EQ(get("FixtureHigh(4,0,10)"), "0");
  EXPECT_EQ(get("FixtureHigh(4,2,0)"), "255");
  EXPECT_EQ(get("FixtureName(3)"), "\"\"");  // the other slots are untouched
  // The moving desk shows the new type at once.
  EXPECT_EQ(get("Chases.move1(8).Caption"), "\"Lt green\"");
  EXPECT_EQ(get("Chases.move1(10).Visible"), "false");
  EXPECT_EQ(get("Chases.Function_txt(1).Caption"), "\"Gobo Wheel\"");
  EXPECT_EQ(get("Chases.Fixture_Sel.List(4)"), "\"Chauvet Intimidator Spot 155\"");
  const std::string report = get("FixtureImport.Report");
  EXPECT_NE(report.find("colour: channel 3 (offset 2)"), std::string::npos);
  EXPECT_NE(report.find("stored in fixture 4"), std::string::npos);
  // Pressing an imported colour sends its DMX value on chase channel 18.
  EXPECT_EQ(cmd("click Chases.move1(4)"), "ok");
  EXPECT_EQ(get("Chases(0).Data(1,18)"), "24");  // red
}

TEST_F(FixtureImportDesk, AnImportedTypeSavesToAFixtureFileAndLoadsBack) {
  EXPECT_EQ(import(kOfl / "spot-250.json"), "ok");
  const std::string text = FixtureFileText(S(), true, 0);
  ClearFixtures(S());
  EXPECT_EQ(LoadFixtureText(text, S(), 0).status, FixtureLoadResult::Ok);
  EXPECT_EQ(get("FixtureName(0)"), "\"Test Lights Spot 250\"");
  EXPECT_EQ(get("FixtureButtonText(0,0,6)"), "\"Lv Mst Dp\"");
  EXPECT_EQ(get("FixtureLow(0,1,3)"), "24");
}

TEST_F(FixtureImportDesk, AFullSlotIsReplacedOnlyAfterConfirmation) {
  S().FixtureName[0] = "My spot";
  S().FixtureButtonText[0][0][0] = "Mine";
  // Cancel keeps the slot.
  cmd("queue file " + (kOfl / "scanner-16.json").string());
  cmd("queue answer cancel");
  EXPECT_EQ(cmd("click Chases.Fixture_Import"), "ok");
  ASSERT_EQ(lastEvents.size(), 2u);
  EXPECT_NE(lastEvents[1].find("\"title\":\" Import Fixture\""), std::string::npos);
  EXPECT_NE(lastEvents[1].find("\"buttons\":\"okcancel\""), std::string::npos);
  EXPECT_NE(lastEvents[1].find("Fixture 0 holds \\\"My spot\\\""), std::string::npos);
  EXPECT_EQ(get("FixtureName(0)"), "\"My spot\"");
  EXPECT_EQ(get("FixtureButtonText(0,0,0)"), "\"Mine\"");
  EXPECT_NE(get("FixtureImport.Report").find("not stored: fixture 0 kept"), std::string::npos);
  // Unattended, the question's default (Cancel) keeps it too.
  EXPECT_EQ(import(kOfl / "scanner-16.json"), "ok");
  EXPECT_EQ(get("FixtureName(0)"), "\"My spot\"");
  // OK replaces.
  cmd("queue file " + (kOfl / "scanner-16.json").string());
  cmd("queue answer ok");
  EXPECT_EQ(cmd("click Chases.Fixture_Import"), "ok");
  EXPECT_EQ(get("FixtureName(0)"), "\"Test Lights Scanner 16\"");
  EXPECT_EQ(get("FixtureButtonText(0,0,0)"), "\"Open\"");
  // A slot holding only entries (no name) counts as full as well.
  ClearFixtures(S());
  S().FixtureButtonText[0][3][2] = "x";
  EXPECT_EQ(import(kOfl / "scanner-16.json"), "ok");
  EXPECT_EQ(get("FixtureButtonText(0,3,2)"), "\"x\"");
}

TEST_F(FixtureImportDesk, BadFilesLeaveTheFixtureTableUnchanged) {
  S().FixtureName[0] = "Keep";
  S().FixtureLow[0][1][2] = 77;
  const FixtureTables before = TakeFixtures(S());
  auto same = [&] {
    const FixtureTables now = TakeFixtures(S());
    return now.Name == before.Name && now.FunctionName == before.FunctionName && now.ButtonText == before.ButtonText &&
           now.Low == before.Low && now.High == before.High && now.Colour == before.Colour;
  };
  const std::pair<std::string, std::string> files[] = {
      {"broken.qxf", "<FixtureDefinition><Channel Name=\"a\">"},
      {"broken.json", "{\"name\": \"x\", "},
      {"absurd.json",
       R"({"availableChannels":{"Pan":{"capabilities":[{"dmxRange":[0,999],"type":"Pan"}]}},"modes":[{"name":"m","channels":["Pan"]}]})"},
      {"dimmer.json",
       R"({"availableChannels":{"Dimmer":{"capability":{"type":"Intensity"}}},"modes":[{"name":"m","channels":["Dimmer"]}]})"},
      {"empty.qxf", ""},
      {"notes.txt", "hello"},
  };
  for (const auto& [name, text] : files) {
    SCOPED_TRACE(name);
    EXPECT_EQ(import(write(name, text)), "ok");
    ASSERT_EQ(lastEvents.size(), 2u);
    EXPECT_NE(lastEvents[1].find("\"title\":\" Fixture Import Error\""), std::string::npos) << lastEvents[1];
    EXPECT_NE(lastEvents[1].find("The fixture table is unchanged."), std::string::npos);
    EXPECT_NE(lastEvents[1].find("\"icon\":\"exclamation\""), std::string::npos);
    EXPECT_TRUE(same());
    EXPECT_EQ(get("FixtureImport.Report").rfind("[\"import refused: ", 0), 0u);
  }
  EXPECT_EQ(import(dir / "missing.qxf"), "ok");
  EXPECT_TRUE(same());
  // Cancelling the dialog does nothing at all.
  cmd("queue file cancel");
  EXPECT_EQ(cmd("click Chases.Fixture_Import"), "ok");
  EXPECT_EQ(lastEvents.size(), 1u);
  EXPECT_TRUE(same());
}

TEST_F(FixtureImportDesk, LibraryBrowserImportsTheChosenMode) {
  ASSERT_TRUE(fs::is_directory(kQlc)) << "install qlcplus-data (scripts/deps.sh)";
  EXPECT_EQ(get("Chases.Fixture_Browse.Enabled"), "true");
  EXPECT_EQ(cmd("set Chases.Fixture_Sel 2"), "ok");
  EXPECT_EQ(cmd("click Chases.Fixture_Browse"), "ok");
  EXPECT_EQ(get("Fixture_Browser.Visible"), "true");
  EXPECT_EQ(get("Fixture_Browser.Import_Button.Enabled"), "false");
  // Find Robe in the maker list and the ColorSpot 250 AT among its models.
  auto indexOf = [this](const std::string& list, const std::string& item) {
    const int n = std::stoi(get(list + ".ListCount"));
    for (int i = 0; i < n; ++i)
      if (get(list + ".List(" + std::to_string(i) + ")") == "\"" + item + "\"") return i;
    return -1;
  };
  const int robe = indexOf("Fixture_Browser.Maker_List", "Robe");
  ASSERT_GE(robe, 0);
  EXPECT_EQ(cmd("set Fixture_Browser.Maker_List " + std::to_string(robe)), "ok");
  const int model = indexOf("Fixture_Browser.Model_List", "ColorSpot 250 AT");
  ASSERT_GE(model, 0);
  EXPECT_EQ(cmd("set Fixture_Browser.Model_List " + std::to_string(model)), "ok");
  // The mode the file dialog would take is chosen first: 14 channels.
  EXPECT_EQ(get("Fixture_Browser.Mode_List.ListIndex"), std::to_string(indexOf("Fixture_Browser.Mode_List", "14 Channel (14 ch)")));
  EXPECT_EQ(get("Fixture_Browser.Import_Button.Enabled"), "true");
  const int m18 = indexOf("Fixture_Browser.Mode_List", "18 Channel (18 ch)");
  ASSERT_GE(m18, 0);
  EXPECT_EQ(cmd("set Fixture_Browser.Mode_List " + std::to_string(m18)), "ok");
  EXPECT_NE(get("Fixture_Browser.Mode_Info").find("colour: channel 7 (offset 6)"), std::string::npos);
  EXPECT_EQ(cmd("click Fixture_Browser.Import_Button"), "ok");
  EXPECT_EQ(get("FixtureName(2)"), "\"Robe ColorSpot 250 AT\"");
  EXPECT_EQ(get("FixtureButtonText(2,0,1)"), "\"Dk green\"");
  EXPECT_EQ(get("FixtureLow(2,0,1)"), "11");
  EXPECT_NE(get("FixtureImport.Report").find("mode \\\"18 Channel\\\""), std::string::npos);
  EXPECT_EQ(get("Fixture_Browser.Visible"), "false");  // closed after the import
}

}  // namespace
}  // namespace lumora
