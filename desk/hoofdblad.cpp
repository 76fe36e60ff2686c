#include "desk/hoofdblad.h"

#include <algorithm>

#include "platform/desk_base.h"
#include "desk/about.h"
#include "desk/channel_names.h"
#include "desk/editpatchlist.h"
#include "core/levels.h"
#include "core/output_tick.h"
#include "output/output_wire.h"
#include "remote/bcf.h"
#include "desk/realout.h"
#include "output/art_config.h"
#include "output/portsetup.h"
#include "output/opendmx.h"
#include "playback/playdesk.h"
#include "remote/bcf_configure.h"
#include "remote/cli.h"
#include "sequences/chases_form.h"

namespace lumora {

namespace {
constexpr int32_t kGreen = RGB(0, 255, 0);
constexpr int32_t kBlack = RGB(0, 0, 0);
}  // namespace

Hoofdblad::Hoofdblad(DeskBase& desk) : Form(desk, "Hoofdblad") {
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
  // With no adapter selected the tick only recomputes the frame, which stays
  // as it is until something changes; an adapter's step polls its device
  // every tick.
  Timer1.mayRest = [this] { return this->desk().state.AdapterType == 0 && OutputWire::TickMayRest(this->desk()); };
  Timer1.passive = true;  // the frame it makes feeds the wire, no other timer
  Timer1.exact = true;    // output health measures its periods
  Submix.setToolTipText("Sub Main");
  Submix_Plus.setCaption("+");
  Submix_Minus.setCaption("-");
  Submix_Prog.setCaption("Program");
  Submix_Recal.setCaption("Recall");
  Slider1.onChange([this](int k) { Slider1_Change(k); });
  Main.onChange = [this] { Main_Change(); };
  eruit.onClick = [this] { eruit_Click(); };

  Command1.onClick([this](int k) { Command1_Click(k); });
  Command2.onClick([this](int k) { Command2_Click(k); });
  Inc_Channel.onClick = [this] { Inc_Channel_Click(); };
  Dec_Channels.onClick = [this] { Dec_Channels_Click(); };
  // A right press on the fader or either box, or a double click on a box,
  // picks the channel.
  auto pickOnRight = [this](int k, MouseButton b, int, int) {
    if (b == MouseButton::Right) PickChannel(k);
  };
  Slider1.onMouseDown(pickOnRight);
  Text1.onMouseDown(pickOnRight);
  Text3.onMouseDown(pickOnRight);
  Text1.onDblClick([this](int k) { PickChannel(k); });
  Text3.onDblClick([this](int k) { PickChannel(k); });
  Text1.onClick([this](int k) { Text1[k].SetFocus(); });
  Clearall.onClick = [this] { Clearall_Click(); };
  resetdesk.onClick = [this] { resetdesk_Click(); };

  Submix_Plus.onClick = [this] { Submix_Plus_Click(); };
  Submix_Minus.onClick = [this] { Submix_Minus_Click(); };
  Submix_Prog.onClick = [this] { Submix_Prog_Click(); };
  Submix_Recal.onClick = [this] { Submix_Recal_Click(); };
  Sub_colour.onClick = [this] { Sub_colour_Click(); };

  // Items that only open another window.
  auto opens = [](Control& c, std::function<Form&()> window) { c.onClick = [window] { window().Show(); }; };
  opens(Channel_Edit, [this]() -> Form& {
    Channel_Names& w = this->desk().window<Channel_Names>();
    w.Show();
    w.ShowChannelInfo();
    return w;
  });
  opens(editpatch, [this]() -> Form& { return this->desk().window<editpatchlist>(); });
  opens(realoutput, [this]() -> Form& { return this->desk().window<Realout>(); });
  opens(Command22, [this]() -> Form& { return this->desk().window<Realout>(); });
  opens(port_setup, [this]() -> Form& { return this->desk().window<Portsetup>(); });
  opens(Art_setup, [this]() -> Form& { return this->desk().window<Art_Config>(); });
  opens(BCF2000_setup, [this]() -> Form& { return this->desk().window<BCF_configure>(); });
  opens(CLI_sel, [this]() -> Form& { return this->desk().window<CLI>(); });
  opens(Chase_Screen, [this]() -> Form& { return this->desk().window<Chases>(); });
  opens(Command3, [this]() -> Form& { return this->desk().window<Chases>(); });
  opens(Command21, [this]() -> Form& { return this->desk().window<Playdesk>(); });
  opens(Aboutmenu, [this]() -> Form& { return this->desk().window<frmAbout>(); });
}

int Hoofdblad::ChannelOf(int k) const { return std::clamp<int>(this->desk().state.FaderBank, 0, 1) * 32 + k; }

namespace {
std::string ChannelHint(const std::string& lead, const std::string& num, const std::string& desc) {
  return lead + num + (desc.empty() ? "" : " " + desc);
}
int32_t ColourOf(const std::string& text) { return text.empty() ? -1 : static_cast<int32_t>(Val(text)); }
}  // namespace

void Hoofdblad::setFaderHints() {
  for (int k = 0; k < 32; ++k) {
    const std::string c = std::to_string(ChannelOf(k) + 1);
    const auto& info = desk().state.ChannelInfo[ChannelOf(k)];
    Slider1[k].setToolTipText("level on channel " + c);
    Command1[k].setToolTipText("Max on channel " + c);
    Command2[k].setToolTipText("Min on channel " + c);
    Text1[k].setToolTipText("Channel level " + c);
    Text3[k].setToolTipText(ChannelHint(" Ch ", c, info.Desc));
  }
}

void Hoofdblad::setBankButtons() {
  Dec_Channels.setEnabled(desk().state.FaderBank > 0);
  Inc_Channel.setEnabled(desk().state.FaderBank < 1);
}

void Hoofdblad::DeskInit() {
  DeskState& s = desk().state;
  DeskInitTables(s);
  s.CurrentSubmix = 0;
  Text9.setText("1");
  Submix_Text.setText(" ");
  Sub_colour.setBackColor(-1);
  channels.setValue(0);
  Main.setValue(0);
  Main_Change();
  Submix.setValue(255);
  s.FaderBank = 0;
  setFaderHints();
  setBankButtons();
  for (int i = 0; i < kDeskChannels; ++i) s.DeskLevels[i] = 0;
  // Fader positions, level and name boxes of the strip; the start-up hints
  // stay as set above until the first refresh.
  for (int k = 0; k < 32; ++k) {
    const int c = ChannelOf(k);
    const auto& info = s.ChannelInfo[c];
    Slider1[k].setValue(255 - s.DeskLevels[c]);
    Text1[k].setText(Num(s.DeskLevels[c]));
    Text3[k].setText(info.Desc.empty() ? std::to_string(c + 1) : info.Name);
    Text3[k].setBackColor(ColourOf(info.Colour));
    Text1[k].setBackColor(info.Colour == kDefaultChannelColour ? kGreen : ColourOf(info.Colour));
  }
  Status.setText(" Main Desk Running ");
}

void Hoofdblad::RefreshDesk() {
  DeskState& s = desk().state;
  for (int k = 0; k < 32; ++k) {
    const int c = ChannelOf(k);
    const auto& info = s.ChannelInfo[c];
    const std::string num = std::to_string(c + 1);
    // A fader that moves raises its Change, as the platform does: that is the
    // surface's echo of the new level (or the one echo a surface move
    // suppresses).
    Slider1[k].WriteValue(255 - s.DeskLevels[c]);
    Text1[k].setText(Num(s.DeskLevels[c]));
    Text3[k].setText(info.Desc.empty() ? num : info.Name);
    Text3[k].setToolTipText(ChannelHint(" Ch ", num, info.Desc));
    Slider1[k].setToolTipText(ChannelHint(" Channel ", num, info.Desc));
    // The channel-number hints of the buttons and the level box follow the
    // bank too, so they never name a channel the fader no longer shows.
    Command1[k].setToolTipText("Max on channel " + num);
    Command2[k].setToolTipText("Min on channel " + num);
    Text1[k].setToolTipText("Channel level " + num);
    Text3[k].setBackColor(ColourOf(info.Colour));
    Text1[k].setBackColor(info.Colour == kDefaultChannelColour ? kGreen : ColourOf(info.Colour));
  }
  const auto& sub = s.Submixes[s.CurrentSubmix];
  Text9.setText(std::to_string(s.CurrentSubmix + 1));
  Submix_Text.setText(sub.Name);
  if (!sub.Colour.empty()) Sub_colour.setBackColor(ColourOf(sub.Colour));
  syncChannelNames();
}

void Hoofdblad::syncChannelNames() {
  Channel_Names& w = desk().window<Channel_Names>();
  if (w.Loaded()) w.SyncLevel();
}

void Hoofdblad::Form_Load() {
  DeskState& s = desk().state;
  s.PortAddress = 888;
  s.ProjectChanged = 0;
  DeskInit();
  desk().window<Playdesk>().Show();
  Timer1.setEnabled(true);
}

void Hoofdblad::eruit_Click() {
  DeskBase& d = desk();
  if (exiting_ || d.ended()) return;
  Status.setText(" Exit Software");
  d.window<Playdesk>().Status.setText(" Exit Software");
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
  desk().window<CLI>().KeyInput(keyCode);
}

void Hoofdblad::Timer1_Timer() {
  DeskBase& d = desk();
  Picture2.setBackColor(kGreen);
  TickMasters m;
  m.channels = channels.Value();
  m.submix = Submix.Value();
  const Playdesk& play = d.window<Playdesk>();
  m.playMain = play.Main.Value();
  m.preset = play.Preset.Value();
  MixFrame(d.state, m);
  Realout& mon = d.window<Realout>();
  if (mon.Loaded() && mon.Visible()) mon.UpdateBars();
  if (OutputWire* w = OutputWire::Of(d)) w->Tick();
  Picture2.setBackColor(kBlack);
}

void Hoofdblad::Slider1_Change(int k) {
  const int level = 255 - std::clamp(Slider1[k].Value(), 0, 255);
  Text1[k].setText(Num(level));
  desk().state.DeskLevels[ChannelOf(k)] = static_cast<int16_t>(level);
  // The surface's faders stand for desk channels (as its input writes them),
  // whichever bank the screen shows.
  BcfFeedbackFader(desk(), kBcfMainDesk, ChannelOf(k), level);
  syncChannelNames();
}

void Hoofdblad::Command1_Click(int k) {
  Slider1[k].setValue(0);
  Slider1_Change(k);
}

void Hoofdblad::Command2_Click(int k) {
  Slider1[k].setValue(255);
  Slider1_Change(k);
}

void Hoofdblad::Inc_Channel_Click() {
  DeskState& s = desk().state;
  if (s.FaderBank < 1) ++s.FaderBank;
  setBankButtons();
  RefreshDesk();
  Status.setText(" Faders " + Num(s.FaderBank) + " Selected");
}

void Hoofdblad::Dec_Channels_Click() {
  DeskState& s = desk().state;
  if (s.FaderBank > 0) --s.FaderBank;
  setBankButtons();
  RefreshDesk();
  Status.setText(" Faders " + Num(s.FaderBank) + " Selected");
}

void Hoofdblad::PickChannel(int k) {
  if (k < 0 || k >= 32) return;
  desk().state.SelectedChannel = static_cast<int16_t>(ChannelOf(k));
  Channel_Names& w = desk().window<Channel_Names>();
  w.Show();
  w.ShowChannelInfo();
}

void Hoofdblad::Clearall_Click() {
  for (int k = 0; k < 32; ++k) {
    Slider1[k].setValue(255);
    Slider1_Change(k);
  }
  for (int i = 0; i < kDeskChannels; ++i) desk().state.DeskLevels[i] = 0;
  syncChannelNames();
  Status.setText(" Desk Cleared");
}

void Hoofdblad::resetdesk_Click() {
  DeskBase& d = desk();
  if (!d.dialogs().Ask("All Current Information will Be Lost Are You Sure ", " Reset Desk")) return;
  DeskState& s = d.state;
  s.ProjectFileName = "untitled";
  ResetChases(s);
  InitButtonFunctions(s);
  InitFaderFunctions(s);
  ResetScreens(s);
  s.ScreenCount = 1;
  ClearSubmixes(s);
  InitChannelInfo(s);
  for (int i = 0; i < kDeskChannels; ++i) s.DeskLevels[i] = 0;
  s.FaderBank = 0;
  setBankButtons();
  s.CurrentSubmix = 0;
  Sub_colour.setBackColor(-1);
  RefreshDesk();
  Main.setValue(0);
  Main_Change();
  channels.setValue(0);
  Submix.setValue(255);
  InitPatch(s);
  s.ProjectText.clear();
  s.ProjectPath.clear();
  s.ProjectChanged = 0;
  d.window<Playdesk>().RedrawPlaydesk();
  // Open editors show the fresh tables rather than what was there before.
  if (d.window<Channel_Names>().Loaded()) d.window<Channel_Names>().ShowChannelInfo();
  if (d.window<editpatchlist>().Loaded()) d.window<editpatchlist>().ShowPatchPanel();
  Status.setText(" Desk Reset");
}

void Hoofdblad::ShowSubmix() {
  const auto& sub = desk().state.Submixes[desk().state.CurrentSubmix];
  Text9.setText(std::to_string(desk().state.CurrentSubmix + 1));
  Submix_Text.setText(sub.Name);
  Sub_colour.setBackColor(ColourOf(sub.Colour));
}

void Hoofdblad::Submix_Plus_Click() {
  int16_t& cur = desk().state.CurrentSubmix;
  cur = static_cast<int16_t>(cur >= kSubmixes - 1 ? 0 : cur + 1);
  ShowSubmix();
}

void Hoofdblad::Submix_Minus_Click() {
  int16_t& cur = desk().state.CurrentSubmix;
  cur = static_cast<int16_t>(cur <= 0 ? kSubmixes - 1 : cur - 1);
  ShowSubmix();
}

void Hoofdblad::Submix_Prog_Click() {
  DeskState& s = desk().state;
  if (s.CurrentSubmix < 0 || s.CurrentSubmix >= kSubmixes) return;
  SubmixRec& sub = s.Submixes[s.CurrentSubmix];
  int j = 0;
  for (int i = 0; i < kDeskChannels; ++i) {
    sub.Channel[i] = 0;
    sub.Level[i] = 0;
    if (s.DeskLevels[i] > 0) {
      sub.Level[j] = s.DeskLevels[i];
      sub.Channel[j] = static_cast<int16_t>(i + 1);
      ++j;
    }
  }
  sub.Name = Submix_Text.Text();
  // A swatch without a colour of its own stores no colour.
  sub.Colour = Sub_colour.BackColor() < 0 ? std::string() : std::to_string(Sub_colour.BackColor());
  desk().window<Playdesk>().RedrawPlaydesk();
  Status.setText(" Submix " + Num(s.CurrentSubmix) + " Programmed");
  s.ProjectChanged = -1;
}

void Hoofdblad::Submix_Recal_Click() {
  DeskState& s = desk().state;
  if (s.CurrentSubmix < 0 || s.CurrentSubmix >= kSubmixes) return;
  const SubmixRec& sub = s.Submixes[s.CurrentSubmix];
  for (int i = 0; i < kDeskChannels; ++i) s.DeskLevels[i] = 0;
  for (int j = 0; j < kDeskChannels && sub.Channel[j] > 0; ++j) {
    // Entries naming no desk channel (only a damaged file could hold them)
    // are passed over.
    if (sub.Channel[j] > kDeskChannels) continue;
    s.DeskLevels[sub.Channel[j] - 1] = std::clamp<int16_t>(sub.Level[j], 0, 255);
  }
  for (int k = 0; k < 32; ++k) {
    Slider1[k].setValue(255 - s.DeskLevels[ChannelOf(k)]);
    Slider1_Change(k);
  }
  syncChannelNames();
  Status.setText(" Submix" + Num(s.CurrentSubmix) + " Recalled");
}

void Hoofdblad::Sub_colour_Click() {
  DeskBase& d = desk();
  auto colour = d.dialogs().ChooseColour(" Choose a Colour", Sub_colour.BackColor());
  if (!colour) return;
  Sub_colour.setBackColor(*colour);
  d.state.Submixes[d.state.CurrentSubmix].Colour = std::to_string(*colour);
  d.state.ProjectChanged = -1;
  d.window<Playdesk>().RedrawPlaydesk();
}

void Hoofdblad::Main_Change() { desk().window<Playdesk>().Main.setValue(Main.Value()); }

}  // namespace lumora
