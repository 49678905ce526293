// SPDX-License-Identifier: GPL-3.0-or-later
// The message boxes the program shows, behind a narrow interface: the print
// command asks its questions through it, and tests answer them from a script.
#pragma once

#include <string_view>

namespace tavex {

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // A message box with an OK button, owned by the main window.
  virtual void messageBox(std::string_view text, std::string_view caption) = 0;
  // A question with Yes and No buttons; true for Yes.
  virtual bool askYesNo(std::string_view text, std::string_view caption) = 0;
};

}  // namespace tavex
