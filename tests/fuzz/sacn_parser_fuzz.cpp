// libFuzzer target for the sACN data packet parser: any bytes may arrive on
// port 5568. Checks that nothing crashes, that a refusal says why, that an
// accepted packet's fields are in range, and that a full packet built from
// the fields parses back to the same fields.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "output/sacn_packet.h"

using namespace lumora::sacn;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::string why;
  const auto f = ParseDataPacket(data, size, &why);
  if (!f) {
    if (why.empty()) std::abort();
    return 0;
  }
  if (size != kMinPacketSize + f->slotCount || f->slotCount > kSlots) std::abort();
  if (f->priority > kMaxPriority || f->universe < kMinUniverse || f->universe > kMaxUniverse) std::abort();
  if (f->sourceName.size() > kSourceNameSize) std::abort();

  Source src;
  src.cid = f->cid;
  SetSourceName(src, f->sourceName);
  DataPacket p{};
  BuildDataPacket(p, src, f->universe, f->priority, f->sequence, f->options, f->slots.data());
  const auto g = ParseDataPacket(p.data(), p.size());
  if (!g || g->cid != f->cid || g->priority != f->priority || g->sequence != f->sequence ||
      g->options != f->options || g->universe != f->universe || g->startCode != 0 || g->slotCount != kSlots)
    std::abort();
  for (std::size_t i = 0; i < f->slotCount; ++i)
    if (g->slots[i] != f->slots[i]) std::abort();
  // The name comes back whole, or cut to 63 bytes.
  if (f->sourceName.compare(0, g->sourceName.size(), g->sourceName) != 0 ||
      (g->sourceName.size() < f->sourceName.size() && g->sourceName.size() + 4 < kSourceNameSize - 1))
    std::abort();
  return 0;
}
