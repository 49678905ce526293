// SPDX-License-Identifier: GPL-3.0-or-later
// A sizing border for a child control: the user drags the control's right or
// bottom edge (or the corner between them) to make it wider or taller.
#pragma once

#include <QCursor>
#include <QObject>
#include <QPoint>
#include <QSize>

#include <vector>

class QWidget;

namespace tavex {

class EdgeSizer : public QObject {
 public:
  // Width of the grip along the edges, in pixels.
  static constexpr int kGrip = 4;
  // Smallest size the drag leaves.
  static constexpr int kMinimum = 2 * kGrip;

  // Makes target sizable; the sizer lives as long as target.
  static EdgeSizer* attach(QWidget* target);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum Edge { kNone = 0, kRight = 1, kBottom = 2 };
  struct Watched {
    QWidget* widget;
    bool hadCursor;
    QCursor cursor;
  };

  explicit EdgeSizer(QWidget* target);
  void watch(QWidget* widget);
  int edgesAt(QPoint inTarget) const;
  void showCursor(Watched& w, int edges);

  QWidget* target_;
  std::vector<Watched> watched_;
  int dragEdges_ = kNone;
  QPoint dragStart_;
  QSize startSize_;
};

}  // namespace tavex
