#include "gui/binder.h"

#include <QAbstractSlider>
#include <QAction>
#include <QApplication>
#include <QPaintEngine>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTextEdit>

namespace lumora::gui {

QColor ToQColor(int32_t c) {
  if (c < 0) return QColor();
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

int32_t FromQColor(const QColor& c) {
  if (!c.isValid()) return -1;
  return c.red() + 256 * c.green() + 65536 * c.blue();
}

Binder::Binder(QObject* parent) : QObject(parent) {}

void Binder::fire(const std::function<void()>& f) {
  if (syncing_) return;
  f();
  if (afterEvent) afterEvent();
}

Control* Binder::controlOf(QObject* o) const {
  for (const auto& b : bindings_)
    if (b.obj == o) return b.control;
  return nullptr;
}

QObject* Binder::widgetOf(const Control& c) const {
  for (const auto& b : bindings_)
    if (b.control == &c) return b.obj;
  return nullptr;
}

void Binder::add(QObject* o, Control& c, std::function<void(Shown&)> refresh) {
  if (o->isWidgetType()) o->installEventFilter(this);
  bindings_.push_back({o, &c, 0, std::move(refresh), {}});
}

namespace {

Colours PlainColours(const Control& c) { return {ToQColor(c.BackColor()), ToQColor(c.ForeColor())}; }

// Leaves an unchanged widget alone (no change event, no repaint).
template <class W>
void SetText(W* w, const std::string& s) {
  const QString t = QString::fromStdString(s);
  if (w->text() != t) w->setText(t);
}

}  // namespace

namespace {

// The face colour a button was given (absent: the style's own face).
constexpr const char* kFaceProperty = "lumoraFace";

class DeskStyle : public QProxyStyle {
 public:
  void drawPrimitive(PrimitiveElement pe, const QStyleOption* opt, QPainter* p, const QWidget* w) const override {
    if (pe == PE_PanelButtonCommand && w) {
      const QVariant v = w->property(kFaceProperty);
      if (v.isValid()) {
        QColor face = v.value<QColor>();
        if (opt->state & (State_Sunken | State_On)) face = face.darker(115);
        else if ((opt->state & State_MouseOver) && (opt->state & State_Enabled)) face = face.lighter(108);
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        p->setPen(face.darker(160));
        p->setBrush(face);
        p->drawRoundedRect(QRectF(opt->rect).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
        p->restore();
        return;
      }
    }
    QProxyStyle::drawPrimitive(pe, opt, p, w);
  }

  // Qt's raster engine splits an image blend of 96 lines or more into
  // 64-line pieces for its thread pool and waits for them: for a fader's
  // groove (a cached image as tall as the fader) waking the pool costs far
  // more than the drawing, on every repaint of every fader. Painted in
  // strips lower than that, the same pixels come out on the UI thread.
  void drawComplexControl(ComplexControl cc, const QStyleOptionComplex* opt, QPainter* p,
                          const QWidget* w) const override {
    constexpr int kStrip = 64, kMargin = 16;
    const QRect r = opt->rect;
    if (cc != CC_Slider || r.height() < 96 || !p->paintEngine() ||
        p->paintEngine()->type() != QPaintEngine::Raster) {
      QProxyStyle::drawComplexControl(cc, opt, p, w);
      return;
    }
    // The strips reach a little beyond the control, should the style draw there.
    for (int y = r.top(); y <= r.bottom(); y += kStrip) {
      const int top = y == r.top() ? y - kMargin : y;
      const int bottom = y + kStrip > r.bottom() ? r.bottom() + kMargin : y + kStrip - 1;
      p->save();
      p->setClipRect(QRect(r.left() - kMargin, top, r.width() + 2 * kMargin, bottom - top + 1), Qt::IntersectClip);
      QProxyStyle::drawComplexControl(cc, opt, p, w);
      p->restore();
    }
  }
};

}  // namespace

void InstallDeskStyle() {
  if (qApp && !dynamic_cast<DeskStyle*>(QApplication::style())) QApplication::setStyle(new DeskStyle);
}

void ShowColours(QWidget* w, const Colours& c) {
  // Only the roles set here override what the widget inherits.
  QPalette p;
  if (c.back.isValid())
    for (auto role : {QPalette::Window, QPalette::Button, QPalette::Base}) p.setColor(role, c.back);
  if (c.fore.isValid())
    for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text}) p.setColor(role, c.fore);
  w->setPalette(p);
  if (qobject_cast<QAbstractButton*>(w)) {
    w->setProperty(kFaceProperty, c.back.isValid() ? QVariant(c.back) : QVariant());
    w->update();
  } else if (!qobject_cast<QLineEdit*>(w)) {
    // A box fills its face from the palette; a label or frame only when told.
    w->setAutoFillBackground(c.back.isValid());
  }
}

// The palette is set only when the colours differ from those the widget was
// last given: a palette change repaints the widget.
void Binder::applyColours(QWidget* w, const Control& c, Shown& shown, const Styler& style) {
  if (shown.back == c.BackColor() && shown.fore == c.ForeColor()) return;
  shown.back = c.BackColor();
  shown.fore = c.ForeColor();
  ShowColours(w, style ? style(c) : PlainColours(c));
}

void Binder::common(QWidget* w, const Control& c) {
  const QString tip = QString::fromStdString(c.ToolTipText());
  if (w->toolTip() != tip) w->setToolTip(tip);
  // Both return at once when nothing changes.
  w->setEnabled(c.Enabled());
  w->setVisible(c.Visible());
}

void Binder::bind(QAbstractSlider* w, Control& c) {
  connect(w, &QAbstractSlider::valueChanged, this, [this, &c](int v) {
    fire([&c, v] {
      c.setValue(v);
      c.Change();
    });
  });
  add(w, c, [w, &c](Shown&) {
    QSignalBlocker block(w);
    common(w, c);
    const int lo = std::min(c.Min(), c.Max()), hi = std::max(c.Min(), c.Max());
    if (w->minimum() != lo || w->maximum() != hi) w->setRange(lo, hi);
    if (w->value() != c.Value()) w->setValue(c.Value());
  });
}

void Binder::bind(QLineEdit* w, Control& c, Styler style) {
  connect(w, &QLineEdit::textEdited, this, [this, &c](const QString& t) {
    fire([&c, t] {
      c.setText(t.toStdString());
      c.Change();
    });
  });
  connect(w, &QLineEdit::editingFinished, this, [this, &c] { fire([&c] { c.Validate(); }); });
  add(w, c, [w, &c, style = std::move(style)](Shown& shown) {
    QSignalBlocker block(w);
    common(w, c);
    applyColours(w, c, shown, style);
    SetText(w, c.Text());
  });
}

void Binder::bind(QTextEdit* w, Control& c) {
  connect(w, &QTextEdit::textChanged, this, [this, w, &c] {
    fire([&c, w] {
      c.setText(w->toPlainText().toStdString());
      c.Change();
    });
  });
  add(w, c, [w, &c](Shown&) {
    QSignalBlocker block(w);
    common(w, c);
    QString t = QString::fromStdString(c.Text());
    if (w->toPlainText() != t) w->setPlainText(t);
  });
}

void Binder::bind(QPushButton* w, Control& c) {
  connect(w, &QPushButton::clicked, this, [this, &c] { fire([&c] { c.Click(); }); });
  add(w, c, [w, &c](Shown& shown) {
    common(w, c);
    applyColours(w, c, shown, nullptr);
    SetText(w, c.Caption());
  });
}

void Binder::bind(QAction* a, Control& c) {
  connect(a, &QAction::triggered, this, [this, &c] { fire([&c] { c.Click(); }); });
  add(a, c, [a, &c](Shown&) {
    a->setEnabled(c.Enabled());
    a->setVisible(c.Visible());
    if (!c.Caption().empty()) SetText(a, c.Caption());
  });
}

void Binder::bind(QLabel* w, Control& c) {
  add(w, c, [w, &c](Shown& shown) {
    common(w, c);
    applyColours(w, c, shown, nullptr);
    SetText(w, c.Caption());
  });
}

void Binder::bind(QCheckBox* w, Control& c) {
  connect(w, &QCheckBox::clicked, this, [this, w, &c] {
    fire([&c, w] {
      c.setValue(w->isChecked() ? 1 : 0);
      c.Click();
    });
  });
  add(w, c, [w, &c](Shown&) {
    QSignalBlocker block(w);
    common(w, c);
    if (!c.Caption().empty()) SetText(w, c.Caption());
    w->setChecked(c.Value() != 0);
  });
}

void Binder::bind(QRadioButton* w, Control& c) {
  connect(w, &QRadioButton::clicked, this, [this, w, &c] {
    fire([&c] {
      c.setValue(1);
      c.Click();
    });
    // A click on a chosen option of a non-exclusive group unchecks the
    // widget while the model keeps it chosen (no revision to resync on).
    QSignalBlocker block(w);
    w->setChecked(c.Value() != 0);
  });
  add(w, c, [w, &c](Shown&) {
    QSignalBlocker block(w);
    common(w, c);
    if (!c.Caption().empty()) SetText(w, c.Caption());
    w->setChecked(c.Value() != 0);
  });
}

void Binder::bind(QComboBox* w, Control& c) {
  connect(w, QOverload<int>::of(&QComboBox::activated), this, [this, &c](int i) {
    fire([&c, i] {
      c.setListIndex(i);
      c.Click();
    });
  });
  if (w->isEditable()) {
    connect(w, &QComboBox::editTextChanged, this, [this, &c](const QString& t) {
      fire([&c, t] {
        c.setText(t.toStdString());
        c.Change();
      });
    });
  }
  add(w, c, [w, &c](Shown&) {
    QSignalBlocker block(w);
    common(w, c);
    bool same = w->count() == c.ListCount();
    for (int i = 0; same && i < c.ListCount(); ++i) same = w->itemText(i).toStdString() == c.List(i);
    if (!same) {
      w->clear();
      for (const auto& s : c.ListItems()) w->addItem(QString::fromStdString(s));
    }
    w->setCurrentIndex(c.ListIndex());
    if (w->isEditable()) {
      const QString t = QString::fromStdString(c.Text());
      if (w->currentText() != t) w->setEditText(t);
    }
  });
}

void Binder::bind(QListWidget* w, Control& c) {
  connect(w, &QListWidget::itemClicked, this, [this, w, &c](QListWidgetItem* it) {
    int i = w->row(it);
    fire([&c, i] {
      c.setListIndex(i);
      c.Click();
    });
  });
  connect(w, &QListWidget::itemDoubleClicked, this, [this, &c](QListWidgetItem*) { fire([&c] { c.DblClick(); }); });
  add(w, c, [w, &c](Shown&) {
    QSignalBlocker block(w);
    common(w, c);
    bool same = w->count() == c.ListCount();
    for (int i = 0; same && i < c.ListCount(); ++i) same = w->item(i)->text().toStdString() == c.List(i);
    if (!same) {
      w->clear();
      for (const auto& s : c.ListItems()) w->addItem(QString::fromStdString(s));
    }
    w->setCurrentRow(c.ListIndex());
  });
}

void Binder::bindCustom(QWidget* w, Control& c, std::function<bool()> shown) {
  if (!shown)
    if (auto* s = dynamic_cast<ShowsControl*>(w)) shown = [s] { return s->refreshShown(); };
  add(w, c, [w, &c, shown = std::move(shown)](Shown&) {
    common(w, c);
    if (!shown || shown()) w->update();
  });
}

bool Binder::eventFilter(QObject* obj, QEvent* ev) {
  const auto t = ev->type();
  if (t == QEvent::MouseButtonPress || t == QEvent::MouseButtonRelease || t == QEvent::MouseButtonDblClick) {
    Control* c = controlOf(obj);
    if (!c) return false;
    auto* me = static_cast<QMouseEvent*>(ev);
    const MouseButton b = me->button() == Qt::RightButton ? MouseButton::Right : MouseButton::Left;
    const int x = static_cast<int>(me->position().x());
    const int y = static_cast<int>(me->position().y());
    if (t == QEvent::MouseButtonDblClick) {
      fire([c] { c->DblClick(); });
      return false;
    }
    // Plain widgets (pictures, labels, custom) get their click from the press/release pair.
    const bool plain = c->kind() == Kind::Picture || c->kind() == Kind::Frame || c->kind() == Kind::Bar ||
                       c->kind() == Kind::Label || c->kind() == Kind::Custom;
    if (t == QEvent::MouseButtonPress) {
      fire([c, b, x, y] { c->MouseDown(b, x, y); });
      // A right press on a slider or box is the desk's "pick" gesture; keep
      // the widget from acting on it.
      if (b == MouseButton::Right) return true;
    } else {
      fire([c, b, x, y] { c->MouseUp(b, x, y); });
      if (plain && b == MouseButton::Left) fire([c] { c->Click(); });
      if (b == MouseButton::Right) return true;
    }
  }
  return false;
}

void Binder::sync() {
  syncing_ = true;
  for (auto& b : bindings_) {
    if (!b.obj) continue;
    if (b.seen == b.control->revision()) continue;
    b.seen = b.control->revision();
    b.refresh(b.shown);
  }
  syncing_ = false;
}

}  // namespace lumora::gui
