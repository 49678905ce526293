// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/convergence_view.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <climits>
#include <cmath>

#include "session/atomic_file.h"
#include "ui/tolerance_panel.h"

namespace tavex {

namespace {

QColor colourOf(Rgb c) { return QColor(c.red, c.green, c.blue); }

// "1e-7" for the decade 10^k.
QString decadeLabel(int k) { return k == 0 ? QStringLiteral("1") : QStringLiteral("1e%1").arg(k); }

// The series' columns in the table: its sum, and its error.
constexpr int kSumColumn[kConvergenceSeries] = {1, 2, 3, 4, 5, 6, 7, 8};
constexpr int kErrorColumn[kConvergenceSeries] = {10, 12, 14, 16, 18, 20, 22, 24};
constexpr int kExactSeries = kConvergenceSeries - 1;

// The rule whose bound a series shows, for SumT, SumM, SumS, SumLeft and
// SumRight; false for the others.
bool boundRuleOf(int series, BoundRule& rule) {
  static constexpr int kRules[kConvergenceSeries] = {-1, -1, 2, 3, 4, 0, 1, -1};
  if (kRules[series] < 0) return false;
  rule = kAllBoundRules[kRules[series]];
  return true;
}

QIcon swatch(Rgb colour) {
  QPixmap square(10, 10);
  square.fill(colourOf(colour));
  return QIcon(square);
}

}  // namespace

ConvergenceErrorPlot::ConvergenceErrorPlot(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
  setMinimumSize(240, 200);
}

void ConvergenceErrorPlot::setErrors(const std::vector<ConvergenceRow>& rows, bool haveReference,
                                     double value, double accuracy) {
  ns_.clear();
  for (auto& series : errors_) series.clear();
  haveReference_ = haveReference;
  accuracy_ = haveReference ? accuracy : 0.0;
  for (const ConvergenceRow& row : rows) {
    ns_.push_back(row.n);
    const RiemannSums& s = row.sums;
    const double sums[kConvergenceSeries] = {s.SumU, s.SumL, s.SumT,     s.SumM,
                                             s.SumS, s.SumLeft, s.SumRight, s.Exact};
    for (int k = 0; k < kConvergenceSeries; ++k) {
      const double e = std::fabs(sums[k] - value);
      const bool shown = haveReference && (k != 4 || s.simpsonShown) && std::isfinite(e) && e > 0;
      errors_[k].push_back(shown ? e : NAN);
    }
  }
  update();
}

namespace {

// The legend along the top, in as many lines as it needs: a short line with
// a mark in each colour, and the rule's name. Gives the top of its last line.
int drawLegend(QPainter& p, const QFontMetrics& metrics, int width) {
  const int line = metrics.height();
  p.setPen(Qt::black);
  const QString title = QStringLiteral("|error|:");
  p.drawText(4, 4 + metrics.ascent(), title);
  int x = 12 + metrics.horizontalAdvance(title);
  int legendY = 4;
  for (const ConvergenceSeries& series : convergenceSeries) {
    const QString name = QString::fromLatin1(series.name);
    const int entry = 30 + metrics.horizontalAdvance(name);
    if (x + entry > width - 4 && x > 40) {
      x = 12 + metrics.horizontalAdvance(title);
      legendY += line + 2;
    }
    const int middle = legendY + line / 2;
    p.setPen(QPen(colourOf(series.colour), 2));
    p.drawLine(x, middle, x + 18, middle);
    p.fillRect(x + 7, middle - 2, 5, 5, colourOf(series.colour));
    p.setPen(Qt::black);
    p.drawText(x + 22, legendY + metrics.ascent(), name);
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
    return left + static_cast<int>(std::lround((log2n - xlo + pad) / (xhi - xlo + 2 * pad) * (right - left)));
  }
  int y(double log10e) const {
    return bottom - static_cast<int>(std::lround((log10e - ylo) / (yhi - ylo) * (bottom - top)));
  }
};

// Whole decades from the smallest error (or the accuracy, when below it) up
// to the largest, at most 18 of them; n from the first row to the last.
void setScales(ErrorAxes& axes, double ylo, double yhi, double accuracy, const std::vector<double>& ns) {
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
void drawDecades(QPainter& p, const QFontMetrics& metrics, const ErrorAxes& a) {
  const int decades = static_cast<int>(a.yhi - a.ylo);
  const int every = std::max(1, (decades * metrics.height() * 3 / 2) / std::max(1, a.bottom - a.top) + 1);
  for (int k = static_cast<int>(a.ylo); k <= static_cast<int>(a.yhi); ++k) {
    const int y = a.y(k);
    p.setPen(QColor(230, 230, 230));
    if (y > a.top && y < a.bottom) p.drawLine(a.left + 1, y, a.right - 1, y);
    if ((k - static_cast<int>(a.ylo)) % every != 0) continue;
    p.setPen(Qt::black);
    const QString label = decadeLabel(k);
    p.drawText(a.left - 6 - metrics.horizontalAdvance(label), y + metrics.ascent() / 2, label);
  }
}

// Each row's n along the bottom, as far as the labels do not collide, and
// the axis's name under them.
void drawCounts(QPainter& p, const QFontMetrics& metrics, const ErrorAxes& a,
                const std::vector<double>& ns, int width) {
  int labelsEnd = INT_MIN;
  for (double n : ns) {
    const int xn = a.x(std::log2(n));
    p.setPen(QColor(230, 230, 230));
    p.drawLine(xn, a.top + 1, xn, a.bottom - 1);
    const QString label = QString::number(static_cast<long long>(n));
    const int w = metrics.horizontalAdvance(label);
    if (xn - w / 2 < labelsEnd + 6 || xn + w / 2 > width) continue;
    p.setPen(Qt::black);
    p.drawText(xn - w / 2, a.bottom + 4 + metrics.ascent(), label);
    labelsEnd = xn + w - w / 2;
  }
  p.setPen(Qt::black);
  p.drawText((a.left + a.right) / 2 - metrics.horizontalAdvance(QStringLiteral("n")) / 2,
             a.bottom + 6 + metrics.height() + metrics.ascent(), QStringLiteral("n"));
}

// Where the errors reach the Reference's own accuracy.
void drawAccuracy(QPainter& p, const ErrorAxes& a, double accuracy) {
  if (!(accuracy > 0)) return;
  const int y = a.y(std::log10(accuracy));
  p.setPen(QPen(colourOf(kSlopeColour), 1, Qt::DotLine));
  p.drawLine(a.left, y, a.right, y);
  p.drawText(a.left + 4, y - 3, QStringLiteral("Reference accuracy"));
}

// Slopes 1, 2 and 4 from the top left: parallel to them, an error shrinks
// as 1/n, 1/n^2 or 1/n^4.
void drawSlopes(QPainter& p, const QFontMetrics& metrics, const ErrorAxes& a,
                const std::vector<double>& ns) {
  const double x0 = std::log2(ns.front());
  for (int slope : {1, 2, 4}) {
    double x1 = std::log2(ns.back());
    if (x1 <= x0) x1 = x0 + 1;
    const double drop = slope * std::log10(2.0);
    x1 = std::min(x1, x0 + (a.yhi - a.ylo) / drop);
    const QPoint from(a.x(x0), a.y(a.yhi)), to(a.x(x1), a.y(a.yhi - drop * (x1 - x0)));
    p.setPen(QPen(colourOf(kSlopeColour), 1, Qt::DashLine));
    p.drawLine(from, to);
    const QString label = QStringLiteral("slope %1").arg(slope);
    const int w = metrics.horizontalAdvance(label);
    const int lx = std::min(to.x() + 4, a.right - 4 - w);
    const int ly = std::min(to.y() - 4, a.bottom - 4);
    p.setPen(QColor(96, 96, 96));
    p.drawText(lx, ly, label);
  }
}

// The rules' errors, one line each with a mark at every row; the last drawn
// first, and SumL wider than SumU, so that SumU's line on top of an equal
// SumL leaves both colours to be seen.
void drawSeries(QPainter& p, const ErrorAxes& a, const std::vector<double>& ns,
                const std::vector<double> (&errors)[kConvergenceSeries]) {
  for (int k = kConvergenceSeries - 1; k >= 0; --k) {
    const QColor colour = colourOf(convergenceSeries[k].colour);
    const int mark = k == 1 ? 4 : 2;
    p.setPen(QPen(colour, k == 1 ? 5 : 2));
    QPoint previous;
    bool havePrevious = false;
    for (size_t i = 0; i < ns.size(); ++i) {
      const double e = errors[k][i];
      if (std::isnan(e)) {
        havePrevious = false;
        continue;
      }
      const QPoint at(a.x(std::log2(ns[i])), a.y(std::log10(e)));
      if (havePrevious) p.drawLine(previous, at);
      p.fillRect(at.x() - mark, at.y() - mark, 2 * mark + 1, 2 * mark + 1, colour);
      previous = at;
      havePrevious = true;
    }
  }
}

}  // namespace

void ConvergenceErrorPlot::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing, false);
  const QFontMetrics metrics(font());
  const int line = metrics.height();
  const int legendY = drawLegend(p, metrics, width());
  ErrorAxes axes{};
  axes.left = metrics.horizontalAdvance(QStringLiteral("1e-300")) + 14;
  axes.right = width() - 14;
  axes.top = legendY + line + 2 + line / 2;
  axes.bottom = height() - 2 * line - 10;

  double ylo = INFINITY, yhi = -INFINITY;
  for (const auto& series : errors_)
    for (double e : series)
      if (!std::isnan(e)) {
        ylo = std::min(ylo, std::log10(e));
        yhi = std::max(yhi, std::log10(e));
      }
  const QRect frame(axes.left, axes.top, axes.right - axes.left, axes.bottom - axes.top);
  if (frame.width() < 40 || frame.height() < 40) return;
  p.setPen(QColor(96, 96, 96));
  p.drawRect(frame);
  if (!haveReference_ || ns_.empty() || !std::isfinite(ylo)) {
    p.drawText(frame, Qt::AlignCenter | Qt::TextWordWrap,
               haveReference_ || ns_.empty() ? QStringLiteral("no errors to plot yet")
                                             : QStringLiteral("no Reference: no errors to plot"));
    return;
  }
  setScales(axes, ylo, yhi, accuracy_, ns_);
  drawDecades(p, metrics, axes);
  drawCounts(p, metrics, axes, ns_, width());
  p.setClipRect(axes.left + 1, axes.top + 1, frame.width() - 1, frame.height() - 1);
  drawAccuracy(p, axes, accuracy_);
  drawSlopes(p, metrics, axes, ns_);
  drawSeries(p, axes, ns_, errors_);
}

namespace {

// n, then one column per rule: its sum over its error and observed order.
void setTableHeaders(QTableWidget* table) {
  table->setColumnCount(1 + kConvergenceSeries);
  table->setHorizontalHeaderItem(0, new QTableWidgetItem(QStringLiteral("n")));
  for (int k = 0; k < kConvergenceSeries; ++k) {
    const QString name = QString::fromLatin1(convergenceSeries[k].name);
    auto* item = new QTableWidgetItem(
        swatch(convergenceSeries[k].colour),
        k < kExactSeries ? QStringLiteral("%1\nerror   order").arg(name) : QStringLiteral("%1\nerror").arg(name));
    item->setToolTip(k < kExactSeries ? QStringLiteral("%1; its error %1 - Reference; its observed order, "
                                            "log2 of the ratio of the errors of the row before "
                                            "and this one")
                                 .arg(name)
                           : QStringLiteral("Exact; its error Exact - Reference"));
    table->setHorizontalHeaderItem(1 + k, item);
  }
}

QLabel* selectableLine(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  label->setWordWrap(true);
  return label;
}

}  // namespace

ConvergenceView::ConvergenceView(QWidget* parent) : QWidget(parent) {
  QFont general = QApplication::font();
  general.setBold(false);  // not the child window's bold font
  setFont(general);
  setAutoFillBackground(true);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(8, 6, 8, 6);
  outer->addLayout(makeControls());

  referenceLine = selectableLine(this);
  outer->addWidget(referenceLine);
  notesLine = selectableLine(this);
  QPalette notes = notesLine->palette();
  notes.setColor(QPalette::WindowText, QColor(160, 0, 0));
  notesLine->setPalette(notes);
  notesLine->hide();
  outer->addWidget(notesLine);

  auto* split = new QSplitter(Qt::Horizontal, this);
  table = new QTableWidget(split);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->verticalHeader()->hide();
  setTableHeaders(table);
  const int lineHeight = table->fontMetrics().lineSpacing();
  table->verticalHeader()->setDefaultSectionSize(2 * lineHeight + 6);
  plot = new ConvergenceErrorPlot(split);
  split->addWidget(table);
  split->addWidget(plot);
  split->setStretchFactor(0, 1);
  split->setStretchFactor(1, 0);
  outer->addWidget(split, 1);
  tolerance = new TolerancePanel(this);
  outer->addWidget(tolerance);

  askSavePath = [](QWidget* parent, const QString& suggested) {
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Save the convergence table"),
                                        suggested, QStringLiteral("CSV files (*.csv)"));
  };
}

QHBoxLayout* ConvergenceView::makeControls() {
  auto* controls = new QHBoxLayout;
  controls->addWidget(new QLabel(QStringLiteral("Rows up to n ="), this));
  limitField = new QSpinBox(this);
  limitField->setRange(0, INT_MAX);
  limitField->setSpecialValueText(QStringLiteral("default"));
  limitField->setToolTip(QStringLiteral(
      "The largest n of the table; default: rows that take under about a second, up to 1048576"));
  controls->addWidget(limitField);
  recomputeButton = new QPushButton(QStringLiteral("Recompute"), this);
  copyButton = new QPushButton(QStringLiteral("Copy"), this);
  saveButton = new QPushButton(QStringLiteral("Save CSV..."), this);
  controls->addWidget(recomputeButton);
  controls->addWidget(copyButton);
  controls->addWidget(saveButton);
  message_ = new QLabel(this);
  controls->addWidget(message_, 1);
  connect(recomputeButton, &QPushButton::clicked, this, [this] {
    if (onRecompute) onRecompute();
  });
  connect(copyButton, &QPushButton::clicked, this, [this] { copyTable(); });
  connect(saveButton, &QPushButton::clicked, this, [this] { saveAs(); });
  copyButton->setEnabled(false);
  saveButton->setEnabled(false);
  return controls;
}

void ConvergenceView::showStudy(const ConvergenceStudy& study, bool running) {
  const ReferenceValue& reference = study.reference();
  referenceLine->setText(study.referenceDone()
                             ? QString::fromStdString(referenceStatement(reference, study.functionRecord()))
                             : QStringLiteral("Reference: computing..."));
  std::vector<std::string> notes = study.notes();
  const std::string failures = study.failureNote();
  if (!failures.empty()) notes.push_back(failures);
  QStringList lines;
  for (const std::string& note : notes) lines << QString::fromStdString(note);
  notesLine->setText(lines.join(QLatin1Char('\n')));
  notesLine->setVisible(!lines.isEmpty());

  const std::vector<ConvergenceRow>& rows = study.rows();
  rows_ = rows;
  reference_ = reference;
  fillTable(running);
  plot->setErrors(rows, reference.hasValue(), reference.value, reference.accuracy);

  tabText_ = study.tableText('\t');
  csvText_ = study.tableText(',');
  copyButton->setEnabled(!rows.empty());
  saveButton->setEnabled(!rows.empty() && !running);
}

void ConvergenceView::fillTable(bool running) {
  table->setRowCount(static_cast<int>(rows_.size()));
  bool bounds = false;  // rows of three lines
  auto put = [this](int row, int column, const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table->setItem(row, column, item);
  };
  for (size_t i = 0; i < rows_.size(); ++i) {
    const std::vector<std::string> cells =
        convergenceCells(rows_[i], i > 0 ? &rows_[i - 1] : nullptr, reference_);
    const int row = static_cast<int>(i);
    put(row, 0, QString::fromStdString(cells[0]));
    for (int k = 0; k < kConvergenceSeries; ++k) {
      QString text = QString::fromStdString(cells[kSumColumn[k]]);
      const std::string& error = cells[kErrorColumn[k]];
      if (!error.empty()) {
        text += QLatin1Char('\n') + QString::fromStdString(error);
        if (k < kExactSeries) text += QStringLiteral("   ") + QString::fromStdString(cells[kErrorColumn[k] + 1]).leftJustified(4);
      }
      // The rule's error bound beside its error, once the tolerance panel has K.
      BoundRule rule;
      const std::string bound =
          boundRuleOf(k, rule) ? tolerance->boundText(rule, rows_[i].n) : std::string();
      if (!bound.empty() && !error.empty()) {
        text += QLatin1Char('\n') + QString::fromStdString(bound);
        bounds = true;
      }
      put(row, 1 + k, text);
    }
  }
  table->resizeColumnsToContents();
  if (bounds) table->resizeRowsToContents();
  // While rows come, the newest is in sight; then the table from its top.
  if (running && !rows_.empty()) table->scrollToItem(table->item(static_cast<int>(rows_.size()) - 1, 0));
  if (!running) table->scrollToTop();
}

void ConvergenceView::showBounds() { fillTable(false); }

long long ConvergenceView::limit() const { return limitField->value(); }

void ConvergenceView::setLimit(long long limit) {
  limitField->setValue(static_cast<int>(std::clamp<long long>(limit, 0, INT_MAX)));
}

void ConvergenceView::copyTable() {
  QGuiApplication::clipboard()->setText(QString::fromStdString(tabText_));
  say(QStringLiteral("Copied the table (%1 rows, tab-separated).").arg(table->rowCount()));
}

bool ConvergenceView::saveTable(const QString& path, QString& error) const {
  const std::string file = QFile::encodeName(path).toStdString();
  std::string reason;
  if (writeFileAtomically(file, csvText_, reason)) return true;
  // Without the path, which the message names already.
  const std::string named = "cannot write '" + file + "': ";
  if (reason.rfind(named, 0) == 0) reason.erase(0, named.size());
  error = QString::fromStdString(reason);
  return false;
}

void ConvergenceView::saveAs() {
  const QString path =
      askSavePath ? askSavePath(this, QDir::current().filePath(QStringLiteral("convergence.csv")))
                  : QString();
  if (path.isEmpty()) return;
  QString error;
  if (saveTable(path, error)) say(QStringLiteral("Saved %1.").arg(path));
  else say(QStringLiteral("Could not save %1: %2").arg(path, error));
}

void ConvergenceView::say(const QString& text) { message_->setText(text); }

QString ConvergenceView::message() const { return message_->text(); }

}  // namespace tavex
