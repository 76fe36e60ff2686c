#include "scroller.h"

#include <QApplication>
#include <QBuffer>
#include <QCursor>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QSettings>

namespace veltrack {

qint32 ColourValue(const QColor& c) { return c.red() + 256 * c.green() + 65536 * c.blue(); }

QColor FromColourValue(qint32 v) {
  if (v < 0) return {};  // a system colour code: the palette decides
  return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

Scroller::Scroller(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  model_.onScroll = [this](int v) { emit Scroll(v); };
  model_.onDesignMessage = [this](const std::string& text) {
    const QString t = QString::fromStdString(text);
    emit DesignMessage(t);
    if (designMessageBoxes_) QMessageBox::warning(this, QStringLiteral("Scroller"), t);
  };
  menu_ = new QMenu(QStringLiteral("File"), this);
  menu_->setTitle(QStringLiteral("File"));
  menu_->addAction(QStringLiteral("Set to 0%"), this, [this] { setValue(model_.min()); });
  menu_->addAction(QStringLiteral("Set to 50%"), this, [this] { setValue((model_.min() + model_.max()) / 2); });
  menu_->addAction(QStringLiteral("Set to 100%"), this, [this] { setValue(model_.max()); });
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  const QPixmap k = knobImage();
  resize(120, k.height());
  UpdateScroller();
}

Scroller::~Scroller() = default;

QSize Scroller::sizeHint() const {
  const QPixmap k = knobImage();
  return vertical_ ? QSize(k.width(), 120) : QSize(120, k.height());
}

// ---- properties ----

void Scroller::setPicture(const QPixmap& p) {
  picture_ = p;
  touch();
  cache_ = QPixmap();
  update();
}

QColor Scroller::BackColor() const { return back_.isValid() ? back_ : palette().color(QPalette::Button); }

void Scroller::setBackColor(const QColor& c) {
  back_ = c;
  touch();
  cache_ = QPixmap();
  update();
}

void Scroller::resetBackColor() { setBackColor(QColor()); }

void Scroller::setAutoRedraw(bool on) {
  autoRedraw_ = on;
  touch();
  cache_ = QPixmap();
}

void Scroller::setDirection(bool vertical) {
  touch();
  if (vertical == vertical_) {
    UpdateScroller();
    return;
  }
  vertical_ = vertical;
  if (vertical_)
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
  else
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  adjusting_ = true;
  resize(height(), width());
  adjusting_ = false;
  updateGeometry();
  UpdateScroller();
  setValue();
}

void Scroller::setScrollKnobPicture(const QPixmap& p) {
  knobPicture_ = p;
  touch();
  updateGeometry();
  UpdateScroller();
}

void Scroller::setCenterLine(bool on) {
  centerLine_ = on;
  touch();
  UpdateScroller();
}

void Scroller::setCenterLineColor(const QColor& c) {
  centerLineColor_ = c;
  touch();
  UpdateScroller();
}

void Scroller::setMenuEnabled(bool on) {
  menuEnabled_ = on;
  touch();
}

template <typename F>
void Scroller::apply(F&& f) {
  touch();
  syncGeometry();
  try {
    f();
  } catch (...) {
    update();
    throw;
  }
  update();
}

void Scroller::setMin(int v) {
  apply([&] { model_.setMin(v); });
}

void Scroller::setMax(int v) {
  apply([&] { model_.setMax(v); });
}

void Scroller::setValue(int v) {
  apply([&] { model_.setValue(v); });
}

void Scroller::setCaption(const QString& c) {
  caption_ = c;
  touch();
  UpdateScroller();
}

// ---- drawing and geometry ----

QPixmap Scroller::DefKnob(bool vertical) {
  // A raised block with a grip line across the track.
  const int w = vertical ? 24 : 12, h = vertical ? 12 : 24;
  QPixmap pm(w, h);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  QLinearGradient g(0, 0, vertical ? 0 : w, vertical ? h : 0);
  g.setColorAt(0, QColor(236, 236, 236));
  g.setColorAt(1, QColor(168, 168, 168));
  p.fillRect(0, 0, w, h, g);
  p.setPen(QColor(255, 255, 255));
  p.drawLine(0, 0, w - 1, 0);
  p.drawLine(0, 0, 0, h - 1);
  p.setPen(QColor(64, 64, 64));
  p.drawLine(w - 1, 0, w - 1, h - 1);
  p.drawLine(0, h - 1, w - 1, h - 1);
  p.setPen(QColor(40, 40, 40));
  if (vertical)
    p.drawLine(3, h / 2, w - 4, h / 2);
  else
    p.drawLine(w / 2, 3, w / 2, h - 4);
  return pm;
}

QPixmap Scroller::knobImage() const { return knobPicture_.isNull() ? DefKnob(vertical_) : knobPicture_; }

int Scroller::along(const QPointF& p) const { return static_cast<int>(vertical_ ? p.y() : p.x()); }

void Scroller::syncGeometry() {
  const QPixmap k = knobImage();
  model_.setGeometry(vertical_ ? height() : width(), vertical_ ? k.height() : k.width());
}

QRect Scroller::knobRect() const {
  const QPixmap k = knobImage();
  // Centred across the track.
  if (vertical_) return {(width() - k.width()) / 2, model_.offset(), k.width(), k.height()};
  return {model_.offset(), (height() - k.height()) / 2, k.width(), k.height()};
}

void Scroller::UpdateScroller() {
  const QPixmap k = knobImage();
  adjusting_ = true;
  if (vertical_ && width() != k.width()) resize(k.width(), height());
  if (!vertical_ && height() != k.height()) resize(width(), k.height());
  // Never shorter along the track than the knob.
  if (vertical_ && height() < k.height()) resize(width(), k.height());
  if (!vertical_ && width() < k.width()) resize(k.width(), height());
  adjusting_ = false;
  syncGeometry();
  model_.placeQuietly();
  cache_ = QPixmap();
  update();
}

void Scroller::setValue() {
  syncGeometry();
  model_.place();
  update();
}

void Scroller::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  if (adjusting_) return;
  UpdateScroller();
  setValue();
}

void Scroller::drawTrack(QPainter& p) const {
  p.fillRect(rect(), BackColor());
  if (!picture_.isNull()) p.drawPixmap(0, 0, picture_);
  if (centerLine_) {
    p.setPen(centerLineColor_);
    if (vertical_)
      p.drawLine(width() / 2, 0, width() / 2, height() - 1);
    else
      p.drawLine(0, height() / 2, width() - 1, height() / 2);
  }
  if (!caption_.isEmpty()) {
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(rect(), Qt::AlignCenter, caption_);
  }
}

void Scroller::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (autoRedraw_) {
    // The track is kept as a bitmap; only the knob is drawn each time.
    if (cache_.size() != size() * devicePixelRatioF()) {
      cache_ = QPixmap(size() * devicePixelRatioF());
      cache_.setDevicePixelRatio(devicePixelRatioF());
      QPainter cp(&cache_);
      drawTrack(cp);
    }
    p.drawPixmap(0, 0, cache_);
  } else {
    drawTrack(p);
  }
  p.drawPixmap(knobRect().topLeft(), knobImage());
  if (hasFocus()) {
    p.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  }
}

// ---- input ----

void Scroller::mousePressEvent(QMouseEvent* e) {
  syncGeometry();
  const int pos = along(e->position());
  const bool onKnob = knobRect().contains(e->position().toPoint());
  if (e->button() == Qt::LeftButton) {
    if (onKnob)
      model_.leftDownOnKnob(pos);
    else
      model_.leftDownOnTrack(pos);
    update();
  } else if (e->button() == Qt::RightButton && onKnob && menuEnabled_) {
    ShowSetMenu();
  }
}

void Scroller::mouseMoveEvent(QMouseEvent* e) {
  if (!model_.dragging()) return;
  model_.moveTo(along(e->position()));
  update();
}

void Scroller::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) model_.leftUp();
}

void Scroller::keyPressEvent(QKeyEvent* e) {
  int code = 0;
  if (e->modifiers() & Qt::KeypadModifier) {
    if (e->key() == Qt::Key_Plus) code = ScrollerModel::kKeyPlus;
    if (e->key() == Qt::Key_Minus) code = ScrollerModel::kKeyMinus;
  }
  syncGeometry();
  if (code && model_.key(code)) {
    update();
    return;
  }
  QWidget::keyPressEvent(e);
}

void Scroller::ShowSetMenu() { menu_->popup(QCursor::pos()); }

// ---- persistence ----

namespace {
QByteArray PictureBytes(const QPixmap& p) {
  if (p.isNull()) return {};
  QByteArray bytes;
  QBuffer buf(&bytes);
  buf.open(QIODevice::WriteOnly);
  p.save(&buf, "PNG");
  return bytes;
}
QPixmap PictureFrom(const QByteArray& bytes) {
  QPixmap p;
  if (!bytes.isEmpty()) p.loadFromData(bytes, "PNG");
  return p;
}
}  // namespace

void Scroller::WriteProperties(QSettings& bag) const {
  bag.setValue("Picture", PictureBytes(picture_));
  bag.setValue("BackColor", back_.isValid() ? ColourValue(back_) : kSystemButtonFace);
  bag.setValue("AutoRedraw", autoRedraw_);
  bag.setValue("Direction", vertical_);
  bag.setValue("ScrollKnobPicture", PictureBytes(knobPicture_));
  bag.setValue("CenterLine", centerLine_);
  bag.setValue("CenterLineColor", ColourValue(centerLineColor_));
  bag.setValue("MenuEnabled", menuEnabled_);
  bag.setValue("Min", model_.min());
  bag.setValue("Max", model_.max());
  bag.setValue("Value", model_.value());
  bag.setValue("Caption", caption_);
  const_cast<Scroller*>(this)->changed_ = false;
}

void Scroller::ReadProperties(QSettings& bag) {
  picture_ = PictureFrom(bag.value("Picture").toByteArray());
  back_ = FromColourValue(bag.value("BackColor", kSystemButtonFace).toInt());
  autoRedraw_ = bag.value("AutoRedraw", true).toBool();
  const bool vertical = bag.value("Direction", false).toBool();
  knobPicture_ = PictureFrom(bag.value("ScrollKnobPicture").toByteArray());
  centerLine_ = bag.value("CenterLine", true).toBool();
  const QColor line = FromColourValue(bag.value("CenterLineColor", kDefaultCenterLineColor).toInt());
  centerLineColor_ = line.isValid() ? line : FromColourValue(kDefaultCenterLineColor);
  menuEnabled_ = bag.value("MenuEnabled", true).toBool();
  caption_ = bag.value("Caption", QString()).toString();
  if (vertical != vertical_) {
    vertical_ = vertical;
    adjusting_ = true;
    resize(height(), width());
    adjusting_ = false;
  }
  syncGeometry();
  // A damaged or hand-edited store never throws: the range is held to the
  // invariants as it is read.
  model_.restore(bag.value("Min", 0).toInt(), bag.value("Max", ScrollerModel::kMaxLimit).toInt(),
                 bag.value("Value", 0).toInt());
  UpdateScroller();
  changed_ = false;
}

void Scroller::InitProperties() {
  picture_ = QPixmap();
  back_ = QColor();
  autoRedraw_ = true;
  knobPicture_ = QPixmap();
  centerLine_ = true;
  centerLineColor_ = FromColourValue(kDefaultCenterLineColor);
  menuEnabled_ = true;
  caption_.clear();
  if (vertical_) {
    vertical_ = false;
    adjusting_ = true;
    resize(height(), width());
    adjusting_ = false;
  }
  syncGeometry();
  model_.restore(0, ScrollerModel::kMaxLimit, 0);
  UpdateScroller();
  changed_ = false;
}

}  // namespace veltrack
