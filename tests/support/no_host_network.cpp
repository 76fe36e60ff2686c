// Linked into every test program that makes a desk: no desk made there, nor
// any desk process it starts (children inherit the environment), may reach
// the host's network. Every Art-Net node and sACN sender gets its loop-back twin; only the
// tests that build a private network namespace open the real socket.
#include <cstdlib>

namespace {
const bool kArtNetSimulated = [] {
  setenv("LUMORA_ARTNET_SIMULATE", "1", 1);
  setenv("LUMORA_SACN_SIMULATE", "1", 1);
  return true;
}();
}  // namespace
