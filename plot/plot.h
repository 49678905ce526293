// SPDX-License-Identifier: GPL-3.0-or-later
// The plot procedure: a draw pass (graph, curve, step rectangles, data and
// function panels) or a probe pass (x, Y, f, f' and f" under the pointer),
// on the frame's window or on a printer. A pass takes what it needs from the
// program through a PlotContext and returns what it produced as a PassResult;
// it keeps nothing between calls except what the frame holds.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "expr/engine.h"
#include "expr/function_evaluator.h"
#include "graphics/graph_frame.h"
#include "plot/sums.h"

namespace tavex {

class PrintJob;

// plot's probe argument: a draw pass or a probe pass.
inline constexpr int kDrawPass = 0;
inline constexpr int kProbePass = 1;
// plot's toPrinter argument: the frame's window or a printer.
inline constexpr int kToWindow = 0;
inline constexpr int kToPrinter = 1;

inline constexpr double probeStep = 0.001;

// The curve is drawn in as many segments as the graph data's n asks, up to
// this many: more than any device has pixels across, and a pass of that many
// evaluations still takes well under a second. n <= 0 draws no segment.
// The graph's ticks and tick labels are bounded the same way, by the
// frame's device units (see drawTicks in graphics/axes.h).
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

// The probe readout in the pieces the probe panel writes one after the
// other: "x = …" "   Y = …" on the first line, "y = f(x) = …" on the second,
// "f'(x) = …" "   f\"(x) = …" on the third. Not cut: the panel cuts each
// piece at 79 characters, the command line prints them whole.
struct ProbeText {
  std::string x;
  std::string height;  // the pointer's Y
  std::string value;
  std::string slope;
  std::string curvature;
};
ProbeText probeText(const ProbeReadings& readings, double height);

// Watches a pass that may take long: told of its progress (evaluations of f
// made and expected) every so many evaluations, it may end the pass by
// throwing PassCancelled. The picture keeps what was drawn; no panel is
// written after that point.
class PassMonitor {
 public:
  virtual ~PassMonitor() = default;
  virtual void progress(long long evaluationsMade, long long evaluationsExpected) = 0;
  // The pass has drawn all it draws; only its closing messages may follow.
  virtual void passEnded() {}
};
struct PassCancelled {};

// What a pass needs from the program around it.
struct PlotContext {
  ExpressionEngine& engine;  // f is evaluated in it; its variables persist
  // The records the pass reads, as they stand when it starts (it takes a
  // copy): the program's functionData and graphData, or others.
  std::span<const DataEntry, kFunctionDataEntries> functionRecord;
  std::span<const DataEntry, kGraphDataEntries> graphRecord;
  int mouseX = 0;            // the pointer in the frame's window, for a probe pass
  int mouseY = 0;
  int probeEnabled = 0;      // a probe pass runs only while this is 1
  // A probe pass at this world x rather than under the pointer (keys move
  // the probe); the pointer still gives Y.
  bool probeAtX = false;
  double probeX = 0.0;
  // The job a printer pass draws into; without an accepted one, a printer
  // pass draws the paper layout on the frame's window.
  PrintJob* printJob = nullptr;
  PassMonitor* monitor = nullptr;  // told of a draw pass's progress; may cancel it
  // Whose shapes a draw pass shows: the upper and lower outlines, or one
  // rule's rectangles, trapezoids or parabolas (plot/rule_picture.h).
  SumRule rule = SumRule::UpperLower;
};

// The records a pass reads, copied from its context as they stand when it
// starts.
struct PassRecords {
  DataEntry function[kFunctionDataEntries];
  DataEntry graph[kGraphDataEntries];
  explicit PassRecords(const PlotContext& context);
};

// What the evaluations of f in a pass came to: firstFailure.recorded is
// false when every evaluation was accepted.
struct PassReport {
  bool drawPass = false;
  long long evaluations = 0;
  long long failures = 0;
  EvaluationFailure firstFailure;
  // Draw pass: entries that do not read as they look, and a result taken
  // from another variable than the function line's (see plot/warnings.h).
  std::vector<std::string> warnings;
};

// Lines of a panel as they were written, in order.
struct PanelText {
  static constexpr int kMaxLines = 16;
  char lines[kMaxLines][120];
  int count = 0;
  // Keeps a copy of text, cut to 119 characters; lines past kMaxLines are dropped.
  void add(const char* text);
};

// What one call of plot produced.
struct PassResult {
  bool ran = false;       // false for a probe pass while the probe is not enabled
  PassReport report;      // the pass's evaluations of f
  PanelText dataPanel;    // draw pass: the data panel's lines
  PanelText functionPanel;  // draw pass: the function panel's line
  PanelText probePanel;   // probe pass: the probe panel's three lines
  ProbeReadings probe;    // probe pass: what was read under the pointer
  int probeEnabled = 0;   // the probe flag after the pass: 1 after a draw pass to the window
  bool cancelled = false;  // a monitor ended the pass
  std::string cancelledAt; // where: "SumU and SumL, step 1234 of 1000000"
  long long evaluationsExpected = 0;  // what the whole pass would have made
  // Draw pass: the rule whose shapes it showed, and the sums when it
  // computed them (n of 2 or more, not cancelled).
  SumRule rule = SumRule::UpperLower;
  bool sumsComputed = false;
  int steps = 0;  // the function data's n
  RiemannSums sums;
};

// Evaluations of f a draw pass makes: the curve's points, then (n of 2 or
// more) 300 for Exact, n + 1 for SumS (n even), 3n for SumM and SumT and
// n + 1 for the rectangle walk.
long long drawPassEvaluations(int curveSegments, const FunctionInterval& interval);

// probe: kDrawPass or kProbePass (at context.mouseX, mouseY).
// toPrinter: kToWindow or kToPrinter (paper layout, on context.printJob).
PassResult plot(const PlotContext& context, GraphFrame& frame, int probe, int toPrinter);

// Makes the frame's device and drawing tools ready for a draw pass; with
// toPrinter, switches to the job's printer when there is an accepted job.
void prepareDevice(GraphFrame& frame, int toPrinter, PrintJob* job = nullptr);

// Releases what prepareDevice made, switches a printing frame back to its
// window and gives the device back to the window.
void finishOutput(GraphFrame& frame);

// Text at the frame's text cursor.
void putText(GraphFrame& frame, const char* text);
void printText(GraphFrame& frame, const char* format, ...) __attribute__((format(printf, 2, 3)));
void printLine(GraphFrame& frame, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace tavex
