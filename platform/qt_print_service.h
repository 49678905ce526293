// SPDX-License-Identifier: GPL-3.0-or-later
// The system's printers through Qt PrintSupport (CUPS on Linux).
#pragma once

#include <memory>
#include <string>

#include "plot/print.h"

namespace tavex {

class QtPrintService : public PrintService {
 public:
  std::string defaultPrinterName() override;
  std::unique_ptr<PrinterDevice> createPrinter(const std::string& name,
                                               std::string& error) override;

  // Name of the print job; empty, as the program's jobs are, unless a caller
  // (a test looking for its output) sets one.
  std::string documentName;
};

}  // namespace tavex
