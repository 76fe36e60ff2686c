#include "gui/view.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <map>

#include "app/desk.h"
#include "core/form.h"
#include "gui/gui_host.h"

namespace lumora::gui {

namespace {
std::map<std::string, ViewFactory>& factories() {
  static std::map<std::string, ViewFactory> m;
  return m;
}
}  // namespace

ViewRegistrar::ViewRegistrar(const char* formName, ViewFactory f) { factories()[formName] = std::move(f); }

ViewFactory FindView(const std::string& formName) {
  auto it = factories().find(formName);
  return it == factories().end() ? nullptr : it->second;
}

FormView::FormView(Form& form, GuiHost& host, QWidget* parent) : QWidget(parent), form_(&form), host_(&host) {
  binder_.afterEvent = [this] { host_->syncAll(); };
  setAttribute(Qt::WA_DeleteOnClose, false);
}

// Every window the GUI shows is made on the whole desk.
Desk& FormView::desk() const { return static_cast<Desk&>(form_->desk()); }

void FormView::syncView() {
  changed_ = seen_ != form_->revision();
  if (!changed_) return;
  seen_ = form_->revision();
  binder_.sync();
  const QString title = QString::fromStdString(form_->Caption());
  if (windowTitle() != title) setWindowTitle(title);
}

void FormView::changeEvent(QEvent* e) {
  QWidget::changeEvent(e);
  if (e->type() == QEvent::WindowStateChange && !isMinimized()) host_->requestSync();
}

void FormView::closeEvent(QCloseEvent* e) {
  // The model decides: its unload may ask a question and refuse.
  e->ignore();
  form_->Unload();
  host_->syncAll();
}


int DeskKeyCode(const QKeyEvent* e) {
  const int k = e->key();
  const bool keypad = e->modifiers() & Qt::KeypadModifier;
  if (keypad) {
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return 96 + (k - Qt::Key_0);
    switch (k) {
      case Qt::Key_Asterisk: return 106;
      case Qt::Key_Plus: return 107;
      case Qt::Key_Minus: return 109;
      case Qt::Key_Period: return 110;
      case Qt::Key_Slash: return 111;
      case Qt::Key_Enter: return 13;
      default: break;
    }
  }
  if (k >= Qt::Key_0 && k <= Qt::Key_9) return 48 + (k - Qt::Key_0);
  if (k >= Qt::Key_A && k <= Qt::Key_Z) return 65 + (k - Qt::Key_A);
  if (k >= Qt::Key_F1 && k <= Qt::Key_F12) return 112 + (k - Qt::Key_F1);
  switch (k) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Plus: return 187;
    case Qt::Key_Minus: return 189;
    case Qt::Key_Period: return 190;
    case Qt::Key_Asterisk: return 106;
    case Qt::Key_Slash: return 191;
    default: return k & 0xFFFF;
  }
}

}  // namespace lumora::gui
