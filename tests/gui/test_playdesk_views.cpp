// The play desk's windows under the offscreen platform: they draw the model
// and hand the user's presses and moves to it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>

#include "app/console.h"
#include "app/desk.h"
#include "desk/fader_function_form.h"
#include "gui/gui_host.h"
#include "gui/view.h"
#include "view_test_fixture.h"
#include "playback/instant_screen.h"
#include "playback/namedit.h"
#include "playback/playdesk.h"

namespace lumora::gui {
namespace {

class PlayViews : public testing::ViewTest {
 protected:
  QPushButton* buttonWithText(FormView* v, const QString& text) {
    for (auto* b : v->findChildren<QPushButton*>())
      if (b->text() == text) return b;
    return nullptr;
  }
};

void Press(QWidget* w, QEvent::Type t) {
  const QPointF p(5, 5);
  QMouseEvent e(t, p, w->mapToGlobal(p), Qt::LeftButton, t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

TEST_F(PlayViews, PlayButtonsShowTheirFunctionAndPressTheModel) {
  FormView* v = host->view(desk->playdesk());
  ASSERT_TRUE(v);
  EXPECT_TRUE(v->isVisible());
  QPushButton* seq3 = buttonWithText(v, "Seq  3");
  ASSERT_TRUE(seq3);
  Press(seq3, QEvent::MouseButtonPress);
  Press(seq3, QEvent::MouseButtonRelease);
  EXPECT_EQ(desk->state.PlayButtonState[3], -1);  // latching: on after one press
  EXPECT_TRUE(desk->playdesk().runner().running(3));
  host->syncAll();
  EXPECT_EQ(face(seq3), QColor("#ff0000"));
  EXPECT_TRUE(paintsFace(seq3, QColor("#ff0000")));
}

TEST_F(PlayViews, FaderMovesFeedTheFunctionLevels) {
  desk->state.Submixes[0].Channel[0] = 1;
  desk->state.Submixes[0].Level[0] = 255;
  FormView* v = host->view(desk->playdesk());
  ASSERT_TRUE(v);
  auto sliders = v->findChildren<QSlider*>();
  ASSERT_GE(sliders.size(), 15);  // 12 faders, the masters and the crossfader
  sliders[0]->setValue(0);
  EXPECT_EQ(desk->state.PlayFaderLevel[0], 255);
  EXPECT_EQ(desk->state.FunctionLevels[0], 255);
}

TEST_F(PlayViews, FunctionEditorShowsTheFieldsOfTheChosenFunction) {
  desk->faderFunctionForm().OpenOn(20);
  host->syncAll();
  FormView* v = host->view(desk->faderFunctionForm());
  ASSERT_TRUE(v);
  QComboBox* fun = v->findChildren<QComboBox*>().value(0);
  ASSERT_TRUE(fun);
  EXPECT_EQ(fun->count(), 5);
  EXPECT_EQ(fun->currentText(), "Off");
  int shownEdits = 0;
  for (auto* e : v->findChildren<QLineEdit*>()) shownEdits += e->isVisibleTo(v) ? 1 : 0;
  fun->setCurrentIndex(1);
  emit fun->activated(1);
  host->syncAll();
  int nowShown = 0;
  for (auto* e : v->findChildren<QLineEdit*>()) nowShown += e->isVisibleTo(v) ? 1 : 0;
  EXPECT_GT(nowShown, shownEdits);  // the three channel boxes appear
}

TEST_F(PlayViews, FieldCaptionsHideWithTheirFields) {
  desk->faderFunctionForm().OpenOn(20);
  host->syncAll();
  FormView* v = host->view(desk->faderFunctionForm());
  ASSERT_TRUE(v);
  QComboBox* fun = v->findChildren<QComboBox*>().value(0);
  ASSERT_TRUE(fun);
  QLabel* colour = nullptr;
  QLabel* name = nullptr;
  for (auto* l : v->findChildren<QLabel*>()) {
    if (l->text() == "Colour") colour = l;
    if (l->text() == "Name") name = l;
  }
  ASSERT_TRUE(colour && name);
  int shown = 0, hidden = 0;
  for (int i = 0; i < fun->count(); ++i) {
    fun->setCurrentIndex(i);
    emit fun->activated(i);
    host->syncAll();
    const auto& m = desk->faderFunctionForm();
    EXPECT_EQ(colour->isVisibleTo(v), m.Colour_box.Visible()) << i;
    EXPECT_EQ(name->isVisibleTo(v), m.F_Name.Visible()) << i;
    (m.Colour_box.Visible() ? shown : hidden)++;
  }
  EXPECT_GT(shown, 0);
  EXPECT_GT(hidden, 0);
}

TEST_F(PlayViews, ScreenEditorAndInstantPanelOpen) {
  desk->state.Screens[1].Instant = -1;
  desk->state.Screens[1].Name = "Go";
  desk->playdesk().nameedit.Click();
  desk->playdesk().Instant_Panel.Click();
  host->syncAll();
  FormView* ed = host->view(desk->nameEditor());
  ASSERT_TRUE(ed);
  EXPECT_TRUE(ed->isVisible());
  FormView* panel = host->view(desk->instantScreen());
  ASSERT_TRUE(panel);
  EXPECT_TRUE(buttonWithText(panel, "Go"));
}

}  // namespace
}  // namespace lumora::gui
