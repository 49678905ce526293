// SPDX-License-Identifier: GPL-3.0-or-later
// "&Open Lesson...", "&Save Lesson..." and "&Examples" of "&Data", and the
// lesson given when the program starts. Their rules are in
// session/open_lesson.h; these are the desktop's commands and dialogs.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace tavex {

// The file dialogs the lesson commands ask through; tests answer from a
// script. Nothing (an empty optional) when the user cancels. Paths are the
// file system's bytes.
class LessonFileDialog {
 public:
  virtual ~LessonFileDialog() = default;
  // start: the folder to show first.
  virtual std::optional<std::string> chooseLessonToOpen(const std::string& start) = 0;
  // suggested: the folder and name to offer.
  virtual std::optional<std::string> chooseLessonToSave(const std::string& suggested) = 0;
};
// The dialog the lesson commands ask through; null: the standard file dialogs.
extern LessonFileDialog* lessonFileDialog;

// Each returns 0. Opening sets every entry as if typed (an open data box
// shows the new rows) and titles the main window "tavex — NAME"; a lesson
// that does not read changes nothing and says why in a message box. Saving
// writes to the open lesson's file, asking for one the first time.
int openLessonCommand();
int saveLessonCommand();
// Opens the example at index of the bundled lessons.
int exampleCommand(int index);

// The menu item of bundled example index: "&1 " to "&9 " (then nothing)
// and its title, with "&" doubled; 8-bit text.
std::string exampleItemText(std::size_t index);

// The lesson of the command line (tavex FILE), with the main window shown:
// a lesson that does not read is said in a message box, the defaults kept.
void openLessonAtStart(const std::string& path);

// "tavex", or "tavex — NAME" while a lesson is open.
void showLessonTitle();

}  // namespace tavex
