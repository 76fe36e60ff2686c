// The chase editor ("Sequence Desk"): edits one chase at a time, runs it on
// its two timers through ChaseEngine, and holds the moving-light desk that
// drives chase channels 18..23 from the fixture table.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "controls/bar_indicator.h"
#include "controls/log_slider.h"
#include "core/form.h"
#include "fixtureimport/fixture_import.h"
#include "sequences/chase_engine.h"

namespace lumora {

class Chases : public Form {
 public:
  explicit Chases(DeskBase& desk);

  // XY pad rectangle in the pad control's own units (presses outside the
  // rectangle but on the control are ignored).
  static constexpr int kPadLeft = 10, kPadTop = 10, kPadRight = 265, kPadBottom = 265;
  static constexpr int kPadWidth = 275, kPadHeight = 275;  // the control's extent
  static constexpr int kMoveEntries = 20;                  // entries 0..19 on the desk

  // --- chase selection and naming ---
  Control Chase_Sel{*this, "Chase_Sel", Kind::ComboBox};
  Control Chase_Name{*this, "Chase_Name", Kind::TextBox};
  Control Chase_Colour_Sel{*this, "Chase_Colour_Sel", Kind::Picture};
  // --- steps ---
  Control Chase_Plus{*this, "Chase_Plus", Kind::Button};
  Control Chase_Minus{*this, "Chase_Minus", Kind::Button};
  Control Step_Display{*this, "Step_Display", Kind::Label};
  Control Steps{*this, "Steps", Kind::Label};
  Control Steps_Add{*this, "Steps_Add", Kind::Button};
  Control Steps_subtract{*this, "Steps_subtract", Kind::Button};
  Control Insert{*this, "Insert", Kind::Button};
  Control Remove_Step{*this, "Remove_Step", Kind::Button};
  Control Command_Copy{*this, "Command_Copy", Kind::Button};
  Control Command_Paste{*this, "Command_Paste", Kind::Button};
  Control Command3{*this, "Command3", Kind::Button};
  Control Shift_Neg{*this, "Shift_Neg", Kind::Button};
  Control Shift_Pos{*this, "Shift_Pos", Kind::Button};
  Control Ch_Function_All{*this, "Ch_Function_All", Kind::Button};
  Control Global_fade_sw{*this, "Global_fade_sw", Kind::CheckBox};
  Control Check1{*this, "Check1", Kind::CheckBox};
  // --- channels ---
  ControlArray Slider1{*this, "Slider1", Kind::Fader, kPlainChaseChannels};
  ControlArray Command1{*this, "Command1", Kind::Button, kPlainChaseChannels};
  ControlArray Command2{*this, "Command2", Kind::Button, kPlainChaseChannels};
  ControlArray Picture1{*this, "Picture1", Kind::Picture, kChaseUsedChannels};
  ControlArray Text1{*this, "Text1", Kind::TextBox, kChaseUsedChannels};
  ControlArray Ch_Function{*this, "Ch_Function", Kind::Button, kChaseUsedChannels};
  // --- running ---
  Control Chase_Go_Button{*this, "Chase_Go_Button", Kind::Button};
  Timer Timer1{*this, "Timer1"};
  Timer Timer2{*this, "Timer2"};
  Control Slider2{*this, "Slider2", Kind::Fader};
  VRLogSlider LogSlider3{*this, "LogSlider3"};
  VRLogSlider LogSlider4{*this, "LogSlider4"};
  Control Text7{*this, "Text7", Kind::TextBox};
  Control Text2{*this, "Text2", Kind::TextBox};
  Control Global_Speed{*this, "Global_Speed", Kind::CheckBox};
  Control Global_fade{*this, "Global_fade", Kind::CheckBox};
  Control Speed_Fade_Lock{*this, "Speed_Fade_Lock", Kind::CheckBox};
  Control Loop_Box{*this, "Loop_Box", Kind::CheckBox};
  Control Loop_Times{*this, "Loop_Times", Kind::TextBox};
  Control Loop_Times_txt{*this, "Loop_Times_txt", Kind::Label};
  Control Live_Mode_Sel{*this, "Live_Mode_Sel", Kind::CheckBox};
  ProgBar Step_Bar{*this, "Step_Bar"};
  ProgBar Fade_Bar{*this, "Fade_Bar"};
  // --- menus ---
  Control Copy_step{*this, "Copy_step", Kind::Menu};
  Control Paste_step{*this, "Paste_step", Kind::Menu};
  Control Insert_Step{*this, "Insert_Step", Kind::Menu};
  Control Remove_Step_mnu{*this, "Remove_Step_mnu", Kind::Menu};
  Control Clear_Step{*this, "Clear_Step", Kind::Menu};
  Control Load_File{*this, "Load_File", Kind::Menu};
  Control Exit{*this, "Exit", Kind::Menu};
  Control show_moving_desk{*this, "show_moving_desk", Kind::Menu};
  Control mnu_Fixture{*this, "mnu_Fixture", Kind::Menu};
  Control Load_Fixture{*this, "Load_Fixture", Kind::Menu};
  Control Save_Fixture_Single{*this, "Save_Fixture_Single", Kind::Menu};
  Control Save_Fixture_All{*this, "Save_Fixture_All", Kind::Menu};
  Control Clear_Fixture{*this, "Clear_Fixture", Kind::Menu};
  Control Fixture_Import{*this, "Fixture_Import", Kind::Menu};
  Control Fixture_Browse{*this, "Fixture_Browse", Kind::Menu};
  Control fixt_prop2{*this, "fixt_prop2", Kind::Menu};
  Control mnu_popup{*this, "mnu_popup", Kind::Menu};
  Control fixt_prop{*this, "fixt_prop", Kind::Menu};
  // --- moving-light desk ---
  Control Show_Moving{*this, "Show_Moving", Kind::Button};
  Control Moving_Desk{*this, "Moving_Desk", Kind::Frame};
  Control Fixture_Sel{*this, "Fixture_Sel", Kind::ComboBox};
  ControlArray Function_txt{*this, "Function_txt", Kind::Label, 4};
  ControlArray move1{*this, "move1", Kind::Button, kMoveEntries};
  ControlArray move2{*this, "move2", Kind::Button, kMoveEntries};
  ControlArray move3{*this, "move3", Kind::Button, kMoveEntries};
  ControlArray move4{*this, "move4", Kind::Button, kMoveEntries};
  ControlArray ind1{*this, "ind1", Kind::Picture, kMoveEntries};
  ControlArray ind2{*this, "ind2", Kind::Picture, kMoveEntries};
  ControlArray ind3{*this, "ind3", Kind::Picture, kMoveEntries};
  ControlArray ind4{*this, "ind4", Kind::Picture, kMoveEntries};
  Control Slider5{*this, "Slider5", Kind::Fader};
  Control Slider6{*this, "Slider6", Kind::Fader};
  Control Slider7{*this, "Slider7", Kind::Fader};
  Control Slider8{*this, "Slider8", Kind::Fader};
  Control XY_Pad{*this, "XY_Pad", Kind::Picture};
  Control X_text{*this, "X_text", Kind::Label};
  Control Y_text{*this, "Y_text", Kind::Label};

  void Form_Load() override;
  void Form_Unload(bool& cancel) override;

  // Event operations.
  void Chase_Sel_Click();
  void Chase_Name_Change();
  void Chase_Colour_Sel_Click();
  void Chase_Plus_Click();
  void Chase_Minus_Click();
  void Steps_Add_Click();
  void Steps_subtract_Click();
  void Insert_Click();
  void Remove_Step_Click();
  void Command_Copy_Click();
  void Command_Paste_Click();
  void Command3_Click();
  void Shift_Neg_Click();
  void Shift_Pos_Click();
  void Slider1_Change(int c);
  void Text1_Change(int c);
  void Ch_Function_Click(int c);
  void Ch_Function_All_Click();
  void Chase_Go_Button_Click();
  void Timer1_Timer();
  void Timer2_Timer();
  void Live_Mode_Sel_Click();
  void LogSlider3_ValChange(double v);
  void LogSlider4_ValChange(double v);
  void Speed_Fade_Lock_Click();
  void Loop_Box_Click();
  void Loop_Times_Change();
  void Exit_Click();
  void Load_File_Click();
  // Moving-light desk.
  void Show_Moving_Click();
  void Fixture_Sel_Click();
  void Move_Click(int f, int k);
  void Move_MouseDown(int f, int k, MouseButton b);
  void Position_Change(int f);  // Slider5 (f 2) / Slider6 (f 3)
  void Pad_Slider_Change(int axis);  // 0 = Slider7 (channel 22), 1 = Slider8 (23)
  void XY_Pad_MouseDown(MouseButton b, int x, int y);
  void fixt_prop_Click();
  // Fixture files.
  void Load_fixture_Click();
  void Save_Fixture_Single_Click();
  void Save_Fixture_all_Click();
  void Clear_Fixture_Click();
  // Fixture import: a QLC+ or Open Fixture Library file into the selected
  // fixture type (file dialog), or the installed QLC+ library (browser).
  void Fixture_Import_Click();
  void Fixture_Browse_Click();
  // Stores an import's result in the selected slot, asking first when the
  // slot holds a type; refused imports show their reason. Returns true when
  // stored.
  bool StoreImport(const fixtureimport::ImportResult& r);
  const std::vector<std::string>& ImportReport() const { return importReport_; }

  // Shared with other windows.
  void RedrawStep();             // show the current step
  void RedrawMovingDesk();       // the moving-light desk from the tables
  void RefillFixtureList();      // Fixture_Sel from FixtureName
  void StopAtEnd();              // stop without advancing
  bool MovingShown() const { return movingShown_; }

  ChaseEngine& engine() { return eng_; }
  int16_t CurrentChase() const { return currentChase_; }
  int16_t FunctionAllState() const { return fnAll_; }

 private:
  void SaveFixtureFile(const std::string& path, const std::string& text);
  ChaseRecord& chase();
  int step() const;  // current step as a row index
  void showStepNumber();
  void showSteps();
  void setFunctionButton(int c, int fn);
  void setIndicator(int c, int level);
  void liveWrite(int c);  // ChaseLevels(Channels(c)) from the step's level
  void applyFunction(int c, int fn);
  void clearChaseLevels();
  void stopCommon();
  void runningStepChange();
  void fillChaseList();
  void setMovingLevel(int f, int level);
  ControlArray& moveArray(int f);
  ControlArray& indArray(int f);
  int padValue(int v) const;

  ChaseEngine eng_;
  int16_t currentChase_ = 0;
  int16_t fnAll_ = 0;
  bool movingShown_ = false;
  bool savedGlobalSpeed_ = false, savedGlobalFade_ = false;
  bool loading_ = false;  // suppress cascades while filling controls
  struct Clipboard {
    std::array<int16_t, kChaseUsedChannels> data{};
    std::array<int16_t, kChaseUsedChannels> fade{};
    int16_t speed = 0, time = 0;
  } clip_;
  std::vector<std::string> importReport_;
};

}  // namespace lumora
