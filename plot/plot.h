// The plot procedure: a draw pass (graph, curve, step rectangles, data and
// function panels) or a probe pass (x, Y, f, f' and f" under the pointer),
// on the frame's window or on a printer.
#pragma once

#include "expr/function_evaluator.h"
#include "graphics/graph_frame.h"

namespace tavex {

inline constexpr double probeStep = 0.001;

// The curve is drawn in as many segments as the graph data's n asks, up to
// this many: more than any device has pixels across, and a pass of that many
// evaluations still takes well under a second. n <= 0 draws no segment.
inline constexpr int kMaxCurveSegments = 20000;
int curveSegments(int points);

// The probe's readings at world x: y = f(x), then f(x + probeStep) and
// f(x - probeStep), with central differences for f' and f".
struct ProbeReadings {
  double x = 0.0;
  double y = 0.0;
  double d1 = 0.0;
  double d2 = 0.0;
};
ProbeReadings probeReadings(FunctionEvaluator& evaluator, double x);

// probe 0: draw pass; 1: probe pass at (lastMouseX, lastMouseY).
// toPrinter 0: the frame's window; 1: the printer.
void plot(GraphFrame& frame, int probe, int toPrinter);

// Makes the frame's device and drawing tools ready for a draw pass.
void prepareDevice(GraphFrame& frame, int toPrinter);

// Releases what prepareDevice made and gives the device back to the window.
void finishOutput(GraphFrame& frame);

// Text at the frame's text cursor.
void putText(GraphFrame& frame, const char* text);
void printText(GraphFrame& frame, const char* format, ...) __attribute__((format(printf, 2, 3)));
void printLine(GraphFrame& frame, const char* format, ...) __attribute__((format(printf, 2, 3)));

// What the last pass's evaluations of f came to: firstFailure().recorded is
// false when every evaluation was accepted. Kept for the status bar.
struct PassReport {
  bool drawPass = false;
  long long evaluations = 0;
  long long failures = 0;
  EvaluationFailure firstFailure;
};
const PassReport& lastPassReport();

// Lines the last draw pass wrote into the data panel, in order (for the
// command line, which prints what the panel shows).
struct PanelText {
  static constexpr int kMaxLines = 16;
  char lines[kMaxLines][120];
  int count = 0;
};
const PanelText& lastDataPanelText();
const PanelText& lastProbePanelText();

}  // namespace tavex
