// Widgets of the desk windows: a channel fader drawn like a desk fader (its
// lit part rises from the bottom with the level) and a text box that
// selects its whole text when clicked.
#pragma once

#include <QColor>
#include <QLineEdit>
#include <QSlider>

#include "gui/binder.h"

namespace lumora::gui {

// A vertical fader whose value 0 sits at the top (= full level, as the
// desk's faders count). The groove is lit from the bottom up to the cap.
class DeskFader : public QSlider {
 public:
  explicit DeskFader(QWidget* parent = nullptr);
  void setLitColour(const QColor& c) {
    if (lit_ == c) return;
    lit_ = c;
    update();
  }
  QSize sizeHint() const override { return {30, 200}; }
  QSize minimumSizeHint() const override { return {22, 120}; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QColor lit_{255, 170, 40};
};

// A text box that selects its whole text on a click.
class SelectAllEdit : public QLineEdit {
 public:
  using QLineEdit::QLineEdit;

 protected:
  void mouseReleaseEvent(QMouseEvent* e) override;
};

// A box's background with a text colour that stays readable on it.
Colours ReadableBoxColours(const QColor& back);

}  // namespace lumora::gui
