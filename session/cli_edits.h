// SPDX-License-Identifier: GPL-3.0-or-later
// The --lesson, --fdata and --gdata edits of the command line, shared by its
// options: checked first, then written into the records as if typed.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "data/records.h"

namespace tavex {

// One edit, checked before anything is changed.
struct RecordEdit {
  DataEntry* entry;
  std::string value;
  bool fromLesson = false;  // one of the edits of every entry that --lesson makes
};

enum class EditOption { NotAnEdit, Taken, Bad };

// Takes argv[i] when it is --fdata or --gdata: checks its "NAME=VALUE" against
// the record (a known name, a value that fits the entry's value field whole,
// or the function would silently change), appends the edit and steps i past
// the argument. Takes "--lesson FILE" too (once): reads the lesson and puts
// an edit of every entry in front of the others. Bad when the check fails,
// having said why on err.
EditOption takeEdit(int argc, char** argv, int& i, std::vector<RecordEdit>& edits,
                    std::FILE* err);

// Writes each edit's line (name, " = ", value) through acceptLine, in order.
void applyEdits(const std::vector<RecordEdit>& edits);

}  // namespace tavex
