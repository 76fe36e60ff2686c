// The Art-Net setup dialog's view: one switch per port that follows the
// port's state and toggles it.
#include <QLineEdit>

#include "output/art_config.h"
#include "tests/gui/view_test_fixture.h"

namespace lumora::gui {
namespace {

using ArtConfigView = testing::ViewTest;

TEST_F(ArtConfigView, PortSwitchesFollowAndToggleThePorts) {
  desk->state.ArtPorts[3].Enabled = -1;
  FormView* v = open(desk->artConfig());
  ASSERT_TRUE(v);
  EXPECT_EQ(v->windowTitle(), "Art Net Setup");
  EXPECT_TRUE(label(v, "Universe"));
  EXPECT_TRUE(label(v, "Status"));
  ASSERT_TRUE(button(v, "Exit"));
  for (int i = 0; i < 8; ++i) EXPECT_TRUE(edit(v, QString::number(i))) << i;

  QList<QPushButton*> switches;
  for (auto* b : v->findChildren<QPushButton*>())
    if (b->text() == "Enable" || b->text() == "Disable") switches << b;
  ASSERT_EQ(switches.size(), 8);
  EXPECT_EQ(switches[3]->text(), "Disable");  // an enabled port offers to disable
  EXPECT_EQ(switches[0]->text(), "Enable");

  click(switches[0]);
  host->syncAll();
  EXPECT_NE(desk->state.ArtPorts[0].Enabled, 0);
  EXPECT_EQ(switches[0]->text(), "Disable");
  click(switches[3]);
  host->syncAll();
  EXPECT_EQ(desk->state.ArtPorts[3].Enabled, 0);
  EXPECT_EQ(switches[3]->text(), "Enable");

  // The status box shows the model's line, whole.
  desk->artConfig().Text2.setText(" Art Net OK");
  host->syncAll();
  QLineEdit* status = edit(v, " Art Net OK");
  ASSERT_TRUE(status);
  EXPECT_TRUE(status->isReadOnly());

  click(button(v, "Exit"));
  host->syncAll();
  EXPECT_FALSE(desk->artConfig().Loaded());
}

}  // namespace
}  // namespace lumora::gui
