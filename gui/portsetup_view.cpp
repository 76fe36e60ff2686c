// The adapter setup dialog: the adapter list on top, then the port, rate and
// USB status groups that the model shows for the chosen adapter.
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/view.h"
#include "output/portsetup.h"

namespace lumora::gui {

namespace {

class PortsetupView : public FormView {
 public:
  PortsetupView(Form& f, GuiHost& h) : FormView(f, h), m_(static_cast<Portsetup&>(f)) {
    setMinimumWidth(380);
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(12, 12, 12, 12);
    root->setSpacing(8);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel("Output device", this));
    auto* combo = new QComboBox(this);
    combo->setMinimumWidth(220);
    binder().bind(combo, m_.Combo1);
    top->addWidget(combo, 1);
    root->addLayout(top);

    auto* name = new QLabel(this);
    name->setAlignment(Qt::AlignCenter);
    name->setFrameShape(QFrame::StyledPanel);
    name->setMinimumHeight(28);
    QFont big = name->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.2);
    name->setFont(big);
    binder().bind(name, m_.Adapter_Name);
    root->addWidget(name);

    // Port group: the options carry no text of their own; their labels'
    // captions become the options' texts (syncView), so a click on the port
    // name chooses the port as a technician expects.
    auto* port = new QGridLayout;
    port->setHorizontalSpacing(6);
    auto* portLabel = new QLabel(this);
    binder().bind(portLabel, m_.Label2);
    port->addWidget(portLabel, 0, 0, 1, 2);
    for (int i = 0; i < 2; ++i) {
      auto* opt = new QRadioButton(this);
      opt->setAutoExclusive(false);  // the model keeps the pair exclusive
      binder().bind(opt, i == 0 ? m_.Option1 : m_.Option2);
      options_[i] = opt;
      port->addWidget(opt, i + 1, 0, 1, 2);
    }
    port->setColumnStretch(1, 1);
    root->addLayout(port);

    // Rate group.
    auto* rate = new QGridLayout;
    auto* rateLabel = new QLabel(this);
    binder().bind(rateLabel, m_.Label3);
    rate->addWidget(rateLabel, 0, 0);
    auto* rateText = new QLineEdit(this);
    rateText->setReadOnly(true);
    rateText->setFixedWidth(80);
    rateText->setAlignment(Qt::AlignRight);
    binder().bind(rateText, m_.Text1);
    rate->addWidget(rateText, 0, 1, Qt::AlignRight);
    auto* slider = new QScrollBar(Qt::Horizontal, this);
    slider->setPageStep(10);
    binder().bind(slider, m_.HScroll1);
    rate->addWidget(slider, 1, 0, 1, 2);
    root->addLayout(rate);

    auto* usb = new QLineEdit(this);
    usb->setReadOnly(true);
    usb->setAlignment(Qt::AlignCenter);
    binder().bind(usb, m_.Text2);
    root->addWidget(usb);

    root->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* save = new QPushButton(this);
    save->setDefault(true);
    binder().bind(save, m_.Command1);
    auto* cancel = new QPushButton(this);
    binder().bind(cancel, m_.Command2);
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    root->addLayout(buttons);
  }

  void syncView() override {
    FormView::syncView();
    if (!formChanged()) return;
    for (int i = 0; i < 2; ++i) {
      const QString t = QString::fromStdString(m_.Label1[i].Caption());
      if (options_[i]->text() != t) options_[i]->setText(t);
    }
    fit();
  }

 protected:
  void showEvent(QShowEvent* e) override {
    FormView::showEvent(e);
    fit();
  }

 private:
  // The groups come and go with the adapter: fit the height to what shows,
  // so no blank band is left under a smaller group.
  void fit() {
    if (!layout()) return;
    layout()->activate();
    const int h = std::max(minimumSizeHint().height(), sizeHint().height());
    if (isVisible() && height() != h) resize(width(), h);
  }

  Portsetup& m_;
  QRadioButton* options_[2] = {nullptr, nullptr};
};

ViewRegistrar reg("Portsetup", [](Form& f, GuiHost& h) { return new PortsetupView(f, h); });

}  // namespace
}  // namespace lumora::gui
