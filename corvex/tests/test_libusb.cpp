// The Linux backend without a device: the vendor:product list, the choice of
// the data interface, and discovery that finds nothing.
#include <gtest/gtest.h>

#include <cstdlib>

#include "backend_libusb.h"
#include "module.h"
#include "usb_ids.h"

namespace corvex {
namespace {

using Ids = std::vector<UsbId>;

TEST(CorvexUsbIds, ParsesHexPairsWithAnySeparator) {
  EXPECT_EQ(ParseUsbIds("16c0:05dc"), Ids({{0x16c0, 0x05dc}}));
  EXPECT_EQ(ParseUsbIds("16C0:05DC, 1209:0001;abcd:1\n\t0:ffff"),
            Ids({{0x16c0, 0x05dc}, {0x1209, 0x0001}, {0xabcd, 0x0001}, {0x0000, 0xffff}}));
  EXPECT_EQ(ParseUsbIds(""), Ids());
  EXPECT_EQ(ParseUsbIds(" , ;\n"), Ids());
}

TEST(CorvexUsbIds, SkipsMalformedEntriesAndComments) {
  EXPECT_EQ(ParseUsbIds("zzzz:0001,1234:5678"), Ids({{0x1234, 0x5678}}));
  EXPECT_EQ(ParseUsbIds("12345:0001 1234 :0001 1234: 0x12:34 1:2:3 aaaa:bbbb"), Ids({{0xaaaa, 0xbbbb}}));
  EXPECT_EQ(ParseUsbIds("# the bench interface\n1111:2222 # spare\n#3333:4444\n5555:6666"),
            Ids({{0x1111, 0x2222}, {0x5555, 0x6666}}));
  EXPECT_EQ(ParseUsbIds("1111:2222#3333:4444"), Ids({{0x1111, 0x2222}}));
}

TEST(CorvexUsbIds, EnvironmentBeatsFileBeatsBuiltIn) {
  EXPECT_EQ(ChooseUsbIds(std::string("1:2"), std::string("3:4"), "5:6"), Ids({{1, 2}}));
  EXPECT_EQ(ChooseUsbIds(std::string(""), std::string("3:4"), "5:6"), Ids()) << "set but empty turns USB off";
  EXPECT_EQ(ChooseUsbIds(std::nullopt, std::string("3:4"), "5:6"), Ids({{3, 4}}));
  EXPECT_EQ(ChooseUsbIds(std::nullopt, std::nullopt, "5:6"), Ids({{5, 6}}));
}

TEST(CorvexUsbIds, ConfiguredListReadsTheEnvironment) {
  ::setenv("CORVEX_USB_IDS", "0a0b:0c0d", 1);
  EXPECT_EQ(ConfiguredUsbIds(), Ids({{0x0a0b, 0x0c0d}}));
  ::unsetenv("CORVEX_USB_IDS");
}

// Descriptor tables built by hand, as libusb would hand them over.
struct Config {
  std::vector<libusb_endpoint_descriptor> endpoints;
  libusb_interface_descriptor alts[2]{};
  libusb_interface interfaces[2]{};
  libusb_config_descriptor config{};

  static libusb_endpoint_descriptor Endpoint(uint8_t address, uint8_t type) {
    libusb_endpoint_descriptor e{};
    e.bEndpointAddress = address;
    e.bmAttributes = type;
    return e;
  }
  // Interface 0 with `first`, interface 1 (alternate setting 1) with `second`.
  Config(libusb_endpoint_descriptor first, libusb_endpoint_descriptor second) : endpoints{first, second} {
    alts[0].bInterfaceNumber = 0;
    alts[0].bNumEndpoints = 1;
    alts[0].endpoint = &endpoints[0];
    alts[1].bInterfaceNumber = 1;
    alts[1].bAlternateSetting = 1;
    alts[1].bNumEndpoints = 1;
    alts[1].endpoint = &endpoints[1];
    interfaces[0].altsetting = &alts[0];
    interfaces[0].num_altsetting = 1;
    interfaces[1].altsetting = &alts[1];
    interfaces[1].num_altsetting = 1;
    config.bNumInterfaces = 2;
    config.interface = interfaces;
  }
};

TEST(CorvexLibusb, DataInterfaceIsTheOneWithBulkOutEndpoint1) {
  const Config first(Config::Endpoint(0x01, LIBUSB_TRANSFER_TYPE_BULK),
                     Config::Endpoint(0x82, LIBUSB_TRANSFER_TYPE_BULK));
  DataInterface d = FindDataInterface(first.config);
  EXPECT_EQ(d.number, 0);
  EXPECT_EQ(d.altSetting, 0);

  const Config second(Config::Endpoint(0x81, LIBUSB_TRANSFER_TYPE_BULK),
                      Config::Endpoint(0x01, LIBUSB_TRANSFER_TYPE_BULK));
  d = FindDataInterface(second.config);
  EXPECT_EQ(d.number, 1);
  EXPECT_EQ(d.altSetting, 1);
}

TEST(CorvexLibusb, NoBulkOutEndpoint1MeansNoDataInterface) {
  // Endpoint 1 IN, and endpoint 1 OUT as an interrupt pipe, do not count.
  const Config config(Config::Endpoint(0x81, LIBUSB_TRANSFER_TYPE_BULK),
                      Config::Endpoint(0x01, LIBUSB_TRANSFER_TYPE_INTERRUPT));
  EXPECT_FALSE(FindDataInterface(config.config).found());
}

TEST(CorvexLibusb, NoListedDeviceLeavesTheLibraryDead) {
  // ffff:fffe is on no bus of a test machine.
  LibusbBackend backend({{0xffff, 0xfffe}});
  EXPECT_EQ(backend.OpenPipe(), nullptr);
  Module module(&backend);
  EXPECT_EQ(module.Command(4, 512, nullptr), 512);
  EXPECT_TRUE(module.InitDone());
  EXPECT_FALSE(module.Started());
  EXPECT_FALSE(module.WorkerAlive());
}

TEST(CorvexLibusb, EmptyListNeverLooksAtUsb) {
  LibusbBackend backend({});
  EXPECT_EQ(backend.OpenPipe(), nullptr);
}

}  // namespace
}  // namespace corvex
