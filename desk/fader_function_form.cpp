#include "desk/fader_function_form.h"

#include <algorithm>

#include "platform/desk_base.h"
#include "core/levels.h"
#include "playback/playdesk.h"

namespace lumora {

namespace {
constexpr const char* kChannelRange = " Values must be between 0 and 64";
}  // namespace

FunctionEditor::FunctionEditor(DeskBase& d, std::string name, bool buttons)
    : Form(d, std::move(name)), buttons_(buttons) {
  Plus.setCaption("+");
  Minus.setCaption("-");
  Pannel_Dec.setCaption(buttons ? "<< Button" : "<< Fader");
  Pannel_Inc.setCaption(buttons ? "Button >>" : "Fader >>");
  OK.setCaption("OK");
  Cancel.setCaption("Cancel");
  Label4.setCaption("Level");
  Colour_box.setToolTipText("Click to choose a colour");
  static const char* rgb[3] = {"Red Channel", "Green Channel", "Blue Channel"};
  for (int k = 0; k < 3; ++k) Channel_Label[k].setCaption(rgb[k]);
  Slider1.setRange(0, 255);

  Fun_set.onClick = [this] { Fun_set_Click(); };
  Sequence_Fun.onClick = [this] { Sequence_Fun_Click(); };
  Channel.onChange([this](int k) { Channel_Change(k); });
  Colour_box.onClick = [this] { Colour_box_Click(); };
  Slider1.onChange = [this] { Slider1_Change(); };
  OK.onClick = [this] { OK_Click(); };
  Cancel.onClick = [this] { Unload(); };
  Plus.onClick = [this] { Plus_Click(); };
  Minus.onClick = [this] { Minus_Click(); };
  Pannel_Inc.onClick = [this] { Pannel_Inc_Click(); };
  Pannel_Dec.onClick = [this] { Pannel_Dec_Click(); };
}

void FunctionEditor::Form_Load() {
  Fun_set.Clear();
  for (const char* n : {"Submix", "Preset", "Sequence", "Colour", "Off"}) Fun_set.AddItem(n);
  if (buttons_) Fun_set.AddItem("Cue");
  Sequence_Fun.Clear();
  Sequence_Fun.AddItem("Level");
  Sequence_Fun.AddItem("Step Time");
  show(edited_);
}

void FunctionEditor::OpenOn(int index) {
  Show();
  if (index >= 0) show(index);
}

int FunctionEditor::numberMin() const { return Fun_set.ListIndex() == kFnSubmix ? 1 : 0; }

int FunctionEditor::numberMax() const {
  switch (Fun_set.ListIndex()) {
    case kFnSubmix: return kSubmixes;
    case kFnCue: return kScreens - 1;
    default: return kChaseCount - 2;  // sequences 0..31 run on the play desk
  }
}

void FunctionEditor::show(int index) {
  edited_ = std::clamp(index, 0, RecordCount() - 1);
  const Fields f = read(edited_);
  setCaption(std::string(buttons_ ? "Button Function" : "Fader Function") + " -" + Num(edited_ + 1));
  Edit_Label.setCaption(std::string(buttons_ ? "Button" : "Fader") + Num(edited_ + 1) + " (page" +
                        Num(edited_ / (buttons_ ? 16 : 12) + 1) + ")");
  const int fn = std::clamp<int>(f.Function, 0, Fun_set.ListCount() > 0 ? Fun_set.ListCount() - 1 : 4);
  Fun_set.setListIndex(fn);
  Fun_set.setText(Fun_set.ListCount() > fn ? Fun_set.List(fn) : "");
  F_Name.setText(f.Name);
  Number.setText(std::to_string(fn == kFnSubmix ? f.Value + 1 : f.Value));
  Channel[0].setText(std::to_string(f.Channel1));
  Channel[1].setText(std::to_string(f.Channel2));
  Channel[2].setText(std::to_string(f.Channel3));
  Slider1.setValue(255 - std::clamp<int>(f.Level, 0, 255));
  Level_Box.setText(std::to_string(255 - std::clamp(Slider1.Value(), 0, 255)));
  const int mode = std::clamp<int>(f.Data1, 0, 1);
  Sequence_Fun.setListIndex(mode);
  Sequence_Fun.setText(mode ? "Step Time" : "Level");
  swatch_ = f.Colour;
  Colour_box.setBackColor(f.Colour.empty() ? -1 : static_cast<int32_t>(Val(f.Colour)));
  R_Label.setCaption(std::to_string(f.Data1));
  G_Label.setCaption(std::to_string(f.Data2));
  B_Label.setCaption(std::to_string(f.Data3));
  Pannel_Dec.setEnabled(edited_ > 0);
  Pannel_Inc.setEnabled(edited_ < RecordCount() - 1);
  showExtra(f);
  layout();
}

void FunctionEditor::layout() {
  const int fn = Fun_set.ListIndex();
  const bool number = fn == kFnSubmix || fn == kFnSequence || fn == kFnCue;
  const bool channels = fn == kFnPreset || (fn == kFnColour && !buttons_);
  const bool level = fn == kFnPreset || fn == kFnSequence || (fn == kFnSubmix && buttons_);
  const bool colour = fn == kFnPreset || fn == kFnColour;
  Number_Label.setCaption(fn == kFnSubmix ? "Submix" : fn == kFnCue ? "Screen" : "Sequence");
  for (Control* c : {&Number_Label, &Number, &Plus, &Minus}) c->setVisible(number);
  for (int k = 0; k < 3; ++k) {
    Channel[k].setVisible(channels);
    Channel_Label[k].setVisible(channels);
    Channel_Label[k].setCaption(fn == kFnColour ? (k == 0 ? "Red Channel" : k == 1 ? "Green Channel" : "Blue Channel")
                                                : "Channel" + Num(k + 1));
  }
  for (Control* c : {&Slider1, &Label4, &Level_Box}) c->setVisible(level);
  Sequence_Fun.setVisible(fn == kFnSequence && !buttons_);
  Colour_box.setVisible(colour);
  F_Name.setVisible(fn != kFnOff);
  for (Control* c : {&R_Label, &G_Label, &B_Label}) c->setVisible(fn == kFnColour);
  if (fn == kFnSequence && !buttons_) Sequence_Fun_Click();
  else Label4.setCaption("Level");
  if (number) {
    const int n = static_cast<int>(Val(Number.Text()));
    Plus.setEnabled(n < numberMax());
    Minus.setEnabled(n > numberMin());
  }
  layoutExtra(fn);
}

void FunctionEditor::Fun_set_Click() { layout(); }

void FunctionEditor::Sequence_Fun_Click() {
  Label4.setCaption(Sequence_Fun.ListIndex() == 1 ? "Step Time" : "Level");
}

bool FunctionEditor::readChannel(Control& box, int16_t& out) {
  long long v = 0;
  if (!ParseInt(box.Text(), v) || v < 0 || v > kDeskChannels) {
    desk().dialogs().Message(kChannelRange, " Channel Error", MsgIcon::Exclamation);
    return false;
  }
  out = static_cast<int16_t>(v);
  return true;
}

void FunctionEditor::Channel_Change(int k) {
  if (k < 0 || k >= 3) return;
  const long long v = Val(Channel[k].Text());
  if (v < 0 || v > kDeskChannels) desk().dialogs().Message(kChannelRange, " Channel Error", MsgIcon::Exclamation);
}

void FunctionEditor::Colour_box_Click() {
  const int32_t initial = swatch_.empty() ? 0 : static_cast<int32_t>(Val(swatch_));
  // A cancelled chooser keeps the colour it started from.
  const int32_t c = desk().dialogs().ChooseColour(" Choose a Colour", initial).value_or(initial);
  swatch_ = std::to_string(c);
  Colour_box.setBackColor(c);
  const Rgb p = SplitColour(swatch_);
  R_Label.setCaption(std::to_string(p.red));
  G_Label.setCaption(std::to_string(p.green));
  B_Label.setCaption(std::to_string(p.blue));
  colourChosen(p.red, p.green, p.blue);
}

void FunctionEditor::Slider1_Change() { Level_Box.setText(std::to_string(255 - std::clamp(Slider1.Value(), 0, 255))); }

bool FunctionEditor::store(Fields& f) {
  f = read(edited_);
  const int fn = Fun_set.ListIndex();
  if (fn < 0 || fn >= Fun_set.ListCount()) return true;  // nothing chosen: the record stays
  auto number = [this](int16_t& out, int offset) {
    long long v = 0;
    if (!ParseInt(Number.Text(), v) || v < numberMin() || v > numberMax()) {
      desk().dialogs().Message(" Values must be between" + Num(numberMin()) + " and" + Num(numberMax()),
                               " Number Error", MsgIcon::Exclamation);
      return false;
    }
    out = static_cast<int16_t>(v - offset);
    return true;
  };
  const int16_t level = static_cast<int16_t>(255 - std::clamp(Slider1.Value(), 0, 255));
  f.Function = static_cast<int16_t>(fn);
  switch (fn) {
    case kFnSubmix:
      if (!number(f.Value, 1)) return false;
      if (buttons_) f.Level = level;
      break;
    case kFnPreset:
      if (!readChannel(Channel[0], f.Channel1) || !readChannel(Channel[1], f.Channel2) ||
          !readChannel(Channel[2], f.Channel3))
        return false;
      f.Level = level;
      f.Colour = swatch_;
      f.Name = F_Name.Text();
      break;
    case kFnSequence:
      if (!number(f.Value, 0)) return false;
      if (!buttons_) f.Data1 = static_cast<int16_t>(std::max(0, Sequence_Fun.ListIndex()));
      f.Level = level;
      break;
    case kFnColour:
      if (!readChannel(colourChannel(0), f.Channel1) || !readChannel(colourChannel(1), f.Channel2) ||
          !readChannel(colourChannel(2), f.Channel3))
        return false;
      if (!buttons_) {
        f.Data1 = static_cast<int16_t>(Val(R_Label.Caption()));
        f.Data2 = static_cast<int16_t>(Val(G_Label.Caption()));
        f.Data3 = static_cast<int16_t>(Val(B_Label.Caption()));
      }
      f.Colour = swatch_;
      f.Name = F_Name.Text();
      break;
    case kFnCue:
      if (!number(f.Value, 0)) return false;
      break;
    default:
      break;
  }
  storeExtra(f);
  return true;
}

void FunctionEditor::OK_Click() {
  Fields f;
  if (!store(f)) return;
  write(edited_, f);
  desk().state.ProjectChanged = -1;
  Playdesk& pd = desk().window<Playdesk>();
  pd.RedrawPlaydesk();
  pd.RecomputeFunctionLevels();
  Unload();
}

void FunctionEditor::stepNumber(int delta) {
  const int n = std::clamp(static_cast<int>(Val(Number.Text())) + delta, numberMin(), numberMax());
  Number.setText(std::to_string(n));
  Plus.setEnabled(n < numberMax());
  Minus.setEnabled(n > numberMin());
}

void FunctionEditor::stepRecord(int delta) {
  // The shown record is kept before moving on, so no edit is lost.
  Fields f;
  if (!store(f)) return;
  if (!(f == read(edited_))) {
    write(edited_, f);
    desk().state.ProjectChanged = -1;
    desk().window<Playdesk>().RedrawPlaydesk();
    desk().window<Playdesk>().RecomputeFunctionLevels();
  }
  show(edited_ + delta);
}

// ------------------------------------------------------------------ faders

Fader_Function_Form::Fader_Function_Form(DeskBase& d) : FunctionEditor(d, "Fader_Function_Form", false) {
  setCaption("Fader Function");
}

FunctionEditor::Fields Fader_Function_Form::read(int index) const {
  const FaderFunctionRec& r = desk().state.FaderFunctions[static_cast<std::size_t>(std::clamp(index, 0, kPlayFaders))];
  Fields f;
  CopySharedFunctionFields(r, f);
  return f;
}

void Fader_Function_Form::write(int index, const Fields& f) {
  if (index < 0 || index > kPlayFaders) return;
  CopySharedFunctionFields(f, desk().state.FaderFunctions[static_cast<std::size_t>(index)]);
}

}  // namespace lumora
