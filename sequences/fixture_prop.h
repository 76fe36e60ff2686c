// The fixture properties window ("Fixture Propertises"): edits one fixture
// type, function by function and entry by entry.
#pragma once

#include "core/form.h"

namespace lumora {

class Fixture_Prop : public Form {
 public:
  explicit Fixture_Prop(DeskBase& desk);

  Control Fixture_Sel{*this, "Fixture_Sel", Kind::ComboBox};
  Control Function_Sel{*this, "Function_Sel", Kind::ComboBox};
  Control Fixture_txt{*this, "Fixture_txt", Kind::TextBox};
  Control Function_txt{*this, "Function_txt", Kind::TextBox};
  // The entry grid: pressing an entry's button chooses it.
  ControlArray Entry{*this, "Entry", Kind::Button, 21};
  Control Entry_Label{*this, "Entry_Label", Kind::Label};
  Control Button{*this, "Button", Kind::TextBox};
  Control Label1{*this, "Label1", Kind::Label};
  Control Output{*this, "Output", Kind::TextBox};
  Control Label2{*this, "Label2", Kind::Label};
  Control min_txt{*this, "min_txt", Kind::TextBox};
  Control Label3{*this, "Label3", Kind::Label};
  Control max_txt{*this, "max_txt", Kind::TextBox};
  Control Check1{*this, "Check1", Kind::CheckBox};
  Control colour_bx{*this, "colour_bx", Kind::Picture};
  Control Command1{*this, "Command1", Kind::Button};
  Control mnu_load{*this, "mnu_load", Kind::Menu};
  Control mnu_save_single{*this, "mnu_save_single", Kind::Menu};
  Control mnu_save_all{*this, "mnu_save_all", Kind::Menu};
  Control mnu_clear{*this, "mnu_clear", Kind::Menu};
  Control mnu_exit{*this, "mnu_exit", Kind::Menu};

  void Form_Load() override;

  // Shows fixture fx, function f, entry k (from the chase editor's pop-up).
  void ShowEntry(int fx, int f, int k);
  // Lists and fields from the tables (after a load or clear).
  void Refresh();

  void Fixture_Sel_Click();
  void Function_Sel_Click();
  void Fixture_txt_Change();
  void Function_txt_Change();
  void Entry_Click(int k);
  void Button_Change();
  void Output_Change();
  void min_txt_Change();
  void max_txt_Change();
  void Check1_Click();
  void colour_bx_Click();
  void Command1_Click();

  int fixture() const { return fx_; }
  int function() const { return f_; }
  int entry() const { return k_; }

 private:
  void fillFixtureList();
  void fillFunctionList();
  void showFields();
  void redrawDesk();
  int fx_ = 0, f_ = 0, k_ = 0;
  bool filling_ = false;
};

}  // namespace lumora
