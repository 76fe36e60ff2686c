// The playback desk: screens and pages, the assignable buttons and faders,
// screen programming, run mode with its A/B crossfade and autotakes, and the
// runner of the sequences started from here.
#pragma once

#include "controls/log_slider.h"
#include "core/form.h"
#include "playback/play_runner.h"

namespace lumora {

class Playdesk : public Form {
 public:
  explicit Playdesk(DeskBase& desk);

  // The grand master read by the output tick (0 = top = full).
  Control Main{*this, "Main", Kind::Fader};
  // "Preset Channels Main level": the desk side's master in run mode.
  Control Preset{*this, "Preset", Kind::Fader};
  Control Status{*this, "Status", Kind::TextBox};

  // Screen programming
  Control Screen_Num_sel{*this, "Screen_Num_sel", Kind::ScrollBar};
  Control Screen_num{*this, "Screen_num", Kind::Label};
  Control screen_txt{*this, "screen_txt", Kind::TextBox};
  Control Auto_next{*this, "Auto_next", Kind::CheckBox};
  Control Screen_instant_box{*this, "Screen_instant_box", Kind::CheckBox};
  VRLogSlider Screen_Fade_Time{*this, "Screen_Fade_Time"};
  Control Fade_Time_txt{*this, "Fade_Time_txt", Kind::Label};
  Control Cue_Colour{*this, "Cue_Colour", Kind::Picture};
  Control Screen_Prog{*this, "Screen_Prog", Kind::Button};
  Control Screen_Recall{*this, "Screen_Recall", Kind::Button};
  Control Copy_Cue{*this, "Copy_Cue", Kind::Button};
  Control Paste_Cue{*this, "Paste_Cue", Kind::Button};
  Control Insert_Cue{*this, "Insert_Cue", Kind::Button};
  Control Delete_Cue{*this, "Delete_Cue", Kind::Button};
  Control Cue_Clear{*this, "Cue_Clear", Kind::Button};
  Control nameedit{*this, "nameedit", Kind::Button};
  Control Instant_Panel{*this, "Instant_Panel", Kind::Button};

  // Pages (one pair of page buttons beside the buttons, one beside the faders)
  Control Page_Details{*this, "Page_Details", Kind::TextBox};
  Control Page_text{*this, "Page_text", Kind::TextBox};
  ControlArray Inc_Page{*this, "Inc_Page", Kind::Button, 2};
  ControlArray Dec_Page{*this, "Dec_Page", Kind::Button, 2};
  Control Button_Change{*this, "Button_Change", Kind::Button};
  Control Fader_Change{*this, "Fader_Change", Kind::Button};

  // The page's 16 buttons and 12 faders with their labels
  ControlArray Command1{*this, "Command1", Kind::Button, 16};
  ControlArray Slider1{*this, "Slider1", Kind::Fader, 12};
  ControlArray Text2{*this, "Text2", Kind::Label, 12};  // function of the fader
  ControlArray Text5{*this, "Text5", Kind::Label, 12};  // name of the fader
  ControlArray Text6{*this, "Text6", Kind::Label, 12};  // level of the fader
  Control Submix_Clear{*this, "Submix_Clear", Kind::Button};
  Control Clear_All{*this, "Clear_All", Kind::Button};

  // Run mode
  Control Run_Switch{*this, "Run_Switch", Kind::Button};
  Control Run_Autotake{*this, "Run_Autotake", Kind::Button};
  Control Run_Crossfade{*this, "Run_Crossfade", Kind::Fader};
  Control Run_screen_sel{*this, "Run_screen_sel", Kind::ScrollBar};
  Control Run_A{*this, "Run_A", Kind::Label};
  Control Run_A_Num{*this, "Run_A_Num", Kind::Label};
  Control Run_B{*this, "Run_B", Kind::Label};
  Control Run_B_Num{*this, "Run_B_Num", Kind::Label};
  Control Run_Fade_Time{*this, "Run_Fade_Time", Kind::Label};
  Control Run_nxtscreen{*this, "Run_nxtscreen", Kind::Label};

  Timer Timer2{*this, "Timer2"};
  Timer Delay_Timer{*this, "Delay_Timer"};
  Timer Timer3{*this, "Timer3"};
  TimerArray Timer1{*this, "Timer1", kRunnerSequences};

  // Play-desk variables
  int16_t CurrentScreen = 1;
  int16_t UpcomingScreen = 2;
  int16_t SourceScreen = 1;
  int16_t FadeDown = 0;
  int16_t LastCrossfadeValue = 255;
  int16_t FadeTicks = 0;
  int16_t FadeStep = 0;
  int16_t DelayCounter = 0;
  ScreenRecord ScreenClipboard{};

  void Form_Load() override;

  // Used by other windows: redraw the play desk (buttons, faders, screen
  // display) after the tables changed, and recompute FunctionLevels from the
  // live buttons and faders.
  void RedrawPlaydesk();
  void RecomputeFunctionLevels();
  void RecomputeScreenFunctionLevels();

  // Screen programming
  void Screen_Num_sel_Change();
  void ShowScreen();
  void Screen_Prog_Click();
  void Screen_Fade_Time_Change(double v);
  void Screen_Recall_Click();
  void RecallScreen(int n);
  void Copy_Cue_Click() { CopyCue(CurrentScreen); }
  void Paste_Cue_Click() { PasteCue(CurrentScreen); }
  void Insert_Cue_Click() { InsertCue(CurrentScreen); }
  void Delete_Cue_Click() { DeleteCue(CurrentScreen); }
  void Cue_Clear_Click();
  void Cue_Colour_Click();
  // The list operations on screen n (the screen editor uses them too).
  void CopyCue(int n);
  void PasteCue(int n);
  void InsertCue(int n);
  void DeleteCue(int n);

  // Pages, buttons and faders
  void ChangePage(int delta);
  void ButtonPress(int slot);
  void ButtonRelease(int slot);
  void Slider1_Change(int slot);
  // A fader f (0..59) with a sequence function moved to `level`.
  void SequenceFader(int f, int level);
  // A button b (0..79) with a sequence function pressed (level > 0) or
  // released, as a remote surface drives it.
  void SequenceButton(int b, int level);
  void Submix_Clear_Click();
  void Clear_All_Click();

  // Run mode
  void Run_Switch_Click();
  void Run_Autotake_Click() { Take(UpcomingScreen); }
  void Take(int target);
  void Run_Crossfade_Change();
  void Run_screen_sel_Change();
  void CompleteTake();
  void Timer2_Timer();
  void Delay_Timer_Timer();
  void Timer3_Timer();

  // Sequence runner
  PlayRunner& runner() { return runner_; }
  void StartSequence(int i, int speedPercent = 100);
  void StopSequence(int i);
  // The sequences named by a screen's buttons and faders (run mode).
  void StartScreenSequences(int n);
  std::array<SequenceWeights, kRunnerStates> SequenceLevels() const;

  // Labels of the functions as the desk shows them.
  std::string ButtonLabel(int b) const;
  std::string FaderLabel(int f) const;

 private:
  void setStatus(const std::string& text);
  void showSides();
  void setSide(bool aSide, int screen);
  void bothRed(bool red);
  void loadScreenIntoDesk(int n);
  void fadeTiming(bool fresh);
  void setProgramming(bool enabled);
  void refreshInstantPanel();
  void drawButton(int slot);
  void drawFader(int slot);
  bool validScreen(int n) const { return n >= 0 && n < kScreens; }

  PlayRunner runner_;
  bool levelsChanged_ = true;  // the last level tick changed PlayChaseLevels
  bool loadingFader_ = false;
  bool drawingFader_ = false;
};

}  // namespace lumora
