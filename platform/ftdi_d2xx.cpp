// The FTDI call set on the vendor's D2XX library, loaded by file name at the
// first call. A library that is missing or lacks a function makes every call
// a failure status.
#include <dlfcn.h>

#include <map>

#include "platform/ftdi.h"

namespace lumora {
namespace {

// The vendor's types on Linux: FT_STATUS and DWORD are 32-bit, FT_HANDLE a pointer.
using VStatus = uint32_t;
using VHandle = void*;

class D2xx final : public FtdiApi {
 public:
  explicit D2xx(std::string file) : file_(std::move(file)) {}
  ~D2xx() override {
    for (auto& [h, v] : open_) close_(v);
    if (lib_) dlclose(lib_);
  }

  bool DriverPresent() override { return load(); }
  std::string Describe() const override { return "D2XX " + file_; }

  FtStatus FT_Open(int deviceIndex, FtHandle& handle) override {
    if (!load()) return kFtOtherError;
    VHandle v = nullptr;
    const VStatus st = openFn_(deviceIndex, &v);
    if (st != 0) return st;
    handle = ++lastHandle_;
    open_[handle] = v;
    return kFtOk;
  }
  FtStatus FT_ResetDevice(FtHandle h) override { return call(h, reset_); }
  FtStatus FT_SetDivisor(FtHandle h, uint16_t divisor) override {
    VHandle v = find(h);
    return v ? divisor_(v, divisor) : kFtInvalidHandle;
  }
  FtStatus FT_SetDataCharacteristics(FtHandle h, uint8_t w, uint8_t s, uint8_t p) override {
    VHandle v = find(h);
    return v ? data_(v, w, s, p) : kFtInvalidHandle;
  }
  FtStatus FT_SetFlowControl(FtHandle h, uint16_t flow, uint8_t xon, uint8_t xoff) override {
    VHandle v = find(h);
    return v ? flow_(v, flow, xon, xoff) : kFtInvalidHandle;
  }
  FtStatus FT_ClrRts(FtHandle h) override { return call(h, clrRts_); }
  FtStatus FT_Purge(FtHandle h, uint32_t mask) override {
    VHandle v = find(h);
    return v ? purge_(v, mask) : kFtInvalidHandle;
  }
  FtStatus FT_Close(FtHandle h) override {
    VHandle v = find(h);
    if (!v) return kFtInvalidHandle;
    open_.erase(h);  // the vendor frees the handle even when closing reports an error
    return close_(v);
  }
  FtStatus FT_SetBreakOn(FtHandle h) override { return call(h, breakOn_); }
  FtStatus FT_SetBreakOff(FtHandle h) override { return call(h, breakOff_); }
  FtStatus FT_Write(FtHandle h, const uint8_t* data, uint32_t length, uint32_t& written) override {
    written = 0;
    VHandle v = find(h);
    if (!v) return kFtInvalidHandle;
    return write_(v, const_cast<uint8_t*>(data), length, &written);
  }
  void LineWait(std::chrono::microseconds us) override { PreciseWait(us); }

 private:
  using OneArg = VStatus (*)(VHandle);

  bool load() {
    if (lib_) return true;
    void* lib = dlopen(file_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib) return false;
    bool ok = true;
    auto sym = [&](auto& fn, const char* name) {
      fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(lib, name));
      ok = ok && fn;
    };
    sym(openFn_, "FT_Open");
    sym(reset_, "FT_ResetDevice");
    sym(divisor_, "FT_SetDivisor");
    sym(data_, "FT_SetDataCharacteristics");
    sym(flow_, "FT_SetFlowControl");
    sym(clrRts_, "FT_ClrRts");
    sym(purge_, "FT_Purge");
    sym(close_, "FT_Close");
    sym(breakOn_, "FT_SetBreakOn");
    sym(breakOff_, "FT_SetBreakOff");
    sym(write_, "FT_Write");
    if (!ok) {
      dlclose(lib);
      return false;
    }
    lib_ = lib;
    return true;
  }
  VHandle find(FtHandle h) const {
    auto it = open_.find(h);
    return it == open_.end() ? nullptr : it->second;
  }
  FtStatus call(FtHandle h, OneArg f) {
    VHandle v = find(h);
    return v ? f(v) : kFtInvalidHandle;
  }

  std::string file_;
  void* lib_ = nullptr;
  VStatus (*openFn_)(int, VHandle*) = nullptr;
  OneArg reset_ = nullptr, clrRts_ = nullptr, close_ = nullptr, breakOn_ = nullptr, breakOff_ = nullptr;
  VStatus (*divisor_)(VHandle, uint16_t) = nullptr;
  VStatus (*data_)(VHandle, uint8_t, uint8_t, uint8_t) = nullptr;
  VStatus (*flow_)(VHandle, uint16_t, uint8_t, uint8_t) = nullptr;
  VStatus (*purge_)(VHandle, uint32_t) = nullptr;
  VStatus (*write_)(VHandle, void*, uint32_t, uint32_t*) = nullptr;
  FtHandle lastHandle_ = 0;
  std::map<FtHandle, VHandle> open_;
};

}  // namespace

std::shared_ptr<FtdiApi> MakeD2xxFtdi(const std::string& libraryFile) { return std::make_shared<D2xx>(libraryFile); }

}  // namespace lumora
