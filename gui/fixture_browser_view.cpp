// The fixture library browser: makers, models and modes side by side, the
// chosen mode's mapping below, Import and Close.
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/view.h"
#include "sequences/fixture_browser.h"

namespace lumora::gui {
namespace {

class FixtureBrowserView : public FormView {
 public:
  FixtureBrowserView(Form& f, GuiHost& h) : FormView(f, h) {
    auto& m = static_cast<Fixture_Browser&>(f);
    auto* root = new QVBoxLayout(this);
    auto* lists = new QHBoxLayout;
    auto column = [this, lists](const char* title, Control& c, int width) {
      auto* box = new QGroupBox(title, this);
      auto* v = new QVBoxLayout(box);
      auto* l = new QListWidget(box);
      l->setMinimumWidth(width);
      l->setMinimumHeight(320);
      binder().bind(l, c);
      v->addWidget(l);
      lists->addWidget(box, width);
    };
    column("Maker", m.Maker_List, 180);
    column("Model", m.Model_List, 260);
    column("Mode", m.Mode_List, 220);
    root->addLayout(lists, 1);
    auto* info = new QLabel(this);
    info->setWordWrap(true);
    info->setMinimumHeight(90);
    info->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    info->setTextInteractionFlags(Qt::TextSelectableByMouse);
    binder().bind(info, m.Mode_Info);
    root->addWidget(info);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (Control* c : {&m.Import_Button, &m.Close_Button}) {
      auto* b = new QPushButton(this);
      b->setMinimumWidth(90);
      binder().bind(b, *c);
      buttons->addWidget(b);
    }
    root->addLayout(buttons);
    resize(760, 520);
  }
};

ViewRegistrar reg("Fixture_Browser", [](Form& f, GuiHost& h) { return new FixtureBrowserView(f, h); });

}  // namespace
}  // namespace lumora::gui
