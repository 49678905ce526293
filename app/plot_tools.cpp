// SPDX-License-Identifier: GPL-3.0-or-later
// "&Fit Graph", "Sa&ve Picture...", "Cop&y Picture" and "Copy &Readouts",
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

#include "app/main_window.h"
#include "app/pass_host.h"
#include "app/plot_window.h"
#include "app/shell_globals.h"
#include "data/records.h"
#include "platform/child_window.h"
#include "platform/render_file.h"
#include "plot/dialogs.h"
#include "session/plot_status.h"

namespace tavex {

PictureFileDialog* pictureFileDialog = nullptr;

namespace {

QString latin1(const std::string& text) { return QString::fromLatin1(text.c_str()); }

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

void changeSteps(ChildWindow& window, int direction) {
  QPointer<ChildWindow> target(&window);
  whenNoPass([target, direction] {
    // The window may have gone, or another may have become live, meanwhile.
    if (!target || target != plotWindow || !livePlotShown()) return;
    runWindowPass(*target, kDrawPass, changeStepsEntry(direction));
  });
}

int fitGraphCommand() {
  whenNoPass([] {
    // Without a live plot window the entries change all the same, and the
    // next click into a plot window draws them.
    QPointer<ChildWindow> window = livePlotShown() ? plotWindow : nullptr;
    DesktopProgress progress(window, mainWindow);
    const FitOutcome fit = fitGraphEntries(shellPlotContext(), &progress);
    if (!fit.changed) tellInWindowOrBox(window, fit.note, "Fit Graph");
    else if (window != nullptr && window == plotWindow && livePlotShown())
      runWindowPass(*window, kDrawPass, fit.note);
    else if (dialogs != nullptr)
      dialogs->messageBox(fit.note + ". Click into a plot window to draw.", "Fit Graph");
  });
  return 0;
}

bool savePictureFile(const PlotContext& context, const std::string& path, int width, int height,
                     PassResult& pass, std::string& error) {
  pass = PassResult{};
  error.clear();
  return renderPlotToFile(context, path, width, height, pass, error);
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
      DesktopProgress progress(window, mainWindow);
      runMonitored(shellPlotContext(), &progress, [&](const PlotContext& context) {
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
                              latin1(notedLine("", plotStatusLine(pass))));
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
  const PassResult& shown = livePlotPass();
  if (!shown.ran || shown.cancelled) {
    plotWindow->setStatusText(QStringLiteral("No readouts to copy yet: click into the window to draw"));
    return 0;
  }
  QGuiApplication::clipboard()->setText(QString::fromLatin1(readoutsText(shown).c_str()));
  return 0;
}

}  // namespace tavex
