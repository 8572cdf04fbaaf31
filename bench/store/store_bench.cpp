// Expansion runs on most parameters of every executed line; parameter lookup on every
// parameter read. Typical shapes of both.
#include "CompiledScript.h"
#include "VariableManager.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

void FillStore()
{
    ovd::TVariableManager& v = ovd::Variables();
    v.ClearVariables();
    // About as many variables as a real run holds.
    for (int i = 0; i < 150; ++i)
        v.SetVariableValue("VAR" + std::to_string(i), "value number " + std::to_string(i));
    v.SetVariableValue("TARGETDIR", "C:\\Program Files\\Demo App\\");
    v.SetVariableValue("PRODUCTNAME", "Demo App");
    v.SetVariableValue("VERSION", "1.2.3");
    v.SetVariableValue("SUPPORTDIR", "C:\\Users\\me\\AppData\\Local\\Temp\\ovd1\\");
    v.SetVariableValue("EXEFILE", "setup.exe");
    v.SetVariableValue("INSTALLROOT", "$TARGETDIR$bin\\");
    v.SetVariableValue("TOOLS", "$INSTALLROOT$tools\\");
}

void Expand(benchmark::State& state, const char* text)
{
    FillStore();
    const std::string input = text;
    for (auto _ : state)
        benchmark::DoNotOptimize(ovd::ExpandVariables(input));
}

void BM_ExpandNoDollar(benchmark::State& state)
{
    Expand(state, "Please close all other programs before you continue the installation.");
}
void BM_ExpandFiveReferences(benchmark::State& state)
{
    Expand(state, "$TARGETDIR$$PRODUCTNAME$ $VERSION$ from $SUPPORTDIR$$EXEFILE$");
}
void BM_ExpandNested(benchmark::State& state)
{
    Expand(state, "$TOOLS$run.exe");
}

BENCHMARK(BM_ExpandNoDollar);
BENCHMARK(BM_ExpandFiveReferences);
BENCHMARK(BM_ExpandNested);

// 5,000 lines, 20,000 parameter lines (four per line).
void BM_GetScriptParameter(benchmark::State& state)
{
    ovd::TCompiledScript script;
    std::vector<std::string> ids;
    for (int i = 0; i < 5000; ++i) {
        char id[48];
        std::snprintf(id, sizeof id, "{A1B2C3D4-0000-4000-8000-%012d}", i);
        ids.emplace_back(id);
        script.CommandNames.Add("Set Variable");
        script.CommandIds.Add(id);
        script.ParameterRecords.Add(id);
        for (int p = 1; p <= 4; ++p)
            script.ParameterRecords.Add("parameter " + std::to_string(p));
    }
    std::size_t k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ovd::GetScriptParameter(script.ParameterLists, ids[k], 2));
        k = (k + 7919) % ids.size();
    }
}
BENCHMARK(BM_GetScriptParameter);

} // namespace

BENCHMARK_MAIN();
