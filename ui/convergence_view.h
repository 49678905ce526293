// SPDX-License-Identifier: GPL-3.0-or-later
// The contents of the convergence window: the limit field and the buttons
// Recompute, Copy and "Save CSV...", the Reference with its accuracy, what
// was done instead of what was asked, the table, and beside it a log-log
// plot of each rule's |error| against n with reference slopes 1, 2 and 4.
// It shows a ConvergenceStudy; computing one is the shell's business.
#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "graphics/canvas.h"
#include "graphics/graph_frame.h"
#include "plot/convergence.h"
#include "plot/convergence_plot.h"

class QHBoxLayout;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace tavex {

class TolerancePanel;

// |error| against n on logarithmic axes, one line per rule.
class ConvergenceErrorPlot : public QWidget {
 public:
  explicit ConvergenceErrorPlot(QWidget* parent = nullptr);
  // The rows' errors against the Reference; without one there is nothing
  // to plot.
  void setErrors(const std::vector<ConvergenceRow>& rows, const ReferenceValue& reference);
  QSize sizeHint() const override { return {380, 360}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  ConvergenceErrors errors_;
};

class ConvergenceView : public QWidget {
 public:
  explicit ConvergenceView(QWidget* parent = nullptr);

  // Shows the study as it stands; running disables what must wait for it.
  void showStudy(const ConvergenceStudy& study, bool running);
  // Shows the table again with each rule's error bound under its error, from
  // the tolerance panel's K's.
  void showBounds();
  // The limit the field asks for; 0 for the default.
  long long limit() const;
  void setLimit(long long limit);

  // The table as the Copy button puts it on the clipboard (tab-separated,
  // with its header) and as "Save CSV..." writes it.
  const std::string& tabText() const { return tabText_; }
  const std::string& csvText() const { return csvText_; }
  void copyTable();
  // Writes the CSV text to path through AtomicFile (a temporary file renamed
  // over it only when all was written); false with the reason in error when
  // it could not, the file then as it was.
  bool saveTable(const QString& path, QString& error) const;
  // The line under the buttons: what Copy and Save did.
  QString message() const;

  // Asked by Recompute.
  std::function<void()> onRecompute;
  // Asks where to save ("" for no file); a file dialog unless replaced (tests).
  std::function<QString(QWidget* parent, const QString& suggested)> askSavePath;

  QSpinBox* limitField = nullptr;
  QPushButton* recomputeButton = nullptr;
  QPushButton* copyButton = nullptr;
  QPushButton* saveButton = nullptr;
  QLabel* referenceLine = nullptr;
  QLabel* notesLine = nullptr;
  QTableWidget* table = nullptr;
  ConvergenceErrorPlot* plot = nullptr;
  TolerancePanel* tolerance = nullptr;

 private:
  // The limit field, the buttons and the message line after them.
  QHBoxLayout* makeControls();
  void saveAs();
  void say(const QString& text);
  // The table's rows from the rows and the reference shown last.
  void fillTable(bool running);

  QLabel* message_ = nullptr;
  std::vector<ConvergenceRow> rows_;
  ReferenceValue reference_;
  std::string tabText_;
  std::string csvText_;
};

}  // namespace tavex
