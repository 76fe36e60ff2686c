// The BCF2000 window: a picture of the surface's eight motor faders showing
// the desk faders they stand for, the mode panel, the connection and echo
// boxes, and Exit.
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <QVariant>
#include <algorithm>
#include <array>

#include "app/desk.h"
#include "gui/view.h"
#include "remote/bcf.h"

namespace lumora::gui {

namespace {

// What the surface's faders show: the eight levels of the current fader
// group of the desk the surface drives (none in the other modes).
struct SurfaceLevels {
  int mode = 0;
  int group = 0;
  std::array<int, 8> level{};
  bool operator==(const SurfaceLevels&) const = default;
};

SurfaceLevels ReadLevels(Desk& d) {
  SurfaceLevels s;
  s.mode = d.state.BcfMode;
  s.group = std::clamp<int>(d.bcf().FaderGroup, 0, 3);
  for (int i = 0; i < 8; ++i) {
    const int idx = 8 * s.group + i;
    if (s.mode == kBcfMainDesk) s.level[i] = d.state.DeskLevels[idx];
    else if (s.mode == kBcfPlayDesk) s.level[i] = d.state.PlayFaderLevel[idx];
  }
  return s;
}

class SurfacePicture : public QWidget {
 public:
  static constexpr int kStrip = 58;

  explicit SurfacePicture(QWidget* parent) : QWidget(parent) {
    setObjectName("SurfacePicture");
    setFixedSize(8 * kStrip + 16, 250);
  }
  void setLevels(const SurfaceLevels& l) {
    if (l == levels_) return;
    levels_ = l;
    // What the picture shows, readable without looking at pixels.
    QVariantList shown;
    if (l.mode == kBcfMainDesk || l.mode == kBcfPlayDesk)
      for (int v : l.level) shown << v;
    setProperty("levels", shown);
    update();
  }
  const SurfaceLevels& levels() const { return levels_; }

  // The travel of fader i, top to bottom.
  QRect track(int i) const { return {8 + i * kStrip + kStrip / 2 - 3, 70, 6, 140}; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), QColor(48, 50, 56));
    p.setPen(QColor(90, 92, 100));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    const bool active = levels_.mode == kBcfMainDesk || levels_.mode == kBcfPlayDesk;
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    p.setFont(small);
    for (int i = 0; i < 8; ++i) {
      const int cx = 8 + i * kStrip + kStrip / 2;
      // The encoder above the strip (the surface's push encoders).
      p.setPen(QColor(20, 20, 24));
      p.setBrush(QColor(110, 112, 120));
      p.drawEllipse(QPoint(cx, 26), 15, 15);
      p.setPen(QPen(QColor(230, 230, 230), 2));
      p.drawLine(QPoint(cx, 26), QPoint(cx, 14));
      // Track, cap and the level read-out.
      const QRect t = track(i);
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(15, 15, 18));
      p.drawRoundedRect(t, 3, 3);
      const int level = levels_.level[i];
      const int y = t.bottom() - (t.height() * level) / 255;
      p.setBrush(active ? QColor(225, 225, 225) : QColor(120, 120, 120));
      p.setPen(QColor(20, 20, 20));
      p.drawRoundedRect(QRect(cx - 16, y - 7, 32, 14), 3, 3);
      p.setPen(QColor(255, 200, 60));
      p.drawText(QRect(cx - kStrip / 2, 48, kStrip, 16), Qt::AlignCenter,
                 active ? QString::number(level) : QStringLiteral("-"));
      // Which desk fader the motor fader stands for.
      p.setPen(QColor(220, 220, 220));
      const QString label = active ? QString::number(8 * levels_.group + i + 1) : QString();
      p.drawText(QRect(cx - kStrip / 2, 222, kStrip, 18), Qt::AlignCenter, label);
    }
  }

 private:
  SurfaceLevels levels_;
};

class BcfView : public FormView {
 public:
  BcfView(Form& f, GuiHost& h) : FormView(f, h), m_(static_cast<BCF&>(f)) {
    setObjectName("BcfView");
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(10, 10, 10, 10);
    root->setSpacing(8);

    picture_ = new SurfacePicture(this);
    root->addWidget(picture_, 0, Qt::AlignHCenter);
    group_ = new QLabel(this);
    group_->setObjectName("GroupLabel");
    group_->setAlignment(Qt::AlignCenter);
    root->addWidget(group_);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    grid->addWidget(new QLabel("Mode", this), 0, 0);
    auto* panel = new QHBoxLayout;
    panel->addWidget(button(m_.Pannel_Dec, 36));
    panel->addWidget(box(m_.Text3, 170));
    panel->addWidget(button(m_.Pannel_Inc, 36));
    panel->addStretch(1);
    grid->addLayout(panel, 0, 1);
    grid->addWidget(new QLabel("Connection", this), 1, 0);
    grid->addWidget(box(m_.Text2, 300), 1, 1);
    grid->addWidget(new QLabel("Last control", this), 2, 0);
    grid->addWidget(box(m_.Text1, 120), 2, 1, Qt::AlignLeft);
    root->addLayout(grid);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(button(m_.Exit, 90));
    root->addLayout(bottom);
    root->setSizeConstraint(QLayout::SetFixedSize);
  }

  // The levels live in the desk's tables, not in the window's controls, so
  // the picture is compared on every sync (eight numbers).
  void syncView() override {
    FormView::syncView();
    const SurfaceLevels l = ReadLevels(desk());
    picture_->setLevels(l);
    QString text;
    if (l.mode == kBcfMainDesk) text = QString("Desk channels %1 - %2").arg(8 * l.group + 1).arg(8 * l.group + 8);
    else if (l.mode == kBcfPlayDesk) text = QString("Playback faders %1 - %2").arg(8 * l.group + 1).arg(8 * l.group + 8);
    if (group_->text() != text) group_->setText(text);
  }

 private:
  QPushButton* button(Control& c, int width) {
    auto* b = new QPushButton(this);
    b->setObjectName(QString::fromStdString(c.name()));
    b->setFixedWidth(width);
    binder().bind(b, c);
    return b;
  }
  QLineEdit* box(Control& c, int width) {
    auto* e = new QLineEdit(this);
    e->setObjectName(QString::fromStdString(c.name()));
    e->setReadOnly(true);
    e->setMinimumWidth(width);
    binder().bind(e, c);
    return e;
  }

  BCF& m_;
  SurfacePicture* picture_;
  QLabel* group_;
};

ViewRegistrar reg("BCF", [](Form& f, GuiHost& h) { return new BcfView(f, h); });

}  // namespace
}  // namespace lumora::gui
