// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: one whole draw pass and one probe pass into a null
// canvas of 640 x 480, over function and graph data taken from the input.
// The input is text, one value a line: the function data's y, a to e, x1,
// x2 and n, then the graph data's x0, x1, y0, y1, n, t1, tt1, t2, tt2,
// tsize, xlab, ylab and title, then the pointer's "x y" for the probe;
// entries after the last line keep their defaults. Only the two step counts
// n are capped (at kMaxSteps), so that they alone cannot make a pass slow;
// every other entry may be as hostile as the input makes it.
//
// Run with -timeout and -rss_limit_mb: a slow or memory-hungry pass fails.
// Under the fuzzer's instrumentation an evaluation of f takes up to about
// 0.7 ms (some 50 times a release build's), so the slowest pass the caps
// allow (501 curve points and 5 × 500 + 302 for the sums, with the longest
// lines and abscissae of 300 digits) takes some 2 s; a timeout of 10 s still
// catches any loop that grows with a count (2^31 ticks take hours), and a
// pass keeps to a few MB above the fuzzer's own.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "data/records.h"
#include "expr/engine.h"
#include "graphics/graph_frame.h"
#include "graphics/null_canvas.h"
#include "plot/plot.h"

namespace {

using namespace tavex;

constexpr int kMaxSteps = 500;
constexpr int kWidth = 640;
constexpr int kHeight = 480;

void setValue(DataEntry& entry, std::string_view value) {
  std::string line = std::string(entry.name) + " = ";
  line.append(value.substr(0, DataEntry::kLineSize - 1 - line.size()));
  acceptLine(entry, line.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  initFunctionData();
  initGraphData();
  DataEntry function[kFunctionDataEntries];
  DataEntry graph[kGraphDataEntries];
  std::copy_n(functionData, kFunctionDataEntries, function);
  std::copy_n(graphData, kGraphDataEntries, graph);

  std::string_view input(reinterpret_cast<const char*>(data), size);
  int mouseX = 300, mouseY = 200;
  for (int line = 0; !input.empty(); ++line) {
    const size_t end = std::min(input.find('\n'), input.size());
    const std::string_view value = input.substr(0, end);
    input.remove_prefix(std::min(end + 1, input.size()));
    if (line < kFunctionDataEntries - 1) {
      setValue(function[line + 1], value);
    } else if (line < kFunctionDataEntries - 1 + kGraphDataEntries - 1) {
      setValue(graph[line - (kFunctionDataEntries - 1) + 1], value);
    } else {
      const std::string text(value);
      char* rest = nullptr;
      mouseX = static_cast<int>(std::strtol(text.c_str(), &rest, 10));
      mouseY = static_cast<int>(std::strtol(rest, nullptr, 10));
      break;
    }
  }
  for (DataEntry* steps : {&function[kFdSteps], &graph[kGdPoints]}) {
    const int n = readInteger(steps->value);
    if (n > kMaxSteps || n < -kMaxSteps) setValue(*steps, std::to_string(kMaxSteps));
  }

  ExpressionEngine engine;  // fresh variables for every input
  NullWindow window(kWidth, kHeight);
  GraphFrame frame(&window);
  PlotContext context{.engine = engine,
                      .functionRecord = function,
                      .graphRecord = graph,
                      .mouseX = mouseX,
                      .mouseY = mouseY};
  const PassResult draw = plot(context, frame, kDrawPass, kToWindow);
  context.probeEnabled = draw.probeEnabled;
  const PassResult probe = plot(context, frame, kProbePass, kToWindow);
  finishOutput(frame);

  // The decoration is bounded by the frame: besides the curve's segments and
  // at most six lines a step, a few per device position along the edges.
  const long long n = std::max(readInteger(function[kFdSteps].value), 0);
  const long long edgeUnits = 2LL * (kWidth + kHeight);
  const long long lineBound = kMaxSteps + 6 * (n + 1) + 2 * edgeUnits + 64;
  const long long textBound = edgeUnits + 64;
  if (window.canvas.lineCount > lineBound || window.canvas.textCount > textBound || !draw.ran ||
      !probe.ran) {
    std::fprintf(stderr, "lines %lld, texts %lld, passes ran %d %d\n", window.canvas.lineCount,
                 window.canvas.textCount, draw.ran, probe.ran);
    std::abort();
  }
  return 0;
}
