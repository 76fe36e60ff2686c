// The fader function editor window, and the part of the layout that the
// button function editor shares.
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "desk/fader_function_form.h"
#include "gui/view.h"
#include "gui/desk_fader.h"
#include "gui/widgets.h"

namespace lumora::gui {

// Lays out the shared editor; `extra` (may be null) goes below the fields.
void LayOutFunctionEditor(FormView& v, FunctionEditor& m, QLayout* extra) {
  Binder& b = v.binder();
  auto* root = new QVBoxLayout(&v);
  auto* nav = new QHBoxLayout;
  auto* prev = new QPushButton(&v);
  b.bind(prev, m.Pannel_Dec);
  auto* which = new QLabel(&v);
  which->setAlignment(Qt::AlignCenter);
  b.bind(which, m.Edit_Label);
  auto* next = new QPushButton(&v);
  b.bind(next, m.Pannel_Inc);
  nav->addWidget(prev);
  nav->addWidget(which, 1);
  nav->addWidget(next);
  root->addLayout(nav);

  auto* body = new QHBoxLayout;
  auto* g = new QGridLayout;
  int row = 0;
  auto* fun = new QComboBox(&v);
  b.bind(fun, m.Fun_set);
  g->addWidget(new QLabel("Function", &v), row, 0);
  g->addWidget(fun, row++, 1, 1, 3);
  auto* name = new QLineEdit(&v);
  b.bind(name, m.F_Name);
  auto* nameLbl = new QLabel("Name", &v);
  FollowVisibility(nameLbl, name);
  g->addWidget(nameLbl, row, 0);
  g->addWidget(name, row++, 1, 1, 3);
  auto* numLbl = new QLabel(&v);
  b.bind(numLbl, m.Number_Label);
  auto* num = new QLineEdit(&v);
  num->setFixedWidth(60);
  b.bind(num, m.Number);
  auto* minus = new QPushButton(&v);
  minus->setFixedWidth(30);
  b.bind(minus, m.Minus);
  auto* plus = new QPushButton(&v);
  plus->setFixedWidth(30);
  b.bind(plus, m.Plus);
  auto* numRow = new QHBoxLayout;
  numRow->addWidget(minus);
  numRow->addWidget(num);
  numRow->addWidget(plus);
  numRow->addStretch(1);
  g->addWidget(numLbl, row, 0);
  g->addLayout(numRow, row++, 1, 1, 3);
  auto* mode = new QComboBox(&v);
  b.bind(mode, m.Sequence_Fun);
  g->addWidget(mode, row++, 1, 1, 3);
  for (int k = 0; k < 3; ++k) {
    auto* l = new QLabel(&v);
    b.bind(l, m.Channel_Label[k]);
    auto* c = new QLineEdit(&v);
    c->setFixedWidth(60);
    b.bind(c, m.Channel[k]);
    g->addWidget(l, row, 0);
    g->addWidget(c, row++, 1);
  }
  auto* colour = new ColourPatch(m.Colour_box, &v);
  colour->setFixedSize(60, 30);
  b.bindCustom(colour, m.Colour_box);
  auto* colourLbl = new QLabel("Colour", &v);
  FollowVisibility(colourLbl, colour);
  g->addWidget(colourLbl, row, 0);
  g->addWidget(colour, row, 1);
  auto* rgb = new QHBoxLayout;
  for (Control* c : {&m.R_Label, &m.G_Label, &m.B_Label}) {
    auto* l = new QLabel(&v);
    l->setMinimumWidth(30);
    b.bind(l, *c);
    rgb->addWidget(l);
  }
  g->addLayout(rgb, row++, 2, 1, 2);
  if (extra) g->addLayout(extra, row++, 0, 1, 4);
  g->setRowStretch(row, 1);
  body->addLayout(g, 1);

  auto* lv = new QVBoxLayout;
  auto* cap = new QLabel(&v);
  b.bind(cap, m.Label4);
  auto* s = new DeskFader(&v);  // 0 at the top = full, lit from the bottom
  s->setMinimumHeight(160);
  b.bind(s, m.Slider1);
  auto* lvl = new QLineEdit(&v);
  lvl->setFixedWidth(50);
  lvl->setReadOnly(true);
  b.bind(lvl, m.Level_Box);
  lv->addWidget(cap, 0, Qt::AlignHCenter);
  lv->addWidget(s, 1, Qt::AlignHCenter);
  lv->addWidget(lvl, 0, Qt::AlignHCenter);
  body->addLayout(lv);
  root->addLayout(body, 1);

  root->addLayout(OkCancelRow(b, &v, m.OK, m.Cancel));
}

namespace {

class FaderFunctionView : public FormView {
 public:
  FaderFunctionView(Form& f, GuiHost& h) : FormView(f, h) {
    LayOutFunctionEditor(*this, static_cast<FunctionEditor&>(f), nullptr);
    resize(420, 380);
  }
};

ViewRegistrar reg("Fader_Function_Form", [](Form& f, GuiHost& h) { return new FaderFunctionView(f, h); });

}  // namespace
}  // namespace lumora::gui
