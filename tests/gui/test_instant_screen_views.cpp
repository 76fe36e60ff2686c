// The instant-screen panel's view: one button per instant screen, named and
// coloured as the screen, taking it in run mode.
#include "core/levels.h"
#include "playback/instant_screen.h"
#include "playback/namedit.h"
#include "tests/gui/view_test_fixture.h"

namespace lumora::gui {
namespace {

class InstantScreenView : public testing::ViewTest {
 protected:
  InstantScreenView() {
    DeskState& s = desk->state;
    s.ScreenCount = std::max<int16_t>(s.ScreenCount, 3);
    s.Screens[2].Instant = -1;
    s.Screens[2].Name = "Blackout";
    s.Screens[2].Colour = std::to_string(RGB(255, 0, 0));
    s.Screens[3].Instant = -1;
    s.Screens[3].Name = "Walk-in";
  }
  int visibleButtons(FormView* v) {
    int n = 0;
    for (auto* b : v->findChildren<QPushButton*>()) n += b->isVisibleTo(v) ? 1 : 0;
    return n;
  }
};

TEST_F(InstantScreenView, ShowsOneButtonPerInstantScreenWithItsNameAndColour) {
  FormView* v = open(desk->instantScreen());
  ASSERT_TRUE(v);
  EXPECT_EQ(v->windowTitle(), "Instant Screens");
  int instant = 0;
  for (int n = 0; n <= desk->state.ScreenCount && n < kScreens; ++n) instant += desk->state.Screens[n].Instant ? 1 : 0;
  EXPECT_EQ(visibleButtons(v), instant);
  QPushButton* b = button(v, "Blackout");
  ASSERT_TRUE(b);
  EXPECT_EQ(face(b), QColor("#ff0000"));
  EXPECT_TRUE(paintsFace(b, QColor("#ff0000")));
  EXPECT_TRUE(button(v, "Walk-in"));
  // Every shown button fits its window.
  v->adjustSize();
  for (auto* pb : v->findChildren<QPushButton*>()) {
    if (pb->isVisibleTo(v)) {
      EXPECT_TRUE(v->rect().contains(pb->geometry())) << pb->text().toStdString();
    }
  }
}

TEST_F(InstantScreenView, LeftClickTakesTheScreenRightPressEditsIt) {
  desk->state.RunMode = -1;
  FormView* v = open(desk->instantScreen());
  ASSERT_TRUE(v);
  QPushButton* b = button(v, "Walk-in");
  ASSERT_TRUE(b);
  EXPECT_TRUE(b->isEnabled());
  click(b);
  host->syncAll();
  EXPECT_EQ(desk->state.LiveScreen, 3);

  click(button(v, "Blackout"), Qt::RightButton);
  host->syncAll();
  EXPECT_TRUE(desk->nameEditor().Loaded());
  EXPECT_EQ(desk->nameEditor().EditScreen, 2);
}

}  // namespace
}  // namespace lumora::gui
