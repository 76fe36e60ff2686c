// What the desk's windows cost to keep and to draw: the main desk's channel
// strip keeps its dark look without a style sheet over its widgets (a sheet
// there puts ~200 widgets under the style-sheet style, with a cache each).
#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QImage>
#include <QProxyStyle>
#include <QSlider>
#include <QStyle>
#include <QStyleFactory>
#include <QThreadPool>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>

#include "desk/hoofdblad.h"
#include "playback/playdesk.h"
#include "view_test_fixture.h"

namespace lumora::gui {
namespace {

class WindowCost : public testing::ViewTest {};

// Counts the paint events one widget receives.
class PaintCount : public QObject {
 public:
  explicit PaintCount(QWidget* w) { w->installEventFilter(this); }
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paints;
    return false;
  }
};

QGroupBox* Box(QWidget* v, const QString& title) {
  for (auto* g : v->findChildren<QGroupBox*>())
    if (g->title() == title) return g;
  return nullptr;
}

bool UnderStyleSheet(const QWidget* w) { return std::strcmp(w->style()->metaObject()->className(), "QStyleSheetStyle") == 0; }

TEST_F(WindowCost, StripKeepsItsLookWithoutAStyleSheetOverItsWidgets) {
  FormView* v = open(desk->hoofdblad());
  ASSERT_TRUE(v);
  auto* strip = v->findChild<QFrame*>("strip");
  ASSERT_TRUE(strip);
  EXPECT_TRUE(strip->styleSheet().isEmpty());
  // The faders and the Max/Min buttons are drawn by the plain style.
  int faders = 0, buttons = 0;
  for (auto* s : strip->findChildren<QSlider*>()) {
    EXPECT_FALSE(UnderStyleSheet(s));
    ++faders;
  }
  for (auto* b : strip->findChildren<QPushButton*>()) {
    if (b->text() != "Max" && b->text() != "Min") continue;
    EXPECT_FALSE(UnderStyleSheet(b)) << b->text().toStdString();
    ++buttons;
  }
  EXPECT_EQ(faders, 32);
  EXPECT_EQ(buttons, 64);
  // The look stays: the dark panel, light channel numbers on it.
  const QImage img = strip->grab().toImage();
  EXPECT_EQ(img.pixelColor(3, img.height() / 2), QColor(0x2f, 0x31, 0x36));
  QLabel* one = nullptr;
  for (auto* l : strip->findChildren<QLabel*>())
    if (l->text() == "1") one = l;
  ASSERT_TRUE(one);
  EXPECT_EQ(one->palette().color(QPalette::WindowText), QColor(0xd8, 0xd8, 0xd8));
  // A channel colour still reaches its box.
  desk->state.ChannelInfo[0].Colour = "255";  // red
  desk->hoofdblad().RefreshDesk();
  host->syncAll();
  QLineEdit* name = edit(v, "1");
  ASSERT_TRUE(name);
  EXPECT_EQ(face(name), QColor("#ff0000"));
}

// No window brings in the style-sheet engine: colours go through palettes,
// so no widget keeps a parsed sheet or is re-polished when its colour moves.
TEST_F(WindowCost, NoWindowUsesAStyleSheet) {
  int windows = 0;
  for (Form* f : desk->forms()) {
    FormView* v = open(*f);
    if (!v) continue;
    ++windows;
    EXPECT_TRUE(v->styleSheet().isEmpty()) << f->name();
    for (QWidget* w : v->findChildren<QWidget*>()) {
      EXPECT_TRUE(w->styleSheet().isEmpty()) << f->name() << " " << w->metaObject()->className();
      EXPECT_FALSE(UnderStyleSheet(w)) << f->name() << " " << w->metaObject()->className();
    }
    f->Hide();
  }
  EXPECT_GE(windows, 20);
  EXPECT_TRUE(qApp->styleSheet().isEmpty());
}

// A moving fader or a changing level in the play desk repaints itself, not
// the group box around it, and looks as it did (its background is the box's
// face, pixel for pixel).
TEST_F(WindowCost, PlayFadersRepaintWithoutTheirGroupBox) {
  FormView* v = open(desk->playdesk());
  ASSERT_TRUE(v);
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
  QGroupBox* page = Box(v, "Page");
  QGroupBox* run = Box(v, "Run");
  ASSERT_TRUE(page && run);
  auto* fader = qobject_cast<QSlider*>(v->binder().widgetOf(desk->playdesk().Slider1[0]));
  auto* cross = qobject_cast<QSlider*>(v->binder().widgetOf(desk->playdesk().Run_Crossfade));
  ASSERT_TRUE(fader && cross);
  // The face the box shows between its faders is what a fader fills with.
  const QImage img = page->grab().toImage();
  const QPoint inFader = fader->mapTo(page, QPoint(1, fader->height() / 2));
  const QPoint between = inFader - QPoint(3, 0);
  ASSERT_FALSE(fader->geometry().contains(fader->parentWidget()->mapFrom(page, between)));
  EXPECT_EQ(img.pixelColor(inFader), img.pixelColor(between));
  PaintCount pagePaints(page), runPaints(run), faderPaints(fader), crossPaints(cross);
  desk->playdesk().Slider1[0].setValue(100);
  desk->playdesk().Slider1[0].Change();
  desk->playdesk().Run_Crossfade.setValue(desk->playdesk().Run_Crossfade.Value() == 50 ? 60 : 50);
  host->syncAll();
  QApplication::processEvents();
  EXPECT_EQ(fader->value(), 100);
  EXPECT_GE(faderPaints.paints, 1);
  EXPECT_GE(crossPaints.paints, 1);
  EXPECT_EQ(pagePaints.paints, 0);
  EXPECT_EQ(runPaints.paints, 0);
}

}  // namespace
}  // namespace lumora::gui

namespace lumora::gui {
namespace {

// Tall faders are painted in strips: the pixels are the plain style's, and
// none of the work goes to Qt's thread pool (which the raster engine hands
// every image blend of 96 lines or more).
TEST_F(WindowCost, TallFadersPaintAsThePlainStyleOnTheUiThread) {
  const auto* deskStyle = qobject_cast<const QProxyStyle*>(QApplication::style());
  ASSERT_TRUE(deskStyle && deskStyle->baseStyle());
  std::unique_ptr<QStyle> plain(QStyleFactory::create(deskStyle->baseStyle()->name()));
  ASSERT_TRUE(plain);
  QSlider fader(Qt::Vertical);
  fader.setRange(0, 255);
  fader.setValue(90);
  fader.resize(30, 736);
  auto paint = [](QWidget& w) {
    QImage img(w.size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    w.render(&img);
    return img;
  };
  fader.setStyle(plain.get());
  const QImage plainFader = paint(fader);
  fader.setStyle(QApplication::style());
  // The first paint of a size draws the style's cached images (once).
  paint(fader);

  // Every thread of the pool kept busy: a blend handed to it would wait
  // until the watchdog frees them.
  QThreadPool* pool = QThreadPool::globalInstance();
  std::atomic<bool> release{false}, painted{false}, timedOut{false};
  std::atomic<int> busy{0};
  const int threads = std::max(1, pool->maxThreadCount());
  for (int i = 0; i < threads; ++i)
    pool->start([&] {
      ++busy;
      while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
  for (int i = 0; i < 5000 && busy < threads; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_EQ(busy, threads);
  std::thread watchdog([&] {
    for (int i = 0; i < 1000 && !painted; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!painted) timedOut = true;
    release = true;
  });
  const QImage faderInStrips = paint(fader);
  painted = true;
  watchdog.join();
  pool->waitForDone();
  EXPECT_FALSE(timedOut) << "the paint waited for Qt's thread pool";
  EXPECT_EQ(faderInStrips, plainFader);
}

}  // namespace
}  // namespace lumora::gui
