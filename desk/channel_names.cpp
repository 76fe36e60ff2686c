#include "desk/channel_names.h"

#include <algorithm>

#include "platform/desk_base.h"
#include "desk/hoofdblad.h"
#include "core/levels.h"

namespace lumora {

std::size_t CharCount(const std::string& text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char ch) { return (static_cast<unsigned char>(ch) & 0xC0) != 0x80; }));
}

std::string FirstChars(const std::string& text, std::size_t n) {
  std::size_t chars = 0;
  for (std::size_t p = 0; p < text.size(); ++p) {
    if ((static_cast<unsigned char>(text[p]) & 0xC0) == 0x80) continue;  // continuation byte
    if (chars == n) return text.substr(0, p);
    ++chars;
  }
  return text;
}

Channel_Names::Channel_Names(DeskBase& desk) : Form(desk, "Channel_Names") {
  setCaption("Channel Names");
  Main_F.setCaption("Follows Main fader");
  Cross_F.setCaption("Follow Crossfade");
  Colour_button.setCaption("Colour");
  Pannel_Dec.setCaption("<<");
  Pannel_Inc.setCaption(">>");
  OK.setCaption("OK");
  Label1.setCaption("Channel");
  Label2.setCaption("Description");
  Label3.setCaption("Name");
  Label4.setCaption("DMX channels");
  Label5.setCaption("Level");
  Pannel_Dec.setToolTipText("Previous channel");
  Pannel_Inc.setToolTipText("Next channel");
  Show_Name.setToolTipText("Name shown above the fader (4 characters)");

  Channel_Description.onChange = [this] { Channel_Description_Change(); };
  Channel_Description.onValidate = [this] { Channel_Description_Validate(); };
  Channel_Description.onClick = [this] { Channel_Description.SetFocus(); };
  Show_Name.onChange = [this] { Show_Name_Change(); };
  Colour_button.onClick = [this] { Colour_button_Click(); };
  colour_bx.onClick = [this] { Colour_button_Click(); };
  Main_F.onClick = [this] { Main_F_Click(); };
  Cross_F.onClick = [this] { Cross_F_Click(); };
  Slider1.onChange = [this] { Slider1_Change(); };
  Pannel_Dec.onClick = [this] { Pannel_Dec_Click(); };
  Pannel_Inc.onClick = [this] { Pannel_Inc_Click(); };
  OK.onClick = [this] { OK_Click(); };
}

int Channel_Names::channel() const {
  return std::clamp<int>(desk().state.SelectedChannel, 0, kDeskChannels - 1);
}

void Channel_Names::redrawDesk() { desk().window<Hoofdblad>().RefreshDesk(); }

void Channel_Names::Form_Load() { ShowChannelInfo(); }

void Channel_Names::ShowChannelInfo() {
  DeskState& s = desk().state;
  // Another window may have left the selection outside the channels.
  s.SelectedChannel = static_cast<int16_t>(channel());
  const int i = s.SelectedChannel;
  const ChannelInfoRec& info = s.ChannelInfo[i];
  for (int b = 0; b < Show_DMX.size(); ++b) Show_DMX[b].setText("");
  Show_Channel.setText(std::to_string(i + 1));
  Show_Name.setText(info.Name);
  Channel_Description.setText(info.Desc);
  Main_F.setValue(info.Main_F == 0 ? 1 : 0);
  Cross_F.setValue(info.Cross_F == 0 ? 1 : 0);
  Slider1.setValue(255 - s.DeskLevels[i]);
  colour_bx.setBackColor(info.Colour.empty() ? -1 : static_cast<int32_t>(Val(info.Colour)));
  Pannel_Dec.setEnabled(i != 0);
  Pannel_Inc.setEnabled(i != kDeskChannels - 1);
  int shown = 0;
  for (int slot = 0; slot < kDmxSlots && shown < Show_DMX.size(); ++slot)
    if (s.PatchTable[slot] == i + 1) Show_DMX[shown++].setText(std::to_string(slot + 1));
}

void Channel_Names::SyncLevel() { Slider1.setValue(255 - desk().state.DeskLevels[channel()]); }

void Channel_Names::Channel_Description_Change() {
  DeskState& s = desk().state;
  s.ChannelInfo[channel()].Desc = Channel_Description.Text();
  s.ProjectChanged = -1;
  redrawDesk();
}

void Channel_Names::Channel_Description_Validate() {
  const int i = channel();
  const ChannelInfoRec& info = desk().state.ChannelInfo[i];
  // An empty description keeps the default name rather than blanking it.
  if (info.Name != std::to_string(i + 1) || Channel_Description.Text().empty()) return;
  Show_Name.setText(FirstChars(Channel_Description.Text(), 4));
  Show_Name_Change();
}

void Channel_Names::Show_Name_Change() {
  if (CharCount(Show_Name.Text()) > 4) {
    desk().dialogs().Message(" Text must be 4 Chars max", " Text too long", MsgIcon::Exclamation);
    Show_Name.setText(FirstChars(Show_Name.Text(), 4));
  }
  DeskState& s = desk().state;
  s.ChannelInfo[channel()].Name = Show_Name.Text();
  s.ProjectChanged = -1;
  redrawDesk();
}

void Channel_Names::Colour_button_Click() {
  auto colour = desk().dialogs().ChooseColour(" Choose a Colour", colour_bx.BackColor());
  if (!colour) return;
  colour_bx.setBackColor(*colour);
  DeskState& s = desk().state;
  s.ChannelInfo[channel()].Colour = std::to_string(*colour);
  s.ProjectChanged = -1;
  redrawDesk();
}

void Channel_Names::Main_F_Click() {
  DeskState& s = desk().state;
  s.ChannelInfo[channel()].Main_F = Main_F.Value() == 0 ? -1 : 0;
  s.ProjectChanged = -1;
}

void Channel_Names::Cross_F_Click() {
  DeskState& s = desk().state;
  s.ChannelInfo[channel()].Cross_F = Cross_F.Value() == 0 ? -1 : 0;
  s.ProjectChanged = -1;
}

void Channel_Names::Slider1_Change() {
  DeskState& s = desk().state;
  const int i = channel();
  const int value = std::clamp(Slider1.Value(), 0, 255);
  Hoofdblad& main = desk().window<Hoofdblad>();
  const int k = i - s.FaderBank * 32;
  if (k >= 0 && k < 32) {
    // The channel is on the main desk's faders: move that fader, which sets
    // the level as the operator's own move would.
    main.Slider1[k].setValue(value);
    main.Slider1_Change(k);
  } else {
    s.DeskLevels[i] = static_cast<int16_t>(255 - value);
  }
}

void Channel_Names::Pannel_Dec_Click() {
  DeskState& s = desk().state;
  if (s.SelectedChannel > 0) --s.SelectedChannel;
  s.ProjectChanged = -1;
  ShowChannelInfo();
}

void Channel_Names::Pannel_Inc_Click() {
  DeskState& s = desk().state;
  if (s.SelectedChannel < kDeskChannels - 1) ++s.SelectedChannel;
  s.ProjectChanged = -1;
  ShowChannelInfo();
}

void Channel_Names::OK_Click() {
  desk().state.ProjectChanged = -1;
  Unload();
}

}  // namespace lumora
