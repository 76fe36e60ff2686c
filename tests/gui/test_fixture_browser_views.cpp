// The fixture library browser's view: a maker chosen with the mouse lists
// its models, a model its modes, and Import stores the type.
#include <QListWidget>

#include "sequences/fixture_browser.h"
#include "tests/gui/view_test_fixture.h"

namespace lumora::gui {
namespace {

class FixtureBrowserView : public testing::ViewTest {};

QListWidget* List(QWidget* v, int k) {
  const auto lists = v->findChildren<QListWidget*>();
  return k < lists.size() ? lists[k] : nullptr;
}

// A mouse click on the item showing `text`.
void Choose(QListWidget* l, const QString& text) {
  const auto found = l->findItems(text, Qt::MatchExactly);
  ASSERT_FALSE(found.isEmpty()) << text.toStdString();
  l->scrollToItem(found.front());
  const QPointF p = l->visualItemRect(found.front()).center();
  QWidget* vp = l->viewport();
  QMouseEvent press(QEvent::MouseButtonPress, p, vp->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(vp, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, p, vp->mapToGlobal(p), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(vp, &release);
}

TEST_F(FixtureBrowserView, MakerModelModeThenImport) {
  FormView* v = open(desk->fixtureBrowser());
  ASSERT_TRUE(v);
  EXPECT_EQ(v->windowTitle(), "Fixture Library");
  QListWidget* makers = List(v, 0);
  QListWidget* models = List(v, 1);
  QListWidget* modes = List(v, 2);
  ASSERT_TRUE(makers && models && modes);
  v->resize(900, 600);
  ASSERT_GT(makers->count(), 50) << "install qlcplus-data (scripts/deps.sh)";
  QPushButton* import = button(v, "Import");
  ASSERT_TRUE(import);
  EXPECT_FALSE(import->isEnabled());

  Choose(makers, "Clay Paky");
  host->syncAll();
  Choose(models, "Alpha Spot 575 HPE");
  host->syncAll();
  EXPECT_GE(modes->count(), 1);
  EXPECT_TRUE(import->isEnabled());
  click(import);
  host->syncAll();
  EXPECT_EQ(desk->state.FixtureName[0], "Clay Paky Alpha Spot HPE 575");
  EXPECT_EQ(desk->state.FixtureButtonText[0][0][1], "red");
}

}  // namespace
}  // namespace lumora::gui
