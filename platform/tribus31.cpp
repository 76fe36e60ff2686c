#include "platform/tribus31.h"

#include <cstdlib>
#include <cstring>

#include "platform/dynlib.h"

namespace lumora {

std::string Tribus31LibraryFile() {
  const char* e = std::getenv("LUMORA_TRIBUS31_LIBRARY");
  return e && *e ? e : "libtribus31.so";
}

namespace {

class Tribus31Library final : public Tribus31Api {
 public:
  explicit Tribus31Library(std::string file) : lib_(std::move(file)) {}
  int16_t Tribus31Read(int16_t port, uint8_t mode, uint8_t* receiveBuffer) override {
    if (!read_) read_ = reinterpret_cast<Fn>(lib_.symbol("Tribus31Read"));
    return read_ ? read_(port, mode, receiveBuffer) : kTribus31Unbound;
  }
  int16_t Tribus31Write(int16_t port, uint8_t mode, const uint8_t* frame) override {
    if (!write_) write_ = reinterpret_cast<Fn>(lib_.symbol("Tribus31Write"));
    return write_ ? write_(port, mode, const_cast<uint8_t*>(frame)) : kTribus31Unbound;
  }

 private:
  using Fn = int16_t (*)(int16_t, uint8_t, uint8_t*);
  DynLib lib_;
  Fn read_ = nullptr;
  Fn write_ = nullptr;
};

}  // namespace

std::shared_ptr<Tribus31Api> MakeTribus31Library(std::string file) {
  return std::make_shared<Tribus31Library>(std::move(file));
}

int16_t Tribus31Sim::Tribus31Read(int16_t port, uint8_t mode, uint8_t* receiveBuffer) {
  (void)port;
  (void)mode;
  (void)receiveBuffer;
  return present_ ? 0 : kTribus31Unbound;
}

int16_t Tribus31Sim::Tribus31Write(int16_t port, uint8_t mode, const uint8_t* frame) {
  (void)port;
  (void)mode;
  if (!present_) return kTribus31Unbound;
  std::lock_guard<std::mutex> l(mu_);
  std::memcpy(last_.data(), frame, last_.size());
  ++writes_;
  return 0;
}

}  // namespace lumora
