#include "core/hoofdblad.h"

#include "app/desk.h"
#include "core/levels.h"
#include "core/output_tick.h"
#include "core/realout.h"
#include "output/opendmx.h"
#include "playback/playdesk.h"
#include "remote/cli.h"

namespace lumora {

namespace {
constexpr int32_t kGreen = RGB(0, 255, 0);
constexpr int32_t kBlack = RGB(0, 0, 0);
}  // namespace

Hoofdblad::Hoofdblad(Desk& desk) : Form(desk, "Hoofdblad") {
  setCaption("Lumora DMX Desk");
  for (int k = 0; k < 32; ++k) {
    Command1[k].setCaption("Max");
    Command2[k].setCaption("Min");
  }
  channels.setToolTipText("Channels Main");
  Main.setToolTipText("Main Level");
  Inc_Channel.setCaption(">>");
  Dec_Channels.setCaption("<<");
  Clearall.setCaption("Clear");
  Timer1.setInterval(70);
  Timer1.onTimer = [this] { Timer1_Timer(); };
  Slider1.onChange([this](int k) { Slider1_Change(k); });
  Main.onChange = [this] { Main_Change(); };
  eruit.onClick = [this] { eruit_Click(); };
}

int Hoofdblad::ChannelOf(int k) const { return desk().state.FaderBank * 32 + k; }

void Hoofdblad::setFaderHints() {
  for (int k = 0; k < 32; ++k) {
    const std::string c = std::to_string(ChannelOf(k) + 1);
    const auto& info = desk().state.ChannelInfo[ChannelOf(k)];
    Slider1[k].setToolTipText("level on channel " + c);
    Command1[k].setToolTipText("Max on channel " + c);
    Command2[k].setToolTipText("Min on channel " + c);
    Text1[k].setToolTipText("Channel level " + c);
    Text3[k].setToolTipText(" Ch " + c + (info.Desc.empty() ? "" : " " + info.Desc));
  }
}

void Hoofdblad::DeskInit() {
  DeskState& s = desk().state;
  DeskInitTables(s);
  s.CurrentSubmix = 0;
  Text9.setText("1");
  Submix_Text.setText(" ");
  channels.setValue(0);
  Main.setValue(0);
  Submix.setValue(255);
  setFaderHints();
  s.FaderBank = 0;
  Dec_Channels.setEnabled(false);
  Inc_Channel.setEnabled(true);
  for (int i = 0; i < kDeskChannels; ++i) s.DeskLevels[i] = 0;
  RefreshDesk();
  Status.setText(" Main Desk Running ");
}

void Hoofdblad::RefreshDesk() {
  DeskState& s = desk().state;
  for (int k = 0; k < 32; ++k) {
    const int c = ChannelOf(k);
    const auto& info = s.ChannelInfo[c];
    const std::string num = std::to_string(c + 1);
    Slider1[k].setValue(255 - s.DeskLevels[c]);
    Text1[k].setText(Num(s.DeskLevels[c]));
    Text3[k].setText(info.Desc.empty() ? num : info.Name);
    Text3[k].setToolTipText(" Ch " + num + (info.Desc.empty() ? "" : " " + info.Desc));
    Slider1[k].setToolTipText(" Channel " + num + (info.Desc.empty() ? "" : " " + info.Desc));
    const int32_t colour = info.Colour.empty() ? -1 : static_cast<int32_t>(Val(info.Colour));
    Text3[k].setBackColor(colour);
    Text1[k].setBackColor(info.Colour == kDefaultChannelColour ? kGreen : colour);
  }
  const auto& sub = s.Submixes[s.CurrentSubmix];
  Text9.setText(std::to_string(s.CurrentSubmix + 1));
  Submix_Text.setText(sub.Name);
  if (!sub.Colour.empty()) Sub_colour.setBackColor(static_cast<int32_t>(Val(sub.Colour)));
}

void Hoofdblad::Form_Load() {
  DeskState& s = desk().state;
  s.PortAddress = 888;
  s.ProjectChanged = 0;
  DeskInit();
  desk().playdesk().Show();
  Timer1.setEnabled(true);
}

void Hoofdblad::eruit_Click() {
  Desk& d = desk();
  if (exiting_ || d.ended()) return;
  Status.setText(" Exit Software");
  d.playdesk().Status.setText(" Exit Software");
  if (d.state.ProjectChanged == -1 &&
      !d.dialogs().Ask("Current Project is not saved Are You Sure ", " Reset Desk"))
    return;
  d.state.ProjectChanged = 0;
  exiting_ = true;
  UsbCloseIfOpen(d);
  d.UnloadAll();
}

void Hoofdblad::Form_Unload(bool& cancel) {
  // Closing the main window is the exit operation; during the exit itself the
  // window simply goes.
  if (exiting_ || desk().unloading()) return;
  eruit_Click();
  cancel = true;
}

void Hoofdblad::Form_KeyDown(int keyCode, int shift) {
  (void)shift;
  desk().cli().KeyInput(keyCode);
}

void Hoofdblad::Timer1_Timer() {
  Desk& d = desk();
  Picture2.setBackColor(kGreen);
  TickMasters m;
  m.channels = channels.Value();
  m.submix = Submix.Value();
  m.playMain = d.playdesk().Main.Value();
  m.preset = d.playdesk().Preset.Value();
  MixFrame(d.state, m);
  Realout& mon = d.realout();
  if (mon.Loaded() && mon.Visible()) mon.UpdateBars();
  d.SendFrame();
  Picture2.setBackColor(kBlack);
}

void Hoofdblad::Slider1_Change(int k) {
  const int level = 255 - Slider1[k].Value();
  Text1[k].setText(Num(level));
  desk().state.DeskLevels[ChannelOf(k)] = static_cast<int16_t>(level);
}

void Hoofdblad::Main_Change() { desk().playdesk().Main.setValue(Main.Value()); }

}  // namespace lumora
