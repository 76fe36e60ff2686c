// The sACN output window: one row per output universe (send switch,
// universe, priority, unicast address, the multicast group it goes to), the
// interface to send from, the source and the output's status.
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/view.h"
#include "gui/widgets.h"
#include "output/sacn_config.h"

namespace lumora::gui {

namespace {

class SacnConfigView : public FormView {
 public:
  SacnConfigView(Form& f, GuiHost& h) : FormView(f, h), m_(static_cast<Sacn_Config&>(f)) {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(14, 14, 14, 12);
    root->setSpacing(10);

    auto* box = new QGroupBox("Output universes", this);
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(6);
    Control* heads[] = {&m_.lblHeadOutput, &m_.lblHeadSend,    &m_.lblHeadUniverse,
                        &m_.lblHeadPriority, &m_.lblHeadUnicast, &m_.lblHeadGroup};
    for (int c = 0; c < 6; ++c) {
      auto* l = new QLabel(box);
      QFont bold = l->font();
      bold.setBold(true);
      l->setFont(bold);
      binder().bind(l, *heads[c]);
      grid->addWidget(l, 0, c);
    }
    for (int i = 0; i < Sacn_Config::kRows; ++i) {
      const int row = i + 1;
      auto* number = new QLabel(box);
      number->setAlignment(Qt::AlignCenter);
      binder().bind(number, m_.lblOutput[i]);
      grid->addWidget(number, row, 0);
      auto* send = new QCheckBox(box);
      binder().bind(send, m_.chkSend[i]);
      grid->addWidget(send, row, 1, Qt::AlignCenter);
      auto* universe = new QLineEdit(box);
      universe->setFixedWidth(90);
      binder().bind(universe, m_.txtUniverse[i]);
      grid->addWidget(universe, row, 2);
      auto* priority = new QLineEdit(box);
      priority->setFixedWidth(70);
      binder().bind(priority, m_.txtPriority[i]);
      grid->addWidget(priority, row, 3);
      auto* unicast = new QLineEdit(box);
      unicast->setMinimumWidth(150);
      unicast->setPlaceholderText("multicast only");
      binder().bind(unicast, m_.txtUnicast[i]);
      grid->addWidget(unicast, row, 4);
      auto* group = new QLabel(box);
      group->setMinimumWidth(110);
      binder().bind(group, m_.lblGroup[i]);
      grid->addWidget(group, row, 5);
    }
    grid->setColumnStretch(4, 1);
    root->addWidget(box);

    auto* ifRow = new QHBoxLayout;
    auto* ifLabel = new QLabel(this);
    binder().bind(ifLabel, m_.lblInterface);
    auto* iface = new QComboBox(this);
    iface->setEditable(true);
    iface->setMinimumWidth(260);
    binder().bind(iface, m_.cboInterface);
    ifRow->addWidget(ifLabel);
    ifRow->addWidget(iface, 1);
    root->addLayout(ifRow);

    auto* source = new QLabel(this);
    source->setWordWrap(true);
    source->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ShowColours(source, {QColor(), QColor(0x55, 0x55, 0x55)});
    binder().bind(source, m_.lblSource);
    root->addWidget(source);
    auto* status = new QLabel(this);
    status->setWordWrap(true);
    binder().bind(status, m_.lblStatus);
    root->addWidget(status);

    root->addLayout(OkCancelRow(binder(), this, m_.cmdOK, m_.cmdCancel, 80));
    setMinimumWidth(720);
  }

 private:
  Sacn_Config& m_;
};

ViewRegistrar reg("Sacn_Config", [](Form& f, GuiHost& h) { return new SacnConfigView(f, h); });

}  // namespace
}  // namespace lumora::gui
