// Hostile input through the console and the clock: numbers that do not fit,
// widened fader travels, levels beyond 255, huge clock jumps, and the channel
// names that a save used to drop.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "desk/fader_function_form.h"
#include "core/form.h"
#include "desk/hoofdblad.h"
#include "core/json.h"
#include "core/json_number.h"
#include "sequences/chase_engine.h"
#include "tests/desk_fixture.h"

namespace lumora {
namespace {

using testing::DeskTest;

class Hardening : public DeskTest {
 protected:
  // A reply is an error of the console (any reason).
  static bool IsErr(const std::string& r) { return r.rfind("err ", 0) == 0; }
  int Level(const std::string& addr) { return std::stoi(get(addr)); }
};

// ------------------------------------------------------ value conversion

TEST(JsonNumbers, ValuesBeyondADoubleAreNoValuesAndHugeIntegersStayFinite) {
  EXPECT_FALSE(Json::parse("1e400"));
  EXPECT_FALSE(Json::parse("-1e400"));
  auto big = Json::parse("99999999999999999999");
  ASSERT_TRUE(big);
  EXPECT_TRUE(big->isNumber());
  long long n = 0;
  EXPECT_EQ(FitWhole(*big, INT64_MIN, INT64_MAX, n), WholeFit::OutOfRange);
  EXPECT_EQ(FitWhole(Json(1e300), INT64_MIN, INT64_MAX, n), WholeFit::OutOfRange);
  EXPECT_EQ(FitWhole(Json(9223372036854775808.0), INT64_MIN, INT64_MAX, n), WholeFit::OutOfRange);
  EXPECT_EQ(FitWhole(Json(2.5), 0, 10, n), WholeFit::NotWhole);
  EXPECT_EQ(FitWhole(Json("7"), 0, 10, n), WholeFit::NotNumber);
  EXPECT_EQ(FitWhole(Json(7.0), 0, 10, n), WholeFit::Ok);
  EXPECT_EQ(n, 7);
}

TEST_F(Hardening, NumbersThatDoNotFitThePropertyAreRefusedAndChangeNothing) {
  // The release build used to store -99999999999 as -1215752191.
  EXPECT_TRUE(IsErr(cmd("set Hoofdblad.Slider1(0).Max -99999999999")));
  EXPECT_EQ(get("Hoofdblad.Slider1(0).Max"), "255");
  for (const char* line : {"set Hoofdblad.Slider1(0).Min 1e400", "set Hoofdblad.Slider1(0) 1e400",
                           "set Hoofdblad.Slider1(0).Value -1e400", "set DeskLevels(4) 1e400",
                           "set PortAddress 99999999999999999999", "set PortAddress 1e300",
                           "set Hoofdblad.Slider1(0).BackColor 4294967296", "set Playdesk.Run_Crossfade 2.5",
                           "set Hoofdblad.Slider1(0).Min -2147483648", "set Hoofdblad.Slider1(0).Max 2147483647"})
    EXPECT_TRUE(IsErr(cmd(line))) << line;
  EXPECT_EQ(get("Hoofdblad.Slider1(0).Min"), "0");
  EXPECT_EQ(get("Hoofdblad.Slider1(0).Max"), "255");
  EXPECT_EQ(get("PortAddress"), "888");
  EXPECT_EQ(get("DeskLevels(4)"), "0");
  EXPECT_EQ(get("Hoofdblad.Slider1(0).BackColor"), "-1");
}

TEST_F(Hardening, FaderTravelStaysSixteenBitAndItsEndsNeverCross) {
  EXPECT_EQ(cmd("set Hoofdblad.Slider1(0).Min -32768"), "ok");
  EXPECT_TRUE(IsErr(cmd("set Hoofdblad.Slider1(0).Min -32769")));
  EXPECT_TRUE(IsErr(cmd("set Hoofdblad.Slider1(0).Max 32768")));
  EXPECT_EQ(cmd("set Hoofdblad.Slider1(0).Max 32767"), "ok");
  // Crossing ends are refused through the console ...
  EXPECT_EQ(cmd("set Hoofdblad.Slider1(0).Max 100"), "ok");
  EXPECT_EQ(cmd("set Hoofdblad.Slider1(0).Min 101"), "err Min above Max");
  EXPECT_EQ(cmd("set Hoofdblad.Slider1(0).Min 100"), "ok");
  EXPECT_EQ(cmd("set Hoofdblad.Slider1(0).Max 99"), "err Max below Min");
  EXPECT_EQ(get("Hoofdblad.Slider1(0).Min"), "100");
  EXPECT_EQ(get("Hoofdblad.Slider1(0).Max"), "100");
  // ... the value followed the travel, and a value outside it is refused.
  EXPECT_EQ(get("Hoofdblad.Slider1(0)"), "100");
  // By name the value is set as the control itself is (the same check and text).
  EXPECT_EQ(cmd("set Hoofdblad.Slider1(0).Value 101"), "err value out of range");

  // From code a bound set past the other takes it along; the value follows.
  Control& s = desk->hoofdblad().Slider1[1];
  s.setValue(40);
  s.setRange(300, 600);
  EXPECT_EQ(s.Min(), 300);
  EXPECT_EQ(s.Max(), 600);
  EXPECT_EQ(s.Value(), 300);
  s.setMax(-100000);  // held to the 16-bit travel
  EXPECT_EQ(s.Max(), -32768);
  EXPECT_EQ(s.Min(), -32768);
  EXPECT_EQ(s.Value(), -32768);
  s.setValue(5);
  EXPECT_EQ(s.Value(), -32768);
}

// The scripts: a widened travel at either end must leave every level
// the fader handlers write within 0..255.
TEST_F(Hardening, WidenedMainDeskFaderNeverPutsALevelOutside0To255) {
  cmd("set Hoofdblad.Slider1(0).Min -2147483648");
  cmd("set Hoofdblad.Slider1(0) -2147483648");
  cmd("set Hoofdblad.Slider1(0).Max 2147483647");
  cmd("set Hoofdblad.Slider1(0).Min 2147483647");
  cmd("set Hoofdblad.Slider1(0) 2147483647");
  EXPECT_GE(Level("DeskLevels(0)"), 0);
  EXPECT_LE(Level("DeskLevels(0)"), 255);

  ASSERT_EQ(cmd("set Hoofdblad.Slider1(0).Min -32768"), "ok");
  ASSERT_EQ(cmd("set Hoofdblad.Slider1(0) -32768"), "ok");
  EXPECT_EQ(get("DeskLevels(0)"), "255");
  EXPECT_EQ(get("Hoofdblad.Text1(0)"), "\" 255\"");
  ASSERT_EQ(cmd("set Hoofdblad.Slider1(0).Max 32767"), "ok");
  ASSERT_EQ(cmd("set Hoofdblad.Slider1(0).Min 32767"), "ok");
  ASSERT_EQ(cmd("set Hoofdblad.Slider1(0) 32767"), "ok");
  EXPECT_EQ(get("DeskLevels(0)"), "0");
  tick();
  EXPECT_EQ(get("DmxFrame(0)"), "0");
}

TEST_F(Hardening, WidenedFunctionEditorAndPositionFadersKeepTheirLevels) {
  desk->faderFunctionForm().OpenOn(14);
  ASSERT_EQ(cmd("set Fader_Function_Form.Slider1.Min -32768"), "ok");
  ASSERT_EQ(cmd("set Fader_Function_Form.Slider1 -32768"), "ok");
  EXPECT_EQ(get("Fader_Function_Form.Level_Box"), "\"255\"");
  ASSERT_EQ(cmd("set Fader_Function_Form.Slider1.Max 32767"), "ok");
  ASSERT_EQ(cmd("set Fader_Function_Form.Slider1 32767"), "ok");
  EXPECT_EQ(get("Fader_Function_Form.Level_Box"), "\"0\"");

  // The position fader of function 2 spans 10..200 for the chosen entry.
  ASSERT_EQ(cmd("show Chases"), "ok");
  for (int c = 18; c < 24; ++c) S().Chases[0].Fade[1][static_cast<std::size_t>(c)] = kChaseStep;
  S().FixtureLow[0][2][0] = 10;
  S().FixtureHigh[0][2][0] = 200;
  cmd("click Chases.Show_Moving");
  ASSERT_EQ(cmd("set Chases.Slider5.Min -32768"), "ok");
  ASSERT_EQ(cmd("set Chases.Slider5 -32768"), "ok");
  EXPECT_EQ(get("Chases(0).Data(1,20)"), "200");  // beyond the top is the top
  ASSERT_EQ(cmd("set Chases.Slider5.Max 32767"), "ok");
  ASSERT_EQ(cmd("set Chases.Slider5 32767"), "ok");
  EXPECT_EQ(get("Chases(0).Data(1,20)"), "10");  // beyond the bottom is the bottom
}

// --------------------------------------------------------- level tables

TEST_F(Hardening, LevelTablesRefuseValuesOutside0To255) {
  for (const char* addr : {"DeskLevels(4)", "Submixes(0).Level(1)", "Screens(0).Preset(3)", "Screens(0).FaderSel(2)",
                           "Screens(0).PresetLevel", "Chases(0).Data(1,2)", "FunctionLevels(0)",
                           "ScreenFunctionLevels(5)", "ChaseLevels(6)", "PlayChaseLevels(7)", "PlayFaderLevel(8)",
                           "FaderFunctions(0).Level", "FaderFunctions(1).Data2", "ButtonFunctions(2).Level",
                           "ButtonFunctions(3).Data1"}) {
    const std::string a(addr);
    const std::string before = get(a);
    EXPECT_EQ(cmd("set " + a + " 256"), "err value out of range") << a;
    EXPECT_EQ(cmd("set " + a + " -1"), "err value out of range") << a;
    EXPECT_EQ(cmd("set " + a + " 32767"), "err value out of range") << a;
    EXPECT_EQ(get(a), before) << a;
    EXPECT_EQ(cmd("set " + a + " 255"), "ok") << a;
    EXPECT_EQ(get(a), "255") << a;
    EXPECT_EQ(cmd("set " + a + " 0"), "ok") << a;
    EXPECT_EQ(get(a), "0") << a;
  }
  // A whole table with one entry out of range is refused whole.
  std::string row = "[";
  for (int i = 0; i < 65; ++i) row += std::string(i ? "," : "") + (i == 40 ? "256" : "9");
  row += "]";
  EXPECT_EQ(cmd("set DeskLevels " + row), "err value out of range");
  EXPECT_EQ(get("DeskLevels(0)"), "0");
  // Selections stay within the tables they index; a fader of the main desk
  // once wrote far beyond DeskLevels after `set FaderBank 300`.
  EXPECT_EQ(cmd("set FaderBank 300"), "err value out of range");
  EXPECT_EQ(cmd("set CurrentSubmix 32"), "err value out of range");
  EXPECT_EQ(cmd("set SelectedChannel -1"), "err value out of range");
  EXPECT_EQ(cmd("set FaderGroup 4"), "err value out of range");  // the surface's groups 0..3
  EXPECT_EQ(cmd("set FaderBank 1"), "ok");
  S().FaderBank = 300;  // as a damaged state would hold it
  EXPECT_EQ(cmd("set Hoofdblad.Slider1(0) 55"), "ok");
  EXPECT_EQ(get("DeskLevels(32)"), "200");
  // Tables that are not levels keep their own ranges.
  EXPECT_EQ(cmd("set PatchTable(3) 300"), "ok");
  EXPECT_EQ(cmd("set Screens(0).Time 600"), "ok");
}

// ---------------------------------------------------------------- clock

// A form with one counting timer, on the desk's scheduler.
struct Probe {
  explicit Probe(Desk& d, int interval) : form(d, "Probe"), timer(form, "T") {
    timer.onTimer = [this] { ++runs; };
    timer.setInterval(interval);
    timer.setEnabled(true);
  }
  Form form;
  Timer timer;
  long runs = 0;
};

TEST_F(Hardening, HugeAdvanceSkipsMissedPeriodsInsteadOfWedgingTheClock) {
  Probe p(*desk, 10);
  Scheduler& sch = desk->scheduler();
  // A normal span replays every period, in time.
  sch.advance(1000);
  EXPECT_EQ(p.runs, 100);
  // A span far beyond what can be replayed: at most the replay budget and one
  // catch-up event per timer, and no due time is left behind the clock.
  p.runs = 0;
  EXPECT_EQ(cmd("advance 999999999999"), "ok");
  EXPECT_LE(p.runs, 100'000 + 1);  // the replay budget of one advance, plus the catch-up
  EXPECT_GT(p.runs, 0);
  EXPECT_EQ(sch.now(), 1000 + 999999999999LL);
  for (Form* f : desk->forms())
    for (Timer* t : f->timers()) {
      if (t->Enabled() && t->Interval() > 0) {
        EXPECT_GT(t->due, sch.now()) << t->address();
      }
    }
  EXPECT_GT(p.timer.due, sch.now());
  EXPECT_LE(p.timer.due, sch.now() + 10);
  // From then on a small step costs what it always did.
  p.runs = 0;
  EXPECT_EQ(cmd("advance 1"), "ok");
  EXPECT_LE(p.runs, 1);
  sch.advance(100);
  EXPECT_GE(p.runs, 10);
  EXPECT_LE(p.runs, 11);
}

TEST_F(Hardening, ATimerFarBehindTheClockFiresOnceAndSkipsTheMissedPeriods) {
  // What the host sees when the machine wakes from ten hours of sleep: the
  // timer's due time lies far behind the clock. runDue reads the manual
  // clock here, as the hosts' loops read the real one.
  Probe p(*desk, 70);
  Scheduler& sch = desk->scheduler();
  sch.advance(70);
  ASSERT_EQ(p.runs, 1);
  p.timer.due = sch.now() - 10LL * 3600 * 1000;
  sch.runDue();
  EXPECT_EQ(p.runs, 2);
  EXPECT_EQ(p.timer.due, sch.now() + 70);
  sch.runDue();
  EXPECT_EQ(p.runs, 2);
  // Less than one period late: it keeps its beat.
  p.timer.due = sch.now() - 30;
  sch.runDue();
  EXPECT_EQ(p.runs, 3);
  EXPECT_EQ(p.timer.due, sch.now() + 40);
}

// ------------------------------------------------------- channel names

// A second desk, started anew, with its own console.
struct FreshDesk {
  FreshDesk() {
    DeskOptions o;
    o.manualClock = true;
    o.sim = true;
    desk = std::make_unique<Desk>(o, dialogs);
    console = std::make_unique<Console>(*desk, dialogs);
    desk->Start();
  }
  std::string cmd(const std::string& line) { return console->execute(line).back(); }
  ConsoleDialogs dialogs;
  std::unique_ptr<Desk> desk;
  std::unique_ptr<Console> console;
};

class ChannelNamesSave : public Hardening {
 protected:
  ChannelNamesSave() {
    char tmpl[] = "/tmp/lumora-hard-XXXXXX";
    dir = mkdtemp(tmpl);
  }
  ~ChannelNamesSave() override {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  std::filesystem::path dir;
};

TEST_F(ChannelNamesSave, ShortNameColourAndFlagsSurviveAWholeSaveAndLoad) {
  // Channel 3: only the short name and the colour changed, as the channel
  // names window would leave them; channel 9: only a follow flag.
  S().ChannelInfo[2].Name = "AB";
  S().ChannelInfo[2].Colour = "255";
  S().ChannelInfo[8].Cross_F = -1;
  const std::string file = (dir / "names.xml").string();
  cmd("queue file " + file);
  ASSERT_EQ(cmd("click Hoofdblad.SaveXML"), "ok");

  // Untouched channels still write nothing.
  std::ifstream in(file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::size_t records = 0;
  for (std::size_t p = bytes.find("<FaderName>"); p != std::string::npos; p = bytes.find("<FaderName>", p + 1)) ++records;
  EXPECT_EQ(records, 2u);

  FreshDesk fresh;
  fresh.cmd("queue file " + file);
  ASSERT_EQ(fresh.cmd("click Hoofdblad.LoadXML"), "ok");
  EXPECT_EQ(fresh.cmd("get ChannelInfo(2).Name"), "ok \"AB\"");
  EXPECT_EQ(fresh.cmd("get ChannelInfo(2).Colour"), "ok \"255\"");
  EXPECT_EQ(fresh.cmd("get ChannelInfo(2).Desc"), "ok \"3\"");
  EXPECT_EQ(fresh.cmd("get ChannelInfo(8).Cross_F"), "ok -1");
  EXPECT_EQ(fresh.cmd("get ChannelInfo(8).Name"), "ok \"9\"");
}

}  // namespace
}  // namespace lumora
