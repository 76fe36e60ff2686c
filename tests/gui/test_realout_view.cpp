// The output monitor window under the offscreen platform: it follows the
// model and repaints only the bars that moved.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPaintEvent>
#include <QPushButton>
#include <QRegion>

#include "app/console.h"
#include "app/desk.h"
#include "desk/realout.h"
#include "gui/gui_host.h"
#include "gui/view.h"

namespace lumora::gui {
namespace {

int argc = 1;
char arg0[] = "lumora_gui_tests";
char* argv[] = {arg0, nullptr};

// Collects the regions the panel is asked to paint.
class PaintSpy : public QObject {
 public:
  QRegion painted;
  int paints = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) {
      painted += static_cast<QPaintEvent*>(e)->region();
      ++paints;
    }
    return false;
  }
};

class MonitorView : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!QApplication::instance()) new QApplication(argc, argv);
  }
  MonitorView() {
    DeskOptions o;
    o.manualClock = true;
    o.headless = false;
    desk = std::make_unique<Desk>(o, dialogs);
    host = std::make_unique<GuiHost>(*desk);
    desk->Start();
    desk->realout().Show();
    host->syncAll();
    view = host->view(desk->realout());
    panel = view->findChild<QWidget*>("MonitorPanel");
    QApplication::processEvents();
  }
  QPushButton* button(const char* name) { return view->findChild<QPushButton*>(name); }
  void settle() {
    host->syncAll();
    QApplication::processEvents();
  }

  ConsoleDialogs dialogs;
  std::unique_ptr<Desk> desk;
  std::unique_ptr<GuiHost> host;
  FormView* view = nullptr;
  QWidget* panel = nullptr;
};

TEST_F(MonitorView, WindowShowsTitleButtonsAndPanel) {
  ASSERT_TRUE(view);
  ASSERT_TRUE(panel);
  EXPECT_TRUE(view->isVisible());
  EXPECT_EQ(view->windowTitle(), " Real DMX Output  Ch 1   -  Ch 144");
  ASSERT_TRUE(button("Pannel_Dec"));
  EXPECT_FALSE(button("Pannel_Dec")->isEnabled());
  EXPECT_TRUE(button("Pannel_Inc")->isEnabled());
  // Every bar fits inside the panel, side by side without overlap.
  EXPECT_GE(panel->width(), 8 * 100);
}

TEST_F(MonitorView, PagingButtonFollowsTheModel) {
  button("Pannel_Inc")->click();
  settle();
  EXPECT_EQ(desk->realout().MonitorPage, 1);
  EXPECT_EQ(view->windowTitle(), " Real DMX Output  Ch 144   -  Ch 287");
  EXPECT_TRUE(button("Pannel_Dec")->isEnabled());
  button("Command1")->click();
  settle();
  EXPECT_FALSE(view->isVisible());
}

TEST_F(MonitorView, ChangedBarRepaintsOnlyItsOwnRectangle) {
  PaintSpy spy;
  panel->installEventFilter(&spy);
  settle();
  spy.painted = QRegion();
  spy.paints = 0;
  desk->realout().ProgBar1[9].setValue(180);
  settle();
  ASSERT_GE(spy.paints, 1);
  const QRect r = spy.painted.boundingRect();
  EXPECT_LE(r.width(), 100);
  EXPECT_LE(r.height(), 20);
  // A sync with nothing changed paints nothing.
  spy.paints = 0;
  desk->realout().Pannel_Inc.setCaption(">>");  // unchanged: no revision bump
  settle();
  EXPECT_EQ(spy.paints, 0);
  panel->removeEventFilter(&spy);
}

TEST_F(MonitorView, PageChangeRepaintsTheCellsItChanged) {
  PaintSpy spy;
  panel->installEventFilter(&spy);
  settle();
  spy.painted = QRegion();
  desk->realout().MonitorPage = 3;
  desk->realout().ShowMonitor();
  settle();
  // Labels changed everywhere, so the whole panel area was repainted.
  EXPECT_GE(spy.painted.boundingRect().height(), panel->height() - 8);
  panel->removeEventFilter(&spy);
}

}  // namespace
}  // namespace lumora::gui
