// Binds Qt widgets to form-model controls. The model holds every value and
// rule; a bound widget only shows the control and forwards the user's acts
// as the control's events. Views call bind() for each widget they lay out.
#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

#include "core/form.h"

class QAbstractSlider;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QAbstractButton;
class QTextEdit;

namespace lumora::gui {

// Desk colour value (red + 256*green + 65536*blue) to Qt; -1 = invalid.
QColor ToQColor(int32_t c);
int32_t FromQColor(const QColor& c);

class Binder : public QObject {
  Q_OBJECT
 public:
  explicit Binder(QObject* parent = nullptr);

  // Called after every user event the binder forwarded (the host repaints).
  std::function<void()> afterEvent;

  void bind(QAbstractSlider* w, Control& c);  // fader or scroll bar
  void bind(QLineEdit* w, Control& c);        // text box
  void bind(QTextEdit* w, Control& c);        // multi-line text box
  void bind(QPushButton* w, Control& c);      // button
  void bind(QAction* a, Control& c);          // menu item
  void bind(QLabel* w, Control& c);           // label
  void bind(QCheckBox* w, Control& c);        // check box
  void bind(QRadioButton* w, Control& c);     // option button
  void bind(QComboBox* w, Control& c);        // combo box
  void bind(QListWidget* w, Control& c);      // list box
  // Picture, frame, bar or any custom-drawn widget: properties are shown by
  // the widget's own paint (it reads the control); the binder adds the
  // common properties, the mouse and the repaint on change.
  void bindCustom(QWidget* w, Control& c);

  // Model -> widgets, for every control whose revision moved.
  void sync();

 protected:
  bool eventFilter(QObject* obj, QEvent* ev) override;

 private:
  struct Binding {
    QPointer<QObject> obj;
    Control* control;
    uint64_t seen = 0;
    std::function<void()> refresh;
  };
  void add(QObject* o, Control& c, std::function<void()> refresh);
  void common(QWidget* w, Control& c);
  void fire(const std::function<void()>& f);
  Control* controlOf(QObject* o) const;

  std::vector<Binding> bindings_;
  bool syncing_ = false;
};

}  // namespace lumora::gui
