// The instant-screen panel: a column of up to 15 screen buttons.
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/view.h"
#include "playback/instant_screen.h"

namespace lumora::gui {
namespace {

class InstantScreenView : public FormView {
 public:
  InstantScreenView(Form& f, GuiHost& h) : FormView(f, h) {
    auto& m = static_cast<instant_screen&>(f);
    auto* root = new QVBoxLayout(this);
    for (int k = 0; k < instant_screen::kButtons; ++k) {
      auto* b = new QPushButton(this);
      b->setMinimumSize(160, 30);
      binder().bind(b, m.Screen_sel[k]);
      root->addWidget(b);
    }
    root->addStretch(1);
    resize(200, sizeHint().height());
  }

  // The panel is as tall as its shown buttons: no empty band under a few
  // screens, no clipped buttons under many.
  void syncView() override {
    FormView::syncView();
    if (formChanged()) fit();
  }

 protected:
  void showEvent(QShowEvent* e) override {
    FormView::showEvent(e);
    fit();
  }

 private:
  void fit() {
    if (!layout()) return;
    layout()->activate();
    const int h = sizeHint().height();
    if (isVisible() && height() != h) resize(width(), h);
  }
};

ViewRegistrar reg("instant_screen", [](Form& f, GuiHost& h) { return new InstantScreenView(f, h); });

}  // namespace
}  // namespace lumora::gui
