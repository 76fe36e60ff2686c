// The fixture properties window: fixture and function choosers, the entry
// grid, the entry's text, values, enabled flag and colour.
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/view.h"
#include "gui/widgets.h"
#include "sequences/fixture_prop.h"

namespace lumora::gui {

namespace {

class FixturePropView : public FormView {
 public:
  FixturePropView(Form& f, GuiHost& h) : FormView(f, h), m_(static_cast<Fixture_Prop&>(f)) {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(8, 4, 8, 8);
    auto* bar = new QMenuBar(this);
    QMenu* file = bar->addMenu("&File");
    for (Control* c : {&m_.mnu_load, &m_.mnu_save_single, &m_.mnu_save_all, &m_.mnu_clear}) {
      QAction* a = file->addAction(QString::fromStdString(c->Caption()));
      binder().bind(a, *c);
    }
    file->addSeparator();
    QAction* ex = file->addAction(QString::fromStdString(m_.mnu_exit.Caption()));
    binder().bind(ex, m_.mnu_exit);
    root->setMenuBar(bar);

    auto* sel = new QGridLayout;
    sel->addWidget(new QLabel("Fixture", this), 0, 0);
    auto* fx = new QComboBox(this);
    fx->setMinimumWidth(180);
    binder().bind(fx, m_.Fixture_Sel);
    sel->addWidget(fx, 0, 1);
    sel->addWidget(new QLabel("Fixture name", this), 0, 2);
    auto* fxt = new QLineEdit(this);
    binder().bind(fxt, m_.Fixture_txt);
    sel->addWidget(fxt, 0, 3);
    sel->addWidget(new QLabel("Function", this), 1, 0);
    auto* fn = new QComboBox(this);
    binder().bind(fn, m_.Function_Sel);
    sel->addWidget(fn, 1, 1);
    sel->addWidget(new QLabel("Function name", this), 1, 2);
    auto* fnt = new QLineEdit(this);
    binder().bind(fnt, m_.Function_txt);
    sel->addWidget(fnt, 1, 3);
    root->addLayout(sel);

    auto* body = new QHBoxLayout;
    auto* gridBox = new QGroupBox("Entries", this);
    auto* grid = new QGridLayout(gridBox);
    grid->setSpacing(3);
    for (int k = 0; k < 21; ++k) {
      auto* b = new QPushButton(gridBox);
      b->setFixedSize(76, 24);
      binder().bind(b, m_.Entry[k]);
      grid->addWidget(b, k / 3, k % 3);
    }
    body->addWidget(gridBox);

    auto* entry = new QGroupBox("Entry", this);
    auto* eg = new QGridLayout(entry);
    auto* which = new QLabel(entry);
    binder().bind(which, m_.Entry_Label);
    eg->addWidget(which, 0, 0, 1, 2);
    eg->addWidget(new QLabel("Button text", entry), 1, 0);
    auto* btn = new QLineEdit(entry);
    btn->setMaximumWidth(120);
    binder().bind(btn, m_.Button);
    eg->addWidget(btn, 1, 1);
    auto* l1 = new QLabel(entry);
    binder().bind(l1, m_.Label1);
    eg->addWidget(l1, 2, 0);
    auto* out = new QLineEdit(entry);
    out->setMaximumWidth(60);
    binder().bind(out, m_.Output);
    eg->addWidget(out, 2, 1);
    auto* l2 = new QLabel(entry);
    binder().bind(l2, m_.Label2);
    eg->addWidget(l2, 3, 0);
    auto* mn = new QLineEdit(entry);
    mn->setMaximumWidth(60);
    binder().bind(mn, m_.min_txt);
    eg->addWidget(mn, 3, 1);
    auto* l3 = new QLabel(entry);
    binder().bind(l3, m_.Label3);
    eg->addWidget(l3, 4, 0);
    auto* mx = new QLineEdit(entry);
    mx->setMaximumWidth(60);
    binder().bind(mx, m_.max_txt);
    eg->addWidget(mx, 4, 1);
    auto* en = new QCheckBox(entry);
    binder().bind(en, m_.Check1);
    eg->addWidget(en, 5, 0, 1, 2);
    eg->addWidget(new QLabel("Colour", entry), 6, 0);
    auto* col = new ColourPatch(m_.colour_bx, entry);
    col->setFixedSize(60, 22);
    col->setToolTip("Choose the button colour");
    binder().bindCustom(col, m_.colour_bx);
    eg->addWidget(col, 6, 1);
    eg->setRowStretch(7, 1);
    eg->setColumnStretch(2, 1);  // fields beside their captions, the room after them
    body->addWidget(entry, 1);
    root->addLayout(body, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    auto* close = new QPushButton(this);
    close->setMinimumWidth(90);
    binder().bind(close, m_.Command1);
    bottom->addWidget(close);
    root->addLayout(bottom);
    resize(640, 420);
  }

 private:
  Fixture_Prop& m_;
};

ViewRegistrar reg("Fixture_Prop", [](Form& f, GuiHost& h) -> FormView* { return new FixturePropView(f, h); });

}  // namespace
}  // namespace lumora::gui
