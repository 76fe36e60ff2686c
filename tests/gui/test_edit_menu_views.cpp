// The Edit menus of the main desk, the play desk and the sequence desk: they
// name the act Undo would reverse, carry the shortcuts and step the model.
#include <gtest/gtest.h>

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include "core/undo_desk.h"
#include "desk/hoofdblad.h"
#include "playback/playdesk.h"
#include "sequences/chases_form.h"
#include "view_test_fixture.h"

namespace lumora::gui {
namespace {

class EditMenus : public testing::ViewTest {
 protected:
  // The Edit menu's action with this plain text start ("Undo", "Redo").
  static QAction* item(QWidget* v, const QString& start) {
    for (QMenuBar* bar : v->findChildren<QMenuBar*>())
      for (QAction* m : bar->actions())
        if (m->text() == "&Edit" && m->menu())
          for (QAction* a : m->menu()->actions())
            if (a->text().startsWith(start)) return a;
    return nullptr;
  }
};

TEST_F(EditMenus, TheThreeDesksNameTheActAndStepTheShow) {
  FormView* views[] = {open(desk->hoofdblad()), open(desk->playdesk()), open(desk->chases())};
  for (FormView* v : views) {
    ASSERT_TRUE(v);
    QAction* undo = item(v, "Undo");
    QAction* redo = item(v, "Redo");
    ASSERT_TRUE(undo && redo) << v->form().name();
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_EQ(undo->shortcut(), QKeySequence(QKeySequence::Undo));
    EXPECT_TRUE(redo->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Y)));
    EXPECT_TRUE(redo->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)));
  }
  Playdesk& p = desk->playdesk();
  p.Screen_Num_sel.userSet(Json(12));
  desk->hoofdblad().Slider1[0].userSet(Json(10));
  p.Screen_Prog.Click();
  host->syncAll();
  for (FormView* v : views) {
    EXPECT_EQ(item(v, "Undo")->text(), "Undo Record Screen 12") << v->form().name();
    EXPECT_TRUE(item(v, "Undo")->isEnabled());
  }
  ASSERT_EQ(desk->state.Screens[12].Preset[0], 245);
  item(views[2], "Undo")->trigger();
  host->syncAll();
  EXPECT_EQ(desk->state.Screens[12].Preset[0], 0);
  EXPECT_EQ(item(views[0], "Redo")->text(), "Redo Record Screen 12");
  EXPECT_FALSE(item(views[1], "Undo")->isEnabled());
  item(views[1], "Redo")->trigger();
  host->syncAll();
  EXPECT_EQ(desk->state.Screens[12].Preset[0], 245);
}

}  // namespace
}  // namespace lumora::gui
