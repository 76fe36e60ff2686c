// The desk loads the corvex library built here (its capture build, over a
// stand-in device) by file name, and the packets the library streams carry
// the desk's frame.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <array>
#include <cstdlib>

#include "app/console.h"
#include "app/desk.h"

#ifdef CORVEX_CAPTURE_LIB
namespace lumora {
namespace {

using CaptureNext = int32_t (*)(uint8_t*, int32_t);

TEST(CorvexEndToEnd, DeskFrameReachesTheDeviceThroughTheRealLibrary) {
  ::setenv("LUMORA_CORVEX_LIBRARY", CORVEX_CAPTURE_LIB, 1);
  ConsoleDialogs dialogs;
  DeskOptions o;
  o.manualClock = true;
  Desk desk(o, dialogs);
  ::unsetenv("LUMORA_CORVEX_LIBRARY");
  Console console(desk, dialogs);
  desk.Start();

  // The operator chooses the Corvex interface in the set-up dialog.
  ASSERT_EQ(console.execute("show Portsetup").back(), "ok");
  ASSERT_EQ(console.execute("set Portsetup.Combo1 5").back(), "ok");
  ASSERT_EQ(console.execute("click Portsetup.Command1").back(), "ok");
  ASSERT_EQ(desk.state.AdapterType, 5);

  for (int i = 0; i < 64; ++i) desk.state.DeskLevels[i] = static_cast<int16_t>(3 * i + 1);
  desk.state.PatchTable[300] = 10;  // slot 301 fed by channel 10
  desk.state.PatchTable[511] = 64;  // slot 512, alone in the last group
  auto out = console.execute("tick");
  ASSERT_EQ(out.size(), 1u) << out.front();  // no adapter-lost box
  ASSERT_EQ(desk.state.AdapterType, 5);

  void* lib = ::dlopen(CORVEX_CAPTURE_LIB, RTLD_NOW);  // the desk's own instance
  ASSERT_NE(lib, nullptr);
  auto next = reinterpret_cast<CaptureNext>(::dlsym(lib, "CorvexCaptureNext"));
  ASSERT_NE(next, nullptr);
  std::array<uint8_t, 592> p{};
  ASSERT_EQ(next(p.data(), 5000), 592);  // a bound, not a wait: packets come every ~26 ms
  for (std::size_t k = 0; k < 74; ++k) ASSERT_EQ(p[8 * k], k) << "group " << k;
  for (std::size_t n = 0; n < 512; ++n)
    ASSERT_EQ(p[8 * (n / 7) + 1 + n % 7], desk.state.DmxFrame[n]) << "slot " << n + 1;
  EXPECT_EQ(p[1], 1);                   // slot 1: channel 1
  EXPECT_EQ(p[9], 22);                  // slot 8 opens group 1: channel 8
  EXPECT_EQ(p[8 * (300 / 7) + 1 + 300 % 7], 28);  // slot 301: channel 10
  EXPECT_EQ(p[585], 190);               // slot 512: channel 64
  ::dlclose(lib);
}

}  // namespace
}  // namespace lumora
#endif
