// SPDX-License-Identifier: GPL-3.0-or-later
// The tolerance part of the convergence window: a field for a tolerance,
// "Find n", and a small table with a row per rule: its bound's K, the x
// where it is reached, the n by the bound and the n observed (a
// ToleranceStudy, plot/tolerance.h). Computing one is the shell's business.
#pragma once

#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "plot/tolerance.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tavex {

class TolerancePanel : public QWidget {
 public:
  explicit TolerancePanel(QWidget* parent = nullptr);

  // The tolerance in the field; false with the reason when it cannot be used.
  bool tolerance(double& value, std::string& problem) const;
  // Shows the study as it stands; running disables "Find n".
  void showStudy(const ToleranceStudy& study, bool running);
  // Forgets the K's, as when the records may have changed.
  void clear();
  // "bound 2.3e-04", the rule's error bound at n from the last study's K;
  // empty without one.
  std::string boundText(BoundRule rule, std::int64_t n) const;
  void say(const QString& text);

  // Asked by "Find n".
  std::function<void()> onFind;

  QLineEdit* field = nullptr;
  QPushButton* findButton = nullptr;
  QTableWidget* table = nullptr;
  QLabel* message = nullptr;

 private:
  std::array<DerivativeMax, kBoundRules> K_{};
  double width_ = 0.0;
};

}  // namespace tavex
