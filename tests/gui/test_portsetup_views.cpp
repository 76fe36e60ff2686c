// The adapter setup dialog's view: it shows the chosen adapter's groups and
// hands the user's choices to the model.
#include <QComboBox>
#include <QRadioButton>
#include <QScrollBar>

#include "desk/hoofdblad.h"
#include "output/portsetup.h"
#include "tests/gui/view_test_fixture.h"

namespace lumora::gui {
namespace {

using PortsetupView = testing::ViewTest;

TEST_F(PortsetupView, ChoosingAnAdapterShowsItsNameAndItsGroups) {
  FormView* v = open(desk->portSetup());
  ASSERT_TRUE(v);
  EXPECT_EQ(v->windowTitle(), "Set DMX Output Device");
  auto* combo = v->findChild<QComboBox*>();
  ASSERT_TRUE(combo);
  EXPECT_EQ(combo->count(), 6);
  EXPECT_EQ(combo->itemText(4), "Manolator DMX Interface");
  ASSERT_TRUE(button(v, "Save and Exit"));
  ASSERT_TRUE(button(v, "Cancel"));

  combo->setCurrentIndex(4);
  emit combo->activated(4);
  host->syncAll();
  EXPECT_EQ(desk->portSetup().SelectedType, 4);
  EXPECT_TRUE(label(v, " Manolator DMX Interface "));
  auto* lpt1 = withText<QRadioButton>(v, "LPT1  378h");  // the port name is the option's own text
  ASSERT_TRUE(lpt1);
  EXPECT_TRUE(lpt1->isVisibleTo(v));
  auto* scroll = v->findChild<QScrollBar*>();
  ASSERT_TRUE(scroll);
  EXPECT_TRUE(scroll->isVisibleTo(v));

  // "None" hides the port and rate groups.
  combo->setCurrentIndex(0);
  emit combo->activated(0);
  host->syncAll();
  EXPECT_TRUE(label(v, " None "));
  EXPECT_FALSE(lpt1->isVisibleTo(v));
  EXPECT_FALSE(scroll->isVisibleTo(v));
}

TEST_F(PortsetupView, RateBarAndPortOptionsReachTheModel) {
  FormView* v = open(desk->portSetup());
  ASSERT_TRUE(v);
  auto* combo = v->findChild<QComboBox*>();
  combo->setCurrentIndex(1);  // the parallel adapter: port and rate
  emit combo->activated(1);
  host->syncAll();
  auto* scroll = v->findChild<QScrollBar*>();
  ASSERT_TRUE(scroll);
  EXPECT_EQ(scroll->minimum(), Portsetup::kMinRate);
  EXPECT_EQ(scroll->maximum(), Portsetup::kMaxRate);
  scroll->setValue(120);  // as a drag does
  host->syncAll();
  EXPECT_EQ(desk->portSetup().SelectedRate, 120);
  EXPECT_TRUE(edit(v, " 120 mS"));

  auto options = v->findChildren<QRadioButton*>();
  ASSERT_EQ(options.size(), 2);
  options[1]->click();  // as a mouse click on the option does
  host->syncAll();
  EXPECT_EQ(desk->state.PortAddress, 632);
  EXPECT_TRUE(options[1]->isChecked());
  EXPECT_FALSE(options[0]->isChecked());
  options[0]->click();  // as a mouse click on the option does
  host->syncAll();
  EXPECT_EQ(desk->state.PortAddress, 888);
  EXPECT_FALSE(options[1]->isChecked());
  options[0]->click();  // the chosen port again: it stays chosen
  host->syncAll();
  EXPECT_TRUE(options[0]->isChecked());
  EXPECT_EQ(desk->state.PortAddress, 888);

  click(button(v, "Save and Exit"));
  host->syncAll();
  EXPECT_EQ(desk->state.AdapterType, 1);
  EXPECT_EQ(desk->hoofdblad().Timer1.Interval(), 120);
  EXPECT_FALSE(desk->portSetup().Loaded());
}

}  // namespace
}  // namespace lumora::gui
