#include "core/state_registry.h"

#include "core/level_node.h"

namespace lumora {

const FieldList<ChannelInfoRec>& RecordFields<ChannelInfoRec>::list() {
  static const FieldList<ChannelInfoRec> l = {
      Field("Desc", &ChannelInfoRec::Desc),     Field("Name", &ChannelInfoRec::Name),
      Field("Colour", &ChannelInfoRec::Colour), Field("Main_F", &ChannelInfoRec::Main_F),
      Field("Cross_F", &ChannelInfoRec::Cross_F),
  };
  return l;
}

const FieldList<SubmixRec>& RecordFields<SubmixRec>::list() {
  static const FieldList<SubmixRec> l = {
      LevelField("Level", &SubmixRec::Level),
      Field("Channel", &SubmixRec::Channel),
      Field("Name", &SubmixRec::Name),
      Field("Colour", &SubmixRec::Colour),
  };
  return l;
}

const FieldList<FaderFunctionRec>& RecordFields<FaderFunctionRec>::list() {
  using R = FaderFunctionRec;
  static const FieldList<R> l = {
      Field("Name", &R::Name),         Field("Value", &R::Value),       Field("Colour", &R::Colour),
      Field("Function", &R::Function), Field("Channel1", &R::Channel1), Field("Channel2", &R::Channel2),
      Field("Channel3", &R::Channel3), LevelField("Data1", &R::Data1), LevelField("Data2", &R::Data2),
      LevelField("Data3", &R::Data3),  LevelField("Level", &R::Level),
  };
  return l;
}

const FieldList<ButtonFunctionRec>& RecordFields<ButtonFunctionRec>::list() {
  using R = ButtonFunctionRec;
  static const FieldList<R> l = {
      Field("Name", &R::Name),         Field("Value", &R::Value),       Field("Colour", &R::Colour),
      Field("Function", &R::Function), Field("Latch", &R::Latch),       Field("Channel1", &R::Channel1),
      Field("Channel2", &R::Channel2), Field("Channel3", &R::Channel3), LevelField("Data1", &R::Data1),
      LevelField("Data2", &R::Data2),  LevelField("Data3", &R::Data3),  LevelField("Level", &R::Level),
      Field("Preset", &R::Preset),
  };
  return l;
}

const FieldList<ScreenRecord>& RecordFields<ScreenRecord>::list() {
  using R = ScreenRecord;
  static const FieldList<R> l = {
      LevelField("Preset", &R::Preset), Field("ButtonSel", &R::ButtonSel), LevelField("FaderSel", &R::FaderSel),
      LevelField("PresetLevel", &R::PresetLevel), Field("Time", &R::Time), Field("Auto", &R::Auto),
      Field("Delay", &R::Delay), Field("Next", &R::Next), Field("Name", &R::Name),
      Field("Instant", &R::Instant), Field("Colour", &R::Colour),
  };
  return l;
}

const FieldList<PageRecord>& RecordFields<PageRecord>::list() {
  static const FieldList<PageRecord> l = {
      Field("Name", &PageRecord::Name),
      Field("Text", &PageRecord::Text),
      Field("Colour", &PageRecord::Colour),
  };
  return l;
}

const FieldList<ChaseRecord>& RecordFields<ChaseRecord>::list() {
  using R = ChaseRecord;
  static const FieldList<R> l = {
      Field("Name", &R::Name),   LevelField("Data", &R::Data),    Field("Fade", &R::Fade),
      Field("Speed", &R::Speed), Field("Time", &R::Time),         Field("Channels", &R::Channels),
      Field("Steps", &R::Steps), Field("Loop", &R::Loop),         Field("Colour", &R::Colour),
      Field("Fixture", &R::Fixture), Field("Fix", &R::Fix),
  };
  return l;
}

const FieldList<ArtPortRec>& RecordFields<ArtPortRec>::list() {
  static const FieldList<ArtPortRec> l = {
      Field("Enabled", &ArtPortRec::Enabled),
      Field("Universe", &ArtPortRec::Universe),
  };
  return l;
}

void RegisterDeskState(Registry& r, DeskState& s) {
  AddLevels(r, "DeskLevels", s.DeskLevels);
  // Selections index tables: the console keeps them within their bounds.
  AddRanged(r, "CurrentSubmix", s.CurrentSubmix, 0, kSubmixes - 1);
  AddRanged(r, "FaderBank", s.FaderBank, 0, 1);
  AddRanged(r, "SelectedChannel", s.SelectedChannel, 0, kDeskChannels);
  r.bind("ChannelInfo", s.ChannelInfo);
  r.bind("Submixes", s.Submixes);
  r.bind("PatchTable", s.PatchTable);
  r.bind("DmxFrame", s.DmxFrame);
  r.bind("ProjectFileName", s.ProjectFileName);
  r.bind("ProjectName", s.ProjectName);
  r.bind("ProjectText", s.ProjectText);
  r.bind("ProjectPath", s.ProjectPath);
  r.bind("ProjectVersion", s.ProjectVersion);
  r.bind("ProjectChanged", s.ProjectChanged);
  r.bind("PortAddress", s.PortAddress);
  r.bind("AdapterType", s.AdapterType);
  r.bind("MonitorFirst", s.MonitorFirst);
  r.bind("MonitorLast", s.MonitorLast);
  r.bind("FaderFunctions", s.FaderFunctions);
  r.bind("ButtonFunctions", s.ButtonFunctions);
  AddLevels(r, "FunctionLevels", s.FunctionLevels);
  AddLevels(r, "ScreenFunctionLevels", s.ScreenFunctionLevels);
  AddLevels(r, "ChaseLevels", s.ChaseLevels);
  AddLevels(r, "PlayChaseLevels", s.PlayChaseLevels);
  r.bind("Screens", s.Screens);
  r.bind("ScreenCount", s.ScreenCount);
  r.bind("Pages", s.Pages);
  r.bind("CurrentPage", s.CurrentPage);
  r.bind("PlayButtonState", s.PlayButtonState);
  AddLevels(r, "PlayFaderLevel", s.PlayFaderLevel);
  r.bind("RunMode", s.RunMode);
  r.bind("AutotakeRunning", s.AutotakeRunning);
  r.bind("CrossfadeRunning", s.CrossfadeRunning);
  r.bind("CrossfadePos", s.CrossfadePos);
  r.bind("LiveScreen", s.LiveScreen);
  r.bind("Chases", s.Chases);
  r.bind("FixtureName", s.FixtureName);
  r.bind("FixtureFunctionName", s.FixtureFunctionName);
  r.bind("FixtureButtonText", s.FixtureButtonText);
  r.bind("FixtureLow", s.FixtureLow);
  r.bind("FixtureHigh", s.FixtureHigh);
  r.bind("FixtureColour", s.FixtureColour);
  r.bind("SelectedFixture", s.SelectedFixture);
  r.bind("SelectedPad", s.SelectedPad);
  r.bind("SelectedPadEntry", s.SelectedPadEntry);
  r.bind("UsbSearching", s.UsbSearching);
  r.bind("UsbConnected", s.UsbConnected);
  r.bind("ArtNetReady", s.ArtNetReady);
  r.bind("ArtBroadcast", s.ArtBroadcast);
  r.bind("ArtPorts", s.ArtPorts);
  r.bind("BcfMode", s.BcfMode);
}

}  // namespace lumora
