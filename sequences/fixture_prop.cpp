#include "sequences/fixture_prop.h"

#include <algorithm>

#include "platform/desk_base.h"
#include "core/levels.h"
#include "sequences/chases_form.h"

namespace lumora {

namespace {
constexpr int32_t kMarked = RGB(255, 200, 200);
int32_t EntryColour(const std::string& text) {
  if (text.empty()) return -1;
  const long long v = Val(text);
  if (v < 0 || v > 0xFFFFFF) return -1;
  return static_cast<int32_t>(v);
}
}  // namespace

Fixture_Prop::Fixture_Prop(DeskBase& desk) : Form(desk, "Fixture_Prop") {
  setCaption("Fixture Propertises");
  Label1.setCaption("DMX Output Required");
  Label2.setCaption("Min Output");
  Label3.setCaption("Max Output");
  Check1.setCaption("Enabled");
  Command1.setCaption("Close");
  mnu_load.setCaption("Load Fixture...");
  mnu_save_single.setCaption("Save Fixture...");
  mnu_save_all.setCaption("Save All Fixtures...");
  mnu_clear.setCaption("Clear Fixture");
  mnu_exit.setCaption("Exit");
  Fixture_Sel.onClick = [this] { Fixture_Sel_Click(); };
  Function_Sel.onClick = [this] { Function_Sel_Click(); };
  Fixture_txt.onChange = [this] { Fixture_txt_Change(); };
  Function_txt.onChange = [this] { Function_txt_Change(); };
  Entry.onClick([this](int k) { Entry_Click(k); });
  Button.onChange = [this] { Button_Change(); };
  Output.onChange = [this] { Output_Change(); };
  min_txt.onChange = [this] { min_txt_Change(); };
  max_txt.onChange = [this] { max_txt_Change(); };
  Check1.onClick = [this] { Check1_Click(); };
  colour_bx.onClick = [this] { colour_bx_Click(); };
  Command1.onClick = [this] { Command1_Click(); };
  mnu_exit.onClick = [this] { Command1_Click(); };
  mnu_load.onClick = [this] { this->desk().window<Chases>().Load_fixture_Click(); };
  mnu_save_single.onClick = [this] { this->desk().window<Chases>().Save_Fixture_Single_Click(); };
  mnu_save_all.onClick = [this] { this->desk().window<Chases>().Save_Fixture_all_Click(); };
  mnu_clear.onClick = [this] { this->desk().window<Chases>().Clear_Fixture_Click(); };
}

void Fixture_Prop::Form_Load() { ShowEntry(desk().state.SelectedFixture, 0, 0); }

void Fixture_Prop::fillFixtureList() {
  const DeskState& s = desk().state;
  Fixture_Sel.Clear();
  for (int fx = 0; fx < 20; ++fx) Fixture_Sel.AddItem(s.FixtureName[static_cast<std::size_t>(fx)].empty() ? "-none- " : s.FixtureName[static_cast<std::size_t>(fx)]);
  Fixture_Sel.setListIndex(fx_ < 20 ? fx_ : -1);
}

void Fixture_Prop::fillFunctionList() {
  const DeskState& s = desk().state;
  Function_Sel.Clear();
  for (int f = 0; f < 4; ++f) {
    const std::string& n = s.FixtureFunctionName[static_cast<std::size_t>(fx_)][static_cast<std::size_t>(f)];
    Function_Sel.AddItem(n.empty() ? "Select " + std::to_string(f) : n);
  }
  Function_Sel.setListIndex(f_);
}

void Fixture_Prop::ShowEntry(int fx, int f, int k) {
  fx_ = std::clamp(fx, 0, kFixtureTypes - 1);
  f_ = std::clamp(f, 0, 3);
  k_ = std::clamp(k, 0, 20);
  Refresh();
}

void Fixture_Prop::Refresh() {
  filling_ = true;
  fillFixtureList();
  fillFunctionList();
  Fixture_txt.setText(desk().state.FixtureName[static_cast<std::size_t>(fx_)]);
  Function_txt.setText(desk().state.FixtureFunctionName[static_cast<std::size_t>(fx_)][static_cast<std::size_t>(f_)]);
  filling_ = false;
  showFields();
}

void Fixture_Prop::showFields() {
  const DeskState& s = desk().state;
  const auto x = static_cast<std::size_t>(fx_), f = static_cast<std::size_t>(f_), k = static_cast<std::size_t>(k_);
  filling_ = true;
  for (int e = 0; e < 21; ++e) {
    const auto ei = static_cast<std::size_t>(e);
    const std::string& t = s.FixtureButtonText[x][f][ei];
    Entry[e].setCaption(t.empty() ? std::to_string(e) : t);
    Entry[e].setBackColor(e == k_ ? kMarked : EntryColour(s.FixtureColour[x][f][ei]));
  }
  Entry_Label.setCaption("Entry " + std::to_string(k_));
  Button.setText(s.FixtureButtonText[x][f][k]);
  // Functions 0 and 1 send a value; 2 and 3 hold a range.
  const bool value = f_ < 2;
  Label1.setVisible(value);
  Output.setVisible(value);
  Check1.setVisible(value);
  Label2.setVisible(!value);
  min_txt.setVisible(!value);
  Label3.setVisible(!value);
  max_txt.setVisible(!value);
  Output.setText(std::to_string(s.FixtureLow[x][f][k]));
  min_txt.setText(std::to_string(s.FixtureLow[x][f][k]));
  max_txt.setText(std::to_string(s.FixtureHigh[x][f][k]));
  Check1.setValue(s.FixtureHigh[x][f][k] >= 1 ? 1 : 0);
  colour_bx.setBackColor(EntryColour(s.FixtureColour[x][f][k]));
  filling_ = false;
}

void Fixture_Prop::redrawDesk() {
  Chases& c = desk().window<Chases>();
  if (!c.Loaded()) return;
  c.RefillFixtureList();
  c.RedrawMovingDesk();
}

void Fixture_Prop::Fixture_Sel_Click() {
  const int i = Fixture_Sel.ListIndex();
  if (i < 0) return;
  ShowEntry(i, f_, 0);
}

void Fixture_Prop::Function_Sel_Click() {
  const int i = Function_Sel.ListIndex();
  if (i < 0) return;
  ShowEntry(fx_, i, 0);
}

void Fixture_Prop::Fixture_txt_Change() {
  if (filling_) return;
  desk().state.FixtureName[static_cast<std::size_t>(fx_)] = Fixture_txt.Text();
  if (fx_ < 20) Fixture_Sel.setList(fx_, Fixture_txt.Text().empty() ? "-none- " : Fixture_txt.Text());
  redrawDesk();
}

void Fixture_Prop::Function_txt_Change() {
  if (filling_) return;
  desk().state.FixtureFunctionName[static_cast<std::size_t>(fx_)][static_cast<std::size_t>(f_)] = Function_txt.Text();
  Function_Sel.setList(f_, Function_txt.Text().empty() ? "Select " + std::to_string(f_) : Function_txt.Text());
  redrawDesk();
}

void Fixture_Prop::Entry_Click(int k) {
  k_ = std::clamp(k, 0, 20);
  showFields();
}

void Fixture_Prop::Button_Change() {
  if (filling_) return;
  const std::string t = Button.Text();
  auto& dst = desk().state.FixtureButtonText[static_cast<std::size_t>(fx_)][static_cast<std::size_t>(f_)][static_cast<std::size_t>(k_)];
  if (t.size() < 10) {
    dst = t;
  } else {
    desk().dialogs().Message(" Button description too long", " Text too Long", MsgIcon::Exclamation);
    // One message; the box keeps the nine characters that fit, and they are stored.
    filling_ = true;
    Button.setText(t.substr(0, 9));
    filling_ = false;
    dst = t.substr(0, 9);
  }
  Entry[k_].setCaption(dst.empty() ? std::to_string(k_) : dst);
  redrawDesk();
}

void Fixture_Prop::Output_Change() {
  if (filling_) return;
  const std::string t = Output.Text();
  if (t.find_first_not_of(' ') == std::string::npos) return;
  double v = 0;
  if (ParseReal(t, v) && v >= 0 && v < 256) {
    desk().state.FixtureLow[static_cast<std::size_t>(fx_)][static_cast<std::size_t>(f_)][static_cast<std::size_t>(k_)] = Nearest(v);
    redrawDesk();
  } else {
    desk().dialogs().Message(" Not a valid value, must be 0 - 255", " Channel Value Error", MsgIcon::Exclamation);
  }
}

void Fixture_Prop::min_txt_Change() {
  if (filling_) return;
  const std::string t = min_txt.Text();
  if (t.find_first_not_of(' ') == std::string::npos) return;
  double v = 0;
  if (ParseReal(t, v) && v > -1 && v < 256) {
    desk().state.FixtureLow[static_cast<std::size_t>(fx_)][static_cast<std::size_t>(f_)][static_cast<std::size_t>(k_)] = Nearest(v);
    redrawDesk();
  } else {
    desk().dialogs().Message(" Not a valid value, must be 1 - 255", " Channel Value Error", MsgIcon::Exclamation);
  }
}

void Fixture_Prop::max_txt_Change() {
  if (filling_) return;
  const std::string t = max_txt.Text();
  if (t.find_first_not_of(' ') == std::string::npos) return;
  double v = 0;
  if (ParseReal(t, v) && v > -1 && v < 256) {
    desk().state.FixtureHigh[static_cast<std::size_t>(fx_)][static_cast<std::size_t>(f_)][static_cast<std::size_t>(k_)] = Nearest(v);
    redrawDesk();
  } else {
    desk().dialogs().Message(" Not a valid value, must be 1 - 255", " Channel Value Error", MsgIcon::Exclamation);
  }
}

void Fixture_Prop::Check1_Click() {
  if (filling_) return;
  desk().state.FixtureHigh[static_cast<std::size_t>(fx_)][static_cast<std::size_t>(f_)][static_cast<std::size_t>(k_)] = Check1.Value() ? 1 : 0;
  redrawDesk();
}

void Fixture_Prop::colour_bx_Click() {
  auto& dst = desk().state.FixtureColour[static_cast<std::size_t>(fx_)][static_cast<std::size_t>(f_)][static_cast<std::size_t>(k_)];
  const int32_t cur = EntryColour(dst);
  auto c = desk().dialogs().ChooseColour(" Choose a Colour", cur < 0 ? 0 : cur);
  if (!c) return;
  dst = std::to_string(*c);
  colour_bx.setBackColor(*c);
  showFields();
  redrawDesk();
}

void Fixture_Prop::Command1_Click() {
  desk().state.ProjectChanged = -1;
  redrawDesk();
  Unload();
}

}  // namespace lumora
