#include "app/desk.h"

#include "app/health_window.h"
#include "app/undo_wiring.h"
#include "desk/about.h"
#include "desk/button_function_form.h"
#include "desk/channel_names.h"
#include "desk/editpatchlist.h"
#include "desk/fader_function_form.h"
#include "desk/hoofdblad.h"
#include "desk/project_text.h"
#include "desk/realout.h"
#include "output/art_config.h"
#include "output/output_wire.h"
#include "output/setup.h"
#include "output/portsetup.h"
#include "playback/instant_screen.h"
#include "playback/namedit.h"
#include "playback/playdesk.h"
#include "playback/setup.h"
#include "project/setup.h"
#include "remote/bcf.h"
#include "remote/bcf_configure.h"
#include "remote/cli.h"
#include "remote/setup.h"
#include "sequences/chases_form.h"
#include "sequences/fixture_browser.h"
#include "sequences/fixture_prop.h"
#include "sequences/setup.h"

namespace lumora {

Desk::Desk(const DeskOptions& opts, Dialogs& dialogs) : DeskBase(opts, dialogs) {
  // Construction order is the unload order reversed: the main desk first.
  hoofdblad_ = std::make_unique<Hoofdblad>(*this);
  playdesk_ = std::make_unique<Playdesk>(*this);
  // What the subsystems below a window may ask of it.
  DeskLinks& l = links();
  l.main = &hoofdblad_->link;
  l.playStatus = &playdesk_->Status;
  realout_ = std::make_unique<Realout>(*this);
  editpatchlist_ = std::make_unique<editpatchlist>(*this);
  channelNames_ = std::make_unique<Channel_Names>(*this);
  faderFunctionForm_ = std::make_unique<Fader_Function_Form>(*this);
  buttonFunctionForm_ = std::make_unique<Button_Function_Form>(*this);
  projectText_ = std::make_unique<Project_text>(*this);
  about_ = std::make_unique<frmAbout>(*this);
  portsetup_ = std::make_unique<Portsetup>(*this);
  artConfig_ = std::make_unique<Art_Config>(*this);
  namedit_ = std::make_unique<namedit>(*this);
  instantScreen_ = std::make_unique<instant_screen>(*this);
  chases_ = std::make_unique<Chases>(*this);
  fixtureProp_ = std::make_unique<Fixture_Prop>(*this);
  fixtureBrowser_ = std::make_unique<Fixture_Browser>(*this);
  bcf_ = std::make_unique<BCF>(*this);
  bcfConfigure_ = std::make_unique<BCF_configure>(*this);
  cli_ = std::make_unique<CLI>(*this);
  forms_ = {hoofdblad_.get(), playdesk_.get(),      realout_.get(),       editpatchlist_.get(),
            channelNames_.get(), faderFunctionForm_.get(), buttonFunctionForm_.get(), projectText_.get(),
            about_.get(),     portsetup_.get(),     artConfig_.get(),     namedit_.get(),
            instantScreen_.get(), chases_.get(),    fixtureProp_.get(),   bcf_.get(),
            bcfConfigure_.get(), cli_.get(), fixtureBrowser_.get()};
  l.openFaderFunction = [this](int first) { faderFunctionForm_->OpenOn(first); };
  l.openButtonFunction = [this](int first) { buttonFunctionForm_->OpenOn(first); };
  hoofdblad_->project_info.onClick = [this] { projectText_->Show(); };
  registerGlobals();
}

Desk::~Desk() {
  // The objects the subsystems own (adapters, devices, engines) go first:
  // they may hold timers and controls of the windows. Then the windows, in
  // the reverse order of their making; a window must not touch a subsystem
  // object in its destructor.
  releaseOwned();
  forms_.clear();
  cli_.reset();
  bcfConfigure_.reset();
  bcf_.reset();
  fixtureBrowser_.reset();
  fixtureProp_.reset();
  chases_.reset();
  instantScreen_.reset();
  namedit_.reset();
  artConfig_.reset();
  portsetup_.reset();
  about_.reset();
  projectText_.reset();
  buttonFunctionForm_.reset();
  faderFunctionForm_.reset();
  channelNames_.reset();
  editpatchlist_.reset();
  realout_.reset();
  playdesk_.reset();
  hoofdblad_.reset();
}

void Desk::registerGlobals() {
  SetupCore(*this);
  SetupOutput(*this);
  SetupPlayback(*this);
  SetupSequences(*this);
  SetupProject(*this);
  SetupRemote(*this);
  SetupHealth(*this);
  SetupWebRemote(*this);
  SetupSacn(*this);
  SetupUndo(*this);
}

void Desk::Start() { hoofdblad_->Show(); }

void Desk::SendFrame() {
  if (OutputWire* w = OutputWire::Of(*this)) w->Tick();
}

}  // namespace lumora
