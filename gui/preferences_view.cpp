// The Preferences window: autosave interval, numbered backups and opening
// the last project at start.
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "gui/view.h"
#include "gui/widgets.h"
#include "project/preferences.h"

namespace lumora::gui {

namespace {

class PreferencesView : public FormView {
 public:
  PreferencesView(Form& f, GuiHost& h) : FormView(f, h), m_(static_cast<Preferences&>(f)) {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(14, 14, 14, 12);
    root->setSpacing(10);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    auto* l1 = new QLabel(this);
    binder().bind(l1, m_.lblAutosave);
    auto* minutes = new QLineEdit(this);
    minutes->setFixedWidth(70);
    binder().bind(minutes, m_.txtAutosave);
    grid->addWidget(l1, 0, 0);
    grid->addWidget(minutes, 0, 1);
    auto* l2 = new QLabel(this);
    binder().bind(l2, m_.lblBackups);
    auto* backups = new QLineEdit(this);
    backups->setFixedWidth(70);
    binder().bind(backups, m_.txtBackups);
    grid->addWidget(l2, 1, 0);
    grid->addWidget(backups, 1, 1);
    auto* openLast = new QCheckBox(this);
    binder().bind(openLast, m_.chkOpenLast);
    grid->addWidget(openLast, 2, 0, 1, 2);
    root->addLayout(grid);
    auto* where = new QLabel(this);
    where->setWordWrap(true);
    ShowColours(where, {QColor(), QColor(0x55, 0x55, 0x55)});
    binder().bind(where, m_.lblWhere);
    root->addWidget(where);
    root->addLayout(OkCancelRow(binder(), this, m_.cmdOK, m_.cmdCancel, 80));
    setMinimumWidth(460);
  }

 private:
  Preferences& m_;
};

ViewRegistrar reg("Preferences", [](Form& f, GuiHost& h) { return new PreferencesView(f, h); });

}  // namespace
}  // namespace lumora::gui
