// The main desk window: the fader strip of 32 channels, the masters, the
// submix section and the menus, laid out like a lighting desk.
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/desk.h"
#include "desk/hoofdblad.h"
#include "gui/desk_fader.h"
#include "gui/edit_menu.h"
#include "gui/view.h"
#include "gui/widgets.h"

namespace lumora::gui {

namespace {

constexpr int kStripWidth = 38;

// The tick's activity light: Picture2 goes green and back to black in every
// tick, faster than a screen refresh, so the light shows every other tick.
// It is repainted only when it turns on or off.
class ActivityLight : public QWidget, public ShowsControl {
 public:
  ActivityLight(Control& c, QWidget* parent) : QWidget(parent), c_(c) { setFixedSize(14, 14); }
  bool refreshShown() override {
    const int on = (c_.revision() / 4) % 2 == 1;
    if (on == on_) return false;
    on_ = on;
    return true;
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(40, 40, 40));
    p.setBrush(on_ == 1 ? QColor(0, 220, 0) : QColor(20, 50, 20));
    p.drawEllipse(rect().adjusted(1, 1, -1, -1));
  }

 private:
  Control& c_;
  int on_ = -1;  // not drawn yet
};

// The dark panel behind the channel strip. Painted here rather than by a
// style sheet: a sheet on this frame would put every fader, box and button
// of the strip under the style-sheet style, which keeps a cache per widget
// (about 1.7 MB for the strip) and costs time on every repaint.
class StripFrame : public QFrame {
 public:
  static constexpr QColor kBack{0x2f, 0x31, 0x36};
  static constexpr QColor kText{0xd8, 0xd8, 0xd8};
  explicit StripFrame(QWidget* parent) : QFrame(parent) { setObjectName("strip"); }
  // The strip's own captions: light text on the dark panel.
  static void lightText(QLabel* l) {
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, kText);
    l->setPalette(p);
  }

 protected:
  void paintEvent(QPaintEvent* e) override {
    QPainter p(this);
    p.setPen(Qt::NoPen);
    p.setBrush(kBack);
    p.setRenderHint(QPainter::Antialiasing);
    // Most repaints are under one box of the strip: a plain fill there; the
    // rounded outline only where a corner is touched.
    const QRect all = rect();
    const QRect corners[] = {{all.topLeft(), QSize(kRadius, kRadius)},
                             {all.topRight() - QPoint(kRadius - 1, 0), QSize(kRadius, kRadius)},
                             {all.bottomLeft() - QPoint(0, kRadius - 1), QSize(kRadius, kRadius)},
                             {all.bottomRight() - QPoint(kRadius - 1, kRadius - 1), QSize(kRadius, kRadius)}};
    for (const QRect& r : e->region()) {
      bool corner = false;
      for (const QRect& c : corners) corner = corner || c.intersects(r);
      if (!corner) {
        p.fillRect(r, kBack);
        continue;
      }
      p.save();
      p.setClipRect(r);
      p.drawRoundedRect(QRectF(all), kRadius, kRadius);
      p.restore();
    }
  }

 private:
  static constexpr int kRadius = 4;
};

QLabel* caption(const QString& text, QWidget* parent) {
  auto* l = new QLabel(text, parent);
  l->setAlignment(Qt::AlignCenter);
  return l;
}

class HoofdbladView : public FormView {
 public:
  HoofdbladView(Form& f, GuiHost& h) : FormView(f, h), m_(static_cast<Hoofdblad&>(f)) {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(6, 4, 6, 6);
    root->setSpacing(6);
    root->setMenuBar(makeMenus());

    auto* body = new QHBoxLayout;
    body->setSpacing(8);
    root->addLayout(body, 1);
    body->addWidget(makeStrip(), 1);
    body->addLayout(makeSide());

    // Status line with the Art-Net and activity lights.
    auto* bottom = new QHBoxLayout;
    auto* status = new QLineEdit(this);
    status->setReadOnly(true);
    status->setFocusPolicy(Qt::NoFocus);
    binder().bind(status, m_.Status);
    bottom->addWidget(status, 1);
    if (m_.Label3.Caption().empty()) m_.Label3.setCaption("Art-Net");
    auto* art = new QLabel(this);
    binder().bind(art, m_.Label3);
    bottom->addWidget(art);
    auto* artLight = new ColourPatch(m_.Picture1, this);
    artLight->setFixedSize(14, 14);
    binder().bindCustom(artLight, m_.Picture1);
    bottom->addWidget(artLight);
    bottom->addSpacing(8);
    // The output health indicator: amber or red when the output needs a
    // look; a click opens the Output Health window.
    auto* output = new QLabel("Output", this);
    if (Control* health = m_.control("Output_Indicator")) {
      output->setMargin(2);
      output->setCursor(Qt::PointingHandCursor);
      binder().bind(output, *health);
    }
    bottom->addWidget(output);
    auto* light = new ActivityLight(m_.Picture2, this);
    light->setToolTip("Output tick");
    binder().bindCustom(light, m_.Picture2);
    bottom->addWidget(light);
    root->addLayout(bottom);
    resize(1590, 940);
  }

  void syncView() override {
    FormView::syncView();
    // The bank is desk state, not a control: compared on every refresh, the
    // numbers and captions change only when it does.
    const int bank = desk().state.FaderBank;
    if (bank != shownBank_) {
      shownBank_ = bank;
      bankLabel_->setText(QString("Channels %1 - %2").arg(bank * 32 + 1).arg(bank * 32 + 32));
      for (int k = 0; k < 32; ++k) numbers_[k]->setText(QString::number(m_.ChannelOf(k) + 1));
    }
    for (int k = 0; k < 32; ++k) {
      QColor lit = ToQColor(m_.Text3[k].BackColor());
      faders_[k]->setLitColour(lit.isValid() ? lit : QColor(255, 170, 40));
    }
  }

 private:
  // Readable text on whatever colour the channel has.
  static Colours readable(const Control& c) { return ReadableBoxColours(ToQColor(c.BackColor())); }

  QWidget* makeStrip() {
    auto* frame = new StripFrame(this);
    auto* v = new QVBoxLayout(frame);
    v->setContentsMargins(6, 4, 6, 6);
    bankLabel_ = new QLabel(frame);
    QFont bold = bankLabel_->font();
    bold.setBold(true);
    bankLabel_->setFont(bold);
    StripFrame::lightText(bankLabel_);
    v->addWidget(bankLabel_);
    auto* strip = new QGridLayout;
    strip->setHorizontalSpacing(2);
    strip->setVerticalSpacing(3);
    for (int k = 0; k < 32; ++k) {
      numbers_[k] = caption(QString(), frame);
      StripFrame::lightText(numbers_[k]);
      auto* name = new SelectAllEdit(frame);
      name->setReadOnly(true);
      name->setFixedWidth(kStripWidth);
      name->setAlignment(Qt::AlignCenter);
      binder().bind(name, m_.Text3[k], readable);
      names_[k] = name;
      auto* s = new DeskFader(frame);
      binder().bind(s, m_.Slider1[k]);
      // A moving fader repaints itself, not the panel under it.
      PaintOverFace(StripFrame::kBack, {s});
      faders_[k] = s;
      auto* level = new SelectAllEdit(frame);
      level->setReadOnly(true);
      level->setFixedWidth(kStripWidth);
      level->setAlignment(Qt::AlignCenter);
      binder().bind(level, m_.Text1[k], readable);
      levels_[k] = level;
      auto* mx = new QPushButton(frame);
      mx->setFixedWidth(kStripWidth);
      binder().bind(mx, m_.Command1[k]);
      auto* mn = new QPushButton(frame);
      mn->setFixedWidth(kStripWidth);
      binder().bind(mn, m_.Command2[k]);
      strip->addWidget(numbers_[k], 0, k, Qt::AlignHCenter);
      strip->addWidget(name, 1, k, Qt::AlignHCenter);
      strip->addWidget(s, 2, k, Qt::AlignHCenter);
      strip->addWidget(level, 3, k, Qt::AlignHCenter);
      strip->addWidget(mx, 4, k, Qt::AlignHCenter);
      strip->addWidget(mn, 5, k, Qt::AlignHCenter);
    }
    strip->setRowStretch(2, 1);
    v->addLayout(strip, 1);
    return frame;
  }

  QLayout* makeSide() {
    auto* side = new QVBoxLayout;
    side->setSpacing(6);

    auto* masters = new QGroupBox("Masters", this);
    auto* mg = new QGridLayout(masters);
    auto* ch = new DeskFader(masters);
    ch->setLitColour(QColor(255, 200, 60));
    binder().bind(ch, m_.channels);
    auto* mainF = new DeskFader(masters);
    mainF->setLitColour(QColor(255, 80, 80));
    binder().bind(mainF, m_.Main);
    mg->addWidget(caption("Channels", masters), 0, 0);
    mg->addWidget(caption("Main Level", masters), 0, 1);
    mg->addWidget(ch, 1, 0, Qt::AlignHCenter);
    mg->addWidget(mainF, 1, 1, Qt::AlignHCenter);
    mg->setRowStretch(1, 1);
    side->addWidget(masters, 1);

    auto* sub = new QGroupBox("Submix", this);
    auto* sg = new QGridLayout(sub);
    auto* sf = new DeskFader(sub);
    sf->setLitColour(QColor(120, 170, 255));
    binder().bind(sf, m_.Submix);
    sg->addWidget(caption("Sub Main", sub), 0, 0);
    sg->addWidget(sf, 1, 0, 6, 1, Qt::AlignHCenter);
    auto* row = new QHBoxLayout;
    auto* minus = new QPushButton(sub);
    minus->setFixedWidth(30);
    binder().bind(minus, m_.Submix_Minus);
    auto* num = new QLineEdit(sub);
    num->setFixedWidth(40);
    num->setReadOnly(true);
    num->setAlignment(Qt::AlignCenter);
    binder().bind(num, m_.Text9);
    auto* plus = new QPushButton(sub);
    plus->setFixedWidth(30);
    binder().bind(plus, m_.Submix_Plus);
    row->addWidget(minus);
    row->addWidget(num);
    row->addWidget(plus);
    sg->addLayout(row, 1, 1);
    auto* sname = new QLineEdit(sub);
    sname->setPlaceholderText("Submix name");
    binder().bind(sname, m_.Submix_Text);
    sg->addWidget(sname, 2, 1);
    auto* colour = new ColourPatch(m_.Sub_colour, sub);
    colour->setMinimumHeight(22);
    colour->setCursor(Qt::PointingHandCursor);
    colour->setToolTip("Click to choose the submix colour");
    binder().bindCustom(colour, m_.Sub_colour);
    sg->addWidget(colour, 3, 1);
    auto* prog = new QPushButton(sub);
    binder().bind(prog, m_.Submix_Prog);
    sg->addWidget(prog, 4, 1);
    auto* recal = new QPushButton(sub);
    binder().bind(recal, m_.Submix_Recal);
    sg->addWidget(recal, 5, 1);
    sg->setRowStretch(6, 1);
    side->addWidget(sub, 1);

    auto* desk = new QGroupBox("Desk", this);
    auto* dg = new QGridLayout(desk);
    auto* dec = new QPushButton(desk);
    binder().bind(dec, m_.Dec_Channels);
    dec->setToolTip("Channels 1 - 32");
    auto* inc = new QPushButton(desk);
    binder().bind(inc, m_.Inc_Channel);
    inc->setToolTip("Channels 33 - 64");
    dg->addWidget(dec, 0, 0);
    dg->addWidget(inc, 0, 1);
    auto* clear = new QPushButton(desk);
    binder().bind(clear, m_.Clearall);
    dg->addWidget(clear, 1, 0, 1, 2);
    const std::pair<Control*, const char*> opens[] = {
        {&m_.Command21, "Play Desk"}, {&m_.Command3, "Sequences"}, {&m_.Command22, "Output"}};
    int r = 2;
    for (auto [c, text] : opens) {
      auto* b = new QPushButton(desk);
      if (c->Caption().empty()) c->setCaption(text);
      binder().bind(b, *c);
      dg->addWidget(b, r++, 0, 1, 2);
    }
    side->addWidget(desk);
    auto* w = new QWidget(this);
    w->setLayout(side);
    w->setFixedWidth(210);
    auto* holder = new QVBoxLayout;
    holder->addWidget(w);
    return holder;
  }

  QMenuBar* makeMenus() {
    auto* bar = new QMenuBar(this);
    auto item = [this](QMenu* menu, Control& c, const char* text) {
      if (c.Caption().empty()) c.setCaption(text);
      QAction* a = menu->addAction(QString::fromUtf8(text));
      binder().bind(a, c);
    };
    QMenu* file = bar->addMenu("&File");
    item(file, m_.LoadXML, "Load Project...");
    item(file, m_.Load_P_XML, "Load Part of a Project...");
    QMenu* recent = file->addMenu("Recent Projects");
    for (int i = 0; m_.control("Recent", i); ++i) {
      QAction* a = recent->addAction(QString());
      binder().bind(a, *m_.control("Recent", i));
    }
    file->addSeparator();
    item(file, m_.Save_Instant, "Save Project");
    item(file, m_.SaveXML, "Save Project As...");
    item(file, m_.Save_Submix_XML, "Save Submixes...");
    item(file, m_.Save_Patch_XML, "Save Patch...");
    item(file, m_.Save_Chase_XML, "Save Sequences...");
    file->addSeparator();
    item(file, m_.project_info, "Project Information...");
    item(file, m_.resetdesk, "Reset Desk");
    if (Control* prefs = m_.control("Preferences")) item(file, *prefs, "Preferences...");
    file->addSeparator();
    item(file, m_.eruit, "Exit");
    AddEditMenu(bar, m_, binder());
    QMenu* desk = bar->addMenu("&Desk");
    item(desk, m_.Channel_Edit, "Channel Names...");
    item(desk, m_.editpatch, "Patch...");
    item(desk, m_.realoutput, "Output Monitor...");
    item(desk, m_.Chase_Screen, "Sequence Desk...");
    item(desk, m_.CLI_sel, "Command Line...");
    QMenu* setup = bar->addMenu("&Setup");
    item(setup, m_.port_setup, "DMX Output Device...");
    item(setup, m_.Art_setup, "Art-Net...");
    if (Control* sacn = m_.control("sacn_setup")) item(setup, *sacn, "sACN...");
    item(setup, m_.BCF2000_setup, "BCF2000...");
    if (Control* health = m_.control("Output_Health")) item(setup, *health, "Output Health...");
    if (Control* remote = m_.control("remote_setup")) item(setup, *remote, "Web Remote...");
    QMenu* help = bar->addMenu("&Help");
    item(help, m_.Aboutmenu, "About...");
    return bar;
  }

  Hoofdblad& m_;
  QLabel* bankLabel_ = nullptr;
  int shownBank_ = -1;
  std::array<QLabel*, 32> numbers_{};
  std::array<QLineEdit*, 32> names_{};
  std::array<QLineEdit*, 32> levels_{};
  std::array<DeskFader*, 32> faders_{};
};

ViewRegistrar reg("Hoofdblad", [](Form& f, GuiHost& h) { return new HoofdbladView(f, h); });

}  // namespace
}  // namespace lumora::gui
