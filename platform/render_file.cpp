#include "platform/render_file.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <memory>

#include "graphics/graph_frame.h"
#include "platform/paint_device_window.h"
#include "plot/plot.h"

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

}  // namespace

bool renderableExtension(const std::string& path) {
  const std::string s = lowerSuffix(path);
  return s == "png" || s == "svg" || s == "pdf";
}

bool renderPlotToFile(const PlotContext& context, const std::string& path, int width, int height,
                      PassResult& pass, std::string& error) {
  const std::string suffix = lowerSuffix(path);
  const QString file = QString::fromStdString(path);
  if (!renderableExtension(path)) {
    error = "unknown file type '" + suffix + "' (use .png, .svg or .pdf)";
    return false;
  }
  // Find out first whether the file can be written at all.
  {
    QFile probe(file);
    if (!probe.open(QIODevice::WriteOnly)) {
      error = "cannot write '" + path + "': " + probe.errorString().toStdString();
      return false;
    }
  }
  if (suffix == "png") {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(3780);  // 96 dots per inch, as the screen
    image.setDotsPerMeterY(3780);
    pass = drawOn(context, &image, width, height);
    if (!image.save(file, "PNG")) {
      error = "cannot write '" + path + "'";
      return false;
    }
    return true;
  }
  if (suffix == "svg") {
    QSvgGenerator svg;
    svg.setFileName(file);
    svg.setSize(QSize(width, height));
    svg.setViewBox(QRect(0, 0, width, height));
    svg.setResolution(96);
    svg.setTitle("Tavex plot");
    pass = drawOn(context, &svg, width, height);
    return true;
  }
  QPdfWriter pdf(file);
  pdf.setResolution(96);
  pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
  pdf.setPageSize(QPageSize(QSizeF(width * 72.0 / 96.0, height * 72.0 / 96.0), QPageSize::Point,
                            QString(), QPageSize::ExactMatch));
  pass = drawOn(context, &pdf, width, height);
  return true;
}

}  // namespace tavex
