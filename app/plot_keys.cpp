// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/plot_keys.h"

#include <QPointer>
#include <QString>

#include "app/main_window.h"
#include "app/pass_host.h"
#include "app/plot_window.h"
#include "app/shell_globals.h"
#include "data/records.h"
#include "platform/child_window.h"
#include "session/pass_runner.h"
#include "session/probe_keys.h"
#include "session/state.h"

namespace tavex {

namespace {

// The probe where the last probe pass read f; the window's left edge before any.
double probeX() {
  const PassResult& probe = lastProbePass();
  return probe.ran ? probe.probe.x : currentFrame->x0;
}

// A probe pass at x in the live plot window, as a mouse move runs one.
void probeAt(ChildWindow& window, double x) {
  PlotContext context = shellPlotContext();
  context.probeAtX = true;
  context.probeX = x;
  DesktopProgress progress(&window, mainWindow);
  passEnded(runPass(context, *currentFrame, kProbePass, kToWindow, &progress), &window);
}

void findAndProbe(ChildWindow& window, FeatureKind kind, bool shift) {
  DesktopProgress progress(&window, mainWindow);
  const ProbeFind find =
      findFromProbe(shellPlotContext(), *currentFrame, probeX(), kind, shift ? -1 : 1, &progress);
  if (find.found && servesPlot(window)) probeAt(window, find.x);
  window.setStatusText(QString::fromLatin1(find.status.c_str()));
}

}  // namespace

int ruleCommand(SumRule rule) {
  setCurrentRule(rule);
  whenNoPass([] {
    if (livePlotShown() && livePlotPass().ran) runWindowPass(*plotWindow, kDrawPass);
  });
  return 0;
}

bool ruleOfKey(int key, SumRule& rule) {
  switch (key) {
    case Qt::Key_U: rule = SumRule::UpperLower; return true;
    case Qt::Key_L: rule = SumRule::Left; return true;
    case Qt::Key_R: rule = SumRule::Right; return true;
    case Qt::Key_M: rule = SumRule::Midpoint; return true;
    case Qt::Key_T: rule = SumRule::Trapezoid; return true;
    case Qt::Key_S: rule = SumRule::Simpson; return true;
    default: return false;
  }
}

bool probeKey(ChildWindow& window, int key, bool shift) {
  const int units = shift ? 10 : 1;
  int step = 0;
  FeatureKind kind = FeatureKind::Zero;
  switch (key) {
    case Qt::Key_Left: step = -units; break;
    case Qt::Key_Right: step = units; break;
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Z: break;
    case Qt::Key_X: kind = FeatureKind::Maximum; break;
    case Qt::Key_I: kind = FeatureKind::Inflection; break;
    default: return false;
  }
  // As for the mouse: nothing before the first drawing, nor while a pass runs.
  if (!servesPlot(window) || probeEnabled != 1 || passRunning()) return true;
  if (step != 0) {
    probeAt(window, probeShifted(*currentFrame, probeX(), step));
  } else if (key == Qt::Key_Home || key == Qt::Key_End) {
    const FunctionInterval interval = intervalOf(functionData);
    probeAt(window, key == Qt::Key_Home ? interval.x1 : interval.x2);
  } else {
    findAndProbe(window, kind, shift);
  }
  return true;
}

}  // namespace tavex
