// The fallback view of a window that has no hand-made layout yet: every
// control in a grid, bound like any other view.
#pragma once

#include "gui/view.h"

namespace lumora::gui {

class GenericView : public FormView {
  Q_OBJECT
 public:
  GenericView(Form& form, GuiHost& host);
};

// Makes the usual widget for a control and binds it (used by views too).
QWidget* MakeBoundWidget(Control& c, Binder& b, QWidget* parent);

}  // namespace lumora::gui
