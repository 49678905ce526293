// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt_print_service.h"

#include <QDir>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryFile>
#include <cups/cups.h>

#include <memory>

#include "platform/qpainter_canvas.h"

namespace tavex {

namespace {

// A page for a printer of the system. It is drawn into a PDF file of the
// printer's page layout and resolution first, and the file goes to the
// printer only when the page is complete: a page that is given up never
// reaches the printer.
class QtPrinterDevice : public PrinterDevice {
 public:
  QtPrinterDevice(const QPrinterInfo& info, const std::string& documentName)
      : printer_(info, QPrinter::HighResolution), documentName_(documentName) {
    printer_.setDocName(QString::fromStdString(documentName));
    printer_.setFullPage(false);
  }
  ~QtPrinterDevice() override { abort(); }
  Canvas* canvas() override { return canvas_.get(); }
  int pixelWidth() override { return printer_.width(); }
  int pixelHeight() override { return printer_.height(); }
  bool startDocument() override {
    file_ = std::make_unique<QTemporaryFile>(QDir::tempPath() + "/tavex-page-XXXXXX.pdf");
    if (!file_->open()) return fail("no room for the page: " + file_->errorString().toStdString());
    writer_ = std::make_unique<QPdfWriter>(file_.get());
    writer_->setPageLayout(printer_.pageLayout());
    writer_->setResolution(printer_.resolution());
    writer_->setTitle(QString::fromStdString(documentName_));
    writer_->setCreator(QStringLiteral("tavex"));
    canvas_ = std::make_unique<QPainterCanvas>(writer_.get());
    if (!canvas_->painter().isActive()) return fail("the page cannot be drawn");
    return true;
  }
  bool startPage() override { return canvas_ != nullptr; }  // the first page is open already
  bool endPage() override { return canvas_ != nullptr; }
  bool endDocument() override {
    if (!canvas_) return false;
    const bool ended = canvas_->painter().end();
    canvas_.reset();
    writer_.reset();
    if (!ended || !file_->flush() || file_->error() != QFileDevice::NoError)
      return fail("the page could not be written: " + file_->errorString().toStdString());
    const std::string path = file_->fileName().toStdString();
    const int job = cupsPrintFile(printer_.printerName().toLocal8Bit().constData(), path.c_str(),
                                  documentName_.c_str(), 0, nullptr);
    file_.reset();  // the scheduler has its copy
    if (job == 0) return fail(std::string("the print system did not take the job: ") +
                              cupsLastErrorString());
    return true;
  }
  bool abort() override {
    canvas_.reset();
    writer_.reset();
    file_.reset();  // removes the page drawn so far
    return true;
  }
  std::string error() override { return error_; }

 private:
  bool fail(const std::string& why) {
    abort();
    error_ = why;
    return false;
  }

  QPrinter printer_;  // the printer's name, page layout and resolution
  std::string documentName_;
  std::unique_ptr<QTemporaryFile> file_;
  std::unique_ptr<QPdfWriter> writer_;
  std::unique_ptr<QPainterCanvas> canvas_;
  std::string error_;
};

}  // namespace

std::string QtPrintService::defaultPrinterName() {
  return QPrinterInfo::defaultPrinterName().toStdString();
}

std::unique_ptr<PrinterDevice> QtPrintService::createPrinter(const std::string& name,
                                                             std::string& error) {
  const QPrinterInfo info = QPrinterInfo::printerInfo(QString::fromStdString(name));
  if (info.isNull()) {
    error = "the printer '" + name + "' is not available";
    return nullptr;
  }
  return std::make_unique<QtPrinterDevice>(info, documentName);
}

}  // namespace tavex
