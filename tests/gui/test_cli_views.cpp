// The command line window's view: it shows the line being typed, its
// indicator, and takes the keypad keys typed on it.
#include <QImage>
#include <QKeyEvent>

#include "core/levels.h"
#include "gui/widgets.h"
#include "remote/cli.h"
#include "tests/gui/view_test_fixture.h"

namespace lumora::gui {
namespace {

using CliView = testing::ViewTest;

// Each key its own time stamp, as the platform stamps real key presses (the
// host hands a key event travelling up the parents to the form only once).
void Keypad(QWidget* w, Qt::Key k, const QString& t) {
  static quint64 stamp = 1000;
  QKeyEvent e(QEvent::KeyPress, k, Qt::KeypadModifier, t);
  e.setTimestamp(++stamp);
  QApplication::sendEvent(w, &e);
}

TEST_F(CliView, KeysTypedOnTheWindowBuildTheLineAndEnterSetsTheLevel) {
  FormView* v = open(desk->cli());
  ASSERT_TRUE(v);
  EXPECT_EQ(v->windowTitle(), "Command Line");
  EXPECT_TRUE(label(v, "Keypad: n . level   n * m   n +   n /   C n   Enter"));
  ASSERT_TRUE(button(v, "Close"));
  QLineEdit* line = v->findChild<QLineEdit*>();
  ASSERT_TRUE(line);
  EXPECT_TRUE(line->isReadOnly());
  EXPECT_EQ(line->text(), "");

  Keypad(v, Qt::Key_5, "5");
  Keypad(v, Qt::Key_Period, ".");
  Keypad(v, Qt::Key_5, "5");
  Keypad(v, Qt::Key_0, "0");
  EXPECT_EQ(desk->cli().String_In.Text(), "5 @ 50");
  EXPECT_EQ(line->text(), "5 @ 50");
  Keypad(v, Qt::Key_Enter, "\r");
  EXPECT_EQ(desk->state.DeskLevels[4], 128);  // 50 % of full, rounded to even
}

TEST_F(CliView, IndicatorShowsTheModelColourAndCloseUnloads) {
  FormView* v = open(desk->cli());
  ASSERT_TRUE(v);
  auto* light = ofType<ColourPatch>(v).value(0);
  ASSERT_TRUE(light);
  desk->cli().Shape1.setBackColor(RGB(255, 0, 0));
  host->syncAll();
  const QImage img = light->grab().toImage();
  EXPECT_EQ(img.pixelColor(img.width() / 2, img.height() / 2), QColor(255, 0, 0));

  click(button(v, "Close"));
  host->syncAll();
  EXPECT_FALSE(desk->cli().Loaded());
  EXPECT_FALSE(v->isVisible());
}

}  // namespace
}  // namespace lumora::gui
