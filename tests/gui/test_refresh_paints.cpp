// What a refresh paints, window by window under the offscreen platform: a
// refresh after model changes that leave everything shown as it was paints
// nothing, and a fader moved in the model repaints only its own area.
#include <gtest/gtest.h>

#include <QAbstractSlider>
#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QPaintEvent>
#include <QRegion>
#include <QStringList>

#include "desk/hoofdblad.h"
#include "view_test_fixture.h"

namespace lumora::gui {
namespace {

// Counts the paint events of one window's widgets and collects what they
// painted, in the window's coordinates.
class PaintLog : public QObject {
 public:
  explicit PaintLog(QWidget* window) : window_(window) { qApp->installEventFilter(this); }
  ~PaintLog() override { qApp->removeEventFilter(this); }
  void reset() {
    paints = 0;
    painted = QRegion();
    who.clear();
  }
  int paints = 0;
  QRegion painted;
  QStringList who;

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() != QEvent::Paint || !o->isWidgetType()) return false;
    auto* w = static_cast<QWidget*>(o);
    if (w->window() != window_) return false;
    ++paints;
    painted += static_cast<QPaintEvent*>(e)->region().translated(w->mapTo(window_, QPoint(0, 0)));
    who << QString("%1 %2").arg(w->metaObject()->className(), w->objectName());
    return false;
  }

 private:
  QWidget* window_;
};

class RefreshPaints : public testing::ViewTest, public ::testing::WithParamInterface<const char*> {
 protected:
  RefreshPaints() {
    // A blinking text cursor paints on its own clock; not what is measured.
    QApplication::setCursorFlashTime(0);
  }
  Form* form() {
    for (Form* f : desk->forms())
      if (f->name() == GetParam()) return f;
    return nullptr;
  }
  FormView* settle(Form& f) {
    FormView* v = open(f);
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
    return v;
  }
  void refresh() {
    host->syncAll();
    QApplication::processEvents();
  }
};

// Every control's revision moves (a property changed and changed back), so
// each binding is looked at again, yet nothing shown differs.
void TouchEveryControl(Form& f) {
  f.setCaption(f.Caption() + "~");
  f.setCaption(f.Caption().substr(0, f.Caption().size() - 1));
  for (Control* c : f.controls()) {
    // The output light shows that ticks happen: its revision is what it shows.
    if (f.name() == "Hoofdblad" && c->name() == "Picture2") continue;
    const std::string tip = c->ToolTipText();
    c->setToolTipText(tip + "~");
    c->setToolTipText(tip);
  }
}

TEST_P(RefreshPaints, UnchangedModelPaintsNothing) {
  Form* f = form();
  ASSERT_TRUE(f);
  FormView* v = settle(*f);
  ASSERT_TRUE(v);
  ASSERT_TRUE(v->isVisible());
  PaintLog log(v);
  refresh();
  EXPECT_EQ(log.paints, 0) << log.who.join(", ").toStdString();
  log.reset();
  TouchEveryControl(*f);
  refresh();
  EXPECT_EQ(log.paints, 0) << log.who.join(", ").toStdString();
  // Many refreshes with nothing changed: still nothing.
  for (int i = 0; i < 20; ++i) refresh();
  EXPECT_EQ(log.paints, 0) << log.who.join(", ").toStdString();
}

TEST_P(RefreshPaints, MovedFaderRepaintsOnlyItsOwnArea) {
  Form* f = form();
  ASSERT_TRUE(f);
  FormView* v = settle(*f);
  ASSERT_TRUE(v);
  int moved = 0;
  for (Control* c : f->controls()) {
    if (c->kind() != Kind::Fader || !c->Visible()) continue;
    auto* s = qobject_cast<QAbstractSlider*>(v->binder().widgetOf(*c));
    if (!s || !s->isVisible()) continue;
    PaintLog log(v);
    const int lo = std::min(c->Min(), c->Max()), hi = std::max(c->Min(), c->Max());
    const int to = c->Value() - lo > (hi - lo) / 2 ? lo + (hi - lo) / 4 : hi - (hi - lo) / 4;
    ASSERT_NE(to, c->Value()) << c->address();
    c->setValue(to);
    refresh();
    EXPECT_EQ(s->value(), to) << c->address();
    EXPECT_GE(log.paints, 1) << c->address();
    const QRect area(s->mapTo(v, QPoint(0, 0)), s->size());
    EXPECT_TRUE(area.contains(log.painted.boundingRect()))
        << c->address() << ": painted " << log.who.join(", ").toStdString();
    ++moved;
  }
  // The windows of the desk's faders have them all bound to sliders.
  const std::string name = GetParam();
  if (name == "Hoofdblad") {
    EXPECT_EQ(moved, 32 + 3);
  } else if (name == "Playdesk") {
    EXPECT_EQ(moved, 12 + 3);
  } else if (name == "Chases") {
    EXPECT_GE(moved, 1);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryWindow, RefreshPaints,
                         ::testing::Values("Hoofdblad", "Playdesk", "Realout", "editpatchlist", "Channel_Names",
                                           "Fader_Function_Form", "Button_Function_Form", "Project_text",
                                           "frmAbout", "Portsetup", "Art_Config", "namedit", "instant_screen",
                                           "Chases", "Fixture_Prop", "BCF", "BCF_configure", "CLI", "Health"),
                         [](const ::testing::TestParamInfo<const char*>& i) { return std::string(i.param); });

}  // namespace
}  // namespace lumora::gui

namespace lumora::gui {
namespace {

class Frames : public testing::ViewTest {
 protected:
  QAbstractSlider* fader(FormView* v, Control& c) { return qobject_cast<QAbstractSlider*>(v->binder().widgetOf(c)); }
};

// Model changes from timers and the console wait for the next frame: a
// request right after a refresh does not refresh again, the frame does.
TEST_F(Frames, RequestsWithinAFrameAreCoalesced) {
  FormView* v = host->view(desk->hoofdblad());
  Control& c = desk->hoofdblad().Slider1[2];
  QAbstractSlider* s = fader(v, c);
  ASSERT_TRUE(s);
  host->syncAll();
  const int was = s->value();
  c.setValue(was == 100 ? 101 : 100);
  host->requestSync();
  EXPECT_EQ(s->value(), was);  // within the frame: not yet shown
  c.setValue(was == 100 ? 102 : 103);
  host->requestSync();
  EXPECT_EQ(s->value(), was);
  host->syncAll();  // the frame
  EXPECT_EQ(s->value(), c.Value());
}

// On the desk's real clock a frame goes with the wake-up for a model timer
// due about when the frame is: a timer that moves a fader every 20 ms gets
// a frame at every other event, and the frame timer hardly ever wakes the
// host itself (without riding it would, at about every other event).
TEST_F(Frames, OnTheRealClockFramesGoWithTheModelTimersWakeUps) {
  DeskOptions o;
  o.headless = false;
  o.sim = true;
  Desk live(o, dialogs);
  GuiHost liveHost(live);
  live.Start();
  // Only the timer under test changes the model and wakes the host.
  for (Form* f : live.forms())
    for (Timer* t : f->timers()) t->setEnabled(false);
  Control& c = live.hoofdblad().Slider1[3];
  Timer mover(live.hoofdblad(), "Mover");
  int moves = 0;
  mover.onTimer = [&] {
    ++moves;
    c.setValue(moves % 200);
  };
  mover.setInterval(20);
  mover.setEnabled(true);
  liveHost.syncAll();
  QEventLoop loop;
  QTimer::singleShot(800, &loop, &QEventLoop::quit);
  loop.exec();
  mover.setEnabled(false);
  const long frames = liveHost.frames(), alone = liveHost.framesWokenAlone();
  EXPECT_GE(moves, 10);
  EXPECT_GE(frames, moves / 3) << moves << " moves";
  EXPECT_LE(alone, frames / 5) << frames << " frames, " << moves << " moves";
  // Shown: the last move is on the screen by the next frame.
  liveHost.syncAll();
  FormView* v = liveHost.view(live.hoofdblad());
  auto* s = qobject_cast<QAbstractSlider*>(v->binder().widgetOf(c));
  ASSERT_TRUE(s);
  EXPECT_EQ(s->value(), c.Value());
}

// A minimised window is left alone until it is restored, then catches up.
TEST_F(Frames, MinimisedWindowIsNotRefreshedUntilRestored) {
  FormView* v = host->view(desk->hoofdblad());
  Control& c = desk->hoofdblad().Slider1[5];
  QAbstractSlider* s = fader(v, c);
  ASSERT_TRUE(s);
  v->setWindowState(Qt::WindowMinimized);
  ASSERT_TRUE(v->isMinimized());
  const int was = s->value();
  c.setValue(was == 50 ? 60 : 50);
  host->syncAll();
  EXPECT_EQ(s->value(), was);
  v->setWindowState(Qt::WindowNoState);
  host->syncAll();
  EXPECT_EQ(s->value(), c.Value());
}

}  // namespace
}  // namespace lumora::gui
