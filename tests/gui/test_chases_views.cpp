// The sequence desk's view: level faders that read and write the current
// step, the step tools, and the moving-light desk with its XY pad.
#include <QGroupBox>

#include "gui/desk_fader.h"
#include "gui/log_slider_widget.h"
#include "sequences/chases_form.h"
#include "tests/gui/view_test_fixture.h"

namespace lumora::gui {
namespace {

class ChasesView : public testing::ViewTest {
 protected:
  ChasesView() {
    ChaseRecord& r = desk->state.Chases[0];
    r.Name = "Ballyhoo";
    r.Steps = 3;
    for (auto& row : r.Data) row[0] = 200;
  }
  int step() { return desk->chases().engine().currentStep; }
};

TEST_F(ChasesView, LevelFadersShowTheStepAndWriteItBack) {
  FormView* v = open(desk->chases());
  ASSERT_TRUE(v);
  EXPECT_TRUE(edit(v, "Ballyhoo"));
  // 18 channel faders and the main level, all lit from the bottom.
  auto faders = ofType<DeskFader>(v);
  ASSERT_EQ(faders.size(), kPlainChaseChannels + 1);
  EXPECT_EQ(faders[0]->value(), 255 - 200);
  EXPECT_EQ(faders[1]->value(), 255);  // a dark channel: cap at the bottom

  faders[1]->setValue(0);  // pushed to full
  host->syncAll();
  EXPECT_EQ(desk->state.Chases[0].Data[static_cast<std::size_t>(step())][1], 255);

  // The full and zero buttons under the fader move it through the model.
  QList<QPushButton*> zero;
  for (auto* b : v->findChildren<QPushButton*>())
    if (b->text() == "0") zero << b;
  ASSERT_EQ(zero.size(), kPlainChaseChannels);
  click(zero[0]);
  host->syncAll();
  EXPECT_EQ(faders[0]->value(), 255);
  EXPECT_EQ(desk->state.Chases[0].Data[static_cast<std::size_t>(step())][0], 0);
}

TEST_F(ChasesView, StepButtonsMoveTheShownStep) {
  FormView* v = open(desk->chases());
  ASSERT_TRUE(v);
  const int before = step();
  QLabel* shown = label(v, QString::number(before));
  ASSERT_TRUE(shown);
  click(button(v, ">"));
  host->syncAll();
  EXPECT_EQ(step(), before + 1);
  EXPECT_EQ(shown->text(), QString::number(before + 1));
  EXPECT_TRUE(label(v, "3"));  // the step count
  click(button(v, "+"));
  host->syncAll();
  EXPECT_EQ(desk->state.Chases[0].Steps, 4);
}

TEST_F(ChasesView, MovingDeskShowsOnDemandAndThePadSetsPanAndTilt) {
  FormView* v = open(desk->chases());
  ASSERT_TRUE(v);
  QGroupBox* moving = nullptr;
  for (auto* g : v->findChildren<QGroupBox*>())
    if (g->title() == "Moving Light Desk") moving = g;
  ASSERT_TRUE(moving);
  EXPECT_FALSE(moving->isVisibleTo(v));
  click(button(v, "Show Moving"));
  host->syncAll();
  EXPECT_TRUE(moving->isVisibleTo(v));
  ASSERT_TRUE(button(v, "Hide Moving"));

  QWidget* pad = nullptr;
  for (auto* w : moving->findChildren<QWidget*>())
    if (w->size() == QSize(Chases::kPadWidth, Chases::kPadHeight)) pad = w;
  ASSERT_TRUE(pad);
  const QPointF at(Chases::kPadLeft + 51, Chases::kPadTop + 204);  // a fifth across, four fifths down
  QMouseEvent press(QEvent::MouseButtonPress, at, pad->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(pad, &press);
  host->syncAll();
  EXPECT_EQ(desk->chases().Slider8.Value(), 51);
  EXPECT_EQ(desk->chases().Slider7.Value(), 204);
  EXPECT_TRUE(label(v, "51"));
  EXPECT_TRUE(label(v, "204"));

  click(button(v, "Hide Moving"));
  host->syncAll();
  EXPECT_FALSE(moving->isVisibleTo(v));
}

TEST_F(ChasesView, LogSliderPressReachesTheModelOnce) {
  FormView* v = open(desk->chases());
  ASSERT_TRUE(v);
  auto sliders = ofType<LogSliderWidget>(v);
  ASSERT_EQ(sliders.size(), 2u);
  LogSliderWidget* speed = sliders[0];
  VRLogSlider& model = desk->chases().LogSlider3;
  int presses = 0;
  model.onMouseDown = [&presses](MouseButton, int, int) { ++presses; };
  auto press = [speed](double y) {
    const QPointF at(speed->width() / 2.0, y);
    QMouseEvent e(QEvent::MouseButtonPress, at, speed->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                  Qt::NoModifier);
    QApplication::sendEvent(speed, &e);
    QMouseEvent up(QEvent::MouseButtonRelease, at, speed->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                   Qt::NoModifier);
    QApplication::sendEvent(speed, &up);
  };
  press(speed->height() - 1.0);  // under the axis
  host->syncAll();
  EXPECT_EQ(presses, 1);
  EXPECT_DOUBLE_EQ(model.ValueD(), model.MinValue());
  EXPECT_DOUBLE_EQ(desk->state.Chases[0].Speed[static_cast<std::size_t>(step())], model.MinValue());
  press(0.0);  // over it
  host->syncAll();
  EXPECT_EQ(presses, 2);
  EXPECT_NEAR(model.ValueD(), model.MaxValue(), 1e-9 * model.MaxValue());
}

}  // namespace
}  // namespace lumora::gui
