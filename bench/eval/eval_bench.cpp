// Cost of one condition, one expression and one "Mathematics" step. Most cases use a plain
// map instead of the store so that the figures are the evaluator's own.
#include <benchmark/benchmark.h>

#include <map>
#include <string>

#include "Condition.h"
#include "Mathematics.h"
#include "StoreEvalVariables.h"
#include "VariableManager.h"
#include "mEval.h"

namespace {

class MapVariables : public ovd::IEvalVariables {
public:
    std::map<std::string, std::string, std::less<>> table;

    bool VariableExists(std::string_view name) const override
    {
        return table.find(name) != table.end();
    }
    std::string GetVariable(std::string_view name) const override
    {
        const auto it = table.find(name);
        return it == table.end() ? std::string() : it->second;
    }
    // Benchmark texts hold no references: expansion is the scan for "$".
    std::string ExpandVariables(std::string_view text) const override { return std::string(text); }
    std::string ExpandVariablesQuoted(std::string_view text) const override
    {
        return std::string(text);
    }
    void DefineVariable(std::string_view name, std::string_view value, std::string_view) override
    {
        table[std::string(name)] = value;
    }
    void SetVariable(std::string_view name, std::string_view value, std::string_view) override
    {
        table[std::string(name)] = value;
    }
};

void BM_ConditionNumeric(benchmark::State& state)
{
    MapVariables vars;
    vars.table["COUNT"] = "41";
    const ovd::TConditionLine line{"{id}", "COUNT", "2", "40", "FALSE"};
    for (auto _ : state) {
        benchmark::DoNotOptimize(ovd::EvaluateCondition(line, vars));
    }
}
BENCHMARK(BM_ConditionNumeric);

// The same condition through the engine's locked store, as the runner calls it.
void BM_ConditionNumericOnStore(benchmark::State& state)
{
    ovd::Variables().SetVariableValue("COUNT", "41");
    ovd::TStoreEvalVariables vars;
    const ovd::TConditionLine line{"{id}", "COUNT", "2", "40", "FALSE"};
    for (auto _ : state) {
        benchmark::DoNotOptimize(ovd::EvaluateCondition(line, vars));
    }
}
BENCHMARK(BM_ConditionNumericOnStore);

void BM_ConditionTextNoCase(benchmark::State& state)
{
    MapVariables vars;
    vars.table["OS"] = "Windows 7 Professional Service Pack 1";
    const ovd::TConditionLine line{"{id}", "$OS$", "3", "service pack", "FALSE"};
    for (auto _ : state) {
        benchmark::DoNotOptimize(ovd::EvaluateCondition(line, vars));
    }
}
BENCHMARK(BM_ConditionTextNoCase);

void BM_ConditionVersion(benchmark::State& state)
{
    MapVariables vars;
    vars.table["VERSION"] = "6.1.7601.17514";
    const ovd::TConditionLine line{"{id}", "VERSION", "6", "6.1.7600", "FALSE"};
    for (auto _ : state) {
        benchmark::DoNotOptimize(ovd::EvaluateCondition(line, vars));
    }
}
BENCHMARK(BM_ConditionVersion);

void BM_ExpressionShort(benchmark::State& state)
{
    const std::string text = R"("5" < "10" and "abc" = "abc")";
    for (auto _ : state) {
        benchmark::DoNotOptimize(ovd::EvaluateExpression(text));
    }
}
BENCHMARK(BM_ExpressionShort);

void BM_ExpressionNested(benchmark::State& state)
{
    const std::string text =
        R"(("a" = "b" or ("1" <= "2" and "x" <> "y")) and )"
        R"(("say ""hi""" >= "say" or "-12" > "+11") and "C:\Program Files\" <> "")";
    for (auto _ : state) {
        benchmark::DoNotOptimize(ovd::EvaluateExpression(text));
    }
}
BENCHMARK(BM_ExpressionNested);

void BM_EvaluateExpressionCommand(benchmark::State& state)
{
    MapVariables vars;
    for (auto _ : state) {
        ovd::RunEvaluateExpression(R"("5" < "10" and "abc" = "abc")", "RESULT", vars);
    }
}
BENCHMARK(BM_EvaluateExpressionCommand);

void BM_MathematicsAdd(benchmark::State& state)
{
    MapVariables vars;
    ovd::TRandomState random;
    for (auto _ : state) {
        ovd::RunMathematics({"123456789", "987654321", "0", "SUM"}, random, vars);
    }
}
BENCHMARK(BM_MathematicsAdd);

void BM_MathematicsRandom(benchmark::State& state)
{
    ovd::TRandomState random{1103515245, 12345, 42};
    for (auto _ : state) {
        benchmark::DoNotOptimize(ovd::ComputeMathematics(15, "100", "", random));
    }
}
BENCHMARK(BM_MathematicsRandom);

} // namespace

BENCHMARK_MAIN();
