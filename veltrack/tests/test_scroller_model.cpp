// The Scroller's rules without a window: range invariants and their texts,
// value <-> knob position, drags, track clicks, keys and the set menu.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scroller_model.h"

namespace veltrack {
namespace {

struct Model : ::testing::Test {
  ScrollerModel m;
  std::vector<int> scrolls;
  std::vector<std::string> messages;
  Model() {
    m.onScroll = [this](int v) { scrolls.push_back(v); };
    m.onDesignMessage = [this](const std::string& t) { messages.push_back(t); };
    m.setGeometry(212, 12);  // travel 200
  }
  std::string runTimeError(void (ScrollerModel::*set)(int), int v) {
    try {
      (m.*set)(v);
    } catch (const ScrollerError& e) {
      return e.what();
    }
    return "";
  }
};

TEST_F(Model, DefaultsAreZeroTo32766AtZero) {
  EXPECT_EQ(m.min(), 0);
  EXPECT_EQ(m.max(), 32766);
  EXPECT_EQ(m.value(), 0);
  EXPECT_FALSE(m.designMode());
}

TEST_F(Model, MaxAbove32766RaisesAtRunTimeAndIsCorrectedAtDesignTime) {
  EXPECT_EQ(runTimeError(&ScrollerModel::setMax, 32767), "ERROR! Can't set MAX above 32766");
  m.setMax(100);
  EXPECT_EQ(runTimeError(&ScrollerModel::setMax, 32767), "ERROR! Can't set MAX above 32766");
  EXPECT_EQ(m.max(), 100);  // the rejected value is not kept
  EXPECT_EQ(runTimeError(&ScrollerModel::setMax, 32766), "");
  EXPECT_EQ(m.max(), 32766);
  m.setDesignMode(true);
  m.setMax(32767);
  EXPECT_EQ(m.max(), 32766);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "ERROR! Can't set MAX above 32766");
}

TEST_F(Model, MinAndMaxKeepAtLeastOneStepBetweenThem) {
  m.setMax(50);
  EXPECT_EQ(runTimeError(&ScrollerModel::setMin, -1), "ERROR! Cannot set min value to negative ! (below 0 )");
  EXPECT_EQ(runTimeError(&ScrollerModel::setMin, 50), "ERROR! Cannot set MIN above (MAX - 1)");
  EXPECT_EQ(m.min(), 0);
  EXPECT_EQ(runTimeError(&ScrollerModel::setMin, 49), "");
  EXPECT_EQ(runTimeError(&ScrollerModel::setMax, 49), "ERROR! Cannot set MAX below (MIN + 1)");
  EXPECT_EQ(m.max(), 50);
  m.setDesignMode(true);
  m.setMin(-5);
  EXPECT_EQ(m.min(), 0);
  m.setMin(80);
  EXPECT_EQ(m.min(), 49);
  m.setMax(10);
  EXPECT_EQ(m.max(), 50);
  EXPECT_EQ(messages, (std::vector<std::string>{"ERROR! Cannot set min value to negative ! (below 0 )",
                                                "ERROR! Cannot set MIN above (MAX - 1)",
                                                "ERROR! Cannot set MAX below (MIN + 1)"}));
}

TEST_F(Model, RangeChangesPullTheValueInside) {
  m.setValue(300);
  m.setMax(200);
  EXPECT_EQ(m.value(), 200);
  m.setValue(20);
  m.setMin(40);
  EXPECT_EQ(m.value(), 40);
}

TEST_F(Model, ValueOutsideTheRangeIsClampedAndReported) {
  m.setMin(10);
  m.setMax(20);
  EXPECT_EQ(runTimeError(&ScrollerModel::setValue, 21), "Value cannot be set bigger than Max !");
  EXPECT_EQ(m.value(), 20);
  EXPECT_EQ(runTimeError(&ScrollerModel::setValue, 9), "Value cannot be set smaller than Min !");
  EXPECT_EQ(m.value(), 10);
  EXPECT_EQ(m.offset(), 0);
  m.setDesignMode(true);
  m.setValue(25);
  m.setValue(3);
  EXPECT_EQ(messages, (std::vector<std::string>{"Error! You cannot set value bigger than max ( 20 )",
                                                "Error! You cannot set value smaller than min ( 10 )"}));
  EXPECT_EQ(m.value(), 10);
}

TEST_F(Model, MiddleValuePlacesTheKnobInTheMiddleAndRaisesScroll) {
  m.setValue(16383);
  EXPECT_EQ(m.offset(), 100);
  ASSERT_FALSE(scrolls.empty());
  EXPECT_EQ(scrolls.back(), 16383);
  m.setValue(32766);
  EXPECT_EQ(m.offset(), 200);
  m.setValue(0);
  EXPECT_EQ(m.offset(), 0);
}

TEST_F(Model, PositionToValueRoundsHalvesToEven) {
  m.setMax(5);
  m.setGeometry(14, 12);  // travel 2: offset 1 is value 2.5
  m.leftDownOnTrack(1 + 6);
  EXPECT_EQ(m.offset(), 1);
  EXPECT_EQ(m.value(), 2);
  m.setMin(1);
  m.setMax(4);  // travel 2, offset 1 -> 1.5 + 1 -> 2 + 1
  m.leftDownOnTrack(7);
  EXPECT_EQ(m.value(), 3);
}

TEST_F(Model, SetMenuEntriesGoToMinHalfwayAndMax) {
  m.setMin(10);
  m.setMax(20);
  m.menu(SetMenuEntry::Half);
  EXPECT_EQ(m.value(), 15);
  EXPECT_EQ(scrolls.back(), 15);
  m.menu(SetMenuEntry::Full);
  EXPECT_EQ(m.value(), 20);
  m.menu(SetMenuEntry::Zero);
  EXPECT_EQ(m.value(), 10);
  m.setMax(21);
  m.menu(SetMenuEntry::Half);
  EXPECT_EQ(m.value(), 15);  // 15.5 truncated
}

TEST_F(Model, DragStopsAtBothEndsWithMinAndMax) {
  m.setValue(16383);
  ASSERT_TRUE(m.onKnob(105));
  m.leftDownOnKnob(105);
  m.moveTo(155);
  EXPECT_EQ(m.offset(), 150);
  EXPECT_EQ(m.value(), 24574);  // 150 * 32766 / 200 = 24574.5, halves to even
  m.moveTo(5000);
  EXPECT_EQ(m.offset(), 200);
  EXPECT_EQ(m.value(), 32766);
  EXPECT_EQ(scrolls.back(), 32766);
  m.moveTo(-5000);
  EXPECT_EQ(m.offset(), 0);
  EXPECT_EQ(m.value(), 0);
  m.leftUp();
  const std::size_t n = scrolls.size();
  m.moveTo(150);  // no longer dragging
  EXPECT_EQ(scrolls.size(), n);
  EXPECT_EQ(m.value(), 0);
}

TEST_F(Model, ValueSetDuringADragLeavesTheKnobWhereTheMouseHasIt) {
  m.leftDownOnKnob(3);
  m.moveTo(53);
  const int at = m.offset();
  m.setValue(32766);
  EXPECT_EQ(m.offset(), at);
  m.leftUp();
  m.setValue(32766);
  EXPECT_EQ(m.offset(), 200);
}

TEST_F(Model, TrackClickCentresTheKnobOnThePointer) {
  m.leftDownOnTrack(106);
  EXPECT_EQ(m.offset(), 100);
  EXPECT_EQ(m.value(), 16383);
  m.leftDownOnTrack(2);
  EXPECT_EQ(m.offset(), 0);
  EXPECT_EQ(m.value(), 0);
  m.leftDownOnTrack(211);
  EXPECT_EQ(m.offset(), 200);
  EXPECT_EQ(m.value(), 32766);
}

TEST_F(Model, KeypadPlusAndMinusStepOnePixelAndStopAtTheEnds) {
  m.setMax(200);  // one pixel is one value
  EXPECT_TRUE(m.key(ScrollerModel::kKeyPlus));
  EXPECT_EQ(m.offset(), 1);
  EXPECT_EQ(m.value(), 1);
  EXPECT_EQ(scrolls.back(), 1);
  EXPECT_TRUE(m.key(ScrollerModel::kKeyMinus));
  EXPECT_TRUE(m.key(ScrollerModel::kKeyMinus));
  EXPECT_EQ(m.offset(), 0);
  EXPECT_EQ(m.value(), 0);
  m.setValue(200);
  m.key(ScrollerModel::kKeyPlus);
  EXPECT_EQ(m.value(), 200);
  EXPECT_FALSE(m.key(65));
}

TEST_F(Model, TrackNoLongerThanTheKnobNeverDividesByZero) {
  m.setGeometry(12, 12);
  m.setValue(500);
  EXPECT_EQ(m.offset(), 0);
  m.leftDownOnTrack(6);
  m.key(ScrollerModel::kKeyPlus);
  EXPECT_EQ(m.value(), 500);
}

TEST_F(Model, RestoreHoldsDamagedStoredValuesToTheInvariants) {
  m.restore(-3, 40000, 99999);
  EXPECT_EQ(m.min(), 0);
  EXPECT_EQ(m.max(), 32766);
  EXPECT_EQ(m.value(), 32766);
  m.restore(30, 10, 0);
  EXPECT_EQ(m.min(), 30);
  EXPECT_EQ(m.max(), 31);
  EXPECT_EQ(m.value(), 30);
}

}  // namespace
}  // namespace veltrack
