#include "gui/gui_host.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMessageBox>
#include <algorithm>

#include "app/desk.h"
#include "core/form.h"
#include "gui/generic_view.h"
#include "gui/view.h"

namespace lumora::gui {

MsgResult QtDialogs::MsgBox(const std::string& text, const std::string& title, MsgButtons buttons, MsgIcon icon,
                            MsgResult defaultButton) {
  QMessageBox box;
  box.setWindowTitle(QString::fromStdString(title));
  box.setText(QString::fromStdString(text));
  switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
  }
  if (buttons == MsgButtons::Ok) {
    box.setStandardButtons(QMessageBox::Ok);
  } else {
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    box.setDefaultButton(defaultButton == MsgResult::Ok ? QMessageBox::Ok : QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
  }
  int r = box.exec();
  return r == QMessageBox::Ok ? MsgResult::Ok : MsgResult::Cancel;
}

std::optional<int32_t> QtDialogs::ChooseColour(const std::string& title, int32_t initial) {
  QColor c = QColorDialog::getColor(ToQColor(initial), nullptr, QString::fromStdString(title));
  if (!c.isValid()) return std::nullopt;
  return FromQColor(c);
}

std::optional<std::string> QtDialogs::FileDialog(FileKind kind, const std::string& title, const std::string& filter,
                                                 const std::string& initialPath) {
  // "Description|*.ext|..." -> "Description (*.ext);;..."
  QStringList parts = QString::fromStdString(filter).split('|');
  QStringList qfilters;
  for (int i = 0; i + 1 < parts.size(); i += 2) qfilters << QString("%1 (%2)").arg(parts[i], parts[i + 1]);
  const QString f = qfilters.join(";;");
  const QString t = QString::fromStdString(title);
  const QString start = QString::fromStdString(initialPath);
  QString r = kind == FileKind::Save ? QFileDialog::getSaveFileName(nullptr, t, start, f)
                                     : QFileDialog::getOpenFileName(nullptr, t, start, f);
  if (r.isEmpty()) return std::nullopt;
  return r.toStdString();
}

GuiHost::GuiHost(Desk& desk) : desk_(desk) {
  InstallDeskStyle();
  wake_.setSingleShot(true);
  wake_.setTimerType(Qt::PreciseTimer);
  connect(&wake_, &QTimer::timeout, this, &GuiHost::onWake);
  frame_.setSingleShot(true);
  connect(&frame_, &QTimer::timeout, this, [this] {
    ++framesAlone_;
    syncAll();
  });
  desk_.scheduler().onScheduleChanged = [this] { arm(); };
  desk_.scheduler().onWatchesChanged = [this] { followWatches(); };
  followWatches();
  if (qApp) qApp->installEventFilter(this);
  if (!desk_.scheduler().manual()) desk_.scheduler().setResting(true);
}

void GuiHost::followWatches() {
  std::map<int, std::unique_ptr<QSocketNotifier>> keep;
  for (const Scheduler::FdWatch& w : desk_.scheduler().fdWatches()) {
    auto it = notifiers_.find(w.fd);
    if (it != notifiers_.end()) {
      keep[w.fd] = std::move(it->second);
      continue;
    }
    auto n = std::make_unique<QSocketNotifier>(w.fd, QSocketNotifier::Read);
    const int fd = w.fd;
    connect(n.get(), &QSocketNotifier::activated, this, [this, fd] {
      desk_.scheduler().fdReadable(fd);
      requestSync();
    });
    keep[fd] = std::move(n);
  }
  notifiers_ = std::move(keep);
}

bool GuiHost::eventFilter(QObject* obj, QEvent* ev) {
  switch (ev->type()) {
    // An operator's input may change what the resting output tick computes.
    case QEvent::MouseMove:
      if (static_cast<QMouseEvent*>(ev)->buttons() == Qt::NoButton) break;  // a hover changes nothing
      [[fallthrough]];
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::Drop:
    case QEvent::Close:
      desk_.scheduler().noteActivity();
      break;
    default:
      break;
  }
  if (ev->type() != QEvent::KeyPress || !obj->isWidgetType()) return false;
  auto* ke = static_cast<QKeyEvent*>(ev);
  // A key event travels up the parents; hand it to the form once.
  if (ke == lastKey_ && ke->timestamp() == lastKeyTime_) return false;
  lastKey_ = ke;
  lastKeyTime_ = ke->timestamp();
  auto* view = qobject_cast<FormView*>(static_cast<QWidget*>(obj)->window());
  if (!view) return false;
  view->form().KeyDown(DeskKeyCode(ke), 0);
  syncAll();
  return false;
}

GuiHost::~GuiHost() {
  desk_.scheduler().onScheduleChanged = nullptr;
  desk_.scheduler().onWatchesChanged = nullptr;
  for (auto& [f, v] : views_) delete v;
}

void GuiHost::arm() {
  if (desk_.scheduler().manual()) return;
  auto due = desk_.scheduler().nextDue();
  if (!due) {
    wake_.stop();
  } else {
    int64_t wait = *due - desk_.scheduler().now();
    if (wait < 0) wait = 0;
    if (wait > 1000) wait = 1000;
    wake_.start(static_cast<int>(wait));
  }
  // The wake-up a waiting frame meant to go with may have moved away.
  if (framePending_ && !rides(due)) waitForFrame();
}

void GuiHost::onWake() {
  // This is the wake-up a waiting frame goes with: it is decided after the
  // timers ran, not while they move the schedule.
  framePending_ = false;
  desk_.scheduler().runDue();
  requestSync();
  arm();
}

void GuiHost::requestSync() {
  if (frame_.isActive()) return;
  const int64_t since = synced_ ? desk_.scheduler().now() - lastSync_ : kFrameMs;
  if (since >= kFrameMs || since < 0) {
    syncAll();
    return;
  }
  // The host wakes for a model timer about when the frame is due anyway:
  // the frame goes with that wake-up instead of waking the host on its own.
  if (!desk_.scheduler().manual() && rides(desk_.scheduler().nextDue())) {
    framePending_ = true;
    return;
  }
  waitForFrame();
}

bool GuiHost::rides(std::optional<int64_t> due) const {
  return due && *due <= lastSync_ + kFrameMs + kFrameRideMs;
}

void GuiHost::waitForFrame() {
  framePending_ = false;
  const int64_t wait = lastSync_ + kFrameMs - desk_.scheduler().now();
  frame_.start(static_cast<int>(std::max<int64_t>(0, wait)));
}

FormView* GuiHost::view(Form& f) {
  auto it = views_.find(&f);
  if (it != views_.end()) return it->second;
  ViewFactory make = FindView(f.name());
  FormView* v = make ? make(f, *this) : new GenericView(f, *this);
  views_[&f] = v;
  return v;
}

void GuiHost::syncAll() {
  if (syncing_) return;
  syncing_ = true;
  frame_.stop();
  framePending_ = false;
  ++frames_;
  lastSync_ = desk_.scheduler().now();
  synced_ = true;
  for (Form* f : desk_.forms()) {
    auto it = views_.find(f);
    if (!f->Visible() && it == views_.end()) continue;
    FormView* v = view(*f);
    if (f->Visible()) {
      // A minimised window paints nothing; it catches up when restored.
      if (!v->isMinimized()) v->syncView();
      if (!v->isVisible()) v->show();
    } else if (v->isVisible()) {
      v->hide();
    }
  }
  syncing_ = false;
  if (desk_.ended()) QApplication::quit();
}

}  // namespace lumora::gui
