// Lines per second of the execution loop on a tight loop (Set Variable, Mathematics, If,
// GoTo Label), and the cost of a false "If" skipping a 1,000-line block. Every executed
// line pays the per-line refreshes (variables read back, DATE / TIME set again).
#include <benchmark/benchmark.h>

#include "CommandTable.h"
#include "ExecutionLoop.h"
#include "RecordingRunnerUI.h"
#include "ScriptTestSupport.h"
#include "VariableManager.h"

namespace {

using ovdtest_engine::Line;

struct Bench {
    ovd::TCompiledScript script;
    ovdtest_engine::RecordingPlatform platform;
    ovd::TRecordingRunnerUI ui;

    explicit Bench(const std::vector<Line>& lines)
    {
        ovdtest_engine::FillScript(script, lines);
        ovd::ClearCommands();
        ovd::RegisterRunnerCommands();
        if (ovd::FindCommand("Set Variable") == nullptr) {
            // Stand-in until the string commands are registered here.
            ovd::RegisterCommand("Set Variable", [](ovd::TCommandContext& c) {
                c.CreateFirst(c.OutputName(1));
                c.Assign(c.OutputName(1), c.Expanded(2));
            });
        }
    }

    void Run()
    {
        ovd::Variables().ClearVariables();
        ovd::DefineVariable("PROGRESS", "0", "Initialization");
        ovd::TEngineServices services;
        services.Platform = &platform;
        services.UseUserInterface(ui);
        ovd::TScriptRun run(services);
        run.Script = &script;
        run.Labels.Build(script.CommandNames, script.CommandIds, script.ParameterLists);
        ovd::RunExecutionLoop(run);
        ui.Events.clear();
    }
};

// 5 lines per round; 200,000 rounds = 1,000,000 executed lines (plus a few).
void BM_TightLoop(benchmark::State& state)
{
    Bench bench({{"Set Variable", {"N", "0"}},
                 {"Label", {"top"}},
                 {"Mathematics", {"$N$", "1", "0", "N"}},
                 {"Set Variable", {"LAST", "$N$"}},
                 {"If", {"N", "2", "200000", "TRUE"}},
                 {"GoTo Label", {"top"}},
                 {"End", {}}});
    for (auto _ : state)
        bench.Run();
    state.SetItemsProcessed(state.iterations() * 1000000);
    state.counters["lines/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * 1e6,
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TightLoop)->Unit(benchmark::kMillisecond);

// A false "If" in front of a block of 1,000 lines (with nested blocks to count).
void BM_FalseIfSkipsBlock(benchmark::State& state)
{
    std::vector<Line> lines;
    lines.push_back({"If", {"X", "0", "1", "FALSE"}});
    for (int i = 0; i < 100; ++i) {
        lines.push_back({"If", {"X", "0", "1", "FALSE"}});
        for (int k = 0; k < 8; ++k)
            lines.push_back({"Comment", {}});
        lines.push_back({"End", {}});
    }
    lines.push_back({"End", {}});
    Bench bench(lines);
    for (auto _ : state)
        bench.Run();
}
BENCHMARK(BM_FalseIfSkipsBlock)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
