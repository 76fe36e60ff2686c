// Small desk widgets drawn from their control: the colour patch (pictures,
// indicators) used by many windows.
#pragma once

#include <QWidget>

#include "core/form.h"
#include "gui/binder.h"

namespace lumora::gui {

// Paints the control's BackColor (or the window face when it has none).
class ColourPatch : public QWidget, public ShowsControl {
 public:
  ColourPatch(Control& c, QWidget* parent = nullptr);
  QSize sizeHint() const override { return {24, 24}; }
  bool refreshShown() override;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  Control& c_;
  bool drawn_ = false;
  int32_t colour_ = -1;
  std::string caption_;
};

// Keeps a fixed caption label shown exactly while its field is shown, for
// captions the model does not know of (the field's control hides alone).
void FollowVisibility(QWidget* caption, QWidget* field);

}  // namespace lumora::gui
