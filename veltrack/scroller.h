// Scroller: a track with a draggable knob, horizontal or vertical, with an
// optional centre line, a set menu (0 %, 50 %, 100 %) and a Scroll signal
// that reports every placed value. Every property is a Qt property under
// the name it persists with.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include "scroller_model.h"

class QMenu;
class QSettings;

namespace veltrack {

class Scroller : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QPixmap Picture READ Picture WRITE setPicture)
  Q_PROPERTY(QColor BackColor READ BackColor WRITE setBackColor RESET resetBackColor)
  Q_PROPERTY(bool AutoRedraw READ AutoRedraw WRITE setAutoRedraw)
  Q_PROPERTY(bool Direction READ Direction WRITE setDirection)
  Q_PROPERTY(QPixmap ScrollKnobPicture READ ScrollKnobPicture WRITE setScrollKnobPicture)
  Q_PROPERTY(bool CenterLine READ CenterLine WRITE setCenterLine)
  Q_PROPERTY(QColor CenterLineColor READ CenterLineColor WRITE setCenterLineColor)
  Q_PROPERTY(bool MenuEnabled READ MenuEnabled WRITE setMenuEnabled)
  Q_PROPERTY(int Min READ Min WRITE setMin)
  Q_PROPERTY(int Max READ Max WRITE setMax)
  Q_PROPERTY(int Value READ Value WRITE setValue NOTIFY Scroll USER true)
  Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
  Q_PROPERTY(bool DesignMode READ designMode WRITE setDesignMode)

 public:
  // The system colour code of the button face (index 15), as stored.
  static constexpr qint32 kSystemButtonFace = static_cast<qint32>(0x8000000F);
  static constexpr qint32 kDefaultCenterLineColor = 8421504;

  explicit Scroller(QWidget* parent = nullptr);
  ~Scroller() override;

  QPixmap Picture() const { return picture_; }
  void setPicture(const QPixmap& p);
  // The button-face colour of the palette until a colour is set.
  QColor BackColor() const;
  void setBackColor(const QColor& c);
  void resetBackColor();
  bool BackColorIsSystem() const { return !back_.isValid(); }
  bool AutoRedraw() const { return autoRedraw_; }
  void setAutoRedraw(bool on);
  bool Direction() const { return vertical_; }
  void setDirection(bool vertical);
  QPixmap ScrollKnobPicture() const { return knobPicture_; }
  void setScrollKnobPicture(const QPixmap& p);
  bool CenterLine() const { return centerLine_; }
  void setCenterLine(bool on);
  QColor CenterLineColor() const { return centerLineColor_; }
  void setCenterLineColor(const QColor& c);
  bool MenuEnabled() const { return menuEnabled_; }
  void setMenuEnabled(bool on);
  int Min() const { return model_.min(); }
  void setMin(int v);
  int Max() const { return model_.max(); }
  void setMax(int v);
  int Value() const { return model_.value(); }
  // Out of range at run time: throws ScrollerError (see README).
  void setValue(int v);
  QString Caption() const { return caption_; }
  void setCaption(const QString& c);

  // Design time: bad values are corrected and the message is shown in a box
  // instead of an error thrown to the container.
  bool designMode() const { return model_.designMode(); }
  void setDesignMode(bool design) { model_.setDesignMode(design); }

  // Redraws track, centre line and knob; sizes the control across the track
  // to the knob.
  void UpdateScroller();
  // Places the knob for the current Value and raises Scroll.
  void setValue();
  // Pops up the set menu at the pointer.
  void ShowSetMenu();
  QMenu* setMenu() const { return menu_; }
  // Design-time messages also go to a message box unless switched off.
  void setDesignMessageBoxes(bool on) { designMessageBoxes_ = on; }

  // The knob image in use: ScrollKnobPicture, or the built-in DefKnob.
  QPixmap knobImage() const;
  static QPixmap DefKnob(bool vertical);
  // The knob's rectangle inside the control.
  QRect knobRect() const;
  const ScrollerModel& model() const { return model_; }

  // Persistence: every property under its own name in the current group of
  // the settings; reading uses the defaults for missing keys.
  void WriteProperties(QSettings& bag) const;
  void ReadProperties(QSettings& bag);
  // Every property back to its default.
  void InitProperties();

  // Which properties changed since the last save or load.
  bool propertiesChanged() const { return changed_; }

  QSize sizeHint() const override;

 signals:
  void Scroll(int value);
  // A design-time correction message (shown in a box as well by default).
  void DesignMessage(const QString& text);

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void syncGeometry();
  int along(const QPointF& p) const;
  void drawTrack(QPainter& p) const;
  void touch() { changed_ = true; }
  // Runs a model setter and repaints even when it throws.
  template <typename F>
  void apply(F&& f);

  ScrollerModel model_;
  QPixmap picture_;
  QColor back_;  // invalid = the system button face
  bool autoRedraw_ = true;
  bool vertical_ = false;
  QPixmap knobPicture_;
  bool centerLine_ = true;
  QColor centerLineColor_{128, 128, 128};
  bool menuEnabled_ = true;
  QString caption_;
  QMenu* menu_ = nullptr;
  QPixmap cache_;  // the track, kept while AutoRedraw is on
  bool changed_ = false;
  bool adjusting_ = false;
  bool designMessageBoxes_ = true;
};

// Colour values as the persisted form holds them: red + 256*green + 65536*blue.
qint32 ColourValue(const QColor& c);
QColor FromColourValue(qint32 v);

}  // namespace veltrack
