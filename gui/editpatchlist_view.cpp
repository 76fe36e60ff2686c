// The patch editor: 128 DMX slots in eight columns, each with the desk
// channel that feeds it, and the panel, clear and OK buttons.
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "desk/editpatchlist.h"
#include "gui/desk_fader.h"
#include "gui/view.h"

namespace lumora::gui {

namespace {

class PatchView : public FormView {
 public:
  PatchView(Form& f, GuiHost& h) : FormView(f, h), m_(static_cast<editpatchlist&>(f)) {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(8, 8, 8, 8);
    auto* range = new QLabel(this);
    QFont big = range->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.2);
    range->setFont(big);
    binder().bind(range, m_.Label4);
    root->addWidget(range);

    constexpr int kRows = 16;
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);
    for (int k = 0; k < editpatchlist::kBoxes; ++k) {
      const int col = k / kRows, row = k % kRows;
      auto* label = new QLabel(this);
      label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      label->setMinimumWidth(78);
      binder().bind(label, m_.Label1[k]);
      auto* box = new SelectAllEdit(this);
      box->setFixedWidth(40);
      box->setMaxLength(8);
      box->setAlignment(Qt::AlignCenter);
      binder().bind(box, m_.Text1[k]);
      grid->addWidget(label, row, col * 3);
      grid->addWidget(box, row, col * 3 + 1);
      if (col < 7) grid->setColumnMinimumWidth(col * 3 + 2, 10);
    }
    root->addLayout(grid);

    auto* buttons = new QHBoxLayout;
    auto add = [&](Control& c) {
      auto* b = new QPushButton(this);
      binder().bind(b, c);
      b->setMinimumWidth(90);
      buttons->addWidget(b);
      return b;
    };
    add(m_.Pannel_Dec);
    add(m_.Pannel_Inc);
    buttons->addSpacing(20);
    add(m_.Command2);
    add(m_.Command3);
    buttons->addStretch(1);
    add(m_.Command1)->setDefault(true);
    root->addLayout(buttons);
  }

 private:
  editpatchlist& m_;
};

ViewRegistrar reg("editpatchlist", [](Form& f, GuiHost& h) { return new PatchView(f, h); });

}  // namespace
}  // namespace lumora::gui
