// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commands.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include <memory>
#include <new>
#include <span>
#include <string>

#include "app/child_procedure.h"
#include "app/convergence_command.h"
#include "app/lesson_commands.h"
#include "app/main_window.h"
#include "app/pass_host.h"
#include "app/plot_keys.h"
#include "app/plot_tools.h"
#include "app/plot_window.h"
#include "app/shell_globals.h"
#include "data/records.h"
#include "graphics/graph_frame.h"
#include "platform/image_window.h"
#include "plot/dialogs.h"
#include "plot/plot.h"
#include "plot/print.h"
#include "session/help_text.h"
#include "session/lesson.h"
#include "session/state.h"
#include "ui/data_box.h"

namespace tavex {

namespace {

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

QAction* addCommand(MainWindow& window, QWidget* menu, const char* text, int id) {
  auto* action = new QAction(QString::fromLatin1(text), menu);
  window.tagCommand(action, id);
  QObject::connect(action, &QAction::triggered, menu, [id] { mainWindowCommand(id); });
  menu->addAction(action);
  return action;
}

// "R&ule": one radio item per rule, the current one checked (keys in the
// plot window may have changed it since the menu was last open).
void addRuleMenu(MainWindow& window, QMenu* plotMenu) {
  static constexpr const char* kItems[kSumRules] = {"&Upper and Lower", "&Left",      "&Right",
                                                    "&Midpoint",        "&Trapezoid", "Simp&son"};
  QMenu* rules = plotMenu->addMenu("R&ule");
  auto* group = new QActionGroup(rules);
  for (int i = 0; i < kSumRules; ++i) {
    QAction* item = addCommand(window, rules, kItems[i], kRuleCommand + i);
    item->setCheckable(true);
    group->addAction(item);
  }
  QObject::connect(rules, &QMenu::aboutToShow, rules, [rules] {
    const QList<QAction*> items = rules->actions();
    for (int i = 0; i < items.size(); ++i)
      items[i]->setChecked(i == static_cast<int>(currentRule()));
  });
  group->actions().front()->setChecked(true);
}

}  // namespace

void installMenu(MainWindow& window) {
  // The menu bar in its fixed order: two commands on the bar itself around
  // the two pop-ups.
  QMenuBar* bar = window.menuBar();
  addCommand(window, bar, "E&xit", kExitCommand);
  QMenu* data = bar->addMenu("&Data");
  addCommand(window, data, "&Fdata", kFdataCommand);
  addCommand(window, data, "&Gdata", kGdataCommand);
  addCommand(window, data, "&Open Lesson...", kOpenLessonCommand);
  addCommand(window, data, "&Save Lesson...", kSaveLessonCommand);
  QMenu* examples = data->addMenu("&Examples");
  for (std::size_t i = 0; i < bundledLessons().size(); ++i)
    addCommand(window, examples, exampleItemText(i).c_str(),
               kFirstExampleCommand + static_cast<int>(i));
  QMenu* plotMenu = bar->addMenu("&Plot");
  addCommand(window, plotMenu, "&Screen", kScreenCommand);
  addCommand(window, plotMenu, "&Print", kPrintCommand);
  // The teaching tools, after the items above.
  addCommand(window, plotMenu, "&Convergence", kConvergenceCommand);
  addCommand(window, plotMenu, "&Fit Graph", kFitGraphCommand);
  // Mnemonics of their own: Alt+P, P prints at once.
  QAction* save = addCommand(window, plotMenu, "Sa&ve Picture...", kSavePictureCommand);
  QAction* copyPicture = addCommand(window, plotMenu, "Cop&y Picture", kCopyPictureCommand);
  QAction* copyReadouts = addCommand(window, plotMenu, "Copy &Readouts", kCopyReadoutsCommand);
  // Saving and copying need a live plot window.
  QObject::connect(plotMenu, &QMenu::aboutToShow, plotMenu, [save, copyPicture, copyReadouts] {
    const bool live = livePlotShown();
    for (QAction* a : {save, copyPicture, copyReadouts}) a->setEnabled(live);
  });
  addRuleMenu(window, plotMenu);
  addCommand(window, bar, "&Help", kHelpCommand);
}

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
    case kOpenLessonCommand:
      openLessonCommand();
      return true;
    case kSaveLessonCommand:
      saveLessonCommand();
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
      if (id >= kRuleCommand && id < kRuleCommand + kSumRules) {
        ruleCommand(static_cast<SumRule>(id - kRuleCommand));
        return true;
      }
      if (id >= kFirstExampleCommand &&
          id < kFirstExampleCommand + static_cast<int>(bundledLessons().size())) {
        exampleCommand(id - kFirstExampleCommand);
        return true;
      }
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
  whenNoPass([] { openPlotWindow(openChildWindow("plotm", mainWindow)); });
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
    DesktopProgress progress(nullptr, mainWindow);
    passEnded(runMonitored(shellPlotContext(), &progress, [&](const PlotContext& context) {
      return printPlot(context, frame, *dialogs, printers);
    }));
    // The print pass has finished its output; this only makes sure.
    finishOutput(*currentFrame);
    delete currentFrame;
    currentFrame = nullptr;
  });
  return 0;
}

}  // namespace tavex
