// The screen editor window ("Edit Cues"): the screen list on the left, the
// edited screen's playback data and its content list on the right.
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QVBoxLayout>

#include "gui/desk_fader.h"
#include "gui/view.h"
#include "gui/widgets.h"
#include "playback/namedit.h"

namespace lumora::gui {
namespace {

class NameditView : public FormView {
 public:
  NameditView(Form& f, GuiHost& h) : FormView(f, h) {
    auto& m = static_cast<namedit&>(f);
    auto* root = new QHBoxLayout(this);
    auto* screens = new QListWidget(this);
    screens->setMinimumWidth(200);
    binder().bind(screens, m.List1);
    root->addWidget(screens);

    auto* right = new QVBoxLayout;
    auto* data = new QGroupBox("Screen", this);
    auto* g = new QGridLayout(data);
    auto* name = new QLineEdit(data);
    binder().bind(name, m.Text1);
    g->addWidget(new QLabel("Name", data), 0, 0);
    g->addWidget(name, 0, 1, 1, 3);
    auto* next = new QComboBox(data);
    binder().bind(next, m.Next_Scn);
    g->addWidget(new QLabel("Next screen", data), 1, 0);
    g->addWidget(next, 1, 1, 1, 3);
    auto* time = new QLineEdit(data);
    time->setFixedWidth(60);
    binder().bind(time, m.Text2);
    g->addWidget(new QLabel("Fade time (s)", data), 2, 0);
    g->addWidget(time, 2, 1);
    auto* delay = new QScrollBar(Qt::Horizontal, data);
    delay->setMinimumWidth(140);
    binder().bind(delay, m.Screen_Delay);
    auto* delayTxt = new QLineEdit(data);
    delayTxt->setFixedWidth(50);
    delayTxt->setReadOnly(true);
    binder().bind(delayTxt, m.Delay_txt);
    g->addWidget(new QLabel("Delay (s)", data), 3, 0);
    g->addWidget(delay, 3, 1, 1, 2);
    g->addWidget(delayTxt, 3, 3);
    auto* inst = new QCheckBox(data);
    binder().bind(inst, m.Check1);
    auto* autoN = new QCheckBox(data);
    binder().bind(autoN, m.Check2);
    auto* colour = new ColourPatch(m.Picture1, data);
    colour->setFixedSize(50, 24);
    binder().bindCustom(colour, m.Picture1);
    g->addWidget(inst, 4, 0);
    g->addWidget(autoN, 4, 1);
    g->addWidget(new QLabel("Colour", data), 4, 2, Qt::AlignRight);
    g->addWidget(colour, 4, 3);
    right->addWidget(data);

    auto* content = new QGroupBox("Content", this);
    auto* cg = new QGridLayout(content);
    auto* list = new QListWidget(content);
    list->setMinimumHeight(180);
    binder().bind(list, m.List2);
    cg->addWidget(list, 0, 0, 4, 1);
    auto* kind = new QLineEdit(content);
    kind->setReadOnly(true);
    kind->setFixedWidth(110);
    binder().bind(kind, m.Text3);
    auto* what = new QLineEdit(content);
    what->setReadOnly(true);
    what->setFixedWidth(110);
    binder().bind(what, m.Text4);
    auto* level = new QLineEdit(content);
    level->setReadOnly(true);
    level->setFixedWidth(50);
    binder().bind(level, m.Text5);
    auto* s = new DeskFader(content);  // the entry's level, lit from the bottom
    s->setMinimumHeight(120);
    binder().bind(s, m.Slider1);
    cg->addWidget(kind, 0, 1);
    cg->addWidget(what, 1, 1);
    cg->addWidget(s, 2, 1, Qt::AlignHCenter);
    cg->addWidget(level, 3, 1, Qt::AlignHCenter);
    right->addWidget(content, 1);

    auto* buttons = new QHBoxLayout;
    for (Control* c : {&m.Command2, &m.Command4, &m.Command5, &m.Command6, &m.Command3, &m.Command1}) {
      auto* b = new QPushButton(this);
      binder().bind(b, *c);
      buttons->addWidget(b);
    }
    right->addLayout(buttons);
    root->addLayout(right, 1);
    resize(760, 560);
  }
};

ViewRegistrar reg("namedit", [](Form& f, GuiHost& h) { return new NameditView(f, h); });

}  // namespace
}  // namespace lumora::gui
