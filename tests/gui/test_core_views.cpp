// The main desk, patch editor and channel names views under the offscreen
// platform: what they draw and the acts they forward.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QImage>

#include "app/console.h"
#include "app/desk.h"
#include "desk/channel_names.h"
#include "desk/editpatchlist.h"
#include "desk/hoofdblad.h"
#include "gui/desk_fader.h"
#include "gui/gui_host.h"
#include "gui/view.h"
#include "view_test_fixture.h"

namespace lumora::gui {
namespace {

class CoreViews : public testing::ViewTest {
 protected:
  // The line edit of a view showing exactly this text.
  static QLineEdit* editWithText(FormView* v, const QString& t) {
    for (QLineEdit* e : v->findChildren<QLineEdit*>())
      if (e->text() == t) return e;
    return nullptr;
  }
  // Typing as the user does: key events, so the box reports an edit.
  static void typeText(QLineEdit* e, const QString& text) {
    for (QChar ch : text) {
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
      QApplication::sendEvent(e, &press);
    }
  }
  static void rightPress(QWidget* w) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 3), w->mapToGlobal(QPointF(3, 3)), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
  }
};

TEST_F(CoreViews, FaderCapSitsAtTheTopForFullLevel) {
  FormView* v = host->view(desk->hoofdblad());
  v->resize(1590, 940);
  QApplication::processEvents();
  auto faders = v->findChildren<DeskFader*>();
  ASSERT_GE(faders.size(), 35);
  DeskFader* f = faders[0];
  // Row of the cap's white centre line in the painted fader.
  auto capY = [f] {
    const QImage img = f->grab().toImage();
    for (int y = 0; y < img.height(); ++y)
      if (img.pixelColor(img.width() / 2 - 4, y) == QColor(Qt::white)) return y;
    return -1;
  };
  desk->hoofdblad().Command1[0].Click();  // Max
  host->syncAll();
  const int full = capY();
  desk->hoofdblad().Command2[0].Click();  // Min
  host->syncAll();
  const int zero = capY();
  ASSERT_GE(full, 0);
  EXPECT_LT(full, f->height() / 4);
  EXPECT_GT(zero, f->height() * 3 / 4);
}

TEST_F(CoreViews, NameBoxesKeepTheirTextReadableOnDarkColours) {
  desk->state.ChannelInfo[0].Colour = "8388608";  // dark blue
  desk->hoofdblad().RefreshDesk();
  host->syncAll();
  FormView* v = host->view(desk->hoofdblad());
  QLineEdit* name = editWithText(v, "1");
  ASSERT_TRUE(name);
  EXPECT_EQ(textColour(name), QColor(Qt::white));
  EXPECT_EQ(face(name), QColor("#000080"));
  EXPECT_TRUE(paintsFace(name, QColor("#000080")));
}

TEST_F(CoreViews, RightPressOnALevelBoxOpensChannelNames) {
  FormView* v = host->view(desk->hoofdblad());
  desk->state.DeskLevels[3] = 123;
  desk->hoofdblad().RefreshDesk();
  host->syncAll();
  QLineEdit* level = editWithText(v, " 123");
  ASSERT_TRUE(level);
  rightPress(level);
  host->syncAll();
  EXPECT_EQ(desk->state.SelectedChannel, 3);
  FormView* names = host->view(desk->channelNames());
  ASSERT_TRUE(names);
  EXPECT_TRUE(names->isVisible());
  EXPECT_TRUE(editWithText(names, "4"));
}

TEST_F(CoreViews, PatchBoxTypingIsCheckedAndStoredOnOk) {
  desk->hoofdblad().editpatch.Click();
  host->syncAll();
  FormView* v = host->view(desk->patchEditor());
  ASSERT_TRUE(v && v->isVisible());
  auto boxes = v->findChildren<SelectAllEdit*>();
  ASSERT_EQ(boxes.size(), 128);
  QLineEdit* box = editWithText(v, " 5");  // slot 5
  ASSERT_TRUE(box);
  box->clear();
  typeText(box, "70");  // "7" is fine, "70" is not
  host->syncAll();
  auto events = dialogs.takeEvents();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_NE(events[0].find(" Not a valid Patch Number must be 1 - 64"), std::string::npos);
  EXPECT_EQ(box->text(), "0");
  box->clear();
  typeText(box, "12");
  for (QPushButton* b : v->findChildren<QPushButton*>())
    if (b->text() == "OK") b->click();
  host->syncAll();
  EXPECT_EQ(desk->state.PatchTable[4], 12);
  EXPECT_FALSE(v->isVisible());
}

TEST_F(CoreViews, ChannelNamesFollowBoxesEditTheInvertedFlags) {
  desk->hoofdblad().Channel_Edit.Click();
  host->syncAll();
  FormView* v = host->view(desk->channelNames());
  ASSERT_TRUE(v);
  QCheckBox* mainF = nullptr;
  for (QCheckBox* c : v->findChildren<QCheckBox*>())
    if (c->text() == "Follows Main fader") mainF = c;
  ASSERT_TRUE(mainF);
  EXPECT_TRUE(mainF->isChecked());
  mainF->click();
  host->syncAll();
  EXPECT_EQ(desk->state.ChannelInfo[0].Main_F, -1);
}

}  // namespace
}  // namespace lumora::gui
