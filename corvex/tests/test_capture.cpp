// The capture build as a host uses it: frames handed to QuillonCommand come
// out of the stand-in device as 592-byte packets.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

#include "corvex_capture.h"
#include "fake_device.h"

namespace corvex::testing {
namespace {

constexpr int32_t kWaitMs = 10000;  // failure guard only

class CorvexCapture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ::setenv("CORVEX_CAPTURE_FILE", CORVEX_CAPTURE_FILE_PATH, 1);
    handle_ = dlopen(CORVEX_CAPTURE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle_, nullptr) << dlerror();
    quillon_ = reinterpret_cast<QuillonCommandFn>(dlsym(handle_, "QuillonCommand"));
    next_ = reinterpret_cast<CorvexCaptureNextFn>(dlsym(handle_, "CorvexCaptureNext"));
    count_ = reinterpret_cast<CorvexCaptureCountFn>(dlsym(handle_, "CorvexCaptureCount"));
  }
  static inline void* handle_ = nullptr;
  static inline QuillonCommandFn quillon_ = nullptr;
  static inline CorvexCaptureNextFn next_ = nullptr;
  static inline CorvexCaptureCountFn count_ = nullptr;

  Packet Next() {
    Packet p{};
    EXPECT_EQ(next_(p.data(), kWaitMs), 592);
    return p;
  }
};

TEST_F(CorvexCapture, FramesAndBlackoutReachTheDevice) {
  ASSERT_NE(quillon_, nullptr);
  ASSERT_NE(next_, nullptr);
  ASSERT_NE(count_, nullptr);
  std::vector<uint8_t> frame(kSlots);
  for (size_t i = 0; i < kSlots; ++i) frame[i] = static_cast<uint8_t>(i % 200 + 1);
  EXPECT_EQ(quillon_(4, 512, frame.data()), 512);
  EXPECT_EQ(Next(), ExpectedPacket(frame.data()));
  EXPECT_GE(count_(), 2);

  std::vector<uint8_t> other(kSlots, 9);
  EXPECT_EQ(quillon_(4, 511, other.data()), 512);  // too short: ignored
  EXPECT_EQ(Next(), ExpectedPacket(frame.data()));

  EXPECT_EQ(quillon_(3, 0, nullptr), 512);
  const std::vector<uint8_t> zero(kSlots, 0);
  const Packet dark = Next();
  EXPECT_EQ(dark, ExpectedPacket(zero.data()));

  // The newest packet is also in the capture file for out-of-process hosts.
  std::ifstream in(CORVEX_CAPTURE_FILE_PATH, std::ios::binary);
  const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(file.size(), kPacketSize);
  EXPECT_TRUE(std::equal(file.begin(), file.end(), dark.begin()));
}

}  // namespace
}  // namespace corvex::testing
