// SPDX-License-Identifier: GPL-3.0-or-later
// Lessons: the function data and graph data written down in a text file that
// a person can also write by hand, so that a class can be prepared ahead.
//
//   # tavex lesson 1
//   [fdata]
//   y = exp(a*sin(b*x))
//   n = 12
//   [gdata]
//   title = Upper and lower sums
//
// The first line is the format's version. Other lines starting with "#", and
// blank lines, are comments. "[fdata]" and "[gdata]" start the sections; each
// entry is "name = value" with the entry's name unpadded, blanks around "="
// ignored and the value the rest of the line, trailing blanks removed. LF or
// CR LF line ends. The file is UTF-8; the records hold 8-bit texts, shown as
// Latin-1, so a value may use the characters U+0020 to U+00FF.
//
// Opening a lesson sets every listed entry: the ones it names to its values,
// the others to their defaults. A file that does not read changes nothing.
// Plain C++, no Qt.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "data/records.h"

namespace tavex {

inline constexpr char kLessonHeader[] = "# tavex lesson 1";
inline constexpr char kLessonExtension[] = ".tavex";
inline constexpr char kLessonMimeType[] = "application/x-tavex-lesson";
inline constexpr std::size_t kMaxLessonBytes = 64 * 1024;

// The value of every listed entry of both records (8-bit texts as the
// records hold them; index 0, the header, stays empty).
struct Lesson {
  std::array<std::string, kFunctionDataEntries> function;
  std::array<std::string, kGraphDataEntries> graph;
  bool operator==(const Lesson&) const = default;
};

// Why a lesson does not read, and where: line and column from 1, counted in
// characters; line 0 when the whole file is meant.
struct LessonError {
  int line = 0;
  int column = 0;
  std::string what;
};

// "FILE:LINE:COLUMN: what", or "FILE: what" for the whole file.
std::string lessonMessage(std::string_view file, const LessonError& error);

// Reads a lesson's text. Every entry it names takes its value, the others
// their defaults; a value equal to its default but for the default's
// trailing blanks (ylab's "Y  ") takes the default, since a lesson's values
// cannot end in blanks. Empty, with the first problem in error, when any of
// the text does not read.
std::optional<Lesson> parseLesson(std::string_view text, LessonError& error);

// The lesson that the records hold: each value as the program reads it (the
// function and its parameters from their lines, which evaluation reads),
// without blanks at its ends. Empty, with the entry and the reason in error,
// when an entry cannot be written in a lesson: a control character, a line
// of the function or a parameter that is not "name = value", or a value of
// more than 59 characters.
std::optional<Lesson> lessonOfRecords(const DataEntry* functionRecord,
                                      const DataEntry* graphRecord, std::string& error);

// The lesson file's text: the header line, then every entry of both records
// in the records' order, in UTF-8.
std::string lessonText(const Lesson& lesson);

// Writes every listed entry through acceptLine, as a data box accepts a line
// typed into it ("x1   = 2"), and tells the front end's entry listener
// (session/plot_tools.h). The engine's variables stay as they are.
void applyLesson(const Lesson& lesson, DataEntry* functionRecord = functionData,
                 DataEntry* graphRecord = graphData);

// Reads the lesson file at path: a missing, unreadable or over-long file, or
// a folder, does not read either. Empty with the message (naming path as
// given) in error.
std::optional<Lesson> readLessonFile(const std::string& path, std::string& error);

// Writes the records as a lesson to path, replacing the file whole or not at
// all. False with a message in error.
bool saveLessonFile(const std::string& path, const DataEntry* functionRecord,
                    const DataEntry* graphRecord, std::string& error);

// The example lessons built into the program (dist/lessons), by file name.
struct BundledLesson {
  const char* name;  // "x-squared.tavex"
  const char* text;
};
std::span<const BundledLesson> bundledLessons();

}  // namespace tavex
