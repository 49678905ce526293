// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the plot tests: record edits and evaluators that log or
// fake their evaluations.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "data/records.h"
#include "expr/engine.h"
#include "expr/function_evaluator.h"

namespace tavex::testing {

// Sets function data entries by short name, composing lines as makeEntry does.
inline void setFunctionData(const std::vector<std::pair<std::string, std::string>>& edits) {
  for (const auto& [name, value] : edits) {
    DataEntry& e = functionData[findEntry(functionData, kFunctionDataEntries, name.c_str())];
    e = makeEntry(e.name, value.c_str());
  }
}

// The engine of the test program.
inline ExpressionEngine& testEngine() {
  static ExpressionEngine engine;
  return engine;
}

// Logs every x; evaluates through the engine, or through fake when given.
class LoggingEvaluator : public FunctionEvaluator {
 public:
  explicit LoggingEvaluator(std::function<double(double)> fake = nullptr)
      : FunctionEvaluator(functionData, testEngine()),
        fake_(std::move(fake)) {}
  double evaluate(double x) override {
    xs.push_back(x);
    return fake_ ? fake_(x) : FunctionEvaluator::evaluate(x);
  }
  std::vector<double> xs;

 private:
  std::function<double(double)> fake_;
};

}  // namespace tavex::testing
