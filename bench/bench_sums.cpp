// Cost of one evaluation of f with the default data, of one default draw
// pass's evaluations, and of the sums as n grows.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "data/records.h"
#include "expr/engine.h"
#include "expr/fixed_format.h"
#include "expr/function_evaluator.h"
#include "graphics/recording_canvas.h"
#include "plot/plot.h"
#include "plot/sums.h"

namespace {

using namespace tavex;

const SymbolTable& symbols() { return ExpressionEngine::instance().symbolTable(); }

void BM_FormatFixed14(benchmark::State& state) {
  char text[kFixed14MaxLength + 1];
  double x = 0.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(formatFixed14(text, x));
    x = x < 5.0 ? x + 0.01 : 0.0;
  }
}
BENCHMARK(BM_FormatFixed14);

void BM_SnprintfFixed14(benchmark::State& state) {
  char text[kFixed14MaxLength + 1];
  double x = 0.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::snprintf(text, sizeof text, "%18.14f", x));
    x = x < 5.0 ? x + 0.01 : 0.0;
  }
}
BENCHMARK(BM_SnprintfFixed14);

void BM_EvaluateDefault(benchmark::State& state) {
  initFunctionData();
  FunctionEvaluator evaluator(functionData, symbols());
  double x = 0.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(evaluator.evaluate(x));
    x = x < 5.0 ? x + 0.01 : 0.0;
  }
}
BENCHMARK(BM_EvaluateDefault);

void BM_DefaultDrawPass(benchmark::State& state) {
  initFunctionData();
  initGraphData();
  for (auto _ : state) {
    // The whole pass, drawn into a recording canvas.
    RecordingWindow window;
    GraphFrame frame(&window);
    const PassResult pass =
        plot(PlotContext{.engine = ExpressionEngine::instance()}, frame, kDrawPass, kToWindow);
    finishOutput(frame);
    benchmark::DoNotOptimize(pass.report.evaluations);
  }
  state.counters["evaluations"] = 501 + 362;
}
BENCHMARK(BM_DefaultDrawPass)->Unit(benchmark::kMicrosecond);

void BM_SumsForN(benchmark::State& state) {
  initFunctionData();
  functionData[kFdSteps] = makeEntry(functionData[kFdSteps].name,
                                     std::to_string(state.range(0)).c_str());
  for (auto _ : state) {
    const FunctionInterval& interval = readFunctionInterval();
    FunctionEvaluator evaluator(functionData, symbols());
    const RiemannSums sums = computeSums(evaluator, interval, nullptr);
    benchmark::DoNotOptimize(sums.SumU);
  }
  state.SetComplexityN(state.range(0));
  initFunctionData();
}
BENCHMARK(BM_SumsForN)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
