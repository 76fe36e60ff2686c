// The fader and button function editors. Both edit one record of their
// table at a time; the shared part (function list, number, channels, level,
// colour chooser, navigation) lives in FunctionEditor.
#pragma once

#include <string>

#include "core/desk_state.h"
#include "core/form.h"

namespace lumora {

// Copies the fields that fader and button function records and the editor's
// fields have in common.
template <typename From, typename To>
void CopySharedFunctionFields(const From& a, To& b) {
  b.Name = a.Name;
  b.Colour = a.Colour;
  b.Value = a.Value;
  b.Function = a.Function;
  b.Channel1 = a.Channel1;
  b.Channel2 = a.Channel2;
  b.Channel3 = a.Channel3;
  b.Data1 = a.Data1;
  b.Data2 = a.Data2;
  b.Data3 = a.Data3;
  b.Level = a.Level;
}

class FunctionEditor : public Form {
 public:
  FunctionEditor(DeskBase& desk, std::string name, bool buttons);

  Control Fun_set{*this, "Fun_set", Kind::ComboBox};
  Control Sequence_Fun{*this, "Sequence_Fun", Kind::ComboBox};
  Control Edit_Label{*this, "Edit_Label", Kind::Label};  // which record is shown
  Control F_Name{*this, "F_Name", Kind::TextBox};
  Control Number_Label{*this, "Number_Label", Kind::Label};
  Control Number{*this, "Number", Kind::TextBox};
  Control Plus{*this, "Plus", Kind::Button};
  Control Minus{*this, "Minus", Kind::Button};
  ControlArray Channel{*this, "Channel", Kind::TextBox, 3};
  ControlArray Channel_Label{*this, "Channel_Label", Kind::Label, 3};
  Control Slider1{*this, "Slider1", Kind::Fader};
  Control Label4{*this, "Label4", Kind::Label};
  Control Level_Box{*this, "Level_Box", Kind::TextBox};
  Control Colour_box{*this, "Colour_box", Kind::Picture};
  Control R_Label{*this, "R_Label", Kind::Label};
  Control G_Label{*this, "G_Label", Kind::Label};
  Control B_Label{*this, "B_Label", Kind::Label};
  Control Pannel_Dec{*this, "Pannel_Dec", Kind::Button};
  Control Pannel_Inc{*this, "Pannel_Inc", Kind::Button};
  Control OK{*this, "OK", Kind::Button};
  Control Cancel{*this, "Cancel", Kind::Button};

  void Form_Load() override;
  // Shows the window on record `index` (-1: the record shown last).
  void OpenOn(int index);
  int Edited() const { return edited_; }
  int RecordCount() const { return buttons_ ? kPlayButtons : kPlayFaders; }

  void Fun_set_Click();
  void Sequence_Fun_Click();
  void Channel_Change(int k);
  void Colour_box_Click();
  void Slider1_Change();
  void OK_Click();
  void Plus_Click() { stepNumber(1); }
  void Minus_Click() { stepNumber(-1); }
  void Pannel_Inc_Click() { stepRecord(1); }
  void Pannel_Dec_Click() { stepRecord(-1); }

 protected:
  // The record's fields as the window edits them.
  struct Fields {
    std::string Name, Colour;
    int16_t Value = 0, Function = 4, Channel1 = 0, Channel2 = 0, Channel3 = 0;
    int16_t Data1 = 0, Data2 = 0, Data3 = 0, Level = 0, Latch = -1, Preset = 0;
    bool operator==(const Fields&) const = default;
  };
  virtual Fields read(int index) const = 0;
  virtual void write(int index, const Fields& f) = 0;
  // Button form extras: shows its own boxes, reads them back.
  virtual void showExtra(const Fields&) {}
  virtual void storeExtra(Fields&) {}
  virtual void layoutExtra(int fn) { (void)fn; }
  // The colour chooser's result was split into r, g, b.
  virtual void colourChosen(int r, int g, int b) { (void)r; (void)g; (void)b; }
  // Channel boxes of a colour function (the button form has its own).
  virtual Control& colourChannel(int k) { return Channel[k]; }

  void show(int index);
  // Window -> fields; false (and a message) when a box holds a bad value.
  bool store(Fields& f);
  void layout();
  int numberMin() const;
  int numberMax() const;
  void stepNumber(int delta);
  void stepRecord(int delta);
  bool readChannel(Control& box, int16_t& out);

  bool buttons_;
  int edited_ = 0;
  std::string swatch_;  // colour text shown by the swatch, "" = button face
};

class Fader_Function_Form : public FunctionEditor {
 public:
  explicit Fader_Function_Form(DeskBase& desk);

 protected:
  Fields read(int index) const override;
  void write(int index, const Fields& f) override;
};

}  // namespace lumora
