// The line a plot window shows below its picture after a pass: where the
// pass was cancelled, the first evaluation of f that failed (with its x and
// how many failed), and the warnings about the data, in that order.
#pragma once

#include <string>

#include "plot/plot.h"

namespace tavex {

std::string plotStatusLine(const PassResult& result);

}  // namespace tavex
