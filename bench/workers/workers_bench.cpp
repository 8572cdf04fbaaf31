// The cost of one ReportWorkerProgress (store writes under the store's lock) natively:
// build/bin/workers_bench
#include "VariableManager.h"
#include "WorkerProgress.h"

#include <benchmark/benchmark.h>

namespace {

// A file copy's report: text and numbers.
void BM_ReportWorkerProgress(benchmark::State& state)
{
    ovd::Variables().ClearVariables();
    long long n = 0;
    for (auto _ : state) {
        ++n;
        ovd::ReportWorkerProgressAt(static_cast<std::uint64_t>(n),
                                    "C:\\Program Files\\Product\\file.dll", 0, 100, n % 100);
    }
}
BENCHMARK(BM_ReportWorkerProgress);

// A directory step of a file search: numbers only.
void BM_ReportNumbersOnly(benchmark::State& state)
{
    ovd::Variables().ClearVariables();
    long long n = 0;
    for (auto _ : state) {
        ++n;
        ovd::ReportWorkerProgressAt(static_cast<std::uint64_t>(n), ovd::kIgnoreProgressText, 0, 100,
                                    n % 100);
    }
}
BENCHMARK(BM_ReportNumbersOnly);

} // namespace

BENCHMARK_MAIN();
