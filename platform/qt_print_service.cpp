#include "platform/qt_print_service.h"

#include <QPrinter>
#include <QPrinterInfo>

#include "platform/qpainter_canvas.h"

namespace tavex {

namespace {

class QtPrinterDevice : public PrinterDevice {
 public:
  QtPrinterDevice(const QPrinterInfo& info, const std::string& documentName)
      : printer_(info, QPrinter::HighResolution) {
    printer_.setDocName(QString::fromStdString(documentName));
    printer_.setFullPage(false);
  }
  Canvas* canvas() override { return canvas_.get(); }
  int pixelWidth() override { return printer_.width(); }
  int pixelHeight() override { return printer_.height(); }
  bool startDocument() override {
    // Beginning to paint on the printer opens the job.
    canvas_ = std::make_unique<QPainterCanvas>(&printer_);
    if (!canvas_->painter().isActive()) {
      canvas_.reset();
      error_ = "the printer '" + printer_.printerName().toStdString() + "' cannot be opened";
      return false;
    }
    return true;
  }
  bool startPage() override { return canvas_ != nullptr; }  // the first page is open already
  bool endPage() override { return canvas_ != nullptr; }
  bool endDocument() override {
    if (!canvas_) return false;
    const bool ended = canvas_->painter().end();
    canvas_.reset();
    if (!ended || printer_.printerState() == QPrinter::Error) {
      error_ = "the print system did not take the job";
      return false;
    }
    return true;
  }
  bool abort() override {
    if (!canvas_) return true;
    // Asked before the painter lets go of the printer, which would send the
    // job. Qt's PDF and CUPS print engines cannot drop a job: there abort()
    // says no, and the page is sent as it stands.
    const bool dropped = printer_.abort();
    canvas_.reset();
    return dropped;
  }
  std::string error() override { return error_; }

 private:
  QPrinter printer_;
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
