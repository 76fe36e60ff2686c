// The command line window: the command being typed and its indicator.
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/view.h"
#include "gui/widgets.h"
#include "remote/cli.h"

namespace lumora::gui {
namespace {

class CliView : public FormView {
 public:
  CliView(Form& f, GuiHost& h) : FormView(f, h) {
    auto& m = static_cast<CLI&>(f);
    auto* root = new QVBoxLayout(this);
    auto* hint = new QLabel(this);
    binder().bind(hint, m.Label1);
    root->addWidget(hint);
    auto* row = new QHBoxLayout;
    auto* line = new QLineEdit(this);
    line->setReadOnly(true);
    line->setFocusPolicy(Qt::NoFocus);  // keys go to the command line itself
    QFont big = line->font();
    big.setPointSize(big.pointSize() + 6);
    line->setFont(big);
    line->setMinimumWidth(360);
    binder().bind(line, m.String_In);
    row->addWidget(line, 1);
    auto* light = new ColourPatch(m.Shape1, this);
    light->setFixedSize(24, 24);
    binder().bindCustom(light, m.Shape1);
    row->addWidget(light);
    root->addLayout(row);
    auto* close = new QPushButton(this);
    close->setFocusPolicy(Qt::NoFocus);
    binder().bind(close, m.Command1);
    root->addWidget(close, 0, Qt::AlignRight);
    setFocusPolicy(Qt::StrongFocus);
  }
};

ViewRegistrar reg("CLI", [](Form& f, GuiHost& h) { return new CliView(f, h); });

}  // namespace
}  // namespace lumora::gui
