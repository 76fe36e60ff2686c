// Field tables of the desk's record types, so that `Submixes(0).Name` and
// whole records read by name.
#pragma once

#include "core/desk_state.h"
#include "core/registry.h"

namespace lumora {

template <>
struct RecordFields<ChannelInfoRec> {
  static const FieldList<ChannelInfoRec>& list();
};
template <>
struct RecordFields<SubmixRec> {
  static const FieldList<SubmixRec>& list();
};
template <>
struct RecordFields<FaderFunctionRec> {
  static const FieldList<FaderFunctionRec>& list();
};
template <>
struct RecordFields<ButtonFunctionRec> {
  static const FieldList<ButtonFunctionRec>& list();
};
template <>
struct RecordFields<ScreenRecord> {
  static const FieldList<ScreenRecord>& list();
};
template <>
struct RecordFields<PageRecord> {
  static const FieldList<PageRecord>& list();
};
template <>
struct RecordFields<ChaseRecord> {
  static const FieldList<ChaseRecord>& list();
};
template <>
struct RecordFields<ArtPortRec> {
  static const FieldList<ArtPortRec>& list();
};

// Binds every table of the desk record under its name.
void RegisterDeskState(Registry& reg, DeskState& s);

}  // namespace lumora
