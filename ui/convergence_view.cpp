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

#include "platform/qpainter_canvas.h"
#include "session/atomic_file.h"
#include "ui/tolerance_panel.h"

namespace tavex {

namespace {

QColor colourOf(Rgb c) { return QColor(c.red, c.green, c.blue); }

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

void ConvergenceErrorPlot::setErrors(const std::vector<ConvergenceRow>& rows,
                                     const ReferenceValue& reference) {
  errors_ = convergenceErrors(rows, reference);
  update();
}

void ConvergenceErrorPlot::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QPainterCanvas canvas(&painter);
  FontDescription general;
  general.height = -QFontInfo(font()).pixelSize();
  general.faceName = font().family().toStdString();
  const FontHandle handle = canvas.createFont(general);
  canvas.selectFont(handle);
  drawConvergencePlot(canvas, Rect{0, 0, width(), height()}, errors_);
  canvas.deleteFont(handle);
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
  plot->setErrors(rows, reference);

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
