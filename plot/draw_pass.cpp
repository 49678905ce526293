#include "plot/draw_pass.h"

#include <cstdint>
#include <cstring>

namespace tavex {

CurveRange readCurveRange() {
  CurveRange r;
  r.x0 = readReal(graphData[kGdX0].value);
  r.x1 = readReal(graphData[kGdX1].value);
  r.points = readInteger(graphData[kGdPoints].value);
  return r;
}

void traceCurve(FunctionEvaluator& evaluator, double xa, double xb, int steps,
                CurveDrawing* curve) {
  const double h = (xb - xa) / steps;
  double y = evaluator.evaluate(xa);
  if (curve) curve->moveTo(xa, y);
  for (std::int64_t i = 1; i <= steps; ++i) {
    const double x = xa + static_cast<double>(i) * h;
    y = evaluator.evaluate(x);
    if (curve) curve->lineTo(x, y);
  }
}

RiemannSums drawPassEvaluations(FunctionEvaluator& evaluator, const FunctionInterval& interval,
                                const CurveRange& range, CurveDrawing* curve,
                                StepDrawing* steps) {
  traceCurve(evaluator, range.x0, range.x1, range.points, curve);
  return computeSums(evaluator, interval, steps);
}

ProbeReadings probeReadings(FunctionEvaluator& evaluator, double x) {
  ProbeReadings r;
  r.x = x;
  r.y = evaluator.evaluate(x);
  const double fp = evaluator.evaluate(x + kProbeStep);
  const double fm = evaluator.evaluate(x - kProbeStep);
  r.d1 = (fp - fm) * 500.0;
  r.d2 = ((fp - (r.y + r.y)) + fm) * 1000000.0;
  return r;
}

DataPanelLines dataPanelLines(const FunctionInterval& interval, const RiemannSums& sums) {
  DataPanelLines out;
  auto add = [&out](const char* text) {
    char* line = out.lines[out.count++];
    const size_t n = strnlen(text, DataEntry::kLineSize - 1);
    std::memcpy(line, text, n);
    line[n] = '\0';
  };
  for (int i = kFdFirstParameter; i <= kFdFirstParameter + 4; ++i) add(functionData[i].line);
  if (sumsWanted(interval)) {
    add(functionData[kFdX1].line);
    add(functionData[kFdX2].line);
    add(functionData[kFdSteps].line);
    const ReadoutLines readouts = sumReadouts(sums);
    for (int i = 0; i < readouts.count; ++i) add(readouts.lines[i]);
  }
  return out;
}

}  // namespace tavex
