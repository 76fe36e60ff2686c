#include "app/desk.h"
#include "output/adapter.h"

namespace lumora {

void Desk::SendFrame() {
  const int type = state.AdapterType;
  // Steps are tested in ascending order of their value; only one acts.
  for (int t = 1; t < kAdapterCount; ++t) {
    if (t == type && adapters_[t]) {
      adapters_[t]->Send(*this);
      return;
    }
  }
}

}  // namespace lumora
