// The Scroller widget on the offscreen platform: properties, layout rules,
// mouse, keys, the set menu and persistence.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "scroller.h"

namespace veltrack {
namespace {

int argc = 1;
char arg0[] = "veltrack_tests";
char* argv[] = {arg0, nullptr};

class Widget : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!QApplication::instance()) new QApplication(argc, argv);
  }
  Widget() {
    s.resize(212, 30);  // default knob 12 wide: travel 200
    s.show();           // a hidden widget gets its resize only when shown
  }
  QPoint knobCentre() const { return s.knobRect().center(); }
  Scroller s;
};

TEST_F(Widget, EveryPropertyIsAQtPropertyWithItsDefault) {
  const char* names[] = {"Picture", "BackColor", "AutoRedraw", "Direction", "ScrollKnobPicture", "CenterLine",
                         "CenterLineColor", "MenuEnabled", "Min", "Max", "Value", "Caption"};
  for (const char* n : names) EXPECT_GE(s.metaObject()->indexOfProperty(n), 0) << n;
  EXPECT_TRUE(s.property("Picture").value<QPixmap>().isNull());
  EXPECT_EQ(s.property("BackColor").value<QColor>(), s.palette().color(QPalette::Button));
  EXPECT_TRUE(s.property("AutoRedraw").toBool());
  EXPECT_FALSE(s.property("Direction").toBool());
  EXPECT_TRUE(s.property("CenterLine").toBool());
  EXPECT_EQ(ColourValue(s.property("CenterLineColor").value<QColor>()), 8421504);
  EXPECT_TRUE(s.property("MenuEnabled").toBool());
  EXPECT_EQ(s.property("Min").toInt(), 0);
  EXPECT_EQ(s.property("Max").toInt(), 32766);
  EXPECT_EQ(s.property("Value").toInt(), 0);
  EXPECT_EQ(s.property("Caption").toString(), "");
  // Set through the property system like a form loader would.
  EXPECT_TRUE(s.setProperty("Value", 500));
  EXPECT_EQ(s.Value(), 500);
}

TEST_F(Widget, RunTimeErrorsReachTheContainerAsScrollerError) {
  EXPECT_THROW(s.setMax(32767), ScrollerError);
  EXPECT_EQ(s.Max(), 32766);
  EXPECT_NO_THROW(s.setMax(32766));
  try {
    s.setMin(-1);
    FAIL() << "no error";
  } catch (const ScrollerError& e) {
    EXPECT_STREQ(e.what(), "ERROR! Cannot set min value to negative ! (below 0 )");
  }
}

TEST_F(Widget, DesignTimeCorrectsAndShowsTheMessage) {
  s.setDesignMode(true);
  s.setDesignMessageBoxes(false);
  QSignalSpy msgs(&s, &Scroller::DesignMessage);
  s.setMax(32767);
  EXPECT_EQ(s.Max(), 32766);
  ASSERT_EQ(msgs.count(), 1);
  EXPECT_EQ(msgs.at(0).at(0).toString(), "ERROR! Can't set MAX above 32766");
}

TEST_F(Widget, HeightFollowsTheKnobAndDirectionSwapsTheSides) {
  const QPixmap knob = s.knobImage();
  EXPECT_EQ(knob.size(), QSize(12, 24));
  EXPECT_EQ(s.size(), QSize(212, 24));  // across the track: the knob's size
  s.setDirection(true);
  EXPECT_EQ(s.width(), s.knobImage().width());
  EXPECT_EQ(s.height(), 212);
  s.setDirection(false);
  EXPECT_EQ(s.size(), QSize(212, 24));
}

TEST_F(Widget, NeverShorterThanTheKnobAlongTheTrack) {
  s.show();
  s.resize(5, 24);
  QApplication::processEvents();
  EXPECT_EQ(s.width(), 12);
  QPixmap big(40, 16);
  big.fill(Qt::red);
  s.setScrollKnobPicture(big);
  EXPECT_EQ(s.knobImage().size(), QSize(40, 16));
  EXPECT_EQ(s.height(), 16);
  EXPECT_EQ(s.width(), 40);
}

TEST_F(Widget, MiddleValuePlacesTheKnobMidTravelAndRaisesScroll) {
  QSignalSpy scroll(&s, &Scroller::Scroll);
  s.setValue(16383);
  EXPECT_EQ(s.knobRect().left(), 100);
  ASSERT_GE(scroll.count(), 1);
  EXPECT_EQ(scroll.last().at(0).toInt(), 16383);
  s.setDirection(true);
  s.setValue(16383);
  EXPECT_EQ(s.knobRect().top(), 100);
}

TEST_F(Widget, DraggingTheKnobPastBothEndsGivesMaxAndMin) {
  s.show();
  QSignalSpy scroll(&s, &Scroller::Scroll);
  s.setValue(16383);
  const QPoint c = knobCentre();
  QTest::mousePress(&s, Qt::LeftButton, {}, c);
  QMouseEvent move(QEvent::MouseMove, QPointF(c.x() + 500, c.y()), s.mapToGlobal(QPointF(c.x() + 500, c.y())),
                   Qt::NoButton, Qt::LeftButton, {});
  QApplication::sendEvent(&s, &move);
  EXPECT_EQ(s.Value(), 32766);
  EXPECT_EQ(s.knobRect().left(), 200);
  QMouseEvent back(QEvent::MouseMove, QPointF(c.x() - 900, c.y()), s.mapToGlobal(QPointF(c.x() - 900, c.y())),
                   Qt::NoButton, Qt::LeftButton, {});
  QApplication::sendEvent(&s, &back);
  EXPECT_EQ(s.Value(), 0);
  EXPECT_EQ(scroll.last().at(0).toInt(), 0);
  QTest::mouseRelease(&s, Qt::LeftButton, {}, QPoint(0, c.y()));
  EXPECT_FALSE(s.model().dragging());
}

TEST_F(Widget, ClickOnTheTrackCentresTheKnobThere) {
  s.show();
  QTest::mouseClick(&s, Qt::LeftButton, {}, QPoint(106, 12));
  EXPECT_EQ(s.knobRect().left(), 100);
  EXPECT_EQ(s.Value(), 16383);
}

TEST_F(Widget, KeypadKeysStepTheKnob) {
  s.show();
  s.setMax(200);
  QSignalSpy scroll(&s, &Scroller::Scroll);
  QTest::keyClick(&s, Qt::Key_Plus, Qt::KeypadModifier);
  QTest::keyClick(&s, Qt::Key_Plus, Qt::KeypadModifier);
  EXPECT_EQ(s.Value(), 2);
  QTest::keyClick(&s, Qt::Key_Minus, Qt::KeypadModifier);
  EXPECT_EQ(s.Value(), 1);
  EXPECT_EQ(scroll.count(), 3);
  QTest::keyClick(&s, Qt::Key_Plus);  // the main keyboard's plus is not the keypad key
  EXPECT_EQ(s.Value(), 1);
}

TEST_F(Widget, SetMenuHasThreeEntriesAndHalfOf10To20Is15) {
  s.setMin(10);
  s.setMax(20);
  QMenu* m = s.setMenu();
  EXPECT_EQ(m->title(), "File");
  const auto acts = m->actions();
  ASSERT_EQ(acts.size(), 3);
  EXPECT_EQ(acts[0]->text(), "Set to 0%");
  EXPECT_EQ(acts[1]->text(), "Set to 50%");
  EXPECT_EQ(acts[2]->text(), "Set to 100%");
  QSignalSpy scroll(&s, &Scroller::Scroll);
  acts[1]->trigger();
  EXPECT_EQ(s.Value(), 15);
  EXPECT_EQ(scroll.last().at(0).toInt(), 15);
  acts[2]->trigger();
  EXPECT_EQ(s.Value(), 20);
  acts[0]->trigger();
  EXPECT_EQ(s.Value(), 10);
}

TEST_F(Widget, RightButtonOnTheKnobOpensTheMenuOnlyWhenEnabled) {
  QTest::mousePress(&s, Qt::RightButton, {}, knobCentre());
  EXPECT_TRUE(s.setMenu()->isVisible());
  s.setMenu()->hide();
  s.setMenuEnabled(false);
  QTest::mousePress(&s, Qt::RightButton, {}, knobCentre());
  EXPECT_FALSE(s.setMenu()->isVisible());
  s.setMenuEnabled(true);
  QTest::mousePress(&s, Qt::RightButton, {}, QPoint(150, 12));  // on the track, not the knob
  EXPECT_FALSE(s.setMenu()->isVisible());
}

TEST_F(Widget, PropertiesRoundTripThroughTheBagUnderTheirNames) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString file = dir.filePath("scroller.ini");
  QPixmap bg(30, 10);
  bg.fill(Qt::blue);
  s.setPicture(bg);
  s.setBackColor(QColor(10, 20, 30));
  s.setAutoRedraw(false);
  s.setCenterLine(false);
  s.setCenterLineColor(QColor(1, 2, 3));
  s.setMenuEnabled(false);
  s.setMin(100);
  s.setMax(300);
  s.setValue(250);
  s.setCaption("Speed");
  s.setDirection(true);
  EXPECT_TRUE(s.propertiesChanged());
  {
    QSettings bag(file, QSettings::IniFormat);
    s.WriteProperties(bag);
  }
  EXPECT_FALSE(s.propertiesChanged());
  QSettings bag(file, QSettings::IniFormat);
  EXPECT_EQ(bag.value("BackColor").toInt(), 10 + 256 * 20 + 65536 * 30);
  EXPECT_EQ(bag.value("Max").toInt(), 300);
  Scroller t;
  t.ReadProperties(bag);
  EXPECT_EQ(t.Picture().size(), QSize(30, 10));
  EXPECT_EQ(t.BackColor(), QColor(10, 20, 30));
  EXPECT_FALSE(t.AutoRedraw());
  EXPECT_TRUE(t.Direction());
  EXPECT_TRUE(t.ScrollKnobPicture().isNull());
  EXPECT_FALSE(t.CenterLine());
  EXPECT_EQ(t.CenterLineColor(), QColor(1, 2, 3));
  EXPECT_FALSE(t.MenuEnabled());
  EXPECT_EQ(t.Min(), 100);
  EXPECT_EQ(t.Max(), 300);
  EXPECT_EQ(t.Value(), 250);
  EXPECT_EQ(t.Caption(), "Speed");
}

TEST_F(Widget, EmptyBagGivesTheDefaultsAndADamagedOneNeverThrows) {
  QTemporaryDir dir;
  QSettings empty(dir.filePath("empty.ini"), QSettings::IniFormat);
  s.setMax(50);
  s.setCenterLine(false);
  s.ReadProperties(empty);
  EXPECT_EQ(s.Max(), 32766);
  EXPECT_TRUE(s.CenterLine());
  EXPECT_TRUE(s.BackColorIsSystem());
  EXPECT_EQ(ColourValue(s.CenterLineColor()), 8421504);
  QSettings bad(dir.filePath("bad.ini"), QSettings::IniFormat);
  bad.setValue("Min", 500);
  bad.setValue("Max", 20);
  bad.setValue("Value", -9);
  EXPECT_NO_THROW(s.ReadProperties(bad));
  EXPECT_EQ(s.Min(), 500);
  EXPECT_EQ(s.Max(), 501);
  EXPECT_EQ(s.Value(), 500);
}

TEST_F(Widget, PaintsTrackCentreLineAndKnob) {
  s.setBackColor(QColor(0, 0, 255));
  s.setCenterLineColor(QColor(255, 0, 0));
  s.setValue(0);
  const QImage img = s.grab().toImage();
  EXPECT_EQ(QColor(img.pixel(150, 12)), QColor(255, 0, 0));  // centre line, height 24
  EXPECT_EQ(QColor(img.pixel(150, 3)), QColor(0, 0, 255));
  EXPECT_NE(QColor(img.pixel(5, 3)), QColor(0, 0, 255));  // the knob sits at the left end
  s.setCenterLine(false);
  const QImage plain = s.grab().toImage();
  EXPECT_EQ(QColor(plain.pixel(150, 12)), QColor(0, 0, 255));
}

}  // namespace
}  // namespace veltrack
