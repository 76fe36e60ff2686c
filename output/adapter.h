// One physical output adapter's send step. The output tick hands the frame
// to the adapter that AdapterType selects; 0 selects none.
#pragma once

namespace lumora {

class Desk;

class OutputAdapter {
 public:
  virtual ~OutputAdapter() = default;
  // Sends DmxFrame indices 0..511. An adapter that finds its device gone
  // switches itself off (AdapterType = 0) and tells the user once.
  virtual void Send(Desk& desk) = 0;
};

// AdapterType values.
enum AdapterKind : int {
  kAdapterNone = 0,
  kAdapterCount = 6,  // values 0..5
};

}  // namespace lumora
