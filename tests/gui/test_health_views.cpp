// The Output Health window and the status bar's Output indicator under the
// offscreen platform: where they open from, the figures in the tables, and
// that a second of new figures repaints only the cells that changed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPaintEvent>
#include <QTableWidget>
#include <QHeaderView>

#include "desk/hoofdblad.h"
#include "app/health_window.h"
#include "view_test_fixture.h"

namespace lumora::gui {
namespace {

class HealthViews : public testing::ViewTest {
 protected:
  Health& health() { return *desk->owned<Health>(); }
  void advance(int ms) {
    desk->scheduler().advance(ms);
    host->syncAll();
    QApplication::processEvents();
  }
  QTableWidget* table(FormView* v, int columns) {
    for (auto* t : v->findChildren<QTableWidget*>())
      if (t->columnCount() == columns) return t;
    return nullptr;
  }
};

TEST_F(HealthViews, TheOutputIndicatorOpensTheWindowAndShowsTheState) {
  FormView* main = host->view(desk->hoofdblad());
  QLabel* output = withText<QLabel>(main, "Output");
  ASSERT_TRUE(output);
  EXPECT_FALSE(health().Visible());
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 3), output->mapToGlobal(QPointF(3, 3)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(3, 3), output->mapToGlobal(QPointF(3, 3)), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(output, &press);
  QApplication::sendEvent(output, &release);
  host->syncAll();
  EXPECT_TRUE(health().Visible());
  // A selected adapter whose tick stops sends nothing: the label turns red.
  desk->state.AdapterType = 1;
  desk->hoofdblad().Timer1.setEnabled(false);
  advance(3000);
  EXPECT_EQ(face(output), QColor("#dc0000")) << face(output).name().toStdString();
  EXPECT_TRUE(paintsFace(output, QColor("#dc0000")));
  EXPECT_NE(output->toolTip().indexOf("sends nothing"), -1);
  desk->hoofdblad().Timer1.setEnabled(true);
  advance(2000);
  EXPECT_TRUE(inheritsColours(output));
}

TEST_F(HealthViews, TheSetupMenuHasTheWindow) {
  FormView* main = host->view(desk->hoofdblad());
  QAction* found = nullptr;
  for (QAction* a : main->findChildren<QAction*>())
    if (a->text() == "Output Health...") found = a;
  ASSERT_TRUE(found);
  found->trigger();
  host->syncAll();
  EXPECT_TRUE(health().Visible());
}

TEST_F(HealthViews, TablesShowTheRowsAndASecondRepaintsOnlyWhatChanged) {
  desk->state.AdapterType = 1;
  desk->hoofdblad().Timer1.setInterval(25);
  FormView* v = open(health());
  advance(12000);
  QTableWidget* outputs = table(v, 5);
  ASSERT_TRUE(outputs);
  ASSERT_EQ(outputs->rowCount(), 1);
  EXPECT_EQ(outputs->item(0, 0)->text(), "Marwick's Adapter");
  EXPECT_EQ(outputs->item(0, 1)->text(), "40.0");
  QTableWidget* nodes = table(v, 6);
  ASSERT_TRUE(nodes);
  EXPECT_EQ(nodes->rowCount(), 0);

  // Count what the next second paints: the frames counter (and the since-
  // start rate) move, the rest of the window stays as it was.
  struct Log : QObject {
    QWidget* window;
    QRegion painted;
    QStringList who;
    bool eventFilter(QObject* o, QEvent* e) override {
      if (e->type() == QEvent::Paint && o->isWidgetType() && static_cast<QWidget*>(o)->window() == window) {
        auto* w = static_cast<QWidget*>(o);
        painted += static_cast<QPaintEvent*>(e)->region().translated(w->mapTo(window, QPoint(0, 0)));
        who << w->metaObject()->className();
      }
      return false;
    }
  } log;
  log.window = v;
  QApplication::processEvents();
  qApp->installEventFilter(&log);
  advance(1000);
  qApp->removeEventFilter(&log);
  const QRect tableArea(outputs->mapTo(v, QPoint(0, 0)), outputs->size());
  const QRect frames = outputs->visualItemRect(outputs->item(0, 3));
  EXPECT_FALSE(log.painted.isEmpty());
  // Everything painted lies within the labels that changed or the table; of
  // the table, the cells of the row, never the header or the empty rows.
  QRegion inTable = log.painted & tableArea;
  EXPECT_LE(inTable.boundingRect().height(), frames.height() + 4)
      << log.who.join(",").toStdString() << " " << inTable.boundingRect().y() << "+" << inTable.boundingRect().height()
      << " table at " << tableArea.y() << " row at " << frames.y();
  QRegion nodesArea(QRect(nodes->mapTo(v, QPoint(0, 0)), nodes->size()));
  EXPECT_TRUE((log.painted & nodesArea).isEmpty()) << log.who.join(",").toStdString();
}

}  // namespace
}  // namespace lumora::gui
