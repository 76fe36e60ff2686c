// "BCF Setup": the connect button and its result, the update options in
// their two frames, and Close.
#include <QCheckBox>
#include <string>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/view.h"
#include "remote/bcf_configure.h"

namespace lumora::gui {

namespace {

class BcfConfigureView : public FormView {
 public:
  BcfConfigureView(Form& f, GuiHost& h) : FormView(f, h), m_(static_cast<BCF_configure&>(f)) {
    setObjectName("BcfConfigureView");
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(10, 10, 10, 10);
    root->setSpacing(8);

    auto* connectRow = new QHBoxLayout;
    connectRow->addWidget(button(m_.Command1, 130));
    auto* result = new QLineEdit(this);
    result->setObjectName("Text1");
    result->setReadOnly(true);
    result->setMinimumWidth(200);
    binder().bind(result, m_.Text1);
    connectRow->addWidget(result, 1);
    root->addLayout(connectRow);

    auto* label = new QLabel(this);
    label->setObjectName("Label1");
    binder().bind(label, m_.Label1);
    root->addWidget(label);

    auto* frames = new QHBoxLayout;
    frames->addWidget(frame(m_.Frame1, m_.Check1));
    frames->addWidget(frame(m_.Frame2, m_.Check2));
    root->addLayout(frames);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(button(m_.Command2, 90));
    root->addLayout(bottom);
    root->setSizeConstraint(QLayout::SetFixedSize);
  }

 private:
  QPushButton* button(Control& c, int width) {
    auto* b = new QPushButton(this);
    b->setObjectName(QString::fromStdString(c.name()));
    b->setMinimumWidth(width);
    binder().bind(b, c);
    return b;
  }
  QGroupBox* frame(Control& f, ControlArray& checks) {
    auto* g = new QGroupBox(QString::fromStdString(f.Caption()), this);
    g->setObjectName(QString::fromStdString(f.name()));
    binder().bindCustom(g, f, [] { return false; });  // its own title; nothing drawn from the model
    auto* v = new QVBoxLayout(g);
    for (int i = 0; i < checks.size(); ++i) {
      auto* c = new QCheckBox(g);
      c->setObjectName(QString::fromStdString(checks.name() + "(" + std::to_string(i) + ")"));
      binder().bind(c, checks[i]);
      v->addWidget(c);
    }
    return g;
  }

  BCF_configure& m_;
};

ViewRegistrar reg("BCF_configure", [](Form& f, GuiHost& h) { return new BcfConfigureView(f, h); });

}  // namespace
}  // namespace lumora::gui
