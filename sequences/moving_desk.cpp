// The chase editor's moving-light desk and its fixture-file operations.
#include <algorithm>
#include <fstream>
#include <sstream>

#include "platform/desk_base.h"
#include "core/levels.h"
#include "core/safe_file.h"
#include "sequences/chases_form.h"
#include "sequences/fixture_file.h"
#include "sequences/fixture_prop.h"

namespace lumora {

namespace {
constexpr int32_t kWhite = RGB(255, 255, 255);
constexpr int32_t kMarked = RGB(255, 0, 0);
constexpr const char* kFixtureFilter = "FXT|*.FXT";
constexpr const char* kSystemFaceText = "-2147483633";

int32_t EntryColour(const std::string& text) {
  if (text.empty()) return -1;
  const long long v = Val(text);
  if (v < 0 || v > 0xFFFFFF) return -1;
  return static_cast<int32_t>(v);
}

// Level of a position slider p (0 at the top) in the range (lo, hi).
int PositionLevel(int p, int lo, int hi) {
  return std::clamp<int>(Nearest((255 - p) * static_cast<double>(hi - lo) / 255.0 + lo), 0, 255);
}
// Slider position for a stored level in the range (lo, hi).
int PositionOf(int level, int lo, int hi) {
  return std::clamp<int>(Nearest(255 - (level - lo) * 255.0 / (hi - lo + 0.1)), 0, 255);
}

std::string WithExtension(std::string path) {
  const auto slash = path.find_last_of("/\\");
  const auto dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) path += ".FXT";
  return path;
}
}  // namespace

void Chases::RefillFixtureList() {
  const DeskState& s = desk().state;
  Fixture_Sel.Clear();
  for (int fx = 0; fx < 20; ++fx) Fixture_Sel.AddItem(s.FixtureName[static_cast<std::size_t>(fx)].empty() ? "-none- " : s.FixtureName[static_cast<std::size_t>(fx)]);
  Fixture_Sel.setListIndex(s.SelectedFixture < 20 ? s.SelectedFixture : -1);
}

void Chases::Show_Moving_Click() {
  movingShown_ = !movingShown_;
  Show_Moving.setCaption(movingShown_ ? "Hide Moving" : "Show Moving");
  show_moving_desk.setCaption(movingShown_ ? "Hide Moving Light Desk" : "Moving Light Desk");
  Moving_Desk.setVisible(movingShown_);
  mnu_Fixture.setEnabled(movingShown_);
  if (movingShown_) RedrawMovingDesk();
}

void Chases::RedrawMovingDesk() {
  const DeskState& s = desk().state;
  const auto sel = static_cast<std::size_t>(std::clamp<int>(s.SelectedFixture, 0, kFixtureTypes - 1));
  const ChaseRecord& r = chase();
  const auto st = static_cast<std::size_t>(step());
  loading_ = true;
  RefillFixtureList();  // names may have changed in the properties window or a file
  for (int f = 0; f < 4; ++f) {
    const auto fi = static_cast<std::size_t>(f);
    Function_txt[f].setCaption(s.FixtureFunctionName[sel][fi]);
    const bool on = r.Fade[st][18 + fi] != kChaseOff;
    for (int k = 0; k < kMoveEntries; ++k) {
      const auto ki = static_cast<std::size_t>(k);
      Control& b = moveArray(f)[k];
      Control& ind = indArray(f)[k];
      const bool shown = s.FixtureHigh[sel][fi][ki] >= 1;
      b.setCaption(s.FixtureButtonText[sel][fi][ki]);
      b.setBackColor(EntryColour(s.FixtureColour[sel][fi][ki]));
      b.setVisible(shown);
      b.setEnabled(on);
      ind.setVisible(shown);
      ind.setBackColor(r.Fix[st][fi] == k ? kMarked : kWhite);
    }
  }
  for (int f = 2; f <= 3; ++f) {
    const auto fi = static_cast<std::size_t>(f);
    const auto k = static_cast<std::size_t>(std::clamp<int>(r.Fix[st][fi], 0, 20));
    Control& sl = f == 2 ? Slider5 : Slider6;
    sl.setValue(PositionOf(r.Data[st][18 + fi], s.FixtureLow[sel][fi][k], s.FixtureHigh[sel][fi][k]));
    sl.setEnabled(r.Fade[st][18 + fi] != kChaseOff);
  }
  Slider7.setValue(std::clamp(255 - r.Data[st][22], 0, 255));
  Slider8.setValue(std::clamp(255 - r.Data[st][23], 0, 255));
  Y_text.setCaption(std::to_string(Slider7.Value()));
  X_text.setCaption(std::to_string(Slider8.Value()));
  for (int c = kPlainChaseChannels; c < kChaseUsedChannels; ++c) {
    const int fn = r.Fade[st][static_cast<std::size_t>(c)];
    Picture1[c].setBackColor(fn == kChaseOff ? kWhite : RGB(255, 255 - std::clamp<int>(r.Data[st][static_cast<std::size_t>(c)], 0, 255), 255 - std::clamp<int>(r.Data[st][static_cast<std::size_t>(c)], 0, 255)));
  }
  loading_ = false;
}

void Chases::Fixture_Sel_Click() {
  if (eng_.running || loading_) return;
  const int k = Fixture_Sel.ListIndex();
  if (k < 0 || k >= kFixtureTypes) return;
  desk().state.SelectedFixture = static_cast<int16_t>(k);
  if (chase().Fixture != k) desk().state.ProjectChanged = -1;
  chase().Fixture = static_cast<int16_t>(k);
  RedrawMovingDesk();
}

void Chases::setMovingLevel(int f, int level) {
  ChaseRecord& r = chase();
  const int c = 18 + f;
  auto& cell = r.Data[static_cast<std::size_t>(step())][static_cast<std::size_t>(c)];
  level = std::clamp(level, 0, 255);
  if (cell != level) desk().state.ProjectChanged = -1;
  cell = static_cast<int16_t>(level);
  Picture1[c].setBackColor(RGB(255, 255 - level, 255 - level));
  liveWrite(c);
}

void Chases::Move_Click(int f, int k) {
  if (f < 0 || f > 3 || k < 0 || k >= kMoveEntries) return;
  const DeskState& s = desk().state;
  ChaseRecord& r = chase();
  const auto sel = static_cast<std::size_t>(std::clamp<int>(s.SelectedFixture, 0, kFixtureTypes - 1));
  r.Fix[static_cast<std::size_t>(step())][static_cast<std::size_t>(f)] = static_cast<int16_t>(k);
  if (f < 2) {
    setMovingLevel(f, s.FixtureLow[sel][static_cast<std::size_t>(f)][static_cast<std::size_t>(k)]);
  } else {
    Position_Change(f);
  }
  for (int e = 0; e < kMoveEntries; ++e) indArray(f)[e].setBackColor(e == k ? kMarked : kWhite);
}

void Chases::Move_MouseDown(int f, int k, MouseButton b) {
  if (b != MouseButton::Right) return;
  desk().state.SelectedPad = static_cast<int16_t>(f);
  desk().state.SelectedPadEntry = static_cast<int16_t>(k);
  // The view pops the menu up; the console uses `click Chases.fixt_prop`.
  mnu_popup.setValue(mnu_popup.Value() + 1);
}

void Chases::fixt_prop_Click() {
  const DeskState& s = desk().state;
  desk().window<Fixture_Prop>().Show();
  desk().window<Fixture_Prop>().ShowEntry(s.SelectedFixture, s.SelectedPad, s.SelectedPadEntry);
}

void Chases::Position_Change(int f) {
  if (loading_) return;
  const DeskState& s = desk().state;
  const ChaseRecord& r = chase();
  const auto sel = static_cast<std::size_t>(std::clamp<int>(s.SelectedFixture, 0, kFixtureTypes - 1));
  const auto fi = static_cast<std::size_t>(f);
  const auto k = static_cast<std::size_t>(std::clamp<int>(r.Fix[static_cast<std::size_t>(step())][fi], 0, 20));
  const int p = std::clamp((f == 2 ? Slider5 : Slider6).Value(), 0, 255);
  setMovingLevel(f, PositionLevel(p, s.FixtureLow[sel][fi][k], s.FixtureHigh[sel][fi][k]));
}

void Chases::Pad_Slider_Change(int axis) {
  if (loading_) return;
  Control& sl = axis == 0 ? Slider7 : Slider8;
  const int v = std::clamp(sl.Value(), 0, 255);
  // Stored mirrored at once, also while dragging: top / left = 255.
  setMovingLevel(4 + axis, 255 - v);
  (axis == 0 ? Y_text : X_text).setCaption(std::to_string(v));
}

void Chases::XY_Pad_MouseDown(MouseButton, int x, int y) {
  if (x < kPadLeft || x > kPadRight || y < kPadTop || y > kPadBottom) return;
  Slider7.setValue(Nearest((y - kPadTop) * 255.0 / (kPadBottom - kPadTop)));
  Slider8.setValue(Nearest((x - kPadLeft) * 255.0 / (kPadRight - kPadLeft)));
  Pad_Slider_Change(0);
  Pad_Slider_Change(1);
}

// --- fixture files --------------------------------------------------------

// Saved like the project file: the previous file stays whole until the new
// one is complete, whatever stops the write.
void Chases::SaveFixtureFile(const std::string& path, const std::string& text) {
  if (WriteFileAtomically(path, text).empty()) return;
  desk().dialogs().Message(" Unable to write the fixture file", " Fixture File Error", MsgIcon::Exclamation);
}

void Chases::Save_Fixture_Single_Click() {
  auto path = desk().dialogs().FileDialog(FileKind::Save, "Save Fixture", kFixtureFilter, "");
  if (!path || path->empty()) return;
  SaveFixtureFile(WithExtension(*path), FixtureFileText(desk().state, true, desk().state.SelectedFixture));
}

void Chases::Save_Fixture_all_Click() {
  auto path = desk().dialogs().FileDialog(FileKind::Save, "Save All Fixtures", kFixtureFilter, "");
  if (!path || path->empty()) return;
  SaveFixtureFile(WithExtension(*path), FixtureFileText(desk().state, false, 0));
}

void Chases::Load_fixture_Click() {
  auto path = desk().dialogs().FileDialog(FileKind::Open, "Load Fixture", kFixtureFilter, "");
  if (!path || path->empty()) return;
  std::ifstream in(*path, std::ios::binary);
  if (!in) {
    desk().dialogs().Message(" Unable to open the fixture file", " Fixture File Error", MsgIcon::Exclamation);
    return;
  }
  std::ostringstream buf;
  buf << in.rdbuf();
  const auto res = LoadFixtureText(buf.str(), desk().state, desk().state.SelectedFixture);
  switch (res.status) {
    case FixtureLoadResult::BadHeader:
      desk().dialogs().Message("Not a LUMORA Fixture V.2 file !", "Lumora");
      return;
    case FixtureLoadResult::Truncated:
      desk().dialogs().Message(" Fixture file ends early at line " + std::to_string(res.line) + ", nothing loaded",
                               " Fixture File Error", MsgIcon::Exclamation);
      return;
    case FixtureLoadResult::BadNumber:
      desk().dialogs().Message(" Fixture file holds a bad number at line " + std::to_string(res.line) + ", nothing loaded",
                               " Fixture File Error", MsgIcon::Exclamation);
      return;
    case FixtureLoadResult::Ok:
      break;
  }
  RefillFixtureList();
  RedrawMovingDesk();
  if (desk().window<Fixture_Prop>().Loaded()) desk().window<Fixture_Prop>().Refresh();
}

void Chases::Clear_Fixture_Click() {
  if (!desk().dialogs().Ask("Current Fixture information will Be Lost Are You Sure ", " Clear Fixture")) return;
  DeskState& s = desk().state;
  const auto fx = static_cast<std::size_t>(std::clamp<int>(s.SelectedFixture, 0, kFixtureTypes - 1));
  s.FixtureName[fx].clear();
  for (auto& n : s.FixtureFunctionName[fx]) n.clear();
  for (std::size_t f = 0; f < 4; ++f) {
    for (std::size_t k = 0; k < 21; ++k) {
      s.FixtureButtonText[fx][f][k].clear();
      s.FixtureLow[fx][f][k] = 0;
      s.FixtureHigh[fx][f][k] = 1;
      s.FixtureColour[fx][f][k] = kSystemFaceText;
    }
  }
  RefillFixtureList();
  RedrawMovingDesk();
  if (desk().window<Fixture_Prop>().Loaded()) desk().window<Fixture_Prop>().Refresh();
}

}  // namespace lumora
