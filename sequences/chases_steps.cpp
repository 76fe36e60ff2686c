// The chase editor's step list and channels: adding, removing, copying and
// shifting steps, and each channel's level and function.
#include "sequences/chases_form.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/desk_base.h"
#include "core/levels.h"

namespace lumora {

namespace {
constexpr int32_t kWhite = RGB(255, 255, 255);

std::string NumberText(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  return buf;
}
}  // namespace

// --- steps --------------------------------------------------------------

void Chases::runningStepChange() {
  const ChaseRecord& r = chase();
  PrepareStep(r, eng_.currentStep, eng_.previousStep, eng_.ch);
  for (int c = 0; c < kChaseUsedChannels; ++c) setFunctionButton(c, r.Fade[static_cast<std::size_t>(step())][static_cast<std::size_t>(c)]);
  Step_Bar.setValue(0);
  Fade_Bar.setValue(0);
  Timer1.setInterval(StepPeriodMs(r.Speed[static_cast<std::size_t>(step())]));
}

void Chases::Chase_Plus_Click() {
  const ChaseRecord& r = chase();
  eng_.previousStep = eng_.currentStep;
  eng_.fadeElapsed = 0;
  eng_.stepElapsed = 0;
  const bool atEnd = eng_.currentStep >= r.Steps;
  if (eng_.running && atEnd && r.Loop != 0) {
    // A counted chase stepped past its end by hand stops there.
    showStepNumber();
    StopAtEnd();
    return;
  }
  eng_.currentStep = atEnd ? 1 : static_cast<int16_t>(eng_.currentStep + 1);
  showStepNumber();
  if (eng_.running) runningStepChange();
  else RedrawStep();
}

void Chases::Chase_Minus_Click() {
  const ChaseRecord& r = chase();
  eng_.previousStep = eng_.currentStep;
  eng_.fadeElapsed = 0;
  eng_.stepElapsed = 0;
  eng_.currentStep = eng_.currentStep < 2 ? r.Steps : static_cast<int16_t>(eng_.currentStep - 1);
  showStepNumber();
  if (eng_.running) runningStepChange();
  else RedrawStep();
}

void Chases::Steps_Add_Click() {
  ChaseRecord& r = chase();
  if (r.Steps >= 32) return;
  r.Steps = static_cast<int16_t>(std::max<int>(r.Steps, 0) + 1);  // a damaged count restarts at 1
  if (Global_fade_sw.Value()) {
    // The new step takes the all-channels function.
    for (int c = 0; c < kChaseUsedChannels; ++c) r.Fade[static_cast<std::size_t>(r.Steps)][static_cast<std::size_t>(c)] = fnAll_;
  }
  desk().state.ProjectChanged = -1;
  showSteps();
}

void Chases::Steps_subtract_Click() {
  ChaseRecord& r = chase();
  if (r.Steps <= 1) return;
  --r.Steps;
  desk().state.ProjectChanged = -1;
  if (eng_.currentStep > r.Steps) {
    eng_.currentStep = r.Steps;
    if (!eng_.running) RedrawStep();
    else showStepNumber();
  }
  showSteps();
}

namespace {
void CopyRow(ChaseRecord& r, int from, int to) {
  for (int c = 0; c < kChaseUsedChannels; ++c) {
    r.Data[static_cast<std::size_t>(to)][static_cast<std::size_t>(c)] = r.Data[static_cast<std::size_t>(from)][static_cast<std::size_t>(c)];
    r.Fade[static_cast<std::size_t>(to)][static_cast<std::size_t>(c)] = r.Fade[static_cast<std::size_t>(from)][static_cast<std::size_t>(c)];
  }
  r.Speed[static_cast<std::size_t>(to)] = r.Speed[static_cast<std::size_t>(from)];
  r.Time[static_cast<std::size_t>(to)] = r.Time[static_cast<std::size_t>(from)];
}
}  // namespace

void Chases::Insert_Click() {
  if (eng_.running) return;
  ChaseRecord& r = chase();
  if (r.Steps >= 32 || r.Steps < 1) return;
  // A current step left beyond the list (after removing the last step)
  // inserts after the last step instead of past the table's end.
  const int cur = std::min<int>(eng_.currentStep, r.Steps);
  for (int s = r.Steps; s >= cur + 1; --s) CopyRow(r, s, s + 1);
  for (int c = 0; c < kChaseUsedChannels; ++c) r.Data[static_cast<std::size_t>(cur + 1)][static_cast<std::size_t>(c)] = 0;
  ++r.Steps;
  desk().state.ProjectChanged = -1;
  showSteps();
  RedrawStep();
}

void Chases::Remove_Step_Click() {
  if (eng_.running) return;
  ChaseRecord& r = chase();
  if (r.Steps <= 1) return;
  // A step count from a damaged file never moves rows past the table.
  const int last = std::min<int>(r.Steps, kChaseSteps - 1);
  for (int s = std::max<int>(eng_.currentStep, 1); s <= last - 1; ++s) CopyRow(r, s + 1, s);
  r.Steps = static_cast<int16_t>(last - 1);
  desk().state.ProjectChanged = -1;
  showSteps();
  RedrawStep();
}

void Chases::Command_Copy_Click() {
  if (eng_.running) return;
  const ChaseRecord& r = chase();
  const auto s = static_cast<std::size_t>(step());
  for (std::size_t c = 0; c < kChaseUsedChannels; ++c) {
    clip_.data[c] = r.Data[s][c];
    clip_.fade[c] = r.Fade[s][c];
  }
  clip_.time = Nearest(r.Time[s]);
  clip_.speed = Nearest(r.Speed[s]);
}

void Chases::Command_Paste_Click() {
  if (eng_.running) return;
  ChaseRecord& r = chase();
  const auto s = static_cast<std::size_t>(step());
  for (std::size_t c = 0; c < kChaseUsedChannels; ++c) {
    r.Data[s][c] = clip_.data[c];
    r.Fade[s][c] = clip_.fade[c];
  }
  r.Time[s] = clip_.time;
  r.Speed[s] = clip_.speed;
  desk().state.ProjectChanged = -1;
  RedrawStep();
}

void Chases::Command3_Click() {
  for (int c = 0; c < kPlainChaseChannels; ++c) {
    Slider1[c].setValue(255);
    Slider1_Change(c);
    Picture1[c].setBackColor(kWhite);
  }
  if (movingShown_ && !eng_.running) {
    ChaseRecord& r = chase();
    for (int c = kPlainChaseChannels; c < kChaseUsedChannels; ++c) {
      r.Data[static_cast<std::size_t>(step())][static_cast<std::size_t>(c)] = 0;
      liveWrite(c);
    }
    RedrawMovingDesk();
  }
}

void Chases::Shift_Neg_Click() {
  if (eng_.running) return;
  ChaseRecord& r = chase();
  auto& d = r.Data[static_cast<std::size_t>(step())];
  auto& f = r.Fade[static_cast<std::size_t>(step())];
  std::rotate(d.begin(), d.begin() + 1, d.begin() + kPlainChaseChannels);
  std::rotate(f.begin(), f.begin() + 1, f.begin() + kPlainChaseChannels);
  desk().state.ProjectChanged = -1;
  RedrawStep();
}

void Chases::Shift_Pos_Click() {
  if (eng_.running) return;
  ChaseRecord& r = chase();
  auto& d = r.Data[static_cast<std::size_t>(step())];
  auto& f = r.Fade[static_cast<std::size_t>(step())];
  std::rotate(d.begin(), d.begin() + kPlainChaseChannels - 1, d.begin() + kPlainChaseChannels);
  std::rotate(f.begin(), f.begin() + kPlainChaseChannels - 1, f.begin() + kPlainChaseChannels);
  desk().state.ProjectChanged = -1;
  RedrawStep();
}

// --- channels -----------------------------------------------------------

void Chases::Slider1_Change(int c) {
  if (eng_.running || loading_) return;
  const int v = std::clamp(Slider1[c].Value(), 0, 255);
  Picture1[c].setBackColor(RGB(255, v, v));
  auto& cell = chase().Data[static_cast<std::size_t>(step())][static_cast<std::size_t>(c)];
  if (cell != 255 - v) desk().state.ProjectChanged = -1;
  cell = static_cast<int16_t>(255 - v);
  liveWrite(c);
}

void Chases::Text1_Change(int c) {
  if (loading_) return;
  ChaseRecord& r = chase();
  const std::string t = Text1[c].Text();
  auto& chan = r.Channels[static_cast<std::size_t>(c)];
  double v = 0;
  if (!ParseReal(t, v)) {
    bool blank = t.find_first_not_of(' ') == std::string::npos;
    if (blank) return;  // being typed over
    desk().dialogs().Message(" Channel Values must be between 1 - 63", " Channel Error", MsgIcon::Exclamation);
    Text1[c].setText(std::to_string(chan + 1));
    return;
  }
  if (!(v > 0 && v < 63) || Nearest(v - 1) > 61) {
    // Refused: the entry goes back to the channel it drives (one message).
    desk().dialogs().Message(" Channel Values must be between 1 - 63", " Channel Error", MsgIcon::Exclamation);
    Text1[c].setText(std::to_string(chan + 1));
    return;
  }
  if (eng_.live && !eng_.running && chan >= 0 && chan <= 63) desk().state.ChaseLevels[static_cast<std::size_t>(chan)] = 0;
  const int16_t nv = Nearest(v - 1);
  if (nv != chan) desk().state.ProjectChanged = -1;
  chan = nv;
  liveWrite(c);
  const auto& info = desk().state.ChannelInfo[static_cast<std::size_t>(chan)];
  Text1[c].setToolTipText(" Desk Channel " + std::to_string(chan + 1) + (info.Desc.empty() ? "" : " " + info.Desc));
  if (Check1.Value() && c < kChaseUsedChannels - 1) {
    const double next = v + 1 > 62 ? v : v + 1;
    Text1[c + 1].setText(NumberText(next));
    Text1_Change(c + 1);
  }
}

void Chases::Ch_Function_Click(int c) {
  ChaseRecord& r = chase();
  const int cur = r.Fade[static_cast<std::size_t>(step())][static_cast<std::size_t>(c)];
  const int16_t next = cur == kChaseOff ? kChaseFade : (cur == kChaseFade ? kChaseStep : kChaseOff);
  r.Fade[static_cast<std::size_t>(step())][static_cast<std::size_t>(c)] = next;
  if (Global_fade_sw.Value())
    for (int s = 0; s <= std::min<int>(r.Steps, kChaseSteps - 1); ++s) r.Fade[static_cast<std::size_t>(s)][static_cast<std::size_t>(c)] = next;
  desk().state.ProjectChanged = -1;
  setFunctionButton(c, next);
  applyFunction(c, next);
  if (next != kChaseOff) setIndicator(c, r.Data[static_cast<std::size_t>(step())][static_cast<std::size_t>(c)]);
  if (c >= kPlainChaseChannels && movingShown_) RedrawMovingDesk();
}

void Chases::Ch_Function_All_Click() {
  ChaseRecord& r = chase();
  const int16_t next = fnAll_ == 0 ? kChaseFade : (fnAll_ == 1 ? kChaseStep : kChaseOff);
  const int last = movingShown_ ? kChaseUsedChannels : kPlainChaseChannels;
  for (int c = 0; c < last; ++c) {
    r.Fade[static_cast<std::size_t>(step())][static_cast<std::size_t>(c)] = next;
    if (Global_fade_sw.Value())
      for (int s = 0; s <= std::min<int>(r.Steps, kChaseSteps - 1); ++s) r.Fade[static_cast<std::size_t>(s)][static_cast<std::size_t>(c)] = next;
    setFunctionButton(c, next);
    applyFunction(c, next);
    if (next != kChaseOff) setIndicator(c, r.Data[static_cast<std::size_t>(step())][static_cast<std::size_t>(c)]);
  }
  fnAll_ = next;
  desk().state.ProjectChanged = -1;
  if (movingShown_) RedrawMovingDesk();
}

}  // namespace lumora
