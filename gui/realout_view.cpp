// The output monitor window: one panel paints all 144 slot labels and bars
// itself. The tick may change bars every 10 ms, so a sync repaints only the
// rectangles of bars whose model moved, never the whole page or a widget
// per bar.
#include <algorithm>

#include <QEvent>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <array>

#include "desk/realout.h"
#include "gui/gui_host.h"
#include "gui/view.h"

namespace lumora::gui {

namespace {

class MonitorPanel : public QWidget {
 public:
  static constexpr int kColumns = 8;
  static constexpr int kRows = Realout::kBars / kColumns;
  static constexpr int kLabelW = 30;
  static constexpr int kBarW = 84;
  static constexpr int kCellW = kLabelW + kBarW + 10;
  static constexpr int kCellH = 20;
  static constexpr int kBarH = 14;

  MonitorPanel(Realout& m, GuiHost& host, QWidget* parent) : QWidget(parent), m_(m), host_(host) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(kColumns * kCellW + 4, kRows * kCellH + 4);
    barSeen_.fill(0);
    labelSeen_.fill(0);
  }

  QRect cellRect(int k) const {
    const int r = k / kColumns, c = k % kColumns;
    return {2 + c * kCellW, 2 + r * kCellH, kCellW, kCellH};
  }
  QRect barRect(int k) const {
    const QRect cell = cellRect(k);
    return {cell.x() + kLabelW, cell.y() + (kCellH - kBarH) / 2, kBarW, kBarH};
  }

  // Model -> screen: schedules a repaint of each changed bar or label only.
  // Returns the number of rectangles scheduled.
  int refresh() {
    QRegion dirty;
    int n = 0;
    for (int k = 0; k < Realout::kBars; ++k) {
      const uint64_t lr = m_.Label1[k].revision();
      const uint64_t br = m_.ProgBar1[k].revision();
      if (lr == labelSeen_[k] && br == barSeen_[k]) continue;
      labelSeen_[k] = lr;
      barSeen_[k] = br;
      // A moved revision is looked at: only a changed look is repainted.
      const LabelLook label{m_.Label1[k].Visible(), m_.Label1[k].Caption()};
      const ProgBar& b = m_.ProgBar1[k];
      const BarLook bar{b.Visible(), b.fraction(), b.BackColor(), b.BarColor(), b.Vertical()};
      if (!(label == labelShown_[k])) {
        labelShown_[k] = label;
        barShown_[k] = bar;
        dirty += cellRect(k);
        ++n;
      } else if (!(bar == barShown_[k])) {
        barShown_[k] = bar;
        dirty += barRect(k);
        ++n;
      }
    }
    // One region for the whole sync: the label text (the costly part of a
    // cell) is redrawn only where a label changed.
    if (n > 0) update(dirty);
    return n;
  }

  int barAt(const QPoint& p) const {
    for (int k = 0; k < Realout::kBars; ++k)
      if (barRect(k).contains(p) && m_.ProgBar1[k].Visible()) return k;
    return -1;
  }

 protected:
  void paintEvent(QPaintEvent* e) override {
    QPainter p(this);
    const QColor face = palette().color(QPalette::Window);
    p.setPen(palette().color(QPalette::WindowText));
    // Walk the rectangles of the region, not its bounding box: two changed
    // bars far apart must not repaint every cell between them. The grid
    // gives the cells under each rectangle directly.
    for (const QRect& r : e->region()) {
      p.fillRect(r, face);
      const int c0 = std::max(0, (r.left() - 2) / kCellW), c1 = std::min(kColumns - 1, (r.right() - 2) / kCellW);
      const int r0 = std::max(0, (r.top() - 2) / kCellH), r1 = std::min(kRows - 1, (r.bottom() - 2) / kCellH);
      for (int row = r0; row <= r1; ++row)
        for (int col = c0; col <= c1; ++col) paintCell(p, row * kColumns + col, r);
    }
  }

  bool event(QEvent* e) override {
    if (e->type() == QEvent::ToolTip) {
      auto* he = static_cast<QHelpEvent*>(e);
      const int k = barAt(he->pos());
      if (k >= 0 && !m_.ProgBar1[k].ToolTipText().empty())
        QToolTip::showText(he->globalPos(), QString::fromStdString(m_.ProgBar1[k].ToolTipText()), this,
                           barRect(k));
      else
        QToolTip::hideText();
      return true;
    }
    return QWidget::event(e);
  }

  // A bar takes no input; a press only reaches the window as its events.
  void mousePressEvent(QMouseEvent* e) override { forward(e, true); }
  void mouseReleaseEvent(QMouseEvent* e) override { forward(e, false); }

 private:
  void paintCell(QPainter& p, int k, const QRect& area) const {
    const QRect cell = cellRect(k);
    const Control& label = m_.Label1[k];
    const QRect labelRect(cell.x(), cell.y(), kLabelW - 4, kCellH);
    if (label.Visible() && area.intersects(labelRect))
      p.drawText(labelRect, Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(label.Caption()));
    const ProgBar& bar = m_.ProgBar1[k];
    if (bar.Visible() && area.intersects(barRect(k))) paintBar(p, barRect(k), bar);
  }

  void paintBar(QPainter& p, const QRect& r, const ProgBar& bar) const {
    const QColor back = bar.BackColor() >= 0 ? ToQColor(bar.BackColor()) : palette().color(QPalette::Button);
    const QColor fill = bar.BarColor() >= 0 ? ToQColor(bar.BarColor()) : palette().color(QPalette::Highlight);
    const QRect in = r.adjusted(1, 1, -1, -1);
    p.fillRect(r, palette().color(QPalette::Mid));
    const double f = bar.fraction();
    if (bar.Vertical()) {
      const int h = static_cast<int>(in.height() * f + 0.5);
      p.fillRect(QRect(in.x(), in.y(), in.width(), in.height() - h), back);
      if (h > 0) p.fillRect(QRect(in.x(), in.bottom() - h + 1, in.width(), h), fill);
    } else {
      const int w = static_cast<int>(in.width() * f + 0.5);
      p.fillRect(QRect(in.x() + w, in.y(), in.width() - w, in.height()), back);
      if (w > 0) p.fillRect(QRect(in.x(), in.y(), w, in.height()), fill);
    }
  }

  void forward(QMouseEvent* e, bool press) {
    const int k = barAt(e->position().toPoint());
    if (k < 0) return;
    ProgBar& bar = m_.ProgBar1[k];
    const MouseButton b = e->button() == Qt::RightButton ? MouseButton::Right : MouseButton::Left;
    const QPoint at = e->position().toPoint() - barRect(k).topLeft();
    if (press) {
      bar.MouseDown(b, at.x(), at.y());
    } else {
      bar.MouseUp(b, at.x(), at.y());
      if (b == MouseButton::Left) bar.Click();
    }
    host_.syncAll();
  }

  Realout& m_;
  GuiHost& host_;
  struct LabelLook {
    bool visible = false;
    std::string caption;
    bool operator==(const LabelLook&) const = default;
  };
  struct BarLook {
    bool visible = false;
    double fraction = -1;
    int32_t back = -2, bar = -2;
    bool vertical = false;
    bool operator==(const BarLook&) const = default;
  };
  std::array<uint64_t, Realout::kBars> barSeen_;
  std::array<uint64_t, Realout::kBars> labelSeen_;
  std::array<LabelLook, Realout::kBars> labelShown_{};
  std::array<BarLook, Realout::kBars> barShown_{};
};

class RealoutView : public FormView {
 public:
  RealoutView(Form& f, GuiHost& h) : FormView(f, h), m_(static_cast<Realout&>(f)) {
    setObjectName("RealoutView");
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(6, 6, 6, 6);
    panel_ = new MonitorPanel(m_, h, this);
    panel_->setObjectName("MonitorPanel");
    root->addWidget(panel_);
    auto* row = new QHBoxLayout;
    button(row, m_.Pannel_Dec, 48);
    button(row, m_.Pannel_Inc, 48);
    row->addStretch(1);
    button(row, m_.Command20, 110);
    button(row, m_.Command21, 110);
    button(row, m_.Command1, 80);
    root->addLayout(row);
    root->setSizeConstraint(QLayout::SetFixedSize);
  }

  void syncView() override {
    if (seen_ == m_.revision()) return;
    seen_ = m_.revision();
    binder().sync();
    lastDirty_ = panel_->refresh();
    const QString title = QString::fromStdString(m_.Caption());
    if (windowTitle() != title) setWindowTitle(title);
  }

  int lastDirty() const { return lastDirty_; }

 private:
  void button(QHBoxLayout* row, Control& c, int width) {
    auto* b = new QPushButton(QString::fromStdString(c.Caption()), this);
    b->setObjectName(QString::fromStdString(c.name()));
    b->setFixedWidth(width);
    binder().bind(b, c);
    row->addWidget(b);
  }

  Realout& m_;
  MonitorPanel* panel_;
  uint64_t seen_ = 0;
  int lastDirty_ = 0;
};

ViewRegistrar reg("Realout", [](Form& f, GuiHost& h) { return new RealoutView(f, h); });

}  // namespace
}  // namespace lumora::gui
