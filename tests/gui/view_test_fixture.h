// Shared fixture of the window view tests: a started desk on the manual clock
// with its GUI host under the offscreen platform, and helpers that act on a
// view the way a user does (mouse presses, typed keys) and find its widgets
// by what they show.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <memory>

#include "app/console.h"
#include "app/desk.h"
#include "gui/gui_host.h"
#include "gui/view.h"

namespace lumora::gui::testing {

class ViewTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char arg0[] = "lumora_gui_tests";
    static char* argv[] = {arg0, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
  }
  ViewTest() {
    DeskOptions o;
    o.manualClock = true;
    o.headless = false;
    desk = std::make_unique<Desk>(o, dialogs);
    host = std::make_unique<GuiHost>(*desk);
    desk->Start();
    host->syncAll();
  }
  // Opens a window as the menus do and returns its view.
  FormView* open(Form& f) {
    f.Show();
    host->syncAll();
    QApplication::processEvents();
    return host->view(f);
  }
  template <class W>
  static W* withText(QWidget* v, const QString& t) {
    for (W* w : v->findChildren<W*>())
      if (w->text() == t) return w;
    return nullptr;
  }
  // Widgets of a class without its own meta-object (the desk's painted
  // widgets): findChildren would match their Qt base class.
  template <class W>
  static QList<W*> ofType(QWidget* v) {
    QList<W*> out;
    for (QWidget* w : v->findChildren<QWidget*>())
      if (auto* t = dynamic_cast<W*>(w)) out << t;
    return out;
  }
  static QPushButton* button(QWidget* v, const QString& t) { return withText<QPushButton>(v, t); }
  static QLabel* label(QWidget* v, const QString& t) { return withText<QLabel>(v, t); }
  static QLineEdit* edit(QWidget* v, const QString& t) { return withText<QLineEdit>(v, t); }

  // A left click as the mouse makes it: press and release inside the widget.
  static void click(QWidget* w, Qt::MouseButton b = Qt::LeftButton) {
    const QPointF p(w->width() / 2.0, w->height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, p, w->mapToGlobal(p), b, b, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, p, w->mapToGlobal(p), b, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
  }
  // Typing: key events, so the box reports a user edit.
  static void type(QWidget* w, const QString& text) {
    for (QChar ch : text) {
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
      QApplication::sendEvent(w, &press);
    }
  }
  static void selectAllAndType(QLineEdit* e, const QString& text) {
    e->selectAll();
    type(e, text);
  }

  // The colours a widget shows: the palette role its style paints its face
  // and its text with.
  static QPalette::ColorRole faceRole(const QWidget* w) {
    if (qobject_cast<const QAbstractButton*>(w)) return QPalette::Button;
    if (qobject_cast<const QLineEdit*>(w)) return QPalette::Base;
    return QPalette::Window;
  }
  static QColor face(const QWidget* w) { return w->palette().color(faceRole(w)); }
  static QColor textColour(const QWidget* w) {
    if (qobject_cast<const QAbstractButton*>(w)) return w->palette().color(QPalette::ButtonText);
    if (qobject_cast<const QLineEdit*>(w)) return w->palette().color(QPalette::Text);
    return w->palette().color(QPalette::WindowText);
  }
  // Whether the painted widget shows that colour as its face: inside the
  // frame of a box or button, half-way down left of any text; at the corner
  // of a filled label.
  static bool paintsFace(QWidget* w, const QColor& c) {
    const QImage img = w->grab().toImage();
    const bool framed = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w);
    return img.pixelColor(framed ? QPoint(4, img.height() / 2) : QPoint(1, 1)) == c;
  }
  // A widget that keeps the colours it inherits: none of its own.
  static bool inheritsColours(const QWidget* w) {
    const QWidget* parent = w->parentWidget();
    return !w->autoFillBackground() && parent && face(w) == parent->palette().color(faceRole(w)) &&
           textColour(w) == parent->palette().color(QPalette::WindowText);
  }

  ConsoleDialogs dialogs;
  std::unique_ptr<Desk> desk;
  std::unique_ptr<GuiHost> host;
};

}  // namespace lumora::gui::testing
