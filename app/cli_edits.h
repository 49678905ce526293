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

// Checks "NAME=VALUE" against a record (a known name, a value that fits the
// entry's value field whole, or the function would silently change); on
// success fills edit, otherwise says why on err.
bool parseEdit(const char* option, const char* argument, DataEntry* record, int entries,
               RecordEdit& edit, std::FILE* err);

// Writes each edit's line (name, " = ", value) through acceptLine, in order.
void applyEdits(const std::vector<RecordEdit>& edits);

}  // namespace tavex
