// The sACN output window's view: the Setup menu opens it, its rows follow
// the outputs, typing a universe moves the group shown, OK stores a sound
// row, and no two controls overlap.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>

#include "desk/hoofdblad.h"
#include "output/sacn_config.h"
#include "tests/gui/view_test_fixture.h"

namespace lumora::gui {
namespace {

using SacnConfigView = testing::ViewTest;

TEST_F(SacnConfigView, SetupMenuOpensTheWindowWhoseRowsFollowTheOutputs) {
  // The menu item sits in the main desk's Setup menu right after Art-Net.
  FormView* main = host->view(desk->hoofdblad());
  ASSERT_TRUE(main);
  QAction* item = nullptr;
  QStringList setup;
  for (QMenu* m : main->findChildren<QMenu*>())
    if (m->title() == "&Setup")
      for (QAction* a : m->actions()) {
        setup << a->text();
        if (a->text() == "sACN...") item = a;
      }
  ASSERT_TRUE(item) << setup.join(", ").toStdString();
  EXPECT_EQ(setup.indexOf("sACN..."), setup.indexOf("Art-Net...") + 1);

  desk->state.SacnPorts[2].Enabled = -1;
  desk->state.SacnPorts[2].Universe = 300;
  desk->state.SacnPorts[2].Unicast = "10.0.0.9";
  item->trigger();
  host->syncAll();
  QApplication::processEvents();
  FormView* v = host->view(*desk->form("Sacn_Config"));
  ASSERT_TRUE(v);
  ASSERT_TRUE(v->isVisible());
  EXPECT_EQ(v->windowTitle(), "sACN Output");
  for (const char* head : {"Output", "Send", "Universe (1-63999)", "Priority (0-200)", "Unicast address (optional)",
                           "Multicast group", "Send from interface:"})
    EXPECT_TRUE(label(v, head)) << head;
  EXPECT_TRUE(label(v, "239.255.1.44"));  // universe 300
  EXPECT_TRUE(edit(v, "10.0.0.9"));
  const auto checks = v->findChildren<QCheckBox*>();
  ASSERT_EQ(checks.size(), 8);
  EXPECT_TRUE(checks[2]->isChecked());
  EXPECT_FALSE(checks[0]->isChecked());
  auto* iface = v->findChild<QComboBox*>();
  ASSERT_TRUE(iface);
  EXPECT_EQ(iface->currentText(), "Automatic");

  // Typing a universe moves the group beside it.
  QLineEdit* u = edit(v, "300");
  ASSERT_TRUE(u);
  selectAllAndType(u, "513");
  host->syncAll();
  EXPECT_TRUE(label(v, "239.255.2.1"));

  // No control covers another.
  QList<QWidget*> ws;
  for (QWidget* w : v->findChildren<QWidget*>())
    if (w->isVisible() && (qobject_cast<QLabel*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<QCheckBox*>(w) ||
                           qobject_cast<QPushButton*>(w)) && w->parentWidget() && !qobject_cast<QComboBox*>(w->parentWidget()))
      ws << w;
  for (int i = 0; i < ws.size(); ++i)
    for (int j = i + 1; j < ws.size(); ++j) {
      const QRect a(ws[i]->mapTo(v, QPoint(0, 0)), ws[i]->size());
      const QRect b(ws[j]->mapTo(v, QPoint(0, 0)), ws[j]->size());
      EXPECT_FALSE(a.intersects(b)) << ws[i]->metaObject()->className() << " '"
                                    << ws[i]->property("text").toString().toStdString() << "' / "
                                    << ws[j]->metaObject()->className() << " '"
                                    << ws[j]->property("text").toString().toStdString() << "'";
    }

  click(button(v, "OK"));
  host->syncAll();
  EXPECT_EQ(desk->state.SacnPorts[2].Universe, 513);
  EXPECT_FALSE(desk->form("Sacn_Config")->Visible());
}

}  // namespace
}  // namespace lumora::gui
