// The --fdata and --gdata edits of the command line, shared by its options:
// checked first, then written into the records as if typed.
#pragma once

#include <cstdio>
#include <vector>

#include "data/records.h"

namespace tavex {

// One edit, checked before anything is changed.
struct RecordEdit {
  DataEntry* entry;
  const char* value;
};

enum class EditOption { NotAnEdit, Taken, Bad };

// Takes argv[i] when it is --fdata or --gdata: checks its "NAME=VALUE" against
// the record (a known name, a value that fits the entry's value field whole,
// or the function would silently change), appends the edit and steps i past
// the argument. Bad when the check fails, having said why on err.
EditOption takeEdit(int argc, char** argv, int& i, std::vector<RecordEdit>& edits,
                    std::FILE* err);

// Writes each edit's line (name, " = ", value) through acceptLine, in order.
void applyEdits(const std::vector<RecordEdit>& edits);

}  // namespace tavex
