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

// The colours a widget shows: its background and its text (invalid = the
// style's own).
struct Colours {
  QColor back;
  QColor fore;
};

// Gives a widget its colours through its palette, never a style sheet: a
// sheet re-polishes the widget, keeps a parsed copy for it and brings in the
// whole style-sheet engine. Invalid colours give the widget back the
// colours it inherits.
void ShowColours(QWidget* w, const Colours& c);

// Makes the application's style draw a coloured button with a flat face of
// its colour, as a state colour must read at a glance (the plain style
// would shade and pale it). Idempotent; hosts call it before making views.
void InstallDeskStyle();

// A custom-drawn widget that knows what it draws from its control: takes the
// control's present state and says whether its picture changed. The binder
// repaints such a widget only then.
class ShowsControl {
 public:
  virtual ~ShowsControl() = default;
  virtual bool refreshShown() = 0;
};

class Binder : public QObject {
  Q_OBJECT
 public:
  explicit Binder(QObject* parent = nullptr);

  // Called after every user event the binder forwarded (the host repaints).
  std::function<void()> afterEvent;

  void bind(QAbstractSlider* w, Control& c);  // fader or scroll bar
  // How a bound box turns the control's colours into those it shows.
  using Styler = std::function<Colours(const Control&)>;

  void bind(QLineEdit* w, Control& c, Styler style = nullptr);  // text box
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
  // common properties, the mouse and the repaint on change. With `shown`
  // (or a widget that is a ShowsControl), the widget is repainted only when
  // it returns true; otherwise on every change of the control.
  void bindCustom(QWidget* w, Control& c, std::function<bool()> shown = nullptr);

  // Model -> widgets, for every control whose revision moved. A widget is
  // touched only where what it shows differs from the control.
  void sync();

  // The widget or action bound to a control (nullptr when none).
  QObject* widgetOf(const Control& c) const;

 protected:
  bool eventFilter(QObject* obj, QEvent* ev) override;

 private:
  // What a widget was last given, so a refresh touches only what moved.
  struct Shown {
    int32_t back = -1;
    int32_t fore = -1;
  };
  struct Binding {
    QPointer<QObject> obj;
    Control* control;
    uint64_t seen = 0;
    std::function<void(Shown&)> refresh;
    Shown shown;
  };
  void add(QObject* o, Control& c, std::function<void(Shown&)> refresh);
  static void common(QWidget* w, const Control& c);
  static void applyColours(QWidget* w, const Control& c, Shown& shown, const Styler& style);
  void fire(const std::function<void()>& f);
  Control* controlOf(QObject* o) const;

  std::vector<Binding> bindings_;
  bool syncing_ = false;
};

}  // namespace lumora::gui
