// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qpainter_canvas.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QRect>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "graphics/raster.h"

namespace tavex {

namespace {

QColor toQColor(Rgb colour) { return QColor(colour.red, colour.green, colour.blue); }

// Texts are 8-bit; Latin-1 is the nearest fixed reading of them.
QString toQString(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// A strip of graphics/raster.h: left <= x < right, top <= y < bottom.
QRect stripRect(const Rect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

// Pixels left <= x < right, top <= y < bottom.
QRect toQRect(const Rect& rect) {
  const Rect r = rect.normalised();
  return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

}  // namespace

QPainterCanvas::QPainterCanvas(QPaintDevice* device)
    : ownPainter_(std::make_unique<QPainter>(device)), painter_(ownPainter_.get()) {
  setUp();
}

QPainterCanvas::QPainterCanvas(QPainter* painter) : painter_(painter) { setUp(); }

QPainterCanvas::~QPainterCanvas() {
  if (ownPainter_ && ownPainter_->isActive()) ownPainter_->end();
}

void QPainterCanvas::setUp() {
  // One logical unit per device unit, lines aliased, text smooth.
  painter_->resetTransform();
  painter_->setRenderHint(QPainter::Antialiasing, false);
  painter_->setRenderHint(QPainter::TextAntialiasing, true);
  painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter_->setBackgroundMode(Qt::TransparentMode);
  painter_->setClipping(false);
  deviceFont_ = painter_->font();
  QPaintDevice* device = painter_->device();
  if (device != nullptr && device->devType() == QInternal::Image) {
    auto* image = static_cast<QImage*>(device);
    const QImage::Format f = image->format();
    if (f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
        f == QImage::Format_ARGB32_Premultiplied) {
      imagePixels_ = pixels_ = image->bits();  // the painter's begin made the data its own
      stride_ = image->bytesPerLine();
      columns_.assign(static_cast<std::size_t>(image->width()), ColumnRun{});
    }
  }
}

void QPainterCanvas::setDirectPixels(bool on) { pixels_ = on ? imagePixels_ : nullptr; }

std::string QPainterCanvas::resolvedFamily(FontHandle font) const {
  return QFontInfo(fonts_.find(font, deviceFont_)).family().toStdString();
}

const QFont& QPainterCanvas::currentFont() const {
  return fonts_.selected(deviceFont_);
}

void QPainterCanvas::selectPen(const Pen& pen) {
  // An empty slot draws as a device's default pen: black, one unit.
  const Rgb c = pen.valid ? pen.colour : Rgb{0, 0, 0};
  penPixel_ = 0xFF000000u | static_cast<std::uint32_t>(c.red) << 16 |
              static_cast<std::uint32_t>(c.green) << 8 | c.blue;
  penColour_ = QColor(c.red, c.green, c.blue);
  penWidth_ = pen.valid ? std::max(1, pen.width) : 1;
}

void QPainterCanvas::selectBrush(const Brush& brush) {
  brushColour_ = brush.valid ? toQColor(brush.colour) : QColor(255, 255, 255);
}

void QPainterCanvas::setBackgroundColour(Rgb colour) { background_ = toQColor(colour); }

void QPainterCanvas::setTextColour(Rgb colour) { textColour_ = toQColor(colour); }

void QPainterCanvas::fillRegion(const Region& region, const Brush& brush) {
  if (clipEmpty_ || !region.valid) return;
  forgetColumns();
  painter_->fillRect(toQRect(region.rect),
                     brush.valid ? toQColor(brush.colour) : QColor(255, 255, 255));
}

void QPainterCanvas::fillPolygon(const Point* points, int count, const Brush& brush) {
  if (clipEmpty_ || count < 3) return;
  forgetColumns();
  const QColor colour = brush.valid ? toQColor(brush.colour) : QColor(255, 255, 255);
  if (painter_->paintEngine() != nullptr &&
      painter_->paintEngine()->type() == QPaintEngine::Raster) {
    // The rows of graphics/raster.h, the browser's canvas's pixels too.
    QRect visible(0, 0, painter_->device()->width(), painter_->device()->height());
    if (clipRect_) visible &= *clipRect_;
    const Rect bounds{visible.left(), visible.top(), visible.left() + visible.width(),
                      visible.top() + visible.height()};
    polygonRows(points, count, bounds, [this, &colour](const Rect& row) {
      painter_->fillRect(toQRect(row), colour);
    });
    return;
  }
  QPolygon polygon(count);
  for (int i = 0; i < count; ++i) polygon.setPoint(i, points[i].x, points[i].y);
  painter_->setPen(Qt::NoPen);
  painter_->setBrush(colour);
  painter_->drawPolygon(polygon, Qt::OddEvenFill);
  painter_->setBrush(Qt::NoBrush);
}

void QPainterCanvas::setClipRegion(const Region* region) {
  clipEmpty_ = false;
  clipRect_.reset();
  if (region == nullptr || !region->valid) {
    painter_->setClipping(false);
    return;
  }
  const QRect rect = toQRect(region->rect);
  if (rect.isEmpty()) {
    clipEmpty_ = true;
    painter_->setClipping(false);
    return;
  }
  clipRect_ = rect;
  painter_->setClipRect(rect, Qt::ReplaceClip);
}

void QPainterCanvas::moveTo(int x, int y) { position_ = QPoint(x, y); }

void QPainterCanvas::lineTo(int x, int y) {
  const QPoint to(x, y);
  // A line to the current point itself draws nothing.
  if (!clipEmpty_ && to != position_) {
    if (penWidth_ <= 1 && painter_->paintEngine() != nullptr &&
        painter_->paintEngine()->type() == QPaintEngine::Raster) {
      rasterLine(position_, to);
    } else {
      // Vector devices and wide pens: a stroked line, round ends and joins.
      QPen pen(penColour_);
      pen.setWidth(penWidth_);
      pen.setCapStyle(penWidth_ <= 1 ? Qt::FlatCap : Qt::RoundCap);
      pen.setJoinStyle(Qt::RoundJoin);
      painter_->setPen(pen);
      painter_->drawLine(position_, to);
      forgetColumns();
    }
  }
  position_ = to;
}

// Aliased lines one unit wide on a raster device: the strips of
// graphics/raster.h, written straight into a 32-bit image or filled through
// the painter.
void QPainterCanvas::rasterLine(QPoint from, QPoint to) {
  QRect bounds(0, 0, painter_->device()->width(), painter_->device()->height());
  if (clipRect_) bounds &= *clipRect_;
  if (bounds.isEmpty()) return;
  const Rect area{bounds.left(), bounds.top(), bounds.left() + bounds.width(),
                  bounds.top() + bounds.height()};
  const Pixel start{from.x(), from.y()};
  const Pixel end{to.x(), to.y()};
  if (pixels_ != nullptr && (from.x() == to.x() || from.y() == to.y())) {
    Rect strip;
    if (straightStrip(start, end, area, strip)) fillStrip(stripRect(strip));
    return;
  }
  tavex::rasterLine(start, end, area, [this](const Rect& strip) {
    if (pixels_ != nullptr) {
      fillStrip(stripRect(strip));
    } else {
      painter_->fillRect(stripRect(strip), penColour_);
    }
  });
}

void QPainterCanvas::fillStrip(const QRect& strip) {
  if (strip.width() == 1 && strip.height() > 1) {
    fillColumn(strip.left(), strip.top(), strip.bottom());
    return;
  }
  // A row: it may change rows that column records count on.
  const int y = strip.top();
  auto* row = reinterpret_cast<std::uint32_t*>(pixels_ + y * stride_);
  std::fill(row + strip.left(), row + strip.left() + strip.width(), penPixel_);
  for (int x = strip.left(); x <= strip.right(); ++x) {
    ColumnRun& run = columns_[static_cast<std::size_t>(x)];
    if (run.generation != generation_) continue;
    run.touchedLo = run.touchedLo <= run.touchedHi ? std::min(run.touchedLo, y) : y;
    run.touchedHi = std::max(run.touchedHi, y);
  }
}

void QPainterCanvas::writeColumn(int x, int top, int bottom) {
  uchar* at = pixels_ + top * stride_ + x * static_cast<qsizetype>(sizeof(std::uint32_t));
  for (int k = bottom - top + 1; k > 0; --k, at += stride_)
    *reinterpret_cast<std::uint32_t*>(at) = penPixel_;
}

// Rows top to bottom of column x in the pen colour, written where they may
// not hold it already.
void QPainterCanvas::fillColumn(int x, int top, int bottom) {
  ColumnRun& run = columns_[static_cast<std::size_t>(x)];
  if (run.generation == generation_ && run.colour != penPixel_) {
    // Another colour across the record's run: those rows count as changed.
    writeColumn(x, top, bottom);
    run.touchedLo = run.touchedLo <= run.touchedHi ? std::min(run.touchedLo, top) : top;
    run.touchedHi = std::max(run.touchedHi, bottom);
    return;
  }
  if (run.generation != generation_) {
    writeColumn(x, top, bottom);
  } else {
    // The record's rows hold the colour, but for those touched since.
    const int keptLo = run.lo, keptHi = run.hi;
    if (top < keptLo) writeColumn(x, top, std::min(bottom, keptLo - 1));
    if (bottom > keptHi) writeColumn(x, std::max(top, keptHi + 1), bottom);
    const int lo = std::max({top, keptLo, run.touchedLo});
    const int hi = std::min({bottom, keptHi, run.touchedHi});
    if (lo <= hi) writeColumn(x, lo, hi);
  }
  run = ColumnRun{generation_, penPixel_, top, bottom, 0, -1};
}

void QPainterCanvas::rectangle(int left, int top, int right, int bottom) {
  if (clipEmpty_) return;
  forgetColumns();
  const QRect box = toQRect(Rect{left, top, right, bottom});
  if (box.isEmpty()) return;
  // Inside in the brush, then the outline: its one-unit form covers the
  // outermost rows and columns of the box; wider pens centre on them.
  if (box.width() > 2 && box.height() > 2) {
    painter_->fillRect(box.adjusted(1, 1, -1, -1), brushColour_);
  }
  const int w = penWidth_;
  const int half = (w - 1) / 2;
  const QRect outer(box.left() - half, box.top() - half, box.width() + w - 1,
                    box.height() + w - 1);
  painter_->fillRect(QRect(outer.left(), outer.top(), outer.width(), w), penColour_);
  painter_->fillRect(QRect(outer.left(), outer.bottom() - w + 1, outer.width(), w), penColour_);
  painter_->fillRect(QRect(outer.left(), outer.top(), w, outer.height()), penColour_);
  painter_->fillRect(QRect(outer.right() - w + 1, outer.top(), w, outer.height()), penColour_);
}

void QPainterCanvas::textOut(int x, int y, std::string_view text) {
  if (clipEmpty_ || text.empty()) return;
  forgetColumns();
  const QString string = toQString(text);
  const QFont& font = currentFont();
  const QFontMetrics metrics(font, painter_->device());
  painter_->fillRect(QRect(x, y, metrics.horizontalAdvance(string), metrics.height()), background_);
  painter_->setFont(font);
  painter_->setPen(QPen(textColour_));
  painter_->drawText(QPoint(x, y + metrics.ascent()), string);
}

Size QPainterCanvas::textExtent(std::string_view text) {
  const QFontMetrics metrics(currentFont(), painter_->device());
  return Size{metrics.horizontalAdvance(toQString(text)), metrics.height()};
}

TextMetrics QPainterCanvas::textMetrics() {
  const QFontMetrics metrics(currentFont(), painter_->device());
  return TextMetrics{metrics.averageCharWidth(), metrics.height(), metrics.ascent(),
                     metrics.descent()};
}

FontHandle QPainterCanvas::createFont(const FontDescription& description) {
  QFont font(QString::fromStdString(description.faceName));
  QPaintDevice* device = painter_->device();
  if (description.height < 0) {
    font.setPixelSize(-description.height);  // character (em) height
  } else if (description.height > 0) {
    // A cell height: scale the em so that ascent + descent come to it.
    font.setPixelSize(description.height);
    const int cell = QFontMetrics(font, device).height();
    if (cell > 0) {
      font.setPixelSize(std::max(1, static_cast<int>(std::lround(
                                        description.height * double(description.height) / cell))));
    }
  }
  font.setWeight(description.weight > 0
                     ? static_cast<QFont::Weight>(std::clamp(description.weight, 1, 1000))
                     : QFont::Normal);
  font.setItalic(description.italic);
  font.setUnderline(description.underline);
  font.setStrikeOut(description.strikeOut);
  if (description.width > 0) {
    // An average character width: stretch the face to it.
    const int natural = QFontMetrics(font, device).averageCharWidth();
    if (natural > 0) {
      const long stretch = std::lround(description.width * 100.0 / natural);
      font.setStretch(static_cast<int>(std::clamp(stretch, 1L, 4000L)));
    }
  }
  return fonts_.add(font);
}

FontHandle QPainterCanvas::selectFont(FontHandle font) { return fonts_.select(font); }

void QPainterCanvas::deleteFont(FontHandle font) { fonts_.remove(font); }

DeviceResolution QPainterCanvas::resolution() {
  const QPaintDevice* device = painter_->device();
  return DeviceResolution{static_cast<double>(device->logicalDpiX()),
                          static_cast<double>(device->logicalDpiY()),
                          device->width(),
                          device->height(),
                          static_cast<double>(device->widthMM()),
                          static_cast<double>(device->heightMM())};
}

}  // namespace tavex
