// Byte-for-byte comparison of packets for the protocol tests: on a
// difference it names the first differing offset with both values.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <vector>

namespace lumora::testing {

inline ::testing::AssertionResult SameBytes(const std::vector<uint8_t>& expected, const uint8_t* actual,
                                            std::size_t actualSize) {
  if (actualSize != expected.size())
    return ::testing::AssertionFailure() << "size " << actualSize << ", expected " << expected.size();
  for (std::size_t i = 0; i < expected.size(); ++i) {
    if (expected[i] != actual[i]) {
      std::ostringstream os;
      os << "first difference at offset " << i << ": got 0x" << std::hex << int(actual[i]) << ", expected 0x"
         << int(expected[i]);
      return ::testing::AssertionFailure() << os.str();
    }
  }
  return ::testing::AssertionSuccess();
}

}  // namespace lumora::testing
