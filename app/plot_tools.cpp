// "&Fit Graph", "Save &Picture...", "Copy &Picture" and "Copy &Readouts",
// and n at a keystroke in the live plot window.
#include "app/plot_tools.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <sys/stat.h>

#include <cerrno>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "app/commands.h"
#include "app/main_window.h"
#include "app/pass_runner.h"
#include "session/plot_status.h"
#include "app/shell_globals.h"
#include "data/records.h"
#include "graphics/graph_frame.h"
#include "platform/child_window.h"
#include "platform/render_file.h"
#include "plot/dialogs.h"
#include "plot/fit_graph.h"
#include "ui/data_box.h"

namespace tavex {

PictureFileDialog* pictureFileDialog = nullptr;

namespace {

QString latin1(const std::string& text) { return QString::fromLatin1(text.c_str()); }

// note, then the pass's own line after "; " when it has one.
std::string noted(const std::string& note, const std::string& line) {
  return line.empty() ? note : note + "; " + line;
}

// What the last draw pass in a plot window produced.
QPointer<ChildWindow> passWindow;
PassResult windowPass;

// The standard file dialog with a row for the picture's size below it.
class QtPictureFileDialog : public PictureFileDialog {
 public:
  std::optional<PictureRequest> choosePictureFile(const std::string& suggestedPath, int width,
                                                  int height) override {
    QFileDialog dialog(mainWindow, QStringLiteral("Save Picture"),
                       QString::fromStdString(suggestedPath));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // Qt's own dialog, which has room for the size row.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    const QStringList filters = {QStringLiteral("PNG image (*.png)"),
                                 QStringLiteral("SVG drawing (*.svg)"),
                                 QStringLiteral("PDF document (*.pdf)")};
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QStringLiteral("png"));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& f) {
      dialog.setDefaultSuffix(f.section(QStringLiteral("*."), 1).chopped(1));
    });

    auto* size = new QWidget(&dialog);
    auto* row = new QHBoxLayout(size);
    row->setContentsMargins(0, 0, 0, 0);
    auto side = [size](int value) {
      auto* box = new QSpinBox(size);
      box->setRange(1, kMaxPictureSide);
      box->setValue(value);
      return box;
    };
    QSpinBox* w = side(width);
    QSpinBox* h = side(height);
    row->addWidget(w);
    row->addWidget(new QLabel(QStringLiteral("by"), size));
    row->addWidget(h);
    row->addWidget(new QLabel(QStringLiteral("pixels"), size));
    row->addStretch(1);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
      const int at = grid->rowCount();
      grid->addWidget(new QLabel(QStringLiteral("Size:"), &dialog), at, 0);
      grid->addWidget(size, at, 1, 1, grid->columnCount() - 1);
    } else {
      size->hide();  // a dialog laid out otherwise: the window's size
    }

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return PictureRequest{dialog.selectedFiles().first().toStdString(), w->value(), h->value()};
  }
};

// The folder of the last picture saved in this run, first the user's
// pictures folder (or home).
QString& pictureFolder() {
  static QString folder = [] {
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return !pictures.isEmpty() && QDir(pictures).exists() ? pictures : QDir::homePath();
  }();
  return folder;
}

// The permissions a new file gets from the process's umask.
mode_t newFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// A UTF-8 text (with a file's path) for the message boxes, which show 8-bit
// Latin-1: characters beyond it become "?".
std::string forBox(const std::string& utf8) {
  return QString::fromStdString(utf8).toLatin1().toStdString();
}

void tellInWindowOrBox(ChildWindow* window, const std::string& text, const char* caption) {
  if (window != nullptr) window->setStatusText(latin1(text));
  else if (dialogs != nullptr) dialogs->messageBox(text, caption);
}

}  // namespace

std::int32_t doubledSteps(std::int32_t n) {
  const std::int64_t base = n < 1 ? 1 : n;
  return static_cast<std::int32_t>(std::min<std::int64_t>(2 * base, INT32_MAX));
}

std::int32_t halvedSteps(std::int32_t n) { return n < 2 ? 1 : n / 2; }

int stepsKeyDirection(int key) {
  switch (key) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
    case Qt::Key_PageUp:
      return 1;
    case Qt::Key_Minus:
    case Qt::Key_PageDown:
      return -1;
    default:
      return 0;
  }
}

void runWindowPass(ChildWindow& window, int probe) {
  const int sizesBefore = sizeMessages;
  const PassResult result = runPass(shellPlotContext(), *currentFrame, probe, kToWindow, &window);
  passEnded(result, &window, sizesBefore);
  if (probe == kDrawPass) keepWindowPass(window, result);
}

void drawWithNote(ChildWindow& window, const std::string& note) {
  const int sizesBefore = sizeMessages;
  const PassResult result =
      runPass(shellPlotContext(), *currentFrame, kDrawPass, kToWindow, &window);
  passEnded(result, &window, sizesBefore);
  keepWindowPass(window, result);
  window.setStatusText(latin1(noted(note, plotStatusLine(result))));
}

void keepWindowPass(ChildWindow& window, const PassResult& result) {
  passWindow = &window;
  windowPass = result;
}

void changeSteps(ChildWindow& window, int direction) {
  QPointer<ChildWindow> target(&window);
  whenNoPass([target, direction] {
    // The window may have gone, or another may have become live, meanwhile.
    if (!target || target != plotWindow || !livePlotShown()) return;
    DataEntry& entry = functionData[kFdSteps];
    const std::int32_t n = readInteger(entry.value);
    const std::int32_t next = direction > 0 ? doubledSteps(n) : halvedSteps(n);
    const std::string line = std::string(entry.name) + " = " + std::to_string(next);
    acceptLine(entry, line.c_str());
    if (fdataBox != nullptr) fdataBox->refreshRow(kFdSteps);
    drawWithNote(*target, "n = " + std::to_string(next));
  });
}

QString readoutsText(const PassResult& result) {
  QString text;
  for (const PanelText* panel : {&result.functionPanel, &result.dataPanel})
    for (int i = 0; i < panel->count; ++i) text += QString::fromLatin1(panel->lines[i]) + '\n';
  return text;
}

int fitGraphCommand() {
  whenNoPass([] {
    // Without a live plot window the entries change all the same, and the
    // next click into a plot window draws them.
    QPointer<ChildWindow> window = livePlotShown() ? plotWindow : nullptr;
    GraphFit fit;
    const PassResult sampled =
        runMonitored(shellPlotContext(), window, [&fit](const PlotContext& context) {
          PassResult pass;
          fit = fitGraph(context, pass);
          return pass;
        });
    if (sampled.cancelled) {
      tellInWindowOrBox(window, "Fit Graph cancelled at " + sampled.cancelledAt + "; nothing changed",
                        "Fit Graph");
      return;
    }
    if (!fit.failure.empty()) {
      tellInWindowOrBox(window, "Fit Graph: " + fit.failure + "; nothing changed", "Fit Graph");
      return;
    }
    for (const auto& [entry, line] : fit.lines) {
      acceptLine(graphData[entry], line.c_str());
      if (gdataBox != nullptr) gdataBox->refreshRow(entry);
    }
    const std::string note = "Fitted x " + entryNumber(fit.x.low) + " to " +
                             entryNumber(fit.x.high) + ", y " + entryNumber(fit.y.low) + " to " +
                             entryNumber(fit.y.high);
    if (window != nullptr && window == plotWindow && livePlotShown())
      drawWithNote(*window, note);
    else if (dialogs != nullptr)
      dialogs->messageBox(note + ". Click into a plot window to draw.", "Fit Graph");
  });
  return 0;
}

bool savePictureFile(const PlotContext& context, const std::string& path, int width, int height,
                     PassResult& pass, std::string& error) {
  pass = PassResult{};
  error.clear();
  // The file the path names, through symbolic links (empty for a dangling
  // link or a loop). Only a regular file, or none yet, that may be written
  // is replaced here; anything else goes to renderPlotToFile as it is, which
  // writes it or says why not.
  const QFileInfo given(QString::fromStdString(path));
  const QString finalPath = given.isSymLink() ? given.canonicalFilePath() : given.absoluteFilePath();
  const QFileInfo target(finalPath);
  const bool replaceable = renderableExtension(path) && !finalPath.isEmpty() &&
                           (!target.exists() || (target.isFile() && target.isWritable()));
  QTemporaryFile temp(target.absolutePath() + QStringLiteral("/.tavex-XXXXXX.") + given.suffix());
  if (!replaceable || !temp.open()) return renderPlotToFile(context, path, width, height, pass, error) && !pass.cancelled;
  temp.close();
  const QByteArray tempName = QFile::encodeName(temp.fileName());
  const QByteArray finalName = QFile::encodeName(finalPath);
  if (!renderPlotToFile(context, tempName.toStdString(), width, height, pass, error)) {
    // Name the file the user chose, not the temporary one.
    const std::string shown = tempName.toStdString();
    for (size_t at = error.find(shown); at != std::string::npos; at = error.find(shown))
      error.replace(at, shown.size(), path);
    return false;
  }
  if (pass.cancelled) return false;
  // The file keeps the permissions of the one it replaces, or gets a new
  // file's (the temporary file is private to its owner).
  struct stat existing;
  const mode_t mode =
      ::stat(finalName.constData(), &existing) == 0 ? existing.st_mode & 07777 : newFileMode();
  ::chmod(tempName.constData(), mode);
  if (std::rename(tempName.constData(), finalName.constData()) != 0) {
    error = "cannot replace '" + path + "': " + std::strerror(errno);
    return false;
  }
  temp.setAutoRemove(false);
  return true;
}

int savePictureCommand() {
  whenNoPass([] {
    if (!livePlotShown()) return;
    QPointer<ChildWindow> window = plotWindow;
    QtPictureFileDialog standard;
    PictureFileDialog& ask = pictureFileDialog != nullptr ? *pictureFileDialog : standard;
    const QSize client = window->clientSize();
    const QString suggested = QDir(pictureFolder()).filePath(QStringLiteral("tavex-plot"));
    const std::optional<PictureRequest> request =
        ask.choosePictureFile(suggested.toStdString(), client.width(), client.height());
    if (!request) return;
    auto fail = [](const std::string& why) {
      if (dialogs != nullptr) dialogs->messageBox("Saving failed: " + why, "Save Picture");
    };
    if (request->width < 1 || request->height < 1 || request->width > kMaxPictureSide ||
        request->height > kMaxPictureSide) {
      fail("a picture is 1 to " + std::to_string(kMaxPictureSide) + " pixels wide and high");
      return;
    }
    // The dialog's loop let other things happen: a pass may have started.
    whenNoPass([window, request] {
      PassResult pass;
      std::string error;
      bool saved = false;
      runMonitored(shellPlotContext(), window, [&](const PlotContext& context) {
        saved = savePictureFile(context, request->path, request->width, request->height, pass, error);
        return pass;
      });
      const QString name = QFileInfo(QString::fromStdString(request->path)).fileName();
      if (pass.cancelled) {
        if (window) window->setStatusText(QStringLiteral("Saving cancelled: %1 was not written").arg(name));
        return;
      }
      if (!saved) {
        if (dialogs != nullptr) dialogs->messageBox("Saving failed: " + forBox(error), "Save Picture");
        return;
      }
      pictureFolder() = QFileInfo(QString::fromStdString(request->path)).absolutePath();
      if (window)
        window->setStatusText(QStringLiteral("Saved %1 (%2 by %3)").arg(name).arg(request->width).arg(request->height) +
                              latin1(noted("", plotStatusLine(pass))));
    });
  });
  return 0;
}

int copyPictureCommand() {
  if (!livePlotShown()) return 0;
  // What the window shows: its client area, without the status line.
  QGuiApplication::clipboard()->setImage(plotWindow->image());
  return 0;
}

int copyReadoutsCommand() {
  if (!livePlotShown()) return 0;
  if (passWindow != plotWindow || !windowPass.ran || windowPass.cancelled) {
    plotWindow->setStatusText(QStringLiteral("No readouts to copy yet: click into the window to draw"));
    return 0;
  }
  QGuiApplication::clipboard()->setText(readoutsText(windowPass));
  return 0;
}

bool livePlotShown() {
  return plotWindow != nullptr && currentFrame != nullptr &&
         currentFrame->window == static_cast<DeviceWindow*>(plotWindow);
}

}  // namespace tavex
