// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: any bytes as a lesson file. A text that reads must save
// to a text that reads back to the same lesson and saves the same again, and
// the records it sets must give back the same lesson; one that does not read
// must say where (a line and column within the text) or be the whole file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "data/records.h"
#include "session/lesson.h"

namespace {

using namespace tavex;

[[noreturn]] void fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s\n%s\n", what, detail.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  LessonError error;
  const std::optional<Lesson> lesson = parseLesson(text, error);
  if (!lesson) {
    const bool whole = error.line == 0 && size > kMaxLessonBytes;
    const bool placed = error.line >= 1 && error.column >= 1 &&
                        static_cast<size_t>(error.column) <= size + 1;
    if (!whole && !placed)
      fail("a refusal without a place in the text", lessonMessage("input", error));
    return 0;
  }
  const std::string saved = lessonText(*lesson);
  const std::optional<Lesson> again = parseLesson(saved, error);
  if (!again) fail("the saved text does not read", lessonMessage("saved", error) + "\n" + saved);
  if (!(*again == *lesson)) fail("the saved text reads differently", saved);
  if (lessonText(*again) != saved) fail("saving again gives another text", saved);

  DataEntry function[kFunctionDataEntries];
  DataEntry graph[kGraphDataEntries];
  for (int i = 0; i < kFunctionDataEntries; ++i) function[i] = makeEntry(functionData[i].name, "");
  for (int i = 0; i < kGraphDataEntries; ++i) graph[i] = makeEntry(graphData[i].name, "");
  applyLesson(*lesson, function, graph);
  std::string why;
  const std::optional<Lesson> held = lessonOfRecords(function, graph, why);
  if (!held) fail("the records it set cannot be saved", why + "\n" + saved);
  if (!(*held == *lesson)) fail("the records hold another lesson", saved);
  return 0;
}
