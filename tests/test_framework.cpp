// The form-model framework: timers on the manual clock, re-entrancy, the
// name registry and the JSON values of the console.
#include <gtest/gtest.h>

#include "desk/hoofdblad.h"
#include "core/json.h"
#include "core/registry.h"
#include "core/scheduler.h"
#include "playback/playdesk.h"
#include "desk_fixture.h"

namespace lumora {
namespace {

using Framework = testing::DeskTest;

class Probe : public Form {
 public:
  explicit Probe(Desk& d) : Form(d, "Probe") {
    a.onTimer = [this] { log += "a"; };
    b.onTimer = [this] { log += "b"; };
  }
  Timer a{*this, "a"};
  Timer b{*this, "b"};
  std::string log;
};

// A window with one control of each kind whose events a program write raises.
class Events : public Form {
 public:
  explicit Events(Desk& d) : Form(d, "Events") {
    for (const char* e : {"a", "b", "c"}) list.AddItem(e);
    for (const char* e : {"x", "y"}) combo.AddItem(e);
    list.onClick = [this] { log += "L" + std::to_string(list.ListIndex()); };
    combo.onClick = [this] { log += "C" + std::to_string(combo.ListIndex()); };
    combo.onChange = [this] { log += "T" + combo.Text(); };
    fader.onChange = [this] { log += "F" + std::to_string(fader.Value()); };
    check.onClick = [this] { log += "K" + std::to_string(check.Value()); };
    option.onClick = [this] { log += "O" + std::to_string(option.Value()); };
    text.onChange = [this] { log += "X" + text.Text(); };
  }
  Control list{*this, "List1", Kind::ListBox};
  Control combo{*this, "Combo1", Kind::ComboBox};
  Control fader{*this, "Slider1", Kind::Fader};
  Control check{*this, "Check1", Kind::CheckBox};
  Control option{*this, "Option1", Kind::Option};
  Control text{*this, "Text1", Kind::TextBox};
  Control label{*this, "Label1", Kind::Label};
  std::string log;
};

TEST_F(Framework, ProgramWritesRaiseThePlatformsEventsAndPlainSettersNone) {
  Events f(*desk);
  f.list.setListIndex(1);  // drawing
  f.fader.setValue(9);
  EXPECT_EQ(f.log, "");
  f.list.SelectIndex(2);
  f.list.SelectIndex(2);  // choosing the same entry again still runs the selection
  f.combo.SelectIndex(0);
  EXPECT_EQ(f.combo.Text(), "x");
  f.fader.WriteValue(40);
  f.fader.WriteValue(40);  // no move, no Change
  f.check.WriteValue(1);
  f.option.WriteValue(1);
  f.option.WriteValue(0);  // an option being cleared raises nothing
  EXPECT_EQ(f.log, "L2L2C0F40K1O1");
}

TEST_F(Framework, ValuePropertyByNameIsTheSameAsTheControl) {
  Events f(*desk);
  EXPECT_TRUE(f.list.isValueProperty("ListIndex"));
  EXPECT_TRUE(f.combo.isValueProperty("ListIndex"));
  EXPECT_FALSE(f.combo.isValueProperty("Text"));  // a box's text by name is a code write
  EXPECT_FALSE(f.text.isValueProperty("Text"));
  EXPECT_TRUE(f.fader.isValueProperty("Value"));
  EXPECT_FALSE(f.fader.isValueProperty("Max"));
  EXPECT_FALSE(f.list.isValueProperty("Value"));
  EXPECT_FALSE(f.label.isValueProperty("Caption"));
  EXPECT_EQ(f.list.userSetProperty("ListIndex", Json(1)), "");
  EXPECT_EQ(f.combo.userSetProperty("ListIndex", Json(1)), "");
  EXPECT_EQ(f.fader.userSetProperty("Value", Json(12)), "");
  EXPECT_EQ(f.check.userSetProperty("Value", Json(1)), "");
  EXPECT_EQ(f.log, "L1C1F12K1");
  // By name a combo box takes only an index; wrong values change nothing.
  EXPECT_EQ(f.combo.userSetProperty("ListIndex", Json("y")), "ListIndex needs a number");
  EXPECT_NE(f.list.userSetProperty("ListIndex", Json(3)), "");
  EXPECT_EQ(f.log, "L1C1F12K1");
  EXPECT_EQ(f.combo.Text(), "y");
  EXPECT_EQ(f.list.ListIndex(), 1);
}

TEST_F(Framework, AdvanceFiresTimersInTimeOrderWithTiesInEnableOrder) {
  desk->hoofdblad().Timer1.setEnabled(false);
  Probe p(*desk);
  p.b.setInterval(30);
  p.b.setEnabled(true);
  p.a.setInterval(20);
  p.a.setEnabled(true);
  desk->scheduler().advance(60);
  // a at 20, 40, 60; b at 30, 60 (b was enabled first, so at 60 b goes first)
  EXPECT_EQ(p.log, "ababa");
}

TEST_F(Framework, ReenablingOrChangingTheIntervalRestartsTheCount) {
  desk->hoofdblad().Timer1.setEnabled(false);
  Probe p(*desk);
  p.a.setInterval(100);
  p.a.setEnabled(true);
  desk->scheduler().advance(90);
  p.a.setInterval(100);  // restart at 90: next at 190
  desk->scheduler().advance(99);
  EXPECT_EQ(p.log, "");
  desk->scheduler().advance(1);
  EXPECT_EQ(p.log, "a");
  p.a.setEnabled(false);
  desk->scheduler().advance(500);
  EXPECT_EQ(p.log, "a");
}

TEST_F(Framework, ZeroIntervalTimerNeverFires) {
  Probe p(*desk);
  p.a.setEnabled(true);
  desk->scheduler().advance(1000);
  EXPECT_EQ(p.log, "");
}

TEST_F(Framework, ModalDialogInsideATickKeepsOtherTimersButNeverNestsTheTick) {
  // A tick that raises a message box, whose event loop runs due timers (as
  // Qt's does) while the operator reads it.
  Desk& d = *desk;
  Probe p(d);
  p.a.setInterval(100);
  p.a.setEnabled(true);
  int depth = 0, maxDepth = 0, ticks = 0;
  d.hoofdblad().Timer1.onTimer = [&] {
    ++ticks;
    maxDepth = std::max(maxDepth, ++depth);
    if (ticks == 1) d.scheduler().advance(1000);  // the box stays open for a second
    --depth;
  };
  d.scheduler().advance(70);
  EXPECT_EQ(maxDepth, 1);             // the tick never ran inside itself
  EXPECT_EQ(p.log, std::string(10, 'a'));  // the other timer went on meanwhile
  d.scheduler().advance(70);
  EXPECT_GE(ticks, 2);                 // ticks resume once the box is closed
}

TEST_F(Framework, FireRunsOneEventEvenOfADisabledTimer) {
  Probe p(*desk);
  EXPECT_TRUE(p.a.Fire());
  EXPECT_EQ(p.log, "a");
}

// On a host's clock a timer due a moment after a wake-up fires with it and
// keeps its own beat; an exact timer, or one due later than its allowance,
// wakes the host itself; the manual clock of scripts fires every timer at
// its own time.
class HostClock : public testing::DeskTest {
 protected:
  HostClock() {
    // Only the timers under test wake the host.
    for (Form* f : desk->forms())
      for (Timer* t : f->timers()) t->setEnabled(false);
    p.a.onTimer = [this] { atA.push_back(sch().now()); };
    p.b.onTimer = [this] { atB.push_back(sch().now()); };
  }
  Scheduler& sch() { return desk->scheduler(); }
  // Starts a, then b `offset` ms later, both with the same period.
  void start(int period, int offset) {
    t0 = sch().now();
    p.a.setInterval(period);
    p.a.setEnabled(true);
    sch().advance(offset);
    p.b.setInterval(period);
    p.b.setEnabled(true);
    atA.clear();
    atB.clear();
  }
  // How far each of b's events came before its own beat.
  std::vector<int64_t> earliness(int period, int offset) const {
    std::vector<int64_t> r;
    for (int64_t t : atB) r.push_back((period - (t - t0 - offset) % period) % period);
    return r;
  }
  Probe p{*desk};
  std::vector<int64_t> atA, atB;
  int64_t t0 = 0;
};

TEST_F(HostClock, ATimerDueInAMomentGoesWithTheWakeUpAndKeepsItsBeat) {
  start(100, 6);
  EXPECT_EQ(sch().runAsHostFor(1000), 10);  // not 20
  EXPECT_EQ(atB, atA);
  EXPECT_EQ(earliness(100, 6), std::vector<int64_t>(10, 6));
  EXPECT_EQ((p.b.due - t0) % 100, 6);  // the next period counts from its own due time
  // The manual clock of scripts: each at its own time.
  atA.clear();
  atB.clear();
  sch().advance(1000);
  EXPECT_EQ(earliness(100, 6), std::vector<int64_t>(10, 0));
}

TEST_F(HostClock, AnExactTimerOrOneDueLaterThanItsAllowanceWakesTheHostItself) {
  // Each of b's events a wake-up of its own, at its own time.
  auto alone = [&](long wakes, int period, int offset) {
    EXPECT_GE(atB.size(), atA.size() - 1);
    EXPECT_EQ(wakes, static_cast<long>(atA.size() + atB.size()));
    EXPECT_EQ(earliness(period, offset), std::vector<int64_t>(atB.size(), 0));
  };
  start(100, 6);
  p.b.exact = true;
  alone(sch().runAsHostFor(1000), 100, 6);
  p.b.exact = false;
  start(100, Scheduler::kMaxEarlyMs + 1);
  alone(sch().runAsHostFor(1000), 100, Scheduler::kMaxEarlyMs + 1);
  // A short period allows a quarter of itself: 5 ms of 20.
  start(20, 6);
  alone(sch().runAsHostFor(1000), 20, 6);
  start(20, 5);
  const long wakes = sch().runAsHostFor(1000);
  EXPECT_EQ(wakes, static_cast<long>(atA.size()));
  EXPECT_EQ(atB, atA);
}

TEST(Json, RoundTripsTextWithBlanksAndEscapes) {
  Json o = Json::object();
  o.set("title", " DMX ERROR");
  o.set("text", "a \"b\"\n");
  o.set("n", 5);
  EXPECT_EQ(o.dump(), R"({"title":" DMX ERROR","text":"a \"b\"\n","n":5})");
  auto p = Json::parse(o.dump());
  ASSERT_TRUE(p);
  EXPECT_EQ(*p, o);
  EXPECT_FALSE(Json::parse("[1,"));
  EXPECT_FALSE(Json::parse("\"open"));
  EXPECT_FALSE(Json::parse("1 2"));
  EXPECT_EQ(Json::parse("-3")->asInt(), -3);
  EXPECT_EQ(Json::parse("2.5")->asReal(), 2.5);
}

TEST(Json, DeepNestingIsRefused) {
  std::string deep(1000, '[');
  EXPECT_FALSE(Json::parse(deep));
}

TEST(Address, ParsesIndicesAndFields) {
  std::vector<AddressSegment> s;
  ASSERT_TRUE(ParseAddress("Chases(0).Data(1,2)", s));
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].name, "Chases");
  EXPECT_EQ(s[0].index, std::vector<long>{0});
  EXPECT_EQ(s[1].index, (std::vector<long>{1, 2}));
  EXPECT_FALSE(ParseAddress("A(", s));
  EXPECT_FALSE(ParseAddress("A.", s));
  EXPECT_FALSE(ParseAddress("A(x)", s));
  EXPECT_FALSE(ParseAddress("", s));
}

TEST_F(Framework, GlobalsReadAndWriteByName) {
  EXPECT_EQ(cmd("set Submixes(2).Name \"Warm\""), "ok");
  EXPECT_EQ(S().Submixes[2].Name, "Warm");
  EXPECT_EQ(get("Submixes(2).Name"), "\"Warm\"");
  EXPECT_EQ(cmd("set Chases(1).Speed(3) 2.5"), "ok");
  EXPECT_EQ(get("Chases(1).Speed(3)"), "2.5");
  EXPECT_EQ(get("Chases(0).Data(1,2)"), "0");
  EXPECT_EQ(get("FixtureLow(0,2,5)"), "0");
  EXPECT_EQ(get("ChannelInfo(6).Name"), "\"7\"");
  EXPECT_EQ(get("ArtPorts(3).Enabled"), "0");
  EXPECT_EQ(get("Screens(5).Next"), "6");
}

TEST_F(Framework, WholeTablesReadAsArrays) {
  std::string frame = get("DmxFrame");
  EXPECT_EQ(std::count(frame.begin(), frame.end(), ','), 512);
  EXPECT_EQ(get("Submixes(0).Channel").substr(0, 3), "[0,");
}

TEST_F(Framework, BadAddressesIndicesAndValuesAreErrorsThatChangeNothing) {
  EXPECT_EQ(cmd("get Nope").rfind("err ", 0), 0u);
  EXPECT_EQ(cmd("get DeskLevels(65)").rfind("err ", 0), 0u);
  EXPECT_EQ(cmd("get DeskLevels(-1)").rfind("err ", 0), 0u);
  EXPECT_EQ(cmd("get Chases(0).Nope").rfind("err ", 0), 0u);
  EXPECT_EQ(cmd("set DeskLevels(0) \"x\"").rfind("err ", 0), 0u);
  EXPECT_EQ(cmd("set DeskLevels(0) 70000").rfind("err ", 0), 0u);
  EXPECT_EQ(cmd("set DeskLevels(0) [1").rfind("err ", 0), 0u);
  EXPECT_EQ(S().DeskLevels[0], 0);
  EXPECT_EQ(cmd("set Hoofdblad.Slider1(0) 300").rfind("err ", 0), 0u);
  EXPECT_EQ(S().DeskLevels[0], 0);
  EXPECT_EQ(cmd("get Hoofdblad.Slider1(32)").rfind("err ", 0), 0u);
  EXPECT_EQ(cmd("get Hoofdblad.Nope").rfind("err ", 0), 0u);
  EXPECT_EQ(cmd("get Hoofdblad.Status.Nope").rfind("err ", 0), 0u);
  EXPECT_EQ(cmd("frobnicate").rfind("err ", 0), 0u);
  EXPECT_EQ(cmd("advance x").rfind("err ", 0), 0u);
  EXPECT_EQ(cmd("key Nope 13").rfind("err ", 0), 0u);
  EXPECT_EQ(cmd("queue answer maybe").rfind("err ", 0), 0u);
}

TEST_F(Framework, ControlPropertiesAndWindowProperties) {
  EXPECT_EQ(get("Hoofdblad.Visible"), "true");
  EXPECT_EQ(get("Playdesk.Visible"), "true");
  EXPECT_EQ(get("Realout.Visible"), "false");
  EXPECT_EQ(get("Hoofdblad.Command1(3).Caption"), "\"Max\"");
  EXPECT_EQ(get("Hoofdblad.Command1(3)"), "\"Max\"");
  EXPECT_EQ(get("Hoofdblad.Dec_Channels.Enabled"), "false");
  EXPECT_EQ(get("Hoofdblad.Slider1(0).ToolTipText"), "\"level on channel 1\"");
  EXPECT_EQ(get("Hoofdblad.channels.ToolTipText"), "\"Channels Main\"");
  EXPECT_EQ(cmd("show Realout"), "ok");
  EXPECT_EQ(get("Realout.Visible"), "true");
  EXPECT_EQ(cmd("unload Realout"), "ok");
  EXPECT_EQ(get("Realout.Visible"), "false");
}

TEST_F(Framework, MessageBoxesPrintEventLinesAndTakeQueuedAnswers) {
  S().ProjectChanged = -1;
  EXPECT_EQ(cmd("quit"), "err exit cancelled");  // default button: Cancel
  ASSERT_EQ(lastEvents.size(), 1u);
  EXPECT_EQ(lastEvents[0],
            R"(msgbox {"title":" Reset Desk","text":"Current Project is not saved Are You Sure ",)"
            R"("buttons":"okcancel","icon":"question","answer":"cancel"})");
  EXPECT_FALSE(desk->ended());
  EXPECT_EQ(get("Hoofdblad.Status"), "\" Exit Software\"");
  EXPECT_EQ(cmd("queue answer ok"), "ok");
  EXPECT_EQ(cmd("quit"), "ok");
  EXPECT_TRUE(desk->ended());
  EXPECT_EQ(S().ProjectChanged, 0);
}

TEST_F(Framework, ExitWithNothingUnsavedAsksNothing) {
  EXPECT_EQ(cmd("quit"), "ok");
  EXPECT_TRUE(lastEvents.empty());
  EXPECT_TRUE(desk->ended());
  EXPECT_FALSE(desk->hoofdblad().Loaded());
  EXPECT_FALSE(desk->playdesk().Loaded());
}

TEST_F(Framework, ChoosersAndFileDialogsReportTheirAnswers) {
  dialogs.queueColour(255);
  EXPECT_EQ(dialogs.ChooseColour(" Choose a Colour", 0), 255);
  EXPECT_FALSE(dialogs.ChooseColour(" Choose a Colour", 0));  // nothing queued: cancelled
  dialogs.queueFile("/tmp/show.xml");
  EXPECT_EQ(dialogs.FileDialog(FileKind::Save, "Save DMX Project", "XML|*.xml", ""), "/tmp/show.xml");
  auto ev = dialogs.takeEvents();
  ASSERT_EQ(ev.size(), 3u);
  EXPECT_EQ(ev[0], R"(colourdialog {"title":" Choose a Colour","answer":255})");
  EXPECT_EQ(ev[1], R"(colourdialog {"title":" Choose a Colour","answer":"cancel"})");
  EXPECT_EQ(ev[2], R"(filedialog {"kind":"save","title":"Save DMX Project","filter":"XML|*.xml","answer":"/tmp/show.xml"})");
}

}  // namespace
}  // namespace lumora
