#include "backend_libusb.h"

#include <algorithm>

namespace corvex {
namespace {

class LibusbPipe : public Pipe {
 public:
  LibusbPipe(libusb_context* context, libusb_device_handle* handle, int interface)
      : context_(context), handle_(handle), interface_(interface) {}
  ~LibusbPipe() override {
    libusb_release_interface(handle_, interface_);
    libusb_close(handle_);
    libusb_exit(context_);
  }

  WriteResult Write(const uint8_t* data, size_t size, uint32_t timeoutMs) override {
    int sent = 0;
    // libusb cancels a transfer that outlives the time-out before returning.
    const int rc = libusb_bulk_transfer(handle_, kDataEndpoint, const_cast<uint8_t*>(data), static_cast<int>(size),
                                        &sent, timeoutMs);
    if (rc == 0) return WriteResult::Done;
    if (rc == LIBUSB_ERROR_TIMEOUT) return WriteResult::TimedOut;
    return WriteResult::Failed;
  }

 private:
  libusb_context* context_;
  libusb_device_handle* handle_;
  int interface_;
};

// The probe: the first listed device that opens.
libusb_device_handle* OpenFirstListed(libusb_context* context, const std::vector<UsbId>& ids) {
  libusb_device** list = nullptr;
  const ssize_t count = libusb_get_device_list(context, &list);
  if (count < 0) return nullptr;
  libusb_device_handle* handle = nullptr;
  for (ssize_t i = 0; i < count && handle == nullptr; ++i) {
    libusb_device_descriptor desc{};
    if (libusb_get_device_descriptor(list[i], &desc) != 0) continue;
    const UsbId id{desc.idVendor, desc.idProduct};
    if (std::find(ids.begin(), ids.end(), id) == ids.end()) continue;
    if (libusb_open(list[i], &handle) != 0) handle = nullptr;
  }
  libusb_free_device_list(list, 1);
  return handle;
}

}  // namespace

DataInterface FindDataInterface(const libusb_config_descriptor& config) {
  for (int i = 0; i < config.bNumInterfaces; ++i) {
    const libusb_interface& iface = config.interface[i];
    for (int a = 0; a < iface.num_altsetting; ++a) {
      const libusb_interface_descriptor& alt = iface.altsetting[a];
      for (int e = 0; e < alt.bNumEndpoints; ++e) {
        const libusb_endpoint_descriptor& ep = alt.endpoint[e];
        const bool bulk = (ep.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) == LIBUSB_TRANSFER_TYPE_BULK;
        if (bulk && ep.bEndpointAddress == kDataEndpoint) return {alt.bInterfaceNumber, alt.bAlternateSetting};
      }
    }
  }
  return {};
}

std::unique_ptr<Pipe> LibusbBackend::OpenPipe() {
  if (ids_.empty()) return nullptr;  // nothing configured: never touch USB
  libusb_context* context = nullptr;
  if (libusb_init(&context) != 0) return nullptr;
  libusb_device_handle* handle = OpenFirstListed(context, ids_);
  if (handle == nullptr) {
    libusb_exit(context);
    return nullptr;
  }
  DataInterface data;
  libusb_config_descriptor* config = nullptr;
  if (libusb_get_active_config_descriptor(libusb_get_device(handle), &config) == 0) {
    data = FindDataInterface(*config);
    libusb_free_config_descriptor(config);
  }
  bool claimed = false;
  if (data.found()) {
    libusb_set_auto_detach_kernel_driver(handle, 1);
    claimed = libusb_claim_interface(handle, data.number) == 0;
    if (claimed && data.altSetting != 0 &&
        libusb_set_interface_alt_setting(handle, data.number, data.altSetting) != 0) {
      libusb_release_interface(handle, data.number);
      claimed = false;
    }
  }
  if (!claimed) {
    libusb_close(handle);
    libusb_exit(context);
    return nullptr;
  }
  try {
    return std::make_unique<LibusbPipe>(context, handle, data.number);
  } catch (...) {
    libusb_release_interface(handle, data.number);
    libusb_close(handle);
    libusb_exit(context);
    return nullptr;
  }
}

#if !defined(CORVEX_CAPTURE)
std::unique_ptr<Backend> MakePlatformBackend() noexcept {
  try {
    return std::make_unique<LibusbBackend>(ConfiguredUsbIds());
  } catch (...) {
    return nullptr;
  }
}
#endif

}  // namespace corvex
