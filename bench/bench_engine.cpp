// SPDX-License-Identifier: GPL-3.0-or-later
// Expression engine: one resetStacks + runText per iteration, against muparser
// doing the same work (set the text, parse it, evaluate it). Then f(x) per
// evaluation of the default function: the evaluator parsing every text, the
// evaluator replaying its tapes, muparser with the expression compiled once,
// and the same function in C++.
#include <benchmark/benchmark.h>
#include <muParser.h>

#include <cmath>

#include "data/records.h"
#include "expr/engine.h"
#include "expr/function_evaluator.h"

namespace {

const char* kDefaultText =
    "x =   0.50000000000000,a    = 1,b    = 1,c    = 1,d    = 1,e    = 1,y    = exp(a*sin(b*x))";
const char* kPowerText = "y = 2**3**2";

void engineRun(benchmark::State& state, const char* text) {
  tavex::ExpressionEngine e;
  for (auto _ : state) {
    e.resetStacks();
    benchmark::DoNotOptimize(e.runText(text));
  }
  if (e.status() != tavex::ParseStatus::Accepted) state.SkipWithError("text not accepted");
}
void BM_Engine_DefaultText(benchmark::State& s) { engineRun(s, kDefaultText); }
void BM_Engine_Power(benchmark::State& s) { engineRun(s, kPowerText); }

void muparserRun(benchmark::State& state, const char* text) {
  double x = 0, a = 0, b = 0, c = 0, d = 0, e = 0, y = 0;
  mu::Parser p;
  p.DefineVar("x", &x);
  p.DefineVar("a", &a);
  p.DefineVar("b", &b);
  p.DefineVar("c", &c);
  p.DefineVar("d", &d);
  p.DefineVar("e", &e);
  p.DefineVar("y", &y);
  for (auto _ : state) {
    p.SetExpr(text);  // the text is parsed again on every evaluation, as in Tavex
    benchmark::DoNotOptimize(p.Eval());
  }
  benchmark::DoNotOptimize(y);
}
void BM_Muparser_DefaultText(benchmark::State& s) {
  muparserRun(
      s,
      "x =   0.50000000000000,a    = 1,b    = 1,c    = 1,d    = 1,e    = 1,y    = exp(a*sin(b*x))");
}
void BM_Muparser_Power(benchmark::State& s) { muparserRun(s, "y = 2^3^2"); }

// Abscissae across the default interval, as a pass meets them.
inline double nextX(double x) { return x < 4.0 ? x + 0.000123 : 1.0; }

void evaluatorRun(benchmark::State& state, bool replay) {
  tavex::initFunctionData();
  tavex::ExpressionEngine engine;
  tavex::FunctionEvaluator evaluator(tavex::functionData, engine);
  evaluator.setReplay(replay);
  double x = 1.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(evaluator.evaluate(x));
    x = nextX(x);
  }
  state.counters["replayed"] = static_cast<double>(evaluator.replayCount()) /
                               static_cast<double>(evaluator.evaluationCount());
}
void BM_Evaluate_ParsePath(benchmark::State& s) { evaluatorRun(s, false); }
void BM_Evaluate_Replay(benchmark::State& s) { evaluatorRun(s, true); }

void BM_Muparser_CompiledOnce(benchmark::State& state) {
  double x = 1.0, a = 1.0, b = 1.0;
  mu::Parser p;
  p.DefineVar("x", &x);
  p.DefineVar("a", &a);
  p.DefineVar("b", &b);
  p.SetExpr("exp(a*sin(b*x))");
  for (auto _ : state) {
    benchmark::DoNotOptimize(p.Eval());
    x = nextX(x);
  }
}

void BM_Native(benchmark::State& state) {
  volatile double av = 1.0, bv = 1.0;  // read each time, as parameters are
  double x = 1.0;
  for (auto _ : state) {
    const double a = av, b = bv;
    benchmark::DoNotOptimize(std::exp(a * std::sin(b * x)));
    x = nextX(x);
  }
}

}  // namespace

BENCHMARK(BM_Evaluate_ParsePath);
BENCHMARK(BM_Evaluate_Replay);
BENCHMARK(BM_Muparser_CompiledOnce);
BENCHMARK(BM_Native);
BENCHMARK(BM_Engine_DefaultText);
BENCHMARK(BM_Muparser_DefaultText);
BENCHMARK(BM_Engine_Power);
BENCHMARK(BM_Muparser_Power);
BENCHMARK_MAIN();
