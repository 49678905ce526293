// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing lesson files.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "session/atomic_file.h"
#include "session/lesson.h"

namespace tavex {

namespace {

// The whole file at path, up to one buffer beyond the most a lesson may be
// (the reader refuses a longer one); false with a message in error.
bool readWholeFile(const std::string& path, std::string& text, std::string& error) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    error = path + ": is a folder, not a lesson file";
    return false;
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    error = path + ": cannot open: " + std::strerror(errno);
    return false;
  }
  char buffer[8192];
  std::size_t n = 0;
  while (text.size() <= kMaxLessonBytes && (n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    text.append(buffer, n);
  const int readError = std::ferror(file) ? errno : 0;
  std::fclose(file);
  if (readError != 0) error = path + ": cannot read: " + std::strerror(readError);
  return readError == 0;
}

}  // namespace

std::optional<Lesson> readLessonFile(const std::string& path, std::string& error) {
  std::string text;
  if (!readWholeFile(path, text, error)) return {};
  LessonError where;
  std::optional<Lesson> lesson = parseLesson(text, where);
  if (!lesson) error = lessonMessage(path, where);
  return lesson;
}

bool saveLessonFile(const std::string& path, const DataEntry* functionRecord,
                    const DataEntry* graphRecord, std::string& error) {
  std::string why;
  const std::optional<Lesson> lesson = lessonOfRecords(functionRecord, graphRecord, why);
  if (!lesson) {
    error = "cannot save '" + path + "' as a lesson: " + why;
    return false;
  }
  return writeFileAtomically(path, lessonText(*lesson), error);
}

}  // namespace tavex
