// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/render_file.h"

#include <QBuffer>
#include <QByteArray>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>

#include "graphics/graph_frame.h"
#include "platform/paint_device_window.h"
#include "plot/plot.h"
#include "session/atomic_file.h"

namespace tavex {

namespace {

std::string lowerSuffix(const std::string& path) {
  return QFileInfo(QString::fromStdString(path)).suffix().toLower().toStdString();
}

// Draws one screen pass, as a click into a plot window of that size does.
PassResult drawOn(const PlotContext& context, QPaintDevice* device, int width, int height) {
  PaintDeviceWindow window(device, width, height);
  GraphFrame frame(&window);
  PassResult pass = plot(context, frame, kDrawPass, kToWindow);
  finishOutput(frame);
  return pass;
}

// Passes what Qt's SVG and PDF writers write on to the file, each block
// whole or with an error: a short write, which QFile would pass on as a
// success, counts as the error that stopped it. The file keeps the first
// error for its commit, as these writers do not report one.
class AtomicFileDevice : public QIODevice {
 public:
  explicit AtomicFileDevice(AtomicFile& file) : file_(file) {
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
  }
  bool isSequential() const override { return true; }

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 size) override {
    std::string error;
    return file_.write(data, static_cast<size_t>(size), error) ? size : -1;
  }

 private:
  AtomicFile& file_;
};

bool writePng(const PlotContext& context, AtomicFile& file, int width, int height, PassResult& pass,
              std::string& error) {
  QImage image(width, height, QImage::Format_RGB32);
  if (image.isNull()) {
    error = "no memory for an image of " + std::to_string(width) + "x" + std::to_string(height);
    return false;
  }
  image.fill(Qt::white);
  image.setDotsPerMeterX(3780);  // 96 dots per inch, as the screen
  image.setDotsPerMeterY(3780);
  pass = drawOn(context, &image, width, height);
  if (pass.cancelled) return true;
  // Encoded in memory first: Qt's PNG writer does not survive a failing
  // device well (libpng's error exit leaks its row buffer).
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "PNG");
  if (!writer.write(image)) {
    error = "cannot encode the picture as PNG: " + writer.errorString().toStdString();
    return false;
  }
  return file.write(png.constData(), static_cast<size_t>(png.size()), error);
}

void writeSvg(const PlotContext& context, AtomicFile& file, int width, int height, PassResult& pass) {
  AtomicFileDevice device(file);
  QSvgGenerator svg;
  svg.setOutputDevice(&device);
  svg.setSize(QSize(width, height));
  svg.setViewBox(QRect(0, 0, width, height));
  svg.setResolution(96);
  svg.setTitle("Tavex plot");
  pass = drawOn(context, &svg, width, height);
}

void writePdf(const PlotContext& context, AtomicFile& file, int width, int height, PassResult& pass) {
  AtomicFileDevice device(file);
  QPdfWriter pdf(&device);
  pdf.setResolution(96);
  pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
  pdf.setPageSize(QPageSize(QSizeF(width * 72.0 / 96.0, height * 72.0 / 96.0), QPageSize::Point,
                            QString(), QPageSize::ExactMatch));
  pass = drawOn(context, &pdf, width, height);
}

}  // namespace

bool renderableExtension(const std::string& path) {
  const std::string s = lowerSuffix(path);
  return s == "png" || s == "svg" || s == "pdf";
}

bool renderPlotToFile(const PlotContext& context, const std::string& path, int width, int height,
                      PassResult& pass, std::string& error) {
  const std::string suffix = lowerSuffix(path);
  if (!renderableExtension(path)) {
    error = "unknown file type '" + suffix + "' (use .png, .svg or .pdf)";
    return false;
  }
  // Find out first whether the file can be written at all.
  AtomicFile file;
  if (!file.open(path, error)) return false;
  if (suffix == "png") {
    if (!writePng(context, file, width, height, pass, error)) return false;
  } else if (suffix == "svg") {
    writeSvg(context, file, width, height, pass);
  } else {
    writePdf(context, file, width, height, pass);
  }
  // A cancelled pass leaves the file as it was (a device or pipe has what
  // was written).
  if (pass.cancelled) {
    error.clear();
    return false;
  }
  return file.commit(error);
}

}  // namespace tavex
