// What the desk's windows cost to keep and to draw: the main desk's channel
// strip keeps its dark look without a style sheet over its widgets (a sheet
// there puts ~200 widgets under the style-sheet style, with a cache each).
#include <gtest/gtest.h>

#include <QFrame>
#include <QImage>
#include <QSlider>
#include <QStyle>
#include <cstring>

#include "desk/hoofdblad.h"
#include "view_test_fixture.h"

namespace lumora::gui {
namespace {

class WindowCost : public testing::ViewTest {};

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
  // A channel colour still reaches its box (through the box's own sheet).
  desk->state.ChannelInfo[0].Colour = "255";  // red
  desk->hoofdblad().RefreshDesk();
  host->syncAll();
  QLineEdit* name = edit(v, "1");
  ASSERT_TRUE(name);
  EXPECT_TRUE(name->styleSheet().contains("#ff0000"));
}

}  // namespace
}  // namespace lumora::gui
