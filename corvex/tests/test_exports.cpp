// The built libcorvex.so as a host loads it: by file name, both entry points,
// the command table on a machine without the device.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "corvex.h"

namespace {

class CorvexLibrary : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // A vendor:product pair no test machine has: discovery runs and finds
    // nothing.
    ::setenv("CORVEX_USB_IDS", "ffff:fffe", 1);
    handle_ = dlopen(CORVEX_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle_, nullptr) << dlerror();
    quillon_ = reinterpret_cast<QuillonCommandFn>(dlsym(handle_, "QuillonCommand"));
    tessin_ = reinterpret_cast<TessinCommandFn>(dlsym(handle_, "TessinCommand"));
  }
  static void TearDownTestSuite() {
    if (handle_ != nullptr) dlclose(handle_);
  }
  static inline void* handle_ = nullptr;
  static inline QuillonCommandFn quillon_ = nullptr;
  static inline TessinCommandFn tessin_ = nullptr;
};

TEST_F(CorvexLibrary, ExportsBothEntryPointsAndNothingOfItsInside) {
  ASSERT_NE(quillon_, nullptr);
  ASSERT_NE(tessin_, nullptr);
  EXPECT_EQ(dlsym(handle_, "_ZN6corvex6ModuleC1EPNS_7BackendENS_7OptionsE"), nullptr);
  EXPECT_EQ(dlsym(handle_, "CorvexCaptureNext"), nullptr) << "the capture hook belongs to the capture build only";
}

TEST_F(CorvexLibrary, CommandTableWithoutDeviceThroughBothNames) {
  ASSERT_NE(quillon_, nullptr);
  struct Row {
    int32_t command, value, result;
  };
  const Row rows[] = {{1, 0, 2},     {2, 0, 1},       {3, 0, 512},   {4, 512, 512}, {4, 511, 512},
                      {103, 0, 512}, {104, 0, 512},   {301, 0, 21},  {308, 514, 0}, {501, 0, 254},
                      {530, 77, 77}, {801, 253, 253}, {801, 252, -1}, {12345, 0, 1}};
  for (const Row& r : rows) {
    std::vector<uint8_t> data(600, 0xAB);
    EXPECT_EQ(quillon_(r.command, r.value, data.data()), r.result) << "QuillonCommand " << r.command;
    EXPECT_EQ(tessin_(r.command, r.value, data.data()), r.result) << "TessinCommand " << r.command;
    EXPECT_EQ(data, std::vector<uint8_t>(600, 0xAB)) << "command " << r.command << " wrote into the data";
    EXPECT_EQ(quillon_(r.command, r.value, nullptr), r.result);
  }
  std::vector<uint8_t> data(515, 0xAB);
  EXPECT_EQ(tessin_(808, 515, data.data()), 0);
  EXPECT_EQ(data[0], 1);
  EXPECT_EQ(data[1], 2);
  EXPECT_EQ(data[2], 0);
  EXPECT_EQ(data[3], 0xAB);
}

TEST_F(CorvexLibrary, StaysLoadedAfterDlclose) {
  // A running worker executes the library's code: unloading must never unmap it.
  void* again = dlopen(CORVEX_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(again, nullptr);
  dlclose(again);
  dlclose(again);  // one more than it was opened here
  EXPECT_NE(dlopen(CORVEX_LIBRARY, RTLD_NOW | RTLD_NOLOAD), nullptr);
}

}  // namespace
