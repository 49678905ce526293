// SPDX-License-Identifier: GPL-3.0-or-later
// The drawing canvas over a QPainter, on any paint device: a window's backing
// image, an image file, a PDF or a printer. Lines and rectangles are drawn
// aliased in the exact pen colour, with the device-context conventions of the
// canvas interface; text may be antialiased.
#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPoint>
#include <QRect>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>
#include <cstdint>

#include "graphics/canvas.h"
#include "graphics/font_table.h"

class QPaintDevice;

namespace tavex {

class QPainterCanvas : public Canvas {
 public:
  // Paints on device with a painter of its own, ended with the canvas.
  explicit QPainterCanvas(QPaintDevice* device);
  // Paints through a painter that is already active on its device.
  explicit QPainterCanvas(QPainter* painter);
  ~QPainterCanvas() override;
  QPainterCanvas(const QPainterCanvas&) = delete;
  QPainterCanvas& operator=(const QPainterCanvas&) = delete;

  // The family the font system chose for a font ("Times New Roman" comes
  // out as "Liberation Serif" through fontconfig).
  std::string resolvedFamily(FontHandle font) const;
  QPainter& painter() { return *painter_; }
  // Whether aliased lines on a 32-bit image are written straight into its
  // rows (on by default) or filled through the painter; the pixels are the same.
  void setDirectPixels(bool on);

  void selectPen(const Pen& pen) override;
  void selectBrush(const Brush& brush) override;
  void setBackgroundColour(Rgb colour) override;
  void setTextColour(Rgb colour) override;
  void fillRegion(const Region& region, const Brush& brush) override;
  void fillPolygon(const Point* points, int count, const Brush& brush) override;
  void setClipRegion(const Region* region) override;
  void moveTo(int x, int y) override;
  void lineTo(int x, int y) override;
  void rectangle(int left, int top, int right, int bottom) override;
  void textOut(int x, int y, std::string_view text) override;
  Size textExtent(std::string_view text) override;
  TextMetrics textMetrics() override;
  FontHandle createFont(const FontDescription& description) override;
  FontHandle selectFont(FontHandle font) override;
  void deleteFont(FontHandle font) override;
  DeviceResolution resolution() override;

 private:
  void setUp();
  void rasterLine(QPoint from, QPoint to);
  void fillStrip(const QRect& strip);
  const QFont& currentFont() const;

  std::unique_ptr<QPainter> ownPainter_;
  QPainter* painter_ = nullptr;
  // On a 32-bit image, the pixels of aliased lines are written straight into
  // its rows: the same pixels a filled strip gives, without a painter call.
  uchar* pixels_ = nullptr;
  uchar* imagePixels_ = nullptr;
  qsizetype stride_ = 0;
  std::uint32_t penPixel_ = 0xFF000000u;  // the pen colour as the image stores it
  // What the last vertical run of one colour in each column left there
  // (rows lo to hi), and which of those rows (touchedLo to touchedHi) other
  // strokes may have changed since. A later run of the same colour writes
  // only the rows that may differ: the pixels come out the same, with far
  // fewer writes where many steps fall into one column. Anything drawn
  // through the painter forgets every record (a new generation).
  struct ColumnRun {
    std::uint32_t generation = 0;
    std::uint32_t colour = 0;
    int lo = 0, hi = -1;
    int touchedLo = 0, touchedHi = -1;
  };
  std::vector<ColumnRun> columns_;
  std::uint32_t generation_ = 1;
  void forgetColumns() { ++generation_; }
  void fillColumn(int x, int top, int bottom);
  void writeColumn(int x, int top, int bottom);
  QColor penColour_{0, 0, 0};
  int penWidth_ = 1;
  QColor brushColour_{255, 255, 255};
  QColor background_{255, 255, 255};
  QColor textColour_{0, 0, 0};
  bool clipEmpty_ = false;  // clipped to an empty region: nothing shows
  std::optional<QRect> clipRect_;
  QPoint position_;
  FontTable<QFont> fonts_;
  QFont deviceFont_;
};

}  // namespace tavex
