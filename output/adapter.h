// One physical output adapter as the desk's UI thread sees it. The sending
// itself is the wire's (AdapterWire); the adapter that AdapterType selects
// prepares each tick's send and handles what the wire found.
#pragma once

#include <cstdint>

namespace lumora {

class DeskBase;

class OutputAdapter {
 public:
  virtual ~OutputAdapter() = default;
  // At the tick, before the frame is published: the adapter's work besides
  // sending (the Open DMX USB supervision).
  virtual void Prepare(DeskBase& desk) { (void)desk; }
  // What the wire reported for this adapter's sends (AdapterWire failure
  // bits with WireReport::kCompleted). An adapter that finds its device gone
  // switches itself off (AdapterType = 0) and tells the user once.
  virtual void Handle(DeskBase& desk, uint32_t flags) {
    (void)desk;
    (void)flags;
  }
};

// AdapterType values.
enum AdapterKind : int {
  kAdapterNone = 0,
  kAdapterCount = 6,  // values 0..5
};

}  // namespace lumora
