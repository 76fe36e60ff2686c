#include "gui/widgets.h"

#include <QEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QStyleOptionGroupBox>

#include "gui/binder.h"

namespace lumora::gui {

ColourPatch::ColourPatch(Control& c, QWidget* parent) : QWidget(parent), c_(c) {}

bool ColourPatch::refreshShown() {
  if (drawn_ && colour_ == c_.BackColor() && caption_ == c_.Caption()) return false;
  drawn_ = true;
  colour_ = c_.BackColor();
  caption_ = c_.Caption();
  return true;
}

void ColourPatch::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QColor col = ToQColor(c_.BackColor());
  if (!col.isValid()) col = palette().color(QPalette::Button);
  p.fillRect(rect(), col);
  p.setPen(palette().color(QPalette::Dark));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  if (!c_.Caption().empty()) {
    p.setPen(col.lightness() > 128 ? Qt::black : Qt::white);
    p.drawText(rect(), Qt::AlignCenter, QString::fromStdString(c_.Caption()));
  }
}

namespace {

// The colour inside a group box's frame: the frame drawn by the box's style
// over the window face, read back in its middle.
QColor GroupFace(QWidget* box) {
  QStyleOptionGroupBox opt;
  opt.initFrom(box);
  opt.rect = QRect(0, 0, 64, 96);
  opt.subControls = QStyle::SC_GroupBoxFrame;
  opt.lineWidth = 1;
  QImage img(opt.rect.size(), QImage::Format_RGB32);
  img.fill(box->palette().color(QPalette::Window));
  QPainter p(&img);
  box->style()->drawComplexControl(QStyle::CC_GroupBox, &opt, &p, box);
  p.end();
  return img.pixelColor(32, 64);
}

}  // namespace

void PaintOverGroupFace(QWidget* box, const QList<QWidget*>& widgets) { PaintOverFace(GroupFace(box), widgets); }

void PaintOverFace(const QColor& face, const QList<QWidget*>& widgets) {
  for (QWidget* w : widgets) {
    // A role the styles do not draw with: only the background fill uses it.
    QPalette p = w->palette();
    p.setColor(QPalette::AlternateBase, face);
    w->setPalette(p);
    w->setBackgroundRole(QPalette::AlternateBase);
    w->setAutoFillBackground(true);
  }
}

namespace {

class VisibilityFollower : public QObject {
 public:
  VisibilityFollower(QWidget* caption, QWidget* field) : QObject(field), caption_(caption) {}

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (!caption_) return false;
    if (e->type() == QEvent::ShowToParent) caption_->setVisible(true);
    if (e->type() == QEvent::HideToParent) caption_->setVisible(false);
    return false;
  }

 private:
  QPointer<QWidget> caption_;
};

}  // namespace

void FollowVisibility(QWidget* caption, QWidget* field) {
  field->installEventFilter(new VisibilityFollower(caption, field));
  caption->setVisible(!field->isHidden());
}

QHBoxLayout* OkCancelRow(Binder& b, QWidget* parent, Control& ok, Control& cancel, int minWidth) {
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  auto* okButton = new QPushButton(parent);
  okButton->setDefault(true);
  auto* cancelButton = new QPushButton(parent);
  if (minWidth > 0)
    for (QPushButton* button : {okButton, cancelButton}) button->setMinimumWidth(minWidth);
  b.bind(okButton, ok);
  b.bind(cancelButton, cancel);
  row->addWidget(okButton);
  row->addWidget(cancelButton);
  return row;
}

}  // namespace lumora::gui
