// Expression engine: one resetStacks + runText per iteration, against muparser
// doing the same work (set the text, parse it, evaluate it).
#include <benchmark/benchmark.h>
#include <muParser.h>

#include "expr/engine.h"

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
  muparserRun(s, "x =   0.50000000000000,a    = 1,b    = 1,c    = 1,d    = 1,e    = 1,y    = exp(a*sin(b*x))");
}
void BM_Muparser_Power(benchmark::State& s) { muparserRun(s, "y = 2^3^2"); }

}  // namespace

BENCHMARK(BM_Engine_DefaultText);
BENCHMARK(BM_Muparser_DefaultText);
BENCHMARK(BM_Engine_Power);
BENCHMARK(BM_Muparser_Power);
BENCHMARK_MAIN();
