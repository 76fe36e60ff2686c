// The screen editor's view: screen list, the edited screen's fields, and the
// content list whose level fader reads and writes the chosen entry.
#include <QCheckBox>
#include <QListWidget>

#include "gui/desk_fader.h"
#include "playback/namedit.h"
#include "tests/gui/view_test_fixture.h"

namespace lumora::gui {
namespace {

class NameditView : public testing::ViewTest {
 protected:
  NameditView() {
    DeskState& s = desk->state;
    s.ScreenCount = std::max<int16_t>(s.ScreenCount, 2);
    s.Screens[1] = ScreenRecord{};
    s.Screens[1].Name = "Opening";
    s.Screens[1].Preset[3] = 180;
    s.Screens[2] = ScreenRecord{};
    s.Screens[2].Name = "Act One";
    s.Screens[2].Instant = -1;
  }
};

TEST_F(NameditView, ScreenListChoosesTheEditedScreen) {
  desk->nameEditor().OpenOn(1);
  host->syncAll();
  FormView* v = host->view(desk->nameEditor());
  ASSERT_TRUE(v);
  EXPECT_EQ(v->windowTitle(), "Edit Cues");
  for (const char* t : {"Copy", "Paste", "Insert", "Delete", "Update", "Exit"}) EXPECT_TRUE(button(v, t)) << t;
  auto lists = v->findChildren<QListWidget*>();
  ASSERT_EQ(lists.size(), 2);
  QListWidget* screens = lists[0];
  ASSERT_GE(screens->count(), 2);
  EXPECT_TRUE(screens->item(0)->text().contains("Opening"));
  EXPECT_EQ(screens->currentRow(), 0);
  EXPECT_TRUE(edit(v, "Opening"));
  QCheckBox* instant = nullptr;
  for (auto* c : v->findChildren<QCheckBox*>())
    if (c->text() == "Instant") instant = c;
  ASSERT_TRUE(instant);
  EXPECT_FALSE(instant->isChecked());

  emit screens->itemClicked(screens->item(1));
  host->syncAll();
  EXPECT_EQ(desk->nameEditor().EditScreen, 2);
  EXPECT_TRUE(edit(v, "Act One"));
  EXPECT_TRUE(instant->isChecked());
  EXPECT_EQ(screens->currentRow(), 1);
}

TEST_F(NameditView, ContentFaderShowsAndSetsTheEntryLevel) {
  desk->nameEditor().OpenOn(1);
  host->syncAll();
  FormView* v = host->view(desk->nameEditor());
  ASSERT_TRUE(v);
  QListWidget* content = v->findChildren<QListWidget*>().value(1);
  ASSERT_TRUE(content);
  ASSERT_GE(content->count(), 1);
  EXPECT_TRUE(content->item(0)->text().startsWith("Preset Channel"));
  emit content->itemClicked(content->item(0));
  host->syncAll();
  auto* fader = ofType<DeskFader>(v).value(0);
  ASSERT_TRUE(fader);  // a level fader, lit from the bottom
  EXPECT_EQ(fader->value(), 255 - 180);
  EXPECT_TRUE(edit(v, "180"));

  fader->setValue(55);  // as a drag does
  host->syncAll();
  EXPECT_EQ(desk->state.Screens[1].Preset[3], 200);
  EXPECT_TRUE(edit(v, "200"));
}

}  // namespace
}  // namespace lumora::gui
