// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the function evaluator's replayed tapes against parsing
// every composed text. The input chooses function and parameter lines from
// the grammar (valid and not), edits between evaluations, a symbol table
// near full, and a sequence of abscissae (zero, poles, ±1000, huge, tiny,
// negative, not finite); both paths run on fresh engines of their own and
// must leave the same observable state after every evaluation.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "data/records.h"
#include "expr/engine.h"
#include "expr/function_evaluator.h"
#include "tests/support/observable_state.h"

namespace {

using namespace tavex;

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool empty() const { return at_ >= size_; }
  unsigned byte() { return at_ < size_ ? data_[at_++] : 0; }
  unsigned pick(unsigned n) { return n == 0 ? 0 : byte() % n; }
  double number() {
    std::uint64_t bits = 0;
    for (int k = 0; k < 8; ++k) bits = bits << 8 | byte();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

const char* const kNames[] = {"x", "y", "z", "a", "b", "e", "s", "t", "w", "y2", "abc_1", "E1", "sin"};
const char* const kUnary[] = {"sin", "cos", "exp", "log", "sqrt", "fabs", "atan", "tanh", "log10",
                              "asin"};
const char* const kBinary[] = {"+", "-", "*", "/", "**", "<", "<=", ">", ">=", "==", "!=",
                               "&&", "||"};
const char* const kAssign[] = {"=", "+=", "-=", "*=", "/="};
const char* const kSpace[] = {"", " ", "  ", "\t", "\n", "/* c */", "\r", "\v"};
const char* const kNoise[] = {"#", "&", "|", "\\", "\x01", "\xff", "2x", "1e", "1e+", ".", "(",
                              ")", ",", ";", "// c", "/* c", "?", ":", "1 2"};

std::string literal(Input& in) {
  static const char* const kLiterals[] = {"0", "1", "2", "0.5", ".25", "1.", "10", "1e3", "2E-2",
                                          "1e+2", "123456789012", "0.1234567890123456789", "3"};
  return kLiterals[in.pick(std::size(kLiterals))];
}

std::string expression(Input& in, int depth) {
  const std::string space = kSpace[in.pick(std::size(kSpace)) % 3 == 0 ? in.pick(std::size(kSpace)) : 0];
  if (depth > 6 || in.empty()) return literal(in) + space;
  switch (in.pick(12)) {
    case 0: return literal(in) + space;
    case 1:
    case 2: return std::string(kNames[in.pick(std::size(kNames))]) + space;
    case 3: return std::string(kUnary[in.pick(std::size(kUnary))]) + "(" + expression(in, depth + 1) + ")";
    case 4: {
      const char* f = in.pick(2) ? "atan2(" : "fmod(";
      return f + expression(in, depth + 1) + "," + space + expression(in, depth + 1) + ")";
    }
    case 5:
    case 6:
      return expression(in, depth + 1) + kBinary[in.pick(std::size(kBinary))] + space +
             expression(in, depth + 1);
    case 7: return std::string(in.pick(2) ? "-" : "!") + expression(in, depth + 1);
    case 8: return "(" + expression(in, depth + 1) + ")" + space;
    case 9:
      return expression(in, depth + 1) + "?" + expression(in, depth + 1) + ":" +
             expression(in, depth + 1);
    case 10:
      return std::string("(") + kNames[in.pick(std::size(kNames))] + kAssign[in.pick(std::size(kAssign))] +
             expression(in, depth + 1) + ")";
    default: return kNoise[in.pick(std::size(kNoise))];
  }
}

std::string statementLine(Input& in, const char* prefix) {
  std::string line = prefix;
  const unsigned statements = 1 + in.pick(3);
  for (unsigned k = 0; k < statements; ++k) {
    if (k > 0) line += in.pick(2) ? "," : ";";
    if (k > 0 || in.pick(4) == 0) line += std::string(kNames[in.pick(std::size(kNames))]) + " = ";
    line += expression(in, 0);
  }
  return line.substr(0, DataEntry::kLineSize - 2);
}

double abscissa(Input& in) {
  static const double kSpecial[] = {0.0, -0.0, 1.0, 2.0, 0.5, -1.0, 1000.0, -1000.0, 999.99999,
                                    -100.0, 1e-300, -1e-300, 1e-15, 65535.9999999, 99999.5, 1e300,
                                    -1e300, std::numeric_limits<double>::infinity(),
                                    std::numeric_limits<double>::quiet_NaN(), 3.75, 12345.678};
  switch (in.pick(4)) {
    case 0: return kSpecial[in.pick(std::size(kSpecial))];
    case 1: return in.number();
    default: return (static_cast<int>(in.byte()) - 128) / 16.0 + in.byte() * 1e-7;
  }
}

struct Side {
  ExpressionEngine engine;
  DataEntry data[kFunctionDataEntries];
  std::unique_ptr<FunctionEvaluator> evaluator;
};

[[noreturn]] void differ(const std::string& a, const std::string& b, double x) {
  std::fprintf(stdout, "replay and parse differ at x = %a\n--- replay\n%s--- parse\n%s", x, a.c_str(),
               b.c_str());
  std::fflush(stdout);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  tavex::testing::StderrCapture err;
  Side fast, slow;
  std::string lines[kFunctionDataEntries];
  lines[kFdFunction] = statementLine(in, in.pick(8) == 0 ? "z    = " : "y    = ");
  for (int i = kFdFirstParameter; i < kFdFirstParameter + 5; ++i)
    if (in.pick(3) == 0) lines[i] = statementLine(in, "a    = ");
  const bool nearFull = in.pick(8) == 0;
  for (Side* side : {&fast, &slow}) {
    initFunctionData();
    for (int i = 0; i < kFunctionDataEntries; ++i) {
      side->data[i] = functionData[i];
      if (!lines[i].empty()) acceptLine(side->data[i], lines[i].c_str());
    }
    if (nearFull)
      for (int i = 0; i < 95; ++i) {
        const std::string text = "v" + std::to_string(i) + " = " + std::to_string(i);
        side->engine.resetStacks();
        side->engine.runText(text.c_str());
      }
    side->evaluator = std::make_unique<FunctionEvaluator>(side->data, side->engine);
  }
  slow.evaluator->setReplay(false);
  err.take();
  for (int step = 0; step < 64 && !in.empty(); ++step) {
    if (in.pick(16) == 0) {  // an edit between two evaluations
      const std::string line = statementLine(in, "y    = ");
      acceptLine(fast.data[kFdFunction], line.c_str());
      acceptLine(slow.data[kFdFunction], line.c_str());
    }
    if (in.pick(6) == 0) {  // a run evaluated together
      double xs[80], together[80];
      const int count = 1 + static_cast<int>(in.pick(80));
      const double base = abscissa(in), step = (static_cast<int>(in.byte()) - 100) * 1e-3;
      for (int k = 0; k < count; ++k) xs[k] = in.pick(16) == 0 ? abscissa(in) : base + k * step;
      fast.evaluator->evaluateMany(xs, together, count);
      const std::string fastState =
          tavex::testing::observableState(fast.engine, *fast.evaluator, together[count - 1]) + err.take();
      double apart = 0;
      for (int k = 0; k < count; ++k) {
        apart = slow.evaluator->evaluate(xs[k]);
        if (std::memcmp(&apart, &together[k], sizeof apart) != 0)
          differ("value " + std::to_string(k), "", xs[k]);
      }
      const std::string slowState =
          tavex::testing::observableState(slow.engine, *slow.evaluator, apart) + err.take();
      if (fastState != slowState) differ(fastState, slowState, xs[count - 1]);
      continue;
    }
    const double x = abscissa(in);
    const double a = fast.evaluator->evaluate(x);
    const std::string fastState = tavex::testing::observableState(fast.engine, *fast.evaluator, a) + err.take();
    const double b = slow.evaluator->evaluate(x);
    const std::string slowState = tavex::testing::observableState(slow.engine, *slow.evaluator, b) + err.take();
    if (fastState != slowState) differ(fastState, slowState, x);
  }
  return 0;
}
