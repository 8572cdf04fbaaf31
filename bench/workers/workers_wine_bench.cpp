// Workers under Wine: the cost of one ReportWorkerProgress, a plug-in round trip with 300
// variables (hand-over, two RunTimeExecute calls, the store replaced by the result), and
// the latency from a worker's finish to the main thread's return from its wait.
//   cmake/wine-run.sh <tree>/wine/prefix <tree>/bin/workers_wine_bench.exe [plug-in.dll]
#include "ScriptRun.h"
#include "TScriptThread.h"
#include "VariableManager.h"
#include "WaitForWorker.h"
#include "WinHandles.h"
#include "uGlobals.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1e3 / static_cast<double>(frequency.QuadPart);
}

struct TFigures {
    double median, p95, max;
};

TFigures Summary(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return {samples[samples.size() / 2], samples[samples.size() * 95 / 100], samples.back()};
}

// A worker that only notes when its body ended.
class TStampWorker final : public ovd::TWorkerThread {
public:
    static inline bool WorkerFinishedFlag = false;
    TStampWorker() : TWorkerThread(WorkerFinishedFlag) {}
    double ended = 0;

private:
    void Execute() override { ended = Now(); }
};

void ReportCost()
{
    constexpr int kCalls = 1000000;
    const double start = Now();
    for (int i = 0; i < kCalls; ++i)
        ovd::ReportWorkerProgress("C:\\Program Files\\Product\\file.dll", 0, 100, i % 100);
    std::printf("ReportWorkerProgress: %.0f ns per call (%d calls)\n",
                (Now() - start) * 1e6 / kCalls, kCalls);
}

void PluginRoundTrip(const std::string& library)
{
    ovd::Variables().ClearVariables();
    for (int i = 0; i < 300; ++i)
        ovd::Variables().SetVariableValue("VARIABLE" + std::to_string(i),
                                          "value of variable " + std::to_string(i));
    ovd::TEngineServices services;
    ovd::TScriptRun run(services);
    std::vector<double> samples;
    for (int i = 0; i < 200; ++i) {
        const double start = Now();
        const ovd::TPluginCall call{library, "RESULT=" + std::to_string(i),
                                    ovd::SaveVariablesToText()};
        const ovd::TPluginResult result = ovd::RunPluginInWorker(run, call);
        ovd::LoadVariablesFromText(result.Text);
        samples.push_back(Now() - start);
    }
    const TFigures f = Summary(samples);
    std::printf("plug-in round trip, %zu variables: median %.3f ms, p95 %.3f ms, max %.3f ms\n",
                ovd::Variables().Count(), f.median, f.p95, f.max);
}

void WakeUp(bool silent)
{
    ovd::Process().SilentMode = silent;
    ovd::TEngineServices services;
    ovd::TScriptRun run(services);
    std::vector<double> samples;
    for (int i = 0; i < 500; ++i) {
        TStampWorker worker;
        ovd::AwaitWorker(run, worker, {});
        samples.push_back(Now() - worker.ended);
    }
    const TFigures f = Summary(samples);
    std::printf("wake-up after a worker's finish (%s): median %.3f ms, p95 %.3f ms, max %.3f ms\n",
                silent ? "silent" : "pumping", f.median, f.p95, f.max);
    ovd::Process().SilentMode = false;
}

} // namespace

int main(int argc, char** argv)
{
    ovd::ImageListPool();
    ReportCost();
    PluginRoundTrip(argc > 1 ? argv[1] : OVD_SETVARS_PLUGIN);
    WakeUp(false);
    WakeUp(true);
    return 0;
}
