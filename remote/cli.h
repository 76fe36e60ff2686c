// The keypad command line: levels for desk channels and playback faders in
// percent, and screen calls, typed as a lighting console takes them
// ("5 @ 50", "1 Thru 8 @ 100", "3/ @ 40", "C 12").
#pragma once

#include <array>
#include <string>

#include "core/form.h"

namespace lumora {

class CLI : public Form {
 public:
  explicit CLI(DeskBase& desk);

  Control String_In{*this, "String_In", Kind::TextBox};
  Control Shape1{*this, "Shape1", Kind::Picture};  // the indicator
  Control Command1{*this, "Command1", Kind::Button};
  Control Label1{*this, "Label1", Kind::Label};

  std::array<std::string, 101> CliTokens{};
  std::array<int16_t, 101> CliFaderMark{};
  int16_t CliCursor = 0;
  int16_t CliLevel = 0;
  int16_t CliError = 0;

  void Form_Load() override;
  void Form_KeyDown(int keyCode, int shift) override;
  // A key pressed on the main desk (its key code), handed to the command line.
  void KeyInput(int keyCode);

  // Key codes of the keypad.
  enum Key : int {
    kKeypad0 = 96,
    kKeypad9 = 105,
    kMultiply = 106,
    kAdd = 107,
    kSubtract = 109,
    kDecimal = 110,
    kDivide = 111,
    kC = 67,
    kBackspace = 8,
    kNumLock = 144,
    kEnter = 13,
  };

 private:
  void ClearLine();
  void ShowLine();
  void Enter();
  bool ScreenCallOrQuery();
  void LevelCommand();
  // Sets target n (1-based) to level L; false when n is outside its table.
  bool SetTarget(int n, bool fader, int level);
  void Indicate(int32_t colour);
  void Refuse();
};

}  // namespace lumora
