// Undo and redo on the desk's windows: the Edit menu items of the main desk,
// the play desk and the sequence desk, the names of the acts, the redraw
// after a step and the console's Undo.Depth / Undo.Last.
#include "app/undo_wiring.h"

#include <algorithm>
#include <map>
#include <string_view>

#include "app/desk.h"
#include "core/undo_desk.h"
#include "desk/button_function_form.h"
#include "desk/channel_names.h"
#include "desk/editpatchlist.h"
#include "desk/fader_function_form.h"
#include "desk/hoofdblad.h"
#include "desk/project_text.h"
#include "playback/instant_screen.h"
#include "playback/namedit.h"
#include "playback/playdesk.h"
#include "sequences/chases_form.h"
#include "sequences/fixture_prop.h"

namespace lumora {

namespace {

const char* const kUndoForms[] = {"Hoofdblad", "Playdesk", "Chases"};

std::string N(long long n) { return std::to_string(n); }

// Names of the acts, read when the act starts (so "Record Screen 12" names
// the screen recorded, not the one the desk moves on to).
std::string ControlActName(Desk& d, const Form& f, const Control& c) {
  const std::string& form = f.name();
  const std::string& name = c.name();
  auto is = [&](std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(), [&](const char* n) { return name == n; });
  };
  if (form == "Playdesk") {
    const std::string screen = " Screen " + N(d.playdesk().CurrentScreen);
    const std::string page = " Page " + N(std::clamp<int>(d.state.CurrentPage, 0, kPages - 1) + 1);
    if (name == "Screen_Prog") return "Record" + screen;
    if (name == "Insert_Cue") return "Insert" + screen;
    if (name == "Delete_Cue") return "Delete" + screen;
    if (name == "Paste_Cue") return "Paste" + screen;
    if (name == "Cue_Clear") return "Clear" + screen;
    if (name == "Cue_Colour") return "Colour of" + screen;
    if (name == "screen_txt") return "Name of" + screen;
    if (name == "Auto_next") return "Auto Next of" + screen;
    if (name == "Screen_instant_box") return "Instant of" + screen;
    if (name == "Screen_Fade_Time") return "Fade Time of" + screen;
    if (name == "Page_Details") return "Name of" + page;
    if (name == "Page_text") return "Text of" + page;
    if (name == "Command1") return "Colour of Button " + N(d.state.CurrentPage * 16 + c.index() + 1);
  } else if (form == "Hoofdblad") {
    const std::string submix = " Submix " + N(d.state.CurrentSubmix + 1);
    if (name == "Submix_Prog") return "Program" + submix;
    if (name == "Sub_colour") return "Colour of" + submix;
    if (name == "resetdesk") return "Reset Desk";
    if (is({"LoadXML", "Recent"})) return "Load Project";
    if (name == "Load_P_XML") return "Load Part of a Project";
  } else if (form == "Chases") {
    Chases& ch = d.chases();
    const std::string chase = " Chase " + N(ch.CurrentChase());
    const std::string step = " Step " + N(ch.engine().currentStep);
    if (is({"Slider1", "Command1", "Command2"})) return "Level in" + chase + step;
    if (name == "Text1") return "Channel of" + chase;
    if (is({"Ch_Function", "Ch_Function_All"})) return "Fade Functions in" + chase + step;
    if (name == "Steps_Add") return "Add Step to" + chase;
    if (name == "Steps_subtract") return "Remove Last Step of" + chase;
    if (is({"Insert", "Insert_Step"})) return "Insert" + step + " in" + chase;
    if (is({"Remove_Step", "Remove_Step_mnu"})) return "Remove" + step + " of" + chase;
    if (is({"Command_Paste", "Paste_step"})) return "Paste" + step + " in" + chase;
    if (is({"Command3", "Clear_Step"})) return "Clear" + step + " of" + chase;
    if (is({"Shift_Neg", "Shift_Pos"})) return "Shift" + step + " of" + chase;
    if (name == "Chase_Name") return "Name of" + chase;
    if (name == "Chase_Colour_Sel") return "Colour of" + chase;
    if (name == "LogSlider3") return "Speed in" + chase + step;
    if (name == "LogSlider4") return "Fade Time in" + chase + step;
    if (is({"Loop_Box", "Loop_Times"})) return "Loop of" + chase;
    if (name == "Load_File") return "Load Project";
    if (name == "Load_Fixture") return "Load Fixture";
    if (name == "Clear_Fixture") return "Clear Fixture";
    if (is({"Fixture_Import", "Fixture_Browse"})) return "Import Fixture";
    if (is({"Fixture_Sel", "move1", "move2", "move3", "move4", "Slider5", "Slider6", "Slider7", "Slider8", "XY_Pad"}))
      return "Moving Light in" + chase + step;
  } else if (form == "editpatchlist") {
    return "Patch";
  } else if (form == "Channel_Names") {
    return "Channel " + N(d.state.SelectedChannel + 1);
  } else if (form == "Fader_Function_Form") {
    return "Fader Function " + N(d.faderFunctionForm().Edited() + 1);
  } else if (form == "Button_Function_Form") {
    return "Button Function " + N(d.buttonFunctionForm().Edited() + 1);
  } else if (form == "namedit") {
    return "Edit Screen " + N(d.nameEditor().EditScreen);
  } else if (form == "Fixture_Prop") {
    return "Fixture Properties";
  } else if (form == "Fixture_Browser") {
    return "Import Fixture";
  } else if (form == "Project_text") {
    return "Project Information";
  } else if (form == "CLI") {
    return "Command Line";
  }
  if (!c.Caption().empty()) return c.Caption();
  return name;
}

std::string ActName(Desk& d, Form* f, const Control* c, std::string_view what) {
  if (f && c) return ControlActName(d, *f, *c);
  if (f) return f->name() == "Hoofdblad" || f->name() == "CLI" ? "Command Line" : "";
  // A console command that wrote a table directly: "Set Screens(5).Name".
  if (what.substr(0, 4) == "set ") {
    std::string_view rest = what.substr(4);
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    return "Set " + std::string(rest.substr(0, rest.find_first_of(" \t")));
  }
  return "";
}

// Moving one fader, slider or box again continues the same act.
bool Joins(const Control& c, std::string_view what) {
  if (what != "Change" && what != "ValChange" && what != "UserCursorMove") return false;
  switch (c.kind()) {
    case Kind::Fader:
    case Kind::ScrollBar:
    case Kind::TextBox:
    case Kind::LogSlider: return true;
    default: return false;
  }
}

// Every open window shows the tables again; live values are left alone.
void RedrawAll(Desk& d) {
  DeskState& s = d.state;
  Hoofdblad& h = d.hoofdblad();
  if (h.Loaded()) {
    h.RefreshDesk();
    h.ShowSubmix();
  }
  if (d.playdesk().Loaded()) d.playdesk().RedrawPlaydesk();
  if (d.channelNames().Loaded()) d.channelNames().ShowChannelInfo();
  if (d.patchEditor().Loaded()) d.patchEditor().ShowPatchPanel();
  for (FunctionEditor* e : {static_cast<FunctionEditor*>(&d.faderFunctionForm()),
                            static_cast<FunctionEditor*>(&d.buttonFunctionForm())})
    if (e->Loaded() && e->Visible()) e->OpenOn(e->Edited());
  if (d.nameEditor().Loaded()) {
    d.nameEditor().FillLists();
    d.nameEditor().ShowEditScreen();
  }
  if (d.instantScreen().Loaded()) d.instantScreen().Refresh();
  if (d.fixtureProp().Loaded()) d.fixtureProp().Refresh();
  if (d.projectText().Loaded()) d.projectText().Form_Load();
  Chases& ch = d.chases();
  if (ch.Loaded()) {
    // The chase list, the chase's settings and the step shown, which stays
    // where it was when the chase still has it.
    const int step = ch.engine().currentStep;
    for (int k = 0; k < kChaseCount && k < ch.Chase_Sel.ListCount(); ++k)
      ch.Chase_Sel.setList(k, s.Chases[k].Name.empty() ? " -None- " : s.Chases[k].Name);
    ch.Chase_Sel_Click();
    const int steps = std::clamp<int>(s.Chases[std::clamp<int>(ch.CurrentChase(), 0, kChaseCount - 1)].Steps, 1,
                                      kChaseSteps - 1);
    ch.engine().currentStep = static_cast<int16_t>(std::clamp(step, 1, steps));
    ch.RedrawStep();
    ch.RefillFixtureList();
  }
}

void ShowMenus(Desk& d, const ShowHistory& h) {
  const std::string last = h.LastName(), next = h.NextName();
  for (const char* name : kUndoForms) {
    Form* f = d.form(name);
    if (!f) continue;
    if (Control* u = f->control("Undo")) {
      u->setCaption(last.empty() ? "Undo" : "Undo " + last);
      u->setEnabled(h.Depth() > 0);
    }
    if (Control* r = f->control("Redo")) {
      r->setCaption(next.empty() ? "Redo" : "Redo " + next);
      r->setEnabled(h.RedoDepth() > 0);
    }
  }
}

}  // namespace

UndoDesk* UndoOf(Desk& d) { return d.owned<UndoDesk>(); }

void SetupUndo(Desk& d) {
  UndoDesk& u = d.own<UndoDesk>(d.state);
  u.nameOf = [&d](Form* f, const Control* c, std::string_view what) { return ActName(d, f, c, what); };
  u.joins = Joins;
  u.redraw = [&d] { RedrawAll(d); };
  u.refused = [&d] { return d.chases().engine().running; };
  u.changed = [&d, &u] { ShowMenus(d, u.history()); };
  for (const char* name : kUndoForms) {
    Form* f = d.form(name);
    if (!f) continue;
    Control& undo = d.own<Control>(*f, "Undo", Kind::Menu);
    Control& redo = d.own<Control>(*f, "Redo", Kind::Menu);
    undo.onClick = [&u] { u.Undo(); };
    redo.onClick = [&u] { u.Redo(); };
  }
  ShowMenus(d, u.history());
  d.eventObserver = &u;
  Registry& r = d.registry();
  r.add("Undo.Depth", [&u] {
    return std::make_unique<FnNode>([&u] { return Json(static_cast<long long>(u.history().Depth())); });
  });
  r.add("Undo.Last", [&u] { return std::make_unique<FnNode>([&u] { return Json(u.history().LastName()); }); });
}

}  // namespace lumora
