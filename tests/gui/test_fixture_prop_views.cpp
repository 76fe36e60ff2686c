// The fixture properties window's view: fixture and function choosers, the
// entry grid and the chosen entry's fields, both ways.
#include <QComboBox>

#include "sequences/fixture_prop.h"
#include "tests/gui/view_test_fixture.h"

namespace lumora::gui {
namespace {

class FixturePropView : public testing::ViewTest {
 protected:
  FixturePropView() {
    DeskState& s = desk->state;
    s.SelectedFixture = 0;
    s.FixtureName[0] = "Spot";
    s.FixtureFunctionName[0][0] = "Colour";
    s.FixtureFunctionName[0][2] = "Pan";
    s.FixtureButtonText[0][0][1] = "Red";
    s.FixtureLow[0][0][1] = 28;
  }
};

TEST_F(FixturePropView, EntryGridChoosesTheEntryAndShowsItsFields) {
  FormView* v = open(desk->fixtureProp());
  ASSERT_TRUE(v);
  EXPECT_EQ(v->windowTitle(), "Fixture Propertises");
  ASSERT_TRUE(button(v, "Close"));
  EXPECT_TRUE(edit(v, "Spot"));
  EXPECT_TRUE(edit(v, "Colour"));
  QPushButton* red = button(v, "Red");
  ASSERT_TRUE(red);
  for (int k = 2; k < 21; ++k) EXPECT_TRUE(button(v, QString::number(k))) << k;  // unnamed entries show their number

  click(red);
  host->syncAll();
  EXPECT_TRUE(label(v, "Entry 1"));
  QLineEdit* text = edit(v, "Red");
  ASSERT_TRUE(text);
  EXPECT_TRUE(edit(v, "28"));
  EXPECT_TRUE(label(v, "DMX Output Required")->isVisibleTo(v));

  selectAllAndType(text, "Blue");
  host->syncAll();
  EXPECT_EQ(desk->state.FixtureButtonText[0][0][1], "Blue");
  EXPECT_EQ(red->text(), "Blue");  // the grid follows the typed text
}

TEST_F(FixturePropView, RangeFunctionsShowMinAndMaxInsteadOfTheOutput) {
  FormView* v = open(desk->fixtureProp());
  ASSERT_TRUE(v);
  auto combos = v->findChildren<QComboBox*>();
  ASSERT_EQ(combos.size(), 2);
  QComboBox* fn = combos[1];
  EXPECT_EQ(fn->itemText(2), "Pan");
  fn->setCurrentIndex(2);
  emit fn->activated(2);
  host->syncAll();
  EXPECT_TRUE(edit(v, "Pan"));
  EXPECT_FALSE(label(v, "DMX Output Required")->isVisibleTo(v));
  EXPECT_TRUE(label(v, "Min Output")->isVisibleTo(v));
  EXPECT_TRUE(label(v, "Max Output")->isVisibleTo(v));
}

}  // namespace
}  // namespace lumora::gui
