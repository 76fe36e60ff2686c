// The project information window: name, date and version of the last save,
// and the project notes.
#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTextEdit>
#include <QVBoxLayout>

#include "desk/project_text.h"
#include "gui/view.h"
#include "gui/widgets.h"

namespace lumora::gui {

namespace {

class ProjectTextView : public FormView {
 public:
  ProjectTextView(Form& f, GuiHost& h) : FormView(f, h), m_(static_cast<Project_text&>(f)) {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(10, 10, 10, 10);
    root->setSpacing(8);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(6);
    auto caption = [this](Control& c) {
      auto* l = new QLabel(this);
      binder().bind(l, c);
      return l;
    };
    // Date and version are shown, not edited: sunken read-only fields.
    auto shown = [this](Control& c) {
      auto* l = new QLabel(this);
      l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      l->setMinimumWidth(110);
      l->setTextInteractionFlags(Qt::TextSelectableByMouse);
      binder().bind(l, c);
      return l;
    };
    auto* name = new QLineEdit(this);
    name->setMinimumWidth(300);
    binder().bind(name, m_.Prj_Name);
    grid->addWidget(caption(m_.Label1), 0, 0);
    grid->addWidget(name, 0, 1, 1, 3);
    grid->addWidget(caption(m_.Label2), 1, 0);
    grid->addWidget(shown(m_.Prj_Date), 1, 1);
    grid->addWidget(caption(m_.Label3), 1, 2, Qt::AlignRight);
    grid->addWidget(shown(m_.Prj_Version), 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    root->addLayout(grid);

    root->addWidget(caption(m_.Label4));
    auto* notes = new QTextEdit(this);
    notes->setAcceptRichText(false);
    notes->setMinimumHeight(160);
    binder().bind(notes, m_.Text1);
    root->addWidget(notes, 1);

    root->addLayout(OkCancelRow(binder(), this, m_.OKButton, m_.CancelButton, 90));
    resize(460, 340);
  }

 private:
  Project_text& m_;
};

ViewRegistrar reg("Project_text", [](Form& f, GuiHost& h) { return new ProjectTextView(f, h); });

}  // namespace
}  // namespace lumora::gui
