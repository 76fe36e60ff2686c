// Windows backend: the device interface of class
// {93FE956F-8CDD-4F10-863C-959D41B8BBDA}, found through SetupAPI; its
// "\PIPE01" data pipe takes overlapped 592-byte writes.
#include <windows.h>
#include <setupapi.h>

#include <string>
#include <vector>

#include "backend_win32.h"
#include "bounded_write.h"

namespace corvex {
namespace {

const GUID kInterfaceClass = {0x93FE956F, 0x8CDD, 0x4F10, {0x86, 0x3C, 0x95, 0x9D, 0x41, 0xB8, 0xBB, 0xDA}};

// Past this many members that fail to enumerate for reasons other than the
// end of the list, give up rather than count on forever.
constexpr DWORD kMaxMembers = 4096;

class OverlappedPipe : public Pipe, private AsyncIo {
 public:
  OverlappedPipe(HANDLE pipe, HANDLE event) : pipe_(pipe), event_(event) {}
  ~OverlappedPipe() override {
    CloseHandle(pipe_);
    CloseHandle(event_);
  }

  WriteResult Write(const uint8_t* data, size_t size, uint32_t timeoutMs) override {
    return BoundedWrite(*this, data, size, timeoutMs);
  }

 private:
  Start Begin(const uint8_t* data, size_t size) override {
    ResetEvent(event_);
    overlapped_ = OVERLAPPED{};
    overlapped_.hEvent = event_;  // file offset 0
    DWORD written = 0;
    if (WriteFile(pipe_, data, static_cast<DWORD>(size), &written, &overlapped_)) return Start::Completed;
    return GetLastError() == ERROR_IO_PENDING ? Start::Pending : Start::Failed;
  }
  bool WaitDone(uint32_t ms) override { return WaitForSingleObject(event_, ms) == WAIT_OBJECT_0; }
  void Cancel() override { CancelIo(pipe_); }
  bool Collect(bool wait) override {
    DWORD written = 0;
    return GetOverlappedResult(pipe_, &overlapped_, &written, wait ? TRUE : FALSE) != FALSE;
  }

  HANDLE pipe_;
  HANDLE event_;
  OVERLAPPED overlapped_{};
};

// The probe: the path of the first member of the class that opens.
bool FindDevice(std::wstring& devicePath) {
  HDEVINFO set = SetupDiGetClassDevsW(&kInterfaceClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (set == INVALID_HANDLE_VALUE) return false;
  bool found = false;
  for (DWORD i = 0; i < kMaxMembers && !found; ++i) {
    SP_DEVICE_INTERFACE_DATA iface{};
    iface.cbSize = sizeof(iface);
    if (!SetupDiEnumDeviceInterfaces(set, nullptr, &kInterfaceClass, i, &iface)) {
      if (GetLastError() == ERROR_NO_MORE_ITEMS) break;
      continue;
    }
    DWORD size = 0;
    SetupDiGetDeviceInterfaceDetailW(set, &iface, nullptr, 0, &size, nullptr);
    if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) continue;
    std::vector<unsigned char> buffer(size);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (!SetupDiGetDeviceInterfaceDetailW(set, &iface, detail, size, nullptr, nullptr)) continue;
    devicePath = detail->DevicePath;
    HANDLE probe = CreateFileW(devicePath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
      CloseHandle(probe);
      found = true;
    }
  }
  SetupDiDestroyDeviceInfoList(set);
  return found;
}

}  // namespace

std::unique_ptr<Pipe> MakeOverlappedPipe(HANDLE pipe) {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);  // manual reset, not signalled
  if (event == nullptr) {
    CloseHandle(pipe);
    return nullptr;
  }
  try {
    return std::make_unique<OverlappedPipe>(pipe, event);
  } catch (...) {
    CloseHandle(pipe);
    CloseHandle(event);
    return nullptr;
  }
}

namespace {

class DeviceInterfaceBackend : public Backend {
 public:
  std::unique_ptr<Pipe> OpenPipe() override {
    std::wstring devicePath;
    if (!FindDevice(devicePath)) return nullptr;
    devicePath += L"\\PIPE01";
    HANDLE pipe = CreateFileW(devicePath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) return nullptr;
    return MakeOverlappedPipe(pipe);
  }
};

}  // namespace

std::unique_ptr<Backend> MakePlatformBackend() noexcept {
  try {
    return std::make_unique<DeviceInterfaceBackend>();
  } catch (...) {
    return nullptr;
  }
}

}  // namespace corvex
