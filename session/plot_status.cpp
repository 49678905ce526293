// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/plot_status.h"

#include <cstdio>

#include "session/pass_report.h"

namespace tavex {

namespace {

// A rule's value as its readout writes it, after "Midpoint: ".
std::string ruleValue(SumRule rule, const RiemannSums& sums) {
  const ReadoutLines readouts = sumReadouts(sums);
  const ReadoutLines sides = sideReadouts(sums);
  switch (rule) {
    case SumRule::Left: return sides.lines[0] + kSideReadoutValueAt;
    case SumRule::Right: return sides.lines[1] + kSideReadoutValueAt;
    case SumRule::Trapezoid: return readouts.lines[2] + kReadoutValueAt;
    case SumRule::Midpoint: return readouts.lines[3] + kReadoutValueAt;
    case SumRule::Simpson: return readouts.lines[4] + kReadoutValueAt;
    case SumRule::UpperLower: break;
  }
  return {};
}

}  // namespace

std::string ruleStatus(const PassResult& result) {
  const SumRule rule = result.rule;
  if (!result.report.drawPass || result.cancelled || rule == SumRule::UpperLower) return {};
  const std::string name = ruleName(rule);
  const std::string n = std::to_string(result.steps);
  if (!result.sumsComputed)
    return name + ": no sums for n = " + n + " (n must be at least 2)";
  if (rule == SumRule::Simpson && !result.sums.simpsonShown)
    return name + ": n = " + n + " is odd; Simpson's rule needs an even n";
  return name + ": " + ruleValue(rule, result.sums);
}

std::string plotStatusLine(const PassResult& result) {
  std::string line;
  auto add = [&line](const std::string& part) {
    if (part.empty()) return;
    if (!line.empty()) line += "; ";
    line += part;
  };
  add(ruleStatus(result));
  if (result.cancelled) add("Cancelled at " + result.cancelledAt);
  add(passFailureLine(result.report));
  for (const std::string& warning : result.report.warnings) add(warning);
  return line;
}

}  // namespace tavex
