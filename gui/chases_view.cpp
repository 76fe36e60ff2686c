// The Sequence Desk: chase selection, step tools, the 18-channel strip,
// times, master, loops and progress, and the moving-light desk.
#include <QComboBox>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include "gui/bar_widget.h"
#include "gui/desk_fader.h"
#include "gui/edit_menu.h"
#include "gui/gui_host.h"
#include "gui/log_slider_widget.h"
#include "gui/view.h"
#include "gui/widgets.h"
#include "sequences/chases_form.h"

namespace lumora::gui {

namespace {

// The XY pad: one widget pixel is one pad unit, so the model's rectangle and
// the mouse coordinates the binder forwards agree.
class XYPad : public QWidget, public ShowsControl {
 public:
  XYPad(Chases& m, QWidget* parent) : QWidget(parent), m_(m) { setFixedSize(Chases::kPadWidth, Chases::kPadHeight); }
  // The cross follows the pan and tilt faders.
  bool refreshShown() override {
    const QPoint now(m_.Slider8.Value(), m_.Slider7.Value());
    if (drawn_ && now == at_) return false;
    drawn_ = true;
    at_ = now;
    return true;
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    const QRect pad(Chases::kPadLeft, Chases::kPadTop, Chases::kPadRight - Chases::kPadLeft,
                    Chases::kPadBottom - Chases::kPadTop);
    p.fillRect(pad, QColor(24, 24, 32));
    p.setPen(QColor(70, 70, 90));
    for (int i = 1; i < 4; ++i) {
      p.drawLine(pad.left() + pad.width() * i / 4, pad.top(), pad.left() + pad.width() * i / 4, pad.bottom());
      p.drawLine(pad.left(), pad.top() + pad.height() * i / 4, pad.right(), pad.top() + pad.height() * i / 4);
    }
    const int x = pad.left() + m_.Slider8.Value() * pad.width() / 255;
    const int y = pad.top() + m_.Slider7.Value() * pad.height() / 255;
    p.setPen(QPen(QColor(255, 200, 0), 1));
    p.drawLine(x, pad.top(), x, pad.bottom());
    p.drawLine(pad.left(), y, pad.right(), y);
    p.setBrush(QColor(255, 80, 0));
    p.drawEllipse(QPoint(x, y), 5, 5);
  }

 private:
  Chases& m_;
  bool drawn_ = false;
  QPoint at_;
};

QSlider* VFader(QWidget* parent, int minH = 150) {
  auto* s = new QSlider(Qt::Vertical, parent);
  s->setInvertedAppearance(true);  // 0 at the top
  s->setMinimumHeight(minH);
  return s;
}

// A level fader (value 0 at the top = full), lit from the bottom like the
// main desk's, so a dark channel does not read as a full groove.
QSlider* LevelFader(QWidget* parent, int minH = 150) {
  auto* s = new DeskFader(parent);
  s->setMinimumHeight(minH);
  return s;
}

class ChasesView : public FormView {
 public:
  ChasesView(Form& f, GuiHost& h) : FormView(f, h), m_(static_cast<Chases&>(f)) {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(6, 4, 6, 6);
    root->setMenuBar(makeMenus());

    // Chase selection, name, colour, Go and live.
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel("Sequence", this));
    auto* sel = new QComboBox(this);
    sel->setMinimumWidth(170);
    binder().bind(sel, m_.Chase_Sel);
    top->addWidget(sel);
    top->addWidget(new QLabel("Name", this));
    auto* name = new QLineEdit(this);
    name->setMinimumWidth(170);
    binder().bind(name, m_.Chase_Name);
    top->addWidget(name);
    top->addWidget(new QLabel("Colour", this));
    auto* colour = new ColourPatch(m_.Chase_Colour_Sel, this);
    colour->setFixedSize(40, 22);
    colour->setToolTip("Choose the sequence colour");
    binder().bindCustom(colour, m_.Chase_Colour_Sel);
    top->addWidget(colour);
    top->addSpacing(16);
    auto* go = new QPushButton(this);
    go->setMinimumWidth(90);
    go->setMinimumHeight(30);
    binder().bind(go, m_.Chase_Go_Button);
    top->addWidget(go);
    auto* live = new QCheckBox(this);
    binder().bind(live, m_.Live_Mode_Sel);
    top->addWidget(live);
    top->addStretch(1);
    auto* moving = new QPushButton(this);
    binder().bind(moving, m_.Show_Moving);
    top->addWidget(moving);
    root->addLayout(top);

    // Step tools.
    auto* steps = new QHBoxLayout;
    steps->addWidget(new QLabel("Step", this));
    auto* minus = new QPushButton(this);
    minus->setFixedWidth(28);
    binder().bind(minus, m_.Chase_Minus);
    steps->addWidget(minus);
    auto* stepNo = new QLabel(this);
    stepNo->setFixedWidth(30);
    stepNo->setAlignment(Qt::AlignCenter);
    stepNo->setFrameShape(QFrame::Panel);
    stepNo->setFrameShadow(QFrame::Sunken);
    binder().bind(stepNo, m_.Step_Display);
    steps->addWidget(stepNo);
    auto* plus = new QPushButton(this);
    plus->setFixedWidth(28);
    binder().bind(plus, m_.Chase_Plus);
    steps->addWidget(plus);
    steps->addSpacing(10);
    steps->addWidget(new QLabel("Steps", this));
    auto* sub = new QPushButton(this);
    sub->setFixedWidth(28);
    binder().bind(sub, m_.Steps_subtract);
    steps->addWidget(sub);
    auto* count = new QLabel(this);
    count->setFixedWidth(30);
    count->setAlignment(Qt::AlignCenter);
    count->setFrameShape(QFrame::Panel);
    count->setFrameShadow(QFrame::Sunken);
    binder().bind(count, m_.Steps);
    steps->addWidget(count);
    auto* add = new QPushButton(this);
    add->setFixedWidth(28);
    binder().bind(add, m_.Steps_Add);
    steps->addWidget(add);
    steps->addSpacing(10);
    for (Control* c : {&m_.Insert, &m_.Remove_Step, &m_.Command_Copy, &m_.Command_Paste, &m_.Command3, &m_.Shift_Neg,
                       &m_.Shift_Pos, &m_.Ch_Function_All}) {
      auto* b = new QPushButton(this);
      binder().bind(b, *c);
      steps->addWidget(b);
    }
    auto* allSteps = new QCheckBox(this);
    binder().bind(allSteps, m_.Global_fade_sw);
    steps->addWidget(allSteps);
    steps->addStretch(1);
    root->addLayout(steps);

    auto* body = new QHBoxLayout;
    root->addLayout(body, 1);

    // Channel strip: 18 plain channels, then the six moving-light channels.
    auto* strip = new QGroupBox("Channels", this);
    auto* g = new QGridLayout(strip);
    g->setHorizontalSpacing(3);
    g->setVerticalSpacing(3);
    g->addWidget(new QLabel("Desk", strip), 0, 0);
    g->addWidget(new QLabel("Func", strip), 1, 0);
    g->addWidget(new QLabel("Level", strip), 3, 0);
    for (int c = 0; c < kChaseUsedChannels; ++c) {
      const int col = c + 1 + (c >= kPlainChaseChannels ? 1 : 0);
      auto* desk = new QLineEdit(strip);
      desk->setFixedWidth(34);
      desk->setAlignment(Qt::AlignCenter);
      binder().bind(desk, m_.Text1[c]);
      g->addWidget(desk, 0, col, Qt::AlignHCenter);
      auto* fn = new QPushButton(strip);
      fn->setFixedWidth(34);
      binder().bind(fn, m_.Ch_Function[c]);
      g->addWidget(fn, 1, col, Qt::AlignHCenter);
      auto* ind = new ColourPatch(m_.Picture1[c], strip);
      ind->setFixedSize(30, 14);
      binder().bindCustom(ind, m_.Picture1[c]);
      g->addWidget(ind, 2, col, Qt::AlignHCenter);
      if (c < kPlainChaseChannels) {
        auto* s = LevelFader(strip);
        binder().bind(s, m_.Slider1[c]);
        g->addWidget(s, 3, col, Qt::AlignHCenter);
        auto* full = new QPushButton(strip);
        full->setFixedWidth(34);
        binder().bind(full, m_.Command1[c]);
        g->addWidget(full, 4, col, Qt::AlignHCenter);
        auto* zero = new QPushButton(strip);
        zero->setFixedWidth(34);
        binder().bind(zero, m_.Command2[c]);
        g->addWidget(zero, 5, col, Qt::AlignHCenter);
        g->addWidget(new QLabel(QString::number(c + 1), strip), 6, col, Qt::AlignHCenter);
      } else {
        auto* lbl = new QLabel(c < 22 ? QString("M%1").arg(c - 17) : (c == 22 ? QString("Y") : QString("X")), strip);
        g->addWidget(lbl, 3, col, Qt::AlignHCenter | Qt::AlignTop);
      }
    }
    g->setColumnMinimumWidth(kPlainChaseChannels + 1, 10);
    g->setRowStretch(3, 1);
    auto* autoInc = new QCheckBox(strip);
    binder().bind(autoInc, m_.Check1);
    g->addWidget(autoInc, 7, 1, 1, 12);
    body->addWidget(strip, 1);

    // Times, master, loops and progress.
    auto* side = new QGroupBox("Timing", this);
    auto* sg = new QGridLayout(side);
    sg->addWidget(new QLabel("Step time", side), 0, 0, Qt::AlignHCenter);
    sg->addWidget(new QLabel("Fade time", side), 0, 1, Qt::AlignHCenter);
    sg->addWidget(new QLabel("Main Level", side), 0, 2, Qt::AlignHCenter);
    auto* speed = new LogSliderWidget(m_.LogSlider3, side);
    speed->afterUserChange = [this] { this->host().syncAll(); };
    binder().bindCustom(speed, m_.LogSlider3);
    sg->addWidget(speed, 1, 0, Qt::AlignHCenter);
    auto* fade = new LogSliderWidget(m_.LogSlider4, side);
    fade->afterUserChange = [this] { this->host().syncAll(); };
    binder().bindCustom(fade, m_.LogSlider4);
    sg->addWidget(fade, 1, 1, Qt::AlignHCenter);
    auto* master = LevelFader(side);
    binder().bind(master, m_.Slider2);
    sg->addWidget(master, 1, 2, Qt::AlignHCenter);
    auto* t7 = new QLineEdit(side);
    t7->setReadOnly(true);
    t7->setFixedWidth(60);
    binder().bind(t7, m_.Text7);
    sg->addWidget(t7, 2, 0, Qt::AlignHCenter);
    auto* t2 = new QLineEdit(side);
    t2->setReadOnly(true);
    t2->setFixedWidth(60);
    binder().bind(t2, m_.Text2);
    sg->addWidget(t2, 2, 1, Qt::AlignHCenter);
    int row = 3;
    for (Control* c : {&m_.Global_Speed, &m_.Global_fade, &m_.Speed_Fade_Lock}) {
      auto* cb = new QCheckBox(side);
      binder().bind(cb, *c);
      sg->addWidget(cb, row++, 0, 1, 3);
    }
    auto* loopBox = new QCheckBox(side);
    binder().bind(loopBox, m_.Loop_Box);
    sg->addWidget(loopBox, row++, 0, 1, 3);
    auto* loopRow = new QHBoxLayout;
    loopRow->addWidget(new QLabel("Loops", side));
    auto* times = new QLineEdit(side);
    times->setFixedWidth(50);
    binder().bind(times, m_.Loop_Times);
    loopRow->addWidget(times);
    loopRow->addWidget(new QLabel("left", side));
    auto* left = new QLabel(side);
    left->setFixedWidth(40);
    left->setFrameShape(QFrame::Panel);
    left->setFrameShadow(QFrame::Sunken);
    binder().bind(left, m_.Loop_Times_txt);
    loopRow->addWidget(left);
    loopRow->addStretch(1);
    sg->addLayout(loopRow, row++, 0, 1, 3);
    sg->addWidget(new QLabel("Step", side), row, 0);
    auto* sb = new BarWidget(m_.Step_Bar, side);
    sb->setMinimumHeight(14);
    binder().bindCustom(sb, m_.Step_Bar);
    sg->addWidget(sb, row++, 1, 1, 2);
    sg->addWidget(new QLabel("Fade", side), row, 0);
    auto* fb = new BarWidget(m_.Fade_Bar, side);
    fb->setMinimumHeight(14);
    binder().bindCustom(fb, m_.Fade_Bar);
    sg->addWidget(fb, row++, 1, 1, 2);
    body->addWidget(side);

    root->addWidget(makeMovingDesk());
    resize(1480, 560);
  }

  void syncView() override {
    FormView::syncView();
    // A right press on an entry asks for the pop-up menu.
    if (m_.mnu_popup.Value() != popupSeen_) {
      popupSeen_ = m_.mnu_popup.Value();
      QTimer::singleShot(0, this, [this] { popup_->popup(QCursor::pos()); });
    }
    if (pad_ && pad_->refreshShown()) pad_->update();
  }

 private:
  QMenuBar* makeMenus() {
    auto* bar = new QMenuBar(this);
    auto item = [this](QMenu* menu, Control& c) {
      QAction* a = menu->addAction(QString::fromStdString(c.Caption()));
      binder().bind(a, c);
    };
    QMenu* file = bar->addMenu("&File");
    item(file, m_.Load_File);
    file->addSeparator();
    item(file, m_.Exit);
    AddEditMenu(bar, m_, binder());
    QMenu* step = bar->addMenu("&Step");
    item(step, m_.Copy_step);
    item(step, m_.Paste_step);
    item(step, m_.Insert_Step);
    item(step, m_.Remove_Step_mnu);
    item(step, m_.Clear_Step);
    QMenu* mov = bar->addMenu("&Moving");
    item(mov, m_.show_moving_desk);
    QMenu* fix = bar->addMenu("Fi&xture");
    binder().bind(fix->menuAction(), m_.mnu_Fixture);
    item(fix, m_.Load_Fixture);
    item(fix, m_.Save_Fixture_Single);
    item(fix, m_.Save_Fixture_All);
    item(fix, m_.Clear_Fixture);
    fix->addSeparator();
    item(fix, m_.Fixture_Import);
    item(fix, m_.Fixture_Browse);
    fix->addSeparator();
    item(fix, m_.fixt_prop2);
    popup_ = new QMenu(this);
    item(popup_, m_.fixt_prop);
    popupSeen_ = m_.mnu_popup.Value();
    return bar;
  }

  QWidget* makeMovingDesk() {
    auto* box = new QGroupBox("Moving Light Desk", this);
    binder().bindCustom(box, m_.Moving_Desk, [] { return false; });  // a frame: nothing drawn from the model
    auto* h = new QHBoxLayout(box);
    auto* left = new QVBoxLayout;
    auto* fsel = new QHBoxLayout;
    fsel->addWidget(new QLabel("Fixture", box));
    auto* fx = new QComboBox(box);
    fx->setMinimumWidth(160);
    binder().bind(fx, m_.Fixture_Sel);
    fsel->addWidget(fx);
    fsel->addStretch(1);
    left->addLayout(fsel);
    auto* funcs = new QHBoxLayout;
    for (int f = 0; f < 4; ++f) {
      // Each function in its own column, kept at the top when entries hide.
      auto* colWidget = new QWidget(box);
      auto* col = new QGridLayout(colWidget);
      col->setContentsMargins(0, 0, 0, 0);
      col->setHorizontalSpacing(2);
      col->setVerticalSpacing(2);
      auto* title = new QLabel(colWidget);
      title->setMinimumWidth(80);
      binder().bind(title, m_.Function_txt[f]);
      col->addWidget(title, 0, 0, 1, 4);
      ControlArray& mv = f == 0 ? m_.move1 : f == 1 ? m_.move2 : f == 2 ? m_.move3 : m_.move4;
      ControlArray& in = f == 0 ? m_.ind1 : f == 1 ? m_.ind2 : f == 2 ? m_.ind3 : m_.ind4;
      for (int k = 0; k < Chases::kMoveEntries; ++k) {
        auto* b = new QPushButton(colWidget);
        b->setFixedSize(62, 20);
        binder().bind(b, mv[k]);
        auto* i = new ColourPatch(in[k], colWidget);
        i->setFixedSize(8, 20);
        binder().bindCustom(i, in[k]);
        col->addWidget(i, 1 + k % 10, (k / 10) * 2);
        col->addWidget(b, 1 + k % 10, (k / 10) * 2 + 1);
      }
      if (f >= 2) {
        auto* s = VFader(colWidget, 120);
        binder().bind(s, f == 2 ? m_.Slider5 : m_.Slider6);
        col->addWidget(s, 1, 4, 10, 1);
      }
      col->setRowStretch(11, 1);
      funcs->addWidget(colWidget, 0, Qt::AlignTop);
      funcs->addSpacing(8);
    }
    left->addLayout(funcs);
    h->addLayout(left);
    // The XY pad with its sliders and read-outs.
    auto* padBox = new QGridLayout;
    pad_ = new XYPad(m_, box);
    binder().bindCustom(pad_, m_.XY_Pad);
    padBox->addWidget(pad_, 0, 0);
    auto* y = VFader(box, Chases::kPadHeight);
    y->setInvertedAppearance(true);
    binder().bind(y, m_.Slider7);
    padBox->addWidget(y, 0, 1);
    auto* x = new QSlider(Qt::Horizontal, box);
    binder().bind(x, m_.Slider8);
    padBox->addWidget(x, 1, 0);
    auto* xy = new QHBoxLayout;
    xy->addWidget(new QLabel("X", box));
    auto* xt = new QLabel(box);
    xt->setFixedWidth(36);
    binder().bind(xt, m_.X_text);
    xy->addWidget(xt);
    xy->addWidget(new QLabel("Y", box));
    auto* yt = new QLabel(box);
    yt->setFixedWidth(36);
    binder().bind(yt, m_.Y_text);
    xy->addWidget(yt);
    xy->addStretch(1);
    padBox->addLayout(xy, 2, 0, 1, 2);
    h->addLayout(padBox);
    h->addStretch(1);
    return box;
  }

  Chases& m_;
  QMenu* popup_ = nullptr;
  XYPad* pad_ = nullptr;
  int popupSeen_ = 0;
};

ViewRegistrar reg("Chases", [](Form& f, GuiHost& h) -> FormView* { return new ChasesView(f, h); });

}  // namespace
}  // namespace lumora::gui
