#include "gui/latency_probe.h"

#include <QCoreApplication>
#include <QEvent>
#include <cstdlib>
#include <ctime>

namespace lumora::gui {

namespace {

const QEvent::Type kProbeEvent = static_cast<QEvent::Type>(QEvent::registerEventType());
constexpr long kIntervalNs = 2'000'000;

int64_t NowNs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

class ProbeEvent : public QEvent {
 public:
  explicit ProbeEvent(int64_t posted) : QEvent(kProbeEvent), posted(posted) {}
  int64_t posted;
};

}  // namespace

std::unique_ptr<LatencyProbe> LatencyProbe::FromEnvironment() {
  const char* path = std::getenv("LUMORA_UI_LATENCY_LOG");
  if (!path || !*path) return nullptr;
  std::FILE* out = std::fopen(path, "w");
  if (!out) return nullptr;
  return std::unique_ptr<LatencyProbe>(new LatencyProbe(out));
}

LatencyProbe::LatencyProbe(std::FILE* out) : out_(out) {
  poster_ = std::thread([this] {
    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    while (!stop_.load(std::memory_order_acquire)) {
      next.tv_nsec += kIntervalNs;
      if (next.tv_nsec >= 1'000'000'000) {
        next.tv_nsec -= 1'000'000'000;
        ++next.tv_sec;
      }
      clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
      QCoreApplication::postEvent(this, new ProbeEvent(NowNs()));
    }
  });
}

LatencyProbe::~LatencyProbe() {
  stop_.store(true, std::memory_order_release);
  poster_.join();
  QCoreApplication::removePostedEvents(this, kProbeEvent);
  std::fclose(out_);
}

bool LatencyProbe::event(QEvent* e) {
  if (e->type() != kProbeEvent) return QObject::event(e);
  const int64_t now = NowNs();
  std::fprintf(out_, "%lld %.1f\n", static_cast<long long>(now),
               static_cast<double>(now - static_cast<ProbeEvent*>(e)->posted) / 1000.0);
  return true;
}

}  // namespace lumora::gui
