// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/convergence.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <queue>

#include "graphics/axes.h"

namespace tavex {

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string format(const char* fmt, double value) {
  char text[64];
  std::snprintf(text, sizeof text, fmt, value);
  return text;
}

// Gauss-Kronrod 15-point nodes (descending; the last is the centre) and
// weights, with the weights of the embedded 7-point Gauss rule, whose nodes
// are the odd-numbered Kronrod nodes and the centre.
constexpr long double kKronrodNodes[8] = {
    0.991455371120812639206854697526329L, 0.949107912342758524526189684047851L,
    0.864864423359769072789712788640926L, 0.741531185599394439863864773280788L,
    0.586087235467691130294144845693013L, 0.405845151377397166906606412076961L,
    0.207784955007898467600689403773245L, 0.0L};
constexpr long double kKronrodWeights[8] = {
    0.022935322010529224963732008058970L, 0.063092092629978553290700663189204L,
    0.104790010322250183839876322541518L, 0.140653259715525918745189590510238L,
    0.169004726639267902826583426598550L, 0.190350578064785409913256402421014L,
    0.204432940075298892414161999234649L, 0.209482141084727828012999174891714L};
constexpr long double kGaussWeights[4] = {
    0.129484966168869693270611432679082L, 0.279705391489276667901467771423780L,
    0.381830050505118944950369775488975L, 0.417959183673469387755102040816327L};

struct KronrodPanel {
  double a = 0.0;
  double b = 0.0;
  long double integral = 0.0L;  // the Kronrod value
  long double absIntegral = 0.0L;  // of |f|
  double error = 0.0;
  bool operator<(const KronrodPanel& other) const { return error < other.error; }
};

// What went wrong while evaluating a panel: nothing, a failed evaluation, or
// a value that is not finite at x.
struct PanelTrouble {
  ReferenceValue::Status status = ReferenceValue::Status::Reached;
  double x = 0.0;
};

// The 15-point Kronrod value of [a, b] with an error estimate from the
// difference to the 7-point Gauss value, scaled as QUADPACK's qk15 scales it
// and never below the rounding of the sum.
PanelTrouble evaluatePanel(FunctionEvaluator& evaluator, KronrodPanel& panel) {
  const double centre = 0.5 * (panel.a + panel.b);
  const double half = 0.5 * (panel.b - panel.a);
  double xs[15];
  double fs[15];
  xs[0] = centre;
  for (int j = 0; j < 7; ++j) {
    const double offset = static_cast<double>(half * kKronrodNodes[j]);
    xs[1 + 2 * j] = centre - offset;
    xs[2 + 2 * j] = centre + offset;
  }
  const std::int64_t failuresBefore = evaluator.failureCount();
  evaluator.evaluateMany(xs, fs, 15);
  if (evaluator.failureCount() != failuresBefore)
    return {ReferenceValue::Status::Failed, evaluator.firstFailure().x};
  for (int k = 0; k < 15; ++k)
    if (!std::isfinite(fs[k])) return {ReferenceValue::Status::NotFinite, xs[k]};

  long double kronrod = static_cast<long double>(fs[0]) * kKronrodWeights[7];
  long double gauss = static_cast<long double>(fs[0]) * kGaussWeights[3];
  long double absolute = std::fabs(kronrod);
  for (int j = 0; j < 7; ++j) {
    const long double pair = static_cast<long double>(fs[1 + 2 * j]) + fs[2 + 2 * j];
    kronrod += kKronrodWeights[j] * pair;
    absolute += kKronrodWeights[j] * (std::fabs(static_cast<long double>(fs[1 + 2 * j])) +
                                      std::fabs(static_cast<long double>(fs[2 + 2 * j])));
    if (j % 2 == 1) gauss += kGaussWeights[j / 2] * pair;
  }
  const long double mean = kronrod * 0.5L;
  long double spread = kKronrodWeights[7] * std::fabs(fs[0] - mean);
  for (int j = 0; j < 7; ++j)
    spread += kKronrodWeights[j] * (std::fabs(fs[1 + 2 * j] - mean) + std::fabs(fs[2 + 2 * j] - mean));
  const long double width = std::fabs(static_cast<long double>(half));
  panel.integral = kronrod * half;
  panel.absIntegral = absolute * width;
  spread *= width;
  double error = static_cast<double>(std::fabs((kronrod - gauss) * half));
  if (spread != 0 && error != 0)
    error = static_cast<double>(spread) *
            std::min(1.0, std::pow(200.0 * error / static_cast<double>(spread), 1.5));
  const double rounding = 50 * std::numeric_limits<double>::epsilon() *
                          static_cast<double>(panel.absIntegral);
  panel.error = std::max(error, rounding);
  if (!std::isfinite(static_cast<double>(panel.integral)) || !std::isfinite(panel.error))
    return {ReferenceValue::Status::NotFinite, centre};
  return {};
}

// The target of the reference's accuracy for the integral I with ∫|f| = L.
double referenceTolerance(long double integral, long double absIntegral) {
  return kReferenceTarget *
         static_cast<double>(std::max(std::fabs(integral), absIntegral / 5));
}

// The cells of a number that may be missing.
std::string errorCell(double error) { return format("%.3e", error); }
std::string orderCell(double order) { return std::isnan(order) ? std::string() : format("%.2f", order); }

}  // namespace

CurveSpan curveSpanOf(const DataEntry* graphRecord) {
  const GraphSettings graph = readGraphSettings(graphRecord);
  return CurveSpan{graph.x0, graph.x1, curveSegments(graph.n)};
}

void evaluateCurve(FunctionEvaluator& evaluator, const CurveSpan& curve) {
  // As GraphFrame::plotCurve: the left end, then xa + i * h for i = 1 to steps.
  const double xa = curve.x0;
  const double h = (curve.x1 - xa) / curve.segments;
  constexpr int kBlock = 64;
  double xs[kBlock];
  double fs[kBlock];
  xs[0] = xa;
  int count = 1;
  for (long long i = 1; i <= curve.segments; ++i) {
    if (count == kBlock) {
      evaluator.evaluateMany(xs, fs, count);
      count = 0;
    }
    xs[count++] = xa + static_cast<double>(i) * h;
  }
  evaluator.evaluateMany(xs, fs, count);
}

FunctionInterval intervalWithSteps(const FunctionInterval& data, std::int32_t n) {
  FunctionInterval interval = data;
  interval.n = n;
  interval.h = (interval.x2 - interval.x1) / static_cast<double>(n);  // as intervalOf
  return interval;
}

ConvergenceRow convergenceRow(FunctionEvaluator& evaluator, const FunctionInterval& data,
                              std::int32_t n, const CurveSpan& curve) {
  const Clock::time_point start = Clock::now();
  const std::int64_t evaluationsBefore = evaluator.evaluationCount();
  const std::int64_t failuresBefore = evaluator.failureCount();
  ConvergenceRow row;
  row.n = n;
  evaluateCurve(evaluator, curve);
  row.sums = computeSums(evaluator, intervalWithSteps(data, n), nullptr);
  row.evaluations = evaluator.evaluationCount() - evaluationsBefore;
  row.failures = evaluator.failureCount() - failuresBefore;
  if (row.failures > 0 && failuresBefore == 0) row.firstFailure = evaluator.firstFailure();
  row.seconds = secondsSince(start);
  return row;
}

namespace {

// The panels of the adaptive refinement and their running totals.
struct Refinement {
  std::priority_queue<KronrodPanel> open;  // may still be halved, largest error first
  std::vector<KronrodPanel> done;          // too narrow to halve
  long double integral = 0.0L, absIntegral = 0.0L, error = 0.0L;
  int panels = 0;
};

// The first kReferenceStartPanels panels of equal width across [a, b].
PanelTrouble startPanels(FunctionEvaluator& evaluator, double a, double b, Refinement& r) {
  const double width = (b - a) / kReferenceStartPanels;
  for (int i = 0; i < kReferenceStartPanels; ++i) {
    KronrodPanel panel;
    panel.a = a + i * width;
    panel.b = i + 1 == kReferenceStartPanels ? b : a + (i + 1) * width;
    const PanelTrouble trouble = evaluatePanel(evaluator, panel);
    if (trouble.status != ReferenceValue::Status::Reached) return trouble;
    r.integral += panel.integral;
    r.absIntegral += panel.absIntegral;
    r.error += panel.error;
    r.open.push(panel);
  }
  r.panels = kReferenceStartPanels;
  return {};
}

// Halves the panel of the largest error until the total error meets the
// target, the panels run out, or none can be halved any more.
PanelTrouble refinePanels(FunctionEvaluator& evaluator, Refinement& r) {
  while (r.error > referenceTolerance(r.integral, r.absIntegral) &&
         r.panels < kReferenceMaxPanels && !r.open.empty()) {
    const KronrodPanel worst = r.open.top();
    r.open.pop();
    const double middle = 0.5 * (worst.a + worst.b);
    if (middle == worst.a || middle == worst.b) {
      r.done.push_back(worst);
      continue;
    }
    KronrodPanel left{worst.a, middle};
    KronrodPanel right{middle, worst.b};
    for (KronrodPanel* half : {&left, &right}) {
      const PanelTrouble trouble = evaluatePanel(evaluator, *half);
      if (trouble.status != ReferenceValue::Status::Reached) return trouble;
    }
    r.integral += left.integral + right.integral - worst.integral;
    r.absIntegral += left.absIntegral + right.absIntegral - worst.absIntegral;
    r.error += static_cast<long double>(left.error) + right.error - worst.error;
    r.open.push(left);
    r.open.push(right);
    ++r.panels;
  }
  return {};
}

// The totals afresh, without the drift of the running updates.
void totalAfresh(Refinement& r) {
  r.integral = r.absIntegral = r.error = 0.0L;
  for (; !r.open.empty(); r.open.pop()) r.done.push_back(r.open.top());
  for (const KronrodPanel& panel : r.done) {
    r.integral += panel.integral;
    r.absIntegral += panel.absIntegral;
    r.error += panel.error;
  }
}

}  // namespace

ReferenceValue referenceIntegral(FunctionEvaluator& evaluator, double a, double b) {
  ReferenceValue result;
  if (!std::isfinite(a) || !std::isfinite(b)) return result;
  const std::int64_t evaluationsBefore = evaluator.evaluationCount();
  Refinement r;
  PanelTrouble trouble = startPanels(evaluator, a, b, r);
  if (trouble.status == ReferenceValue::Status::Reached) trouble = refinePanels(evaluator, r);
  if (trouble.status != ReferenceValue::Status::Reached) {
    result.status = trouble.status;
    result.badX = trouble.x;
    if (trouble.status == ReferenceValue::Status::Failed) result.failure = evaluator.firstFailure();
    result.evaluations = evaluator.evaluationCount() - evaluationsBefore;
    return result;
  }
  totalAfresh(r);
  result.value = static_cast<double>(r.integral);
  // The value's own rounding to double comes on top of the panels' estimates.
  result.accuracy = static_cast<double>(r.error) +
                    0.5 * std::numeric_limits<double>::epsilon() * std::fabs(result.value);
  result.panels = r.panels;
  result.evaluations = evaluator.evaluationCount() - evaluationsBefore;
  result.status = r.error <= referenceTolerance(r.integral, r.absIntegral)
                      ? ReferenceValue::Status::Reached
                      : ReferenceValue::Status::NotReached;
  return result;
}

std::string failureText(const EvaluationFailure& failure, const DataEntry* record) {
  std::string text = "f failed at x = " + format("%.5f", failure.x);
  text += " (";
  text += failureCause(failure, record);
  return text + ")";
}

std::string referenceStatement(const ReferenceValue& reference, const DataEntry* record) {
  using Status = ReferenceValue::Status;
  const std::string method = "adaptive Gauss-Kronrod 7/15, " +
                             std::to_string(reference.panels) + " panels, " +
                             std::to_string(reference.evaluations) + " evaluations of f";
  switch (reference.status) {
    case Status::Reached:
      return "Reference = " + format("%.16g", reference.value) + " \u00b1 " +
             format("%.1e", reference.accuracy) + " (" + method + ")";
    case Status::NotReached:
      return "Reference = " + format("%.16g", reference.value) + ": could not reach " +
             format("%.0e", kReferenceTarget) + " relative, estimated accuracy \u00b1 " +
             format("%.1e", reference.accuracy) + " (" + method +
             "; f may have a pole, a jump or a narrow spike here)";
    case Status::Failed:
      return "No Reference: " + failureText(reference.failure, record);
    case Status::NotFinite:
      return "No Reference: f is not finite at x = " + format("%.5f", reference.badX) +
             " (a pole?)";
    case Status::NoInterval:
      return "No Reference: x1 or x2 is not a finite number";
  }
  return {};
}

ConvergencePlan planConvergence(std::int32_t dataN, long long requestedLimit) {
  ConvergencePlan plan;
  plan.dataN = dataN;
  plan.requested = requestedLimit;
  plan.n0 = std::max<std::int32_t>(dataN, 2);
  const std::string first = std::to_string(plan.n0);
  const std::string max = std::to_string(kConvergenceMaxN);
  if (dataN < 2)
    plan.notes.push_back("n = " + std::to_string(dataN) +
                         " in the function data: the table starts at n = 2");
  plan.timed = requestedLimit <= 0;
  plan.limit = plan.timed ? kConvergenceMaxN : std::min<long long>(requestedLimit, kConvergenceMaxN);
  if (plan.n0 > plan.limit) {
    if (requestedLimit > 0 && requestedLimit < plan.n0)
      plan.notes.push_back("limit " + std::to_string(requestedLimit) + " is below n = " + first +
                           ": one row, n = " + first);
    else
      plan.notes.push_back("n = " + first + " is above " + max + ": one row, n = " + first);
    plan.limit = plan.n0;
    plan.timed = false;
  } else if (requestedLimit > kConvergenceMaxN) {
    plan.notes.push_back("limit " + std::to_string(requestedLimit) + " is above " + max +
                         ": the rows stop at n <= " + max);
  }
  return plan;
}

long long rowEvaluations(std::int64_t n, const CurveSpan& curve) {
  long long total = std::max(curve.segments, 0) + 1;
  total += kExactPanels * 10 + 3 * n + (n + 1);
  if (n % 2 == 0) total += n + 1;
  return total;
}

std::string durationText(double seconds) {
  char text[64];
  if (seconds < 1.5) std::snprintf(text, sizeof text, "about %.1f s", seconds);
  else if (seconds < 90) std::snprintf(text, sizeof text, "about %.0f s", seconds);
  else if (seconds < 90 * 60) std::snprintf(text, sizeof text, "about %.0f minutes", seconds / 60);
  else std::snprintf(text, sizeof text, "about %.0f hours", seconds / 3600);
  return text;
}

std::vector<std::string> convergenceHeader() {
  return {"n",       "SumU",    "SumL",     "SumT",     "SumM",    "SumS",    "SumLeft",
          "SumRight", "Exact",  "Reference", "errU",    "ordU",    "errL",    "ordL",
          "errT",    "ordT",    "errM",     "ordM",     "errS",    "ordS",    "errLeft",
          "ordLeft", "errRight", "ordRight", "errExact"};
}

double errorFloor(const ReferenceValue& reference) { return 2 * reference.accuracy; }

double observedOrder(double previousError, double error, double floor) {
  const double p = std::fabs(previousError), e = std::fabs(error);
  if (!std::isfinite(p) || !std::isfinite(e) || p <= floor || e <= floor) return NAN;
  return std::log2(p / e);
}

namespace {

// A row's sums as its cells show them, in the table's order: SumU, SumL,
// SumT, SumM, SumS, SumLeft, SumRight; and their errors against r.
constexpr int kTableSums = 7;
std::array<double, kTableSums> tableSums(const RiemannSums& s) {
  return {s.SumU, s.SumL, s.SumT, s.SumM, s.SumS, s.SumLeft, s.SumRight};
}

}  // namespace

std::vector<std::string> convergenceCells(const ConvergenceRow& row, const ConvergenceRow* previous,
                                          const ReferenceValue& reference) {
  constexpr int kSimpson = 4;
  constexpr int kFirstError = 10;  // errU, then each sum's error and order
  const ReadoutLines readouts = sumReadouts(row.sums);
  const ReadoutLines sides = sideReadouts(row.sums);
  // "SumU  = 1.2345678901": the value follows the label, the blanks and "= ".
  auto value = [&readouts](int k) { return std::string(readouts.lines[k] + kReadoutValueAt); };
  auto side = [&sides](int k) { return std::string(sides.lines[k] + kSideReadoutValueAt); };
  const bool s = row.sums.simpsonShown;
  std::vector<std::string> cells = {std::to_string(row.n), value(0), value(1), value(2), value(3),
                                    s ? value(4) : std::string(), side(0), side(1),
                                    value(s ? 5 : 4)};
  cells.resize(convergenceHeader().size());
  if (!reference.hasValue()) return cells;
  cells[9] = format("%.16g", reference.value);
  const double floor = errorFloor(reference);
  const double r = reference.value;
  const std::array<double, kTableSums> now = tableSums(row.sums);
  for (int k = 0; k < kTableSums; ++k) {
    if (k == kSimpson && !s) continue;
    cells[kFirstError + 2 * k] = errorCell(now[k] - r);
    if (previous == nullptr || (k == kSimpson && !previous->sums.simpsonShown)) continue;
    const double before = tableSums(previous->sums)[k];
    cells[kFirstError + 1 + 2 * k] = orderCell(observedOrder(before - r, now[k] - r, floor));
  }
  cells[kFirstError + 2 * kTableSums] = errorCell(row.sums.Exact - r);
  return cells;
}

ConvergenceStudy::ConvergenceStudy(const DataEntry* functionRecord, const DataEntry* graphRecord,
                                   long long requestedLimit) {
  std::copy_n(functionRecord, kFunctionDataEntries, function_);
  data_ = intervalOf(function_);
  curve_ = curveSpanOf(graphRecord);
  plan_ = planConvergence(data_.n, requestedLimit);
}

void ConvergenceStudy::beforeEvaluation(std::int64_t made) {
  expected_ = std::max(expected_, madeBefore_ + made);
  if (monitor_ != nullptr) monitor_->progress(madeBefore_ + made, expected_);
  if (longRowNoted_ || rowExpected_ == 0 || made == 0) return;
  // Half a second into a row, its pace tells how long the whole row takes.
  const double elapsed = secondsSince(rowStart_);
  if (elapsed < 0.5) return;
  const double predicted = elapsed * static_cast<double>(rowExpected_) / static_cast<double>(made);
  if (predicted <= kLongRowSeconds) return;
  longRowNoted_ = true;
  runNotes_.push_back("n = " + std::to_string(rowN_) + ": this row alone needs " +
                      std::to_string(rowExpected_) + " evaluations of f, " +
                      durationText(predicted));
  if (changed_) changed_();
}

bool ConvergenceStudy::nextRowWanted(std::int64_t n, double secondsPerEvaluation) {
  if (n > plan_.limit) return false;
  if (!plan_.timed) return true;
  const double predicted = secondsPerEvaluation * static_cast<double>(rowEvaluations(n, curve_));
  if (predicted <= kDefaultRowSeconds) return true;
  runNotes_.push_back("the rows stop at n = " + std::to_string(n / 2) + ": n = " +
                      std::to_string(n) + " would take " + durationText(predicted) +
                      " (a limit of " + std::to_string(n) + " asks for it)");
  return false;
}

void ConvergenceStudy::run(ExpressionEngine& engine, PassMonitor* monitor,
                           const std::function<void()>& changed) {
  monitor_ = monitor;
  changed_ = changed;
  madeBefore_ = 0;
  expected_ = kReferenceStartPanels * 15LL;
  for (std::int64_t n = plan_.n0; n <= plan_.limit; n *= 2) expected_ += rowEvaluations(n, curve_);
  std::int64_t n = plan_.n0;
  try {
    {
      FunctionEvaluator evaluator(function_, engine);
      evaluator.setMonitor(this);
      reference_ = referenceIntegral(evaluator, data_.x1, data_.x2);
      madeBefore_ += evaluator.evaluationCount();
    }
    referenceDone_ = true;
    if (changed) changed();
    double pace = 0.0;  // seconds per evaluation in the last row
    for (bool first = true; first || nextRowWanted(n, pace); first = false) {
      FunctionEvaluator evaluator(function_, engine);
      evaluator.setMonitor(this);
      rowN_ = n;
      rowExpected_ = rowEvaluations(n, curve_);
      rowStart_ = Clock::now();
      ConvergenceRow row = convergenceRow(evaluator, data_, static_cast<std::int32_t>(n), curve_);
      rowExpected_ = 0;
      madeBefore_ += evaluator.evaluationCount();
      pace = row.seconds / static_cast<double>(std::max(1LL, row.evaluations));
      rows_.push_back(row);
      // What the rest would make, for the progress shown.
      expected_ = madeBefore_;
      for (std::int64_t m = n * 2; m <= plan_.limit; m *= 2) expected_ += rowEvaluations(m, curve_);
      if (changed) changed();
      n *= 2;
    }
  } catch (const PassCancelled&) {
    cancelled_ = true;
    runNotes_.push_back(referenceDone_ ? "cancelled at n = " + std::to_string(n) +
                                             (rows_.empty() ? std::string()
                                                            : ": the rows before it are complete")
                                       : std::string("cancelled while computing the Reference"));
  }
  monitor_ = nullptr;
  changed_ = nullptr;
}

std::vector<std::string> ConvergenceStudy::notes() const {
  std::vector<std::string> all = plan_.notes;
  all.insert(all.end(), runNotes_.begin(), runNotes_.end());
  return all;
}

std::string ConvergenceStudy::failureNote() const {
  const ConvergenceRow* failed = firstFailedRow();
  if (failed == nullptr) return {};
  long long count = 0;
  for (const ConvergenceRow& row : rows_) count += row.failures > 0;
  return "f failed in " + std::to_string(count) + " of " + std::to_string(rows_.size()) +
         " rows, first in the row n = " + std::to_string(failed->n) + " " +
         failureText(failed->firstFailure, function_).substr(9) +
         "; their sums use the values f kept, as the plot shows them";
}

const ConvergenceRow* ConvergenceStudy::firstFailedRow() const {
  for (const ConvergenceRow& row : rows_)
    if (row.failures > 0) return &row;
  return nullptr;
}

std::string ConvergenceStudy::tableText(char separator) const {
  std::string text;
  auto line = [&](const std::vector<std::string>& cells) {
    for (size_t i = 0; i < cells.size(); ++i) {
      if (i > 0) text += separator;
      text += cells[i];
    }
    text += '\n';
  };
  line(convergenceHeader());
  for (size_t i = 0; i < rows_.size(); ++i)
    line(convergenceCells(rows_[i], i > 0 ? &rows_[i - 1] : nullptr, reference_));
  return text;
}

}  // namespace tavex
