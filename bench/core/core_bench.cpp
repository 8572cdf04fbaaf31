// The runner asks GetScriptParameter for every parameter of every executed line: measure
// it on a large script (5,000 lines, 20,000 parameter lines), and the load of that script.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "AnsiText.h"
#include "CompiledScript.h"
#include "CompiledScriptWriter.h"

namespace {

constexpr int kLines = 5000;
constexpr int kParameters = 4; // per line: 20,000 parameter lines

std::string LineId(int i)
{
    char id[40];
    std::snprintf(id, sizeof id, "{%08X-1D2C-4B3A-9F8E-%012X}", 0x51A7E000u + unsigned(i),
                  unsigned(i) * 2654435761u);
    return id;
}

const std::string& LargeScript()
{
    static const std::string bytes = [] {
        ovd::TCompiledScript s;
        for (int i = 0; i < kLines; ++i) {
            const std::string id = LineId(i);
            s.CommandNames.Add(i % 3 ? "Set Variable" : "If");
            s.CommandIds.Add(id);
            s.LineFlags.Add("");
            s.LineWebMediaFlags.Add("");
            s.SourcePositions.Add("C:\\proj\\setup.ovds*" + std::to_string(i));
            s.ParameterRecords.Add(id);
            for (int n = 1; n <= kParameters; ++n) {
                s.ParameterRecords.Add("VAR" + std::to_string(i) + "$ZOVR$ZOVR$TRUE value " +
                                       std::to_string(n));
            }
        }
        s.BuildMode = 1;
        s.ScriptCodePage = 1252;
        return ovd::WriteCompiledScript(s);
    }();
    return bytes;
}

// Lookups in a random line order, as a script with jumps and loops would make them.
std::vector<std::string> Queries(bool lowerCase)
{
    std::mt19937 random(42);
    std::vector<std::string> ids;
    for (int k = 0; k < 4096; ++k) {
        std::string id = LineId(int(random() % kLines));
        ids.push_back(lowerCase ? ovd::AnsiLowerCase(id) : id);
    }
    return ids;
}

void GetScriptParameterHit(benchmark::State& state)
{
    ovd::TCompiledScript script;
    ovd::LoadCompiledScript(LargeScript(), script);
    const auto ids = Queries(state.range(0) != 0);
    std::size_t k = 0;
    for (auto _ : state) {
        const std::string& value =
            ovd::GetScriptParameter(script.ParameterLists, ids[k & 4095], long(k % 4) + 1);
        ++k;
        benchmark::DoNotOptimize(value.data());
    }
    state.SetLabel(state.range(0) ? "identifier in other case" : "identifier as stored");
}
BENCHMARK(GetScriptParameterHit)->Arg(0)->Arg(1);

void GetScriptParameterMiss(benchmark::State& state)
{
    ovd::TCompiledScript script;
    ovd::LoadCompiledScript(LargeScript(), script);
    const std::string id = "{00000000-0000-0000-0000-000000000000}";
    for (auto _ : state) {
        benchmark::DoNotOptimize(ovd::GetScriptParameter(script.ParameterLists, id, 1).data());
    }
}
BENCHMARK(GetScriptParameterMiss);

void LoadLargeScript(benchmark::State& state)
{
    const std::string& bytes = LargeScript();
    for (auto _ : state) {
        ovd::TCompiledScript script;
        benchmark::DoNotOptimize(ovd::LoadCompiledScript(bytes, script).ok);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(LoadLargeScript)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
