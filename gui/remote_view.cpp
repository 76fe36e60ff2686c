// The Web Remote window: where the remote serves, the switch, the PIN a
// browser signs in with (large, to read across the room) and the pages
// connected.
#include <QCheckBox>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/view.h"
#include "app/web_remote.h"

namespace lumora::gui {

namespace {

class RemoteView : public FormView {
 public:
  RemoteView(Form& f, GuiHost& h) : FormView(f, h), m_(static_cast<Remote&>(f)) {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(14, 14, 14, 12);
    root->setSpacing(10);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    auto label = [this](Control& c) {
      auto* l = new QLabel(this);
      binder().bind(l, c);
      return l;
    };
    auto* address = new QLineEdit(this);
    address->setMinimumWidth(180);
    binder().bind(address, m_.txtAddress);
    auto* port = new QLineEdit(this);
    port->setFixedWidth(80);
    binder().bind(port, m_.txtPort);
    grid->addWidget(label(m_.lblAddress), 0, 0);
    grid->addWidget(address, 0, 1);
    grid->addWidget(label(m_.lblPort), 1, 0);
    grid->addWidget(port, 1, 1, Qt::AlignLeft);
    auto* on = new QCheckBox(this);
    binder().bind(on, m_.chkEnabled);
    grid->addWidget(on, 2, 0, 1, 2);
    grid->addWidget(label(m_.lblPinTitle), 3, 0);
    QLabel* pin = label(m_.lblPin);
    QFont big = pin->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    big.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    pin->setFont(big);
    pin->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(pin, 3, 1);
    QLabel* url = label(m_.lblUrl);
    url->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(url, 4, 0, 1, 2);
    grid->addWidget(label(m_.lblClients), 5, 0, 1, 2);
    root->addLayout(grid);
    QLabel* note = label(m_.lblNote);
    note->setWordWrap(true);
    ShowColours(note, {QColor(), QColor(0x55, 0x55, 0x55)});
    root->addWidget(note);
    auto* status = new QLineEdit(this);
    status->setReadOnly(true);
    binder().bind(status, m_.Status);
    root->addWidget(status);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    auto* close = new QPushButton(this);
    close->setMinimumWidth(80);
    binder().bind(close, m_.cmdClose);
    row->addWidget(close);
    root->addLayout(row);
    setMinimumWidth(480);
  }

 private:
  Remote& m_;
};

ViewRegistrar reg("Remote", [](Form& f, GuiHost& h) { return new RemoteView(f, h); });

}  // namespace
}  // namespace lumora::gui
