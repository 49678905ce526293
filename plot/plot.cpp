#include "plot/plot.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "app/shell_globals.h"
#include "data/records.h"
#include "graphics/axes.h"
#include "plot/print.h"
#include "plot/sums.h"
#include "plot/dialogs.h"

namespace tavex {

namespace {

// The four panels of the page; bottom percentages are for the screen and are
// raised for paper by panelsFor.
Panel graphPanel{10, 60, 20, 78, 2, 2, 1, 1, 0, 0};
Panel dataPanel{62, 98, 15, 72, 4, 12, 2, 2, 0, 0};
Panel functionPanel{10, 60, 81, 90, 3, 2, 1, 1, 0, 0};
Panel probePanel{62, 98, 75, 90, 4, 12, 1, 1, 0, 0};

void selectPaperLayout(int toPrinter) {
  graphPanel.bottomPct = toPrinter ? 35 : 20;
  dataPanel.bottomPct = toPrinter ? 30 : 15;
}

PassReport passReport;

// The print job of the print pass under way (one at a time) and what failed.
std::unique_ptr<PrinterDevice> printJob;
bool documentStarted = false;
bool pageStarted = false;
std::string printFailure;

void showMessage(const std::string& text, const char* caption) {
  if (dialogs != nullptr) dialogs->messageBox(text, caption);
}

// Switches the frame from the main window to the default printer, after the
// two questions. Answering No to the first leaves the pass on the window.
void printerBranch(GraphFrame& frame) {
  const std::string name = printService != nullptr ? printService->defaultPrinterName() : "";
  if (name.empty()) {
    // Nothing to print to: say so plainly instead of asking about a made-up name.
    showMessage(kNoPrinterText, "Note");
    frame.printing = 0;
    return;
  }
  if (dialogs == nullptr || !dialogs->askYesNo(name, "Shall we print to ")) {
    frame.printing = 0;
    return;
  }
  frame.colourOutput = 0;
  if (dialogs->askYesNo("Colour ?", "Notice")) frame.colourOutput = 1;

  printFailure.clear();
  documentStarted = pageStarted = false;
  std::string error;
  printJob = printService->createPrinter(name, error);
  Canvas* printerCanvas = nullptr;
  if (!printJob) {
    printFailure = error.empty() ? "the printer cannot be opened" : error;
  } else {
    frame.deviceWidth = printJob->pixelWidth();
    frame.deviceHeight = printJob->pixelHeight();
    documentStarted = printJob->startDocument();
    if (!documentStarted) {
      printFailure = printJob->error();
    } else {
      pageStarted = printJob->startPage();
      if (!pageStarted) printFailure = printJob->error();
      else printerCanvas = printJob->canvas();
    }
  }

  frame.printing = 1;
  frame.printerDc = printerCanvas;
  frame.screenDc = frame.dc;
  frame.dc = frame.printerDc;  // null when the job failed: the pass then draws into nothing
  frame.deviceAspect =
      frame.deviceWidth > 0 ? static_cast<double>(frame.deviceHeight) / frame.deviceWidth : 1.0;

  frame.savedFramePenIndex = frame.framePenIndex;
  frame.savedTextColourIndex = frame.textColourIndex;
  frame.savedBrushIndex = frame.brushIndex;
  frame.savedPenIndex = frame.penIndex;
  if (frame.colourOutput == 0) {
    frame.framePenIndex = 0;
    frame.brushIndex = 5;
    frame.penIndex = 0;
    frame.textColourIndex = 0;
  }

  if (frame.dc != nullptr) {
    frame.font = createScaledFont(*frame.dc, "Times New Roman", 140, 160, 0, 1);
    frame.dc->selectFont(frame.font);
    frame.textMetrics = frame.dc->textMetrics();
    frame.charWidth = frame.textMetrics.averageCharWidth;
    frame.lineHeight = frame.textMetrics.height;
  }
  frame.cursorY = frame.lineHeight;
  frame.lineStartX = frame.cursorX = 10 * frame.charWidth;
}

// Ends the print job and says how it went.
void endPrintJob(GraphFrame& frame) {
  if (printJob) {
    if (pageStarted && !printJob->endPage() && printFailure.empty()) printFailure = printJob->error();
    if (documentStarted && !printJob->endDocument() && printFailure.empty())
      printFailure = printJob->error();
  }
  printJob.reset();
  documentStarted = pageStarted = false;
  frame.printerDc = nullptr;
  frame.dc = frame.screenDc;
  frame.deviceWidth = frame.clientWidth;
  frame.deviceHeight = frame.clientHeight;
  frame.framePenIndex = frame.savedFramePenIndex;
  frame.textColourIndex = frame.savedTextColourIndex;
  frame.brushIndex = frame.savedBrushIndex;
  frame.penIndex = frame.savedPenIndex;
  frame.printing = 0;
  frame.colourOutput = 1;
  if (frame.dc != nullptr) {
    // The screen's fixed-pitch font again, for any text that follows.
    FontDescription fixed;
    fixed.faceName = "Courier New";
    frame.font = frame.dc->createFont(fixed);
    frame.dc->selectFont(frame.font);
    frame.textMetrics = frame.dc->textMetrics();
    frame.charWidth = frame.textMetrics.averageCharWidth;
    frame.lineHeight = frame.textMetrics.height;
  }
  showMessage(printFailure.empty() ? std::string(kPrintedText) : "Printing failed: " + printFailure,
              "Note");
  printFailure.clear();
}
PanelText dataPanelText;
PanelText probePanelText;

void record(PanelText& panel, const char* text) {
  if (panel.count >= PanelText::kMaxLines) return;
  char* line = panel.lines[panel.count++];
  const size_t n = strnlen(text, sizeof panel.lines[0] - 1);
  std::memcpy(line, text, n);
  line[n] = '\0';
}

// Pens of the plot proper.
constexpr int kGridPen = 10;
constexpr int kCurvePen = 11;
constexpr int kUpperPen = 12;
constexpr int kLowerPen = 13;

// Draws each step of the rectangle walk: the vertical line from the axis at
// every grid point, then the upper outline (cyan) at the larger end value and
// the lower outline (magenta) at the smaller one.
class StepOutlines : public StepDrawing {
 public:
  explicit StepOutlines(GraphFrame& frame) : frame_(frame) {}
  void start(double x1, double f1) override {
    frame_.selectPen(kGridPen);
    frame_.moveTo(x1, 0);
    frame_.lineTo(x1, f1);
  }
  void step(double p, double fp, double x, double fx) override {
    frame_.selectPen(kGridPen);
    frame_.moveTo(x, 0);
    frame_.lineTo(x, fx);
    frame_.selectPen(kUpperPen);
    frame_.moveTo(p, fp);
    if (fx > fp) {
      frame_.lineTo(p, fx);
      frame_.lineTo(x, fx);
      frame_.selectPen(kLowerPen);
      frame_.lineTo(x, fp);
      frame_.lineTo(p, fp);
    } else {
      frame_.lineTo(x, fp);
      frame_.lineTo(x, fx);
      frame_.selectPen(kLowerPen);
      frame_.lineTo(p, fx);
      frame_.lineTo(p, fp);
    }
  }

 private:
  GraphFrame& frame_;
};

void releaseTools(GraphFrame& frame) {
  for (Pen& pen : frame.pens) pen = Pen{};
  for (Brush& brush : frame.brushes) brush = Brush{};
  frame.clientRegion = Region{};
  frame.frameRegion = Region{};
  if (frame.dc != nullptr && frame.font) frame.dc->deleteFont(frame.font);
  frame.font = FontHandle{};
}

void vprint(GraphFrame& frame, const char* format, va_list args) {
  char text[80];  // a formatted line holds at most 79 characters
  std::vsnprintf(text, sizeof text, format, args);
  putText(frame, text);
}

}  // namespace

int curveSegments(int points) { return points > kMaxCurveSegments ? kMaxCurveSegments : points; }

namespace {

void drawPass(GraphFrame& frame, FunctionEvaluator& evaluator, const FunctionInterval& interval,
              int toPrinter) {
  prepareDevice(frame, toPrinter);

  if (frame.colourAllowed()) {
    frame.brushIndex = graphPanel.brushIndex;
    frame.framePenIndex = graphPanel.framePenIndex;
    frame.penIndex = graphPanel.penIndex;
    frame.textColourIndex = graphPanel.textColourIndex;
  }
  frame.setFrame(graphPanel.leftPct, graphPanel.rightPct, graphPanel.bottomPct, graphPanel.topPct, 1);
  frame.drawBorder(-1);
  drawGraph(frame, graphData);

  frame.selectPen(kCurvePen);
  frame.plotCurve(evaluator, frame.x0, frame.x1, curveSegments(frame.points));

  RiemannSums sums;
  if (sumsWanted(interval)) {
    StepOutlines outlines(frame);
    sums = computeSums(evaluator, interval, &outlines);
  }

  dataPanelText.count = 0;
  frame.setPanel(dataPanel, 1);
  for (int i = kFdFirstParameter; i < kFdFirstParameter + 5; ++i) {
    putText(frame, functionData[i].line);
    frame.newLine(1);
    record(dataPanelText, functionData[i].line);
  }
  if (sumsWanted(interval)) {
    for (int i : {kFdX1, kFdX2, kFdSteps}) {
      putText(frame, functionData[i].line);
      frame.newLine(1);
      record(dataPanelText, functionData[i].line);
    }
    const ReadoutLines readouts = sumReadouts(sums);
    for (int i = 0; i < readouts.count; ++i) {
      printLine(frame, "%s", readouts.lines[i]);
      record(dataPanelText, readouts.lines[i]);
    }
  }

  frame.setPanel(functionPanel, 1);
  putText(frame, functionData[kFdFunction].line);
  frame.newLine(1);

  if (toPrinter == 0) probeEnabled = 1;
}

void probePass(GraphFrame& frame, FunctionEvaluator& evaluator) {
  frame.setPanel(graphPanel, 0);
  const double x = frame.unmapX(lastMouseX, 1);
  const double Y = frame.unmapY(lastMouseY, 1);
  const ProbeReadings r = probeReadings(evaluator, x);
  const double y = r.y, d1 = r.d1, d2 = r.d2;

  frame.setPanel(probePanel, 1);
  printText(frame, "x = %.5f", x);
  printLine(frame, "   Y = %.5f", Y);
  printLine(frame, "y = f(x) = %.5f", y);
  printText(frame, "f'(x) = %.5f", d1);
  printText(frame, "   f\"(x) = %.5f", d2);

  char line[3][120];
  std::snprintf(line[0], sizeof line[0], "x = %.5f   Y = %.5f", x, Y);
  std::snprintf(line[1], sizeof line[1], "y = f(x) = %.5f", y);
  std::snprintf(line[2], sizeof line[2], "f'(x) = %.5f   f\"(x) = %.5f", d1, d2);
  probePanelText.count = 0;
  for (const char* l : line) record(probePanelText, l);
}

}  // namespace

ProbeReadings probeReadings(FunctionEvaluator& evaluator, double x) {
  ProbeReadings r;
  r.x = x;
  r.y = evaluator.evaluate(x);
  const double fp = evaluator.evaluate(x + probeStep);
  const double fm = evaluator.evaluate(x - probeStep);
  r.d1 = (fp - fm) * 500;
  r.d2 = ((fp - (r.y + r.y)) + fm) * 1000000;
  return r;
}

void prepareDevice(GraphFrame& frame, int toPrinter) {
  // Give back what the previous draw pass of this frame made.
  releaseTools(frame);
  if (frame.dc != nullptr && frame.window != nullptr) frame.window->releaseCanvas(frame.dc);
  frame.dc = nullptr;

  frame.printing = toPrinter;
  for (int i = 0; i < kPenCount; ++i) frame.pens[i] = makePen(penPalette[i], frame.penWidth);
  for (int i = 0; i < kBrushCount; ++i) frame.brushes[i] = makeBrush(brushPalette[i]);
  frame.textColourIndex = 1;
  frame.framePenIndex = 2;
  frame.brushIndex = 5;

  if (frame.window == nullptr) return;
  frame.dc = frame.window->acquireCanvas();
  frame.screenDc = frame.dc;
  if (frame.dc == nullptr) return;
  Canvas& dc = *frame.dc;

  frame.font = createScaledFont(dc, "Times New Roman", 100, 100, 0, 1);
  dc.selectFont(frame.font);
  frame.textMetrics = dc.textMetrics();
  frame.charWidth = frame.textMetrics.averageCharWidth;
  frame.lineHeight = frame.textMetrics.height;
  frame.cursorY = frame.lineHeight;
  frame.lineStartX = frame.cursorX = 10 * frame.charWidth;

  frame.clientRect = frame.window->clientRect();
  const int width = frame.clientRect.right - frame.clientRect.left;
  const int height = frame.clientRect.bottom - frame.clientRect.top;
  frame.clientWidth = frame.deviceWidth = width;
  frame.clientHeight = frame.deviceHeight = height;
  // A window without width has no aspect; 1 keeps later arithmetic finite.
  frame.deviceAspect = width > 0 ? static_cast<double>(height) / width : 1.0;
  frame.clientRegion = makeRectRegion(frame.clientRect);

  if (frame.colourAllowed()) dc.fillRegion(frame.clientRegion, frame.brushes[frame.brushIndex]);

  if (toPrinter == 1) printerBranch(frame);

  frame.penIndex = 0;
  if (frame.dc == nullptr) return;
  frame.dc->setBackgroundColour(brushPalette[frame.brushIndex]);
  frame.dc->setTextColour(penPalette[frame.textColourIndex]);
  frame.dc->selectPen(frame.pens[0]);
}

void setPenWidth(GraphFrame& frame, int width) {
  frame.penWidth = width;
  for (int i = 0; i < kPenCount; ++i) frame.pens[i] = makePen(penPalette[i], width);
  if (frame.printerDc != nullptr) frame.printerDc->selectPen(frame.pens[0]);
}

void finishOutput(GraphFrame& frame) {
  setPenWidth(frame, 1);
  releaseTools(frame);
  if (frame.printing == 1) endPrintJob(frame);
  if (frame.dc != nullptr && frame.font) frame.dc->deleteFont(frame.font);
  frame.font = FontHandle{};
  if (frame.dc != nullptr && frame.window != nullptr) frame.window->releaseCanvas(frame.dc);
  frame.dc = nullptr;
  frame.screenDc = nullptr;
}

void putText(GraphFrame& frame, const char* text) {
  frame.applyTextColours();
  frame.measureText(text);
  frame.drawText(frame.cursorX, frame.cursorY, text);
  frame.cursorX += frame.textExtent.width;
}

void printText(GraphFrame& frame, const char* format, ...) {
  va_list args;
  va_start(args, format);
  vprint(frame, format, args);
  va_end(args);
}

void printLine(GraphFrame& frame, const char* format, ...) {
  va_list args;
  va_start(args, format);
  vprint(frame, format, args);
  va_end(args);
  frame.cursorY += frame.lineHeight;
  frame.cursorX = frame.lineStartX;
}

void plot(GraphFrame& frame, int probe, int toPrinter) {
  const FunctionInterval interval = readFunctionInterval();
  FunctionEvaluator evaluator(functionData, ExpressionEngine::instance().symbolTable());
  selectPaperLayout(toPrinter);
  if (toPrinter == 1) setPenWidth(frame, 3);

  if (probe == 0) {
    drawPass(frame, evaluator, interval, toPrinter);
  } else if (toPrinter == 0 && probeEnabled == 1) {
    probePass(frame, evaluator);
  } else {
    return;
  }
  passReport.drawPass = probe == 0;
  passReport.evaluations = evaluator.evaluationCount();
  passReport.failures = evaluator.failureCount();
  passReport.firstFailure = evaluator.firstFailure();
  if (toPrinter == 1) finishOutput(frame);
}

const PassReport& lastPassReport() { return passReport; }
const PanelText& lastDataPanelText() { return dataPanelText; }
const PanelText& lastProbePanelText() { return probePanelText; }

}  // namespace tavex
