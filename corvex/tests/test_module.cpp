// The transfer buffer, the command table and first-call discovery, with a
// fake device (present or absent) behind the module.
#include <gtest/gtest.h>

#include <climits>
#include <thread>
#include <vector>

#include "fake_device.h"
#include "module.h"

namespace corvex::testing {
namespace {

std::vector<uint8_t> Frame(uint8_t (*f)(size_t)) {
  std::vector<uint8_t> frame(kSlots);
  for (size_t i = 0; i < kSlots; ++i) frame[i] = f(i);
  return frame;
}

Packet EmptyLayout() {
  const std::vector<uint8_t> zero(kSlots, 0);
  return ExpectedPacket(zero.data());
}

// A module whose worker streams to a held fake device.
struct Streaming {
  std::shared_ptr<FakeDevice> device = std::make_shared<FakeDevice>();
  FakeBackend backend{device};
  Module module{&backend};
  Streaming() {
    module.Command(1, 0, nullptr);
    EXPECT_TRUE(module.Started());
  }
  ~Streaming() { device->Unblock(); }  // the module's stop then ends at once
};

TEST(CorvexBuffer, FirstCallLaysOutGroupNumbersWithZeroSlots) {
  FakeBackend absent;
  Module module(&absent);
  const Packet before = module.TxBuffer();
  EXPECT_EQ(before, Packet{});
  module.Command(301, 0, nullptr);
  EXPECT_EQ(module.TxBuffer(), EmptyLayout());
  for (size_t k = 0; k < kGroups; ++k) EXPECT_EQ(module.TxBuffer()[8 * k], k);
}

TEST(CorvexBuffer, FramePlacesEverySlotAfterItsGroupNumber) {
  Streaming s;
  const auto frame = Frame([](size_t i) { return static_cast<uint8_t>(i * 37 + 11); });
  ASSERT_EQ(s.module.Command(4, 512, const_cast<uint8_t*>(frame.data())), 512);
  const Packet buffer = s.module.TxBuffer();
  EXPECT_EQ(buffer, ExpectedPacket(frame.data()));
  EXPECT_EQ(buffer[8], 1);             // group number 1 ...
  EXPECT_EQ(buffer[9], frame[7]);      // ... then slot 8
  EXPECT_EQ(buffer[585], frame[511]);  // slot 512 alone in group 73
  for (size_t b = 586; b < kPacketSize; ++b) EXPECT_EQ(buffer[b], 0) << "byte " << b;
}

TEST(CorvexBuffer, EachSingleSlotLandsInExactlyOneByte) {
  Streaming s;
  std::vector<uint8_t> frame(kSlots, 0);
  for (size_t slot = 0; slot < kSlots; ++slot) {
    frame.assign(kSlots, 0);
    frame[slot] = 0xFF;
    s.module.Command(4, 512, frame.data());
    const Packet buffer = s.module.TxBuffer();
    size_t lit = 0;
    size_t where = 0;
    for (size_t b = 0; b < kPacketSize; ++b) {
      if (b % 8 == 0) continue;
      if (buffer[b] != 0) ++lit, where = b;
    }
    ASSERT_EQ(lit, 1u) << "slot " << slot + 1;
    ASSERT_EQ(where / 8, slot / 7) << "slot " << slot + 1 << " in the wrong group";
    ASSERT_EQ(where % 8, slot % 7 + 1) << "slot " << slot + 1 << " at the wrong place in its group";
  }
}

TEST(CorvexBuffer, FullFrameNeverOverwritesGroupNumbersOrTail) {
  Streaming s;
  const std::vector<uint8_t> frame(600, 0xFF);  // longer than a frame: only 512 bytes count
  s.module.Command(504, 600, const_cast<uint8_t*>(frame.data()));
  const Packet buffer = s.module.TxBuffer();
  for (size_t k = 0; k < kGroups; ++k) EXPECT_EQ(buffer[8 * k], k);
  for (size_t b = 586; b < kPacketSize; ++b) EXPECT_EQ(buffer[b], 0);
}

TEST(CorvexBuffer, BlackoutClearsEverySlotAndKeepsGroupNumbers) {
  Streaming s;
  std::vector<uint8_t> frame(kSlots, 0xC3);
  s.module.Command(4, 512, frame.data());
  ASSERT_NE(s.module.TxBuffer(), EmptyLayout());
  EXPECT_EQ(s.module.Command(3, 0, nullptr), 512);
  EXPECT_EQ(s.module.TxBuffer(), EmptyLayout());
  EXPECT_EQ(frame, std::vector<uint8_t>(kSlots, 0xC3)) << "the caller's frame is not touched";
}

TEST(CorvexBuffer, ShortValueOrNullDataCopiesNothing) {
  Streaming s;
  std::vector<uint8_t> frame(kSlots, 0x5A);
  EXPECT_EQ(s.module.Command(4, 511, frame.data()), 512);
  EXPECT_EQ(s.module.Command(4, -512, frame.data()), 512);
  EXPECT_EQ(s.module.Command(4, 512, nullptr), 512);
  EXPECT_EQ(s.module.Command(504, 0, frame.data()), 512);
  EXPECT_EQ(s.module.TxBuffer(), EmptyLayout());
  EXPECT_EQ(s.module.Command(504, 512, frame.data()), 512);
  EXPECT_EQ(s.module.TxBuffer(), ExpectedPacket(frame.data()));
}

TEST(CorvexBuffer, DeadLibraryCopiesNothingAndStillAnswers512) {
  FakeBackend absent;
  Module module(&absent);
  std::vector<uint8_t> frame(kSlots, 0x77);
  EXPECT_EQ(module.Command(4, 512, frame.data()), 512);
  EXPECT_FALSE(module.Started());
  EXPECT_EQ(module.TxBuffer(), EmptyLayout());
  EXPECT_EQ(module.Command(3, 0, nullptr), 512);
  EXPECT_EQ(module.TxBuffer(), EmptyLayout());
}

struct Row {
  int32_t command;
  int32_t value;
  int32_t result;
};

// Every command whose result does not depend on a device, in both states.
const std::vector<Row>& FixedTable() {
  static const std::vector<Row> rows = {
      {1, 0, 2},       {101, 7, 2},     {201, -1, 2},
      {2, 0, 1},       {502, 0, 1},     {602, 0, 1},     {702, 0, 1},   {802, 0, 1},
      {3, 0, 512},     {4, 512, 512},   {504, 512, 512}, {4, 0, 512},
      {103, 0, 512},   {203, 0, 512},   {104, 0, 512},   {204, 0, 512}, {604, 0, 512}, {704, 0, 512},
      {301, 0, 21},    {308, 0, 0},     {308, 515, 0},   {808, 515, 0},   {308, 514, 0}, {808, 514, 0},
      {501, 0, 254},   {601, 0, 254},   {701, 0, 254},
      {530, 42, 42},   {630, -7, -7},   {730, INT32_MAX, INT32_MAX}, {830, INT32_MIN, INT32_MIN},
      {801, 253, 253}, {801, 252, -1},  {801, 254, -1},  {801, 0, -1},
      {0, 0, 1},       {5, 0, 1},       {-1, 0, 1},      {100, 0, 1},   {102, 0, 1},   {302, 0, 1},
      {505, 512, 1},   {531, 9, 1},     {901, 253, 1},   {INT32_MAX, 0, 1}, {INT32_MIN, 0, 1},
  };
  return rows;
}

void CheckTable(Module& module) {
  for (const Row& row : FixedTable()) {
    EXPECT_EQ(module.Command(row.command, row.value, nullptr), row.result)
        << "command " << row.command << " value " << row.value << " without data";
    // With data: only 308 and 808 may write into it, and only 4/504/3 read it.
    std::vector<uint8_t> data(600, 0xEE);
    EXPECT_EQ(module.Command(row.command, row.value, data.data()), row.result)
        << "command " << row.command << " value " << row.value << " with data";
    const bool writes = (row.command == 308 || row.command == 808) && row.value >= 515;
    std::vector<uint8_t> expected(600, 0xEE);
    if (writes) expected[0] = 1, expected[1] = 2, expected[2] = 0;
    EXPECT_EQ(data, expected) << "command " << row.command << " value " << row.value;
  }
}

TEST(CorvexCommands, TableResultsWithoutDevice) {
  FakeBackend absent;
  Module module(&absent);
  CheckTable(module);
  EXPECT_EQ(absent.opens(), 1);
}

TEST(CorvexCommands, TableResultsWhileStreaming) {
  Streaming s;
  CheckTable(s.module);
  EXPECT_TRUE(s.module.WorkerAlive());
}

TEST(CorvexCommands, YieldingCommandsLeaveTheBufferAlone) {
  Streaming s;
  std::vector<uint8_t> frame(kSlots, 0x42);
  s.module.Command(4, 512, frame.data());
  for (int32_t command : {103, 203, 104, 204, 604, 704}) {
    EXPECT_EQ(s.module.Command(command, 512, frame.data()), 512);
    EXPECT_EQ(s.module.TxBuffer(), ExpectedPacket(frame.data())) << "command " << command;
  }
  // ... and a blackout after them still blacks out.
  EXPECT_EQ(s.module.Command(3, 0, nullptr), 512);
  EXPECT_EQ(s.module.TxBuffer(), ExpectedPacket(std::vector<uint8_t>(kSlots, 0).data()));
}

TEST(CorvexDiscovery, FirstCallOfAnyCommandDiscoversOnce) {
  for (int32_t first : {1, 2, 3, 4, 301, 308, 801, 999}) {
    FakeBackend absent;
    Module module(&absent);
    EXPECT_FALSE(module.InitDone());
    EXPECT_EQ(absent.opens(), 0);
    module.Command(first, 0, nullptr);
    EXPECT_TRUE(module.InitDone()) << "first command " << first;
    EXPECT_EQ(absent.opens(), 1) << "first command " << first;
    for (int i = 0; i < 5; ++i) module.Command(4, 512, nullptr);
    EXPECT_EQ(absent.opens(), 1) << "Dead is final: no retry after command " << first;
    EXPECT_FALSE(module.Started());
  }
}

TEST(CorvexDiscovery, DevicePresentStartsTheWorkerOnce) {
  Streaming s;
  EXPECT_EQ(s.backend.opens(), 1);
  EXPECT_TRUE(s.module.WorkerAlive());
  EXPECT_TRUE(s.module.Running());
  s.module.Command(2, 0, nullptr);
  EXPECT_EQ(s.backend.opens(), 1);
}

TEST(CorvexDiscovery, NoBackendIsDead) {
  Module module(nullptr);
  EXPECT_EQ(module.Command(4, 512, nullptr), 512);
  EXPECT_TRUE(module.InitDone());
  EXPECT_FALSE(module.Started());
  EXPECT_EQ(module.TxBuffer(), EmptyLayout());
}

TEST(CorvexDiscovery, ConcurrentFirstCallsShareOneDiscovery) {
  auto device = std::make_shared<FakeDevice>();
  FakeBackend backend(device);
  backend.HoldDiscovery();
  Module module(&backend);
  std::vector<int32_t> results(4, 0);
  std::vector<std::thread> callers;
  for (size_t t = 0; t < results.size(); ++t) {
    callers.emplace_back([&, t] { results[t] = module.Command(301, 0, nullptr); });
  }
  ASSERT_TRUE(backend.WaitForDiscovery());
  backend.ReleaseDiscovery();
  for (auto& c : callers) c.join();
  EXPECT_EQ(backend.opens(), 1);
  EXPECT_EQ(results, std::vector<int32_t>(4, 21));
  EXPECT_TRUE(module.Started());
}

}  // namespace
}  // namespace corvex::testing
