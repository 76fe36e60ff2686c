#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "controls/bar_indicator.h"
#include "controls/log_slider.h"
#include "desk_fixture.h"

namespace lumora {
namespace {

class Host : public Form {
 public:
  explicit Host(Desk& d) : Form(d, "Host") {}
  VRLogSlider slider{*this, "LogSlider3"};
  ProgBar bar{*this, "Step_Bar"};
};

using Controls = testing::DeskTest;

TEST_F(Controls, LogSliderMiddleOfTheAxisIsTheGeometricMean) {
  Host h(*desk);
  h.slider.setAxis(0, 1000);
  h.slider.MouseAt(500);
  EXPECT_NEAR(h.slider.ValueD(), std::sqrt(0.1 * 240), 1e-9);  // about 4.9
}

TEST_F(Controls, LogSliderValueAboveMaxKeepsValueThumbAtTop) {
  Host h(*desk);
  h.slider.setAxis(10, 200);
  double seen = -1;
  h.slider.onValChange = [&](double v) { seen = v; };
  h.slider.setValueD(500);
  EXPECT_EQ(h.slider.ValueD(), 500);
  EXPECT_EQ(h.slider.thumbY(), 10);
  EXPECT_EQ(seen, 500);
}

TEST_F(Controls, LogSliderPressOutsideTheAxisGivesTheEnds) {
  Host h(*desk);
  h.slider.setAxis(0, 100);
  double cursor = 0;
  h.slider.onUserCursorMove = [&](double v) { cursor = v; };
  h.slider.MouseAt(150);
  EXPECT_NEAR(h.slider.ValueD(), 0.1, 1e-12);
  EXPECT_NEAR(cursor, 0.1, 1e-12);
  h.slider.MouseAt(-20);
  EXPECT_NEAR(h.slider.ValueD(), 240, 1e-9);
}

TEST_F(Controls, LogSliderLeftPressPlacesTheThumbThenRaisesMouseDown) {
  Host h(*desk);
  h.slider.setAxis(0, 100);
  h.slider.setValueD(2.0);
  std::vector<std::string> seen;
  h.slider.onValChange = [&](double) { seen.push_back("ValChange"); };
  h.slider.onUserCursorMove = [&](double) { seen.push_back("UserCursorMove"); };
  h.slider.onMouseDown = [&](MouseButton, int, int) { seen.push_back("MouseDown"); };
  h.slider.MouseDown(MouseButton::Left, 5, 150);
  EXPECT_EQ(seen, (std::vector<std::string>{"ValChange", "UserCursorMove", "MouseDown"}));
  EXPECT_NEAR(h.slider.ValueD(), 0.1, 1e-12);
  h.slider.MouseDown(MouseButton::Left, 5, -1);
  EXPECT_NEAR(h.slider.ValueD(), 240, 1e-9);
  seen.clear();
  h.slider.MouseDown(MouseButton::Right, 5, 150);  // not a placement
  EXPECT_EQ(seen, (std::vector<std::string>{"MouseDown"}));
  EXPECT_NEAR(h.slider.ValueD(), 240, 1e-9);
}

TEST_F(Controls, LogSliderScaleFactorConvertsStoredValues) {
  Host h(*desk);
  h.slider.setScaleFactor(1000);
  EXPECT_NEAR(h.slider.MinValue(), 0.1, 1e-12);
  EXPECT_EQ(h.slider.lblMin(), "100");
  h.slider.setLogAxis(false);
  h.slider.setAxis(0, 100);
  h.slider.MouseAt(50);
  EXPECT_NEAR(h.slider.ValueD(), (0.1 + 240) / 2, 1e-9);
}

TEST(LogSliderFormat, SignificantDigitsAndScientificForm) {
  EXPECT_EQ(VRLogSlider::Format(0, 3), "0");
  EXPECT_EQ(VRLogSlider::Format(240, 3), "240");
  EXPECT_EQ(VRLogSlider::Format(0.1, 3), "0.100");
  EXPECT_EQ(VRLogSlider::Format(1234, 3), "1.23E+03");
  EXPECT_EQ(VRLogSlider::Format(0.001, 3), "1.00E-03");
}

TEST_F(Controls, LogSliderTicksCoverEachDecadeWithLongDecadeTicks) {
  Host h(*desk);
  h.slider.setAxis(0, 300);
  auto t = h.slider.ticks();
  // 0.1..0.9 (9), 1..9 (9), 10..90 (9), 100, 200 -> 29 ticks, 4 of them decades
  EXPECT_EQ(t.size(), 29u);
  EXPECT_EQ(std::count_if(t.begin(), t.end(), [](auto& k) { return k.decade; }), 4);
}

TEST_F(Controls, BarValueIsKeptWithinMinAndMax) {
  Host h(*desk);
  EXPECT_EQ(h.bar.Value(), 50);
  h.bar.setMax(255);
  h.bar.setValue(300);
  EXPECT_EQ(h.bar.Value(), 255);
  EXPECT_EQ(h.bar.fraction(), 1.0);
  h.bar.setValue(128);
  EXPECT_GT(h.bar.fraction(), 0.5);
  h.bar.setMax(100);
  EXPECT_EQ(h.bar.Value(), 100);
  h.bar.setMin(120);
  EXPECT_EQ(h.bar.Value(), 120);
}

TEST_F(Controls, BarPropertiesThroughTheConsoleAddressing) {
  EXPECT_EQ(cmd("show Realout"), "ok");
  EXPECT_EQ(get("Realout.ProgBar1(0).Max"), "255");
  EXPECT_EQ(get("Realout.ProgBar1(0).Vertical"), "false");
  EXPECT_EQ(cmd("set Realout.ProgBar1(0).Vertical true"), "ok");
  EXPECT_EQ(get("Realout.ProgBar1(0).Vertical"), "true");
}

TEST_F(Controls, LogSliderLinearAxisMapsBothWays) {
  Host h(*desk);
  h.slider.setLogAxis(false);
  h.slider.setMinValue(0);
  h.slider.setMaxValue(200);
  h.slider.setAxis(20, 100);
  h.slider.setValueD(50);
  EXPECT_DOUBLE_EQ(h.slider.thumbY(), 95);  // a quarter up from the bottom (120)
  h.slider.MouseAt(70);
  EXPECT_DOUBLE_EQ(h.slider.ValueD(), 100);
  EXPECT_DOUBLE_EQ(h.slider.yOf(100), 70);
}

TEST_F(Controls, LogSliderLogPlacementRoundTripsThroughTheMouse) {
  Host h(*desk);
  h.slider.setAxis(0, 1000);
  for (double v : {0.1, 0.5, 1.0, 2.5, 10.0, 99.0, 240.0}) {
    h.slider.setValueD(v);
    h.slider.MouseAt(h.slider.thumbY());
    EXPECT_NEAR(h.slider.ValueD(), v, v * 1e-9) << v;
  }
  // Decades are evenly spaced on a log axis.
  EXPECT_NEAR(h.slider.yOf(1) - h.slider.yOf(10), h.slider.yOf(10) - h.slider.yOf(100), 1e-9);
}

TEST_F(Controls, LogSliderMouseRaisesValChangeWithOldValueThenUserCursorMove) {
  Host h(*desk);
  h.slider.setAxis(0, 100);
  h.slider.setValueD(1.0);
  std::vector<std::pair<char, double>> seen;
  h.slider.onValChange = [&](double v) { seen.push_back({'V', v}); };
  h.slider.onUserCursorMove = [&](double v) { seen.push_back({'U', v}); };
  h.slider.MouseAt(0);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].first, 'V');
  EXPECT_DOUBLE_EQ(seen[0].second, 1.0);
  EXPECT_EQ(seen[1].first, 'U');
  EXPECT_NEAR(seen[1].second, 240, 1e-9);
  seen.clear();
  h.slider.setValueD(3);  // a program write raises ValChange only
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].first, 'V');
}

TEST_F(Controls, LogSliderWithoutAPositiveMinNeverStoresNaN) {
  Host h(*desk);
  h.slider.setAxis(0, 100);
  h.slider.setMinValue(0);
  h.slider.MouseAt(50);
  EXPECT_TRUE(std::isfinite(h.slider.ValueD()));
  EXPECT_TRUE(std::isfinite(h.slider.thumbY()));
  h.slider.setMinValue(-5);
  h.slider.MouseAt(100);
  EXPECT_DOUBLE_EQ(h.slider.ValueD(), -5);
}

TEST(LogSliderFormat, RoundsToSignificantDigits) {
  EXPECT_EQ(VRLogSlider::Format(4.898979, 3), "4.90");
  EXPECT_EQ(VRLogSlider::Format(12.345, 3), "12.3");
  EXPECT_EQ(VRLogSlider::Format(-0.5, 3), "-0.500");
  EXPECT_EQ(VRLogSlider::Format(999, 3), "999");
  EXPECT_EQ(VRLogSlider::Format(1000, 3), "1.00E+03");
}

TEST_F(Controls, BarEmptyAtMinFullAtMaxAndOverTheConsole) {
  Host h(*desk);
  h.bar.setValue(0);
  EXPECT_EQ(h.bar.fraction(), 0.0);
  h.bar.setValue(100);
  EXPECT_EQ(h.bar.fraction(), 1.0);
  h.bar.setMin(20);
  h.bar.setMax(220);
  h.bar.setValue(-4);
  EXPECT_EQ(h.bar.Value(), 20);
  h.bar.setValue(120);
  EXPECT_DOUBLE_EQ(h.bar.fraction(), 0.5);
  EXPECT_EQ(cmd("show Chases"), "ok");
  EXPECT_EQ(get("Chases.Step_Bar.Max"), "100");
  EXPECT_EQ(cmd("set Chases.Step_Bar.Max 50"), "ok");
  EXPECT_EQ(cmd("set Chases.Step_Bar.Value 80"), "ok");
  EXPECT_EQ(get("Chases.Step_Bar"), "50");
}

}  // namespace
}  // namespace lumora
