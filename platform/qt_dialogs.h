// SPDX-License-Identifier: GPL-3.0-or-later
// The message boxes on Qt: modal QMessageBox windows owned by one widget.
#pragma once

#include "plot/dialogs.h"

class QWidget;

namespace tavex {

class QtDialogs : public Dialogs {
 public:
  explicit QtDialogs(QWidget* owner) : owner_(owner) {}
  void messageBox(std::string_view text, std::string_view caption) override;
  bool askYesNo(std::string_view text, std::string_view caption) override;

 private:
  QWidget* owner_;
};

}  // namespace tavex
