#include "desk/editpatchlist.h"

#include <cctype>
#include <cmath>
#include <string>

#include "platform/desk_base.h"
#include "desk/channel_names.h"
#include "desk/hoofdblad.h"
#include "core/levels.h"
#include "playback/playdesk.h"

namespace lumora {

std::optional<int> PatchNumber(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
  text = text.substr(b, e - b);
  // A plain decimal number: optional sign, digits, optional fraction.
  std::size_t p = 0;
  if (p < text.size() && (text[p] == '+' || text[p] == '-')) ++p;
  std::size_t digits = 0;
  while (p < text.size() && std::isdigit(static_cast<unsigned char>(text[p]))) ++p, ++digits;
  if (p < text.size() && text[p] == '.') {
    ++p;
    while (p < text.size() && std::isdigit(static_cast<unsigned char>(text[p]))) ++p, ++digits;
  }
  if (digits == 0 || p != text.size() || text.size() > 32) return std::nullopt;
  const double v = std::stod(std::string(text));
  const double x = std::floor(v);
  if (x < 0 || x > 64) return std::nullopt;
  return static_cast<int>(x);
}

editpatchlist::editpatchlist(DeskBase& desk) : Form(desk, "editpatchlist") {
  setCaption("Edit patchlist ");
  Pannel_Dec.setCaption("<<");
  Pannel_Inc.setCaption(">>");
  Command1.setCaption("OK");
  Command2.setCaption("Clear");
  Command3.setCaption("Channel Names");
  Pannel_Dec.setToolTipText("Previous 32 DMX channels");
  Pannel_Inc.setToolTipText("Next 32 DMX channels");
  Command2.setToolTipText("Unpatch the DMX channels shown");
  desk.registry().bind("PatchPanel", PatchPanel);

  Pannel_Dec.onClick = [this] { Pannel_Dec_Click(); };
  Pannel_Inc.onClick = [this] { Pannel_Inc_Click(); };
  Command1.onClick = [this] { Command1_Click(); };
  Command2.onClick = [this] { Command2_Click(); };
  Command3.onClick = [this] { Command3_Click(); };
  Text1.onChange([this](int k) { Text1_Change(k); });
  Text1.onClick([this](int k) { Text1[k].SetFocus(); });
  Text1.onDblClick([this](int k) { Text1_DblClick(k); });
  Text1.onMouseDown([this](int k, MouseButton b, int, int) {
    if (b == MouseButton::Right) Text1_DblClick(k);
  });
}

void editpatchlist::Form_Load() {
  PatchPanel = 0;
  ShowPatchPanel();
}

void editpatchlist::ShowPatchPanel() {
  // The console may have written the panel number directly.
  if (PatchPanel < 0 || PatchPanel > kLastPanel) PatchPanel = 0;
  const DeskState& s = desk().state;
  for (int k = 0; k < kBoxes; ++k) {
    const int slot = SlotOf(k);
    Label1[k].setCaption("DMX ch " + Num(slot + 1));
    Text1[k].setToolTipText(" Select Desh Channel for DMX ch" + Num(slot + 1));
    Text1[k].setText(Num(s.PatchTable[slot]));
  }
  Pannel_Dec.setEnabled(PatchPanel != 0);
  Pannel_Inc.setEnabled(PatchPanel != kLastPanel);
  Label4.setCaption("DMX Lights ( " + std::to_string(PatchPanel * 32 + 1) + " - " +
                    std::to_string(PatchPanel * 32 + kBoxes) + " )");
}

void editpatchlist::ApplyPatchPanel() {
  DeskBase& d = desk();
  DeskState& s = d.state;
  if (PatchPanel < 0 || PatchPanel > kLastPanel) PatchPanel = 0;
  for (int k = 0; k < kBoxes; ++k) {
    const std::string& t = Text1[k].Text();
    if (t.empty()) {
      s.PatchTable[SlotOf(k)] = 0;
      continue;
    }
    // Typing is checked as it happens; a box that still holds no valid
    // channel keeps the slot's patch as it was.
    if (auto x = PatchNumber(t)) s.PatchTable[SlotOf(k)] = static_cast<int16_t>(*x);
  }
  d.window<Hoofdblad>().Status.setText(" Patches Updated");
  d.window<Playdesk>().Status.setText(" Patches Updated");
  s.ProjectChanged = -1;
  if (d.window<Channel_Names>().Loaded()) d.window<Channel_Names>().ShowChannelInfo();
}

void editpatchlist::Pannel_Dec_Click() {
  ApplyPatchPanel();
  if (PatchPanel > 0) --PatchPanel;
  ShowPatchPanel();
}

void editpatchlist::Pannel_Inc_Click() {
  ApplyPatchPanel();
  if (PatchPanel < kLastPanel) ++PatchPanel;
  ShowPatchPanel();
}

void editpatchlist::Command1_Click() {
  ApplyPatchPanel();
  desk().state.ProjectChanged = -1;
  Unload();
}

void editpatchlist::Command2_Click() {
  DeskBase& d = desk();
  if (PatchPanel < 0 || PatchPanel > kLastPanel) PatchPanel = 0;
  for (int k = 0; k < kBoxes; ++k) d.state.PatchTable[SlotOf(k)] = 0;
  ShowPatchPanel();
  d.window<Hoofdblad>().Status.setText(" Patches All Cleared");
  d.window<Playdesk>().Status.setText(" Patches All Cleared");
  d.state.ProjectChanged = -1;
  if (d.window<Channel_Names>().Loaded()) d.window<Channel_Names>().ShowChannelInfo();
}

void editpatchlist::Command3_Click() {
  Channel_Names& w = desk().window<Channel_Names>();
  w.Show();
  w.ShowChannelInfo();
}

void editpatchlist::Text1_Change(int k) {
  const std::string& t = Text1[k].Text();
  if (t.empty() || PatchNumber(t)) return;
  desk().dialogs().Message(" Not a valid Patch Number must be 1 - 64", " Patch Error", MsgIcon::Exclamation);
  Text1[k].setText("0");
}

void editpatchlist::Text1_DblClick(int k) {
  auto x = PatchNumber(Text1[k].Text());
  if (!x || *x < 1) return;
  desk().state.SelectedChannel = static_cast<int16_t>(*x - 1);
  Command3_Click();
}

}  // namespace lumora
