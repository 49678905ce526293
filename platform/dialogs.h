// The message boxes the program shows, behind a narrow interface so that the
// commands can be driven by a script in tests. No Qt here: the plot
// procedure's printing may use it too.
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
