// SPDX-License-Identifier: GPL-3.0-or-later
#include "expr/function_evaluator.h"

#include <cmath>
#include <cstring>
#include <typeinfo>
#include <limits>

#include "expr/position.h"
#include "expr/vector_state.h"

namespace tavex {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Parameter statements run from entry 2 up to the limit, within the record.
int lastParameterEntry(int parameterLimit) {
  return parameterLimit < kFunctionDataEntries - 1 ? parameterLimit : kFunctionDataEntries - 1;
}

char* appendLine(char* to, const DataEntry& entry) {
  const size_t n = strnlen(entry.line, DataEntry::kLineSize - 1);
  std::memcpy(to, entry.line, n);
  return to + n;
}

}  // namespace

std::string failureCause(const EvaluationFailure& failure, const DataEntry* record) {
  std::string text = "x";
  if (failure.entry > 0 && failure.entry < kFunctionDataEntries) {
    const char* name = record[failure.entry].name;
    size_t n = strnlen(name, DataEntry::kNameSize);
    while (n > 0 && name[n - 1] == ' ') --n;
    text.assign(name, n);
  }
  text += ": ";
  const size_t length = strnlen(failure.message, sizeof failure.message);
  if (length == 0) text += statusName(failure.status);
  else text.append(failure.message, length);
  if (failure.entryColumn > 0) text += " at column " + std::to_string(failure.entryColumn);
  return text;
}

FunctionEvaluator::FunctionEvaluator(const DataEntry (&functionData)[kFunctionDataEntries],
                                     ExpressionEngine& engine)
    : functionData_(functionData),
      engine_(engine),
      parameterLimit_(readInteger(functionData[kFdHeader].value) - 3) {
  textBuffer_[0] = '\0';
  snapshotLines();
}

double FunctionEvaluator::evaluate(double x) {
  clearUpperVectorState();
  tellMonitor(1);
  ++evaluationCount_;
  if (!std::isfinite(x)) {
    // "x = nan" or "x = inf" is no number of the language; do not run it.
    lastStatus_ = 1;
    noteFailure(x, ParseStatus::SemanticError);
    return kNaN;
  }
  AbscissaDigits digits;
  const ParseStatus status = replay_ && !engine_.tracing() && readAbscissa(x, digits)
                                 ? runFast(x, digits)
                                 : runComposed(x);
  lastStatus_ = status == ParseStatus::Accepted ? 0 : 1;
  if (lastStatus_ != 0) noteFailure(x, status);

  const SymbolTable& st = engine_.symbolTable();
  return st.count > 0 ? st.entries[st.count - 1].value : kNaN;
}

void FunctionEvaluator::evaluateMany(const double* xs, double* fs, int count) {
  // Another class's evaluate must be the one that runs.
  const bool mine = typeid(*this) == typeid(FunctionEvaluator);
  for (int k = 0; k < count;) {
    const int done = mine ? replayRun(xs + k, fs + k, count - k) : 0;
    if (done > 0) {
      k += done;
    } else {
      fs[k] = evaluate(xs[k]);
      ++k;
    }
  }
}

// Replays the tape of xs[0]'s shape for the abscissae from xs[0] on that share
// it; returns how many, 0 when they must go one at a time.
int FunctionEvaluator::replayRun(const double* xs, double* fs, int count) {
  constexpr int kFewest = 4;  // fewer are not worth a run of their own
  if (!replay_ || engine_.tracing() || count < kFewest) return 0;
  AbscissaDigits digits[Tape::kLanes];
  int n = 0;
  for (; n < count && n < Tape::kLanes; ++n) {
    if (!readAbscissa(xs[n], digits[n])) break;
    if (n > 0 && (digits[n].negative != digits[0].negative ||
                  digits[n].integerDigits != digits[0].integerDigits))
      break;
  }
  if (n < kFewest) return 0;
  ShapeTape& shape = shapeOf(digits[0]);
  const SymbolTable& table = engine_.symbolTable();
  if (!shape.tape || shape.tableCount != table.count || !shape.tape->batchable()) return 0;
  // The monitor hears of the run before it, as of the evaluations in it.
  tellMonitor(n);
  clearUpperVectorState();
  for (int k = 0; k < n; ++k) digits[k].fraction = fractionValue(digits[k].decimals);
  if (!shape.tape->replayMany(engine_, digits, n, &table.entries[table.count - 1].value, fs))
    return 0;
  evaluationCount_ += n;
  replayCount_ += n;
  lastStatus_ = 0;
  lastX_ = xs[n - 1];
  textStale_ = true;
  return n;
}

void FunctionEvaluator::compose(double x) const {
  char* p = textBuffer_;
  std::memcpy(p, "x = ", 4);
  p += 4;
  p += formatFixed14(p, x);
  *p++ = ',';
  const int last = lastParameterEntry(parameterLimit_);
  for (int i = kFdFirstParameter; i <= last; ++i) {
    p = appendLine(p, functionData_[i]);
    *p++ = ',';
  }
  p = appendLine(p, functionData_[kFdFunction]);
  *p = '\0';
  textStale_ = false;
}

const char* FunctionEvaluator::text() const {
  if (textStale_) compose(lastX_);
  return textBuffer_;
}

ParseStatus FunctionEvaluator::runComposed(double x) {
  compose(x);
  lastX_ = x;
  engine_.resetStacks();
  return engine_.runText(textBuffer_);
}

// The tape of digits' shape, all tapes forgotten first if the lines changed
// since they were recorded.
FunctionEvaluator::ShapeTape& FunctionEvaluator::shapeOf(const AbscissaDigits& digits) {
  if (recordsVersion != linesVersion_) {
    if (!linesUnchanged()) snapshotLines();
    linesVersion_ = recordsVersion;
  }
  return tapes_[digits.negative ? 1 : 0][digits.integerDigits - 1];
}

// Counts down count evaluations; the monitor hears when the count runs out.
void FunctionEvaluator::tellMonitor(int count) {
  if (monitor_ == nullptr || (monitorCountdown_ -= count) > 0) return;
  monitorCountdown_ = monitorEvery_;
  monitor_->beforeEvaluation(evaluationCount_);
}

ParseStatus FunctionEvaluator::runFast(double x, const AbscissaDigits& digits) {
  ShapeTape& shape = shapeOf(digits);
  if (shape.tape && shape.tableCount == engine_.symbolTable().count) {
    lastX_ = x;
    textStale_ = true;
    ++replayCount_;
    return shape.tape->replay(engine_, digits);
  }
  if (shape.refused >= kRecordingAttempts) return runComposed(x);
  compose(x);
  lastX_ = x;
  engine_.resetStacks();
  if (!shape.tape) shape.tape = std::make_unique<Tape>();
  bool kept = false;
  const ParseStatus status = recordRun(engine_, textBuffer_, digits, *shape.tape, kept);
  shape.tableCount = kept ? engine_.symbolTable().count : -1;
  shape.refused = kept ? 0 : shape.refused + 1;
  return status;
}

// The lines the tapes were recorded from, compared with the record's up to
// and including their terminators, eight bytes at a time (a line field is a
// whole number of words long, so the last word never reads past it).
bool FunctionEvaluator::linesUnchanged() const {
  static_assert(DataEntry::kLineSize % 8 == 0);
  const int last = lastParameterEntry(parameterLimit_);
  for (int i = kFdFunction; i <= last; ++i) {
    const char* live = functionData_[i].line;
    const int bytes = lineLength_[i] + 1;
    int at = 0;
    for (; at + 8 <= bytes; at += 8) {
      std::uint64_t a, b;
      std::memcpy(&a, live + at, 8);
      std::memcpy(&b, lines_[i] + at, 8);
      if (a != b) return false;
    }
    if (at < bytes) {
      std::uint64_t a, b;
      std::memcpy(&a, live + at, 8);
      std::memcpy(&b, lines_[i] + at, 8);
      const std::uint64_t mask = ~std::uint64_t{0} >> (64 - 8 * (bytes - at));
      if (((a ^ b) & mask) != 0) return false;
    }
  }
  return true;
}

void FunctionEvaluator::snapshotLines() {
  linesVersion_ = recordsVersion;
  const int last = lastParameterEntry(parameterLimit_);
  for (int i = kFdFunction; i <= last; ++i) {
    const size_t n = strnlen(functionData_[i].line, DataEntry::kLineSize - 1);
    std::memcpy(lines_[i], functionData_[i].line, n);
    lines_[i][n] = '\0';
    lineLength_[i] = static_cast<std::uint8_t>(n);
  }
  for (auto& sign : tapes_)
    for (ShapeTape& shape : sign) shape = ShapeTape{};
}

void FunctionEvaluator::noteFailure(double x, ParseStatus status) {
  ++failureCount_;
  if (firstFailure_.recorded) return;
  EvaluationFailure& f = firstFailure_;
  f.recorded = true;
  f.evaluation = evaluationCount_ - 1;
  f.x = x;
  f.status = status;
  const ExpressionEngine& engine = engine_;
  const char* message;
  if (!std::isfinite(x)) {
    message = "Abscissa Not Finite";
    f.errorLine = 0;
    f.errorColumn = 0;
  } else if (status == ParseStatus::StackOverflow) {
    // An overflow leaves the error record alone; its position is the parser's.
    message = "Parser Stack Overflow";
    f.errorLine = engine.inputLine();
    f.errorColumn = engine.inputColumn();
  } else {
    message = engine.errorRecord().message;
    f.errorLine = engine.errorRecord().errorLine;
    f.errorColumn = engine.errorRecord().errorColumn;
  }
  if (!message) message = "";
  const size_t n = strnlen(message, sizeof f.message - 1);
  std::memcpy(f.message, message, n);
  f.message[n] = '\0';
  locateFailure(f);
}

void FunctionEvaluator::locateFailure(EvaluationFailure& f) const {
  f.entry = kAbscissaStatement;
  f.entryColumn = 0;
  if (f.errorLine <= 0) return;
  const char* text = this->text();

  // Character offset of the reported position within the composed text.
  const size_t length = std::strlen(text);
  size_t offset = length;
  int line = 1, column = 1;
  for (size_t i = 0; i < length; ++i) {
    if (line == f.errorLine && column == f.errorColumn) {
      offset = i;
      break;
    }
    advance(static_cast<unsigned char>(text[i]), line, column);
  }

  // Walk the segments in composition order; a separator belongs to the
  // statement before it.
  const char* afterAbscissa = std::strchr(text, ',');
  size_t start = 0;
  size_t end = afterAbscissa ? static_cast<size_t>(afterAbscissa - text) : length;
  if (offset <= end) {
    f.entryColumn = static_cast<int>(offset - start) + 1;
    return;
  }
  int order[kFunctionDataEntries];
  int count = 0;
  const int last = lastParameterEntry(parameterLimit_);
  for (int i = kFdFirstParameter; i <= last; ++i) order[count++] = i;
  order[count++] = kFdFunction;
  for (int k = 0; k < count; ++k) {
    start = end + 1;
    end = start + strnlen(functionData_[order[k]].line, DataEntry::kLineSize - 1);
    if (offset <= end || k == count - 1) {
      f.entry = order[k];
      f.entryColumn = static_cast<int>(offset - start) + 1;
      return;
    }
  }
}

}  // namespace tavex
