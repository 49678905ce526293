// SPDX-License-Identifier: GPL-3.0-or-later
// --save-lesson FILE: the records, after --lesson and the edits, written as a
// lesson file.
#pragma once

#include <cstdio>

namespace tavex {

// Whether argv (after its first option, which is not --eval) holds --save-lesson.
bool saveLessonGiven(int argc, char** argv);

// Takes --save-lesson FILE, --lesson FILE and the edits, applies them and
// writes the lesson. 0, or 2 after a message on err (the old file as it was).
int runSaveLesson(int argc, char** argv, std::FILE* err);

}  // namespace tavex
