// SPDX-License-Identifier: GPL-3.0-or-later
// The line a plot window shows below its picture after a pass: the rule
// whose picture it shows with its value, where the pass was cancelled, the
// first evaluation of f that failed (with its x and how many failed), and the
// warnings about the data, in that order.
#pragma once

#include <string>

#include "plot/plot.h"

namespace tavex {

// A draw pass with a rule's picture begins with the rule and its value:
// "Midpoint: 5.1686823794", or why it has none.
std::string plotStatusLine(const PassResult& result);

// That beginning alone; empty for the upper and lower outlines.
std::string ruleStatus(const PassResult& result);

}  // namespace tavex
