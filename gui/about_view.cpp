// The about box.
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "desk/about.h"
#include "gui/view.h"

namespace lumora::gui {

namespace {

class AboutView : public FormView {
 public:
  AboutView(Form& f, GuiHost& h) : FormView(f, h), m_(static_cast<frmAbout&>(f)) {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(16, 16, 16, 12);
    auto* title = new QLabel(this);
    QFont big = title->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.8);
    title->setFont(big);
    binder().bind(title, m_.lblTitle);
    root->addWidget(title);
    auto* version = new QLabel(this);
    binder().bind(version, m_.lblVersion);
    root->addWidget(version);
    auto* text = new QLabel(this);
    text->setWordWrap(true);
    text->setMinimumWidth(340);
    binder().bind(text, m_.lblDescription);
    root->addWidget(text);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    auto* ok = new QPushButton(this);
    ok->setDefault(true);
    ok->setMinimumWidth(80);
    binder().bind(ok, m_.cmdOK);
    row->addWidget(ok);
    root->addLayout(row);
  }

 private:
  frmAbout& m_;
};

ViewRegistrar reg("frmAbout", [](Form& f, GuiHost& h) { return new AboutView(f, h); });

}  // namespace
}  // namespace lumora::gui
