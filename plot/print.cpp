// SPDX-License-Identifier: GPL-3.0-or-later
// Printing: the print command's questions and pass, the print job, and the
// switch of a frame between its window and the printer.
#include "plot/print.h"

namespace tavex {

namespace {

// The screen's colour indices, kept in the frame while it prints.
void keepWindowIndices(GraphFrame& frame) {
  frame.savedFramePenIndex = frame.framePenIndex;
  frame.savedTextColourIndex = frame.textColourIndex;
  frame.savedBrushIndex = frame.brushIndex;
  frame.savedPenIndex = frame.penIndex;
}

void restoreWindowIndices(GraphFrame& frame) {
  frame.framePenIndex = frame.savedFramePenIndex;
  frame.textColourIndex = frame.savedTextColourIndex;
  frame.brushIndex = frame.savedBrushIndex;
  frame.penIndex = frame.savedPenIndex;
}

// Selects font into the frame's device and takes the text cell sizes from it.
void useFont(GraphFrame& frame, FontHandle font) {
  frame.font = font;
  frame.dc->selectFont(frame.font);
  frame.textMetrics = frame.dc->textMetrics();
  frame.charWidth = frame.textMetrics.averageCharWidth;
  frame.lineHeight = frame.textMetrics.height;
}

}  // namespace

PrintChoice askPrintQuestions(Dialogs& dialogs, PrintService& printers) {
  PrintChoice choice;
  choice.printer = printers.defaultPrinterName();
  if (choice.printer.empty()) {
    // Nothing to print to: say so plainly instead of asking about a made-up name.
    dialogs.messageBox(kNoPrinterText, "Note");
    return choice;
  }
  choice.print = dialogs.askYesNo(choice.printer, "Shall we print to ");
  if (choice.print) choice.colour = dialogs.askYesNo("Colour ?", "Notice");
  return choice;
}

PrintJob::PrintJob(PrintService& printers, const PrintChoice& choice) : choice_(choice) {
  if (!choice_.print) return;
  std::string error;
  device_ = printers.createPrinter(choice_.printer, error);
  if (!device_) {
    failure_ = error.empty() ? "the printer cannot be opened" : error;
    return;
  }
  width_ = device_->pixelWidth();
  height_ = device_->pixelHeight();
  documentStarted_ = device_->startDocument();
  if (!documentStarted_) {
    failure_ = device_->error();
    return;
  }
  pageStarted_ = device_->startPage();
  if (!pageStarted_) failure_ = device_->error();
}

PrintJob::~PrintJob() {
  if (!finished_) end();
}

Canvas* PrintJob::canvas() const { return pageStarted_ ? device_->canvas() : nullptr; }

std::string PrintJob::end() {
  if (finished_ || !device_) {
    finished_ = true;
    return failure_;
  }
  finished_ = true;
  if (pageStarted_ && !device_->endPage() && failure_.empty()) failure_ = device_->error();
  if (documentStarted_ && !device_->endDocument() && failure_.empty()) failure_ = device_->error();
  return failure_;
}

bool PrintJob::abort() {
  if (finished_) return !documentStarted_;
  finished_ = true;
  return !documentStarted_ || device_->abort();
}

PassResult printPlot(const PlotContext& context, GraphFrame& frame, Dialogs& dialogs,
                     PrintService& printers) {
  const PrintChoice choice = askPrintQuestions(dialogs, printers);
  PrintJob job(printers, choice);
  PlotContext printing = context;
  printing.printJob = &job;
  PassResult result = plot(printing, frame, kDrawPass, kToPrinter);
  if (context.monitor != nullptr) context.monitor->passEnded();
  if (!job.accepted()) return result;
  if (result.cancelled) {
    const bool dropped = job.abort();
    dialogs.messageBox(dropped ? kCancelledText : kCancelledLateText, "Note");
    return result;
  }
  const std::string failure = job.end();
  dialogs.messageBox(failure.empty() ? std::string(kPrintedText) : "Printing failed: " + failure,
                     "Note");
  return result;
}

void setPenWidth(GraphFrame& frame, int width) {
  frame.penWidth = width;
  for (int i = 0; i < kPenCount; ++i) frame.pens[i] = makePen(penPalette[i], width);
  if (frame.printerDc != nullptr) frame.printerDc->selectPen(frame.pens[0]);
}

void switchToPrinter(GraphFrame& frame, PrintJob* job) {
  if (job == nullptr || !job->accepted()) {
    frame.printing = 0;
    return;
  }
  frame.colourOutput = job->colourOutput();
  if (job->hasPrinter()) {
    frame.deviceWidth = job->pixelWidth();
    frame.deviceHeight = job->pixelHeight();
  }
  frame.printing = 1;
  frame.printerDc = job->canvas();
  frame.screenDc = frame.dc;
  frame.dc = frame.printerDc;  // null when the job failed: the pass then draws into nothing
  frame.deviceAspect =
      frame.deviceWidth > 0 ? static_cast<double>(frame.deviceHeight) / frame.deviceWidth : 1.0;

  keepWindowIndices(frame);
  if (frame.colourOutput == 0) {
    frame.framePenIndex = 0;
    frame.brushIndex = 5;
    frame.penIndex = 0;
    frame.textColourIndex = 0;
  }

  if (frame.dc != nullptr)
    useFont(frame, createScaledFont(*frame.dc, "Times New Roman", 140, 160, 0, kLogicalDpi));
  frame.cursorY = frame.lineHeight;
  frame.lineStartX = frame.cursorX = 10 * frame.charWidth;
}

void switchToWindow(GraphFrame& frame) {
  frame.printerDc = nullptr;
  frame.dc = frame.screenDc;
  frame.deviceWidth = frame.clientWidth;
  frame.deviceHeight = frame.clientHeight;
  restoreWindowIndices(frame);
  frame.printing = 0;
  frame.colourOutput = 1;
  if (frame.dc != nullptr) {
    // The screen's fixed-pitch font again, for any text that follows.
    FontDescription fixed;
    fixed.faceName = "Courier New";
    useFont(frame, frame.dc->createFont(fixed));
  }
}

}  // namespace tavex
