// The main desk window: 32 channel faders over the 64 desk channels, the
// masters, the submix section and the menus; its Timer1 drives the output
// tick. It owns the program's start and end.
#pragma once

#include "core/desk_links.h"
#include "core/form.h"

namespace lumora {

class Hoofdblad : public Form {
 public:
  explicit Hoofdblad(DeskBase& desk);

  // Fader strip
  ControlArray Slider1{*this, "Slider1", Kind::Fader, 32};
  ControlArray Text1{*this, "Text1", Kind::TextBox, 32};
  ControlArray Text3{*this, "Text3", Kind::TextBox, 32};
  ControlArray Command1{*this, "Command1", Kind::Button, 32};
  ControlArray Command2{*this, "Command2", Kind::Button, 32};
  Control Inc_Channel{*this, "Inc_Channel", Kind::Button};
  Control Dec_Channels{*this, "Dec_Channels", Kind::Button};
  // Masters
  Control channels{*this, "channels", Kind::Fader};
  Control Main{*this, "Main", Kind::Fader};
  // Submix section
  Control Submix{*this, "Submix", Kind::Fader};
  Control Submix_Text{*this, "Submix_Text", Kind::TextBox};
  Control Text9{*this, "Text9", Kind::TextBox};
  Control Sub_colour{*this, "Sub_colour", Kind::Picture};
  Control Submix_Plus{*this, "Submix_Plus", Kind::Button};
  Control Submix_Minus{*this, "Submix_Minus", Kind::Button};
  Control Submix_Prog{*this, "Submix_Prog", Kind::Button};
  Control Submix_Recal{*this, "Submix_Recal", Kind::Button};
  // Desk operations
  Control Clearall{*this, "Clearall", Kind::Button};
  Control resetdesk{*this, "resetdesk", Kind::Menu};
  Control eruit{*this, "eruit", Kind::Menu};
  Control Status{*this, "Status", Kind::TextBox};
  Control Picture2{*this, "Picture2", Kind::Picture};  // activity light of the tick
  Control Picture1{*this, "Picture1", Kind::Picture};  // Art-Net indicator
  Control Label3{*this, "Label3", Kind::Label};        // Art-Net label
  // Buttons and menu items that open other windows or file operations
  Control Channel_Edit{*this, "Channel_Edit", Kind::Menu};
  Control editpatch{*this, "editpatch", Kind::Menu};
  Control realoutput{*this, "realoutput", Kind::Menu};
  Control Command22{*this, "Command22", Kind::Button};
  Control port_setup{*this, "port_setup", Kind::Menu};
  Control Art_setup{*this, "Art_setup", Kind::Menu};
  Control BCF2000_setup{*this, "BCF2000_setup", Kind::Menu};
  Control CLI_sel{*this, "CLI_sel", Kind::Menu};
  Control Chase_Screen{*this, "Chase_Screen", Kind::Menu};
  Control Command3{*this, "Command3", Kind::Button};
  Control Command21{*this, "Command21", Kind::Button};
  Control project_info{*this, "project_info", Kind::Menu};
  Control Aboutmenu{*this, "Aboutmenu", Kind::Menu};
  Control LoadXML{*this, "LoadXML", Kind::Menu};
  Control Load_P_XML{*this, "Load_P_XML", Kind::Menu};
  Control SaveXML{*this, "SaveXML", Kind::Menu};
  Control Save_Instant{*this, "Save_Instant", Kind::Menu};
  Control Save_Submix_XML{*this, "Save_Submix_XML", Kind::Menu};
  Control Save_Patch_XML{*this, "Save_Patch_XML", Kind::Menu};
  Control Save_Chase_XML{*this, "Save_Chase_XML", Kind::Menu};

  // The output tick (period: the desk's refresh rate).
  Timer Timer1{*this, "Timer1"};
  // Art-Net send timer.
  Timer Art_Time{*this, "Art_Time"};

  void Form_Load() override;
  void Form_Unload(bool& cancel) override;
  void Form_KeyDown(int keyCode, int shift) override;

  // Brings the whole desk to its initial state (tables and this window).
  void DeskInit();
  void RefreshDesk();
  void Timer1_Timer();
  void Slider1_Change(int k);
  void Main_Change();
  // Exit: asks before unsaved work is lost, then unloads every window.
  void eruit_Click();

  // Fader strip
  void Command1_Click(int k);  // Max
  void Command2_Click(int k);  // Min
  void Inc_Channel_Click();
  void Dec_Channels_Click();
  // Picks the channel of fader k for the channel names window.
  void PickChannel(int k);
  void Clearall_Click();
  void resetdesk_Click();

  // Submix section
  void Submix_Plus_Click();
  void Submix_Minus_Click();
  void Submix_Prog_Click();
  void Submix_Recal_Click();
  void Sub_colour_Click();
  // Number, name and colour of the current submix.
  void ShowSubmix();

  // Desk channel index (0..63) that fader k shows.
  int ChannelOf(int k) const;

  // This window as the subsystems below it see it (after the controls it
  // names, so they exist when it is made).
  MainDesk link{*this,         Status,       Timer1,          Art_Time,       Picture1,
                Label3,        port_setup,   LoadXML,         Load_P_XML,     SaveXML,
                Save_Instant,  Save_Submix_XML, Save_Patch_XML, Save_Chase_XML, [this] { RefreshDesk(); }};

 private:
  void setFaderHints();
  void setBankButtons();
  // Keeps the channel names window's fader on the selected channel's level.
  void syncChannelNames();
  bool exiting_ = false;
};

}  // namespace lumora
