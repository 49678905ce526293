#include "app/cli_edits.h"

#include <cstring>
#include <string_view>

namespace tavex {

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

void applyEdits(const std::vector<RecordEdit>& edits) {
  for (const RecordEdit& edit : edits) {
    char line[DataEntry::kLineSize];
    std::snprintf(line, sizeof line, "%s = %s", edit.entry->name, edit.value);
    acceptLine(*edit.entry, line);
  }
}

}  // namespace tavex
