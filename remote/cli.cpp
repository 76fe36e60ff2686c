#include "remote/cli.h"

#include <cstdio>

#include "platform/desk_base.h"
#include "core/levels.h"
#include "playback/playdesk.h"
#include "remote/cli_hooks.h"

namespace lumora {

namespace {
constexpr int32_t kLightGrey = RGB(224, 224, 224);
constexpr int32_t kGreen = RGB(0, 255, 0);
constexpr int32_t kRed = RGB(255, 0, 0);

bool IsNumber(const std::string& t) {
  if (t.empty()) return false;
  for (char c : t)
    if (c < '0' || c > '9') return false;
  return true;
}

// A real number as the desk writes it in texts: one leading blank when not
// negative, up to 15 significant digits.
std::string GeneralNumber(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.15G", v);
  std::string s = buf;
  return v >= 0 ? " " + s : s;
}
}  // namespace

CLI::CLI(DeskBase& desk) : Form(desk, "CLI") {
  setCaption("Command Line");
  Command1.setCaption("Close");
  Label1.setCaption("Keypad: n . level   n * m   n +   n /   C n   Enter");
  Command1.onClick = [this] { Unload(); };
  desk.registry().bind("CliTokens", CliTokens);
  desk.registry().bind("CliFaderMark", CliFaderMark);
  desk.registry().bind("CliCursor", CliCursor);
  desk.registry().bind("CliLevel", CliLevel);
  desk.registry().bind("CliError", CliError);
}

void CLI::Form_Load() { ClearLine(); }

void CLI::KeyInput(int keyCode) { Form_KeyDown(keyCode, 0); }

void CLI::Indicate(int32_t colour) { Shape1.setBackColor(colour); }

void CLI::Refuse() {
  CliError = -1;
  Indicate(kRed);
}

void CLI::ClearLine() {
  for (auto& t : CliTokens) t.clear();
  CliFaderMark.fill(0);
  CliCursor = 0;
  String_In.setText("");
}

void CLI::ShowLine() {
  std::string line;
  for (int k = 0; k <= CliCursor && k <= 100; ++k) {
    if (CliTokens[k].empty()) continue;
    if (!line.empty()) line += ' ';
    if (CliFaderMark[k]) line += 'S';
    line += CliTokens[k];
  }
  String_In.setText(line);
}

void CLI::Form_KeyDown(int keyCode, int shift) {
  (void)shift;
  // Keys handed over from the main desk reach the window even when closed.
  Load();
  Indicate(kLightGrey);
  std::string& tok = CliTokens[CliCursor];
  if (keyCode >= kKeypad0 && keyCode <= kKeypad9) {
    tok += static_cast<char>('0' + (keyCode - kKeypad0));
    if (tok.size() >= 4) tok.resize(3);
    if (tok == "000" && CliCursor >= 2) {
      if (CliTokens[CliCursor - 1] == "@") tok = "100";
      else Refuse();
    }
  } else if (keyCode == kMultiply || keyCode == kAdd) {
    // Room for the operator and the next token is needed in the 101 tokens.
    if (CliCursor + 2 > 100) {
      Refuse();
      return;
    }
    CliTokens[CliCursor + 1] = keyCode == kMultiply ? "Thru" : "+";
    CliCursor = static_cast<int16_t>(CliCursor + 2);
  } else if (keyCode == kDecimal) {
    if (CliCursor >= 1 && CliTokens[CliCursor - 1] == "@") {
      ClearLine();
      return;
    }
    if (CliCursor + 2 > 100) {
      Refuse();
      return;
    }
    CliTokens[CliCursor + 1] = "@";
    CliCursor = static_cast<int16_t>(CliCursor + 2);
  } else if (keyCode == kDivide) {
    CliFaderMark[CliCursor] = -1;
  } else if (keyCode == kC) {
    if (CliCursor == 0 && CliTokens[0].empty()) {
      CliTokens[0] = "c";
      CliCursor = 1;
    }
  } else if (keyCode == kBackspace) {
    tok.clear();
  } else if (keyCode == kNumLock) {
    // The keypad delivers its own key codes on this platform whatever the
    // Num Lock state, so there is nothing to switch.
  } else if (keyCode == kEnter) {
    Enter();
    return;
  } else {
    return;  // keypad minus and every other key: ignored
  }
  ShowLine();
}

void CLI::Enter() {
  CliError = 0;
  if (CliCursor <= 1) {
    const bool done = ScreenCallOrQuery();
    // The line is empty after every command; a query leaves its answer shown.
    const std::string shown = String_In.Text();
    ClearLine();
    if (done) String_In.setText(shown);
    return;
  }
  LevelCommand();
}

bool CLI::ScreenCallOrQuery() {
  DeskBase& d = desk();
  DeskState& s = d.state;
  if (CliTokens[0] == "c") {
    if (!IsNumber(CliTokens[1])) {
      Refuse();
      return false;
    }
    const int n = static_cast<int>(Val(CliTokens[1]));
    if (n >= kScreens) {  // no such screen: refused, never followed
      Refuse();
      return false;
    }
    CliScreenCall(d, n);
    const std::string text = "Cue " + CliTokens[1] + " Selected";
    d.mainDesk().Status.setText(text);
    d.window<Playdesk>().Status.setText(text);
    Indicate(kGreen);
    return true;
  }
  const std::string& t = CliTokens[CliCursor];
  if (!IsNumber(t)) {
    Refuse();
    return false;
  }
  const int n = static_cast<int>(Val(t));
  if (CliFaderMark[CliCursor]) {
    if (n < 1 || n > kPlayFaders + 1) {
      Refuse();
      return false;
    }
    String_In.setText("Submix Channel " + t + " = " + GeneralNumber(s.PlayFaderLevel[n - 1] / 2.55) + "%");
  } else {
    if (n < 1 || n > kDeskChannels) {
      Refuse();
      return false;
    }
    String_In.setText("Main Channel " + t + " = " + GeneralNumber(s.DeskLevels[n - 1] / 2.55) + "%");
  }
  Indicate(kGreen);
  return true;
}

bool CLI::SetTarget(int n, bool fader, int level) {
  DeskBase& d = desk();
  if (fader) {
    if (n < 1 || n > kPlayFaders + 1) return false;  // past the fader table: skipped
    d.state.PlayFaderLevel[n - 1] = static_cast<int16_t>(level);
    CliFaderChanged(d, n - 1);
  } else {
    if (n < 1 || n > kDeskChannels) return false;
    d.state.DeskLevels[n - 1] = static_cast<int16_t>(level);
    CliChannelChanged(d, n - 1);
  }
  return true;
}

void CLI::LevelCommand() {
  DeskBase& d = desk();
  const std::string& last = CliTokens[CliCursor];
  if (!IsNumber(last) || CliTokens[CliCursor - 1] != "@") {
    Refuse();
    ClearLine();
    return;
  }
  CliLevel = static_cast<int16_t>(Val(last));
  // Percent to level exactly (50 % is 127.5, which rounds to 128); more than
  // 100 % is held at full.
  int level = static_cast<int>(DivRoundHalfEven(CliLevel * 255L, 100));
  if (level > 255) level = 255;

  auto single = [&](int i) {
    const std::string& t = CliTokens[i];
    const int n = IsNumber(t) ? static_cast<int>(Val(t)) : -1;
    if (n < 1 || n > 60 || !SetTarget(n, CliFaderMark[i] != 0, level)) return false;
    return true;
  };

  int i = 0;
  while (i + 1 <= 100) {
    const std::string& op = CliTokens[i + 1];
    if (op == "@") {
      if (single(i)) Indicate(kGreen);
      else Refuse();
      break;
    }
    if (op == "+") {
      if (!single(i)) Refuse();
      i += 2;
      continue;
    }
    if (op == "Thru" && i + 2 <= 100) {
      if (!IsNumber(CliTokens[i]) || !IsNumber(CliTokens[i + 2])) {
        Refuse();
        break;
      }
      int a = static_cast<int>(Val(CliTokens[i]));
      int b = static_cast<int>(Val(CliTokens[i + 2]));
      if (a < 1) a = 1;
      if (a > 64) a = 64;
      if (b < 1) b = 2;
      if (b > 64) b = 64;
      if (b < a) std::swap(a, b);
      const bool fader = CliFaderMark[i] != 0;
      for (int n = a; n <= b; ++n) SetTarget(n, fader, level);
      Indicate(kGreen);
      const std::string& next = i + 3 <= 100 ? CliTokens[i + 3] : std::string();
      if (next == "@") break;
      if (next == "+") {
        i += 4;
        continue;
      }
      Refuse();
      i += 3;
      continue;
    }
    break;
  }

  const std::string text = "CLI -" + String_In.Text();
  d.mainDesk().Status.setText(text);
  d.window<Playdesk>().Status.setText(text);
  d.mainDesk().RefreshDesk();
  d.window<Playdesk>().RedrawPlaydesk();
  d.window<Playdesk>().RecomputeFunctionLevels();
  ClearLine();
}

}  // namespace lumora
