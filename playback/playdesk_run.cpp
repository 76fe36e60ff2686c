// The play desk in run mode: the two sides, takes, crossfades and autotake.
#include "playback/playdesk.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/desk_base.h"
#include "core/levels.h"
#include "playback/instant_screen.h"

namespace lumora {

namespace {
constexpr int32_t kRed = RGB(255, 0, 0);
}  // namespace

// ------------------------------------------------------------------ run mode

void Playdesk::setSide(bool aSide, int screen) {
  const DeskState& s = desk().state;
  const std::string name = validScreen(screen) ? s.Screens[screen].Name : "";
  (aSide ? Run_A : Run_B).setCaption(name);
  (aSide ? Run_A_Num : Run_B_Num).setCaption(std::to_string(screen));
}

void Playdesk::bothRed(bool red) {
  for (Control* c : {&Run_A, &Run_A_Num, &Run_B, &Run_B_Num}) c->setBackColor(red ? kRed : -1);
}

void Playdesk::setProgramming(bool enabled) {
  Screen_Prog.setEnabled(enabled);
  Screen_Recall.setEnabled(enabled);
  Screen_Num_sel.setEnabled(enabled);
}

void Playdesk::refreshInstantPanel() {
  instant_screen& panel = desk().window<instant_screen>();
  if (panel.Loaded() && panel.Visible()) panel.Refresh();
}

void Playdesk::Run_Switch_Click() {
  DeskState& s = desk().state;
  if (!s.RunMode) {
    s.LiveScreen = 1;
    SourceScreen = 1;
    runner_.Clear();
    for (int i = 0; i < kRunnerSequences; ++i) Timer1[i].setEnabled(false);
    Run_Crossfade.setValue(255);
    LastCrossfadeValue = 255;
    FadeDown = 0;
    Run_Switch.setCaption("STOP");
    setSide(true, 1);
    setSide(false, 2);
    Run_Fade_Time.setCaption(std::to_string(s.Screens[1].Time) + " s");
    s.RunMode = -1;
    setProgramming(false);
    StartScreenSequences(1);
    CompleteTake();
    refreshInstantPanel();
    // CompleteTake may already have started a follow-on; its status stays.
    if (!s.AutotakeRunning && !Delay_Timer.Enabled()) setStatus(" Run Mode Selected");
    desk().mainDesk().Status.setText(" Run Mode Selected");
    return;
  }
  if (!desk().dialogs().Ask("Do You wish to Exit Run Mode ", " Run Mode")) return;
  s.RunMode = 0;
  s.AutotakeRunning = 0;
  s.CrossfadeRunning = 0;
  Timer2.setEnabled(false);
  Delay_Timer.setEnabled(false);
  for (Control* c : {&Run_A, &Run_A_Num, &Run_B, &Run_B_Num}) c->setCaption("");
  bothRed(false);
  Run_Switch.setCaption("Run");
  setProgramming(true);
  refreshInstantPanel();
  Run_Autotake.setCaption("Auto Take");
  setStatus(" Run Mode Stopped");
  desk().mainDesk().Status.setText(" Run Mode Stoped");
}

void Playdesk::fadeTiming(bool fresh) {
  DeskState& s = desk().state;
  const int time = validScreen(s.LiveScreen) ? std::max<int>(0, s.Screens[s.LiveScreen].Time) : 0;
  const double u = time * 1000.0 / 255.0;
  const int t = std::max(1, desk().mainDesk().Timer1.Interval());
  int period;
  int ticks;
  const int remaining = std::max(1, 255 - s.CrossfadePos);
  if (u > t) {
    period = Nearest32(u);
    ticks = fresh ? 255 : remaining;
  } else {
    period = t;
    // A fast take: the remaining share of the time at one step per tick.
    const double ms = fresh ? time * 1000.0 : time * 1000.0 * remaining / 255.0;
    ticks = Nearest32(ms / (t + 1));
  }
  if (ticks < 1) {
    // No time at all (Time 0): the whole way in one tick, never a division by 0.
    ticks = 1;
  }
  FadeTicks = static_cast<int16_t>(std::min(ticks, 32767));
  // A fast resume spreads what is left over its ticks; otherwise the step
  // is a 255th of the way per planned tick.
  const int step = (!fresh && u <= t) ? Nearest32(static_cast<double>(remaining) / FadeTicks)
                                      : Nearest32(255.0 / FadeTicks);
  FadeStep = static_cast<int16_t>(std::max(1, step));
  Timer2.setInterval(std::max(1, period));
  Timer2.setEnabled(true);
}

void Playdesk::Take(int target) {
  DeskState& s = desk().state;
  if (!s.RunMode) return;
  if (s.AutotakeRunning) {
    setStatus(" Autotake Stopped ");
    s.CrossfadeRunning = -1;
    s.AutotakeRunning = 0;
    Timer2.setEnabled(false);
    bothRed(true);
    Run_Autotake.setCaption("Auto Take");
    return;
  }
  if (s.CrossfadeRunning && s.CrossfadePos > 30 && s.CrossfadePos < 230) {
    s.AutotakeRunning = -1;
    s.CrossfadeRunning = 0;
    bothRed(true);
    Run_Autotake.setCaption("Pause");
    setStatus(" Autotake Running ");
    fadeTiming(false);
    RecomputeScreenFunctionLevels();
    return;
  }
  SourceScreen = s.LiveScreen;
  if (validScreen(target) && target <= s.ScreenCount) s.LiveScreen = static_cast<int16_t>(target);
  s.CrossfadePos = 0;
  LastCrossfadeValue = static_cast<int16_t>(Run_Crossfade.Value());
  s.AutotakeRunning = -1;
  s.CrossfadeRunning = 0;
  Delay_Timer.setEnabled(false);
  setStatus(" Autotake Running " + Num(SourceScreen) + " To " + Num(s.LiveScreen));
  bothRed(true);
  Run_Autotake.setCaption("Pause");
  StartScreenSequences(s.LiveScreen);
  FadeDown = FadeDown ? 0 : -1;
  setSide(FadeDown != 0, SourceScreen);
  setSide(FadeDown == 0, s.LiveScreen);
  fadeTiming(true);
  RecomputeScreenFunctionLevels();
}

void Playdesk::Timer2_Timer() {
  DeskState& s = desk().state;
  if (s.AutotakeRunning) s.CrossfadePos = static_cast<int16_t>(std::min(s.CrossfadePos + FadeStep, 510));
  const int pos = std::clamp<int>(s.CrossfadePos, 0, 255);
  Run_Crossfade.setValue(FadeDown ? 255 - pos : pos);
  if (s.CrossfadePos >= 252) CompleteTake();
}

void Playdesk::Run_Crossfade_Change() {
  DeskState& s = desk().state;
  if (!s.RunMode || s.AutotakeRunning) return;
  const int x = std::clamp(Run_Crossfade.Value(), 0, 255);
  if (std::abs(x - LastCrossfadeValue) < 1) return;
  if (!s.CrossfadeRunning) {
    FadeDown = x < LastCrossfadeValue ? -1 : 0;
    // A take starts as the fader passes a threshold leaving its end; moving
    // on past the end of a completed take starts nothing more.
    const bool down = FadeDown && x < 220 && LastCrossfadeValue >= 220;
    const bool up = !FadeDown && x >= 36 && LastCrossfadeValue < 36;
    if (down || up) {
      s.CrossfadeRunning = -1;
      SourceScreen = s.LiveScreen;
      if (down) {
        if (UpcomingScreen <= s.ScreenCount && validScreen(UpcomingScreen)) s.LiveScreen = UpcomingScreen;
      } else {
        if (validScreen(UpcomingScreen)) s.LiveScreen = UpcomingScreen;
        const int next = s.Screens[s.LiveScreen].Next;
        if (validScreen(next)) {
          Run_screen_sel.setValue(next);
          Run_screen_sel_Change();
        }
      }
      bothRed(true);
      setSide(FadeDown != 0, SourceScreen);
      setSide(FadeDown == 0, s.LiveScreen);
      StartScreenSequences(s.LiveScreen);
      RecomputeScreenFunctionLevels();
    }
  }
  if (s.CrossfadeRunning) {
    s.CrossfadePos = static_cast<int16_t>(FadeDown ? 255 - x : x);
    if (s.CrossfadePos > 240) CompleteTake();
  }
  LastCrossfadeValue = static_cast<int16_t>(x);
}

void Playdesk::Run_screen_sel_Change() {
  DeskState& s = desk().state;
  const int v = Run_screen_sel.Value();
  if (v < 1 || v > 198) return;
  UpcomingScreen = static_cast<int16_t>(v);
  Run_nxtscreen.setCaption(std::to_string(v) + " " + s.Screens[v].Name);
  Run_Fade_Time.setCaption(std::to_string(s.Screens[v].Time) + " s");
  if (!s.AutotakeRunning && !s.CrossfadeRunning) setSide(FadeDown != 0, v);
}

void Playdesk::loadScreenIntoDesk(int n) {
  DeskState& s = desk().state;
  const ScreenRecord& r = s.Screens[n];
  for (int k = 0; k < kDeskChannels; ++k) s.DeskLevels[k] = r.Preset[k];
  s.PlayButtonState = r.ButtonSel;
  s.PlayFaderLevel = r.FaderSel;
  desk().mainDesk().RefreshDesk();
  StartScreenSequences(n);
  Preset.setValue(255 - std::clamp<int>(r.PresetLevel, 0, 255));
  loadingFader_ = true;
  Screen_Fade_Time.setValueD(r.Time);
  loadingFader_ = false;
  screen_txt.setText(r.Name);
  RedrawPlaydesk();
  RecomputeFunctionLevels();
}

void Playdesk::CompleteTake() {
  DeskState& s = desk().state;
  s.AutotakeRunning = 0;
  s.CrossfadeRunning = 0;
  Timer2.setEnabled(false);
  s.CrossfadePos = 255;
  if (!validScreen(s.LiveScreen)) s.LiveScreen = 0;
  const ScreenRecord& live = s.Screens[s.LiveScreen];
  // The follow-on screen: a Next outside the store is refused, never followed.
  const int next = live.Next;
  bool followOn = false;
  if (validScreen(next)) {
    Run_screen_sel.setValue(next);
    Run_screen_sel_Change();
    followOn = UpcomingScreen == next && next <= s.ScreenCount;
    Run_Fade_Time.setCaption(std::to_string(s.Screens[next].Time) + " s");
  }
  CurrentScreen = s.LiveScreen;
  Screen_Num_sel.setValue(s.LiveScreen);
  Run_Autotake.setCaption("Auto Take");
  setStatus(" Autotake Complete ");
  bothRed(false);
  setSide(FadeDown == 0, s.LiveScreen);
  setSide(FadeDown != 0, UpcomingScreen);
  loadScreenIntoDesk(s.LiveScreen);
  if (PlaySurface* s = desk().links().surface) s->FollowPlayDesk();
  if (live.Auto) {
    if (!followOn) {
      setStatus(" Next Cue " + Num(next) + " Refused");
    } else if (live.Delay < 1) {
      Take(UpcomingScreen);
    } else {
      DelayCounter = live.Delay;
      Delay_Timer.setEnabled(true);
      setStatus(" Delay Counter " + Num(DelayCounter));
    }
  }
}

void Playdesk::Delay_Timer_Timer() {
  DeskState& s = desk().state;
  --DelayCounter;
  setStatus(" Delay Counter " + Num(DelayCounter));
  if (DelayCounter < 1) {
    Delay_Timer.setEnabled(false);
    if (s.RunMode && !s.AutotakeRunning) Take(UpcomingScreen);
  }
}

}  // namespace lumora
