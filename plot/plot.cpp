// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/plot.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <algorithm>

#include "data/records.h"
#include "graphics/axes.h"
#include "plot/print.h"
#include "plot/rule_picture.h"
#include "plot/sums.h"
#include "plot/warnings.h"

namespace tavex {

namespace {

// The four panels of the page.
struct PageLayout {
  Panel graph;
  Panel data;
  Panel function;
  Panel probe;
};

constexpr PageLayout kScreenLayout{
    .graph = {.leftPct = 10, .rightPct = 60, .bottomPct = 20, .topPct = 78, .brushIndex = 2,
              .framePenIndex = 2, .penIndex = 1, .textColourIndex = 1},
    .data = {.leftPct = 62, .rightPct = 98, .bottomPct = 15, .topPct = 72, .brushIndex = 4,
             .framePenIndex = 12, .penIndex = 2, .textColourIndex = 2},
    .function = {.leftPct = 10, .rightPct = 60, .bottomPct = 81, .topPct = 90, .brushIndex = 3,
                 .framePenIndex = 2, .penIndex = 1, .textColourIndex = 1},
    .probe = {.leftPct = 62, .rightPct = 98, .bottomPct = 75, .topPct = 90, .brushIndex = 4,
              .framePenIndex = 12, .penIndex = 1, .textColourIndex = 1},
};

// Paper raises the bottoms of the graph and the data panel.
constexpr PageLayout kPaperLayout = [] {
  PageLayout paper = kScreenLayout;
  paper.graph.bottomPct = 35;
  paper.data.bottomPct = 30;
  return paper;
}();

// Pens of the plot proper.
constexpr int kGridPen = 10;
constexpr int kCurvePen = 11;
constexpr int kUpperPen = 12;
constexpr int kLowerPen = 13;

// Draws each step of the rectangle walk: the vertical line from the axis at
// every grid point, then the upper outline (cyan) at the larger end value and
// the lower outline (magenta) at the smaller one.
class StepOutlines : public StepDrawing {
 public:
  explicit StepOutlines(GraphFrame& frame) : frame_(frame) {}
  void start(double x1, double f1) override {
    frame_.selectPen(kGridPen);
    frame_.moveTo(x1, 0);
    frame_.lineTo(x1, f1);
  }
  void step(double p, double fp, double x, double fx) override {
    frame_.selectPen(kGridPen);
    frame_.moveTo(x, 0);
    frame_.lineTo(x, fx);
    frame_.selectPen(kUpperPen);
    frame_.moveTo(p, fp);
    if (fx > fp) {
      frame_.lineTo(p, fx);
      frame_.lineTo(x, fx);
      frame_.selectPen(kLowerPen);
      frame_.lineTo(x, fp);
      frame_.lineTo(p, fp);
    } else {
      frame_.lineTo(x, fp);
      frame_.lineTo(x, fx);
      frame_.selectPen(kLowerPen);
      frame_.lineTo(p, fx);
      frame_.lineTo(p, fp);
    }
  }

 private:
  GraphFrame& frame_;
};

void releaseTools(GraphFrame& frame) {
  for (Pen& pen : frame.pens) pen = Pen{};
  for (Brush& brush : frame.brushes) brush = Brush{};
  frame.clientRegion = Region{};
  frame.frameRegion = Region{};
  if (frame.dc != nullptr && frame.font) frame.dc->deleteFont(frame.font);
  frame.font = FontHandle{};
}

// The window's canvas and its size, with the screen font and a white client
// area (while colour is allowed).
void prepareWindow(GraphFrame& frame) {
  frame.dc = frame.window->acquireCanvas();
  frame.screenDc = frame.dc;
  if (frame.dc == nullptr) return;
  Canvas& dc = *frame.dc;

  frame.font = createScaledFont(dc, "Times New Roman", 100, 100, 0, kLogicalDpi);
  dc.selectFont(frame.font);
  frame.textMetrics = dc.textMetrics();
  frame.charWidth = frame.textMetrics.averageCharWidth;
  frame.lineHeight = frame.textMetrics.height;
  frame.cursorY = frame.lineHeight;
  frame.lineStartX = frame.cursorX = 10 * frame.charWidth;

  frame.clientRect = frame.window->clientRect();
  const int width = frame.clientRect.right - frame.clientRect.left;
  const int height = frame.clientRect.bottom - frame.clientRect.top;
  frame.clientWidth = frame.deviceWidth = width;
  frame.clientHeight = frame.deviceHeight = height;
  // A window without width has no aspect; 1 keeps later arithmetic finite.
  frame.deviceAspect = width > 0 ? static_cast<double>(height) / width : 1.0;
  frame.clientRegion = makeRectRegion(frame.clientRect);

  if (frame.colourAllowed()) dc.fillRegion(frame.clientRegion, frame.brushes[frame.brushIndex]);
}

void vprint(GraphFrame& frame, const char* format, va_list args) {
  char text[80];  // a formatted line holds at most 79 characters
  std::vsnprintf(text, sizeof text, format, args);
  putText(frame, text);
}

// One line of the data panel: written at the cursor and kept in the result.
void dataLine(GraphFrame& frame, PanelText& panel, const char* text) {
  putText(frame, text);
  frame.newLine(1);
  panel.add(text);
}

void writeDataPanel(GraphFrame& frame, const PageLayout& layout, const DataEntry* record,
                    bool withSums, const RiemannSums& sums, PanelText& panel) {
  Panel data = layout.data;
  frame.setPanel(data, kDecorate);
  for (int i = kFdFirstParameter; i < kFdFirstParameter + 5; ++i)
    dataLine(frame, panel, record[i].line);
  if (!withSums) return;
  for (int i : {kFdX1, kFdX2, kFdSteps}) dataLine(frame, panel, record[i].line);
  const ReadoutLines readouts = sumReadouts(sums);
  for (int i = 0; i < readouts.count; ++i) {
    printLine(frame, "%s", readouts.lines[i]);
    panel.add(readouts.lines[i]);
  }
}

// A part of a draw pass, as progress and cancellation name it.
struct DrawPassPart {
  const char* name;
  const char* unit;
  long long evaluations;  // of f in this part
  long long units;        // its points, panels or steps
  // Evaluations per unit; 0 for the rectangle walk, whose first two
  // evaluations make step 1.
  int perUnit;
};
struct DrawPassParts {
  DrawPassPart part[5];
  int count = 0;
};

// The parts of a draw pass in the order they evaluate f.
DrawPassParts drawPassParts(int curveSegments, const FunctionInterval& interval) {
  DrawPassParts parts;
  const long long curve = std::max(curveSegments, 0) + 1;
  parts.part[parts.count++] = {"the curve", "point", curve, curve, 1};
  if (!sumsWanted(interval)) return parts;
  const long long n = interval.n;
  parts.part[parts.count++] = {"Exact", "panel", kExactPanels * 10, kExactPanels, 10};
  if (simpsonShown(interval)) parts.part[parts.count++] = {"SumS", "point", n + 1, n + 1, 1};
  parts.part[parts.count++] = {"SumM and SumT", "step", 3 * n, n, 3};
  parts.part[parts.count++] = {"SumU and SumL", "step", n + 1, n, 0};
  return parts;
}

// One call of plot: what it works with, and the result it fills in.
class Pass : public EvaluationMonitor {
 public:
  Pass(const PlotContext& context, GraphFrame& frame, int toPrinter)
      : context_(context),
        frame_(frame),
        toPrinter_(toPrinter),
        layout_(toPrinter == kToPrinter ? kPaperLayout : kScreenLayout),
        records_(context),
        interval_(readFunctionInterval(records_.function)),
        evaluator_(records_.function, context.engine) {
    result_.probeEnabled = context.probeEnabled;
  }

  void draw();
  // The sums, with the step outlines or the rule's shapes drawn as they go.
  RiemannSums drawSums();
  void probe();
  // After a monitor ended the pass: where it stopped.
  void cancel();
  // The result, with the report of the evaluations made.
  PassResult finish(int probe);

 private:
  void beforeEvaluation(std::int64_t evaluationsMade) override {
    context_.monitor->progress(evaluationsMade, result_.evaluationsExpected);
  }
  std::string stepAt(long long evaluationsMade) const;

  const PlotContext& context_;
  GraphFrame& frame_;
  const int toPrinter_;
  const PageLayout& layout_;
  const PassRecords records_;
  const FunctionInterval interval_;
  FunctionEvaluator evaluator_;
  int curveSegments_ = 0;
  PassResult result_;
};

void Pass::draw() {
  GraphFrame& frame = frame_;
  prepareDevice(frame, toPrinter_, context_.printJob);

  const Panel& graph = layout_.graph;
  if (frame.colourAllowed()) {
    frame.brushIndex = graph.brushIndex;
    frame.framePenIndex = graph.framePenIndex;
    frame.penIndex = graph.penIndex;
    frame.textColourIndex = graph.textColourIndex;
  }
  result_.report.warnings = entryWarnings(records_.function, records_.graph);
  frame.setFrame(graph.leftPct, graph.rightPct, graph.bottomPct, graph.topPct, kClipOn);
  frame.drawBorder(-1);
  drawGraph(frame, records_.graph);

  curveSegments_ = curveSegments(frame.points);
  result_.evaluationsExpected = drawPassEvaluations(curveSegments_, interval_);
  if (context_.monitor != nullptr) evaluator_.setMonitor(this);
  frame.selectPen(kCurvePen);
  const bool rulePicture = context_.rule != SumRule::UpperLower;
  // A rule's shapes cover the curve: its points are kept (as many as the
  // curve's segments, whatever n) to draw it again over them.
  std::vector<std::pair<double, double>> curve;
  if (rulePicture) {
    curve.reserve(static_cast<std::size_t>(std::max(curveSegments_, 0)) + 1);
    auto keep = [this, &curve](double x) {
      return curve.emplace_back(x, evaluator_.evaluate(x)).second;
    };
    frame.plotCurve(keep, frame.x0, frame.x1, curveSegments_);
  } else {
    frame.plotCurve(evaluator_, frame.x0, frame.x1, curveSegments_);
  }

  const RiemannSums sums = drawSums();
  evaluator_.setMonitor(nullptr);
  if (rulePicture && !curve.empty()) {
    frame.selectPen(kCurvePen);
    frame.moveTo(curve.front().first, curve.front().second);
    for (std::size_t i = 1; i < curve.size(); ++i) frame.lineTo(curve[i].first, curve[i].second);
  }
  writeDataPanel(frame, layout_, records_.function, sumsWanted(interval_), sums,
                 result_.dataPanel);

  Panel function = layout_.function;
  frame.setPanel(function, kDecorate);
  putText(frame, records_.function[kFdFunction].line);
  frame.newLine(1);
  result_.functionPanel.add(records_.function[kFdFunction].line);

  if (toPrinter_ == kToWindow) result_.probeEnabled = 1;
}

RiemannSums Pass::drawSums() {
  result_.rule = context_.rule;
  result_.steps = interval_.n;
  if (!sumsWanted(interval_)) return RiemannSums{};
  StepOutlines outlines(frame_);
  RiemannSums sums;
  if (context_.rule != SumRule::UpperLower) {
    RulePicture picture(frame_);
    sums = computeSums(evaluator_, interval_, &outlines, context_.rule, &picture);
    picture.finish();
  } else {
    sums = computeSums(evaluator_, interval_, &outlines);
  }
  result_.sumsComputed = true;
  result_.sums = sums;
  return sums;
}

void Pass::probe() {
  GraphFrame& frame = frame_;
  Panel graph = layout_.graph;
  frame.setPanel(graph, kPlaceOnly);
  const double x = context_.probeAtX ? context_.probeX : frame.unmapX(context_.mouseX, kClamp);
  const double Y = frame.unmapY(context_.mouseY, kClamp);
  result_.probe = probeReadings(evaluator_, x);
  const ProbeText text = probeText(result_.probe, Y);

  Panel probe = layout_.probe;
  frame.setPanel(probe, kDecorate);
  printText(frame, "%s", text.x.c_str());
  printLine(frame, "%s", text.height.c_str());
  printLine(frame, "%s", text.value.c_str());
  printText(frame, "%s", text.slope.c_str());
  printText(frame, "%s", text.curvature.c_str());

  result_.probePanel.add((text.x + text.height).c_str());
  result_.probePanel.add(text.value.c_str());
  result_.probePanel.add((text.slope + text.curvature).c_str());
}

void Pass::cancel() {
  result_.cancelled = true;
  result_.probeEnabled = 0;  // the picture is unfinished
  result_.cancelledAt = stepAt(evaluator_.evaluationCount());
}

// Where the evaluation numbered made (from 0) falls among the pass's parts.
std::string Pass::stepAt(long long made) const {
  const DrawPassParts parts = drawPassParts(curveSegments_, interval_);
  for (int i = 0;; ++i) {
    const DrawPassPart& part = parts.part[i];
    if (made < part.evaluations || i == parts.count - 1) {
      const long long unit = part.perUnit > 0 ? made / part.perUnit + 1 : std::max(made, 1LL);
      return std::string(part.name) + ", " + part.unit + " " + std::to_string(unit) + " of " +
             std::to_string(part.units);
    }
    made -= part.evaluations;
  }
}

PassResult Pass::finish(int probe) {
  result_.ran = true;
  result_.report.drawPass = probe == kDrawPass;
  result_.report.evaluations = evaluator_.evaluationCount();
  result_.report.failures = evaluator_.failureCount();
  result_.report.firstFailure = evaluator_.firstFailure();
  if (probe == kDrawPass) {
    std::string warning = resultWarning(records_.function, context_.engine.symbolTable());
    if (!warning.empty()) result_.report.warnings.push_back(std::move(warning));
  }
  return result_;
}

// "%.5f" of value after label, whole however long.
std::string fixed5(const char* label, double value) {
  const int n = std::snprintf(nullptr, 0, "%s%.5f", label, value);
  std::string text(static_cast<size_t>(n > 0 ? n : 0), '\0');
  std::snprintf(text.data(), text.size() + 1, "%s%.5f", label, value);
  return text;
}

}  // namespace

PassRecords::PassRecords(const PlotContext& context) {
  std::copy(context.functionRecord.begin(), context.functionRecord.end(), function);
  std::copy(context.graphRecord.begin(), context.graphRecord.end(), graph);
}

void PanelText::add(const char* text) {
  if (count >= kMaxLines) return;
  char* line = lines[count++];
  const size_t n = strnlen(text, sizeof lines[0] - 1);
  std::memcpy(line, text, n);
  line[n] = '\0';
}

int curveSegments(int points) { return points > kMaxCurveSegments ? kMaxCurveSegments : points; }

ProbeReadings probeReadings(FunctionEvaluator& evaluator, double x) {
  ProbeReadings r;
  r.x = x;
  r.y = evaluator.evaluate(x);
  const double fp = evaluator.evaluate(x + probeStep);
  const double fm = evaluator.evaluate(x - probeStep);
  r.d1 = (fp - fm) * 500;
  r.d2 = ((fp - (r.y + r.y)) + fm) * 1000000;
  return r;
}

ProbeText probeText(const ProbeReadings& readings, double height) {
  return ProbeText{
      .x = fixed5("x = ", readings.x),
      .height = fixed5("   Y = ", height),
      .value = fixed5("y = f(x) = ", readings.y),
      .slope = fixed5("f'(x) = ", readings.d1),
      .curvature = fixed5("   f\"(x) = ", readings.d2),
  };
}

void prepareDevice(GraphFrame& frame, int toPrinter, PrintJob* job) {
  // Give back what the previous draw pass of this frame made.
  releaseTools(frame);
  if (frame.dc != nullptr && frame.window != nullptr) frame.window->releaseCanvas(frame.dc);
  frame.dc = nullptr;

  frame.printing = toPrinter;
  for (int i = 0; i < kPenCount; ++i) frame.pens[i] = makePen(penPalette[i], frame.penWidth);
  for (int i = 0; i < kBrushCount; ++i) frame.brushes[i] = makeBrush(brushPalette[i]);
  frame.textColourIndex = 1;
  frame.framePenIndex = 2;
  frame.brushIndex = 5;

  if (frame.window == nullptr) return;
  prepareWindow(frame);
  if (frame.dc == nullptr) return;

  if (toPrinter == kToPrinter) switchToPrinter(frame, job);

  frame.penIndex = 0;
  if (frame.dc == nullptr) return;
  frame.dc->setBackgroundColour(brushPalette[frame.brushIndex]);
  frame.dc->setTextColour(penPalette[frame.textColourIndex]);
  frame.dc->selectPen(frame.pens[0]);
}

void finishOutput(GraphFrame& frame) {
  setPenWidth(frame, 1);
  releaseTools(frame);
  if (frame.printing == 1) switchToWindow(frame);
  if (frame.dc != nullptr && frame.font) frame.dc->deleteFont(frame.font);
  frame.font = FontHandle{};
  if (frame.dc != nullptr && frame.window != nullptr) frame.window->releaseCanvas(frame.dc);
  frame.dc = nullptr;
  frame.screenDc = nullptr;
}

void putText(GraphFrame& frame, const char* text) {
  frame.applyTextColours();
  frame.measureText(text);
  frame.drawText(frame.cursorX, frame.cursorY, text);
  frame.cursorX += frame.textExtent.width;
}

void printText(GraphFrame& frame, const char* format, ...) {
  va_list args;
  va_start(args, format);
  vprint(frame, format, args);
  va_end(args);
}

void printLine(GraphFrame& frame, const char* format, ...) {
  va_list args;
  va_start(args, format);
  vprint(frame, format, args);
  va_end(args);
  frame.cursorY += frame.lineHeight;
  frame.cursorX = frame.lineStartX;
}

long long drawPassEvaluations(int curveSegments, const FunctionInterval& interval) {
  const DrawPassParts parts = drawPassParts(curveSegments, interval);
  long long total = 0;
  for (int i = 0; i < parts.count; ++i) total += parts.part[i].evaluations;
  return total;
}

PassResult plot(const PlotContext& context, GraphFrame& frame, int probe, int toPrinter) {
  if (probe != kDrawPass && !(toPrinter == kToWindow && context.probeEnabled == 1)) {
    PassResult nothing;
    nothing.probeEnabled = context.probeEnabled;
    return nothing;
  }
  Pass pass(context, frame, toPrinter);
  if (toPrinter == kToPrinter) setPenWidth(frame, 3);
  try {
    if (probe == kDrawPass) pass.draw();
    else pass.probe();
  } catch (const PassCancelled&) {
    pass.cancel();
  }
  PassResult result = pass.finish(probe);
  if (toPrinter == kToPrinter) finishOutput(frame);
  return result;
}

}  // namespace tavex
