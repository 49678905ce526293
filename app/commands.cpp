#include "app/commands.h"

#include <QRect>
#include <QString>

#include <memory>
#include <new>
#include <string>

#include "session/help_text.h"
#include "app/main_window.h"
#include "app/pass_runner.h"
#include "session/plot_status.h"
#include "app/shell_globals.h"
#include "data/records.h"
#include "graphics/graph_frame.h"
#include "platform/child_window.h"
#include "platform/image_window.h"
#include "plot/dialogs.h"
#include "plot/plot.h"
#include "plot/print.h"
#include "ui/data_box.h"

namespace tavex {

namespace {

const QRect kChildOuterRect(30, 50, 200, 200);

// Where the system's printers are not set up for the program (in widget
// tests), no printer is configured.
class NoPrinters : public PrintService {
 public:
  std::string defaultPrinterName() override { return {}; }
  std::unique_ptr<PrinterDevice> createPrinter(const std::string&, std::string&) override {
    return nullptr;
  }
};

// Opens the box of one record unless it is open already.
void openBoxCommand(std::span<DataEntry> record, const char* title, ChildWindow*& window,
                    DataBox*& box) {
  if (box != nullptr) return;
  window = openChildWindow(title, mainWindow);
  // Without its box the window would be an empty shell: close it again.
  if (openDataBox(record, title, window, box) == nullptr) window->destroyWindow();
}

}  // namespace

bool mainWindowCommand(int id) {
  switch (id) {
    case kExitCommand:
      exitCommand();
      return true;
    case kFdataCommand:
      fdataCommand();
      return true;
    case kGdataCommand:
      gdataCommand();
      return true;
    case kScreenCommand:
      screenCommand();
      return true;
    case kPrintCommand:
      printCommand();
      return true;
    case kHelpCommand:
      helpCommand();
      return true;
    case kConvergenceCommand:
      convergenceCommand();
      return true;
    case kFitGraphCommand:
      fitGraphCommand();
      return true;
    case kSavePictureCommand:
      savePictureCommand();
      return true;
    case kCopyPictureCommand:
      copyPictureCommand();
      return true;
    case kCopyReadoutsCommand:
      copyReadoutsCommand();
      return true;
    default:
      return false;
  }
}

int exitCommand() {
  // A running pass is cancelled first; the program ends when it has ended.
  whenNoPass([] {
    if (mainWindow != nullptr) mainWindow->close();
  });
  return 0;
}

int helpCommand() {
  if (dialogs != nullptr) dialogs->messageBox(kHelpText, kHelpCaption);
  return 0;
}

int fdataCommand() {
  openBoxCommand(functionData, "fdata", fdataWindow, fdataBox);
  return 0;
}

int gdataCommand() {
  openBoxCommand(graphData, "gdata", gdataWindow, gdataBox);
  return 0;
}

int screenCommand() {
  // The frame a running pass draws through goes only once the pass has ended.
  whenNoPass([] {
    plotWindow = openChildWindow("plotm", mainWindow);
    discardCurrentFrame();
    // Without a frame the window stays open and ignores the mouse.
    currentFrame = new (std::nothrow) GraphFrame(plotWindow);
  });
  return 0;
}

int printCommand() {
  whenNoPass([] {
    discardCurrentFrame();
    if (mainWindow == nullptr || dialogs == nullptr) return;
    // The main window turns white as the command starts, before its questions.
    mainWindow->clientArea()->clearToWhite();
    currentFrame = new (std::nothrow) GraphFrame(mainWindow->clientArea());
    if (currentFrame == nullptr) return;
    NoPrinters noPrinters;
    PrintService& printers = printService != nullptr ? *printService : noPrinters;
    GraphFrame& frame = *currentFrame;
    passEnded(runMonitored(shellPlotContext(), nullptr, [&](const PlotContext& context) {
      return printPlot(context, frame, *dialogs, printers);
    }));
    // The print pass has finished its output; this only makes sure.
    finishOutput(*currentFrame);
    delete currentFrame;
    currentFrame = nullptr;
  });
  return 0;
}

ChildWindow* openChildWindow(const char* title, QWidget* owner) {
  auto* window = new ChildWindow(&childWindowProcedure, QString::fromLatin1(title), owner);
  window->showWithOuterRect(kChildOuterRect);
  window->raise();
  window->activateWindow();
  return window;
}

PlotContext shellPlotContext() {
  return PlotContext{.engine = programEngine(),
                     .mouseX = lastMouseX,
                     .mouseY = lastMouseY,
                     .probeEnabled = probeEnabled};
}

void passEnded(const PassResult& result, ChildWindow* window, int sizeMessagesBefore) {
  // A window sized while the pass ran may have lost its picture: the probe
  // stays off until the next click.
  const bool sized = sizeMessagesBefore >= 0 && sizeMessagesBefore != sizeMessages;
  probeEnabled = sized ? 0 : result.probeEnabled;
  if (mainWindow != nullptr) mainWindow->showPass(result);
  if (window != nullptr && result.ran && result.report.drawPass)
    window->setStatusText(QString::fromLatin1(plotStatusLine(result).c_str()));
}

void discardCurrentFrame() {
  if (currentFrame == nullptr) return;
  finishOutput(*currentFrame);
  probeEnabled = 0;
  delete currentFrame;
  currentFrame = nullptr;
}

}  // namespace tavex
