// The web remote's window (`Remote`, from the main desk's Setup menu): the
// address and port to serve on, the switch, the PIN a browser signs in with
// and the number of pages connected. It owns the running server module and
// performs the pages' actions on the desk's own thread, through the console's
// addresses, so each is exactly the press of the desk's own control.
#pragma once

#include <memory>
#include <string>

#include "core/form.h"

namespace lumora {

class Console;
class Desk;
class ConsoleDialogs;

namespace webremote {
struct RemoteAction;
class ModuleBinding;
}  // namespace webremote

class Remote : public Form {
 public:
  explicit Remote(Desk& desk);
  ~Remote() override;

  Control lblAddress{*this, "lblAddress", Kind::Label};
  Control txtAddress{*this, "txtAddress", Kind::TextBox};
  Control lblPort{*this, "lblPort", Kind::Label};
  Control txtPort{*this, "txtPort", Kind::TextBox};
  Control chkEnabled{*this, "chkEnabled", Kind::CheckBox};
  Control lblPinTitle{*this, "lblPinTitle", Kind::Label};
  Control lblPin{*this, "lblPin", Kind::Label};
  Control lblUrl{*this, "lblUrl", Kind::Label};
  Control lblClients{*this, "lblClients", Kind::Label};
  Control lblNote{*this, "lblNote", Kind::Label};
  Control Status{*this, "Status", Kind::TextBox};
  Control cmdClose{*this, "cmdClose", Kind::Button};
  // Takes waiting actions and sends the page's state when it changed: at
  // most 20 updates a second, however fast the desk moves.
  Timer Push_Timer{*this, "Push_Timer"};

  void Form_Load() override;

  // Switches the server on at the address and port of the boxes; "" or the
  // reason it could not start (also shown on the status line).
  std::string Enable();
  void Disable();
  bool enabled() const { return running_ != nullptr; }
  const std::string& pin() const { return pin_; }
  int clients() const;
  std::string address() const { return txtAddress.Text(); }
  int port() const;

  void chkEnabled_Click();
  void Push_Timer_Timer();
  // Performs one action from a page (public for the tests).
  void Perform(const webremote::RemoteAction& a);
  // The page's state as the desk shows it now (JSON text).
  std::string StateJson();

 private:
  void takeActions();
  void showRunning();
  void setStatus(const std::string& s);

  std::unique_ptr<ConsoleDialogs> dialogs_;
  std::unique_ptr<Console> console_;
  std::unique_ptr<webremote::ModuleBinding> module_;
  void* running_ = nullptr;  // LumoraRemoteServer*
  int wakeFd_ = -1;
  std::string pin_;
  std::string lastState_;
  bool syncing_ = false;
  bool busy_ = false;
};

namespace webremote {

// `--remote PORT [--remote-address ADDR]`: switches the remote on at start.
// Returns "" or the reason it could not start.
std::string StartFromCommandLine(Desk& d, int port, const std::string& address);

}  // namespace webremote

}  // namespace lumora
