// Printing one page: the print service and printer device the print pass
// reaches through, and the operations that make and release a frame's pens.
#pragma once

#include <memory>
#include <string>

#include "graphics/canvas.h"
#include "graphics/graph_frame.h"

namespace tavex {

// An open printer: its canvas and printable size, and the job's calls. Each
// call reports whether it worked; error() says why one did not.
class PrinterDevice {
 public:
  virtual ~PrinterDevice() = default;
  virtual Canvas* canvas() = 0;  // valid between startDocument and endDocument
  virtual int pixelWidth() = 0;   // printable area in device pixels
  virtual int pixelHeight() = 0;
  virtual bool startDocument() = 0;
  virtual bool startPage() = 0;
  virtual bool endPage() = 0;
  virtual bool endDocument() = 0;
  virtual std::string error() = 0;
};

class PrintService {
 public:
  virtual ~PrintService() = default;
  // The system's default printer as the user knows it; empty when none is set.
  virtual std::string defaultPrinterName() = 0;
  // A device for the named printer, or null with a reason when it cannot be made.
  virtual std::unique_ptr<PrinterDevice> createPrinter(const std::string& name,
                                                       std::string& error) = 0;
};

// Remakes the frame's 26 pens width wide and selects pen 0 into the printer.
void setPenWidth(GraphFrame& frame, int width);

// Texts of the print pass's message boxes.
inline constexpr const char* kNoPrinterText =
    "No printer is configured. Set up a default printer and choose Print again.";
inline constexpr const char* kPrintedText = "Printing is Finished";

}  // namespace tavex
