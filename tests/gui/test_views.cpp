// Views under the offscreen platform: they draw the model and forward the
// user's acts as the model's events.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSlider>

#include "app/console.h"
#include "app/desk.h"
#include "desk/hoofdblad.h"
#include "gui/gui_host.h"
#include "gui/view.h"
#include "view_test_fixture.h"
#include "remote/cli.h"

namespace lumora::gui {
namespace {

class Views : public testing::ViewTest {
 protected:
};

TEST_F(Views, MainDeskViewShowsTheFaderStripAndFollowsTheModel) {
  FormView* v = host->view(desk->hoofdblad());
  ASSERT_TRUE(v);
  EXPECT_TRUE(v->isVisible());
  auto sliders = v->findChildren<QSlider*>();
  EXPECT_GE(sliders.size(), 35);  // 32 channels + 3 masters
  // Model -> view
  desk->hoofdblad().Slider1[0].setValue(55);
  host->syncAll();
  QSlider* first = nullptr;
  for (QSlider* s : sliders)
    if (s->value() == 55) first = s;
  ASSERT_TRUE(first);
  // View -> model: the user moves the fader
  first->setValue(0);
  EXPECT_EQ(desk->state.DeskLevels[0], 255);
  EXPECT_EQ(desk->hoofdblad().Text1[0].Text(), " 255");
}

TEST_F(Views, StatusLineShowsTheModelText) {
  FormView* v = host->view(desk->hoofdblad());
  bool found = false;
  for (QLineEdit* e : v->findChildren<QLineEdit*>())
    if (e->text() == " Main Desk Running ") found = true;
  EXPECT_TRUE(found);
}

TEST_F(Views, ClosingTheMainWindowRunsTheExitOperation) {
  FormView* v = host->view(desk->hoofdblad());
  desk->state.ProjectChanged = -1;
  dialogs.queueAnswer(MsgResult::Cancel);
  v->close();
  EXPECT_FALSE(desk->ended());
  EXPECT_TRUE(desk->hoofdblad().Visible());
  dialogs.queueAnswer(MsgResult::Ok);
  v->close();
  EXPECT_TRUE(desk->ended());
}

TEST_F(Views, KeysPressedOnTheMainDeskReachTheCommandLineOnce) {
  FormView* v = host->view(desk->hoofdblad());
  QSlider* s = v->findChildren<QSlider*>().front();
  QKeyEvent five(QEvent::KeyPress, Qt::Key_5, Qt::KeypadModifier, "5");
  QApplication::sendEvent(s, &five);
  EXPECT_EQ(desk->cli().String_In.Text(), "5");
  QKeyEvent point(QEvent::KeyPress, Qt::Key_Period, Qt::KeypadModifier, ".");
  QApplication::sendEvent(s, &point);
  EXPECT_EQ(desk->cli().String_In.Text(), "5 @");
}

}  // namespace
}  // namespace lumora::gui
