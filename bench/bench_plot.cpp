// SPDX-License-Identifier: GPL-3.0-or-later
// A whole default draw pass with its drawing, into a plot window's backing
// image, and a probe pass after it.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "data/records.h"
#include "expr/engine.h"
#include "graphics/graph_frame.h"
#include "platform/paint_device_window.h"
#include "plot/plot.h"

namespace {

// The program's engine, for this test program.
tavex::ExpressionEngine& testEngine() {
  static tavex::ExpressionEngine engine;
  return engine;
}

using namespace tavex;

void BM_DrawPassIntoImage(benchmark::State& state) {
  initFunctionData();
  initGraphData();
  QImage image(800, 600, QImage::Format_RGB32);
  PaintDeviceWindow window(&image, 800, 600);
  GraphFrame frame(&window);
  const PlotContext context{.engine = testEngine(), .functionRecord = functionData, .graphRecord = graphData};
  for (auto _ : state) plot(context, frame, kDrawPass, kToWindow);
  finishOutput(frame);
}
BENCHMARK(BM_DrawPassIntoImage)->Unit(benchmark::kMillisecond);

// A draw pass with n steps into an 800x600 image: evaluations and drawing.
void BM_DrawPassForN(benchmark::State& state) {
  initFunctionData();
  initGraphData();
  acceptLine(functionData[kFdSteps], ("n    = " + std::to_string(state.range(0))).c_str());
  QImage image(800, 600, QImage::Format_RGB32);
  PaintDeviceWindow window(&image, 800, 600);
  GraphFrame frame(&window);
  const PlotContext context{.engine = testEngine(), .functionRecord = functionData, .graphRecord = graphData};
  for (auto _ : state) plot(context, frame, kDrawPass, kToWindow);
  finishOutput(frame);
  initFunctionData();
}
BENCHMARK(BM_DrawPassForN)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Resident memory in MB, from /proc/self/statm.
double residentMegabytes() {
  long pages = 0, resident = 0;
  FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr) return 0.0;
  if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
  std::fclose(statm);
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1e6;
}

// Each rule's picture at n = 1000000, the default picture (rule 0, the
// upper and lower outlines) its peer in the same run: the same evaluations,
// each with its own drawing. rssMB is the process's resident memory after.
void BM_RulePictureForN(benchmark::State& state) {
  initFunctionData();
  initGraphData();
  acceptLine(functionData[kFdSteps], "n    = 1000000");
  const SumRule rule = static_cast<SumRule>(state.range(0));
  QImage image(800, 600, QImage::Format_RGB32);
  PaintDeviceWindow window(&image, 800, 600);
  GraphFrame frame(&window);
  const PlotContext context{.engine = testEngine(), .functionRecord = functionData,
                            .graphRecord = graphData, .rule = rule};
  for (auto _ : state) plot(context, frame, kDrawPass, kToWindow);
  finishOutput(frame);
  state.SetLabel(ruleName(rule));
  state.counters["rssMB"] = residentMegabytes();
  initFunctionData();
}
BENCHMARK(BM_RulePictureForN)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

void BM_ProbePassIntoImage(benchmark::State& state) {
  initFunctionData();
  initGraphData();
  QImage image(800, 600, QImage::Format_RGB32);
  PaintDeviceWindow window(&image, 800, 600);
  GraphFrame frame(&window);
  PlotContext context{.engine = testEngine(), .functionRecord = functionData, .graphRecord = graphData};
  context.probeEnabled = plot(context, frame, kDrawPass, kToWindow).probeEnabled;
  int x = 80;
  for (auto _ : state) {
    context.mouseX = x;
    context.mouseY = 300;
    plot(context, frame, kProbePass, kToWindow);
    x = x < 480 ? x + 1 : 80;
  }
  finishOutput(frame);
}
BENCHMARK(BM_ProbePassIntoImage)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
