// The channel names window: one channel's description, name, colour, follow
// flags, level and the DMX slots it feeds.
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "desk/channel_names.h"
#include "gui/desk_fader.h"
#include "gui/view.h"
#include "gui/widgets.h"

namespace lumora::gui {

namespace {

class ChannelNamesView : public FormView {
 public:
  ChannelNamesView(Form& f, GuiHost& h) : FormView(f, h), m_(static_cast<Channel_Names&>(f)) {
    auto* root = new QHBoxLayout(this);
    root->setContentsMargins(10, 10, 10, 10);
    root->setSpacing(12);

    auto* left = new QVBoxLayout;
    auto* g = new QGridLayout;
    g->setHorizontalSpacing(8);
    g->setVerticalSpacing(6);
    auto label = [&](Control& c, int row) {
      auto* l = new QLabel(this);
      binder().bind(l, c);
      g->addWidget(l, row, 0);
    };

    label(m_.Label1, 0);
    auto* chRow = new QHBoxLayout;
    auto* dec = new QPushButton(this);
    dec->setFixedWidth(36);
    binder().bind(dec, m_.Pannel_Dec);
    auto* num = new QLineEdit(this);
    num->setReadOnly(true);
    num->setFixedWidth(50);
    num->setAlignment(Qt::AlignCenter);
    QFont bold = num->font();
    bold.setBold(true);
    num->setFont(bold);
    binder().bind(num, m_.Show_Channel);
    auto* inc = new QPushButton(this);
    inc->setFixedWidth(36);
    binder().bind(inc, m_.Pannel_Inc);
    chRow->addWidget(dec);
    chRow->addWidget(num);
    chRow->addWidget(inc);
    chRow->addStretch(1);
    g->addLayout(chRow, 0, 1);

    label(m_.Label2, 1);
    auto* desc = new SelectAllEdit(this);
    desc->setMinimumWidth(260);
    binder().bind(desc, m_.Channel_Description);
    g->addWidget(desc, 1, 1);

    label(m_.Label3, 2);
    auto* name = new QLineEdit(this);
    name->setFixedWidth(70);
    binder().bind(name, m_.Show_Name);
    g->addWidget(name, 2, 1, Qt::AlignLeft);

    auto* colourRow = new QHBoxLayout;
    auto* swatch = new ColourPatch(m_.colour_bx, this);
    swatch->setFixedSize(70, 24);
    swatch->setCursor(Qt::PointingHandCursor);
    binder().bindCustom(swatch, m_.colour_bx);
    auto* colourButton = new QPushButton(this);
    binder().bind(colourButton, m_.Colour_button);
    colourRow->addWidget(swatch);
    colourRow->addWidget(colourButton);
    colourRow->addStretch(1);
    g->addWidget(new QLabel("Colour", this), 3, 0);
    g->addLayout(colourRow, 3, 1);
    left->addLayout(g);

    auto* follow = new QGroupBox("Follow", this);
    auto* fv = new QVBoxLayout(follow);
    auto* mainF = new QCheckBox(follow);
    binder().bind(mainF, m_.Main_F);
    auto* crossF = new QCheckBox(follow);
    binder().bind(crossF, m_.Cross_F);
    fv->addWidget(mainF);
    fv->addWidget(crossF);
    left->addWidget(follow);

    auto* dmx = new QGroupBox(this);
    auto* dv = new QVBoxLayout(dmx);
    auto* dmxLabel = new QLabel(dmx);
    binder().bind(dmxLabel, m_.Label4);
    dv->addWidget(dmxLabel);
    auto* dh = new QHBoxLayout;
    dv->addLayout(dh);
    for (int b = 0; b < m_.Show_DMX.size(); ++b) {
      auto* box = new QLineEdit(dmx);
      box->setReadOnly(true);
      box->setFixedWidth(44);
      box->setAlignment(Qt::AlignCenter);
      binder().bind(box, m_.Show_DMX[b]);
      dh->addWidget(box);
    }
    dh->addStretch(1);
    left->addWidget(dmx);
    left->addStretch(1);
    auto* okRow = new QHBoxLayout;
    okRow->addStretch(1);
    auto* ok = new QPushButton(this);
    ok->setMinimumWidth(90);
    ok->setDefault(true);
    binder().bind(ok, m_.OK);
    okRow->addWidget(ok);
    left->addLayout(okRow);
    root->addLayout(left, 1);

    auto* levelBox = new QVBoxLayout;
    auto* levelLabel = new QLabel(this);
    levelLabel->setAlignment(Qt::AlignCenter);
    binder().bind(levelLabel, m_.Label5);
    levelBox->addWidget(levelLabel);
    auto* fader = new DeskFader(this);
    fader->setMinimumHeight(220);
    binder().bind(fader, m_.Slider1);
    levelBox->addWidget(fader, 1, Qt::AlignHCenter);
    root->addLayout(levelBox);
  }

 private:
  Channel_Names& m_;
};

ViewRegistrar reg("Channel_Names", [](Form& f, GuiHost& h) { return new ChannelNamesView(f, h); });

}  // namespace
}  // namespace lumora::gui
