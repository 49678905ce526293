// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/open_lesson.h"

#include <filesystem>
#include <optional>

#include "data/records.h"
#include "session/lesson.h"

namespace tavex {

namespace {

OpenLesson& current() {
  static OpenLesson lesson;
  return lesson;
}

std::string fileName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

}  // namespace

const OpenLesson& openLesson() { return current(); }

bool openLessonFile(const std::string& path, std::string& error) {
  const std::optional<Lesson> lesson = readLessonFile(path, error);
  if (!lesson) return false;
  applyLesson(*lesson);
  current() = {path, fileName(path)};
  return true;
}

bool openLessonText(std::string_view text, const std::string& name, std::string& error) {
  LessonError where;
  const std::optional<Lesson> lesson = parseLesson(text, where);
  if (!lesson) {
    error = lessonMessage(name, where);
    return false;
  }
  applyLesson(*lesson);
  current() = {"", name};
  return true;
}

bool openExampleLesson(std::size_t index, std::string& error) {
  if (index >= bundledLessons().size()) {
    error = "no example " + std::to_string(index + 1);
    return false;
  }
  const BundledLesson& example = bundledLessons()[index];
  return openLessonText(example.text, example.name, error);
}

bool saveLessonAs(const std::string& path, std::string& error) {
  if (!saveLessonFile(path, functionData, graphData, error)) return false;
  current() = {path, fileName(path)};
  return true;
}

void forgetLesson() { current() = {}; }

}  // namespace tavex
