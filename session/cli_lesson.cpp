// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/cli_lesson.h"

#include <cstring>
#include <string>
#include <vector>

#include "session/cli_edits.h"
#include "session/lesson.h"

namespace tavex {

bool saveLessonGiven(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--save-lesson") == 0) return true;
  return false;
}

int runSaveLesson(int argc, char** argv, std::FILE* err) {
  const char* path = nullptr;
  std::vector<RecordEdit> edits;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    const EditOption taken = takeEdit(argc, argv, i, edits, err);
    if (taken == EditOption::Bad) return 2;
    if (taken == EditOption::Taken) continue;
    if (std::strcmp(a, "--save-lesson") == 0 && path == nullptr && i + 1 < argc) {
      path = argv[++i];
    } else if (std::strcmp(a, "--save-lesson") == 0) {
      std::fputs(path != nullptr ? "tavex: --save-lesson: give one FILE\n"
                                 : "tavex: --save-lesson needs a FILE\n",
                 err);
      return 2;
    } else {
      std::fprintf(err, "tavex: --save-lesson: unexpected '%s' (use --lesson FILE and EDITs)\n", a);
      return 2;
    }
  }
  if (path == nullptr) {  // its only mention was the argument of another option
    std::fputs("tavex: --save-lesson needs a FILE\n", err);
    return 2;
  }
  applyEdits(edits);
  std::string error;
  if (!saveLessonFile(path, functionData, graphData, error)) {
    std::fprintf(err, "tavex: %s\n", error.c_str());
    return 2;
  }
  return 0;
}

}  // namespace tavex
