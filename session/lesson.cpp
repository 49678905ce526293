// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/lesson.h"

#include <cstdio>
#include <cstring>

#include "session/plot_tools.h"

namespace tavex {

namespace {

constexpr std::size_t kValueRoom = DataEntry::kValueSize - 1;

// The two sections, in the order a lesson is written.
struct Section {
  const char* heading;
  const DataEntry* names;  // the record whose entry names the section uses
  int entries;
  const char* (*standard)(int index);
};
const Section kSections[2] = {
    {"[fdata]", functionData, kFunctionDataEntries, functionDefault},
    {"[gdata]", graphData, kGraphDataEntries, graphDefault},
};

std::string* valuesOf(Lesson& lesson, int section) {
  return section == 0 ? lesson.function.data() : lesson.graph.data();
}
const std::string* valuesOf(const Lesson& lesson, int section) {
  return section == 0 ? lesson.function.data() : lesson.graph.data();
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// The entry's name without its blank padding.
std::string_view bareName(const DataEntry& entry) { return trimmed(entry.name); }

// The characters other than tab that a lesson does not hold: the C0
// controls, DEL and the C1 controls.
bool isControl(char32_t c) { return (c < 0x20 && c != '\t') || (c >= 0x7F && c < 0xA0); }

std::string codeName(char32_t c) {
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(c));
  return text;
}

// The character whose UTF-8 starts at s[at]; length 0 when the bytes there
// are not UTF-8 (a stray continuation byte, a cut, overlong or surrogate
// sequence, or one beyond U+10FFFF).
struct Decoded {
  char32_t code = 0;
  std::size_t length = 0;
};

Decoded decodeUtf8(std::string_view s, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) return {lead, 1};
  std::size_t length = 0;
  char32_t code = 0, least = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1F, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0F, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07, least = 0x10000;
  } else {
    return {};
  }
  if (at + length > s.size()) return {};
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(at + k) & 0xC0) != 0x80) return {};
    code = (code << 6) | (byte(at + k) & 0x3F);
  }
  if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return {};
  return {code, length};
}

// UTF-8 of 8-bit text, each byte read as its Latin-1 character.
std::string utf8Of(std::string_view latin1) {
  std::string out;
  for (const char c : latin1) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x80) {
      out += c;
    } else {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
}

// At most 40 bytes of s, cut at a character's start, for a message.
std::string excerpt(std::string_view s) {
  if (s.size() <= 40) return std::string(s);
  std::size_t cut = 40;
  while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
  return std::string(s.substr(0, cut)) + "...";
}

// A lesson's value as the entry takes it: the default itself when the value
// is the default without its trailing blanks, which a lesson cannot write.
std::string settled(std::string value, const char* standard) {
  if (value != standard && value == trimmed(standard)) return standard;
  return value;
}

// Reads a lesson line by line into a copy of the defaults; the first problem
// ends the reading.
class LessonReader {
 public:
  explicit LessonReader(LessonError& error) : error_(error) {}
  std::optional<Lesson> read(std::string_view text);

 private:
  bool fail(std::size_t at, std::string what);
  bool readLine();
  bool checkCharacters();
  bool readEntry(std::string_view text, std::size_t at);
  bool takeValue(int index, std::string_view value, std::size_t at);

  LessonError& error_;
  Lesson lesson_;
  std::string_view line_;
  int number_ = 0;
  int section_ = -1;  // 0 [fdata], 1 [gdata]
  // The line on which each entry was given, 0 while it was not.
  std::array<int, kFunctionDataEntries> functionSeen_{};
  std::array<int, kGraphDataEntries> graphSeen_{};
};

std::optional<Lesson> LessonReader::read(std::string_view text) {
  if (text.size() > kMaxLessonBytes) {
    error_ = {0, 0, "larger than 64 KB (a lesson has at most 65536 bytes)"};
    return {};
  }
  for (int s = 0; s < 2; ++s)
    for (int i = 1; i < kSections[s].entries; ++i)
      valuesOf(lesson_, s)[i] = kSections[s].standard(i);
  for (bool more = true; more;) {
    const std::size_t end = text.find('\n');
    more = end != std::string_view::npos;
    line_ = text.substr(0, end);
    if (more) text.remove_prefix(end + 1);
    if (!line_.empty() && line_.back() == '\r') line_.remove_suffix(1);
    ++number_;
    if (!readLine()) return {};
  }
  return lesson_;
}

// Records the problem at byte at of the line, its column in characters.
bool LessonReader::fail(std::size_t at, std::string what) {
  int column = 1;
  for (std::size_t k = 0; k < at && k < line_.size(); ++k)
    if ((static_cast<unsigned char>(line_[k]) & 0xC0) != 0x80) ++column;
  error_ = {number_, column, std::move(what)};
  return false;
}

bool LessonReader::readLine() {
  if (number_ == 1) {
    if (line_ == kLessonHeader) return true;
    const bool mark = line_.starts_with("\xEF\xBB\xBF");
    return fail(0, std::string("the first line must be '") + kLessonHeader + "'" +
                       (mark ? ", without a byte order mark" : ""));
  }
  if (!checkCharacters()) return false;
  std::size_t at = 0;
  while (at < line_.size() && isBlank(line_[at])) ++at;
  const std::string_view text = trimmed(line_);
  if (text.empty() || text.front() == '#') return true;
  if (text.front() != '[') return readEntry(text, at);
  for (int s = 0; s < 2; ++s) {
    if (text != kSections[s].heading) continue;
    section_ = s;
    return true;
  }
  return fail(at, "unknown section '" + excerpt(text) + "' (the sections are [fdata] and [gdata])");
}

bool LessonReader::checkCharacters() {
  for (std::size_t at = 0; at < line_.size();) {
    const Decoded c = decodeUtf8(line_, at);
    if (c.length == 0) {
      char byte[8];
      std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(line_[at]));
      return fail(at, std::string("a byte that is not UTF-8 (") + byte + ")");
    }
    if (c.code == 0) return fail(at, "a NUL byte");
    if (c.code == '\r') return fail(at, "a CR that does not end the line");
    if (isControl(c.code)) return fail(at, "a control character (" + codeName(c.code) + ")");
    at += c.length;
  }
  return true;
}

bool LessonReader::readEntry(std::string_view text, std::size_t at) {
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos)
    return fail(at, "no '=' in the line (an entry is 'name = value')");
  if (section_ < 0) return fail(at, "an entry before the first section ([fdata] or [gdata])");
  const std::string_view name = trimmed(text.substr(0, equals));
  if (name.empty()) return fail(at, "no name before '='");
  const Section& section = kSections[section_];
  const int index = findEntry(section.names, section.entries, name);
  if (index < 0)
    return fail(at, "unknown name '" + excerpt(name) + "' in " + section.heading);
  int& seen = section_ == 0 ? functionSeen_[index] : graphSeen_[index];
  if (seen != 0)
    return fail(at, "'" + std::string(name) + "' given twice in " + section.heading +
                        " (first on line " + std::to_string(seen) + ")");
  seen = number_;
  std::size_t valueAt = at + equals + 1;
  while (valueAt < line_.size() && isBlank(line_[valueAt])) ++valueAt;
  return takeValue(index, trimmed(text.substr(equals + 1)), valueAt);
}

// The value in the records' 8-bit text: each character must be Latin-1.
bool LessonReader::takeValue(int index, std::string_view value, std::size_t at) {
  std::string text;
  for (std::size_t k = 0; k < value.size();) {
    const Decoded c = decodeUtf8(value, k);
    if (c.code > 0xFF)
      return fail(at + k, "'" + std::string(value.substr(k, c.length)) + "' (" +
                              codeName(c.code) +
                              ") is not a Latin-1 character, which the data boxes hold");
    text += static_cast<char>(c.code);
    k += c.length;
  }
  const Section& section = kSections[section_];
  if (text.size() > kValueRoom)
    return fail(at, "the value of '" + std::string(bareName(section.names[index])) +
                        "' is longer than 59 characters (" + std::to_string(text.size()) + ")");
  valuesOf(lesson_, section_)[index] = settled(std::move(text), section.standard(index));
  return true;
}

// What follows "name =" in an entry's line, which evaluation reads for the
// function and its parameters; false when the line does not start so.
bool valueOfLine(const DataEntry& entry, std::string_view& value) {
  std::string_view line = entry.line;
  while (!line.empty() && isBlank(line.front())) line.remove_prefix(1);
  const std::string_view name = bareName(entry);
  if (!line.starts_with(name)) return false;
  line.remove_prefix(name.size());
  while (!line.empty() && isBlank(line.front())) line.remove_prefix(1);
  // "y == 1" compares; it does not set y.
  if (!line.starts_with('=') || line.starts_with("==")) return false;
  value = trimmed(line.substr(1));
  return true;
}

// The entry's value for a lesson; false with the reason in error.
bool lessonValue(const DataEntry& entry, bool byLine, const char* standard, std::string& value,
                 std::string& error) {
  const std::string name(bareName(entry));
  std::string_view text = trimmed(entry.value);
  if (byLine && !valueOfLine(entry, text)) {
    error = name + ": its line '" + utf8Of(entry.line) + "' is not '" + name +
            " = VALUE', which is all a lesson holds";
    return false;
  }
  if (text.size() > kValueRoom) {
    error = name + ": longer than 59 characters, more than a lesson's value may be";
    return false;
  }
  for (const char c : text) {
    if (!isControl(static_cast<unsigned char>(c))) continue;
    error = name + ": a control character (" + codeName(static_cast<unsigned char>(c)) +
            "), which a lesson cannot hold";
    return false;
  }
  value = settled(std::string(text), standard);
  return true;
}

}  // namespace

std::string lessonMessage(std::string_view file, const LessonError& error) {
  std::string message(file);
  if (error.line > 0)
    message += ":" + std::to_string(error.line) + ":" + std::to_string(error.column);
  return message + ": " + error.what;
}

std::optional<Lesson> parseLesson(std::string_view text, LessonError& error) {
  return LessonReader(error).read(text);
}

std::optional<Lesson> lessonOfRecords(const DataEntry* functionRecord,
                                      const DataEntry* graphRecord, std::string& error) {
  Lesson lesson;
  const DataEntry* records[2] = {functionRecord, graphRecord};
  for (int s = 0; s < 2; ++s) {
    for (int i = 1; i < kSections[s].entries; ++i) {
      // The function and its parameters, entries 1 to count - 3, are read by line.
      const bool byLine = s == 0 && i < kFdX1;
      if (!lessonValue(records[s][i], byLine, kSections[s].standard(i), valuesOf(lesson, s)[i],
                       error))
        return {};
    }
  }
  return lesson;
}

std::string lessonText(const Lesson& lesson) {
  std::string text = std::string(kLessonHeader) + "\n";
  for (int s = 0; s < 2; ++s) {
    text += s == 0 ? "" : "\n";
    text += kSections[s].heading;
    text += '\n';
    for (int i = 1; i < kSections[s].entries; ++i) {
      text += bareName(kSections[s].names[i]);
      const std::string value = utf8Of(trimmed(valuesOf(lesson, s)[i]));
      text += value.empty() ? " =\n" : " = " + value + "\n";
    }
  }
  return text;
}

void applyLesson(const Lesson& lesson, DataEntry* functionRecord, DataEntry* graphRecord) {
  DataEntry* records[2] = {functionRecord, graphRecord};
  for (int s = 0; s < 2; ++s) {
    for (int i = 1; i < kSections[s].entries; ++i) {
      // As a data box composes it: the padded name, " = ", the value.
      const std::string line = std::string(records[s][i].name) + " = " + valuesOf(lesson, s)[i];
      acceptProgramLine(records[s], i, line);
    }
  }
}

}  // namespace tavex
