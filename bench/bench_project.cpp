// Writing and reading a maximal show (every table full). Goal: under 5 ms
// each on the target machine.
#include <benchmark/benchmark.h>

#include "project/project_format.h"
#include "tests/test_project_shows.h"

namespace {

void BM_ProjectWriteMaximalShow(benchmark::State& st) {
  lumora::DeskState s;
  lumora::testing::MaximalShow(s);
  for (auto _ : st) {
    std::string t = lumora::WriteWholeProject(s, "08/12/2026");
    benchmark::DoNotOptimize(t.data());
  }
}
BENCHMARK(BM_ProjectWriteMaximalShow)->Unit(benchmark::kMillisecond);

void BM_ProjectReadMaximalShow(benchmark::State& st) {
  lumora::DeskState s;
  lumora::testing::MaximalShow(s);
  const std::string text = lumora::WriteWholeProject(s, "08/12/2026");
  st.counters["bytes"] = static_cast<double>(text.size());
  lumora::DeskState target;
  lumora::testing::EmptyDesk(target);
  for (auto _ : st) {
    lumora::ReadReport r = lumora::ReadProjectText(target, text);
    benchmark::DoNotOptimize(r.records);
  }
}
BENCHMARK(BM_ProjectReadMaximalShow)->Unit(benchmark::kMillisecond);

}  // namespace
