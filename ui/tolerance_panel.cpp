// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/tolerance_panel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tavex {

namespace {

QString number(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return QString::fromLatin1(text);
}

QString stepsText(const StepCount& steps) {
  return steps.found ? QString::number(steps.n) : QString::fromStdString(steps.why);
}

}  // namespace

TolerancePanel::TolerancePanel(QWidget* parent) : QWidget(parent) {
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 4, 0, 0);
  auto* controls = new QHBoxLayout;
  controls->addWidget(new QLabel(QStringLiteral("Tolerance"), this));
  field = new QLineEdit(QStringLiteral("1e-6"), this);
  field->setMaximumWidth(120);
  field->setToolTip(QStringLiteral("The error to stay within, as 1e-6 or 0.001"));
  controls->addWidget(field);
  findButton = new QPushButton(QStringLiteral("Find n"), this);
  controls->addWidget(findButton);
  message = new QLabel(this);
  message->setWordWrap(true);
  controls->addWidget(message, 1);
  outer->addLayout(controls);
  connect(findButton, &QPushButton::clicked, this, [this] {
    if (onFind) onFind();
  });
  connect(field, &QLineEdit::returnPressed, this, [this] {
    if (onFind && findButton->isEnabled()) onFind();
  });

  table = new QTableWidget(kBoundRules, 5, this);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->verticalHeader()->hide();
  table->setHorizontalHeaderLabels({QStringLiteral("rule"), QStringLiteral("K"),
                                    QStringLiteral("at x"), QStringLiteral("n by the bound"),
                                    QStringLiteral("n observed")});
  for (int i = 0; i < kBoundRules; ++i)
    table->setItem(i, 0,
                   new QTableWidgetItem(QString::fromLatin1(boundRuleName(kAllBoundRules[i]))));
  const int line = table->verticalHeader()->defaultSectionSize();
  table->setFixedHeight(line * (kBoundRules + 1) + 6);
  table->resizeColumnsToContents();
  outer->addWidget(table);
}

bool TolerancePanel::tolerance(double& value, std::string& problem) const {
  const QByteArray text = field->text().trimmed().toLatin1();
  char* end = nullptr;
  value = std::strtod(text.constData(), &end);
  if (text.isEmpty() || end == nullptr || *end != '\0') {
    problem = "Tolerance: '" + text.toStdString() + "' is not a number";
    return false;
  }
  problem = toleranceProblem(value);
  if (problem.empty()) return true;
  problem = "Tolerance " + text.toStdString() + ": " + problem;
  return false;
}

void TolerancePanel::showStudy(const ToleranceStudy& study, bool running) {
  for (int i = 0; i < kBoundRules; ++i) {
    const RuleTolerance& r = study.rules()[i];
    K_[i] = r.K;
    const QString K =
        r.K.known ? number("%.10g", r.K.value)
                  : QStringLiteral("cannot be estimated: ") + QString::fromStdString(r.K.why);
    table->setItem(i, 1, new QTableWidgetItem(K));
    table->setItem(i, 2,
                   new QTableWidgetItem(r.K.known ? number("%.10g", r.K.at) : QStringLiteral("-")));
    table->setItem(i, 3, new QTableWidgetItem(stepsText(r.byBound)));
    table->setItem(i, 4,
                   new QTableWidgetItem(running ? QStringLiteral("...") : stepsText(r.observed)));
  }
  const FunctionInterval interval = intervalOf(study.functionRecord());
  width_ = std::fabs(interval.x2 - interval.x1);
  table->resizeColumnsToContents();
  findButton->setEnabled(!running);
  say(QString::fromStdString(study.refusal()));
}

void TolerancePanel::clear() {
  K_ = {};
  for (int i = 0; i < kBoundRules; ++i)
    for (int column = 1; column < 5; ++column) table->setItem(i, column, nullptr);
}

std::string TolerancePanel::boundText(BoundRule rule, std::int64_t n) const {
  const DerivativeMax& K = K_[static_cast<int>(rule)];
  if (!K.known) return {};
  char text[64];
  std::snprintf(text, sizeof text, "bound %.3e",
                ruleBound(rule, width_, K.value, static_cast<double>(n)));
  return text;
}

void TolerancePanel::say(const QString& text) { message->setText(text); }

}  // namespace tavex
