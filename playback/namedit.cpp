#include "playback/namedit.h"

#include <algorithm>

#include "platform/desk_base.h"
#include "core/levels.h"
#include "playback/playdesk.h"

namespace lumora {

namespace {
const char* FunctionName(int fn) {
  static const char* names[] = {"Submix", "Preset", "Sequence", "Colour", "Off", "Cue"};
  return fn >= 0 && fn <= 5 ? names[fn] : "Off";
}
}  // namespace

namedit::namedit(DeskBase& d) : Form(d, "namedit") {
  setCaption("Edit Cues");
  Check1.setCaption("Instant");
  Check1.setToolTipText("Dose selected screen appear on instant Pannel");
  Check2.setCaption("Auto Next ? ");
  Command1.setCaption("Exit");
  Command2.setCaption("Copy");
  Command3.setCaption("Update");
  Command4.setCaption("Paste");
  Command5.setCaption("Insert");
  Command6.setCaption("Delete");
  Screen_Delay.setRange(0, 600);
  Slider1.setRange(0, 255);
  Slider1.setValue(255);
  Picture1.setToolTipText("Click to choose the screen's colour");

  List1.onClick = [this] { List1_Click(); };
  Next_Scn.onClick = [this] { Next_Scn_Click(); };
  Check1.onClick = [this] {
    if (!validScreen(EditScreen)) return;
    desk().state.Screens[EditScreen].Instant = Check1.Value() ? -1 : 0;
    desk().state.ProjectChanged = -1;
  };
  Check2.onClick = [this] {
    if (!validScreen(EditScreen)) return;
    desk().state.Screens[EditScreen].Auto = Check2.Value() ? -1 : 0;
    desk().state.ProjectChanged = -1;
  };
  Picture1.onClick = [this] { Picture1_Click(); };
  Screen_Delay.onChange = [this] { Delay_txt.setText(std::to_string(Screen_Delay.Value())); };
  Command3.onClick = [this] { Update(); };
  Command2.onClick = [this] {
    desk().window<Playdesk>().CopyCue(EditScreen);
    FillLists();
  };
  Command4.onClick = [this] {
    desk().window<Playdesk>().PasteCue(EditScreen);
    FillLists();
    ShowEditScreen();
  };
  Command5.onClick = [this] {
    desk().window<Playdesk>().InsertCue(EditScreen);
    FillLists();
    ShowEditScreen();
  };
  Command6.onClick = [this] {
    desk().window<Playdesk>().DeleteCue(EditScreen);
    FillLists();
    ShowEditScreen();
  };
  List2.onClick = [this] { List2_Click(); };
  Slider1.onChange = [this] { Slider1_Change(); };
  Command1.onClick = [this] { Unload(); };
  d.registry().bind("EditScreen", EditScreen);
}

void namedit::Form_Load() {
  if (!opened_) EditScreen = 1;
  opened_ = true;
  FillLists();
  ShowEditScreen();
}

void namedit::OpenOn(int n) {
  if (validScreen(n)) EditScreen = static_cast<int16_t>(n);
  else if (!opened_) EditScreen = 1;
  opened_ = true;
  if (Loaded()) {
    Show();
    FillLists();
    ShowEditScreen();
  } else {
    Show();  // Form_Load fills and shows
  }
}

int namedit::lastScreen() const { return std::clamp<int>(desk().state.ScreenCount, 0, kScreens - 1); }

void namedit::FillLists() {
  const DeskState& s = desk().state;
  List1.Clear();
  Next_Scn.Clear();
  for (int n = 1; n <= lastScreen(); ++n) {
    const std::string line = Num(n) + " " + s.Screens[n].Name;
    List1.AddItem(line);
    Next_Scn.AddItem(line);
  }
  Next_Scn.AddItem("");
  if (EditScreen >= 1 && EditScreen - 1 < List1.ListCount()) List1.setListIndex(EditScreen - 1);
}

void namedit::ShowEditScreen() {
  DeskState& s = desk().state;
  if (!validScreen(EditScreen)) return;
  const ScreenRecord& r = s.Screens[EditScreen];
  Text1.setText(r.Name);
  Text2.setText(std::to_string(r.Time));
  Screen_Delay.setValue(std::clamp<int>(r.Delay, Screen_Delay.Min(), Screen_Delay.Max()));
  Delay_txt.setText(std::to_string(Screen_Delay.Value()));
  const int entry = r.Next < 1 ? 0 : std::min(r.Next - 1, Next_Scn.ListCount() - 1);
  Next_Scn.setListIndex(entry);
  Next_Scn.setText(entry >= 0 && entry < Next_Scn.ListCount() ? Next_Scn.List(entry) : "");
  Check1.setValue(r.Instant ? 1 : 0);
  Check2.setValue(r.Auto ? 1 : 0);
  Picture1.setBackColor(r.Colour.empty() ? -1 : static_cast<int32_t>(Val(r.Colour)));
  if (EditScreen >= 1 && EditScreen - 1 < List1.ListCount()) List1.setListIndex(EditScreen - 1);

  List2.Clear();
  kinds_.fill(LineKind::None);
  indices_.fill(0);
  int line = 0;
  auto add = [&](std::string text, LineKind kind, int index) {
    if (line >= kContentLines) return false;
    List2.AddItem(std::move(text));
    kinds_[line] = kind;
    indices_[line] = static_cast<int16_t>(index);
    ++line;
    return true;
  };
  bool room = true;
  for (int k = 0; room && k < kDeskChannels; ++k)
    if (r.Preset[k] > 0) room = add("Preset Channel " + Num(k) + " @ " + Num(r.Preset[k]), LineKind::Channel, k);
  for (int b = 0; room && b <= kPlayButtons; ++b) {
    if (r.ButtonSel[b] == 0) continue;
    const ButtonFunctionRec& f = s.ButtonFunctions[b];
    room = add("Button " + Num(b) + " " + FunctionName(f.Function) + " " + Num(f.Value) + " " + f.Name + " ON",
               LineKind::Button, b);
  }
  for (int k = 0; room && k <= kPlayFaders; ++k) {
    if (r.FaderSel[k] <= 0) continue;
    const FaderFunctionRec& f = s.FaderFunctions[k];
    room = add("Fader " + Num(k) + " " + FunctionName(f.Function) + " " + Num(f.Value) + " " + f.Name + " @ " +
                   Num(r.FaderSel[k]),
               LineKind::Fader, k);
  }
  Text3.setText("");
  Text4.setText("");
  Text5.setText("");
}

void namedit::Update() {
  DeskState& s = desk().state;
  if (!validScreen(EditScreen)) return;
  ScreenRecord& r = s.Screens[EditScreen];
  const int entry = Next_Scn.ListIndex();
  if (entry >= 0) r.Next = static_cast<int16_t>(entry + 1);
  r.Name = Text1.Text();
  long long t = 0;
  // A fade time that is not a number keeps the stored one.
  if (ParseInt(Text2.Text(), t)) r.Time = static_cast<int16_t>(std::clamp<long long>(t, 0, 32767));
  r.Delay = static_cast<int16_t>(Screen_Delay.Value());
  s.ProjectChanged = -1;
  desk().window<Playdesk>().Status.setText(" Cue's Updated");
  FillLists();
  ShowEditScreen();
}

void namedit::List1_Click() {
  const int line = List1.ListIndex();
  if (line < 0) return;
  Update();
  if (!validScreen(line + 1)) return;
  EditScreen = static_cast<int16_t>(line + 1);
  FillLists();
  ShowEditScreen();
}

void namedit::Next_Scn_Click() {
  if (!validScreen(EditScreen)) return;
  const int entry = Next_Scn.ListIndex();
  if (entry < 0) return;
  desk().state.Screens[EditScreen].Next = static_cast<int16_t>(entry + 1);
  desk().state.ProjectChanged = -1;
}

namedit::LineKind namedit::lineKind(int line) const {
  return line >= 0 && line < kContentLines && line < List2.ListCount() ? kinds_[line] : LineKind::None;
}
int namedit::lineIndex(int line) const { return line >= 0 && line < kContentLines ? indices_[line] : -1; }

void namedit::List2_Click() {
  const DeskState& s = desk().state;
  const int line = List2.ListIndex();
  if (!validScreen(EditScreen)) return;
  const ScreenRecord& r = s.Screens[EditScreen];
  const int i = lineIndex(line);
  switch (lineKind(line)) {
    case LineKind::Fader:
      Text3.setText("Fader " + Num(i));
      Text4.setText(FunctionName(s.FaderFunctions[i].Function));
      Slider1.setValue(255 - std::clamp<int>(r.FaderSel[i], 0, 255));
      break;
    case LineKind::Button:
      Text3.setText("Button");
      Text4.setText(s.ButtonFunctions[i].Name);
      break;
    case LineKind::Channel:
      Text3.setText("Preset " + Num(i));
      Text4.setText(s.ChannelInfo[i].Desc);
      Slider1.setValue(255 - std::clamp<int>(r.Preset[i], 0, 255));
      break;
    default:
      return;
  }
  Text5.setText(std::to_string(255 - std::clamp(Slider1.Value(), 0, 255)));
}

void namedit::Slider1_Change() {
  DeskState& s = desk().state;
  if (!validScreen(EditScreen)) return;
  const int line = List2.ListIndex();
  const int i = lineIndex(line);
  const int16_t level = static_cast<int16_t>(255 - std::clamp(Slider1.Value(), 0, 255));
  ScreenRecord& r = s.Screens[EditScreen];
  switch (lineKind(line)) {
    case LineKind::Fader:
      r.FaderSel[i] = level;
      break;
    case LineKind::Channel:
      r.Preset[i] = level;
      break;
    default:
      return;  // buttons have no level
  }
  s.ProjectChanged = -1;
  Text5.setText(std::to_string(level));
}

void namedit::Picture1_Click() {
  DeskState& s = desk().state;
  if (!validScreen(EditScreen)) return;
  ScreenRecord& r = s.Screens[EditScreen];
  const int32_t initial = r.Colour.empty() ? 0 : static_cast<int32_t>(Val(r.Colour));
  const int32_t c = desk().dialogs().ChooseColour(" Choose a Colour", initial).value_or(initial);
  r.Colour = std::to_string(c);
  s.ProjectChanged = -1;
  ShowEditScreen();
}

}  // namespace lumora
