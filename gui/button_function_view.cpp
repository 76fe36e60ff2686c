// The button function editor window: the shared editor layout plus latch,
// the colour preset box and the red, green and blue channels.
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "desk/button_function_form.h"
#include "gui/view.h"
#include "gui/widgets.h"

namespace lumora::gui {

void LayOutFunctionEditor(FormView& v, FunctionEditor& m, QLayout* extra);

namespace {

class ButtonFunctionView : public FormView {
 public:
  ButtonFunctionView(Form& f, GuiHost& h) : FormView(f, h) {
    auto& m = static_cast<Button_Function_Form&>(f);
    auto* g = new QGridLayout;
    auto* latch = new QCheckBox(this);
    binder().bind(latch, m.Latch);
    auto* preset = new QCheckBox(this);
    binder().bind(preset, m.Preset_Col);
    g->addWidget(latch, 0, 0, 1, 2);
    g->addWidget(preset, 0, 2, 1, 2);
    const std::pair<Control*, Control*> rows[] = {
        {&m.Red_Channel, &m.Red_Box}, {&m.Green_Channel, &m.Green_Box}, {&m.Blue_Channel, &m.Blue_Box}};
    const char* names[] = {"Red Channel", "Green Channel", "Blue Channel"};
    rgb_ = new QWidget(this);
    auto* rg = new QGridLayout(rgb_);
    rg->setContentsMargins(0, 0, 0, 0);
    for (int k = 0; k < 3; ++k) {
      auto* l = new QLabel(names[k], rgb_);
      auto* box = new QLineEdit(rgb_);
      box->setFixedWidth(60);
      binder().bind(box, *rows[k].first);
      auto* patch = new ColourPatch(*rows[k].second, rgb_);
      patch->setFixedSize(30, 20);
      binder().bindCustom(patch, *rows[k].second);
      rg->addWidget(l, k, 0);
      rg->addWidget(box, k, 1);
      rg->addWidget(patch, k, 2);
    }
    g->addWidget(rgb_, 1, 0, 1, 4);
    LayOutFunctionEditor(*this, m, g);
    resize(440, 460);
  }

  void syncView() override {
    FormView::syncView();
    // The colour rows (labels included) show only for a colour function.
    const bool on = static_cast<Button_Function_Form&>(form()).Red_Channel.Visible();
    if (rgb_->isVisibleTo(this) != on) rgb_->setVisible(on);
  }

 private:
  QWidget* rgb_ = nullptr;
};

ViewRegistrar reg("Button_Function_Form", [](Form& f, GuiHost& h) { return new ButtonFunctionView(f, h); });

}  // namespace
}  // namespace lumora::gui
