// Small desk widgets drawn from their control: the colour patch (pictures,
// indicators) used by many windows.
#pragma once

#include <QHBoxLayout>
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

// Widgets that change often inside a group box (faders, level numbers) fill
// their own background with the box's face colour, so a repaint of one of
// them stops there: without it the box paints its frame again under each
// change, and some styles draw that frame as a stretched picture (costly,
// and spread over a thread pool). The colour is the one the box shows, so
// the look does not change; the style draws the widgets as before.
void PaintOverGroupFace(QWidget* box, const QList<QWidget*>& widgets);
// The same over a panel of one known colour.
void PaintOverFace(const QColor& face, const QList<QWidget*>& widgets);

// Keeps a fixed caption label shown exactly while its field is shown, for
// captions the model does not know of (the field's control hides alone).
void FollowVisibility(QWidget* caption, QWidget* field);

// A dialog's OK and Cancel buttons, right-aligned, OK the default button.
// A minimum width of 0 leaves the style's own.
QHBoxLayout* OkCancelRow(Binder& b, QWidget* parent, Control& ok, Control& cancel, int minWidth = 0);

}  // namespace lumora::gui
