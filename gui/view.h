// A window of the GUI: draws one form model through a Binder. Views are made
// on first show by the factory registered under the form's name.
#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "gui/binder.h"

namespace lumora {
class Desk;
class Form;
}  // namespace lumora

namespace lumora::gui {

class GuiHost;

class FormView : public QWidget {
  Q_OBJECT
 public:
  FormView(Form& form, GuiHost& host, QWidget* parent = nullptr);
  Form& form() const { return *form_; }
  GuiHost& host() const { return *host_; }
  Desk& desk() const;
  Binder& binder() { return binder_; }

  // Model -> widgets; the default syncs the bindings and the caption when
  // the form's revision moved (formChanged() tells an override whether it
  // did). Only what differs from what is shown is touched.
  virtual void syncView();

 protected:
  bool formChanged() const { return changed_; }
  void closeEvent(QCloseEvent* e) override;
  // A minimised window is not refreshed; restored, it catches up.
  void changeEvent(QEvent* e) override;

 private:
  Form* form_;
  GuiHost* host_;
  Binder binder_;
  uint64_t seen_ = 0;
  bool changed_ = false;
};

using ViewFactory = std::function<FormView*(Form&, GuiHost&)>;

// Registers the view of a form by the form's name (from a static object in
// the view's source file).
struct ViewRegistrar {
  ViewRegistrar(const char* formName, ViewFactory f);
};
ViewFactory FindView(const std::string& formName);

// Desk key code (the platform's virtual key codes) of a Qt key event.
int DeskKeyCode(const QKeyEvent* e);

}  // namespace lumora::gui
