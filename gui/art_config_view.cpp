// The "Art Net Setup" dialog: one row per output port (its universe number,
// its Enable/Disable switch and its indicator), the status box and Exit.
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/view.h"
#include "gui/widgets.h"
#include "output/art_config.h"

namespace lumora::gui {

namespace {

class ArtConfigView : public FormView {
 public:
  ArtConfigView(Form& f, GuiHost& h) : FormView(f, h), m_(static_cast<Art_Config&>(f)) {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(10, 10, 10, 10);
    root->setSpacing(8);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(4);
    auto* universe = new QLabel(this);
    binder().bind(universe, m_.Label1);
    auto* status = new QLabel(this);
    binder().bind(status, m_.Label2);
    grid->addWidget(universe, 0, 0, Qt::AlignHCenter);
    grid->addWidget(status, 0, 2, Qt::AlignHCenter);
    for (int i = 0; i < 8; ++i) {
      auto* port = new QLineEdit(this);
      port->setReadOnly(true);
      port->setFixedWidth(56);
      port->setAlignment(Qt::AlignCenter);
      binder().bind(port, m_.Text1[i]);
      auto* sw = new QPushButton(this);
      sw->setMinimumWidth(110);
      binder().bind(sw, m_.Button1[i]);
      auto* light = new ColourPatch(m_.Status1[i], this);
      light->setFixedSize(22, 22);
      binder().bindCustom(light, m_.Status1[i]);
      grid->addWidget(port, i + 1, 0, Qt::AlignHCenter);
      grid->addWidget(sw, i + 1, 1);
      grid->addWidget(light, i + 1, 2, Qt::AlignHCenter);
    }
    root->addLayout(grid);

    auto* box = new QLineEdit(this);
    box->setReadOnly(true);
    box->setMinimumWidth(420);
    binder().bind(box, m_.Text2);
    root->addWidget(box);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    auto* exit = new QPushButton(this);
    exit->setMinimumWidth(90);
    binder().bind(exit, m_.Command1);
    bottom->addWidget(exit);
    root->addLayout(bottom);
  }

 private:
  Art_Config& m_;
};

ViewRegistrar reg("Art_Config", [](Form& f, GuiHost& h) { return new ArtConfigView(f, h); });

}  // namespace
}  // namespace lumora::gui
