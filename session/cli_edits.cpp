// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/cli_edits.h"

#include <cstring>
#include <optional>
#include <string_view>

#include "session/lesson.h"

namespace tavex {

namespace {

bool parseEdit(const char* option, const char* argument, DataEntry* record, int entries,
               RecordEdit& edit, std::FILE* err) {
  const char* equals = std::strchr(argument, '=');
  if (!equals) {
    std::fprintf(err, "tavex: %s needs NAME=VALUE, got '%s'\n", option, argument);
    return false;
  }
  const std::string_view name(argument, static_cast<size_t>(equals - argument));
  const int index = findEntry(record, entries, name);
  if (index < 0) {
    std::fprintf(err, "tavex: %s: unknown name '%.*s'\n", option, static_cast<int>(name.size()),
                 name.data());
    return false;
  }
  const size_t room = DataEntry::kValueSize - 1;
  if (std::strlen(equals + 1) > room) {
    std::fprintf(err, "tavex: %s %.*s: value longer than %zu characters\n", option,
                 static_cast<int>(name.size()), name.data(), room);
    return false;
  }
  edit = RecordEdit{&record[index], equals + 1};
  return true;
}

// "--lesson FILE": every entry of both records, as the lesson sets them.
EditOption takeLesson(int argc, char** argv, int& i, std::vector<RecordEdit>& edits,
                      std::FILE* err) {
  if (i + 1 >= argc) {
    std::fputs("tavex: --lesson needs a FILE\n", err);
    return EditOption::Bad;
  }
  if (!edits.empty() && edits.front().fromLesson) {
    std::fputs("tavex: --lesson: give one lesson\n", err);
    return EditOption::Bad;
  }
  std::string error;
  const std::optional<Lesson> lesson = readLessonFile(argv[++i], error);
  if (!lesson) {
    std::fprintf(err, "%s\n", error.c_str());
    return EditOption::Bad;
  }
  std::vector<RecordEdit> all;
  for (int k = 1; k < kFunctionDataEntries; ++k)
    all.push_back({&functionData[k], lesson->function[k], true});
  for (int k = 1; k < kGraphDataEntries; ++k)
    all.push_back({&graphData[k], lesson->graph[k], true});
  all.insert(all.end(), edits.begin(), edits.end());
  edits = std::move(all);
  return EditOption::Taken;
}

}  // namespace

EditOption takeEdit(int argc, char** argv, int& i, std::vector<RecordEdit>& edits,
                    std::FILE* err) {
  const char* option = argv[i];
  if (std::strcmp(option, "--lesson") == 0) return takeLesson(argc, argv, i, edits, err);
  const bool isFdata = std::strcmp(option, "--fdata") == 0;
  if (!isFdata && std::strcmp(option, "--gdata") != 0) return EditOption::NotAnEdit;
  if (i + 1 >= argc) {
    std::fprintf(err, "tavex: %s needs NAME=VALUE\n", option);
    return EditOption::Bad;
  }
  RecordEdit edit{};
  if (!parseEdit(option, argv[++i], isFdata ? functionData : graphData,
                 isFdata ? kFunctionDataEntries : kGraphDataEntries, edit, err))
    return EditOption::Bad;
  edits.push_back(edit);
  return EditOption::Taken;
}

void applyEdits(const std::vector<RecordEdit>& edits) {
  for (const RecordEdit& edit : edits) {
    char line[DataEntry::kLineSize];
    std::snprintf(line, sizeof line, "%s = %s", edit.entry->name, edit.value.c_str());
    acceptLine(*edit.entry, line);
  }
}

}  // namespace tavex
