// The main desk window: the fader strip of 32 channels, the masters, the
// submix section and the menus.
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "core/hoofdblad.h"
#include "gui/view.h"
#include "gui/widgets.h"

namespace lumora::gui {

namespace {

QSlider* fader(QWidget* parent) {
  auto* s = new QSlider(Qt::Vertical, parent);
  s->setInvertedAppearance(true);  // value 0 at the top = full
  s->setMinimumHeight(160);
  return s;
}

class HoofdbladView : public FormView {
 public:
  HoofdbladView(Form& f, GuiHost& h) : FormView(f, h), m_(static_cast<Hoofdblad&>(f)) {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(4, 4, 4, 4);
    root->setMenuBar(makeMenus());

    auto* body = new QHBoxLayout;
    root->addLayout(body, 1);

    // The fader strip.
    auto* strip = new QGridLayout;
    strip->setHorizontalSpacing(2);
    strip->setVerticalSpacing(2);
    for (int k = 0; k < 32; ++k) {
      auto* name = new QLineEdit(this);
      name->setFixedWidth(38);
      name->setAlignment(Qt::AlignCenter);
      binder().bind(name, m_.Text3[k]);
      auto* s = fader(this);
      binder().bind(s, m_.Slider1[k]);
      auto* level = new QLineEdit(this);
      level->setFixedWidth(38);
      level->setAlignment(Qt::AlignCenter);
      binder().bind(level, m_.Text1[k]);
      auto* mx = new QPushButton(this);
      mx->setFixedWidth(38);
      binder().bind(mx, m_.Command1[k]);
      auto* mn = new QPushButton(this);
      mn->setFixedWidth(38);
      binder().bind(mn, m_.Command2[k]);
      strip->addWidget(name, 0, k, Qt::AlignHCenter);
      strip->addWidget(s, 1, k, Qt::AlignHCenter);
      strip->addWidget(level, 2, k, Qt::AlignHCenter);
      strip->addWidget(mx, 3, k, Qt::AlignHCenter);
      strip->addWidget(mn, 4, k, Qt::AlignHCenter);
    }
    strip->setRowStretch(1, 1);
    body->addLayout(strip, 1);

    // Masters and the submix section.
    auto* side = new QVBoxLayout;
    auto* masters = new QGroupBox("Masters", this);
    auto* mg = new QGridLayout(masters);
    auto* ch = fader(masters);
    binder().bind(ch, m_.channels);
    auto* mainF = fader(masters);
    binder().bind(mainF, m_.Main);
    mg->addWidget(new QLabel("Channels", masters), 0, 0, Qt::AlignHCenter);
    mg->addWidget(new QLabel("Main", masters), 0, 1, Qt::AlignHCenter);
    mg->addWidget(ch, 1, 0, Qt::AlignHCenter);
    mg->addWidget(mainF, 1, 1, Qt::AlignHCenter);
    side->addWidget(masters);

    auto* sub = new QGroupBox("Submix", this);
    auto* sg = new QGridLayout(sub);
    auto* sf = fader(sub);
    binder().bind(sf, m_.Submix);
    sg->addWidget(sf, 0, 0, 6, 1, Qt::AlignHCenter);
    auto* num = new QLineEdit(sub);
    num->setFixedWidth(40);
    num->setReadOnly(true);
    binder().bind(num, m_.Text9);
    auto* minus = new QPushButton("-", sub);
    minus->setFixedWidth(28);
    binder().bind(minus, m_.Submix_Minus);
    auto* plus = new QPushButton("+", sub);
    plus->setFixedWidth(28);
    binder().bind(plus, m_.Submix_Plus);
    auto* row = new QHBoxLayout;
    row->addWidget(minus);
    row->addWidget(num);
    row->addWidget(plus);
    sg->addLayout(row, 0, 1);
    auto* sname = new QLineEdit(sub);
    binder().bind(sname, m_.Submix_Text);
    sg->addWidget(sname, 1, 1);
    auto* colour = new ColourPatch(m_.Sub_colour, sub);
    colour->setMinimumHeight(18);
    binder().bindCustom(colour, m_.Sub_colour);
    sg->addWidget(colour, 2, 1);
    auto* prog = new QPushButton(sub);
    binder().bind(prog, m_.Submix_Prog);
    sg->addWidget(prog, 3, 1);
    auto* recal = new QPushButton(sub);
    binder().bind(recal, m_.Submix_Recal);
    sg->addWidget(recal, 4, 1);
    side->addWidget(sub);

    auto* bank = new QHBoxLayout;
    auto* dec = new QPushButton(this);
    binder().bind(dec, m_.Dec_Channels);
    auto* inc = new QPushButton(this);
    binder().bind(inc, m_.Inc_Channel);
    bank->addWidget(dec);
    bank->addWidget(inc);
    side->addLayout(bank);
    auto* clear = new QPushButton(this);
    binder().bind(clear, m_.Clearall);
    side->addWidget(clear);
    auto* windows = new QGridLayout;
    const std::pair<Control*, const char*> opens[] = {
        {&m_.Command21, "Play Desk"}, {&m_.Command3, "Sequences"}, {&m_.Command22, "Output"}};
    int r = 0;
    for (auto [c, text] : opens) {
      auto* b = new QPushButton(this);
      if (c->Caption().empty()) c->setCaption(text);
      binder().bind(b, *c);
      windows->addWidget(b, r++, 0);
    }
    side->addLayout(windows);
    side->addStretch(1);
    body->addLayout(side);

    // Status line with the activity and Art-Net lights.
    auto* bottom = new QHBoxLayout;
    auto* status = new QLineEdit(this);
    status->setReadOnly(true);
    binder().bind(status, m_.Status);
    bottom->addWidget(status, 1);
    auto* art = new QLabel("Art-Net", this);
    binder().bind(art, m_.Label3);
    if (m_.Label3.Caption().empty()) m_.Label3.setCaption("Art-Net");
    bottom->addWidget(art);
    auto* artLight = new ColourPatch(m_.Picture1, this);
    artLight->setFixedSize(14, 14);
    binder().bindCustom(artLight, m_.Picture1);
    bottom->addWidget(artLight);
    auto* light = new ColourPatch(m_.Picture2, this);
    light->setFixedSize(14, 14);
    light->setToolTip("Output tick");
    binder().bindCustom(light, m_.Picture2);
    bottom->addWidget(light);
    root->addLayout(bottom);
    resize(1560, 520);
  }

 private:
  QMenuBar* makeMenus() {
    auto* bar = new QMenuBar(this);
    auto item = [this](QMenu* menu, Control& c, const char* text) {
      if (c.Caption().empty()) c.setCaption(text);
      QAction* a = menu->addAction(QString::fromUtf8(text));
      binder().bind(a, c);
    };
    QMenu* file = bar->addMenu("&File");
    item(file, m_.LoadXML, "Load Project...");
    item(file, m_.Load_P_XML, "Load Part of a Project...");
    file->addSeparator();
    item(file, m_.Save_Instant, "Save Project");
    item(file, m_.SaveXML, "Save Project As...");
    item(file, m_.Save_Submix_XML, "Save Submixes...");
    item(file, m_.Save_Patch_XML, "Save Patch...");
    item(file, m_.Save_Chase_XML, "Save Sequences...");
    file->addSeparator();
    item(file, m_.project_info, "Project Information...");
    item(file, m_.resetdesk, "Reset Desk");
    file->addSeparator();
    item(file, m_.eruit, "Exit");
    QMenu* desk = bar->addMenu("&Desk");
    item(desk, m_.Channel_Edit, "Channel Names...");
    item(desk, m_.editpatch, "Patch...");
    item(desk, m_.realoutput, "Output Monitor...");
    item(desk, m_.Chase_Screen, "Sequence Desk...");
    item(desk, m_.CLI_sel, "Command Line...");
    QMenu* setup = bar->addMenu("&Setup");
    item(setup, m_.port_setup, "DMX Output Device...");
    item(setup, m_.Art_setup, "Art-Net...");
    item(setup, m_.BCF2000_setup, "BCF2000...");
    QMenu* help = bar->addMenu("&Help");
    item(help, m_.Aboutmenu, "About...");
    return bar;
  }

  Hoofdblad& m_;
};

ViewRegistrar reg("Hoofdblad", [](Form& f, GuiHost& h) { return new HoofdbladView(f, h); });

}  // namespace
}  // namespace lumora::gui
