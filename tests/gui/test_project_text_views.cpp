// The project information window's view: it shows the project as it stands
// and stores the typed name and notes on OK only.
#include <QTextEdit>

#include "desk/project_text.h"
#include "tests/gui/view_test_fixture.h"

namespace lumora::gui {
namespace {

using ProjectTextView = testing::ViewTest;

TEST_F(ProjectTextView, ShowsTheProjectAndStoresTypedTextOnOk) {
  desk->state.ProjectName = "Club night";
  desk->state.ProjectText = "Two specials";
  desk->state.ProjectDate = "01/02/2026";
  desk->state.ProjectVersion = 7;
  FormView* v = open(desk->projectText());
  ASSERT_TRUE(v);
  EXPECT_EQ(v->windowTitle(), "Project Information");
  for (const char* t : {"Project Name", "Date", "Version", "Project Notes"}) EXPECT_TRUE(label(v, t)) << t;
  EXPECT_TRUE(label(v, "01/02/2026"));
  EXPECT_TRUE(label(v, "7"));
  QLineEdit* name = edit(v, "Club night");
  ASSERT_TRUE(name);
  auto* notes = v->findChild<QTextEdit*>();
  ASSERT_TRUE(notes);
  EXPECT_EQ(notes->toPlainText(), "Two specials");

  selectAllAndType(name, "Gala");
  notes->setPlainText("Wash and cyc");  // as typing does: the box reports a change
  EXPECT_EQ(desk->projectText().Prj_Name.Text(), "Gala");
  EXPECT_EQ(desk->projectText().Text1.Text(), "Wash and cyc");
  EXPECT_EQ(desk->state.ProjectName, "Club night");  // not yet stored
  click(button(v, "OK"));
  host->syncAll();
  EXPECT_EQ(desk->state.ProjectName, "Gala");
  EXPECT_EQ(desk->state.ProjectText, "Wash and cyc");
  EXPECT_FALSE(v->isVisible());
}

TEST_F(ProjectTextView, CancelKeepsTheStoredProject) {
  desk->state.ProjectName = "Club night";
  FormView* v = open(desk->projectText());
  ASSERT_TRUE(v);
  QLineEdit* name = edit(v, "Club night");
  ASSERT_TRUE(name);
  selectAllAndType(name, "Other");
  click(button(v, "Cancel"));
  host->syncAll();
  EXPECT_EQ(desk->state.ProjectName, "Club night");
  EXPECT_FALSE(desk->projectText().Loaded());
}

}  // namespace
}  // namespace lumora::gui
