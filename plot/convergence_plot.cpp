// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/convergence_plot.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>

namespace tavex {

ConvergenceErrors convergenceErrors(const std::vector<ConvergenceRow>& rows,
                                    const ReferenceValue& reference) {
  ConvergenceErrors out;
  out.haveReference = reference.hasValue();
  out.accuracy = out.haveReference ? reference.accuracy : 0.0;
  for (const ConvergenceRow& row : rows) {
    out.ns.push_back(row.n);
    const RiemannSums& s = row.sums;
    const double sums[kConvergenceSeries] = {s.SumU,    s.SumL,     s.SumT, s.SumM,
                                             s.SumS,    s.SumLeft,  s.SumRight, s.Exact};
    for (int k = 0; k < kConvergenceSeries; ++k) {
      const double e = std::fabs(sums[k] - reference.value);
      const bool shown =
          out.haveReference && (k != 4 || s.simpsonShown) && std::isfinite(e) && e > 0;
      out.errors[k].push_back(shown ? e : NAN);
    }
  }
  return out;
}

namespace {

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kGrid{230, 230, 230};
constexpr Rgb kGrey{96, 96, 96};

// "1e-7" for the decade 10^k.
std::string decadeLabel(int k) { return k == 0 ? "1" : "1e" + std::to_string(k); }

int widthOf(Canvas& c, const std::string& text) { return c.textExtent(text).width; }

// Text whose baseline starts at (x, baseline).
void say(Canvas& c, int x, int baseline, const std::string& text, Rgb colour = kBlack) {
  c.setTextColour(colour);
  c.textOut(x, baseline - c.textMetrics().ascent, text);
}

void line(Canvas& c, Point from, Point to) {
  c.moveTo(from.x, from.y);
  c.lineTo(to.x, to.y);
}

void fill(Canvas& c, const Rect& r, Rgb colour) { c.fillRegion(makeRectRegion(r), makeBrush(colour)); }

// A one-unit line in colour, of dashes on units long with gaps off units long.
void dashedLine(Canvas& c, Point from, Point to, Rgb colour, int on, int off) {
  c.selectPen(makePen(colour, 1));
  const double dx = to.x - from.x, dy = to.y - from.y, length = std::hypot(dx, dy);
  for (double t = 0; t < length; t += on + off) {
    const double u = std::min(length, t + on);
    const Point a{from.x + static_cast<int>(std::lround(dx * t / length)),
                  from.y + static_cast<int>(std::lround(dy * t / length))};
    const Point b{from.x + static_cast<int>(std::lround(dx * u / length)),
                  from.y + static_cast<int>(std::lround(dy * u / length))};
    if (a == b) {
      fill(c, Rect{a.x, a.y, a.x + 1, a.y + 1}, colour);
    } else {
      line(c, a, b);
    }
  }
}

// The legend along the top, in as many lines as it needs: a short line with
// a mark in each colour, and the rule's name. Gives the top of its last line.
int drawLegend(Canvas& c, const Rect& area) {
  const TextMetrics m = c.textMetrics();
  const std::string title = "|error|:";
  say(c, area.left + 4, area.top + 4 + m.ascent, title);
  const int start = area.left + 12 + widthOf(c, title);
  int x = start, legendY = area.top + 4;
  for (const ConvergenceSeries& series : convergenceSeries) {
    const int entry = 30 + widthOf(c, series.name);
    if (x + entry > area.right - 4 && x > area.left + 40) {
      x = start;
      legendY += m.height + 2;
    }
    const int middle = legendY + m.height / 2;
    c.selectPen(makePen(series.colour, 2));
    line(c, {x, middle}, {x + 18, middle});
    fill(c, Rect{x + 7, middle - 2, x + 12, middle + 3}, series.colour);
    say(c, x + 22, legendY + m.ascent, series.name);
    x += entry;
  }
  return legendY;
}

// The plot's frame and its logarithmic scales: log2 n across, log10 |error|
// up, the decades ylo to yhi.
struct ErrorAxes {
  int left, right, top, bottom;
  double xlo, xhi, pad, ylo, yhi;

  int x(double log2n) const {
    return left + static_cast<int>(
                      std::lround((log2n - xlo + pad) / (xhi - xlo + 2 * pad) * (right - left)));
  }
  int y(double log10e) const {
    return bottom - static_cast<int>(std::lround((log10e - ylo) / (yhi - ylo) * (bottom - top)));
  }
};

// Whole decades from the smallest error (or the accuracy, when below it) up
// to the largest, at most 18 of them; n from the first row to the last.
void setScales(ErrorAxes& axes, double ylo, double yhi, double accuracy,
               const std::vector<double>& ns) {
  if (accuracy > 0) ylo = std::min(ylo, std::log10(accuracy));
  ylo = std::floor(ylo);
  yhi = std::ceil(yhi);
  if (yhi <= ylo) yhi = ylo + 1;
  axes.ylo = std::max(ylo, yhi - 18);
  axes.yhi = yhi;
  axes.xlo = std::log2(ns.front());
  axes.xhi = std::log2(ns.back());
  if (axes.xhi <= axes.xlo) {
    axes.xlo -= 1;
    axes.xhi += 1;
  }
  axes.pad = 0.04 * (axes.xhi - axes.xlo);
}

// Decades across, labelled at the left (every one while there is room).
void drawDecades(Canvas& c, const ErrorAxes& a) {
  const TextMetrics m = c.textMetrics();
  const int decades = static_cast<int>(a.yhi - a.ylo);
  const int every = std::max(1, (decades * m.height * 3 / 2) / std::max(1, a.bottom - a.top) + 1);
  for (int k = static_cast<int>(a.ylo); k <= static_cast<int>(a.yhi); ++k) {
    const int y = a.y(k);
    c.selectPen(makePen(kGrid, 1));
    if (y > a.top && y < a.bottom) line(c, {a.left + 1, y}, {a.right, y});
    if ((k - static_cast<int>(a.ylo)) % every != 0) continue;
    const std::string label = decadeLabel(k);
    say(c, a.left - 6 - widthOf(c, label), y + m.ascent / 2, label);
  }
}

// Each row's n along the bottom, as far as the labels do not collide, and
// the axis's name under them.
void drawCounts(Canvas& c, const ErrorAxes& a, const std::vector<double>& ns, int right) {
  const TextMetrics m = c.textMetrics();
  int labelsEnd = INT_MIN;
  for (double n : ns) {
    const int xn = a.x(std::log2(n));
    c.selectPen(makePen(kGrid, 1));
    line(c, {xn, a.top + 1}, {xn, a.bottom});
    const std::string label = std::to_string(static_cast<long long>(n));
    const int w = widthOf(c, label);
    if (xn - w / 2 < labelsEnd + 6 || xn + w / 2 > right) continue;
    say(c, xn - w / 2, a.bottom + 4 + m.ascent, label);
    labelsEnd = xn + w - w / 2;
  }
  say(c, (a.left + a.right) / 2 - widthOf(c, "n") / 2, a.bottom + 6 + m.height + m.ascent, "n");
}

// Where the errors reach the Reference's own accuracy.
void drawAccuracy(Canvas& c, const ErrorAxes& a, double accuracy) {
  if (!(accuracy > 0)) return;
  const int y = a.y(std::log10(accuracy));
  dashedLine(c, {a.left, y}, {a.right, y}, kSlopeColour, 1, 2);
  say(c, a.left + 4, y - 3, "Reference accuracy", kSlopeColour);
}

// Slopes 1, 2 and 4 from the top left: parallel to them, an error shrinks
// as 1/n, 1/n^2 or 1/n^4.
void drawSlopes(Canvas& c, const ErrorAxes& a, const std::vector<double>& ns) {
  const double x0 = std::log2(ns.front());
  for (int slope : {1, 2, 4}) {
    double x1 = std::log2(ns.back());
    if (x1 <= x0) x1 = x0 + 1;
    const double drop = slope * std::log10(2.0);
    x1 = std::min(x1, x0 + (a.yhi - a.ylo) / drop);
    const Point from{a.x(x0), a.y(a.yhi)}, to{a.x(x1), a.y(a.yhi - drop * (x1 - x0))};
    dashedLine(c, from, to, kSlopeColour, 4, 2);
    const std::string label = "slope " + std::to_string(slope);
    const int lx = std::min(to.x + 4, a.right - 4 - widthOf(c, label));
    const int ly = std::min(to.y - 4, a.bottom - 4);
    say(c, lx, ly, label, kGrey);
  }
}

// The rules' errors, one line each with a mark at every row; the last drawn
// first, and SumL wider than SumU, so that SumU's line on top of an equal
// SumL leaves both colours to be seen.
void drawSeries(Canvas& c, const ErrorAxes& a, const ConvergenceErrors& e) {
  for (int k = kConvergenceSeries - 1; k >= 0; --k) {
    const Rgb colour = convergenceSeries[k].colour;
    const int mark = k == 1 ? 4 : 2;
    c.selectPen(makePen(colour, k == 1 ? 5 : 2));
    bool havePrevious = false;
    for (size_t i = 0; i < e.ns.size(); ++i) {
      const double error = e.errors[k][i];
      if (std::isnan(error)) {
        havePrevious = false;
        continue;
      }
      const Point at{a.x(std::log2(e.ns[i])), a.y(std::log10(error))};
      if (havePrevious) c.lineTo(at.x, at.y);
      c.moveTo(at.x, at.y);
      fill(c, Rect{at.x - mark, at.y - mark, at.x + mark + 1, at.y + mark + 1}, colour);
      havePrevious = true;
    }
  }
}

// A sentence in the middle of the frame, broken between words to fit.
void sayCentred(Canvas& c, const Rect& frame, const std::string& text) {
  std::vector<std::string> lines{""};
  size_t from = 0;
  while (from < text.size()) {
    size_t end = text.find(' ', from);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(from, end - from);
    const std::string longer = lines.back().empty() ? word : lines.back() + " " + word;
    if (!lines.back().empty() && widthOf(c, longer) > frame.right - frame.left - 8) {
      lines.push_back(word);
    } else {
      lines.back() = longer;
    }
    from = end + 1;
  }
  const TextMetrics m = c.textMetrics();
  int y = (frame.top + frame.bottom) / 2 - static_cast<int>(lines.size()) * m.height / 2;
  for (const std::string& l : lines) {
    say(c, (frame.left + frame.right) / 2 - widthOf(c, l) / 2, y + m.ascent, l);
    y += m.height;
  }
}

// The range of the errors' logarithms; ylo is infinite when there is none.
void errorRange(const ConvergenceErrors& e, double& ylo, double& yhi) {
  ylo = INFINITY;
  yhi = -INFINITY;
  for (const auto& series : e.errors)
    for (double error : series)
      if (!std::isnan(error)) {
        ylo = std::min(ylo, std::log10(error));
        yhi = std::max(yhi, std::log10(error));
      }
}

}  // namespace

void drawConvergencePlot(Canvas& c, const Rect& area, const ConvergenceErrors& e) {
  c.setClipRegion(nullptr);
  fill(c, area, kWhite);
  c.setBackgroundColour(kWhite);
  const TextMetrics m = c.textMetrics();
  const int legendY = drawLegend(c, area);
  ErrorAxes axes{};
  axes.left = area.left + widthOf(c, "1e-300") + 14;
  axes.right = area.right - 14;
  axes.top = legendY + m.height + 2 + m.height / 2;
  axes.bottom = area.bottom - 2 * m.height - 10;
  if (axes.right - axes.left < 40 || axes.bottom - axes.top < 40) return;
  c.selectPen(makePen(kGrey, 1));
  c.selectBrush(makeBrush(kWhite));
  c.rectangle(axes.left, axes.top, axes.right + 1, axes.bottom + 1);
  double ylo = 0, yhi = 0;
  errorRange(e, ylo, yhi);
  const Rect frame{axes.left, axes.top, axes.right + 1, axes.bottom + 1};
  if (!e.haveReference || e.ns.empty() || !std::isfinite(ylo)) {
    sayCentred(c, frame, e.haveReference || e.ns.empty() ? "no errors to plot yet"
                                                         : "no Reference: no errors to plot");
    return;
  }
  setScales(axes, ylo, yhi, e.accuracy, e.ns);
  drawDecades(c, axes);
  drawCounts(c, axes, e.ns, area.right);
  const Region inside = makeRectRegion(Rect{axes.left + 1, axes.top + 1, axes.right, axes.bottom});
  c.setClipRegion(&inside);
  drawAccuracy(c, axes, e.accuracy);
  drawSlopes(c, axes, e.ns);
  drawSeries(c, axes, e);
  c.setClipRegion(nullptr);
}

}  // namespace tavex
