// The running desk: the desk record, the timers' scheduler, the dialogs, the
// platform and every window's form model. One per process (tests may make
// several, each independent).
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/desk_core.h"
#include "core/form.h"
#include "platform/platform.h"

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

struct DeskOptions {
  bool manualClock = false;  // timers fire only through advance/tick/fire
  bool sim = false;          // simulated devices instead of real hardware
  bool headless = true;      // no window system
  std::string artnetAddress;  // Art-Net local IPv4 address; "" = automatic
  // The user's folders for autosaves and settings; "" keeps both off (tests
  // that do not ask for them never touch a user's files).
  std::string stateFolder;
  std::string configFolder;
};

class Desk : public DeskCore {
 public:
  Desk(const DeskOptions& opts, Dialogs& dialogs);
  ~Desk();
  Desk(const Desk&) = delete;
  Desk& operator=(const Desk&) = delete;

  const DeskOptions& options() const { return opts_; }
  Platform& platform() { return platform_; }

  // Start-up: the main desk's Form_Load, which loads the playback desk and
  // starts the output tick.
  void Start();
  // Set once the exit operation has unloaded every window.
  bool ended() const { return ended_; }
  void setEnded() { ended_ = true; }
  // Unloads every window, the main desk last (used by exit).
  void UnloadAll();
  // True while UnloadAll runs: windows go without asking.
  bool unloading() const { return unloading_; }

  // The output tick's hand-off to the adapter selected by AdapterType.
  void SendFrame();
  void setAdapter(int type, OutputAdapter* a) {
    if (type > 0 && type < static_cast<int>(adapters_.size())) adapters_[static_cast<std::size_t>(type)] = a;
  }
  // Objects the desk owns for the subsystems (adapters, engines, devices).
  // They go before the windows when the desk ends, so they may own timers
  // and controls of windows; a window must not touch them in its destructor.
  template <typename T, typename... A>
  T& own(A&&... args) {
    auto p = std::make_unique<Holder<T>>(std::forward<A>(args)...);
    T& ref = p->value;
    owned_.push_back(std::move(p));
    return ref;
  }
  // The owned object of type T, or null.
  template <typename T>
  T* owned() {
    for (auto& p : owned_)
      if (auto* h = dynamic_cast<Holder<T>*>(p.get())) return &h->value;
    return nullptr;
  }
  // A window a subsystem makes (owned by it): listed with the others, so the
  // console and the GUI find it by name.
  void addForm(Form* f) { forms_.push_back(f); }

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

  const std::vector<Form*>& forms() const { return forms_; }
  Form* form(std::string_view name) const;

 private:
  struct HolderBase {
    virtual ~HolderBase() = default;
  };
  template <typename T>
  struct Holder : HolderBase {
    template <typename... A>
    explicit Holder(A&&... args) : value(std::forward<A>(args)...) {}
    T value;
  };

  void registerGlobals();

  DeskOptions opts_;
  Platform platform_;
  bool ended_ = false;
  bool unloading_ = false;
  std::array<OutputAdapter*, 6> adapters_{};
  std::vector<std::unique_ptr<HolderBase>> owned_;

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
  std::vector<Form*> forms_;
};

// Subsystem set-up hooks, each in its own subsystem (register globals, make
// adapters and simulated devices). Called once by the Desk constructor after
// every window exists.
void SetupOutput(Desk& d);
void SetupPlayback(Desk& d);
void SetupSequences(Desk& d);
void SetupProject(Desk& d);
void SetupRemote(Desk& d);

// Every window is made by the Desk, so its core is the whole desk.
inline Desk& Form::desk() const { return static_cast<Desk&>(core()); }

}  // namespace lumora
