// The play desk window: the page of 16 buttons and 12 faders, the masters,
// screen programming and the run-mode crossfader with its A/B display.
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QVBoxLayout>

#include "controls/log_slider.h"
#include "gui/desk_fader.h"
#include "gui/edit_menu.h"
#include "gui/view.h"
#include "gui/widgets.h"
#include "playback/playdesk.h"

namespace lumora::gui {

namespace {

// A level fader: value 0 at the top = full, lit from the bottom up to the cap
// (a plain inverted slider would light the groove from the top, upside down).
QSlider* fader(QWidget* parent, int minHeight = 150) {
  auto* s = new DeskFader(parent);
  s->setMinimumHeight(minHeight);
  return s;
}

// The A/B crossfader is a position, not a level: a plain slider.
QSlider* crossfader(QWidget* parent, int minHeight) {
  auto* s = new QSlider(Qt::Vertical, parent);
  s->setInvertedAppearance(true);
  s->setMinimumHeight(minHeight);
  return s;
}

// The logarithmic fade-time slider: the model owns the axis and the thumb;
// this widget paints them and hands the mouse over.
class LogSliderWidget : public QWidget, public ShowsControl {
 public:
  LogSliderWidget(VRLogSlider& s, Binder& b, QWidget* parent) : QWidget(parent), s_(s), b_(b) {
    setMinimumSize(54, 150);
    setToolTip("Fade time (s)");
  }
  // What the paint reads from the model.
  bool refreshShown() override {
    Look now{s_.thumbY(), s_.lblMin(), s_.lblMax(), s_.ticks().size()};
    if (drawn_ && now == look_) return false;
    drawn_ = true;
    look_ = std::move(now);
    return true;
  }

 protected:
  void resizeEvent(QResizeEvent*) override { s_.setAxis(8.0, height() - 16.0); }
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    const int x = 14;
    p.setPen(palette().color(QPalette::Mid));
    p.drawLine(x, static_cast<int>(s_.axisTop()), x, static_cast<int>(s_.axisTop() + s_.axisHeight()));
    p.setPen(palette().color(QPalette::WindowText));
    for (const auto& t : s_.ticks()) {
      const int y = static_cast<int>(t.y);
      p.drawLine(x + 4, y, x + (t.decade ? 12 : 8), y);
    }
    QFont f = font();
    f.setPointSize(7);
    p.setFont(f);
    p.drawText(x + 14, static_cast<int>(s_.axisTop()) + 8, QString::fromStdString(s_.lblMax()));
    p.drawText(x + 14, static_cast<int>(s_.axisTop() + s_.axisHeight()), QString::fromStdString(s_.lblMin()));
    const int ty = static_cast<int>(s_.thumbY());
    p.setBrush(isEnabled() ? palette().color(QPalette::Highlight) : palette().color(QPalette::Mid));
    p.drawRect(x - 9, ty - 4, 18, 8);
  }
  // The press reaches the model through the binder's MouseDown, which places
  // the thumb; only a drag is handed over here.
  void mousePressEvent(QMouseEvent*) override { update(); }
  void mouseMoveEvent(QMouseEvent* e) override {
    if (e->buttons() & Qt::LeftButton) move(e);
  }

 private:
  void move(QMouseEvent* e) {
    if (!s_.Enabled()) return;
    s_.MouseAt(e->position().y());
    update();
    if (b_.afterEvent) b_.afterEvent();
  }
  struct Look {
    double thumb;
    std::string lo, hi;
    std::size_t ticks;
    bool operator==(const Look&) const = default;
  };
  VRLogSlider& s_;
  Binder& b_;
  bool drawn_ = false;
  Look look_{};
};

class PlaydeskView : public FormView {
 public:
  PlaydeskView(Form& f, GuiHost& h) : FormView(f, h), m_(static_cast<Playdesk&>(f)) {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(6, 6, 6, 6);
    auto* bar = new QMenuBar(this);
    if (AddEditMenu(bar, m_, binder())) root->setMenuBar(bar);
    else delete bar;
    auto* top = new QHBoxLayout;
    root->addLayout(top, 1);

    // ---- the page: title, buttons, faders
    auto* page = new QGroupBox("Page", this);
    auto* pv = new QVBoxLayout(page);
    auto* title = new QHBoxLayout;
    auto* dec0 = new QPushButton(page);
    dec0->setFixedWidth(36);
    binder().bind(dec0, m_.Dec_Page[0]);
    auto* pname = new QLineEdit(page);
    pname->setFixedWidth(180);
    binder().bind(pname, m_.Page_Details);
    auto* inc0 = new QPushButton(page);
    inc0->setFixedWidth(36);
    binder().bind(inc0, m_.Inc_Page[0]);
    auto* ptext = new QLineEdit(page);
    ptext->setPlaceholderText("Page notes");
    binder().bind(ptext, m_.Page_text);
    auto* bfun = new QPushButton(page);
    binder().bind(bfun, m_.Button_Change);
    title->addWidget(dec0);
    title->addWidget(pname);
    title->addWidget(inc0);
    title->addWidget(ptext, 1);
    title->addWidget(bfun);
    pv->addLayout(title);

    auto* grid = new QGridLayout;
    grid->setSpacing(4);
    for (int k = 0; k < 16; ++k) {
      auto* b = new QPushButton(page);
      b->setMinimumSize(70, 40);
      b->setFocusPolicy(Qt::NoFocus);
      // Caption and colour are set by syncView; the button repaints itself.
      binder().bindCustom(b, m_.Command1[k], [] { return false; });
      buttons_[k] = b;
      grid->addWidget(b, k / 8, k % 8);
    }
    pv->addLayout(grid);

    auto* fhead = new QHBoxLayout;
    auto* dec1 = new QPushButton(page);
    dec1->setFixedWidth(36);
    binder().bind(dec1, m_.Dec_Page[1]);
    auto* inc1 = new QPushButton(page);
    inc1->setFixedWidth(36);
    binder().bind(inc1, m_.Inc_Page[1]);
    auto* ffun = new QPushButton(page);
    binder().bind(ffun, m_.Fader_Change);
    auto* sclear = new QPushButton(page);
    binder().bind(sclear, m_.Submix_Clear);
    fhead->addWidget(dec1);
    fhead->addWidget(inc1);
    fhead->addStretch(1);
    fhead->addWidget(ffun);
    fhead->addWidget(sclear);
    pv->addLayout(fhead);

    auto* strip = new QGridLayout;
    strip->setHorizontalSpacing(4);
    QList<QWidget*> pageMoving;
    for (int k = 0; k < 12; ++k) {
      auto* fn = new QLabel(page);
      fn->setFixedWidth(64);
      fn->setAlignment(Qt::AlignCenter);
      fn->setWordWrap(true);
      binder().bind(fn, m_.Text2[k]);
      auto* s = fader(page);
      binder().bind(s, m_.Slider1[k]);
      auto* lvl = new QLabel(page);
      lvl->setAlignment(Qt::AlignCenter);
      binder().bind(lvl, m_.Text6[k]);
      auto* name = new QLabel(page);
      name->setFixedWidth(64);
      name->setAlignment(Qt::AlignCenter);
      binder().bind(name, m_.Text5[k]);
      pageMoving << fn << s << lvl << name;
      strip->addWidget(fn, 0, k, Qt::AlignHCenter);
      strip->addWidget(s, 1, k, Qt::AlignHCenter);
      strip->addWidget(lvl, 2, k, Qt::AlignHCenter);
      strip->addWidget(name, 3, k, Qt::AlignHCenter);
    }
    strip->setRowStretch(1, 1);
    pv->addLayout(strip, 1);
    PaintOverGroupFace(page, pageMoving);
    top->addWidget(page, 1);

    // ---- masters
    auto* masters = new QGroupBox("Masters", this);
    auto* mg = new QGridLayout(masters);
    auto* mainF = fader(masters);
    binder().bind(mainF, m_.Main);
    auto* presetF = fader(masters);
    binder().bind(presetF, m_.Preset);
    mg->addWidget(new QLabel("Main", masters), 0, 0, Qt::AlignHCenter);
    mg->addWidget(new QLabel("Preset", masters), 0, 1, Qt::AlignHCenter);
    mg->addWidget(mainF, 1, 0, Qt::AlignHCenter);
    mg->addWidget(presetF, 1, 1, Qt::AlignHCenter);
    auto* clearAll = new QPushButton(masters);
    binder().bind(clearAll, m_.Clear_All);
    mg->addWidget(clearAll, 2, 0, 1, 2);
    mg->setRowStretch(1, 1);
    PaintOverGroupFace(masters, {mainF, presetF});
    top->addWidget(masters);

    // ---- run mode
    auto* run = new QGroupBox("Run", this);
    auto* rg = new QGridLayout(run);
    auto* sw = new QPushButton(run);
    binder().bind(sw, m_.Run_Switch);
    auto* at = new QPushButton(run);
    binder().bind(at, m_.Run_Autotake);
    rg->addWidget(sw, 0, 0, 1, 2);
    rg->addWidget(at, 1, 0, 1, 2);
    QList<QWidget*> runMoving;
    auto side = [&](Control& name, Control& num, const char* letter, int row) {
      auto* l = new QLabel(letter, run);
      auto* n = new QLabel(run);
      n->setMinimumWidth(28);
      n->setAlignment(Qt::AlignCenter);
      binder().bind(n, num);
      auto* t = new QLabel(run);
      t->setMinimumWidth(120);
      binder().bind(t, name);
      runMoving << n << t;
      auto* h = new QHBoxLayout;
      h->addWidget(l);
      h->addWidget(n);
      h->addWidget(t, 1);
      rg->addLayout(h, row, 0, 1, 2);
    };
    side(m_.Run_A, m_.Run_A_Num, "A", 2);
    auto* xf = crossfader(run, 180);
    binder().bind(xf, m_.Run_Crossfade);
    rg->addWidget(xf, 3, 0, 1, 2, Qt::AlignHCenter);
    side(m_.Run_B, m_.Run_B_Num, "B", 4);
    rg->addWidget(new QLabel("Next screen", run), 5, 0, 1, 2);
    auto* nsel = new QScrollBar(Qt::Horizontal, run);
    binder().bind(nsel, m_.Run_screen_sel);
    rg->addWidget(nsel, 6, 0, 1, 2);
    auto* nxt = new QLabel(run);
    binder().bind(nxt, m_.Run_nxtscreen);
    auto* ft = new QLabel(run);
    binder().bind(ft, m_.Run_Fade_Time);
    rg->addWidget(nxt, 7, 0);
    rg->addWidget(ft, 7, 1, Qt::AlignRight);
    rg->setRowStretch(3, 1);
    runMoving << xf << nxt << ft;
    PaintOverGroupFace(run, runMoving);
    run->setMinimumWidth(220);
    top->addWidget(run);

    // ---- screen programming
    auto* prog = new QGroupBox("Screens", this);
    auto* sg = new QGridLayout(prog);
    auto* numLbl = new QLabel(prog);
    numLbl->setMinimumWidth(30);
    numLbl->setAlignment(Qt::AlignCenter);
    binder().bind(numLbl, m_.Screen_num);
    auto* sel = new QScrollBar(Qt::Horizontal, prog);
    sel->setMinimumWidth(160);
    binder().bind(sel, m_.Screen_Num_sel);
    sg->addWidget(new QLabel("Screen", prog), 0, 0);
    sg->addWidget(numLbl, 0, 1);
    sg->addWidget(sel, 0, 2, 1, 3);
    auto* name = new QLineEdit(prog);
    name->setPlaceholderText("Screen name");
    binder().bind(name, m_.screen_txt);
    sg->addWidget(name, 1, 0, 1, 4);
    auto* colour = new ColourPatch(m_.Cue_Colour, prog);
    colour->setFixedSize(40, 22);
    binder().bindCustom(colour, m_.Cue_Colour);
    sg->addWidget(colour, 1, 4);
    auto* autoN = new QCheckBox(prog);
    binder().bind(autoN, m_.Auto_next);
    auto* inst = new QCheckBox(prog);
    binder().bind(inst, m_.Screen_instant_box);
    sg->addWidget(autoN, 2, 0, 1, 2);
    sg->addWidget(inst, 2, 2, 1, 2);
    auto* ops = new QGridLayout;
    Control* opsList[] = {&m_.Screen_Prog, &m_.Screen_Recall, &m_.Copy_Cue, &m_.Paste_Cue,
                          &m_.Insert_Cue,  &m_.Delete_Cue,    &m_.Cue_Clear, &m_.nameedit};
    for (int i = 0; i < 8; ++i) {
      auto* b = new QPushButton(prog);
      binder().bind(b, *opsList[i]);
      ops->addWidget(b, i / 2, i % 2);
    }
    auto* instant = new QPushButton(prog);
    binder().bind(instant, m_.Instant_Panel);
    ops->addWidget(instant, 4, 0, 1, 2);
    sg->addLayout(ops, 3, 0, 1, 4);
    auto* fadeBox = new QVBoxLayout;
    fadeBox->addWidget(new QLabel("Fade", prog), 0, Qt::AlignHCenter);
    auto* logs = new LogSliderWidget(m_.Screen_Fade_Time, binder(), prog);
    binder().bindCustom(logs, m_.Screen_Fade_Time);
    fadeBox->addWidget(logs, 1);
    auto* fadeTxt = new QLabel(prog);
    binder().bind(fadeTxt, m_.Fade_Time_txt);
    fadeBox->addWidget(fadeTxt, 0, Qt::AlignHCenter);
    sg->addLayout(fadeBox, 3, 4);
    sg->setRowStretch(4, 1);
    prog->setMinimumWidth(300);
    top->addWidget(prog);

    auto* status = new QLineEdit(this);
    status->setReadOnly(true);
    binder().bind(status, m_.Status);
    root->addWidget(status);
    resize(1500, 560);
  }

  void syncView() override {
    FormView::syncView();
    // The play buttons draw their function label and state colour.
    // Each is compared with what the button was last given, so an unchanged
    // button is not touched (a palette change repaints it).
    for (int k = 0; k < 16; ++k) {
      const Control& c = m_.Command1[k];
      QPushButton* b = buttons_[k];
      Shown& was = shown_[k];
      if (c.Caption() != was.caption) {
        was.caption = c.Caption();
        b->setText(QString::fromStdString(was.caption));
      }
      if (c.BackColor() != was.back) {
        was.back = c.BackColor();
        ShowColours(b, {ToQColor(was.back), QColor()});
      }
    }
  }

 private:
  struct Shown {
    std::string caption;
    int32_t back = -1;
  };
  Playdesk& m_;
  std::array<QPushButton*, 16> buttons_{};
  std::array<Shown, 16> shown_{};
};

ViewRegistrar reg("Playdesk", [](Form& f, GuiHost& h) { return new PlaydeskView(f, h); });

}  // namespace
}  // namespace lumora::gui
