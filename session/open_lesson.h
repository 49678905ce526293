// SPDX-License-Identifier: GPL-3.0-or-later
// The lesson the program has open, the same for every front end: opening a
// lesson file or an example into the records, and saving the records to it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tavex {

struct OpenLesson {
  std::string path;  // the file Save writes to; empty: Save asks for one
  std::string name;  // the name the title shows ("sine.tavex"); empty: none
};
const OpenLesson& openLesson();

// Opens the lesson file at path into the records (session/lesson.h:
// applyLesson) and makes it the open lesson. False with the message in
// error, when nothing changes.
bool openLessonFile(const std::string& path, std::string& error);

// Opens a lesson's text that came without a file of its own (the browser's
// upload, a link) into the records, under name: the name shows and messages
// name it, and Save asks for a file. False with the message in error, when
// nothing changes.
bool openLessonText(std::string_view text, const std::string& name, std::string& error);

// Opens bundled example index: its name shows, and Save asks for a file, as
// the example itself stays as it came.
bool openExampleLesson(std::size_t index, std::string& error);

// Writes the records as a lesson to path and makes that the open lesson's
// file. False with the message in error, the old file and the open lesson
// then as they were.
bool saveLessonAs(const std::string& path, std::string& error);

// No lesson open, as at start.
void forgetLesson();

}  // namespace tavex
