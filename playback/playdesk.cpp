#include "playback/playdesk.h"

#include <algorithm>
#include <cmath>

#include "platform/desk_base.h"
#include "core/levels.h"
#include "core/state_registry.h"
#include "playback/function_levels.h"
#include "playback/instant_screen.h"
#include "playback/namedit.h"

namespace lumora {

namespace {
constexpr int32_t kRed = RGB(255, 0, 0);
constexpr int32_t kGrey = RGB(200, 200, 200);
constexpr int kButtonsPerPage = 16;
constexpr int kFadersPerPage = 12;

// A step-time fader: half way is the sequence's own speed, the top four
// times faster, the bottom four times slower.
int SpeedFromLevel(int level) {
  const double t = (255.0 - std::clamp(level, 3, 255)) / 252.0;
  return Nearest32(25.0 * std::pow(16.0, t));
}
}  // namespace

Playdesk::Playdesk(DeskBase& d) : Form(d, "Playdesk") {
  setCaption("Play Desk");
  Main.setToolTipText("Main Level");
  Preset.setToolTipText("Preset Channels Main level");
  Screen_Num_sel.setRange(0, 199);
  Run_screen_sel.setRange(0, 199);
  Run_Crossfade.setRange(0, 255);
  Run_Crossfade.setValue(255);
  Screen_Prog.setCaption("Record");
  Screen_Recall.setCaption("Recall");
  Copy_Cue.setCaption("Copy");
  Paste_Cue.setCaption("Paste");
  Insert_Cue.setCaption("Insert");
  Delete_Cue.setCaption("Delete");
  Cue_Clear.setCaption("Clear");
  nameedit.setCaption("Edit Cues");
  Instant_Panel.setCaption("Instant Screens");
  Auto_next.setCaption("Auto Next");
  Screen_instant_box.setCaption("Instant");
  Cue_Colour.setToolTipText("Screen colour");
  for (int k = 0; k < 2; ++k) {
    Inc_Page[k].setCaption(">>");
    Dec_Page[k].setCaption("<<");
  }
  Button_Change.setCaption("Button Functions");
  Fader_Change.setCaption("Fader Functions");
  Submix_Clear.setCaption("Clear Faders");
  Clear_All.setCaption("Clear All");
  Run_Switch.setCaption("Run");
  Run_Autotake.setCaption("Auto Take");
  Run_Crossfade.setToolTipText("Crossfade");
  for (int k = 0; k < kFadersPerPage; ++k) Slider1[k].setValue(255);
  Screen_Fade_Time.setMinValue(0.1);
  Screen_Fade_Time.setMaxValue(240.0);

  Screen_Num_sel.onChange = [this] { Screen_Num_sel_Change(); };
  screen_txt.onChange = [this] {
    if (validScreen(CurrentScreen)) desk().state.Screens[CurrentScreen].Name = screen_txt.Text();
  };
  Auto_next.onClick = [this] {
    if (validScreen(CurrentScreen)) desk().state.Screens[CurrentScreen].Auto = Auto_next.Value() ? -1 : 0;
  };
  Screen_instant_box.onClick = [this] {
    if (validScreen(CurrentScreen)) desk().state.Screens[CurrentScreen].Instant = Screen_instant_box.Value() ? -1 : 0;
  };
  // The operator's press or drag first re-raises ValChange with the old
  // value, then UserCursorMove with the new one; both are the fade time.
  Screen_Fade_Time.onValChange = [this](double v) { Screen_Fade_Time_Change(v); };
  Screen_Fade_Time.onUserCursorMove = [this](double v) { Screen_Fade_Time_Change(v); };
  Screen_Prog.onClick = [this] { Screen_Prog_Click(); };
  Screen_Recall.onClick = [this] { Screen_Recall_Click(); };
  Copy_Cue.onClick = [this] { Copy_Cue_Click(); };
  Paste_Cue.onClick = [this] { Paste_Cue_Click(); };
  Insert_Cue.onClick = [this] { Insert_Cue_Click(); };
  Delete_Cue.onClick = [this] { Delete_Cue_Click(); };
  Cue_Clear.onClick = [this] { Cue_Clear_Click(); };
  Cue_Colour.onClick = [this] { Cue_Colour_Click(); };
  nameedit.onClick = [this] { desk().window<namedit>().OpenOn(-1); };
  Instant_Panel.onClick = [this] { desk().window<instant_screen>().Show(); };
  Inc_Page.onClick([this](int) { ChangePage(1); });
  Dec_Page.onClick([this](int) { ChangePage(-1); });
  Page_Details.onChange = [this] {
    DeskState& s = desk().state;
    const int p = std::clamp<int>(s.CurrentPage, 0, kPages - 1);
    if (Page_Details.Text() != "Page " + std::to_string(p + 1)) s.Pages[p].Name = Page_Details.Text();
  };
  Page_text.onChange = [this] {
    DeskState& s = desk().state;
    s.Pages[std::clamp<int>(s.CurrentPage, 0, kPages - 1)].Text = Page_text.Text();
  };
  Button_Change.onClick = [this] {
    desk().links().openButtonFunction(std::clamp<int>(desk().state.CurrentPage, 0, kPages - 1) * kButtonsPerPage);
  };
  Fader_Change.onClick = [this] {
    desk().links().openFaderFunction(std::clamp<int>(desk().state.CurrentPage, 0, kPages - 1) * kFadersPerPage);
  };
  auto openFader = [this](int slot) {
    desk().links().openFaderFunction(std::clamp<int>(desk().state.CurrentPage, 0, kPages - 1) * kFadersPerPage + slot);
  };
  Text2.onDblClick(openFader);
  Text5.onDblClick(openFader);
  Text6.onDblClick(openFader);
  Command1.onMouseDown([this](int slot, MouseButton b, int, int) {
    if (b == MouseButton::Left) ButtonPress(slot);
  });
  Command1.onMouseUp([this](int slot, MouseButton b, int, int) {
    if (b == MouseButton::Left) ButtonRelease(slot);
  });
  // A click without the mouse (keyboard, console) is a press and a release.
  Command1.onClick([this](int slot) {
    ButtonPress(slot);
    ButtonRelease(slot);
  });
  Slider1.onChange([this](int slot) { Slider1_Change(slot); });
  Submix_Clear.onClick = [this] { Submix_Clear_Click(); };
  Clear_All.onClick = [this] { Clear_All_Click(); };

  Run_Switch.onClick = [this] { Run_Switch_Click(); };
  Run_Autotake.onClick = [this] { Run_Autotake_Click(); };
  Run_Crossfade.onChange = [this] { Run_Crossfade_Change(); };
  Run_screen_sel.onChange = [this] { Run_screen_sel_Change(); };

  Timer2.onTimer = [this] { Timer2_Timer(); };
  Delay_Timer.setInterval(1000);
  Delay_Timer.onTimer = [this] { Delay_Timer_Timer(); };
  Timer3.setInterval(100);
  Timer3.onTimer = [this] { Timer3_Timer(); };
  // With no sequence started, once the levels are cleared the level tick
  // only clears what is clear.
  Timer3.mayRest = [this] { return !levelsChanged_ && !runner_.anyStarted(); };
  Timer1.onTimer([this](int i) {
    const int period = runner_.Step(desk().state, i);
    if (period > 0) {
      Timer1[i].setInterval(period);
    } else {
      Timer1[i].setEnabled(false);
      RedrawPlaydesk();
    }
  });

  Registry& r = d.registry();
  r.bind("CurrentScreen", CurrentScreen);
  r.bind("UpcomingScreen", UpcomingScreen);
  r.bind("SourceScreen", SourceScreen);
  r.bind("FadeDown", FadeDown);
  r.bind("LastCrossfadeValue", LastCrossfadeValue);
  r.bind("FadeTicks", FadeTicks);
  r.bind("FadeStep", FadeStep);
  r.bind("DelayCounter", DelayCounter);
  r.bind("ScreenClipboard", ScreenClipboard);
  r.add("PlayRunner.Step", [this] {
    return std::make_unique<FnNode>([this] {
      Json a = Json::array();
      for (int i = 0; i < kRunnerSequences; ++i) a.push(Json(static_cast<long long>(runner_.running(i) ? runner_.state(i).step : 0)));
      return a;
    });
  });
}

void Playdesk::Form_Load() {
  DeskState& s = desk().state;
  CurrentScreen = 1;
  // Opening the window must not shrink a store that was recorded or loaded.
  if (s.ScreenCount < 1) s.ScreenCount = 1;
  s.CurrentPage = std::clamp<int16_t>(s.CurrentPage, 0, kPages - 1);
  Screen_Num_sel.setValue(CurrentScreen);
  Run_screen_sel.setValue(UpcomingScreen);
  Screen_Num_sel_Change();
  Timer3.setEnabled(true);
  RedrawPlaydesk();
  RecomputeFunctionLevels();
}

void Playdesk::setStatus(const std::string& text) { Status.setText(text); }

// ------------------------------------------------------------------ redraw

std::string Playdesk::ButtonLabel(int b) const {
  if (b < 0 || b > kPlayButtons) return "";
  const ButtonFunctionRec& r = desk().state.ButtonFunctions[b];
  switch (r.Function) {
    case kFnSubmix: return "Submix " + Num(r.Value + 1);
    case kFnPreset: return "Preset";
    case kFnSequence: return "Seq " + Num(r.Value);
    case kFnColour: return "Colour";
    case kFnCue: return "Cue " + Num(r.Value);
    default: return "Off";
  }
}

std::string Playdesk::FaderLabel(int f) const {
  if (f < 0 || f > kPlayFaders) return "";
  const DeskState& s = desk().state;
  const FaderFunctionRec& r = s.FaderFunctions[f];
  switch (r.Function) {
    case kFnSubmix: return "Submix " + Num(r.Value + 1);
    case kFnPreset: return "Preset";
    case kFnSequence:
      if (r.Data1 == 1 && r.Value >= 0 && r.Value < kChaseCount) return s.Chases[r.Value].Name + " Step Timing";
      return "Seq " + Num(r.Value);
    case kFnColour: return "Colour";
    default: return "Off";
  }
}

void Playdesk::drawButton(int slot) {
  const DeskState& s = desk().state;
  const int b = std::clamp<int>(s.CurrentPage, 0, kPages - 1) * kButtonsPerPage + slot;
  const ButtonFunctionRec& r = s.ButtonFunctions[b];
  Control& c = Command1[slot];
  const std::string label = ButtonLabel(b);
  c.setCaption(r.Name.empty() ? label : r.Name);
  c.setToolTipText(label + (r.Latch ? ", latching" : ", while held"));
  if (s.PlayButtonState[b] != 0) {
    c.setBackColor(r.Function == kFnColour ? RGB(std::clamp<int>(r.Data1, 0, 255), std::clamp<int>(r.Data2, 0, 255),
                                                 std::clamp<int>(r.Data3, 0, 255))
                                           : kRed);
  } else {
    c.setBackColor(kGrey);
  }
}

void Playdesk::drawFader(int slot) {
  const DeskState& s = desk().state;
  const int f = std::clamp<int>(s.CurrentPage, 0, kPages - 1) * kFadersPerPage + slot;
  const int level = std::clamp<int>(s.PlayFaderLevel[f], 0, 255);
  // A fader that moves raises its Change as the platform does, which is the
  // surface's echo; drawingFader_ keeps the redraw from re-running the
  // fader's sequence step.
  drawingFader_ = true;
  Slider1[slot].WriteValue(255 - level);
  drawingFader_ = false;
  Slider1[slot].setToolTipText("Fader " + Num(f + 1));
  Text2[slot].setCaption(FaderLabel(f));
  Text5[slot].setCaption(s.FaderFunctions[f].Name);
  Text6[slot].setCaption(Num(level));
}

void Playdesk::RedrawPlaydesk() {
  DeskState& s = desk().state;
  s.CurrentPage = std::clamp<int16_t>(s.CurrentPage, 0, kPages - 1);
  const PageRecord& page = s.Pages[s.CurrentPage];
  Page_Details.setText(page.Name.empty() ? "Page " + std::to_string(s.CurrentPage + 1) : page.Name);
  Page_text.setText(page.Text);
  for (int k = 0; k < 2; ++k) {
    Inc_Page[k].setEnabled(s.CurrentPage < kPages - 1);
    Dec_Page[k].setEnabled(s.CurrentPage > 0);
  }
  for (int slot = 0; slot < kButtonsPerPage; ++slot) drawButton(slot);
  for (int slot = 0; slot < kFadersPerPage; ++slot) drawFader(slot);
  ShowScreen();
  if (!s.RunMode && Run_Switch.Caption() == "STOP") {
    // Run mode was ended under us (desk reset, project load): the window
    // and its timers follow.
    s.AutotakeRunning = 0;
    s.CrossfadeRunning = 0;
    Timer2.setEnabled(false);
    Delay_Timer.setEnabled(false);
    for (Control* c : {&Run_A, &Run_A_Num, &Run_B, &Run_B_Num}) c->setCaption("");
    bothRed(false);
    Run_Switch.setCaption("Run");
    Run_Autotake.setCaption("Auto Take");
    setProgramming(true);
  }
}

void Playdesk::RecomputeFunctionLevels() {
  DeskState& s = desk().state;
  ComputeFunctionLevels(s, s.PlayButtonState, s.PlayFaderLevel, s.FunctionLevels);
}

void Playdesk::RecomputeScreenFunctionLevels() {
  DeskState& s = desk().state;
  if (!validScreen(s.LiveScreen)) return;
  const ScreenRecord& r = s.Screens[s.LiveScreen];
  ComputeFunctionLevels(s, r.ButtonSel, r.FaderSel, s.ScreenFunctionLevels);
}

// ------------------------------------------------------ pages, buttons, faders

void Playdesk::ChangePage(int delta) {
  DeskState& s = desk().state;
  s.CurrentPage = static_cast<int16_t>(std::clamp(s.CurrentPage + delta, 0, kPages - 1));
  RedrawPlaydesk();
}

void Playdesk::ButtonPress(int slot) {
  DeskState& s = desk().state;
  if (slot < 0 || slot >= kButtonsPerPage) return;
  const int b = std::clamp<int>(s.CurrentPage, 0, kPages - 1) * kButtonsPerPage + slot;
  ButtonFunctionRec& r = s.ButtonFunctions[b];
  int16_t& on = s.PlayButtonState[b];
  const bool latch = r.Latch != 0;
  switch (r.Function) {
    case kFnSubmix:
    case kFnPreset:
      on = latch ? (on ? 0 : -1) : -1;
      break;
    case kFnSequence:
      if (!latch) {
        StartSequence(r.Value);
        on = -1;
      } else if (on) {
        StopSequence(r.Value);
        on = 0;
      } else {
        StartSequence(r.Value);
        on = -1;
      }
      break;
    case kFnColour:
      if (!on) {
        if (r.Preset == 0) {
          const int32_t initial = RGB(std::clamp<int>(r.Data1, 0, 255), std::clamp<int>(r.Data2, 0, 255),
                                      std::clamp<int>(r.Data3, 0, 255));
          const int32_t c = desk().dialogs().ChooseColour(" Choose a Colour", initial).value_or(initial);
          const Rgb parts = SplitColour(std::to_string(c));
          r.Data1 = static_cast<int16_t>(parts.red);
          r.Data2 = static_cast<int16_t>(parts.green);
          r.Data3 = static_cast<int16_t>(parts.blue);
        }
        on = -1;
      } else {
        on = 0;
      }
      break;
    case kFnCue:
      if (validScreen(r.Value)) {
        if (s.RunMode) {
          Take(r.Value);
        } else {
          RecallScreen(r.Value);
        }
      }
      break;
    default:
      break;
  }
  drawButton(slot);
  RecomputeFunctionLevels();
  if (PlaySurface* s = desk().links().surface) s->PlayButtonChanged(b, desk().state.PlayButtonState[b]);
}

void Playdesk::ButtonRelease(int slot) {
  DeskState& s = desk().state;
  if (slot < 0 || slot >= kButtonsPerPage) return;
  const int b = std::clamp<int>(s.CurrentPage, 0, kPages - 1) * kButtonsPerPage + slot;
  const ButtonFunctionRec& r = s.ButtonFunctions[b];
  if (r.Latch == 0) {
    if (r.Function == kFnSubmix || r.Function == kFnPreset || r.Function == kFnColour) {
      s.PlayButtonState[b] = 0;
    } else if (r.Function == kFnSequence) {
      s.PlayButtonState[b] = 0;
      StopSequence(r.Value);
    }
  }
  drawButton(slot);
  RecomputeFunctionLevels();
  if (PlaySurface* s = desk().links().surface) s->PlayButtonChanged(b, desk().state.PlayButtonState[b]);
}

void Playdesk::Slider1_Change(int slot) {
  DeskState& s = desk().state;
  if (slot < 0 || slot >= kFadersPerPage) return;
  const int f = std::clamp<int>(s.CurrentPage, 0, kPages - 1) * kFadersPerPage + slot;
  const int level = 255 - std::clamp(Slider1[slot].Value(), 0, 255);
  s.PlayFaderLevel[f] = static_cast<int16_t>(level);
  Text6[slot].setCaption(Num(level));
  // Drawn from the table, the fader shows a level already in force: the
  // sequence step and the recompute belong to whoever changed the table.
  if (!drawingFader_) {
    if (s.FaderFunctions[f].Function == kFnSequence) SequenceFader(f, level);
    RecomputeFunctionLevels();
  }
  if (PlaySurface* s = desk().links().surface) s->PlayFaderMoved(f, level);
}

void Playdesk::SequenceFader(int f, int level) {
  DeskState& s = desk().state;
  if (f < 0 || f >= kPlayFaders) return;
  const FaderFunctionRec& r = s.FaderFunctions[f];
  const int i = r.Value;
  if (!runner_.valid(i)) return;
  if (level < 3) {
    StopSequence(i);
    return;
  }
  const int speed = r.Data1 == 1 ? SpeedFromLevel(level) : 100;
  if (!runner_.running(i)) {
    StartSequence(i, speed);
  } else if (r.Data1 == 1) {
    runner_.state(i).speed = speed;  // applies from the next step
  }
}

void Playdesk::SequenceButton(int b, int level) {
  DeskState& s = desk().state;
  if (b < 0 || b >= kPlayButtons) return;
  const ButtonFunctionRec& r = s.ButtonFunctions[b];
  if (r.Function != kFnSequence) return;
  if (level > 0) {
    StartSequence(r.Value);
  } else {
    StopSequence(r.Value);
  }
}

void Playdesk::Submix_Clear_Click() {
  DeskState& s = desk().state;
  s.PlayFaderLevel.fill(0);
  for (int f = 0; f < kPlayFaders; ++f)
    if (s.FaderFunctions[f].Function == kFnSequence) StopSequence(s.FaderFunctions[f].Value);
  RedrawPlaydesk();
  RecomputeFunctionLevels();
  if (PlaySurface* s = desk().links().surface) s->FollowPlayDesk();
  setStatus(" Submixes Cleared ");
}

void Playdesk::Clear_All_Click() {
  DeskState& s = desk().state;
  s.PlayFaderLevel.fill(0);
  s.PlayButtonState.fill(0);
  for (int i = 0; i < kRunnerSequences; ++i) StopSequence(i);
  for (int k = 0; k < kDeskChannels; ++k) s.DeskLevels[k] = 0;
  desk().mainDesk().RefreshDesk();
  RedrawPlaydesk();
  RecomputeFunctionLevels();
  if (PlaySurface* s = desk().links().surface) s->FollowPlayDesk();
  setStatus(" Desk Cleared ");
}

// ------------------------------------------------------------ sequence runner

void Playdesk::StartSequence(int i, int speedPercent) {
  const int period = runner_.Start(desk().state, i, speedPercent);
  if (period <= 0) return;
  Timer1[i].setInterval(period);
  Timer1[i].setEnabled(true);
}

void Playdesk::StopSequence(int i) {
  if (!runner_.valid(i)) return;
  runner_.Stop(i);
  Timer1[i].setEnabled(false);
}

void Playdesk::StartScreenSequences(int n) {
  const DeskState& s = desk().state;
  if (!validScreen(n)) return;
  const ScreenRecord& r = s.Screens[n];
  // A sequence that already runs keeps its place rather than jumping back.
  for (int b = 0; b < kPlayButtons; ++b) {
    const ButtonFunctionRec& f = s.ButtonFunctions[b];
    if (r.ButtonSel[b] != 0 && f.Function == kFnSequence && !runner_.running(f.Value)) StartSequence(f.Value);
  }
  for (int k = 0; k < kPlayFaders; ++k) {
    const FaderFunctionRec& f = s.FaderFunctions[k];
    if (r.FaderSel[k] > 10 && f.Function == kFnSequence && !runner_.running(f.Value))
      StartSequence(f.Value, f.Data1 == 1 ? SpeedFromLevel(r.FaderSel[k]) : 100);
  }
}

std::array<SequenceWeights, kRunnerStates> Playdesk::SequenceLevels() const {
  const DeskState& s = desk().state;
  std::array<SequenceWeights, kRunnerStates> w{};
  auto add = [&](const std::array<int16_t, 81>& buttons, const std::array<int16_t, 61>& faders, bool target) {
    for (int b = 0; b < kPlayButtons; ++b) {
      const ButtonFunctionRec& f = s.ButtonFunctions[b];
      if (buttons[b] == 0 || f.Function != kFnSequence || f.Value < 0 || f.Value >= kRunnerStates) continue;
      int16_t& slot = target ? w[f.Value].target : w[f.Value].live;
      slot = std::max<int16_t>(slot, std::clamp<int16_t>(f.Level, 0, 255));
    }
    for (int k = 0; k < kPlayFaders; ++k) {
      const FaderFunctionRec& f = faders[k] >= 3 ? s.FaderFunctions[k] : s.FaderFunctions[kPlayFaders];
      if (faders[k] < 3 || f.Function != kFnSequence || f.Value < 0 || f.Value >= kRunnerStates) continue;
      // A level fader sets the level; a step-time fader plays at its stored level.
      const int16_t level = std::clamp<int16_t>(f.Data1 == 1 ? f.Level : faders[k], 0, 255);
      int16_t& slot = target ? w[f.Value].target : w[f.Value].live;
      slot = std::max(slot, level);
    }
  };
  add(s.PlayButtonState, s.PlayFaderLevel, false);
  if (validScreen(s.LiveScreen)) add(s.Screens[s.LiveScreen].ButtonSel, s.Screens[s.LiveScreen].FaderSel, true);
  return w;
}

void Playdesk::Timer3_Timer() {
  DeskState& s = desk().state;
  const bool fading = s.RunMode && (s.AutotakeRunning || s.CrossfadeRunning);
  const auto before = s.PlayChaseLevels;
  runner_.BuildLevels(s, SequenceLevels(), fading, s.CrossfadePos);
  levelsChanged_ = s.PlayChaseLevels != before;
}

}  // namespace lumora
