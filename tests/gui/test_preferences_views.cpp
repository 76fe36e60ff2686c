// The File menu's Recent Projects and Preferences entries, and the
// Preferences window, under the offscreen platform.
#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QMenuBar>
#include <filesystem>
#include <fstream>

#include "desk/hoofdblad.h"
#include "project/show_keeper.h"
#include "tests/gui/view_test_fixture.h"

namespace lumora::gui::testing {
namespace {

class PreferencesViews : public ViewTest {};

QMenu* SubMenu(QMenu* m, const QString& title) {
  for (QAction* a : m->actions())
    if (a->menu() && a->text() == title) return a->menu();
  return nullptr;
}

TEST_F(PreferencesViews, RecentProjectsListTheFilesAndGreyOutTheGoneOnes) {
  char tmpl[] = "/tmp/lumora-recent-view-XXXXXX";
  const std::string dir = mkdtemp(tmpl);
  { std::ofstream(dir + "/here.xml") << "x"; }
  ShowKeeper* k = ShowKeeper::of(*desk);
  ASSERT_NE(k, nullptr);
  k->remember(dir + "/gone.xml");
  k->remember(dir + "/here.xml");
  FormView* v = open(desk->hoofdblad());
  host->syncAll();
  QMenuBar* bar = v->findChild<QMenuBar*>();
  ASSERT_NE(bar, nullptr);
  QMenu* file = bar->actions().first()->menu();
  QMenu* recent = SubMenu(file, "Recent Projects");
  ASSERT_NE(recent, nullptr);
  QList<QAction*> items = recent->actions();
  ASSERT_EQ(items.size(), 8);
  EXPECT_EQ(items[0]->text().toStdString(), "&1 " + dir + "/here.xml");
  EXPECT_TRUE(items[0]->isEnabled());
  EXPECT_TRUE(items[0]->isVisible());
  EXPECT_EQ(items[1]->text().toStdString(), "&2 " + dir + "/gone.xml");
  EXPECT_FALSE(items[1]->isEnabled());
  EXPECT_FALSE(items[2]->isVisible());
  bool prefs = false;
  for (QAction* a : file->actions()) prefs = prefs || a->text() == "Preferences...";
  EXPECT_TRUE(prefs);
  std::filesystem::remove_all(dir);
}

TEST_F(PreferencesViews, TheWindowShowsTheSettingsAndOkStoresThem) {
  Form* f = desk->form("Preferences");
  ASSERT_NE(f, nullptr);
  FormView* v = open(*f);
  ASSERT_NE(v, nullptr);
  QLineEdit* minutes = edit(v, "2");
  QLineEdit* backups = edit(v, "5");
  ASSERT_NE(minutes, nullptr);
  ASSERT_NE(backups, nullptr);
  minutes->selectAll();
  type(minutes, "4");
  QCheckBox* openLast = v->findChild<QCheckBox*>();
  ASSERT_NE(openLast, nullptr);
  EXPECT_EQ(openLast->text(), "Open the last project at start");
  openLast->click();
  click(button(v, "OK"));
  host->syncAll();
  const UserSettings& s = ShowKeeper::of(*desk)->settings();
  EXPECT_EQ(s.autosaveMinutes, 4);
  EXPECT_TRUE(s.openLastAtStart);
  EXPECT_FALSE(f->Visible());
}

}  // namespace
}  // namespace lumora::gui::testing
