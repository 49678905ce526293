// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/lesson_link.h"

#include "session/lesson.h"

namespace tavex {

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::size_t maxLessonLinkChars() { return 3 * (kMaxLessonBytes + 1); }

std::optional<std::string> percentDecoded(std::string_view text, std::string& error) {
  std::string out;
  for (std::size_t i = 0; i < text.size() && out.size() <= kMaxLessonBytes; ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    const int high = i + 1 < text.size() ? hexValue(text[i + 1]) : -1;
    const int low = i + 2 < text.size() ? hexValue(text[i + 2]) : -1;
    if (high < 0 || low < 0) {
      error = std::string(kLessonLinkName) + ": broken percent-encoding at character " +
              std::to_string(i + 1) + " (\"%\" needs two hex digits after it)";
      return {};
    }
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}

}  // namespace tavex
