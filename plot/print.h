// SPDX-License-Identifier: GPL-3.0-or-later
// Printing one page: the print service and printer device a print job goes
// through, the print command's questions, the job itself, and the operations
// that switch a frame to the printer and back.
#pragma once

#include <memory>
#include <string>

#include "graphics/canvas.h"
#include "graphics/graph_frame.h"
#include "plot/dialogs.h"
#include "plot/plot.h"

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
  // Drops the document under way so that nothing of it is printed; false
  // when the printer cannot drop it (the document then ends as it stands).
  virtual bool abort() = 0;
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

// Texts of the print command's message boxes.
inline constexpr const char* kNoPrinterText =
    "No printer is configured. Set up a default printer and choose Print again.";
inline constexpr const char* kPrintedText = "Printing is Finished";
inline constexpr const char* kCancelledText = "Printing cancelled: nothing was printed.";
inline constexpr const char* kCancelledLateText =
    "Printing cancelled, but the printer had the page already: it may come out unfinished.";

// The answers to the print command's two questions.
struct PrintChoice {
  bool print = false;   // Yes to the printer's name
  bool colour = false;  // Yes to "Colour ?"
  std::string printer;
};

// Asks whether to print to the default printer, then whether in colour. With
// no printer configured it says so instead and asks nothing.
PrintChoice askPrintQuestions(Dialogs& dialogs, PrintService& printers);

// One document of one page on a printer. Made from the user's choice: when
// the user chose to print, the document and its page are begun at once;
// otherwise there is no job. The page and the document are ended when the job
// goes, however the pass that prints into it ends, unless end() or abort()
// came first.
class PrintJob {
 public:
  PrintJob(PrintService& printers, const PrintChoice& choice);
  ~PrintJob();
  PrintJob(const PrintJob&) = delete;
  PrintJob& operator=(const PrintJob&) = delete;

  bool accepted() const { return choice_.print; }
  int colourOutput() const { return choice_.colour ? 1 : 0; }
  bool hasPrinter() const { return device_ != nullptr; }
  int pixelWidth() const { return width_; }
  int pixelHeight() const { return height_; }
  // The page's canvas; null when the printer or its document could not be begun.
  Canvas* canvas() const;

  // Ends the page and the document; returns why the job failed, empty when it
  // printed. Failing to begin counts.
  std::string end();
  // Drops the job so that nothing is printed; false when the printer cannot
  // drop it (see PrinterDevice::abort).
  bool abort();

 private:
  PrintChoice choice_;
  std::unique_ptr<PrinterDevice> device_;
  int width_ = 0;
  int height_ = 0;
  bool documentStarted_ = false;
  bool pageStarted_ = false;
  bool finished_ = false;
  std::string failure_;
};

// The print command's pass on its frame: the two questions, the draw pass for
// paper on the chosen printer (or on the frame's window when the user says
// No), then the end of the job and a message saying how it went.
PassResult printPlot(const PlotContext& context, GraphFrame& frame, Dialogs& dialogs,
                     PrintService& printers);

// Remakes the frame's 26 pens width wide and selects pen 0 into the printer.
void setPenWidth(GraphFrame& frame, int width);

// The printer part of prepareDevice: moves the frame from its window onto the
// job's page with the paper font, keeping the window's colour indices; black
// on white unless the job is in colour. Without an accepted job the frame
// stays on its window (printing 0).
void switchToPrinter(GraphFrame& frame, PrintJob* job);

// The printer part of finishOutput: back to the window, its size, colour
// indices and the fixed-pitch font.
void switchToWindow(GraphFrame& frame);

}  // namespace tavex
