// Linux backend: the first USB device on the vendor:product list that opens;
// its bulk OUT endpoint 1 is the data pipe.
#pragma once

#include <libusb.h>

#include <vector>

#include "backend.h"
#include "usb_ids.h"

namespace corvex {

constexpr uint8_t kDataEndpoint = 0x01;  // bulk OUT, endpoint 1

struct DataInterface {
  int number = -1;
  int altSetting = 0;
  bool found() const { return number >= 0; }
};

// The interface (and alternate setting) of a configuration that holds the
// bulk OUT endpoint 1.
DataInterface FindDataInterface(const libusb_config_descriptor& config);

class LibusbBackend : public Backend {
 public:
  explicit LibusbBackend(std::vector<UsbId> ids) : ids_(std::move(ids)) {}
  std::unique_ptr<Pipe> OpenPipe() override;
  const std::vector<UsbId>& ids() const { return ids_; }

 private:
  std::vector<UsbId> ids_;
};

}  // namespace corvex
