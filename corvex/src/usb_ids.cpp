#include "usb_ids.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#ifndef CORVEX_DEFAULT_USB_IDS
#define CORVEX_DEFAULT_USB_IDS ""
#endif

namespace corvex {
namespace {

std::optional<uint16_t> ParseHex16(std::string_view s) {
  if (s.empty() || s.size() > 4) return std::nullopt;
  uint32_t v = 0;
  for (char c : s) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return std::nullopt;
    v = v * 16 + static_cast<uint32_t>(d);
  }
  return static_cast<uint16_t>(v);
}

bool IsSeparator(char c) { return c == ',' || c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == ';'; }

}  // namespace

std::vector<UsbId> ParseUsbIds(std::string_view text) {
  std::vector<UsbId> ids;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '#') {
      while (i < text.size() && text[i] != '\n') ++i;
      continue;
    }
    if (IsSeparator(text[i])) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < text.size() && !IsSeparator(text[end]) && text[end] != '#') ++end;
    const std::string_view entry = text.substr(i, end - i);
    i = end;
    const size_t colon = entry.find(':');
    if (colon == std::string_view::npos) continue;
    const auto vendor = ParseHex16(entry.substr(0, colon));
    const auto product = ParseHex16(entry.substr(colon + 1));
    if (vendor && product) ids.push_back({*vendor, *product});
  }
  return ids;
}

std::vector<UsbId> ChooseUsbIds(const std::optional<std::string>& env, const std::optional<std::string>& file,
                                std::string_view builtIn) {
  if (env) return ParseUsbIds(*env);
  if (file) return ParseUsbIds(*file);
  return ParseUsbIds(builtIn);
}

std::vector<UsbId> ConfiguredUsbIds() {
  std::optional<std::string> env;
  if (const char* v = std::getenv("CORVEX_USB_IDS")) env = v;
  std::optional<std::string> file;
  if (!env) {
    std::ifstream in("/etc/corvex/usb-ids");
    if (in) {
      std::ostringstream text;
      text << in.rdbuf();
      file = text.str();
    }
  }
  return ChooseUsbIds(env, file, CORVEX_DEFAULT_USB_IDS);
}

}  // namespace corvex
