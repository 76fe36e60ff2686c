// The play desk's screens: storing, recalling and editing the cue list.
#include "playback/playdesk.h"

#include <algorithm>
#include <string>

#include "platform/desk_base.h"
#include "core/levels.h"

namespace lumora {

// ------------------------------------------------------- screen programming

void Playdesk::ShowScreen() {
  if (!validScreen(CurrentScreen)) return;
  const ScreenRecord& r = desk().state.Screens[CurrentScreen];
  Screen_num.setCaption(std::to_string(CurrentScreen));
  screen_txt.setText(r.Name);
  Cue_Colour.setBackColor(r.Colour.empty() ? -1 : static_cast<int32_t>(Val(r.Colour)));
  Auto_next.setValue(r.Auto ? 1 : 0);
  Screen_instant_box.setValue(r.Instant ? 1 : 0);
  loadingFader_ = true;
  Screen_Fade_Time.setValueD(r.Time);
  loadingFader_ = false;
}

void Playdesk::Screen_Num_sel_Change() {
  const int v = Screen_Num_sel.Value();
  if (!validScreen(v)) return;
  CurrentScreen = static_cast<int16_t>(v);
  ShowScreen();
}

void Playdesk::Screen_Prog_Click() {
  DeskState& s = desk().state;
  const int n = CurrentScreen;
  if (s.RunMode || !validScreen(n)) return;
  ScreenRecord& r = s.Screens[n];
  for (int k = 0; k < kDeskChannels; ++k) r.Preset[k] = s.DeskLevels[k];
  r.ButtonSel = s.PlayButtonState;
  r.FaderSel = s.PlayFaderLevel;
  r.PresetLevel = static_cast<int16_t>(255 - std::clamp(Preset.Value(), 0, 255));
  r.Auto = Auto_next.Value() ? -1 : 0;
  r.Time = std::max<int16_t>(0, Nearest(Screen_Fade_Time.ValueD()));
  r.Name = screen_txt.Text();
  r.Instant = Screen_instant_box.Value() ? -1 : 0;
  if (n >= s.ScreenCount) s.ScreenCount = static_cast<int16_t>(n + 1);
  s.ProjectChanged = -1;
  setStatus(" Cue " + Num(n) + " Recorded");
  CurrentScreen = static_cast<int16_t>(std::min(n + 1, kScreens - 1));
  Screen_Num_sel.setValue(CurrentScreen);
  ShowScreen();
}

void Playdesk::Screen_Fade_Time_Change(double v) {
  Fade_Time_txt.setCaption(VRLogSlider::Format(v, 3) + " s");
  // Showing a screen's time is not an edit of it.
  if (loadingFader_ || !validScreen(CurrentScreen)) return;
  desk().state.Screens[CurrentScreen].Time = std::max<int16_t>(0, Nearest(v));
}

void Playdesk::Screen_Recall_Click() {
  if (desk().state.RunMode) return;
  RecallScreen(CurrentScreen);
}

void Playdesk::RecallScreen(int n) {
  DeskState& s = desk().state;
  if (!validScreen(n)) return;
  CurrentScreen = static_cast<int16_t>(n);
  Screen_Num_sel.setValue(n);
  const ScreenRecord& r = s.Screens[n];
  screen_txt.setText(r.Name);
  for (int k = 0; k < kDeskChannels; ++k) s.DeskLevels[k] = r.Preset[k];
  desk().mainDesk().RefreshDesk();
  s.PlayFaderLevel = r.FaderSel;
  for (int b = 0; b <= kPlayButtons; ++b) {
    const bool comesOn = s.PlayButtonState[b] == 0 && r.ButtonSel[b] != 0;
    s.PlayButtonState[b] = r.ButtonSel[b];
    if (comesOn && b < kPlayButtons && s.ButtonFunctions[b].Function == kFnSequence)
      StartSequence(s.ButtonFunctions[b].Value);
  }
  Preset.setValue(255 - std::clamp<int>(r.PresetLevel, 0, 255));
  RedrawPlaydesk();
  RecomputeFunctionLevels();
  if (PlaySurface* s = desk().links().surface) s->FollowPlayDesk();
  setStatus(" Screen " + Num(n) + " Recalled");
}

void Playdesk::CopyCue(int n) {
  DeskState& s = desk().state;
  if (!validScreen(n)) return;
  ScreenClipboard = s.Screens[n];
  s.ProjectChanged = -1;
  setStatus(" Cue " + Num(n) + " Copied");
}

void Playdesk::PasteCue(int n) {
  DeskState& s = desk().state;
  if (!validScreen(n)) return;
  s.Screens[n] = ScreenClipboard;
  if (n > s.ScreenCount) s.ScreenCount = static_cast<int16_t>(n);
  s.ProjectChanged = -1;
  setStatus(" Cue " + Num(n) + " Pasted");
  RedrawPlaydesk();
}

void Playdesk::InsertCue(int n) {
  DeskState& s = desk().state;
  if (!validScreen(n)) return;
  if (n >= s.ScreenCount) {
    setStatus(" Cue " + Num(n) + " Not Inserted");
  } else if (s.ScreenCount >= kScreens - 1) {
    // The last screen would be pushed out of the store.
    setStatus(" Cue Store Full, Cue " + Num(n) + " Not Inserted");
  } else {
    for (int k = s.ScreenCount; k >= n; --k) s.Screens[k + 1] = s.Screens[k];
    ClearScreen(s, n);
    ++s.ScreenCount;
    s.ProjectChanged = -1;
    setStatus(" Cue " + Num(n) + " Inserted");
  }
  RedrawPlaydesk();
}

void Playdesk::DeleteCue(int n) {
  DeskState& s = desk().state;
  if (!validScreen(n)) return;
  if (n >= s.ScreenCount || s.ScreenCount < 2) {
    setStatus(" Cue " + Num(n) + " Not Deleted");
  } else {
    const int last = std::min<int>(s.ScreenCount, kScreens - 1);
    for (int k = n + 1; k <= last; ++k) s.Screens[k - 1] = s.Screens[k];
    ClearScreen(s, last);
    --s.ScreenCount;
    s.ProjectChanged = -1;
    setStatus(" Cue " + Num(n) + " Deleted");
  }
  RedrawPlaydesk();
}

void Playdesk::Cue_Clear_Click() {
  if (!validScreen(CurrentScreen)) return;
  ClearScreen(desk().state, CurrentScreen);
  setStatus(" Cue " + Num(CurrentScreen) + " Cleared");
  RedrawPlaydesk();
}

void Playdesk::Cue_Colour_Click() {
  DeskState& s = desk().state;
  if (!validScreen(CurrentScreen)) return;
  ScreenRecord& r = s.Screens[CurrentScreen];
  const int32_t initial = r.Colour.empty() ? 0 : static_cast<int32_t>(Val(r.Colour));
  // A cancelled chooser reports the colour it started from.
  const int32_t c = desk().dialogs().ChooseColour(" Choose a Colour", initial).value_or(initial);
  r.Colour = std::to_string(c);
  s.ProjectChanged = -1;
  Cue_Colour.setBackColor(c);
}

}  // namespace lumora
