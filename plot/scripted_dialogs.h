// SPDX-License-Identifier: GPL-3.0-or-later
// Dialogs for tests: records every box shown and answers the questions from
// a script, No once the script is used up.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "plot/dialogs.h"

namespace tavex {

class ScriptedDialogs : public Dialogs {
 public:
  enum class Kind { Message, Question };
  struct Shown {
    Kind kind;
    std::string text;
    std::string caption;
  };

  void messageBox(std::string_view text, std::string_view caption) override {
    shown.push_back({Kind::Message, std::string(text), std::string(caption)});
    if (onShown) onShown(shown.back());
  }
  bool askYesNo(std::string_view text, std::string_view caption) override {
    shown.push_back({Kind::Question, std::string(text), std::string(caption)});
    if (onShown) onShown(shown.back());
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::vector<Shown> shown;
  std::deque<bool> answers;
  // Called with each box as it is shown, before it is answered.
  std::function<void(const Shown&)> onShown;
};

}  // namespace tavex
