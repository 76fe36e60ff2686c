// The overlapped write of the Windows pipe, against a scripted I/O: how it
// waits, when it cancels, and that a cancelled write is awaited before the
// buffer is handed back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bounded_write.h"

namespace corvex {
namespace {

class ScriptedIo : public AsyncIo {
 public:
  Start start = Start::Pending;
  bool finishesInTime = true;
  bool collectOk = true;
  std::vector<std::string> calls;
  size_t startedSize = 0;

  Start Begin(const uint8_t*, size_t size) override {
    startedSize = size;
    calls.push_back("begin");
    return start;
  }
  bool WaitDone(uint32_t ms) override {
    calls.push_back("wait " + std::to_string(ms));
    return finishesInTime;
  }
  void Cancel() override { calls.push_back("cancel"); }
  bool Collect(bool wait) override {
    calls.push_back(wait ? "collect-waiting" : "collect");
    return collectOk;
  }
};

const uint8_t kData[592] = {};
using Calls = std::vector<std::string>;

TEST(CorvexBoundedWrite, CompletedAtOnceNeedsNoWait) {
  ScriptedIo io;
  io.start = AsyncIo::Start::Completed;
  EXPECT_EQ(BoundedWrite(io, kData, sizeof kData, 100), WriteResult::Done);
  EXPECT_EQ(io.calls, Calls({"begin"}));
  EXPECT_EQ(io.startedSize, 592u);
}

TEST(CorvexBoundedWrite, ErrorOtherThanPendingIsReportedWithoutWaiting) {
  ScriptedIo io;
  io.start = AsyncIo::Start::Failed;
  EXPECT_EQ(BoundedWrite(io, kData, sizeof kData, 100), WriteResult::Failed);
  EXPECT_EQ(io.calls, Calls({"begin"}));
}

TEST(CorvexBoundedWrite, PendingWriteFinishingInTimeIsCollectedWithoutCancel) {
  ScriptedIo io;
  EXPECT_EQ(BoundedWrite(io, kData, sizeof kData, 100), WriteResult::Done);
  EXPECT_EQ(io.calls, Calls({"begin", "wait 100", "collect"}));
}

TEST(CorvexBoundedWrite, PendingWriteWithFailedResultIsFailed) {
  ScriptedIo io;
  io.collectOk = false;
  EXPECT_EQ(BoundedWrite(io, kData, sizeof kData, 100), WriteResult::Failed);
}

TEST(CorvexBoundedWrite, PendingWritePastTheBoundIsCancelledAndAwaited) {
  ScriptedIo io;
  io.finishesInTime = false;
  io.collectOk = false;  // a cancelled write reports "aborted"
  EXPECT_EQ(BoundedWrite(io, kData, sizeof kData, 100), WriteResult::TimedOut);
  EXPECT_EQ(io.calls, Calls({"begin", "wait 100", "cancel", "collect-waiting"}));
}

}  // namespace
}  // namespace corvex
