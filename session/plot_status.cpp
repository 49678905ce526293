#include "session/plot_status.h"

#include <cstdio>

#include "session/pass_report.h"

namespace tavex {

std::string plotStatusLine(const PassResult& result) {
  std::string line;
  auto add = [&line](const std::string& part) {
    if (part.empty()) return;
    if (!line.empty()) line += "; ";
    line += part;
  };
  if (result.cancelled) add("Cancelled at " + result.cancelledAt);
  add(passFailureLine(result.report));
  for (const std::string& warning : result.report.warnings) add(warning);
  return line;
}

}  // namespace tavex
