// An opt-in measurement of the UI thread's event latency: a helper thread
// posts an event every 2 ms stamped with the monotonic clock, and the UI
// thread records how long each waited before it was handled. Switched on by
// LUMORA_UI_LATENCY_LOG=FILE; each line is "<handled ns> <latency µs>"
// (bench/wire_timing.sh reads it).
#pragma once

#include <QObject>
#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>

namespace lumora::gui {

class LatencyProbe : public QObject {
 public:
  // nullptr unless the environment asks for the probe.
  static std::unique_ptr<LatencyProbe> FromEnvironment();
  ~LatencyProbe() override;

 protected:
  bool event(QEvent* e) override;

 private:
  explicit LatencyProbe(std::FILE* out);
  std::FILE* out_;
  std::atomic<bool> stop_{false};
  std::thread poster_;
};

}  // namespace lumora::gui
