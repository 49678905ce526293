// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/state.h"

#include "data/records.h"

namespace tavex {

namespace {

PassResult& drawPass() {
  static PassResult pass;
  return pass;
}

PassResult& probePass() {
  static PassResult pass;
  return pass;
}

SumRule& rule() {
  static SumRule current = SumRule::UpperLower;
  return current;
}

}  // namespace

ExpressionEngine& programEngine() {
  static ExpressionEngine engine;
  return engine;
}

SumRule currentRule() { return rule(); }
void setCurrentRule(SumRule r) { rule() = r; }

PlotContext programContext() {
  return PlotContext{.engine = programEngine(),
                     .functionRecord = functionData,
                     .graphRecord = graphData,
                     .rule = currentRule()};
}

const PassResult& lastDrawPass() { return drawPass(); }
const PassResult& lastProbePass() { return probePass(); }

void keepPass(const PassResult& result) {
  if (!result.ran) return;
  (result.report.drawPass ? drawPass() : probePass()) = result;
}

void forgetPasses() {
  drawPass() = PassResult{};
  probePass() = PassResult{};
}

}  // namespace tavex
