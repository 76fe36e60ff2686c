// Undo and redo of programming, driven through the console as an operator
// would: every kind of edit restores exactly the previous tables, the branch
// of undone acts goes with a new act, the ring holds 100 acts, live output
// never moves, and random edit/undo/redo runs agree with a reference model.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/safe_file.h"
#include "core/show_history.h"
#include "core/undo_desk.h"
#include "project/project_format.h"
#include "tests/desk_fixture.h"
#include "tests/test_project_shows.h"

namespace lumora::testing {
namespace {

// Every table of the programming, whole, as the console reads it.
const char* const kProgramming[] = {
    "ChannelInfo", "Submixes", "PatchTable", "FaderFunctions", "ButtonFunctions", "Screens",
    "ScreenCount", "Pages", "FixtureName", "FixtureFunctionName", "FixtureButtonText",
    "FixtureLow", "FixtureHigh", "FixtureColour", "ProjectName", "ProjectText",
};
// Live values undo must never touch.
const char* const kLive[] = {
    "DeskLevels", "PlayButtonState", "PlayFaderLevel", "RunMode", "CrossfadePos", "LiveScreen",
    "ChaseLevels", "PlayChaseLevels", "FunctionLevels", "AdapterType", "CurrentPage", "CurrentSubmix",
};

// Where two dumps differ: the first differing table and a little of it.
::testing::AssertionResult SameTables(const std::string& a, const std::string& b) {
  if (a == b) return ::testing::AssertionSuccess();
  std::size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  const std::size_t line = a.rfind('\n', i == 0 ? 0 : i - 1);
  const std::size_t from = line == std::string::npos ? 0 : line + 1;
  const std::string table = a.substr(from, a.find('=', from) - from);
  return ::testing::AssertionFailure() << "tables differ in " << table << " at: ..." << a.substr(i, 80) << " / "
                                       << b.substr(i, 80);
}

class UndoTest : public DeskTest {
 protected:
  std::string Dump(const char* const* names, std::size_t n) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i) out += std::string(names[i]) + "=" + get(names[i]) + "\n";
    return out;
  }
  std::string Programming() {
    // `Chases` alone names the sequence desk's window: the chases are read
    // one by one.
    std::string out = Dump(kProgramming, std::size(kProgramming));
    for (int c = 0; c < kChaseCount; ++c) out += "Chases(" + std::to_string(c) + ")=" + get("Chases(" + std::to_string(c) + ")") + "\n";
    return out;
  }
  std::string Live() { return Dump(kLive, std::size(kLive)); }
  int Depth() { return std::stoi(get("Undo.Depth")); }
  void Ok(const std::string& line) { ASSERT_EQ(cmd(line), "ok") << line; }
  void Run(const std::vector<std::string>& lines) {
    for (const auto& l : lines) Ok(l);
  }

  // Runs one edit; Undo must bring back exactly the tables before it and
  // Redo exactly the ones after it, leaving the live values alone.
  void CheckEdit(const std::vector<std::string>& edit, const std::string& name) {
    SCOPED_TRACE(name);
    const std::string before = Programming();
    const int depth = Depth();
    Run(edit);
    const std::string after = Programming();
    ASSERT_FALSE(SameTables(before, after)) << "the edit changed nothing";
    EXPECT_EQ(Depth(), depth + 1);
    EXPECT_EQ(get("Undo.Last"), "\"" + name + "\"");
    EXPECT_EQ(get("Hoofdblad.Undo.Caption"), "\"Undo " + name + "\"");
    const std::string live = Live();
    Ok("click Hoofdblad.Undo");
    EXPECT_TRUE(SameTables(Programming(), before));
    EXPECT_TRUE(SameTables(Live(), live));
    EXPECT_EQ(Depth(), depth);
    EXPECT_EQ(get("Playdesk.Redo.Caption"), "\"Redo " + name + "\"");
    Ok("click Playdesk.Redo");
    EXPECT_TRUE(SameTables(Programming(), after));
    EXPECT_TRUE(SameTables(Live(), live));
    EXPECT_EQ(Depth(), depth + 1);
  }
};

TEST_F(UndoTest, EveryKindOfEditIsUndoneAndRedoneExactly) {
  EXPECT_EQ(get("Undo.Depth"), "0");
  EXPECT_EQ(get("Undo.Last"), "\"\"");
  EXPECT_EQ(get("Hoofdblad.Undo.Enabled"), "false");
  // Screens: record, name, insert, delete.
  Run({"set Hoofdblad.Slider1(0) 55", "set Hoofdblad.Slider1(3) 0", "set Playdesk.Screen_Num_sel 12"});
  CheckEdit({"click Playdesk.Screen_Prog"}, "Record Screen 12");
  Ok("set Playdesk.Screen_Num_sel 3");
  CheckEdit({"click Playdesk.Screen_Prog"}, "Record Screen 3");
  Ok("set Playdesk.Screen_Num_sel 2");
  CheckEdit({"set Playdesk.screen_txt \"Intro\""}, "Name of Screen 2");
  CheckEdit({"click Playdesk.Insert_Cue"}, "Insert Screen 2");
  CheckEdit({"click Playdesk.Delete_Cue"}, "Delete Screen 2");
  CheckEdit({"show namedit", "set namedit.Text1 \"Finale\"", "click namedit.Command3"}, "Edit Screen 1");
  // Pages.
  CheckEdit({"set Playdesk.Page_text \"Act one\""}, "Text of Page 1");
  // Submix programming.
  CheckEdit({"click Hoofdblad.Submix_Prog"}, "Program Submix 1");
  // Chase steps and their levels.
  Ok("show Chases");
  CheckEdit({"click Chases.Steps_Add"}, "Add Step to Chase 0");
  CheckEdit({"set Chases.Slider1(2) 0"}, "Level in Chase 0 Step 1");
  CheckEdit({"click Chases.Insert"}, "Insert Step 1 in Chase 0");
  CheckEdit({"click Chases.Ch_Function(4)"}, "Fade Functions in Chase 0 Step 1");
  // The patch.
  CheckEdit({"show editpatchlist", "set editpatchlist.Text1(0) \"7\"", "click editpatchlist.Command1"}, "Patch");
  // Channel names.
  CheckEdit({"show Channel_Names", "set Channel_Names.Show_Name \"Front\""}, "Channel 1");
  // Button and fader functions.
  CheckEdit({"click Playdesk.Fader_Change", "set Fader_Function_Form.Number \"3\"", "click Fader_Function_Form.OK"},
            "Fader Function 1");
  CheckEdit({"click Playdesk.Button_Change", "set Button_Function_Form.Slider1 100", "click Button_Function_Form.OK"},
            "Button Function 1");
  // Fixture properties.
  CheckEdit({"show Fixture_Prop", "set Fixture_Prop.Fixture_txt \"Spot\""}, "Fixture Properties");
  // A table written straight through the console is an act of its own.
  CheckEdit({"set Chases(3).Data(2,5) 99"}, "Set Chases(3).Data(2,5)");
}

TEST_F(UndoTest, ALoadIsOneActAndUndoingItBringsBackTheShowAndItsFile) {
  const std::string dir = ::testing::TempDir() + "undo_load";
  std::filesystem::create_directories(dir);
  const std::string first = dir + "/first.xml", second = dir + "/second.xml";
  {
    DeskState big;
    MaximalShow(big);
    // Loaded offline: no device of the show is opened.
    big.AdapterType = 0;
    big.BcfMode = 0;
    for (auto& p : big.ArtPorts) p.Enabled = 0;
    ASSERT_EQ(WriteFileAtomically(second, WriteWholeProject(big, "01/01/2027")), "");
  }
  Run({"set Hoofdblad.Slider1(1) 20", "set Playdesk.Screen_Num_sel 4", "click Playdesk.Screen_Prog", "queue file " + first,
      "click Hoofdblad.SaveXML"});
  EXPECT_EQ(get("ProjectChanged"), "0");
  const std::string saved = Programming();
  const std::string live = Live();

  Run({"queue file " + second, "click Hoofdblad.LoadXML"});
  const std::string loaded = Programming();
  ASSERT_FALSE(SameTables(loaded, saved));
  EXPECT_EQ(get("Undo.Last"), "\"Load Project\"");
  EXPECT_EQ(get("ProjectPath"), "\"" + second + "\"");

  Ok("click Hoofdblad.Undo");
  EXPECT_TRUE(SameTables(Programming(), saved));
  EXPECT_EQ(get("ProjectPath"), "\"" + first + "\"");
  EXPECT_EQ(get("ProjectChanged"), "0");  // back to what the first file holds
  EXPECT_TRUE(SameTables(Live(), live));

  Ok("click Hoofdblad.Redo");
  EXPECT_TRUE(SameTables(Programming(), loaded));
  EXPECT_EQ(get("ProjectPath"), "\"" + second + "\"");
  EXPECT_EQ(get("ProjectChanged"), "0");

  // An edit of the loaded show flags it; undoing the edit clears the flag.
  Ok("click Hoofdblad.Submix_Prog");
  EXPECT_EQ(get("ProjectChanged"), "-1");
  Ok("click Hoofdblad.Undo");
  EXPECT_EQ(get("ProjectChanged"), "0");
  Ok("click Hoofdblad.Redo");
  EXPECT_EQ(get("ProjectChanged"), "-1");
  // Saved again: that state is now the file's; the one before is not.
  Run({"queue file " + second, "click Hoofdblad.SaveXML"});
  EXPECT_EQ(get("ProjectChanged"), "0");
  Ok("click Hoofdblad.Undo");
  EXPECT_EQ(get("ProjectChanged"), "-1");
  Ok("click Hoofdblad.Redo");
  EXPECT_EQ(get("ProjectChanged"), "0");
}

TEST_F(UndoTest, APartOfAProjectLoadedIsUndoneButNeverTakenForTheSavedShow) {
  const std::string dir = ::testing::TempDir() + "undo_part";
  std::filesystem::create_directories(dir);
  const std::string patch = dir + "/patch.xml";
  Run({"set PatchTable(0) 9", "queue file " + patch, "click Hoofdblad.Save_Patch_XML", "set PatchTable(0) 3"});
  const std::string before = Programming();
  Run({"queue file " + patch, "click Hoofdblad.Load_P_XML"});
  EXPECT_EQ(get("PatchTable(0)"), "9");
  EXPECT_EQ(get("Undo.Last"), "\"Load Part of a Project\"");
  Run({"click Hoofdblad.Undo"});
  EXPECT_TRUE(SameTables(Programming(), before));
  Run({"click Hoofdblad.Redo"});
  EXPECT_EQ(get("PatchTable(0)"), "9");
  // The show is not what the patch file holds: still changed.
  EXPECT_EQ(get("ProjectChanged"), "-1");
}

TEST_F(UndoTest, ANewActAfterAnUndoDropsTheUndoneActs) {
  Run({"set Hoofdblad.Slider1(2) 0", "set Playdesk.Screen_Num_sel 5", "click Playdesk.Screen_Prog"});
  const std::string one = Programming();
  Ok("click Playdesk.Screen_Prog");  // screen 6
  Ok("click Playdesk.Undo");
  EXPECT_TRUE(SameTables(Programming(), one));
  EXPECT_EQ(get("Playdesk.Redo.Enabled"), "true");
  Ok("click Hoofdblad.Submix_Prog");
  EXPECT_EQ(get("Playdesk.Redo.Enabled"), "false");
  EXPECT_EQ(get("Playdesk.Redo.Caption"), "\"Redo\"");
  EXPECT_EQ(cmd("click Playdesk.Redo"), "err control is disabled");
  EXPECT_EQ(Depth(), 2);
  Ok("click Playdesk.Undo");
  EXPECT_TRUE(SameTables(Programming(), one));
  EXPECT_EQ(get("Undo.Last"), "\"Record Screen 5\"");
}

TEST_F(UndoTest, TheRingHoldsTheLastHundredActs) {
  std::string after20;
  for (int k = 1; k <= 120; ++k) {
    // Each record is of a screen not recorded before: every one is an act.
    Run({"set Playdesk.Screen_Num_sel " + std::to_string(k), "click Playdesk.Screen_Prog"});
    if (k == 20) after20 = Programming();
  }
  EXPECT_EQ(Depth(), 100);
  for (int k = 0; k < 100; ++k) Ok("click Chases.Undo");
  EXPECT_EQ(Depth(), 0);
  EXPECT_TRUE(SameTables(Programming(), after20));
  EXPECT_EQ(get("Chases.Undo.Enabled"), "false");
  EXPECT_EQ(cmd("click Chases.Undo"), "err control is disabled");
  EXPECT_TRUE(SameTables(Programming(), after20));
}

TEST_F(UndoTest, UndoNeverMovesTheLiveOutput) {
  // Levels on the desk, a sequence running from the play desk, run mode on.
  Run({"show Chases", "set Chases.Slider1(0) 0", "click Chases.Steps_Add", "click Chases.Chase_Plus",
      "set Chases.Slider1(1) 0", "unload Chases"});
  Run({"set Hoofdblad.Slider1(0) 100", "set Hoofdblad.Slider1(5) 0", "set Hoofdblad.Main 0", "set Playdesk.Main 0",
      "click Playdesk.Command1(0)", "advance 500"});
  Run({"set Playdesk.Screen_Num_sel 9", "click Playdesk.Screen_Prog", "set Playdesk.screen_txt \"Late\""});
  Ok("tick");
  const std::string frame = get("DmxFrame");
  const std::string step = get("PlayRunner.Step");
  const std::string live = Live();
  ASSERT_NE(frame.find("155"), std::string::npos);  // the desk level reaches the output
  // Undoing stored data only: the frame the next tick makes is the same.
  Run({"click Playdesk.Undo", "click Playdesk.Undo", "tick"});
  EXPECT_EQ(get("DmxFrame"), frame);
  EXPECT_EQ(get("PlayRunner.Step"), step);
  EXPECT_TRUE(SameTables(Live(), live));
  Run({"click Playdesk.Redo", "tick"});
  EXPECT_EQ(get("DmxFrame"), frame);
  EXPECT_TRUE(SameTables(Live(), live));
}

TEST_F(UndoTest, UndoIsRefusedWhileTheChaseEditorRunsItsChase) {
  Run({"show Chases", "set Chases.Slider1(0) 0"});
  const std::string edited = Programming();
  Ok("click Chases.Chase_Go_Button");
  Ok("click Chases.Undo");
  Ok("key Hoofdblad 90 2");
  EXPECT_TRUE(SameTables(Programming(), edited));
  EXPECT_EQ(Depth(), 1);
  Ok("click Chases.Chase_Go_Button");  // stopped: undo works again
  Ok("click Chases.Undo");
  EXPECT_EQ(Depth(), 0);
  EXPECT_FALSE(SameTables(Programming(), edited));
}

TEST_F(UndoTest, ShortcutsUndoAndRedoOnTheThreeDesks) {
  const std::string start = Programming();
  Ok("click Hoofdblad.Submix_Prog");
  const std::string programmed = Programming();
  Ok("key Hoofdblad 90 2");  // Ctrl+Z
  EXPECT_TRUE(SameTables(Programming(), start));
  Ok("key Playdesk 90 3");  // Ctrl+Shift+Z
  EXPECT_TRUE(SameTables(Programming(), programmed));
  Run({"show Chases", "key Chases 90 2"});
  EXPECT_TRUE(SameTables(Programming(), start));
  Ok("key Chases 89 2");  // Ctrl+Y
  EXPECT_TRUE(SameTables(Programming(), programmed));
  // Without Ctrl the keys are the windows' own (the command line's).
  Ok("key Hoofdblad 90");
  EXPECT_TRUE(SameTables(Programming(), programmed));
  EXPECT_EQ(cmd("key Hoofdblad 90 9"), "err usage: key FORM CODE [SHIFT]");
}

TEST_F(UndoTest, OneDragOfAFaderIsOneAct) {
  Ok("show Chases");
  const std::string start = Programming();
  for (int v : {200, 150, 90, 10}) Ok("set Chases.Slider1(3) " + std::to_string(v));
  EXPECT_EQ(Depth(), 1);
  Ok("set Chases.Slider1(4) 10");  // another fader: another act
  EXPECT_EQ(Depth(), 2);
  Run({"click Chases.Undo", "click Chases.Undo"});
  EXPECT_TRUE(SameTables(Programming(), start));
  // After an undo the same fader starts a new act.
  Run({"set Chases.Slider1(3) 100", "click Chases.Undo", "set Chases.Slider1(3) 50"});
  EXPECT_EQ(Depth(), 1);
}

TEST_F(UndoTest, OpenWindowsShowTheRestoredTables) {
  Run({"show Chases", "set Chases.Chase_Name \"Strobe\"", "show Channel_Names", "set Channel_Names.Show_Name \"Back\"",
      "set Playdesk.Screen_Num_sel 7", "set Playdesk.screen_txt \"Blue\""});
  Run({"click Hoofdblad.Undo", "click Hoofdblad.Undo", "click Hoofdblad.Undo"});
  EXPECT_EQ(get("Chases.Chase_Name"), "\"\"");
  EXPECT_EQ(get("Chases.Chase_Sel.List(0)"), "\" -None- \"");
  EXPECT_EQ(get("Channel_Names.Show_Name"), "\"1\"");
  EXPECT_EQ(get("Playdesk.screen_txt"), "\"\"");
  EXPECT_EQ(get("Hoofdblad.Text3(0)"), "\"1\"");
  Ok("click Hoofdblad.Redo");
  EXPECT_EQ(get("Chases.Chase_Name"), "\"Strobe\"");
  EXPECT_EQ(get("Chases.Chase_Sel.List(0)"), "\"Strobe\"");
}

// Random edits, undos and redos against a model that keeps the list of
// states and its own place in it.
TEST_F(UndoTest, RandomEditUndoRedoRunsAgreeWithAModel) {
  const std::vector<std::vector<std::string>> edits = {
      {"click Playdesk.Screen_Prog"},
      {"click Playdesk.Insert_Cue"},
      {"click Playdesk.Delete_Cue"},
      {"click Hoofdblad.Submix_Prog"},
      {"click Hoofdblad.Submix_Plus", "click Hoofdblad.Submix_Prog"},
      {"click Chases.Steps_Add"},
      {"click Chases.Steps_subtract"},
      {"click Chases.Chase_Plus"},
      {"click Chases.Command1(2)"},
      {"click Chases.Command2(2)"},
      {"click Chases.Ch_Function(1)"},
      {"set ProjectName \"P\""},
      {"set Pages(2).Text \"T\""},
      {"set Screens(3).Next 9"},
  };
  std::mt19937 rng(20261208);
  Run({"show Chases", "set Playdesk.Screen_Num_sel 1"});
  std::vector<std::string> states{Programming()};
  std::size_t pos = 0;
  for (int i = 0; i < 160; ++i) {
    const int what = static_cast<int>(rng() % 10);
    SCOPED_TRACE("step " + std::to_string(i));
    if (what < 6) {
      // An edit; a level goes on the desk first so records differ.
      Ok("set Hoofdblad.Slider1(" + std::to_string(rng() % 32) + ") " + std::to_string(rng() % 256));
      const auto& e = edits[rng() % edits.size()];
      Run(e);
      const std::string now = Programming();
      if (now != states[pos]) {
        states.resize(pos + 1);
        states.push_back(now);
        ++pos;
      }
    } else if (what < 8) {
      if (pos == 0) {
        EXPECT_EQ(cmd("click Hoofdblad.Undo"), "err control is disabled");
      } else {
        Ok("click Hoofdblad.Undo");
        --pos;
      }
    } else {
      if (pos + 1 == states.size()) {
        EXPECT_EQ(cmd("click Chases.Redo"), "err control is disabled");
      } else {
        Ok("click Chases.Redo");
        ++pos;
      }
    }
    ASSERT_TRUE(SameTables(Programming(), states[pos]));
    ASSERT_EQ(Depth(), static_cast<int>(pos));
  }
}

// --- the history engine on its own ------------------------------------------

TEST(ShowHistory, EveryFieldOfTheProgrammingIsSeenAndRestored) {
  // Each record field the console reaches, changed alone in a copy of a
  // full show, is an act; undoing it gives back the field's old value.
  ConsoleDialogs dialogs;
  DeskOptions o;
  o.manualClock = true;
  o.sim = true;
  Desk d(o, dialogs);
  MaximalShow(d.state);
  Console console(d, dialogs);
  auto run = [&](const std::string& l) { return console.execute(l).back(); };
  ShowHistory h;
  h.Reset(d.state);
  const std::vector<std::string> fields = {
      "ChannelInfo(3).Desc", "ChannelInfo(3).Name", "ChannelInfo(3).Colour", "ChannelInfo(3).Main_F",
      "ChannelInfo(3).Cross_F", "Submixes(4).Level(2)", "Submixes(4).Channel(2)", "Submixes(4).Name",
      "Submixes(4).Colour", "PatchTable(300)", "FaderFunctions(7).Name", "FaderFunctions(7).Value",
      "FaderFunctions(7).Colour", "FaderFunctions(7).Function", "FaderFunctions(7).Channel1",
      "FaderFunctions(7).Channel2", "FaderFunctions(7).Channel3", "FaderFunctions(7).Data1",
      "FaderFunctions(7).Data2", "FaderFunctions(7).Data3", "FaderFunctions(7).Level", "ButtonFunctions(9).Name",
      "ButtonFunctions(9).Value", "ButtonFunctions(9).Colour", "ButtonFunctions(9).Function",
      "ButtonFunctions(9).Latch", "ButtonFunctions(9).Channel1", "ButtonFunctions(9).Channel2",
      "ButtonFunctions(9).Channel3", "ButtonFunctions(9).Data1", "ButtonFunctions(9).Data2",
      "ButtonFunctions(9).Data3", "ButtonFunctions(9).Level", "ButtonFunctions(9).Preset",
      "Screens(150).Preset(5)", "Screens(150).ButtonSel(5)", "Screens(150).FaderSel(5)",
      "Screens(150).PresetLevel", "Screens(150).Time", "Screens(150).Auto", "Screens(150).Delay",
      "Screens(150).Next", "Screens(150).Name", "Screens(150).Instant", "Screens(150).Colour", "ScreenCount",
      "Pages(4).Name", "Pages(4).Text", "Pages(4).Colour", "Chases(20).Name", "Chases(20).Data(3,4)",
      "Chases(20).Fade(3,4)", "Chases(20).Speed(3)", "Chases(20).Time(3)", "Chases(20).Channels(4)",
      "Chases(20).Steps", "Chases(20).Loop", "Chases(20).Colour", "Chases(20).Fixture", "Chases(20).Fix(3,4)",
      "FixtureName(6)", "FixtureFunctionName(6,2)", "FixtureButtonText(6,2,9)", "FixtureLow(6,2,9)",
      "FixtureHigh(6,2,9)", "FixtureColour(6,2,9)", "ProjectName", "ProjectText",
  };
  for (const std::string& f : fields) {
    SCOPED_TRACE(f);
    const std::string old = run("get " + f).substr(3);
    const bool text = !old.empty() && old[0] == '"';
    ASSERT_EQ(run("set " + f + (text ? " \"changed\"" : " 77")), "ok");
    ASSERT_NE(run("get " + f).substr(3), old);
    ASSERT_TRUE(h.Capture(d.state, f));
    ASSERT_TRUE(h.Undo(d.state));
    EXPECT_EQ(run("get " + f).substr(3), old);
    ASSERT_TRUE(h.Redo(d.state));
    ASSERT_TRUE(h.Undo(d.state));
  }
  // A table holding a NaN still equals its own copy: no act without a change.
  d.state.Chases[2].Speed[4] = std::nan("");
  EXPECT_TRUE(h.Capture(d.state, "nan"));
  EXPECT_FALSE(h.Capture(d.state, "again"));
}

TEST(ShowHistory, AFullRingOfAMaximalShowStaysWithinItsBudget) {
  DeskState s;
  MaximalShow(s);
  for (auto& fx : s.FixtureButtonText)
    for (auto& f : fx)
      for (auto& t : f) t = "a fixture button text longer than the short-string buffer";
  ShowHistory h;
  h.Reset(s);
  const std::size_t base = h.Bytes();
  // One screen, one chase step or one name per act: a hundred of them.
  for (int k = 0; k < 150; ++k) {
    s.Screens[k % kScreens].Preset[3] = static_cast<int16_t>(k);
    s.Chases[k % 32].Data[2][k % 24] = static_cast<int16_t>(300 + k);
    ASSERT_TRUE(h.Capture(s, "edit"));
  }
  EXPECT_EQ(h.Depth(), ShowHistory::kCapacity);
  EXPECT_LT(h.Bytes() - base, std::size_t{2} << 20) << h.Bytes();
  // Whole-show loads of two different shows, alternately, as often as the
  // ring holds: the budget holds.
  DeskState other;
  MaximalShow(other);
  for (auto& r : other.Screens) r.Name += " other";
  for (auto& c : other.Chases) c.Name += " other";
  for (int k = 0; k < 120; ++k) {
    DeskState& next = k % 2 ? s : other;
    for (auto& r : next.Screens) r.Preset[0] = static_cast<int16_t>(k);
    ASSERT_TRUE(h.Capture(next, "load"));
    EXPECT_LE(h.Bytes(), ShowHistory::kByteBudget);
  }
  EXPECT_GE(h.Depth(), 10);
}

}  // namespace
}  // namespace lumora::testing
