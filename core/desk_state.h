// The desk record: every global table of the desk, with fixed bounds,
// created once and never resized. Names are the desk's own names for them.
// All of it is touched on the one UI thread only.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/sacn_settings.h"

namespace lumora {

constexpr int kDeskChannels = 64;   // desk channels 1..64, entries 0..63 (+ spare 64)
constexpr int kSubmixes = 32;       // submixes 0..31 (+ spare 32)
constexpr int kDmxSlots = 512;      // frame indices 0..511 (+ spare 512)
constexpr int kScreens = 200;
constexpr int kPages = 5;
constexpr int kPlayButtons = 80;    // + spare 80
constexpr int kPlayFaders = 60;     // + spare 60
constexpr int kChaseCount = 33;     // chases 0..32
constexpr int kChaseSteps = 33;     // rows 0..32, steps 1..32 in use
constexpr int kChaseChannels = 25;  // columns 0..24, 0..23 in use
constexpr int kFixtureTypes = 21;
constexpr int kArtPorts = 17;

// Colour texts the desk uses.
inline constexpr const char* kDefaultChannelColour = "16776960";

struct ChannelInfoRec {
  std::string Desc;
  std::string Name;
  std::string Colour;
  int16_t Main_F = 0;   // -1: does NOT follow the playback main fader
  int16_t Cross_F = 0;  // -1: does NOT follow the playback crossfade
};

struct SubmixRec {
  std::array<int16_t, 65> Level{};
  std::array<int16_t, 65> Channel{};  // desk channel 1..64; 0 ends the list
  std::string Name;
  std::string Colour;
};

struct FaderFunctionRec {
  std::string Name;
  int16_t Value = 0;
  std::string Colour;
  int16_t Function = 4;
  int16_t Channel1 = 0, Channel2 = 0, Channel3 = 0;
  int16_t Data1 = 0, Data2 = 0, Data3 = 0;
  int16_t Level = 0;
};

struct ButtonFunctionRec {
  std::string Name;
  int16_t Value = 0;
  std::string Colour;
  int16_t Function = 4;
  int16_t Latch = -1;
  int16_t Channel1 = 0, Channel2 = 0, Channel3 = 0;
  int16_t Data1 = 0, Data2 = 0, Data3 = 0;
  int16_t Level = 255;
  int16_t Preset = 0;
};

// Function codes shared by faders and buttons.
enum FunctionCode : int16_t {
  kFnSubmix = 0,
  kFnPreset = 1,
  kFnSequence = 2,
  kFnColour = 3,
  kFnOff = 4,
  kFnCue = 5,
};

struct ScreenRecord {
  std::array<int16_t, 64> Preset{};
  std::array<int16_t, 81> ButtonSel{};
  std::array<int16_t, 61> FaderSel{};
  int16_t PresetLevel = 0;
  int16_t Time = 2;
  int16_t Auto = 0;
  int16_t Delay = 0;
  int16_t Next = 0;
  std::string Name;
  int16_t Instant = 0;
  std::string Colour;
};

struct PageRecord {
  std::string Name;
  std::string Text;
  std::string Colour;
};

struct ChaseRecord {
  std::string Name;
  std::array<std::array<int16_t, kChaseChannels>, kChaseSteps> Data{};
  std::array<std::array<int16_t, kChaseChannels>, kChaseSteps> Fade{};  // 0 Off, 1 Fade, 2 Step
  std::array<double, kChaseSteps> Speed{};
  std::array<double, kChaseSteps> Time{};
  std::array<int16_t, kChaseChannels> Channels{};
  int16_t Steps = 1;
  int16_t Loop = 0;
  std::string Colour;
  int16_t Fixture = 0;
  std::array<std::array<int16_t, 6>, kChaseSteps> Fix{};
};

struct ArtPortRec {
  int16_t Enabled = 0;  // -1 = on
  uint8_t Universe = 0;
};

struct DeskState {
  // --- desk core ---
  std::array<int16_t, 65> DeskLevels{};
  int16_t CurrentSubmix = 0;
  int16_t FaderBank = 0;
  int16_t SelectedChannel = 0;
  std::array<ChannelInfoRec, 65> ChannelInfo{};
  std::array<SubmixRec, 33> Submixes{};
  std::array<int16_t, 513> PatchTable{};
  std::array<uint8_t, 513> DmxFrame{};
  std::string ProjectFileName = "untitled";
  std::string ProjectName;
  std::string ProjectText;
  std::string ProjectDate;  // date of the last whole save (project information)
  std::string ProjectPath;
  int16_t ProjectVersion = 0;
  int16_t ProjectChanged = 0;
  int16_t PortAddress = 888;
  int16_t AdapterType = 0;
  int16_t MonitorFirst = 0;
  int16_t MonitorLast = 143;
  std::array<FaderFunctionRec, 61> FaderFunctions{};
  std::array<ButtonFunctionRec, 81> ButtonFunctions{};
  std::array<int16_t, 64> FunctionLevels{};
  std::array<int16_t, 64> ScreenFunctionLevels{};
  std::array<int32_t, 64> ChaseLevels{};
  std::array<int16_t, 64> PlayChaseLevels{};

  // --- playback ---
  std::array<ScreenRecord, kScreens> Screens{};
  int16_t ScreenCount = 1;
  std::array<PageRecord, 6> Pages{};
  int16_t CurrentPage = 0;
  std::array<int16_t, 81> PlayButtonState{};
  std::array<int16_t, 61> PlayFaderLevel{};
  int16_t RunMode = 0;
  int16_t AutotakeRunning = 0;
  int16_t CrossfadeRunning = 0;
  int16_t CrossfadePos = 0;
  int16_t LiveScreen = 0;

  // --- sequences ---
  std::array<ChaseRecord, kChaseCount> Chases{};
  std::array<std::string, kFixtureTypes> FixtureName{};
  std::array<std::array<std::string, 6>, kFixtureTypes> FixtureFunctionName{};
  std::array<std::array<std::array<std::string, 21>, 4>, kFixtureTypes> FixtureButtonText{};
  std::array<std::array<std::array<int16_t, 21>, 4>, kFixtureTypes> FixtureLow{};
  std::array<std::array<std::array<int16_t, 21>, 4>, kFixtureTypes> FixtureHigh{};
  std::array<std::array<std::array<std::string, 21>, 4>, kFixtureTypes> FixtureColour{};
  int16_t SelectedFixture = 0;
  int16_t SelectedPad = 0;
  int16_t SelectedPadEntry = 0;

  // --- output ---
  int16_t UsbSearching = 1;
  int16_t UsbConnected = 1;
  int16_t ArtNetReady = 0;
  std::string ArtBroadcast;
  std::array<ArtPortRec, kArtPorts> ArtPorts{};
  int16_t BcfMode = 0;
  std::array<SacnPortRec, kSacnPorts> SacnPorts = DefaultSacnPorts();
  std::string SacnInterface;  // local IPv4 address to send sACN from; "" = automatic
};

// Empty states of the tables, one per owner; the desk initialisation and the
// reset call them.
void InitPatch(DeskState& s);
void InitChannelInfo(DeskState& s);
void InitFaderFunctions(DeskState& s);
void InitButtonFunctions(DeskState& s);
void ResetScreens(DeskState& s);           // the desk reset's screen defaults
void ClearScreen(DeskState& s, int n);     // a single screen cleared (Cue_Clear)
void InitChasesAtStart(DeskState& s);      // program start defaults
void ResetChases(DeskState& s);            // desk reset defaults
void ClearFixtures(DeskState& s);
void ClearSubmixes(DeskState& s);

// Table-level part of the desk initialisation (the main desk does the
// window part). Brings every table to its initial state.
void DeskInitTables(DeskState& s);

}  // namespace lumora
