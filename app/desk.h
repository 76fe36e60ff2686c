// The running desk: the desk record, the timers' scheduler, the dialogs, the
// platform and every window's form model. One per process (tests may make
// several, each independent).
#pragma once

#include <memory>

#include "platform/desk_base.h"

namespace lumora {

class Form;
class OutputAdapter;
class Hoofdblad;
class Realout;
class editpatchlist;
class Channel_Names;
class Fader_Function_Form;
class Button_Function_Form;
class Project_text;
class frmAbout;
class Portsetup;
class Art_Config;
class Playdesk;
class namedit;
class instant_screen;
class Chases;
class Fixture_Prop;
class Fixture_Browser;
class BCF;
class BCF_configure;
class CLI;

class Desk : public DeskBase {
 public:
  Desk(const DeskOptions& opts, Dialogs& dialogs);
  ~Desk();
  Desk(const Desk&) = delete;
  Desk& operator=(const Desk&) = delete;

  // Start-up: the main desk's Form_Load, which loads the playback desk and
  // starts the output tick.
  void Start();
  // The output tick's hand-off to the wire (the main desk's Timer1 does it).
  void SendFrame();

  // Windows.
  Hoofdblad& hoofdblad() { return *hoofdblad_; }
  Realout& realout() { return *realout_; }
  editpatchlist& patchEditor() { return *editpatchlist_; }
  Channel_Names& channelNames() { return *channelNames_; }
  Fader_Function_Form& faderFunctionForm() { return *faderFunctionForm_; }
  Button_Function_Form& buttonFunctionForm() { return *buttonFunctionForm_; }
  Project_text& projectText() { return *projectText_; }
  frmAbout& about() { return *about_; }
  Portsetup& portSetup() { return *portsetup_; }
  Art_Config& artConfig() { return *artConfig_; }
  Playdesk& playdesk() { return *playdesk_; }
  namedit& nameEditor() { return *namedit_; }
  instant_screen& instantScreen() { return *instantScreen_; }
  Chases& chases() { return *chases_; }
  Fixture_Prop& fixtureProp() { return *fixtureProp_; }
  Fixture_Browser& fixtureBrowser() { return *fixtureBrowser_; }
  BCF& bcf() { return *bcf_; }
  BCF_configure& bcfConfigure() { return *bcfConfigure_; }
  CLI& cli() { return *cli_; }

 private:
  void registerGlobals();

  std::unique_ptr<Hoofdblad> hoofdblad_;
  std::unique_ptr<Realout> realout_;
  std::unique_ptr<editpatchlist> editpatchlist_;
  std::unique_ptr<Channel_Names> channelNames_;
  std::unique_ptr<Fader_Function_Form> faderFunctionForm_;
  std::unique_ptr<Button_Function_Form> buttonFunctionForm_;
  std::unique_ptr<Project_text> projectText_;
  std::unique_ptr<frmAbout> about_;
  std::unique_ptr<Portsetup> portsetup_;
  std::unique_ptr<Art_Config> artConfig_;
  std::unique_ptr<Playdesk> playdesk_;
  std::unique_ptr<namedit> namedit_;
  std::unique_ptr<instant_screen> instantScreen_;
  std::unique_ptr<Chases> chases_;
  std::unique_ptr<Fixture_Prop> fixtureProp_;
  std::unique_ptr<Fixture_Browser> fixtureBrowser_;
  std::unique_ptr<BCF> bcf_;
  std::unique_ptr<BCF_configure> bcfConfigure_;
  std::unique_ptr<CLI> cli_;
};

// The subsystems' set-up hooks are declared in each folder's setup.h; these
// two are the composition root's own. The web remote's window and globals (webremote/).
void SetupWebRemote(Desk& d);
// The sACN output, its window and Setup menu item (after the project's
// keeper of the user's settings, which holds the source's CID).
void SetupSacn(Desk& d);

}  // namespace lumora
