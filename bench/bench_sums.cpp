// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of one evaluation of f with the default data, of one default draw
// pass's evaluations, of the sums as n grows, and of the convergence table.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>

#include <cstdio>
#include <string>

#include "data/records.h"
#include "expr/engine.h"
#include "expr/fixed_format.h"
#include "expr/function_evaluator.h"
#include "graphics/recording_canvas.h"
#include "plot/convergence.h"
#include "plot/plot.h"
#include "plot/sums.h"

namespace {

using namespace tavex;

ExpressionEngine& engine() {
  static ExpressionEngine engine;
  return engine;
}

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
  FunctionEvaluator evaluator(functionData, engine());
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
        plot(PlotContext{.engine = engine(), .functionRecord = functionData, .graphRecord = graphData}, frame, kDrawPass, kToWindow);
    finishOutput(frame);
    benchmark::DoNotOptimize(pass.report.evaluations);
  }
  state.counters["evaluations"] = 501 + 362;
}
BENCHMARK(BM_DefaultDrawPass)->Unit(benchmark::kMicrosecond);

// The evaluations of a default draw pass alone, in its order: the curve's
// 501 points, then the sums' 362, with a new evaluator as each pass has.
void BM_DefaultDrawPassEvaluations(benchmark::State& state) {
  initFunctionData();
  const FunctionInterval interval = readFunctionInterval();
  for (auto _ : state) {
    FunctionEvaluator evaluator(functionData, engine());
    for (int i = 0; i <= 500; ++i) benchmark::DoNotOptimize(evaluator.evaluate(0.0 + i * (5.0 / 500)));
    benchmark::DoNotOptimize(computeSums(evaluator, interval, nullptr).SumU);
  }
  state.counters["evaluations"] = 501 + 362;
}
BENCHMARK(BM_DefaultDrawPassEvaluations)->Unit(benchmark::kMicrosecond);

void BM_SumsForN(benchmark::State& state) {
  initFunctionData();
  functionData[kFdSteps] = makeEntry(functionData[kFdSteps].name,
                                     std::to_string(state.range(0)).c_str());
  for (auto _ : state) {
    const FunctionInterval& interval = readFunctionInterval();
    FunctionEvaluator evaluator(functionData, engine());
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

// The convergence table of the default data up to n = 2^20 (rows 12 to
// 786432, each with the curve's 501 points first), with its reference.
void BM_ConvergenceDefault(benchmark::State& state) {
  initFunctionData();
  initGraphData();
  long long evaluations = 0;
  for (auto _ : state) {
    ConvergenceStudy study(functionData, graphData, kConvergenceMaxN);
    study.run(engine(), nullptr);
    evaluations = study.reference().evaluations;
    for (const ConvergenceRow& row : study.rows()) evaluations += row.evaluations;
    benchmark::DoNotOptimize(study.rows().back().sums.SumU);
  }
  state.counters["evaluations"] = static_cast<double>(evaluations);
}
BENCHMARK(BM_ConvergenceDefault)->Unit(benchmark::kMillisecond);

// The peer of BM_SumsForN: the same six sums with the same formulas in the
// same order of evaluations, with f(x) = exp(a*sin(b*x)) written in C++.
struct NativeSums {
  double U, L, T, M, S, Exact;
};
template <class F>
NativeSums nativeSums(F f, double x1, double x2, std::int64_t n) {
  const double h = (x2 - x1) / static_cast<double>(n);
  const double nodes[5] = {0.148874338981631, 0.433395394129247, 0.679409568299024,
                           0.865063366688985, 0.973906528517172};
  const double weights[5] = {0.295524224714753, 0.269266719309996, 0.219086362515982,
                             0.149451349150581, 0.066671344308688};
  NativeSums r{};
  const double w = (x2 - x1) / 30, d = w * 0.5;
  for (int i = 1; i <= 30; ++i) {
    const double m = (i * w + x1) - d, m2 = m + m;
    for (int j = 0; j < 5; ++j) {
      const double u = d * nodes[j] + m;
      r.Exact = f(u) * d * weights[j] + r.Exact;
      r.Exact = f(m2 - u) * d * weights[j] + r.Exact;
    }
  }
  double s = f(x1);
  s = f(x2) + s;
  for (std::int64_t j = 1; j <= n / 2 - 1; ++j) {
    const double xk = static_cast<double>(2 * j - 1) * h + x1;
    s = 4.0 * f(xk) + s;
    s = 2.0 * f(xk + h) + s;
  }
  s = 4.0 * f(x2 - h) + s;
  r.S = (h * 0.3333333333333333) * s;
  for (std::int64_t i = 0; i < n; ++i) {
    const double xi = static_cast<double>(i) * h + x1;
    r.M = f(h * 0.5 + xi) * h + r.M;
    const double right = f(xi + h);
    r.T = ((f(xi) + right) * h) * 0.5 + r.T;
  }
  double fp = f(x1);
  for (std::int64_t i = 1; i <= n; ++i) {
    const double fx = f(static_cast<double>(i) * h + x1);
    if (fx > fp) {
      r.U = fx * h + r.U;
      r.L = fp * h + r.L;
    } else {
      r.U = fp * h + r.U;
      r.L = fx * h + r.L;
    }
    fp = fx;
  }
  return r;
}

void BM_SumsNative(benchmark::State& state) {
  volatile double av = 1.0, bv = 1.0;
  for (auto _ : state) {
    const double a = av, b = bv;
    const NativeSums r = nativeSums([a, b](double x) { return std::exp(a * std::sin(b * x)); }, 1.0,
                                    4.0, state.range(0));
    benchmark::DoNotOptimize(r.U);
  }
}
BENCHMARK(BM_SumsNative)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
