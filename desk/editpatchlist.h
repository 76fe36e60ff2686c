// The patch editor: 128 DMX slots at a time, each with the desk channel that
// feeds it, over 13 overlapping panels of the 512 slots.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/form.h"

namespace lumora {

class editpatchlist : public Form {
 public:
  explicit editpatchlist(DeskBase& desk);

  static constexpr int kBoxes = 128;
  static constexpr int kLastPanel = 12;

  ControlArray Label1{*this, "Label1", Kind::Label, kBoxes};
  ControlArray Text1{*this, "Text1", Kind::TextBox, kBoxes};
  Control Label4{*this, "Label4", Kind::Label};
  Control Pannel_Dec{*this, "Pannel_Dec", Kind::Button};
  Control Pannel_Inc{*this, "Pannel_Inc", Kind::Button};
  Control Command1{*this, "Command1", Kind::Button};  // OK
  Control Command2{*this, "Command2", Kind::Button};  // clear the shown panel
  Control Command3{*this, "Command3", Kind::Button};  // channel names

  // The panel shown: frame indices PatchPanel * 32 + 0..127.
  int16_t PatchPanel = 0;

  void Form_Load() override;

  void ShowPatchPanel();
  void ApplyPatchPanel();
  void Pannel_Dec_Click();
  void Pannel_Inc_Click();
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Text1_Change(int k);
  void Text1_DblClick(int k);

  // Frame index of box k on the shown panel.
  int SlotOf(int k) const { return PatchPanel * 32 + k; }
};

// The channel a patch box's text names: its integer part when the text is a
// number, nullopt when it is not a number or lies outside 0..64.
std::optional<int> PatchNumber(std::string_view text);

}  // namespace lumora
