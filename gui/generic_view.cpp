#include "gui/generic_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QVBoxLayout>

#include "core/form.h"
#include "gui/widgets.h"

namespace lumora::gui {

QWidget* MakeBoundWidget(Control& c, Binder& b, QWidget* parent) {
  switch (c.kind()) {
    case Kind::TextBox: {
      auto* w = new QLineEdit(parent);
      b.bind(w, c);
      return w;
    }
    case Kind::Button:
    case Kind::Menu: {
      auto* w = new QPushButton(parent);
      b.bind(w, c);
      return w;
    }
    case Kind::Label: {
      auto* w = new QLabel(parent);
      b.bind(w, c);
      return w;
    }
    case Kind::CheckBox: {
      auto* w = new QCheckBox(parent);
      b.bind(w, c);
      return w;
    }
    case Kind::Option: {
      auto* w = new QRadioButton(parent);
      b.bind(w, c);
      return w;
    }
    case Kind::Fader: {
      auto* w = new QSlider(Qt::Vertical, parent);
      w->setInvertedAppearance(true);
      w->setMinimumHeight(80);
      b.bind(w, c);
      return w;
    }
    case Kind::ScrollBar: {
      auto* w = new QScrollBar(Qt::Horizontal, parent);
      b.bind(w, c);
      return w;
    }
    case Kind::ComboBox: {
      auto* w = new QComboBox(parent);
      b.bind(w, c);
      return w;
    }
    case Kind::ListBox: {
      auto* w = new QListWidget(parent);
      w->setMinimumHeight(80);
      b.bind(w, c);
      return w;
    }
    default: {
      auto* w = new ColourPatch(c, parent);
      b.bindCustom(w, c);
      return w;
    }
  }
}

GenericView::GenericView(Form& form, GuiHost& host) : FormView(form, host) {
  auto* outer = new QVBoxLayout(this);
  auto* area = new QScrollArea(this);
  auto* inner = new QWidget(area);
  auto* grid = new QGridLayout(inner);
  int row = 0;
  for (Control* c : form.controls()) {
    grid->addWidget(new QLabel(QString::fromStdString(c->address()), inner), row, 0);
    grid->addWidget(MakeBoundWidget(*c, binder(), inner), row, 1);
    ++row;
  }
  area->setWidget(inner);
  area->setWidgetResizable(true);
  outer->addWidget(area);
  resize(420, 480);
}

}  // namespace lumora::gui
