// The vendor:product list that tells the Linux backend which USB devices are
// Corvex interfaces.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvex {

struct UsbId {
  uint16_t vendor = 0;
  uint16_t product = 0;
  bool operator==(const UsbId&) const = default;
};

// Parses "vvvv:pppp" entries (hexadecimal, 1 to 4 digits each) separated by
// commas, blanks or line breaks; '#' starts a comment up to the end of the
// line. Malformed entries are skipped.
std::vector<UsbId> ParseUsbIds(std::string_view text);

// Where the list comes from: the environment variable CORVEX_USB_IDS when it
// is set (even empty), else the file /etc/corvex/usb-ids when it exists, else
// the list built in. `env` and `file` are the found texts, if any.
std::vector<UsbId> ChooseUsbIds(const std::optional<std::string>& env, const std::optional<std::string>& file,
                                std::string_view builtIn);

// The same choice read from this process's environment and the system.
std::vector<UsbId> ConfiguredUsbIds();

}  // namespace corvex
