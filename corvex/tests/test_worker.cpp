// The worker thread against a fake device: streaming, time-outs, failures,
// the stop step and a writer racing the worker (also built with
// ThreadSanitizer).
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "fake_device.h"
#include "module.h"

namespace corvex::testing {
namespace {

using namespace std::chrono_literals;

Packet Layout(const std::vector<uint8_t>& frame) { return ExpectedPacket(frame.data()); }

TEST(CorvexWorker, StreamsZerosUntilTheFirstFrame) {
  auto device = std::make_shared<FakeDevice>();
  FakeBackend backend(device);
  Module module(&backend);
  module.Command(2, 0, nullptr);
  ASSERT_TRUE(device->WaitForWrites(1));
  EXPECT_EQ(device->packet(0), Layout(std::vector<uint8_t>(kSlots, 0)));
  device->Accept();
  ASSERT_TRUE(device->WaitForWrites(2));
  EXPECT_EQ(device->packet(1), Layout(std::vector<uint8_t>(kSlots, 0)));
}

TEST(CorvexWorker, FrameReachesTheDeviceWithTheNextTransfer) {
  auto device = std::make_shared<FakeDevice>();
  FakeBackend backend(device);
  Options options;
  options.transferTimeoutMs = 60000;  // the held transfer must not time out under a slow test
  Module module(&backend, options);
  struct EndQuickly {
    FakeDevice& d;
    ~EndQuickly() { d.Unblock(); }
  } endQuickly{*device};
  module.Command(1, 0, nullptr);
  ASSERT_TRUE(device->WaitForWrites(1));  // the worker holds transfer 1

  std::vector<uint8_t> frame(kSlots);
  for (size_t i = 0; i < kSlots; ++i) frame[i] = static_cast<uint8_t>(255 - i);
  EXPECT_EQ(module.Command(4, 512, frame.data()), 512);
  device->Accept();
  ASSERT_TRUE(device->WaitForWrites(2));
  EXPECT_EQ(device->packet(1), Layout(frame));

  EXPECT_EQ(module.Command(3, 0, nullptr), 512);  // blackout
  device->Accept();
  ASSERT_TRUE(device->WaitForWrites(3));
  EXPECT_EQ(device->packet(2), Layout(std::vector<uint8_t>(kSlots, 0)));
}

TEST(CorvexWorker, EveryTransferIsWholeAndBoundedBy100Ms) {
  auto device = std::make_shared<FakeDevice>();
  FakeBackend backend(device);
  Module module(&backend);
  module.Command(1, 0, nullptr);
  device->Accept(3);
  ASSERT_TRUE(device->WaitForWrites(4));
  EXPECT_EQ(device->rejected(), 0) << "a transfer was not 592 bytes";
  for (uint32_t t : device->timeouts()) EXPECT_EQ(t, 100u);
}

TEST(CorvexWorker, TimedOutTransferIsFollowedAtOnceByTheNext) {
  auto device = std::make_shared<FakeDevice>();
  device->Script({WriteResult::TimedOut, WriteResult::TimedOut});
  FakeBackend backend(device);
  Options options;
  options.failurePause = 1h;  // a rest after a time-out would stall this test
  Module module(&backend, options);
  module.Command(1, 0, nullptr);
  ASSERT_TRUE(device->WaitForWrites(3));
  EXPECT_TRUE(module.WorkerAlive());
  EXPECT_TRUE(module.Stop());
}

TEST(CorvexWorker, HeldTransferTimesOutAndStreamingGoesOn) {
  // Nobody accepts: each transfer runs into its 100 ms bound and the next one
  // starts anyway.
  auto device = std::make_shared<FakeDevice>();
  FakeBackend backend(device);
  Module module(&backend);
  module.Command(1, 0, nullptr);
  ASSERT_TRUE(device->WaitForWrites(2));
  EXPECT_TRUE(module.WorkerAlive());
}

TEST(CorvexWorker, FailedWriteRestsUntilStopped) {
  auto device = std::make_shared<FakeDevice>();
  device->Script({WriteResult::Failed});
  FakeBackend backend(device);
  Options options;
  options.failurePause = 1h;
  Module module(&backend, options);
  module.Command(1, 0, nullptr);
  ASSERT_TRUE(device->WaitForWrites(1));
  EXPECT_TRUE(module.Stop()) << "the stop step must cut the rest short";
  EXPECT_EQ(device->writes(), 1) << "no write may follow a refused one during the rest";
  EXPECT_TRUE(device->closed());
}

TEST(CorvexWorker, FailedWriteIsRetriedAfterTheRest) {
  auto device = std::make_shared<FakeDevice>();
  device->Script({WriteResult::Failed, WriteResult::Failed});
  FakeBackend backend(device);
  Options options;
  options.failurePause = 1ms;
  Module module(&backend, options);
  module.Command(1, 0, nullptr);
  ASSERT_TRUE(device->WaitForWrites(3));
  EXPECT_TRUE(module.WorkerAlive());
}

TEST(CorvexStop, EndsAfterTheCurrentTransferAndClosesThePipe) {
  auto device = std::make_shared<FakeDevice>();
  FakeBackend backend(device);
  Module module(&backend);
  module.Command(1, 0, nullptr);
  ASSERT_TRUE(device->WaitForWrites(1));
  const int64_t underWay = device->writes();
  EXPECT_TRUE(module.Stop());  // the held transfer runs into its bound, then the loop ends
  EXPECT_FALSE(module.Running());
  EXPECT_FALSE(module.WorkerAlive());
  EXPECT_TRUE(device->closed());
  EXPECT_LE(device->writes() - underWay, 1) << "only a transfer already under way may finish";

  // The handle is gone: frames are no longer copied, results stay.
  const Packet before = module.TxBuffer();
  std::vector<uint8_t> frame(kSlots, 0x99);
  EXPECT_EQ(module.Command(4, 512, frame.data()), 512);
  EXPECT_EQ(module.TxBuffer(), before);
  EXPECT_EQ(backend.opens(), 1) << "stopping does not bring discovery back";
  EXPECT_TRUE(module.Stop()) << "a second stop finds nothing to stop";
}

TEST(CorvexStop, WithoutWorkerReturnsAtOnce) {
  FakeBackend absent;
  Module module(&absent);
  EXPECT_TRUE(module.Stop());
  module.Command(1, 0, nullptr);
  EXPECT_TRUE(module.Stop());
  EXPECT_EQ(absent.opens(), 1);
}

// A pipe that never gives back a write: the stop step gives up after its
// wait and forgets the worker; the module's end still waits for it.
class StuckPipe : public Pipe {
 public:
  explicit StuckPipe(std::atomic<bool>& release, std::atomic<int>& entered) : release_(release), entered_(entered) {}
  WriteResult Write(const uint8_t*, size_t, uint32_t) override {
    entered_.fetch_add(1);
    entered_.notify_all();
    while (!release_.load()) release_.wait(false);
    return WriteResult::Done;
  }

 private:
  std::atomic<bool>& release_;
  std::atomic<int>& entered_;
};

class StuckBackend : public Backend {
 public:
  std::atomic<bool> release{false};
  std::atomic<int> entered{0};
  std::unique_ptr<Pipe> OpenPipe() override { return std::make_unique<StuckPipe>(release, entered); }
};

TEST(CorvexStop, GivesUpOnAWorkerThatDoesNotEnd) {
  StuckBackend backend;
  Options options;
  options.stopWait = 1ms;
  {
    Module module(&backend, options);
    module.Command(1, 0, nullptr);
    backend.entered.wait(0);
    EXPECT_FALSE(module.Stop());
    EXPECT_FALSE(module.Running());
    backend.release.store(true);
    backend.release.notify_all();
  }  // the destructor waits for the forgotten worker before the state goes
  EXPECT_EQ(backend.entered.load(), 1) << "the released worker found the stop and wrote no more";
}

TEST(CorvexConcurrency, WriterRacingTheWorkerNeverBreaksTheGroups) {
  auto device = std::make_shared<FakeDevice>(FakeDevice::Flow::Free);
  // Every packet: group numbers in place, tail zero, each slot from one of
  // the frames the writer alternates (or the initial zeros).
  device->SetInspector([](const uint8_t* p) {
    for (size_t b = 0; b < kPacketSize; ++b) {
      const uint8_t v = p[b];
      if (b % 8 == 0) {
        if (v != b / 8) return false;
      } else if (b >= 586) {
        if (v != 0) return false;
      } else if (v != 0 && v != 0x11 && v != 0x22) {
        return false;
      }
    }
    return true;
  });
  FakeBackend backend(device);
  Module module(&backend);
  module.Command(1, 0, nullptr);
  ASSERT_TRUE(module.Started());

  std::vector<uint8_t> a(kSlots, 0x11), b(kSlots, 0x22);
  std::thread writer([&] {
    const auto start = device->writes();
    const auto deadline = std::chrono::steady_clock::now() + kGuard;
    for (int i = 0; device->writes() < start + 200 && std::chrono::steady_clock::now() < deadline; ++i) {
      module.Command(4, 512, (i % 2 ? a : b).data());
    }
  });
  writer.join();
  EXPECT_TRUE(module.Stop());
  EXPECT_GE(device->writes(), 200);
  EXPECT_EQ(device->rejected(), 0);
}

}  // namespace
}  // namespace corvex::testing
