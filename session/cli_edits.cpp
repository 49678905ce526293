#include "session/cli_edits.h"

#include <cstring>
#include <string_view>

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

}  // namespace

EditOption takeEdit(int argc, char** argv, int& i, std::vector<RecordEdit>& edits,
                    std::FILE* err) {
  const char* option = argv[i];
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
    std::snprintf(line, sizeof line, "%s = %s", edit.entry->name, edit.value);
    acceptLine(*edit.entry, line);
  }
}

}  // namespace tavex
