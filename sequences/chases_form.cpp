#include "sequences/chases_form.h"

#include <algorithm>
#include <cstdio>

#include "platform/desk_base.h"
#include "core/levels.h"
#include "playback/playdesk.h"
#include "sequences/fixture_browser.h"
#include "sequences/fixture_file.h"
#include "sequences/fixture_prop.h"

namespace lumora {

namespace {
constexpr int32_t kGreen = RGB(0, 255, 0);
constexpr int32_t kRed = RGB(255, 0, 0);
constexpr int32_t kYellow = RGB(255, 255, 0);
constexpr int32_t kWhite = RGB(255, 255, 255);
constexpr int32_t kSystemFace = -1;
const char* const kNone = " -None- ";

int32_t LevelColour(int level) {
  level = std::clamp(level, 0, 255);
  return RGB(255, 255 - level, 255 - level);
}

// Seconds as the time boxes show them: up to three decimals, no trailing zeros.
std::string Seconds(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.3f", v);
  std::string s = buf;
  if (s.find('.') != std::string::npos) {
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
  }
  return s;
}

// A colour text of the tables as a control colour; empty or a system colour
// (negative) shows the system face.
int32_t ColourOf(const std::string& text) {
  if (text.empty()) return kSystemFace;
  const long long v = Val(text);
  if (v < 0 || v > 0xFFFFFF) return kSystemFace;
  return static_cast<int32_t>(v);
}
}  // namespace

Chases::Chases(DeskBase& desk) : Form(desk, "Chases") {
  setCaption("Sequence Desk");
  Chase_Plus.setCaption(">");
  Chase_Plus.setToolTipText("Increase Chase Step");
  Chase_Minus.setCaption("<");
  Chase_Minus.setToolTipText("Decrease Chase Step");
  Steps_Add.setCaption("+");
  Steps_Add.setToolTipText("Add a step");
  Steps_subtract.setCaption("-");
  Steps_subtract.setToolTipText("Remove the last step");
  Insert.setCaption("Insert");
  Remove_Step.setCaption("Remove");
  Command_Copy.setCaption("Copy");
  Command_Paste.setCaption("Paste");
  Command3.setCaption("Clear Fader Settings");
  Shift_Neg.setCaption("Shift -");
  Shift_Pos.setCaption("Shift +");
  Ch_Function_All.setCaption("All F/S/off");
  Global_fade_sw.setCaption("Apply functions to all steps");
  Check1.setCaption("Auto Increment of Desk Channels");
  Chase_Go_Button.setCaption("Go");
  Chase_Go_Button.setBackColor(kGreen);
  Slider2.setToolTipText("Main Level");
  Global_Speed.setCaption("Apply Ssame speed to all steps");
  Global_fade.setCaption("Apply same fade to all steps");
  Speed_Fade_Lock.setCaption("Apply same fade and speed to all steps");
  Loop_Box.setCaption("Loop endlessly");
  Live_Mode_Sel.setCaption("Live Mode");
  Show_Moving.setCaption("Show Moving");
  Copy_step.setCaption("Copy Step");
  Paste_step.setCaption("Paste Step");
  Insert_Step.setCaption("Insert Step");
  Remove_Step_mnu.setCaption("Remove Step");
  Clear_Step.setCaption("Clear Step");
  Load_File.setCaption("Load Project...");
  Exit.setCaption("Exit");
  show_moving_desk.setCaption("Moving Light Desk");
  mnu_Fixture.setCaption("Fixture");
  Load_Fixture.setCaption("Load Fixture...");
  Save_Fixture_Single.setCaption("Save Fixture...");
  Save_Fixture_All.setCaption("Save All Fixtures...");
  Clear_Fixture.setCaption("Clear Fixture");
  Fixture_Import.setCaption("Import...");
  Fixture_Import.setToolTipText("Import a QLC+ (.qxf) or Open Fixture Library (.json) definition into the selected fixture");
  Fixture_Browse.setCaption("Import from QLC+ Library...");
  Fixture_Browse.setEnabled(Fixture_Browser::LibraryInstalled());
  fixt_prop2.setCaption("Fixture Properties...");
  fixt_prop.setCaption("Properties...");
  mnu_popup.setVisible(false);
  Moving_Desk.setVisible(false);
  mnu_Fixture.setEnabled(false);
  for (int c = 0; c < kPlainChaseChannels; ++c) {
    Command1[c].setCaption("F");
    Command1[c].setToolTipText("Full");
    Command2[c].setCaption("0");
    Command2[c].setToolTipText("Zero");
  }
  for (int c = 0; c < kChaseUsedChannels; ++c) Picture1[c].setBackColor(kWhite);
  for (Control* s : {&Slider5, &Slider6, &Slider7, &Slider8}) s->setRange(0, 255);
  XY_Pad.setRange(0, kPadWidth);
  Step_Bar.setValue(0);
  Fade_Bar.setValue(0);
  Timer2.setInterval(100);

  Timer1.onTimer = [this] { Timer1_Timer(); };
  Timer2.onTimer = [this] { Timer2_Timer(); };
  Chase_Sel.onClick = [this] { Chase_Sel_Click(); };
  Chase_Name.onChange = [this] { Chase_Name_Change(); };
  Chase_Colour_Sel.onClick = [this] { Chase_Colour_Sel_Click(); };
  Chase_Plus.onClick = [this] { Chase_Plus_Click(); };
  Chase_Minus.onClick = [this] { Chase_Minus_Click(); };
  Steps_Add.onClick = [this] { Steps_Add_Click(); };
  Steps_subtract.onClick = [this] { Steps_subtract_Click(); };
  Insert.onClick = [this] { Insert_Click(); };
  Insert_Step.onClick = [this] { Insert_Click(); };
  Remove_Step.onClick = [this] { Remove_Step_Click(); };
  Remove_Step_mnu.onClick = [this] { Remove_Step_Click(); };
  Command_Copy.onClick = [this] { Command_Copy_Click(); };
  Copy_step.onClick = [this] { Command_Copy_Click(); };
  Command_Paste.onClick = [this] { Command_Paste_Click(); };
  Paste_step.onClick = [this] { Command_Paste_Click(); };
  Command3.onClick = [this] { Command3_Click(); };
  Clear_Step.onClick = [this] { Command3_Click(); };
  Shift_Neg.onClick = [this] { Shift_Neg_Click(); };
  Shift_Pos.onClick = [this] { Shift_Pos_Click(); };
  Slider1.onChange([this](int c) { Slider1_Change(c); });
  Command1.onClick([this](int c) {
    Slider1[c].setValue(0);
    Slider1_Change(c);
  });
  Command2.onClick([this](int c) {
    Slider1[c].setValue(255);
    Slider1_Change(c);
  });
  Text1.onChange([this](int c) { Text1_Change(c); });
  Text1.onClick([this](int c) { Text1[c].SetFocus(); });
  Ch_Function.onClick([this](int c) { Ch_Function_Click(c); });
  Ch_Function_All.onClick = [this] { Ch_Function_All_Click(); };
  Chase_Go_Button.onClick = [this] { Chase_Go_Button_Click(); };
  Live_Mode_Sel.onClick = [this] { Live_Mode_Sel_Click(); };
  // A mouse drag first re-raises ValChange with the old value, then
  // UserCursorMove with the new one; both reach the same handler.
  LogSlider3.onValChange = [this](double v) { LogSlider3_ValChange(v); };
  LogSlider3.onUserCursorMove = [this](double v) { LogSlider3_ValChange(v); };
  LogSlider4.onValChange = [this](double v) { LogSlider4_ValChange(v); };
  LogSlider4.onUserCursorMove = [this](double v) { LogSlider4_ValChange(v); };
  Speed_Fade_Lock.onClick = [this] { Speed_Fade_Lock_Click(); };
  Loop_Box.onClick = [this] { Loop_Box_Click(); };
  Loop_Times.onChange = [this] { Loop_Times_Change(); };
  Exit.onClick = [this] { Exit_Click(); };
  Load_File.onClick = [this] { Load_File_Click(); };
  Show_Moving.onClick = [this] { Show_Moving_Click(); };
  show_moving_desk.onClick = [this] { Show_Moving_Click(); };
  Fixture_Sel.onClick = [this] { Fixture_Sel_Click(); };
  for (int f = 0; f < 4; ++f) {
    moveArray(f).onClick([this, f](int k) { Move_Click(f, k); });
    moveArray(f).onMouseDown([this, f](int k, MouseButton b, int, int) { Move_MouseDown(f, k, b); });
  }
  Slider5.onChange = [this] { Position_Change(2); };
  Slider6.onChange = [this] { Position_Change(3); };
  Slider7.onChange = [this] { Pad_Slider_Change(0); };
  Slider8.onChange = [this] { Pad_Slider_Change(1); };
  XY_Pad.onMouseDown = [this](MouseButton b, int x, int y) { XY_Pad_MouseDown(b, x, y); };
  fixt_prop.onClick = [this] { fixt_prop_Click(); };
  // The menu entry and the pop-up's entry open the same place: the entry
  // last picked with a right press.
  fixt_prop2.onClick = [this] { fixt_prop_Click(); };
  Load_Fixture.onClick = [this] { Load_fixture_Click(); };
  Save_Fixture_Single.onClick = [this] { Save_Fixture_Single_Click(); };
  Save_Fixture_All.onClick = [this] { Save_Fixture_all_Click(); };
  Clear_Fixture.onClick = [this] { Clear_Fixture_Click(); };
  Fixture_Import.onClick = [this] { Fixture_Import_Click(); };
  Fixture_Browse.onClick = [this] { Fixture_Browse_Click(); };
}

ChaseRecord& Chases::chase() { return desk().state.Chases[static_cast<std::size_t>(std::clamp<int>(currentChase_, 0, kChaseCount - 1))]; }
int Chases::step() const { return std::clamp<int>(eng_.currentStep, 0, kChaseSteps - 1); }

ControlArray& Chases::moveArray(int f) {
  switch (f) {
    case 0: return move1;
    case 1: return move2;
    case 2: return move3;
    default: return move4;
  }
}
ControlArray& Chases::indArray(int f) {
  switch (f) {
    case 0: return ind1;
    case 1: return ind2;
    case 2: return ind3;
    default: return ind4;
  }
}

void Chases::Form_Load() {
  DeskState& s = desk().state;
  eng_ = ChaseEngine{};
  currentChase_ = 0;
  s.SelectedFixture = 0;
  s.SelectedPad = 0;
  s.SelectedPadEntry = 0;
  Slider2.setRange(0, 255);
  Slider2.setValue(0);
  Global_Speed.setValue(0);
  Global_fade.setValue(0);
  Global_fade.setEnabled(true);
  Global_Speed.setEnabled(true);
  Live_Mode_Sel.setEnabled(true);
  Live_Mode_Sel.setValue(0);
  Chase_Go_Button.setCaption("Go");
  Chase_Go_Button.setBackColor(kGreen);
  RefillFixtureList();
  fillChaseList();
  Chase_Sel.SelectIndex(0);
}

void Chases::Form_Unload(bool& cancel) {
  (void)cancel;
  // A closed editor must not leave its chase driving the output.
  if (eng_.running) StopAtEnd();
  Timer1.setEnabled(false);
  Timer2.setEnabled(false);
}

void Chases::fillChaseList() {
  const int keep = Chase_Sel.ListIndex();
  Chase_Sel.Clear();
  for (const auto& r : desk().state.Chases) Chase_Sel.AddItem(r.Name.empty() ? kNone : r.Name);
  Chase_Sel.setListIndex(keep);
}

void Chases::showStepNumber() { Step_Display.setCaption(std::to_string(eng_.currentStep)); }
void Chases::showSteps() { Steps.setCaption(std::to_string(chase().Steps)); }

void Chases::setFunctionButton(int c, int fn) {
  Control& b = Ch_Function[c];
  if (fn == kChaseFade) {
    b.setCaption("F");
    b.setBackColor(kGreen);
  } else if (fn == kChaseOff) {
    b.setCaption("off");
    b.setBackColor(kSystemFace);
  } else {
    b.setCaption("S");
    b.setBackColor(kYellow);
  }
}

void Chases::setIndicator(int c, int level) { Picture1[c].setBackColor(LevelColour(level)); }

void Chases::liveWrite(int c) {
  if (!eng_.live || eng_.running) return;
  const ChaseRecord& r = chase();
  const int k = r.Channels[static_cast<std::size_t>(c)];
  if (k < 0 || k > 63) return;
  const double out = (255 - std::clamp(Slider2.Value(), 0, 255)) * r.Data[static_cast<std::size_t>(step())][static_cast<std::size_t>(c)] / 255.0;
  desk().state.ChaseLevels[static_cast<std::size_t>(k)] = std::clamp(Nearest32(out), 0, 255);
}

void Chases::clearChaseLevels() { desk().state.ChaseLevels.fill(0); }

// --- selection ----------------------------------------------------------

void Chases::Chase_Sel_Click() {
  const int k = Chase_Sel.ListIndex();
  if (k < 0 || k >= kChaseCount) return;
  currentChase_ = static_cast<int16_t>(k);
  eng_.currentStep = 1;
  const ChaseRecord& r = chase();
  loading_ = true;
  showStepNumber();
  showSteps();
  Chase_Name.setText(r.Name);
  setCaption(r.Name.empty() ? "Sequence Desk" : "Sequence Desk " + r.Name);
  Chase_Colour_Sel.setBackColor(ColourOf(r.Colour));
  if (r.Loop == 0) {
    Loop_Box.setValue(1);
    Loop_Times.setEnabled(false);
    Loop_Times_txt.setEnabled(false);
  } else {
    Loop_Box.setValue(0);
    Loop_Times.setEnabled(true);
    Loop_Times_txt.setEnabled(true);
    Loop_Times.setText(std::to_string(r.Loop));
    Loop_Times_txt.setCaption(std::to_string(r.Loop));
  }
  DeskState& s = desk().state;
  s.SelectedFixture = static_cast<int16_t>(std::clamp<int>(r.Fixture, 0, kFixtureTypes - 1));
  for (int c = 0; c < kChaseUsedChannels; ++c) {
    const int chan = r.Channels[static_cast<std::size_t>(c)];
    Text1[c].setText(std::to_string(chan + 1));
    const std::string desc = chan >= 0 && chan < 64 ? s.ChannelInfo[static_cast<std::size_t>(chan)].Desc : "";
    Text1[c].setToolTipText(" Desk Channel " + std::to_string(chan + 1) + (desc.empty() ? "" : " " + desc));
  }
  loading_ = false;
  RedrawStep();
}

void Chases::Chase_Name_Change() {
  ChaseRecord& r = chase();
  const std::string& t = Chase_Name.Text();
  if (t == r.Name) return;
  r.Name = t;
  desk().state.ProjectChanged = -1;
  Chase_Sel.setList(currentChase_, t.empty() ? kNone : t);
  setCaption(t.empty() ? "Sequence Desk" : "Sequence Desk " + t);
  desk().window<Playdesk>().RedrawPlaydesk();
}

void Chases::Chase_Colour_Sel_Click() {
  ChaseRecord& r = chase();
  auto c = desk().dialogs().ChooseColour(" Choose a Colour", ColourOf(r.Colour) < 0 ? 0 : ColourOf(r.Colour));
  if (!c) return;
  Chase_Colour_Sel.setBackColor(*c);
  r.Colour = std::to_string(*c);
  desk().state.ProjectChanged = -1;
  desk().window<Playdesk>().RedrawPlaydesk();
}

// --- redraw -------------------------------------------------------------

void Chases::RedrawStep() {
  const ChaseRecord& r = chase();
  const int s = step();
  loading_ = true;
  LogSlider3.setValueD(r.Speed[static_cast<std::size_t>(s)]);
  LogSlider4.setValueD(r.Time[static_cast<std::size_t>(s)]);
  Text7.setText(Seconds(r.Speed[static_cast<std::size_t>(s)]));
  Text2.setText(Seconds(r.Time[static_cast<std::size_t>(s)]));
  loading_ = false;
  for (int c = 0; c < kChaseUsedChannels; ++c) {
    const int level = r.Data[static_cast<std::size_t>(s)][static_cast<std::size_t>(c)];
    const int fn = r.Fade[static_cast<std::size_t>(s)][static_cast<std::size_t>(c)];
    if (c < kPlainChaseChannels) Slider1[c].setValue(std::clamp(255 - level, 0, 255));
    setIndicator(c, level);
    setFunctionButton(c, fn);
    applyFunction(c, fn);
  }
  showStepNumber();
  if (movingShown_) RedrawMovingDesk();
}

void Chases::applyFunction(int c, int fn) {
  const bool on = fn != kChaseOff;
  Text1[c].setEnabled(on);
  if (c < kPlainChaseChannels) {
    Slider1[c].setEnabled(on);
    Command1[c].setEnabled(on);
    Command2[c].setEnabled(on);
  }
  if (!on) Picture1[c].setBackColor(kWhite);
}

// --- running ------------------------------------------------------------

void Chases::Chase_Go_Button_Click() {
  if (!eng_.running) {
    const ChaseRecord& r = chase();
    Chase_Go_Button.setCaption("Stop");
    Chase_Go_Button.setBackColor(kRed);
    Live_Mode_Sel.setEnabled(false);
    eng_.Start(r);
    showStepNumber();
    Timer1.setInterval(StepPeriodMs(r.Speed[static_cast<std::size_t>(step())]));
    for (int c = 0; c < kPlainChaseChannels; ++c) Slider1[c].setValue(255);
    clearChaseLevels();
    savedGlobalSpeed_ = Global_Speed.Value() != 0;
    savedGlobalFade_ = Global_fade.Value() != 0;
    Global_Speed.setValue(1);
    Global_fade.setValue(1);
    Global_Speed.setEnabled(false);
    Global_fade.setEnabled(false);
    for (int c = 0; c < kChaseUsedChannels; ++c) {
      const int fn = r.Fade[static_cast<std::size_t>(step())][static_cast<std::size_t>(c)];
      setFunctionButton(c, fn);
      if (fn != kChaseOff && fn != kChaseFade) setIndicator(c, r.Data[static_cast<std::size_t>(step())][static_cast<std::size_t>(c)]);
    }
    Timer1.setEnabled(true);
    Timer2.setEnabled(true);
    return;
  }
  eng_.running = false;
  Chase_Go_Button.setCaption("Go");
  Chase_Go_Button.setBackColor(kGreen);
  Timer1_Timer();
  if (!Timer1.Enabled() && !Timer2.Enabled()) return;  // the advance ended the loops
  stopCommon();
}

void Chases::stopCommon() {
  eng_.running = false;
  Chase_Go_Button.setCaption("Go");
  Chase_Go_Button.setBackColor(kGreen);
  Timer1.setEnabled(false);
  Timer2.setEnabled(false);
  Global_Speed.setEnabled(true);
  Global_fade.setEnabled(!Speed_Fade_Lock.Value());
  Global_Speed.setValue(savedGlobalSpeed_ ? 1 : 0);
  Global_fade.setValue(savedGlobalFade_ ? 1 : 0);
  Live_Mode_Sel.setEnabled(true);
  Loop_Times_txt.setCaption(Loop_Times.Text());
  if (Live_Mode_Sel.Value()) eng_.live = true;
  clearChaseLevels();
  RedrawStep();
}

void Chases::StopAtEnd() { stopCommon(); }

void Chases::Timer1_Timer() {
  const ChaseRecord& r = chase();
  const int16_t before = eng_.loopCount;
  const auto res = eng_.Advance(r);
  if (eng_.loopCount != before) Loop_Times_txt.setCaption(std::to_string(r.Loop - eng_.loopCount));
  if (res == ChaseEngine::AdvanceResult::EndOfLoops) {
    StopAtEnd();
    return;
  }
  showStepNumber();
  for (int c = 0; c < kChaseUsedChannels; ++c) setFunctionButton(c, r.Fade[static_cast<std::size_t>(step())][static_cast<std::size_t>(c)]);
  Step_Bar.setValue(0);
  Fade_Bar.setValue(0);
  Timer1.setInterval(StepPeriodMs(r.Speed[static_cast<std::size_t>(step())]));
}

void Chases::Timer2_Timer() {
  if (!eng_.running) return;
  const ChaseRecord& r = chase();
  const bool fading = eng_.fadeElapsed < r.Time[static_cast<std::size_t>(step())];
  // Built whole, then published: a reader never sees a cleared array.
  std::array<int32_t, 64> out;
  eng_.FadeTick(r, 255 - std::clamp(Slider2.Value(), 0, 255), out);
  desk().state.ChaseLevels = out;
  if (fading) {
    for (int c = 0; c < kChaseUsedChannels; ++c) {
      const int k = r.Channels[static_cast<std::size_t>(c)];
      if (k >= 0 && k <= 63) setIndicator(c, out[static_cast<std::size_t>(k)]);
    }
  }
  Fade_Bar.setValue(eng_.FadeBar(r));
  Step_Bar.setValue(eng_.StepBar(r));
}

void Chases::Live_Mode_Sel_Click() {
  if (Live_Mode_Sel.Value() && !eng_.running) {
    eng_.live = true;
  } else if (!Live_Mode_Sel.Value()) {
    eng_.live = false;
    clearChaseLevels();
  }
}

void Chases::LogSlider3_ValChange(double v) {
  if (loading_) return;  // showing a step is not an edit
  ChaseRecord& r = chase();
  const auto s = static_cast<std::size_t>(step());
  if (r.Speed[s] != v) desk().state.ProjectChanged = -1;
  r.Speed[s] = v;
  Text7.setText(Seconds(v));
  if (Global_Speed.Value()) {
    for (int k = 0; k <= std::min<int>(r.Steps, kChaseSteps - 1); ++k) {
      r.Speed[static_cast<std::size_t>(k)] = v;
      if (Speed_Fade_Lock.Value()) r.Time[static_cast<std::size_t>(k)] = v;
    }
  }
  if (Speed_Fade_Lock.Value()) {
    r.Time[s] = v;
    Text2.setText(Seconds(v));
  }
}

void Chases::LogSlider4_ValChange(double v) {
  if (loading_ || !Global_fade.Enabled()) return;
  ChaseRecord& r = chase();
  const auto s = static_cast<std::size_t>(step());
  if (r.Time[s] != v) desk().state.ProjectChanged = -1;
  r.Time[s] = v;
  Text2.setText(Seconds(v));
  if (Global_fade.Value())
    for (int k = 0; k <= std::min<int>(r.Steps, kChaseSteps - 1); ++k) r.Time[static_cast<std::size_t>(k)] = v;
}

void Chases::Speed_Fade_Lock_Click() {
  if (Speed_Fade_Lock.Value()) {
    Global_fade.setEnabled(false);
    LogSlider4.setValueD(LogSlider3.ValueD());
  } else if (!eng_.running) {
    Global_fade.setEnabled(true);
  }
}

void Chases::Loop_Box_Click() {
  ChaseRecord& r = chase();
  if (Loop_Box.Value()) {
    if (r.Loop != 0) desk().state.ProjectChanged = -1;
    r.Loop = 0;
    Loop_Times.setEnabled(false);
    Loop_Times_txt.setEnabled(false);
  } else {
    Loop_Times.setEnabled(true);
    Loop_Times_txt.setEnabled(true);
    if (r.Loop == 0) {
      Loop_Times.setText("1");
      Loop_Times_Change();
    }
  }
}

void Chases::Loop_Times_Change() {
  if (loading_) return;
  long long n = 0;
  // Only a whole count of passes is taken; anything else waits for typing.
  if (!ParseInt(Loop_Times.Text(), n) || n < 1 || n > 32767) return;
  ChaseRecord& r = chase();
  Loop_Times_txt.setCaption(Loop_Times.Text());
  if (r.Loop != n) desk().state.ProjectChanged = -1;
  r.Loop = static_cast<int16_t>(n);
}

void Chases::Exit_Click() {
  desk().window<Playdesk>().RedrawPlaydesk();
  desk().window<Fixture_Prop>().Unload();
  Unload();
}

void Chases::Load_File_Click() {
  desk().mainDesk().LoadXML.Click();
  fillChaseList();
  Chase_Sel.SelectIndex(currentChase_);
}

}  // namespace lumora
