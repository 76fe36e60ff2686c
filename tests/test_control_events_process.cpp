// Control events as a user meets them: every script here drives the real
// program through its console, one command a line, and reads the desk back.
// Choosing a list entry by its index runs the list's Click, a fader's Value
// by name moves like the fader itself, and program writes raise the events
// the desk relies on (the surface echo, the log slider's presses).
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// One command's answer: the event lines it printed and its final reply.
struct Answer {
  std::vector<std::string> events;
  std::string reply;
};

// Runs lumora --headless --console --manual-clock [extra] with the given
// commands and returns one answer per command (the end-of-input lines last
// are dropped).
std::vector<Answer> RunScript(const std::vector<std::string>& commands, const std::string& extra = "--sim") {
  char inName[] = "/tmp/lumora-events-XXXXXX";
  const int fd = mkstemp(inName);
  EXPECT_GE(fd, 0);
  {
    std::ofstream f(inName);
    for (const auto& c : commands) f << c << "\n";
  }
  close(fd);
  const std::string command =
      std::string(LUMORA_BIN) + " --headless --console --manual-clock " + extra + " < " + inName + " 2>/dev/null";
  FILE* p = popen(command.c_str(), "r");
  std::string acc;
  char buf[65536];
  while (p && fgets(buf, sizeof buf, p)) acc += buf;
  if (p) pclose(p);
  unlink(inName);
  std::vector<Answer> out;
  Answer cur;
  std::istringstream ss(acc);
  std::string l;
  while (std::getline(ss, l) && out.size() < commands.size()) {
    if (l == "ok" || l.rfind("ok ", 0) == 0 || l.rfind("err", 0) == 0) {
      cur.reply = l;
      out.push_back(std::move(cur));
      cur = Answer{};
    } else {
      cur.events.push_back(l);
    }
  }
  EXPECT_EQ(out.size(), commands.size()) << acc.substr(0, 400);
  out.resize(commands.size());
  return out;
}

// A script with expectations: commands paired with the reply each must give
// ("" = any reply that is not an error, kAnyError = an error of any wording).
const std::string kAnyError = "err*";
class Script {
 public:
  Script& operator()(std::string command, std::string expected = "") {
    commands_.push_back(std::move(command));
    expected_.push_back(std::move(expected));
    return *this;
  }
  std::vector<Answer> run(const std::string& extra = "--sim") {
    auto answers = RunScript(commands_, extra);
    for (std::size_t i = 0; i < answers.size(); ++i) {
      if (expected_[i].empty())
        EXPECT_EQ(answers[i].reply.rfind("ok", 0), 0u) << commands_[i] << " -> " << answers[i].reply;
      else if (expected_[i] == kAnyError)
        EXPECT_EQ(answers[i].reply.rfind("err ", 0), 0u) << commands_[i] << " -> " << answers[i].reply;
      else
        EXPECT_EQ(answers[i].reply, expected_[i]) << "line " << i + 1 << ": " << commands_[i];
    }
    return answers;
  }

 private:
  std::vector<std::string> commands_;
  std::vector<std::string> expected_;
};

double Number(const std::string& reply) { return std::stod(reply.substr(3)); }

// --- choosing list entries by index --------------------------------------------

TEST(ControlEventsProcess, ChaseChosenByIndexIsTheChaseTheEditorWorksOn) {
  Script s;
  s("set Chases(3).Name \"Ballet\"")("set Chases(3).Loop 4")("show Chases")
      ("set Chases.Chase_Sel.ListIndex 3")
      ("get Chases.Chase_Name", "ok \"Ballet\"")
      ("get Chases.Loop_Box", "ok 0")
      ("get Chases.Loop_Times", "ok \"4\"")
      ("set Chases.Chase_Name \"Opera\"")
      ("get Chases(3).Name", "ok \"Opera\"")
      ("get Chases(0).Name", "ok \"\"")
      ("set Chases.Slider1(0) 55")
      ("get Chases(3).Data(1,0)", "ok 200")
      ("get Chases(0).Data(1,0)", "ok 0")
      // The moving-light desk's fixture list stores into the chase shown.
      ("set Chases.Fixture_Sel.ListIndex 2")
      ("get SelectedFixture", "ok 2")
      ("get Chases(3).Fixture", "ok 2")
      ("get Chases(0).Fixture", "ok 0")
      // An index outside the list changes nothing.
      ("set Chases.Chase_Sel.ListIndex 99", kAnyError)
      ("get Chases.Chase_Name", "ok \"Opera\"");
  s.run();
}

TEST(ControlEventsProcess, AdapterChosenByIndexIsTheOneSaved) {
  Script s;
  s("show Portsetup")
      ("set Portsetup.Combo1.ListIndex 1")
      ("get Portsetup.Adapter_Name", "ok \" Marwicke DMX Adapter \"")
      ("get SelectedType", "ok 1")
      ("get Portsetup.Option1.Enabled", "ok true")
      ("get Portsetup.Option2.Enabled", "ok true")
      ("get Portsetup.HScroll1.Enabled", "ok true")
      ("get Hoofdblad.Status", "ok \" Marwich Adapter Running\"")
      ("set Portsetup.HScroll1.Value 50")
      ("get SelectedRate", "ok 50")
      ("get Portsetup.Text1", "ok \" 50 mS\"")
      ("click Portsetup.Option2")
      ("click Portsetup.Command1")
      ("get AdapterType", "ok 1")
      ("get PortAddress", "ok 632")
      ("get Hoofdblad.Timer1.Interval", "ok 50")
      // Opened again, the dialog shows and runs the saved choice.
      ("show Portsetup")
      ("get Portsetup.Combo1.ListIndex", "ok 1")
      ("get Portsetup.Adapter_Name", "ok \" Marwicke DMX Adapter \"")
      ("get Portsetup.HScroll1.Enabled", "ok true")
      ("set Portsetup.Combo1.ListIndex \"x\"", "err ListIndex needs a number")
      ("get SelectedType", "ok 1");
  s.run();
}

TEST(ControlEventsProcess, ScreenEditorEditsLandInTheScreenChosen) {
  Script s;
  s("set ScreenCount 3")("set Screens(1).Name \"One\"")("set Screens(2).Name \"Two\"")
      ("set Screens(3).Name \"Three\"")("set Screens(2).Preset(5) 100")("set Screens(1).Next 1")
      ("show namedit")
      ("get namedit.Text1", "ok \"One\"")
      ("set namedit.List1.ListIndex 1")
      ("get EditScreen", "ok 2")
      ("get namedit.Text1", "ok \"Two\"")
      ("set namedit.Text1 \"Second\"")
      ("click namedit.Command3")
      ("get Screens(2).Name", "ok \"Second\"")
      ("get Screens(1).Name", "ok \"One\"")
      ("set namedit.Next_Scn.ListIndex 2")
      ("get Screens(2).Next", "ok 3")
      ("get Screens(1).Next", "ok 1")
      ("set namedit.List2.ListIndex 0")
      ("get namedit.Text3", "ok \"Preset  5\"")
      ("set namedit.Slider1.Value 55")
      ("get Screens(2).Preset(5)", "ok 200")
      ("get Screens(1).Preset(5)", "ok 0");
  s.run();
}

TEST(ControlEventsProcess, FixtureFunctionChosenByIndexTakesTheEdits) {
  Script s;
  s("show Chases")("set Chases.Fixture_Sel.ListIndex 2")("click Chases.fixt_prop")
      ("set Fixture_Prop.Function_Sel.ListIndex 2")
      ("get Fixture_Prop.Function_Sel.ListIndex", "ok 2")
      ("set Fixture_Prop.Function_txt \"Gobo\"")
      ("get FixtureFunctionName(2,2)", "ok \"Gobo\"")
      ("get FixtureFunctionName(2,0)", "ok \"\"")
      ("set Fixture_Prop.max_txt \"200\"")
      ("get FixtureHigh(2,2,0)", "ok 200")
      ("set Fixture_Prop.Fixture_Sel.ListIndex 4")
      ("set Fixture_Prop.Fixture_txt \"Spot\"")
      ("get FixtureName(4)", "ok \"Spot\"")
      ("get FixtureName(2)", "ok \"\"");
  s.run();
}

TEST(ControlEventsProcess, FaderValueByNameMovesTheLevelAsTheFaderDoes) {
  Script s;
  s("set Hoofdblad.Slider1(3).Value 100")
      ("get DeskLevels(3)", "ok 155")
      ("get Hoofdblad.Text1(3)", "ok \" 155\"")
      ("set Hoofdblad.Slider1(3) 0")
      ("get DeskLevels(3)", "ok 255")
      ("set Hoofdblad.Slider1(3).Value 300", kAnyError)
      ("get DeskLevels(3)", "ok 255")
      // A disabled control is refused by name as it is without one.
      ("show Portsetup")
      ("set Portsetup.HScroll1.Value 50", "err control is disabled");
  s.run();
}

// --- the surface echo -----------------------------------------------------------

TEST(ControlEventsProcess, SurfaceMoveSuppressesOnlyTheDesksOwnEcho) {
  Script s;
  s("sim midi bcf2000 1")("show BCF_configure")("click BCF_configure.Command1")
      ("get BcfMode", "ok 1")
      ("get Sim.Midi.Sent")
      ("sim midi cc 81 64")
      ("get DeskLevels(0)", "ok 128")
      ("get Hoofdblad.Slider1(0)", "ok 127")
      ("get Sim.Midi.Sent", "ok []")      // the refresh was the one echo suppressed
      ("get FaderTouched(0)", "ok 0")
      ("set Hoofdblad.Slider1(0) 55")
      ("get Sim.Midi.Sent", "ok [[176,81,100]]")  // the next screen move drives the motor
      // Paging away and back redraws the faders: each that moves is echoed,
      // a level changed elsewhere among them.
      ("set DeskLevels(1) 60")
      ("click Hoofdblad.Inc_Channel")("click Hoofdblad.Dec_Channels")
      ("get Sim.Midi.Sent", "ok [[176,81,100],[176,82,30]]");
  s.run();
}

TEST(ControlEventsProcess, SurfaceMoveOnThePlaybackDeskSuppressesOnlyItsEcho) {
  Script s;
  s("sim midi bcf2000 1")("show BCF_configure")("click BCF_configure.Command1")
      ("click BCF.Pannel_Inc")
      ("get BcfMode", "ok 2")
      ("get Sim.Midi.Sent")
      ("sim midi cc 81 64")
      ("get PlayFaderLevel(0)", "ok 128")
      ("get Playdesk.Slider1(0)", "ok 127")
      ("get Sim.Midi.Sent", "ok []")
      ("get FaderTouched(0)", "ok 0")
      ("set Playdesk.Slider1(0) 55")
      ("get Sim.Midi.Sent", "ok [[176,81,100]]");
  s.run();
}

// --- log slider presses ---------------------------------------------------------

TEST(ControlEventsProcess, LogSliderPressBelowAboveAndOnTheAxis) {
  Script s;
  s("show Chases")
      ("get Chases.LogSlider3.MinValue")       // 1
      ("get Chases.LogSlider3.MaxValue")       // 2
      ("mousedown Chases.LogSlider3 left 0 5000")
      ("get Chases.LogSlider3")                // 4
      ("get Chases(0).Speed(1)")               // 5
      ("mousedown Chases.LogSlider3 left 0 -40")
      ("get Chases.LogSlider3")                // 7
      ("get Chases(0).Speed(1)")               // 8
      ("mousedown Chases.LogSlider4 left 3 500")
      ("get Chases.LogSlider4")                // 10
      ("get Chases(0).Time(1)")                // 11
      ("mousedown Chases.LogSlider3 right 0 5000")
      ("get Chases.LogSlider3");               // 13
  auto a = s.run();
  const double lo = Number(a[1].reply), hi = Number(a[2].reply);
  EXPECT_DOUBLE_EQ(lo, 0.1);
  EXPECT_DOUBLE_EQ(Number(a[4].reply), lo);
  EXPECT_DOUBLE_EQ(Number(a[5].reply), lo);
  EXPECT_DOUBLE_EQ(Number(a[7].reply), hi);
  EXPECT_DOUBLE_EQ(Number(a[8].reply), hi);
  // Half way up a logarithmic axis is the geometric mean of its ends.
  const double mid = Number(a[10].reply);
  EXPECT_NEAR(mid, std::sqrt(lo * hi), 1e-9 * hi);
  EXPECT_DOUBLE_EQ(Number(a[11].reply), mid);
  // A right press is not a placement.
  EXPECT_DOUBLE_EQ(Number(a[13].reply), hi);
}

TEST(ControlEventsProcess, PlaydeskFadeTimePressStoresTheScreensTime) {
  Script s;
  s("set ScreenCount 3")("click Playdesk.Screen_Recall")
      ("get CurrentScreen")                                  // 2
      ("mousedown Playdesk.Screen_Fade_Time left 0 5000")
      ("get Playdesk.Screen_Fade_Time", "ok 0.1")
      ("get Playdesk.Fade_Time_txt", "ok \"0.100 s\"")
      ("mousedown Playdesk.Screen_Fade_Time left 0 -1")
      ("get Playdesk.Screen_Fade_Time", "ok 240")
      ("get Playdesk.Fade_Time_txt", "ok \"240 s\"");
  auto a = s.run();
  const std::string screen = a[2].reply.substr(3);
  EXPECT_EQ(RunScript({"set ScreenCount 3", "click Playdesk.Screen_Recall", "mousedown Playdesk.Screen_Fade_Time left 0 -1",
                 "get Screens(" + screen + ").Time"})
                .back()
                .reply,
            "ok 240");
}

// --- simulated Corvex without its device -------------------------------------

TEST(ControlEventsProcess, CorvexChosenWithoutDeviceKeepsRunningSilently) {
  Script s;
  s("show Portsetup")("set Portsetup.Combo1.ListIndex 5")("click Portsetup.Command1")
      ("get AdapterType", "ok 5")
      ("tick")("tick")
      ("get AdapterType", "ok 5")
      ("get Hoofdblad.Status", "ok \" Quillonizer Corvex Connecting.....\"");
  auto a = s.run();
  for (const auto& ans : a) EXPECT_TRUE(ans.events.empty()) << ans.events.front();
}

TEST(ControlEventsProcess, CorvexLibraryThatCannotLoadPutsTheOpenDialogBackToNone) {
  Script s;
  s("sim corvex library 0")("show Portsetup")("set Portsetup.Combo1.ListIndex 5")("set AdapterType 5")
      ("tick")
      ("get AdapterType", "ok 0")
      ("get Portsetup.Combo1.ListIndex", "ok 0")
      ("get Portsetup.Adapter_Name", "ok \" None \"")
      ("get SelectedType", "ok 0")
      ("get Hoofdblad.Status", "ok \" NO DMX OUT\"");
  auto a = s.run();
  ASSERT_EQ(a[4].events.size(), 1u);
  EXPECT_NE(a[4].events[0].find("USB DMX Adapter Not Connected or Not Responding"), std::string::npos);
}

// --- fixture properties from the menu ------------------------------------------

TEST(ControlEventsProcess, FixturePropertiesMenuOpensOnThePickedEntry) {
  Script s;
  s("show Chases")("click Chases.Show_Moving")("mousedown Chases.move3(4) right")
      ("get SelectedPad", "ok 2")("get SelectedPadEntry", "ok 4")
      ("click Chases.fixt_prop2")
      ("get Fixture_Prop.Visible", "ok true")
      ("get Fixture_Prop.Function_Sel.ListIndex", "ok 2")
      ("get Fixture_Prop.Entry_Label", "ok \"Entry 4\"")
      ("unload Fixture_Prop")
      ("mousedown Chases.move1(7) right")
      ("click Chases.fixt_prop")
      ("get Fixture_Prop.Function_Sel.ListIndex", "ok 0")
      ("get Fixture_Prop.Entry_Label", "ok \"Entry 7\"");
  s.run();
}

// --- a whole project with nothing patched --------------------------------------

TEST(ControlEventsProcess, WholeProjectSavedUnpatchedLoadsUnpatched) {
  char dirName[] = "/tmp/lumora-unpatched-XXXXXX";
  ASSERT_NE(mkdtemp(dirName), nullptr);
  const std::string dir = dirName;
  const std::string show = dir + "/unpatched.xml", subs = dir + "/subs.xml";
  Script save;
  save("get PatchTable(0)", "ok 1");
  for (int k = 0; k < 512; ++k) save("set PatchTable(" + std::to_string(k) + ") 0");
  save("queue file " + show)("click Hoofdblad.SaveXML")
      ("queue file " + subs)("click Hoofdblad.Save_Submix_XML");
  save.run();
  std::ifstream f(show);
  std::stringstream text;
  text << f.rdbuf();
  ASSERT_NE(text.str().find("<Project>"), std::string::npos);
  ASSERT_EQ(text.str().find("<Patch>"), std::string::npos);

  Script load;
  load("get PatchTable(0)", "ok 1")
      ("queue file " + subs)("click Hoofdblad.LoadXML")
      ("get PatchTable(0)", "ok 1")    // submixes leave the patch alone
      ("queue file " + show)("click Hoofdblad.LoadXML")
      ("get PatchTable(0)", "ok 0")
      ("get PatchTable(63)", "ok 0");
  load.run();
  std::remove(show.c_str());
  std::remove(subs.c_str());
  rmdir(dir.c_str());
}

}  // namespace
