#include "platform/corvex_loader.h"

#include <cstdlib>

#include "platform/dynlib.h"

namespace lumora {

std::string CorvexLibraryFile() {
  const char* e = std::getenv("LUMORA_CORVEX_LIBRARY");
  return e && *e ? e : "libcorvex.so";
}

namespace {

class CorvexLibrary final : public CorvexApi {
 public:
  explicit CorvexLibrary(std::string file) : lib_(std::move(file)) {}
  int32_t QuillonCommand(int32_t command, int32_t value, uint8_t* data) override {
    if (!fn_) fn_ = reinterpret_cast<Fn>(lib_.symbol("QuillonCommand"));
    return fn_ ? fn_(command, value, data) : kCorvexUnbound;
  }

 private:
  using Fn = int32_t (*)(int32_t, int32_t, uint8_t*);
  DynLib lib_;
  Fn fn_ = nullptr;
};

}  // namespace

std::shared_ptr<CorvexApi> MakeCorvexLibrary(std::string file) { return std::make_shared<CorvexLibrary>(std::move(file)); }

CorvexSim::CorvexSim() {
  for (std::size_t k = 0; k < kPacketBytes / 8; ++k) packet_[8 * k] = static_cast<uint8_t>(k);
}

int32_t CorvexSim::QuillonCommand(int32_t command, int32_t value, uint8_t* data) {
  if (!loadable_) return kCorvexUnbound;
  if (command != kCorvexSendFrame || value != kCorvexSlots || data == nullptr) return 0;
  if (!present_.load()) return kCorvexSlots;
  std::lock_guard<std::mutex> l(mu_);
  // Slot n (0-based) sits in group n / 7 at byte 8 * (n / 7) + 1 + n % 7; the
  // group numbers are never overwritten and the 6 bytes past slot 512 stay 0.
  for (int n = 0; n < kCorvexSlots; ++n) packet_[static_cast<std::size_t>(8 * (n / 7) + 1 + n % 7)] = data[n];
  return kCorvexSlots;
}

}  // namespace lumora
