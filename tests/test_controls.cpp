#include <gtest/gtest.h>

#include <cmath>

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

}  // namespace
}  // namespace lumora
