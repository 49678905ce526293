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

}  // namespace

ExpressionEngine& programEngine() {
  static ExpressionEngine engine;
  return engine;
}

PlotContext programContext() {
  return PlotContext{.engine = programEngine(),
                     .functionRecord = functionData,
                     .graphRecord = graphData};
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
