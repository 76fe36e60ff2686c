// The corvex interface library as the desk uses it: only QuillonCommand,
// bound by file name at the first call. A library that cannot be loaded
// answers every command with kCorvexUnbound.
#pragma once

#include <array>
#include <atomic>
#include <mutex>
#include <cstdint>
#include <memory>
#include <string>

namespace lumora {

class CorvexApi {
 public:
  virtual ~CorvexApi() = default;
  virtual int32_t QuillonCommand(int32_t command, int32_t value, uint8_t* data) = 0;
};

constexpr int32_t kCorvexUnbound = -1;
constexpr int32_t kCorvexSendFrame = 4;  // command: take 512 slots
constexpr int32_t kCorvexSlots = 512;

// File name: LUMORA_CORVEX_LIBRARY when set, else "libcorvex.so" (found by
// the dynamic linker, then beside the program and in its corvex/ folder).
std::string CorvexLibraryFile();
std::shared_ptr<CorvexApi> MakeCorvexLibrary(std::string file = CorvexLibraryFile());

// The simulated library with its device: keeps the 592-byte packet the
// library would stream, 74 groups of a group number and 7 slots. Like the
// real library it takes every frame whether a device is there or not (with
// none it copies nothing); only a library that cannot be loaded fails.
class CorvexSim final : public CorvexApi {
 public:
  static constexpr std::size_t kPacketBytes = 592;
  CorvexSim();
  int32_t QuillonCommand(int32_t command, int32_t value, uint8_t* data) override;
  void setPresent(bool p) { present_.store(p); }
  bool present() const { return present_.load(); }
  // false: the library file cannot be loaded, every command is unbound.
  void setLoadable(bool l) { loadable_.store(l); }
  bool loadable() const { return loadable_.load(); }
  // Read under a lock: the wire thread writes it.
  std::array<uint8_t, kPacketBytes> lastPacket() const {
    std::lock_guard<std::mutex> l(mu_);
    return packet_;
  }

 private:
  mutable std::mutex mu_;
  std::atomic<bool> present_{false};
  std::atomic<bool> loadable_{true};
  std::array<uint8_t, kPacketBytes> packet_{};
};

}  // namespace lumora
